// Calling functions exported by native shared libraries from game code.
//
// A function is defined once (library, exported name, calling convention, argument and result
// types) and gets a small id, its index in the table; ids are never reused. Calls go through
// libffi with the arguments as doubles and NUL-terminated byte strings. The stdcall/cdecl
// choice is kept but has no effect on x86_64, which has one calling convention.
//
// Games name Windows libraries ("name.dll"): each is looked for as given, then as name.so and
// libname.so, in the save area and then in the game folder, and finally by the system's own
// library search.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "script/script_value.h"

inline constexpr int32_t kExternalReal = 0;
inline constexpr int32_t kExternalString = 1;
inline constexpr int32_t kExternalStdcall = 1;  // any other call type is cdecl
inline constexpr int32_t kExternalMaxArguments = 16;
inline constexpr int32_t kExternalMaxStringArguments = 4;  // strings only up to this count

// The new id, or -1: more than 16 arguments, a string argument among 5 or more, a library that
// does not load, or an entry point found neither by its name nor by "_name@size".
// types holds argc entries (0 real, 1 string).
int32_t External_Define(std::string_view library, std::string_view function, int32_t callType,
                        int32_t argc, const int32_t* types, int32_t resultType);
// result becomes the real 0, then the function's answer unless the id is unknown, argc
// differs from the definition, its library was freed or calls are disabled.
void External_Call(int32_t id, int argc, const ScriptValue* args, ScriptValue& result);
// Releases the library stored under exactly this (resolved) path and disables its functions.
void External_Free(std::string_view libraryPath);
void External_FreeAll();

// "-ext": every call answers the real 0 without calling.
void External_SetCallsDisabled(bool disabled);
bool External_CallsDisabled();

// The resolved path under which the function id was defined ("" for an unknown id).
std::string External_LibraryPath(int32_t id);
int32_t External_Count();
// Frees every library and forgets every definition (tests, and a new game).
void External_Reset();
