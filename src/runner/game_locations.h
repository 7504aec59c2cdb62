// The folders every file operation resolves against: the game folder (where the game data
// file lies), the save area (a per-game folder under the user's data folder) and the
// executable's own path. Each is worked out once and cached; callers do not free them.
#pragma once

#include <string>

// The folder of g_RunOptions.gameFileName with a trailing "/": everything before the last
// "/" (or, when there is none, the last "\"); a name with neither gives "./".
const std::string& GetGameDirectory();

// "$XDG_DATA_HOME/<game name>/" (XDG_DATA_HOME unset, empty or relative: "$HOME/.local/share"),
// created with its missing parents. Empty when there is no data folder or it cannot be
// created (callers treat the save area as absent); an empty answer is not cached.
const std::string& GetSaveDirectory();

// The executable's full path (from /proc/self/exe); empty when it cannot be read.
const std::string& GetExecutablePath();

// The game's name, from the game data file's header (the loader sets it when it reads the
// header). It names the save area; setting it forgets a save area worked out before.
void Run_SetGameName(const std::string& name);
const std::string& Run_GameName();

// The save area's folder name for a game name: the name with "/", "\" and control bytes
// replaced by "_" so that it stays one folder below the data folder; "." and ".." become
// "_"; an empty name is "Kilnforge".
std::string SaveFolderNameFor(const std::string& gameName);

// Forgets the cached folders (the game file or the environment changed).
void GameLocations_Reset();
