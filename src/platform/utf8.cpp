#include "platform/utf8.h"

namespace {

// The byte at p as unsigned, and whether p can step over it.
inline uint8_t ByteAt(const char* p) { return static_cast<uint8_t>(*p); }

// Reads one continuation byte: 0 (and p stays) at the terminator.
inline uint32_t Continuation(const char*& p) {
  uint8_t b = ByteAt(p);
  if (b == 0) return 0;
  ++p;
  return b;
}

}  // namespace

uint16_t UTF8_GetChar(const char*& p) {
  uint32_t b0 = ByteAt(p);
  if (b0 == 0) return 0;
  ++p;
  if ((b0 & 0x80) == 0) return static_cast<uint16_t>(b0);
  if ((b0 & 0x20) == 0) {
    uint32_t b1 = Continuation(p);
    return static_cast<uint16_t>(((b0 & 0x1F) << 6) + (b1 & 0x3F));
  }
  uint32_t b1 = Continuation(p);
  uint32_t b2 = b1 == 0 ? 0 : Continuation(p);
  return static_cast<uint16_t>((b0 << 12) + ((b1 & 0x3F) << 6) + (b2 & 0x3F));
}

void UTF8_PutChar(char*& p, uint16_t c) {
  if (c < 0x80) {
    *p++ = static_cast<char>(c);
  } else if (c < 0x800) {
    *p++ = static_cast<char>(0xC0 + ((c >> 6) & 0x1F));
    *p++ = static_cast<char>(0x80 + (c & 0x3F));
  } else {
    *p++ = static_cast<char>(0xE0 + ((c >> 12) & 0x0F));
    *p++ = static_cast<char>(0x80 + ((c >> 6) & 0x3F));
    *p++ = static_cast<char>(0x80 + (c & 0x3F));
  }
}

void UTF8_PutChar(std::string& out, uint16_t c) {
  char bytes[3];
  char* p = bytes;
  UTF8_PutChar(p, c);
  out.append(bytes, static_cast<size_t>(p - bytes));
}

int64_t UTF8_Length(const char* s) {
  if (s == nullptr) return 0;
  int64_t count = 0;
  for (uint8_t b = ByteAt(s); b != 0; b = ByteAt(s), ++count) {
    if (b < 0x80) {
      ++s;  // the common case, without decoding
    } else {
      UTF8_GetChar(s);
    }
  }
  return count;
}

int32_t UTF8_ComparePrefix(const char* s, const char* t) {
  if (t == nullptr) return 0;
  if (s == nullptr) s = "";
  while (*t != '\0') {
    if (*s == '\0') return -1;
    int32_t a = UTF8_GetChar(s);
    int32_t b = UTF8_GetChar(t);
    if (a != b) return a - b;
  }
  return 0;
}
