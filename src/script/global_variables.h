// The global scope: its variable list and the globalvar flags of user variable names.
#pragma once

#include <cstdint>
#include <vector>

#include "script/variable_list.h"

// Saved-game tag of the globals section.
inline constexpr int32_t kGlobalsTag = 700;
inline constexpr int32_t kGlobalVarFlagsInitial = 10000;
inline constexpr int32_t kGlobalVarFlagsStep = 1000;

// The global list (made on first use when Variable_Global_Init has not run yet).
CVariableList& Variable_GlobalList();

// A fresh empty global list and 10000 cleared flags. Called when the game data is loaded.
void Variable_Global_Init();
bool Variable_Global_Get(int32_t id, int32_t index, ScriptValue& out);
bool Variable_Global_Set(int32_t id, int32_t index, const ScriptValue& value);

// The globalvar flags: flag n belongs to user variable id 100000 + n.
extern std::vector<uint8_t> Variable_GlobalVarFlags;
// Whether user variable id was declared globalvar (read by the machine for every plain name).
inline bool Variable_IsGlobalVar(int32_t id) {
  const int64_t n = int64_t{id} - kFirstUserVariableId;
  return n >= 0 && static_cast<uint64_t>(n) < Variable_GlobalVarFlags.size() &&
         Variable_GlobalVarFlags[static_cast<size_t>(n)] != 0;
}
// Flags id (growing the flags 1000 at a time until they cover it) and declares it in the
// global list. Ids of built-in variables are ignored.
void Variable_DeclareGlobalVar(int32_t id);
int32_t Variable_GlobalVarFlagCount();

// The globals section of a saved game: tag 700, the global list, the flag count, the flags.
void Variable_Global_Save(SaveWriter& out);
// Merges the stored globals into the current ones and takes the stored flags. A damaged
// section or another tag is refused (false) and changes nothing.
bool Variable_Global_Load(SaveReader& in);
// The same through the byte stream, at its position (which a refused load leaves alone).
void Variable_Global_Save(CStream& stream);
bool Variable_Global_Load(CStream& stream);

// The globals section read but not yet taken, for a loader that checks a whole file before
// changing anything.
struct GlobalsSection {
  std::vector<VariableNode> nodes;
  std::vector<uint8_t> flags;
};
// Reads the section (false for another tag or damage); nothing changes.
bool Variable_Global_Read(SaveReader& in, GlobalsSection& section);
bool Variable_Global_Read(CStream& stream, GlobalsSection& section);
// Merges the section's globals into the current ones and takes its flags.
void Variable_Global_Apply(GlobalsSection section);

// Shut-down: the global list and the flags go.
void Variable_FreeAll();
