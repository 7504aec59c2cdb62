// The table and the accessors. Registration order is the table's order and so the ids; the
// instance variables come first, then the global ones.
#include "script/builtin_variables.h"

#include <ctime>
#include <utility>
#include <vector>

#include "data/game_data.h"
#include "data/room_settings.h"
#include "platform/console.h"
#include "platform/conversions.h"
#include "platform/message_box.h"
#include "platform/temp_directory.h"
#include "platform/timing.h"
#include "platform/utf8.h"
#include "runner/event_names.h"
#include "runner/events.h"
#include "runner/game_locations.h"
#include "runner/instance.h"
#include "runner/main_loop.h"
#include "runner/run_globals.h"
#include "script/compiler/user_variables.h"
#include "script/current_event.h"
#include "script/error_report.h"
#include "script/script_arguments.h"
#include "script/variable_access.h"
#include "script/variable_list.h"

namespace {

std::vector<BuiltinVariableEntry>& Table() {
  static std::vector<BuiltinVariableEntry> table;
  return table;
}

std::string g_WorkingDirectory;
bool g_WorkingDirectorySet = false;

// ---- conventions ----------------------------------------------------------------------------

bool Real(ScriptValue& out, double value) {
  out.SetReal(value);
  return true;
}

bool Text(ScriptValue& out, const std::string& text) {
  out.SetString(text);
  return true;
}

int32_t Rounded(const ScriptValue& value) { return Conv_RoundToInt32(value.real); }
float Narrow(const ScriptValue& value) { return static_cast<float>(value.real); }
// The three rules of boolean fields.
bool RoundedAboveHalf(const ScriptValue& value) { return Rounded(value) > 0.5; }
bool RoundedNonZero(const ScriptValue& value) { return Rounded(value) != 0; }

// The column of an index: what the indexed families go by.
int32_t Element(int32_t index, int32_t count) {
  const int32_t column = index % 32000;
  return column >= 0 && column < count ? column : 0;
}

RoomSettings* Room() {
  const auto& hook = Variable_BuiltIn_World().currentRoom;
  return hook ? hook() : nullptr;
}

int32_t CallOr(const std::function<int32_t()>& hook, int32_t fallback) {
  return hook ? hook() : fallback;
}

RoomBackground* Background(int32_t index) {
  RoomSettings* room = Room();
  return room != nullptr ? &room->backgrounds[static_cast<size_t>(Element(index, kRoomBackgroundCount))]
                         : nullptr;
}

RoomView* View(int32_t index) {
  RoomSettings* room = Room();
  return room != nullptr ? &room->views[static_cast<size_t>(Element(index, kRoomViewCount))] : nullptr;
}

// Instance fields: I is the instance, V the value; no instance means no read and no write.
#define KF_GET(name, expr)                                              \
  bool name(CInstance* I, int32_t index, ScriptValue& out) {            \
    (void)index;                                                        \
    if (I == nullptr) return false;                                     \
    return Real(out, static_cast<double>(expr));                        \
  }
#define KF_SET(name, stmt)                                                    \
  bool name(CInstance* I, int32_t index, const ScriptValue& V) {              \
    (void)index;                                                              \
    (void)V;                                                                  \
    if (I == nullptr) return false;                                           \
    stmt;                                                                     \
    return true;                                                              \
  }

// ---- instance variables ---------------------------------------------------------------------

KF_GET(GV_X, I->x)
KF_SET(SV_X, I->SetPosition(Narrow(V), I->y))
KF_GET(GV_Y, I->y)
KF_SET(SV_Y, I->SetPosition(I->x, Narrow(V)))
KF_GET(GV_XPrevious, I->xprevious)
KF_SET(SV_XPrevious, I->xprevious = Narrow(V))
KF_GET(GV_YPrevious, I->yprevious)
KF_SET(SV_YPrevious, I->yprevious = Narrow(V))
KF_GET(GV_XStart, I->xstart)
KF_SET(SV_XStart, I->xstart = Narrow(V))
KF_GET(GV_YStart, I->ystart)
KF_SET(SV_YStart, I->ystart = Narrow(V))
KF_GET(GV_HSpeed, I->hspeed)
KF_SET(SV_HSpeed, I->SetHSpeed(Narrow(V)))
KF_GET(GV_VSpeed, I->vspeed)
KF_SET(SV_VSpeed, I->SetVSpeed(Narrow(V)))
KF_GET(GV_Direction, I->direction)
KF_SET(SV_Direction, I->SetDirection(Narrow(V)))
KF_GET(GV_Speed, I->speed)
KF_SET(SV_Speed, I->SetSpeed(Narrow(V)))
KF_GET(GV_Friction, I->friction)
KF_SET(SV_Friction, I->friction = Narrow(V))
KF_GET(GV_Gravity, I->gravity)
KF_SET(SV_Gravity, I->gravity = Narrow(V))
KF_GET(GV_GravityDirection, I->gravity_direction)
KF_SET(SV_GravityDirection, I->gravity_direction = Narrow(V))
KF_GET(GV_ObjectIndex, I->object_index)
KF_GET(GV_Id, I->id)

bool GV_Alarm(CInstance* I, int32_t index, ScriptValue& out) {
  if (I == nullptr) return false;
  return Real(out, I->GetAlarm(Element(index, kAlarmCount)));
}
bool SV_Alarm(CInstance* I, int32_t index, const ScriptValue& V) {
  if (I == nullptr) return false;
  I->SetAlarm(Element(index, kAlarmCount), Rounded(V));
  return true;
}

KF_GET(GV_Solid, I->solid ? 1 : 0)
KF_SET(SV_Solid, I->solid = RoundedNonZero(V))
KF_GET(GV_Visible, I->visible ? 1 : 0)
KF_SET(SV_Visible, I->visible = RoundedNonZero(V))
KF_GET(GV_Persistent, I->persistent ? 1 : 0)
KF_SET(SV_Persistent, I->persistent = RoundedNonZero(V))
KF_GET(GV_Depth, I->depth)
KF_SET(SV_DepthValue, SV_Depth(I, Narrow(V)))

#define KF_BBOX(name, field)                                \
  bool name(CInstance* I, int32_t, ScriptValue& out) {      \
    if (I == nullptr) return false;                         \
    I->EnsureBoundingBox();                                 \
    return Real(out, I->field);                             \
  }
KF_BBOX(GV_BBoxLeft, bbox_left)
KF_BBOX(GV_BBoxRight, bbox_right)
KF_BBOX(GV_BBoxTop, bbox_top)
KF_BBOX(GV_BBoxBottom, bbox_bottom)

KF_GET(GV_SpriteIndex, I->sprite_index)
KF_SET(SV_SpriteIndex, I->SetSpriteIndex(Rounded(V)))
KF_GET(GV_ImageIndex, I->image_index)
KF_SET(SV_ImageIndex, I->image_index = Narrow(V))
KF_GET(GV_ImageSingle, I->image_speed != 0.0f ? -1.0 : static_cast<double>(I->image_index))
bool SV_ImageSingle(CInstance* I, int32_t, const ScriptValue& V) {
  if (I == nullptr) return false;
  if (V.real < 0.0) {
    I->image_speed = 1.0f;
  } else {
    I->image_index = Narrow(V);
    I->image_speed = 0.0f;
  }
  return true;
}
KF_GET(GV_ImageNumber, I->GetImageNumber())

// Width, height and origin of the instance's sprite; zeros when there is none.
struct SpriteSize {
  int32_t width = 0, height = 0, xorigin = 0, yorigin = 0;
};
SpriteSize SizeOf(const CInstance& instance) {
  SpriteSize size;
  const auto& hook = Variable_BuiltIn_World().spriteSize;
  if (!hook || !hook(instance.sprite_index, size.width, size.height, size.xorigin, size.yorigin)) {
    return {};
  }
  return size;
}
KF_GET(GV_SpriteWidth, SizeOf(*I).width * static_cast<double>(I->image_xscale))
KF_GET(GV_SpriteHeight, SizeOf(*I).height * static_cast<double>(I->image_yscale))
KF_GET(GV_SpriteXOffset, SizeOf(*I).xorigin * static_cast<double>(I->image_xscale))
KF_GET(GV_SpriteYOffset, SizeOf(*I).yorigin * static_cast<double>(I->image_yscale))

KF_GET(GV_ImageXScale, I->image_xscale)
KF_SET(SV_ImageXScale, I->SetImageXScale(Narrow(V)))
KF_GET(GV_ImageYScale, I->image_yscale)
KF_SET(SV_ImageYScale, I->SetImageYScale(Narrow(V)))
KF_GET(GV_ImageAngle, I->image_angle)
KF_SET(SV_ImageAngle, I->SetImageAngle(Narrow(V)))
KF_GET(GV_ImageAlpha, I->image_alpha)
KF_SET(SV_ImageAlpha, I->image_alpha = Narrow(V))
KF_GET(GV_ImageBlend, I->image_blend)
KF_SET(SV_ImageBlend, I->image_blend = static_cast<uint32_t>(Rounded(V)))
KF_GET(GV_ImageSpeed, I->image_speed)
KF_SET(SV_ImageSpeed, I->image_speed = Narrow(V))
KF_GET(GV_MaskIndex, I->mask_index)
KF_SET(SV_MaskIndex, I->SetMaskIndex(Rounded(V)))
KF_GET(GV_PathIndex, I->path_index)
KF_GET(GV_PathPosition, I->path_position)
KF_SET(SV_PathPosition, I->SetPathPosition(Narrow(V)))
KF_GET(GV_PathPositionPrevious, I->path_positionprevious)
KF_SET(SV_PathPositionPrevious, I->SetPathPositionPrevious(Narrow(V)))
KF_GET(GV_PathSpeed, I->path_speed)
KF_SET(SV_PathSpeed, I->SetPathSpeed(Narrow(V)))
KF_GET(GV_PathScale, I->path_scale)
KF_SET(SV_PathScale, I->path_scale = Narrow(V))
KF_GET(GV_PathOrientation, I->path_orientation)
KF_SET(SV_PathOrientation, I->path_orientation = Narrow(V))
KF_GET(GV_PathEndAction, I->path_endaction)
KF_SET(SV_PathEndAction, I->path_endaction = Rounded(V))
KF_GET(GV_TimelineIndex, I->timeline_index)
KF_SET(SV_TimelineIndex, I->timeline_index = Rounded(V))
KF_GET(GV_TimelinePosition, I->timeline_position)
KF_SET(SV_TimelinePosition, I->timeline_position = Narrow(V))
KF_GET(GV_TimelineSpeed, I->timeline_speed)
KF_SET(SV_TimelineSpeed, I->timeline_speed = Narrow(V))
KF_GET(GV_TimelineRunning, I->timeline_running ? 1 : 0)
KF_SET(SV_TimelineRunning, I->timeline_running = RoundedAboveHalf(V))
KF_GET(GV_TimelineLoop, I->timeline_loop ? 1 : 0)
KF_SET(SV_TimelineLoop, I->timeline_loop = RoundedAboveHalf(V))

bool GV_AsyncLoad(CInstance*, int32_t, ScriptValue& out) { return Real(out, Run_Globals.asyncLoad); }

// The physics variables need the instance's body, which an instance gets from the physics
// world; without one every read and write fails.
bool GV_Physics(CInstance*, int32_t, ScriptValue&) { return false; }
bool SV_Physics(CInstance*, int32_t, const ScriptValue&) { return false; }

bool GV_DisplayAA(CInstance*, int32_t, ScriptValue& out) {
  return Real(out, CallOr(Variable_BuiltIn_World().displayAA, 0));
}
bool GV_DeltaTime(CInstance*, int32_t, ScriptValue& out) {
  return Real(out, static_cast<double>(Run_Globals.deltaTime));
}
bool GV_WebGLEnabled(CInstance*, int32_t, ScriptValue& out) { return Real(out, 1); }

// ---- global variables: arguments, room, score ------------------------------------------------

bool GV_ArgumentRelative(CInstance*, int32_t, ScriptValue& out) { return Real(out, Action_Relative ? 1 : 0); }

bool GV_Argument(CInstance*, int32_t index, ScriptValue& out) {
  ScriptValue_Copy(out, Code_Arguments[static_cast<size_t>(Element(index, kArgumentSlotCount))]);
  return true;
}
bool SV_Argument(CInstance*, int32_t index, const ScriptValue& value) {
  Code_Argument_Set(Element(index, kArgumentSlotCount), value);
  return true;
}
template <int N>
bool GV_ArgumentN(CInstance*, int32_t, ScriptValue& out) {
  ScriptValue_Copy(out, Code_Arguments[N]);
  return true;
}
template <int N>
bool SV_ArgumentN(CInstance*, int32_t, const ScriptValue& value) {
  Code_Argument_Set(N, value);
  return true;
}

bool GV_ArgumentCount(CInstance*, int32_t, ScriptValue& out) { return Real(out, Code_ArgumentCount); }
bool GV_DebugMode(CInstance*, int32_t, ScriptValue& out) {
  return Real(out, GameData_Header().DebugMode() ? 1 : 0);
}

bool GV_Room(CInstance*, int32_t, ScriptValue& out) {
  return Real(out, CallOr(Variable_BuiltIn_World().currentRoomIndex, -1));
}
bool SV_Room(CInstance*, int32_t, const ScriptValue& value) {
  const auto& hook = Variable_BuiltIn_World().roomGoto;
  if (hook) hook(Rounded(value));
  return true;
}
bool GV_RoomFirst(CInstance*, int32_t, ScriptValue& out) {
  return Real(out, CallOr(Variable_BuiltIn_World().firstRoom, -1));
}
bool GV_RoomLast(CInstance*, int32_t, ScriptValue& out) {
  return Real(out, CallOr(Variable_BuiltIn_World().lastRoom, -1));
}

bool GV_TransitionKind(CInstance*, int32_t, ScriptValue& out) { return Real(out, Run_Globals.transitionKind); }
bool SV_TransitionKind(CInstance*, int32_t, const ScriptValue&) {
  g_DebugConsole->Output(
      "BUG: Room transitions don't function well - setting to 0 - look at Variable_BuiltIn "
      "SV_TransitionKind() .\n");
  Run_Globals.transitionKind = 0;
  return true;
}
bool GV_TransitionSteps(CInstance*, int32_t, ScriptValue& out) { return Real(out, Run_Globals.transitionSteps); }
bool SV_TransitionSteps(CInstance*, int32_t, const ScriptValue& value) {
  const int32_t steps = Rounded(value);
  Run_Globals.transitionSteps = steps >= 1 ? steps : 1;
  return true;
}

bool GV_Score(CInstance*, int32_t, ScriptValue& out) { return Real(out, Run_Globals.score); }
bool SV_Score(CInstance*, int32_t, const ScriptValue& value) {
  Run_Globals.score = Rounded(value);
  return true;
}
bool GV_Lives(CInstance*, int32_t, ScriptValue& out) { return Real(out, Run_Globals.lives); }
bool SV_Lives(CInstance*, int32_t, const ScriptValue& value) {
  const int32_t old = Run_Globals.lives;
  Run_Globals.lives = Rounded(value);
  if (old >= 1 && Run_Globals.lives <= 0) Perform_Event_All(EventType::Other, OtherEvent::NoMoreLives);
  return true;
}
bool GV_Health(CInstance*, int32_t, ScriptValue& out) { return Real(out, Run_Globals.health); }
bool SV_Health(CInstance*, int32_t, const ScriptValue& value) {
  const double old = Run_Globals.health;
  Run_Globals.health = value.real;
  if (old > 0.0 && Run_Globals.health <= 0.0) {
    Perform_Event_All(EventType::Other, OtherEvent::NoMoreHealth);
  }
  return true;
}

bool GV_GameId(CInstance*, int32_t, ScriptValue& out) { return Real(out, GameData_Header().gameId); }
bool GV_GameGuid(CInstance*, int32_t, ScriptValue& out) { return Text(out, std::string()); }
bool GV_WorkingDirectory(CInstance*, int32_t, ScriptValue& out) { return Text(out, g_WorkingDirectory); }
bool GV_TempDirectory(CInstance*, int32_t, ScriptValue& out) {
  return Text(out, File_GetTempDirectory().value_or(std::string()));
}
bool GV_ProgramDirectory(CInstance*, int32_t, ScriptValue& out) {
  const std::string& exe = GetExecutablePath();
  const size_t cut = exe.find_last_of("/\\");
  return Text(out, cut == std::string::npos ? std::string() : exe.substr(0, cut));
}

bool GV_InstanceCount(CInstance*, int32_t, ScriptValue& out) {
  int32_t count = 0;
  Variable_ForEachActiveInstance([&count](CInstance&) {
    ++count;
    return true;
  });
  return Real(out, count);
}
bool GV_InstanceId(CInstance*, int32_t index, ScriptValue& out) {
  const int32_t wanted = index % 32000;
  int32_t at = 0;
  int32_t id = -4;  // noone
  if (wanted >= 0) {
    Variable_ForEachActiveInstance([&](CInstance& instance) {
      if (at++ != wanted) return true;
      id = instance.id;
      return false;
    });
  }
  return Real(out, id);
}

// Room fields: R is the current room; without one they read 0 and writes go nowhere.
#define KF_ROOM_GET(name, expr)                              \
  bool name(CInstance*, int32_t index, ScriptValue& out) {   \
    (void)index;                                             \
    RoomSettings* R = Room();                                \
    return Real(out, R == nullptr ? 0.0 : static_cast<double>(expr)); \
  }
#define KF_ROOM_SET(name, stmt)                                      \
  bool name(CInstance*, int32_t index, const ScriptValue& V) {       \
    (void)index;                                                     \
    RoomSettings* R = Room();                                        \
    if (R != nullptr) stmt;                                          \
    return true;                                                     \
  }

KF_ROOM_GET(GV_RoomWidth, R->width)
KF_ROOM_GET(GV_RoomHeight, R->height)
bool GV_RoomCaption(CInstance*, int32_t, ScriptValue& out) {
  RoomSettings* room = Room();
  return Text(out, room != nullptr ? room->caption : std::string());
}
KF_ROOM_SET(SV_RoomCaption, R->SetCaption(V.text))
KF_ROOM_GET(GV_RoomSpeed, R->speed)
bool SV_RoomSpeed(CInstance*, int32_t, const ScriptValue& value) {
  const int32_t speed = Rounded(value);
  if (speed <= 0) {
    Error_Show_Action("Trying to set the room speed to a value <= 0.", false);
    return false;
  }
  if (RoomSettings* room = Room()) room->speed = speed;
  return true;
}
KF_ROOM_GET(GV_RoomPersistent, R->persistent ? 1 : 0)
KF_ROOM_SET(SV_RoomPersistent, R->persistent = RoundedAboveHalf(V))
KF_ROOM_GET(GV_BackgroundColor, R->colour)
KF_ROOM_SET(SV_BackgroundColor, R->colour = static_cast<uint32_t>(Rounded(V)))
KF_ROOM_GET(GV_BackgroundShowColor, R->showColour ? 1 : 0)
KF_ROOM_SET(SV_BackgroundShowColor, R->showColour = RoundedAboveHalf(V))
KF_ROOM_GET(GV_ViewEnabled, R->enableViews ? 1 : 0)
KF_ROOM_SET(SV_ViewEnabled, R->enableViews = RoundedAboveHalf(V))

// Background records: B is record index (0 to 7, anything else 0) of the current room.
#define KF_BG(field, getExpr, setStmt)                                         \
  bool GV_Background_##field(CInstance*, int32_t index, ScriptValue& out) {    \
    RoomBackground* B = Background(index);                                    \
    return Real(out, B == nullptr ? 0.0 : static_cast<double>(getExpr));      \
  }                                                                            \
  bool SV_Background_##field(CInstance*, int32_t index, const ScriptValue& V) {\
    if (RoomBackground* B = Background(index)) setStmt;                        \
    return true;                                                               \
  }
