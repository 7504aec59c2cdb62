// The media-command layer: music files played by text commands in the style of a media control
// interface ("open \"f.mp3\" type mpegvideo alias M1", "play M1 repeat", "status M1 mode", ...).
// "open" decodes the whole file at once (MP3 through libmpg123, MIDI through FluidSynth with the
// system's General MIDI SoundFont) into one buffer of the sound device played on a source of its
// own, so nothing needs a thread and playback cannot starve.
#pragma once

#include <cstdint>
#include <string>

// Runs one command. 0 on success, else an error code whose text Media_ErrorText gives; reply
// receives the answer of a "status" command (empty otherwise).
int32_t Media_SendCommand(const std::string& command, std::string& reply);
std::string Media_ErrorText(int32_t code);
// Closes every open device (shut-down, or a change of sound device).
void Media_CloseAll();
