// The machine's main loop. Hot state (program counter, stack pointer, bytes in use) lives
// in locals; slow paths get it passed in and the position is saved before anything that
// can fail.
#include <array>
#include <cstdio>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#include "platform/console.h"
#include "platform/conversions.h"
#include "platform/termination_signal.h"
#include "data/room_settings.h"
#include "runner/instance.h"
#include "script/builtin_variables.h"
#include "script/code_nesting.h"
#include "script/compile_error.h"
#include "script/compiler/user_variables.h"
#include "script/error_report.h"
#include "script/function_table.h"
#include "script/global_variables.h"
#include "script/script_arguments.h"
#include "script/variable_access.h"
#include "script/variable_errors.h"
#include "script/variable_list.h"
#include "script/vm/vm.h"
#include "script/vm/vm_decode.h"
#include "script/vm/vm_operations.h"
#include "script/vm/vm_prepared.h"
#include "script/vm/vm_script_call.h"
#include "script/vm/vm_state.h"
#include "script/vm/vm_strings.h"
#include "script/vm/vm_values.h"

bool VM_ScriptTrace = false;

namespace {

constexpr int32_t kInitialStackBytes = 16384;
constexpr int32_t kStackStepBytes = 16384;
constexpr int32_t kMaxStackBytes = 131072;
constexpr int32_t kMinFreeBytes = 1024;
constexpr int32_t kTopReserve = 16;   // the first slot starts this far below the top
// Every slot is at least 4 bytes, so this many cells hold the largest stack; the guard
// cells above the start absorb the pops of one damaged instruction before it is refused.
constexpr size_t kStackCells = kMaxStackBytes / 4 + 64;
constexpr size_t kGuardCells = 8;

int32_t g_MaxStackUse = 0;
int32_t g_ArgumentFirst = -1;  // the id of argument0 when its reads are the slots

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
    case -1:
      return Variable_GetValue(st.self, id, index, cell);
    case -2:
      return Variable_GetValue(st.other, id, index, cell);
    case -5:
      return Variable_Global_Get(id, index, cell);
    case -6:
      return Variable_IsGlobalVar(id) ? Variable_Global_Get(id, index, cell)
                                      : Variable_GetValue(st.self, id, index, cell);
    case -7:
      return st.locals->Get(id, index, cell);
    case -4:
      return true;
    default:
      if (instance < 0 && instance != -3) return false;
      return Variable_GetThrough(instance, id, index, cell);
  }
}

bool WriteVariable(VMState& st, int32_t instance, int32_t id, int32_t index,
                   const ScriptValue& value) {
  switch (instance) {
    case -1:
      return Variable_SetValue(st.self, id, index, value);
    case -2:
      return Variable_SetValue(st.other, id, index, value);
    case -5:
      return Variable_Global_Set(id, index, value);
    case -6:
      return Variable_IsGlobalVar(id) ? Variable_Global_Set(id, index, value)
                                      : Variable_SetValue(st.self, id, index, value);
    case -7:
      return st.locals->Set(id, index, value);
    case -4:
      return true;
    default:
      if (instance < 0 && instance != -3) return false;
      return Variable_SetThrough(instance, id, index, value);
  }
}

// True when the instruction at pc stores the top into the variable that left (a string about
// to be joined onto) was read from, that variable holds left's bytes and no other value does
// (s += t, s = s + t): the join may then grow those bytes in place. Only plain variables of a
// fixed instance without an index are looked at: a built-in variable's setter sees what it is
// given, and the store of an indexed or computed target does not follow the join at once.
bool StoredBackAlone(VMState& st, const uint8_t* code, int32_t size, int32_t pc,
                     const ScriptValue& left) {
  if (left.TextHolders() != 2 || pc + 8 > size) return false;
  uint32_t word, var;
  std::memcpy(&word, code + pc, 4);
  std::memcpy(&var, code + pc + 4, 4);
  constexpr uint32_t kPlain = kVMVarFixedInstance | kVMVarNoIndex;
  if ((word >> 24) != static_cast<uint32_t>(VMOpcode::Pop) ||
      ((word >> 16) & 0x0F) != static_cast<uint32_t>(VMType::Var) || (var & kPlain) != kPlain) {
    return false;
  }
  const auto id = static_cast<int32_t>(var & kVMVarIdMask);
  if (id < kFirstListVariableId) return false;
  int32_t instance = static_cast<int16_t>(word & 0xFFFF);
  if ((var & kVMVarInstanceId) != 0) instance += kFirstInstanceId;
  // Read, the variable's value is a third holder of the bytes when it is the other one.
  ScriptValue held;
  return ReadVariable(st, instance, id, 0, held) && held.SharesTextWith(left) &&
         left.TextHolders() == 3;
}

// Finds a local's node and remembers where its plain value lives; null when the list does
// not hold it yet. The node belongs to the pooled list, which is never shared across threads
// and is cleared only by the pool, so the address stays good until then.
VariableNode* CacheLocal(VMState& st, int32_t id) {
  auto* node = const_cast<VariableNode*>(st.locals->FindNode(id));
  if (node != nullptr) st.localsCache->Put(id, node);
  return node;
}

// A local's node from the cache, or from the list (then cached); null when it has none yet.
[[gnu::always_inline]] inline VariableNode* FindLocal(VMState& st, VMLocalsCache* cache,
                                                      int32_t id) {
  VariableNode* node = cache->Find(id);
  return node != nullptr ? node : CacheLocal(st, id);
}

// Stores a value into an element of a local's array, lengthening it as needed (row and
// column not negative).
[[gnu::always_inline]] inline void StoreElement(VariableNode& node, int32_t row, int32_t column,
                                                const ScriptValue& value) {
  if (static_cast<size_t>(row) >= node.rows.size()) node.rows.resize(static_cast<size_t>(row) + 1);
  ScriptValue& element = node.rows[static_cast<size_t>(row)].At(static_cast<size_t>(column));
  element = value;
}

// The index of a[R, C] from the real locals R and C (the id and id2 of an element record), as
// the index's own instructions work it out; 0 when one is not a real yet or room is false,
// which sends the record back to running those instructions.
[[gnu::always_inline]] inline int32_t LocalIndex2D(VMState& st, VMLocalsCache* cache,
                                                   const VMInsn* ip, bool room) {
  if (cache == nullptr || !room) return 0;
  const VariableNode* row = FindLocal(st, cache, ip->id);
  const VariableNode* column = FindLocal(st, cache, ip->id2);
  if (row == nullptr || column == nullptr || !row->value.IsReal() ||
      !column->value.IsReal()) {
    return 0;
  }
  const auto r = static_cast<uint32_t>(Cell_TruncToInt32(row->value.real));
  const auto c = static_cast<uint32_t>(Cell_TruncToInt32(column->value.real));
  return static_cast<int32_t>(r * static_cast<uint32_t>(kArrayRowStride) + c);
}

// An element of a local's array, or null when the index is outside it (the general path then
// reports it). index = row * 32000 + column, split by truncating division.
inline const ScriptValue* LocalElement(const VariableNode& node, int32_t index) {
  const int32_t row = index / kArrayRowStride, column = index - row * kArrayRowStride;
  if (row < 0 || column < 0 || static_cast<size_t>(row) >= node.rows.size()) return nullptr;
  const auto& items = node.rows[static_cast<size_t>(row)].items;
  return static_cast<size_t>(column) < items.size() ? &items[static_cast<size_t>(column)] : nullptr;
}

// An element of a local's array by index, 0 naming the plain value; null as above.
[[gnu::always_inline]] inline const ScriptValue* LocalElementOrValue(const VariableNode& node,
                                                                     int32_t index) {
  return index == 0 ? &node.value : LocalElement(node, index);
}

// The index of a[I] from the real local I (the id of an element record), as its conv.v.i
// works it out; false when I is not a real yet or room is false, which sends the record back
// to running its instructions.
[[gnu::always_inline]] inline bool LocalIndex1D(VMState& st, VMLocalsCache* cache,
                                                const VMInsn* ip, bool room, int32_t& index) {
  if (cache == nullptr || !room) return false;
  const VariableNode* node = FindLocal(st, cache, ip->id);
  if (node == nullptr || !node->value.IsReal()) return false;
  index = Cell_TruncToInt32(node->value.real);
  return true;
}

// The loop's hot locals never have their address taken: slow paths work on copies.
[[gnu::always_inline]] inline void ReturnFromScript(VMState& st, ScriptValue*& sp, int32_t& used,
                                                    const uint8_t*& code, int32_t& codeSize,
                                                    int32_t& pc, ScriptValue& value) {
  ScriptValue* spNow = sp;
  int32_t usedNow = used;
  VM_ReturnFromScript(st, spNow, usedNow, value);
  sp = spNow;
  used = usedNow;
  code = st.code;
  codeSize = st.codeSize;
  pc = st.pc;
}

// Loop idioms that start by pushing a real local, run as a whole when the words that follow
// are exactly one of these (nothing else is assumed; any other shape runs instruction by
// instruction):
//   push.v L; push.e/push.i k, or push.v L2 (a real local); add/sub/mul; pop.v.v L
//   push.v L; push.e/push.i k, or push.v L2; slt ... sgt; bt/bf
// The caller makes sure no stack check or trace could have fallen between them. Answers the
// pc after the idiom, or -1.
[[gnu::always_inline]] inline int32_t FusedLocalIdiom(VMState& st, const uint8_t* code,
                                                      int32_t size, int32_t pc, uint32_t word,
                                                      uint32_t var, ScriptValue& local) {
  auto at = [code](int32_t offset) {
    uint32_t w;
    std::memcpy(&w, code + offset, 4);
    return w;
  };
  if (pc + 12 > size) return -1;
  const uint32_t w1 = at(pc);
  double k;
  int32_t next;
  bool rightVar = false;
  switch (w1 >> 16) {
    case 0xC00F:  // push.e
      k = static_cast<int16_t>(w1 & 0xFFFF);
      next = pc + 4;
      break;
    case 0xC002:  // push.i
      k = static_cast<int32_t>(at(pc + 4));
      next = pc + 8;
      break;
    case 0xC005: {  // push.v of another local
      const uint32_t var2 = at(pc + 4);
      constexpr uint32_t kForm = kVMVarFixedInstance | kVMVarInstanceId | kVMVarNoIndex;
      if ((var2 & kForm) != (kVMVarFixedInstance | kVMVarNoIndex) ||
          static_cast<int16_t>(w1 & 0xFFFF) != -7) {
        return -1;
      }
      const auto id2 = static_cast<int32_t>(var2 & kVMVarIdMask);
      VariableNode* node2 = st.localsCache->Find(id2);
      if (node2 == nullptr) node2 = CacheLocal(st, id2);
      if (node2 == nullptr || node2->value.Kind() != ValueKind::Real) return -1;
      k = node2->value.real;
      next = pc + 8;
      rightVar = true;
      break;
    }
    default:
      return -1;
  }
  if (next + 8 > size) return -1;
  const uint32_t w2 = at(next);
  if (((w2 >> 16) & 0xFF) != (rightVar ? 0x55u : 0x52u)) return -1;
  const auto op = static_cast<VMOpcode>(w2 >> 24);
  if (op == VMOpcode::Add || op == VMOpcode::Sub || op == VMOpcode::Mul) {
    if (next + 12 > size || at(next + 4) != (0x41550000u | (word & 0xFFFF)) ||
        at(next + 8) != var) {
      return -1;
    }
    local.real = op == VMOpcode::Add   ? local.real + k
                 : op == VMOpcode::Sub ? local.real - k
                                       : local.real * k;
    return next + 12;
  }
  if (op < VMOpcode::Slt || op > VMOpcode::Sgt) return -1;
  const uint32_t w3 = at(next + 4);
  const auto branch = static_cast<VMOpcode>(w3 >> 24);
  if (branch != VMOpcode::Bt && branch != VMOpcode::Bf) return -1;
  constexpr double kTolerance = 1e-05;
  const double d = local.real - k;
  bool truth;
  switch (op) {
    case VMOpcode::Slt:
      truth = d < -kTolerance;
      break;
    case VMOpcode::Sle:
      truth = d <= kTolerance;
      break;
    case VMOpcode::Seq:
      truth = d >= -kTolerance && d <= kTolerance;
      break;
    case VMOpcode::Sne:
      truth = d < -kTolerance || d > kTolerance;
      break;
    case VMOpcode::Sge:
      truth = d >= -kTolerance;
      break;
    default:
      truth = d > kTolerance;
      break;
  }
  if (truth != (branch == VMOpcode::Bt)) return next + 8;
  const int32_t target = next + 4 + 4 * SignExtend24(w3);
  return target < 0 || target > size ? -1 : target;
}

