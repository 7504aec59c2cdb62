// The built-in font's sheet: 97 glyphs (characters 32 to 128) drawn from 5 x 7 bitmaps of
// our own into 7 x 12 cells of a 256 x 128 alpha image.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

inline constexpr int kDebugFontSheetWidth = 256;
inline constexpr int kDebugFontSheetHeight = 128;
inline constexpr int kDebugFontGlyphCount = 97;
inline constexpr int kDebugFontFirst = 32;
inline constexpr int kDebugFontCellWidth = 7;
inline constexpr int kDebugFontCellHeight = 12;

struct DebugFontRect {
  uint8_t x, y, width, height;
};

// Rectangles on the sheet of characters 32 to 128, in order.
const std::array<DebugFontRect, kDebugFontGlyphCount>& DebugFont_Rects();
// The sheet as a "RAW " image block (white pixels, alpha from the glyphs).
std::vector<uint8_t> DebugFont_RawImage();
