// The machine's main loop. Hot state (program counter, stack pointer, bytes in use) lives
// in locals; slow paths get it passed in and the position is saved before anything that
// can fail.
#include <array>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/console.h"
#include "platform/conversions.h"
#include "runner/instance.h"
#include "script/compile_error.h"
#include "script/compiler/user_variables.h"
#include "script/error_report.h"
#include "script/function_table.h"
#include "script/global_variables.h"
#include "script/script_arguments.h"
#include "script/variable_access.h"
#include "script/variable_list.h"
#include "script/vm/vm.h"
#include "script/vm/vm_operations.h"
#include "script/vm/vm_state.h"
#include "script/vm/vm_strings.h"
#include "script/vm/vm_values.h"

bool VM_Trace = false;
bool VM_ScriptTrace = false;

namespace {

constexpr int32_t kInitialStackBytes = 16384;
constexpr int32_t kStackStepBytes = 16384;
constexpr int32_t kMaxStackBytes = 131072;
constexpr int32_t kMinFreeBytes = 1024;
constexpr int32_t kFrameBytes = 304;  // a call frame on the original machine's stack
constexpr int32_t kTopReserve = 16;   // the first slot starts this far below the top
// Every slot is at least 4 bytes, so this many cells hold the largest stack; the guard
// cells above the start absorb the pops of one damaged instruction before it is refused.
constexpr size_t kStackCells = kMaxStackBytes / 4 + 64;
constexpr size_t kGuardCells = 8;

int32_t g_MaxStackUse = 0;

// One stack per nesting level of activations (a built-in may run code while its caller's
// arguments stay in place on the level below). Kept for reuse.
std::vector<std::unique_ptr<VMSegment>>& Segments() {
  static std::vector<std::unique_ptr<VMSegment>> segments;
  return segments;
}
size_t g_ActiveSegments = 0;

// Locals lists, taken and given back in nesting order.
struct PooledLocals {
  std::unique_ptr<CVariableList> list = std::make_unique<CVariableList>();
  std::unique_ptr<VMLocalsCache> cache = std::make_unique<VMLocalsCache>();
};
struct LocalsPool {
  std::vector<PooledLocals> lists;
  size_t used = 0;
};
LocalsPool& Pool() {
  static LocalsPool pool;
  return pool;
}
}  // namespace

CVariableList* VM_TakeLocals(VMLocalsCache*& cache) {
  LocalsPool& pool = Pool();
  if (pool.used == pool.lists.size()) pool.lists.emplace_back();
  PooledLocals& entry = pool.lists[pool.used++];
  if (entry.list->Count() != 0) {
    entry.list->Clear();
    entry.cache->Reset();
  }
  cache = entry.cache.get();
  return entry.list.get();
}
void VM_GiveBackLocals() {
  if (Pool().used > 0) --Pool().used;
}

