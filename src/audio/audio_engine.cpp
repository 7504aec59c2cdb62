#include "audio/audio_engine.h"

#include <memory>

#include "audio/audio_device.h"
#include "audio/sound_hardware.h"
#include "data/game_options.h"
#include "platform/console.h"

namespace {

struct AudioAsset {
  std::string name;
  std::optional<std::string> fileName;
  float volume = 1.0f;
  bool music = false;
  SampleEntry sample;
  int32_t dataIndex = 0;
  uint32_t buffer = 0;
};

struct AudioVoice {
  bool loop = false;
  bool active = false;
  bool replaced = false;
  int32_t source = -1;
  int32_t id = 0;
  int32_t asset = 0;
  float priority = 1.0f;
};

struct AudioEmitter {
  float x = 0, y = 0, z = 0, vx = 0, vy = 0, vz = 0;
  bool active = false;
  float falloffReference = 100.0f, falloffMaximum = 100000.0f, falloffFactor = 1.0f;
  float gain = 1.0f, pitch = 1.0f;
  std::vector<int32_t> voices;  // indices into the voice table; -1 for an empty entry
};

struct AudioListener {
  float x = 0, y = 0, z = 0, vx = 0, vy = 0, vz = 0;
  float at[3] = {0, 0, -1}, up[3] = {0, 0, 1};
};

constexpr float kDefaultMaxDistance = 100000.0f;
constexpr int32_t kEmitterGrowth = 8;

SoundHardware* g_hardware = nullptr;
std::vector<std::unique_ptr<AudioAsset>> g_assets;
std::vector<AudioVoice> g_voices;
int32_t g_nextVoiceId = kFirstVoiceId;
std::vector<uint32_t> g_pool;
int32_t g_channels = kDefaultChannels;
std::vector<std::unique_ptr<AudioEmitter>> g_emitters;
std::unique_ptr<AudioListener> g_listener;

AudioDevice& Device() { return Audio_Device(); }

AudioAsset* Asset(int32_t index) {
  return index >= 0 && static_cast<size_t>(index) < g_assets.size() ? g_assets[static_cast<size_t>(index)].get() : nullptr;
}

AudioEmitter* Emitter(int32_t index) {
  return index >= 0 && static_cast<size_t>(index) < g_emitters.size() ? g_emitters[static_cast<size_t>(index)].get()
                                                                       : nullptr;
}

// The pool source of a voice; 0 when its index is not in the pool.
uint32_t SourceOf(const AudioVoice& voice) {
  return voice.source >= 0 && static_cast<size_t>(voice.source) < g_pool.size() ? g_pool[static_cast<size_t>(voice.source)]
                                                                                 : 0;
}

bool Live(const AudioVoice& voice) { return voice.active && !voice.replaced && SourceOf(voice) != 0; }

void LogIfError(const char* text) {
  if (Device().TakeError() != 0) g_DebugConsole->Output("%s", text);
}

int32_t AllocVoice() {
  for (size_t i = 0; i < g_voices.size(); ++i) {
    if (!g_voices[i].active) {
      g_voices[i].active = true;
      g_voices[i].replaced = false;
      return static_cast<int32_t>(i);
    }
  }
  g_voices.emplace_back();
  g_voices.back().active = true;
  return static_cast<int32_t>(g_voices.size() - 1);
}

AudioVoice& StartVoice(int32_t source, int32_t asset, int32_t loop, float priority, int32_t* index = nullptr) {
  const int32_t v = AllocVoice();
  // A reused record leaves the emitter that played it before, which would otherwise go on
  // moving the new play.
  for (auto& emitter : g_emitters) {
    if (!emitter) continue;
    for (int32_t& entry : emitter->voices) {
      if (entry == v) entry = -1;
    }
  }
  AudioVoice& voice = g_voices[static_cast<size_t>(v)];
  voice.id = g_nextVoiceId++;
  voice.source = source;
  voice.asset = asset;
  voice.loop = loop > 0;
  voice.priority = priority;
  if (index != nullptr) *index = v;
  return voice;
}

AudioVoice* FindVoice(int32_t id) {
  for (AudioVoice& voice : g_voices) {
    if (voice.active && voice.id == id) return &voice;
  }
  return nullptr;
}

void StopVoice(AudioVoice& voice, int32_t reportAs) {
  if (!voice.replaced && SourceOf(voice) != 0) {
    Device().Stop(SourceOf(voice));
    if (const int32_t code = Device().TakeError(); code != 0) {
      g_DebugConsole->Output("Error stopping sound %d error code %d\n", reportAs, code);
    }
  }
  voice.active = false;
  voice.replaced = false;
}

// Pauses (or resumes) a voice found in the from state.
void Toggle(AudioVoice& voice, bool pause, int32_t reportAs) {
  if (!Live(voice)) return;
  const uint32_t source = SourceOf(voice);
  if (Device().GetState(source) != (pause ? SourceState::Playing : SourceState::Paused)) return;
  pause ? Device().Pause(source) : Device().Play(source);
  if (const int32_t code = Device().TakeError(); code != 0) {
    g_DebugConsole->Output(pause ? "Error pausing sound %d error code %d\n" : "Error resuming sound %d error code %d\n",
                           reportAs, code);
  }
}

void ForVoicesOf(int32_t id, bool pause) {
  if (id >= kFirstVoiceId) {
    if (AudioVoice* voice = FindVoice(id)) Toggle(*voice, pause, id);
    return;
  }
  for (AudioVoice& voice : g_voices) {
    if (voice.active && voice.asset == id) Toggle(voice, pause, id);
  }
}

void MakePool() {
  g_pool = Device().GenSources(g_channels);
  if (const int32_t code = Device().TakeError(); code != 0) {
    g_DebugConsole->Output("Error creating audio sources %d\n", code);
  }
}

void FreePool() {
  Device().DeleteSources(g_pool);
  g_pool.clear();
}

}  // namespace

