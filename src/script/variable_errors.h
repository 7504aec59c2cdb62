// Array subscripts and the messages of failed variable accesses, shared by the parse-tree
// interpreter and the virtual machine so both word them the same way.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "script/script_value.h"

// The index of a[i] (one subscript) or a[i, j] (two): each subscript a real, rounded half to
// even, 0 to 31999; i * 32000 + j. Answers null, or the message of the first bad subscript:
// "Wrong type of array index", "Negative array index" or "Array index >= 32000" (more than two
// subscripts: the compiler's "Only 1- and 2-dimensional arrays are supported.").
const char* Variable_BuildArrayIndex(std::span<const ScriptValue> subscripts, int32_t& index);

// Parse-tree interpreter, failed read or write: "Unknown variable NAME", with
// " or array index out of bounds" when an index was given.
std::string Variable_UnknownText(int32_t id, int32_t index);

// Virtual machine, failed read: the array-error flag tells an index out of range from any
// other failure.
std::string Variable_PushErrorText(int32_t id);
// Virtual machine, write: a failed write, or one that worked but left the array-error flag.
std::string Variable_PopErrorText(int32_t id, bool writeFailed);
