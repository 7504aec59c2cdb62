#include "functions/argument_helpers.h"


#include "platform/conversions.h"
#include "script/error_report.h"
#include "script/string_text.h"

int32_t Arg_Rounded(const ScriptValue& value) { return Conv_RoundToInt32(value.real); }

int32_t Arg_Truncated(const ScriptValue& value) { return Conv_TruncToInt32(value.real); }

int64_t Arg_Truncated64(const ScriptValue& value) { return Conv_TruncToInt64(value.real); }

float Arg_Single(const ScriptValue& value) { return Conv_ToFloat(value.real); }

bool Arg_Flag(const ScriptValue& value) { return value.real >= 0.5; }

bool Arg_FlagSingle(const ScriptValue& value) { return Conv_ToFloat(value.real) >= 0.5f; }

bool Arg_FlagAbove(const ScriptValue& value) { return value.real > 0.5; }

std::string_view Arg_String(const ScriptValue& value) {
  if (!value.IsString()) return {};
  return StringText_Bytes(value.TextBlock());  // up to the first NUL
}

const char* Arg_CString(const ScriptValue& value) {
  return value.CStr();
}

bool Arg_HasText(const ScriptValue& value) {
  return value.IsString() && !value.Text().empty() && value.Text()[0] != '\0';
}

bool Arg_AnyString(int argc, const ScriptValue* args) {
  for (int i = 0; i < argc; ++i) {
    if (args[i].IsString()) return true;
  }
  return false;
}

bool Arg_AllReal(int argc, const ScriptValue* args) { return !Arg_AnyString(argc, args); }

void Arg_ReportIllegalCount() { Error_Show_Action("Illegal argument count", false); }

void Arg_ReportIllegalType() { Error_Show_Action("Illegal argument type", false); }

void Arg_ReportWrongTypes(std::string_view builtin_name) {
  Error_Show_Action("Wrong argument types for " + std::string(builtin_name), false);
}

void Arg_ReportStringsNotPermitted(std::string_view builtin_name) {
  Error_Show_Action("Error " + std::string(builtin_name) + "(): illegal argument; strings not permitted",
                    false);
}

bool Arg_CheckCount(int argc, int expected) {
  if (argc == expected) return true;
  Arg_ReportIllegalCount();
  return false;
}

bool Arg_CheckAllReal(int argc, const ScriptValue* args) {
  if (Arg_AllReal(argc, args)) return true;
  Arg_ReportIllegalType();
  return false;
}
