// The table and the accessors. Registration order is the table's order and so the ids; the
// instance variables come first, then the global ones.
#include "script/builtin_variables.h"

#include <ctime>
#include <type_traits>
#include <utility>
#include <vector>

#include "data/background.h"
#include "data/game_data.h"
#include "data/room_settings.h"
#include "platform/containers/name_index.h"
#include "data/sprite.h"
#include "platform/console.h"
#include "platform/conversions.h"
#include "platform/message_box.h"
#include "platform/temp_directory.h"
#include "platform/timing.h"
#include "platform/utf8.h"
#include "runner/event_names.h"
#include "runner/events.h"
#include "runner/game_locations.h"
#include "runner/input.h"
#include "runner/instance.h"
#include "runner/main_loop.h"
#include "runner/physics_variables.h"
#include "runner/run_globals.h"
#include "runner/window.h"
#include "script/compiler/user_variables.h"
#include "script/current_event.h"
#include "script/error_report.h"
#include "script/script_arguments.h"
#include "script/variable_access.h"
#include "script/variable_list.h"
#include "script/vm/vm.h"

namespace {

// Entries are only appended, or all cleared (which invalidates it).
NameIndex& BuiltinVariablesByName() {
  static NameIndex index;
  return index;
}

std::vector<BuiltinVariableEntry>& Table() {
  static std::vector<BuiltinVariableEntry> table;
  return table;
}

// Points the machine's direct reads and writes at the table as it stands.
void PublishDirect() {
  Variable_BuiltIn_Direct = {Table().data(), static_cast<int32_t>(Table().size()),
                             &Variable_BuiltIn_World().currentRoom};
}

std::string g_WorkingDirectory;
bool g_WorkingDirectorySet = false;

// ---- conventions ----------------------------------------------------------------------------

bool Real(ScriptValue& out, double value) {
  out.SetReal(value);
  return true;
}

bool Text(ScriptValue& out, const std::string& text) {
  out.SetString(text);
  return true;
}

int32_t Rounded(const ScriptValue& value) { return Conv_RoundToInt32(value.real); }
float Narrow(const ScriptValue& value) { return static_cast<float>(value.real); }
// Two of the three rules of flags; the third (unrounded, at least one half) is error_occurred's.
bool RoundedAboveHalf(const ScriptValue& value) { return Rounded(value) > 0.5; }
bool RoundedNonZero(const ScriptValue& value) { return Rounded(value) != 0; }

// A field takes a value by its type: reals are narrowed to single precision, integers and
// colours rounded half to even, flags set when the rounded value is above one half.
template <typename T>
void Store(T& field, const ScriptValue& value) {
  if constexpr (std::is_same_v<T, float>) {
    field = Narrow(value);
  } else if constexpr (std::is_same_v<T, double>) {
    field = value.real;
  } else if constexpr (std::is_same_v<T, bool>) {
    field = RoundedAboveHalf(value);
  } else if constexpr (std::is_same_v<T, uint32_t>) {
    field = static_cast<uint32_t>(Rounded(value));
  } else {
    field = Rounded(value);
  }
}

// The column of an index: what the indexed families go by. Outside 0..count-1 means 0.
int32_t Element(int32_t index, int32_t count) {
  const int32_t column = index % 32000;
  return column >= 0 && column < count ? column : 0;
}

RoomSettings* Room() {
  const auto& hook = Variable_BuiltIn_World().currentRoom;
  return hook ? hook() : nullptr;
}

int32_t CallOr(const std::function<int32_t()>& hook, int32_t fallback) {
  return hook ? hook() : fallback;
}

// ---- instance variables ---------------------------------------------------------------------
// Without an instance there is nothing to read or write.

template <auto Field>
bool GetField(CInstance* instance, int32_t, ScriptValue& out) {
  return instance != nullptr && Real(out, static_cast<double>(instance->*Field));
}
template <auto Field>
bool SetField(CInstance* instance, int32_t, const ScriptValue& value) {
  if (instance == nullptr) return false;
  Store(instance->*Field, value);
  return true;
}
// solid, visible and persistent: any non-zero rounded value sets them.
template <auto Field>
bool SetFlagNonZero(CInstance* instance, int32_t, const ScriptValue& value) {
  if (instance == nullptr) return false;
  instance->*Field = RoundedNonZero(value);
  return true;
}
// Fields written through the instance, which keeps its related fields in step.
template <auto Method>
bool SetThroughFloat(CInstance* instance, int32_t, const ScriptValue& value) {
  if (instance == nullptr) return false;
  (instance->*Method)(Narrow(value));
  return true;
}
template <auto Method>
bool SetThroughInt(CInstance* instance, int32_t, const ScriptValue& value) {
  if (instance == nullptr) return false;
  (instance->*Method)(Rounded(value));
  return true;
}

bool SV_X(CInstance* instance, int32_t, const ScriptValue& value) {
  if (instance == nullptr) return false;
  instance->SetPosition(Narrow(value), instance->y);
  return true;
}
bool SV_Y(CInstance* instance, int32_t, const ScriptValue& value) {
  if (instance == nullptr) return false;
  instance->SetPosition(instance->x, Narrow(value));
  return true;
}

bool GV_Alarm(CInstance* instance, int32_t index, ScriptValue& out) {
  return instance != nullptr && Real(out, instance->GetAlarm(Element(index, kAlarmCount)));
}
bool SV_Alarm(CInstance* instance, int32_t index, const ScriptValue& value) {
  if (instance == nullptr) return false;
  instance->SetAlarm(Element(index, kAlarmCount), Rounded(value));
  return true;
}

bool SV_DepthValue(CInstance* instance, int32_t, const ScriptValue& value) {
  if (instance == nullptr) return false;
  SV_Depth(instance, Narrow(value));
  return true;
}

// The box is brought up to date first.
template <auto Field>
bool GetBoundingBox(CInstance* instance, int32_t, ScriptValue& out) {
  if (instance == nullptr) return false;
  instance->EnsureBoundingBox();
  return Real(out, instance->*Field);
}

bool GV_ImageSingle(CInstance* instance, int32_t, ScriptValue& out) {
  if (instance == nullptr) return false;
  return Real(out, instance->image_speed != 0.0f ? -1.0 : static_cast<double>(instance->image_index));
}
bool SV_ImageSingle(CInstance* instance, int32_t, const ScriptValue& value) {
  if (instance == nullptr) return false;
  if (value.real < 0.0) {
    instance->image_speed = 1.0f;
  } else {
    instance->image_index = Narrow(value);
    instance->image_speed = 0.0f;
  }
  return true;
}
bool GV_ImageNumber(CInstance* instance, int32_t, ScriptValue& out) {
  return instance != nullptr && Real(out, instance->GetImageNumber());
}

// The sprite's size or origin times the instance's scale; 0 without a sprite.
enum class SpriteMeasure { Width, Height, XOrigin, YOrigin };
template <SpriteMeasure M>
bool GetSpriteMeasure(CInstance* instance, int32_t, ScriptValue& out) {
  if (instance == nullptr) return false;
  int32_t width = 0, height = 0, xorigin = 0, yorigin = 0;
  const auto& hook = Variable_BuiltIn_World().spriteSize;
  if (!hook || !hook(instance->sprite_index, width, height, xorigin, yorigin)) return Real(out, 0);
  const bool horizontal = M == SpriteMeasure::Width || M == SpriteMeasure::XOrigin;
  const int32_t measure = M == SpriteMeasure::Width    ? width
                          : M == SpriteMeasure::Height ? height
                          : M == SpriteMeasure::XOrigin ? xorigin
                                                        : yorigin;
  const float scale = horizontal ? instance->image_xscale : instance->image_yscale;
  return Real(out, measure * static_cast<double>(scale));
}

bool GV_AsyncLoad(CInstance*, int32_t, ScriptValue& out) { return Real(out, Run_Globals.asyncLoad); }

bool GV_DisplayAA(CInstance*, int32_t, ScriptValue& out) {
  return Real(out, CallOr(Variable_BuiltIn_World().displayAA, 0));
}
bool GV_DeltaTime(CInstance*, int32_t, ScriptValue& out) {
  return Real(out, static_cast<double>(Run_Globals.deltaTime));
}
bool GV_WebGLEnabled(CInstance*, int32_t, ScriptValue& out) { return Real(out, 1); }

// ---- global variables: arguments, room, score ------------------------------------------------

bool GV_ArgumentRelative(CInstance*, int32_t, ScriptValue& out) { return Real(out, Action_Relative ? 1 : 0); }

bool GV_Argument(CInstance*, int32_t index, ScriptValue& out) {
  ScriptValue_Copy(out, Code_Arguments[static_cast<size_t>(Element(index, kArgumentSlotCount))]);
  return true;
}
bool SV_Argument(CInstance*, int32_t index, const ScriptValue& value) {
  Code_Argument_Set(Element(index, kArgumentSlotCount), value);
  return true;
}
template <int N>
bool GV_ArgumentN(CInstance*, int32_t, ScriptValue& out) {
  ScriptValue_Copy(out, Code_Arguments[N]);
  return true;
}
template <int N>
bool SV_ArgumentN(CInstance*, int32_t, const ScriptValue& value) {
  Code_Argument_Set(N, value);
  return true;
}

bool GV_ArgumentCount(CInstance*, int32_t, ScriptValue& out) { return Real(out, Code_ArgumentCount); }
bool GV_DebugMode(CInstance*, int32_t, ScriptValue& out) {
  return Real(out, GameData_Header().DebugMode() ? 1 : 0);
}

bool GV_Room(CInstance*, int32_t, ScriptValue& out) {
  return Real(out, CallOr(Variable_BuiltIn_World().currentRoomIndex, -1));
}
bool SV_Room(CInstance*, int32_t, const ScriptValue& value) {
  const auto& hook = Variable_BuiltIn_World().roomGoto;
  if (hook) hook(Rounded(value));
  return true;
}
bool GV_RoomFirst(CInstance*, int32_t, ScriptValue& out) {
  return Real(out, CallOr(Variable_BuiltIn_World().firstRoom, -1));
}
bool GV_RoomLast(CInstance*, int32_t, ScriptValue& out) {
  return Real(out, CallOr(Variable_BuiltIn_World().lastRoom, -1));
}

// The run-time globals.
template <auto Field>
bool GetGlobal(CInstance*, int32_t, ScriptValue& out) {
  return Real(out, static_cast<double>(Run_Globals.*Field));
}
template <auto Field>
bool SetGlobal(CInstance*, int32_t, const ScriptValue& value) {
  Store(Run_Globals.*Field, value);
  return true;
}
// The captions keep their own copy of the text.
template <auto Field>
bool GetGlobalText(CInstance*, int32_t, ScriptValue& out) {
  return Text(out, Run_Globals.*Field);
}
template <auto Field>
bool SetGlobalText(CInstance*, int32_t, const ScriptValue& value) {
  Run_Globals.*Field = value.Text();
  return true;
}

bool SV_TransitionKind(CInstance*, int32_t, const ScriptValue&) {
  g_DebugConsole->Output(
      "BUG: Room transitions don't function well - setting to 0 - look at Variable_BuiltIn "
      "SV_TransitionKind() .\n");
  Run_Globals.transitionKind = 0;
  return true;
}
bool SV_TransitionSteps(CInstance*, int32_t, const ScriptValue& value) {
  const int32_t steps = Rounded(value);
  Run_Globals.transitionSteps = steps >= 1 ? steps : 1;
  return true;
}

bool SV_Lives(CInstance*, int32_t, const ScriptValue& value) {
  const int32_t old = Run_Globals.lives;
  Run_Globals.lives = Rounded(value);
  if (old >= 1 && Run_Globals.lives <= 0) Perform_Event_All(EventType::Other, OtherEvent::NoMoreLives);
  return true;
}
bool SV_Health(CInstance*, int32_t, const ScriptValue& value) {
  const double old = Run_Globals.health;
  Run_Globals.health = value.real;
  if (old > 0.0 && Run_Globals.health <= 0.0) {
    Perform_Event_All(EventType::Other, OtherEvent::NoMoreHealth);
  }
  return true;
}

bool GV_GameId(CInstance*, int32_t, ScriptValue& out) { return Real(out, GameData_Header().gameId); }
bool GV_GameGuid(CInstance*, int32_t, ScriptValue& out) { return Text(out, std::string()); }
bool GV_WorkingDirectory(CInstance*, int32_t, ScriptValue& out) { return Text(out, g_WorkingDirectory); }
bool GV_TempDirectory(CInstance*, int32_t, ScriptValue& out) {
  return Text(out, File_GetTempDirectory().value_or(std::string()));
}
bool GV_ProgramDirectory(CInstance*, int32_t, ScriptValue& out) {
  const std::string& exe = GetExecutablePath();
  const size_t cut = exe.find_last_of("/\\");
  return Text(out, cut == std::string::npos ? std::string() : exe.substr(0, cut));
}

bool GV_InstanceCount(CInstance*, int32_t, ScriptValue& out) {
  int32_t count = 0;
  Variable_ForEachActiveInstance([&count](CInstance&) {
    ++count;
    return true;
  });
  return Real(out, count);
}
bool GV_InstanceId(CInstance*, int32_t index, ScriptValue& out) {
  const int32_t wanted = index % 32000;
  int32_t at = 0;
  int32_t id = -4;  // noone
  if (wanted >= 0) {
    Variable_ForEachActiveInstance([&](CInstance& instance) {
      if (at++ != wanted) return true;
      id = instance.id;
      return false;
    });
  }
  return Real(out, id);
}

// ---- the current room: its fields, backgrounds and views ---------------------------------------
// Without a room they read 0 and writes go nowhere.

template <auto Field>
bool GetRoom(CInstance*, int32_t, ScriptValue& out) {
  const RoomSettings* room = Room();
  return Real(out, room == nullptr ? 0.0 : static_cast<double>(room->*Field));
}
template <auto Field>
bool SetRoom(CInstance*, int32_t, const ScriptValue& value) {
  if (RoomSettings* room = Room()) Store(room->*Field, value);
  return true;
}

bool GV_RoomCaption(CInstance*, int32_t, ScriptValue& out) {
  const RoomSettings* room = Room();
  return Text(out, room != nullptr ? room->caption : std::string());
}
bool SV_RoomCaption(CInstance*, int32_t, const ScriptValue& value) {
  if (RoomSettings* room = Room()) room->SetCaption(value.Text());
  return true;
}
bool SV_RoomSpeed(CInstance*, int32_t, const ScriptValue& value) {
  const int32_t speed = Rounded(value);
  if (speed <= 0) {
    Error_Show_Action("Trying to set the room speed to a value <= 0.", false);
    return false;
  }
  if (RoomSettings* room = Room()) room->speed = speed;
  return true;
}

// Record index (0 to 7, anything else 0) of the room's backgrounds or views.
template <typename Record, auto Records, int32_t Count>
Record* RoomRecord(int32_t index) {
  RoomSettings* room = Room();
  return room != nullptr ? &(room->*Records)[static_cast<size_t>(Element(index, Count))] : nullptr;
}
RoomBackground* Background(int32_t index) {
  return RoomRecord<RoomBackground, &RoomSettings::backgrounds, kRoomBackgroundCount>(index);
}
RoomView* View(int32_t index) { return RoomRecord<RoomView, &RoomSettings::views, kRoomViewCount>(index); }

template <auto Field>
bool GetBackground(CInstance*, int32_t index, ScriptValue& out) {
  const RoomBackground* record = Background(index);
  return Real(out, record == nullptr ? 0.0 : static_cast<double>(record->*Field));
}
template <auto Field>
bool SetBackground(CInstance*, int32_t index, const ScriptValue& value) {
  if (RoomBackground* record = Background(index)) Store(record->*Field, value);
  return true;
}
template <auto Field>
bool GetView(CInstance*, int32_t index, ScriptValue& out) {
  const RoomView* record = View(index);
  return Real(out, record == nullptr ? 0.0 : static_cast<double>(record->*Field));
}
template <auto Field>
bool SetView(CInstance*, int32_t index, const ScriptValue& value) {
  if (RoomView* record = View(index)) Store(record->*Field, value);
  return true;
}

// Width (or height) of the background resource that record index shows; 0 when none.
template <bool Height>
bool GetBackgroundSize(CInstance*, int32_t index, ScriptValue& out) {
  int32_t width = 0, height = 0;
  const RoomBackground* record = Background(index);
  const auto& hook = Variable_BuiltIn_World().backgroundSize;
  if (record == nullptr || !hook || !hook(record->index, width, height)) width = height = 0;
  return Real(out, Height ? height : width);
}

// ---- input, clock, events, errors -------------------------------------------------------------

// The mouse in room coordinates through the view under it.
template <bool Y>
bool GetMouse(CInstance*, int32_t, ScriptValue& out) {
  return Real(out, Y ? GR_Window_Views_Mouse_Y(0) : GR_Window_Views_Mouse_X(0));
}

// The input state of device 0; writes reach the state the step reads and the one being
// collected.
bool GV_MouseButton(CInstance*, int32_t, ScriptValue& out) { return Real(out, IO_MouseButton_Get()); }
bool SV_MouseButton(CInstance*, int32_t, const ScriptValue& value) {
  IO_State().mouseButton[0] = IO_Pending().mouseButton[0] = Rounded(value);
  return true;
}
bool GV_MouseLastButton(CInstance*, int32_t, ScriptValue& out) { return Real(out, IO_MouseLastButton_Get(0)); }
bool SV_MouseLastButton(CInstance*, int32_t, const ScriptValue& value) {
  IO_MouseLastButton_Set(0, Rounded(value));
  return true;
}
bool GV_KeyboardKey(CInstance*, int32_t, ScriptValue& out) { return Real(out, IO_State().key); }
bool SV_KeyboardKey(CInstance*, int32_t, const ScriptValue& value) {
  IO_State().key = IO_Pending().key = Rounded(value);
  return true;
}
bool GV_KeyboardLastKey(CInstance*, int32_t, ScriptValue& out) { return Real(out, IO_KeyboardLastKey_Get()); }
bool SV_KeyboardLastKey(CInstance*, int32_t, const ScriptValue& value) {
  IO_KeyboardLastKey_Set(Rounded(value));
  return true;
}

bool GV_KeyboardLastChar(CInstance*, int32_t, ScriptValue& out) {
  std::string text;
  if (IO_State().lastChar != 0) UTF8_PutChar(text, IO_State().lastChar);
  return Text(out, text);
}
// The first character of the text (a whole UTF-8 sequence, never a lone byte of one); an
// empty text changes nothing.
bool SV_KeyboardLastChar(CInstance*, int32_t, const ScriptValue& value) {
  if (value.Text().empty()) return true;
  const char* p = value.CStr();
  IO_State().lastChar = IO_Pending().lastChar = UTF8_GetChar(p);
  return true;
}
bool GV_KeyboardString(CInstance*, int32_t, ScriptValue& out) {
  std::string text;
  for (char16_t unit : IO_KeyboardString_Get()) UTF8_PutChar(text, static_cast<uint16_t>(unit));
  return Text(out, text);
}
bool SV_KeyboardString(CInstance*, int32_t, const ScriptValue& value) {
  std::u16string units;
  const char* p = value.CStr();
  for (uint16_t c = UTF8_GetChar(p); c != 0; c = UTF8_GetChar(p)) units.push_back(static_cast<char16_t>(c));
  IO_KeyboardString_Set(units);
  return true;
}

bool GV_Fps(CInstance*, int32_t, ScriptValue& out) { return Real(out, Fps); }
bool GV_CurrentTime(CInstance*, int32_t, ScriptValue& out) {
  return Real(out, static_cast<double>(Timing_Time() / 1000));
}

// A field of the local time, plus offset. Months count from 1 and current_day is the day of
// the month, as game code expects of them.
template <int std::tm::*Field, int Offset>
bool GetLocalTime(CInstance*, int32_t, ScriptValue& out) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return Real(out, local.*Field + Offset);
}

