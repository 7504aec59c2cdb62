#include "runner/instance_list.h"

#include "runner/instance.h"

void InstanceList_InsertByDepth(InstanceList& list, CInstance& instance) {
  ++list.count;
  if (list.first == nullptr) {
    instance.prev = instance.next = nullptr;
    list.first = list.last = &instance;
    return;
  }
  CInstance* at = list.first;
  while (at != nullptr && !(at->depth > instance.depth)) at = at->next;
  if (at == nullptr) {
    instance.prev = list.last;
    instance.next = nullptr;
    list.last->next = &instance;
    list.last = &instance;
    return;
  }
  instance.next = at;
  instance.prev = at->prev;
  if (at->prev != nullptr) {
    at->prev->next = &instance;
  } else {
    list.first = &instance;
  }
  at->prev = &instance;
}

void InstanceList_Unlink(InstanceList& list, CInstance& instance) {
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
  --list.count;
}
