// Saved games: the whole running state in one file (the format is in docs/saved-games.md).
// Saving happens at once; loading is deferred to the end of the step (the main loop's
// pending load), so no event of the old state runs on top of the new one.
//
// A load reads and checks the whole file before it changes anything: a file of another
// version, of another game, or damaged in any way is refused with a runtime error that does
// not end the game, and the running game goes on untouched.
#pragma once

#include <cstdint>
#include <string>

// The version written; files of the version before it (without the physics of the rooms) are
// read too.
inline constexpr int32_t kSavedGameVersion = 541;
inline constexpr int32_t kSavedGameVersionWithoutPhysics = 540;

class CStream;

// Writes the running game's saved form at the stream's position.
void SavedGame_Write(CStream& stream);
// Writes the saved game to the file at path; false when it cannot be written.
bool Command_SaveGame(const std::string& path);

// Loads the saved game at path. A missing or empty file is ignored without a message. True
// when the running game was replaced.
bool Game_Load(const std::string& path);
// The built-in's request: the file to load when the step ends.
void Game_SetPendingLoad(std::string path);
const std::string& Game_PendingLoadFile();
// At the end of the step: no pending room, input cleared, the pending file loaded.
void Game_LoadPending();

// Connects the pending load to the main loop.
void SavedGame_InstallHooks();
