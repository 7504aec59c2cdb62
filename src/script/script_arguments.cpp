#include "script/script_arguments.h"

std::array<ScriptValue, kArgumentSlotCount> Code_Arguments;
int32_t Code_ArgumentCount = 0;
bool Action_Relative = false;

void Code_Argument_Set(int32_t n, ValueKind kind, double real, const char* string) {
  if (n < 0 || n >= kArgumentSlotCount) return;
  ScriptValue& slot = Code_Arguments[static_cast<size_t>(n)];
  slot.kind = kind;
  slot.real = real;
  if (string != nullptr) {
    slot.text = string;
  } else {
    slot.text.clear();
  }
}

void Code_Argument_Set(int32_t n, const ScriptValue& value) {
  if (n < 0 || n >= kArgumentSlotCount) return;
  ScriptValue_Copy(Code_Arguments[static_cast<size_t>(n)], value);
}

void Code_Arguments_Free() {
  for (auto& slot : Code_Arguments) slot = ScriptValue();
}
