#include "functions/game_functions.h"

#include <iterator>
#include <string>

#include "data/objects.h"
#include "data/rooms.h"
#include "data/sprite.h"
#include "functions/argument_helpers.h"
#include "platform/conversions.h"
#include "functions/motion_functions.h"
#include "graphics/transitions.h"
#include "platform/console.h"
#include "platform/load_save.h"
#include "platform/timing.h"
#include "runner/commands.h"
#include "runner/instance.h"
#include "runner/main_loop.h"
#include "runner/room_start.h"
#include "runner/saved_game.h"
#include "script/error_report.h"
#include "script/function_table.h"
#include "script/variable_access.h"

namespace {

constexpr int32_t kSelf = -1;
constexpr int32_t kOther = -2;
constexpr int32_t kAll = -3;

bool Present(const CInstance* instance) { return instance != nullptr && !instance->marked; }

double IdOrNoone(const CInstance* instance) { return instance != nullptr ? instance->id : -4.0; }

// -1 and -2 name the calling and the other instance by id when there is one.
int32_t SelectorWithIds(int32_t obj, const CInstance* self, const CInstance* other) {
  if (obj == kSelf && self != nullptr) return self->id;
  if (obj == kOther && other != nullptr) return other->id;
  return obj;
}

}  // namespace


// ---- collision queries ----

void F_CollisionPoint(ScriptValue& result, CInstance* self, CInstance*, int, ScriptValue* args) {
  result.SetReal(IdOrNoone(Command_CollisionPoint(self, Arg_Single(args[0]), Arg_Single(args[1]), Arg_Rounded(args[2]),
                                                  Arg_Flag(args[3]), Arg_Flag(args[4]))));
}

template <CInstance* (*Query)(CInstance*, float, float, float, float, int32_t, bool, bool)>
void F_CollisionShape(ScriptValue& result, CInstance* self, CInstance*, int, ScriptValue* args) {
  result.SetReal(IdOrNoone(Query(self, Arg_Single(args[0]), Arg_Single(args[1]), Arg_Single(args[2]),
                                 Arg_Single(args[3]), Arg_Rounded(args[4]), Arg_Flag(args[5]), Arg_Flag(args[6]))));
}

void F_CollisionCircle(ScriptValue& result, CInstance* self, CInstance*, int, ScriptValue* args) {
  const float xc = Arg_Single(args[0]);
  const float yc = Arg_Single(args[1]);
  const float r = Arg_Single(args[2]);
  result.SetReal(IdOrNoone(Command_CollisionEllipse(self, xc - r, yc - r, xc + r, yc + r, Arg_Rounded(args[3]),
                                                    Arg_Flag(args[4]), Arg_Flag(args[5]))));
}

void F_InstanceNumber(ScriptValue& result, CInstance* self, CInstance* other, int, ScriptValue* args) {
  const int32_t obj = Arg_Rounded(args[0]);
  if (obj == kSelf) {
    result.SetReal(Present(self) ? 1.0 : 0.0);
  } else if (obj == kOther) {
    result.SetReal(Present(other) ? 1.0 : 0.0);
  } else {
    result.SetReal(Command_InstanceNumber(obj));
  }
}

void F_InstanceExists(ScriptValue& result, CInstance* self, CInstance* other, int, ScriptValue* args) {
  const int32_t obj = Arg_Truncated(args[0]);
  bool exists = false;
  if (obj == kAll) {
    Variable_ForEachActiveInstance([&exists](CInstance& instance) {
      exists = !instance.marked;
      return !exists;
    });
  } else if (obj == kSelf) {
    exists = Present(self);
  } else if (obj == kOther) {
    exists = Present(other);
  } else if (obj >= kFirstInstanceId) {
    const CInstance* instance = Instance_Find(obj);
    exists = Present(instance);
  } else if (const CObjectKF* object = Object_Data(obj)) {
    for (const CInstance* instance : object->InstancesRecursive()) {
      if (!instance->marked) {
        exists = true;
        break;
      }
    }
  }
  result.SetReal(exists ? 1.0 : 0.0);
}

void F_InstancePosition(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  result.SetReal(IdOrNoone(Command_InstancePosition(Arg_Single(args[0]), Arg_Single(args[1]), Arg_Truncated(args[2]))));
}

void F_InstanceNearest(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  result.SetReal(IdOrNoone(Command_InstanceNearest(Arg_Single(args[0]), Arg_Single(args[1]), Arg_Truncated(args[2]))));
}

void F_InstanceFurthest(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  result.SetReal(IdOrNoone(Command_InstanceFurthest(Arg_Single(args[0]), Arg_Single(args[1]), Arg_Truncated(args[2]))));
}

