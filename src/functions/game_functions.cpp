#include "functions/game_functions.h"

#include <iterator>

#include "data/objects.h"
#include "functions/argument_helpers.h"
#include "runner/commands.h"
#include "runner/instance.h"
#include "script/error_report.h"
#include "script/function_table.h"
#include "script/variable_access.h"

namespace {

constexpr int32_t kSelf = -1;
constexpr int32_t kOther = -2;
constexpr int32_t kAll = -3;

bool Present(const CInstance* instance) { return instance != nullptr && !instance->marked; }

}  // namespace

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

void F_RoomGoto(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) { Room_Goto(Arg_Rounded(args[0])); }
void F_RoomGotoPrevious(ScriptValue&, CInstance*, CInstance*, int, ScriptValue*) { Room_GotoPrevious(); }
void F_RoomGotoNext(ScriptValue&, CInstance*, CInstance*, int, ScriptValue*) { Room_GotoNext(); }
void F_RoomRestart(ScriptValue&, CInstance*, CInstance*, int, ScriptValue*) { Room_Restart(); }
void F_GameEnd(ScriptValue&, CInstance*, CInstance*, int, ScriptValue*) { Game_EndRequest(); }
void F_GameRestart(ScriptValue&, CInstance*, CInstance*, int, ScriptValue*) { Game_RestartRequest(); }

namespace {
struct GameBuiltin {
  const char* name;
  BuiltinFunction implementation;
  int32_t argc;
};

constexpr GameBuiltin kGameBuiltins[] = {
    {"instance_number", F_InstanceNumber, 1},
    {"instance_exists", F_InstanceExists, 1},
    {"instance_create", F_InstanceCreate, 3},
    {"instance_destroy", F_InstanceDestroy, 0},
    {"room_goto", F_RoomGoto, 1},
    {"room_goto_previous", F_RoomGotoPrevious, 0},
    {"room_goto_next", F_RoomGotoNext, 0},
    {"room_restart", F_RoomRestart, 0},
    {"game_end", F_GameEnd, 0},
    {"game_restart", F_GameRestart, 0},
};
}  // namespace

void InitGameFunctions() {
  for (const GameBuiltin& builtin : kGameBuiltins) Function_Add(builtin.name, builtin.implementation, builtin.argc);
}
