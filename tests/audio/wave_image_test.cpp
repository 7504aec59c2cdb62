// WAVE images read from memory: the sample formats taken, and headers that lie.
#include <gtest/gtest.h>

#include <cstring>
#include <limits>

#include "audio/wave_image.h"
#include "audio_support.h"

namespace {

// A WAVE image with one format chunk and the given data bytes; an odd-sized chunk before "fmt ".
std::vector<uint8_t> Wave(uint16_t format, uint16_t channels, uint16_t bits, std::vector<uint8_t> data,
                          bool oddChunkFirst = false) {
  std::vector<uint8_t> b = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};
  auto u32 = [&b](uint32_t v) { for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i))); };
  auto u16 = [&b](uint16_t v) { b.push_back(static_cast<uint8_t>(v)); b.push_back(static_cast<uint8_t>(v >> 8)); };
  if (oddChunkFirst) {
    b.insert(b.end(), {'L', 'I', 'S', 'T'});
    u32(3);
    b.insert(b.end(), {1, 2, 3, 0});  // padded to even
  }
  b.insert(b.end(), {'f', 'm', 't', ' '});
  u32(16);
  u16(format);
  u16(channels);
  u32(8000);
  u32(8000u * channels * bits / 8);
  u16(static_cast<uint16_t>(channels * bits / 8));
  u16(bits);
  b.insert(b.end(), {'d', 'a', 't', 'a'});
  u32(static_cast<uint32_t>(data.size()));
  b.insert(b.end(), data.begin(), data.end());
  return b;
}

TEST(WaveImage, SampleFormats) {
  WaveSamples out;
  ASSERT_EQ(Wave_Decode(Wave(1, 1, 8, {0, 128, 255}), out), WaveError::None);
  EXPECT_EQ(out.samples, (std::vector<int16_t>{-32768, 0, 32512}));
  ASSERT_EQ(Wave_Decode(Wave(1, 2, 16, {0x01, 0x80, 0xFF, 0x7F}, true), out), WaveError::None);
  EXPECT_EQ(out.channels, 2);
  EXPECT_EQ(out.rate, 8000);
  EXPECT_EQ(out.samples, (std::vector<int16_t>{-32767, 32767}));
  ASSERT_EQ(Wave_Decode(Wave(1, 1, 24, {0x00, 0x00, 0x40}), out), WaveError::None);
  EXPECT_EQ(out.samples, (std::vector<int16_t>{0x4000}));
  std::vector<uint8_t> half(4), nan(4);
  const float h = 0.5f, n = std::numeric_limits<float>::quiet_NaN();
  std::memcpy(half.data(), &h, 4);
  std::memcpy(nan.data(), &n, 4);
  half.insert(half.end(), nan.begin(), nan.end());
  ASSERT_EQ(Wave_Decode(Wave(3, 1, 32, half), out), WaveError::None);
  EXPECT_EQ(out.samples, (std::vector<int16_t>{16384, -32767}));
}

TEST(WaveImage, DamagedImagesAreRefused) {
  WaveSamples out;
  std::vector<uint8_t> lying = Wave(1, 1, 16, {1, 0, 2, 0});
  const uint32_t huge = 0xFFFFFFF0u;
  std::memcpy(lying.data() + 40, &huge, 4);
  std::vector<uint8_t> fmtPastEnd = Wave(1, 1, 16, {1, 0});
  std::memcpy(fmtPastEnd.data() + 16, &huge, 4);
  struct Case {
    const char* what;
    std::vector<uint8_t> image;
    WaveError error;
  };
  for (const Case& c : {Case{"empty", {}, WaveError::NotWave},
                        Case{"not RIFF", std::vector<uint8_t>(64, 'x'), WaveError::NotWave},
                        Case{"data size past the end", lying, WaveError::Truncated},
                        Case{"fmt size past the end", fmtPastEnd, WaveError::Truncated},
                        Case{"no data chunk", std::vector<uint8_t>(lying.begin(), lying.begin() + 36), WaveError::Truncated},
                        Case{"ADPCM", Wave(2, 1, 4, {1, 2}), WaveError::Unsupported},
                        Case{"six channels", Wave(1, 6, 16, {}), WaveError::Unsupported},
                        Case{"12-bit", Wave(1, 1, 12, {}), WaveError::Unsupported}}) {
    EXPECT_EQ(Wave_Decode(c.image, out), c.error) << c.what;
    EXPECT_TRUE(out.samples.empty()) << c.what;
  }
}

}  // namespace
