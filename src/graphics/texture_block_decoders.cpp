#include "graphics/texture_block_decoders.h"

#include <algorithm>
#include <array>

namespace {

struct Rgba {
  int32_t r = 0, g = 0, b = 0, a = 0;
};

uint32_t PackArgb(int32_t r, int32_t g, int32_t b, int32_t a) {
  return (uint32_t(a) << 24) | (uint32_t(r) << 16) | (uint32_t(g) << 8) | uint32_t(b);
}

// ---- PVRTC ----

// Colour A (low half of the colour word, its blue one bit short) or B (high half), as 5-bit
// channels and a 4-bit alpha. The top bit of each half marks an opaque RGB 5:5:5 colour; else it
// is ARGB 3:4:4:4 (A's blue 3 bits).
Rgba PvrColour(uint32_t colourWord, bool colourB) {
  const uint32_t half = colourB ? colourWord >> 16 : colourWord & 0xFFFF;
  Rgba c;
  if (half & 0x8000) {
    c.r = (half >> 10) & 0x1F;
    c.g = (half >> 5) & 0x1F;
    c.b = colourB ? half & 0x1F : (half & 0x1E) | ((half & 0x1E) >> 4);
    c.a = 0xF;
  } else {
    const auto four = [](uint32_t v) { return int32_t((v << 1) | (v >> 3)); };  // 4 bits to 5
    c.a = int32_t((half >> 12) & 0x7) << 1;
    c.r = four((half >> 8) & 0xF);
    c.g = four((half >> 4) & 0xF);
    c.b = colourB ? four(half & 0xF) : int32_t(((half & 0xE) << 1) | ((half & 0xE) >> 2));
  }
  return c;
}

constexpr std::array<int32_t, 4> kModulationWeights = {0, 3, 5, 8};

struct PvrImage {
  int32_t blockW, blockH, blocksX, blocksY, width, height;
  std::vector<uint64_t> blocks;  // in raster order
  std::vector<int32_t> modValue;  // per pixel: the stored 2-bit value (or -1 when interpolated)
  std::vector<int32_t> modMode;   // per pixel: 0 direct, 1 punch-through (4bpp), 1..3 (2bpp)

