// The file built-ins: numbered binary files (file_bin_*), numbered text files (file_text_*), the
// single text file of the older interface (file_open_read and the rest), questions about files
// and folders, file names, programs, the command line and the environment. InitFileFunctions
// clears the file tables and registers these with the registry, ini, HTTP and JSON built-ins
// (registry_functions.h, http_json_functions.h): 79 in all.
//
// Names are found through the read-path rule: the save area first, then the game folder; a
// name found in neither is given its save-area path. Names that lead outside both folders
// resolve to nothing and every open of them fails.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "script/builtin_function.h"

void InitFileFunctions();

// The command line, counted from 1 (the program's own path).
BuiltinSignature F_ParameterCount;
BuiltinSignature F_ParameterString;

// Releases every binary entry (shut-down) and every text entry.
void FileBin_CloseAll();
void File_CloseAllTables();

// The full path of a name by the read-path rule; empty when the name resolves nowhere.
std::string File_ReadPath(std::string_view name);

// filename_change_ext of name and ext.
std::string File_ChangeExt(std::string_view name, std::string_view ext);

// "%f" of a real (six decimals), at any length.
std::string File_FormatFixed(double value);

// Forgets every registry value.
void Registry_Clear();

void InitRegistryAndIniFunctions();
void InitHttpAndJsonFunctions();