namespace {

int32_t SignExtend24(uint32_t word) { return static_cast<int32_t>(word << 8) >> 8; }

// Reads a variable into cell by instance code. False when the read failed.
bool ReadVariable(VMState& st, int32_t instance, int32_t id, int32_t index, ScriptValue& cell) {
  switch (instance) {
    case -1: return Variable_GetValue(st.self, id, index, cell);
    case -2: return Variable_GetValue(st.other, id, index, cell);
    case -5: return Variable_Global_Get(id, index, cell);
    case -6:
      return Variable_IsGlobalVar(id) ? Variable_Global_Get(id, index, cell)
                                      : Variable_GetValue(st.self, id, index, cell);
    case -7: return st.locals->Get(id, index, cell);
    case -4: return true;
    default:
      if (instance < 0 && instance != -3) return false;
      return Variable_GetThrough(instance, id, index, cell);
  }
}

bool WriteVariable(VMState& st, int32_t instance, int32_t id, int32_t index,
                   const ScriptValue& value) {
  switch (instance) {
    case -1: return Variable_SetValue(st.self, id, index, value);
    case -2: return Variable_SetValue(st.other, id, index, value);
    case -5: return Variable_Global_Set(id, index, value);
    case -6:
      return Variable_IsGlobalVar(id) ? Variable_Global_Set(id, index, value)
                                      : Variable_SetValue(st.self, id, index, value);
    case -7: return st.locals->Set(id, index, value);
    case -4: return true;
    default:
      if (instance < 0 && instance != -3) return false;
      return Variable_SetThrough(instance, id, index, value);
  }
}

// Finds a local's node and remembers where its plain value lives; null when the list does
// not hold it yet. The node belongs to the pooled list, which is never shared across threads
// and is cleared only by the pool, so the address stays good until then.
ScriptValue* CacheLocal(VMState& st, int32_t id) {
  const VariableNode* node = st.locals->FindNode(id);
  if (node == nullptr) return nullptr;
  auto* value = const_cast<ScriptValue*>(&node->value);
  st.localsCache->Put(id, value);
  return value;
}

std::string ValueForTrace(const ScriptValue& v) {
  if (v.kind == ValueKind::String) return "\"" + v.text + "\"";
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%f", v.real);
  return buffer;
}

// Restores what script frames changed when an activation is abandoned after an error.
void UnwindAll(VMState& st) {
  while (!st.seg->frames.Empty()) {
    VMFrame& frame = st.seg->frames.Top();
    Code_ArgumentCount = frame.argc;
    for (size_t k = 0; k < Code_Arguments.size(); ++k) {
      Code_Arguments[k] = std::move(frame.savedArgs[k]);
    }
    VM_GiveBackLocals();
    st.seg->frames.Pop();
  }
  st.seg->withs.clear();
}

}  // namespace

int32_t VM_MaxStackUse() { return g_MaxStackUse; }