KF_BG(Visible, B->visible ? 1 : 0, B->visible = RoundedAboveHalf(V))
KF_BG(Foreground, B->foreground ? 1 : 0, B->foreground = RoundedAboveHalf(V))
KF_BG(Index, B->index, B->index = Rounded(V))
KF_BG(X, B->x, B->x = Narrow(V))
KF_BG(Y, B->y, B->y = Narrow(V))
KF_BG(HTiled, B->htiled ? 1 : 0, B->htiled = RoundedAboveHalf(V))
KF_BG(VTiled, B->vtiled ? 1 : 0, B->vtiled = RoundedAboveHalf(V))
KF_BG(XScale, B->xscale, B->xscale = Narrow(V))
KF_BG(YScale, B->yscale, B->yscale = Narrow(V))
KF_BG(HSpeed, B->hspeed, B->hspeed = Narrow(V))
KF_BG(VSpeed, B->vspeed, B->vspeed = Narrow(V))
KF_BG(Blend, B->blend, B->blend = static_cast<uint32_t>(Rounded(V)))
KF_BG(Alpha, B->alpha, B->alpha = Narrow(V))

bool BackgroundSize(int32_t index, int32_t& width, int32_t& height) {
  width = height = 0;
  const RoomBackground* record = Background(index);
  const auto& hook = Variable_BuiltIn_World().backgroundSize;
  if (record == nullptr || !hook || !hook(record->index, width, height)) {
    width = height = 0;
    return false;
  }
  return true;
}
bool GV_BackgroundWidth(CInstance*, int32_t index, ScriptValue& out) {
  int32_t width, height;
  BackgroundSize(index, width, height);
  return Real(out, width);
}
bool GV_BackgroundHeight(CInstance*, int32_t index, ScriptValue& out) {
  int32_t width, height;
  BackgroundSize(index, width, height);
  return Real(out, height);
}

