// The argument variables for the benchmark, standing in for the built-in variable table.
#include "script/compiler/user_variables.h"
#include "script/script_arguments.h"
#include "script/variable_access.h"
#include "script/vm/vm.h"

namespace {

// argument0 .. argument15 and argument_count, as the built-in variable table answers them.
bool GetBuiltin(CInstance*, int32_t id, int32_t, ScriptValue& out) {
  static const int32_t argument0 = Code_Variable_Find("argument0");
  if (id >= argument0 && id < argument0 + 16) {
    ScriptValue_Copy(out, Code_Arguments[static_cast<size_t>(id - argument0)]);
    return true;
  }
  return false;
}

}  // namespace

void Bench_InstallArguments() {
  Variable_SetBuiltInAccessors(GetBuiltin, nullptr);
  VM_SetArgumentVariables(Code_Variable_Find("argument0"));
}
