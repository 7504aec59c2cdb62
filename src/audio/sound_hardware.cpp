#include "audio/sound_hardware.h"

#include <filesystem>
#include <vector>

#include "audio/audio_device.h"
#include "audio/audio_engine.h"
#include "audio/media_player.h"
#include "platform/cd_audio.h"
#include "platform/console.h"
#include "runner/game_locations.h"
#include "runner/main_loop.h"

namespace {

struct HardwareSlot {
  bool used = false;
  int32_t kind = 0;
  std::unique_ptr<HardwareSound> sound;
};

bool g_soundOff = false;
std::unique_ptr<SoundHardware> g_hardware;
std::vector<HardwareSlot> g_slots;
std::optional<std::string> g_musicSound;  // file name of the sound last started as music
int32_t g_mediaAlias = 0;
bool g_mediaOpen = false;

bool InRange(int32_t slot) { return slot >= 0 && static_cast<size_t>(slot) < g_slots.size(); }

std::string Alias() { return "MediaFile" + std::to_string(g_mediaAlias); }

// Sends a command; on failure logs the line made by fail(error text).
template <typename Fail>
bool Send(const std::string& command, std::string& reply, Fail fail) {
  const int32_t code = Media_SendCommand(command, reply);
  if (code == 0) return true;
  fail(Media_ErrorText(code));
  return false;
}

void MediaFile_Play(const std::string& name, bool loop) {
  const std::string path = !name.empty() && (name[0] == '\\' || name[0] == '/') ? name : GetGameDirectory() + name;
  std::string reply;
  // The previous device is closed: every play would otherwise keep one more decoded file.
  if (g_mediaOpen) Media_SendCommand("close " + Alias(), reply);
  ++g_mediaAlias;
  g_mediaOpen = true;
  const char* p = path.c_str();
  Send("open \"" + path + "\" type mpegvideo alias " + Alias(), reply,
       [p](const std::string& e) { g_DebugConsole->Output("error opening mp3 file %s - %s\n", p, e.c_str()); });
  Send("set " + Alias() + " time format milliseconds", reply, [p](const std::string& e) {
    g_DebugConsole->Output("error opening set file time format for %s - %s\n", p, e.c_str());
  });
  Send("set " + Alias() + " seek exactly on", reply, [p](const std::string& e) {
    g_DebugConsole->Output("error opening set file seek exactly for %s - %s\n", p, e.c_str());
  });
  Send("play " + Alias() + (loop ? " repeat" : ""), reply,
       [p](const std::string& e) { g_DebugConsole->Output("error playing file for %s - %s\n", p, e.c_str()); });
}

void MediaFile_Stop() {
  std::string reply;
  Send("seek " + Alias() + " to start", reply,
       [](const std::string& e) { g_DebugConsole->Output("error stopping mp3 file seeking - %s\n", e.c_str()); });
  Send("stop " + Alias(), reply, [](const std::string& e) { g_DebugConsole->Output("error stopping mp3 - %s\n", e.c_str()); });
}

void MediaFile_SetVolume(float volume) {
  const double scaled = static_cast<double>(volume) * 1000.0;
  const int32_t value = scaled >= -2147483648.0 && scaled < 2147483648.0 ? static_cast<int32_t>(scaled) : INT32_MIN;
  std::string reply;
  Send("setaudio " + Alias() + " volume to " + std::to_string(value), reply, [volume, value](const std::string& e) {
    g_DebugConsole->Output("error setting mp3 volume to %g(%d) - %s\n", static_cast<double>(volume), value, e.c_str());
  });
}

bool MediaFile_IsPlaying() {
  std::string reply;
  if (!Send("status " + Alias() + " mode", reply,
            [](const std::string& e) { g_DebugConsole->Output("error getting mp3 status - %s\n", e.c_str()); })) {
    return false;
  }
  if (reply.size() != 7) return false;
  for (size_t i = 0; i < 7; ++i) {
    if (std::tolower(static_cast<unsigned char>(reply[i])) != "playing"[i]) return false;
  }
  return true;
}

bool EndsWith(const std::string& name, const char* ext, size_t length) {
  return name.size() >= length + 1 && name[name.size() - length - 1] == '.' &&
         name.compare(name.size() - length, length, ext) == 0;
}

}  // namespace

