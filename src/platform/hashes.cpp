#include "platform/hashes.h"

#include <cstring>
#include <mutex>

namespace {

// ---- MD5 helpers ----

inline uint32_t RotateLeft(uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }

inline uint32_t MD5_F(uint32_t x, uint32_t y, uint32_t z) { return (x & y) | (~x & z); }
inline uint32_t MD5_G(uint32_t x, uint32_t y, uint32_t z) { return (x & z) | (y & ~z); }
inline uint32_t MD5_H(uint32_t x, uint32_t y, uint32_t z) { return x ^ y ^ z; }
inline uint32_t MD5_I(uint32_t x, uint32_t y, uint32_t z) { return y ^ (x | ~z); }

constexpr uint32_t kMD5Sine[64] = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391};
constexpr int kMD5Shift[64] = {7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22,
                               5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20,
                               4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23,
                               6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21};

const char kHexLower[] = "0123456789abcdef";

// ---- CRC table ----

uint32_t g_Crc32Table[256];
std::once_flag g_Crc32TableOnce;

void BuildCrcTableOnce() {
  for (uint32_t n = 0; n < 256; ++n) {
    uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? (c >> 1) ^ 0xEDB88320u : c >> 1;
    g_Crc32Table[n] = c;
  }
}

const uint32_t* CrcTable() {
  std::call_once(g_Crc32TableOnce, BuildCrcTableOnce);
  return g_Crc32Table;
}

// ---- base64 ----

const char kBase64Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int Base64Digit(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

}  // namespace

// ---- MD5 ------------------------------------------------------------------

void MD5_Init(MD5Context& context) {
  context = MD5Context{};
  context.state[0] = 0x67452301;
  context.state[1] = 0xEFCDAB89;
  context.state[2] = 0x98BADCFE;
  context.state[3] = 0x10325476;
}

void MD5_Transform(uint32_t state[4], const uint8_t block[64]) {
  uint32_t x[16];
  for (int i = 0; i < 16; ++i) {
    x[i] = uint32_t(block[i * 4]) | (uint32_t(block[i * 4 + 1]) << 8) |
           (uint32_t(block[i * 4 + 2]) << 16) | (uint32_t(block[i * 4 + 3]) << 24);
  }
  uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
  for (int i = 0; i < 64; ++i) {
    uint32_t f;
    int g;
    if (i < 16) {
      f = MD5_F(b, c, d);
      g = i;
    } else if (i < 32) {
      f = MD5_G(b, c, d);
      g = (5 * i + 1) % 16;
    } else if (i < 48) {
      f = MD5_H(b, c, d);
      g = (3 * i + 5) % 16;
    } else {
      f = MD5_I(b, c, d);
      g = (7 * i) % 16;
    }
    uint32_t next = b + RotateLeft(a + f + kMD5Sine[i] + x[g], kMD5Shift[i]);
    a = d;
    d = c;
    c = b;
    b = next;
  }
  state[0] += a;
  state[1] += b;
  state[2] += c;
  state[3] += d;
}

void MD5_Update(MD5Context& context, const uint8_t* bytes, size_t length) {
  size_t index = (context.bitCountLow >> 3) & 0x3F;
  uint64_t bits = (uint64_t(context.bitCountHigh) << 32 | context.bitCountLow) + uint64_t(length) * 8;
  context.bitCountLow = uint32_t(bits);
  context.bitCountHigh = uint32_t(bits >> 32);
  size_t offset = 0;
  size_t room = 64 - index;
  if (length >= room) {
    std::memcpy(context.buffer + index, bytes, room);
    MD5_Transform(context.state, context.buffer);
    for (offset = room; offset + 64 <= length; offset += 64) MD5_Transform(context.state, bytes + offset);
    index = 0;
  }
  if (length > offset) std::memcpy(context.buffer + index, bytes + offset, length - offset);
}

