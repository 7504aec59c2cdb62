// The sound device over OpenAL Soft: the only code of the runner that calls the library.
#pragma once

#include <memory>

#include "audio/audio_device.h"

struct ALCdevice_struct;
struct ALCcontext_struct;

class OpenALDevice final : public AudioDevice {
 public:
  // The default output device; null (after a log line) when none opens.
  static std::unique_ptr<OpenALDevice> OpenDefault();
  // A loopback device that mixes into memory as 16-bit stereo at the given rate: tests render
  // the mix with RenderMix. Null when the library lacks loopback.
  static std::unique_ptr<OpenALDevice> OpenLoopback(int32_t frequency);
  ~OpenALDevice() override;

  // Loopback only: mixes frames of stereo 16-bit samples into out (2 * frames values).
  void RenderMix(int16_t* out, int32_t frames);

  bool IsNull() const override { return false; }
  uint32_t CreateBufferFromWave(std::span<const uint8_t> image) override;
  uint32_t CreateBufferFromPcm(std::span<const int16_t> samples, int32_t channels, int32_t rate) override;
  void DeleteBuffer(uint32_t buffer) override;
  std::vector<uint32_t> GenBuffers(int32_t count) override;
  void FillBuffer(uint32_t buffer, std::span<const int16_t> samples, int32_t channels, int32_t rate) override;
  void QueueBuffer(uint32_t source, uint32_t buffer) override;
  std::vector<uint32_t> UnqueueProcessed(uint32_t source) override;
  int32_t QueuedCount(uint32_t source) override;
  BufferInfo GetBufferInfo(uint32_t buffer) override;
  std::vector<uint32_t> GenSources(int32_t count) override;
  void DeleteSources(const std::vector<uint32_t>& sources) override;
  void SetBuffer(uint32_t source, uint32_t buffer) override;
  void SetParam(uint32_t source, SourceParam param, float value) override;
  void SetVector(uint32_t source, SourceVector which, float x, float y, float z) override;
  void SetLooping(uint32_t source, bool loop) override;
  void SetRelative(uint32_t source, bool relative) override;
  void Play(uint32_t source) override;
  void Stop(uint32_t source) override;
  void Pause(uint32_t source) override;
  SourceState GetState(uint32_t source) override;
  void SetListenerVector(SourceVector which, float x, float y, float z) override;
  void SetListenerOrientation(const float (&atUp)[6]) override;
  void SetListenerGain(float gain) override;
  void SetDistanceModel(int32_t model) override;
  int32_t TakeError() override;
  int32_t TakeLoadError(std::string& text) override;

 private:
  OpenALDevice(ALCdevice_struct* device, ALCcontext_struct* context, bool loopback);

  ALCdevice_struct* device_;
  ALCcontext_struct* context_;
  bool loopback_;
  int32_t loadError_ = 0;
};
