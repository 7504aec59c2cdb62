// The memory instances live in: blocks of the size of one instance, each starting on a cache
// line, cut from large chunks, so that instances made one after another lie one after another
// and a walk over a room's list reads memory in order, without a heap header per instance. A freed block is reused by the
// next instance. (The sanitizer build takes every instance from the heap, so that it still
// catches use after destruction.)
#pragma once

#include <cstddef>

// A block for one object of the given size; sizes other than the instance's come from the heap.
void* InstancePool_Allocate(std::size_t size);
void InstancePool_Free(void* block, std::size_t size) noexcept;
// Blocks handed out and not freed.
std::size_t InstancePool_InUse();
