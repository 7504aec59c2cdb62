// One music file played as a stream: a decoder thread decodes (or synthesises) a few seconds
// ahead into blocks of samples, and the sound back end's tick (Service, on the main thread)
// moves finished blocks into a small queue of device buffers on the stream's own source. So
// starting a long piece costs nothing on the main thread, and memory stays bounded whatever
// the music's length.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "audio/music_decoder.h"

// What a stream is doing, for status commands and tests.
struct MusicStreamInfo {
  bool opened = false;      // the decoder thread has opened the file
  bool finished = false;    // the decoder has reached the end (and does not repeat)
  bool failed = false;      // the decoder could not be opened on its thread
  int64_t framesDecoded = 0;  // since the last start from the beginning
  int32_t buffersQueued = 0;  // device buffers waiting on the source
};

class CMusicStream {
 public:
  // Seconds of music the decoder keeps ready ahead of what the device holds.
  static constexpr int32_t kBlockFrames = 8192;
  static constexpr int32_t kBlocksAhead = 12;
  static constexpr int32_t kDeviceBuffers = 4;

  // The decoder thread starts at once; nothing is decoded on the caller's thread.
  explicit CMusicStream(std::string path);
  ~CMusicStream();
  CMusicStream(const CMusicStream&) = delete;
  CMusicStream& operator=(const CMusicStream&) = delete;

  // Plays from where it is (a stopped stream from its start); repeat loops at the end.
  void Play(bool repeat);
  void Pause();
  // Stops and goes back to the start.
  void Stop();
  void SetGain(float gain);
  // "playing", "paused" or "stopped".
  const char* Mode() const;

  // The back end's tick: refills the device's queue and notices the end of the music.
  void Service();

  MusicStreamInfo Info();

 private:
  enum class PlayMode { Stopped, Playing, Paused };
  struct Block {
    std::vector<int16_t> samples;
    int32_t channels = 2, rate = 44100;
  };

  void DecoderLoop();
  void Rewind();
  bool TakeBlock(Block& block);

  std::string path_;
  PlayMode mode_ = PlayMode::Stopped;
  uint32_t source_ = 0;
  std::vector<uint32_t> freeBuffers_;
  std::vector<uint32_t> allBuffers_;

  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<Block> blocks_;
  bool quit_ = false;
  bool rewind_ = false;
  bool repeat_ = false;
  bool opened_ = false;
  bool finished_ = false;
  bool failed_ = false;
  int64_t framesDecoded_ = 0;
  std::thread thread_;
};
