// The table of built-in functions and the one id space of callable things.
#pragma once

#include <cstdint>
#include <string>

#include "script/builtin_function.h"

inline constexpr int32_t kScriptFunctionBase = 100000;     // 100000 + script number
inline constexpr int32_t kExtensionFunctionBase = 500000;  // 500000 + extension function number
inline constexpr int32_t kNoSuchFunction = -100;           // Function_ArgCount of an unknown id

struct BuiltinFunctionEntry {
  std::string name;
  BuiltinFunction implementation = nullptr;
  int32_t argc = 0;  // -1: any number
};

// Appends a record; names are not compared with earlier ones.
void Function_Add(const char* name, BuiltinFunction implementation, int32_t argc);
// Scripts first, then extension functions, then built-ins (exact, case-sensitive).
bool Function_Find(const char* name, int32_t& id);
int32_t Function_ArgCount(int32_t id);
// The built-in record of id, or null when id is not a registered built-in.
const BuiltinFunctionEntry* Function_Get(int32_t id);
int32_t Function_Count();
void Function_FreeAll();
