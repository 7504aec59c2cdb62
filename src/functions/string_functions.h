// String built-ins. Positions given by game code count from 1. string_length, string_pos,
// string_copy, string_char_at, string_delete, string_insert, chr and ord count UTF-8
// characters (platform/utf8.h); the others work on bytes. Registered by InitMathFunctions.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "script/builtin_function.h"

// The text `string` makes of a real: "%d" of the rounded value when the real equals it
// exactly, else String_FixedPoint with two decimals. As long as it needs to be.
std::string String_FromReal(double value);
// A real with a fixed number of decimals, as the original C runtime's "%.*f" wrote it:
// seventeen significant digits, zeros beyond them, and a half at the cut rounded away from
// zero (0.125 with two decimals is 0.13, 2.5 with none is 3). A negative precision is 6.
std::string String_FixedPoint(double value, int32_t precision);
// printf-style formatting in the "C" locale, sized to fit.
std::string String_PrintfC(const char* format, ...) __attribute__((format(printf, 1, 2)));
// The value `real` reads from text: the text trimmed of bytes whose signed value is below
// 33 at both ends, then its longest leading decimal number (sign, digits, point, exponent)
// in the "C" locale; 0 when there is none.
double String_ToReal(std::string_view text);

BuiltinSignature F_Real;
BuiltinSignature F_String;
BuiltinSignature F_StringFormat;
BuiltinSignature F_Chr;
BuiltinSignature F_AnsiChar;
BuiltinSignature F_Ord;
BuiltinSignature F_StringLength;
BuiltinSignature F_StringPos;
BuiltinSignature F_StringCopy;
BuiltinSignature F_StringCharAt;
BuiltinSignature F_StringByteLength;
BuiltinSignature F_StringByteAt;
BuiltinSignature F_StringDelete;
BuiltinSignature F_StringInsert;
BuiltinSignature F_StringLower;
BuiltinSignature F_StringUpper;
BuiltinSignature F_StringRepeat;
BuiltinSignature F_StringLetters;
BuiltinSignature F_StringDigits;
BuiltinSignature F_StringLettersdigits;
BuiltinSignature F_StringReplace;
BuiltinSignature F_StringReplaceAll;
BuiltinSignature F_StringCount;
