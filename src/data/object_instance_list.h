// The instances of an object (or of an object and its descendants), in the order they joined.
//
// Kept as one array of (join stamp, instance) entries: a member costs one entry, and a walk
// reads memory in order. Each instance carries the stamp of its last joining; entries stand
// in ascending stamp order, so a leaving instance is found by a binary search instead of a
// walk. An instance that leaves leaves a hole behind, skipped by walks; the holes are closed
// once they outnumber the members. Entries added out of stamp order (a change of parent moves
// instances that joined long ago) make the list fall back to a walk from the front.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <vector>

class CInstance;

class ObjectInstanceList {
 public:
  struct Entry {
    uint64_t stamp = 0;
    CInstance* instance = nullptr;  // null once it left (not owned)
  };

  class Iterator {
   public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = CInstance*;
    using difference_type = std::ptrdiff_t;
    using pointer = CInstance* const*;
    using reference = CInstance*;

    Iterator() = default;
    Iterator(const Entry* at, const Entry* end) : at_(at), end_(end) { SkipHoles(); }
    CInstance* operator*() const { return at_->instance; }
    Iterator& operator++() {
      ++at_;
      SkipHoles();
      return *this;
    }
    Iterator operator++(int) {
      Iterator was = *this;
      ++*this;
      return was;
    }
    bool operator==(const Iterator& other) const { return at_ == other.at_; }

   private:
    void SkipHoles() {
      while (at_ != end_ && at_->instance == nullptr) ++at_;
    }
    const Entry* at_ = nullptr;
    const Entry* end_ = nullptr;
  };

  ObjectInstanceList() = default;
  ObjectInstanceList(const ObjectInstanceList&) = delete;
  ObjectInstanceList& operator=(const ObjectInstanceList&) = delete;

  int32_t Count() const { return static_cast<int32_t>(count_); }
  // Joins at the end under the given stamp.
  void Add(CInstance* instance, uint64_t stamp);
  // Leaves (the first entry holding it); false when it is not in the list.
  bool Remove(CInstance* instance, uint64_t stamp);
  void Clear();
  // Becomes a copy of other (members, holes and order).
  void CopyFrom(const ObjectInstanceList& other);

  Iterator begin() const { return Iterator(entries_.data() + head_, entries_.data() + entries_.size()); }
  Iterator end() const { return Iterator(entries_.data() + entries_.size(), entries_.data() + entries_.size()); }

 private:
  // The entry holding instance, or entries_.size().
  size_t Position(const CInstance* instance, uint64_t stamp) const;
  void CloseHoles();

  std::vector<Entry> entries_;
  size_t head_ = 0;   // entries before it are all holes
  size_t count_ = 0;  // members (entries that are not holes)
  bool ordered_ = true;
};
