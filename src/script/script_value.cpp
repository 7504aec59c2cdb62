#include "script/script_value.h"

#include <cstdio>

#include "platform/console.h"
#include "platform/conversions.h"

std::string ScriptValue_PrintForm(const ScriptValue& value) {
  switch (value.Kind()) {
    case ValueKind::String:
      return "\"" + std::string(value.Text()) + "\"";
    case ValueKind::Real: {
      // A value that does not fit into int32 converts to INT32_MIN, which then differs
      // from the value, so it prints with decimals (as NaN does).
      int32_t integral = Conv_RoundToInt32(value.real);
      if (static_cast<double>(integral) == value.real) return std::to_string(integral);
      int length = std::snprintf(nullptr, 0, "%f", value.real);
      if (length <= 0) return std::string();
      std::string printed(static_cast<size_t>(length) + 1, '\0');
      std::snprintf(printed.data(), printed.size(), "%f", value.real);
      printed.resize(static_cast<size_t>(length));
      return printed;
    }
  }
  return std::string();
}

void ScriptValue_Print(tagIConsole& console, const ScriptValue& value) {
  std::string printed = ScriptValue_PrintForm(value);
  if (!printed.empty()) console.Output("%s", printed.c_str());
}
