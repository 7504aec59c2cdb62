// The audio engine: the newer of the two sound engines, used for the whole run when the game's
// options turn the 3D audio switch on. Sounds are assets played as voices on a pool of sources
// of the sound device; when the pool is full, a play of higher priority takes the source of the
// weakest playing voice. Voices can play at a point or on a moving emitter, heard by one
// listener, with a choice of distance model and a master gain. Music goes to the back end.
//
// Voice ids start at 200000; ids below that given to the by-id operations are asset indices
// (meaning every voice of the asset).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "audio/sample_table.h"
#include "data/game_data_reader.h"

class SoundHardware;

inline constexpr int32_t kFirstVoiceId = 200000;
inline constexpr int32_t kDefaultChannels = 128;

// The 3D audio switch: the game's option, unless sound is off.
bool Audio_SwitchOn();

// SOND reader (switch on): one asset per record.
bool Audio_Load(const GameDataReader& reader, ChunkSpan body);
// AUDO reader (switch on): every asset takes the entry of its data index.
bool Audio_WAVs(const std::vector<SampleEntry>& table);
void Audio_Init(SoundHardware* hardware);
void Audio_CreateBuffers();
void Audio_Update();
// Frees the pool, the buffers and every table (shut-down, or a new game).
void Audio_Shutdown();

int32_t Audio_GetSource(float priority);
int32_t Audio_PlaySound(int32_t asset, float priority, int32_t loop);
int32_t Audio_PlaySoundAt(int32_t asset, float x, float y, float z, float falloffReference, float falloffMaximum,
                          float falloffFactor, int32_t loop, float priority);
int32_t Audio_PlaySoundOn(int32_t emitter, int32_t asset, int32_t loop, float priority);
void Audio_StopSound(int32_t id);
void Audio_PauseSound(int32_t id);
void Audio_ResumeSound(int32_t id);
void Audio_PauseAll();
void Audio_ResumeAll();
void Audio_StopAll();
bool Audio_IsPlaying(int32_t id);
int32_t Audio_GetType(int32_t asset);
float Audio_SoundLength(int32_t id);
void Audio_PlayMusic(int32_t asset, bool loop);
void Audio_StopMusic();
void Audio_MasterGain(double gain);
void Audio_FalloffSetModel(int32_t model);
void Audio_SetChannelNum(int32_t count);
void Audio_ListenerPosition(float x, float y, float z);
void Audio_ListenerVelocity(float x, float y, float z);
void Audio_ListenerOrientation(float atX, float atY, float atZ, float upX, float upY, float upZ);
int32_t Audio_EmitterCreate();
void Audio_EmitterFree(int32_t emitter);
bool Audio_EmitterExists(int32_t emitter);
void Audio_EmitterPosition(int32_t emitter, float x, float y, float z);
void Audio_EmitterVelocity(int32_t emitter, float x, float y, float z);
void Audio_EmitterGain(int32_t emitter, float gain);
void Audio_EmitterPitch(int32_t emitter, float pitch);
void Audio_EmitterFalloff(int32_t emitter, float reference, float maximum, float factor);

// The first asset with exactly that name, -1 when none.
int32_t Audio_FindAsset(std::string_view name);

// For tests and the built-ins: table sizes.
int32_t Audio_AssetCount();
int32_t Audio_EmitterTableLength();
int32_t Audio_ChannelCount();
