// The table of built-in variables: each a name with a getter and (unless read-only) a setter,
// its id its place in the table. The compiler turns a built-in name into that id; the
// interpreters reach the accessors through Variable_GetValue / Variable_SetValue.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "script/script_value.h"

class CInstance;
struct RoomSettings;

inline constexpr int32_t kMaxBuiltinVariables = 500;

// index is the array index the code wrote (0 for none; row * 32000 + column, of which only
// the column counts here).
using BuiltinGetter = bool (*)(CInstance* instance, int32_t index, ScriptValue& out);
using BuiltinSetter = bool (*)(CInstance* instance, int32_t index, const ScriptValue& value);

// A built-in variable whose getter only reads a field of the instance, or of the current room
// (0 without one), and gives it as a real: the field, so that the machine can read it itself
// and get the same real.
struct BuiltinPlainField {
  enum class Kind : uint8_t { None, Float, Int, UInt, Bool, RoomInt, RoomUInt, RoomBool };
  // What storing a real does beyond the setter's checks: Setter, anything (the setter is
  // called); PositionX / PositionY, the instance's SetPosition with the real narrowed for
  // x / y and the other coordinate as it is.
  enum class Store : uint8_t { Setter, PositionX, PositionY };
  Kind kind = Kind::None;
  Store store = Store::Setter;
  union {
    float CInstance::*f;
    int32_t CInstance::*i;
    uint32_t CInstance::*u;
    bool CInstance::*b;
    int32_t RoomSettings::*roomI;
    uint32_t RoomSettings::*roomU;
    bool RoomSettings::*roomB;
  };
  BuiltinPlainField() : f(nullptr) {}
  explicit BuiltinPlainField(float CInstance::*field) : kind(Kind::Float), f(field) {}
  explicit BuiltinPlainField(int32_t CInstance::*field) : kind(Kind::Int), i(field) {}
  explicit BuiltinPlainField(uint32_t CInstance::*field) : kind(Kind::UInt), u(field) {}
  explicit BuiltinPlainField(bool CInstance::*field) : kind(Kind::Bool), b(field) {}
  explicit BuiltinPlainField(int32_t RoomSettings::*field) : kind(Kind::RoomInt), roomI(field) {}
  explicit BuiltinPlainField(uint32_t RoomSettings::*field) : kind(Kind::RoomUInt), roomU(field) {}
  explicit BuiltinPlainField(bool RoomSettings::*field) : kind(Kind::RoomBool), roomB(field) {}
};

struct BuiltinVariableEntry {
  std::string name;
  BuiltinGetter getter = nullptr;
  BuiltinSetter setter = nullptr;  // null: read-only
  bool settable = false;
  BuiltinPlainField field;  // Kind::None unless the getter is a plain field read
};

// The table's entries by id while its accessors are the ones in place (Variable_BuiltIn_Init
// installs them; installing others empties this): the virtual machine reads and writes
// built-in variables through the entries themselves. count is 0 otherwise.
struct BuiltinVariableDirect {
  const BuiltinVariableEntry* entries = nullptr;
  int32_t count = 0;
  // The current room hook (Variable_BuiltIn_World().currentRoom), for the room's fields.
  const std::function<RoomSettings*()>* currentRoom = nullptr;
};
extern BuiltinVariableDirect Variable_BuiltIn_Direct;

// Adds an entry; past 500 entries the message box says so and nothing is added.
void Variable_BuiltIn_Add(const char* name, BuiltinGetter getter, BuiltinSetter setter, bool settable,
                          BuiltinPlainField field = {});
// The first entry with exactly that name, -1 when none.
int32_t Variable_BuiltIn_Find(std::string_view name);
// "<unknown built-in variable>" outside the table.
std::string Variable_BuiltIn_Name(int32_t id);
int32_t Variable_BuiltIn_Count();
const BuiltinVariableEntry* Variable_BuiltIn_Entry(int32_t id);
// Empties the table and registers the instance variables, then the global ones (ending with
// the environment variables), and lets the compiler and the variable access use the table.
void Variable_BuiltIn_Init();
// Registers os_type, os_device, os_version, os_browser, browser_width and browser_height.
void Variable_AddEnvironmentVariables();

// Once per run: the folder of the game file becomes working_directory.
void Variable_SetWorkingDirectory(const std::string& gameFilePath);
const std::string& Variable_WorkingDirectory();

// What the accessors reach outside the script engine. Sprites and backgrounds come from their
// tables unless replaced; the room hooks are the room model's to fill. A hook left empty: the
// room variables read 0 and writes go nowhere.
struct BuiltinVariableWorld {
  std::function<RoomSettings*()> currentRoom;
  std::function<int32_t()> currentRoomIndex;
  std::function<int32_t()> firstRoom;
  std::function<int32_t()> lastRoom;
  std::function<void(int32_t room)> roomGoto;
  // Width and height of a background resource; false when there is none.
  std::function<bool(int32_t background, int32_t& width, int32_t& height)> backgroundSize;
  // Width, height and origin of a sprite; false when there is none.
  std::function<bool(int32_t sprite, int32_t& width, int32_t& height, int32_t& xorigin,
                     int32_t& yorigin)> spriteSize;
  std::function<int32_t()> displayAA;
  std::function<int32_t()> surfaceWidth;
  std::function<int32_t()> surfaceHeight;
};
BuiltinVariableWorld& Variable_BuiltIn_World();
// Back to the sprite and background tables and no room.
void Variable_BuiltIn_ResetWorld();

// The depth setter: the instance moves within the current room's active list so that it
// follows the instances of equal depth.
void SV_Depth(CInstance* instance, float depth);