bool GV_ViewCurrent(CInstance*, int32_t, ScriptValue& out) { return Real(out, Run_Globals.viewCurrent); }

#define KF_VIEW(field, getExpr, setStmt)                                       \
  bool GV_View_##field(CInstance*, int32_t index, ScriptValue& out) {          \
    RoomView* W = View(index);                                                 \
    return Real(out, W == nullptr ? 0.0 : static_cast<double>(getExpr));       \
  }                                                                            \
  bool SV_View_##field(CInstance*, int32_t index, const ScriptValue& V) {      \
    if (RoomView* W = View(index)) setStmt;                                    \
    return true;                                                               \
  }
KF_VIEW(Visible, W->visible ? 1 : 0, W->visible = RoundedAboveHalf(V))
KF_VIEW(XView, W->xview, W->xview = Rounded(V))
KF_VIEW(YView, W->yview, W->yview = Rounded(V))
KF_VIEW(WView, W->wview, W->wview = Rounded(V))
KF_VIEW(HView, W->hview, W->hview = Rounded(V))
KF_VIEW(XPort, W->xport, W->xport = Rounded(V))
KF_VIEW(YPort, W->yport, W->yport = Rounded(V))
KF_VIEW(WPort, W->wport, W->wport = Rounded(V))
KF_VIEW(HPort, W->hport, W->hport = Rounded(V))
KF_VIEW(Angle, W->angle, W->angle = Narrow(V))
KF_VIEW(HBorder, W->hborder, W->hborder = Rounded(V))
KF_VIEW(VBorder, W->vborder, W->vborder = Rounded(V))
KF_VIEW(HSpeed, W->hspeed, W->hspeed = Rounded(V))
KF_VIEW(VSpeed, W->vspeed, W->vspeed = Rounded(V))
KF_VIEW(Object, W->object, W->object = Rounded(V))
KF_VIEW(Surface, W->surface, W->surface = Rounded(V))

