// Audio CD images for the CD tests: a CUE sheet and its BIN file of tracks of generated tone.
#pragma once

#include <cstdint>
#include <string>

inline constexpr int kDiscFramesPerTrack = 150;        // two seconds of 75 frames
inline constexpr int kDiscSamplesPerFrame = 2352 / 2;  // 588 stereo pairs of 16-bit samples

// Sample `index` of a track: left a tone, right 100 times the track number, so that samples show
// which track they came from.
int16_t DiscSample(int track, int index);

// Writes "disc.cue" and "disc.bin" of `tracks` two-second tracks into folder; the CUE's path.
std::string WriteDiscImage(const std::string& folder, int tracks);
