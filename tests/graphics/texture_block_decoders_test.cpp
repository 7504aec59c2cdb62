// The PVRTC and ETC1 decoders against blocks whose pixels are worked out by hand below.
#include "graphics/texture_block_decoders.h"

#include <gtest/gtest.h>

#include <array>

namespace {

// Four identical PVRTC blocks (a 2 x 2 grid), each given as its modulation and colour words.
std::vector<uint8_t> PvrBlocks(std::array<std::pair<uint32_t, uint32_t>, 4> blocks) {
  std::vector<uint8_t> data;
  for (auto [modulation, colour] : blocks)
    for (uint32_t word : {modulation, colour})
      for (int i = 0; i < 4; ++i) data.push_back(uint8_t(word >> (8 * i)));
  return data;
}
std::vector<uint8_t> SamePvrBlocks(uint32_t modulation, uint32_t colour) {
  return PvrBlocks({{{modulation, colour}, {modulation, colour}, {modulation, colour}, {modulation, colour}}});
}

std::vector<uint32_t> Decode(const std::vector<uint8_t>& data, bool twoBit, int w, int h) {
  std::vector<uint32_t> out;
  EXPECT_TRUE(DecompressPVRTC(data, twoBit, w, h, out));
  return out;
}

constexpr uint32_t kBlackWhite = 0xFFFF8000;  // colour B opaque white, colour A opaque black

TEST(Pvrtc, SolidOpaqueAndTranslucentBlocks) {
  // Colour A 0xFFFE: opaque, 31/31/(0x1E | 1) -> white; weight 0 everywhere shows A alone.
  for (uint32_t p : Decode(SamePvrBlocks(0, 0x0000FFFE), false, 8, 8)) ASSERT_EQ(p, 0xFFFFFFFFu);
  // Colour A 0x7FFE: translucent, alpha 7 << 1 = 14 -> 238, channels 0xF -> 31 -> 255.
  for (uint32_t p : Decode(SamePvrBlocks(0, 0x00007FFE), false, 8, 8)) ASSERT_EQ(p, 0xEEFFFFFFu);
}

TEST(Pvrtc, FourBitModulationDirectAndPunchThrough) {
  // Row 0 of every block holds the values 0, 1, 2, 3; the other rows 0.
  const auto direct = Decode(SamePvrBlocks(0xE4, kBlackWhite), false, 8, 8);
  // Weights 0, 3, 5, 8 of 8: 255 * 3 / 8 = 95, 255 * 5 / 8 = 159.
  const uint32_t row0[4] = {0xFF000000, 0xFF5F5F5F, 0xFF9F9F9F, 0xFFFFFFFF};
  for (int x = 0; x < 8; ++x) {
    EXPECT_EQ(direct[x], row0[x % 4]) << x;
    EXPECT_EQ(direct[8 + x], 0xFF000000u) << x;
  }
  // Mode bit set: 1 and 2 are halfway (127), 2 with alpha 0.
  const auto punch = Decode(SamePvrBlocks(0xE4, kBlackWhite | 1), false, 8, 8);
  const uint32_t punchRow[4] = {0xFF000000, 0xFF7F7F7F, 0x007F7F7F, 0xFFFFFFFF};
  for (int x = 0; x < 4; ++x) EXPECT_EQ(punch[x], punchRow[x]) << x;
}

TEST(Pvrtc, ColoursInterpolateBetweenBlockCentres) {
  // Only block (0, 0) (twiddled index 0) has colour A red 0xFC00; the rest black 0x8000.
  const auto out = Decode(PvrBlocks({{{0, 0xFC00}, {0, 0x8000}, {0, 0x8000}, {0, 0x8000}}}), false, 8, 8);
  const auto red = [&](int x, int y) { return (out[y * 8 + x] >> 16) & 0xFF; };
  EXPECT_EQ(red(2, 2), 255u);  // the block's centre
  EXPECT_EQ(red(6, 6), 0u);    // block (1, 1)'s centre
  EXPECT_EQ(red(4, 2), 127u);  // halfway to block (1, 0): 31 * 8 / 16 -> (248 * 8 + 62) / 16
  EXPECT_EQ(red(0, 2), 127u);  // halfway to the wrapped neighbour
  EXPECT_EQ(red(0, 0), 63u);   // a quarter, from the wrapped diagonal: (124 * 8 + 31) / 16
}

TEST(Pvrtc, TwoBitModes) {
  // One bit a pixel: only pixel (0, 0) of each block is B.
  const auto single = Decode(SamePvrBlocks(0x1, kBlackWhite), true, 16, 8);
  EXPECT_EQ(single[0], 0xFFFFFFFFu);
  EXPECT_EQ(single[1], 0xFF000000u);
  EXPECT_EQ(single[8], 0xFFFFFFFFu);
  // Checkerboard: stored pixels (x ^ y even) take weights 0/3/5/8; the others are averaged.
  struct Case {
    uint32_t modulation;
    uint32_t at10, at01;  // pixels (1, 0) and (0, 1)
  } cases[] = {
      // Bit 0 clear: four neighbours. Row 0's stored pixels are 3 (weight 8), the rest 0:
      // (1, 0) = (8 + 8 + 0 + 0 + 2) / 4 = 4 -> 127; (0, 1) = (8 + 2) / 4 = 2 -> 63.
      {0xFE, 0xFF7F7F7F, 0xFF3F3F3F},
      // Bit 0 set, bit 20 clear: left and right. Only (0, 0) stored 3.
      {0x3, 0xFF7F7F7F, 0xFF000000},
      // Bit 20 set: above and below.
      {0x100003, 0xFF000000, 0xFF7F7F7F},
  };
  for (const Case& c : cases) {
    const auto out = Decode(SamePvrBlocks(c.modulation, kBlackWhite | 1), true, 16, 8);
    EXPECT_EQ(out[0], 0xFFFFFFFFu) << std::hex << c.modulation;
    EXPECT_EQ(out[1], c.at10) << std::hex << c.modulation;
    EXPECT_EQ(out[16], c.at01) << std::hex << c.modulation;
  }
}

TEST(Pvrtc, RefusesBadSizesAndShortData) {
  std::vector<uint32_t> out = {7};
  EXPECT_FALSE(DecompressPVRTC(SamePvrBlocks(0, 0), false, 12, 8, out));
  EXPECT_FALSE(DecompressPVRTC(SamePvrBlocks(0, 0), false, 0, 8, out));
  EXPECT_FALSE(DecompressPVRTC(SamePvrBlocks(0, 0), false, 16, 8, out));  // needs 8 blocks
  EXPECT_EQ(out, std::vector<uint32_t>{7});
  // Below the 2 x 2 block minimum: decoded padded, cropped.
  ASSERT_TRUE(DecompressPVRTC(SamePvrBlocks(0, 0xFFFE), false, 2, 2, out));
  EXPECT_EQ(out, std::vector<uint32_t>(4, 0xFFFFFFFF));
}

TEST(Pvrtc, TwiddledOrderAndMipSizes) {
  EXPECT_EQ(TwiddleIndex(4, 4, 1, 0), 2u);
  EXPECT_EQ(TwiddleIndex(4, 4, 0, 1), 1u);
  EXPECT_EQ(TwiddleIndex(4, 4, 3, 3), 15u);
  EXPECT_EQ(TwiddleIndex(8, 2, 3, 1), 7u);  // one interleaved bit, then x >> 1 above it
  for (uint32_t i = 0; i < 16; ++i) {
    uint32_t x, y;
    UntwiddleIndex(8, 2, i, x, y);
    EXPECT_EQ(TwiddleIndex(8, 2, x, y), i);
  }
  EXPECT_FALSE(IsPowerOfTwo(0));
  EXPECT_TRUE(IsPowerOfTwo(1));
  EXPECT_FALSE(IsPowerOfTwo(12));
  EXPECT_EQ(MipLevelSize(64, 64, 0, 4, 4, 8, 2), 2048u);
  EXPECT_EQ(MipLevelSize(64, 64, 5, 4, 4, 8, 2), 32u);  // 2 x 2 pixels: still 2 x 2 blocks
  EXPECT_EQ(MipLevelSize(10, 6, 0, 4, 4, 8, 1), 48u);
}

std::vector<uint32_t> DecodeEtc(std::array<uint8_t, 8> block, int w = 4, int h = 4) {
  std::vector<uint32_t> out;
  EXPECT_TRUE(DecompressETC1(block, w, h, out));
  return out;
}

TEST(Etc1, SolidIndividualBlock) {
  // Base 8/4/2 (x17 -> 136/68/34), table 0, every index 0 (+2).
  for (uint32_t p : DecodeEtc({0x88, 0x44, 0x22, 0x00, 0, 0, 0, 0})) ASSERT_EQ(p, 0xFF8A4624u);
}

TEST(Etc1, IndividualSideBySideAndCropped) {
  // Left half red 15 -> 255 (+2 clamps), right half 0 -> 2; every channel +2.
  const auto out = DecodeEtc({0xF0, 0x00, 0x00, 0x00, 0, 0, 0, 0}, 3, 2);
  ASSERT_EQ(out.size(), 6u);
  const uint32_t row[3] = {0xFFFF0202, 0xFFFF0202, 0xFF020202};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(out[i], row[i % 3]) << i;
}

TEST(Etc1, DifferentialFlippedWithModifiers) {
  // Red 31 delta -1 -> 255 / 247; green 0; blue 16 delta +3 -> 132 / 156. Tables 1 {5, 17}
  // (top) and 7 {47, 183} (bottom), differential, flipped. Pixel (1, 0) index 3 (-17), pixel
  // (0, 3) index 2 (-47), the rest index 0 (+5 top, +47 bottom).
  const auto out = DecodeEtc({0xFF, 0x00, 0x83, 0x3F, 0x00, 0x18, 0x00, 0x10});
  EXPECT_EQ(out[0], 0xFFFF0589u);       // 260 -> 255, 5, 137
  EXPECT_EQ(out[1], 0xFFEE0073u);       // 238, -17 -> 0, 115
  EXPECT_EQ(out[2 * 4 + 1], 0xFFFF2FCBu);  // 294 -> 255, 47, 203
  EXPECT_EQ(out[3 * 4 + 0], 0xFFC8006Du);  // 200, 0, 109
}

TEST(Etc1, RefusesShortData) {
  std::vector<uint32_t> out;
  EXPECT_FALSE(DecompressETC1(std::vector<uint8_t>(8), 8, 4, out));
  EXPECT_FALSE(DecompressETC1(std::vector<uint8_t>(8), 0, 4, out));
  EXPECT_TRUE(out.empty());
}

}  // namespace