// The comparisons of real locals, with the machine's tolerance; d = left - right.
[[gnu::always_inline]] inline bool CompareReals(VMOpcode op, double d) {
  constexpr double kTolerance = 1e-05;
  switch (op) {
    case VMOpcode::Slt:
      return d < -kTolerance;
    case VMOpcode::Sle:
      return d <= kTolerance;
    case VMOpcode::Seq:
      return d >= -kTolerance && d <= kTolerance;
    case VMOpcode::Sne:
      return d < -kTolerance || d > kTolerance;
    case VMOpcode::Sge:
      return d >= -kTolerance;
    default:
      return d > kTolerance;
  }
}

// A popped value of type .d .f .i .l .b .v or .s made a .v for storing.
[[gnu::always_inline]] inline void ConvertForStore(ScriptValue& value, uint32_t type) {
  switch (static_cast<VMType>(type)) {
    case VMType::Var:
      break;
    case VMType::Double:
      Cell_SetVarReal(value, value.real);
      break;
    case VMType::Float:
      Cell_SetVarReal(value, Cell_Float(value));
      break;
    case VMType::Int:
      Cell_SetVarReal(value, Cell_Int(value));
      break;
    case VMType::Long:
      Cell_SetVarReal(value, static_cast<double>(Cell_Long(value)));
      break;
    case VMType::Bool:
      Cell_SetVarReal(value, Cell_Bool(value) ? 1.0 : 0.0);
      break;
    default:  // the string type (the decoder takes no other): already a string value
      break;
  }
}

// Pops the value on top (of type typeByte >> 4, taking slot bytes) into an element of a
// local's array.
[[gnu::always_inline]] inline void PopIntoElement(ScriptValue*& sp, int32_t& used,
                                                  VariableNode& node, int32_t row, int32_t column,
                                                  uint32_t typeByte, int32_t slot) {
  ScriptValue& value = *sp;
  ConvertForStore(value, typeByte >> 4);
  ++sp;
  used -= slot;
  StoreElement(node, row, column, value);
  Variable_ArrayError = false;
}

// Pops the value on top into a local's plain value (its element 0), as the byte loop does.
[[gnu::always_inline]] inline void PopIntoValue(ScriptValue*& sp, int32_t& used, VariableNode& node,
                                                uint32_t typeByte, int32_t slot) {
  ScriptValue& value = *sp;
  ConvertForStore(value, typeByte >> 4);
  ++sp;
  used -= slot;
  node.value = std::move(value);
}

// Pushes a copy of a variable's value.
[[gnu::always_inline]] inline void PushCopy(ScriptValue*& sp, const ScriptValue& value) {
  --sp;
  *sp = value;
}

// How a loop idiom's record goes on: past the idiom, to the branch's target, by pushing the
// local as the first instruction would (pushNode), or in the byte loop.
constexpr int kIdiomDone = 0;
constexpr int kIdiomBranch = 1;
constexpr int kIdiomPush = 2;
constexpr int kIdiomSlow = 3;

// The local of an idiom, and its right-hand side; kIdiomDone when both are reals and the
// idiom's pushes fit below the limit.
template <bool RightLocal>
[[gnu::always_inline]] inline int IdiomOperands(VMState& st, VMLocalsCache* cache,
                                                const VMInsn* ip, int32_t used, int32_t limit,
                                                VariableNode*& node, double& k) {
  node = cache->Find(ip->id);
  if (node == nullptr) node = CacheLocal(st, ip->id);
  if (node == nullptr) return kIdiomSlow;
  if (node->value.Kind() != ValueKind::Real || used + 32 > limit) return kIdiomPush;
  if constexpr (RightLocal) {
    VariableNode* node2 = cache->Find(ip->id2);
    if (node2 == nullptr) node2 = CacheLocal(st, ip->id2);
    if (node2 == nullptr || node2->value.Kind() != ValueKind::Real) return kIdiomPush;
    k = node2->value.real;
  } else {
    k = ip->k;
  }
  return kIdiomDone;
}

template <VMOpcode Op, bool RightLocal>
[[gnu::always_inline]] inline int LocalUpdate(VMState& st, VMLocalsCache* cache, const VMInsn* ip,
                                              int32_t used, int32_t limit, VariableNode*& node) {
  double k;
  const int step = IdiomOperands<RightLocal>(st, cache, ip, used, limit, node, k);
  if (step != kIdiomDone) return step;
  double& v = node->value.real;
  if constexpr (Op == VMOpcode::Add)
    v = v + k;
  else if constexpr (Op == VMOpcode::Sub)
    v = v - k;
  else
    v = v * k;
  return kIdiomDone;
}

template <VMOpcode Op, bool RightLocal>
[[gnu::always_inline]] inline int LocalCompare(VMState& st, VMLocalsCache* cache, const VMInsn* ip,
                                               int32_t used, int32_t limit, VariableNode*& node) {
  double k;
  const int step = IdiomOperands<RightLocal>(st, cache, ip, used, limit, node, k);
  if (step != kIdiomDone) return step;
  // ip->slot: 1 for bt, 0 for bf.
  return CompareReals(Op, node->value.real - k) != (ip->slot == 1) ? kIdiomDone : kIdiomBranch;
}

std::string ValueForTrace(const ScriptValue& v) {
  if (v.Kind() == ValueKind::String) return "\"" + std::string(v.Text()) + "\"";
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%f", v.real);
  return buffer;
}

// Reads a variable by instance code into the cell; the error text goes into the state.
[[gnu::noinline]] bool PushVariableSlow(VMState& st, int32_t instance, int32_t id, int32_t index,
                                        ScriptValue& cell) {
  st.argsMaybeSet = kAllArgumentSlots;
  if (!ReadVariable(st, instance, id, index, cell)) {
    st.errorText = (Variable_ArrayError ? "Push :: Execution Error - Variable Index out of range "
                                        : "Push :: Execution Error - Variable Get ") +
                   Code_Variable_Name(id);
    return false;
  }
  if (g_VMTrace) {
    g_DebugConsole->Output("%s == %s\n", Code_Variable_Name(id).c_str(),
                           ValueForTrace(cell).c_str());
  }
  return true;
}

[[gnu::noinline]] bool PopVariableSlow(VMState& st, int32_t instance, int32_t id, int32_t index,
                                       const ScriptValue& value) {
  st.argsMaybeSet = kAllArgumentSlots;
  Variable_ArrayError = false;
  // A bad index is reported as such wherever the array lives (an instance's list answers
  // true for it, the global and local lists false).
  const bool written = WriteVariable(st, instance, id, index, value);
  if (!written || Variable_ArrayError) {
    st.errorText = Variable_PopErrorText(id, !Variable_ArrayError);
    return false;
  }
  if (g_VMTrace) {
    g_DebugConsole->Output("%s == %s\n", Code_Variable_Name(id).c_str(),
                           ValueForTrace(value).c_str());
  }
  return true;
}

// Restores what script frames changed when an activation is abandoned after an error.
void UnwindAll(VMState& st) {
  while (!st.seg->frames.Empty()) {
    VMFrame& frame = st.seg->frames.Top();
    Code_ArgumentCount = frame.argc;
    VM_RestoreArguments(frame, kAllArgumentSlots);
    st.argsMaybeSet = frame.callerArgsMaybeSet;
    if (st.locals != nullptr) VM_GiveBackLocals();  // the callee's
    st.locals = frame.locals;
    st.seg->frames.Pop();
  }
  st.seg->withs.clear();
}

}  // namespace

int32_t VM_MaxStackUse() { return g_MaxStackUse; }

void VM_SetArgumentVariables(int32_t first) { g_ArgumentFirst = first; }

namespace {

// Arithmetic and comparisons on reals held in variables (against reals or integers) and on
// two integers: the common cases, done here without the general operation. False when the
// operands need the general path.
template <VMOpcode Op>
[[gnu::always_inline]] inline bool FastBinary(uint32_t typeByte, ScriptValue*& sp, int32_t& used) {
  constexpr bool kCompare = Op >= VMOpcode::Slt && Op <= VMOpcode::Sgt;
  constexpr double kTolerance = 1e-05;
  if (typeByte == 0x22) {  // two integers
    if constexpr (Op == VMOpcode::Div) return false;  // wraps and reports in the byte loop
    const int32_t a = Cell_Int(sp[1]), b = Cell_Int(sp[0]);
    const auto ua = static_cast<uint32_t>(a), ub = static_cast<uint32_t>(b);
    int32_t v;
    if constexpr (Op == VMOpcode::Add)
      v = static_cast<int32_t>(ua + ub);
    else if constexpr (Op == VMOpcode::Sub)
      v = static_cast<int32_t>(ua - ub);
    else if constexpr (Op == VMOpcode::Mul)
      v = static_cast<int32_t>(ua * ub);
    else if constexpr (Op == VMOpcode::Slt)
      v = a < b;
    else if constexpr (Op == VMOpcode::Sle)
      v = a <= b;
    else if constexpr (Op == VMOpcode::Seq)
      v = a == b;
    else if constexpr (Op == VMOpcode::Sne)
      v = a != b;
    else if constexpr (Op == VMOpcode::Sge)
      v = a >= b;
    else
      v = a > b;
    Cell_SetInt(sp[1], v);
    ++sp;
    used -= 4;
    return true;
  }
  if constexpr (kCompare) {
    // Two strings (.v or .s), compared byte by byte as unsigned bytes.
    const uint32_t leftType = typeByte >> 4, rightType = typeByte & 0x0F;
    if ((leftType == 5 || leftType == 6) && (rightType == 5 || rightType == 6) &&
        sp[1].IsString() && sp[0].IsString()) {
      const int order = sp[1].Text().compare(sp[0].Text());
      bool truth;
      if constexpr (Op == VMOpcode::Slt)
        truth = order < 0;
      else if constexpr (Op == VMOpcode::Sle)
        truth = order <= 0;
      else if constexpr (Op == VMOpcode::Seq)
        truth = order == 0;
      else if constexpr (Op == VMOpcode::Sne)
        truth = order != 0;
      else if constexpr (Op == VMOpcode::Sge)
        truth = order >= 0;
      else
        truth = order > 0;
      Cell_SetInt(sp[1], truth ? 1 : 0);
      used += 4 - VM_SlotSize(leftType) - VM_SlotSize(rightType);
      ++sp;
      return true;
    }
  }
  const bool rightVar = (typeByte & 0x0F) == 5;
  if ((typeByte >> 4) != 5 || sp[1].Kind() != ValueKind::Real ||
      !(rightVar ? sp[0].Kind() == ValueKind::Real : (typeByte & 0x0F) == 2)) {
    return false;
  }
  const double a = sp[1].real, b = rightVar ? sp[0].real : Cell_Int(sp[0]);
  if constexpr (Op == VMOpcode::Div) {
    if (b == 0.0) return false;  // the byte loop reports the division by zero
  }
  const double d = a - b;
  if constexpr (kCompare) {
    bool truth;
    if constexpr (Op == VMOpcode::Slt)
      truth = d < -kTolerance;
    else if constexpr (Op == VMOpcode::Sle)
      truth = d <= kTolerance;
    else if constexpr (Op == VMOpcode::Seq)
      truth = d >= -kTolerance && d <= kTolerance;
    else if constexpr (Op == VMOpcode::Sne)
      truth = d < -kTolerance || d > kTolerance;
    else if constexpr (Op == VMOpcode::Sge)
      truth = d >= -kTolerance;
    else
      truth = d > kTolerance;
    Cell_SetInt(sp[1], truth ? 1 : 0);
    used += 4 - 16 - VM_SlotSize(typeByte & 0x0F);
  } else {
    if constexpr (Op == VMOpcode::Add)
      sp[1].real = a + b;
    else if constexpr (Op == VMOpcode::Sub)
      sp[1].real = d;
    else if constexpr (Op == VMOpcode::Div)
      sp[1].real = a / b;
    else
      sp[1].real = a * b;
    used -= VM_SlotSize(typeByte & 0x0F);
  }
  ++sp;
  return true;
}

}  // namespace

