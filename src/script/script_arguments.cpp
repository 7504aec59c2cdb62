#include "script/script_arguments.h"

namespace {
ArgumentSlots g_OutermostArguments;
}  // namespace

ScriptValue* Code_Arguments = g_OutermostArguments.data();
int32_t Code_ArgumentCount = 0;
bool Action_Relative = false;

void Code_Argument_Set(int32_t n, ValueKind kind, double real, const char* string) {
  if (n < 0 || n >= kArgumentSlotCount) return;
  ScriptValue& slot = Code_Arguments[n];
  if (kind == ValueKind::String) {
    slot.SetString(string != nullptr ? string : "", real);
  } else {
    slot.SetKindAndReal(kind, real);
  }
}

void Code_Argument_Set(int32_t n, const ScriptValue& value) {
  if (n < 0 || n >= kArgumentSlotCount) return;
  ScriptValue_Copy(Code_Arguments[n], value);
}

void Code_Arguments_Free() {
  Code_Arguments = g_OutermostArguments.data();
  for (auto& slot : g_OutermostArguments) slot = ScriptValue();
}