bool Audio_SwitchOn() { return Options_Get().newAudio && !Sound_IsOff(); }

bool Audio_Load(const GameDataReader& reader, ChunkSpan body) {
  g_DebugConsole->Output("Audio_Load()\n");
  const std::vector<uint32_t> offsets = reader.CountedList(body.offset);
  std::vector<std::unique_ptr<AudioAsset>> assets(offsets.size());
  for (size_t i = 0; i < offsets.size(); ++i) {
    if (offsets[i] == 0) continue;
    GameDataCursor record(reader, offsets[i]);
    const uint32_t name = record.U32();
    const int32_t kind = record.I32();
    record.U32();  // extension
    const uint32_t fileName = record.U32();
    record.I32();  // effects
    const float volume = record.F32();
    record.F32();  // pan
    record.I32();  // preload
    const int32_t dataIndex = record.I32();
    auto asset = std::make_unique<AudioAsset>();
    if (name != 0) asset->name = std::string(reader.Text(name));
    if (fileName != 0) asset->fileName = std::string(reader.Text(fileName));
    asset->music = kind > 0;
    asset->volume = volume;
    asset->dataIndex = dataIndex;
    assets[i] = std::move(asset);
  }
  for (auto& old : g_assets) {
    if (old) Device().DeleteBuffer(old->buffer);
  }
  g_assets = std::move(assets);
  return true;
}

bool Audio_WAVs(const std::vector<SampleEntry>& table) {
  g_DebugConsole->Output("Audio_WAVs()\n");
  for (auto& asset : g_assets) {
    if (!asset) continue;
    asset->sample.reset();
    if (asset->dataIndex >= 0 && static_cast<size_t>(asset->dataIndex) < table.size()) {
      asset->sample = table[static_cast<size_t>(asset->dataIndex)];
    }
  }
  return true;
}

void Audio_Init(SoundHardware* hardware) {
  g_hardware = hardware;
  if (!Audio_SwitchOn()) return;
  if (!g_listener) g_listener = std::make_unique<AudioListener>();
  FreePool();
  MakePool();
  Device().SetDistanceModel(1);
  Audio_ListenerPosition(0, 0, 0);
  Audio_ListenerOrientation(0, 0, 1, 0, 1, 0);
}

void Audio_CreateBuffers() {
  if (!Audio_SwitchOn()) return;
  AudioDevice& device = Device();
  for (auto& asset : g_assets) {
    if (!asset || !asset->sample || asset->music) continue;
    const uint32_t buffer = device.CreateBufferFromWave(*asset->sample);
    std::string text;
    const bool failed = device.TakeLoadError(text) != 0;
    if (device.TakeError() != 0 || failed) {
      device.DeleteBuffer(buffer);
      continue;
    }
    asset->buffer = buffer;
  }
}

