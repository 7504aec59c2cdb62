#include "audio/audio_engine.h"
#include "audio/sound_hardware.h"
#include "audio/sound_resources.h"
#include "data/game_preparation.h"
#include "runner/main_loop.h"

void Sound_InstallHooks() {
  PreparationHooks& prepare = Preparation_Hooks();
  prepare.startSoundHardware = [] { Sound_InitHardware(); };
  prepare.prepareSounds = Sound_Prepare;
  prepare.createAudioBuffers = Audio_CreateBuffers;
  MainLoop_Hooks().soundTick = Sound_Tick;
}
