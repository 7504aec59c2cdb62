// The built-in font's sheet: glyphs drawn from 5 x 7 bitmaps of our own into 7 x 12 cells of a
// 256 x 128 alpha image. The built-in "debug" font uses characters 32 to 128; the debug
// overlay's font uses the same cells and eight more symbols, characters 32 to 136.
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
// The overlay's glyphs: characters 32 to 136.
inline constexpr int kOverlayFontFirst = 32;
inline constexpr int kOverlayFontLast = 136;
inline constexpr int kOverlayFontGlyphCount = kOverlayFontLast - kOverlayFontFirst + 1;

struct DebugFontRect {
  uint8_t x, y, width, height;
};

// Rectangles on the sheet of characters 32 to 128, in order.
const std::array<DebugFontRect, kDebugFontGlyphCount>& DebugFont_Rects();
// Rectangles of characters 32 to 136 (the first 97 are those above).
const std::array<DebugFontRect, kOverlayFontGlyphCount>& DebugFont_OverlayRects();
// The sheet as a "RAW " image block (white pixels, alpha from the glyphs).
std::vector<uint8_t> DebugFont_RawImage();
