// Reading resource records of the game data file image: little-endian words that never run
// past the end they are given, and zero-terminated texts that must end inside the image.
#pragma once

#include <algorithm>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

class RecordWords {
 public:
  RecordWords(std::span<const uint8_t> image, uint64_t start, uint64_t end)
      : image_(image), position_(start), end_(std::min<uint64_t>(end, image.size())) {}
  bool Next(uint32_t& value) {
    if (position_ + 4 > end_) return false;
    const uint8_t* p = image_.data() + position_;
    value = uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
    position_ += 4;
    return true;
  }
  bool NextInt(int32_t& value) {
    uint32_t word = 0;
    if (!Next(word)) return false;
    value = static_cast<int32_t>(word);
    return true;
  }
  uint64_t Position() const { return position_; }
  uint64_t Left() const { return end_ > position_ ? end_ - position_ : 0; }
  void Skip(uint64_t bytes) { position_ += bytes; }

 private:
  std::span<const uint8_t> image_;
  uint64_t position_;
  uint64_t end_;
};

// The zero-terminated text at offset (0: none, an empty text); false when it runs off the image.
inline bool RecordText(std::span<const uint8_t> image, uint32_t offset, std::string& text) {
  text.clear();
  if (offset == 0) return true;
  if (offset >= image.size()) return false;
  const uint8_t* begin = image.data() + offset;
  const uint8_t* end = image.data() + image.size();
  const uint8_t* zero = std::find(begin, end, uint8_t{0});
  if (zero == end) return false;
  text.assign(reinterpret_cast<const char*>(begin), size_t(zero - begin));
  return true;
}

// The record offsets of a counted list {u32 count, u32 offset[count]} that starts a chunk body.
// False when the list does not fit the body, the body not the image, or a non-zero offset lies
// outside the body.
inline bool RecordList(std::span<const uint8_t> image, uint32_t bodyOffset, uint32_t bodySize,
                       std::vector<uint32_t>& offsets) {
  offsets.clear();
  const uint64_t end = uint64_t{bodyOffset} + bodySize;
  if (end > image.size()) return false;
  RecordWords words(image, bodyOffset, end);
  uint32_t count = 0;
  if (!words.Next(count) || uint64_t{count} * 4 > words.Left()) return false;
  offsets.resize(count);
  for (uint32_t& offset : offsets) {
    words.Next(offset);
    if (offset != 0 && (offset < bodyOffset || offset >= end)) return false;
  }
  return true;
}