namespace {

// A built-in variable's plain field (not Kind::None) as its getter gives it; false, with
// nothing read, for a field of the instance when there is none.
[[gnu::always_inline]] inline bool ReadPlainField(const BuiltinPlainField& field,
                                                  const CInstance* instance, double& out) {
  using Kind = BuiltinPlainField::Kind;
  if (field.kind >= Kind::RoomInt) {
    const std::function<RoomSettings*()>& hook = *Variable_BuiltIn_Direct.currentRoom;
    const RoomSettings* room = hook ? hook() : nullptr;
    if (room == nullptr) {
      out = 0.0;
    } else if (field.kind == Kind::RoomInt) {
      out = static_cast<double>(room->*field.roomI);
    } else if (field.kind == Kind::RoomUInt) {
      out = static_cast<double>(room->*field.roomU);
    } else {
      out = static_cast<double>(room->*field.roomB);
    }
    return true;
  }
  if (instance == nullptr) return false;
  if (field.kind == Kind::Float) {
    out = static_cast<double>(instance->*field.f);
  } else if (field.kind == Kind::Int) {
    out = static_cast<double>(instance->*field.i);
  } else if (field.kind == Kind::UInt) {
    out = static_cast<double>(instance->*field.u);
  } else {
    out = static_cast<double>(instance->*field.b);
  }
  return true;
}

// Reads the plain variable of self or other a PushInstanceVariable record names: a built-in
// through its table entry (built-in ids are never global names, so self-or-global is self),
// one the instance holds from its node, anything else as the byte loop reads it. False when
// the read failed.
[[gnu::always_inline]] inline bool ReadInstanceVariable(VMState& st, const VMInsn* ip,
                                                        ScriptValue& cell) {
  const auto instance = static_cast<int16_t>(ip->word & 0xFFFF);
  CInstance* target = instance == -2 ? st.other : st.self;
  if (static_cast<uint32_t>(ip->id) < static_cast<uint32_t>(Variable_BuiltIn_Direct.count)) {
    const BuiltinVariableEntry& entry = Variable_BuiltIn_Direct.entries[ip->id];
    double value;
    if (entry.field.kind != BuiltinPlainField::Kind::None &&
        ReadPlainField(entry.field, target, value)) {
      Cell_SetVarReal(cell, value);
      return true;
    }
    const BuiltinGetter get = entry.getter;
    return get != nullptr && get(target, 0, cell);
  }
  if (ip->id >= kFirstListVariableId && target != nullptr &&
      (instance != -6 || !Variable_IsGlobalVar(ip->id))) {
    if (const VariableNode* node = target->variables->FindNodeFrom(ip->id, ip->hint)) {
      Variable_ArrayError = false;
      ScriptValue_Copy(cell, node->value);
      return true;
    }
  }
  return ReadVariable(st, instance, ip->id, 0, cell);
}

// The node of a variable of self or other (no index) that the instance holds as a real, with
// the effects of reading it and of storing into it; false, with nothing done, for anything
// else (an argument slot, a built-in, a global, a variable not set or holding no real).
[[gnu::always_inline]] inline bool FindOwnReal(VMState& st, const VMInsn* ip, int32_t argumentFirst,
                                               VariableNode*& out) {
  const int32_t id = ip->id;
  const auto k = static_cast<uint32_t>(id - argumentFirst);
  if (id < kFirstListVariableId ||
      (argumentFirst >= 0 && k < static_cast<uint32_t>(kArgumentSlotCount))) {
    return false;
  }
  const auto instance = static_cast<int16_t>(ip->word & 0xFFFF);
  CInstance* target = instance == -2 ? st.other : st.self;
  if (target == nullptr || (instance == -6 && Variable_IsGlobalVar(id))) return false;
  const VariableNode* node = target->variables->FindNodeFrom(id, ip->hint);
  if (node == nullptr || !node->value.IsReal()) return false;
  st.argsMaybeSet = kAllArgumentSlots;
  Variable_ArrayError = false;
  out = const_cast<VariableNode*>(node);
  return true;
}

// A plain variable of self or other (no index) as a real, read the way its push reads it
// and with the same effects: an argument slot, a built-in instance field, a variable the
// instance holds. False, with nothing done, when the variable is anything else or does not
// hold a real: the push's own record then reads it.
[[gnu::always_inline]] inline bool ReadRealQuick(VMState& st, const VMInsn* ip, int32_t argumentFirst,
                                                 double& out) {
  const int32_t id = ip->id;
  const auto k = static_cast<uint32_t>(id - argumentFirst);
  if (argumentFirst >= 0 && k < static_cast<uint32_t>(kArgumentSlotCount)) {
    if (!Code_Arguments[k].IsReal()) return false;
    out = Code_Arguments[k].real;
    return true;
  }
  const auto instance = static_cast<int16_t>(ip->word & 0xFFFF);
  CInstance* target = instance == -2 ? st.other : st.self;
  if (static_cast<uint32_t>(id) < static_cast<uint32_t>(Variable_BuiltIn_Direct.count)) {
    const BuiltinPlainField& field = Variable_BuiltIn_Direct.entries[id].field;
    if (field.kind == BuiltinPlainField::Kind::None || !ReadPlainField(field, target, out)) {
      return false;
    }
    st.argsMaybeSet = kAllArgumentSlots;
    return true;
  }
  VariableNode* node;
  if (!FindOwnReal(st, ip, argumentFirst, node)) return false;
  out = node->value.real;
  return true;
}

// Stores into a built-in variable of the table through its setter, once; false with the
// error's message in the state when the variable cannot be set or refused the value.
bool WriteBuiltinVariable(VMState& st, int32_t id, CInstance* target, const ScriptValue& value) {
  Variable_ArrayError = false;
  const BuiltinSetter set = Variable_BuiltIn_Direct.entries[id].setter;
  if (set != nullptr && set(target, 0, value) && !Variable_ArrayError) return true;
  st.errorText = Variable_PopErrorText(id, !Variable_ArrayError);
  return false;
}

const void* g_FastHandlers[static_cast<size_t>(VMFastOp::Count)];

// Runs decoded records from ip until one needs the byte loop: answers true when the byte
// loop's step (the end of the code, the stack limit) comes next at pcOut, false when the
// instruction at pcOut is to run byte by byte. Called with a null ip it only fills the
// handler table.
const void* const* FastHandlers();

[[gnu::noinline]] bool RunDecoded(VMState& st, const VMInsn* ip, ScriptValue*& spInOut,
                                  int32_t& usedInOut, int32_t limit, int32_t& pcOut) {
  if (ip == nullptr) {
    const std::pair<VMFastOp, const void*> fast[] = {
        {VMFastOp::Slow, &&fop_Slow},
        {VMFastOp::End, &&fop_End},
        {VMFastOp::Nop, &&fop_Nop},
        {VMFastOp::PushLocal, &&fop_PushLocal},
        {VMFastOp::PushInstanceVariable, &&fop_PushInstanceVariable},
        {VMFastOp::LocalAddK, &&fop_LocalAddK},
        {VMFastOp::LocalSubK, &&fop_LocalSubK},
        {VMFastOp::LocalMulK, &&fop_LocalMulK},
        {VMFastOp::LocalAddL, &&fop_LocalAddL},
        {VMFastOp::LocalSubL, &&fop_LocalSubL},
        {VMFastOp::LocalMulL, &&fop_LocalMulL},
        {VMFastOp::LocalSltK, &&fop_LocalSltK},
        {VMFastOp::LocalSleK, &&fop_LocalSleK},
        {VMFastOp::LocalSeqK, &&fop_LocalSeqK},
        {VMFastOp::LocalSneK, &&fop_LocalSneK},
        {VMFastOp::LocalSgeK, &&fop_LocalSgeK},
        {VMFastOp::LocalSgtK, &&fop_LocalSgtK},
        {VMFastOp::LocalSltL, &&fop_LocalSltL},
        {VMFastOp::LocalSleL, &&fop_LocalSleL},
        {VMFastOp::LocalSeqL, &&fop_LocalSeqL},
        {VMFastOp::LocalSneL, &&fop_LocalSneL},
        {VMFastOp::LocalSgeL, &&fop_LocalSgeL},
        {VMFastOp::LocalSgtL, &&fop_LocalSgtL},
        {VMFastOp::VariableIntAdd, &&fop_VariableIntAdd},
        {VMFastOp::VariableIntSub, &&fop_VariableIntSub},
        {VMFastOp::VariableIntMul, &&fop_VariableIntMul},
        {VMFastOp::VariableIntUpdateAdd, &&fop_VariableIntUpdateAdd},
        {VMFastOp::VariableIntUpdateSub, &&fop_VariableIntUpdateSub},
        {VMFastOp::VariableIntUpdateMul, &&fop_VariableIntUpdateMul},
        {VMFastOp::VariableIntSltBranch, &&fop_VariableIntSltBranch},
        {VMFastOp::VariableIntSleBranch, &&fop_VariableIntSleBranch},
        {VMFastOp::VariableIntSeqBranch, &&fop_VariableIntSeqBranch},
        {VMFastOp::VariableIntSneBranch, &&fop_VariableIntSneBranch},
        {VMFastOp::VariableIntSgeBranch, &&fop_VariableIntSgeBranch},
        {VMFastOp::VariableIntSgtBranch, &&fop_VariableIntSgtBranch},
        {VMFastOp::VariableVariableSltBranch, &&fop_VariableVariableSltBranch},
        {VMFastOp::VariableVariableSleBranch, &&fop_VariableVariableSleBranch},
        {VMFastOp::VariableVariableSeqBranch, &&fop_VariableVariableSeqBranch},
        {VMFastOp::VariableVariableSneBranch, &&fop_VariableVariableSneBranch},
        {VMFastOp::VariableVariableSgeBranch, &&fop_VariableVariableSgeBranch},
        {VMFastOp::VariableVariableSgtBranch, &&fop_VariableVariableSgtBranch},
        {VMFastOp::PushShort, &&fop_PushShort},
        {VMFastOp::PushLocalInt, &&fop_PushLocalInt},
        {VMFastOp::PushIntAdd, &&fop_PushIntAdd},
        {VMFastOp::PushIntSub, &&fop_PushIntSub},
        {VMFastOp::PushIntMul, &&fop_PushIntMul},
        {VMFastOp::PushIntSlt, &&fop_PushIntSlt},
        {VMFastOp::PushIntSle, &&fop_PushIntSle},
        {VMFastOp::PushIntSeq, &&fop_PushIntSeq},
        {VMFastOp::PushIntSne, &&fop_PushIntSne},
        {VMFastOp::PushIntSge, &&fop_PushIntSge},
        {VMFastOp::PushIntSgt, &&fop_PushIntSgt},
        {VMFastOp::PushIntSltBranch, &&fop_PushIntSltBranch},
        {VMFastOp::PushIntSleBranch, &&fop_PushIntSleBranch},
        {VMFastOp::PushIntSeqBranch, &&fop_PushIntSeqBranch},
        {VMFastOp::PushIntSneBranch, &&fop_PushIntSneBranch},
        {VMFastOp::PushIntSgeBranch, &&fop_PushIntSgeBranch},
        {VMFastOp::PushIntSgtBranch, &&fop_PushIntSgtBranch},
        {VMFastOp::PushString, &&fop_PushString},
        {VMFastOp::Push4, &&fop_Push4},
        {VMFastOp::Push8, &&fop_Push8},
        {VMFastOp::PopLocal, &&fop_PopLocal},
        {VMFastOp::PopInstanceVariable, &&fop_PopInstanceVariable},
        {VMFastOp::PushLocalAdd, &&fop_PushLocalAdd},
        {VMFastOp::PushLocalSub, &&fop_PushLocalSub},
        {VMFastOp::PushLocalMul, &&fop_PushLocalMul},
        {VMFastOp::PushLocalDiv, &&fop_PushLocalDiv},
        {VMFastOp::PushElement, &&fop_PushElement},
        {VMFastOp::PopElement, &&fop_PopElement},
        {VMFastOp::PushLocalElement2D, &&fop_PushLocalElement2D},
        {VMFastOp::PopLocalElement2D, &&fop_PopLocalElement2D},
        {VMFastOp::PushLocalElement1D, &&fop_PushLocalElement1D},
        {VMFastOp::PopLocalElement1D, &&fop_PopLocalElement1D},
        {VMFastOp::Add, &&fop_Add},
        {VMFastOp::Sub, &&fop_Sub},
        {VMFastOp::Mul, &&fop_Mul},
        {VMFastOp::Slt, &&fop_Slt},
        {VMFastOp::Sle, &&fop_Sle},
        {VMFastOp::Seq, &&fop_Seq},
        {VMFastOp::Sne, &&fop_Sne},
        {VMFastOp::Sge, &&fop_Sge},
        {VMFastOp::Sgt, &&fop_Sgt},
        {VMFastOp::Div, &&fop_Div},
        {VMFastOp::AddPopLocal, &&fop_AddPopLocal},
        {VMFastOp::SubPopLocal, &&fop_SubPopLocal},
        {VMFastOp::MulPopLocal, &&fop_MulPopLocal},
        {VMFastOp::DivPopLocal, &&fop_DivPopLocal},
        {VMFastOp::Conv, &&fop_Conv},
        {VMFastOp::Neg, &&fop_Neg},
        {VMFastOp::Popz, &&fop_Popz},
        {VMFastOp::B, &&fop_B},
        {VMFastOp::Bt, &&fop_Bt},
        {VMFastOp::Bf, &&fop_Bf},
        {VMFastOp::Call, &&fop_Call},
        {VMFastOp::Ret, &&fop_Ret},
        {VMFastOp::Exit, &&fop_Exit},
    };
    static_assert(std::size(fast) == static_cast<size_t>(VMFastOp::Count));
    for (const auto& [op, handler] : fast) g_FastHandlers[static_cast<size_t>(op)] = handler;
    return false;
  }
  ScriptValue* sp = spInOut;
  // Set once when the built-in variables are made; read here once, as a value the handlers
  // share (read from the global in each, it would be loaded again before every dispatch).
  const int32_t argumentFirst = g_ArgumentFirst;
  int32_t used = usedInOut;
  VMLocalsCache* localsCache = st.localsCache;
  const VMDecoded* dec = nullptr;
  VariableNode* pushNode = nullptr;
  ScriptValue* returned = nullptr;  // the value a script call returns
  goto* ip->handler;

  // Decoded records. Their code never takes more values than the stack holds, the end of
  // the code is a record of its own, and nothing here runs while every step must be slow;
  // what is left to check is the stack limit after a push. A record that meets anything
  // unusual hands its instruction, untouched, to the byte loop. A record that stands for a
  // run of instructions goes on past them by a fixed step, not a pointer it reads: the next
  // record's address then waits on no load.
#define KF_FAST_NEXT() \
  do {                 \
    ++ip;              \
    goto* ip->handler; \
  } while (false)
#define KF_FAST_GROWN()                   \
  do {                                    \
    if (used > limit) [[unlikely]] {      \
      pcOut = ip[1].pc;                   \
      goto step;                          \
    }                                     \
    ++ip;                                 \
    goto* ip->handler;                    \
  } while (false)
#define KF_FAST_SLOW() \
  do {                 \
    pcOut = ip->pc;    \
    goto slow;         \
  } while (false)
// Every loop takes a branch somewhere: there a termination signal hands the code to the byte
// loop's step, which abandons it.
#define KF_FAST_JUMP()                                           \
  do {                                                           \
    if (TerminationSignal_Pending()) [[unlikely]] goto at_step; \
    ip = ip->jump;                                               \
    goto* ip->handler;                                           \
  } while (false)
// The branch when `taken`, else on to the record `past` records further.
#define KF_FAST_BRANCH(taken, past) \
  do {                              \
    if (taken) KF_FAST_JUMP();      \
    ip += past;                     \
    goto* ip->handler;              \
  } while (false)

fop_Slow:
  KF_FAST_SLOW();
fop_End:
  pcOut = ip->pc;
  goto step;
fop_Nop:
  KF_FAST_NEXT();

fop_PushShort:
  --sp;
  Cell_SetInt(*sp, ip->imm);
  used += 4;
  KF_FAST_GROWN();

  // push k; op: the push, then the operation when it is one of the common cases, else the
  // operation's own record. Room for the push is checked first, as the push's record would.
#define KF_FAST_PUSH_INT_OP(Name)                                         \
  fop_PushInt##Name : {                                                   \
    if (used + 4 > limit) goto push_int_plain;                            \
    --sp;                                                                 \
    Cell_SetInt(*sp, ip->imm);                                            \
    used += 4;                                                            \
    ++ip;                                                                 \
    if (FastBinary<VMOpcode::Name>(ip->typeByte, sp, used)) KF_FAST_NEXT(); \
    goto* ip->handler;                                                    \
  }
  KF_FAST_PUSH_INT_OP(Add)
  KF_FAST_PUSH_INT_OP(Sub)
  KF_FAST_PUSH_INT_OP(Mul)
  KF_FAST_PUSH_INT_OP(Slt)
  KF_FAST_PUSH_INT_OP(Sle)
  KF_FAST_PUSH_INT_OP(Seq)
  KF_FAST_PUSH_INT_OP(Sne)
  KF_FAST_PUSH_INT_OP(Sge)
  KF_FAST_PUSH_INT_OP(Sgt)
#undef KF_FAST_PUSH_INT_OP
  // push k; compare; bt/bf: as above, the comparison's result taken by the branch at once.
#define KF_FAST_PUSH_INT_BRANCH(Name)                                      \
  fop_PushInt##Name##Branch : {                                            \
    if (used + 4 > limit) goto push_int_plain;                             \
    --sp;                                                                  \
    Cell_SetInt(*sp, ip->imm);                                             \
    used += 4;                                                             \
    if (!FastBinary<VMOpcode::Name>(ip[1].typeByte, sp, used)) {           \
      ++ip;                                                                \
      goto* ip->handler;                                                   \
    }                                                                      \
    used -= 4;                                                             \
    KF_FAST_BRANCH(Cell_Bool(*sp++) == (ip->slot == 1), 3);                \
  }
  KF_FAST_PUSH_INT_BRANCH(Slt)
  KF_FAST_PUSH_INT_BRANCH(Sle)
  KF_FAST_PUSH_INT_BRANCH(Seq)
  KF_FAST_PUSH_INT_BRANCH(Sne)
  KF_FAST_PUSH_INT_BRANCH(Sge)
  KF_FAST_PUSH_INT_BRANCH(Sgt)
