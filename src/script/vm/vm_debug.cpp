// The machine's diagnostics: disassembly, debug information, the instruction trace,
// breakpoints and the error report.
#include <algorithm>
#include <csignal>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <new>
#include <string>
#include <vector>

#include "platform/console.h"
#include "runner/instance.h"
#include "script/code.h"
#include "script/compile_error.h"
#include "script/compiler/user_variables.h"
#include "script/error_report.h"
#include "script/function_table.h"
#include "script/global_variables.h"
#include "script/variable_list.h"
#include "script/vm/vm.h"
#include "script/vm/vm_opcodes.h"
#include "script/vm/vm_state.h"
#include "script/vm/vm_strings.h"

namespace {

constexpr size_t kMaxBreakpoints = 10;

struct Breakpoint {
  std::string name;
  int32_t line = 0;  // from 0
  bool enabled = true;
};

std::vector<Breakpoint>& Breakpoints() {
  static std::vector<Breakpoint> list;
  return list;
}

VMBreakHandler& BreakHandler() {
  static VMBreakHandler handler;
  return handler;
}

// The line the machine stood at before the current instruction.
struct LastPlace {
  const VMCodeIdentity* ident = nullptr;
  int32_t line = -2;
  int32_t pc = -1;
};
LastPlace& Last() {
  static LastPlace place;
  return place;
}

// Set after a "step" at a break: the next line reached stops again.
bool g_StepToNextLine = false;

VMErrorHandler& ErrorHandler() {
  static VMErrorHandler handler;
  return handler;
}

std::string Printf(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Printf(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  int n = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  std::string text(n > 0 ? static_cast<size_t>(n) : 0, '\0');
  if (n > 0) std::vsnprintf(text.data(), text.size() + 1, format, args);
  va_end(args);
  return text;
}

void PadTo(std::string& line, size_t column) {
  if (line.size() < column) line.append(column - line.size(), ' ');
}

int32_t InstanceId(const CInstance* instance) { return instance != nullptr ? instance->id : 0; }

bool TracerAttached() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("TracerPid:", 0) == 0) return std::atoi(line.c_str() + 10) != 0;
  }
  return false;
}

int32_t LineOf(const VMBuffer* debugInfo, int32_t pc, std::string_view source, std::string* text) {
  VMDebugRecord record;
  bool found = VM_DebugInfo_Find(debugInfo, pc, record);
  if (text != nullptr) *text = VM_DebugInfo_Text(found ? &record : nullptr, source);
  return VM_DebugInfo_Line(found ? &record : nullptr, source);
}

}  // namespace

// --- disassembly -------------------------------------------------------------------------

int32_t VM_Disassemble(const uint8_t* code, int32_t size, int32_t offset, tagIConsole& console) {
  if (offset < 0 || offset + 4 > size) return -1;
  uint32_t word;
  std::memcpy(&word, code + offset, 4);
  const auto op = static_cast<uint8_t>(word >> 24);
  const uint32_t typeByte = (word >> 16) & 0xFF;
  const bool hasOperand = (op & kVMOperandFollows) != 0;
  const int32_t operandSize = hasOperand ? VM_GetOperandSize(typeByte) : 0;
  if (offset + 4 + operandSize > size) return -1;

  std::string line = Printf("%08x : ", static_cast<uint32_t>(offset));
  for (int32_t i = 0; i < 4 + operandSize; ++i) line += Printf("%02x", code[offset + i]);
  PadTo(line, 36);
  std::string_view name = kVMOpcodeTable[op].name;
  line += name.empty() ? std::string_view("unknown") : name;
  const int suffixes = VM_SuffixCount(op);
  if (suffixes >= 1) line += VM_TypeSuffix(typeByte & 0x0F);
  if (suffixes == 2) line += VM_TypeSuffix(typeByte >> 4);
  PadTo(line, 46);
  const uint8_t* operand = code + offset + 4;
  if (hasOperand) {
    uint32_t u32 = 0;
    if (operandSize >= 4) std::memcpy(&u32, operand, 4);
    switch (static_cast<VMType>(typeByte & 0x0F)) {
      case VMType::Double: {
        double d;
        std::memcpy(&d, operand, 8);
        line += Printf("%f", d);
        break;
      }
      case VMType::Float: {
        float f;
        std::memcpy(&f, operand, 4);
        line += Printf("%f", static_cast<double>(f));
        break;
      }
      case VMType::Int: {
        auto id = static_cast<int32_t>(u32);
        const BuiltinFunctionEntry* entry =
            op == static_cast<uint8_t>(VMOpcode::Call) && id < kScriptFunctionBase
                ? Function_Get(id)
                : nullptr;
        line += entry != nullptr ? entry->name : Printf("%d", id);
        break;
      }
      case VMType::Long: {
        long long l;
        std::memcpy(&l, operand, 8);
        line += Printf("%lld", l);
        break;
      }
      case VMType::Bool:
        line += u32 != 0 ? "true" : "false";
        break;
      case VMType::Var:
        line += "$" + Code_Variable_Name(static_cast<int32_t>(u32 & kVMVarIdMask)) + "$";
        break;
      case VMType::String: {
        std::string_view text;
        if (u32 == kVMNullString || !VM_String(u32, text)) text = {};
        line += "\"" + std::string(text) + "\"";
        break;
      }
      case VMType::Error:
        line += Printf("%d", static_cast<int16_t>(word & 0xFFFF));
        break;
      default:
        break;
    }
  } else if ((op & 0x20) != 0) {
    int32_t offset24 = static_cast<int32_t>(word << 8) >> 8;
    line += Printf("0x%08x", static_cast<uint32_t>(offset + 4 * offset24));
  }
  line += "\n";
  console.Output("%s", line.c_str());
  return offset + 4 + operandSize;
}

