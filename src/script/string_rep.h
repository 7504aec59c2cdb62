// The bytes of a string value: one heap block holding a reference count, the length, the
// room and the bytes (followed by a NUL). A block held by more than one value is never
// changed; a writer makes a fresh one. Values live on the main thread only, so the count
// is a plain integer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

struct alignas(16) StringRep {
  uint32_t refs;
  uint32_t size;
  uint32_t capacity;  // bytes the block has room for, the NUL not counted
  uint32_t spare;

  char* Bytes() { return reinterpret_cast<char*>(this + 1); }
  const char* Bytes() const { return reinterpret_cast<const char*>(this + 1); }
  std::string_view View() const { return {Bytes(), size}; }
};
static_assert(sizeof(StringRep) == 16);

// The shared block of the empty string; it is never freed.
StringRep* StringRep_Empty();
// A fresh block (one reference) holding text, with room for at least capacity bytes.
StringRep* StringRep_Make(std::string_view text, size_t capacity);
// Frees a block whose last reference went.
void StringRep_Free(StringRep* rep);
// A block holding rep's bytes and then more: rep itself when it is held once and has the
// room; otherwise a fresh block (rep is let go of).
StringRep* StringRep_Append(StringRep* rep, std::string_view more);