#undef KF_FAST_PUSH_INT_BRANCH
push_int_plain:
  --sp;
  Cell_SetInt(*sp, ip->imm);
  used += 4;
  KF_FAST_GROWN();

fop_PushLocalInt : {  // push.v L; conv.v.i
  VariableNode* node = localsCache->Find(ip->id);
  if (node == nullptr) node = CacheLocal(st, ip->id);
  if (node == nullptr) KF_FAST_SLOW();
  const ScriptValue& local = node->value;
  if (local.Kind() != ValueKind::Real || used + 16 > limit) {
    PushCopy(sp, local);
    used += 16;
    Variable_ArrayError = false;
    KF_FAST_GROWN();
  }
  // The pushed .v is converted at once: only its integer is left in the cell.
  --sp;
  Cell_SetInt(*sp, Cell_TruncToInt32(local.real));
  used += 4;
  Variable_ArrayError = false;
  ip += 2;
  goto* ip->handler;
}
fop_PushString:
  --sp;
  *sp = *ip->text;
  used += 4;
  KF_FAST_GROWN();
fop_Push4:
  --sp;
  Cell_SetBits(*sp, &ip->bits, 4);
  used += 4;
  KF_FAST_GROWN();
fop_Push8:
  --sp;
  Cell_SetBits(*sp, &ip->bits, 8);
  used += 8;
  KF_FAST_GROWN();

fop_PushLocal : {
  VariableNode* node = localsCache->Find(ip->id);
  if (node == nullptr) node = CacheLocal(st, ip->id);
  if (node == nullptr) KF_FAST_SLOW();
  PushCopy(sp, node->value);
  used += 16;
  Variable_ArrayError = false;
  KF_FAST_GROWN();
}

  // push.v L; op.v.v: the local's real taken straight into the left operand on top; anything
  // else (not two reals, a divisor of zero, no room for the push) runs the two records.
#define KF_FAST_PUSH_LOCAL_OP(Name, expression)                                    \
  fop_PushLocal##Name : {                                                          \
    const VariableNode* node = FindLocal(st, localsCache, ip->id);                 \
    if (node == nullptr || !node->value.IsReal() || sp->Kind() != ValueKind::Real || \
        used + 16 > limit) {                                                       \
      goto fop_PushLocal;                                                          \
    }                                                                              \
    const double a = sp->real, b = node->value.real;                               \
    if (#Name[0] == 'D' && b == 0.0) goto fop_PushLocal;                           \
    sp->real = expression;                                                         \
    Variable_ArrayError = false;                                                   \
    ip += 2;                                                                       \
    goto* ip->handler;                                                             \
  }
  // Each of the four arithmetics a record on two reals a and b may take whole.
#define KF_FAST_REAL_ARITHMETIC(Record) \
  Record(Add, a + b) Record(Sub, a - b) Record(Mul, a * b) Record(Div, a / b)
  KF_FAST_REAL_ARITHMETIC(KF_FAST_PUSH_LOCAL_OP)
#undef KF_FAST_PUSH_LOCAL_OP

fop_PushInstanceVariable : {  // argument0..15 straight from their slots; others through their accessors
  const auto k = static_cast<uint32_t>(ip->id - argumentFirst);
  if (argumentFirst < 0 || k >= static_cast<uint32_t>(kArgumentSlotCount)) {
    // Read in place through the variable's accessor; a read that fails is left to the byte
    // loop, which reads again and reports it.
    --sp;
    Cell_SetVarReal(*sp, 0.0);
    st.argsMaybeSet = kAllArgumentSlots;
    if (!ReadInstanceVariable(st, ip, *sp)) {
      ++sp;
      KF_FAST_SLOW();
    }
    used += 16;
    KF_FAST_GROWN();
  }
  const ScriptValue& slot = Code_Arguments[k];
  --sp;
  *sp = slot;
  used += 16;
  KF_FAST_GROWN();
}

  // A variable read as a real (see ReadRealQuick), an integer constant and the operation on
  // them, with the branch on a comparison's result: no value is pushed but the arithmetic's
  // result. Room for both pushes is checked first, as their records would; anything else runs
  // as the push of the variable followed by the records of the rest.
#define KF_FAST_VARIABLE_INT_OPERAND()                                  \
  double a;                                                            \
  if (used + 20 > limit || !ReadRealQuick(st, ip, argumentFirst, a)) { \
    goto fop_PushInstanceVariable;                                     \
  }                                                                    \
  const double b = ip->imm
#define KF_FAST_VARIABLE_INT_ARITHMETIC(Name, expression) \
  fop_VariableInt##Name : {                           \
    KF_FAST_VARIABLE_INT_OPERAND();                       \
    --sp;                                             \
    Cell_SetVarReal(*sp, expression);                 \
    used += 16;                                       \
    ip += 3;                                          \
    goto* ip->handler;                                \
  }
#define KF_FAST_VARIABLE_INT_BRANCH(Name)                                                  \
  fop_VariableInt##Name##Branch : {                                                    \
    KF_FAST_VARIABLE_INT_OPERAND();                                                        \
    KF_FAST_BRANCH(CompareReals(VMOpcode::Name, a - b) == (ip->slot == 1), 4);              \
  }
  KF_FAST_VARIABLE_INT_ARITHMETIC(Add, a + b)
  KF_FAST_VARIABLE_INT_ARITHMETIC(Sub, a - b)
  KF_FAST_VARIABLE_INT_ARITHMETIC(Mul, a * b)
  // v += k (-=, *=) on a variable the instance holds as a real: the result stored in place of
  // the push, the operation and the pop. Anything else runs as the push and the operation,
  // then the pop's record.
