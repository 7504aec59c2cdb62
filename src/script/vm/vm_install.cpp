#include "script/code.h"
#include "script/vm/vm.h"
#include "script/vm/vm_codegen.h"
#include "script/vm/vm_decode.h"
#include "script/vm/vm_prepared.h"

void VM_ExecCode(const CCode& code, CInstance* self, CInstance* other, ScriptValue& result) {
  const VMBuffer* bytecode = code.Bytecode();
  if (bytecode == nullptr) return;
  VM_Exec(code.Name(), self, other, *bytecode, &result, code.DebugInfo(), code.SourceCopy());
}

void VM_Install() {
  Code_SetGenerator(VM_GenerateCode);
  Code_SetVMExecutor(VM_ExecCode);
}

void VM_Prepare(const CCode& code, VMPrepared& prepared) {
  prepared = VMPrepared();
  if (!Code_UseVM() || Code_VMFunction() != &VM_ExecCode) return;
  if (code.Kind() != CodeKind::Program || !code.IsCompiled()) return;
  const VMBuffer* bytecode = code.Bytecode();
  if (bytecode == nullptr) return;
  const VMDecoded* decoded = VM_Decoded(*bytecode);
  const VMInsn* entry = decoded != nullptr ? decoded->At(0) : nullptr;
  if (entry == nullptr || bytecode->Size() < 4) return;
  prepared.code = &code;
  prepared.buffer = bytecode;
  prepared.entry = entry;
  prepared.ident = VMCodeIdentity{code.DebugInfo(), code.SourceCopy(), code.Name()};
  prepared.usesLocals = decoded->usesLocals;
  prepared.executorAt = Code_ExecutorChanges;
  VM_ResetPreparedState(prepared);
}