template <auto Field>
bool GetEvent(CInstance*, int32_t, ScriptValue& out) {
  return Real(out, Event_Current.*Field);
}
bool GV_SecureMode(CInstance*, int32_t, ScriptValue& out) { return Real(out, 0); }
bool GV_ErrorOccurred(CInstance*, int32_t, ScriptValue& out) { return Real(out, Error_Occurred ? 1 : 0); }
bool SV_ErrorOccurred(CInstance*, int32_t, const ScriptValue& value) {
  Error_Occurred = value.real >= 0.5;
  return true;
}
bool GV_ErrorLast(CInstance*, int32_t, ScriptValue& out) { return Text(out, Error_Last); }
bool SV_ErrorLast(CInstance*, int32_t, const ScriptValue& value) {
  Error_Last = value.Text();
  return true;
}

bool GV_OsType(CInstance*, int32_t, ScriptValue& out) { return Real(out, 0); }
bool GV_MinusOne(CInstance*, int32_t, ScriptValue& out) { return Real(out, -1); }
bool GV_BrowserWidth(CInstance*, int32_t, ScriptValue& out) {
  return Real(out, CallOr(Variable_BuiltIn_World().surfaceWidth, GameData_Header().windowWidth));
}
bool GV_BrowserHeight(CInstance*, int32_t, ScriptValue& out) {
  return Real(out, CallOr(Variable_BuiltIn_World().surfaceHeight, GameData_Header().windowHeight));
}

