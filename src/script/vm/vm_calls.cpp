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
#include "script/vm/vm_state.h"

namespace {
constexpr int32_t kFrameBytes = 304;
constexpr int32_t kArgumentBytes = 16;
VMScriptLookup& ScriptLookup() {
  static VMScriptLookup lookup = nullptr;
  return lookup;
}
VMExtensionCall& ExtensionCall() {
  static VMExtensionCall call = nullptr;
  return call;
}
// Back to the caller's argument slots; the callee's stay with the frame record.
[[gnu::always_inline]] inline void RestoreArguments(VMFrame& frame, uint32_t changed) {
  frame.argsMaybeSet = changed;
  Code_Arguments = frame.callerArgs;
}

}  // namespace

void VM_RestoreArguments(VMFrame& frame, uint32_t changed) { RestoreArguments(frame, changed); }

void VM_SetScriptLookup(VMScriptLookup lookup) { ScriptLookup() = lookup; }
void VM_SetExtensionCall(VMExtensionCall call) { ExtensionCall() = call; }

const char* VM_DoCall(VMState& st, int32_t id, int32_t argc, ScriptValue*& sp, int32_t& used) {
  const bool isScript = id >= kScriptFunctionBase && id < kExtensionFunctionBase;
  const CCode* script = nullptr;
  if (isScript && ScriptLookup() != nullptr) script = ScriptLookup()(id - kScriptFunctionBase);
  const VMBuffer* bytecode = script != nullptr ? script->Bytecode() : nullptr;

  if (!isScript || bytecode == nullptr) {
    st.argsMaybeSet = kAllArgumentSlots;
    ScriptValue result;
    if (id >= kExtensionFunctionBase) {
      if (ExtensionCall() != nullptr)
        ExtensionCall()(id - kExtensionFunctionBase, argc, sp, result);
    } else if (!isScript) {
      const BuiltinFunctionEntry* entry = Function_Get(id);
      if (entry != nullptr) {
        if (VM_ScriptTrace) g_DebugConsole->Output("func call = %s\n", entry->name.c_str());
        if (entry->implementation != nullptr) {
          entry->implementation(result, st.self, st.other, argc, sp);
        }
      }
    }
    sp += argc;
    used -= kArgumentBytes * argc;
    --sp;
    *sp = std::move(result);
    used += kArgumentBytes;
    return nullptr;
  }

  // A script: its frame replaces the arguments, which move into the argument slots.
  if (VM_ScriptTrace) g_DebugConsole->Output("script call = %s\n", script->Name().c_str());
  VMFrame& frame = st.seg->frames.Push();
  frame.pc = st.pc;
  frame.self = st.self;
  frame.other = st.other;
  frame.code = st.code;
  frame.codeSize = st.codeSize;
  frame.buffer = st.buffer;
  frame.ident = st.ident;
  frame.resume = nullptr;
  frame.line = st.line;
  frame.argc = Code_ArgumentCount;
  frame.locals = st.locals;
  frame.localsCache = st.localsCache;
  frame.stackBase = sp + argc;
  frame.usedBase = used - kArgumentBytes * argc;
  frame.withDepth = st.seg->withs.size();
  // Stored code may pass more than 16; the extra ones are dropped.
  const int32_t kept = argc < kArgumentSlotCount ? argc : kArgumentSlotCount;
  const uint32_t filled = (1u << kept) - 1;
  ScriptValue* const args = frame.args.data();
  for (int32_t k = 0; k < kept; ++k) {
    args[k] = std::move(sp[k]);
  }
  // Slots an earlier call through this record left set go back to the real 0.
  for (uint32_t slots = frame.argsMaybeSet & ~filled; slots != 0; slots &= slots - 1) {
    args[std::countr_zero(slots)].SetReal(0.0);
  }
  frame.callerArgs = Code_Arguments;
  frame.callerArgsMaybeSet = st.argsMaybeSet;
  Code_Arguments = args;
  st.argsMaybeSet = filled;
  Code_ArgumentCount = kept;
  sp = frame.stackBase;
  used = frame.usedBase + kFrameBytes;

  st.code = bytecode->Data();
  st.codeSize = bytecode->Size();
  st.buffer = bytecode;
  st.pc = 0;
  st.line = 0;
  // Code that names no local runs without a locals list.
  const VMDecoded* decoded = VM_Decoded(*bytecode);
  // Made by VM_Decoded even for code that runs byte by byte.
  const auto* derived = static_cast<const VMDecoded*>(bytecode->Derived().get());
  if (derived->identOf != script) {
    derived->ident = {script->DebugInfo(), script->SourceCopy(), script->Name()};
    derived->identOf = script;
  }
  st.ident = &derived->ident;
  if (decoded == nullptr || decoded->usesLocals) {
    st.locals = VM_TakeLocals(st.localsCache);
  } else {
    st.locals = nullptr;
    st.localsCache = nullptr;
  }
  ++st.depth;
  return nullptr;
}

void VM_ReturnFromScript(VMState& st, ScriptValue*& sp, int32_t& used, const uint8_t*& code,
                         int32_t& codeSize, int32_t& pc, ScriptValue& value) {
  VMFrame& frame = st.seg->frames.Top();
  if (st.locals != nullptr) VM_GiveBackLocals();
  // With environments the callee left open end with it.
  while (st.seg->withs.size() > frame.withDepth) st.seg->withs.pop_back();
  st.self = frame.self;
  st.other = frame.other;
  st.code = code = frame.code;
  st.codeSize = codeSize = frame.codeSize;
  st.pc = pc = frame.pc;
  st.buffer = frame.buffer;
  st.ident = frame.ident;
  st.line = frame.line;
  st.locals = frame.locals;
  st.localsCache = frame.localsCache;
  Code_ArgumentCount = frame.argc;
  RestoreArguments(frame, st.argsMaybeSet);
  st.argsMaybeSet = frame.callerArgsMaybeSet;
  sp = frame.stackBase - 1;
  *sp = std::move(value);
  used = frame.usedBase + kArgumentBytes;
  st.seg->frames.Pop();
  --st.depth;
}
