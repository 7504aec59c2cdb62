// Helpers of the audio tests: WAVE images made in memory, a game holding sounds, and a loopback
// sound device whose mix is rendered into memory (deterministic, faster than real time).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "audio/openal/openal_device.h"
#include "data/game_data_writer.h"

// A 16-bit PCM WAVE image of a sine tone.
std::vector<uint8_t> ToneWave(double hz, double seconds, int32_t rate = 22050, int32_t channels = 1,
                              double amplitude = 0.5);

// A game with one sound per tone image (sound i uses sample i), for the chosen engine.
GameDataWriter SoundGame(const std::vector<std::vector<uint8_t>>& samples, bool newAudio);

// Loads the game in process and prepares its sound on a loopback device; Sound_Quit and
// Sound_FreeAll on destruction.
class LoopbackSound {
 public:
  explicit LoopbackSound(const GameDataWriter& game);
  ~LoopbackSound();
  bool ok() const { return device_ != nullptr && loaded_; }
  // Mixes frames of stereo output; the left channel of each frame.
  std::vector<int16_t> Render(int32_t frames);

 private:
  OpenALDevice* device_ = nullptr;  // owned by the audio subsystem while in use
  bool loaded_ = false;
};

// The loudest sample of silence (the library dithers its output).
inline constexpr int32_t kDither = 4;
int32_t Peak(const std::vector<int16_t>& samples, size_t from = 0, size_t to = SIZE_MAX);
// Frequency estimated from rising zero crossings.
double Frequency(const std::vector<int16_t>& samples, int32_t rate);
