#include "platform/memory_manager.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <unordered_map>
#include <unordered_set>

#include "platform/console.h"
#include "platform/process_memory.h"

// Design note. A block is recognised by asking a registry of the live blocks instead of
// reading the words in front of an arbitrary pointer: a foreign pointer (a string literal,
// an address inside the game data, a block another allocator made) may have nothing
// readable in front of it. The header words are still written, so GetSize and a debugger
// see them.

namespace {

struct AlignedBlock {
  void* base = nullptr;
  uint32_t booked = 0;
};

struct State {
  std::mutex lock;
  MemoryStatistics stats;
  MemoryFrameStatistics frames;
  std::unordered_set<const void*> plain;
  std::unordered_map<const void*, AlignedBlock> aligned;
};

State& S() {
  // Never destroyed: blocks may be freed by destructors that run after main returns.
  static State* state = new State;
  return *state;
}

[[noreturn]] void Stop(const char* what) {
  std::fprintf(stderr, "MemoryManager: %s\n", what);
  std::fflush(stderr);
  std::abort();
}

void Book(State& s, uint32_t bytes) {
  s.stats.bytesInUse += bytes;
  s.stats.bytesInUseShadow1 += bytes;
  s.stats.bytesInUseShadow2 += bytes;
  s.stats.blocksInUse += 1;
}

void Unbook(State& s, uint32_t bytes) {
  s.stats.bytesInUse -= bytes;
  s.stats.bytesInUseShadow1 -= bytes;
  s.stats.bytesInUseShadow2 -= bytes;
  s.stats.blocksInUse -= 1;
}

void WriteHeader(unsigned char* header, uint32_t size) {
  const uint32_t words[4] = {size & 0x7FFFFFFFu, MemoryManager::kCheckWord1,
                             MemoryManager::kCheckWord2, 0};
  std::memcpy(header, words, sizeof words);
}

uint32_t ReadSizeWord(const void* p) {
  uint32_t word;
  std::memcpy(&word, static_cast<const unsigned char*>(p) - MemoryManager::kHeaderSize, sizeof word);
  return word & 0x7FFFFFFFu;
}

}  // namespace

void* MemoryManager::Alloc(size_t size, const char* file, int line, bool clear) {
  if (size == 0) return nullptr;
  if (size > kMaxBlockSize) Stop("a block of 2 GiB or more was asked for");
  void* raw = clear ? std::calloc(1, size + kHeaderSize) : std::malloc(size + kHeaderSize);
  if (raw == nullptr) Stop("out of memory");
  auto* bytes = static_cast<unsigned char*>(raw);
  WriteHeader(bytes, static_cast<uint32_t>(size));
  void* user = bytes + kHeaderSize;
  State& s = S();
  std::lock_guard<std::mutex> guard(s.lock);
  s.plain.insert(user);
  Book(s, static_cast<uint32_t>(size));
  return user;
}

void* MemoryManager::AllocAligned(size_t size, size_t alignment, const char* file, int line,
                                  bool clear) {
  if (size == 0) return nullptr;
  if (alignment == 0) alignment = 1;
  if ((alignment & (alignment - 1)) != 0 || alignment > kMaxAlignmentPadding) {
    Stop("an alignment that is not a power of two below 8192 was asked for");
  }
  if (size > kMaxBlockSize - alignment) Stop("a block of 2 GiB or more was asked for");
  const size_t total = size + alignment + 15;
  void* raw = std::malloc(total);
  if (raw == nullptr) Stop("out of memory");
  auto* base = static_cast<unsigned char*>(raw);
  const uint32_t booked = static_cast<uint32_t>(size + alignment - 1);
  WriteHeader(base, booked);
  const uintptr_t afterHeader = reinterpret_cast<uintptr_t>(base) + kHeaderSize;
  const uintptr_t aligned = (afterHeader + alignment - 1) & ~static_cast<uintptr_t>(alignment - 1);
  const uint32_t padding = static_cast<uint32_t>(aligned - afterHeader);
  auto* user = base + kHeaderSize + padding;
  if (padding != 0) {
    const uint32_t backOffset = 0x80000000u | padding;
    std::memcpy(user - 4, &backOffset, sizeof backOffset);
  }
  if (clear) std::memset(user, 0, size + alignment - 1 - padding);
  State& s = S();
  std::lock_guard<std::mutex> guard(s.lock);
  s.aligned[user] = AlignedBlock{raw, booked};
  Book(s, booked);
  return user;
}

