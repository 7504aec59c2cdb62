// The tracked allocator. Every block it makes carries a 16-byte header in front of the
// caller's pointer: {u32 size (bit 31 is never part of it), 0xDEADC0DE, 0xBAADB00B, 0}.
// It keeps process-wide running totals of what is in use, and Free accepts blocks that
// another allocator (the C library's malloc, strdup) made and hands them to free().
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

struct MemoryStatistics {
  uint32_t bytesInUse = 0;
  // Two further byte counters that always move with bytesInUse.
  uint32_t bytesInUseShadow1 = 0;
  uint32_t bytesInUseShadow2 = 0;
  uint32_t blocksInUse = 0;
};

// What the allocator noted at the start of each frame (MemoryManager::CountFrame): the frames
// counted, the program's private resident memory then, and the most seen at any frame's start.
struct MemoryFrameStatistics {
  uint32_t frames = 0;
  uint32_t bytesInUse = 0;
  uint32_t peakBytesInUse = 0;
};

class MemoryManager {
 public:
  static constexpr uint32_t kCheckWord1 = 0xDEADC0DEu;
  static constexpr uint32_t kCheckWord2 = 0xBAADB00Bu;
  static constexpr size_t kHeaderSize = 16;
  static constexpr size_t kMaxBlockSize = 0x7FFFFFFFu - kHeaderSize;
  static constexpr size_t kMaxAlignmentPadding = 8192;

  // A new block of size bytes, zero-filled when clear is set; null for size 0. The file and
  // line name the allocating site (not stored).
  static void* Alloc(size_t size, const char* file, int line, bool clear = false);
  // A block whose address is a multiple of alignment (a power of two, below 8192); its
  // size word and the statistics count size + alignment - 1. With clear, the whole returned
  // block is zero-filled. Null for size 0.
  static void* AllocAligned(size_t size, size_t alignment, const char* file, int line,
                            bool clear = false);
  // Null does nothing; a block of this allocator is released and the statistics drop;
  // any other pointer is taken as the C library's and handed to free().
  static void Free(void* p);
  // Resizes a plain block: null and size 0 give null; null and a size give a new
  // zero-filled block; the same size gives p; size 0 frees p and gives null; any other
  // size gives a new block with min(old, new) bytes copied and the rest zero, p freed.
  // A pointer this allocator did not make as a plain block stops the process.
  static void* ReAlloc(void* p, size_t size, const char* file, int line);
  // ReAlloc of the block held in a pointer variable; the result is stored back.
  template <class T>
  static T* SetLength(T*& variable, size_t size, const char* file, int line) {
    variable = static_cast<T*>(ReAlloc(variable, size, file, line));
    return variable;
  }
  // The size the caller asked for; 0 for null or a block this allocator did not make.
  static size_t GetSize(const void* p);
  // True when p is a live plain or aligned block of this allocator.
  static bool Owns(const void* p);

  // A copy of text (with its terminating zero) in a new block; null for null.
  static char* Strdup(const char* text, const char* file, int line);

  // The totals of this allocator's own blocks.
  static MemoryStatistics Statistics();
  // The bytes the program has in use: everything it holds on the heap (this allocator's blocks
  // among them, and all that the containers and objects of the runner allocate).
  static uint32_t BytesInUse();
  // "Total memory used = %d(0x%08x) bytes\n" on the debug console, BytesInUse twice.
  static void DumpMemory();
  // The title line, then the same as DumpMemory and the number of blocks in use.
  static void DumpStatistics(const char* title);
  // Counts a frame (the main loop, once a frame) and notes the program's bytes in use.
  static void CountFrame();
  static MemoryFrameStatistics FrameStatistics();
};
