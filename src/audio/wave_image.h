// Reading WAVE file images held in memory: the RIFF chunks are walked with every size checked
// against the bytes that are really there, and the samples come out as signed 16-bit PCM.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

struct WaveSamples {
  std::vector<int16_t> samples;  // interleaved
  int32_t channels = 0;
  int32_t rate = 0;
};

enum class WaveError { None, NotWave, Unsupported, Truncated };

// Integer PCM of 8, 16, 24 or 32 bits and 32-bit float, one or two channels.
WaveError Wave_Decode(std::span<const uint8_t> image, WaveSamples& out);
