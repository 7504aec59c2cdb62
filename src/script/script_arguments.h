// The argument state that built-ins share with the interpreters: the argument slots of
// the running script (argument0 to argument15), their count and the action's relative flag.
#pragma once

#include <array>
#include <cstdint>

#include "script/script_value.h"

inline constexpr int32_t kArgumentSlotCount = 16;

using ArgumentSlots = std::array<ScriptValue, kArgumentSlotCount>;

// The sixteen argument slots of the running script. Each script call points this at slots of
// its own and its return points it back, so a call never copies the caller's arguments.
extern ScriptValue* Code_Arguments;
extern int32_t Code_ArgumentCount;
// Set while the running action has its relative option ticked.
extern bool Action_Relative;

// Slot n takes the kind, the real and a copy of the string (null: no string). A slot number
// outside 0 to 15 changes nothing.
void Code_Argument_Set(int32_t n, ValueKind kind, double real, const char* string);
void Code_Argument_Set(int32_t n, const ScriptValue& value);
// Shut-down: the outermost slots again, every one back to the real 0.
void Code_Arguments_Free();

// Gives code run from a built-in argument slots of its own for as long as it lives; the
// caller's slots and count are untouched by whatever that code does with them.
class ArgumentWindow {
 public:
  ArgumentWindow() : caller_(Code_Arguments), callerCount_(Code_ArgumentCount) {
    Code_Arguments = slots_.data();
  }
  ~ArgumentWindow() {
    Code_Arguments = caller_;
    Code_ArgumentCount = callerCount_;
  }
  ArgumentWindow(const ArgumentWindow&) = delete;
  ArgumentWindow& operator=(const ArgumentWindow&) = delete;

  ScriptValue& operator[](int32_t n) { return slots_[static_cast<size_t>(n)]; }
  // The slot of the same number in the caller's window.
  const ScriptValue& Caller(int32_t n) const { return caller_[n]; }

 private:
  ArgumentSlots slots_;
  ScriptValue* caller_;
  int32_t callerCount_;
};
