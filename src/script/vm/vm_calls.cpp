// Calls (built-ins, scripts, extension functions) and with environments.
#include <cstdio>
#include <bit>
#include <string>

#include "platform/console.h"
#include "runner/instance.h"
#include "script/code.h"
#include "script/function_table.h"
#include "script/script_arguments.h"
#include "script/vm/vm.h"
#include "script/vm/vm_decode.h"
#include "script/vm/vm_script_call.h"
#include "script/vm/vm_state.h"

VMScriptLookup g_VMScriptLookup = nullptr;

namespace {
VMExtensionCall& ExtensionCall() {
  static VMExtensionCall call = nullptr;
  return call;
}
}  // namespace

void VM_RestoreArguments(VMFrame& frame, uint32_t changed) {
  frame.argsMaybeSet = changed;
  Code_Arguments = frame.callerArgs;
}

void VM_SetScriptLookup(VMScriptLookup lookup) { g_VMScriptLookup = lookup; }
void VM_SetExtensionCall(VMExtensionCall call) { ExtensionCall() = call; }

ScriptValue* VM_CallBuiltin(VMState& st, int32_t id, int32_t argc, ScriptValue* sp) {
  st.argsMaybeSet = kAllArgumentSlots;
  ScriptValue result;
  if (const BuiltinFunctionEntry* entry = Function_Get(id)) {
    if (VM_ScriptTrace) g_DebugConsole->Output("func call = %s\n", entry->name.c_str());
    Function_Invoke(*entry, result, st.self, st.other, argc, sp);
  }
  sp += argc - 1;
  VM_MoveValue(*sp, result);
  return sp;
}

const char* VM_DoCall(VMState& st, int32_t id, int32_t argc, ScriptValue*& sp, int32_t& used) {
  const bool isScript = id >= kScriptFunctionBase && id < kExtensionFunctionBase;
  const CCode* script = VM_ScriptOfCall(id);
  const VMBuffer* bytecode = script != nullptr ? script->Bytecode() : nullptr;

  if (!isScript || bytecode == nullptr) {
    if (!isScript && id < kExtensionFunctionBase) {
      sp = VM_CallBuiltin(st, id, argc, sp);
    } else {
      st.argsMaybeSet = kAllArgumentSlots;
      ScriptValue result;
      if (id >= kExtensionFunctionBase && ExtensionCall() != nullptr) {
        ExtensionCall()(id - kExtensionFunctionBase, argc, sp, result);
      }
      sp += argc - 1;
      VM_MoveValue(*sp, result);
    }
    used -= kVMArgumentBytes * (argc - 1);
    return nullptr;
  }

  // A script: its frame replaces the arguments, which move into the argument slots.
  if (VM_ScriptTrace) g_DebugConsole->Output("script call = %s\n", script->Name().c_str());
  VM_Decoded(*bytecode);  // made even for code that runs byte by byte
  const auto& form = *static_cast<const VMDecoded*>(bytecode->Derived().get());
  VM_EnterScript(st, *script, *bytecode, form, argc, nullptr, sp, used);
  return nullptr;
}

void VM_ReturnFromScript(VMState& st, ScriptValue*& sp, int32_t& used, ScriptValue& value) {
  VM_LeaveScript(st, sp, used, value);
}
