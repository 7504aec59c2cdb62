// The stored code table: the bytecode of the CODE chunk, copied out of the file image so
// that the variable and function references (VARI, FUNC) can be patched into it.
#pragma once

#include <cstdint>
#include <functional>
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

// Resolves a variable name to its id (a built-in index or a user id); negative when none.
// The default resolver hands out user ids from 100000 on, one per new name.
using VariableResolver = std::function<int32_t(std::string_view name)>;
void CodeTable_SetVariableResolver(VariableResolver resolver);  // an empty one restores the default

// A VARI or FUNC name that resolves to nothing: the load ends with "Error on load".
class UnresolvedNameError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// --- used by the loader ---
void CodeTable_Clear();
// CODE, pre-pass: copies every entry's bytecode.
void Code_Load(const GameDataReader& reader, ChunkSpan body);
// VARI, pre-pass: patches variable ids along each use chain.
void VARI_Load(const GameDataReader& reader, ChunkSpan body);
// CODE, second pass: checks that every string operand is an index into the string table.
void Code_ResolveAllStrings(uint32_t stringCount);
// FUNC, second pass: patches function ids along each call chain.
void FUNC_Load(const GameDataReader& reader, ChunkSpan body);
