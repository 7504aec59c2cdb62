// SLinkedList: a doubly linked list of pointers, kept in the order they were added.
#pragma once

#include <cstdint>
#include <list>

#include "platform/containers/disposal.h"

template <class T>
class SLinkedList {
 public:
  using iterator = typename std::list<T*>::iterator;
  using const_iterator = typename std::list<T*>::const_iterator;

  SLinkedList() = default;
  SLinkedList(const SLinkedList&) = delete;
  SLinkedList& operator=(const SLinkedList&) = delete;

  int32_t Count() const { return static_cast<int32_t>(nodes_.size()); }
  T* First() const { return nodes_.empty() ? nullptr : nodes_.front(); }
  T* Last() const { return nodes_.empty() ? nullptr : nodes_.back(); }

  // A new node at the end; the node stays valid until it is removed.
  iterator Add(T* value) { return nodes_.insert(nodes_.end(), value); }

  // Unlinks the first node holding exactly this pointer and disposes of the value;
  // false when it is not in the list.
  bool Remove(T* value, Disposal mode) {
    for (auto it = nodes_.begin(); it != nodes_.end(); ++it) {
      if (*it == value) {
        nodes_.erase(it);
        Dispose(value, mode);
        return true;
      }
    }
    return false;
  }

  // Removes every node from the first, disposing of each value.
  void Clear(Disposal mode) {
    while (!nodes_.empty()) {
      T* value = nodes_.front();
      nodes_.pop_front();
      Dispose(value, mode);
    }
  }

  iterator begin() { return nodes_.begin(); }
  iterator end() { return nodes_.end(); }
  const_iterator begin() const { return nodes_.begin(); }
  const_iterator end() const { return nodes_.end(); }

 private:
  std::list<T*> nodes_;
};
