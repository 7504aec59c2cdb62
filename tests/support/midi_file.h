// A MIDI file made in memory: one track of quarter notes climbing two octaves and starting
// again, each half a second long at the default tempo (so n notes last n / 2 seconds). Header
// only, so that the benchmarks can use it without the test libraries.
#pragma once

#include <cstdint>
#include <vector>

inline std::vector<uint8_t> MidiOfQuarterNotes(int notes) {
  std::vector<uint8_t> track;
  for (int i = 0; i < notes; ++i) {
    const uint8_t key = static_cast<uint8_t>(48 + i % 24);
    // Note on at once, note off a quarter (96 ticks) later.
    for (uint8_t b : {uint8_t{0x00}, uint8_t{0x90}, key, uint8_t{100}, uint8_t{0x60}, uint8_t{0x80}, key, uint8_t{0}}) {
      track.push_back(b);
    }
  }
  for (uint8_t b : {0x00, 0xFF, 0x2F, 0x00}) track.push_back(b);  // end of track
  std::vector<uint8_t> file = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 96, 'M', 'T', 'r', 'k'};
  const auto size = static_cast<uint32_t>(track.size());
  for (int shift : {24, 16, 8, 0}) file.push_back(static_cast<uint8_t>(size >> shift));
  file.insert(file.end(), track.begin(), track.end());
  return file;
}
