#include "support/cd_disc_image.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>

int16_t DiscSample(int track, int index) {
  if (index % 2 == 1) return int16_t(track * 100);
  return int16_t(8000 * std::sin(index / 2 * 2 * M_PI * 220 * track / 44100));
}

std::string WriteDiscImage(const std::string& folder, int tracks) {
  const std::filesystem::path dir(folder);
  std::filesystem::create_directories(dir);
  std::ofstream bin(dir / "disc.bin", std::ios::binary);
  std::ofstream cue(dir / "disc.cue");
  cue << "FILE \"disc.bin\" BINARY\n";
  for (int t = 1; t <= tracks; ++t) {
    const int start = (t - 1) * kDiscFramesPerTrack;
    char lines[96];
    std::snprintf(lines, sizeof lines, "  TRACK %02d AUDIO\n    INDEX 01 %02d:%02d:%02d\n", t, start / 75 / 60,
                  start / 75 % 60, start % 75);
    cue << lines;
    for (int i = 0; i < kDiscFramesPerTrack * kDiscSamplesPerFrame; ++i) {
      const int16_t s = DiscSample(t, i);
      bin.write(reinterpret_cast<const char*>(&s), 2);
    }
  }
  return (dir / "disc.cue").string();
}
