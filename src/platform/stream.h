// CStream: the growable byte buffer with a position through which saved games, variable stores,
// the ds_* text forms and compressed blocks are written and read. Its encodings are the shared
// ones of platform/byte_codec.h: little-endian without alignment, integer 4 bytes, real 8 bytes
// (IEEE double), boolean an integer, string and sub-stream a length followed by that many bytes.
//
// Size is the block's capacity, not the count of bytes written: writes grow it (doubling) and
// reads stop at it. Every read is checked against it: a read that runs out of bytes takes what is
// there (the missing bytes of a number read as zero), never reads past the block, and marks the
// stream as overrun so a loader can refuse damaged data. Sizes stay below 2 GiB, as the 32-bit
// lengths of the formats require.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class CStream {
 public:
  // A zero-filled block of initialSize bytes, position 0.
  explicit CStream(int64_t initialSize = 0);
  CStream(const CStream&) = delete;
  CStream& operator=(const CStream&) = delete;

  // Drops the block (a borrowed one is only let go); size 0.
  void Free();

  void SetPosition(int64_t position) { position_ = position; }
  int64_t GetPosition() const { return position_; }
  int64_t GetSize() const { return size_; }
  uint8_t* GetBuffer() { return data_; }
  const uint8_t* GetBuffer() const { return data_; }
  bool IsBorrowed() const { return borrowed_; }

  // Origin 0: offset; 1: position + offset; 2: size + offset; other origins leave it. Returns
  // the position.
  int64_t Seek(int64_t offset, int origin);

  // Takes a copy of the bytes as the block (position 0).
  void Assign(const void* data, int64_t length);
  // Uses another owner's bytes as the block without copying (position 0); they must outlive
  // this stream's use of them, and the stream never frees or grows them.
  void AttachBorrowed(uint8_t* data, int64_t length);

  // True once a read wanted bytes that were not there.
  bool Overrun() const { return overrun_; }

  // Reading: each advances the position by what it consumed.
  int64_t ReadBuffer(void* destination, int64_t count);
  int64_t Read(void* destination, int64_t count) { return ReadBuffer(destination, count); }
  int32_t ReadInteger();
  double ReadReal();
  bool ReadBoolean();
  // Absent for a length of 0 (or a negative length, which is refused); the bytes are clamped to
  // what is left.
  std::optional<std::string> ReadString();
  void ReadString(std::optional<std::string>& out) { out = ReadString(); }
  // A new stream holding a copy of the next min(length, left) bytes, positioned at 0.
  std::unique_ptr<CStream> ReadStream();
  // Reads a block length and moves past the block (clamped to the end); returns the position.
  int64_t SkipBlock();

  // Writing: at the position, growing the block; each advances the position.
  // Returns count, or 0 when count < 1, source is null or the block cannot grow.
  int64_t WriteBuffer(const void* source, int64_t count);
  void WriteInteger(int32_t value);
  void WriteReal(double value);
  void WriteBoolean(bool value);
  void WriteString(std::string_view text);
  void WriteString(const char* text);  // null is written as length 0

  // Count 0: appends the source's whole block and moves the source's position to its size.
  // Otherwise, without borrow, appends min(count, left in source) bytes from the source's
  // position; with borrow this stream's block becomes a view of those bytes (size and position
  // both the count) and nothing is copied. The source's position advances by the count. Returns
  // the count copied or borrowed.
  int64_t CopyFromEx(CStream& source, int64_t count, bool borrow);
  int64_t CopyFrom(CStream& source, int64_t count) { return CopyFromEx(source, count, false); }

  // Writes the bytes from the start to the position; false when there is nothing or the file
  // cannot be opened.
  bool SaveToFile(const std::string& fileName) const;
  // The file's bytes from offset skip become the block; the position is left as it was. False
  // (and an empty stream) when the file cannot be opened.
  bool LoadFromFile(const std::string& fileName, int64_t skip = 0);

  // The first position bytes as upper-case hexadecimal text; absent when the position is 0.
  std::optional<std::string> ToHex() const;
  // The block becomes the bytes of the leading run of hexadecimal pairs (either case; a trailing
  // odd character and everything from the first non-hexadecimal pair on are ignored); position 0.
  void FromHex(std::string_view text);

  // Replaces every byte in [start, start + length) (length < 1: to the end) by its inverse under
  // the permutation Scramble_BuildTables(seed) makes.
  void Descramble(int32_t seed, int64_t start, int64_t length);

 private:
  int64_t Left() const;
  // Makes room for count bytes at the position; minimum is the least the doubled size may be.
  bool Grow(int64_t count, int64_t minimum);
  bool WriteBytes(const void* source, int64_t count, int64_t minimum);
  // Reads exactly count bytes, zero-filling any that are missing (and marking the overrun).
  void ReadFixed(uint8_t* destination, int64_t count);

  std::vector<uint8_t> owned_;
  uint8_t* data_ = nullptr;
  int64_t size_ = 0;
  int64_t position_ = 0;
  bool borrowed_ = false;
  bool overrun_ = false;
};

// Builds the byte permutation of the seed (global tables used by CStream::Descramble).
void Scramble_BuildTables(int32_t seed);
// The permutation and its inverse as last built.
const uint8_t* Scramble_Table();
const uint8_t* Scramble_Inverse();

// Compressed blocks: an integer length n, then n bytes holding one zlib stream followed by zero
// padding.

// Deflates source's whole block (its position is kept) at zlib's default level and writes the
// block to target. The length written is the temporary stream's capacity.
void ZCompressStream(CStream& target, CStream& source);
// Reads one block at source's position (logging "ZDecompressStream <n>" and "Done
// ZDecompressStream") and returns the inflated bytes positioned at 0; null when the data is
// damaged.
std::unique_ptr<CStream> ZDecompressStream(CStream& source);

// Inflates from source's position into destination: 0 at the end of the zlib stream, zlib's
// error code on damaged data, -3 when the input ends first or a dictionary is asked for, -1 when
// the destination cannot grow.
int Stream_Inflate(CStream& source, CStream& destination);
// Deflates from source's position to its size into destination: 0, or -1 when the destination
// cannot grow.
int Stream_Deflate(CStream& source, CStream& destination, int level);
