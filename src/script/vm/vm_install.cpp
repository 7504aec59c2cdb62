#include "script/code.h"
#include "script/vm/vm.h"
#include "script/vm/vm_codegen.h"

void VM_ExecCode(const CCode& code, CInstance* self, CInstance* other, ScriptValue& result) {
  const VMBuffer* bytecode = code.Bytecode();
  if (bytecode == nullptr) return;
  VM_Exec(code.Name(), self, other, *bytecode, &result, code.DebugInfo(), code.SourceCopy());
}

void VM_Install() {
  Code_SetGenerator(VM_GenerateCode);
  Code_SetVMExecutor(VM_ExecCode);
}
