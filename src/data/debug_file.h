// The optional debug side file "<game>.qkdebug": source text and position tables of the
// stored code entries, same container as the game file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct DebugPosition {
  int32_t bytecodeOffset = 0;
  int32_t sourcePosition = 0;
};

// The side file's name for a game file: the extension (from the last '.' after the last
// separator) replaced by ".qkdebug"; empty when the file name has no '.'.
std::string DebugFile_PathFor(const std::string& gamePath);

// Reads a side file image. A damaged side file is dropped whole (the game runs without
// debug information); returns whether it was taken.
bool DebugFile_Load(std::vector<uint8_t> image);
void DebugFile_Clear();

// Source text of stored code entry i ("" without a side file).
std::string_view DebugFile_Source(uint32_t index);
// Position table of stored code entry i (null without a side file).
const std::vector<DebugPosition>* DebugFile_Info(uint32_t index);
