// The stored code table: the bytecode of the CODE chunk, copied out of the file image so
// that the variable and function references (VARI, FUNC) can be patched into it.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "data/game_data_reader.h"

struct StoredCode {
  bool present = false;         // false for an empty slot (list entry 0)
  std::string name;
  uint32_t fileOffset = 0;      // where the bytecode starts in the file
  std::vector<uint32_t> words;  // the bytecode, patched; string operands are string-table indices
};

// True once a non-empty CODE chunk was read: code objects are built from stored bytecode.
bool CodeTable_Active();
uint32_t CodeTable_Count();
// Entry i, or null when i is outside the table.
const StoredCode* CodeTable_Get(uint32_t index);

// Declares globalvar every name the stored code declared so (GLOB), as compiling that code
// from its source would have: done when the game's code is prepared, after the globals are
// made.
void CodeTable_DeclareGlobals();

// A VARI or FUNC name that resolves to nothing: the load ends with "Error on load".
class UnresolvedNameError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// --- used by the loader ---
void CodeTable_Clear();
// CODE, pre-pass: copies every entry's bytecode.
void Code_Load(const GameDataReader& reader, ChunkSpan body);
// VARI, pre-pass: patches variable ids along each use chain; the names are resolved through
// the compiler's one name table (built-in index or user id).
void VARI_Load(const GameDataReader& reader, ChunkSpan body);
// CODE, second pass: checks that every string operand is an index into the string table.
void Code_ResolveAllStrings(uint32_t stringCount);
// FUNC, second pass: patches function ids along each call chain.
void FUNC_Load(const GameDataReader& reader, ChunkSpan body);
// GLOB, pre-pass: the names the stored code declared globalvar (a run of text references).
void GLOB_Load(const GameDataReader& reader, ChunkSpan body);
