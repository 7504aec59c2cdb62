#include "functions/sound_functions.h"

#include "audio/audio_engine.h"
#include "audio/media_player.h"
#include "audio/sound_hardware.h"
#include "audio/sound_resources.h"
#include "functions/argument_helpers.h"
#include "platform/cd_audio.h"
#include "script/error_report.h"
#include "script/function_table.h"

namespace {

using Args = ScriptValue*;

// The sound named by the first argument, or null after "Sound does not exist.".
CSound* SoundArg(const ScriptValue& value) {
  CSound* sound = Sound_Data(Arg_Rounded(value));
  if (sound == nullptr) Error_Show_Action("Sound does not exist.", false);
  return sound;
}

// ---- sound_* ----

template <bool Loop>
void F_SoundPlayOrLoop(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  if (Audio_SwitchOn()) return;
  CSound* sound = SoundArg(a[0]);
  if (sound == nullptr) return;
  const int32_t id = sound->GetSoundId();
  Sound_Play(sound->fileName, id, Loop);
  Sound_SetVolume(id, sound->volume, 1);
}

void F_SoundStop(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  if (Audio_SwitchOn()) return;
  CSound* sound = SoundArg(a[0]);
  if (sound == nullptr) return;
  Sound_Stop(sound->fileName, sound->GetSoundId());
}

void F_SoundStopAll(ScriptValue&, CInstance*, CInstance*, int, Args) {
  if (!Audio_SwitchOn()) Sound_StopAll();
}

void F_SoundIsplaying(ScriptValue& r, CInstance*, CInstance*, int, Args a) {
  r.SetReal(0);
  CSound* sound = Sound_Data(Arg_Rounded(a[0]));
  if (sound == nullptr) return;
  r.SetReal(Sound_IsPlaying(sound->fileName, sound->GetSoundId()) ? 1 : 0);
}

void F_SoundVolume(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  CSound* sound = SoundArg(a[0]);
  if (sound == nullptr) return;
  sound->volume = Arg_Real(a[1]);
  Sound_SetVolume(sound->GetSoundId(), sound->volume, 1);
}

void F_SoundFade(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  CSound* sound = SoundArg(a[0]);
  if (sound == nullptr) return;
  Sound_SetVolume(sound->GetSoundId(), Arg_Real(a[1]), Arg_Rounded(a[2]));
}

// pan, effects and the 3D settings: the sound is used (loaded on first use); nothing else.
void F_SoundUse(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  if (CSound* sound = SoundArg(a[0])) sound->GetSoundId();
}

void F_SoundGlobalVolume(ScriptValue&, CInstance*, CInstance*, int, Args a) { Sound_SetGlobalVolume(Arg_Real(a[0])); }

void F_Nothing(ScriptValue&, CInstance*, CInstance*, int, Args) {}

// ---- cd_* ----

template <auto Query>
void F_CdQuery(ScriptValue& r, CInstance*, CInstance*, int, Args) {
  r.SetReal(Query());
}
template <void (*Action)()>
void F_CdAction(ScriptValue&, CInstance*, CInstance*, int, Args) {
  Action();
}
template <void (*Action)(int32_t)>
void F_CdActionAt(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  Action(Arg_Rounded(a[0]));
}
void F_CdInit(ScriptValue&, CInstance*, CInstance*, int, Args) { CD_Init(); }
void F_CdTrackLength(ScriptValue& r, CInstance*, CInstance*, int, Args a) {
  r.SetReal(CD_TrackLength(Arg_Rounded(a[0])));
}
void F_CdPlay(ScriptValue&, CInstance*, CInstance*, int, Args a) { CD_Play(Arg_Rounded(a[0]), Arg_Rounded(a[1])); }

// ---- MCI_command ----

void F_MCICommand(ScriptValue& r, CInstance*, CInstance*, int, Args a) {
  std::string reply;
  Media_SendCommand(std::string(Arg_String(a[0])), reply);
  if (reply.size() > 255) reply.resize(255);
  r.SetString(reply);
}

// ---- audio_* ----

float F32(const ScriptValue& v) { return Arg_Single(v); }

void F_AudioListenerPosition(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  Audio_ListenerPosition(F32(a[0]), F32(a[1]), F32(a[2]));
}
void F_AudioListenerVelocity(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  Audio_ListenerVelocity(F32(a[0]), F32(a[1]), F32(a[2]));
}
void F_AudioListenerOrientation(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  Audio_ListenerOrientation(F32(a[0]), F32(a[1]), F32(a[2]), F32(a[3]), F32(a[4]), F32(a[5]));
}
void F_AudioEmitterPosition(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  Audio_EmitterPosition(Arg_Rounded(a[0]), F32(a[1]), F32(a[2]), F32(a[3]));
}
void F_AudioEmitterVelocity(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  Audio_EmitterVelocity(Arg_Rounded(a[0]), F32(a[1]), F32(a[2]), F32(a[3]));
}
void F_AudioEmitterCreate(ScriptValue& r, CInstance*, CInstance*, int, Args) { r.SetReal(Audio_EmitterCreate()); }
void F_AudioEmitterFree(ScriptValue&, CInstance*, CInstance*, int, Args a) { Audio_EmitterFree(Arg_Rounded(a[0])); }
void F_AudioPlaySound(ScriptValue& r, CInstance*, CInstance*, int, Args a) {
  r.SetReal(Audio_PlaySound(Arg_Rounded(a[0]), F32(a[1]), Arg_Rounded(a[2])));
}
void F_AudioPlaySoundOn(ScriptValue& r, CInstance*, CInstance*, int, Args a) {
  r.SetReal(Audio_PlaySoundOn(Arg_Rounded(a[0]), Arg_Rounded(a[1]), Arg_Rounded(a[2]), F32(a[3])));
}
void F_AudioPlaySoundAt(ScriptValue& r, CInstance*, CInstance*, int, Args a) {
  r.SetReal(Audio_PlaySoundAt(Arg_Rounded(a[0]), F32(a[1]), F32(a[2]), F32(a[3]), F32(a[4]), F32(a[5]), F32(a[6]),
                              Arg_Rounded(a[7]), F32(a[8])));
}
void F_AudioFalloffSetModel(ScriptValue&, CInstance*, CInstance*, int, Args a) { Audio_FalloffSetModel(Arg_Rounded(a[0])); }
void F_AudioStopSound(ScriptValue&, CInstance*, CInstance*, int, Args a) { Audio_StopSound(Arg_Rounded(a[0])); }
void F_AudioPauseSound(ScriptValue&, CInstance*, CInstance*, int, Args a) { Audio_PauseSound(Arg_Rounded(a[0])); }
void F_AudioResumeSound(ScriptValue&, CInstance*, CInstance*, int, Args a) { Audio_ResumeSound(Arg_Rounded(a[0])); }
void F_AudioPauseAll(ScriptValue&, CInstance*, CInstance*, int, Args) { Audio_PauseAll(); }
void F_AudioResumeAll(ScriptValue&, CInstance*, CInstance*, int, Args) { Audio_ResumeAll(); }
void F_AudioIsPlaying(ScriptValue& r, CInstance*, CInstance*, int, Args a) {
  r.SetReal(Audio_IsPlaying(Arg_Rounded(a[0])) ? 1 : 0);
}
void F_AudioMasterGain(ScriptValue&, CInstance*, CInstance*, int, Args a) { Audio_MasterGain(Arg_Real(a[0])); }
void F_AudioEmitterExists(ScriptValue& r, CInstance*, CInstance*, int, Args a) {
  r.SetReal(Audio_EmitterExists(Arg_Rounded(a[0])) ? 1 : 0);
}
void F_AudioGetType(ScriptValue& r, CInstance*, CInstance*, int, Args a) { r.SetReal(Audio_GetType(Arg_Rounded(a[0]))); }
void F_AudioEmitterGain(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  Audio_EmitterGain(Arg_Rounded(a[0]), F32(a[1]));
}
void F_AudioEmitterPitch(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  Audio_EmitterPitch(Arg_Rounded(a[0]), F32(a[1]));
}
void F_AudioEmitterFalloff(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  Audio_EmitterFalloff(Arg_Rounded(a[0]), F32(a[1]), F32(a[2]), F32(a[3]));
}
void F_AudioChannelNum(ScriptValue&, CInstance*, CInstance*, int, Args a) { Audio_SetChannelNum(Arg_Rounded(a[0])); }
void F_AudioPlayMusic(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  Audio_PlayMusic(Arg_Rounded(a[0]), Arg_Rounded(a[1]) > 0);
}
void F_AudioStopMusic(ScriptValue&, CInstance*, CInstance*, int, Args) { Audio_StopMusic(); }
void F_AudioStopAll(ScriptValue&, CInstance*, CInstance*, int, Args) { Audio_StopAll(); }
void F_AudioSoundLength(ScriptValue& r, CInstance*, CInstance*, int, Args a) {
  r.SetReal(Audio_SoundLength(Arg_Rounded(a[0])));
}

struct Builtin {
  const char* name;
  BuiltinFunction implementation;
  int argc;
};

const Builtin kBuiltins[] = {
    {"sound_play", F_SoundPlayOrLoop<false>, 1},
    {"sound_loop", F_SoundPlayOrLoop<true>, 1},
    {"sound_stop", F_SoundStop, 1},
    {"sound_stop_all", F_SoundStopAll, 0},
    {"sound_isplaying", F_SoundIsplaying, 1},
    {"sound_volume", F_SoundVolume, 2},
    {"sound_fade", F_SoundFade, 3},
    {"sound_pan", F_SoundUse, 2},
    {"sound_background_tempo", F_Nothing, 1},
    {"sound_global_volume", F_SoundGlobalVolume, 1},
    {"sound_set_search_directory", F_Nothing, 1},
    {"sound_effect_set", F_SoundUse, 2},
    {"sound_effect_chorus", F_SoundUse, 8},
    {"sound_effect_compressor", F_SoundUse, 7},
    {"sound_effect_echo", F_SoundUse, 6},
    {"sound_effect_flanger", F_SoundUse, 8},
    {"sound_effect_gargle", F_SoundUse, 3},
    {"sound_effect_equalizer", F_SoundUse, 4},
    {"sound_effect_reverb", F_SoundUse, 5},
    {"sound_3d_set_sound_position", F_SoundUse, 4},
    {"sound_3d_set_sound_velocity", F_SoundUse, 4},
    {"sound_3d_set_sound_distance", F_SoundUse, 3},
    {"sound_3d_set_sound_cone", F_SoundUse, 7},
    {"cd_init", F_CdInit, 0},
    {"cd_present", F_CdQuery<CD_Open>, 0},
    {"cd_number", F_CdQuery<CD_NumberOfTracks>, 0},
    {"cd_playing", F_CdQuery<CD_Mode>, 0},
    {"cd_paused", F_CdQuery<CD_IsPaused>, 0},
    {"cd_track", F_CdQuery<CD_CurrentTrack>, 0},
    {"cd_length", F_CdQuery<CD_Length>, 0},
    {"cd_track_length", F_CdTrackLength, 1},
    {"cd_position", F_CdQuery<CD_Position>, 0},
    {"cd_track_position", F_CdQuery<CD_TrackPosition>, 0},
    {"cd_play", F_CdPlay, 2},
    {"cd_stop", F_CdAction<CD_Stop>, 0},
    {"cd_pause", F_CdAction<CD_Pause>, 0},
    {"cd_resume", F_CdAction<CD_Resume>, 0},
    {"cd_set_position", F_CdActionAt<CD_SetPosition>, 1},
    {"cd_set_track_position", F_CdActionAt<CD_SetTrackPosition>, 1},
    {"cd_open_door", F_CdAction<CD_OpenDoor>, 0},
    {"cd_close_door", F_CdAction<CD_CloseDoor>, 0},
    {"MCI_command", F_MCICommand, 1},
    {"audio_listener_position", F_AudioListenerPosition, 3},
    {"audio_listener_velocity", F_AudioListenerVelocity, 3},
    {"audio_listener_orientation", F_AudioListenerOrientation, 6},
    {"audio_emitter_position", F_AudioEmitterPosition, 4},
    {"audio_emitter_velocity", F_AudioEmitterVelocity, 4},
    {"audio_emitter_create", F_AudioEmitterCreate, 0},
    {"audio_emitter_free", F_AudioEmitterFree, 1},
    {"audio_play_sound", F_AudioPlaySound, 3},
    {"audio_play_sound_on", F_AudioPlaySoundOn, 4},
    {"audio_play_sound_at", F_AudioPlaySoundAt, 9},
    {"audio_falloff_set_model", F_AudioFalloffSetModel, 1},
    {"audio_stop_sound", F_AudioStopSound, 1},
    {"audio_pause_sound", F_AudioPauseSound, 1},
    {"audio_resume_sound", F_AudioResumeSound, 1},
    {"audio_pause_all", F_AudioPauseAll, 0},
    {"audio_resume_all", F_AudioResumeAll, 0},
    {"audio_is_playing", F_AudioIsPlaying, 1},
    {"audio_master_gain", F_AudioMasterGain, 1},
    {"audio_emitter_exists", F_AudioEmitterExists, 1},
    {"audio_get_type", F_AudioGetType, 1},
    {"audio_emitter_gain", F_AudioEmitterGain, 2},
    {"audio_emitter_pitch", F_AudioEmitterPitch, 2},
    {"audio_emitter_falloff", F_AudioEmitterFalloff, 4},
    {"audio_channel_num", F_AudioChannelNum, 1},
    {"audio_play_music", F_AudioPlayMusic, 2},
    {"audio_stop_music", F_AudioStopMusic, 0},
    {"audio_stop_all", F_AudioStopAll, 0},
    {"audio_sound_length", F_AudioSoundLength, 1},
};

static_assert(sizeof(kBuiltins) / sizeof(kBuiltins[0]) == 70, "the sound family has 70 built-ins");

}  // namespace

void InitSoundFunctions() {
  for (const Builtin& builtin : kBuiltins) Function_Add(builtin.name, builtin.implementation, builtin.argc);
}
