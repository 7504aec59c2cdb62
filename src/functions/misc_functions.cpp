#include "functions/misc_functions.h"

#include <algorithm>
#include <array>
#include <climits>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "data/objects.h"
#include "functions/argument_helpers.h"
#include "functions/date_functions.h"
#include "functions/os_functions.h"
#include "functions/string_functions.h"
#include "platform/console.h"
#include "platform/files.h"
#include "runner/debug_overlay.h"
#include "runner/events.h"
#include "runner/instance.h"
#include "runner/run_options.h"
#include "script/code.h"
#include "script/compiler/compile_error_sink.h"
#include "script/compiler/user_variables.h"
#include "script/current_event.h"
#include "script/error_report.h"
#include "script/external_calls.h"
#include "script/function_table.h"
#include "script/global_variables.h"
#include "script/script_arguments.h"
#include "script/variable_list.h"
#include "script/variable_access.h"

namespace {
constexpr int32_t kUserEventBase = 10;
constexpr int32_t kOtherEvents = 7;
constexpr int32_t kArrayRowSize = 32000;

int32_t g_executeStringCount = 0;
int32_t g_executeFileCount = 0;
}  // namespace

// ---- Events ----

void F_EventPerform(ScriptValue&, CInstance* self, CInstance* other, int, ScriptValue* args) {
  Perform_Event(self, other, Arg_Rounded(args[0]), Arg_Rounded(args[1]));
}

void F_EventUser(ScriptValue&, CInstance* self, CInstance* other, int, ScriptValue* args) {
  // A number past the 32-bit range wraps as the 32-bit sum did.
  const uint32_t number = static_cast<uint32_t>(Arg_Rounded(args[0])) + static_cast<uint32_t>(kUserEventBase);
  Perform_Event(self, other, kOtherEvents, static_cast<int32_t>(number));
}

void F_EventPerformObject(ScriptValue&, CInstance* self, CInstance* other, int, ScriptValue* args) {
  Perform_Event_Object(self, other, Arg_Rounded(args[0]), Arg_Rounded(args[1]), Arg_Rounded(args[2]));
}

void F_EventInherited(ScriptValue&, CInstance* self, CInstance* other, int, ScriptValue*) {
  const CObjectKF* object = Object_Data(Event_Current.object);
  if (object == nullptr || !Object_Exists(object->parentIndex)) return;
  Perform_Event_Object(self, other, object->parentIndex, Event_Current.type, Event_Current.number);
}

// ---- External functions ----

namespace {

int32_t TypeOf(const ScriptValue& value) {
  return Arg_Rounded(value) == kExternalString ? kExternalString : kExternalReal;
}

// Defines with the caller-cleans convention; a failure is reported and answers -1.
void DefineExternal(ScriptValue& result, const ScriptValue& library, const ScriptValue& name,
                    const std::vector<int32_t>& types, int32_t resultType) {
  const int32_t id = External_Define(Arg_String(library), Arg_String(name), 0,
                                     static_cast<int32_t>(types.size()), types.data(), resultType);
  if (id < 0) Error_Show_Action("Error defining an external function.", false);
  result.SetReal(id);
}

// external_defineN with N typed arguments given as arguments 2 .. N+1, the result type last.
template <int N>
void DefineTyped(ScriptValue& result, ScriptValue* args) {
  std::vector<int32_t> types;
  for (int i = 0; i < N; ++i) types.push_back(TypeOf(args[2 + i]));
  DefineExternal(result, args[0], args[1], types, TypeOf(args[2 + N]));
}

// external_defineN of N reals: (library, name, result type).
void DefineReals(ScriptValue& result, ScriptValue* args, int count) {
  DefineExternal(result, args[0], args[1], std::vector<int32_t>(static_cast<size_t>(count), kExternalReal),
                 TypeOf(args[2]));
}

}  // namespace

