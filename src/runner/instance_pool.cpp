#include "runner/instance_pool.h"

#include <memory>
#include <new>
#include <vector>

#include "runner/instance.h"

#if defined(__SANITIZE_ADDRESS__)
#define KF_INSTANCE_POOL 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KF_INSTANCE_POOL 0
#endif
#endif
#ifndef KF_INSTANCE_POOL
#define KF_INSTANCE_POOL 1
#endif

namespace {

constexpr std::size_t kBlocksPerChunk = 256;
constexpr std::size_t kBlockSize =
    (sizeof(CInstance) + alignof(CInstance) - 1) / alignof(CInstance) * alignof(CInstance);

struct FreeBlock {
  FreeBlock* next;
};

struct Chunk {
  alignas(alignof(CInstance)) std::byte bytes[kBlockSize * kBlocksPerChunk];
};

struct Pool {
  std::vector<std::unique_ptr<Chunk>> chunks;
  std::size_t usedInLast = kBlocksPerChunk;  // blocks of the newest chunk handed out so far
  FreeBlock* freed = nullptr;
  std::size_t inUse = 0;
};

Pool& ThePool() {
  static Pool pool;
  return pool;
}

// Heap blocks keep the instance's alignment (a cache line).
void* HeapBlock(std::size_t size) { return ::operator new(size, std::align_val_t{alignof(CInstance)}); }
void FreeHeapBlock(void* block) { ::operator delete(block, std::align_val_t{alignof(CInstance)}); }

}  // namespace

void* InstancePool_Allocate(std::size_t size) {
  if (size != sizeof(CInstance)) return HeapBlock(size);
  Pool& pool = ThePool();
  ++pool.inUse;
  if (!KF_INSTANCE_POOL) return HeapBlock(size);
  if (pool.freed != nullptr) {
    FreeBlock* block = pool.freed;
    pool.freed = block->next;
    return block;
  }
  if (pool.usedInLast == kBlocksPerChunk) {
    // Not zeroed: every instance made in a block sets all its fields, and zeroing would be
    // one more pass over the new memory.
    pool.chunks.push_back(std::make_unique_for_overwrite<Chunk>());
    pool.usedInLast = 0;
  }
  return pool.chunks.back()->bytes + kBlockSize * pool.usedInLast++;
}

void InstancePool_Free(void* block, std::size_t size) noexcept {
  if (block == nullptr) return;
  if (size != sizeof(CInstance)) {
    FreeHeapBlock(block);
    return;
  }
  Pool& pool = ThePool();
  --pool.inUse;
  if (!KF_INSTANCE_POOL) {
    FreeHeapBlock(block);
    return;
  }
  pool.freed = new (block) FreeBlock{pool.freed};
}

std::size_t InstancePool_InUse() { return ThePool().inUse; }
