#include "script/string_rep.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

#include "script/string_text.h"

namespace {

// The most bytes a block can hold: its size and room are 32-bit counts.
constexpr size_t kMaxBytes = UINT32_MAX - sizeof(StringRep) - 1;

struct EmptyBlock {
  StringRep head;
  char nul[16];
};
// Held from the start by a count no run lets fall to zero.
constexpr uint32_t kNeverFreed = 1u << 30;
EmptyBlock g_EmptyBlock{
    {kNeverFreed, 0, 0,
     StringRep_Known::TextBytes | StringRep_Known::Chars | StringRep_Known::Ascii, 0, 0, nullptr},
    {}};

// The one-byte strings, shared as the empty one is: a character taken out of a text costs no
// block of its own.
struct ByteBlock {
  StringRep head;
  char bytes[16];
};
std::array<ByteBlock, 256> MakeByteBlocks() {
  std::array<ByteBlock, 256> blocks;
  for (size_t b = 0; b < blocks.size(); ++b) {
    blocks[b].head.refs = kNeverFreed;
    blocks[b].head.size = blocks[b].head.capacity = 1;
    blocks[b].head.known = 0;  // learnt when asked, as for any block
    blocks[b].head.textBytes = blocks[b].head.chars = 0;
    blocks[b].bytes[0] = static_cast<char>(b);
    blocks[b].bytes[1] = '\0';
  }
  return blocks;
}

}  // namespace

StringRep* StringRep_Empty() { return &g_EmptyBlock.head; }

StringRep* StringRep_OfByte(unsigned char b) {
  // Never destroyed: values in other static objects may still let go of them at exit.
  static std::array<ByteBlock, 256>& blocks = *new std::array<ByteBlock, 256>(MakeByteBlocks());
  return &blocks[b].head;
}

StringRep* StringRep_Make(std::string_view text, size_t capacity) {
  if (capacity < text.size()) capacity = text.size();
  if (capacity > kMaxBytes) throw std::bad_alloc();
  void* memory = std::malloc(sizeof(StringRep) + capacity + 1);
  if (memory == nullptr) throw std::bad_alloc();
  auto* rep = new (memory) StringRep{1, static_cast<uint32_t>(text.size()),
                                     static_cast<uint32_t>(capacity), 0, 0, 0, nullptr};
  if (!text.empty()) std::memcpy(rep->Bytes(), text.data(), text.size());
  rep->Bytes()[text.size()] = '\0';
  return rep;
}

void StringRep_Free(StringRep* rep) {
  rep->~StringRep();
  std::free(rep);
}

StringRep* StringRep_Append(StringRep* rep, std::string_view more, uint32_t holders) {
  if (more.empty()) return rep;
  const size_t size = rep->size, needed = size + more.size();
  const bool alone = rep->refs <= holders;
  if (alone && needed <= rep->capacity) {
    // Bytes appended from the block itself lie before its end: no overlap.
    std::memcpy(rep->Bytes() + size, more.data(), more.size());
    rep->size = static_cast<uint32_t>(needed);
    rep->Bytes()[needed] = '\0';
    StringText_Grew(*rep, static_cast<uint32_t>(size));
    return rep;
  }
  if (needed > kMaxBytes) throw std::bad_alloc();
  StringRep* fresh = nullptr;
  if (alone) {
    // Twice the bytes when memory allows, else just enough.
    try {
      fresh = StringRep_Make(rep->View(), std::min(needed * 2, kMaxBytes));
    } catch (const std::bad_alloc&) {
      fresh = nullptr;
    }
  }
  if (fresh == nullptr) fresh = StringRep_Make(rep->View(), needed);
  std::memcpy(fresh->Bytes() + size, more.data(), more.size());
  fresh->size = static_cast<uint32_t>(needed);
  fresh->Bytes()[needed] = '\0';
  // What was known of the old bytes holds for the same bytes in the fresh block.
  StringText_CarryOver(*rep, *fresh, rep->refs == 1);
  StringText_Grew(*fresh, static_cast<uint32_t>(size));
  if (--rep->refs == 0) StringRep_Free(rep);
  return fresh;
}
