// Decoding a code object's bytes into records, and the check that lets them run without
// stack-underflow tests.
#include "script/vm/vm_decode.h"

#include <cstring>

#include "script/variable_list.h"
#include "script/vm/vm_opcodes.h"
#include "script/vm/vm_strings.h"

namespace {

constexpr int32_t kLocalInstance = -7;

uint32_t WordAt(const uint8_t* code, int32_t offset) {
  uint32_t w;
  std::memcpy(&w, code + offset, 4);
  return w;
}

int32_t SignExtend24(uint32_t word) { return static_cast<int32_t>(word << 8) >> 8; }

// A variable operand naming a local by a fixed instance, with no index on the stack.
bool IsPlainLocal(uint32_t word, uint32_t var) {
  constexpr uint32_t kForm = kVMVarFixedInstance | kVMVarInstanceId | kVMVarNoIndex;
  return (var & kForm) == (kVMVarFixedInstance | kVMVarNoIndex) &&
         static_cast<int16_t>(word & 0xFFFF) == kLocalInstance;
}

bool IndexAndInstanceOnStack(uint32_t var) {
  return (var & (kVMVarFixedInstance | kVMVarNoIndex)) == 0;
}

// A variable operand naming a variable (built-in or the instance's own) of self, other or
// self-or-global, with no index on the stack.
bool IsPlainInstanceVariable(uint32_t word, uint32_t var) {
  constexpr uint32_t kForm = kVMVarFixedInstance | kVMVarInstanceId | kVMVarNoIndex;
  const int16_t instance = static_cast<int16_t>(word & 0xFFFF);
  return (var & kForm) == (kVMVarFixedInstance | kVMVarNoIndex) &&
         (instance == -1 || instance == -2 || instance == -6);
}

// Values an instruction takes from the stack and leaves on it, and whether execution can
// go on to the next instruction. False: the instruction is not taken on (the byte loop
// reports what is wrong with it when it runs).
struct Effect {
  int32_t need = 0;
  int32_t delta = 0;
  bool next = true;
  bool branches = false;
};

bool EffectOf(uint32_t word, uint32_t var, Effect& e) {
  const auto op = static_cast<VMOpcode>(word >> 24);
  const uint32_t t = (word >> 16) & 0x0F;
  auto variablePops = [var] {
    return ((var & kVMVarNoIndex) == 0 ? 1 : 0) + ((var & kVMVarFixedInstance) == 0 ? 1 : 0);
  };
  switch (op) {
    case VMOpcode::Conv:
    case VMOpcode::Neg:
    case VMOpcode::Not:
      e.need = 1;
      return true;
    case VMOpcode::Mul:
    case VMOpcode::Div:
    case VMOpcode::Rem:
    case VMOpcode::Mod:
    case VMOpcode::Add:
    case VMOpcode::Sub:
    case VMOpcode::And:
    case VMOpcode::Or:
    case VMOpcode::Xor:
    case VMOpcode::Shl:
    case VMOpcode::Shr:
    case VMOpcode::Slt:
    case VMOpcode::Sle:
    case VMOpcode::Seq:
    case VMOpcode::Sne:
    case VMOpcode::Sge:
    case VMOpcode::Sgt:
      e.need = 2;
      e.delta = -1;
      return true;
    case VMOpcode::Pop:
      if (t != static_cast<uint32_t>(VMType::Var)) return false;
      e.need = variablePops() + 1;
      e.delta = -e.need;
      return true;
    case VMOpcode::Dup:
      e.need = 1;
      e.delta = 1;
      return true;
    case VMOpcode::Ret:
      e.need = 1;
      e.next = false;
      return true;
    case VMOpcode::Exit:
      e.next = false;
      return true;
    case VMOpcode::Popz:
      e.need = 1;
      e.delta = -1;
      return true;
    case VMOpcode::B:
      e.next = false;
      e.branches = true;
      return true;
    case VMOpcode::Bt:
    case VMOpcode::Bf:
    case VMOpcode::PushEnv:
      e.need = 1;
      e.delta = -1;
      e.branches = true;
      return true;
    case VMOpcode::PopEnv:
      e.branches = true;
      return true;
    case VMOpcode::Push:
      if (t == static_cast<uint32_t>(VMType::Var)) {
        e.need = variablePops();
        e.delta = 1 - e.need;
      } else if (t <= static_cast<uint32_t>(VMType::String) ||
                 t == static_cast<uint32_t>(VMType::Error)) {
        e.delta = 1;
      }
      return true;
    case VMOpcode::Call: {
      if (t != static_cast<uint32_t>(VMType::Int)) return false;
      const auto argc = static_cast<int32_t>(word & 0xFFFF);
      e.need = argc;
      e.delta = 1 - argc;
      return true;
    }
    default:  // break, unassigned opcodes
      return true;
  }
}

struct Decoder {
  const uint8_t* code;
  int32_t size;
  const void* const* handlers;
  VMDecoded out;
  std::vector<uint32_t> vars;  // each record's variable operand (or other 4-byte operand)
  std::vector<int32_t> depth;  // values on the stack before each record; -1: never reached

