// The sound back end of the older sound engine: a table of hardware slots, each holding one
// hardware sound (a buffer of the sound device with four sources played in turn, and a volume
// that fades frame by frame) or, for music, nothing; and the music, played through the
// media-command layer from MP3 files (MIDI names play the MP3 of the same base name).
//
// With the sound-off switch set ("-noaudio", or no output device) every operation except
// Sound_SetGlobalVolume does nothing and answers -1, false or nothing.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

struct HardwareSound {
  uint32_t buffer = 0;
  std::array<uint32_t, 4> sources{};
  int32_t nextSource = 0;
  float volume = 1.0f;
  float fadeStep = 0.0f;
  int32_t fadeFrames = 0;
};

class SoundHardware {
 public:
  // Opens the sound device; false when there is none (the runner then runs silent).
  bool Init();
  void Quit();
  // A hardware sound from a WAVE file image; null after a log line when it cannot be read.
  std::unique_ptr<HardwareSound> Load(std::span<const uint8_t> image);
  // Stops and frees the sources and the buffer.
  void Release(HardwareSound& sound);
  void Play(HardwareSound* sound, bool loop);
  void Stop(HardwareSound* sound);
  bool Playing(HardwareSound* sound);
  void SetMasterVolume(float volume) { masterVolume_ = volume; }
  float MasterVolume() const { return masterVolume_; }
  // Fades to volume over time ms (at least one frame).
  void SetSoundVolume(HardwareSound& sound, float volume, int32_t time);
  void SetMusicVolume(float volume, int32_t time);
  void StopMusic();
  void PlayMP3(const std::string& name, bool loop);
  void PlayMIDI(const std::string& name, bool loop);
  bool PlayingMP3();
  void Tick();
  void CheckError();

  const std::string& MusicName() const { return musicName_; }
  float MusicVolume() const { return musicVolume_; }

 private:
  float masterVolume_ = 1.0f;
  std::string musicName_;
  float musicVolume_ = 1.0f;
  float musicFadeStep_ = 0.0f;
  int32_t musicFadeFrames_ = 0;
};

// The one back end object; null until the game is prepared.
SoundHardware* Sound_Hardware();

void Sound_SetOff(bool off);
bool Sound_IsOff();

// Frames a fade of time ms takes at the current room's speed (30 without a room).
int32_t Sound_FadeFrames(int32_t time);

// Creates the back end, opens the device and starts the audio engine.
bool Sound_InitHardware();
// The index of a free (or new) slot, marked used with kind (3 is kept as 1); -1 with sound off.
int32_t Sound_NewHardwareSlot(int32_t kind);
// A new slot holding the WAVE image (loaded unless the kind is a music kind); -1 with sound off.
int32_t Sound_LoadHardwareFromData(std::optional<std::span<const uint8_t>> image, int32_t kind);
// A new slot holding the bytes of a whole sound file, whatever the kind.
int32_t Sound_LoadHardwareFromStream(std::span<const uint8_t> bytes, int32_t kind);
// Stops and frees the slot's hardware sound and marks the slot free for reuse.
void Sound_ReleaseHardware(int32_t slot);
void Sound_Play(const std::optional<std::string>& fileName, int32_t slot, bool loop);
void Sound_Stop(const std::optional<std::string>& fileName, int32_t slot);
bool Sound_IsPlaying(const std::optional<std::string>& fileName, int32_t slot);
void Sound_StopAll();
void Sound_SetVolume(int32_t slot, double volume, int32_t time);
void Sound_SetGlobalVolume(double volume);
// Once per frame, also while paused: fades, then the audio engine's update.
void Sound_Tick();
// Shut-down: closes the music and the device.
bool Sound_Quit();
// Read-only view of a slot for tests and the engine; null when out of range or empty.
const HardwareSound* Sound_HardwareSound(int32_t slot);
int32_t Sound_SlotCount();

// Connects the sound to start-up: game preparation (back end, sound resources, audio buffers)
// and the main loop's per-frame tick.
void Sound_InstallHooks();
