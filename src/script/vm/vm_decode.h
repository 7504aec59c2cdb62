// The decoded form of a code object: its instructions unpacked once into records the machine
// runs without looking at the bytes again. The bytes stay what is stored, disassembled and
// reported; a record keeps the offset of its instruction so any instruction can be handed to
// the byte loop, which runs everything the decoded form does not take on.
//
// A code object gets a decoded form only when every instruction decodes, every branch lands
// on an instruction (or the end), and the number of values on the stack at each instruction
// is the same along every path and never less than the instruction takes. Such code can not
// underflow the stack, so its records run without that check; other code runs byte by byte.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

#include "script/script_value.h"

#include "script/vm/vm_state.h"
#include "script/vm_buffer.h"

class CCode;

// What a record does. Slow hands the instruction to the byte loop.
enum class VMFastOp : uint8_t {
  Slow,
  End,            // the end of the code
  Nop,            // break, unassigned opcodes, pushes of types that push nothing
  PushLocal,      // push.v of a local, no index
  PushInstanceVariable,  // push.v of a variable of self or other, no index
  // push.v L; push.e/.i k (K) or push.v L2 (L); add/sub/mul; pop.v.v L
  LocalAddK,
  LocalSubK,
  LocalMulK,
  LocalAddL,
  LocalSubL,
  LocalMulL,
  // push.v L; push.e/.i k (K) or push.v L2 (L); slt..sgt; bt/bf
  LocalSltK,
  LocalSleK,
  LocalSeqK,
  LocalSneK,
  LocalSgeK,
  LocalSgtK,
  LocalSltL,
  LocalSleL,
  LocalSeqL,
  LocalSneL,
  LocalSgeL,
  LocalSgtL,
  // push.v of a variable of self or other, no index; push.e/.i k; add/sub/mul (.i on a .v):
  // run whole when the variable holds a real and is an argument slot, a plain field of the
  // instance or a variable the instance holds
  VariableIntAdd,
  VariableIntSub,
  VariableIntMul,
  // the same with a pop.v.v into the variable: run whole when it is one the instance holds
  VariableIntUpdateAdd,
  VariableIntUpdateSub,
  VariableIntUpdateMul,
  // the same with slt..sgt; bt/bf
  VariableIntSltBranch,
  VariableIntSleBranch,
  VariableIntSeqBranch,
  VariableIntSneBranch,
  VariableIntSgeBranch,
  VariableIntSgtBranch,
  // push.v of two such variables; slt..sgt (.v.v); bt/bf: run whole when both are as above
  VariableVariableSltBranch,
  VariableVariableSleBranch,
  VariableVariableSeqBranch,
  VariableVariableSneBranch,
  VariableVariableSgeBranch,
  VariableVariableSgtBranch,
  // push.v of a local, no index; add/sub/mul/div .v.v: the local taken at once as the right-hand
  // operand when both are reals (a divisor not zero)
  PushLocalAdd,
  PushLocalSub,
  PushLocalMul,
  PushLocalDiv,
  PushShort,      // push.e
  PushLocalInt,   // push.v of a local, no index; conv.v.i
  PushIntAdd,     // push.e/.i k; add (then sub, mul, slt..sgt) with an integer on the right
  PushIntSub,
  PushIntMul,
  PushIntSlt,
  PushIntSle,
  PushIntSeq,
  PushIntSne,
  PushIntSge,
  PushIntSgt,
  PushIntSltBranch,  // push.e/.i k; slt..sgt; bt/bf
  PushIntSleBranch,
  PushIntSeqBranch,
  PushIntSneBranch,
  PushIntSgeBranch,
  PushIntSgtBranch,
  PushString,     // push.s of a string the tables hold
  Push4,          // push.i .f .b
  Push8,          // push.d .l
  PopLocal,       // pop.v.U of a local, no index
  PopInstanceVariable,  // pop.v.U of a variable of self or other, no index
  PushElement,    // push.v with index and instance on the stack (locals' elements)
  PopElement,     // pop.v.U with index and instance on the stack (locals' elements)
  // push.e -7; the index of locals R, C (push.v R; conv.v.i; push.i 32000; mul.i.i; push.v C;
  // conv.v.i; add.i.i); push.v or pop.v.U of a local's element: the element of a[R, C]
  // (a store's record takes the type byte and slot of its pop)
  PushLocalElement2D,
  PopLocalElement2D,
  // push.e -7; push.v I; conv.v.i; push.v or pop.v.U of a local's element: the element of
  // a[I] of locals a and I (id: I, id3: a; a store's record takes its pop's type byte and slot)
  PushLocalElement1D,
  PopLocalElement1D,
  Add,
  Sub,
  Mul,
  Div,            // div.v.v / div.v.i on reals with a divisor not zero; anything else in the byte loop
  // add/sub/mul/div .v.v; pop.v.v of a local, no index: the result of two reals (a divisor not
  // zero) stored straight into the local
  AddPopLocal,
  SubPopLocal,
  MulPopLocal,
  DivPopLocal,
  Slt,
  Sle,
  Seq,
  Sne,
  Sge,
  Sgt,
  Conv,
  Neg,            // neg.v
  Popz,
  B,
  Bt,
  Bf,
  Call,
  Ret,            // ret.v
  Exit,
  Count,
};