void F_InstancePlace(ScriptValue& result, CInstance* self, CInstance*, int, ScriptValue* args) {
  result.SetReal(-4.0);
  if (self == nullptr) return;
  result.SetReal(IdOrNoone(Command_InstancePlace(*self, Arg_Single(args[0]), Arg_Single(args[1]), Arg_Truncated(args[2]))));
}

void F_InstanceFind(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  result.SetReal(IdOrNoone(Command_InstanceFind(Arg_Truncated(args[0]), Arg_Truncated(args[1]))));
}

void F_PositionEmpty(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  result.SetReal(Command_PositionMeeting(Arg_Single(args[0]), Arg_Single(args[1]), kAll) ? 0.0 : 1.0);
}

void F_PositionMeeting(ScriptValue& result, CInstance* self, CInstance* other, int, ScriptValue* args) {
  const int32_t obj = SelectorWithIds(Arg_Truncated(args[2]), self, other);
  result.SetReal(Command_PositionMeeting(Arg_Single(args[0]), Arg_Single(args[1]), obj) ? 1.0 : 0.0);
}

void F_InstanceCreate(ScriptValue& result, CInstance*, CInstance*, int argc, ScriptValue* args) {
  result.SetReal(-1.0);
  if (Arg_AnyString(argc, args)) {
    Error_Show_Action("instance_create( ) error: Illegal type", false);
    return;
  }
  CInstance* created = Command_CreateInstance(Arg_Truncated(args[2]), Arg_Single(args[0]), Arg_Single(args[1]));
  if (created != nullptr) result.SetReal(created->id);
}

void F_InstanceDestroy(ScriptValue&, CInstance* self, CInstance*, int, ScriptValue*) {
  if (self != nullptr) Command_DestroyInstance(*self);
}

void F_InstanceCopy(ScriptValue& result, CInstance* self, CInstance*, int, ScriptValue* args) {
  if (self == nullptr) return;
  if (CInstance* copy = Command_CopyInstance(*self, Arg_FlagSingle(args[0]))) result.SetReal(copy->id);
}

void F_InstanceChange(ScriptValue&, CInstance* self, CInstance*, int, ScriptValue* args) {
  if (self != nullptr) Command_ChangeInstance(*self, Arg_Truncated(args[0]), Arg_FlagSingle(args[1]));
}

void F_InstanceSprite(ScriptValue&, CInstance* self, CInstance*, int, ScriptValue* args) {
  if (self != nullptr) Command_SetSprite(*self, Arg_Truncated(args[0]));
}

void F_PositionDestroy(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  Command_PositionDestroy(Arg_Single(args[0]), Arg_Single(args[1]));
}

void F_PositionChange(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  Command_PositionChange(Arg_Single(args[0]), Arg_Single(args[1]), Arg_Truncated(args[2]), Arg_FlagSingle(args[3]));
}

// ---- activation ----

namespace {

void ForEachInList(const InstanceList& list, const InstanceVisitor& visit) {
  for (CInstance* at = list.first; at != nullptr;) {
    CInstance* next = at->next;
    if (!visit(*at)) return;
    at = next;
  }
}

// Whether the instance lies outside the region (by its position without a shape, else by its box).
bool OutsideRegion(CInstance& instance, float x1, float y1, float x2, float y2) {
  if (!Sprite_Exists(instance.sprite_index) && !Sprite_Exists(instance.mask_index)) {
    return instance.x < x1 || instance.x > x2 || instance.y < y1 || instance.y > y2;
  }
  instance.EnsureBoundingBox();
  return static_cast<float>(instance.bbox_right) < x1 || static_cast<float>(instance.bbox_left) > x2 ||
         static_cast<float>(instance.bbox_bottom) < y1 || static_cast<float>(instance.bbox_top) > y2;
}

void SetDeactivated(CInstance* instance, bool deactivated) {
  if (instance != nullptr) instance->deactivated = deactivated;
}

}  // namespace

void F_InstanceDeactivateAll(ScriptValue&, CInstance* self, CInstance*, int, ScriptValue* args) {
  CRoom* room = Run_CurrentRoom();
  if (room == nullptr) return;
  ForEachInList(room->active, [](CInstance& instance) { return SetDeactivated(&instance, true), true; });
  if (self != nullptr && Arg_Flag(args[0])) self->deactivated = false;
  room->UpdateActiveLists();
}