void VM_Exec(std::string_view name, CInstance* self, CInstance* other, const VMBuffer& code,
             ScriptValue* result, const VMBuffer* debugInfo, std::string_view sourceText) {
  auto& segments = Segments();
  if (g_ActiveSegments == segments.size()) {
    auto segment = std::make_unique<VMSegment>();
    segment->cells = std::make_unique<ScriptValue[]>(kStackCells + kGuardCells);
    segments.push_back(std::move(segment));
  }
  VMSegment* seg = segments[g_ActiveSegments++].get();
  struct SegmentRelease {
    ~SegmentRelease() { --g_ActiveSegments; }
  } release;

  VMState st;
  st.seg = seg;
  st.self = self;
  st.other = other;
  st.code = code.Data();
  st.codeSize = code.Size();
  st.debugInfo = debugInfo;
  st.source = sourceText;
  st.name = name;
  st.locals = VM_TakeLocals(st.localsCache);
  st.stackStart = seg->cells.get() + kStackCells;  // cells above it are the guard
  st.stackSize = kInitialStackBytes;
  const int32_t savedArgumentCount = Code_ArgumentCount;
  if (VM_ScriptTrace) g_DebugConsole->Output("script = %s\n", std::string(name).c_str());

  ScriptValue* const stackStart = st.stackStart;
  ScriptValue* sp = stackStart;
  const uint8_t* codeBase = st.code;
  int32_t codeSize = st.codeSize;
  int32_t pc = 0;
  int32_t used = kTopReserve;
  int32_t limit = st.stackSize - kMinFreeBytes;  // above this, fewer than 1024 bytes remain
  bool returned = false, exited = false;
  const char* message = nullptr;
  std::string messageText;
  int32_t instructionPc = 0;

  auto slot = [](uint32_t type) { return VM_SlotSize(type & 0x0F); };

  for (;;) {
    if (pc + 4 > codeSize) {
      // The end of the code: a script call returns 0 to its caller; the activation ends.
      if (st.depth == 0) break;
      ScriptValue zero;
      st.pc = pc;
      VM_ReturnFromScript(st, sp, used, codeBase, codeSize, pc, zero);
      continue;
    }
    if (used > limit) {
      if (used > g_MaxStackUse) {
        g_MaxStackUse = used;
        if (used > kMaxStackBytes) VM_Trace = true;
      }
      if (st.stackSize >= kMaxStackBytes) {
        instructionPc = pc;
        message = "Stack overflow...";
        goto fail;
      }
      st.stackSize += kStackStepBytes;
      limit = st.stackSize - kMinFreeBytes;
    }
    if (sp > stackStart) {
      instructionPc = pc;
      message = "Execution Error - stack underflow";
      goto fail;
    }
    if (VM_Trace || VM_BreakpointsSet) {
      st.pc = pc;
      st.code = codeBase;
      st.codeSize = codeSize;
      VM_DebugStep(st, used);
    }

    instructionPc = pc;
    uint32_t word;
    std::memcpy(&word, codeBase + pc, 4);
    pc += 4;
    const uint8_t opcode = static_cast<uint8_t>(word >> 24);
    const uint32_t typeByte = (word >> 16) & 0xFF;
    const uint8_t* operand = codeBase + pc;
    if ((opcode & kVMOperandFollows) != 0) {
      int32_t size = VM_GetOperandSize(typeByte);
      if (pc + size > codeSize) {
        message = "Execution Error - instruction runs past the end of the code";
        goto fail;
      }
      pc += size;
    }

    switch (static_cast<VMOpcode>(opcode)) {
      case VMOpcode::Conv:  // pop T, push it as U
        // The conversions loops and indices use most, inline.
        if (typeByte == 0x25 && sp->kind == ValueKind::Real) {  // .v real to .i
          Cell_SetInt(*sp, Conv_TruncToInt32(sp->real));
          used -= 12;
          break;
        }
        if (typeByte == 0x52) {  // .i to .v
          Cell_SetVarReal(*sp, Cell_Int(*sp));
          used += 12;
          break;
        }
        if (typeByte == 0x45 && sp->kind == ValueKind::Real) {  // .v real to .b
          Cell_SetInt(*sp, sp->real > 0.5 ? 1 : 0);
          used -= 12;
          break;
        }
        if (typeByte == 0x42) {  // .i to .b
          Cell_SetInt(*sp, Cell_Int(*sp) != 0 ? 1 : 0);
          break;
        }
        if ((message = VM_DoConv(typeByte, *sp)) != nullptr) goto fail;
        used += slot(typeByte >> 4) - slot(typeByte);
        break;

      case VMOpcode::Add:  // push U + T
      case VMOpcode::Sub:  // push U - T
      case VMOpcode::Mul:  // push U * T
      case VMOpcode::Slt:  // push .b U < T
      case VMOpcode::Sle:  // push .b U <= T
      case VMOpcode::Seq:  // push .b U == T
      case VMOpcode::Sne:  // push .b U != T
      case VMOpcode::Sge:  // push .b U >= T
      case VMOpcode::Sgt: {  // push .b U > T
        if (typeByte == 0x22) {  // two integers
          const int32_t a = Cell_Int(sp[1]), b = Cell_Int(sp[0]);
          int32_t v;
          switch (static_cast<VMOpcode>(opcode)) {
            case VMOpcode::Add: v = static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b)); break;
            case VMOpcode::Sub: v = static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b)); break;
            case VMOpcode::Mul: v = static_cast<int32_t>(static_cast<uint32_t>(a) * static_cast<uint32_t>(b)); break;
            case VMOpcode::Slt: v = a < b; break;
            case VMOpcode::Sle: v = a <= b; break;
            case VMOpcode::Seq: v = a == b; break;
            case VMOpcode::Sne: v = a != b; break;
            case VMOpcode::Sge: v = a >= b; break;
            default: v = a > b; break;
          }
          Cell_SetInt(sp[1], v);
          ++sp;
          used -= 4;
          break;
        }
        // Reals held in variables, against reals or integers: the common case, inline.
        const bool leftVar = (typeByte >> 4) == 5, rightVar = (typeByte & 0x0F) == 5;
        if (leftVar && sp[1].kind == ValueKind::Real &&
            (rightVar ? sp[0].kind == ValueKind::Real : (typeByte & 0x0F) == 2)) {
          const double a = sp[1].real, b = rightVar ? sp[0].real : Cell_Int(sp[0]);
          const double d = a - b;
          constexpr double kTolerance = 1e-05;
          int32_t truth = -1;
          switch (static_cast<VMOpcode>(opcode)) {
            case VMOpcode::Add: sp[1].real = a + b; break;
            case VMOpcode::Sub: sp[1].real = d; break;
            case VMOpcode::Mul: sp[1].real = a * b; break;
            case VMOpcode::Slt: truth = d < -kTolerance; break;
            case VMOpcode::Sle: truth = d <= kTolerance; break;
            case VMOpcode::Seq: truth = d >= -kTolerance && d <= kTolerance; break;
            case VMOpcode::Sne: truth = d < -kTolerance || d > kTolerance; break;
            case VMOpcode::Sge: truth = d >= -kTolerance; break;
            default: truth = d > kTolerance; break;
          }
          if (truth >= 0) Cell_SetInt(sp[1], truth);
          used += (truth >= 0 ? 4 - 16 : 0) - slot(typeByte);
          ++sp;
          break;
        }
        [[fallthrough]];
      }
      case VMOpcode::Div:
      case VMOpcode::Rem:
      case VMOpcode::Mod:
      case VMOpcode::And:
      case VMOpcode::Or:
      case VMOpcode::Xor:
      case VMOpcode::Shl:
      case VMOpcode::Shr: {  // pop T and U, push the result
        if ((message = VM_DoBinary(static_cast<VMOpcode>(opcode), typeByte, sp)) != nullptr) {
          goto fail;
        }
        VMType rt = VM_ResultType(static_cast<VMOpcode>(opcode), static_cast<VMType>(typeByte >> 4),
                                  static_cast<VMType>(typeByte & 0x0F));
        used += slot(static_cast<uint32_t>(rt)) - slot(typeByte) - slot(typeByte >> 4);
        ++sp;
        break;
      }

      case VMOpcode::Neg:  // push -T
      case VMOpcode::Not:  // push !T or ~T
        if ((message = VM_DoUnary(static_cast<VMOpcode>(opcode), typeByte, sp)) != nullptr) {
          goto fail;
        }
        break;

      case VMOpcode::Push: {  // push a constant of type T, or a variable's value for .v
        const uint32_t t = typeByte & 0x0F;
        switch (static_cast<VMType>(t)) {
          case VMType::Error:
            --sp;
            Cell_SetInt(*sp, static_cast<int16_t>(word & 0xFFFF));
            used += 4;
            break;
          case VMType::Int:
          case VMType::Float:
          case VMType::Bool:
            --sp;
            std::memcpy(&sp->real, operand, 4);
            used += 4;
            break;
          case VMType::Double:
          case VMType::Long:
            --sp;
            std::memcpy(&sp->real, operand, 8);
            used += 8;
            break;
          case VMType::String: {
            uint32_t index;
            std::memcpy(&index, operand, 4);
            std::string_view text;
            --sp;
            sp->kind = ValueKind::String;
            if (index != kVMNullString && VM_String(index, text)) {
              sp->text.assign(text.data(), text.size());
            } else {
              sp->text.clear();
            }
            used += 4;
            break;
          }
          case VMType::Var: {
            uint32_t var;
            std::memcpy(&var, operand, 4);
            int32_t index = 0, instance;
            if ((var & kVMVarNoIndex) == 0) {
              index = Cell_Int(*sp++);
              used -= 4;
            }
            if ((var & kVMVarFixedInstance) != 0) {
              instance = static_cast<int16_t>(word & 0xFFFF);
              if ((var & kVMVarInstanceId) != 0) instance += 100000;
            } else {
              instance = Cell_Int(*sp++);
              used -= 4;
            }
            if (sp > stackStart) {
              message = "Execution Error - stack underflow";
              goto fail;
            }
            const auto id = static_cast<int32_t>(var & kVMVarIdMask);
            if (instance == -7 && index == 0 && !VM_Trace) {
              // A local's plain value, straight from its node once found.
              ScriptValue* local = st.localsCache->Find(id);
              if (local == nullptr) local = CacheLocal(st, id);
              if (local != nullptr) {
                --sp;
                used += 16;
                sp->kind = local->kind;
                sp->real = local->real;
                if (local->kind == ValueKind::String) {
                  sp->text = local->text;
                } else {
                  sp->text.clear();
                }
                break;
              }
            }
            --sp;
            used += 16;
            Cell_SetVarReal(*sp, 0.0);
            st.pc = instructionPc;
            if (!ReadVariable(st, instance, id, index, *sp)) {
              messageText = (Variable_ArrayError ? "Push :: Execution Error - Variable Index out of range "
                                                 : "Push :: Execution Error - Variable Get ") +
                            Code_Variable_Name(id);
              goto fail;
            }
            if (VM_Trace) {
              g_DebugConsole->Output("%s == %s\n", Code_Variable_Name(id).c_str(),
                                     ValueForTrace(*sp).c_str());
            }
            break;
          }
          default:
            break;
        }
        break;
      }

      case VMOpcode::Pop: {  // pop [index] [instance] value; store the value
        if ((typeByte & 0x0F) != static_cast<uint32_t>(VMType::Var)) {
          message = "Pop :: Execution Error - Instruction malformed";
          goto fail;
        }
        uint32_t var;
        std::memcpy(&var, operand, 4);
        int32_t index = 0, instance;
        if ((var & kVMVarNoIndex) == 0) {
          index = Cell_Int(*sp++);
          used -= 4;
        }
        if ((var & kVMVarFixedInstance) != 0) {
          instance = static_cast<int16_t>(word & 0xFFFF);
          if ((var & kVMVarInstanceId) != 0) instance += 100000;
        } else {
          instance = Cell_Int(*sp++);
          used -= 4;
        }
        if (sp >= stackStart) {
          message = "Execution Error - stack underflow";
          goto fail;
        }
        ScriptValue& value = *sp;
        const uint32_t valueType = typeByte >> 4;
        switch (static_cast<VMType>(valueType)) {
          case VMType::Double: Cell_SetVarReal(value, value.real); break;
          case VMType::Float: Cell_SetVarReal(value, Cell_Float(value)); break;
          case VMType::Int: Cell_SetVarReal(value, Cell_Int(value)); break;
          case VMType::Long: Cell_SetVarReal(value, static_cast<double>(Cell_Long(value))); break;
          case VMType::Bool: Cell_SetVarReal(value, Cell_Bool(value) ? 1.0 : 0.0); break;
          case VMType::Var: break;
          case VMType::String:
            value.kind = ValueKind::String;
            value.real = 0.0;
            break;
          default:
            message = "Pop :: Execution Engine";
            goto fail;
        }
        ++sp;
        used -= slot(valueType);
        const auto id = static_cast<int32_t>(var & kVMVarIdMask);
        Variable_ArrayError = false;
        if (instance == -7 && index == 0 && !VM_Trace) {
          ScriptValue* local = st.localsCache->Find(id);
          if (local == nullptr) local = CacheLocal(st, id);
          if (local != nullptr) {
            // The popped cell is dropped: its bytes move into the variable.
            local->kind = value.kind;
            local->real = value.real;
            if (value.kind == ValueKind::String) {
              local->text.swap(value.text);
            } else {
              local->text.clear();
            }
            break;
          }
        }
        st.pc = instructionPc;
        if (!WriteVariable(st, instance, id, index, value)) {
          messageText = "Pop :: Execution Error - Variable set problem " + Code_Variable_Name(id);
          goto fail;
        }
        if (Variable_ArrayError) {
          messageText = "Pop :: Execution Error - Variable index out of range " + Code_Variable_Name(id);
          goto fail;
        }
        if (VM_Trace) {
          g_DebugConsole->Output("%s == %s\n", Code_Variable_Name(id).c_str(),
                                 ValueForTrace(value).c_str());
        }
        break;
      }

      case VMOpcode::Dup: {  // push a copy of the top (type T)
        const uint32_t t = typeByte & 0x0F;
        --sp;
        if (t == static_cast<uint32_t>(VMType::Var) || t == static_cast<uint32_t>(VMType::String)) {
          sp->kind = sp[1].kind;
          sp->real = sp[1].real;
          sp->text = sp[1].text;
        } else {
          sp->real = sp[1].real;
        }
        used += slot(t);
        break;
      }

      case VMOpcode::Popz:  // discard the top (type T)
        ++sp;
        used -= slot(typeByte);
        break;

      case VMOpcode::B: {  // pc := word + 4 * offset
        int32_t target = instructionPc + 4 * SignExtend24(word);
        if (target < 0 || target > codeSize) {
          message = "Execution Error - branch outside the code";
          goto fail;
        }
        pc = target;
        break;
      }
      case VMOpcode::Bt:  // pop .b; branch when true
      case VMOpcode::Bf: {  // pop .b; branch when false
        bool condition = Cell_Bool(*sp++);
        used -= 4;
        if (condition == (opcode == static_cast<uint8_t>(VMOpcode::Bt))) {
          int32_t target = instructionPc + 4 * SignExtend24(word);
          if (target < 0 || target > codeSize) {
            message = "Execution Error - branch outside the code";
            goto fail;
          }
          pc = target;
        }
        break;
      }

      case VMOpcode::PushEnv: {  // pop .i instance; open a with environment
        int32_t instance = Cell_Int(*sp++);
        used -= 4;
        st.pc = instructionPc;
        bool skip = false;
        if ((message = VM_PushEnv(st, instance, used, skip)) != nullptr) goto fail;
        if (skip) {
          int32_t target = instructionPc + 4 * SignExtend24(word);
          if (target < 0 || target > codeSize) {
            message = "Execution Error - branch outside the code";
            goto fail;
          }
          pc = target;
        }
        break;
      }
      case VMOpcode::PopEnv: {  // next instance and branch back, or close the environment
        bool again = false;
        if ((message = VM_PopEnv(st, word == kVMPopEnvClose, used, again)) != nullptr) goto fail;
        if (again) {
          int32_t target = instructionPc + 4 * SignExtend24(word);
          if (target < 0 || target > codeSize) {
            message = "Execution Error - branch outside the code";
            goto fail;
          }
          pc = target;
        }
        break;
      }

      case VMOpcode::Call: {  // pop argc .v arguments, push the result .v
        if ((typeByte & 0x0F) != static_cast<uint32_t>(VMType::Int)) {
          message = "DoCall :: Execution Engine type error";
          goto fail;
        }
        int32_t id;
        std::memcpy(&id, operand, 4);
        const int32_t argc = static_cast<int32_t>(word & 0xFFFF);
        if (argc > stackStart - sp) {
          message = "Execution Error - stack underflow";
          goto fail;
        }
        st.pc = pc;
        st.code = codeBase;
        st.codeSize = codeSize;
        if ((message = VM_DoCall(st, id, argc, sp, used)) != nullptr) {
          st.pc = instructionPc;
          goto fail;
        }
        codeBase = st.code;
        codeSize = st.codeSize;
        pc = st.pc;
        break;
      }

      case VMOpcode::Ret:  // return the top (type T) from the script call
      case VMOpcode::Exit: {  // end the script call (result 0) or the code
        const bool isRet = opcode == static_cast<uint8_t>(VMOpcode::Ret);
        if (isRet && sp >= stackStart) {
          message = "Execution Error - stack underflow";
          goto fail;
        }
        if (isRet && !VM_ToVar(*sp, typeByte)) {
          message = "DoConv :: Execution Error";
          goto fail;
        }
        if (st.depth == 0) {
          returned = isRet;
          exited = !isRet;
          pc = codeSize;
          break;
        }
        ScriptValue value;
        if (isRet) {
          value = std::move(*sp);
          sp[0].text.clear();
        }
        VM_ReturnFromScript(st, sp, used, codeBase, codeSize, pc, value);
        break;
      }

      default:  // break marks and unassigned opcodes do nothing
        break;
    }
  }

  Code_ArgumentCount = savedArgumentCount;
  if (result != nullptr && !exited && sp < stackStart) {
    (void)returned;
    result->kind = sp->kind;
    result->real = sp->real;
    result->text = std::move(sp->text);
    if (result->kind == ValueKind::Real) result->text.clear();
  }
  seg->withs.clear();
  VM_GiveBackLocals();
  return;

fail:
  st.pc = instructionPc;
  st.code = codeBase;
  st.codeSize = codeSize;
  VM_Error(st, message != nullptr ? std::string(message) : messageText, used);
  // Reached only when the error does not end the process: abandon the activation.
  UnwindAll(st);
  VM_GiveBackLocals();
  Code_ArgumentCount = savedArgumentCount;
}