// ---- the dispatch from variable access --------------------------------------------------------

bool GetBuiltin(CInstance* instance, int32_t id, int32_t index, ScriptValue& out) {
  const BuiltinVariableEntry* entry = Variable_BuiltIn_Entry(id);
  return entry != nullptr && entry->getter != nullptr && entry->getter(instance, index, out);
}

bool SetBuiltin(CInstance* instance, int32_t id, int32_t index, const ScriptValue& value) {
  const BuiltinVariableEntry* entry = Variable_BuiltIn_Entry(id);
  return entry != nullptr && entry->setter != nullptr && entry->setter(instance, index, value);
}

struct Registration {
  const char* name;
  BuiltinGetter getter;
  BuiltinSetter setter;
  BuiltinPlainField field{};
};

// A variable read from a field of the instance as GetField reads it.
template <auto Field>
Registration FieldVariable(const char* name, BuiltinSetter setter,
                           BuiltinPlainField::Store store = BuiltinPlainField::Store::Setter) {
  Registration r{name, GetField<Field>, setter, BuiltinPlainField(Field)};
  r.field.store = store;
  return r;
}
// One read from a field of the current room as GetRoom reads it.
template <auto Field>
Registration RoomVariable(const char* name, BuiltinSetter setter) {
  return {name, GetRoom<Field>, setter, BuiltinPlainField(Field)};
}

