#include "runner/commands.h"

#include <string>
#include <vector>

#include "data/objects.h"
#include "data/rooms.h"
#include "data/sprite.h"
#include "runner/events.h"
#include "runner/instance.h"
#include "runner/instance_list.h"
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

bool InPlay(const CInstance& instance) { return !instance.marked && !instance.deactivated; }

}  // namespace

void Command_ForEachSelected(int32_t object, const InstanceVisitor& visit) {
  auto inPlay = [&visit](CInstance& instance) { return !InPlay(instance) || visit(instance); };
  if (object == kSelectAll) {
    Variable_ForEachActiveInstance(inPlay);
  } else if (object >= kFirstInstanceId) {
    if (CInstance* instance = Instance_Find(object); instance != nullptr && InPlay(*instance)) visit(*instance);
  } else if (object >= 0) {
    Variable_ForEachObjectInstance(object, inPlay);
  }
}

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
  Instance_MarkForDeletion(instance);
}

void Command_ChangeInstance(CInstance& instance, int32_t object, bool perform) {
  if (!Object_Exists(object)) {
    Error_Show_Action("Asking to change into non-existing object: " + std::to_string(object), false);
    return;
  }
  // The events may destroy the instance's room: hold on to it by id.
  const int32_t id = instance.id;
  if (perform) {
    Perform_Event(&instance, &instance, 1, 0);
    if (Instance_Find(id) != &instance) return;
  }
  instance.ChangeObject(object, true);
  instance.createSerial = EventSerial;
  if (perform) {
    Perform_Event(&instance, &instance, 0, 0);
    if (Instance_Find(id) == &instance) instance.started = true;
  }
}

void Command_SetSprite(CInstance& instance, int32_t sprite) {
  if (!Sprite_Exists(sprite)) {
    Error_Show_Action("Setting instance to non-existing sprite: " + std::to_string(sprite), false);
    return;
  }
  instance.SetSpriteIndex(sprite);
}

CInstance* Command_CopyInstance(CInstance& source, bool perform) {
  CRoom* room = Run_CurrentRoom();
  if (room == nullptr) return nullptr;
  CInstance* copy = room->AddInstance(source.x, source.y, source.object_index);
  const int32_t freshId = copy->id;
  Instance_IdHash_Remove(*copy);
  copy->Assign(source, true);
  copy->id = freshId;
  copy->deactivated = false;
  Instance_IdHash_Add(*copy);
  // The copy takes the source's depth: its place in the list follows.
  InstanceList_Reinsert(room->active, *copy);
  if (perform) {
    Perform_Event(copy, copy, 0, 0);
    if (Instance_Find(freshId) != copy) return nullptr;
    copy->started = true;
  }
  return copy;
}

int32_t Command_InstanceNumber(int32_t object) {
  int32_t count = 0;
  auto counter = [&count](CInstance& instance) {
    if (!instance.marked) ++count;
    return true;
  };
  if (object == kSelectAll) {
    Variable_ForEachActiveInstance(counter);
  } else if (object >= kFirstInstanceId) {
    const CInstance* instance = Instance_Find(object);
    count = instance != nullptr && !instance->marked ? 1 : 0;
  } else if (const CObjectKF* data = Object_Data(object)) {
    for (CInstance* instance : data->InstancesRecursive()) counter(*instance);
  }
  return count;
}

bool Command_RoomSize(int32_t& width, int32_t& height) {
  const CRoom* room = Run_CurrentRoom();
  width = room != nullptr ? room->width : 0;
  height = room != nullptr ? room->height : 0;
  return room != nullptr;
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