  const void* H(VMFastOp op) const { return handlers[static_cast<size_t>(op)]; }

  bool Linear() {
    int32_t pc = 0;
    out.indexOf.assign(static_cast<size_t>(size) / 4 + 1, -1);
    while (pc + 4 <= size) {
      VMInsn r;
      r.word = WordAt(code, pc);
      r.pc = pc;
      r.typeByte = static_cast<uint8_t>(r.word >> 16);
      out.indexOf[static_cast<size_t>(pc / 4)] = static_cast<int32_t>(out.insns.size());
      int32_t operandSize = 0;
      if ((r.word & 0x40000000u) != 0) operandSize = kVMOperandSizes[r.typeByte & 0x0F];
      if (pc + 4 + operandSize > size) return false;
      uint32_t var = 0;
      if (operandSize >= 4) var = WordAt(code, pc + 4);
      if (operandSize > 0) std::memcpy(&r.bits, code + pc + 4, static_cast<size_t>(operandSize));
      out.insns.push_back(r);
      vars.push_back(var);
      pc += 4 + operandSize;
    }
    VMInsn end;
    end.pc = pc;
    end.handler = H(VMFastOp::End);
    out.indexOf[static_cast<size_t>(pc / 4)] = static_cast<int32_t>(out.insns.size());
    out.insns.push_back(end);
    vars.push_back(0);
    return true;
  }

  // The record a branch word at offset pc goes to, or -1.
  int32_t BranchTarget(const VMInsn& r) const {
    const int32_t target = r.pc + 4 * SignExtend24(r.word);
    if (target < 0 || target > size) return -1;
    const VMInsn* at = out.At(target);
    return at == nullptr ? -1 : static_cast<int32_t>(at - out.insns.data());
  }

  // Stack depth along every path from the start.
  bool Depths() {
    const size_t n = out.insns.size();
    depth.assign(n, -1);
    std::vector<size_t> work{0};
    depth[0] = 0;
    auto reach = [&](size_t i, int32_t d) {
      if (depth[i] < 0) {
        depth[i] = d;
        work.push_back(i);
        return true;
      }
      return depth[i] == d;
    };
    while (!work.empty()) {
      const size_t i = work.back();
      work.pop_back();
      if (i + 1 == n) continue;  // the end
      VMInsn& r = out.insns[i];
      Effect e;
      if (!EffectOf(r.word, vars[i], e)) return false;
      if (depth[i] < e.need) return false;
      const int32_t d = depth[i] + e.delta;
      if (e.branches) {
        r.target = BranchTarget(r);
        if (r.target < 0 || !reach(static_cast<size_t>(r.target), d)) return false;
      }
      if (e.next && !reach(i + 1, d)) return false;
    }
    return true;
  }

