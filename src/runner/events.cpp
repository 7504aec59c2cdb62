#include "runner/events.h"

#include <optional>
#include <utility>

#include "data/code_table.h"
#include "data/objects.h"
#include "runner/event_names.h"
#include "runner/instance.h"
#include "runner/pending_room.h"
#include "script/compiler/compile_error_sink.h"
#include "script/current_event.h"
#include "script/error_report.h"
#include "script/script_arguments.h"
#include "script/variable_access.h"

namespace {

// Objects deleted while an event ran, destroyed when the outermost event returns.
std::vector<std::unique_ptr<CObjectKF>> g_DeferredObjects;

std::optional<std::vector<std::string>> g_LibraryTexts;

// CEvent::Execute.
[[gnu::always_inline]] inline bool ExecuteCode(const CEvent& event, CInstance* self,
                                               CInstance* other) {
  if (event.code == nullptr) return true;
  const bool relative = Action_Relative;
  Action_Relative = false;
  const bool ok = Code_ExecuteEvent(self, other, *event.code);
  Action_Relative = relative;
  return ok;
}

// Runs a found event for self with the current-event record naming its owner meanwhile.
void RunFound(CInstance* self, CInstance* other, CEvent& event, int32_t owner, int32_t type,
              int32_t number) {
  EventRunScope running;
  CurrentEventScope scope;
  Event_Current.object = owner;
  Event_Current.type = type;
  Event_Current.number = number;
  ExecuteCode(event, self, other);
}

}  // namespace

bool CEvent::Execute(CInstance* self, CInstance* other) { return ExecuteCode(*this, self, other); }

bool Code_Compile_Action(CEvent& event, const GameDataReader& reader, uint32_t codeWord) {
  if (CodeTable_Active()) {
    event.text.clear();
    event.stored = true;
    event.code = CCode::Stored(static_cast<int32_t>(codeWord), false);
  } else {
    event.text.assign(reader.TextRef(codeWord));
    event.stored = false;
    event.code = std::make_unique<CCode>(event.text, false);
  }
  return true;
}

bool Event_Compile(CEvent& event) {
  if (event.stored || event.code == nullptr || event.code->IsCompiled()) return true;
  const std::string name = Code_NameObjectEvent(
      Object_Name(Event_Current.object), Event_GetShortName(Event_Current.type, Event_Current.number),
      Event_Current.action);
  if (event.code->Compile(name)) return true;
  Error_Show_Action("COMPILATION ERROR in code action\n" + Compiler_LastError().text, true);
  Compiler_ClearError();
  return false;
}

CEvent* Event_Find(int32_t objectIndex, int32_t type, int32_t number, int32_t& owner) {
  owner = objectIndex;
  const CObjectKF* object = Object_Data(objectIndex);
  if (object == nullptr) return nullptr;
  return object->FindEvent(type, number, owner);
}

void Perform_Event_Object(CInstance* self, CInstance* other, int32_t objectIndex, int32_t type,
                          int32_t number) {
  if (PendingRoom != kPendingRoomNone) return;
  int32_t owner = objectIndex;
  CEvent* event = Event_Find(objectIndex, type, number, owner);
  if (event != nullptr) RunFound(self, other, *event, owner, type, number);
}

void Perform_Event(CInstance* self, CInstance* other, int32_t type, int32_t number) {
  if (self != nullptr) Perform_Event_Object(self, other, self->object_index, type, number);
}

ObjectEventPass::ObjectEventPass(int32_t objectIndex, int32_t type, int32_t number)
    : object_(objectIndex), type_(type), number_(number) {
  Find();
}

void ObjectEventPass::Find() {
  foundAt_ = Object_EventChanges;
  event_ = Event_Find(object_, type_, number_, owner_);
  prepared_ = VMPrepared();
  if (event_ != nullptr && event_->code != nullptr) VM_Prepare(*event_->code, prepared_);
}

void ObjectEventPass::RunSlow(CInstance* self, CInstance* other) {
  if (self == nullptr || PendingRoom != kPendingRoomNone) return;
  if (self->object_index != object_) {
    Perform_Event_Object(self, other, self->object_index, type_, number_);
    return;
  }
  if (foundAt_ != Object_EventChanges ||
      (prepared_.code != nullptr && prepared_.executorAt != Code_ExecutorChanges)) {
    Find();
  }
  if (prepared_.code != nullptr) {
    RunPrepared(self, other);
  } else if (event_ != nullptr) {
    RunFound(self, other, *event_, owner_, type_, number_);
  }
}

void Perform_Event_All(int32_t type, int32_t number) {
  if (PendingRoom != kPendingRoomNone) return;
  const auto& walk = Variable_InstanceWorld().forEachActiveInstance;
  if (!walk) return;
  walk([type, number](CInstance& instance) {
    if (!instance.marked) {
      Perform_Event_Object(&instance, &instance, instance.object_index, type, number);
    }
    return true;
  });
}

int32_t Event_RunningCount = 0;
bool Event_DeletedWaiting = false;

void Event_DestroyWaiting() {
  // Moved out first: destroying an object never reaches back into this list.
  auto objects = std::move(g_DeferredObjects);
  g_DeferredObjects.clear();
  Event_DeletedWaiting = false;
}

int32_t Event_RunDepth() { return Event_RunningCount; }

void Event_AfterRun(std::unique_ptr<CObjectKF> object) {
  if (Event_RunningCount > 0) {
    g_DeferredObjects.push_back(std::move(object));
    Event_DeletedWaiting = true;
  }
}

void Library_SetInitCode(std::vector<std::string> texts) { g_LibraryTexts = std::move(texts); }

bool Library_RunInitCode() {
  if (!g_LibraryTexts) return false;
  const std::vector<std::string> texts = *g_LibraryTexts;
  for (size_t i = 0; i < texts.size(); ++i) {
    if (texts[i].empty()) continue;
    auto code = std::make_unique<CCode>(texts[i], false);
    if (!code->Compile(Code_NameLibrary(static_cast<int32_t>(i)))) {
      Error_Show("COMPILATION ERROR in library initialization code\n" + Compiler_LastError().text,
                 true);
      Compiler_ClearError();
      continue;
    }
    CInstance instance(0.0f, 0.0f, 0, 0, false);
    ScriptValue result;
    Code_Execute(&instance, &instance, *code, result);
  }
  return true;
}

void Library_FreeInitCode() { g_LibraryTexts.reset(); }

void Event_InstallErrorNames() {
  ErrorReportHooks& hooks = Error_Hooks();
  hooks.eventFullName = [](int32_t type, int32_t number) { return Event_GetFullName(type, number); };
  hooks.objectName = [](int32_t index) -> std::optional<std::string> {
    if (!Object_Exists(index)) return std::nullopt;
    return Object_Name(index);
  };
}
