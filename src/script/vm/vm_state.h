// The machine's state shared by its loop and its slow paths (calls, with environments,
// errors, tracing). Internal to the machine.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "script/script_value.h"
#include "script/vm_buffer.h"

class CInstance;
class CVariableList;
struct VariableNode;
struct VMLocalsCache;
struct VMInsn;

inline constexpr uint32_t kAllArgumentSlots = 0xFFFF;

// What the error report and the trace name a running code object by. A script's lives with
// its decoded form, the outermost code's with the activation, so a call saves one pointer.
struct VMCodeIdentity {
  const VMBuffer* debugInfo = nullptr;
  std::string_view source;
  std::string_view name;
};

// What a script call saves of its caller. On the original machine it was written over the
// arguments on the value stack; here it lives on a stack of its own while the value stack
// counts its bytes. What a call and its return touch comes first, the argument slots last.
struct VMFrame {
  VMFrame* below = nullptr;  // the frame pushed before it while it is on the stack
  const VMInsn* resume = nullptr;  // the decoded record the caller goes on at, if it has one
  const VMBuffer* buffer = nullptr;  // the caller's code
  const VMCodeIdentity* ident = nullptr;
  ScriptValue* stackBase = nullptr;  // the caller's stack before it pushed the arguments
  ScriptValue* callerArgs = nullptr;  // the caller's argument slots
  CVariableList* locals = nullptr;
  VMLocalsCache* localsCache = nullptr;
  CInstance* self = nullptr;
  CInstance* other = nullptr;
  int32_t pc = 0;
  int32_t usedBase = 0;              // bytes in use there
  int32_t line = 0;
  int32_t argc = 0;                  // the caller's argument count
  uint32_t withDepth = 0;            // with environments of the caller
  uint32_t callerArgsMaybeSet = 0;   // which of its slots may hold other than the real 0
  // The callee's argument slots. The record outlives the call, so the slots it left holding
  // something other than the real 0 are remembered and cleared by the next call that uses it.
  uint32_t argsMaybeSet = 0;
  std::array<ScriptValue, 16> args;
};

// A with environment: saved self and other, and the instances still to visit.
struct VMWith {
  CInstance* savedSelf = nullptr;
  CInstance* savedOther = nullptr;
  std::vector<CInstance*> order;
  size_t cursor = 0;
  int32_t bytes = 0;  // what the record took on the original stack
};

// A stack of frames whose records stay allocated when popped, so a call builds nothing. A
// record never moves: Code_Arguments points into the argument slots of the innermost one.
class VMFrameStack {
 public:
  VMFrame& Push() {
    if (count_ == built_) [[unlikely]] Grow();
    VMFrame* frame = frames_[count_++].get();
    frame->below = top_;
    top_ = frame;
    return *frame;
  }
  void Pop() {
    --count_;
    top_ = top_->below;
  }
  VMFrame& Top() { return *top_; }
  bool Empty() const { return count_ == 0; }
  size_t Size() const { return count_; }
  // From the innermost frame outwards.
  const VMFrame& FromTop(size_t i) const { return *frames_[count_ - 1 - i]; }

 private:
  [[gnu::noinline]] void Grow() {
    frames_.push_back(std::make_unique<VMFrame>());
    built_ = frames_.size();
  }

  std::vector<std::unique_ptr<VMFrame>> frames_;
  VMFrame* top_ = nullptr;
  size_t count_ = 0;
  size_t built_ = 0;  // records made so far
};

// Nodes of a locals list, found once and then reached directly. A list's nodes stay where
// they are until the list is cleared, which only the pool does, and the pool empties the
// cache with it.
struct VMLocalsCache {
  static constexpr size_t kSize = 64;
  std::array<int32_t, kSize> ids;
  std::array<VariableNode*, kSize> nodes;
  VMLocalsCache() { Reset(); }
  void Reset() { ids.fill(-1); }
  VariableNode* Find(int32_t id) const {
    size_t at = static_cast<uint32_t>(id) & (kSize - 1);
    return ids[at] == id ? nodes[at] : nullptr;
  }
  void Put(int32_t id, VariableNode* node) {
    size_t at = static_cast<uint32_t>(id) & (kSize - 1);
    ids[at] = id;
    nodes[at] = node;
  }
};

// One activation level's stack: cells, frames and with environments, kept for reuse.
struct VMSegment {
  std::unique_ptr<ScriptValue[]> cells;
  VMFrameStack frames;
  std::vector<VMWith> withs;
};

struct VMState {
  VMSegment* seg = nullptr;
  ScriptValue* stackStart = nullptr;
  int32_t stackSize = 0;
  CVariableList* locals = nullptr;
  VMLocalsCache* localsCache = nullptr;
  CInstance* self = nullptr;
  CInstance* other = nullptr;
  const uint8_t* code = nullptr;
  int32_t codeSize = 0;
  int32_t pc = 0;
  const VMBuffer* buffer = nullptr;  // the bytes of code, which keep its decoded form
  const VMCodeIdentity* ident = nullptr;
  int32_t line = 0;
  int32_t depth = 0;
  // The running script's argument slots that may hold something other than the real 0; the
  // others surely do. All sixteen once anything but the machine's own calls may have written
  // them (a built-in, an extension, a variable hook, the debugger) and at the start.
  uint32_t argsMaybeSet = kAllArgumentSlots;
  std::string errorText;  // a machine error's message built from names
  // A decoded record that failed and reported nothing yet: the offset of its instruction (its
  // message is in errorText); -1 when none.
  int32_t failedAt = -1;
  ScriptValue returned;   // a script call's result on its way to the caller
};

// The instruction trace, and whether every instruction takes the slow step (trace or
// breakpoints on).
extern bool g_VMTrace;
extern bool g_VMSlowSteps;

// Slow paths of the loop. Each answers null or a machine error's message.
const char* VM_DoCall(VMState& st, int32_t id, int32_t argc, ScriptValue*& sp, int32_t& used);
// A built-in's call (id below the scripts'): the argc values on top of the stack are its
// arguments; answers the stack with them replaced by its result.
ScriptValue* VM_CallBuiltin(VMState& st, int32_t id, int32_t argc, ScriptValue* sp);
// Back to the caller of the innermost script call (its code and pc in the state).
void VM_ReturnFromScript(VMState& st, ScriptValue*& sp, int32_t& used, ScriptValue& value);
const char* VM_PushEnv(VMState& st, int32_t instance, int32_t& used, bool& skip);
const char* VM_PopEnv(VMState& st, bool closeNow, int32_t& used, bool& again);
// Trace line and breakpoints before an instruction.
void VM_DebugStep(VMState& st, int32_t used);
// The error report; returns only when the error does not end the process.
void VM_Error(VMState& st, const std::string& message, int32_t used);
// Points the argument slots back at the caller's of a frame; changed: the callee's slots that
// may hold something other than the real 0.
void VM_RestoreArguments(VMFrame& frame, uint32_t changed);
// Locals lists of script calls.
CVariableList* VM_TakeLocals(VMLocalsCache*& cache);
void VM_GiveBackLocals();