#define KF_FAST_VARIABLE_INT_UPDATE(Name, expression)               \
  fop_VariableIntUpdate##Name : {                                   \
    VariableNode* node;                                             \
    if (used + 20 > limit || !FindOwnReal(st, ip, argumentFirst, node)) { \
      goto fop_VariableInt##Name;                                   \
    }                                                               \
    const double a = node->value.real, b = ip->imm;                 \
    node->value.real = expression;                                  \
    ip += 4;                                                        \
    goto* ip->handler;                                              \
  }
  KF_FAST_VARIABLE_INT_UPDATE(Add, a + b)
  KF_FAST_VARIABLE_INT_UPDATE(Sub, a - b)
  KF_FAST_VARIABLE_INT_UPDATE(Mul, a * b)
#undef KF_FAST_VARIABLE_INT_UPDATE
  KF_FAST_VARIABLE_INT_BRANCH(Slt)
  KF_FAST_VARIABLE_INT_BRANCH(Sle)
  KF_FAST_VARIABLE_INT_BRANCH(Seq)
  KF_FAST_VARIABLE_INT_BRANCH(Sne)
  KF_FAST_VARIABLE_INT_BRANCH(Sge)
  KF_FAST_VARIABLE_INT_BRANCH(Sgt)
#undef KF_FAST_VARIABLE_INT_BRANCH
  // Two variables read as reals, compared, and the branch on the result; as above.
#define KF_FAST_VARIABLE_VARIABLE_BRANCH(Name)                                         \
  fop_VariableVariable##Name##Branch : {                                               \
    double a, b;                                                                       \
    if (used + 32 > limit || !ReadRealQuick(st, ip, argumentFirst, a) ||               \
        !ReadRealQuick(st, ip + 1, argumentFirst, b)) {                                \
      goto fop_PushInstanceVariable;                                                   \
    }                                                                                  \
    KF_FAST_BRANCH(CompareReals(VMOpcode::Name, a - b) == (ip->slot == 1), 4);              \
  }
  KF_FAST_VARIABLE_VARIABLE_BRANCH(Slt)
  KF_FAST_VARIABLE_VARIABLE_BRANCH(Sle)
  KF_FAST_VARIABLE_VARIABLE_BRANCH(Seq)
  KF_FAST_VARIABLE_VARIABLE_BRANCH(Sne)
  KF_FAST_VARIABLE_VARIABLE_BRANCH(Sge)
  KF_FAST_VARIABLE_VARIABLE_BRANCH(Sgt)
#undef KF_FAST_VARIABLE_VARIABLE_BRANCH
#undef KF_FAST_VARIABLE_INT_ARITHMETIC
#undef KF_FAST_VARIABLE_INT_OPERAND

  // The loop idioms on real locals, one record per operation and kind of right-hand side.
#define KF_FAST_LOCAL_UPDATE(Op, Right)                                                    \
  fop_Local##Op##Right : {                                                                 \
    const int step = LocalUpdate<VMOpcode::Op, #Right[0] == 'L'>(st, localsCache, ip, used, \
                                                                 limit, pushNode);         \
    if (step == kIdiomDone) {                                                              \
      /* Back to a loop's test is a branch taken: a termination signal is looked for. */  \
      const VMInsn* next = ip->after;                                                      \
      if (next < ip && TerminationSignal_Pending()) [[unlikely]] {                         \
        ip = next;                                                                         \
        goto at_step;                                                                      \
      }                                                                                    \
      ip = next;                                                                           \
      goto* ip->handler;                                                                   \
    }                                                                                      \
    if (step == kIdiomPush) goto push_node;                                                \
    KF_FAST_SLOW();                                                                        \
  }
#define KF_FAST_LOCAL_COMPARE(Op, Right)                                                    \
  fop_Local##Op##Right : {                                                                  \
    const int step = LocalCompare<VMOpcode::Op, #Right[0] == 'L'>(st, localsCache, ip, used, \
                                                                  limit, pushNode);         \
    if (step == kIdiomDone) {                                                               \
      ip += 4;                                                                              \
      goto* ip->handler;                                                                    \
    }                                                                                       \
    if (step == kIdiomBranch) KF_FAST_JUMP();                                               \
    if (step == kIdiomPush) goto push_node;                                                 \
    KF_FAST_SLOW();                                                                         \
  }
  KF_FAST_LOCAL_UPDATE(Add, K)
  KF_FAST_LOCAL_UPDATE(Sub, K)
  KF_FAST_LOCAL_UPDATE(Mul, K)
  KF_FAST_LOCAL_UPDATE(Add, L)
  KF_FAST_LOCAL_UPDATE(Sub, L)
  KF_FAST_LOCAL_UPDATE(Mul, L)
  KF_FAST_LOCAL_COMPARE(Slt, K)
  KF_FAST_LOCAL_COMPARE(Sle, K)
  KF_FAST_LOCAL_COMPARE(Seq, K)
  KF_FAST_LOCAL_COMPARE(Sne, K)
  KF_FAST_LOCAL_COMPARE(Sge, K)
  KF_FAST_LOCAL_COMPARE(Sgt, K)
  KF_FAST_LOCAL_COMPARE(Slt, L)
  KF_FAST_LOCAL_COMPARE(Sle, L)
  KF_FAST_LOCAL_COMPARE(Seq, L)
  KF_FAST_LOCAL_COMPARE(Sne, L)
  KF_FAST_LOCAL_COMPARE(Sge, L)
  KF_FAST_LOCAL_COMPARE(Sgt, L)
#undef KF_FAST_LOCAL_COMPARE
#undef KF_FAST_LOCAL_UPDATE
// The idiom's first instruction on its own: the push of the local.
push_node:
  PushCopy(sp, pushNode->value);
  used += 16;
  Variable_ArrayError = false;
  KF_FAST_GROWN();

fop_PushElement : {  // an element of a local's array (0: its value); anything else in the byte loop
  const int32_t index = Cell_Int(sp[0]);
  if (Cell_Int(sp[1]) != -7 || localsCache == nullptr) KF_FAST_SLOW();
  VariableNode* node = localsCache->Find(ip->id);
  if (node == nullptr) node = CacheLocal(st, ip->id);
  if (node == nullptr) KF_FAST_SLOW();
  const ScriptValue* element = LocalElementOrValue(*node, index);
  if (element == nullptr) KF_FAST_SLOW();
  ++sp;  // index and instance popped, the value pushed
  used += 8;
  *sp = *element;
  Variable_ArrayError = false;
  KF_FAST_GROWN();
}

fop_PopElement : {  // a store into an element of a local's array (0: its value)
  const int32_t index = Cell_Int(sp[0]);
  if (Cell_Int(sp[1]) != -7 || localsCache == nullptr) KF_FAST_SLOW();
  VariableNode* node = localsCache->Find(ip->id);
  if (node == nullptr) node = CacheLocal(st, ip->id);
  if (node == nullptr) KF_FAST_SLOW();
  if (index == 0) {
    sp += 2;
    used -= 8;
    PopIntoValue(sp, used, *node, ip->typeByte, ip->slot);
    KF_FAST_NEXT();
  }
  const int32_t row = index / kArrayRowStride, column = index - row * kArrayRowStride;
  if (row < 0 || column < 0) KF_FAST_SLOW();
  sp += 2;
  used -= 8;
  PopIntoElement(sp, used, *node, row, column, ip->typeByte, ip->slot);
  KF_FAST_NEXT();
}

  // a[R, C] of locals: the index worked out from the two locals as its seven records would,
  // then the element read or stored as the element's record would. Anything else (a local not
  // a real, index 0, an element outside the array, too little room for the pushes) runs the
  // nine records one by one from the push of -7.
fop_PushLocalElement2D : {
  const int32_t index = LocalIndex2D(st, localsCache, ip, used + 24 <= limit);
  if (index == 0) goto fop_PushShort;
  const VariableNode* node = FindLocal(st, localsCache, ip->id3);
  const ScriptValue* element = node == nullptr ? nullptr : LocalElement(*node, index);
  if (element == nullptr) goto fop_PushShort;
  PushCopy(sp, *element);
  used += 16;
  Variable_ArrayError = false;
  ip += 9;
  goto* ip->handler;
}
fop_PopLocalElement2D : {
  const int32_t index = LocalIndex2D(st, localsCache, ip, used + 24 <= limit);
  if (index == 0) goto fop_PushShort;
  const int32_t row = index / kArrayRowStride, column = index - row * kArrayRowStride;
  if (row < 0 || column < 0) goto fop_PushShort;
  VariableNode* node = FindLocal(st, localsCache, ip->id3);
  if (node == nullptr) goto fop_PushShort;
  PopIntoElement(sp, used, *node, row, column, ip->typeByte, ip->slot);
  ip += 9;
  goto* ip->handler;
}

  // a[I] of locals: as the two above, the index worked out as its two records would; anything
  // else runs the four records one by one from the push of -7.
fop_PushLocalElement1D : {
  int32_t index;
  if (!LocalIndex1D(st, localsCache, ip, used + 24 <= limit, index)) goto fop_PushShort;
  const VariableNode* node = FindLocal(st, localsCache, ip->id3);
  const ScriptValue* element = node == nullptr ? nullptr : LocalElementOrValue(*node, index);
  if (element == nullptr) goto fop_PushShort;
  PushCopy(sp, *element);
  used += 16;
  Variable_ArrayError = false;
  ip += 4;
  goto* ip->handler;
}
fop_PopLocalElement1D : {
  int32_t index;
  if (!LocalIndex1D(st, localsCache, ip, used + 24 <= limit, index)) goto fop_PushShort;
  VariableNode* node = FindLocal(st, localsCache, ip->id3);
  if (node == nullptr) goto fop_PushShort;
  if (index == 0) {
    PopIntoValue(sp, used, *node, ip->typeByte, ip->slot);
  } else {
    const int32_t row = index / kArrayRowStride, column = index - row * kArrayRowStride;
    if (row < 0 || column < 0) goto fop_PushShort;
    PopIntoElement(sp, used, *node, row, column, ip->typeByte, ip->slot);
  }
  ip += 4;
  goto* ip->handler;
}

fop_PopLocal : {  // pop.v.U into a local
  VariableNode* node = localsCache->Find(ip->id);
  if (node == nullptr) node = CacheLocal(st, ip->id);
  if (node == nullptr) KF_FAST_SLOW();
  ScriptValue& value = *sp;
  ConvertForStore(value, ip->typeByte >> 4);
  ++sp;
  used -= ip->slot;
  node->value = std::move(value);
  KF_FAST_NEXT();
}

fop_PopInstanceVariable : {  // pop.v.U into a variable of self or other kept in its list
  // Argument slots, globals, a missing instance and built-ins outside the table are left
  // whole to the byte loop, which stores and reports.
  const auto k = static_cast<uint32_t>(ip->id - argumentFirst);
  if (argumentFirst >= 0 && k < static_cast<uint32_t>(kArgumentSlotCount)) KF_FAST_SLOW();
  const auto instance = static_cast<int16_t>(ip->word & 0xFFFF);
  CInstance* target = instance == -2 ? st.other : st.self;
  if (ip->id < kFirstListVariableId) {
    // A built-in variable (never a global one): its setter checks and acts, so it runs once,
    // here, and a value it refuses is reported from here.
    if (target == nullptr ||
        static_cast<uint32_t>(ip->id) >= static_cast<uint32_t>(Variable_BuiltIn_Direct.count)) {
      KF_FAST_SLOW();
    }
    ScriptValue& value = *sp;
    ConvertForStore(value, ip->typeByte >> 4);
    ++sp;
    used -= ip->slot;
    st.argsMaybeSet = kAllArgumentSlots;
    // x and y given a real: what their setters do, without the call.
    const BuiltinPlainField::Store store = Variable_BuiltIn_Direct.entries[ip->id].field.store;
    if (store != BuiltinPlainField::Store::Setter && value.IsReal()) {
      Variable_ArrayError = false;
      const auto coordinate = static_cast<float>(value.real);
      if (store == BuiltinPlainField::Store::PositionX) {
        target->SetPosition(coordinate, target->y);
      } else {
        target->SetPosition(target->x, coordinate);
      }
      KF_FAST_NEXT();
    }
    if (WriteBuiltinVariable(st, ip->id, target, value)) KF_FAST_NEXT();
    st.failedAt = ip->pc;
    pcOut = ip->pc;
    goto slow;
  }
  if (instance == -6 && Variable_IsGlobalVar(ip->id)) KF_FAST_SLOW();
  if (target == nullptr) KF_FAST_SLOW();
  ScriptValue& value = *sp;
  ConvertForStore(value, ip->typeByte >> 4);
  ++sp;
  used -= ip->slot;
  st.argsMaybeSet = kAllArgumentSlots;
  if (auto* node = const_cast<VariableNode*>(target->variables->FindNodeFrom(ip->id, ip->hint))) {
    Variable_ArrayError = false;
    ScriptValue_Copy(node->value, value);
  } else {
    target->variables->Set(ip->id, 0, value);
  }
  KF_FAST_NEXT();
}