  // Every instruction not taken on here stays with the byte loop.
  void Handlers() {
    const size_t n = out.insns.size();
    for (size_t i = 0; i + 1 < n; ++i) {
      VMInsn& r = out.insns[i];
      const auto op = static_cast<VMOpcode>(r.word >> 24);
      const uint32_t t = r.typeByte & 0x0F, u = r.typeByte >> 4;
      VMFastOp f = VMFastOp::Slow;
      if (depth[i] < 0) {  // never reached
        r.handler = H(f);
        continue;
      }
      switch (op) {
        case VMOpcode::Push:
          if (t == static_cast<uint32_t>(VMType::Var)) {
            if (IsPlainLocal(r.word, vars[i])) {
              r.id = static_cast<int32_t>(vars[i] & kVMVarIdMask);
              f = Idiom(i) ? IdiomOp(out.insns[i]) : VMFastOp::PushLocal;
              if (f == VMFastOp::PushLocal && out.insns[i + 1].word == VM_Word(VMOpcode::Conv, 0x25) &&
                  depth[i + 1] >= 0) {
                f = VMFastOp::PushLocalInt;
              }
              if (f == VMFastOp::PushLocal) f = LocalOperand(i, f);
            } else if (IndexAndInstanceOnStack(vars[i])) {
              r.id = static_cast<int32_t>(vars[i] & kVMVarIdMask);
              f = VMFastOp::PushElement;
            } else if (IsPlainInstanceVariable(r.word, vars[i])) {
              r.id = static_cast<int32_t>(vars[i] & kVMVarIdMask);
              f = VariableIntOperation(i);
              if (f == VMFastOp::PushInstanceVariable) f = VariableVariableBranch(i, f);
            }
          } else if (t == static_cast<uint32_t>(VMType::Error)) {
            f = VMFastOp::PushShort;
            r.imm = static_cast<int16_t>(r.word & 0xFFFF);
            f = IntOperation(i, f);
            if (f == VMFastOp::PushShort) f = LocalElement2D(i, f);
            if (f == VMFastOp::PushShort) f = LocalElement1D(i, f);
          } else if (t == static_cast<uint32_t>(VMType::Int) ||
                     t == static_cast<uint32_t>(VMType::Float) ||
                     t == static_cast<uint32_t>(VMType::Bool)) {
            f = VMFastOp::Push4;
            if (t == static_cast<uint32_t>(VMType::Int)) {
              r.imm = static_cast<int32_t>(vars[i]);
              f = IntOperation(i, f);
            }
          } else if (t == static_cast<uint32_t>(VMType::Double) ||
                     t == static_cast<uint32_t>(VMType::Long)) {
            f = VMFastOp::Push8;
          } else if (t == static_cast<uint32_t>(VMType::String)) {
            // The string as the byte loop would look it up, made once; left to the byte
            // loop when the tables do not hold it yet.
            std::string_view text;
            if (vars[i] == kVMNullString || VM_String(vars[i], text)) {
              out.texts.push_back(ScriptValue::String(text));
              r.text = &out.texts.back();
              f = VMFastOp::PushString;
            }
          } else {
            f = VMFastOp::Nop;
          }
          break;
        case VMOpcode::Pop:
          if (IsPlainLocal(r.word, vars[i]) && u <= static_cast<uint32_t>(VMType::String)) {
            r.id = static_cast<int32_t>(vars[i] & kVMVarIdMask);
            r.slot = VM_SlotSize(u);
            f = VMFastOp::PopLocal;
          } else if (IsPlainInstanceVariable(r.word, vars[i]) &&
                     u <= static_cast<uint32_t>(VMType::String)) {
            r.id = static_cast<int32_t>(vars[i] & kVMVarIdMask);
            r.slot = VM_SlotSize(u);
            f = VMFastOp::PopInstanceVariable;
          } else if (IndexAndInstanceOnStack(vars[i]) &&
                     u <= static_cast<uint32_t>(VMType::String)) {
            r.id = static_cast<int32_t>(vars[i] & kVMVarIdMask);
            r.slot = VM_SlotSize(u);
            f = VMFastOp::PopElement;
          }
          break;
        case VMOpcode::Add: f = StoredToLocal(i, VMFastOp::Add, VMFastOp::AddPopLocal); break;
        case VMOpcode::Sub: f = StoredToLocal(i, VMFastOp::Sub, VMFastOp::SubPopLocal); break;
        case VMOpcode::Mul: f = StoredToLocal(i, VMFastOp::Mul, VMFastOp::MulPopLocal); break;
        case VMOpcode::Slt: f = VMFastOp::Slt; break;
        case VMOpcode::Sle: f = VMFastOp::Sle; break;
        case VMOpcode::Seq: f = VMFastOp::Seq; break;
        case VMOpcode::Sne: f = VMFastOp::Sne; break;
        case VMOpcode::Sge: f = VMFastOp::Sge; break;
        case VMOpcode::Sgt: f = VMFastOp::Sgt; break;
        case VMOpcode::Conv: f = VMFastOp::Conv; break;
        case VMOpcode::Popz:
          r.slot = VM_SlotSize(t);
          f = VMFastOp::Popz;
          break;
        case VMOpcode::B: f = VMFastOp::B; break;
        case VMOpcode::Bt: f = VMFastOp::Bt; break;
        case VMOpcode::Bf: f = VMFastOp::Bf; break;
        case VMOpcode::Ret:  // ret.v; a return of any other type converts in the byte loop
          if (t == static_cast<uint32_t>(VMType::Var)) f = VMFastOp::Ret;
          break;
        case VMOpcode::Neg:  // neg.v; the other types in the byte loop
          if (t == static_cast<uint32_t>(VMType::Var)) f = VMFastOp::Neg;
          break;
        case VMOpcode::Div: f = StoredToLocal(i, VMFastOp::Div, VMFastOp::DivPopLocal); break;
        case VMOpcode::Dup:  // the byte loop runs these
        case VMOpcode::Not:
        case VMOpcode::Rem:
        case VMOpcode::Mod:
        case VMOpcode::And:
        case VMOpcode::Or:
        case VMOpcode::Xor:
        case VMOpcode::Shl:
        case VMOpcode::Shr:
          break;
        case VMOpcode::Exit: f = VMFastOp::Exit; break;
        case VMOpcode::Call:  // the decoder took only .i
          r.id = static_cast<int32_t>(vars[i]);
          r.imm = static_cast<int32_t>(r.word & 0xFFFF);
          f = VMFastOp::Call;
          break;
        case VMOpcode::PushEnv:
        case VMOpcode::PopEnv:
          break;
        default:  // break and unassigned opcodes do nothing
          f = VMFastOp::Nop;
          break;
      }
      r.handler = H(f);
    }
  }

