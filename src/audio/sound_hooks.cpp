#include "audio/audio_engine.h"
#include "audio/sound_hardware.h"
#include "audio/sound_resources.h"
#include "data/game_preparation.h"
#include "runner/main_loop.h"
#include "script/constants.h"

void Sound_InstallHooks() {
  PreparationHooks& prepare = Preparation_Hooks();
  prepare.startSoundHardware = [] { Sound_InitHardware(); };
  prepare.prepareSounds = Sound_Prepare;
  prepare.createAudioBuffers = Audio_CreateBuffers;
  MainLoop_Hooks().soundTick = Sound_Tick;
  // Sound names in code: the sound table's; with the audio engine its assets carry the names.
  Constant_SetResourceFinder(ResourceKind::Sound, [](std::string_view name, int32_t& index) {
    index = Sound_Find(std::string(name));
    if (index < 0 && Audio_SwitchOn()) index = Audio_FindAsset(name);
    return index >= 0;
  });
}