void Audio_Shutdown() {
  FreePool();
  for (auto& asset : g_assets) {
    if (asset) Device().DeleteBuffer(asset->buffer);
  }
  g_assets.clear();
  g_voices.clear();
  g_emitters.clear();
  g_listener.reset();
  g_nextVoiceId = kFirstVoiceId;
  g_channels = kDefaultChannels;
  g_hardware = nullptr;
}

void Audio_Update() {
  if (!Audio_SwitchOn()) return;
  AudioDevice& device = Device();
  if (g_listener) {
    const AudioListener& l = *g_listener;
    device.SetListenerVector(SourceVector::Position, l.x, l.y, l.z);
    if (const int32_t code = device.TakeError(); code != 0) g_DebugConsole->Output("Error setting listener position %d\n", code);
    device.SetListenerVector(SourceVector::Velocity, l.vx, l.vy, l.vz);
    if (const int32_t code = device.TakeError(); code != 0) g_DebugConsole->Output("Error setting listener velocity %d\n", code);
    const float orientation[6] = {l.at[0], l.at[1], l.at[2], l.up[0], l.up[1], l.up[2]};
    device.SetListenerOrientation(orientation);
    if (const int32_t code = device.TakeError(); code != 0) {
      g_DebugConsole->Output("Error setting listener orientation %d\n", code);
    }
  }
  for (auto& emitter : g_emitters) {
    if (!emitter || !emitter->active) continue;
    for (int32_t v : emitter->voices) {
      if (v < 0) continue;
      AudioVoice& voice = g_voices[static_cast<size_t>(v)];
      if (!Live(voice)) continue;
      const uint32_t source = SourceOf(voice);
      const SourceState state = device.GetState(source);
      LogIfError("Error getting source state\n");
      if (state == SourceState::Stopped) {
        voice.active = false;
        voice.replaced = false;
        continue;
      }
      device.SetVector(source, SourceVector::Position, emitter->x, emitter->y, emitter->z);
      device.SetVector(source, SourceVector::Velocity, emitter->vx, emitter->vy, emitter->vz);
      LogIfError("Error updating emitter\n");
    }
  }
}

int32_t Audio_GetSource(float priority) {
  const size_t n = g_voices.size();
  if (const int32_t code = Device().TakeError(); code != 0) {
    g_DebugConsole->Output("Error prior to getting sound source %d\n", code);
  }
  for (size_t s = 0; s < g_pool.size(); ++s) {
    const SourceState state = Device().GetState(g_pool[s]);
    if (state != SourceState::Stopped && state != SourceState::Initial) continue;
    for (size_t v = 0; v < n; ++v) {
      if (g_voices[v].active && g_voices[v].source == static_cast<int32_t>(s)) {
        g_voices[v].active = false;
        g_voices[v].replaced = false;
      }
    }
    return static_cast<int32_t>(s);
  }
  AudioVoice* weakest = nullptr;
  for (size_t v = 0; v < n; ++v) {
    AudioVoice& voice = g_voices[v];
    if (!voice.active || voice.replaced || SourceOf(voice) == 0 || !(voice.priority < priority)) continue;
    if (weakest == nullptr || voice.priority < weakest->priority) weakest = &voice;
  }
  if (weakest == nullptr) return -1;
  Device().Stop(SourceOf(*weakest));
  if (const int32_t code = Device().TakeError(); code != 0) g_DebugConsole->Output("Error stopping sample %d\n", code);
  weakest->replaced = true;
  return weakest->source;
}

int32_t Audio_PlaySound(int32_t asset, float priority, int32_t loop) {
  if (!Audio_SwitchOn()) return -1;
  // The asset is checked before a source is taken: a play that cannot happen stops nothing.
  const AudioAsset* a = Asset(asset);
  if (a == nullptr) return -1;
  const int32_t source = Audio_GetSource(priority);
  if (source < 0) return -1;
  LogIfError("Error before playing sample\n");
  AudioVoice& voice = StartVoice(source, asset, loop, priority);
  AudioDevice& device = Device();
  const uint32_t s = g_pool[static_cast<size_t>(source)];
  device.SetParam(s, SourceParam::MaxDistance, kDefaultMaxDistance);
  device.SetBuffer(s, a->buffer);
  device.SetLooping(s, loop >= 1);
  device.SetParam(s, SourceParam::Gain, a->volume);
  device.SetParam(s, SourceParam::Pitch, 1.0f);
  device.SetRelative(s, true);
  device.SetVector(s, SourceVector::Position, 0, 0, 0);
  device.SetVector(s, SourceVector::Velocity, 0, 0, 0);
  device.Play(s);
  LogIfError("Error playing simple sound\n");
  return voice.id;
}

