// The virtual machine: runs bytecode for an instance (self) and a second instance (other).
// Script calls made from bytecode run inside the same activation on the same value stack;
// built-in and extension functions are called directly. Every machine error is fatal.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "script/script_value.h"
#include "script/vm_buffer.h"

class CCode;
class CInstance;
class CVariableList;
class tagIConsole;

// Runs code to its end. When result is given it receives the value the code leaves: an
// expression's value, or a program's `return` value; otherwise it is left as it was.
void VM_Exec(std::string_view name, CInstance* self, CInstance* other, const VMBuffer& code,
             ScriptValue* result, const VMBuffer* debugInfo, std::string_view sourceText);

// Runs a compiled code object's bytecode (the executor of Code_Run).
void VM_ExecCode(const CCode& code, CInstance* self, CInstance* other, ScriptValue& result);

// Makes the compile driver generate bytecode and Code_Run execute it on this machine.
void VM_Install();

// Scripts by number (a script call's id minus 100000): the code object, or null when there
// is no such script. A script whose code has no bytecode gives the real 0.
using VMScriptLookup = const CCode* (*)(int32_t scriptNumber);
void VM_SetScriptLookup(VMScriptLookup lookup);
// Extension functions by number (id minus 500000); false when there is none.
using VMExtensionCall = bool (*)(int32_t number, int argc, ScriptValue* args, ScriptValue& result);
void VM_SetExtensionCall(VMExtensionCall call);

// The built-in variables argument0 to argument15 as ids first to first + 15. The built-in
// variable table calls this when reading those variables (with no array index, from any
// instance) gives exactly the argument slots; the machine then reads the slots itself.
// -1 (the start): every read goes through the table.
void VM_SetArgumentVariables(int32_t first);

// Debug switches: the instruction trace and the script trace ("-trace").
void VM_SetTrace(bool on);
bool VM_TraceOn();
extern bool VM_ScriptTrace;
// Source-line breakpoints (line counted from 1); at most 10, further ones are ignored.
void VM_Breakpoint_Add(std::string_view name, int32_t line);
void VM_Breakpoint_Clear();
// Set while any breakpoint exists (read before every instruction).
extern bool VM_BreakpointsSet;
int32_t VM_Breakpoint_Count();

// Where the machine stands when it reaches a breakpoint (or the next line after a step).
struct VMBreak {
  std::string name;      // the code's name
  int32_t line = 0;      // from 0
  std::string lineText;
  // "name (line n) - text" with lines from 1 as -bp names them, the innermost first: the place
  // itself, then each caller.
  std::vector<std::string> callStack;
  const CVariableList* locals = nullptr;  // the running code's locals; null when none
  CInstance* self = nullptr;
  bool step = false;  // reached by a step rather than a breakpoint
};
// What the machine does after a break: run on, or stop again at the next line reached.
enum class VMBreakResume { Run, StepLine };
// The debugger's stop. Without one a breakpoint raises a debug trap when a native debugger is
// attached and is otherwise passed by.
using VMBreakHandler = std::function<VMBreakResume(const VMBreak& place)>;
void VM_SetBreakHandler(VMBreakHandler handler);

// How a machine error ends. The default shows the report as a fatal error of the running
// action and ends the process at once with status 255. A handler installed here (the test
// suites) receives the message and the report instead; the activation then ends cleanly.
using VMErrorHandler = std::function<void(const std::string& message, const std::string& report)>;
void VM_SetErrorHandler(VMErrorHandler handler);

// Bytes of the machine's stack in use at most so far (the original slot sizes).
int32_t VM_MaxStackUse();

// One disassembly line for the instruction at offset (written to console); the offset of
// the next instruction, or -1 when the instruction runs past the end of the code.
int32_t VM_Disassemble(const uint8_t* code, int32_t size, int32_t offset, tagIConsole& console);
// Every instruction of a buffer.
std::string VM_DisassembleAll(const VMBuffer& code);

// Debug information: records {code offset, source position} sorted by code offset.
struct VMDebugRecord {
  int32_t codeOffset;
  int32_t sourcePosition;
};
bool VM_DebugInfo_Find(const VMBuffer* debugInfo, int32_t pc, VMDebugRecord& record);
// 0-based line of a record's position; -1 without a record.
int32_t VM_DebugInfo_Line(const VMDebugRecord* record, std::string_view source);
// The text of that line (up to a line end or 255 bytes); "<unknown source line>" without one.
std::string VM_DebugInfo_Text(const VMDebugRecord* record, std::string_view source);
