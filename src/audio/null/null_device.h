// The silent sound device: used with "-noaudio" and when no output device opens. It hands out
// no buffers, so nothing ever plays; sources exist only as numbers and always read stopped.
#pragma once

#include "audio/audio_device.h"

class NullAudioDevice : public AudioDevice {
 public:
  bool IsNull() const override { return true; }
  uint32_t CreateBufferFromWave(std::span<const uint8_t>) override { return 0; }
  uint32_t CreateBufferFromPcm(std::span<const int16_t>, int32_t, int32_t) override { return 0; }
  void DeleteBuffer(uint32_t) override {}
  std::vector<uint32_t> GenBuffers(int32_t) override { return {}; }
  void FillBuffer(uint32_t, std::span<const int16_t>, int32_t, int32_t) override {}
  void QueueBuffer(uint32_t, uint32_t) override {}
  std::vector<uint32_t> UnqueueProcessed(uint32_t) override { return {}; }
  int32_t QueuedCount(uint32_t) override { return 0; }
  BufferInfo GetBufferInfo(uint32_t) override { return {}; }
  std::vector<uint32_t> GenSources(int32_t count) override {
    std::vector<uint32_t> sources;
    for (int32_t i = 0; i < count; ++i) sources.push_back(static_cast<uint32_t>(i + 1));
    return sources;
  }
  void DeleteSources(const std::vector<uint32_t>&) override {}
  void SetBuffer(uint32_t, uint32_t) override {}
  void SetParam(uint32_t, SourceParam, float) override {}
  void SetVector(uint32_t, SourceVector, float, float, float) override {}
  void SetLooping(uint32_t, bool) override {}
  void SetRelative(uint32_t, bool) override {}
  void Play(uint32_t) override {}
  void Stop(uint32_t) override {}
  void Pause(uint32_t) override {}
  SourceState GetState(uint32_t) override { return SourceState::Stopped; }
  void SetListenerVector(SourceVector, float, float, float) override {}
  void SetListenerOrientation(const float (&)[6]) override {}
  void SetListenerGain(float) override {}
  void SetDistanceModel(int32_t) override {}
  int32_t TakeError() override { return 0; }
  int32_t TakeLoadError(std::string&) override { return 0; }
};
