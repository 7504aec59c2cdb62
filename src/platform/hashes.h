// Digests, checksums and base64: MD5, SHA-1, CRC-32 and the base64 text form.
//
// All four are the published algorithms over fixed-width integers. The CRC here
// is the runner's own flavour: it starts from 0xFFFFFFFF and is never inverted at
// the end, so it is the complement of the usual CRC-32 check value. The ds_map
// container places its keys by this value.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// ---- MD5 ------------------------------------------------------------------

struct MD5Context {
  uint32_t bitCountLow = 0;
  uint32_t bitCountHigh = 0;
  uint32_t state[4] = {0, 0, 0, 0};
  uint8_t buffer[64] = {};
  uint8_t digest[16] = {};
};

void MD5_Init(MD5Context& context);
void MD5_Update(MD5Context& context, const uint8_t* bytes, size_t length);
// Pads, appends the bit count and leaves the 16-byte digest in context.digest.
void MD5_Final(MD5Context& context);
void MD5_Transform(uint32_t state[4], const uint8_t block[64]);

// The digest as 32 lower-case hexadecimal characters.
std::string MD5_HexDigest(std::string_view bytes);

// ---- SHA-1 ----------------------------------------------------------------

struct SHA1Context {
  uint32_t digest[5] = {0, 0, 0, 0, 0};
  uint32_t lengthLow = 0;   // in bits
  uint32_t lengthHigh = 0;
  int32_t blockIndex = 0;
  uint8_t block[64] = {};
  bool computed = false;
  bool corrupted = false;
};

void SHA1_Reset(SHA1Context& context);
// Input after the result was computed, or a length past 2^64 bits, corrupts the context.
void SHA1_Input(SHA1Context& context, const uint8_t* bytes, size_t length);
// Pads once and finishes the digest; false for a corrupted context.
bool SHA1_Result(SHA1Context& context);
void SHA1_ProcessMessageBlock(SHA1Context& context);
void SHA1_PadMessage(SHA1Context& context);

// The five digest words as 40 lower-case hexadecimal characters.
std::string SHA1_HexDigest(std::string_view bytes);

// ---- CRC-32 ---------------------------------------------------------------

inline constexpr uint32_t kCrc32Initial = 0xFFFFFFFFu;

// Builds the table of the reflected polynomial 0xEDB88320. The functions below
// build it themselves when it is missing, so calling this early is only a warm-up.
void Crc32_BuildTable();
// CRC of the text up to its first zero byte (or its end), from 0xFFFFFFFF.
uint32_t Crc32_String(std::string_view text);
uint32_t Crc32_Buffer(const uint8_t* bytes, int64_t count);
uint32_t Crc32_UpdateString(std::string_view text, uint32_t seed);
uint32_t Crc32_UpdateBuffer(const uint8_t* bytes, int64_t count, uint32_t seed);

// ---- Base64 ---------------------------------------------------------------

// 4 characters per 3 bytes, the last group padded with '='; no line breaks.
std::string Base64_Encode(const uint8_t* bytes, size_t length);
inline std::string Base64_Encode(std::string_view bytes) {
  return Base64_Encode(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}
// Decodes up to the first '=' or the first character outside the alphabet. Keeps
// at most outputSize - 1 bytes, as a caller with a terminated buffer of outputSize
// bytes would see them (an outputSize of 0 keeps nothing).
std::string Base64_Decode(std::string_view text, size_t outputSize);
std::string Base64_Decode(std::string_view text);
