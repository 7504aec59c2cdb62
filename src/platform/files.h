// Files, folders and paths. Paths that come from game code may use backslashes (the games were
// made on Windows); every helper here accepts both separators and writes '/'. A name that does
// not exist as spelled is looked for case-insensitively in its folder (File_ResolvePath).
#pragma once

#include <string>
#include <string_view>

inline bool File_IsSeparator(char c) { return c == '/' || c == '\\'; }

// Backslashes become '/'.
std::string File_NormaliseSeparators(std::string_view path);

// The path with backslashes turned into '/' and, where a component is missing as spelled, the
// first entry of its folder whose name matches it case-insensitively (ASCII letters) put in its
// place. Components after the first that matches nothing are kept as given.
std::string File_ResolvePath(std::string_view path);

// True for an existing file that is neither a folder nor a device.
bool File_Exists(std::string_view path);
bool File_DirectoryExists(std::string_view path);

// Parts of a path, split at the last separator of either kind.
std::string File_FilePath(std::string_view path);   // before it; empty when none or at index 0
std::string File_FileName(std::string_view path);   // after it; the whole path when none
std::string File_FileExt(std::string_view path);    // the name's last '.' on, "" when none
std::string File_FileDrive(std::string_view path);  // "X:" for a Windows drive prefix, else ""

std::string File_CurrentDirectory();

// True when 1 <= i < length and path[i] is a separator.
bool File_IsBackslashAt(std::string_view path, int i);

// Removes one trailing separator.
void File_TrimTrailingSlash(std::string& path);

// Creates the folder and every missing parent; true when the folder exists afterwards.
bool File_CreateDirectory(std::string_view path);

// Creates the folder that holds the file path (everything before its last separator); a path
// without a separator does nothing.
void File_EnsureDirectory(std::string_view filePath);

// Deletes the folder with everything in it; symbolic links are removed, never followed.
void File_DeleteDirectory(std::string_view path);
