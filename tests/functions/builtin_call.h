// Calling built-in implementations directly, and catching the error lines they report.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

#include "script/builtin_function.h"
#include "script/script_value.h"
#include "support/console_capture.h"

inline ScriptValue R(double value) { return ScriptValue::Real(value); }
inline ScriptValue S(std::string text) { return ScriptValue::String(std::move(text)); }

// Calls fn as the machine would: the result starts as the real 0.
inline ScriptValue CallBuiltin(BuiltinFunction fn, std::vector<ScriptValue> args) {
  ScriptValue result;
  fn(result, nullptr, nullptr, static_cast<int>(args.size()), args.data());
  return result;
}