int32_t Audio_PlaySoundAt(int32_t asset, float x, float y, float z, float falloffReference, float falloffMaximum,
                          float falloffFactor, int32_t loop, float priority) {
  if (!Audio_SwitchOn()) return -1;
  const AudioAsset* a = Asset(asset);
  if (a == nullptr) return -1;
  const int32_t source = Audio_GetSource(priority);
  if (source < 0) return -1;
  AudioVoice& voice = StartVoice(source, asset, loop, priority);
  AudioDevice& device = Device();
  const uint32_t s = g_pool[static_cast<size_t>(source)];
  LogIfError("Error prior to playing sample\n");
  device.SetRelative(s, false);
  device.SetParam(s, SourceParam::Gain, a->volume);
  device.SetBuffer(s, a->buffer);
  LogIfError("Error setting sample buffer\n");
  device.Play(s);
  device.SetParam(s, SourceParam::MaxDistance, falloffMaximum);
  LogIfError("Error playing sample\n");
  device.SetParam(s, SourceParam::ReferenceDistance, falloffReference);
  device.SetParam(s, SourceParam::RolloffFactor, falloffFactor);
  device.SetVector(s, SourceVector::Position, x, y, z);
  device.SetLooping(s, loop >= 1);
  device.SetVector(s, SourceVector::Velocity, 0, 0, 0);
  LogIfError("Error updating sample position\n");
  return voice.id;
}

int32_t Audio_PlaySoundOn(int32_t emitter, int32_t asset, int32_t loop, float priority) {
  if (!Audio_SwitchOn()) return -1;
  LogIfError("Error prior to playing sample 2\n");
  if (emitter < 0 || static_cast<size_t>(emitter) >= g_emitters.size()) return -1;
  AudioEmitter* e = Emitter(emitter);
  if (e == nullptr || !e->active) {
    g_DebugConsole->Output("Audio_PlaySound Attempting to play sound on inactive emitter %d\n", emitter);
    return -1;
  }
  const AudioAsset* a = Asset(asset);
  if (a == nullptr) return -1;
  const int32_t source = Audio_GetSource(priority);
  if (source < 0) return -1;
  int32_t index = -1;
  AudioVoice& voice = StartVoice(source, asset, loop, priority, &index);
  bool placed = false;
  for (int32_t& entry : e->voices) {
    if (entry < 0 || !g_voices[static_cast<size_t>(entry)].active) {
      entry = index;
      placed = true;
      break;
    }
  }
  if (!placed) e->voices.push_back(index);
  AudioDevice& device = Device();
  const uint32_t s = g_pool[static_cast<size_t>(source)];
  LogIfError("Error prior to playing sample\n");
  device.SetRelative(s, false);
  device.SetParam(s, SourceParam::MaxDistance, e->falloffMaximum);
  device.SetParam(s, SourceParam::Gain, e->gain * a->volume);
  device.SetParam(s, SourceParam::Pitch, e->pitch);
  device.SetBuffer(s, a->buffer);
  LogIfError("Error setting sample buffer\n");
  device.SetLooping(s, loop >= 1);
  device.Play(s);
  LogIfError("Error playing sample\n");
  device.SetParam(s, SourceParam::ReferenceDistance, e->falloffReference);
  device.SetParam(s, SourceParam::RolloffFactor, e->falloffFactor);
  return voice.id;
}

void Audio_StopSound(int32_t id) {
  if (!Audio_SwitchOn()) return;
  if (id >= kFirstVoiceId) {
    if (AudioVoice* voice = FindVoice(id)) StopVoice(*voice, id);
    return;
  }
  for (size_t i = 0; i < g_voices.size(); ++i) {
    if (g_voices[i].active && g_voices[i].asset == id) StopVoice(g_voices[i], static_cast<int32_t>(i));
  }
}

void Audio_PauseSound(int32_t id) {
  if (Audio_SwitchOn()) ForVoicesOf(id, true);
}
void Audio_ResumeSound(int32_t id) {
  if (Audio_SwitchOn()) ForVoicesOf(id, false);
}