void F_InstanceDeactivateObject(ScriptValue&, CInstance* self, CInstance* other, int, ScriptValue* args) {
  CRoom* room = Run_CurrentRoom();
  if (room == nullptr) return;
  const int32_t obj = Arg_Rounded(args[0]);
  if (obj == kSelf || obj == kOther) {
    SetDeactivated(obj == kSelf ? self : other, true);
  } else if (obj == kAll) {
    ForEachInList(room->active, [](CInstance& instance) { return SetDeactivated(&instance, true), true; });
  } else if (obj >= kFirstInstanceId) {
    if (CInstance* instance = Instance_Find(obj); Present(instance)) instance->deactivated = true;
  } else if (const CObjectKF* object = Object_Data(obj)) {
    for (CInstance* instance : object->InstancesRecursive()) instance->deactivated = true;
  }
  room->UpdateActiveLists();
}

void F_InstanceDeactivateRegion(ScriptValue&, CInstance* self, CInstance*, int, ScriptValue* args) {
  CRoom* room = Run_CurrentRoom();
  if (room == nullptr) return;
  const float x1 = Arg_Single(args[0]);
  const float y1 = Arg_Single(args[1]);
  const float x2 = x1 + Arg_Single(args[2]);
  const float y2 = y1 + Arg_Single(args[3]);
  const bool inside = Arg_FlagSingle(args[4]);
  ForEachInList(room->active, [&](CInstance& instance) {
    if (OutsideRegion(instance, x1, y1, x2, y2) != inside) instance.deactivated = true;
    return true;
  });
  if (self != nullptr && Arg_FlagSingle(args[5])) self->deactivated = false;
  room->UpdateActiveLists();
}

void F_InstanceActivateAll(ScriptValue&, CInstance*, CInstance*, int, ScriptValue*) {
  CRoom* room = Run_CurrentRoom();
  if (room == nullptr) return;
  ForEachInList(room->deactivated, [](CInstance& instance) { return SetDeactivated(&instance, false), true; });
  room->UpdateActiveLists();
}

void F_InstanceActivateObject(ScriptValue&, CInstance* self, CInstance* other, int, ScriptValue* args) {
  CRoom* room = Run_CurrentRoom();
  if (room == nullptr) return;
  const int32_t obj = Arg_Rounded(args[0]);
  if (obj == kSelf || obj == kOther) {
    SetDeactivated(obj == kSelf ? self : other, false);
  } else if (obj == kAll) {
    ForEachInList(room->deactivated, [](CInstance& instance) { return SetDeactivated(&instance, false), true; });
  } else if (obj >= kFirstInstanceId) {
    if (CInstance* instance = Instance_Find(obj); Present(instance)) instance->deactivated = false;
  } else if (obj >= 0) {
    ForEachInList(room->deactivated, [obj](CInstance& instance) {
      if (instance.object_index == obj || (instance.object != nullptr && instance.object->HasAncestor(obj))) {
        instance.deactivated = false;
      }
      return true;
    });
  }
  room->UpdateActiveLists();
}

void F_InstanceActivateRegion(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  CRoom* room = Run_CurrentRoom();
  if (room == nullptr) return;
  const float x1 = Arg_Single(args[0]);
  const float y1 = Arg_Single(args[1]);
  const float x2 = x1 + Arg_Single(args[2]);
  const float y2 = y1 + Arg_Single(args[3]);
  const bool inside = Arg_FlagSingle(args[4]);
  ForEachInList(room->deactivated, [&](CInstance& instance) {
    if (OutsideRegion(instance, x1, y1, x2, y2) != inside) instance.deactivated = false;
    return true;
  });
  room->UpdateActiveLists();
}

// ---- rooms and the game ----

void F_RoomGoto(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) { Room_Goto(Arg_Rounded(args[0])); }
void F_RoomGotoPrevious(ScriptValue&, CInstance*, CInstance*, int, ScriptValue*) { Room_GotoPrevious(); }
void F_RoomGotoNext(ScriptValue&, CInstance*, CInstance*, int, ScriptValue*) { Room_GotoNext(); }
void F_RoomRestart(ScriptValue&, CInstance*, CInstance*, int, ScriptValue*) { Room_Restart(); }
void F_RoomPrevious(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  const int32_t room = Arg_Rounded(args[0]);
  result.SetReal(!Room_Exists(room) || room == Room_First() ? -1.0 : Room_Previous(room));
}

void F_RoomNext(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  const int32_t room = Arg_Rounded(args[0]);
  result.SetReal(!Room_Exists(room) || room == Room_Last() ? -1.0 : Room_Next(room));
}

void F_GameEnd(ScriptValue&, CInstance*, CInstance*, int, ScriptValue*) { Game_EndRequest(); }
void F_GameRestart(ScriptValue&, CInstance*, CInstance*, int, ScriptValue*) { Game_RestartRequest(); }

