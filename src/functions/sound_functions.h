// The sound family of built-ins: sound_* (older engine), cd_* (no CD drive on this platform:
// every answer is the "no media" one), MCI_command (the media-command layer) and audio_*
// (the audio engine).
#pragma once

void InitSoundFunctions();
