// Bounds-checked reading of the game data file image.
//
// The image is one read-only buffer. Everything inside it is addressed by u32 offsets from
// byte 0 of the file; readers keep offsets and resolve them on use through this class, which
// refuses any read that would leave the image (or the range a caller limits it to) by throwing
// GameDataError. The loader catches that at its boundary and fails the load cleanly.
#pragma once

#include <cstdint>
#include <cstring>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

class GameDataError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A byte range of the image: [offset, offset + size).
struct ChunkSpan {
  uint32_t offset = 0;
  uint32_t size = 0;
  uint64_t End() const { return uint64_t{offset} + size; }
};

class GameDataReader {
 public:
  GameDataReader() = default;
  explicit GameDataReader(std::span<const uint8_t> image) : image_(image) {}

  size_t Size() const { return image_.size(); }
  std::span<const uint8_t> Image() const { return image_; }

  // True when [offset, offset + length) lies inside the image.
  bool Contains(uint64_t offset, uint64_t length) const {
    return offset <= image_.size() && length <= image_.size() - offset;
  }
  void Require(uint64_t offset, uint64_t length, const char* what) const;

  uint32_t U32(uint64_t offset) const { return Load<uint32_t>(offset); }
  int32_t I32(uint64_t offset) const { return Load<int32_t>(offset); }
  int16_t I16(uint64_t offset) const { return Load<int16_t>(offset); }
  float F32(uint64_t offset) const { return Load<float>(offset); }
  std::span<const uint8_t> Bytes(uint64_t offset, uint64_t length) const {
    Require(offset, length, "bytes");
    return image_.subspan(static_cast<size_t>(offset), static_cast<size_t>(length));
  }

  // The zero-terminated text at offset; the terminating zero must lie inside the image.
  std::string_view Text(uint64_t offset) const;
  // Text for a single reference word: 0 stands for "none" and gives an empty view.
  std::string_view TextRef(uint32_t reference) const {
    return reference == 0 ? std::string_view{} : Text(reference);
  }

  // A counted list {u32 count, u32 offset[count]} at offset. Every entry must lie inside the
  // image; a non-zero entry must point inside the image too (0 is an empty slot).
  std::vector<uint32_t> CountedList(uint64_t offset) const;

 private:
  template <typename T>
  T Load(uint64_t offset) const {
    Require(offset, sizeof(T), "value");
    T value;
    std::memcpy(&value, image_.data() + offset, sizeof(T));
    return value;
  }

  std::span<const uint8_t> image_;
};

// Reads consecutive little-endian fields starting at an offset, never past `end`.
class GameDataCursor {
 public:
  GameDataCursor(const GameDataReader& reader, uint64_t offset, uint64_t end)
      : reader_(reader), offset_(offset), end_(end < reader.Size() ? end : reader.Size()) {}
  GameDataCursor(const GameDataReader& reader, uint64_t offset)
      : GameDataCursor(reader, offset, reader.Size()) {}

  uint32_t U32() { return Next<uint32_t>(); }
  int32_t I32() { return Next<int32_t>(); }
  float F32() { return Next<float>(); }
  uint64_t Offset() const { return offset_; }
  uint64_t Remaining() const { return offset_ < end_ ? end_ - offset_ : 0; }
  void Skip(uint64_t bytes);

 private:
  template <typename T>
  T Next() {
    if (Remaining() < sizeof(T)) throw GameDataError("record runs past its end");
    T value;
    std::memcpy(&value, reader_.Image().data() + offset_, sizeof(T));
    offset_ += sizeof(T);
    return value;
  }

  const GameDataReader& reader_;
  uint64_t offset_;
  uint64_t end_;
};

// Four chunk id characters as one little-endian word ("GEN8" -> bytes 'G','E','N','8').
// Anything but four characters gives 0.
constexpr uint32_t ChunkId(std::string_view id) {
  if (id.size() != 4) return 0;
  return static_cast<uint32_t>(static_cast<uint8_t>(id[0])) |
         static_cast<uint32_t>(static_cast<uint8_t>(id[1])) << 8 |
         static_cast<uint32_t>(static_cast<uint8_t>(id[2])) << 16 |
         static_cast<uint32_t>(static_cast<uint8_t>(id[3])) << 24;
}
std::string ChunkIdText(uint32_t id);