std::string VM_DisassembleAll(const VMBuffer& code) {
  TMemoryConsole out;
  int32_t offset = 0;
  while (offset >= 0 && offset < code.Size())
    offset = VM_Disassemble(code.Data(), code.Size(), offset, out);
  return out.Text();
}

// --- debug information ---------------------------------------------------------------------

bool VM_DebugInfo_Find(const VMBuffer* debugInfo, int32_t pc, VMDebugRecord& record) {
  if (debugInfo == nullptr) return false;
  const size_t count = static_cast<size_t>(debugInfo->Size()) / 8;
  if (count == 0) return false;
  const uint8_t* data = debugInfo->Data();
  bool found = false;
  for (size_t i = 0; i < count; ++i) {
    VMDebugRecord r;
    std::memcpy(&r.codeOffset, data + 8 * i, 4);
    std::memcpy(&r.sourcePosition, data + 8 * i + 4, 4);
    if (r.codeOffset > pc) break;
    record = r;
    found = true;
  }
  return found;
}

int32_t VM_DebugInfo_Line(const VMDebugRecord* record, std::string_view source) {
  if (record == nullptr) return -1;
  if (source.empty()) return 0;
  int64_t position =
      std::clamp<int64_t>(record->sourcePosition, 0, static_cast<int64_t>(source.size()) - 1);
  int32_t line = 0;
  for (int64_t i = 1; i <= position; ++i) {
    if (source[static_cast<size_t>(i)] == '\n') ++line;
  }
  return line;
}

std::string VM_DebugInfo_Text(const VMDebugRecord* record, std::string_view source) {
  if (record == nullptr) return "<unknown source line>";
  // The position counts UTF-8 characters: find its byte.
  std::vector<size_t> starts;
  for (size_t i = 0; i < source.size(); ++i) {
    if ((static_cast<unsigned char>(source[i]) & 0xC0) != 0x80) starts.push_back(i);
  }
  if (starts.empty()) return "";
  int64_t character =
      std::clamp<int64_t>(record->sourcePosition, 0, static_cast<int64_t>(starts.size()) - 1);
  size_t at = starts[static_cast<size_t>(character)];
  size_t begin = source.rfind('\n', at);
  begin = begin == std::string_view::npos ? 0 : begin + 1;
  if (begin > at) begin = at;
  size_t end = begin;
  // A line ends at a carriage return or a line feed, and is cut at 255 bytes.
  while (end < source.size() && source[end] != '\r' && source[end] != '\n' && end - begin < 255)
    ++end;
  return std::string(source.substr(begin, end - begin));
}

namespace {

bool BreakpointAt(const VMState& st) {
  for (const Breakpoint& bp : Breakpoints()) {
    if (bp.enabled && bp.line == st.line && bp.name == st.ident->name) return true;
  }
  return false;
}

void Stop(const VMState& st, const std::string& lineText) {
  // Lines as -bp names them: from 1.
  auto shown = [](int32_t line) { return line >= 0 ? line + 1 : line; };
  const bool step = g_StepToNextLine;
  g_StepToNextLine = false;
  if (!BreakHandler()) {
    if (TracerAttached()) std::raise(SIGTRAP);
    return;
  }
  VMBreak place;
  place.name = std::string(st.ident->name);
  place.line = st.line;
  place.lineText = lineText;
  place.callStack.push_back(Printf("%s (line %d) - %s", place.name.c_str(), shown(st.line), lineText.c_str()));
  const VMFrameStack& frames = st.seg->frames;
  for (size_t i = 0; i < frames.Size(); ++i) {
    const VMFrame& frame = frames.FromTop(i);
    std::string callerText;
    const int32_t callerLine = LineOf(frame.ident->debugInfo, frame.pc, frame.ident->source, &callerText);
    place.callStack.push_back(Printf("%s (line %d) - %s", std::string(frame.ident->name).c_str(), shown(callerLine),
                                     callerText.c_str()));
  }
  place.locals = st.locals;
  place.self = st.self;
  place.step = step;
  g_StepToNextLine = BreakHandler()(place) == VMBreakResume::StepLine;
  // Watches run while the machine waited; the place they moved is this one again.
  Last() = {st.ident, st.line, st.pc};
}

}  // namespace

