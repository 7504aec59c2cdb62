#include "data/event_lists.h"

#include <algorithm>
#include <array>
#include <set>

#include "data/objects.h"
#include "runner/event_names.h"

namespace {

struct EventLists {
  std::array<std::array<std::vector<int32_t>, kEventListSubEvents>, EventType::Count> lists;
  std::vector<CollisionPair> pairs;
};

EventLists& Lists() {
  static EventLists lists;
  return lists;
}

void ClearType(int32_t type) {
  for (auto& list : Lists().lists[static_cast<size_t>(type)]) {
    list.clear();
    list.shrink_to_fit();
  }
}

}  // namespace

void Object_BuildEventList(int32_t type, int32_t last) {
  if (type < 0 || type >= EventType::Count) return;
  ++Object_EventChanges;
  ClearType(type);
  last = std::min(last, kEventListSubEvents - 1);
  const int32_t count = Object_GetCount();
  auto& lists = Lists().lists[static_cast<size_t>(type)];
  for (int32_t sub = 0; sub <= last; ++sub) {
    for (int32_t i = 0; i < count; ++i) {
      const CObjectKF* object = Object_Data(i);
      if (object != nullptr && object->FindEvent(type, sub) != nullptr) {
        lists[static_cast<size_t>(sub)].push_back(i);
      }
    }
  }
}

void Object_BuildCollisionPairs() {
  auto& pairs = Lists().pairs;
  pairs.clear();
  std::set<std::pair<int32_t, int32_t>> stored;
  const int32_t count = Object_GetCount();
  for (int32_t i = 0; i < count; ++i) {
    const CObjectKF* object = Object_Data(i);
    if (object == nullptr) continue;
    for (int32_t j = 0; j < count; ++j) {
      if (object->FindEvent(EventType::Collision, j) == nullptr) continue;
      if (stored.emplace(std::min(i, j), std::max(i, j)).second) pairs.push_back({i, j});
    }
  }
}

void Object_Rebuild_Event_Lists() {
  Object_BuildEventList(EventType::Create, 0);
  Object_BuildEventList(EventType::Destroy, 0);
  Object_BuildEventList(EventType::Alarm, 12);
  Object_BuildEventList(EventType::Step, 16);
  ClearType(EventType::Collision);
  // Key codes run to 255, so the keyboard lists cover every code the step can raise.
  Object_BuildEventList(EventType::Keyboard, kEventListSubEvents - 1);
  Object_BuildEventList(EventType::Mouse, 128);
  Object_BuildEventList(EventType::Other, 128);
  Object_BuildEventList(EventType::Draw, 0);
  Object_BuildEventList(EventType::KeyPress, kEventListSubEvents - 1);
  Object_BuildEventList(EventType::KeyRelease, kEventListSubEvents - 1);
  Object_BuildCollisionPairs();
}

void Object_FreeEventLists() {
  for (int32_t type = 0; type < EventType::Count; ++type) ClearType(type);
  Lists().pairs.clear();
  Lists().pairs.shrink_to_fit();
}

const std::vector<int32_t>& Object_EventList(int32_t type, int32_t sub) {
  static const std::vector<int32_t> kNone;
  if (type < 0 || type >= EventType::Count || sub < 0 || sub >= kEventListSubEvents) return kNone;
  return Lists().lists[static_cast<size_t>(type)][static_cast<size_t>(sub)];
}

const std::vector<CollisionPair>& Object_CollisionPairs() { return Lists().pairs; }
