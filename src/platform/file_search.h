// Searching folders by a name pattern, as file_find_first and file_find_next do: '*' stands for
// any run of characters, '?' for any one, and letters match whatever their case (the games were
// made on a file system that ignores case). A pattern ending in ".*" also matches names without
// an extension, so "*.*" matches every name.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Whether the name matches the pattern.
bool File_WildcardMatch(std::string_view pattern, std::string_view name);

// The names in the folders (files, folders and hidden entries alike, never "." and "..") that
// match the pattern, ordered by name ignoring case. A name found in more than one folder (in
// any case) is listed once, as the first folder spells it; a folder that cannot be read adds
// nothing.
std::vector<std::string> File_FindInFolders(const std::vector<std::string>& folders, std::string_view pattern);