// ---- input, captions, clock, events, errors ---------------------------------------------------

bool GV_MouseX(CInstance*, int32_t, ScriptValue& out) {
  const auto& hook = Variable_BuiltIn_World().mouseX;
  return Real(out, hook ? hook() : 0.0);
}
bool GV_MouseY(CInstance*, int32_t, ScriptValue& out) {
  const auto& hook = Variable_BuiltIn_World().mouseY;
  return Real(out, hook ? hook() : 0.0);
}

#define KF_INPUT(name, field)                                             \
  bool GV_##name(CInstance*, int32_t, ScriptValue& out) {                 \
    return Real(out, Variable_BuiltIn_Input().field);                     \
  }                                                                       \
  bool SV_##name(CInstance*, int32_t, const ScriptValue& V) {             \
    Variable_BuiltIn_Input().field = Rounded(V);                          \
    return true;                                                          \
  }
KF_INPUT(MouseButton, mouseButton)
KF_INPUT(MouseLastButton, mouseLastButton)
KF_INPUT(KeyboardKey, keyboardKey)
KF_INPUT(KeyboardLastKey, keyboardLastKey)

bool GV_KeyboardLastChar(CInstance*, int32_t, ScriptValue& out) {
  return Text(out, Variable_BuiltIn_Input().keyboardLastChar);
}
// The first character of the text (a whole UTF-8 sequence, never a lone byte of one).
bool SV_KeyboardLastChar(CInstance*, int32_t, const ScriptValue& value) {
  if (value.text.empty()) return true;
  const char* p = value.text.c_str();
  const uint16_t c = UTF8_GetChar(p);
  std::string character;
  UTF8_PutChar(character, c);
  Variable_BuiltIn_Input().keyboardLastChar = character;
  return true;
}
bool GV_KeyboardString(CInstance*, int32_t, ScriptValue& out) {
  return Text(out, Variable_BuiltIn_Input().keyboardString);
}
bool SV_KeyboardString(CInstance*, int32_t, const ScriptValue& value) {
  Variable_BuiltIn_Input().keyboardString = value.text;
  return true;
}