struct VMInsn {
  const void* handler = nullptr;
  uint32_t word = 0;
  int32_t pc = 0;        // offset of the instruction's word
  double k = 0.0;        // idioms: the constant
  int64_t bits = 0;      // pushes: the operand's bits
  int32_t id = 0;        // the local
  int32_t id2 = -1;      // idioms: the right-hand local, or -1 for the constant
  int32_t target = 0;    // branches and idioms ending in one: the record branched to
  int32_t id3 = -1;      // elements of a[R, C] and a[I]: the array (id: R or I, id2: C)
  const VMInsn* jump = nullptr;  // that record (past any plain branches it starts)
  // Updates of a local (LocalAddK .. LocalMulL): the record after the idiom, past any plain
  // branches it starts (the end of a loop's body goes straight to the loop's test).
  const VMInsn* after = nullptr;
  int32_t slot = 0;      // popz, pop: bytes of the popped value's type
  int32_t imm = 0;       // push.e, push.i: the integer pushed
  const ScriptValue* text = nullptr;  // push.s: the string pushed (a copy shares its bytes)
  uint8_t typeByte = 0;
  uint8_t op = 0;        // idioms: the arithmetic or comparison opcode; bt/bf: 1 for bt
  // Variables of self or other: where in its instance's list the variable was last found.
  mutable int32_t hint = 0;
};

struct VMDecoded {
  std::vector<VMInsn> insns;     // the last one is the end
  std::deque<ScriptValue> texts;  // the strings of the push.s records (a deque keeps them in place)
  bool usesLocals = false;       // some instruction may name a local
  std::vector<int32_t> indexOf;  // record index by offset / 4; -1 inside an instruction
  // The names of the script whose code this is, filled on its first call.
  mutable const CCode* identOf = nullptr;
  mutable VMCodeIdentity ident;

  // The record of the instruction at offset pc, or null.
  const VMInsn* At(int32_t pc) const {
    if (pc < 0 || (pc & 3) != 0 || static_cast<size_t>(pc / 4) >= indexOf.size()) return nullptr;
    int32_t i = indexOf[static_cast<size_t>(pc / 4)];
    return i < 0 ? nullptr : &insns[static_cast<size_t>(i)];
  }
};

// The decoded form of a buffer, made on first use and kept with it; null when the code does
// not qualify.
const VMDecoded* VM_DecodeBuffer(const VMBuffer& code);
inline const VMDecoded* VM_Decoded(const VMBuffer& code) {
  if (const void* derived = code.Derived().get()) {
    const auto* decoded = static_cast<const VMDecoded*>(derived);
    return decoded->insns.empty() ? nullptr : decoded;
  }
  return VM_DecodeBuffer(code);
}

// The machine's handler for each VMFastOp.
const void* const* VM_FastHandlers();