// ---- SoundHardware -----------------------------------------------------------------------------

bool SoundHardware::Init() {
  if (g_soundOff) return false;
  musicName_.clear();
  if (!AudioDevice_Start(false)) return false;
  CheckError();
  return true;
}

void SoundHardware::Quit() {
  if (g_soundOff) return;
  Media_CloseAll();
  g_mediaOpen = false;
}

std::unique_ptr<HardwareSound> SoundHardware::Load(std::span<const uint8_t> image) {
  if (g_soundOff) return nullptr;
  AudioDevice& device = Audio_Device();
  const uint32_t buffer = device.CreateBufferFromWave(image);
  std::string text;
  if (const int32_t code = device.TakeLoadError(text); code != 0) {
    g_DebugConsole->Output("ALUT error on load %08x(%d) : %s\n", code, code, text.c_str());
    return nullptr;
  }
  if (const int32_t code = device.TakeError(); code != 0 || buffer == 0) {
    g_DebugConsole->Output("AL error on load %08x(%d)\n", code, code);
    device.DeleteBuffer(buffer);
    return nullptr;
  }
  auto sound = std::make_unique<HardwareSound>();
  sound->buffer = buffer;
  const std::vector<uint32_t> sources = device.GenSources(4);
  CheckError();
  for (size_t i = 0; i < sources.size() && i < 4; ++i) {
    sound->sources[i] = sources[i];
    device.SetBuffer(sources[i], buffer);
    CheckError();
  }
  return sound;
}

void SoundHardware::Release(HardwareSound& sound) {
  AudioDevice& device = Audio_Device();
  std::vector<uint32_t> sources;
  for (uint32_t s : sound.sources) {
    if (s != 0) sources.push_back(s);
  }
  device.DeleteSources(sources);
  device.DeleteBuffer(sound.buffer);
  sound = {};
}

void SoundHardware::Play(HardwareSound* sound, bool loop) {
  if (g_soundOff || sound == nullptr) return;
  const uint32_t source = sound->sources[static_cast<size_t>(sound->nextSource)];
  sound->nextSource = (sound->nextSource + 1) % 4;
  if (source == 0) return;
  AudioDevice& device = Audio_Device();
  device.SetParam(source, SourceParam::Gain, sound->volume * masterVolume_);
  CheckError();
  device.SetLooping(source, loop);
  CheckError();
  device.Play(source);
  CheckError();
}

void SoundHardware::Stop(HardwareSound* sound) {
  if (g_soundOff || sound == nullptr) return;
  for (uint32_t source : sound->sources) {
    if (source == 0) continue;
    Audio_Device().Stop(source);
    CheckError();
  }
}

bool SoundHardware::Playing(HardwareSound* sound) {
  if (g_soundOff || sound == nullptr) return false;
  for (uint32_t source : sound->sources) {
    if (source == 0) continue;
    const SourceState state = Audio_Device().GetState(source);
    CheckError();
    if (state == SourceState::Playing) return true;
  }
  return false;
}

void SoundHardware::SetSoundVolume(HardwareSound& sound, float volume, int32_t time) {
  if (g_soundOff) return;
  const int32_t frames = Sound_FadeFrames(time);
  sound.fadeStep = static_cast<float>((static_cast<double>(volume) - sound.volume) / frames);
  sound.fadeFrames = frames;
}

void SoundHardware::SetMusicVolume(float volume, int32_t time) {
  if (g_soundOff) return;
  const int32_t frames = Sound_FadeFrames(time);
  if (musicName_.empty()) {
    musicVolume_ = volume;
    return;
  }
  musicFadeStep_ = static_cast<float>((static_cast<double>(volume) - musicVolume_) / frames);
  musicFadeFrames_ = frames;
}

void SoundHardware::StopMusic() {
  if (g_soundOff) return;
  musicName_.clear();
  MediaFile_Stop();
}

