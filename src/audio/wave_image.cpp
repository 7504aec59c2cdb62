#include "audio/wave_image.h"

#include <cmath>
#include <cstring>

namespace {

uint32_t U32At(std::span<const uint8_t> b, size_t at) {
  uint32_t v;
  std::memcpy(&v, b.data() + at, 4);
  return v;
}
uint16_t U16At(std::span<const uint8_t> b, size_t at) {
  uint16_t v;
  std::memcpy(&v, b.data() + at, 2);
  return v;
}

constexpr uint16_t kFormatPcm = 1, kFormatFloat = 3, kFormatExtensible = 0xFFFE;

int16_t SampleAt(const uint8_t* p, uint16_t format, uint16_t bits) {
  switch (bits) {
    case 8: return static_cast<int16_t>((static_cast<int32_t>(p[0]) - 128) * 256);
    case 16: {
      int16_t v;
      std::memcpy(&v, p, 2);
      return v;
    }
    case 24: return static_cast<int16_t>(static_cast<int32_t>(static_cast<uint32_t>(p[1]) | static_cast<uint32_t>(p[2]) << 8));
    default: {
      if (format == kFormatFloat) {
        float f;
        std::memcpy(&f, p, 4);
        if (!(f > -1.0f)) f = -1.0f;  // also NaN
        if (f > 1.0f) f = 1.0f;
        return static_cast<int16_t>(std::lround(f * 32767.0f));
      }
      int32_t v;
      std::memcpy(&v, p, 4);
      return static_cast<int16_t>(v >> 16);
    }
  }
}

}  // namespace

WaveError Wave_Decode(std::span<const uint8_t> image, WaveSamples& out) {
  out = {};
  if (image.size() < 12 || std::memcmp(image.data(), "RIFF", 4) != 0 || std::memcmp(image.data() + 8, "WAVE", 4) != 0) {
    return WaveError::NotWave;
  }
  bool haveFormat = false;
  uint16_t format = 0, channels = 0, bits = 0, blockAlign = 0;
  uint32_t rate = 0;
  size_t at = 12;
  while (image.size() - at >= 8) {
    const uint32_t size = U32At(image, at + 4);
    const size_t body = at + 8;
    const size_t available = image.size() - body;
    if (std::memcmp(image.data() + at, "fmt ", 4) == 0) {
      if (size < 16 || size > available) return WaveError::Truncated;
      format = U16At(image, body);
      channels = U16At(image, body + 2);
      rate = U32At(image, body + 4);
      blockAlign = U16At(image, body + 12);
      bits = U16At(image, body + 14);
      if (format == kFormatExtensible && size >= 26) format = U16At(image, body + 24);
      haveFormat = true;
    } else if (std::memcmp(image.data() + at, "data", 4) == 0) {
      if (!haveFormat) return WaveError::Truncated;
      if ((format != kFormatPcm && format != kFormatFloat) || (format == kFormatFloat && bits != 32) ||
          (bits != 8 && bits != 16 && bits != 24 && bits != 32) || channels < 1 || channels > 2 ||
          rate == 0 || rate > 1000000 || blockAlign != channels * (bits / 8)) {
        return WaveError::Unsupported;
      }
      // A data size that runs past the image is what a lying header looks like: refuse it.
      if (size > available) return WaveError::Truncated;
      const size_t frames = size / blockAlign;
      out.samples.resize(frames * channels);
      const uint8_t* p = image.data() + body;
      const size_t bytesPerSample = bits / 8;
      for (size_t i = 0; i < out.samples.size(); ++i) out.samples[i] = SampleAt(p + i * bytesPerSample, format, bits);
      out.channels = channels;
      out.rate = static_cast<int32_t>(rate);
      return WaveError::None;
    }
    if (size > available) return WaveError::Truncated;
    at = body + size + (size & 1u);
    if (at > image.size()) break;
  }
  return WaveError::Truncated;
}
