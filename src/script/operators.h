// The unary and binary operators of the scripting language as the tree interpreter and
// the compiler's constant folding apply them (same type rules, same messages).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "script/script_value.h"

class CCode;

// Apply an operator in place (binary: the result replaces left). Null on success, else
// the error message.
const char* Operator_Unary(int32_t op, ScriptValue& value);
const char* Operator_Binary(int32_t op, ScriptValue& left, const ScriptValue& right);

// text repeated count times into out (empty for count <= 0), as both executors repeat a
// string; null, or "String too long." when the result would pass the longest string a
// repetition may make (then out is left empty).
const char* Operator_RepeatString(std::string& out, std::string_view text, int64_t count);

// right appended to the string left, as both executors join strings; null, or "String too
// long." when memory cannot be had for the result (then left is unchanged). storedBack: the
// caller has made sure that left is stored next into the variable it was read from, that this
// variable holds left's bytes, that no other value does, and that nothing reads the variable
// in between; those bytes then grow in place (s += t, s = s + t).
const char* Operator_Concatenate(ScriptValue& left, std::string_view right, bool storedBack = false);

// As above, reporting a failure as a compile error of code at position.
bool Code_UnaryOp(const CCode& code, int32_t position, int32_t op, ScriptValue& value);
bool Code_BinaryOp(const CCode& code, int32_t position, int32_t op, ScriptValue& left,
                   const ScriptValue& right);
