// What the action built-ins share: the relative flag applied to an argument, the answer of a
// question action, and the registration record of each group of actions.
#pragma once

#include <cstdint>
#include <span>

#include "script/builtin_function.h"
#include "script/script_arguments.h"

// The value, plus the instance's current value when the action's relative option is ticked.
inline float Action_Rel(float value, float current) { return Action_Relative ? value + current : value; }
inline double Action_Rel(double value, double current) { return Action_Relative ? value + current : value; }

inline void Action_Answer(ScriptValue& result, bool yes) { result.SetReal(yes ? 1.0 : 0.0); }

// Compares a with b by the operator number of the question actions: 1 less, 2 greater, any
// other equal.
inline bool Action_Compare(double a, double b, int32_t op) {
  if (op == 1) return a < b;
  if (op == 2) return a > b;
  return a == b;
}

struct ActionBuiltin {
  const char* name;
  BuiltinFunction implementation;
  int32_t argc;
};

// The groups of actions, each in its registration order (InitActionFunctions joins them).
std::span<const ActionBuiltin> Action_MotionBuiltins();
std::span<const ActionBuiltin> Action_GameBuiltins();
std::span<const ActionBuiltin> Action_ParticleBuiltins();
std::span<const ActionBuiltin> Action_DrawingBuiltins();
