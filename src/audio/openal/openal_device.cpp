#include "audio/openal/openal_device.h"

#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>
#include <AL/alut.h>

#include "audio/wave_image.h"
#include "platform/console.h"

namespace {

ALenum ParamName(SourceParam param) {
  switch (param) {
    case SourceParam::Gain: return AL_GAIN;
    case SourceParam::Pitch: return AL_PITCH;
    case SourceParam::MaxDistance: return AL_MAX_DISTANCE;
    case SourceParam::ReferenceDistance: return AL_REFERENCE_DISTANCE;
    case SourceParam::RolloffFactor: return AL_ROLLOFF_FACTOR;
  }
  return AL_GAIN;
}

ALenum VectorName(SourceVector which) { return which == SourceVector::Position ? AL_POSITION : AL_VELOCITY; }

}  // namespace

OpenALDevice::OpenALDevice(ALCdevice* device, ALCcontext* context, bool loopback)
    : device_(device), context_(context), loopback_(loopback) {}

std::unique_ptr<OpenALDevice> OpenALDevice::OpenDefault() {
  ALCdevice* device = alcOpenDevice(nullptr);
  if (device == nullptr) return nullptr;
  ALCcontext* context = alcCreateContext(device, nullptr);
  if (context == nullptr || alcMakeContextCurrent(context) == ALC_FALSE) {
    if (context != nullptr) alcDestroyContext(context);
    alcCloseDevice(device);
    return nullptr;
  }
  return std::unique_ptr<OpenALDevice>(new OpenALDevice(device, context, false));
}

std::unique_ptr<OpenALDevice> OpenALDevice::OpenLoopback(int32_t frequency) {
  auto open = reinterpret_cast<LPALCLOOPBACKOPENDEVICESOFT>(alcGetProcAddress(nullptr, "alcLoopbackOpenDeviceSOFT"));
  if (open == nullptr) return nullptr;
  ALCdevice* device = open(nullptr);
  if (device == nullptr) return nullptr;
  const ALCint attributes[] = {ALC_FORMAT_CHANNELS_SOFT, ALC_STEREO_SOFT, ALC_FORMAT_TYPE_SOFT, ALC_SHORT_SOFT,
                               ALC_FREQUENCY, frequency, 0};
  ALCcontext* context = alcCreateContext(device, attributes);
  if (context == nullptr || alcMakeContextCurrent(context) == ALC_FALSE) {
    if (context != nullptr) alcDestroyContext(context);
    alcCloseDevice(device);
    return nullptr;
  }
  return std::unique_ptr<OpenALDevice>(new OpenALDevice(device, context, true));
}

OpenALDevice::~OpenALDevice() {
  alcMakeContextCurrent(nullptr);
  alcDestroyContext(context_);
  alcCloseDevice(device_);
}

void OpenALDevice::RenderMix(int16_t* out, int32_t frames) {
  if (!loopback_) return;
  auto render = reinterpret_cast<LPALCRENDERSAMPLESSOFT>(alcGetProcAddress(device_, "alcRenderSamplesSOFT"));
  if (render != nullptr) render(device_, out, frames);
}

uint32_t OpenALDevice::CreateBufferFromWave(std::span<const uint8_t> image) {
  WaveSamples wave;
  switch (Wave_Decode(image, wave)) {
    case WaveError::None: break;
    case WaveError::NotWave: loadError_ = ALUT_ERROR_UNSUPPORTED_FILE_TYPE; return 0;
    case WaveError::Unsupported: loadError_ = ALUT_ERROR_UNSUPPORTED_FILE_SUBTYPE; return 0;
    case WaveError::Truncated: loadError_ = ALUT_ERROR_CORRUPT_OR_TRUNCATED_DATA; return 0;
  }
  return CreateBufferFromPcm(wave.samples, wave.channels, wave.rate);
}

uint32_t OpenALDevice::CreateBufferFromPcm(std::span<const int16_t> samples, int32_t channels, int32_t rate) {
  ALuint buffer = 0;
  alGenBuffers(1, &buffer);
  if (buffer == 0) return 0;
  FillBuffer(buffer, samples, channels, rate);
  return buffer;
}

std::vector<uint32_t> OpenALDevice::GenBuffers(int32_t count) {
  std::vector<uint32_t> buffers;
  for (int32_t i = 0; i < count; ++i) {
    ALuint buffer = 0;
    alGenBuffers(1, &buffer);
    if (alGetError() != AL_NO_ERROR || buffer == 0) break;
    buffers.push_back(buffer);
  }
  return buffers;
}

void OpenALDevice::FillBuffer(uint32_t buffer, std::span<const int16_t> samples, int32_t channels, int32_t rate) {
  const ALsizei bytes = static_cast<ALsizei>(samples.size_bytes());
  alBufferData(buffer, channels == 2 ? AL_FORMAT_STEREO16 : AL_FORMAT_MONO16, samples.data(), bytes, rate);
}