bool GV_CursorSprite(CInstance*, int32_t, ScriptValue& out) { return Real(out, Run_Globals.cursorSprite); }
bool SV_CursorSprite(CInstance*, int32_t, const ScriptValue& value) {
  Run_Globals.cursorSprite = Rounded(value);
  return true;
}

#define KF_GLOBAL_FLAG(name, field)                                           \
  bool GV_##name(CInstance*, int32_t, ScriptValue& out) {                     \
    return Real(out, Run_Globals.field ? 1 : 0);                              \
  }                                                                           \
  bool SV_##name(CInstance*, int32_t, const ScriptValue& V) {                 \
    Run_Globals.field = RoundedAboveHalf(V);                                  \
    return true;                                                              \
  }
KF_GLOBAL_FLAG(ShowScore, showScore)
KF_GLOBAL_FLAG(ShowLives, showLives)
KF_GLOBAL_FLAG(ShowHealth, showHealth)

#define KF_CAPTION(name, field)                                               \
  bool GV_##name(CInstance*, int32_t, ScriptValue& out) {                     \
    return Text(out, Run_Globals.field);                                      \
  }                                                                           \
  bool SV_##name(CInstance*, int32_t, const ScriptValue& V) {                 \
    Run_Globals.field = V.text;                                               \
    return true;                                                              \
  }
KF_CAPTION(CaptionScore, captionScore)
KF_CAPTION(CaptionLives, captionLives)
KF_CAPTION(CaptionHealth, captionHealth)

bool GV_Fps(CInstance*, int32_t, ScriptValue& out) { return Real(out, Fps); }
bool GV_CurrentTime(CInstance*, int32_t, ScriptValue& out) {
  return Real(out, static_cast<double>(Timing_Time() / 1000));
}

std::tm LocalNow() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return local;
}
bool GV_CurrentYear(CInstance*, int32_t, ScriptValue& out) { return Real(out, LocalNow().tm_year + 1900); }
// Months count from 1 and the day is the day of the month, as game code expects of them.
bool GV_CurrentMonth(CInstance*, int32_t, ScriptValue& out) { return Real(out, LocalNow().tm_mon + 1); }
bool GV_CurrentDay(CInstance*, int32_t, ScriptValue& out) { return Real(out, LocalNow().tm_mday); }
bool GV_CurrentWeekday(CInstance*, int32_t, ScriptValue& out) { return Real(out, LocalNow().tm_wday); }
bool GV_CurrentHour(CInstance*, int32_t, ScriptValue& out) { return Real(out, LocalNow().tm_hour); }
bool GV_CurrentMinute(CInstance*, int32_t, ScriptValue& out) { return Real(out, LocalNow().tm_min); }
bool GV_CurrentSecond(CInstance*, int32_t, ScriptValue& out) { return Real(out, LocalNow().tm_sec); }

bool GV_EventType(CInstance*, int32_t, ScriptValue& out) { return Real(out, Event_Current.type); }
bool GV_EventNumber(CInstance*, int32_t, ScriptValue& out) { return Real(out, Event_Current.number); }
bool GV_EventObject(CInstance*, int32_t, ScriptValue& out) { return Real(out, Event_Current.object); }
bool GV_EventAction(CInstance*, int32_t, ScriptValue& out) { return Real(out, Event_Current.action); }
bool GV_SecureMode(CInstance*, int32_t, ScriptValue& out) { return Real(out, 0); }
bool GV_ErrorOccurred(CInstance*, int32_t, ScriptValue& out) { return Real(out, Error_Occurred ? 1 : 0); }
bool SV_ErrorOccurred(CInstance*, int32_t, const ScriptValue& value) {
  Error_Occurred = value.real >= 0.5;
  return true;
}
bool GV_ErrorLast(CInstance*, int32_t, ScriptValue& out) { return Text(out, Error_Last); }
bool SV_ErrorLast(CInstance*, int32_t, const ScriptValue& value) {
  Error_Last = value.text;
  return true;
}

