#include "audio_support.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "audio/audio_device.h"
#include "audio/audio_engine.h"
#include "audio/sound_hardware.h"
#include "audio/sound_resources.h"
#include "data/game_loader.h"
#include "support/console_capture.h"

namespace {

void Put32(std::vector<uint8_t>& b, uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void Put16(std::vector<uint8_t>& b, uint16_t v) {
  b.push_back(static_cast<uint8_t>(v));
  b.push_back(static_cast<uint8_t>(v >> 8));
}

}  // namespace

std::vector<uint8_t> ToneWave(double hz, double seconds, int32_t rate, int32_t channels, double amplitude) {
  const uint32_t frames = static_cast<uint32_t>(seconds * rate);
  const uint32_t dataSize = frames * static_cast<uint32_t>(channels) * 2;
  std::vector<uint8_t> b = {'R', 'I', 'F', 'F'};
  Put32(b, 36 + dataSize);
  b.insert(b.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
  Put32(b, 16);
  Put16(b, 1);
  Put16(b, static_cast<uint16_t>(channels));
  Put32(b, static_cast<uint32_t>(rate));
  Put32(b, static_cast<uint32_t>(rate * channels * 2));
  Put16(b, static_cast<uint16_t>(channels * 2));
  Put16(b, 16);
  b.insert(b.end(), {'d', 'a', 't', 'a'});
  Put32(b, dataSize);
  for (uint32_t i = 0; i < frames; ++i) {
    const auto v = static_cast<int16_t>(std::lround(std::sin(2.0 * M_PI * hz * i / rate) * amplitude * 32767.0));
    for (int32_t c = 0; c < channels; ++c) Put16(b, static_cast<uint16_t>(v));
  }
  return b;
}

GameDataWriter SoundGame(const std::vector<std::vector<uint8_t>>& samples, bool newAudio) {
  GameDataWriter game;
  game.options.newAudio = newAudio;
  for (size_t i = 0; i < samples.size(); ++i) {
    gamedata::Sound sound;
    sound.name = "snd_" + std::to_string(i);
    sound.fileName = "tone" + std::to_string(i) + ".wav";
    sound.dataIndex = static_cast<int32_t>(i);
    game.sounds.push_back(sound);
  }
  game.samples = samples;
  game.rooms.push_back({});
  game.rooms[0].name = "rm";
  return game;
}

LoopbackSound::LoopbackSound(const GameDataWriter& game) {
  {
    ConsoleCapture quiet;
    loaded_ = GameData_LoadImage(game.Build()) == GameLoadResult::Loaded;
  }
  std::unique_ptr<OpenALDevice> device = OpenALDevice::OpenLoopback(44100);
  device_ = device.get();
  AudioDevice_Use(std::move(device));
  Sound_SetOff(false);
  Sound_InitHardware();
  Sound_Prepare();
  Audio_CreateBuffers();
}

LoopbackSound::~LoopbackSound() {
  ConsoleCapture quiet;
  Sound_Quit();
  Sound_FreeAll();
}

std::vector<int16_t> LoopbackSound::Render(int32_t frames) {
  std::vector<int16_t> stereo(static_cast<size_t>(frames) * 2);
  device_->RenderMix(stereo.data(), frames);
  std::vector<int16_t> left(static_cast<size_t>(frames));
  for (size_t i = 0; i < left.size(); ++i) left[i] = stereo[i * 2];
  return left;
}

int32_t Peak(const std::vector<int16_t>& samples, size_t from, size_t to) {
  int32_t peak = 0;
  for (size_t i = from; i < std::min(to, samples.size()); ++i) peak = std::max(peak, std::abs(int32_t{samples[i]}));
  return peak;
}

double Frequency(const std::vector<int16_t>& samples, int32_t rate) {
  // Crossings with a dead band, so the library's dither around zero counts for nothing.
  constexpr int16_t kBand = 1000;
  size_t first = 0, last = 0;
  int crossings = 0;
  bool below = false;
  for (size_t i = 0; i < samples.size(); ++i) {
    if (samples[i] < -kBand) below = true;
    if (below && samples[i] > kBand) {
      below = false;
      if (crossings == 0) first = i;
      last = i;
      ++crossings;
    }
  }
  if (crossings < 2) return 0;
  return (crossings - 1) * static_cast<double>(rate) / static_cast<double>(last - first);
}
