// Reading the game data file: choosing and reading the files, the pre-pass over the header,
// strings and stored code, and the second pass that hands every chunk to its reader.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class GameLoadResult {
  Loaded,
  Failed,          // damaged or unreadable file: "Failed to load the game"
  UnresolvedName,  // a VARI or FUNC name resolves to nothing: "Error on load", exit code 1
};

// Start-up's entry: the second chunk pass over the file, after RunnerLoadGame and
// LoadGameCode (run here first when start-up has not run them for this file). False when the
// file could not be read or loaded; start-up writes "Failed to load the game".
bool LoadGameData(const std::string& file);

// The whole load in one call, with the reason for a failure; a failure writes
// "Failed to load the game" (or has written the "Error on load" message).
GameLoadResult GameData_Load(const std::string& file);
// Both passes over an image already in memory (no options.ini, no side file).
GameLoadResult GameData_LoadImage(std::vector<uint8_t> image);

// The steps of GameData_Load, for a start-up that puts work between them.
// Reads options.ini, the side file and the image; false when the game file cannot be read.
bool RunnerLoadGame(const std::string& file);
// The pre-pass: STRG, header, CODE, VARI; registers the built-in functions.
GameLoadResult LoadGameCode();
// The second pass: empties the resource tables and dispatches every chunk.
GameLoadResult LoadGameChunks();
// The game's "options.ini" as read at load time (empty when there was none).
class IniFile;
const IniFile& GameData_OptionsIni();

// Writes the failure message of a result that is not Loaded.
void GameData_ReportFailure(GameLoadResult result);