bool GV_OsType(CInstance*, int32_t, ScriptValue& out) { return Real(out, 0); }
bool GV_MinusOne(CInstance*, int32_t, ScriptValue& out) { return Real(out, -1); }
bool GV_BrowserWidth(CInstance*, int32_t, ScriptValue& out) {
  return Real(out, CallOr(Variable_BuiltIn_World().surfaceWidth, GameData_Header().windowWidth));
}
bool GV_BrowserHeight(CInstance*, int32_t, ScriptValue& out) {
  return Real(out, CallOr(Variable_BuiltIn_World().surfaceHeight, GameData_Header().windowHeight));
}

// ---- the dispatch from variable access --------------------------------------------------------

bool GetBuiltin(CInstance* instance, int32_t id, int32_t index, ScriptValue& out) {
  const BuiltinVariableEntry* entry = Variable_BuiltIn_Entry(id);
  return entry != nullptr && entry->getter != nullptr && entry->getter(instance, index, out);
}

bool SetBuiltin(CInstance* instance, int32_t id, int32_t index, const ScriptValue& value) {
  const BuiltinVariableEntry* entry = Variable_BuiltIn_Entry(id);
  return entry != nullptr && entry->setter != nullptr && entry->setter(instance, index, value);
}

struct Registration {
  const char* name;
  BuiltinGetter getter;
  BuiltinSetter setter;
};

template <size_t... N>
void AddArguments(std::index_sequence<N...>) {
  static const char* const names[] = {"argument0",  "argument1",  "argument2",  "argument3",
                                      "argument4",  "argument5",  "argument6",  "argument7",
                                      "argument8",  "argument9",  "argument10", "argument11",
                                      "argument12", "argument13", "argument14", "argument15"};
  (Variable_BuiltIn_Add(names[N], GV_ArgumentN<N>, SV_ArgumentN<N>, true), ...);
}

void AddAll(std::initializer_list<Registration> list) {
  for (const Registration& r : list) Variable_BuiltIn_Add(r.name, r.getter, r.setter, r.setter != nullptr);
}

void AddInstanceVariables() {
  AddAll({
      {"x", GV_X, SV_X},
      {"y", GV_Y, SV_Y},
      {"xprevious", GV_XPrevious, SV_XPrevious},
      {"yprevious", GV_YPrevious, SV_YPrevious},
      {"xstart", GV_XStart, SV_XStart},
      {"ystart", GV_YStart, SV_YStart},
      {"hspeed", GV_HSpeed, SV_HSpeed},
      {"vspeed", GV_VSpeed, SV_VSpeed},
      {"direction", GV_Direction, SV_Direction},
      {"speed", GV_Speed, SV_Speed},
      {"friction", GV_Friction, SV_Friction},
      {"gravity", GV_Gravity, SV_Gravity},
      {"gravity_direction", GV_GravityDirection, SV_GravityDirection},
      {"object_index", GV_ObjectIndex, nullptr},
      {"id", GV_Id, nullptr},
      {"alarm", GV_Alarm, SV_Alarm},
      {"solid", GV_Solid, SV_Solid},
      {"visible", GV_Visible, SV_Visible},
      {"persistent", GV_Persistent, SV_Persistent},
      {"depth", GV_Depth, SV_DepthValue},
      {"bbox_left", GV_BBoxLeft, nullptr},
      {"bbox_right", GV_BBoxRight, nullptr},
      {"bbox_top", GV_BBoxTop, nullptr},
      {"bbox_bottom", GV_BBoxBottom, nullptr},
      {"sprite_index", GV_SpriteIndex, SV_SpriteIndex},
      {"image_index", GV_ImageIndex, SV_ImageIndex},
      {"image_single", GV_ImageSingle, SV_ImageSingle},
      {"image_number", GV_ImageNumber, nullptr},
      {"sprite_width", GV_SpriteWidth, nullptr},
      {"sprite_height", GV_SpriteHeight, nullptr},
      {"sprite_xoffset", GV_SpriteXOffset, nullptr},
      {"sprite_yoffset", GV_SpriteYOffset, nullptr},
      {"image_xscale", GV_ImageXScale, SV_ImageXScale},
      {"image_yscale", GV_ImageYScale, SV_ImageYScale},
      {"image_angle", GV_ImageAngle, SV_ImageAngle},
      {"image_alpha", GV_ImageAlpha, SV_ImageAlpha},
      {"image_blend", GV_ImageBlend, SV_ImageBlend},
      {"image_speed", GV_ImageSpeed, SV_ImageSpeed},
      {"mask_index", GV_MaskIndex, SV_MaskIndex},
      {"path_index", GV_PathIndex, nullptr},
      {"path_position", GV_PathPosition, SV_PathPosition},
      {"path_positionprevious", GV_PathPositionPrevious, SV_PathPositionPrevious},
      {"path_speed", GV_PathSpeed, SV_PathSpeed},
      {"path_scale", GV_PathScale, SV_PathScale},
      {"path_orientation", GV_PathOrientation, SV_PathOrientation},
      {"path_endaction", GV_PathEndAction, SV_PathEndAction},
      {"timeline_index", GV_TimelineIndex, SV_TimelineIndex},
      {"timeline_position", GV_TimelinePosition, SV_TimelinePosition},
      {"timeline_speed", GV_TimelineSpeed, SV_TimelineSpeed},
      {"timeline_running", GV_TimelineRunning, SV_TimelineRunning},
      {"timeline_loop", GV_TimelineLoop, SV_TimelineLoop},
      {"async_load", GV_AsyncLoad, nullptr},
      {"phy_rotation", GV_Physics, SV_Physics},
      {"phy_position_x", GV_Physics, SV_Physics},
      {"phy_position_y", GV_Physics, SV_Physics},
      {"phy_angular_velocity", GV_Physics, SV_Physics},
      {"phy_linear_velocity_x", GV_Physics, SV_Physics},
      {"phy_linear_velocity_y", GV_Physics, SV_Physics},
      {"phy_speed_x", GV_Physics, SV_Physics},
      {"phy_speed_y", GV_Physics, SV_Physics},
      {"phy_bullet", GV_Physics, SV_Physics},
      {"phy_fixed_rotation", GV_Physics, SV_Physics},
      {"phy_active", GV_Physics, SV_Physics},
      {"phy_mass", GV_Physics, nullptr},
      {"phy_inertia", GV_Physics, nullptr},
      {"phy_com_x", GV_Physics, nullptr},
      {"phy_com_y", GV_Physics, nullptr},
      {"phy_dynamic", GV_Physics, nullptr},
      {"phy_kinematic", GV_Physics, nullptr},
      {"phy_sleeping", GV_Physics, nullptr},
      {"phy_collision_points", GV_Physics, nullptr},
      {"phy_collision_x", GV_Physics, nullptr},
      {"phy_collision_y", GV_Physics, nullptr},
      {"phy_col_normal_x", GV_Physics, nullptr},
      {"phy_col_normal_y", GV_Physics, nullptr},
      {"display_aa", GV_DisplayAA, nullptr},
      {"delta_time", GV_DeltaTime, nullptr},
      {"webgl_enabled", GV_WebGLEnabled, nullptr},
  });
}