// The saved game is looked for in the save area, then beside the game; the load itself
// happens at the end of the step (by the main loop's saved-game loader).
void F_GameLoad(ScriptValue& result, CInstance*, CInstance*, int argc, ScriptValue* args) {
  result.SetReal(-1.0);
  if (argc != 1 || !args[0].IsString()) return;
  const std::string_view name = Arg_String(args[0]);
  std::string path = LoadSave_ExistingPath(name);
  if (path.empty()) {
    g_DebugConsole->Output("game_load - unable to find file %s\n", std::string(name).c_str());
    result.SetReal(0.0);
    return;
  }
  result.SetReal(1.0);
  Game_SetPendingLoad(std::move(path));
  // Without a loader in the main loop nothing would carry the request out, and a request left
  // pending stops every later event: the load is then not requested.
  if (MainLoop_Hooks().loadPendingGame) PendingRoom = PendingRoomCode::LoadGame;
}

// Writes the saved game into the save area at once; the answer is -1 whatever happens.
void F_GameSave(ScriptValue& result, CInstance*, CInstance*, int argc, ScriptValue* args) {
  result.SetReal(-1.0);
  if (argc != 1 || !args[0].IsString()) return;
  const std::string_view name = Arg_String(args[0]);
  const std::string path = LoadSave_SavePath(name);
  if (path.empty()) {
    g_DebugConsole->Output("game_save - unable to write file %s\n", std::string(name).c_str());
    return;
  }
  Command_SaveGame(path);
}

// Room transitions are not built yet: no kind has a transition function.
void F_TransitionDefine(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  result.SetReal(GR_Transition_Define(Arg_Rounded(args[0]), Arg_CString(args[1])) ? 1.0 : 0.0);
}
void F_TransitionExists(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  result.SetReal(TransFunctionExists(Arg_Rounded(args[0])) ? 1.0 : 0.0);
}

void F_Sleep(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  const int64_t us = Conv_RoundToInt64(Arg_Real(args[0]) * 1000.0);
  if (us > 0 && us != kInteger64Indefinite) Timing_Sleep(us);
}

namespace {
struct GameBuiltin {
  const char* name;
  BuiltinFunction implementation;
  int32_t argc;
};

constexpr GameBuiltin kGameBuiltins[] = {
    {"collision_point", F_CollisionPoint, 5},
    {"collision_rectangle", F_CollisionShape<Command_CollisionRectangle>, 7},
    {"collision_ellipse", F_CollisionShape<Command_CollisionEllipse>, 7},
    {"collision_circle", F_CollisionCircle, 6},
    {"collision_line", F_CollisionShape<Command_CollisionLine>, 7},
    {"instance_number", F_InstanceNumber, 1},
    {"instance_position", F_InstancePosition, 3},
    {"instance_nearest", F_InstanceNearest, 3},
    {"instance_furthest", F_InstanceFurthest, 3},
    {"instance_place", F_InstancePlace, 3},
    {"instance_find", F_InstanceFind, 2},
    {"instance_exists", F_InstanceExists, 1},
    {"position_empty", F_PositionEmpty, 2},
    {"position_meeting", F_PositionMeeting, 3},
    {"instance_create", F_InstanceCreate, 3},
    {"instance_copy", F_InstanceCopy, 1},
    {"instance_destroy", F_InstanceDestroy, 0},
    {"instance_change", F_InstanceChange, 2},
    {"instance_sprite", F_InstanceSprite, 1},
    {"position_destroy", F_PositionDestroy, 2},
    {"position_change", F_PositionChange, 4},
    {"instance_deactivate_all", F_InstanceDeactivateAll, 1},
    {"instance_deactivate_object", F_InstanceDeactivateObject, 1},
    {"instance_deactivate_region", F_InstanceDeactivateRegion, 6},
    {"instance_activate_all", F_InstanceActivateAll, 0},
    {"instance_activate_object", F_InstanceActivateObject, 1},
    {"instance_activate_region", F_InstanceActivateRegion, 5},
    {"room_goto", F_RoomGoto, 1},
    {"room_goto_previous", F_RoomGotoPrevious, 0},
    {"room_goto_next", F_RoomGotoNext, 0},
    {"room_restart", F_RoomRestart, 0},
    {"room_previous", F_RoomPrevious, 1},
    {"room_next", F_RoomNext, 1},
    {"game_end", F_GameEnd, 0},
    {"game_restart", F_GameRestart, 0},
    {"game_load", F_GameLoad, 1},
    {"game_save", F_GameSave, 1},
    {"transition_define", F_TransitionDefine, 2},
    {"transition_exists", F_TransitionExists, 1},
    {"sleep", F_Sleep, 1},
};
}  // namespace

void InitGameFunctions() {
  InitMotionFunctions();
  for (const GameBuiltin& builtin : kGameBuiltins) Function_Add(builtin.name, builtin.implementation, builtin.argc);
}
