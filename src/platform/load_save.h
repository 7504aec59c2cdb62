// Whole-file reads and writes of the files game code names, and the read-only file buffer of the
// file-reading built-ins. A name is resolved against the game folder (reading shipped files) or
// the save area (writing): a name under the current directory or the working directory is
// re-rooted into that folder; any other name is refused unless the player picked it in a file
// dialog. Nothing here reports errors: failure is an empty path, an absent result or false.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The path to read a shipped file by; empty when the name resolves nowhere.
std::string LoadSave_BundlePath(std::string_view name);
// The path of the name in the save area (also accepts a name already under the save area);
// empty when the name resolves nowhere.
std::string LoadSave_SavePath(std::string_view name);

// The whole file; absent when it cannot be opened (or is 2 GiB or more).
std::optional<std::vector<uint8_t>> LoadSave_LoadFile(const std::string& path);
std::optional<std::vector<uint8_t>> LoadSave_ReadBundleFile(std::string_view name);
std::optional<std::vector<uint8_t>> LoadSave_ReadSaveFile(std::string_view name);

// Writes the whole file at the name's save-area path, making its folder first; false only when
// the file cannot be opened (or the name resolves nowhere).
bool LoadSave_WriteFile(std::string_view name, const void* data, size_t length);

bool LoadSave_BundleFileExists(std::string_view name);
bool LoadSave_SaveFileExists(std::string_view name);
// The path a file the game reads is found at: in the save area first, then among the game's own
// files; empty when it is in neither.
std::string LoadSave_ExistingPath(std::string_view name);

// A whole file in memory with a read position.
struct LoadSaveBuffer {
  std::vector<uint8_t> data;
  int32_t size = 0;
  int32_t position = 0;
};

// The file from the game folder, else from the save area; absent when neither holds it.
std::unique_ptr<LoadSaveBuffer> LoadSave_ReadFile(std::string_view name);

int32_t LoadSave_Tell(const LoadSaveBuffer& buffer);
// Mode 0 sets the position to offset, 1 adds offset, 2 sets it to size - offset; others do nothing.
void LoadSave_Seek(LoadSaveBuffer& buffer, int32_t offset, int mode);
bool LoadSave_Eof(const LoadSaveBuffer& buffer);
// The byte at the position as a signed character, -1 outside the data; the position advances
// by one either way.
int LoadSave_GetChar(LoadSaveBuffer& buffer);
// Skips white space and reads one number as the C library's strtod does (in the "C" locale),
// leaving the position after the last character used; 0 when none is there.
double LoadSave_ReadReal(LoadSaveBuffer& buffer);
// Copies up to size * count bytes from the position (fewer at the end, never a negative count),
// advances the position and returns the number copied.
int32_t LoadSave_Read(void* destination, int32_t size, int32_t count, LoadSaveBuffer& buffer);

// The hook the loader calls while a game loads; nothing to do.
void LoadSave_Init();
