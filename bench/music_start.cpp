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
#include "support/midi_file.h"

namespace {

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double, std::milli>(to - from).count();
}

// 360 quarter notes at the default tempo: three minutes.
std::string WriteLongMidi() {
  const std::vector<uint8_t> file = MidiOfQuarterNotes(360);
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