  // A push of an integer (record i) that the next record takes at once as the right-hand
  // operand of an arithmetic or comparison on a .v or an .i: one record for both, and for
  // the bt/bf that takes a comparison's result.
  VMFastOp IntOperation(size_t i, VMFastOp plain) {
    const VMInsn& next = out.insns[i + 1];
    if (i + 2 >= out.insns.size() || depth[i + 1] < 0) return plain;
    if (next.typeByte != 0x52 && next.typeByte != 0x22) return plain;
    const auto op = static_cast<VMOpcode>(next.word >> 24);
    if (op >= VMOpcode::Slt && op <= VMOpcode::Sgt && TakesBranch(i + 2, out.insns[i])) {
      return Offset(VMFastOp::PushIntSltBranch, op);
    }
    switch (op) {
      case VMOpcode::Add: return VMFastOp::PushIntAdd;
      case VMOpcode::Sub: return VMFastOp::PushIntSub;
      case VMOpcode::Mul: return VMFastOp::PushIntMul;
      case VMOpcode::Slt: return VMFastOp::PushIntSlt;
      case VMOpcode::Sle: return VMFastOp::PushIntSle;
      case VMOpcode::Seq: return VMFastOp::PushIntSeq;
      case VMOpcode::Sne: return VMFastOp::PushIntSne;
      case VMOpcode::Sge: return VMFastOp::PushIntSge;
      case VMOpcode::Sgt: return VMFastOp::PushIntSgt;
      default: return plain;
    }
  }

  // An arithmetic on two .v (record i) whose result the next record, a pop.v.v, stores into a
  // local: fused, else plain.
  VMFastOp StoredToLocal(size_t i, VMFastOp plain, VMFastOp fused) {
    if (i + 2 >= out.insns.size() || depth[i + 1] < 0) return plain;
    VMInsn& r = out.insns[i];
    const uint32_t next = out.insns[i + 1].word;
    if (r.typeByte != 0x55 || static_cast<VMOpcode>(next >> 24) != VMOpcode::Pop ||
        ((next >> 16) & 0xFF) != 0x55 || !IsPlainLocal(next, vars[i + 1])) {
      return plain;
    }
    r.id = static_cast<int32_t>(vars[i + 1] & kVMVarIdMask);
    return fused;
  }