  uint64_t Block(int32_t bx, int32_t by) const {
    bx = (bx % blocksX + blocksX) % blocksX;
    by = (by % blocksY + blocksY) % blocksY;
    return blocks[size_t(by) * blocksX + bx];
  }
  int32_t Weight(int32_t x, int32_t y) const {  // wraps around the image
    x = (x % width + width) % width;
    y = (y % height + height) % height;
    return kModulationWeights[modValue[size_t(y) * width + x]];
  }
};

void UnpackModulation(PvrImage& img, bool twoBit, int32_t bx, int32_t by) {
  const uint64_t block = img.blocks[size_t(by) * img.blocksX + bx];
  uint32_t bits = uint32_t(block);
  const bool modeFlag = (block >> 32) & 1;
  int32_t mode = modeFlag ? 1 : 0;
  const auto set = [&](int32_t x, int32_t y, int32_t value, int32_t m) {
    const size_t at = size_t(by * img.blockH + y) * img.width + bx * img.blockW + x;
    img.modValue[at] = value;
    img.modMode[at] = m;
  };
  if (!twoBit) {
    for (int32_t y = 0; y < 4; ++y)
      for (int32_t x = 0; x < 4; ++x, bits >>= 2) set(x, y, int32_t(bits & 3), mode);
    return;
  }
  if (!modeFlag) {  // one bit a pixel: weight 0 or 8
    for (int32_t y = 0; y < 4; ++y)
      for (int32_t x = 0; x < 8; ++x, bits >>= 1) set(x, y, (bits & 1) ? 3 : 0, 0);
    return;
  }
  // Two bits for each pixel of a checkerboard; bit 0 chooses between interpolating from all four
  // neighbours (mode 1) and, with bit 20 telling which, from two (2 horizontal, 3 vertical).
  if (bits & 1) {
    mode = (bits & (1u << 20)) ? 3 : 2;
    bits = (bits & (1u << 21)) ? bits | (1u << 20) : bits & ~(1u << 20);
  }
  bits = (bits & 2) ? bits | 1 : bits & ~1u;
  for (int32_t y = 0; y < 4; ++y)
    for (int32_t x = 0; x < 8; ++x) {
      if (((x ^ y) & 1) == 0) {
        set(x, y, int32_t(bits & 3), mode);
        bits >>= 2;
      } else {
        set(x, y, 0, mode);
      }
    }
}

// The modulation weight (out of 8) of a pixel and whether it is punched through.
int32_t ModulationWeight(const PvrImage& img, bool twoBit, int32_t x, int32_t y, bool& punch) {
  const size_t at = size_t(y) * img.width + x;
  const int32_t mode = img.modMode[at];
  const int32_t value = img.modValue[at];
  punch = false;
  if (mode == 0) return kModulationWeights[value];
  if (!twoBit) {
    punch = value == 2;
    return std::array<int32_t, 4>{0, 4, 4, 8}[value];
  }
  if (((x ^ y) & 1) == 0) return kModulationWeights[value];
  if (mode == 1)
    return (img.Weight(x, y - 1) + img.Weight(x, y + 1) + img.Weight(x - 1, y) + img.Weight(x + 1, y) + 2) / 4;
  if (mode == 2) return (img.Weight(x - 1, y) + img.Weight(x + 1, y) + 1) / 2;
  return (img.Weight(x, y - 1) + img.Weight(x, y + 1) + 1) / 2;
}

// Colour A or B at a pixel, bilinearly interpolated between the four blocks whose centres
// surround it, as 8-bit channels.
Rgba InterpolatedColour(const PvrImage& img, bool colourB, int32_t x, int32_t y) {
  const int32_t fx = x - img.blockW / 2, fy = y - img.blockH / 2;
  const int32_t bx = fx >= 0 ? fx / img.blockW : -1, by = fy >= 0 ? fy / img.blockH : -1;
  const int32_t tx = fx - bx * img.blockW, ty = fy - by * img.blockH;
  const Rgba p = PvrColour(uint32_t(img.Block(bx, by) >> 32), colourB);
  const Rgba q = PvrColour(uint32_t(img.Block(bx + 1, by) >> 32), colourB);
  const Rgba r = PvrColour(uint32_t(img.Block(bx, by + 1) >> 32), colourB);
  const Rgba s = PvrColour(uint32_t(img.Block(bx + 1, by + 1) >> 32), colourB);
  const int32_t wp = (img.blockW - tx) * (img.blockH - ty), wq = tx * (img.blockH - ty);
  const int32_t wr = (img.blockW - tx) * ty, ws = tx * ty;
  const int32_t total = img.blockW * img.blockH;
  const auto mix = [&](int32_t Rgba::*channel) {
    return p.*channel * wp + q.*channel * wq + r.*channel * wr + s.*channel * ws;
  };
  // Weighted sums back to 8 bits by bit replication: 5 bits as c << 3 | c >> 2, 4 as a << 4 | a.
  const auto five = [&](int32_t sum) { return (sum * 8 + sum / 4) / total; };
  const auto alpha = [&](int32_t sum) { return (sum * 17) / total; };
  return {five(mix(&Rgba::r)), five(mix(&Rgba::g)), five(mix(&Rgba::b)), alpha(mix(&Rgba::a))};
}

// ---- ETC1 ----

constexpr int32_t kEtcModifiers[8][2] = {{2, 8},   {5, 17},  {9, 29},  {13, 42},
                                         {18, 60}, {24, 80}, {33, 106}, {47, 183}};

void DecodeEtc1Block(uint64_t block, uint32_t (&pixels)[16]) {
  int32_t base[2][3];
  const bool differential = (block >> 33) & 1;
  const bool flip = (block >> 32) & 1;
  for (int32_t c = 0; c < 3; ++c) {
    const int32_t shift = 59 - c * 8;
    if (differential) {
      const int32_t five = int32_t((block >> shift) & 0x1F);
      int32_t delta = int32_t((block >> (shift - 3)) & 0x7);
      if (delta >= 4) delta -= 8;
      const int32_t second = (five + delta) & 0x1F;
      base[0][c] = (five << 3) | (five >> 2);
      base[1][c] = (second << 3) | (second >> 2);
    } else {
      base[0][c] = int32_t((block >> (shift + 1)) & 0xF) * 17;
      base[1][c] = int32_t((block >> (shift - 3)) & 0xF) * 17;
    }
  }
  const int32_t table[2] = {int32_t((block >> 37) & 7), int32_t((block >> 34) & 7)};
  for (int32_t x = 0; x < 4; ++x)
    for (int32_t y = 0; y < 4; ++y) {
      const int32_t bit = x * 4 + y;
      const int32_t index = int32_t(((block >> (bit + 16)) & 1) << 1 | ((block >> bit) & 1));
      const int32_t sub = flip ? (y >= 2) : (x >= 2);
      const int32_t magnitude = kEtcModifiers[table[sub]][index & 1];
      const int32_t modifier = (index & 2) ? -magnitude : magnitude;
      int32_t rgb[3];
      for (int32_t c = 0; c < 3; ++c) rgb[c] = std::clamp(base[sub][c] + modifier, 0, 255);
      // Built as bytes R, G, B, A; red and blue are then exchanged into the device's order.
      const uint32_t rgbaBytes = uint32_t(rgb[0]) | uint32_t(rgb[1]) << 8 | uint32_t(rgb[2]) << 16 | 0xFF000000u;
      pixels[y * 4 + x] = (rgbaBytes & 0xFF00FF00u) | ((rgbaBytes & 0xFF) << 16) | ((rgbaBytes >> 16) & 0xFF);
    }
}

}  // namespace

bool IsPowerOfTwo(uint32_t value) { return value != 0 && (value & (value - 1)) == 0; }

