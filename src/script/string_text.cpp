#include "script/string_text.h"

#include <cstring>
#include <new>

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

// What is known of the characters is forgotten: learnt again when next asked.
void ForgetChars(StringRep& rep) {
  rep.known &= TextBytes;
  rep.charIndex.reset();
}

// True when the characters are known (worked out now if need be); false when there was no
// memory for the index, and the text must then be walked from its start.
bool Known(StringRep& rep) {
  if ((rep.known & Chars) != 0) return true;
  try {
    LearnChars(rep);
    return true;
  } catch (const std::bad_alloc&) {
    ForgetChars(rep);
    return false;
  }
}

}  // namespace

std::string_view StringText_Bytes(StringRep& rep) {
  if ((rep.known & TextBytes) == 0) LearnTextBytes(rep, 0);
  return {rep.Bytes(), rep.textBytes};
}

int64_t StringText_Length(StringRep& rep) {
  return Known(rep) ? rep.chars : UTF8_Length(rep.Bytes());
}

bool StringText_IsAscii(StringRep& rep) {
  if (Known(rep)) return (rep.known & Ascii) != 0;
  const std::string_view text = StringText_Bytes(rep);
  return FirstHighByte(text.data(), text.data() + text.size()) == text.data() + text.size();
}

const char* StringText_CharAt(StringRep& rep, int64_t n) {
  const char* base = rep.Bytes();
  if (!Known(rep)) {
    const char* p = base;
    for (int64_t i = 0; i < n && *p != '\0'; ++i) UTF8_GetChar(p);
    return n < 0 ? base + StringText_Bytes(rep).size() : p;
  }
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
  try {
    if ((rep.known & Ascii) != 0) {
      WalkFrom(rep, oldSize, rep.chars);
      return;
    }
    // The last character may have been cut short by the old end: counted again from the
    // last entry of the index, which the walk puts back.
    std::vector<uint32_t>& index = *rep.charIndex;
    const auto last = static_cast<uint32_t>(index.size() - 1);
    const uint32_t from = index[last];
    index.pop_back();
    WalkFrom(rep, from, last * kCharIndexStep);
  } catch (const std::bad_alloc&) {
    ForgetChars(rep);
  }
}

void StringText_CarryOver(StringRep& from, StringRep& to, bool movable) {
  to.known = from.known;
  to.textBytes = from.textBytes;
  to.chars = from.chars;
  if (from.charIndex == nullptr) return;
  if (movable) {
    to.charIndex = std::move(from.charIndex);
    return;
  }
  try {
    to.charIndex = std::make_unique<std::vector<uint32_t>>(*from.charIndex);
  } catch (const std::bad_alloc&) {
    ForgetChars(to);
  }
}
