#include "script/string_text.h"

#include <cstring>

#include "platform/utf8.h"

namespace {

using namespace StringRep_Known;

// The first byte at or after p (before end) that is 0x80 or above; end when there is none.
const char* FirstHighByte(const char* p, const char* end) {
  constexpr uint64_t kHighBits = 0x8080808080808080ull;
  while (end - p >= 8) {
    uint64_t word;
    std::memcpy(&word, p, 8);
    if ((word & kHighBits) != 0) break;
    p += 8;
  }
  while (p < end && static_cast<unsigned char>(*p) < 0x80) ++p;
  return p;
}

void LearnTextBytes(StringRep& rep, uint32_t from) {
  const void* nul = std::memchr(rep.Bytes() + from, 0, rep.size - from);
  rep.textBytes = nul == nullptr ? rep.size
                                 : static_cast<uint32_t>(static_cast<const char*>(nul) - rep.Bytes());
  rep.known |= TextBytes;
}

// Counts the characters of the text from byte `from`, where character number `count` starts
// and no index entry lies at or past it, to the text's end, adding the index entries on the
// way. The text must be known in bytes.
void WalkFrom(StringRep& rep, uint32_t from, uint32_t count) {
  const char* const base = rep.Bytes();
  const char* const end = base + rep.textBytes;
  const char* p = base + from;
  if ((rep.known & Ascii) != 0) {
    const char* high = FirstHighByte(p, end);
    count += static_cast<uint32_t>(high - p);
    p = high;
    if (p == end) {
      rep.chars = count;
      return;
    }
    // Not all ASCII after all: the index of the ASCII part, where a character is a byte.
    rep.known &= ~Ascii;
    rep.charIndex = std::make_unique<std::vector<uint32_t>>();
    for (uint32_t c = 0; c < count; c += kCharIndexStep) rep.charIndex->push_back(c);
  }
  std::vector<uint32_t>& index = *rep.charIndex;
  // The text's end is its NUL, where the decoder stops: p never steps past it.
  while (p < end) {
    if (count % kCharIndexStep == 0) index.push_back(static_cast<uint32_t>(p - base));
    UTF8_GetChar(p);
    ++count;
  }
  rep.chars = count;
}

void LearnChars(StringRep& rep) {
  if ((rep.known & TextBytes) == 0) LearnTextBytes(rep, 0);
  rep.known |= Ascii;
  rep.charIndex.reset();
  WalkFrom(rep, 0, 0);
  rep.known |= Chars;
}

StringRep& Known(StringRep& rep) {
  if ((rep.known & Chars) == 0) LearnChars(rep);
  return rep;
}

}  // namespace

std::string_view StringText_Bytes(StringRep& rep) {
  if ((rep.known & TextBytes) == 0) LearnTextBytes(rep, 0);
  return {rep.Bytes(), rep.textBytes};
}

int64_t StringText_Length(StringRep& rep) { return Known(rep).chars; }

bool StringText_IsAscii(StringRep& rep) { return (Known(rep).known & Ascii) != 0; }

const char* StringText_CharAt(StringRep& rep, int64_t n) {
  Known(rep);
  const char* base = rep.Bytes();
  if (n < 0 || n >= rep.chars) return base + rep.textBytes;
  if ((rep.known & Ascii) != 0) return base + n;
  const auto entry = static_cast<size_t>(n / kCharIndexStep);
  const char* p = base + (*rep.charIndex)[entry];
  for (int64_t left = n - static_cast<int64_t>(entry) * kCharIndexStep; left > 0; --left) {
    UTF8_GetChar(p);
  }
  return p;
}

void StringText_Grew(StringRep& rep, uint32_t oldSize) {
  if ((rep.known & TextBytes) == 0) return;  // nothing known yet: learnt when asked
  if (rep.textBytes < oldSize) return;       // a NUL before the new bytes: the text is as it was
  LearnTextBytes(rep, oldSize);
  if ((rep.known & Chars) == 0) return;
  if ((rep.known & Ascii) != 0) {
    WalkFrom(rep, oldSize, rep.chars);
    return;
  }
  // The last character may have been cut short by the old end: counted again from the last
  // entry of the index, which the walk puts back.
  std::vector<uint32_t>& index = *rep.charIndex;
  const auto last = static_cast<uint32_t>(index.size() - 1);
  const uint32_t from = index[last];
  index.pop_back();
  WalkFrom(rep, from, last * kCharIndexStep);
}

void StringText_CarryOver(StringRep& from, StringRep& to, bool movable) {
  to.known = from.known;
  to.textBytes = from.textBytes;
  to.chars = from.chars;
  if (from.charIndex == nullptr) return;
  if (movable) {
    to.charIndex = std::move(from.charIndex);
  } else {
    to.charIndex = std::make_unique<std::vector<uint32_t>>(*from.charIndex);
  }
}