  // A push of a local (record i) that the next record, an add/sub/mul/div .v.v, takes at once
  // as its right-hand operand: one record for both.
  VMFastOp LocalOperand(size_t i, VMFastOp plain) const {
    if (i + 2 >= out.insns.size() || depth[i + 1] < 0) return plain;
    const uint32_t next = out.insns[i + 1].word;
    if (((next >> 16) & 0xFF) != 0x55) return plain;
    switch (static_cast<VMOpcode>(next >> 24)) {
      case VMOpcode::Add: return VMFastOp::PushLocalAdd;
      case VMOpcode::Sub: return VMFastOp::PushLocalSub;
      case VMOpcode::Mul: return VMFastOp::PushLocalMul;
      case VMOpcode::Div: return VMFastOp::PushLocalDiv;
      default: return plain;
    }
  }

  // Whether record i is a push.e -7 and the length - 1 records after it are reached.
  bool LocalElementStart(size_t i, size_t length) const {
    if (i + length >= out.insns.size() || out.insns[i].imm != kLocalInstance) return false;
    for (size_t k = 1; k < length; ++k) {
      if (depth[i + k] < 0) return false;
    }
    return true;
  }

  // The last record (e) of an element idiom starting at record i: push, when it reads a
  // local's element; pop, when it stores one (record i then takes the pop's type byte and
  // slot); else plain. Record i takes the array's id in id3.
  VMFastOp LocalElementAccess(size_t i, size_t e, VMFastOp push, VMFastOp pop, VMFastOp plain) {
    const uint32_t element = out.insns[e].word;
    const auto op = static_cast<VMOpcode>(element >> 24);
    const uint32_t t = (element >> 16) & 0x0F, u = (element >> 20) & 0x0F;
    if (t != static_cast<uint32_t>(VMType::Var) || !IndexAndInstanceOnStack(vars[e])) {
      return plain;
    }
    VMInsn& r = out.insns[i];
    r.id3 = static_cast<int32_t>(vars[e] & kVMVarIdMask);
    if (op == VMOpcode::Push) return push;
    if (op == VMOpcode::Pop && u <= static_cast<uint32_t>(VMType::String)) {
      r.slot = VM_SlotSize(u);
      r.typeByte = static_cast<uint8_t>(element >> 16);
      return pop;
    }
    return plain;
  }

  // push.e -7 (record i) starting a[R, C] of locals a, R and C, read or stored: one record
  // for the nine.
  VMFastOp LocalElement2D(size_t i, VMFastOp plain) {
    if (!LocalElementStart(i, 9)) return plain;
    const auto at = [this, i](size_t k) { return out.insns[i + k].word; };
    const uint32_t toInt = VM_Word(VMOpcode::Conv, 0x25);
    if ((at(1) >> 16) != 0xC005 || !IsPlainLocal(at(1), vars[i + 1]) || at(2) != toInt ||
        (at(3) >> 16) != 0xC002 || vars[i + 3] != static_cast<uint32_t>(kArrayRowStride) ||
        at(4) != VM_Word(VMOpcode::Mul, 0x22) || (at(5) >> 16) != 0xC005 ||
        !IsPlainLocal(at(5), vars[i + 5]) || at(6) != toInt ||
        at(7) != VM_Word(VMOpcode::Add, 0x22)) {
      return plain;
    }
    const VMFastOp f = LocalElementAccess(i, i + 8, VMFastOp::PushLocalElement2D,
                                          VMFastOp::PopLocalElement2D, plain);
    if (f != plain) {
      out.insns[i].id = static_cast<int32_t>(vars[i + 1] & kVMVarIdMask);
      out.insns[i].id2 = static_cast<int32_t>(vars[i + 5] & kVMVarIdMask);
    }
    return f;
  }

  // push.e -7 (record i) starting a[I] of locals a and I, read or stored: one record for the
  // four.
  VMFastOp LocalElement1D(size_t i, VMFastOp plain) {
    if (!LocalElementStart(i, 4)) return plain;
    const auto at = [this, i](size_t k) { return out.insns[i + k].word; };
    if ((at(1) >> 16) != 0xC005 || !IsPlainLocal(at(1), vars[i + 1]) ||
        at(2) != VM_Word(VMOpcode::Conv, 0x25)) {
      return plain;
    }
    const VMFastOp f = LocalElementAccess(i, i + 3, VMFastOp::PushLocalElement1D,
                                          VMFastOp::PopLocalElement1D, plain);
    if (f != plain) out.insns[i].id = static_cast<int32_t>(vars[i + 1] & kVMVarIdMask);
    return f;
  }

