// The fields of one texture-page entry of the game data file, as sprites and backgrounds read
// them: eleven little-endian i16 values (22 bytes). The entry is named by its offset in the
// file; the graphics layer turns that into the handle game code sees.
#pragma once

#include <cstdint>
#include <span>

inline constexpr uint32_t kTPageRecordSize = 22;

struct TPageRecord {
  uint32_t offset = 0;  // where the entry lies in the file; 0 = none
  int16_t x = 0, y = 0, width = 0, height = 0;  // the rectangle on the page
  int16_t xOffset = 0, yOffset = 0;             // its place inside the full frame
  int16_t cropWidth = 0, cropHeight = 0;
  int16_t fullWidth = 0, fullHeight = 0;        // the size of the full frame
  int16_t texture = 0;                          // the page's texture

  bool Exists() const { return offset != 0; }
};

// Reads the entry at offset; false when it does not lie wholly inside the image. Offset 0
// gives an empty record and true (no entry).
bool TPageRecord_Read(std::span<const uint8_t> image, uint32_t offset, TPageRecord& record);

// What a sprite frame or a background is drawn from: a texture-page entry of the game file, or
// a texture of its own (-1 when none).
struct ResourceTexture {
  uint32_t pageEntry = 0;  // file offset of the entry; 0 = none
  int32_t textureId = -1;
  bool operator==(const ResourceTexture&) const = default;
};
