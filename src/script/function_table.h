// The table of built-in functions and the one id space of callable things.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "script/builtin_function.h"

inline constexpr int32_t kScriptFunctionBase = 100000;     // 100000 + script number
inline constexpr int32_t kExtensionFunctionBase = 500000;  // 500000 + extension function number
inline constexpr int32_t kNoSuchFunction = -100;           // Function_ArgCount of an unknown id
inline constexpr int32_t kAnyArgumentCount = -1;
inline constexpr int32_t kFunctionTableStep = 500;         // the table grows by this many records

struct BuiltinFunctionEntry {
  std::string name;
  BuiltinFunction implementation = nullptr;
  int32_t argc = 0;  // -1: any number
};

// Appends a record; names are not compared with earlier ones. Records keep their index.
void Function_Add(const char* name, BuiltinFunction implementation, int32_t argc);
// Scripts first, then extension functions, then built-ins (exact, case-sensitive bytes).
// id is -1 when nothing has the name.
bool Function_Find(const char* name, int32_t& id);
// Extension functions: their own count; scripts: -1 (any); built-ins: their record's;
// anything else -100.
int32_t Function_ArgCount(int32_t id);
// The built-in record of id, or null when id is not a registered built-in.
const BuiltinFunctionEntry* Function_Get(int32_t id);
int32_t Function_Count();
int32_t Function_Capacity();
// Calls built-in id: result becomes the real 0, then the implementation runs. False (and
// nothing called) when id is not a registered built-in.
bool Function_Call(int32_t id, ScriptValue& result, CInstance* self, CInstance* other, int argc,
                   ScriptValue* args);
// Runs a built-in's implementation. Memory it cannot get ends the call with the runtime error
// "String too long." (result as the implementation left it), not the runner.
void Function_Invoke(const BuiltinFunctionEntry& entry, ScriptValue& result, CInstance* self,
                     CInstance* other, int argc, ScriptValue* args);
// Empties the table; the runner's built-ins count as not registered until they are again.
void Function_FreeAll();

// Whether the runner's own built-ins are in the table since it was last emptied: a game loaded
// after shut-down freed the table registers them again.
bool Function_BuiltinsRegistered();
void Function_SetBuiltinsRegistered();

// Scripts and extension functions are looked up by name through these, installed by their
// tables: the number of the script or extension function with exactly this name.
using FunctionNameLookup = bool (*)(const char* name, int32_t& number);
using ExtensionArgCountLookup = int32_t (*)(int32_t number);  // -100 when there is none
void Function_SetScriptLookup(FunctionNameLookup lookup);
void Function_SetExtensionLookup(FunctionNameLookup lookup, ExtensionArgCountLookup argCount);

// Everything the table holds, records and lookups, taken whole and put back whole: for a caller
// that empties or replaces the table for a while and must leave it as it found it.
struct FunctionTableState {
  std::vector<BuiltinFunctionEntry> entries;
  bool builtinsRegistered = false;
  FunctionNameLookup scriptLookup = nullptr;
  FunctionNameLookup extensionLookup = nullptr;
  ExtensionArgCountLookup extensionArgCount = nullptr;
};
FunctionTableState Function_SaveState();
void Function_RestoreState(FunctionTableState state);
