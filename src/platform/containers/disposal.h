// What a container does with a value it removes.
#pragma once

#include <cstdint>
#include <type_traits>

#include "platform/memory_manager.h"

enum class Disposal : int32_t {
  Keep = 0,       // the value is left alone: someone else owns it
  Destroy = 1,    // delete: its destructor runs (through the virtual table where there is one)
  FreeBlock = 2,  // MemoryManager::Free of the value's block; no destructor runs
};

template <class T>
void Dispose(T* value, Disposal mode) {
  if (value == nullptr) return;
  switch (mode) {
    case Disposal::Keep:
      break;
    case Disposal::Destroy:
      if constexpr (std::is_void_v<T>) {
        MemoryManager::Free(value);
      } else {
        delete value;
      }
      break;
    case Disposal::FreeBlock:
      MemoryManager::Free(const_cast<std::remove_const_t<T>*>(value));
      break;
  }
}
