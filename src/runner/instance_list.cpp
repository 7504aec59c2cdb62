#include "runner/instance_list.h"

#include <cmath>
#include <iterator>

#include "runner/instance.h"

uint64_t InstanceList_DepthDrift = 0;

namespace {

// Lists shorter than this fit in the cache anyway.
constexpr size_t kPrefetchFrom = 4096;
// How far ahead of the walk the links are asked for.
constexpr size_t kAhead = 16;

// The instance becomes one of the list's members (its place in the order is set apart).
void Join(InstanceList& list, CInstance& instance) {
  ++list.count;
  if (list.grid) list.grid->Add(instance);
  instance.memberSlot = static_cast<uint32_t>(list.members.size());
  list.members.push_back(&instance);
}

// The member leaves; the last member takes its slot.
void Leave(InstanceList& list, CInstance& instance) {
  --list.count;
  if (list.grid) list.grid->Remove(instance);
  const uint32_t slot = instance.memberSlot;
  if (slot < list.members.size() && list.members[slot] == &instance) {
    CInstance* moved = list.members.back();
    list.members[slot] = moved;
    moved->memberSlot = slot;
    list.members.pop_back();
  }
}

void LinkBefore(InstanceList& list, CInstance& instance, CInstance* at) {
  ++list.changes;
  if (at == nullptr) {
    instance.prev = list.last;
    instance.next = nullptr;
    if (list.last != nullptr) list.last->next = &instance; else list.first = &instance;
    list.last = &instance;
    return;
  }
  instance.next = at;
  instance.prev = at->prev;
  if (at->prev != nullptr) at->prev->next = &instance; else list.first = &instance;
  at->prev = &instance;
}

// Rebuilds the depth index when the instances (those whose depth is a number) stand in
// ascending depth; false, leaving the list unindexed, when they do not.
bool Reindex(InstanceList& list) {
  list.firstAtDepth.clear();
  bool ordered = true;
  const CInstance* previous = nullptr;
  for (CInstance* at = list.first; at != nullptr; at = at->next) {
    at->indexedDepth = false;
    if (std::isnan(at->depth)) continue;
    if (previous != nullptr && previous->depth > at->depth) ordered = false;
    previous = at;
  }
  if (!ordered) return false;
  for (CInstance* at = list.first; at != nullptr; at = at->next) {
    if (std::isnan(at->depth)) continue;
    at->indexedDepth = true;
    at->listedDepth = at->depth;
    list.firstAtDepth.emplace(at->depth, at);
  }
  list.driftSeen = InstanceList_DepthDrift;
  return true;
}

// Whether the index holds. After a depth changed in place the list is checked at once, and
// when out of order checked again once as many instances went in as it held.
bool Indexed(InstanceList& list) {
  if (list.driftSeen == InstanceList_DepthDrift) return true;
  if (list.insertsBeforeCheck > 0) {
    --list.insertsBeforeCheck;
    return false;
  }
  if (Reindex(list)) return true;
  list.insertsBeforeCheck = list.count;
  return false;
}

// Links the instance in front of the first instance whose depth is greater.
void LinkByDepth(InstanceList& list, CInstance& instance) {
  instance.indexedDepth = false;
  const float depth = instance.depth;
  if (!Indexed(list)) {
    CInstance* at = list.first;
    while (at != nullptr && !(at->depth > depth)) at = at->next;
    LinkBefore(list, instance, at);
    return;
  }
  if (std::isnan(depth)) {
    // No depth is greater than one that is not a number: it goes last.
    LinkBefore(list, instance, nullptr);
    return;
  }
  // The instances of greater depth all follow those of lesser or equal depth (those whose depth
  // is not a number may sit anywhere), so the first of them is the first of the next depth up.
  const auto greater = list.firstAtDepth.upper_bound(depth);
  LinkBefore(list, instance, greater == list.firstAtDepth.end() ? nullptr : greater->second);
  instance.indexedDepth = true;
  instance.listedDepth = depth;
  // An earlier first of that depth stays first; it is the entry just before the greater one.
  if (greater == list.firstAtDepth.begin() || !(std::prev(greater)->first == depth)) {
    list.firstAtDepth.emplace_hint(greater, depth, &instance);
  }
}

// Takes the instance out of the links, joining its neighbours.
void UnlinkOnly(InstanceList& list, CInstance& instance) {
  if (instance.indexedDepth) {
    instance.indexedDepth = false;
    const auto entry = list.firstAtDepth.find(instance.listedDepth);
    if (entry != list.firstAtDepth.end() && entry->second == &instance) {
      // The next indexed instance, past any whose depth is not a number.
      CInstance* after = instance.next;
      while (after != nullptr && !after->indexedDepth) after = after->next;
      if (after != nullptr && after->listedDepth == instance.listedDepth) {
        entry->second = after;
      } else {
        list.firstAtDepth.erase(entry);
      }
    }
  }
  if (instance.prev != nullptr) {
    instance.prev->next = instance.next;
  } else if (list.first == &instance) {
    list.first = instance.next;
  }
  if (instance.next != nullptr) {
    instance.next->prev = instance.prev;
  } else if (list.last == &instance) {
    list.last = instance.prev;
  }
  instance.prev = instance.next = nullptr;
  ++list.changes;
}

}  // namespace

void InstanceList_InsertByDepth(InstanceList& list, CInstance& instance) {
  Join(list, instance);
  LinkByDepth(list, instance);
}

void InstanceList_Append(InstanceList& list, CInstance& instance) {
  Join(list, instance);
  instance.indexedDepth = false;
  LinkBefore(list, instance, nullptr);
}

void InstanceList_Unlink(InstanceList& list, CInstance& instance) {
  Leave(list, instance);
  UnlinkOnly(list, instance);
}

void InstanceList_Reinsert(InstanceList& list, CInstance& instance) {
  UnlinkOnly(list, instance);
  LinkByDepth(list, instance);
}

const std::vector<CInstance*>& InstanceList_Order(InstanceList& list) {
  if (list.orderChanges != list.changes) {
    // Following the links is a chain of loads each waiting on the last. Runs of instances
    // mostly keep their order from one time to the next (depth changes move whole runs to
    // other depths), so each instance's place in the last order names the instances that
    // followed it then: their links are asked for a few places ahead of the chain. The old
    // order is written over from the front, behind the places read.
    std::vector<CInstance*>& order = list.order;
    const size_t before = order.size() >= kPrefetchFrom ? order.size() : 0;
    size_t at = 0;
    for (CInstance* instance = list.first; instance != nullptr; instance = instance->next) {
      const size_t ahead = static_cast<size_t>(instance->orderSlot) + kAhead;
      if (ahead < before && ahead > at) __builtin_prefetch(&order[ahead]->next);
      instance->orderSlot = static_cast<uint32_t>(at);
      if (at < order.size()) order[at] = instance; else order.push_back(instance);
      ++at;
    }
    order.resize(at);
    list.orderChanges = list.changes;
  }
  return list.order;
}

CInstanceGrid& InstanceList_Grid(InstanceList& list) {
  if (!list.grid) {
    list.grid = std::make_unique<CInstanceGrid>();
    for (CInstance* at = list.first; at != nullptr; at = at->next) list.grid->Add(*at);
  }
  return *list.grid;
}
