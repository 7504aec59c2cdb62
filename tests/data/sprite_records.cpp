#include "sprite_records.h"

namespace {

void Word(std::vector<uint8_t>& out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

// Names and entries placed after the body: each record gets its name's offset and its entries'.
struct Extras {
  std::vector<uint8_t> bytes;
  uint32_t base = 0;
  uint32_t AddText(const std::string& text) {
    uint32_t at = base + static_cast<uint32_t>(bytes.size());
    bytes.insert(bytes.end(), text.begin(), text.end());
    bytes.push_back(0);
    return at;
  }
  uint32_t AddEntry(const TestPageEntry& entry) {
    uint32_t at = base + static_cast<uint32_t>(bytes.size());
    for (int16_t field : entry.fields) {
      bytes.push_back(static_cast<uint8_t>(field));
      bytes.push_back(static_cast<uint8_t>(static_cast<uint16_t>(field) >> 8));
    }
    return at;
  }
};

std::vector<uint8_t> PackMask(const std::vector<std::string>& rows, int32_t width) {
  std::vector<uint8_t> out;
  for (const std::string& row : rows) {
    std::vector<uint8_t> packed(size_t((width + 7) / 8), 0);
    for (size_t x = 0; x < row.size(); ++x)
      if (row[x] == '#') packed[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
    out.insert(out.end(), packed.begin(), packed.end());
  }
  return out;
}

template <typename Record, typename WriteRecord>
TestChunkImage Build(const std::vector<Record>& records, WriteRecord write) {
  // First pass: the body's size, so that the extras can follow it.
  Extras sizing;
  std::vector<std::vector<uint8_t>> bodies;
  for (const Record& r : records) bodies.push_back(write(r, sizing));
  uint32_t bodySize = 4 + 4 * static_cast<uint32_t>(records.size());
  for (size_t i = 0; i < records.size(); ++i)
    if (!records[i].empty) bodySize += static_cast<uint32_t>(bodies[i].size());

  TestChunkImage chunk;
  chunk.bodySize = bodySize;
  Extras extras;
  extras.base = chunk.bodyOffset + bodySize;
  bodies.clear();
  for (const Record& r : records) bodies.push_back(write(r, extras));

  chunk.image = {'F', 'O', 'R', 'M', 0, 0, 0, 0};
  Word(chunk.image, static_cast<uint32_t>(records.size()));
  uint32_t at = chunk.bodyOffset + 4 + 4 * static_cast<uint32_t>(records.size());
  for (size_t i = 0; i < records.size(); ++i) {
    uint32_t offset = records[i].empty ? 0 : at;
    chunk.recordOffsets.push_back(offset);
    Word(chunk.image, offset);
    if (!records[i].empty) at += static_cast<uint32_t>(bodies[i].size());
  }
  for (size_t i = 0; i < records.size(); ++i)
    if (!records[i].empty) chunk.image.insert(chunk.image.end(), bodies[i].begin(), bodies[i].end());
  chunk.image.insert(chunk.image.end(), extras.bytes.begin(), extras.bytes.end());
  return chunk;
}

}  // namespace

void PutWord(std::vector<uint8_t>& image, uint32_t offset, uint32_t value) {
  for (int i = 0; i < 4; ++i) image[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

TestChunkImage BuildSpriteChunk(const std::vector<TestSpriteRecord>& sprites) {
  return Build(sprites, [](const TestSpriteRecord& s, Extras& extras) {
    std::vector<uint8_t> out;
    Word(out, extras.AddText(s.name));
    for (int32_t v : {s.width, s.height, s.left, s.right, s.bottom, s.top}) Word(out, static_cast<uint32_t>(v));
    for (uint32_t v : {s.transparent, s.smooth, s.preload, s.bboxMode, s.precise}) Word(out, v);
    Word(out, static_cast<uint32_t>(s.xOrigin));
    Word(out, static_cast<uint32_t>(s.yOrigin));
    Word(out, static_cast<uint32_t>(s.frames.size()));
    for (const TestPageEntry& e : s.frames) Word(out, extras.AddEntry(e));
    Word(out, static_cast<uint32_t>(s.masks.size()));
    for (const auto& mask : s.masks) {
      std::vector<uint8_t> packed = PackMask(mask, s.width);
      out.insert(out.end(), packed.begin(), packed.end());
    }
    return out;
  });
}

TestChunkImage BuildBackgroundChunk(const std::vector<TestBackgroundRecord>& backgrounds) {
  return Build(backgrounds, [](const TestBackgroundRecord& b, Extras& extras) {
    std::vector<uint8_t> out;
    Word(out, extras.AddText(b.name));
    for (uint32_t v : {b.transparent, b.smooth, b.preload}) Word(out, v);
    Word(out, extras.AddEntry(b.entry));
    return out;
  });
}
