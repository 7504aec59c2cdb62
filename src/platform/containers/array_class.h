// cARRAY_CLASS: a growable array of objects that the array owns and destroys;
// cARRAY_CLASS_NO_DELETE: the same shape over objects that it does not own.
// Neither grows on its own: the owner picks its step and calls SetLength.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

template <class T>
class cARRAY_CLASS {
 public:
  int32_t Length() const { return static_cast<int32_t>(items_.size()); }
  bool Valid(int32_t index) const { return index >= 0 && index < Length(); }

  // No change when the length is the same. 0 destroys every object, first to last, and
  // frees the storage; any other length keeps the first slots, destroys the objects of
  // dropped slots and adds null slots. A negative length is taken as 0.
  void SetLength(int32_t length) {
    if (length < 0) length = 0;
    if (length == Length()) return;
    if (length == 0) {
      for (auto& object : items_) object.reset();
      std::vector<std::unique_ptr<T>>().swap(items_);
      return;
    }
    while (Length() > length) items_.pop_back();
    items_.resize(static_cast<size_t>(length));
  }

  T* Get(int32_t index) const { return Valid(index) ? items_[static_cast<size_t>(index)].get() : nullptr; }
  T* operator[](int32_t index) const { return Get(index); }
  // Puts the object into the slot, destroying the one it held; false (and the object
  // destroyed) for an invalid index.
  bool Set(int32_t index, std::unique_ptr<T> object) {
    if (!Valid(index)) return false;
    items_[static_cast<size_t>(index)] = std::move(object);
    return true;
  }
  std::unique_ptr<T> Release(int32_t index) {
    return Valid(index) ? std::move(items_[static_cast<size_t>(index)]) : nullptr;
  }

  // Stores the object at index, the objects from there on moving up one place; an index
  // equal to the length appends. False (and the object destroyed) for an index outside
  // 0..length.
  bool Insert(int32_t index, std::unique_ptr<T> object) {
    if (index < 0 || index > Length()) return false;
    items_.insert(items_.begin() + index, std::move(object));
    return true;
  }

  // Destroys the object at index; the later ones move down and the array is one shorter.
  // Nothing for an invalid index.
  void Delete(int32_t index) {
    if (!Valid(index)) return;
    std::unique_ptr<T> doomed = std::move(items_[static_cast<size_t>(index)]);
    items_.erase(items_.begin() + index);
    doomed.reset();
  }

 private:
  std::vector<std::unique_ptr<T>> items_;
};

template <class T>
class cARRAY_CLASS_NO_DELETE {
 public:
  int32_t Length() const { return static_cast<int32_t>(items_.size()); }
  bool Valid(int32_t index) const { return index >= 0 && index < Length(); }

  // As cARRAY_CLASS::SetLength, but no object is ever destroyed.
  void SetLength(int32_t length) {
    if (length < 0) length = 0;
    if (length == Length()) return;
    if (length == 0) {
      std::vector<T*>().swap(items_);
      return;
    }
    items_.resize(static_cast<size_t>(length), nullptr);
  }

  T* Get(int32_t index) const { return Valid(index) ? items_[static_cast<size_t>(index)] : nullptr; }
  T* operator[](int32_t index) const { return Get(index); }
  bool Set(int32_t index, T* object) {
    if (!Valid(index)) return false;
    items_[static_cast<size_t>(index)] = object;
    return true;
  }
  bool Insert(int32_t index, T* object) {
    if (index < 0 || index > Length()) return false;
    items_.insert(items_.begin() + index, object);
    return true;
  }
  // Removes the slot at index; the object is left alone.
  void Delete(int32_t index) {
    if (!Valid(index)) return;
    items_.erase(items_.begin() + index);
  }

 private:
  std::vector<T*> items_;
};
