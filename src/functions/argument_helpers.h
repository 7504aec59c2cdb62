// Reading the arguments of built-in functions, and the shared "wrong argument" reports.
//
// Every built-in converts each argument in its own fixed way, and that way is part of its
// behaviour. The conversions below are the only ones built-ins use:
//   Arg_Real       the real part as it stands (a string argument counts as its real part)
//   Arg_Rounded    (n) nearest 32-bit integer, halves to even
//   Arg_Truncated  (t) 32-bit integer toward zero
//   Arg_Single     (f32) narrowed to single precision
//   Arg_Flag       (f) true when the real is >= 0.5
//   Arg_FlagSingle (fs) the same after narrowing to single precision
//   Arg_FlagAbove  true when the real is > 0.5 (the few built-ins that test "above")
// Both integer conversions give -2147483648 for NaN and for values outside 32 bits.
//
// A string argument is read as the text of a string value, up to its first NUL byte (the
// scripting language's strings end there); a real passed where a string is read is a
// missing string and reads as empty.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "script/script_value.h"

inline double Arg_Real(const ScriptValue& value) { return value.real; }
int32_t Arg_Rounded(const ScriptValue& value);
int32_t Arg_Truncated(const ScriptValue& value);
// Truncated through a 64-bit integer (NaN and out of range give INT64_MIN).
int64_t Arg_Truncated64(const ScriptValue& value);
float Arg_Single(const ScriptValue& value);
bool Arg_Flag(const ScriptValue& value);
bool Arg_FlagSingle(const ScriptValue& value);
bool Arg_FlagAbove(const ScriptValue& value);

// The text of a string argument (up to its first NUL), empty for a real. The view stays
// valid while the argument lives unchanged.
std::string_view Arg_String(const ScriptValue& value);
// The same as a NUL-terminated pointer (never null).
const char* Arg_CString(const ScriptValue& value);
// True when the argument is a string with at least one byte of text.
bool Arg_HasText(const ScriptValue& value);

bool Arg_AnyString(int argc, const ScriptValue* args);
bool Arg_AllReal(int argc, const ScriptValue* args);

// Non-fatal reports through the runtime error routine, each in one fixed wording:
//   "Illegal argument count", "Illegal argument type",
//   "Wrong argument types for <name>", "Error <name>(): illegal argument; strings not permitted".
void Arg_ReportIllegalCount();
void Arg_ReportIllegalType();
void Arg_ReportWrongTypes(std::string_view builtin_name);
void Arg_ReportStringsNotPermitted(std::string_view builtin_name);

// Checks used by the families that validate their own arguments: false (after the report)
// when argc differs from expected / when any argument is a string.
bool Arg_CheckCount(int argc, int expected);
bool Arg_CheckAllReal(int argc, const ScriptValue* args);
