// The sound device: the one interface through which both sound engines and the music player
// reach the sound library. Backends: openal/ (OpenAL Soft with freealut) and null/ (no sound
// card, or sound switched off), chosen once by AudioDevice_Start.
//
// Buffers and sources are the library's own names (u32, 0 is "none"); they never leave the
// audio subsystem. Errors are collected by the device and taken with TakeError, so callers can
// log them in their own words and carry on.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

enum class SourceState { Initial, Playing, Paused, Stopped };

struct BufferInfo {
  int32_t size = 0, bits = 0, channels = 0, frequency = 0;
};

// Where a source's parameter goes (the subset the engines set).
enum class SourceParam { Gain, Pitch, MaxDistance, ReferenceDistance, RolloffFactor };
enum class SourceVector { Position, Velocity };

class AudioDevice {
 public:
  virtual ~AudioDevice() = default;

  virtual bool IsNull() const = 0;

  // A buffer from a complete WAVE file image; 0 when the image cannot be read (the reason is
  // in LastLoadError).
  virtual uint32_t CreateBufferFromWave(std::span<const uint8_t> image) = 0;
  // A buffer from interleaved signed 16-bit samples (1 or 2 channels).
  virtual uint32_t CreateBufferFromPcm(std::span<const int16_t> samples, int32_t channels, int32_t rate) = 0;
  virtual void DeleteBuffer(uint32_t buffer) = 0;
  // Streaming: empty buffers to fill, (re)filling one, and a source's queue of buffers.
  virtual std::vector<uint32_t> GenBuffers(int32_t count) = 0;
  virtual void FillBuffer(uint32_t buffer, std::span<const int16_t> samples, int32_t channels, int32_t rate) = 0;
  virtual void QueueBuffer(uint32_t source, uint32_t buffer) = 0;
  // Takes the buffers the source has finished playing off its queue.
  virtual std::vector<uint32_t> UnqueueProcessed(uint32_t source) = 0;
  virtual int32_t QueuedCount(uint32_t source) = 0;
  virtual BufferInfo GetBufferInfo(uint32_t buffer) = 0;

  // Generates count sources; fewer (or none) when the library refuses.
  virtual std::vector<uint32_t> GenSources(int32_t count) = 0;
  virtual void DeleteSources(const std::vector<uint32_t>& sources) = 0;
  virtual void SetBuffer(uint32_t source, uint32_t buffer) = 0;
  virtual void SetParam(uint32_t source, SourceParam param, float value) = 0;
  virtual void SetVector(uint32_t source, SourceVector which, float x, float y, float z) = 0;
  virtual void SetLooping(uint32_t source, bool loop) = 0;
  virtual void SetRelative(uint32_t source, bool relative) = 0;
  virtual void Play(uint32_t source) = 0;
  virtual void Stop(uint32_t source) = 0;
  virtual void Pause(uint32_t source) = 0;
  virtual SourceState GetState(uint32_t source) = 0;

  virtual void SetListenerVector(SourceVector which, float x, float y, float z) = 0;
  virtual void SetListenerOrientation(const float (&atUp)[6]) = 0;
  virtual void SetListenerGain(float gain) = 0;
  // 0 none, 1 inverse, 2 inverse clamped, 3 linear, 4 linear clamped, 5 exponent,
  // 6 exponent clamped.
  virtual void SetDistanceModel(int32_t model) = 0;

  // The library's pending error code (0 none), cleared by the call.
  virtual int32_t TakeError() = 0;
  // The pending error of the WAVE loader (0 none) with its text, cleared by the call.
  virtual int32_t TakeLoadError(std::string& text) = 0;
};

// The device in use; the null device until AudioDevice_Start opened a real one.
AudioDevice& Audio_Device();

// Opens the default output device unless soundOff is set. When no device opens, logs one line
// and the null device stays (the game runs silent). Returns true when real sound is available.
bool AudioDevice_Start(bool soundOff);
// Uses a device made by the caller (a test's loopback device); null restores the null device.
void AudioDevice_Use(std::unique_ptr<AudioDevice> device);
// Closes the device; the null device is used from then on.
void AudioDevice_Stop();