void SoundHardware::PlayMP3(const std::string& name, bool loop) {
  if (g_soundOff) return;
  if (!musicName_.empty()) StopMusic();
  musicName_ = name;
  MediaFile_Play(musicName_, loop);
}

void SoundHardware::PlayMIDI(const std::string& name, bool loop) {
  if (g_soundOff) return;
  if (!musicName_.empty()) StopMusic();
  const size_t dot = name.rfind('.');
  musicName_ = (dot == std::string::npos ? name : name.substr(0, dot + 1)) + "mp3";
  // Without the MP3 beside it, the MIDI file itself is played (rendered by the synthesizer).
  const bool absolute = !musicName_.empty() && (musicName_[0] == '/' || musicName_[0] == '\\');
  std::error_code ec;
  const std::string mp3Path = absolute ? musicName_ : GetGameDirectory() + musicName_;
  const std::string midiPath = absolute ? name : GetGameDirectory() + name;
  if (!std::filesystem::exists(mp3Path, ec) && std::filesystem::exists(midiPath, ec)) {
    MediaFile_Play(name, loop);
  } else {
    MediaFile_Play(musicName_, loop);
  }
}

bool SoundHardware::PlayingMP3() {
  if (g_soundOff) return false;
  return MediaFile_IsPlaying();
}

void SoundHardware::Tick() {
  if (g_soundOff) return;
  CheckError();
  AudioDevice& device = Audio_Device();
  for (HardwareSlot& slot : g_slots) {
    if (!slot.used || !slot.sound || slot.sound->fadeFrames <= 0) continue;
    HardwareSound& sound = *slot.sound;
    sound.volume += sound.fadeStep;
    if (sound.volume < 0.0f) sound.volume = 0.0f;
    if (sound.volume > 1.0f) sound.volume = 1.0f;
    --sound.fadeFrames;
    for (uint32_t source : sound.sources) {
      if (source == 0) continue;
      const SourceState state = device.GetState(source);
      CheckError();
      if (state == SourceState::Playing) {
        device.SetParam(source, SourceParam::Gain, sound.volume * masterVolume_);
        CheckError();
      }
    }
  }
  if (musicFadeFrames_ > 0) {
    --musicFadeFrames_;
    musicVolume_ += musicFadeStep_;
    MediaFile_SetVolume(musicVolume_);
  }
}

void SoundHardware::CheckError() {
  if (const int32_t code = Audio_Device().TakeError(); code != 0) {
    g_DebugConsole->Output("AL Error : %08x(%d)\n", code, code);
  }
}

// ---- slots -------------------------------------------------------------------------------------

SoundHardware* Sound_Hardware() { return g_hardware.get(); }
void Sound_SetOff(bool off) { g_soundOff = off; }
bool Sound_IsOff() { return g_soundOff; }

int32_t Sound_FadeFrames(int32_t time) {
  const MainLoopHooks& hooks = MainLoop_Hooks();
  const int32_t* speed = hooks.currentRoomSpeed ? hooks.currentRoomSpeed() : nullptr;
  const int32_t roomSpeed = speed != nullptr ? *speed : 30;
  // A room faster than 1000 frames a second has no whole millisecond per frame: count 1.
  const int32_t period = roomSpeed > 0 ? 1000 / roomSpeed : 0;
  const int32_t frames = period > 0 ? time / period : time;
  return frames < 1 ? 1 : frames;
}

bool Sound_InitHardware() {
  g_hardware = std::make_unique<SoundHardware>();
  g_slots.clear();
  g_musicSound.reset();
  if (!g_soundOff && !g_hardware->Init()) g_soundOff = true;  // no device: silent, as with -noaudio
  Audio_Init(g_hardware.get());
  return false;
}

int32_t Sound_NewHardwareSlot(int32_t kind) {
  if (g_soundOff) return -1;
  size_t index = 0;
  while (index < g_slots.size() && g_slots[index].used) ++index;
  if (index == g_slots.size()) g_slots.emplace_back();
  HardwareSlot& slot = g_slots[index];
  slot.used = true;
  slot.kind = kind == 3 ? 1 : kind;
  slot.sound.reset();
  return static_cast<int32_t>(index);
}

