// The one table that string operands of bytecode index: the game data file's strings, and
// after them the strings the run-time compiler interns. An operand is never a pointer.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The operand of a null string (pushes a string value with no text).
inline constexpr uint32_t kVMNullString = 0xFFFFFFFFu;
// Interned strings are numbered from here, so they never meet the file's indices.
inline constexpr uint32_t kVMInternedStringBase = 0x80000000u;

// The file's table: its size and its entries. Installed by the game data loader.
using VMFileStringCount = uint32_t (*)();
using VMFileString = std::string_view (*)(uint32_t index);
void VM_SetFileStrings(VMFileStringCount count, VMFileString get);

// The index of text among the interned strings (the same text gives the same index).
uint32_t VM_InternString(std::string_view text);
// The text of an operand; an index outside both tables gives false.
bool VM_String(uint32_t index, std::string_view& text);
// Shut-down: the interned strings go.
void VM_FreeStrings();
