#include "image_fixtures.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_image.h>

namespace {

void U16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}
void U32(std::vector<uint8_t>& out, uint32_t v) {
  U16(out, v & 0xFFFF);
  U16(out, v >> 16);
}

std::vector<uint8_t> BmpHeader(uint16_t bits, uint32_t compression, uint32_t paletteEntries,
                               const std::vector<uint8_t>& data) {
  std::vector<uint8_t> out = {'B', 'M'};
  uint32_t offset = 54 + paletteEntries * 4;
  U32(out, offset + static_cast<uint32_t>(data.size()));
  U32(out, 0);
  U32(out, offset);
  U32(out, 40);
  U32(out, 2);  // width
  U32(out, 2);  // height (positive: bottom row first)
  U16(out, 1);
  U16(out, bits);
  U32(out, compression);
  U32(out, static_cast<uint32_t>(data.size()));
  U32(out, 2835);
  U32(out, 2835);
  U32(out, paletteEntries);
  U32(out, 0);
  return out;
}

}  // namespace

std::vector<uint8_t> Fixture_Bmp24() {
  // Blue, green, red per pixel; rows padded to 8 bytes.
  std::vector<uint8_t> data = {0, 255, 0, 255, 255, 255, 0, 0,   // bottom: green, white
                               0, 0, 255, 255, 0, 0, 0, 0};      // top: red, blue
  std::vector<uint8_t> out = BmpHeader(24, 0, 0, data);
  out.insert(out.end(), data.begin(), data.end());
  return out;
}

std::vector<uint8_t> Fixture_Bmp8(bool rle) {
  // Palette 0 red, 1 blue, 2 green, 3 white (blue, green, red, 0).
  const std::vector<uint8_t> palette = {0, 0, 255, 0, 255, 0, 0, 0, 0, 255, 0, 0, 255, 255, 255, 0};
  std::vector<uint8_t> data;
  if (rle)
    data = {1, 2, 1, 3, 0, 0,   // bottom row, end of line
            1, 0, 1, 1, 0, 1};  // top row, end of bitmap
  else
    data = {2, 3, 0, 0, 0, 1, 0, 0};
  std::vector<uint8_t> out = BmpHeader(8, rle ? 1 : 0, 4, data);
  out.insert(out.end(), palette.begin(), palette.end());
  out.insert(out.end(), data.begin(), data.end());
  return out;
}

std::vector<uint8_t> Fixture_Gif(const std::vector<std::array<uint8_t, 4>>& frames) {
  std::vector<uint8_t> out = {'G', 'I', 'F', '8', '9', 'a'};
  U16(out, 2);
  U16(out, 2);
  out.insert(out.end(), {0x81, 0, 0});  // global table of 4 colours
  out.insert(out.end(), {0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255});
  if (frames.size() > 1) {
    out.insert(out.end(), {0x21, 0xFF, 0x0B, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0', 3, 1, 0, 0, 0});
  }
  for (const auto& frame : frames) {
    out.insert(out.end(), {0x21, 0xF9, 4, 0x04, 10, 0, 0, 0});  // do not dispose, 10 cs
    out.push_back(0x2C);
    U16(out, 0);
    U16(out, 0);
    U16(out, 2);
    U16(out, 2);
    out.push_back(0);
    out.push_back(2);  // LZW minimum code size
    // Codes of 3 bits: a clear code every two pixels keeps the table from growing wider.
    const uint8_t codes[] = {4, frame[0], frame[1], 4, frame[2], frame[3], 5};
    std::vector<uint8_t> packed;
    uint32_t bits = 0, count = 0;
    for (uint8_t code : codes) {
      bits |= uint32_t{code} << count;
      count += 3;
      while (count >= 8) {
        packed.push_back(static_cast<uint8_t>(bits));
        bits >>= 8;
        count -= 8;
      }
    }
    if (count > 0) packed.push_back(static_cast<uint8_t>(bits));
    out.push_back(static_cast<uint8_t>(packed.size()));
    out.insert(out.end(), packed.begin(), packed.end());
    out.push_back(0);
  }
  out.push_back(0x3B);
  return out;
}

std::vector<uint8_t> Fixture_Jpeg(int width, int height, uint8_t red, uint8_t green, uint8_t blue) {
  SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, width, height, 24, SDL_PIXELFORMAT_RGB24);
  if (!surface) return {};
  SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, red, green, blue));
  std::vector<uint8_t> buffer(size_t(65536));
  SDL_RWops* stream = SDL_RWFromMem(buffer.data(), static_cast<int>(buffer.size()));
  int result = IMG_SaveJPG_RW(surface, stream, 0, 95);
  Sint64 size = SDL_RWtell(stream);
  SDL_RWclose(stream);
  SDL_FreeSurface(surface);
  if (result != 0 || size <= 0) return {};
  buffer.resize(static_cast<size_t>(size));
  return buffer;
}
