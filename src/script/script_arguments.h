// The argument state that built-ins share with the interpreters: the argument slots of
// the running script (argument0 to argument15), their count and the action's relative flag.
#pragma once

#include <array>
#include <cstdint>

#include "script/script_value.h"

inline constexpr int32_t kArgumentSlotCount = 16;

extern std::array<ScriptValue, kArgumentSlotCount> Code_Arguments;
extern int32_t Code_ArgumentCount;
// Set while the running action has its relative option ticked.
extern bool Action_Relative;

// Slot n takes the kind, the real and a copy of the string (null: no string). A slot number
// outside 0 to 15 changes nothing.
void Code_Argument_Set(int32_t n, ValueKind kind, double real, const char* string);
void Code_Argument_Set(int32_t n, const ScriptValue& value);
// Shut-down: every slot back to the real 0.
void Code_Arguments_Free();