int32_t Sound_LoadHardwareFromData(std::optional<std::span<const uint8_t>> image, int32_t kind) {
  const int32_t index = Sound_NewHardwareSlot(kind);
  if (index < 0) return index;
  HardwareSlot& slot = g_slots[static_cast<size_t>(index)];
  if (slot.kind != 1 && image) slot.sound = g_hardware->Load(*image);
  return index;
}

int32_t Sound_LoadHardwareFromStream(std::span<const uint8_t> bytes, int32_t kind) {
  const int32_t index = Sound_NewHardwareSlot(kind);
  if (index < 0) return index;
  g_slots[static_cast<size_t>(index)].sound = g_hardware->Load(bytes);
  return index;
}

void Sound_ReleaseHardware(int32_t slot) {
  if (g_soundOff || !InRange(slot)) return;
  HardwareSlot& s = g_slots[static_cast<size_t>(slot)];
  if (s.sound) g_hardware->Release(*s.sound);
  s = {};
}

void Sound_Play(const std::optional<std::string>& fileName, int32_t slot, bool loop) {
  if (g_soundOff || !g_hardware) return;
  if (fileName) {
    if (EndsWith(*fileName, "mp3", 3)) {
      g_musicSound = fileName;
      g_hardware->PlayMP3(*fileName, loop);
      return;
    }
    if (EndsWith(*fileName, "mid", 3) || EndsWith(*fileName, "midi", 4)) {
      g_musicSound = fileName;
      g_hardware->PlayMIDI(*fileName, loop);
      return;
    }
  }
  if (InRange(slot)) g_hardware->Play(g_slots[static_cast<size_t>(slot)].sound.get(), loop);
}

void Sound_Stop(const std::optional<std::string>& fileName, int32_t slot) {
  if (g_soundOff || !g_hardware) return;
  if (g_musicSound && fileName && *fileName == *g_musicSound) {
    g_hardware->StopMusic();
    g_musicSound.reset();
    return;
  }
  if (InRange(slot)) g_hardware->Stop(g_slots[static_cast<size_t>(slot)].sound.get());
}

bool Sound_IsPlaying(const std::optional<std::string>& fileName, int32_t slot) {
  if (g_soundOff || !g_hardware) return false;
  if (g_musicSound && fileName && *fileName == *g_musicSound) return g_hardware->PlayingMP3();
  return InRange(slot) && g_hardware->Playing(g_slots[static_cast<size_t>(slot)].sound.get());
}

void Sound_StopAll() {
  if (g_soundOff || !g_hardware) return;
  for (HardwareSlot& slot : g_slots) g_hardware->Stop(slot.sound.get());
  g_hardware->StopMusic();
}

void Sound_SetVolume(int32_t slot, double volume, int32_t time) {
  if (g_soundOff || !g_hardware || !InRange(slot)) return;
  HardwareSlot& s = g_slots[static_cast<size_t>(slot)];
  if (s.kind == 1) {
    g_hardware->SetMusicVolume(static_cast<float>(volume), time);
  } else if (s.sound) {
    g_hardware->SetSoundVolume(*s.sound, static_cast<float>(volume), time);
  }
}

void Sound_SetGlobalVolume(double volume) {
  if (g_hardware) g_hardware->SetMasterVolume(static_cast<float>(volume));
}

void Sound_Tick() {
  if (g_hardware) g_hardware->Tick();
  Media_Tick();
  Audio_Update();
}

bool Sound_Quit() {
  if (g_hardware) {
    for (HardwareSlot& slot : g_slots) {
      if (slot.sound) g_hardware->Release(*slot.sound);
    }
    g_slots.clear();
    Audio_Shutdown();
    g_hardware->Quit();
  }
  CdAudio_Shutdown();  // its source belongs to the device
  AudioDevice_Stop();
  return true;
}

const HardwareSound* Sound_HardwareSound(int32_t slot) {
  return InRange(slot) ? g_slots[static_cast<size_t>(slot)].sound.get() : nullptr;
}
int32_t Sound_SlotCount() { return static_cast<int32_t>(g_slots.size()); }