void MemoryManager::Free(void* p) {
  if (p == nullptr) return;
  State& s = S();
  {
    std::lock_guard<std::mutex> guard(s.lock);
    if (s.plain.erase(p) != 0) {
      Unbook(s, ReadSizeWord(p));
      std::free(static_cast<unsigned char*>(p) - kHeaderSize);
      return;
    }
    auto it = s.aligned.find(p);
    if (it != s.aligned.end()) {
      Unbook(s, it->second.booked);
      void* base = it->second.base;
      s.aligned.erase(it);
      std::free(base);
      return;
    }
  }
  std::free(p);
}

void* MemoryManager::ReAlloc(void* p, size_t size, const char* file, int line) {
  if (p == nullptr) return size == 0 ? nullptr : Alloc(size, __FILE__, __LINE__, true);
  bool plain;
  {
    State& s = S();
    std::lock_guard<std::mutex> guard(s.lock);
    plain = s.plain.count(p) != 0;
  }
  if (!plain) Stop("ReAlloc of a block it did not allocate as a plain block");
  const size_t old = GetSize(p);
  if (size == old) return p;
  if (size == 0) {
    Free(p);
    return nullptr;
  }
  void* fresh = Alloc(size, __FILE__, __LINE__, true);
  std::memcpy(fresh, p, old < size ? old : size);
  Free(p);
  return fresh;
}

size_t MemoryManager::GetSize(const void* p) {
  if (p == nullptr) return 0;
  State& s = S();
  std::lock_guard<std::mutex> guard(s.lock);
  if (s.plain.count(p) == 0 && s.aligned.count(p) == 0) return 0;
  const auto* user = static_cast<const unsigned char*>(p);
  auto it = s.aligned.find(p);
  // An aligned block's header stands in front of its padding.
  const unsigned char* header = it != s.aligned.end()
                                    ? static_cast<const unsigned char*>(it->second.base) + kHeaderSize
                                    : user;
  return ReadSizeWord(header);
}

bool MemoryManager::Owns(const void* p) {
  if (p == nullptr) return false;
  State& s = S();
  std::lock_guard<std::mutex> guard(s.lock);
  return s.plain.count(p) != 0 || s.aligned.count(p) != 0;
}

char* MemoryManager::Strdup(const char* text, const char* file, int line) {
  if (text == nullptr) return nullptr;
  const size_t length = std::strlen(text) + 1;
  auto* copy = static_cast<char*>(Alloc(length, file, line, false));
  std::memcpy(copy, text, length);
  return copy;
}

MemoryStatistics MemoryManager::Statistics() {
  State& s = S();
  std::lock_guard<std::mutex> guard(s.lock);
  return s.stats;
}

uint32_t MemoryManager::BytesInUse() {
  const uint64_t heap = Process_HeapBytesInUse();
  return heap > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(heap);
}

void MemoryManager::DumpMemory() {
  const uint32_t total = BytesInUse();
  g_DebugConsole->Output("Total memory used = %d(0x%08x) bytes\n", static_cast<int>(total), total);
}

void MemoryManager::DumpStatistics(const char* title) {
  g_DebugConsole->Output("%s\n", title != nullptr ? title : "");
  DumpMemory();
  g_DebugConsole->Output("Blocks in use = %u\n", Statistics().blocksInUse);
}

void MemoryManager::CountFrame() {
  // Every frame: the resident figure, not the heap allocator's count, which walks the heap.
  const uint64_t resident = Process_PrivateResidentBytes();
  const uint32_t inUse = resident > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(resident);
  State& s = S();
  std::lock_guard<std::mutex> guard(s.lock);
  ++s.frames.frames;
  s.frames.bytesInUse = inUse;
  s.frames.peakBytesInUse = std::max(s.frames.peakBytesInUse, inUse);
}

MemoryFrameStatistics MemoryManager::FrameStatistics() {
  State& s = S();
  std::lock_guard<std::mutex> guard(s.lock);
  return s.frames;
}