void AddGlobalVariables() {
  AddAll({
      {"argument_relative", GV_ArgumentRelative, nullptr},
      {"argument", GV_Argument, SV_Argument},
  });
  AddArguments(std::make_index_sequence<kArgumentSlotCount>());
  AddAll({
      {"argument_count", GV_ArgumentCount, nullptr},
      {"debug_mode", GV_DebugMode, nullptr},
      {"room", GV_Room, SV_Room},
      {"room_first", GV_RoomFirst, nullptr},
      {"room_last", GV_RoomLast, nullptr},
      {"transition_kind", GV_TransitionKind, SV_TransitionKind},
      {"transition_steps", GV_TransitionSteps, SV_TransitionSteps},
      {"score", GV_Score, SV_Score},
      {"lives", GV_Lives, SV_Lives},
      {"health", GV_Health, SV_Health},
      {"game_id", GV_GameId, nullptr},
      {"game_guid", GV_GameGuid, nullptr},
      {"working_directory", GV_WorkingDirectory, nullptr},
      {"temp_directory", GV_TempDirectory, nullptr},
      {"program_directory", GV_ProgramDirectory, nullptr},
      {"instance_count", GV_InstanceCount, nullptr},
      {"instance_id", GV_InstanceId, nullptr},
      {"room_width", GV_RoomWidth, nullptr},
      {"room_height", GV_RoomHeight, nullptr},
      {"room_caption", GV_RoomCaption, SV_RoomCaption},
      {"room_speed", GV_RoomSpeed, SV_RoomSpeed},
      {"room_persistent", GV_RoomPersistent, SV_RoomPersistent},
      {"background_color", GV_BackgroundColor, SV_BackgroundColor},
      {"background_showcolor", GV_BackgroundShowColor, SV_BackgroundShowColor},
      {"background_visible", GV_Background_Visible, SV_Background_Visible},
      {"background_foreground", GV_Background_Foreground, SV_Background_Foreground},
      {"background_index", GV_Background_Index, SV_Background_Index},
      {"background_x", GV_Background_X, SV_Background_X},
      {"background_y", GV_Background_Y, SV_Background_Y},
      {"background_width", GV_BackgroundWidth, nullptr},
      {"background_height", GV_BackgroundHeight, nullptr},
      {"background_htiled", GV_Background_HTiled, SV_Background_HTiled},
      {"background_vtiled", GV_Background_VTiled, SV_Background_VTiled},
      {"background_xscale", GV_Background_XScale, SV_Background_XScale},
      {"background_yscale", GV_Background_YScale, SV_Background_YScale},
      {"background_hspeed", GV_Background_HSpeed, SV_Background_HSpeed},
      {"background_vspeed", GV_Background_VSpeed, SV_Background_VSpeed},
      {"background_blend", GV_Background_Blend, SV_Background_Blend},
      {"background_alpha", GV_Background_Alpha, SV_Background_Alpha},
      {"view_enabled", GV_ViewEnabled, SV_ViewEnabled},
      {"view_current", GV_ViewCurrent, nullptr},
      {"view_visible", GV_View_Visible, SV_View_Visible},
      {"view_xview", GV_View_XView, SV_View_XView},
      {"view_yview", GV_View_YView, SV_View_YView},
      {"view_wview", GV_View_WView, SV_View_WView},
      {"view_hview", GV_View_HView, SV_View_HView},
      {"view_xport", GV_View_XPort, SV_View_XPort},
      {"view_yport", GV_View_YPort, SV_View_YPort},
      {"view_wport", GV_View_WPort, SV_View_WPort},
      {"view_hport", GV_View_HPort, SV_View_HPort},
      {"view_angle", GV_View_Angle, SV_View_Angle},
      {"view_hborder", GV_View_HBorder, SV_View_HBorder},
      {"view_vborder", GV_View_VBorder, SV_View_VBorder},
      {"view_hspeed", GV_View_HSpeed, SV_View_HSpeed},
      {"view_vspeed", GV_View_VSpeed, SV_View_VSpeed},
      {"view_object", GV_View_Object, SV_View_Object},
      {"view_surface_id", GV_View_Surface, SV_View_Surface},
      {"mouse_x", GV_MouseX, nullptr},
      {"mouse_y", GV_MouseY, nullptr},
      {"mouse_button", GV_MouseButton, SV_MouseButton},
      {"mouse_lastbutton", GV_MouseLastButton, SV_MouseLastButton},
      {"keyboard_key", GV_KeyboardKey, SV_KeyboardKey},
      {"keyboard_lastkey", GV_KeyboardLastKey, SV_KeyboardLastKey},
      {"keyboard_lastchar", GV_KeyboardLastChar, SV_KeyboardLastChar},
      {"keyboard_string", GV_KeyboardString, SV_KeyboardString},
      {"cursor_sprite", GV_CursorSprite, SV_CursorSprite},
      {"show_score", GV_ShowScore, SV_ShowScore},
      {"show_lives", GV_ShowLives, SV_ShowLives},
      {"show_health", GV_ShowHealth, SV_ShowHealth},
      {"caption_score", GV_CaptionScore, SV_CaptionScore},
      {"caption_lives", GV_CaptionLives, SV_CaptionLives},
      {"caption_health", GV_CaptionHealth, SV_CaptionHealth},
      {"fps", GV_Fps, nullptr},
      {"current_time", GV_CurrentTime, nullptr},
      {"current_year", GV_CurrentYear, nullptr},
      {"current_month", GV_CurrentMonth, nullptr},
      {"current_day", GV_CurrentDay, nullptr},
      {"current_weekday", GV_CurrentWeekday, nullptr},
      {"current_hour", GV_CurrentHour, nullptr},
      {"current_minute", GV_CurrentMinute, nullptr},
      {"current_second", GV_CurrentSecond, nullptr},
      {"event_type", GV_EventType, nullptr},
      {"event_number", GV_EventNumber, nullptr},
      {"event_object", GV_EventObject, nullptr},
      {"event_action", GV_EventAction, nullptr},
      {"secure_mode", GV_SecureMode, nullptr},
      {"error_occurred", GV_ErrorOccurred, SV_ErrorOccurred},
      {"error_last", GV_ErrorLast, SV_ErrorLast},
  });
  Variable_AddEnvironmentVariables();
}

}  // namespace

