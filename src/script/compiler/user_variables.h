// Variable names and ids: built-in variables below 10000, user variables from 100000.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

inline constexpr int32_t kUserVariableBase = 100000;

// The built-in variable table answers these; until it is installed a small default list
// (x, y, id, speed, direction, argument0..15, argument, argument_count, global, self, other,
// all, noone) stands in. Find gives the index or -1; Name gives false for an unknown index.
using BuiltinVariableFind = std::function<int32_t(std::string_view name)>;
using BuiltinVariableName = std::function<bool(int32_t index, std::string& name)>;
void Code_SetBuiltinVariableHooks(BuiltinVariableFind find, BuiltinVariableName name);

// The built-in index of name, else the user id (a new name is added on first sight).
int32_t Code_Variable_Find(std::string_view name);
// The name of a variable id; "<unknown variable>" for an id that names nothing.
std::string Code_Variable_Name(int32_t id);
// Number of user variable names known so far.
int32_t Code_Variable_UserCount();