void Audio_PauseAll() {
  if (!Audio_SwitchOn()) return;
  for (size_t i = 0; i < g_voices.size(); ++i) Toggle(g_voices[i], true, static_cast<int32_t>(i));
}

void Audio_ResumeAll() {
  if (!Audio_SwitchOn()) return;
  for (size_t i = 0; i < g_voices.size(); ++i) Toggle(g_voices[i], false, static_cast<int32_t>(i));
}

void Audio_StopAll() {
  if (!Audio_SwitchOn()) return;
  for (size_t i = 0; i < g_voices.size(); ++i) {
    if (g_voices[i].active) StopVoice(g_voices[i], static_cast<int32_t>(i));
  }
}

bool Audio_IsPlaying(int32_t id) {
  if (!Audio_SwitchOn()) return false;
  if (id >= kFirstVoiceId) {
    const AudioVoice* voice = FindVoice(id);
    return voice != nullptr && Live(*voice) && Device().GetState(SourceOf(*voice)) == SourceState::Playing;
  }
  if (const AudioAsset* a = Asset(id); a != nullptr && a->music) {
    const std::string& name = a->fileName ? *a->fileName : std::string();
    const bool mp3 = name.size() >= 4 && name.compare(name.size() - 4, 4, ".mp3") == 0;
    return mp3 && g_hardware != nullptr && g_hardware->PlayingMP3();
  }
  for (const AudioVoice& voice : g_voices) {
    if (voice.active && voice.asset == id && Live(voice) && Device().GetState(SourceOf(voice)) == SourceState::Playing) {
      return true;
    }
  }
  return false;
}

int32_t Audio_GetType(int32_t asset) {
  const AudioAsset* a = Asset(asset);
  return a == nullptr ? -1 : (a->music ? 1 : 0);
}

float Audio_SoundLength(int32_t id) {
  if (!Audio_SwitchOn()) return -1.0f;
  const AudioAsset* a = nullptr;
  if (id >= kFirstVoiceId) {
    if (const AudioVoice* voice = FindVoice(id)) a = Asset(voice->asset);
  } else {
    a = Asset(id);
  }
  if (a == nullptr || a->buffer == 0) return -1.0f;
  AudioDevice& device = Device();
  const BufferInfo info = device.GetBufferInfo(a->buffer);
  if (device.TakeError() != 0) return -1.0f;
  // Counts of an unreadable buffer would divide by zero: such a buffer has no length.
  if (info.channels <= 0 || info.bits < 8 || info.frequency <= 0 || info.size < 0) return -1.0f;
  const uint32_t frames = static_cast<uint32_t>(info.size) / static_cast<uint32_t>(info.channels) /
                          (static_cast<uint32_t>(info.bits) / 8u);
  return static_cast<float>(static_cast<double>(frames) / static_cast<double>(info.frequency));
}

void Audio_PlayMusic(int32_t asset, bool loop) {
  const AudioAsset* a = Asset(asset);
  if (g_hardware == nullptr || a == nullptr || !a->fileName) return;
  const std::string& name = *a->fileName;
  const auto endsWith = [&name](std::string_view ext) {
    return name.size() >= ext.size() && name.compare(name.size() - ext.size(), ext.size(), ext) == 0;
  };
  if (endsWith(".mp3")) {
    g_hardware->PlayMP3(name, loop);
  } else if (endsWith(".mid") || endsWith(".midi")) {
    g_hardware->PlayMIDI(name, loop);
  }
}

void Audio_StopMusic() {
  if (g_hardware != nullptr) g_hardware->StopMusic();
}

void Audio_MasterGain(double gain) {
  if (!Audio_SwitchOn()) return;
  if (gain < 0) gain = 0;
  Device().SetListenerGain(static_cast<float>(gain));
  if (g_hardware != nullptr) g_hardware->SetMusicVolume(static_cast<float>(gain), 10);
}

void Audio_FalloffSetModel(int32_t model) {
  if (model < 0 || model > 6) {
    g_DebugConsole->Output("Attempting to set audio falloff to unknown model\n");
    return;
  }
  Device().SetDistanceModel(model);
}

void Audio_SetChannelNum(int32_t count) {
  if (!Audio_SwitchOn() || count < 1) return;
  // Every voice loses its source: a voice kept on an old index would act on a source that now
  // belongs to another voice, or on one beyond a smaller pool.
  for (AudioVoice& voice : g_voices) {
    voice.active = false;
    voice.replaced = false;
  }
  g_channels = count;
  if (!g_pool.empty() || g_listener) {
    FreePool();
    MakePool();
  }
}

