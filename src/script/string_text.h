// The text of a string block as the string built-ins read it: its bytes up to the first NUL,
// counted in UTF-8 characters as platform/utf8.h reads them. Its length in bytes and in
// characters, whether it is all ASCII and, for a text that is not, a sparse index of where
// its characters start are worked out once, the first time they are asked for, and kept in
// the block: a character's position then costs a few steps, whatever the text's length.
#pragma once

#include <cstdint>
#include <string_view>

#include "script/string_rep.h"

// Characters between two entries of the index of a text that is not all ASCII.
inline constexpr uint32_t kCharIndexStep = 32;

// The bytes before the first NUL.
std::string_view StringText_Bytes(StringRep& rep);
// Their number of characters (as UTF8_Length counts them).
int64_t StringText_Length(StringRep& rep);
// True when every byte of the text is below 0x80: a character is then a byte.
bool StringText_IsAscii(StringRep& rep);
// Where character n (from 0) of the text starts; the text's end (its NUL) for n at or past
// its length or below 0.
const char* StringText_CharAt(StringRep& rep, int64_t n);

// For the block itself; neither throws (without memory for the index, what is known of the
// characters is forgotten). Keeps what is known right after bytes were appended to the block
// (it held oldSize bytes before).
void StringText_Grew(StringRep& rep, uint32_t oldSize);
// What is known of from's bytes, now the first bytes of to (from's index moved when
// movable, else copied).
void StringText_CarryOver(StringRep& from, StringRep& to, bool movable);
