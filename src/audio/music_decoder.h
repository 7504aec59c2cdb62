// Decoders of music files into interleaved signed 16-bit samples, read a block at a time:
// MP3 through libmpg123, MIDI synthesised by FluidSynth with the system's General MIDI
// SoundFont. A decoder belongs to one thread at a time (the music stream's decoder thread).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class MusicDecoder {
 public:
  virtual ~MusicDecoder() = default;
  // The format of what Read gives (1 or 2 channels).
  virtual int32_t Channels() const = 0;
  virtual int32_t Rate() const = 0;
  // Appends up to frames frames to out; appends nothing at the end of the music.
  virtual void Read(std::vector<int16_t>& out, int32_t frames) = 0;
  // Back to the start of the music; false when that is not possible.
  virtual bool Rewind() = 0;
};

// Whether the file can be played: a readable MP3 with a known format, or a MIDI file while
// the SoundFont is installed. Cheap: nothing is decoded or synthesised.
bool MusicDecoder_CanOpen(const std::string& path);
// The decoder of a file; null when it cannot be opened. Opening a MIDI decoder loads the
// SoundFont, so it is done on the decoder thread.
std::unique_ptr<MusicDecoder> MusicDecoder_Open(const std::string& path);