template <size_t... N>
void AddArguments(std::index_sequence<N...>) {
  static const char* const names[] = {"argument0",  "argument1",  "argument2",  "argument3",
                                      "argument4",  "argument5",  "argument6",  "argument7",
                                      "argument8",  "argument9",  "argument10", "argument11",
                                      "argument12", "argument13", "argument14", "argument15"};
  (Variable_BuiltIn_Add(names[N], GV_ArgumentN<N>, SV_ArgumentN<N>, true), ...);
}

void AddAll(std::initializer_list<Registration> list) {
  for (const Registration& r : list) {
    Variable_BuiltIn_Add(r.name, r.getter, r.setter, r.setter != nullptr, r.field);
  }
}

void AddInstanceVariables() {
  AddAll({
      FieldVariable<&CInstance::x>("x", SV_X, BuiltinPlainField::Store::PositionX),
      FieldVariable<&CInstance::y>("y", SV_Y, BuiltinPlainField::Store::PositionY),
      FieldVariable<&CInstance::xprevious>("xprevious", SetField<&CInstance::xprevious>),
      FieldVariable<&CInstance::yprevious>("yprevious", SetField<&CInstance::yprevious>),
      FieldVariable<&CInstance::xstart>("xstart", SetField<&CInstance::xstart>),
      FieldVariable<&CInstance::ystart>("ystart", SetField<&CInstance::ystart>),
      FieldVariable<&CInstance::hspeed>("hspeed", SetThroughFloat<&CInstance::SetHSpeed>),
      FieldVariable<&CInstance::vspeed>("vspeed", SetThroughFloat<&CInstance::SetVSpeed>),
      FieldVariable<&CInstance::direction>("direction", SetThroughFloat<&CInstance::SetDirection>),
      FieldVariable<&CInstance::speed>("speed", SetThroughFloat<&CInstance::SetSpeed>),
      FieldVariable<&CInstance::friction>("friction", SetField<&CInstance::friction>),
      FieldVariable<&CInstance::gravity>("gravity", SetField<&CInstance::gravity>),
      FieldVariable<&CInstance::gravity_direction>("gravity_direction", SetField<&CInstance::gravity_direction>),
      FieldVariable<&CInstance::object_index>("object_index", nullptr),
      FieldVariable<&CInstance::id>("id", nullptr),
      {"alarm", GV_Alarm, SV_Alarm},
      FieldVariable<&CInstance::solid>("solid", SetFlagNonZero<&CInstance::solid>),
      FieldVariable<&CInstance::visible>("visible", SetFlagNonZero<&CInstance::visible>),
      FieldVariable<&CInstance::persistent>("persistent", SetFlagNonZero<&CInstance::persistent>),
      FieldVariable<&CInstance::depth>("depth", SV_DepthValue),
      {"bbox_left", GetBoundingBox<&CInstance::bbox_left>, nullptr},
      {"bbox_right", GetBoundingBox<&CInstance::bbox_right>, nullptr},
      {"bbox_top", GetBoundingBox<&CInstance::bbox_top>, nullptr},
      {"bbox_bottom", GetBoundingBox<&CInstance::bbox_bottom>, nullptr},
      FieldVariable<&CInstance::sprite_index>("sprite_index", SetThroughInt<&CInstance::SetSpriteIndex>),
      FieldVariable<&CInstance::image_index>("image_index", SetField<&CInstance::image_index>),
      {"image_single", GV_ImageSingle, SV_ImageSingle},
      {"image_number", GV_ImageNumber, nullptr},
      {"sprite_width", GetSpriteMeasure<SpriteMeasure::Width>, nullptr},
      {"sprite_height", GetSpriteMeasure<SpriteMeasure::Height>, nullptr},
      {"sprite_xoffset", GetSpriteMeasure<SpriteMeasure::XOrigin>, nullptr},
      {"sprite_yoffset", GetSpriteMeasure<SpriteMeasure::YOrigin>, nullptr},
      FieldVariable<&CInstance::image_xscale>("image_xscale", SetThroughFloat<&CInstance::SetImageXScale>),
      FieldVariable<&CInstance::image_yscale>("image_yscale", SetThroughFloat<&CInstance::SetImageYScale>),
      FieldVariable<&CInstance::image_angle>("image_angle", SetThroughFloat<&CInstance::SetImageAngle>),
      FieldVariable<&CInstance::image_alpha>("image_alpha", SetField<&CInstance::image_alpha>),
      FieldVariable<&CInstance::image_blend>("image_blend", SetField<&CInstance::image_blend>),
      FieldVariable<&CInstance::image_speed>("image_speed", SetField<&CInstance::image_speed>),
      FieldVariable<&CInstance::mask_index>("mask_index", SetThroughInt<&CInstance::SetMaskIndex>),
      FieldVariable<&CInstance::path_index>("path_index", nullptr),
      FieldVariable<&CInstance::path_position>("path_position", SetThroughFloat<&CInstance::SetPathPosition>),
      FieldVariable<&CInstance::path_positionprevious>("path_positionprevious", SetThroughFloat<&CInstance::SetPathPositionPrevious>),
      FieldVariable<&CInstance::path_speed>("path_speed", SetThroughFloat<&CInstance::SetPathSpeed>),
      FieldVariable<&CInstance::path_scale>("path_scale", SetField<&CInstance::path_scale>),
      FieldVariable<&CInstance::path_orientation>("path_orientation", SetField<&CInstance::path_orientation>),
      FieldVariable<&CInstance::path_endaction>("path_endaction", SetField<&CInstance::path_endaction>),
      FieldVariable<&CInstance::timeline_index>("timeline_index", SetField<&CInstance::timeline_index>),
      FieldVariable<&CInstance::timeline_position>("timeline_position", SetField<&CInstance::timeline_position>),
      FieldVariable<&CInstance::timeline_speed>("timeline_speed", SetField<&CInstance::timeline_speed>),
      FieldVariable<&CInstance::timeline_running>("timeline_running", SetField<&CInstance::timeline_running>),
      FieldVariable<&CInstance::timeline_loop>("timeline_loop", SetField<&CInstance::timeline_loop>),
      {"async_load", GV_AsyncLoad, nullptr},
      {"phy_rotation", GV_PhyRotation, SV_PhyRotation},
      {"phy_position_x", GV_PhyPositionX, SV_PhyPositionX},
      {"phy_position_y", GV_PhyPositionY, SV_PhyPositionY},
      {"phy_angular_velocity", GV_PhyAngularVelocity, SV_PhyAngularVelocity},
      {"phy_linear_velocity_x", GV_PhyLinearVelocityX, SV_PhyLinearVelocityX},
      {"phy_linear_velocity_y", GV_PhyLinearVelocityY, SV_PhyLinearVelocityY},
      {"phy_speed_x", GV_PhySpeedX, SV_PhySpeedX},
      {"phy_speed_y", GV_PhySpeedY, SV_PhySpeedY},
      {"phy_bullet", GV_PhyBullet, SV_PhyBullet},
      {"phy_fixed_rotation", GV_PhyFixedRotation, SV_PhyFixedRotation},
      {"phy_active", GV_PhyActive, SV_PhyActive},
      {"phy_mass", GV_PhyMass, nullptr},
      {"phy_inertia", GV_PhyInertia, nullptr},
      {"phy_com_x", GV_PhyComX, nullptr},
      {"phy_com_y", GV_PhyComY, nullptr},
      {"phy_dynamic", GV_PhyDynamic, nullptr},
      {"phy_kinematic", GV_PhyKinematic, nullptr},
      {"phy_sleeping", GV_PhySleeping, nullptr},
      {"phy_collision_points", GV_PhyCollisionPoints, nullptr},
      {"phy_collision_x", GV_PhyCollisionX, nullptr},
      {"phy_collision_y", GV_PhyCollisionY, nullptr},
      {"phy_col_normal_x", GV_PhyColNormalX, nullptr},
      {"phy_col_normal_y", GV_PhyColNormalY, nullptr},
      {"display_aa", GV_DisplayAA, nullptr},
      {"delta_time", GV_DeltaTime, nullptr},
      {"webgl_enabled", GV_WebGLEnabled, nullptr},
  });
}

