// The packer's manifest: a small line-based description of a game whose code lives in one
// source file per script, event, moment and creation code. Read into a GameDataWriter.
// The format is described in docs/packer-manifest.md.
#pragma once

#include <string>
#include <string_view>

#include "data/game_data_writer.h"

// Reads manifest text; source files are named relative to `folder`. On failure `error`
// says which line and why.
bool PackManifest_ReadText(std::string_view text, const std::string& folder, GameDataWriter& game,
                           std::string& error);
// Reads the manifest file; its folder is where source files are found.
bool PackManifest_Read(const std::string& manifestPath, GameDataWriter& game, std::string& error);
