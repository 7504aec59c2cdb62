// Reading the game data file.
#pragma once

#include <string>

// Reads the whole game data file and runs both chunk passes. On failure writes
// "Failed to load the game" and returns false.
bool LoadGameData(const std::string& file);
