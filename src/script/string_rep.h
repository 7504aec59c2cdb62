// The bytes of a string value: one heap block holding a reference count, the length, the
// room, what is known of the text, and the bytes (followed by a NUL). A block held by more
// than one value is never changed; a writer makes a fresh one. Values live on the main
// thread only, so the count is a plain integer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

struct alignas(16) StringRep {
  uint32_t refs;
  uint32_t size;
  uint32_t capacity;  // bytes the block has room for, the NUL not counted
  // What is known of the text (the bytes before the first NUL), worked out the first time it
  // is asked for and kept up to date while the block grows in place (script/string_text.h).
  uint32_t known;      // StringRep_Known flags
  uint32_t textBytes;  // the text's length in bytes, with TextBytes
  uint32_t chars;      // its length in characters, with Chars
  // With Chars on a text that is not all ASCII: the byte offset of every kCharIndexStep-th
  // character, from the first.
  std::unique_ptr<std::vector<uint32_t>> charIndex;

  char* Bytes() { return reinterpret_cast<char*>(this + 1); }
  const char* Bytes() const { return reinterpret_cast<const char*>(this + 1); }
  std::string_view View() const { return {Bytes(), size}; }
};
static_assert(sizeof(StringRep) == 32);

namespace StringRep_Known {
inline constexpr uint32_t TextBytes = 1;  // textBytes holds
inline constexpr uint32_t Chars = 2;      // chars, Ascii and charIndex hold
inline constexpr uint32_t Ascii = 4;      // every byte of the text is below 0x80
}  // namespace StringRep_Known

// The shared block of the empty string; it is never freed.
StringRep* StringRep_Empty();
// The shared block of the one-byte string of byte b; it is never freed.
StringRep* StringRep_OfByte(unsigned char b);
// A fresh block (one reference) holding text, with room for at least capacity bytes.
StringRep* StringRep_Make(std::string_view text, size_t capacity);
// Frees a block whose last reference went.
void StringRep_Free(StringRep* rep);
// A block holding rep's bytes and then more: rep itself when it has the room and no value
// holds it but the `holders` that this append replaces (the appending value itself and,
// where the caller knows it, the variable the result is stored back into next); otherwise a
// fresh block, and the appending value's reference to rep is let go of. A block that can grow
// in place gets room for twice its bytes, so repeated appends stay linear.
StringRep* StringRep_Append(StringRep* rep, std::string_view more, uint32_t holders = 1);
