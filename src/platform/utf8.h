// UTF-8 as the runner reads and writes it: characters of one to three bytes, code points
// of 16 bits. Shared by the string built-ins, fonts, text layout and the keyboard string.
//
// Strings are NUL-terminated. The decoder steps by the lead byte alone and does not check
// continuation bytes (a four-byte lead is read as a three-byte one), but it never steps
// past the terminator: a sequence cut short by the NUL ends there, its missing bytes read
// as 0, and counts as one character.
#pragma once

#include <cstdint>
#include <string>

// Decodes the character at p and advances p past it (never past the terminator). At the
// terminator it answers 0 and leaves p in place.
uint16_t UTF8_GetChar(const char*& p);

// Writes c as one to three bytes at p and advances p; no terminator. The caller provides
// room for three bytes.
void UTF8_PutChar(char*& p, uint16_t c);
// The same, appending to a string.
void UTF8_PutChar(std::string& out, uint16_t c);

// Number of characters of a NUL-terminated string; 0 for an empty or null string. Strings
// may pass 2^31 characters.
int64_t UTF8_Length(const char* s);

// Compares s from its start with the whole of t, character by character: 0 when s starts
// with t (an empty t always matches), else the difference of the first unequal pair of
// code points, or a non-zero value when s ends first.
int32_t UTF8_ComparePrefix(const char* s, const char* t);