void F_ExternalDefine(ScriptValue& result, CInstance*, CInstance*, int argc, ScriptValue* args) {
  constexpr int kFixed = 5;  // library, name, call type, result type, count
  if (argc < kFixed || argc != Arg_Rounded(args[4]) + kFixed) {
    Error_Show_Action("Wrong number of arguments to external_define()", false);
    return;
  }
  const int32_t count = Arg_Rounded(args[4]);
  if (count > kExternalMaxArguments) {
    Error_Show_Action("DLL functions can have at most 16 arguments", false);
    return;
  }
  std::vector<int32_t> types;
  for (int32_t i = 0; i < count; ++i) types.push_back(TypeOf(args[kFixed + i]));
  if (count > kExternalMaxStringArguments &&
      std::any_of(types.begin(), types.end(), [](int32_t t) { return t != kExternalReal; })) {
    Error_Show_Action("DLL functions with more than 4 arguments cannot have string arguments", false);
    return;
  }
  const int32_t id = External_Define(Arg_String(args[0]), Arg_String(args[1]), Arg_Rounded(args[2]), count,
                                     types.data(), TypeOf(args[3]));
  if (id < 0) Error_Show_Action("Error defining an external function.", false);
  result.SetReal(id);
}

void F_ExternalCall(ScriptValue& result, CInstance*, CInstance*, int argc, ScriptValue* args) {
  // More arguments than any definition takes simply match no definition.
  if (argc < 1) return;
  External_Call(Arg_Rounded(args[0]), argc - 1, args + 1, result);
}

void F_ExternalCallN(ScriptValue& result, CInstance* self, CInstance* other, int argc, ScriptValue* args) {
  F_ExternalCall(result, self, other, argc, args);
}

void F_ExternalFree(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  External_Free(Arg_String(args[0]));
}

void F_ExternalDefine0(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue* a) { DefineReals(r, a, 0); }
void F_ExternalDefine1(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue* a) { DefineTyped<1>(r, a); }
void F_ExternalDefine2(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue* a) { DefineTyped<2>(r, a); }
void F_ExternalDefine3(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue* a) { DefineTyped<3>(r, a); }
void F_ExternalDefine4(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue* a) { DefineTyped<4>(r, a); }
void F_ExternalDefine5(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue* a) { DefineReals(r, a, 5); }
void F_ExternalDefine6(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue* a) { DefineReals(r, a, 6); }
void F_ExternalDefine7(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue* a) { DefineReals(r, a, 7); }
void F_ExternalDefine8(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue* a) { DefineReals(r, a, 8); }

// ---- Running code given as text ----

namespace {

// Compiles text as a program under name and runs it for self and other with the arguments
// after the first in argument0 .. argument14; the caller's argument slots come back as they
// were. A compile failure shows "COMPILATION ERROR in <what>" with the compiler's text.
void ExecuteText(ScriptValue& result, CInstance* self, CInstance* other, int argc, const ScriptValue* args,
                 std::string text, const std::string& name, const char* what) {
  ArgumentWindow window;
  const int32_t passed = std::min(argc, kArgumentSlotCount) - 1;
  for (int32_t i = 0; i < kArgumentSlotCount; ++i) {
    ScriptValue& slot = window[i];
    // Each slot holds a copy: the executed code may assign to it freely.
    if (i < passed)
      slot = args[i + 1];
    else
      slot = ScriptValue();
  }
  CCode code(std::move(text), false);
  if (code.Compile(name)) {
    Code_Execute(self, other, code, result);
  } else {
    Error_Show(std::string("COMPILATION ERROR in ") + what + "\n" + Compiler_LastError().text, false);
    Compiler_ClearError();
  }
}

}  // namespace

void F_ExecuteString(ScriptValue& result, CInstance* self, CInstance* other, int argc, ScriptValue* args) {
  if (argc < 1) return;
  const std::string name = Code_NameExecute(g_executeStringCount++);
  ExecuteText(result, self, other, argc, args, std::string(Arg_String(args[0])), name,
              "string to be executed");
}

