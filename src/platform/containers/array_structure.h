// cARRAY_STRUCTURE: a growable array of plain records stored inline. It never grows on its
// own: the owner picks its step and calls SetLength.
#pragma once

#include <cstdint>
#include <vector>

template <class T>
class cARRAY_STRUCTURE {
 public:
  int32_t Length() const { return static_cast<int32_t>(items_.size()); }
  bool Valid(int32_t index) const { return index >= 0 && index < Length(); }

  // 0 frees the storage; any other length keeps the first records and zero-fills new ones.
  // A negative length is taken as 0.
  void SetLength(int32_t length) {
    if (length <= 0) {
      std::vector<T>().swap(items_);
      return;
    }
    items_.resize(static_cast<size_t>(length), T{});
  }
  void Clear() { SetLength(0); }

  // Stores record at index, the records from there on moving up one place; an index equal
  // to the length appends. False (and no change) for an index outside 0..length.
  bool Insert(int32_t index, const T& record) {
    if (index < 0 || index > Length()) return false;
    items_.insert(items_.begin() + index, record);
    return true;
  }

  // Removes the record at index, the later ones moving down; nothing for an invalid index.
  void Delete(int32_t index) {
    if (!Valid(index)) return;
    items_.erase(items_.begin() + index);
  }

  T& operator[](int32_t index) { return items_[static_cast<size_t>(index)]; }
  const T& operator[](int32_t index) const { return items_[static_cast<size_t>(index)]; }
  T* Data() { return items_.data(); }
  const T* Data() const { return items_.data(); }
  auto begin() { return items_.begin(); }
  auto end() { return items_.end(); }
  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

 private:
  std::vector<T> items_;
};