  // The record of comparison op within a run of six that starts with the one for slt.
  static VMFastOp Offset(VMFastOp slt, VMOpcode op) {
    return static_cast<VMFastOp>(static_cast<int>(slt) + static_cast<int>(op) -
                                 static_cast<int>(VMOpcode::Slt));
  }

  // Whether record b is a reached bt/bf; if so the idiom record r branches as it would.
  bool TakesBranch(size_t b, VMInsn& r) const {
    if (b + 1 >= out.insns.size() || depth[b] < 0) return false;
    const auto branch = static_cast<VMOpcode>(out.insns[b].word >> 24);
    if (branch != VMOpcode::Bt && branch != VMOpcode::Bf) return false;
    r.target = out.insns[b].target;
    r.slot = branch == VMOpcode::Bt ? 1 : 0;
    return true;
  }

  // A push of a variable of self or other (record i) followed by a push of an integer and an
  // arithmetic on the two, or a comparison and a bt/bf: one record for all of them.
  VMFastOp VariableIntOperation(size_t i) {
    constexpr VMFastOp plain = VMFastOp::PushInstanceVariable;
    if (i + 3 >= out.insns.size() || depth[i + 1] < 0 || depth[i + 2] < 0) return plain;
    VMInsn& r = out.insns[i];
    const VMInsn& r1 = out.insns[i + 1];
    const VMInsn& r2 = out.insns[i + 2];
    switch (r1.word >> 16) {
      case 0xC00F:  // push.e
        r.imm = static_cast<int16_t>(r1.word & 0xFFFF);
        break;
      case 0xC002:  // push.i
        r.imm = static_cast<int32_t>(vars[i + 1]);
        break;
      default:
        return plain;
    }
    if (r2.typeByte != 0x52) return plain;
    const auto op = static_cast<VMOpcode>(r2.word >> 24);
    if (op == VMOpcode::Add || op == VMOpcode::Sub || op == VMOpcode::Mul) {
      const int a = op == VMOpcode::Add ? 0 : op == VMOpcode::Sub ? 1 : 2;
      // ... and a pop.v.v of the result into the same variable: v += k and the like.
      const bool update = i + 4 < out.insns.size() && depth[i + 3] >= 0 &&
                          out.insns[i + 3].word == (0x41550000u | (r.word & 0xFFFF)) &&
                          vars[i + 3] == vars[i];
      return static_cast<VMFastOp>(
          static_cast<int>(update ? VMFastOp::VariableIntUpdateAdd : VMFastOp::VariableIntAdd) + a);
    }
    if (op < VMOpcode::Slt || op > VMOpcode::Sgt || !TakesBranch(i + 3, r)) return plain;
    return Offset(VMFastOp::VariableIntSltBranch, op);
  }

  // A push of a variable of self or other (record i), a push of another, a comparison of the
  // two and a bt/bf taking its result: one record for the four.
  VMFastOp VariableVariableBranch(size_t i, VMFastOp plain) {
    if (i + 4 >= out.insns.size() || depth[i + 1] < 0 || depth[i + 2] < 0) return plain;
    const VMInsn& r1 = out.insns[i + 1];
    if ((r1.word >> 16) != 0xC005 || !IsPlainInstanceVariable(r1.word, vars[i + 1])) return plain;
    const VMInsn& r2 = out.insns[i + 2];
    const auto op = static_cast<VMOpcode>(r2.word >> 24);
    if (r2.typeByte != 0x55 || op < VMOpcode::Slt || op > VMOpcode::Sgt) return plain;
    if (!TakesBranch(i + 3, out.insns[i])) return plain;
    return Offset(VMFastOp::VariableVariableSltBranch, op);
  }

  static VMFastOp IdiomOp(const VMInsn& r) {
    const int right = r.id2 >= 0 ? 1 : 0;
    const auto op = static_cast<VMOpcode>(r.op);
    if (op == VMOpcode::Add || op == VMOpcode::Sub || op == VMOpcode::Mul) {
      const int a = op == VMOpcode::Add ? 0 : op == VMOpcode::Sub ? 1 : 2;
      return static_cast<VMFastOp>(static_cast<int>(VMFastOp::LocalAddK) + 3 * right + a);
    }
    const int c = static_cast<int>(op) - static_cast<int>(VMOpcode::Slt);
    return static_cast<VMFastOp>(static_cast<int>(VMFastOp::LocalSltK) + 6 * right + c);
  }

