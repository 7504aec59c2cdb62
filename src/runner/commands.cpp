#include "runner/commands.h"

#include <string>

#include "data/objects.h"
#include "data/rooms.h"
#include "runner/events.h"
#include "runner/instance.h"
#include "runner/main_loop.h"
#include "runner/room_start.h"
#include "runner/run_globals.h"
#include "script/error_report.h"
#include "script/variable_access.h"

namespace {

void FatalRoomError(const std::string& message) {
  Error_Show_Action(message, true);
  PendingRoom = PendingRoomCode::FatalError;
}

}  // namespace

CInstance* Command_CreateInstance(int32_t object, float x, float y) {
  CRoom* room = Run_CurrentRoom();
  if (!Object_Exists(object) || room == nullptr) {
    Error_Show_Action("Creating instance for non-existing object: " + std::to_string(object), false);
    return nullptr;
  }
  CInstance* instance = room->AddInstance(x, y, object);
  Perform_Event(instance, instance, 0, 0);
  instance->started = true;
  return instance;
}

void Command_DestroyInstance(CInstance& instance) {
  Perform_Event(&instance, &instance, 1, 0);
  instance.marked = true;
}

int32_t Command_InstanceNumber(int32_t object) {
  int32_t count = 0;
  auto counter = [&count](CInstance& instance) {
    if (!instance.marked) ++count;
    return true;
  };
  if (object == -3) {
    Variable_ForEachActiveInstance(counter);
  } else if (object >= kFirstInstanceId) {
    const CInstance* instance = Instance_Find(object);
    count = instance != nullptr && !instance->marked ? 1 : 0;
  } else if (const CObjectKF* data = Object_Data(object)) {
    for (CInstance* instance : data->InstancesRecursive()) counter(*instance);
  }
  return count;
}

void Room_Goto(int32_t room) {
  PendingRoom = room;
  Run_Globals.transitionKind = 0;
  if (!Room_Exists(room)) FatalRoomError("Unexisting room number: " + std::to_string(room));
}

void Room_GotoPrevious() {
  const int32_t current = Run_CurrentRoomIndex();
  if (current == Room_First()) {
    FatalRoomError("Moving to previous room before the first room.");
    return;
  }
  Room_Goto(Room_Previous(current));
}

void Room_GotoNext() {
  const int32_t current = Run_CurrentRoomIndex();
  if (current == Room_Last()) {
    FatalRoomError("Moving to next room after the last room.");
    return;
  }
  Room_Goto(Room_Next(current));
}

void Room_Restart() { Room_Goto(Run_CurrentRoomIndex()); }

void Game_EndRequest() { PendingRoom = PendingRoomCode::EndGame; }
void Game_RestartRequest() { PendingRoom = PendingRoomCode::Restart; }
