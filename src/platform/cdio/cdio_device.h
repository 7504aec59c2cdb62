// The CD device over libcdio: a real drive or a CUE/BIN image answers the "cdaudio" command
// strings. The table of contents gives tracks and lengths; "play" reads the audio sectors
// (through libcdio-paranoia where the drive allows it) and plays them on a source of the sound
// device, one track at a time: the next track starts on the first command after the previous one
// ended. The position follows the clock. No drive, or no disc, answers as a device without media.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/cd_audio.h"

// source: a drive's device path, an image (".cue" or ".bin"), or empty for the default drive.
// now: milliseconds of a steady clock (tests pass their own).
std::unique_ptr<CdDevice> CdioDevice_Make(const std::string& source, std::function<int64_t()> now = {});
