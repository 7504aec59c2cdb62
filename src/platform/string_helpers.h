// Small text helpers shared by every subsystem. Texts are UTF-8 byte strings; "absent" (a null
// string of the original interfaces) is std::nullopt or a null pointer.
#pragma once

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

// Joins the non-empty parts in order; absent when every part is empty or absent.
std::optional<std::string> String_Concat(std::initializer_list<const char*> parts);

// Each byte becomes one 16-bit unit by sign extension (0x80-0xFF give 0xFF80-0xFFFF).
std::u16string String_Widen(std::string_view bytes);

// Keeps the low byte of each unit.
std::string String_Narrow(std::u16string_view units);

// 1-based byte position of the first occurrence of needle in haystack; 0 when absent or when
// either is null.
int String_Pos(const char* needle, const char* haystack);

// dest becomes source without the leading and trailing bytes whose value as a signed character
// is below 33 (control characters, blanks and every byte from 0x80 up); a null source makes
// dest absent.
void String_Assign(std::optional<std::string>& dest, const char* source);

// A copy in which every '#' becomes a carriage return (13), except "\#", which becomes '#'.
std::string Text_HashToNewline(std::string_view text);