void OpenALDevice::QueueBuffer(uint32_t source, uint32_t buffer) {
  const ALuint name = buffer;
  alSourceQueueBuffers(source, 1, &name);
}

std::vector<uint32_t> OpenALDevice::UnqueueProcessed(uint32_t source) {
  ALint processed = 0;
  alGetSourcei(source, AL_BUFFERS_PROCESSED, &processed);
  std::vector<uint32_t> buffers;
  for (ALint i = 0; i < processed; ++i) {
    ALuint name = 0;
    alSourceUnqueueBuffers(source, 1, &name);
    if (name != 0) buffers.push_back(name);
  }
  return buffers;
}

int32_t OpenALDevice::QueuedCount(uint32_t source) {
  ALint queued = 0;
  alGetSourcei(source, AL_BUFFERS_QUEUED, &queued);
  return queued;
}

void OpenALDevice::DeleteBuffer(uint32_t buffer) {
  if (buffer == 0) return;
  const ALuint name = buffer;
  alDeleteBuffers(1, &name);
}

BufferInfo OpenALDevice::GetBufferInfo(uint32_t buffer) {
  BufferInfo info;
  alGetBufferi(buffer, AL_SIZE, &info.size);
  alGetBufferi(buffer, AL_BITS, &info.bits);
  alGetBufferi(buffer, AL_CHANNELS, &info.channels);
  alGetBufferi(buffer, AL_FREQUENCY, &info.frequency);
  return info;
}

std::vector<uint32_t> OpenALDevice::GenSources(int32_t count) {
  std::vector<uint32_t> sources;
  for (int32_t i = 0; i < count; ++i) {
    ALuint source = 0;
    alGenSources(1, &source);
    if (alGetError() != AL_NO_ERROR) break;
    sources.push_back(source);
  }
  return sources;
}

void OpenALDevice::DeleteSources(const std::vector<uint32_t>& sources) {
  for (uint32_t s : sources) {
    const ALuint name = s;
    alSourceStop(name);
    alDeleteSources(1, &name);
  }
}

void OpenALDevice::SetBuffer(uint32_t source, uint32_t buffer) { alSourcei(source, AL_BUFFER, static_cast<ALint>(buffer)); }
void OpenALDevice::SetParam(uint32_t source, SourceParam param, float value) { alSourcef(source, ParamName(param), value); }
void OpenALDevice::SetVector(uint32_t source, SourceVector which, float x, float y, float z) {
  alSource3f(source, VectorName(which), x, y, z);
}
void OpenALDevice::SetLooping(uint32_t source, bool loop) { alSourcei(source, AL_LOOPING, loop ? AL_TRUE : AL_FALSE); }
void OpenALDevice::SetRelative(uint32_t source, bool relative) {
  alSourcei(source, AL_SOURCE_RELATIVE, relative ? AL_TRUE : AL_FALSE);
}
void OpenALDevice::Play(uint32_t source) { alSourcePlay(source); }
void OpenALDevice::Stop(uint32_t source) { alSourceStop(source); }
void OpenALDevice::Pause(uint32_t source) { alSourcePause(source); }

SourceState OpenALDevice::GetState(uint32_t source) {
  ALint state = AL_STOPPED;
  alGetSourcei(source, AL_SOURCE_STATE, &state);
  switch (state) {
    case AL_INITIAL: return SourceState::Initial;
    case AL_PLAYING: return SourceState::Playing;
    case AL_PAUSED: return SourceState::Paused;
    default: return SourceState::Stopped;
  }
}

void OpenALDevice::SetListenerVector(SourceVector which, float x, float y, float z) {
  alListener3f(VectorName(which), x, y, z);
}
void OpenALDevice::SetListenerOrientation(const float (&atUp)[6]) { alListenerfv(AL_ORIENTATION, atUp); }
void OpenALDevice::SetListenerGain(float gain) { alListenerf(AL_GAIN, gain); }

void OpenALDevice::SetDistanceModel(int32_t model) {
  static constexpr ALenum kModels[] = {AL_NONE,
                                       AL_INVERSE_DISTANCE,
                                       AL_INVERSE_DISTANCE_CLAMPED,
                                       AL_LINEAR_DISTANCE,
                                       AL_LINEAR_DISTANCE_CLAMPED,
                                       AL_EXPONENT_DISTANCE,
                                       AL_EXPONENT_DISTANCE_CLAMPED};
  if (model >= 0 && model <= 6) alDistanceModel(kModels[model]);
}

int32_t OpenALDevice::TakeError() { return static_cast<int32_t>(alGetError()); }

int32_t OpenALDevice::TakeLoadError(std::string& text) {
  const int32_t code = loadError_;
  loadError_ = 0;
  if (code != 0) text = alutGetErrorString(code);
  return code;
}