uint32_t TwiddleIndex(uint32_t blocksX, uint32_t blocksY, uint32_t x, uint32_t y) {
  const uint32_t minDim = std::min(blocksX, blocksY);
  uint32_t twiddled = 0, srcBit = 1, dstBit = 1, shift = 0;
  while (srcBit < minDim) {
    if (y & srcBit) twiddled |= dstBit;
    if (x & srcBit) twiddled |= dstBit << 1;
    srcBit <<= 1;
    dstBit <<= 2;
    ++shift;
  }
  const uint32_t rest = (blocksX > blocksY ? x : y) >> shift;
  return twiddled | (rest << (2 * shift));
}

void UntwiddleIndex(uint32_t blocksX, uint32_t blocksY, uint32_t index, uint32_t& x, uint32_t& y) {
  const uint32_t minDim = std::min(blocksX, blocksY);
  x = y = 0;
  uint32_t srcBit = 1, shift = 0;
  while (srcBit < minDim) {
    if (index & (1u << (2 * shift))) y |= srcBit;
    if (index & (1u << (2 * shift + 1))) x |= srcBit;
    srcBit <<= 1;
    ++shift;
  }
  const uint32_t rest = (index >> (2 * shift)) << shift;
  if (blocksX > blocksY) x |= rest;
  else y |= rest;
}

uint32_t MipLevelSize(int32_t width, int32_t height, int32_t level, int32_t blockWidth, int32_t blockHeight,
                      int32_t bytesPerBlock, int32_t minBlocks) {
  const int32_t w = std::max(1, width >> level), h = std::max(1, height >> level);
  const int32_t bx = std::max(minBlocks, (w + blockWidth - 1) / blockWidth);
  const int32_t by = std::max(minBlocks, (h + blockHeight - 1) / blockHeight);
  return uint32_t(bx) * uint32_t(by) * uint32_t(bytesPerBlock);
}

bool DecompressPVRTC(std::span<const uint8_t> data, bool twoBit, int32_t width, int32_t height,
                     std::vector<uint32_t>& out) {
  if (width <= 0 || height <= 0 || !IsPowerOfTwo(uint32_t(width)) || !IsPowerOfTwo(uint32_t(height))) return false;
  PvrImage img;
  img.blockW = twoBit ? 8 : 4;
  img.blockH = 4;
  // At least 2 x 2 blocks; an image smaller than that is decoded padded and cropped.
  img.blocksX = std::max(2, width / img.blockW);
  img.blocksY = std::max(2, height / img.blockH);
  img.width = img.blocksX * img.blockW;
  img.height = img.blocksY * img.blockH;
  const size_t blockCount = size_t(img.blocksX) * img.blocksY;
  if (data.size() < blockCount * 8) return false;
  img.blocks.resize(blockCount);
  for (int32_t by = 0; by < img.blocksY; ++by)
    for (int32_t bx = 0; bx < img.blocksX; ++bx) {
      const uint8_t* p = data.data() + size_t(TwiddleIndex(img.blocksX, img.blocksY, bx, by)) * 8;
      uint64_t word = 0;
      for (int32_t i = 7; i >= 0; --i) word = (word << 8) | p[i];
      img.blocks[size_t(by) * img.blocksX + bx] = word;
    }
  img.modValue.assign(size_t(img.width) * img.height, 0);
  img.modMode.assign(img.modValue.size(), 0);
  for (int32_t by = 0; by < img.blocksY; ++by)
    for (int32_t bx = 0; bx < img.blocksX; ++bx) UnpackModulation(img, twoBit, bx, by);

  std::vector<uint32_t> pixels(size_t(width) * height);
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x) {
      bool punch = false;
      const int32_t m = ModulationWeight(img, twoBit, x, y, punch);
      const Rgba a = InterpolatedColour(img, false, x, y), b = InterpolatedColour(img, true, x, y);
      const auto lerp = [m](int32_t ca, int32_t cb) { return (ca * (8 - m) + cb * m) / 8; };
      pixels[size_t(y) * width + x] =
          PackArgb(lerp(a.r, b.r), lerp(a.g, b.g), lerp(a.b, b.b), punch ? 0 : lerp(a.a, b.a));
    }
  out = std::move(pixels);
  return true;
}

bool DecompressETC1(std::span<const uint8_t> data, int32_t width, int32_t height, std::vector<uint32_t>& out) {
  if (width <= 0 || height <= 0) return false;
  const int32_t blocksX = (width + 3) / 4, blocksY = (height + 3) / 4;
  if (data.size() < size_t(blocksX) * blocksY * 8) return false;
  std::vector<uint32_t> pixels(size_t(width) * height);
  const uint8_t* p = data.data();
  for (int32_t by = 0; by < blocksY; ++by)
    for (int32_t bx = 0; bx < blocksX; ++bx, p += 8) {
      uint64_t block = 0;
      for (int32_t i = 0; i < 8; ++i) block = (block << 8) | p[i];
      uint32_t decoded[16];
      DecodeEtc1Block(block, decoded);
      for (int32_t y = 0; y < 4 && by * 4 + y < height; ++y)
        for (int32_t x = 0; x < 4 && bx * 4 + x < width; ++x)
          pixels[size_t(by * 4 + y) * width + bx * 4 + x] = decoded[y * 4 + x];
    }
  out = std::move(pixels);
  return true;
}
