// Named values of the scripting language: built-in constants, the game's own constants
// and those of extension packages, and the resource names that stand for their index.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "script/script_value.h"

class CInstance;

// The resource kinds whose names resolve to their index, in the order they are tried.
enum class ResourceKind : int32_t {
  Object = 0,
  Sprite,
  Sound,
  Background,
  Path,
  Font,
  TimeLine,
  Script,
  Room,
};
inline constexpr int32_t kResourceKindCount = 9;

// Each resource table installs its find-by-name (exact comparison): true with the index.
using ResourceFinder = std::function<bool(std::string_view name, int32_t& index)>;
void Constant_SetResourceFinder(ResourceKind kind, ResourceFinder finder);

// Appends an entry; a name added again hides the older entry.
void Constant_Add(std::string_view name, const ScriptValue& value);
void Constant_AddReal(std::string_view name, double value);
// For the compiler: resource names first (in ResourceKind order), then the table, newest
// entry first, case-sensitive.
bool Constant_Resolve(std::string_view name, ScriptValue& value);
// The table only, newest first, ASCII case ignored. Null when not found.
const double* Constant_Find(std::string_view name);
bool Constant_IsValidName(std::string_view name);
// Compiles text as an expression ("Constant.%d") and runs it for a temporary instance.
bool Constant_Evaluate(const std::string& text, ScriptValue& value);
// Defines a user constant; a bad name or value shows its message and gives false.
bool Constant_Define(std::string_view name, const std::string& text);
// Defines the game's constants in their stored order; false at the first that fails.
bool Code_Constant_Prepare(std::span<const std::pair<std::string, std::string>> constants);
// Registers the built-in constants, then the platform constants (once, at start-up).
void Constant_Init();
void Constant_AddEnvironmentConstants();
void Constant_FreeAll();
int32_t Constant_Count();

// Where the messages of Constant_Define go; the message box unless a sink is set.
using ConstantMessageSink = std::function<void(const std::string& text)>;
void Constant_SetMessageSink(ConstantMessageSink sink);

// Gives Constant_Evaluate the temporary instance (at 0,0, id 0, object 0) it runs the
// value for: the provider makes one, calls body with it and destroys it. Until the
// instance module installs one, body gets a null instance.
using TemporaryInstanceProvider =
    std::function<bool(const std::function<bool(CInstance* instance)>& body)>;
void Constant_SetTemporaryInstanceProvider(TemporaryInstanceProvider provider);
