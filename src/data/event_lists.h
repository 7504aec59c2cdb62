// For every event type and sub-event, the objects that have that event themselves or through
// a parent, and the pairs of objects with a collision event between them. The step walks
// these instead of every object. They hold indices and stay as they are until rebuilt.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

inline constexpr int32_t kEventListSubEvents = 256;

struct CollisionPair {
  int32_t object = 0;  // the object whose event it is
  int32_t other = 0;
};

void Object_Rebuild_Event_Lists();
// Rebuilds the lists of one type for sub-events 0 to last; the others of the type are emptied.
void Object_BuildEventList(int32_t type, int32_t last);
void Object_BuildCollisionPairs();
void Object_FreeEventLists();

// The objects with event (type, sub), ascending; empty outside the table.
const std::vector<int32_t>& Object_EventList(int32_t type, int32_t sub);
const std::vector<CollisionPair>& Object_CollisionPairs();
