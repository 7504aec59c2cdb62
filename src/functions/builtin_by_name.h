// Calling a built-in of another family by its registered name, looked up at call time, so a
// family can use one that is registered later (or not yet built) without depending on it.
#pragma once

#include <initializer_list>
#include <string_view>

#include "script/script_value.h"

class CInstance;

// Whether a built-in (not a script or extension function) of that name is registered.
bool Builtin_IsRegistered(std::string_view name);

// Calls the registered built-in with these arguments; false (and nothing called, the result
// untouched) when no built-in of that name is registered.
bool Builtin_CallByName(std::string_view name, ScriptValue& result, CInstance* self, CInstance* other,
                        std::initializer_list<ScriptValue> args);

// The same, for callers that do not need the result.
bool Builtin_CallByName(std::string_view name, CInstance* self, CInstance* other,
                        std::initializer_list<ScriptValue> args);
