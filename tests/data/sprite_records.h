// Builds SPRT and BGND chunk bodies inside a small file image for the resource tests: the body
// starts at offset 8; names and texture-page entries follow it, outside the chunk.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct TestPageEntry {
  int16_t fields[11] = {};  // x, y, w, h, x offset, y offset, crop w, crop h, full w, full h, page
};

struct TestSpriteRecord {
  std::string name;
  int32_t width = 4, height = 4;
  int32_t left = 0, right = 3, bottom = 3, top = 0;  // stored in this order
  uint32_t transparent = 1, smooth = 0, preload = 1, bboxMode = 0, precise = 1;
  int32_t xOrigin = 0, yOrigin = 0;
  std::vector<TestPageEntry> frames;
  // Each mask as rows of '#' (solid) and '.' (empty).
  std::vector<std::vector<std::string>> masks;
  bool empty = false;  // an empty slot (offset 0)
};

struct TestBackgroundRecord {
  std::string name;
  uint32_t transparent = 0, smooth = 0, preload = 0;
  TestPageEntry entry;
  bool empty = false;
};

struct TestChunkImage {
  std::vector<uint8_t> image;
  uint32_t bodyOffset = 8;
  uint32_t bodySize = 0;
  std::vector<uint32_t> recordOffsets;  // per record (0 for an empty slot)
};

TestChunkImage BuildSpriteChunk(const std::vector<TestSpriteRecord>& sprites);
TestChunkImage BuildBackgroundChunk(const std::vector<TestBackgroundRecord>& backgrounds);

void PutWord(std::vector<uint8_t>& image, uint32_t offset, uint32_t value);