fop_Add:
  if (FastBinary<VMOpcode::Add>(ip->typeByte, sp, used)) KF_FAST_NEXT();
  KF_FAST_SLOW();
fop_Sub:
  if (FastBinary<VMOpcode::Sub>(ip->typeByte, sp, used)) KF_FAST_NEXT();
  KF_FAST_SLOW();
fop_Mul:
  if (FastBinary<VMOpcode::Mul>(ip->typeByte, sp, used)) KF_FAST_NEXT();
  KF_FAST_SLOW();
  // op; pop.v.v L: two reals' result straight into the local; anything else (not two reals, a
  // divisor of zero, a local not there yet) runs the operation's record and then the pop's.
#define KF_FAST_BINARY_POP_LOCAL(Name, expression)                                     \
  fop_##Name##PopLocal : {                                                             \
    if (sp[0].Kind() != ValueKind::Real || sp[1].Kind() != ValueKind::Real) goto fop_##Name; \
    const double a = sp[1].real, b = sp[0].real;                                       \
    if (#Name[0] == 'D' && b == 0.0) goto fop_##Name;                                  \
    VariableNode* node = FindLocal(st, localsCache, ip->id);                           \
    if (node == nullptr) goto fop_##Name;                                              \
    node->value.SetReal(expression);                                                   \
    sp += 2;                                                                           \
    used -= 32;                                                                        \
    ip += 2;                                                                           \
    goto* ip->handler;                                                                 \
  }
  KF_FAST_REAL_ARITHMETIC(KF_FAST_BINARY_POP_LOCAL)
#undef KF_FAST_BINARY_POP_LOCAL
#undef KF_FAST_REAL_ARITHMETIC
fop_Div:
  if (FastBinary<VMOpcode::Div>(ip->typeByte, sp, used)) KF_FAST_NEXT();
  KF_FAST_SLOW();
fop_Slt:
  if (FastBinary<VMOpcode::Slt>(ip->typeByte, sp, used)) KF_FAST_NEXT();
  KF_FAST_SLOW();
fop_Sle:
  if (FastBinary<VMOpcode::Sle>(ip->typeByte, sp, used)) KF_FAST_NEXT();
  KF_FAST_SLOW();
fop_Seq:
  if (FastBinary<VMOpcode::Seq>(ip->typeByte, sp, used)) KF_FAST_NEXT();
  KF_FAST_SLOW();
fop_Sne:
  if (FastBinary<VMOpcode::Sne>(ip->typeByte, sp, used)) KF_FAST_NEXT();
  KF_FAST_SLOW();
fop_Sge:
  if (FastBinary<VMOpcode::Sge>(ip->typeByte, sp, used)) KF_FAST_NEXT();
  KF_FAST_SLOW();
fop_Sgt:
  if (FastBinary<VMOpcode::Sgt>(ip->typeByte, sp, used)) KF_FAST_NEXT();
  KF_FAST_SLOW();

fop_Conv : {
  const uint32_t conv = ip->typeByte;
  if (conv == 0x25 && sp->Kind() == ValueKind::Real) {
    Cell_SetInt(*sp, Cell_TruncToInt32(sp->real));
    used -= 12;
    KF_FAST_NEXT();
  }
  if (conv == 0x52) {
    Cell_SetVarReal(*sp, Cell_Int(*sp));
    used += 12;
    KF_FAST_GROWN();
  }
  if (conv == 0x45 && sp->Kind() == ValueKind::Real) {
    Cell_SetInt(*sp, sp->real > 0.5 ? 1 : 0);
    used -= 12;
    KF_FAST_NEXT();
  }
  if (conv == 0x42) {
    Cell_SetInt(*sp, Cell_Int(*sp) != 0 ? 1 : 0);
    KF_FAST_NEXT();
  }
  KF_FAST_SLOW();
}

fop_Neg:  // a real; anything else (a string, a container) in the byte loop
  if (!sp->IsReal()) KF_FAST_SLOW();
  sp->real = -sp->real;
  KF_FAST_NEXT();

fop_Popz:
  ++sp;
  used -= ip->slot;
  KF_FAST_NEXT();
fop_B:
  KF_FAST_JUMP();
fop_Bt:
  used -= 4;
  if (Cell_Bool(*sp++)) KF_FAST_JUMP();
  KF_FAST_NEXT();
fop_Bf:
  used -= 4;
  if (!Cell_Bool(*sp++)) KF_FAST_JUMP();
  KF_FAST_NEXT();

#undef KF_FAST_JUMP
#undef KF_FAST_BRANCH
#undef KF_FAST_SLOW
#undef KF_FAST_GROWN
#undef KF_FAST_NEXT

fop_Call : {  // a call made here; the code it enters (or returns to) goes on here too
  if (TerminationSignal_Pending()) [[unlikely]] goto at_step;
  // A script with records is entered here; everything else through the general call.
  const CCode* script = VM_ScriptOfCall(ip->id);
  if (script != nullptr && !VM_ScriptTrace && !g_VMSlowSteps) {
    const VMBuffer* bytecode = script->Bytecode();
    const VMDecoded* callee = bytecode != nullptr ? VM_Decoded(*bytecode) : nullptr;
    if (callee != nullptr) {
      st.pc = ip[1].pc;
      VM_EnterScript(st, *script, *bytecode, *callee, ip->imm, ip + 1, sp, used);
      if (used > limit) {
        pcOut = 0;
        goto step;
      }
      ip = callee->insns.data();
      localsCache = st.localsCache;
      goto* ip->handler;
    }
  }
  st.pc = ip[1].pc;
  if (static_cast<uint32_t>(ip->id) < static_cast<uint32_t>(kScriptFunctionBase)) {
    // A built-in: the code goes on at the next record unless the call asks for the byte loop.
    sp = VM_CallBuiltin(st, ip->id, ip->imm, sp);
    used -= kVMArgumentBytes * (ip->imm - 1);
    if (used > limit) {
      pcOut = st.pc;
      goto step;
    }
    if (g_VMSlowSteps) goto resume;
    ++ip;
    goto* ip->handler;
  }
  ScriptValue* spNow = sp;
  int32_t usedNow = used;
  const int32_t depth = st.depth;
  // VM_DoCall reports no errors of its own.
  if (VM_DoCall(st, ip->id, ip->imm, spNow, usedNow) != nullptr) __builtin_trap();
  sp = spNow;
  used = usedNow;
  // A call may take long (a dialog): a termination signal met during it is taken up at once.
  if (used > limit || TerminationSignal_Pending()) {
    pcOut = st.pc;
    goto step;
  }
  if (st.depth != depth) {  // a script was entered (one that runs byte by byte, or traced)
    st.seg->frames.Top().resume = ip + 1;
    dec = VM_Decoded(*st.buffer);
    if (dec != nullptr && !g_VMSlowSteps) {
      ip = dec->insns.data();
      localsCache = st.localsCache;
      goto* ip->handler;
    }
  }
  goto resume;
}
fop_Ret:  // ret.v: the top moves straight into the caller's result cell
  if (st.depth == 0) goto ip_to_slow;  // the end of the activation, in the byte loop
  returned = sp;
  goto leave;
fop_Exit:
  if (st.depth == 0) goto ip_to_slow;
  Cell_SetVarReal(st.returned, 0.0);
  returned = &st.returned;
  goto leave;
leave : {
    // A caller that called from here goes on at its next record without a look-up.
    const VMInsn* back = VM_LeaveScript(st, sp, used, *returned);
    if (back != nullptr && !g_VMSlowSteps) {
      ip = back;
      localsCache = st.localsCache;
      goto* ip->handler;
    }
  }
  goto resume;
// Goes on at st.pc in the code now running, when that code has a decoded form and nothing
// calls for the byte loop's step.
resume:
  pcOut = st.pc;
  if (g_VMSlowSteps) goto step;
  dec = VM_Decoded(*st.buffer);
  if (dec == nullptr || (ip = dec->At(pcOut)) == nullptr) goto step;
  localsCache = st.localsCache;
  goto* ip->handler;

ip_to_slow:
  pcOut = ip->pc;
  goto slow;
at_step:
  pcOut = ip->pc;
step:
  spInOut = sp;
  usedInOut = used;
  return true;
slow:
  spInOut = sp;
  usedInOut = used;
  return false;
}

const void* const* FastHandlers() {
  static const bool ready = [] {
    ScriptValue* sp = nullptr;
    int32_t used = 0, pc = 0;
    VMState st;
    RunDecoded(st, nullptr, sp, used, 0, pc);
    return true;
  }();
  (void)ready;
  return g_FastHandlers;
}

}  // namespace

const void* const* VM_FastHandlers() { return FastHandlers(); }

