#include "loaded_game.h"

#include "data/event_lists.h"
#include "data/game_loader.h"
#include "data/objects.h"
#include "data/scripts.h"
#include "runner/pending_room.h"
#include "script/code.h"
#include "script/compiler/user_variables.h"
#include "script/current_event.h"
#include "script/error_report.h"
#include "script/function_table.h"
#include "script/script_arguments.h"
#include "script/variable_access.h"
#include "script/vm/vm.h"

namespace {

std::vector<EventRecord>& RecordList() {
  static std::vector<EventRecord> records;
  return records;
}

void F_TestRecord(ScriptValue& result, CInstance* self, CInstance*, int argc, ScriptValue* args) {
  EventRecord record;
  record.tag = argc > 0 ? args[0].Text() : std::string();
  record.object = Event_Current.object;
  record.type = Event_Current.type;
  record.number = Event_Current.number;
  record.self = self;
  RecordList().push_back(record);
  result.SetReal(0.0);
}

void F_TestDeleteObject(ScriptValue& result, CInstance*, CInstance*, int argc, ScriptValue* args) {
  if (argc > 0) Object_Delete(static_cast<int32_t>(args[0].real));
  result.SetReal(0.0);
}

bool GetArguments(CInstance*, int32_t id, int32_t, ScriptValue& out) {
  static const int32_t argument0 = Code_Variable_Find("argument0");
  static const int32_t argumentCount = Code_Variable_Find("argument_count");
  if (id >= argument0 && id < argument0 + kArgumentSlotCount) {
    out = Code_Arguments[static_cast<size_t>(id - argument0)];
    return true;
  }
  if (id == argumentCount) {
    out.SetReal(Code_ArgumentCount);
    return true;
  }
  return false;
}

}  // namespace

std::vector<EventRecord>& LoadedGame::Records() { return RecordList(); }

std::vector<std::string>& LoadedGame::MachineErrors() {
  static std::vector<std::string> errors;
  return errors;
}

void LoadedGame::SetUpTestSuite() {
  static bool done = false;
  if (done) return;
  done = true;
  VM_Install();
  Code_SetUseVM(true);
  Function_Add("test_record", F_TestRecord, 1);
  Function_Add("test_delete_object", F_TestDeleteObject, 1);
  Variable_SetBuiltInAccessors(GetArguments, nullptr);
  VM_SetErrorHandler([](const std::string& message, const std::string&) {
    MachineErrors().push_back(message);
  });
}

void LoadedGame::TearDown() {
  instances.clear();
  Object_FreeEventLists();
  Object_FreeAll();
  Script_FreeAll();
  Records().clear();
  MachineErrors().clear();
  Error_FatalShown = false;
  Error_Occurred = false;
  Runner_SetPendingRoom(kPendingRoomNone);
}

bool LoadedGame::Load(const GameDataWriter& game) {
  ConsoleCapture console;
  const bool ok = GameData_LoadImage(game.Build()) == GameLoadResult::Loaded;
  log = console.Text();
  return ok;
}

bool LoadedGame::Prepare() {
  ConsoleCapture console;
  const bool ok = Script_Prepare() && Object_Prepare();
  log += console.Text();
  return ok;
}

CInstance& LoadedGame::Make(int32_t objectIndex, float x, float y) {
  instances.push_back(Instance_Create(x, y, objectIndex));
  return *instances.back();
}
