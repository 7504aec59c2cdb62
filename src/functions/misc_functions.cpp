#include "functions/misc_functions.h"

#include "data/objects.h"
#include "functions/argument_helpers.h"
#include "functions/string_functions.h"
#include "platform/console.h"
#include "runner/events.h"
#include "script/current_event.h"
#include "script/function_table.h"

namespace {
constexpr int32_t kUserEventBase = 10;
constexpr int32_t kOtherEvents = 7;
}  // namespace

void F_EventUser(ScriptValue&, CInstance* self, CInstance* other, int, ScriptValue* args) {
  Perform_Event(self, other, kOtherEvents, Arg_Rounded(args[0]) + kUserEventBase);
}

void F_EventInherited(ScriptValue&, CInstance* self, CInstance* other, int, ScriptValue*) {
  const CObjectKF* object = Object_Data(Event_Current.object);
  if (object == nullptr || !Object_Exists(object->parentIndex)) return;
  Perform_Event_Object(self, other, object->parentIndex, Event_Current.type, Event_Current.number);
}

void F_ShowDebugMessage(ScriptValue&, CInstance* self, CInstance* other, int, ScriptValue* args) {
  // A real is written as string() writes it.
  ScriptValue text;
  F_String(text, self, other, 1, args);
  g_DebugMessageConsole->Output("%s\n", Arg_CString(text));
}

namespace {
struct MiscBuiltin {
  const char* name;
  BuiltinFunction implementation;
  int32_t argc;
};

constexpr MiscBuiltin kMiscBuiltins[] = {
    {"event_user", F_EventUser, 1},
    {"show_debug_message", F_ShowDebugMessage, 1},
    {"event_inherited", F_EventInherited, 0},
};
}  // namespace

void InitMiscFunctions() {
  for (const MiscBuiltin& builtin : kMiscBuiltins) Function_Add(builtin.name, builtin.implementation, builtin.argc);
}
