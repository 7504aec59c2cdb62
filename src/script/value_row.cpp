#include "script/value_row.h"

#include <cstdlib>
#include <cstring>
#include <new>

ValueRow::ValueRow(const ValueRow& other) {
  if (other.size_ == 0) return;
  data_ = static_cast<ScriptValue*>(std::malloc(other.size_ * sizeof(ScriptValue)));
  if (data_ == nullptr) throw std::bad_alloc();
  for (size_t i = 0; i < other.size_; ++i) new (data_ + i) ScriptValue(other.data_[i]);
  size_ = capacity_ = other.size_;
}

ValueRow& ValueRow::operator=(const ValueRow& other) {
  if (this != &other) {
    ValueRow copy(other);
    *this = std::move(copy);
  }
  return *this;
}

ValueRow& ValueRow::operator=(ValueRow&& other) noexcept {
  if (this != &other) {
    Release();
    data_ = other.data_;
    size_ = other.size_;
    capacity_ = other.capacity_;
    other.data_ = nullptr;
    other.size_ = other.capacity_ = 0;
  }
  return *this;
}

ValueRow::~ValueRow() { Release(); }

void ValueRow::Release() {
  for (size_t i = 0; i < size_; ++i) data_[i].~ScriptValue();
  std::free(data_);
  data_ = nullptr;
  size_ = capacity_ = 0;
}

void ValueRow::resize(size_t count) {
  if (count > size_) {
    Grow(count);
    return;
  }
  for (size_t i = count; i < size_; ++i) data_[i].~ScriptValue();
  size_ = count;
}

void ValueRow::Grow(size_t count) {
  if (count > capacity_) {
    // Half again each time: rows mostly grow one element at a time at their end.
    size_t room = capacity_ + capacity_ / 2;
    if (room < count) room = count;
    if (room < 4) room = 4;
    if (room > SIZE_MAX / sizeof(ScriptValue)) throw std::bad_alloc();
    void* grown = std::realloc(static_cast<void*>(data_), room * sizeof(ScriptValue));
    if (grown == nullptr) throw std::bad_alloc();
    data_ = static_cast<ScriptValue*>(grown);
    capacity_ = room;
  }
  std::memset(static_cast<void*>(data_ + size_), 0, (count - size_) * sizeof(ScriptValue));
  size_ = count;
}
