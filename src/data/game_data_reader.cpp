#include "data/game_data_reader.h"

void GameDataReader::Require(uint64_t offset, uint64_t length, const char* what) const {
  if (!Contains(offset, length)) {
    throw GameDataError(std::string(what) + " at " + std::to_string(offset) + " leaves the file");
  }
}

std::string_view GameDataReader::Text(uint64_t offset) const {
  if (offset >= image_.size()) throw GameDataError("text offset leaves the file");
  const auto* start = image_.data() + offset;
  const auto* zero = static_cast<const uint8_t*>(std::memchr(start, 0, image_.size() - offset));
  if (zero == nullptr) throw GameDataError("text without its terminating zero");
  return {reinterpret_cast<const char*>(start), static_cast<size_t>(zero - start)};
}

std::vector<uint32_t> GameDataReader::CountedList(uint64_t offset) const {
  const uint64_t count = U32(offset);
  // Checked before anything is allocated, so a huge count cannot exhaust memory.
  Require(offset + 4, count * 4, "counted list");
  std::vector<uint32_t> entries(static_cast<size_t>(count));
  for (uint64_t i = 0; i < count; ++i) {
    const uint32_t entry = U32(offset + 4 + i * 4);
    if (entry != 0 && entry >= image_.size()) throw GameDataError("list entry leaves the file");
    entries[static_cast<size_t>(i)] = entry;
  }
  return entries;
}

void GameDataCursor::Skip(uint64_t bytes) {
  if (Remaining() < bytes) throw GameDataError("record runs past its end");
  offset_ += bytes;
}

std::string ChunkIdText(uint32_t id) {
  std::string text(4, ' ');
  for (int i = 0; i < 4; ++i) text[static_cast<size_t>(i)] = static_cast<char>((id >> (8 * i)) & 0xFF);
  return text;
}