  // Whether a variable operand names a local, or an instance the stack gives (which may be
  // the locals).
  bool UsesLocals() const {
    for (size_t i = 0; i + 1 < out.insns.size(); ++i) {
      const auto op = static_cast<VMOpcode>(out.insns[i].word >> 24);
      const uint32_t t = out.insns[i].typeByte & 0x0F;
      const bool variable = op == VMOpcode::Pop ||
                            (op == VMOpcode::Push && t == static_cast<uint32_t>(VMType::Var));
      if (!variable) continue;
      if ((vars[i] & kVMVarFixedInstance) == 0) return true;
      if ((vars[i] & kVMVarInstanceId) == 0 &&
          static_cast<int16_t>(out.insns[i].word & 0xFFFF) == kLocalInstance) {
        return true;
      }
    }
    return false;
  }

  // The loop idioms that start with a push of a real local (record i); the byte loop's own
  // matcher recognises exactly the same shapes.
  bool Idiom(size_t i) {
    const size_t n = out.insns.size();
    if (i + 4 >= n) return false;  // records i+1..i+3 must be instructions
    VMInsn& r = out.insns[i];
    const VMInsn& r1 = out.insns[i + 1];
    bool rightVar = false;
    switch (r1.word >> 16) {
      case 0xC00F:
        r.k = static_cast<int16_t>(r1.word & 0xFFFF);
        break;
      case 0xC002:
        r.k = static_cast<int32_t>(vars[i + 1]);
        break;
      case 0xC005:
        if (!IsPlainLocal(r1.word, vars[i + 1])) return false;
        r.id2 = static_cast<int32_t>(vars[i + 1] & kVMVarIdMask);
        rightVar = true;
        break;
      default:
        return false;
    }
    const VMInsn& r2 = out.insns[i + 2];
    const VMInsn& r3 = out.insns[i + 3];
    if (r2.typeByte != (rightVar ? 0x55u : 0x52u)) return false;
    const auto op = static_cast<VMOpcode>(r2.word >> 24);
    r.op = static_cast<uint8_t>(op);
    if (op == VMOpcode::Add || op == VMOpcode::Sub || op == VMOpcode::Mul) {
      if (r3.word != (0x41550000u | (r.word & 0xFFFF)) || vars[i + 3] != vars[i]) return false;
        return true;
    }
    if (op < VMOpcode::Slt || op > VMOpcode::Sgt) return false;
    const auto branch = static_cast<VMOpcode>(r3.word >> 24);
    if (branch != VMOpcode::Bt && branch != VMOpcode::Bf) return false;
    r.target = r3.target;
    r.slot = branch == VMOpcode::Bt ? 1 : 0;
    return true;
  }
};

}  // namespace

const VMDecoded* VM_DecodeBuffer(const VMBuffer& code) {
  Decoder d{code.Data(), code.Size(), VM_FastHandlers(), {}, {}, {}};
  auto decoded = std::make_shared<VMDecoded>();
  if (d.size >= 0 && d.Linear() && d.Depths()) {
    d.Handlers();
    d.out.usesLocals = d.UsesLocals();
    *decoded = std::move(d.out);
    // A plain branch does nothing but go elsewhere, so whatever goes to one may go on to
    // where it leads (a few steps at most: branches may go round in a circle).
    std::vector<VMInsn>& insns = decoded->insns;
    const void* plainBranch = d.H(VMFastOp::B);
    auto past = [&](size_t i) {
      for (int hops = 0; hops < 4 && insns[i].handler == plainBranch; ++hops) {
        i = static_cast<size_t>(insns[i].target);
      }
      return &insns[i];
    };
    auto isLocalUpdate = [&](const void* handler) {
      for (VMFastOp op : {VMFastOp::LocalAddK, VMFastOp::LocalSubK, VMFastOp::LocalMulK,
                          VMFastOp::LocalAddL, VMFastOp::LocalSubL, VMFastOp::LocalMulL}) {
        if (handler == d.H(op)) return true;
      }
      return false;
    };
    for (size_t i = 0; i < insns.size(); ++i) {
      insns[i].jump = past(static_cast<size_t>(insns[i].target));
      if (isLocalUpdate(insns[i].handler) && i + 4 < insns.size()) insns[i].after = past(i + 4);
    }
  }
  code.SetDerived(decoded);
  return decoded->insns.empty() ? nullptr : decoded.get();
}