void AddGlobalVariables() {
  AddAll({
      {"argument_relative", GV_ArgumentRelative, nullptr},
      {"argument", GV_Argument, SV_Argument},
  });
  AddArguments(std::make_index_sequence<kArgumentSlotCount>());
  AddAll({
      {"argument_count", GV_ArgumentCount, nullptr},
      {"debug_mode", GV_DebugMode, nullptr},
      {"room", GV_Room, SV_Room},
      {"room_first", GV_RoomFirst, nullptr},
      {"room_last", GV_RoomLast, nullptr},
      {"transition_kind", GetGlobal<&RunGlobals::transitionKind>, SV_TransitionKind},
      {"transition_steps", GetGlobal<&RunGlobals::transitionSteps>, SV_TransitionSteps},
      {"score", GetGlobal<&RunGlobals::score>, SetGlobal<&RunGlobals::score>},
      {"lives", GetGlobal<&RunGlobals::lives>, SV_Lives},
      {"health", GetGlobal<&RunGlobals::health>, SV_Health},
      {"game_id", GV_GameId, nullptr},
      {"game_guid", GV_GameGuid, nullptr},
      {"working_directory", GV_WorkingDirectory, nullptr},
      {"temp_directory", GV_TempDirectory, nullptr},
      {"program_directory", GV_ProgramDirectory, nullptr},
      {"instance_count", GV_InstanceCount, nullptr},
      {"instance_id", GV_InstanceId, nullptr},
      RoomVariable<&RoomSettings::width>("room_width", nullptr),
      RoomVariable<&RoomSettings::height>("room_height", nullptr),
      {"room_caption", GV_RoomCaption, SV_RoomCaption},
      RoomVariable<&RoomSettings::speed>("room_speed", SV_RoomSpeed),
      RoomVariable<&RoomSettings::persistent>("room_persistent", SetRoom<&RoomSettings::persistent>),
      RoomVariable<&RoomSettings::colour>("background_color", SetRoom<&RoomSettings::colour>),
      RoomVariable<&RoomSettings::showColour>("background_showcolor", SetRoom<&RoomSettings::showColour>),
      {"background_visible", GetBackground<&RoomBackground::visible>, SetBackground<&RoomBackground::visible>},
      {"background_foreground", GetBackground<&RoomBackground::foreground>, SetBackground<&RoomBackground::foreground>},
      {"background_index", GetBackground<&RoomBackground::index>, SetBackground<&RoomBackground::index>},
      {"background_x", GetBackground<&RoomBackground::x>, SetBackground<&RoomBackground::x>},
      {"background_y", GetBackground<&RoomBackground::y>, SetBackground<&RoomBackground::y>},
      {"background_width", GetBackgroundSize<false>, nullptr},
      {"background_height", GetBackgroundSize<true>, nullptr},
      {"background_htiled", GetBackground<&RoomBackground::htiled>, SetBackground<&RoomBackground::htiled>},
      {"background_vtiled", GetBackground<&RoomBackground::vtiled>, SetBackground<&RoomBackground::vtiled>},
      {"background_xscale", GetBackground<&RoomBackground::xscale>, SetBackground<&RoomBackground::xscale>},
      {"background_yscale", GetBackground<&RoomBackground::yscale>, SetBackground<&RoomBackground::yscale>},
      {"background_hspeed", GetBackground<&RoomBackground::hspeed>, SetBackground<&RoomBackground::hspeed>},
      {"background_vspeed", GetBackground<&RoomBackground::vspeed>, SetBackground<&RoomBackground::vspeed>},
      {"background_blend", GetBackground<&RoomBackground::blend>, SetBackground<&RoomBackground::blend>},
      {"background_alpha", GetBackground<&RoomBackground::alpha>, SetBackground<&RoomBackground::alpha>},
      RoomVariable<&RoomSettings::enableViews>("view_enabled", SetRoom<&RoomSettings::enableViews>),
      {"view_current", GetGlobal<&RunGlobals::viewCurrent>, nullptr},
      {"view_visible", GetView<&RoomView::visible>, SetView<&RoomView::visible>},
      {"view_xview", GetView<&RoomView::xview>, SetView<&RoomView::xview>},
      {"view_yview", GetView<&RoomView::yview>, SetView<&RoomView::yview>},
      {"view_wview", GetView<&RoomView::wview>, SetView<&RoomView::wview>},
      {"view_hview", GetView<&RoomView::hview>, SetView<&RoomView::hview>},
      {"view_xport", GetView<&RoomView::xport>, SetView<&RoomView::xport>},
      {"view_yport", GetView<&RoomView::yport>, SetView<&RoomView::yport>},
      {"view_wport", GetView<&RoomView::wport>, SetView<&RoomView::wport>},
      {"view_hport", GetView<&RoomView::hport>, SetView<&RoomView::hport>},
      {"view_angle", GetView<&RoomView::angle>, SetView<&RoomView::angle>},
      {"view_hborder", GetView<&RoomView::hborder>, SetView<&RoomView::hborder>},
      {"view_vborder", GetView<&RoomView::vborder>, SetView<&RoomView::vborder>},
      {"view_hspeed", GetView<&RoomView::hspeed>, SetView<&RoomView::hspeed>},
      {"view_vspeed", GetView<&RoomView::vspeed>, SetView<&RoomView::vspeed>},
      {"view_object", GetView<&RoomView::object>, SetView<&RoomView::object>},
      {"view_surface_id", GetView<&RoomView::surface>, SetView<&RoomView::surface>},
      {"mouse_x", GetMouse<false>, nullptr},
      {"mouse_y", GetMouse<true>, nullptr},
      {"mouse_button", GV_MouseButton, SV_MouseButton},
      {"mouse_lastbutton", GV_MouseLastButton, SV_MouseLastButton},
      {"keyboard_key", GV_KeyboardKey, SV_KeyboardKey},
      {"keyboard_lastkey", GV_KeyboardLastKey, SV_KeyboardLastKey},
      {"keyboard_lastchar", GV_KeyboardLastChar, SV_KeyboardLastChar},
      {"keyboard_string", GV_KeyboardString, SV_KeyboardString},
      {"cursor_sprite", GetGlobal<&RunGlobals::cursorSprite>, SetGlobal<&RunGlobals::cursorSprite>},
      {"show_score", GetGlobal<&RunGlobals::showScore>, SetGlobal<&RunGlobals::showScore>},
      {"show_lives", GetGlobal<&RunGlobals::showLives>, SetGlobal<&RunGlobals::showLives>},
      {"show_health", GetGlobal<&RunGlobals::showHealth>, SetGlobal<&RunGlobals::showHealth>},
      {"caption_score", GetGlobalText<&RunGlobals::captionScore>, SetGlobalText<&RunGlobals::captionScore>},
      {"caption_lives", GetGlobalText<&RunGlobals::captionLives>, SetGlobalText<&RunGlobals::captionLives>},
      {"caption_health", GetGlobalText<&RunGlobals::captionHealth>, SetGlobalText<&RunGlobals::captionHealth>},
      {"fps", GV_Fps, nullptr},
      {"current_time", GV_CurrentTime, nullptr},
      {"current_year", GetLocalTime<&std::tm::tm_year, 1900>, nullptr},
      {"current_month", GetLocalTime<&std::tm::tm_mon, 1>, nullptr},
      {"current_day", GetLocalTime<&std::tm::tm_mday, 0>, nullptr},
      {"current_weekday", GetLocalTime<&std::tm::tm_wday, 0>, nullptr},
      {"current_hour", GetLocalTime<&std::tm::tm_hour, 0>, nullptr},
      {"current_minute", GetLocalTime<&std::tm::tm_min, 0>, nullptr},
      {"current_second", GetLocalTime<&std::tm::tm_sec, 0>, nullptr},
      {"event_type", GetEvent<&CurrentEvent::type>, nullptr},
      {"event_number", GetEvent<&CurrentEvent::number>, nullptr},
      {"event_object", GetEvent<&CurrentEvent::object>, nullptr},
      {"event_action", GetEvent<&CurrentEvent::action>, nullptr},
      {"secure_mode", GV_SecureMode, nullptr},
      {"error_occurred", GV_ErrorOccurred, SV_ErrorOccurred},
      {"error_last", GV_ErrorLast, SV_ErrorLast},
  });
  Variable_AddEnvironmentVariables();
}

}  // namespace