namespace {

// The segments made so far by nesting level, reached without the owning list's guard.
std::vector<VMSegment*> g_SegmentAt;

[[gnu::noinline]] void MakeSegment() {
  auto segment = std::make_unique<VMSegment>();
  segment->cells = std::make_unique<ScriptValue[]>(kStackCells + kGuardCells);
  g_SegmentAt.push_back(segment.get());
  Segments().push_back(std::move(segment));
}

// The stack of the next nesting level, taken until the SegmentRelease that follows.
[[gnu::always_inline]] inline VMSegment* TakeSegment() {
  if (g_ActiveSegments == g_SegmentAt.size()) [[unlikely]] MakeSegment();
  return g_SegmentAt[g_ActiveSegments++];
}
struct SegmentRelease {
  ~SegmentRelease() { --g_ActiveSegments; }
};

// Where the byte loop takes up an activation: at the code's first instruction, or where the
// decoded records of a prepared run handed over to it (RunDecoded's answer: the loop's step,
// the instruction at pc byte by byte, or a record's failure still to report).
enum class LoopEntry : uint8_t { Start, Step, Fetch, Failed };

struct LoopStart {
  LoopEntry entry = LoopEntry::Start;
  ScriptValue* sp = nullptr;
  int32_t used = kTopReserve;
  int32_t pc = 0;
  ScriptValue* result = nullptr;   // receives the value the code leaves, when given
  bool ownLocals = false;          // the activation took a locals list, given back at its end
  int32_t savedArgumentCount = 0;  // Code_ArgumentCount, put back at the end
};

// Runs an activation whose state is set up to its end (or its error).
[[gnu::noinline]] void ExecLoop(VMState& st, const LoopStart& start) {
  // One handler per opcode, reached through a table of their addresses; each handler ends by
  // fetching and dispatching the next instruction itself.
  static void* dispatch[256];
  static bool dispatchReady = false;
  if (!dispatchReady) {
    for (void*& entry : dispatch) entry = &&op_Break;
#define KF_VM_HANDLER(name, byte, text, operand, pops, pushes) dispatch[byte] = &&op_##name;
    KF_VM_OPCODES(KF_VM_HANDLER)
#undef KF_VM_HANDLER
    dispatchReady = true;
  }

  VMSegment* const seg = st.seg;
  ScriptValue* const result = start.result;
  const bool ownLocals = start.ownLocals;
  const int32_t savedArgumentCount = start.savedArgumentCount;
  // The running code's decoded form (null: it runs byte by byte).
  const VMDecoded* dec = VM_Decoded(*st.buffer);
  ScriptValue* const stackStart = st.stackStart;
  ScriptValue* sp = start.sp;
  const uint8_t* codeBase = st.code;
  int32_t codeSize = st.codeSize;
  int32_t pc = start.pc;
  int32_t used = start.used;
  int32_t limit = st.stackSize - kMinFreeBytes;  // above this, fewer than 1024 bytes remain
  bool exited = false;
  const char* message = nullptr;
  int32_t instructionPc = 0;
  uint32_t word = 0;
  uint32_t typeByte = 0;
  const uint8_t* operand = nullptr;
  VMOpcode binary = VMOpcode::Add;
  bool isRet = false;

  auto slot = [](uint32_t type) { return VM_SlotSize(type & 0x0F); };

// Fetch the next instruction and jump to its handler; anything unusual (the end of the code,
// the stack near its limit, a damaged stack, tracing, breakpoints) takes the slow step.
#define KF_VM_FETCH_RAW()                     \
  std::memcpy(&word, codeBase + pc, 4);       \
  pc += 4;                                    \
  typeByte = (word >> 16) & 0xFF;             \
  operand = codeBase + pc;                    \
  if ((word & 0x40000000u) != 0) {            \
    pc += kVMOperandSizes[typeByte & 0x0F];   \
    if (pc > codeSize) goto operand_past_end; \
  }                                           \
  goto* dispatch[word >> 24]
// Code with a decoded form goes on from its record unless every step must be slow.
#define KF_VM_FETCH()                                         \
  if (dec != nullptr && !g_VMSlowSteps) {                     \
    if (const VMInsn* ip = dec->At(pc)) {                     \
      ScriptValue* spNow = sp;                                \
      int32_t usedNow = used, pcNow = 0;                      \
      const bool step = RunDecoded(st, ip, spNow, usedNow, limit, pcNow); \
      sp = spNow;                                             \
      used = usedNow;                                         \
      pc = pcNow;                                             \
      codeBase = st.code;                                     \
      codeSize = st.codeSize;                                 \
      dec = VM_Decoded(*st.buffer);           \
      if (st.failedAt >= 0) [[unlikely]] goto decoded_failed; \
      if (step) goto slow_step;                               \
      goto slow_fetch;                                        \
    }                                                         \
  }                                                           \
  KF_VM_FETCH_RAW()
#define KF_VM_DISPATCH()                                                      \
  do {                                                                        \
    if (pc + 4 > codeSize || sp > stackStart || g_VMSlowSteps) [[unlikely]] { \
      goto slow_step;                                                         \
    }                                                                         \
    KF_VM_FETCH();                                                            \
  } while (false)
// After an instruction that may have used more of the stack the limit is checked too: only
// these instructions can cross it, so this is the same as checking before every instruction.
#define KF_VM_DISPATCH_GROWN()        \
  do {                                \
    if (used > limit) goto slow_step; \
    KF_VM_DISPATCH();                 \
  } while (false)
// pc := the branch word + 4 * its offset, refused outside the code. (Branches carry no
// operand: the word is the 4 bytes before pc.)
#define KF_VM_BRANCH()                                                         \
  do {                                                                         \
    int32_t target = pc - 4 + 4 * SignExtend24(word);                          \
    if (target < 0 || target > codeSize) goto branch_outside;                  \
    if (target < pc && TerminationSignal_Pending()) [[unlikely]] goto stopped; \
    pc = target;                                                               \
  } while (false)

  switch (start.entry) {
    case LoopEntry::Step:
      goto slow_step;
    case LoopEntry::Fetch:
      goto slow_fetch;
    case LoopEntry::Failed:
      goto decoded_failed;
    case LoopEntry::Start:
      break;
  }
  KF_VM_DISPATCH_GROWN();

slow_step:
  if (TerminationSignal_Pending()) [[unlikely]] goto stopped;
  if (pc + 4 > codeSize) {
    // The end of the code: a script call returns 0 to its caller; the activation ends.
    if (st.depth == 0) goto finished;
    Cell_SetVarReal(st.returned, 0.0);
    ReturnFromScript(st, sp, used, codeBase, codeSize, pc, st.returned);
    dec = VM_Decoded(*st.buffer);
    KF_VM_DISPATCH();
  }
  if (used > limit) {
    if (used > g_MaxStackUse) {
      g_MaxStackUse = used;
      if (used > kMaxStackBytes) VM_SetTrace(true);
    }
    if (st.stackSize >= kMaxStackBytes) {
      instructionPc = pc;
      message = "Stack overflow...";
      goto fail_before_fetch;
    }
    st.stackSize += kStackStepBytes;
    limit = st.stackSize - kMinFreeBytes;
  }
  if (sp > stackStart) {
    instructionPc = pc;
    message = "Execution Error - stack underflow";
    goto fail_before_fetch;
  }
  if (g_VMSlowSteps) {
    st.pc = pc;
    st.code = codeBase;
    st.codeSize = codeSize;
    st.argsMaybeSet = kAllArgumentSlots;
    VM_DebugStep(st, used);
  }
  KF_VM_FETCH();
// One instruction of decoded code run by the byte loop.
slow_fetch:
  KF_VM_FETCH_RAW();

op_Conv : {  // pop T, push it converted to U
  // The conversions loops and indices use most, inline.
  if (typeByte == 0x25 && sp->Kind() == ValueKind::Real) {  // .v real to .i
    Cell_SetInt(*sp, Cell_TruncToInt32(sp->real));
    used -= 12;
    KF_VM_DISPATCH();
  }
  if (typeByte == 0x52) {  // .i to .v
    Cell_SetVarReal(*sp, Cell_Int(*sp));
    used += 12;
    KF_VM_DISPATCH_GROWN();
  }
  if (typeByte == 0x45 && sp->Kind() == ValueKind::Real) {  // .v real to .b
    Cell_SetInt(*sp, sp->real > 0.5 ? 1 : 0);
    used -= 12;
    KF_VM_DISPATCH();
  }
  if (typeByte == 0x42) {  // .i to .b
    Cell_SetInt(*sp, Cell_Int(*sp) != 0 ? 1 : 0);
    KF_VM_DISPATCH();
  }
  if ((message = VM_DoConv(typeByte, *sp)) != nullptr) goto fail;
  used += slot(typeByte >> 4) - slot(typeByte);
  KF_VM_DISPATCH_GROWN();
}

op_Add:  // push U + T; strings concatenate
  if (FastBinary<VMOpcode::Add>(typeByte, sp, used)) KF_VM_DISPATCH();
  binary = VMOpcode::Add;
  goto binary_general;
op_Sub:  // push U - T
  if (FastBinary<VMOpcode::Sub>(typeByte, sp, used)) KF_VM_DISPATCH();
  binary = VMOpcode::Sub;
  goto binary_general;
op_Mul:  // push U * T; number times string repeats it
  if (FastBinary<VMOpcode::Mul>(typeByte, sp, used)) KF_VM_DISPATCH();
  binary = VMOpcode::Mul;
  goto binary_general;
op_Slt:  // push .b U < T
  if (FastBinary<VMOpcode::Slt>(typeByte, sp, used)) KF_VM_DISPATCH();
  binary = VMOpcode::Slt;
  goto binary_general;
op_Sle:  // push .b U <= T
  if (FastBinary<VMOpcode::Sle>(typeByte, sp, used)) KF_VM_DISPATCH();
  binary = VMOpcode::Sle;
  goto binary_general;
op_Seq:  // push .b U == T
  if (FastBinary<VMOpcode::Seq>(typeByte, sp, used)) KF_VM_DISPATCH();
  binary = VMOpcode::Seq;
  goto binary_general;
op_Sne:  // push .b U != T
  if (FastBinary<VMOpcode::Sne>(typeByte, sp, used)) KF_VM_DISPATCH();
  binary = VMOpcode::Sne;
  goto binary_general;
op_Sge:  // push .b U >= T
  if (FastBinary<VMOpcode::Sge>(typeByte, sp, used)) KF_VM_DISPATCH();
  binary = VMOpcode::Sge;
  goto binary_general;
op_Sgt:  // push .b U > T
  if (FastBinary<VMOpcode::Sgt>(typeByte, sp, used)) KF_VM_DISPATCH();
  binary = VMOpcode::Sgt;
  goto binary_general;
op_Div:  // push U / T
  binary = VMOpcode::Div;
  goto binary_general;
op_Rem:  // push trunc(U / T)
  binary = VMOpcode::Rem;
  goto binary_general;
op_Mod:  // push U mod T
  binary = VMOpcode::Mod;
  goto binary_general;
op_And:  // push U & T, or U && T on booleans
  binary = VMOpcode::And;
  goto binary_general;
op_Or:  // push U | T, or U || T on booleans
  binary = VMOpcode::Or;
  goto binary_general;
op_Xor:  // push U ^ T, or U ^^ T on booleans
  binary = VMOpcode::Xor;
  goto binary_general;
op_Shl:  // push U << T
  binary = VMOpcode::Shl;
  goto binary_general;
op_Shr:  // push U >> T
  binary = VMOpcode::Shr;
  goto binary_general;
binary_general : {
  // Not while the debugger may stop, and show the variable, before the store.
  const bool storedBack = binary == VMOpcode::Add && !VM_BreakpointsSet &&
                          StoredBackAlone(st, codeBase, codeSize, pc, sp[1]);
  if ((message = VM_DoBinary(binary, typeByte, sp, storedBack)) != nullptr) goto fail;
  VMType rt = VM_ResultType(binary, static_cast<VMType>(typeByte >> 4),
                            static_cast<VMType>(typeByte & 0x0F));
  used += slot(static_cast<uint32_t>(rt)) - slot(typeByte) - slot(typeByte >> 4);
  ++sp;
  KF_VM_DISPATCH();
}

op_Neg:  // push -T
  if ((message = VM_DoUnary(VMOpcode::Neg, typeByte, sp)) != nullptr) goto fail;
  KF_VM_DISPATCH();
op_Not:  // push !T on booleans, ~T on numbers
  if ((message = VM_DoUnary(VMOpcode::Not, typeByte, sp)) != nullptr) goto fail;
  KF_VM_DISPATCH();

op_Push : {  // push a constant of type T, or for .v the value of a variable
  // Tested one after the other, most frequent first: better predicted than a jump table.
  const uint32_t t = typeByte & 0x0F;
  if (t == static_cast<uint32_t>(VMType::Var)) {
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
    if (sp > stackStart) goto underflow;
    const auto id = static_cast<int32_t>(var & kVMVarIdMask);
    if (instance == -7 && !g_VMTrace) {
      // A local, straight from its node once found.
      VariableNode* node = st.localsCache->Find(id);
      if (node == nullptr) node = CacheLocal(st, id);
      const ScriptValue* local = node == nullptr ? nullptr
                                 : index == 0    ? &node->value
                                                 : LocalElement(*node, index);
      if (local != nullptr) {
        if (index == 0 && local->Kind() == ValueKind::Real && !g_VMSlowSteps && used + 32 <= limit) {
          const int32_t after = FusedLocalIdiom(st, codeBase, codeSize, pc, word, var, node->value);
          if (after >= 0) {
            if (after < pc && TerminationSignal_Pending()) [[unlikely]] goto stopped;
            pc = after;
            KF_VM_DISPATCH();
          }
        }
        --sp;
        used += 16;
        *sp = *local;
        Variable_ArrayError = false;
        KF_VM_DISPATCH_GROWN();
      }
    }
    --sp;
    used += 16;
    Cell_SetVarReal(*sp, 0.0);
    if (!PushVariableSlow(st, instance, id, index, *sp)) goto fail;
    KF_VM_DISPATCH_GROWN();
  }
  if (t == static_cast<uint32_t>(VMType::Error)) {  // the 16-bit immediate
    --sp;
    Cell_SetInt(*sp, static_cast<int16_t>(word & 0xFFFF));
    used += 4;
    KF_VM_DISPATCH_GROWN();
  }
  if (t == static_cast<uint32_t>(VMType::Int) || t == static_cast<uint32_t>(VMType::Float) ||
      t == static_cast<uint32_t>(VMType::Bool)) {
    --sp;
    Cell_SetBits(*sp, operand, 4);
    used += 4;
    KF_VM_DISPATCH_GROWN();
  }
  if (t == static_cast<uint32_t>(VMType::Double) || t == static_cast<uint32_t>(VMType::Long)) {
    --sp;
    Cell_SetBits(*sp, operand, 8);
    used += 8;
    KF_VM_DISPATCH_GROWN();
  }
  if (t == static_cast<uint32_t>(VMType::String)) {
    uint32_t index;
    std::memcpy(&index, operand, 4);
    std::string_view text;
    --sp;
    if (index == kVMNullString || !VM_String(index, text)) text = {};
    sp->SetString(text);
    used += 4;
    KF_VM_DISPATCH_GROWN();
  }
  KF_VM_DISPATCH_GROWN();  // other types push nothing
}

op_Pop : {  // pop [index] [instance] value; store the value (type U) into the variable
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
  if (sp >= stackStart) goto underflow;
  ScriptValue& value = *sp;
  const uint32_t valueType = typeByte >> 4;
  switch (static_cast<VMType>(valueType)) {
    case VMType::Var:
      break;
    case VMType::Double:
      Cell_SetVarReal(value, value.real);
      break;
    case VMType::Float:
      Cell_SetVarReal(value, Cell_Float(value));
      break;
    case VMType::Int:
      Cell_SetVarReal(value, Cell_Int(value));
      break;
    case VMType::Long:
      Cell_SetVarReal(value, static_cast<double>(Cell_Long(value)));
      break;
    case VMType::Bool:
      Cell_SetVarReal(value, Cell_Bool(value) ? 1.0 : 0.0);
      break;
    case VMType::String:  // already a string value
      break;
    default:
      message = "Pop :: Execution Engine";
      goto fail;
  }
  ++sp;
  used -= slot(valueType);
  const auto id = static_cast<int32_t>(var & kVMVarIdMask);
  if (instance == -7 && index == 0 && !g_VMTrace) {
    VariableNode* node = st.localsCache->Find(id);
    if (node == nullptr) node = CacheLocal(st, id);
    if (node != nullptr) {
      // The popped cell is dropped: its bytes move into the variable.
      node->value = std::move(value);
      KF_VM_DISPATCH();
    }
  }
  Variable_ArrayError = false;
  if (!PopVariableSlow(st, instance, id, index, value)) goto fail;
  KF_VM_DISPATCH();
}

op_Dup : {  // push a copy of the top (type T)
  const uint32_t t = typeByte & 0x0F;
  --sp;
  if (t == static_cast<uint32_t>(VMType::Var) || t == static_cast<uint32_t>(VMType::String)) {
    *sp = sp[1];
  } else {
    Cell_SetLong(*sp, Cell_Long(sp[1]));
  }
  used += slot(t);
  KF_VM_DISPATCH_GROWN();
}

op_Popz:  // discard the top (type T)
  ++sp;
  used -= slot(typeByte);
  KF_VM_DISPATCH();

op_B:  // pc := word + 4 * offset
  KF_VM_BRANCH();
  KF_VM_DISPATCH();
op_Bt:  // pop .b; branch when true
  used -= 4;
  if (Cell_Bool(*sp++)) KF_VM_BRANCH();
  KF_VM_DISPATCH();
op_Bf:  // pop .b; branch when false
  used -= 4;
  if (!Cell_Bool(*sp++)) KF_VM_BRANCH();
  KF_VM_DISPATCH();

op_PushEnv : {  // pop .i instance; open a with environment, or branch when none runs
  const int32_t instance = Cell_Int(*sp++);
  used -= 4;
  bool skip = false;
  int32_t usedNow = used;
  message = VM_PushEnv(st, instance, usedNow, skip);
  used = usedNow;
  if (message != nullptr) goto fail;
  if (skip) KF_VM_BRANCH();
  KF_VM_DISPATCH_GROWN();
}
op_PopEnv : {  // next instance and branch back, or close the environment
  bool again = false;
  int32_t usedNow = used;
  message = VM_PopEnv(st, word == kVMPopEnvClose, usedNow, again);
  used = usedNow;
  if (message != nullptr) goto fail;
  if (again) KF_VM_BRANCH();
  KF_VM_DISPATCH();
}

op_Call : {  // pop argc .v arguments, push the result .v
  if ((typeByte & 0x0F) != static_cast<uint32_t>(VMType::Int)) {
    message = "DoCall :: Execution Engine type error";
    goto fail;
  }
  int32_t id;
  std::memcpy(&id, operand, 4);
  const int32_t argc = static_cast<int32_t>(word & 0xFFFF);
  if (argc > stackStart - sp) goto underflow;
  if (TerminationSignal_Pending()) [[unlikely]] goto stopped;
  st.pc = pc;
  st.code = codeBase;
  st.codeSize = codeSize;
  ScriptValue* spNow = sp;
  int32_t usedNow = used;
  message = VM_DoCall(st, id, argc, spNow, usedNow);
  sp = spNow;
  used = usedNow;
  if (message != nullptr) goto fail;
  if (TerminationSignal_Pending()) [[unlikely]] goto stopped;
  codeBase = st.code;
  codeSize = st.codeSize;
  pc = st.pc;
  dec = VM_Decoded(*st.buffer);
  KF_VM_DISPATCH_GROWN();
}

op_Ret:  // return the top (type T) from the script call
  isRet = true;
  goto leave;
op_Exit:  // end the script call (result 0) or the whole code
  isRet = false;
  goto leave;
leave : {
  if (isRet) {
    if (sp >= stackStart) goto underflow;
    if (!VM_ToVar(*sp, typeByte)) {
      message = "DoConv :: Execution Error";
      goto fail;
    }
  }
  if (st.depth == 0) {
    exited = !isRet;
    goto finished;
  }
  // The value travels in the state: no object with a destructor lives across a dispatch.
  if (isRet) {
    st.returned = std::move(*sp);
  } else {
    Cell_SetVarReal(st.returned, 0.0);
  }
  ReturnFromScript(st, sp, used, codeBase, codeSize, pc, st.returned);
  dec = VM_Decoded(*st.buffer);
  KF_VM_DISPATCH();
}

op_Break:  // debugger marks and unassigned opcodes do nothing
  KF_VM_DISPATCH();


#undef KF_VM_BRANCH
#undef KF_VM_DISPATCH_GROWN
#undef KF_VM_DISPATCH
#undef KF_VM_FETCH
#undef KF_VM_FETCH_RAW

finished:
  Code_ArgumentCount = savedArgumentCount;
  if (result != nullptr && !exited && sp < stackStart) {
    *result = std::move(*sp);
  }
  seg->withs.clear();
  if (ownLocals) VM_GiveBackLocals();
  return;

// A termination signal: the code and every script it called are left where they are, as an
// error that does not end the process leaves them.
stopped:
  UnwindAll(st);
  if (ownLocals) VM_GiveBackLocals();
  Code_ArgumentCount = savedArgumentCount;
  return;

decoded_failed:
  instructionPc = st.failedAt;
  st.failedAt = -1;
  message = nullptr;
  goto fail_before_fetch;
operand_past_end:
  message = "Execution Error - instruction runs past the end of the code";
  goto fail;
branch_outside:
  message = "Execution Error - branch outside the code";
  goto fail;
underflow:
  message = "Execution Error - stack underflow";
  goto fail;
fail:
  // The failing instruction starts before its word and operand.
  instructionPc = pc - 4 - ((word & 0x40000000u) != 0 ? kVMOperandSizes[(word >> 16) & 0x0F] : 0);
fail_before_fetch:
  st.pc = instructionPc;
  st.code = codeBase;
  st.codeSize = codeSize;
  VM_Error(st, message != nullptr ? std::string(message) : st.errorText, used);
  // Reached only when the error does not end the process: abandon the activation.
  UnwindAll(st);
  if (ownLocals) VM_GiveBackLocals();
  Code_ArgumentCount = savedArgumentCount;
}

}  // namespace

