// Starting music: a three-minute MIDI piece (or an MP3 named on the command line) opened and
// played through the media-command layer on a loopback sound device. Prints how long the
// "open" and "play" commands took on the calling thread, and how long until the stream's
// decoder had music queued on the device.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "audio/audio_device.h"
#include "audio/media_player.h"
#include "audio/openal/openal_device.h"

namespace {

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double, std::milli>(to - from).count();
}

// 360 quarter notes at the default tempo: three minutes.
std::string WriteLongMidi() {
  std::vector<uint8_t> track;
  for (int i = 0; i < 360; ++i) {
    const uint8_t key = static_cast<uint8_t>(48 + i % 24);
    for (uint8_t b : {uint8_t{0x00}, uint8_t{0x90}, key, uint8_t{100}, uint8_t{0x60}, uint8_t{0x80}, key, uint8_t{0}}) {
      track.push_back(b);
    }
  }
  for (uint8_t b : {0x00, 0xFF, 0x2F, 0x00}) track.push_back(b);
  std::vector<uint8_t> file = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 96, 'M', 'T', 'r', 'k'};
  const auto size = static_cast<uint32_t>(track.size());
  for (int shift : {24, 16, 8, 0}) file.push_back(static_cast<uint8_t>(size >> shift));
  file.insert(file.end(), track.begin(), track.end());
  const std::string path = (std::filesystem::temp_directory_path() / "kilnforge_bench_long.mid").string();
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(file.data()),
                                              static_cast<std::streamsize>(file.size()));
  return path;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string path = argc > 1 ? argv[1] : WriteLongMidi();
  auto device = OpenALDevice::OpenLoopback(44100);
  if (device == nullptr) {
    std::printf("no loopback sound device\n");
    return 1;
  }
  AudioDevice_Use(std::move(device));
  std::string reply;
  const Clock::time_point start = Clock::now();
  if (Media_SendCommand("open \"" + path + "\" alias music", reply) != 0) {
    std::printf("cannot open %s\n", path.c_str());
    return 1;
  }
  Media_SendCommand("play music", reply);
  const Clock::time_point played = Clock::now();
  MusicStreamInfo info;
  while (Media_StreamInfo("music", info) && info.buffersQueued == 0 && !info.failed) {
    Media_Tick();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  const Clock::time_point queued = Clock::now();
  std::printf("open + play on the calling thread: %.2f ms\n", Milliseconds(start, played));
  std::printf("first music queued on the device:  %.2f ms\n", Milliseconds(start, queued));
  std::printf("decoded ahead by then: %lld frames\n", static_cast<long long>(info.framesDecoded));
  Media_CloseAll();
  AudioDevice_Stop();
  return 0;
}
