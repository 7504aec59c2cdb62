// The media-command layer: music files played by text commands in the style of a media control
// interface ("open \"f.mp3\" type mpegvideo alias M1", "play M1 repeat", "status M1 mode", ...).
// "open" checks the file and starts its stream (audio/music_stream.h): MP3 through libmpg123,
// MIDI through FluidSynth with the system's General MIDI SoundFont, decoded a few seconds ahead
// on the stream's thread, so no command waits for the music to be decoded.
#pragma once

#include <cstdint>
#include <string>

#include "audio/music_stream.h"

// Runs one command. 0 on success, else an error code whose text Media_ErrorText gives; reply
// receives the answer of a "status" command (empty otherwise).
int32_t Media_SendCommand(const std::string& command, std::string& reply);
std::string Media_ErrorText(int32_t code);
// Closes every open device (shut-down, or a change of sound device).
void Media_CloseAll();
// The sound back end's tick: every open stream refills its device queue.
void Media_Tick();
// What the stream opened under alias is doing; false when no such alias is open.
bool Media_StreamInfo(const std::string& alias, MusicStreamInfo& info);