void Variable_BuiltIn_Add(const char* name, BuiltinGetter getter, BuiltinSetter setter, bool settable,
                          BuiltinPlainField field) {
  auto& table = Table();
  if (static_cast<int32_t>(table.size()) >= kMaxBuiltinVariables) {
    ShowMessage("INTERNAL ERROR: Adding too many variables");
    return;
  }
  table.push_back({name != nullptr ? std::string(name) : std::string(), getter, setter, settable, field});
  if (Variable_BuiltIn_Direct.entries != nullptr) PublishDirect();
}

int32_t Variable_BuiltIn_Find(std::string_view name) {
  const auto& table = Table();
  return BuiltinVariablesByName().Find(name, table.size(), [&table](size_t i) { return &table[i].name; });
}

std::string Variable_BuiltIn_Name(int32_t id) {
  const BuiltinVariableEntry* entry = Variable_BuiltIn_Entry(id);
  return entry != nullptr ? entry->name : std::string("<unknown built-in variable>");
}

int32_t Variable_BuiltIn_Count() { return static_cast<int32_t>(Table().size()); }

const BuiltinVariableEntry* Variable_BuiltIn_Entry(int32_t id) {
  if (id < 0 || id >= Variable_BuiltIn_Count()) return nullptr;
  return &Table()[static_cast<size_t>(id)];
}

