// Code objects: one piece of script (an event's action, a script, creation code, a user
// constant's value, execute_string text, ...) made from source text and compiled once, or
// made from a stored bytecode entry of the game data, and the entry points that run it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "script/compiler/code_node.h"
#include "script/script_value.h"
#include "script/vm_buffer.h"

class CInstance;

enum class CodeKind : int32_t {
  Program = 1,     // statements
  Expression = 2,  // one expression
  Constant = 3,    // an expression that compiled to one constant
};

class CCode {
 public:
  // From source text; the text is kept with the object.
  CCode(std::string text, bool isExpression);
  // From entry n of the stored-code table; compiled from the start. An n outside the table
  // gives an empty compiled code that runs nothing.
  static std::unique_ptr<CCode> Stored(int32_t n, bool isExpression);
  virtual ~CCode() = default;
  CCode(const CCode&) = delete;
  CCode& operator=(const CCode&) = delete;

  // Runs the compiler's phases and, with the virtual machine in use, the bytecode
  // generator. The name gets every whitespace character replaced by '_'. False with a
  // pending compile error; a second call is refused.
  bool Compile(std::string_view name);

  const std::string& GetText() const { return text_; }
  CodeKind Kind() const { return kind_; }
  bool IsCompiled() const { return compiled_; }
  const std::string& Name() const { return name_; }
  const CodeNode& Root() const { return root_; }
  const ScriptValue& Constant() const { return constant_; }
  // Null when there is none.
  const VMBuffer* Bytecode() const { return bytecode_.Empty() ? nullptr : &bytecode_; }
  const VMBuffer* DebugInfo() const { return debugInfo_.Empty() ? nullptr : &debugInfo_; }
  // The text handed to the virtual machine for its error reports.
  const std::string& SourceCopy() const { return sourceCopy_; }

  // For the bytecode generator: the code and its line table.
  void SetBytecode(VMBuffer bytecode, VMBuffer debugInfo);

 private:
  CCode() = default;

  CodeKind kind_ = CodeKind::Program;
  bool compiled_ = false;
  std::string text_;
  CodeNode root_;
  ScriptValue constant_;
  VMBuffer bytecode_;
  VMBuffer debugInfo_;
  std::string sourceCopy_;
  std::string name_;
};

// One entry of the stored-code table that the game data loader fills. The spans view
// memory the loader keeps for the whole run.
struct StoredCodeEntry {
  std::string name;
  std::span<const uint8_t> bytecode;
  std::span<const uint8_t> lineTable;  // count x 8 bytes; empty when not loaded
  std::string source;                  // from the debug side file; empty when not loaded
};
void Code_SetStoredTable(std::vector<StoredCodeEntry> entries);
const std::vector<StoredCodeEntry>& Code_StoredTable();

// Virtual machine (on, the default) or parse-tree interpreter ("-oldexec").
void Code_SetUseVM(bool on);
bool Code_UseVM();
// Counts the changes of the executors (Code_SetUseVM, Code_SetVMExecutor,
// Code_SetTreeExecutor): what a caller worked out for the executor in use is good while this
// stays the same.
extern uint64_t Code_ExecutorChanges;
// Whether code given bytecode keeps its parse tree too (on by default, for callers that switch
// executors after compiling). The runner turns it off: a game running on the virtual machine
// never walks the trees, and they would hold more memory than the bytecode.
void Code_SetKeepTrees(bool keep);

// Installed by the bytecode generator: fills code through SetBytecode; false after
// reporting a compile error.
using CodeGenerator = std::function<bool(CCode& code)>;
void Code_SetGenerator(CodeGenerator generator);
// Installed by the virtual machine: runs code's bytecode (it reports its own errors).
using CodeVMExecutor =
    std::function<void(const CCode& code, CInstance* self, CInstance* other, ScriptValue& result)>;
void Code_SetVMExecutor(CodeVMExecutor executor);
// The machine's executor when it is a plain function; null otherwise or when none is set.
using CodeVMFunction = void (*)(const CCode& code, CInstance* self, CInstance* other,
                                ScriptValue& result);
CodeVMFunction Code_VMFunction();
// Installed by the tree interpreter: runs code's tree; false after reporting an error.
using CodeTreeExecutor =
    std::function<bool(const CCode& code, CInstance* self, CInstance* other, ScriptValue& result)>;
void Code_SetTreeExecutor(CodeTreeExecutor executor);

// Runs code with the executor in use. False after a pending error.
bool Code_Run(CInstance* self, CInstance* other, const CCode& code, ScriptValue& result);
// Code_Run; a failure is shown as an action error (not fatal).
bool Code_Execute(CInstance* self, CInstance* other, const CCode& code, ScriptValue& result);
// Code_Execute for code whose value nobody reads (an event's), with one step less on the
// virtual machine (which shows its own errors).
bool Code_ExecuteEvent(CInstance* self, CInstance* other, const CCode& code);
// Code_Run; a failure makes result the string "ERROR" and leaves the error pending.
bool Code_Execute_Value(CInstance* self, CInstance* other, const CCode& code,
                        ScriptValue& result);

// Names the owners give their code before compiling it.
std::string Code_NameObjectEvent(std::string_view object, std::string_view event, int32_t action);
std::string Code_NameScript(std::string_view script);
std::string Code_NameRoom(std::string_view room);
std::string Code_NameInstance(std::string_view room, int32_t instance);
std::string Code_NameLibrary(int32_t number);
std::string Code_NameConstant(int32_t number);
std::string Code_NameTrigger(std::string_view trigger);
std::string Code_NameExecute(int32_t number);
std::string Code_NameExtension(std::string_view package, std::string_view function);
