// The game and information actions, the question actions and the score, lives and health
// actions (with their drawing and the highscore table).
#include <array>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <string>

#include "audio/sound_resources.h"
#include "data/background.h"
#include "data/objects.h"
#include "data/sprite.h"
#include "functions/action_helpers.h"
#include "functions/argument_helpers.h"
#include "functions/builtin_by_name.h"
#include "functions/graphics_functions.h"
#include "functions/misc_functions.h"
#include "functions/motion_functions.h"
#include "graphics/primitives.h"
#include "graphics/text.h"
#include "data/scripts.h"
#include "platform/conversions.h"
#include "platform/files.h"
#include "platform/message_box.h"
#include "platform/process.h"
#include "platform/random.h"
#include "platform/string_helpers.h"
#include "runner/commands.h"
#include "runner/event_names.h"
#include "runner/events.h"
#include "runner/input.h"
#include "runner/instance.h"
#include "runner/run_globals.h"
#include "script/compile_error.h"
#include "script/error_report.h"

namespace {

using Args = ScriptValue*;

constexpr int32_t kSelf = -1;
constexpr int32_t kOther = -2;

// -1 and -2 name the calling and the other instance by id when there is one.
int32_t SelectorWithIds(int32_t obj, const CInstance* self, const CInstance* other) {
  if (obj == kSelf && self != nullptr) return self->id;
  if (obj == kOther && other != nullptr) return other->id;
  return obj;
}

// (x, y) of two arguments, relative to self when the flag is set.
void RelPoint(const CInstance* self, const ScriptValue& ax, const ScriptValue& ay, float& x, float& y) {
  x = Arg_Single(ax);
  y = Arg_Single(ay);
  if (self == nullptr) return;
  x = Action_Rel(x, self->x);
  y = Action_Rel(y, self->y);
}

// ---- game and information ----

void F_ActionMessage(ScriptValue& result, CInstance*, CInstance*, int, Args a) {
  result.SetReal(1.0);
  std::string text;
  if (a[0].IsString()) {
    text = Arg_String(a[0]);
  } else {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%e", Arg_Real(a[0]));
    text = buffer;
  }
  ShowMessage(text);
  IO_Clear();
}

void F_ActionShowInfo(ScriptValue&, CInstance*, CInstance*, int, Args) { IO_Clear(); }

// The video player of this system plays nothing and reports success.
void F_ActionShowVideo(ScriptValue&, CInstance*, CInstance*, int, Args) { IO_Clear(); }

void F_ActionEndGame(ScriptValue&, CInstance*, CInstance*, int, Args) { Game_EndRequest(); }
void F_ActionRestartGame(ScriptValue&, CInstance*, CInstance*, int, Args) { Game_RestartRequest(); }
void F_ActionSaveGame(ScriptValue&, CInstance*, CInstance*, int, Args) {}

void F_ActionLoadGame(ScriptValue&, CInstance* self, CInstance* other, int, Args a) {
  Builtin_CallByName("game_load", self, other, {a[0]});
}

// The checks shared by the replace actions: the resource exists and the file is there.
bool ReplaceAllowed(bool exists, const ScriptValue& fileName) {
  if (!exists) {
    Error_Show_Action("Trying to replace non-existing resource.", false);
    return false;
  }
  if (Resource_FindFile(std::string(Arg_String(fileName))).empty()) {
    Error_Show_Action("File does not exist.", false);
    return false;
  }
  return true;
}

void F_ActionReplaceSprite(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  const int32_t index = Arg_Rounded(a[0]);
  CSprite* sprite = Sprite_Data(index);
  if (!ReplaceAllowed(sprite != nullptr, a[1])) return;
  const int32_t frames = Conv_RoundToInt32(Arg_Single(a[2]));
  Sprite_Replace(index, std::string(Arg_String(a[1])), frames, sprite->GetPrecise(), sprite->GetTransparent(),
                 sprite->GetSmooth(), sprite->GetPreload(), sprite->GetXOrigin(), sprite->GetYOrigin());
}

// Sounds are reloaded by sound_replace, keeping their kind and preload flag.
void F_ActionReplaceSound(ScriptValue&, CInstance* self, CInstance* other, int, Args a) {
  const int32_t index = Arg_Rounded(a[0]);
  const CSound* sound = Sound_Data(index);
  if (!ReplaceAllowed(sound != nullptr, a[1])) return;
  Builtin_CallByName("sound_replace", self, other,
                     {ScriptValue(index), a[1], ScriptValue(sound->kind), ScriptValue(sound->preload ? 1.0 : 0.0)});
}

void F_ActionReplaceBackground(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  const int32_t index = Arg_Rounded(a[0]);
  const CBackground* background = Background_Data(index);
  if (!ReplaceAllowed(background != nullptr, a[1])) return;
  Background_Replace(index, std::string(Arg_String(a[1])), background->GetTransparent(), background->GetSmooth(),
                     background->GetPreload());
}

void F_ActionWebpage(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  const std::string url(Arg_String(a[0]));
  if (!Execute_Shell(url.c_str(), "", File_CurrentDirectory().c_str())) {
    Error_Show_Action("Failed to open the webpage.", false);
  }
}

constexpr double kCursorDefault = 0.0;
constexpr double kCursorNone = -1.0;

void F_ActionSetCursor(ScriptValue&, CInstance* self, CInstance* other, int, Args a) {
  Run_Globals.cursorSprite = Arg_Rounded(a[0]);
  Builtin_CallByName("window_set_cursor", self, other,
                     {ScriptValue(Arg_Flag(a[1]) ? kCursorDefault : kCursorNone)});
}

void F_ActionFullscreen(ScriptValue&, CInstance* self, CInstance* other, int, Args a) {
  const int32_t mode = Arg_Rounded(a[0]);
  bool full = mode == 2;
  if (mode != 1 && mode != 2) {
    ScriptValue now;
    if (!Builtin_CallByName("window_get_fullscreen", now, self, other, {})) return;
    full = !Arg_Flag(now);
  }
  Builtin_CallByName("window_set_fullscreen", self, other, {ScriptValue(full ? 1.0 : 0.0)});
}

void F_ActionSnapshot(ScriptValue&, CInstance* self, CInstance* other, int, Args a) {
  ScriptValue name = a[0];
  ScriptValue ignored;
  F_ScreenSave(ignored, self, other, 1, &name);
}

void F_ActionEffect(ScriptValue&, CInstance* self, CInstance* other, int, Args a) {
  float x = 0, y = 0;
  RelPoint(self, a[1], a[2], x, y);
  Builtin_CallByName(Arg_Real(a[5]) < 0.5 ? "effect_create_below" : "effect_create_above", self, other,
                     {a[0], ScriptValue(x), ScriptValue(y), a[3], a[4]});
}

void F_ActionSetCaption(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  RunGlobals& g = Run_Globals;
  g.showScore = Arg_Rounded(a[0]) == 1;
  g.captionScore = Arg_String(a[1]);
  g.showLives = Arg_Rounded(a[2]) == 1;
  g.captionLives = Arg_String(a[3]);
  g.showHealth = Arg_Rounded(a[4]) == 1;
  g.captionHealth = Arg_String(a[5]);
}

void F_ActionSetRelative(ScriptValue&, CInstance*, CInstance*, int, Args a) { Action_Relative = Arg_Flag(a[0]); }

void F_ActionExecuteScript(ScriptValue& result, CInstance* self, CInstance* other, int, Args a) {
  const std::array<ScriptValue, 5> arguments = {a[1], a[2], a[3], a[4], a[5]};
  ScriptValue value;
  Script_Perform(Arg_Rounded(a[0]), self, other, static_cast<int32_t>(arguments.size()), value, arguments.data());
  if (Code_PendingError) {
    Error_Show_Action(Code_PendingErrorText, false);
    Code_ClearPendingError();
  }
  result = std::move(value);
}

// ---- questions ----

void F_ActionIf(ScriptValue& result, CInstance*, CInstance*, int, Args a) { result = a[0]; }

bool EmptyAt(CInstance& self, float x, float y, const ScriptValue& objects) {
  return Arg_Real(objects) != 0.0 ? Command_IsEmpty(self, x, y) : Command_IsFree(self, x, y);
}

void F_ActionIfEmpty(ScriptValue& result, CInstance* self, CInstance*, int, Args a) {
  if (self == nullptr) return Action_Answer(result, false);
  float x = 0, y = 0;
  RelPoint(self, a[0], a[1], x, y);
  Action_Answer(result, EmptyAt(*self, x, y, a[2]));
}

void F_ActionIfCollision(ScriptValue& result, CInstance* self, CInstance*, int, Args a) {
  if (self == nullptr) return Action_Answer(result, false);
  float x = 0, y = 0;
  RelPoint(self, a[0], a[1], x, y);
  Action_Answer(result, !EmptyAt(*self, x, y, a[2]));
}

void F_ActionIfObject(ScriptValue& result, CInstance* self, CInstance* other, int, Args a) {
  if (self == nullptr) return Action_Answer(result, false);
  float x = 0, y = 0;
  RelPoint(self, a[1], a[2], x, y);
  Action_Answer(result, Command_IsMeeting(*self, x, y, SelectorWithIds(Arg_Rounded(a[0]), self, other)));
}

void F_ActionIfNumber(ScriptValue& result, CInstance* self, CInstance* other, int, Args a) {
  const int32_t count = Command_InstanceNumber(SelectorWithIds(Arg_Rounded(a[0]), self, other));
  Action_Answer(result, Action_Compare(count, Arg_Real(a[1]), Arg_Rounded(a[2])));
}

// The question goes to show_question; until dialogs exist the answer is no.
void F_ActionIfQuestion(ScriptValue& result, CInstance* self, CInstance* other, int, Args a) {
  ScriptValue answer;
  const bool asked = Builtin_CallByName("show_question", answer, self, other,
                                        {ScriptValue(Text_HashToNewline(Arg_String(a[0])))});
  Action_Answer(result, asked && Arg_Flag(answer));
  IO_Clear();
}

void F_ActionIfDice(ScriptValue& result, CInstance*, CInstance*, int, Args a) {
  const double sides = Arg_Real(a[0]);
  if (sides <= 1.0) return Action_Answer(result, true);
  const int32_t range = Conv_RoundToInt32(sides * 1000.0);
  Action_Answer(result, Random_Below(range) < 1001);
}

void F_ActionIfMouse(ScriptValue& result, CInstance*, CInstance*, int, Args a) {
  const int32_t button = Arg_Rounded(a[0]);
  if (button >= 1 && button <= 3) {
    return Action_Answer(result, IO_Mouse_Check(button, 0) || IO_Mouse_Check_Released(button, 0));
  }
  Action_Answer(result, !IO_Mouse_Check(1, 0) && !IO_Mouse_Check(2, 0) && !IO_Mouse_Check(3, 0));
}

void F_ActionIfAligned(ScriptValue& result, CInstance* self, CInstance* other, int argc, Args a) {
  Action_Answer(result, false);
  F_PlaceSnapped(result, self, other, argc, a);
}

void F_ActionIfVariable(ScriptValue& result, CInstance*, CInstance*, int, Args a) {
  if (a[0].IsString() != a[1].IsString()) {
    Error_Show_Action("Cannot compare arguments.", false);
    return Action_Answer(result, false);
  }
  double d = 0.0;
  if (a[0].IsString()) {
    const int order = Arg_String(a[0]).compare(Arg_String(a[1]));
    d = order < 0 ? -1.0 : (order > 0 ? 1.0 : 0.0);
  } else {
    d = Arg_Real(a[0]) - Arg_Real(a[1]);
  }
  switch (Arg_Rounded(a[2])) {
    case 1: return Action_Answer(result, d < 0);
    case 2: return Action_Answer(result, d > 0);
    case 3: return Action_Answer(result, d <= 0);
    case 4: return Action_Answer(result, d >= 0);
    default: return Action_Answer(result, d == 0);
  }
}

void F_ActionIfScore(ScriptValue& result, CInstance*, CInstance*, int, Args a) {
  Action_Answer(result, Action_Compare(Run_Globals.score, Arg_Real(a[0]), Arg_Rounded(a[1])));
}

void F_ActionIfLife(ScriptValue& result, CInstance*, CInstance*, int, Args a) {
  Action_Answer(result, Action_Compare(Run_Globals.lives, Arg_Real(a[0]), Arg_Rounded(a[1])));
}

void F_ActionIfHealth(ScriptValue& result, CInstance*, CInstance*, int, Args a) {
  Action_Answer(result, Action_Compare(Run_Globals.health, Arg_Real(a[0]), Arg_Rounded(a[1])));
}

// ---- score, lives and health ----

void F_ActionSetScore(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  Run_Globals.score = Conv_RoundToInt32(Action_Rel(Arg_Real(a[0]), Run_Globals.score));
}

void F_ActionSetLife(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  const int32_t before = Run_Globals.lives;
  Run_Globals.lives = Conv_RoundToInt32(Action_Rel(Arg_Real(a[0]), Run_Globals.lives));
  if (before >= 1 && Run_Globals.lives < 1) Perform_Event_All(EventType::Other, OtherEvent::NoMoreLives);
}

void F_ActionSetHealth(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  const double before = Run_Globals.health;
  Run_Globals.health = Action_Rel(Arg_Real(a[0]), Run_Globals.health);
  if (before > 0.0 && Run_Globals.health <= 0.0) Perform_Event_All(EventType::Other, OtherEvent::NoMoreHealth);
}

void DrawCounter(CInstance* self, Args a, int32_t value) {
  float x = 0, y = 0;
  RelPoint(self, a[0], a[1], x, y);
  const std::string text = std::string(Arg_String(a[2])) + std::to_string(value);
  GR_Text_Draw(x, y, text, -1, -1);
}

void F_ActionDrawScore(ScriptValue&, CInstance* self, CInstance*, int, Args a) {
  DrawCounter(self, a, Run_Globals.score);
}

void F_ActionDrawLife(ScriptValue&, CInstance* self, CInstance*, int, Args a) {
  DrawCounter(self, a, Run_Globals.lives);
}

void F_ActionDrawLifeImages(ScriptValue&, CInstance* self, CInstance*, int, Args a) {
  const CSprite* sprite = Sprite_Data(Arg_Rounded(a[2]));
  if (sprite == nullptr) return;
  float x = 0, y = 0;
  RelPoint(self, a[0], a[1], x, y);
  const float width = static_cast<float>(sprite->GetWidth());
  for (int32_t i = 0; i < Run_Globals.lives; ++i) {
    sprite->Draw(0, x + static_cast<float>(i) * width, y, 1.0f, 1.0f, 0.0f, 0xFFFFFFu, 1.0f);
  }
}

// The back colours by number (0 none), as 0xBBGGRR; bar colours 2 to 17 are entries 1 to 16.
constexpr std::array<uint32_t, 17> kHealthColours = {
    0x000000, 0x000000, 0x808080, 0xC0C0C0, 0xFFFFFF, 0x000080, 0x008000, 0x008080, 0x800000,
    0x800080, 0x808000, 0x0000FF, 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00};

void F_ActionDrawHealth(ScriptValue&, CInstance* self, CInstance*, int, Args a) {
  float x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  RelPoint(self, a[0], a[1], x1, y1);
  RelPoint(self, a[2], a[3], x2, y2);
  const int32_t back = Arg_Rounded(a[4]);
  const bool showBack = Arg_Real(a[4]) >= 0.5 && back >= 0 && back < static_cast<int32_t>(kHealthColours.size());
  const uint32_t backColour = showBack ? kHealthColours[static_cast<size_t>(back)] : 0;
  const int32_t bar = Arg_Rounded(a[5]);
  uint32_t low = 0x0000FF, middle = 0x00FFFF, high = 0x00FF00;  // red, yellow, lime
  if (bar == 1) {
    low = 0x000000, middle = 0x808080, high = 0xFFFFFF;
  } else if (bar >= 2 && bar <= 17) {
    low = middle = high = kHealthColours[static_cast<size_t>(bar - 1)];
  }
  GR_Draw_Healthbar(x1, y1, x2, y2, static_cast<float>(Run_Globals.health), backColour, low, middle, high, 0,
                    showBack, true);
}

void F_ActionHighscoreShow(ScriptValue&, CInstance* self, CInstance* other, int, Args) {
  int32_t width = 0, height = 0;
  Command_RoomSize(width, height);
  const int32_t left = (width >> 1) - 100;
  const int32_t top = (height >> 1) - 100;
  Builtin_CallByName("draw_highscore", self, other,
                     {ScriptValue(left), ScriptValue(top), ScriptValue(left + 200), ScriptValue(top + 200)});
}

void F_ActionHighscoreClear(ScriptValue&, CInstance* self, CInstance* other, int, Args) {
  Builtin_CallByName("highscore_clear", self, other, {});
}

constexpr ActionBuiltin kGameActions[] = {
    {"action_message", F_ActionMessage, 1},
    {"action_show_info", F_ActionShowInfo, 0},
    {"action_show_video", F_ActionShowVideo, 3},
    {"action_end_game", F_ActionEndGame, 0},
    {"action_restart_game", F_ActionRestartGame, 0},
    {"action_save_game", F_ActionSaveGame, 1},
    {"action_load_game", F_ActionLoadGame, 1},
    {"action_replace_sprite", F_ActionReplaceSprite, 3},
    {"action_replace_sound", F_ActionReplaceSound, 2},
    {"action_replace_background", F_ActionReplaceBackground, 2},
    {"action_webpage", F_ActionWebpage, 1},
    {"action_set_cursor", F_ActionSetCursor, 2},
    {"action_fullscreen", F_ActionFullscreen, 1},
    {"action_snapshot", F_ActionSnapshot, 1},
    {"action_effect", F_ActionEffect, 6},
    {"action_set_caption", F_ActionSetCaption, 6},
    {"action_set_relative", F_ActionSetRelative, 1},
    {"action_inherited", F_EventInherited, 0},
    {"action_execute_script", F_ActionExecuteScript, 6},
    {"action_if", F_ActionIf, 1},
    {"action_if_empty", F_ActionIfEmpty, 3},
    {"action_if_collision", F_ActionIfCollision, 3},
    {"action_if_object", F_ActionIfObject, 3},
    {"action_if_number", F_ActionIfNumber, 3},
    {"action_if_question", F_ActionIfQuestion, 1},
    {"action_if_dice", F_ActionIfDice, 1},
    {"action_if_mouse", F_ActionIfMouse, 1},
    {"action_if_aligned", F_ActionIfAligned, 2},
    {"action_if_variable", F_ActionIfVariable, 3},
    {"action_if_score", F_ActionIfScore, 2},
    {"action_if_life", F_ActionIfLife, 2},
    {"action_if_health", F_ActionIfHealth, 2},
    {"action_set_score", F_ActionSetScore, 1},
    {"action_set_life", F_ActionSetLife, 1},
    {"action_set_health", F_ActionSetHealth, 1},
    {"action_draw_score", F_ActionDrawScore, 3},
    {"action_draw_life", F_ActionDrawLife, 3},
    {"action_draw_life_images", F_ActionDrawLifeImages, 3},
    {"action_draw_health", F_ActionDrawHealth, 6},
    {"action_highscore_show", F_ActionHighscoreShow, 11},
    {"action_highscore_clear", F_ActionHighscoreClear, 0},
};

}  // namespace

std::span<const ActionBuiltin> Action_GameBuiltins() { return kGameActions; }
