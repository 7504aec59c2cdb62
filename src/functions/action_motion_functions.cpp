// The motion, instance, sprite, sound, room and timing actions.
#include <array>
#include <string_view>

#include "audio/audio_engine.h"
#include "audio/sound_hardware.h"
#include "audio/sound_resources.h"
#include "data/objects.h"
#include "data/rooms.h"
#include "functions/action_helpers.h"
#include "functions/argument_helpers.h"
#include "functions/motion_functions.h"
#include "platform/conversions.h"
#include "platform/random.h"
#include "platform/timing.h"
#include "runner/commands.h"
#include "runner/events.h"
#include "runner/game_step.h"
#include "runner/instance.h"
#include "runner/main_loop.h"
#include "runner/motion_planning.h"
#include "runner/room_start.h"
#include "script/error_report.h"

namespace {

using Args = ScriptValue*;

// ---- motion ----

// The keypad cells read from the bottom-left; cell 4 stops.
constexpr std::array<float, 9> kMoveDirections = {225, 270, 315, 180, 0, 0, 135, 90, 45};
constexpr int32_t kStopCell = 4;

void F_ActionMove(ScriptValue&, CInstance* self, CInstance*, int, Args a) {
  if (self == nullptr) return;
  const std::string_view dirs = Arg_String(a[0]);
  if (!a[0].IsString() || dirs.size() != kMoveDirections.size()) {
    Error_Show_Action("Wrong argument to action_move().", false);
    return;
  }
  if (dirs.find('1') == std::string_view::npos) return;
  self->SetSpeed(Action_Rel(Arg_Single(a[1]), self->speed));
  int32_t cell = 0;
  do {
    cell = Random_Below(static_cast<int32_t>(kMoveDirections.size()));
  } while (dirs[static_cast<size_t>(cell)] != '1');
  self->SetDirection(kMoveDirections[static_cast<size_t>(cell)]);
  if (cell == kStopCell) self->SetSpeed(0.0f);
}

void F_ActionSetMotion(ScriptValue&, CInstance* self, CInstance*, int, Args a) {
  if (self == nullptr) return;
  if (Action_Relative) {
    self->AddMotion(Arg_Single(a[0]), Arg_Single(a[1]));
  } else {
    self->SetDirection(Arg_Single(a[0]));
    self->SetSpeed(Arg_Single(a[1]));
  }
}

void F_ActionSetHspeed(ScriptValue&, CInstance* self, CInstance*, int, Args a) {
  if (self != nullptr) self->SetHSpeed(Action_Rel(Arg_Single(a[0]), self->hspeed));
}

void F_ActionSetVspeed(ScriptValue&, CInstance* self, CInstance*, int, Args a) {
  if (self != nullptr) self->SetVSpeed(Action_Rel(Arg_Single(a[0]), self->vspeed));
}

void F_ActionSetGravity(ScriptValue&, CInstance* self, CInstance*, int, Args a) {
  if (self == nullptr) return;
  self->gravity_direction = Action_Rel(Arg_Single(a[0]), self->gravity_direction);
  self->gravity = Action_Rel(Arg_Single(a[1]), self->gravity);
}

void F_ActionSetFriction(ScriptValue&, CInstance* self, CInstance*, int, Args a) {
  if (self != nullptr) self->friction = Action_Rel(Arg_Single(a[0]), self->friction);
}

void F_ActionMovePoint(ScriptValue&, CInstance* self, CInstance*, int, Args a) {
  if (self == nullptr) return;
  Command_MoveTowardsPoint(*self, Action_Rel(Arg_Single(a[0]), self->x), Action_Rel(Arg_Single(a[1]), self->y),
                           Arg_Single(a[2]));
}

void F_ActionMoveTo(ScriptValue&, CInstance* self, CInstance*, int, Args a) {
  if (self != nullptr) self->SetPosition(Action_Rel(Arg_Single(a[0]), self->x), Action_Rel(Arg_Single(a[1]), self->y));
}

void F_ActionMoveStart(ScriptValue&, CInstance* self, CInstance*, int, Args) {
  if (self != nullptr) self->SetPosition(self->xstart, self->ystart);
}

// 99 tries, one fewer than move_random.
void F_ActionMoveRandom(ScriptValue&, CInstance* self, CInstance*, int, Args a) {
  if (self != nullptr) Motion_MoveRandom(*self, Arg_Rounded(a[0]), Arg_Rounded(a[1]), 99);
}

void F_ActionSnap(ScriptValue&, CInstance* self, CInstance*, int, Args a) {
  if (self != nullptr) Command_MoveSnap(*self, Arg_Rounded(a[0]), Arg_Rounded(a[1]));
}

void F_ActionWrap(ScriptValue&, CInstance* self, CInstance*, int, Args a) {
  if (self == nullptr) return;
  const int32_t dir = Arg_Rounded(a[0]);
  Command_Wrap(*self, dir == 0 || dir == 2, dir == 1 || dir == 2);
}

void F_ActionReverseXdir(ScriptValue&, CInstance* self, CInstance*, int, Args) {
  if (self != nullptr) self->SetHSpeed(-self->hspeed);
}

void F_ActionReverseYdir(ScriptValue&, CInstance* self, CInstance*, int, Args) {
  if (self != nullptr) self->SetVSpeed(-self->vspeed);
}

void F_ActionMoveContact(ScriptValue&, CInstance* self, CInstance*, int, Args a) {
  if (self != nullptr) Command_MoveContact(*self, Arg_Single(a[0]), Arg_Single(a[1]), !Arg_Flag(a[2]));
}

void F_ActionBounce(ScriptValue&, CInstance* self, CInstance*, int, Args a) {
  if (self != nullptr) Command_Bounce(*self, Arg_Flag(a[0]), Arg_Real(a[1]) == 1.0);
}

void F_ActionPath(ScriptValue&, CInstance* self, CInstance*, int, Args a) {
  if (self == nullptr) return;
  self->StartPath(Arg_Rounded(a[0]), Arg_Single(a[1]), 1.0f, 0.0f, Arg_Real(a[3]) < 0.5, Arg_Rounded(a[2]));
}

void F_ActionPathEnd(ScriptValue&, CInstance* self, CInstance*, int, Args) {
  if (self == nullptr) return;
  self->path_index = -1;
  self->path_speed = 0.0f;
}

void F_ActionPathPosition(ScriptValue&, CInstance* self, CInstance*, int, Args a) {
  if (self != nullptr) self->SetPathPosition(Action_Rel(Arg_Single(a[0]), self->path_position));
}

void F_ActionPathSpeed(ScriptValue&, CInstance* self, CInstance*, int, Args a) {
  if (self != nullptr) self->SetPathSpeed(Action_Rel(Arg_Single(a[0]), self->path_speed));
}

// One planner step towards (x, y) against all instances, or only solid ones when solid is set.
template <bool (*Step)(CInstance&, float, float, float, int32_t, bool)>
void F_ActionPlannerStep(ScriptValue&, CInstance* self, CInstance*, int, Args a) {
  if (self == nullptr) return;
  Step(*self, Action_Rel(Arg_Single(a[0]), self->x), Action_Rel(Arg_Single(a[1]), self->y), Arg_Single(a[2]),
       kSelectAll, !Arg_Flag(a[3]));
}

// ---- instances ----

// A new instance of obj at (x, y) (relative to self when the flag is set), with speed and
// direction set before its create event when given. The object is checked by the index the
// instance is made of, as well as by its rounded value.
struct StartMotion {
  float speed = 0.0f;
  float direction = 0.0f;
};
void CreateForAction(CInstance* self, int32_t rounded, int32_t object, float x, float y,
                     const StartMotion* motion = nullptr) {
  CRoom* room = Run_CurrentRoom();
  if (!Object_Exists(rounded) || !Object_Exists(object) || room == nullptr) {
    Error_Show_Action("Creating instance for non-existing object: " + std::to_string(object), false);
    return;
  }
  if (self != nullptr) {
    x = Action_Rel(x, self->x);
    y = Action_Rel(y, self->y);
  }
  CInstance* instance = room->AddInstance(x, y, object);
  if (motion != nullptr) {
    instance->SetSpeed(motion->speed);
    instance->SetDirection(motion->direction);
  }
  Perform_Event(instance, instance, 0, 0);
  instance->started = true;
}

void F_ActionCreateObject(ScriptValue&, CInstance* self, CInstance*, int, Args a) {
  CreateForAction(self, Arg_Rounded(a[0]), Arg_Truncated(a[0]), Arg_Single(a[1]), Arg_Single(a[2]));
}

void F_ActionCreateObjectMotion(ScriptValue&, CInstance* self, CInstance*, int, Args a) {
  const StartMotion motion{Arg_Single(a[3]), Arg_Single(a[4])};
  CreateForAction(self, Arg_Rounded(a[0]), Arg_Truncated(a[0]), Arg_Single(a[1]), Arg_Single(a[2]), &motion);
}

void F_ActionCreateObjectRandom(ScriptValue&, CInstance* self, CInstance*, int, Args a) {
  std::array<int32_t, 4> objects{};
  bool any = false;
  for (size_t i = 0; i < objects.size(); ++i) {
    objects[i] = Arg_Truncated(a[i]);
    any = any || Object_Exists(objects[i]);
  }
  if (!any) return;
  int32_t chosen = -1;
  do {
    chosen = objects[static_cast<size_t>(Random_Below(4))];
  } while (!Object_Exists(chosen));
  CreateForAction(self, chosen, chosen, Arg_Single(a[4]), Arg_Single(a[5]));
}

void F_ActionChangeObject(ScriptValue&, CInstance* self, CInstance*, int, Args a) {
  if (self != nullptr) Command_ChangeInstance(*self, Arg_Truncated(a[0]), Arg_FlagSingle(a[1]));
}

void F_ActionKillObject(ScriptValue& result, CInstance* self, CInstance*, int, Args) {
  result.SetReal(0.0);
  if (self != nullptr) Command_DestroyInstance(*self);
}

void F_ActionKillPosition(ScriptValue&, CInstance* self, CInstance*, int, Args a) {
  float x = Arg_Single(a[0]);
  float y = Arg_Single(a[1]);
  if (self != nullptr) {
    x = Action_Rel(x, self->x);
    y = Action_Rel(y, self->y);
  }
  Command_PositionDestroy(x, y);
}

// ---- sprite ----

void F_ActionSetSprite(ScriptValue&, CInstance* self, CInstance*, int, Args a) {
  if (self == nullptr) return;
  Command_SetSprite(*self, Arg_Rounded(a[0]));
  const float scale = Arg_Single(a[1]);
  if (scale > 0.0f) {
    self->SetImageXScale(scale);
    self->SetImageYScale(scale);
  }
}

void F_ActionSpriteSet(ScriptValue&, CInstance* self, CInstance*, int, Args a) {
  if (self == nullptr) return;
  Command_SetSprite(*self, Arg_Rounded(a[0]));
  const float subimg = Arg_Single(a[1]);
  if (subimg >= 0.0f) self->image_index = subimg;
  self->image_speed = Arg_Single(a[2]);
}

void F_ActionSpriteTransform(ScriptValue&, CInstance* self, CInstance*, int, Args a) {
  if (self == nullptr) return;
  self->SetImageXScale(Arg_Single(a[0]));
  self->SetImageYScale(Arg_Single(a[1]));
  self->SetImageAngle(Arg_Single(a[2]));
  const int32_t mirror = Arg_Rounded(a[3]);
  if (mirror == 1 || mirror == 3) self->SetImageXScale(-self->image_xscale);
  if (mirror == 2 || mirror == 3) self->SetImageYScale(-self->image_yscale);
}

void F_ActionSpriteColor(ScriptValue&, CInstance* self, CInstance*, int, Args a) {
  if (self == nullptr) return;
  self->image_blend = static_cast<uint32_t>(Arg_Rounded(a[0]));
  self->image_alpha = Arg_Single(a[1]);
}

// ---- sound ----

constexpr int32_t kAudioSound = 0;
constexpr int32_t kAudioMusic = 1;

void F_ActionSound(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  const int32_t index = Arg_Rounded(a[0]);
  const bool loop = Arg_Flag(a[1]);
  if (Audio_SwitchOn()) {
    const int32_t type = Audio_GetType(index);
    if (type == kAudioSound) Audio_PlaySound(index, 1.0f, loop ? 1 : 0);
    if (type == kAudioMusic) Audio_PlayMusic(index, loop);
    return;
  }
  CSound* sound = Sound_Data(index);
  if (sound == nullptr) {
    Error_Show_Action("Trying to play non-existing sound.", false);
    return;
  }
  const int32_t id = sound->GetSoundId();
  Sound_Play(sound->fileName, id, loop);
  Sound_SetVolume(id, sound->volume, 1);
}

void F_ActionEndSound(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  const int32_t index = Arg_Rounded(a[0]);
  if (Audio_SwitchOn()) {
    const int32_t type = Audio_GetType(index);
    if (type == kAudioSound) Audio_StopSound(index);
    if (type == kAudioMusic) Audio_StopMusic();
    return;
  }
  CSound* sound = Sound_Data(index);
  if (sound == nullptr) {
    Error_Show_Action("Trying to stop non-existing sound.", false);
    return;
  }
  Sound_Stop(sound->fileName, sound->GetSoundId());
}

void F_ActionIfSound(ScriptValue& result, CInstance*, CInstance*, int, Args a) {
  const int32_t index = Arg_Rounded(a[0]);
  if (Audio_SwitchOn()) {
    Action_Answer(result, Audio_IsPlaying(index));
    return;
  }
  CSound* sound = Sound_Data(index);
  Action_Answer(result, sound != nullptr && Sound_IsPlaying(sound->fileName, sound->GetSoundId()));
}

// ---- rooms (the transition kind is passed on and not used) ----

void F_ActionPreviousRoom(ScriptValue&, CInstance*, CInstance*, int, Args) { Room_GotoPrevious(); }
void F_ActionNextRoom(ScriptValue&, CInstance*, CInstance*, int, Args) { Room_GotoNext(); }
void F_ActionCurrentRoom(ScriptValue&, CInstance*, CInstance*, int, Args) { Room_Restart(); }
void F_ActionAnotherRoom(ScriptValue&, CInstance*, CInstance*, int, Args a) { Room_Goto(Arg_Rounded(a[0])); }

void F_ActionIfPreviousRoom(ScriptValue& result, CInstance*, CInstance*, int, Args) {
  Action_Answer(result, Run_CurrentRoomIndex() != Room_First());
}

void F_ActionIfNextRoom(ScriptValue& result, CInstance*, CInstance*, int, Args) {
  Action_Answer(result, Run_CurrentRoomIndex() != Room_Last());
}

// ---- timing ----

void F_ActionSetAlarm(ScriptValue&, CInstance* self, CInstance*, int, Args a) {
  if (self == nullptr) return;
  const int32_t alarm = Arg_Rounded(a[1]);
  int32_t steps = Arg_Rounded(a[0]);
  const int32_t current = self->GetAlarm(alarm);
  if (Action_Relative && current >= 0) steps = static_cast<int32_t>(int64_t{steps} + current);
  self->SetAlarm(alarm, steps);
}

void F_ActionSleep(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  if (Arg_Flag(a[1])) {
    if (Run_StepHooks().draw) Run_StepHooks().draw();
    const MainLoopHooks& hooks = MainLoop_Hooks();
    if (hooks.endFrame) hooks.endFrame(true);
    if (hooks.beginFrame) hooks.beginFrame();
  }
  const int64_t us = Conv_RoundToInt64(Arg_Real(a[0]) * 1000.0);
  if (us != kInteger64Indefinite) Timing_Sleep(us);
}

void SetTimeLine(CInstance& self, const ScriptValue& index, const ScriptValue& position) {
  self.timeline_index = Arg_Rounded(index);
  self.timeline_position = static_cast<float>(Arg_Rounded(position));
}

void F_ActionSetTimeline(ScriptValue&, CInstance* self, CInstance*, int, Args a) {
  if (self == nullptr) return;
  SetTimeLine(*self, a[0], a[1]);
  self->timeline_running = true;
}

void F_ActionTimelineSet(ScriptValue&, CInstance* self, CInstance*, int, Args a) {
  if (self == nullptr) return;
  SetTimeLine(*self, a[0], a[1]);
  self->timeline_running = Arg_Rounded(a[2]) == 0;
  self->timeline_loop = Arg_Rounded(a[3]) == 1;
}

void F_ActionSetTimelinePosition(ScriptValue&, CInstance* self, CInstance*, int, Args a) {
  if (self == nullptr) return;
  self->timeline_position = Action_Rel(static_cast<float>(Arg_Rounded(a[0])), self->timeline_position);
}

void F_ActionSetTimelineSpeed(ScriptValue&, CInstance* self, CInstance*, int, Args a) {
  if (self != nullptr) self->timeline_speed = Action_Rel(Arg_Single(a[0]), self->timeline_speed);
}

void F_ActionTimelineStart(ScriptValue&, CInstance* self, CInstance*, int, Args) {
  if (self != nullptr) self->timeline_running = true;
}

void F_ActionTimelinePause(ScriptValue&, CInstance* self, CInstance*, int, Args) {
  if (self != nullptr) self->timeline_running = false;
}

void F_ActionTimelineStop(ScriptValue&, CInstance* self, CInstance*, int, Args) {
  if (self == nullptr) return;
  self->timeline_position = 0.0f;
  self->timeline_running = false;
}

constexpr ActionBuiltin kMotionActions[] = {
    {"action_move", F_ActionMove, 2},
    {"action_set_motion", F_ActionSetMotion, 2},
    {"action_set_hspeed", F_ActionSetHspeed, 1},
    {"action_set_vspeed", F_ActionSetVspeed, 1},
    {"action_set_gravity", F_ActionSetGravity, 2},
    {"action_set_friction", F_ActionSetFriction, 1},
    {"action_move_point", F_ActionMovePoint, 3},
    {"action_move_to", F_ActionMoveTo, 2},
    {"action_move_start", F_ActionMoveStart, 0},
    {"action_move_random", F_ActionMoveRandom, 2},
    {"action_snap", F_ActionSnap, 2},
    {"action_wrap", F_ActionWrap, 1},
    {"action_reverse_xdir", F_ActionReverseXdir, 0},
    {"action_reverse_ydir", F_ActionReverseYdir, 0},
    {"action_move_contact", F_ActionMoveContact, 3},
    {"action_bounce", F_ActionBounce, 2},
    {"action_path", F_ActionPath, 4},
    {"action_path_end", F_ActionPathEnd, 0},
    {"action_path_position", F_ActionPathPosition, 1},
    {"action_path_speed", F_ActionPathSpeed, 1},
    {"action_linear_step", F_ActionPlannerStep<MP_LinearStep>, 4},
    {"action_potential_step", F_ActionPlannerStep<MP_PotentialStep>, 4},
    {"action_create_object", F_ActionCreateObject, 3},
    {"action_create_object_motion", F_ActionCreateObjectMotion, 5},
    {"action_create_object_random", F_ActionCreateObjectRandom, 6},
    {"action_change_object", F_ActionChangeObject, 2},
    {"action_kill_object", F_ActionKillObject, 0},
    {"action_kill_position", F_ActionKillPosition, 2},
    {"action_set_sprite", F_ActionSetSprite, 2},
    {"action_sprite_set", F_ActionSpriteSet, 3},
    {"action_sprite_transform", F_ActionSpriteTransform, 4},
    {"action_sprite_color", F_ActionSpriteColor, 2},
    {"action_sound", F_ActionSound, 2},
    {"action_end_sound", F_ActionEndSound, 1},
    {"action_if_sound", F_ActionIfSound, 1},
    {"action_previous_room", F_ActionPreviousRoom, 1},
    {"action_next_room", F_ActionNextRoom, 1},
    {"action_current_room", F_ActionCurrentRoom, 1},
    {"action_another_room", F_ActionAnotherRoom, 2},
    {"action_if_previous_room", F_ActionIfPreviousRoom, 0},
    {"action_if_next_room", F_ActionIfNextRoom, 0},
    {"action_set_alarm", F_ActionSetAlarm, 2},
    {"action_sleep", F_ActionSleep, 2},
    {"action_set_timeline", F_ActionSetTimeline, 2},
    {"action_timeline_set", F_ActionTimelineSet, 4},
    {"action_set_timeline_position", F_ActionSetTimelinePosition, 1},
    {"action_set_timeline_speed", F_ActionSetTimelineSpeed, 1},
    {"action_timeline_start", F_ActionTimelineStart, 0},
    {"action_timeline_pause", F_ActionTimelinePause, 0},
    {"action_timeline_stop", F_ActionTimelineStop, 0},
};

}  // namespace

std::span<const ActionBuiltin> Action_MotionBuiltins() { return kMotionActions; }
