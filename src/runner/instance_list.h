// The depth-ordered list of a room's instances, linked through the instances' own next and
// previous fields (the list owns nothing). Ascending depth; an instance put in follows every
// instance of equal depth.
//
// Beside the links the list keeps an index from each depth to the first instance of that depth,
// so that putting an instance in costs a look-up among the distinct depths instead of a walk
// from the head. An instance whose depth is not a number goes to the end and is not indexed.
// When an instance's depth changes while it keeps its place (a change of object), the lists
// are walked from the head again until they are found back in order.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "runner/instance_grid.h"

class CInstance;

struct InstanceList {
  CInstance* first = nullptr;
  CInstance* last = nullptr;
  int32_t count = 0;
  // Depth to the first instance (from the head) with that depth; valid while driftSeen matches
  // InstanceList_DepthDrift.
  std::map<float, CInstance*> firstAtDepth;
  uint64_t driftSeen = 0;
  int32_t insertsBeforeCheck = 0;  // while out of order
  // The collision grid over the list's instances, made by the first query that needs it.
  std::unique_ptr<CInstanceGrid> grid;
  // Counts the instances put in and taken out.
  uint64_t changes = 0;
  // The instances from the head as they stood after `orderChanges` changes: a pass over the
  // list reads them from this array (loads that do not wait on each other) instead of
  // following the links from instance to instance.
  std::vector<CInstance*> order;
  uint64_t orderChanges = UINT64_MAX;
  // The same instances in no particular order (each knows its slot): a pass that may visit
  // them in any order reads them from here, in about the order they were made and so mostly
  // in the order they lie in memory, whatever their depths. Changes of depth leave it as is.
  std::vector<CInstance*> members;
};

// Counts the depth changes of listed instances that kept their place in their list.
extern uint64_t InstanceList_DepthDrift;

// Puts instance in front of the first instance (from the start) whose depth is greater.
void InstanceList_InsertByDepth(InstanceList& list, CInstance& instance);
// Puts instance at the end whatever its depth (the deactivated list keeps the order of leaving).
void InstanceList_Append(InstanceList& list, CInstance& instance);
// Takes instance out, joining its neighbours.
void InstanceList_Unlink(InstanceList& list, CInstance& instance);
// Moves a member to its place for its depth now, as taking it out and putting it in by depth
// would (it follows every instance of equal depth).
void InstanceList_Reinsert(InstanceList& list, CInstance& instance);
// The instances from the head as they stand now (valid until the list next changes).
const std::vector<CInstance*>& InstanceList_Order(InstanceList& list);
// The list's collision grid, made (with every instance of the list in it) when there is none.
CInstanceGrid& InstanceList_Grid(InstanceList& list);
