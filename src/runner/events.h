// Events: the compiled code of one event of one object (or one moment of a time line), its
// lookup through the parent chain of objects, and the dispatch that runs it for an instance
// with the current-event record set around the run.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "runner/instance.h"
#include "runner/pending_room.h"
#include "script/code.h"
#include "script/compiler/compile_error_sink.h"
#include "script/current_event.h"
#include "script/script_arguments.h"
#include "script/vm/vm_prepared.h"

class CObjectKF;
class GameDataReader;

class CEvent {
 public:
  CEvent() = default;
  virtual ~CEvent() = default;
  CEvent(const CEvent&) = delete;
  CEvent& operator=(const CEvent&) = delete;

  // Runs the code for (self, other) with the action's relative flag cleared for the run.
  // False when the run failed (the error has been shown).
  bool Execute(CInstance* self, CInstance* other);

  std::unique_ptr<CCode> code;  // null until the action data has been read
  std::string text;             // the source text; empty for stored bytecode
  bool stored = false;          // the code is a stored bytecode entry (already compiled)
};

// Fills an event from the code word of an event record: the stored code index when the game
// carries stored bytecode, else the file offset of the source text.
bool Code_Compile_Action(CEvent& event, const GameDataReader& reader, uint32_t codeWord);
// Compiles an event's source text under "Object.<object>.<event>.<action>", named from the
// current event. A failure is shown as a fatal error; stored bytecode is ready as it is.
bool Event_Compile(CEvent& event);

// The event (type, number) of an object or of its nearest ancestor that has it; a collision
// event is also found when it was given against an ancestor of the other object. owner
// receives the object where it was found. Null when there is none.
CEvent* Event_Find(int32_t objectIndex, int32_t type, int32_t number, int32_t& owner);

// Runs the event for self (with other) when no room change is pending, as the event of the
// object index given; the current-event record names the owner meanwhile.
void Perform_Event_Object(CInstance* self, CInstance* other, int32_t objectIndex, int32_t type,
                          int32_t number);
// The event of self's own object.
void Perform_Event(CInstance* self, CInstance* other, int32_t type, int32_t number);

// Counts the changes of any object's events (data/objects.h).
extern uint64_t Object_EventChanges;

// Number of events running now (nested runs count each), and whether deleted objects wait
// for it to come back to 0 (Event_AfterRun).
extern int32_t Event_RunningCount;
extern bool Event_DeletedWaiting;
void Event_DestroyWaiting();

// Counts an event's run for its scope; the outermost run's end destroys the objects deleted
// meanwhile.
class EventRunScope {
 public:
  EventRunScope() { ++Event_RunningCount; }
  ~EventRunScope() {
    if (--Event_RunningCount == 0 && Event_DeletedWaiting) Event_DestroyWaiting();
  }
  EventRunScope(const EventRunScope&) = delete;
  EventRunScope& operator=(const EventRunScope&) = delete;
};

// Perform_Event for the instances of one object, one after the other, as a pass of the step
// raises it: the event is looked up once and again only after the objects changed
// (Object_EventChanges). An instance that has become another object's meanwhile runs the
// event of the object it is now. Code the machine runs from its decoded form is prepared
// with the look-up (again when the executors change), so each run starts with the least
// set-up.
class ObjectEventPass {
 public:
  ObjectEventPass(int32_t objectIndex, int32_t type, int32_t number);
  // The prepared state points into the pass itself.
  ObjectEventPass(const ObjectEventPass&) = delete;
  ObjectEventPass& operator=(const ObjectEventPass&) = delete;
  [[gnu::always_inline]] void Run(CInstance* self, CInstance* other) {
    if (prepared_.code != nullptr && self != nullptr && self->object_index == object_ &&
        foundAt_ == Object_EventChanges && VM_PreparedReady(prepared_) &&
        PendingRoom == kPendingRoomNone) [[likely]] {
      RunPrepared(self, other);
    } else {
      RunSlow(self, other);
    }
  }

 private:
  void Find();
  // Perform_Event's set-up around the prepared code.
  [[gnu::always_inline]] void RunPrepared(CInstance* self, CInstance* other) {
    EventRunScope running;
    CurrentEventScope scope;
    Event_Current.object = owner_;
    Event_Current.type = type_;
    Event_Current.number = number_;
    const bool relative = Action_Relative;
    Action_Relative = false;
    Compiler_ClearError();
    VM_RunPrepared(prepared_, self, other);
    Action_Relative = relative;
  }
  void RunSlow(CInstance* self, CInstance* other);

  int32_t object_;
  int32_t type_;
  int32_t number_;
  CEvent* event_ = nullptr;
  int32_t owner_ = -1;
  uint64_t foundAt_ = 0;
  VMPrepared prepared_;
};
// The event for every active instance of the current room that is not marked for removal.
void Perform_Event_All(int32_t type, int32_t number);
// Number of events running now (nested runs count each).
int32_t Event_RunDepth();
// Destroys a deleted object once no event runs any more (at once when none runs): an event
// may be running the object's own code.
void Event_AfterRun(std::unique_ptr<CObjectKF> object);

// The game's library initialisation texts, run once when the game starts.
void Library_SetInitCode(std::vector<std::string> texts);
// Compiles and runs each text ("Library.<n>") for a temporary instance; a text that does not
// compile is shown as a fatal error and the others still run. False when there is no list.
bool Library_RunInitCode();
void Library_FreeInitCode();

// Installs the names that error reports take from the events and objects.
void Event_InstallErrorNames();
