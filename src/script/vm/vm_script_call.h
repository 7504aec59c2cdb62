// Entering a script and returning from it: the one sequence the byte loop and the decoded
// records share. Internal to the machine.
#pragma once

#include <bit>
#include <cstdint>
#include <utility>

#include "script/code.h"
#include "script/function_table.h"
#include "script/script_arguments.h"
#include "script/vm/vm.h"
#include "script/vm/vm_decode.h"
#include "script/vm/vm_state.h"

// What a call frame and an argument took on the original stack.
inline constexpr int32_t kVMFrameBytes = 304;
inline constexpr int32_t kVMArgumentBytes = 16;

// The lookup installed by VM_SetScriptLookup; null until then.
extern VMScriptLookup g_VMScriptLookup;

// The code object a call id names when it is a script, else null.
[[gnu::always_inline]] inline const CCode* VM_ScriptOfCall(int32_t id) {
  if (id < kScriptFunctionBase || id >= kExtensionFunctionBase || g_VMScriptLookup == nullptr) {
    return nullptr;
  }
  return g_VMScriptLookup(id - kScriptFunctionBase);
}

// A value moved from one cell into another; from is left to be overwritten.
[[gnu::always_inline]] inline void VM_MoveValue(ScriptValue& to, ScriptValue& from) {
  to = std::move(from);
}

// Enters script's bytecode: the caller's state goes into a new frame, the argc values on top
// of the stack into its argument slots (past 16 they are dropped), and the frame's bytes
// replace them on the stack. form is the bytecode's decoded form (made for every buffer, its
// records empty when the code runs byte by byte); resume the record the caller goes on at.
[[gnu::always_inline]] inline void VM_EnterScript(VMState& st, const CCode& script,
                                                  const VMBuffer& bytecode, const VMDecoded& form,
                                                  int32_t argc, const VMInsn* resume,
                                                  ScriptValue*& sp, int32_t& used) {
  VMFrame& frame = st.seg->frames.Push();
  frame.resume = resume;
  frame.buffer = st.buffer;
  frame.ident = st.ident;
  frame.stackBase = sp + argc;
  frame.callerArgs = Code_Arguments;
  frame.locals = st.locals;
  frame.localsCache = st.localsCache;
  frame.self = st.self;
  frame.other = st.other;
  frame.pc = st.pc;
  frame.usedBase = used - kVMArgumentBytes * argc;
  frame.line = st.line;
  frame.argc = Code_ArgumentCount;
  frame.withDepth = static_cast<uint32_t>(st.seg->withs.size());
  frame.callerArgsMaybeSet = st.argsMaybeSet;

  const int32_t kept = argc < kArgumentSlotCount ? argc : kArgumentSlotCount;
  const uint32_t filled = (1u << kept) - 1;
  ScriptValue* const args = frame.args.data();
  for (int32_t k = 0; k < kept; ++k) VM_MoveValue(args[k], sp[k]);
  // Slots an earlier call through this record left set go back to the real 0.
  for (uint32_t slots = frame.argsMaybeSet & ~filled; slots != 0; slots &= slots - 1) {
    args[std::countr_zero(slots)].SetReal(0.0);
  }
  Code_Arguments = args;
  Code_ArgumentCount = kept;
  st.argsMaybeSet = filled;
  sp = frame.stackBase;
  used = frame.usedBase + kVMFrameBytes;

  st.code = bytecode.Data();
  st.codeSize = bytecode.Size();
  st.buffer = &bytecode;
  st.pc = 0;
  st.line = 0;
  if (form.identOf != &script) {
    form.ident = {script.DebugInfo(), script.SourceCopy(), script.Name()};
    form.identOf = &script;
  }
  st.ident = &form.ident;
  // Code that names no local runs without a locals list.
  if (form.insns.empty() || form.usesLocals) {
    st.locals = VM_TakeLocals(st.localsCache);
  } else {
    st.locals = nullptr;
    st.localsCache = nullptr;
  }
  ++st.depth;
}

// Back from the innermost script call to its caller, value pushed as the call's result (it may
// be a cell of the callee's stack).
// Answers the record the caller goes on at, or null when it is to be looked up by st.pc.
[[gnu::always_inline]] inline const VMInsn* VM_LeaveScript(VMState& st, ScriptValue*& sp,
                                                           int32_t& used, ScriptValue& value) {
  VMFrame& frame = st.seg->frames.Top();
  if (st.locals != nullptr) VM_GiveBackLocals();
  // With environments the callee left open end with it.
  if (st.seg->withs.size() > frame.withDepth) st.seg->withs.resize(frame.withDepth);
  st.self = frame.self;
  st.other = frame.other;
  st.buffer = frame.buffer;
  st.code = frame.buffer->Data();
  st.codeSize = frame.buffer->Size();
  st.pc = frame.pc;
  st.ident = frame.ident;
  st.line = frame.line;
  st.locals = frame.locals;
  st.localsCache = frame.localsCache;
  Code_ArgumentCount = frame.argc;
  // The callee's slots stay with the record; which of them it may have set goes with them.
  frame.argsMaybeSet = st.argsMaybeSet;
  Code_Arguments = frame.callerArgs;
  st.argsMaybeSet = frame.callerArgsMaybeSet;
  sp = frame.stackBase - 1;
  if (sp != &value) VM_MoveValue(*sp, value);  // a callee's first push lands there
  used = frame.usedBase + kVMArgumentBytes;
  const VMInsn* resume = frame.resume;
  st.seg->frames.Pop();
  --st.depth;
  return resume;
}