void Audio_ListenerPosition(float x, float y, float z) {
  if (!g_listener) return;
  g_listener->x = x;
  g_listener->y = y;
  g_listener->z = z;
}
void Audio_ListenerVelocity(float x, float y, float z) {
  if (!g_listener) return;
  g_listener->vx = x;
  g_listener->vy = y;
  g_listener->vz = z;
}
void Audio_ListenerOrientation(float atX, float atY, float atZ, float upX, float upY, float upZ) {
  if (!g_listener) return;
  g_listener->at[0] = atX;
  g_listener->at[1] = atY;
  g_listener->at[2] = atZ;
  g_listener->up[0] = upX;
  g_listener->up[1] = upY;
  g_listener->up[2] = upZ;
}

int32_t Audio_EmitterCreate() {
  if (!Audio_SwitchOn()) return -1;
  for (size_t i = 0; i < g_emitters.size(); ++i) {
    auto& entry = g_emitters[i];
    if (entry && entry->active) continue;
    if (!entry) entry = std::make_unique<AudioEmitter>();
    entry->active = true;
    return static_cast<int32_t>(i);
  }
  const size_t first = g_emitters.size();
  g_emitters.resize(first + kEmitterGrowth);
  g_emitters[first] = std::make_unique<AudioEmitter>();
  g_emitters[first]->active = true;
  return static_cast<int32_t>(first);
}

void Audio_EmitterFree(int32_t emitter) {
  if (!Audio_SwitchOn()) return;
  if (AudioEmitter* e = Emitter(emitter)) e->active = false;
}

bool Audio_EmitterExists(int32_t emitter) { return Emitter(emitter) != nullptr; }

void Audio_EmitterPosition(int32_t emitter, float x, float y, float z) {
  if (!Audio_SwitchOn()) return;
  if (AudioEmitter* e = Emitter(emitter)) {
    e->x = x;
    e->y = y;
    e->z = z;
  }
}

void Audio_EmitterVelocity(int32_t emitter, float x, float y, float z) {
  if (!Audio_SwitchOn()) return;
  if (AudioEmitter* e = Emitter(emitter)) {
    e->vx = x;
    e->vy = y;
    e->vz = z;
  }
}

void Audio_EmitterGain(int32_t emitter, float gain) {
  if (!Audio_SwitchOn() || !(gain >= 0)) return;
  if (AudioEmitter* e = Emitter(emitter)) e->gain = gain;
}

void Audio_EmitterPitch(int32_t emitter, float pitch) {
  if (!Audio_SwitchOn() || !(pitch >= 0)) return;
  if (AudioEmitter* e = Emitter(emitter)) e->pitch = pitch;
}

void Audio_EmitterFalloff(int32_t emitter, float reference, float maximum, float factor) {
  if (!Audio_SwitchOn()) return;
  AudioEmitter* e = Emitter(emitter);
  if (e == nullptr) return;
  e->falloffReference = reference;
  e->falloffMaximum = maximum;
  e->falloffFactor = factor;
  AudioDevice& device = Device();
  for (int32_t v : e->voices) {
    if (v < 0) continue;
    const AudioVoice& voice = g_voices[static_cast<size_t>(v)];
    if (!Live(voice)) continue;
    const uint32_t s = SourceOf(voice);
    const SourceState state = device.GetState(s);
    LogIfError("Error getting source state\n");
    if (state == SourceState::Stopped) continue;
    device.SetParam(s, SourceParam::MaxDistance, maximum);
    device.SetParam(s, SourceParam::ReferenceDistance, reference);
    device.SetParam(s, SourceParam::RolloffFactor, factor);
    LogIfError("Error updating emitter\n");
  }
}

int32_t Audio_FindAsset(std::string_view name) {
  for (size_t i = 0; i < g_assets.size(); ++i) {
    if (g_assets[i] && g_assets[i]->name == name) return static_cast<int32_t>(i);
  }
  return -1;
}

int32_t Audio_AssetCount() { return static_cast<int32_t>(g_assets.size()); }
int32_t Audio_EmitterTableLength() { return static_cast<int32_t>(g_emitters.size()); }
int32_t Audio_ChannelCount() { return g_channels; }
