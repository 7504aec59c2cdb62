// The depth-ordered list of a room's instances, linked through the instances' own next and
// previous fields (the list owns nothing). Ascending depth; an instance put in follows every
// instance of equal depth.
#pragma once

#include <cstdint>

class CInstance;

struct InstanceList {
  CInstance* first = nullptr;
  CInstance* last = nullptr;
  int32_t count = 0;
};

// Puts instance in front of the first instance (from the start) whose depth is greater.
void InstanceList_InsertByDepth(InstanceList& list, CInstance& instance);
// Takes instance out, joining its neighbours.
void InstanceList_Unlink(InstanceList& list, CInstance& instance);