void MD5_Final(MD5Context& context) {
  uint8_t bitsLE[8];
  for (int i = 0; i < 4; ++i) {
    bitsLE[i] = uint8_t(context.bitCountLow >> (8 * i));
    bitsLE[4 + i] = uint8_t(context.bitCountHigh >> (8 * i));
  }
  size_t index = (context.bitCountLow >> 3) & 0x3F;
  size_t padLength = index < 56 ? 56 - index : 120 - index;
  uint8_t padding[64] = {0x80};
  MD5_Update(context, padding, padLength);
  MD5_Update(context, bitsLE, 8);
  for (int i = 0; i < 4; ++i)
    for (int k = 0; k < 4; ++k) context.digest[i * 4 + k] = uint8_t(context.state[i] >> (8 * k));
}

std::string MD5_HexDigest(std::string_view bytes) {
  MD5Context context;
  MD5_Init(context);
  MD5_Update(context, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  MD5_Final(context);
  std::string out;
  out.reserve(32);
  for (uint8_t b : context.digest) {
    out += kHexLower[b >> 4];
    out += kHexLower[b & 15];
  }
  return out;
}

// ---- SHA-1 ----------------------------------------------------------------

void SHA1_Reset(SHA1Context& context) {
  context = SHA1Context{};
  context.digest[0] = 0x67452301;
  context.digest[1] = 0xEFCDAB89;
  context.digest[2] = 0x98BADCFE;
  context.digest[3] = 0x10325476;
  context.digest[4] = 0xC3D2E1F0;
}

void SHA1_ProcessMessageBlock(SHA1Context& context) {
  constexpr uint32_t K[4] = {0x5A827999, 0x6ED9EBA1, 0x8F1BBCDC, 0xCA62C1D6};
  uint32_t w[80];
  for (int t = 0; t < 16; ++t) {
    w[t] = (uint32_t(context.block[t * 4]) << 24) | (uint32_t(context.block[t * 4 + 1]) << 16) |
           (uint32_t(context.block[t * 4 + 2]) << 8) | uint32_t(context.block[t * 4 + 3]);
  }
  for (int t = 16; t < 80; ++t) w[t] = RotateLeft(w[t - 3] ^ w[t - 8] ^ w[t - 14] ^ w[t - 16], 1);
  uint32_t a = context.digest[0], b = context.digest[1], c = context.digest[2], d = context.digest[3],
           e = context.digest[4];
  for (int t = 0; t < 80; ++t) {
    uint32_t f;
    if (t < 20)
      f = (b & c) | (~b & d);
    else if (t < 40)
      f = b ^ c ^ d;
    else if (t < 60)
      f = (b & c) | (b & d) | (c & d);
    else
      f = b ^ c ^ d;
    uint32_t temp = RotateLeft(a, 5) + f + e + w[t] + K[t / 20];
    e = d;
    d = c;
    c = RotateLeft(b, 30);
    b = a;
    a = temp;
  }
  context.digest[0] += a;
  context.digest[1] += b;
  context.digest[2] += c;
  context.digest[3] += d;
  context.digest[4] += e;
  context.blockIndex = 0;
}

void SHA1_Input(SHA1Context& context, const uint8_t* bytes, size_t length) {
  if (length == 0) return;
  if (context.computed) {
    context.corrupted = true;
    return;
  }
  if (context.corrupted) return;
  for (size_t i = 0; i < length && !context.corrupted; ++i) {
    context.block[context.blockIndex++] = bytes[i];
    context.lengthLow += 8;
    if (context.lengthLow == 0) {
      context.lengthHigh++;
      if (context.lengthHigh == 0) context.corrupted = true;  // past 2^64 bits
    }
    if (context.blockIndex == 64) SHA1_ProcessMessageBlock(context);
  }
}

void SHA1_PadMessage(SHA1Context& context) {
  if (context.blockIndex > 55) {
    context.block[context.blockIndex++] = 0x80;
    while (context.blockIndex < 64) context.block[context.blockIndex++] = 0;
    SHA1_ProcessMessageBlock(context);
    while (context.blockIndex < 56) context.block[context.blockIndex++] = 0;
  } else {
    context.block[context.blockIndex++] = 0x80;
    while (context.blockIndex < 56) context.block[context.blockIndex++] = 0;
  }
  for (int i = 0; i < 4; ++i) {
    context.block[56 + i] = uint8_t(context.lengthHigh >> (24 - 8 * i));
    context.block[60 + i] = uint8_t(context.lengthLow >> (24 - 8 * i));
  }
  SHA1_ProcessMessageBlock(context);
}

bool SHA1_Result(SHA1Context& context) {
  if (context.corrupted) return false;
  if (!context.computed) {
    SHA1_PadMessage(context);
    std::memset(context.block, 0, sizeof context.block);
    context.lengthLow = 0;
    context.lengthHigh = 0;
    context.computed = true;
  }
  return true;
}

std::string SHA1_HexDigest(std::string_view bytes) {
  SHA1Context context;
  SHA1_Reset(context);
  SHA1_Input(context, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  SHA1_Result(context);
  std::string out;
  out.reserve(40);
  for (uint32_t word : context.digest)
    for (int shift = 28; shift >= 0; shift -= 4) out += kHexLower[(word >> shift) & 15];
  return out;
}

// ---- CRC-32 ---------------------------------------------------------------

void Crc32_BuildTable() { CrcTable(); }

uint32_t Crc32_UpdateBuffer(const uint8_t* bytes, int64_t count, uint32_t seed) {
  const uint32_t* table = CrcTable();
  uint32_t crc = seed;
  for (int64_t i = 0; i < count; ++i) crc = (crc >> 8) ^ table[(crc ^ bytes[i]) & 0xFF];
  return crc;
}

uint32_t Crc32_UpdateString(std::string_view text, uint32_t seed) {
  size_t end = text.find('\0');
  if (end == std::string_view::npos) end = text.size();
  return Crc32_UpdateBuffer(reinterpret_cast<const uint8_t*>(text.data()), int64_t(end), seed);
}

uint32_t Crc32_Buffer(const uint8_t* bytes, int64_t count) {
  return Crc32_UpdateBuffer(bytes, count, kCrc32Initial);
}

uint32_t Crc32_String(std::string_view text) { return Crc32_UpdateString(text, kCrc32Initial); }

// ---- Base64 ---------------------------------------------------------------

std::string Base64_Encode(const uint8_t* bytes, size_t length) {
  std::string out;
  out.reserve((length + 2) / 3 * 4);
  size_t i = 0;
  for (; i + 3 <= length; i += 3) {
    uint32_t group = (uint32_t(bytes[i]) << 16) | (uint32_t(bytes[i + 1]) << 8) | bytes[i + 2];
    out += kBase64Alphabet[(group >> 18) & 63];
    out += kBase64Alphabet[(group >> 12) & 63];
    out += kBase64Alphabet[(group >> 6) & 63];
    out += kBase64Alphabet[group & 63];
  }
  size_t rest = length - i;
  if (rest > 0) {
    uint32_t group = uint32_t(bytes[i]) << 16;
    if (rest == 2) group |= uint32_t(bytes[i + 1]) << 8;
    out += kBase64Alphabet[(group >> 18) & 63];
    out += kBase64Alphabet[(group >> 12) & 63];
    out += rest == 2 ? kBase64Alphabet[(group >> 6) & 63] : '=';
    out += '=';
  }
  return out;
}

std::string Base64_Decode(std::string_view text, size_t outputSize) {
  size_t limit = outputSize == 0 ? 0 : outputSize - 1;
  std::string out;
  uint32_t group = 0;
  int digits = 0;
  for (unsigned char c : text) {
    int v = Base64Digit(c);
    if (v < 0) break;  // '=', white space or anything else ends the text
    group = (group << 6) | uint32_t(v);
    if (++digits == 4) {
      for (int k = 2; k >= 0 && out.size() < limit; --k) out += char((group >> (8 * k)) & 0xFF);
      group = 0;
      digits = 0;
    }
  }
  if (digits == 2) {
    if (out.size() < limit) out += char((group >> 4) & 0xFF);
  } else if (digits == 3) {
    if (out.size() < limit) out += char((group >> 10) & 0xFF);
    if (out.size() < limit) out += char((group >> 2) & 0xFF);
  }
  return out;
}

std::string Base64_Decode(std::string_view text) { return Base64_Decode(text, text.size() + 1); }