void F_ExecuteFile(ScriptValue& result, CInstance* self, CInstance* other, int argc, ScriptValue* args) {
  if (argc < 1) return;
  const std::string path = File_ResolvePath(Arg_String(args[0]));
  std::ifstream file(path, std::ios::binary);
  if (!File_Exists(path) || !file) {
    Error_Show_Action("Trying to execute non-existing file.", false);
    return;
  }
  // Read as text: each line (CR LF or LF) keeps its line feed and gets a line end added.
  std::string text;
  std::string line;
  while (std::getline(file, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    text += line;
    if (!file.eof()) text += '\n';
    text += "\r\n";
  }
  const std::string name = "ExecuteFile." + std::to_string(g_executeFileCount++);
  ExecuteText(result, self, other, argc, args, std::move(text), name, "file to be executed");
}

void F_ShowDebugMessage(ScriptValue&, CInstance* self, CInstance* other, int, ScriptValue* args) {
  // A real is written as string() writes it.
  ScriptValue text;
  F_String(text, self, other, 1, args);
  g_DebugMessageConsole->Output("%s\n", Arg_CString(text));
}

// Shows or hides the frame-rate line and the profiler's bars of the debug overlay.
void F_ShowDebugOverlay(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  if (Arg_Flag(args[0])) {
    g_RunOptions.debugOverlayMode |= kOverlayFrameRate;
  } else {
    g_RunOptions.debugOverlayMode &= ~kOverlayFrameRate;
  }
}

// ---- Variables by name ----

namespace {

int32_t VariableId(const ScriptValue& name) { return Code_Variable_Find(Arg_String(name)); }

// The store index of [i] or [i, j]; nullopt (after the report) when an index reaches 32000.
std::optional<int32_t> ArrayIndex(const ScriptValue* i, const ScriptValue* j) {
  const int32_t row = Arg_Rounded(*i);
  const int32_t column = j != nullptr ? Arg_Rounded(*j) : 0;
  if (row >= kArrayRowSize || column >= kArrayRowSize) {
    Error_Show_Action("Array index >= 32000", false);
    return std::nullopt;
  }
  if (j == nullptr) return row;
  const int64_t index = int64_t{row} * kArrayRowSize + column;
  return static_cast<int32_t>(std::clamp<int64_t>(index, INT32_MIN, INT32_MAX));
}

void GlobalGet(ScriptValue& result, const ScriptValue& name, std::optional<int32_t> index) {
  if (!index) return;
  ScriptValue value;
  if (Variable_Global_Get(VariableId(name), *index, value)) result = std::move(value);
}

void GlobalSet(const ScriptValue& name, std::optional<int32_t> index, const ScriptValue& value) {
  if (index) Variable_Global_Set(VariableId(name), *index, value);
}

void LocalGet(ScriptValue& result, CInstance* self, const ScriptValue& name, std::optional<int32_t> index) {
  if (!index || self == nullptr) return;
  ScriptValue value;
  if (Variable_GetValue(self, VariableId(name), *index, value)) result = std::move(value);
}

void LocalSet(CInstance* self, const ScriptValue& name, std::optional<int32_t> index, const ScriptValue& value) {
  if (index && self != nullptr) Variable_SetValue(self, VariableId(name), *index, value);
}

}  // namespace

void F_VariableGlobalExists(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  result.SetReal(Variable_GlobalList().FindNode(VariableId(args[0])) != nullptr ? 1.0 : 0.0);
}

void F_VariableLocalExists(ScriptValue& result, CInstance* self, CInstance*, int, ScriptValue* args) {
  if (self == nullptr) return;
  const int32_t id = VariableId(args[0]);
  ScriptValue value;
  const bool exists = id >= kFirstListVariableId ? self->variables->FindNode(id) != nullptr
                                               : Variable_GetValue(self, id, 0, value);
  result.SetReal(exists ? 1.0 : 0.0);
}

void F_VariableGlobalGet(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue* a) { GlobalGet(r, a[0], 0); }
void F_VariableGlobalArrayGet(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue* a) {
  GlobalGet(r, a[0], ArrayIndex(&a[1], nullptr));
}
void F_VariableGlobalArray2Get(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue* a) {
  GlobalGet(r, a[0], ArrayIndex(&a[1], &a[2]));
}
void F_VariableLocalGet(ScriptValue& r, CInstance* self, CInstance*, int, ScriptValue* a) {
  LocalGet(r, self, a[0], 0);
}
void F_VariableLocalArrayGet(ScriptValue& r, CInstance* self, CInstance*, int, ScriptValue* a) {
  LocalGet(r, self, a[0], ArrayIndex(&a[1], nullptr));
}
void F_VariableLocalArray2Get(ScriptValue& r, CInstance* self, CInstance*, int, ScriptValue* a) {
  LocalGet(r, self, a[0], ArrayIndex(&a[1], &a[2]));
}
void F_VariableGlobalSet(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* a) { GlobalSet(a[0], 0, a[1]); }
void F_VariableGlobalArraySet(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* a) {
  GlobalSet(a[0], ArrayIndex(&a[1], nullptr), a[2]);
}
void F_VariableGlobalArray2Set(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* a) {
  GlobalSet(a[0], ArrayIndex(&a[1], &a[2]), a[3]);
}
void F_VariableLocalSet(ScriptValue&, CInstance* self, CInstance*, int, ScriptValue* a) {
  LocalSet(self, a[0], 0, a[1]);
}
void F_VariableLocalArraySet(ScriptValue&, CInstance* self, CInstance*, int, ScriptValue* a) {
  LocalSet(self, a[0], ArrayIndex(&a[1], nullptr), a[2]);
}
void F_VariableLocalArray2Set(ScriptValue&, CInstance* self, CInstance*, int, ScriptValue* a) {
  LocalSet(self, a[0], ArrayIndex(&a[1], &a[2]), a[3]);
}

namespace {
struct MiscBuiltin {
  const char* name;
  BuiltinFunction implementation;
  int32_t argc;
};

constexpr MiscBuiltin kMiscBuiltins[] = {
    {"event_perform", F_EventPerform, 2},
    {"event_user", F_EventUser, 1},
    {"event_perform_object", F_EventPerformObject, 3},
    {"external_define", F_ExternalDefine, -1},
    {"external_call", F_ExternalCall, -1},
    {"external_free", F_ExternalFree, 1},
    {"external_define0", F_ExternalDefine0, 3},
    {"external_define1", F_ExternalDefine1, 4},
    {"external_define2", F_ExternalDefine2, 5},
    {"external_define3", F_ExternalDefine3, 6},
    {"external_define4", F_ExternalDefine4, 7},
    {"external_define5", F_ExternalDefine5, 3},
    {"external_define6", F_ExternalDefine6, 3},
    {"external_define7", F_ExternalDefine7, 3},
    {"external_define8", F_ExternalDefine8, 3},
    {"external_call0", F_ExternalCallN, 1},
    {"external_call1", F_ExternalCallN, 2},
    {"external_call2", F_ExternalCallN, 3},
    {"external_call3", F_ExternalCallN, 4},
    {"external_call4", F_ExternalCallN, 5},
    {"external_call5", F_ExternalCallN, 6},
    {"external_call6", F_ExternalCallN, 7},
    {"external_call7", F_ExternalCallN, 8},
    {"external_call8", F_ExternalCallN, 9},
    {"execute_string", F_ExecuteString, -1},
    {"execute_file", F_ExecuteFile, -1},
    {"show_debug_message", F_ShowDebugMessage, 1},
    {"show_debug_overlay", F_ShowDebugOverlay, 1},
    {"variable_global_exists", F_VariableGlobalExists, 1},
    {"variable_local_exists", F_VariableLocalExists, 1},
    {"variable_global_get", F_VariableGlobalGet, 1},
    {"variable_global_array_get", F_VariableGlobalArrayGet, 2},
    {"variable_global_array2_get", F_VariableGlobalArray2Get, 3},
    {"variable_local_get", F_VariableLocalGet, 1},
    {"variable_local_array_get", F_VariableLocalArrayGet, 2},
    {"variable_local_array2_get", F_VariableLocalArray2Get, 3},
    {"variable_global_set", F_VariableGlobalSet, 2},
    {"variable_global_array_set", F_VariableGlobalArraySet, 3},
    {"variable_global_array2_set", F_VariableGlobalArray2Set, 4},
    {"variable_local_set", F_VariableLocalSet, 2},
    {"variable_local_array_set", F_VariableLocalArraySet, 3},
    {"variable_local_array2_set", F_VariableLocalArray2Set, 4},
    {"event_inherited", F_EventInherited, 0},
};
}  // namespace

void InitMiscFunctions() {
  for (const MiscBuiltin& builtin : kMiscBuiltins) Function_Add(builtin.name, builtin.implementation, builtin.argc);
  Date_RegisterFunctions();
  Os_RegisterMiscFunctions();
}
