// Small image files made by the tests themselves: hand-made BMP and GIF bytes, and JPEG made
// through SDL2_image's writer.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

// 2 x 2, 24 bits: top row red, blue; bottom row green, white (stored bottom row first).
std::vector<uint8_t> Fixture_Bmp24();
// The same picture as 8-bit palette indices, plain or RLE8-compressed.
std::vector<uint8_t> Fixture_Bmp8(bool rle);
// A 2 x 2 GIF with one image per entry of frames (palette indices, rows top first; palette
// 0 black, 1 red, 2 green, 3 blue). Frames after the first are animation frames.
std::vector<uint8_t> Fixture_Gif(const std::vector<std::array<uint8_t, 4>>& frames);
// A baseline JPEG of one flat colour at quality 95; empty when SDL2_image cannot write one.
std::vector<uint8_t> Fixture_Jpeg(int width, int height, uint8_t red, uint8_t green, uint8_t blue);
