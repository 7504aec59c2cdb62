// One row of an array variable: values side by side in one block that grows in place.
// A value is its bytes (moving one moves them), and the real 0 is all zero bytes, so a row
// grows by reallocating and zero-filling instead of constructing its values one by one.
#pragma once

#include <cstddef>
#include <new>

#include "script/script_value.h"

class ValueRow {
 public:
  ValueRow() = default;
  ValueRow(const ValueRow& other);
  ValueRow(ValueRow&& other) noexcept
      : data_(other.data_), size_(other.size_), capacity_(other.capacity_) {
    other.data_ = nullptr;
    other.size_ = other.capacity_ = 0;
  }
  ValueRow& operator=(const ValueRow& other);
  ValueRow& operator=(ValueRow&& other) noexcept;
  ~ValueRow();

  size_t size() const { return size_; }
  size_t capacity() const { return capacity_; }
  bool empty() const { return size_ == 0; }
  ScriptValue& operator[](size_t i) { return data_[i]; }
  const ScriptValue& operator[](size_t i) const { return data_[i]; }
  ScriptValue* begin() { return data_; }
  ScriptValue* end() { return data_ + size_; }
  const ScriptValue* begin() const { return data_; }
  const ScriptValue* end() const { return data_ + size_; }

  // Lengthens the row with real zeros, or shortens it, to count values.
  void resize(size_t count);
  // The element at column, lengthening the row with real zeros up to it.
  ScriptValue& At(size_t column) {
    if (column < size_) return data_[column];
    if (column == size_ && size_ < capacity_) {  // the usual way: one more at the end
      ++size_;
      return *new (data_ + column) ScriptValue();
    }
    Grow(column + 1);
    return data_[column];
  }

 private:
  // Lengthens the row to count (more than its size) values.
  void Grow(size_t count);
  // Lets go of every value and the block.
  void Release();

  ScriptValue* data_ = nullptr;
  size_t size_ = 0;
  size_t capacity_ = 0;
};