void VM_Exec(std::string_view name, CInstance* self, CInstance* other, const VMBuffer& code,
             ScriptValue* result, const VMBuffer* debugInfo, std::string_view sourceText) {
  const CodeNestingScope nesting;
  VMSegment* seg = TakeSegment();
  SegmentRelease release;
  VMState st;
  st.seg = seg;
  st.self = self;
  st.other = other;
  st.code = code.Data();
  st.codeSize = code.Size();
  st.buffer = &code;
  const VMCodeIdentity ident{debugInfo, sourceText, name};
  st.ident = &ident;
  if (nesting.Refused()) [[unlikely]] {
    VM_Error(st, "Stack overflow...", kTopReserve);
    return;
  }
  const VMDecoded* dec = VM_Decoded(code);
  LoopStart start;
  // Code that names no local runs without a locals list.
  start.ownLocals = dec == nullptr || dec->usesLocals;
  if (start.ownLocals) st.locals = VM_TakeLocals(st.localsCache);
  st.stackStart = seg->cells.get() + kStackCells;  // cells above it are the guard
  st.stackSize = kInitialStackBytes;
  start.savedArgumentCount = Code_ArgumentCount;
  if (VM_ScriptTrace) g_DebugConsole->Output("script = %s\n", std::string(name).c_str());
  start.sp = st.stackStart;
  start.result = result;
  ExecLoop(st, start);
}

void VM_ResetPreparedState(VMPrepared& prepared) {
  VMState& st = prepared.state;
  st = VMState();
  if (prepared.buffer == nullptr) return;
  st.code = prepared.buffer->Data();
  st.codeSize = prepared.buffer->Size();
  st.buffer = prepared.buffer;
  st.ident = &prepared.ident;
  st.stackSize = kInitialStackBytes;
}

void VM_RunPrepared(VMPrepared& prepared, CInstance* self, CInstance* other) {
  if (g_VMSlowSteps || VM_ScriptTrace || prepared.busy) [[unlikely]] {
    ScriptValue result;
    VM_Exec(prepared.ident.name, self, other, *prepared.buffer, &result,
            prepared.ident.debugInfo, prepared.ident.source);
    return;
  }
  const CodeNestingScope nesting;
  if (nesting.Refused()) [[unlikely]] {
    // Refused there as well, with the machine's report.
    ScriptValue result;
    VM_Exec(prepared.ident.name, self, other, *prepared.buffer, &result, prepared.ident.debugInfo,
            prepared.ident.source);
    return;
  }
  VMSegment* seg = TakeSegment();
  SegmentRelease release;
  // What a run through the records changes of the state and does not put back: set anew.
  VMState& st = prepared.state;
  if (st.seg != seg) [[unlikely]] {
    st.seg = seg;
    st.stackStart = seg->cells.get() + kStackCells;
  }
  st.self = self;
  st.other = other;
  st.pc = 0;
  st.line = 0;
  st.argsMaybeSet = kAllArgumentSlots;
  const bool ownLocals = prepared.usesLocals;
  if (ownLocals) st.locals = VM_TakeLocals(st.localsCache);
  const int32_t savedArgumentCount = Code_ArgumentCount;
  ScriptValue* sp = st.stackStart;
  int32_t used = kTopReserve;
  int32_t pc = 0;
  prepared.busy = true;
  struct Done {
    VMPrepared& prepared;
    ~Done() { prepared.busy = false; }
  } done{prepared};
  const bool step =
      RunDecoded(st, prepared.entry, sp, used, kInitialStackBytes - kMinFreeBytes, pc);
  if (step && st.failedAt < 0 && st.depth == 0 && pc + 4 > st.codeSize) [[likely]] {
    // The records ran to the end of the code: the byte loop would finish at once.
    Code_ArgumentCount = savedArgumentCount;
    if (sp < st.stackStart) [[unlikely]] {
      ScriptValue dropped(std::move(*sp));
    }
    if (!seg->withs.empty()) [[unlikely]] seg->withs.clear();
    if (ownLocals) VM_GiveBackLocals();
    return;
  }
  ScriptValue result;
  LoopStart start;
  start.entry = st.failedAt >= 0 ? LoopEntry::Failed : step ? LoopEntry::Step : LoopEntry::Fetch;
  start.sp = sp;
  start.used = used;
  start.pc = pc;
  start.result = &result;
  start.ownLocals = ownLocals;
  start.savedArgumentCount = savedArgumentCount;
  // The state goes back to its start even when the loop's error ends the run by throwing.
  struct Reset {
    VMPrepared& prepared;
    ~Reset() { VM_ResetPreparedState(prepared); }
  } reset{prepared};
  ExecLoop(st, start);
}
