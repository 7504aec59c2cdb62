// Where the game's files live. Files that ship with the game are read from the game folder (the
// folder of the game data file); files the game writes go to the save area (its folder under the
// user's local application data). Start-up sets both once the game file is known; every file
// name from game code is resolved against them by load_save.h.
#pragma once

#include <string>
#include <string_view>

// The folder of the game data file. Unset, it is the current directory.
void FileLocations_SetGameFolder(std::string_view folder);
// The save area. Unset, it is the game folder.
void FileLocations_SetSaveArea(std::string_view folder);
// The text of working_directory. Unset, it is the game folder.
void FileLocations_SetWorkingDirectory(std::string_view folder);

// Each answers an absolute folder with '/' separators and one trailing '/'.
std::string FileLocations_GameFolder();
std::string FileLocations_SaveArea();
std::string FileLocations_WorkingDirectory();

// Full paths the player picked in open-file and save-file dialogs: the only names outside the
// game's folders that game code may read or write.
void FileLocations_AddOpenDialogPath(std::string_view path);
void FileLocations_AddSaveDialogPath(std::string_view path);
bool FileLocations_IsOpenDialogPath(std::string_view fullPath);
bool FileLocations_IsSaveDialogPath(std::string_view fullPath);

// Forgets every folder and dialog path (tests, and a new game).
void FileLocations_Reset();

// The name made absolute against the current directory, with '/' separators and "." and ".."
// folded away (as the platform's full-path call does; nothing is looked up on disk).
std::string FileLocations_FullPath(std::string_view name);