// --- breakpoints and trace -----------------------------------------------------------------

bool VM_BreakpointsSet = false;
bool g_VMTrace = false;
bool g_VMSlowSteps = false;

void VM_SetTrace(bool on) {
  g_VMTrace = on;
  g_VMSlowSteps = g_VMTrace || VM_BreakpointsSet;
}
bool VM_TraceOn() { return g_VMTrace; }

void VM_Breakpoint_Add(std::string_view name, int32_t line) {
  if (Breakpoints().size() >= kMaxBreakpoints) return;
  Breakpoints().push_back({std::string(name), line - 1, true});
  VM_BreakpointsSet = true;
  g_VMSlowSteps = true;
}
void VM_Breakpoint_Clear() {
  Breakpoints().clear();
  Last() = LastPlace();
  g_StepToNextLine = false;
  VM_BreakpointsSet = false;
  g_VMSlowSteps = g_VMTrace;
}
int32_t VM_Breakpoint_Count() { return static_cast<int32_t>(Breakpoints().size()); }

void VM_SetBreakHandler(VMBreakHandler handler) { BreakHandler() = std::move(handler); }

void VM_DebugStep(VMState& st, int32_t used) {
  std::string text;
  st.line = LineOf(st.ident->debugInfo, st.pc, st.ident->source, &text);
  if (!Breakpoints().empty()) {
    // A line is reached when the machine comes to it from another line or another piece of
    // code, or jumps back into it (a loop): its other instructions do not stop again.
    LastPlace& last = Last();
    const bool reached = st.ident != last.ident || st.line != last.line || st.pc <= last.pc;
    last = {st.ident, st.line, st.pc};
    if (reached && (g_StepToNextLine || BreakpointAt(st))) Stop(st, text);
  }
  if (g_VMTrace) {
    g_DebugConsole->Output(
        "%08x(%08x) # %s@%d(%08x) : %s\n", static_cast<uint32_t>(InstanceId(st.self)),
        static_cast<uint32_t>(InstanceId(st.other)), std::string(st.ident->name).c_str(), st.line,
        static_cast<uint32_t>(used), text.size() > 1 ? text.c_str() + 1 : "");
    VM_Disassemble(st.code, st.codeSize, st.pc, *g_DebugConsole);
  }
}

// --- errors ------------------------------------------------------------------------------

void VM_SetErrorHandler(VMErrorHandler handler) { ErrorHandler() = std::move(handler); }

namespace {

// The report's variables, and the frames of the calls that led to the error.
void DumpVariablesAndFrames(VMState& st, int32_t line, const std::string& rule, TMemoryConsole& out) {
  if (st.locals != nullptr && st.locals->Count() > 0) {
    out.Output("%s\n", rule.c_str());
    out.Output("Local Variables : \n");
    st.locals->Dump(out);
  }
  if (st.self != nullptr && st.self->variables && st.self->variables->Count() > 0) {
    out.Output("Self Variables : \n");
    st.self->variables->Dump(out);
  }
  if (Variable_GlobalList().Count() > 0) {
    out.Output("Global Variables : \n");
    Variable_GlobalList().Dump(out);
  }
  const VMFrameStack& frames = st.seg->frames;
  if (!frames.Empty()) {
    out.Output("stack frame is\n%s (line %d)\n", std::string(st.ident->name).c_str(), line);
    for (size_t i = 0; i < frames.Size(); ++i) {
      const VMFrame* it = &frames.FromTop(i);
      std::string callerText;
      int32_t callerLine = LineOf(it->ident->debugInfo, it->pc, it->ident->source, &callerText);
      out.Output("called from - %s (line %d) - %s\n", std::string(it->ident->name).c_str(), callerLine,
                 callerText.c_str());
      if (it->locals != nullptr) it->locals->Dump(out);
    }
  }
}

}  // namespace

void VM_Error(VMState& st, const std::string& message, int32_t /*used*/) {
  if (Debug_EvaluatingWatches) {
    Code_PendingError = true;
    return;
  }
  const std::string rule(92, '#');
  TMemoryConsole out;
  std::string lineText;
  int32_t line = LineOf(st.ident->debugInfo, st.pc, st.ident->source, &lineText);
  out.Output("%s\n", rule.c_str());
  out.Output("VMError!! Occurred - %s\n", message.c_str());
  out.Output(" at %s (line %d) - %s\n", std::string(st.ident->name).c_str(), line, lineText.c_str());
  out.Output("%s\n", rule.c_str());
  try {
    DumpVariablesAndFrames(st, line, rule, out);
  } catch (const std::bad_alloc&) {
    // A value too large for the memory left is not shown; the report still is.
    out.Output("(the variables are too large to show)\n");
  }
  if (ErrorHandler()) {
    ErrorHandler()(message, out.Text());
    return;
  }
  Error_Show_Action(out.Text(), true);
  std::fflush(nullptr);
  std::_Exit(255);
}