BuiltinVariableDirect Variable_BuiltIn_Direct;

void Variable_BuiltIn_Init() {
  Variable_BuiltIn_Direct = {};
  Table().clear();
  BuiltinVariablesByName().Invalidate();
  Table().reserve(kMaxBuiltinVariables);
  AddInstanceVariables();
  AddGlobalVariables();
  Variable_SetBuiltInAccessors(GetBuiltin, SetBuiltin);
  PublishDirect();
  // argument0..argument15 read the argument slots and nothing else, so the virtual machine
  // may read the slots itself.
  const int32_t argument0 = Variable_BuiltIn_Find("argument0");
  VM_SetArgumentVariables(argument0 >= 0 && Variable_BuiltIn_Find("argument15") == argument0 + 15
                              ? argument0
                              : -1);
  // Error texts of both executors name variables, built-in or not, through the compiler's list.
  Variable_SetNameFunction(Code_Variable_Name);
  Code_SetBuiltinVariableHooks(
      [](std::string_view name) { return Variable_BuiltIn_Find(name); },
      [](int32_t index, std::string& name) {
        const BuiltinVariableEntry* entry = Variable_BuiltIn_Entry(index);
        if (entry == nullptr) return false;
        name = entry->name;
        return true;
      });
}

void Variable_AddEnvironmentVariables() {
  Variable_BuiltIn_Add("os_type", GV_OsType, nullptr, false);
  Variable_BuiltIn_Add("os_device", GV_MinusOne, nullptr, false);
  Variable_BuiltIn_Add("os_version", GV_MinusOne, nullptr, false);
  Variable_BuiltIn_Add("os_browser", GV_MinusOne, nullptr, false);
  Variable_BuiltIn_Add("browser_width", GV_BrowserWidth, nullptr, false);
  Variable_BuiltIn_Add("browser_height", GV_BrowserHeight, nullptr, false);
}