void Variable_BuiltIn_Add(const char* name, BuiltinGetter getter, BuiltinSetter setter, bool settable) {
  auto& table = Table();
  if (static_cast<int32_t>(table.size()) >= kMaxBuiltinVariables) {
    ShowMessage("INTERNAL ERROR: Adding too many variables");
    return;
  }
  table.push_back({name != nullptr ? std::string(name) : std::string(), getter, setter, settable});
}

int32_t Variable_BuiltIn_Find(std::string_view name) {
  const auto& table = Table();
  for (size_t i = 0; i < table.size(); ++i) {
    if (table[i].name == name) return static_cast<int32_t>(i);
  }
  return -1;
}

std::string Variable_BuiltIn_Name(int32_t id) {
  const BuiltinVariableEntry* entry = Variable_BuiltIn_Entry(id);
  return entry != nullptr ? entry->name : std::string("<unknown built-in variable>");
}

int32_t Variable_BuiltIn_Count() { return static_cast<int32_t>(Table().size()); }

const BuiltinVariableEntry* Variable_BuiltIn_Entry(int32_t id) {
  if (id < 0 || id >= Variable_BuiltIn_Count()) return nullptr;
  return &Table()[static_cast<size_t>(id)];
}

void Variable_BuiltIn_Init() {
  Table().clear();
  Table().reserve(kMaxBuiltinVariables);
  AddInstanceVariables();
  AddGlobalVariables();
  Variable_SetBuiltInAccessors(GetBuiltin, SetBuiltin);
  Code_SetBuiltinVariableHooks(
      [](std::string_view name) { return Variable_BuiltIn_Find(name); },
      [](int32_t index, std::string& name) {
        const BuiltinVariableEntry* entry = Variable_BuiltIn_Entry(index);
        if (entry == nullptr) return false;
        name = entry->name;
        return true;
      });
}

void Variable_AddEnvironmentVariables() {
  Variable_BuiltIn_Add("os_type", GV_OsType, nullptr, false);
  Variable_BuiltIn_Add("os_device", GV_MinusOne, nullptr, false);
  Variable_BuiltIn_Add("os_version", GV_MinusOne, nullptr, false);
  Variable_BuiltIn_Add("os_browser", GV_MinusOne, nullptr, false);
  Variable_BuiltIn_Add("browser_width", GV_BrowserWidth, nullptr, false);
  Variable_BuiltIn_Add("browser_height", GV_BrowserHeight, nullptr, false);
}

void Variable_SetWorkingDirectory(const std::string& gameFilePath) {
  if (g_WorkingDirectorySet) return;
  g_WorkingDirectorySet = true;
  size_t cut = gameFilePath.rfind('/');
  if (cut == std::string::npos) cut = gameFilePath.rfind('\\');
  g_WorkingDirectory = cut == std::string::npos ? std::string() : gameFilePath.substr(0, cut);
  const std::string rule(73, '#');
  g_DebugConsole->Output("%s\n", rule.c_str());
  g_DebugConsole->Output("####!!!!$$$$$$ pwd - %s\n", g_WorkingDirectory.c_str());
  g_DebugConsole->Output("%s\n", rule.c_str());
}

const std::string& Variable_WorkingDirectory() { return g_WorkingDirectory; }

BuiltinVariableWorld& Variable_BuiltIn_World() {
  static BuiltinVariableWorld world;
  return world;
}

BuiltinInputState& Variable_BuiltIn_Input() {
  static BuiltinInputState state;
  return state;
}

void SV_Depth(CInstance* instance, float depth) {
  if (instance == nullptr || instance->depth == depth) return;
  instance->depth = depth;
  if (instance->deactivated) return;
  RoomSettings* room = Room();
  if (room == nullptr) return;
  // Only an instance that is in the list moves in it.
  if (instance->prev == nullptr && room->active.first != instance) return;
  InstanceList_Unlink(room->active, *instance);
  InstanceList_InsertByDepth(room->active, *instance);
}
