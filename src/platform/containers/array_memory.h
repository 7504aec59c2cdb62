// cARRAY_MEMORY: a growable array of blocks that the array owns; each element is a
// MemoryManager block (or null) and is freed with the array.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/memory_manager.h"

struct MemoryBlockFree {
  void operator()(void* block) const { MemoryManager::Free(block); }
};

template <class T>
class cARRAY_MEMORY {
 public:
  using Block = std::unique_ptr<T, MemoryBlockFree>;

  int32_t Length() const { return static_cast<int32_t>(items_.size()); }
  bool Valid(int32_t index) const { return index >= 0 && index < Length(); }

  // 0 frees every element block and the storage; any other length keeps the first slots,
  // frees the blocks of dropped slots and adds null slots. A negative length is taken as 0.
  void SetLength(int32_t length) {
    if (length <= 0) {
      for (auto& block : items_) block.reset();
      std::vector<Block>().swap(items_);
      return;
    }
    items_.resize(static_cast<size_t>(length));
  }
  void Clear() { SetLength(0); }

  // The block at index; null for an empty slot or an invalid index.
  T* Get(int32_t index) const { return Valid(index) ? items_[static_cast<size_t>(index)].get() : nullptr; }
  // Takes the block (from MemoryManager) into the slot, freeing the one it held; false for
  // an invalid index (the block is then freed, so it never leaks).
  bool Set(int32_t index, T* block) {
    if (!Valid(index)) {
      MemoryManager::Free(block);
      return false;
    }
    items_[static_cast<size_t>(index)].reset(block);
    return true;
  }
  // Hands the block of a slot back to the caller and empties the slot.
  T* Release(int32_t index) { return Valid(index) ? items_[static_cast<size_t>(index)].release() : nullptr; }

  // Frees the block at index; the later ones move down; nothing for an invalid index.
  void Delete(int32_t index) {
    if (!Valid(index)) return;
    items_.erase(items_.begin() + index);
  }

 private:
  std::vector<Block> items_;
};