void Variable_SetWorkingDirectory(const std::string& gameFilePath) {
  if (g_WorkingDirectorySet) return;
  g_WorkingDirectorySet = true;
  size_t cut = gameFilePath.rfind('/');
  if (cut == std::string::npos) cut = gameFilePath.rfind('\\');
  g_WorkingDirectory = cut == std::string::npos ? std::string() : gameFilePath.substr(0, cut);
  const std::string rule(73, '#');
  g_DebugConsole->Output("%s\n", rule.c_str());
  g_DebugConsole->Output("####!!!!$$$$$$ pwd - %s\n", g_WorkingDirectory.c_str());
  g_DebugConsole->Output("%s\n", rule.c_str());
}

const std::string& Variable_WorkingDirectory() { return g_WorkingDirectory; }

namespace {
BuiltinVariableWorld DefaultWorld() {
  BuiltinVariableWorld world;
  world.spriteSize = [](int32_t index, int32_t& width, int32_t& height, int32_t& xorigin, int32_t& yorigin) {
    const CSprite* sprite = Sprite_Data(index);
    if (sprite == nullptr) return false;
    width = sprite->GetWidth();
    height = sprite->GetHeight();
    xorigin = sprite->GetXOrigin();
    yorigin = sprite->GetYOrigin();
    return true;
  };
  world.backgroundSize = [](int32_t index, int32_t& width, int32_t& height) {
    const CBackground* background = Background_Data(index);
    if (background == nullptr) return false;
    width = background->GetWidth();
    height = background->GetHeight();
    return true;
  };
  return world;
}
}  // namespace

BuiltinVariableWorld& Variable_BuiltIn_World() {
  static BuiltinVariableWorld world = DefaultWorld();
  return world;
}

void Variable_BuiltIn_ResetWorld() { Variable_BuiltIn_World() = DefaultWorld(); }


void SV_Depth(CInstance* instance, float depth) {
  if (instance == nullptr || instance->depth == depth) return;
  instance->depth = depth;
  if (instance->deactivated) return;
  RoomSettings* room = Room();
  if (room == nullptr) return;
  // Only an instance that is in the list moves in it.
  if (instance->prev == nullptr && room->active.first != instance) return;
  InstanceList_Reinsert(room->active, *instance);
}
