#include "script/code.h"

#include "script/compiler/compile_error_sink.h"
#include "script/compiler/lexer.h"
#include "script/compiler/phases.h"
#include "script/error_report.h"

namespace {

struct Executors {
  bool useVM = true;
  bool keepTrees = true;
  CodeGenerator generator;
  CodeVMExecutor vm;
  // The machine's executor when it is a plain function (the runner's), called without the
  // std::function.
  CodeVMFunction vmDirect = nullptr;
  CodeTreeExecutor tree;
  std::vector<StoredCodeEntry> stored;
};

Executors& State() {
  static Executors state;
  return state;
}

bool IsWhitespace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace

CCode::CCode(std::string text, bool isExpression)
    : kind_(isExpression ? CodeKind::Expression : CodeKind::Program), text_(std::move(text)) {}

std::unique_ptr<CCode> CCode::Stored(int32_t n, bool isExpression) {
  std::unique_ptr<CCode> code(new CCode());
  code->kind_ = isExpression ? CodeKind::Expression : CodeKind::Program;
  const auto& table = State().stored;
  if (n >= 0 && n < static_cast<int32_t>(table.size())) {
    const StoredCodeEntry& entry = table[static_cast<size_t>(n)];
    code->name_ = entry.name;
    code->bytecode_ = VMBuffer::View(entry.bytecode);
    code->debugInfo_ = VMBuffer::View(entry.lineTable);
    code->text_ = entry.source;
  }
  code->compiled_ = true;
  code->sourceCopy_ = code->text_;
  return code;
}

void CCode::SetBytecode(VMBuffer bytecode, VMBuffer debugInfo) {
  bytecode_ = std::move(bytecode);
  debugInfo_ = std::move(debugInfo);
}

bool CCode::Compile(std::string_view name) {
  name_.assign(name);
  for (char& c : name_) {
    if (IsWhitespace(c)) c = '_';
  }
  if (compiled_) {
    Compiler_ReportError(*this, 0, "Internal Error: Recompiling compiled code.");
    return false;
  }
  CodeNode root;
  {
    // The token lists live only for the compile.
    CodeTokenList tokens;
    if (!Code_Phase1(*this, tokens)) return false;
    CodeElementList elements;
    if (!Code_Phase2(*this, tokens, elements)) return false;
    tokens = CodeTokenList();
    bool parsed = kind_ == CodeKind::Program ? Code_Phase3_Program(*this, elements, root)
                                             : Code_Phase3_Expression(*this, elements, root);
    if (!parsed) return false;
  }
  if (!Code_Phase4(*this, root)) return false;
  root_ = std::move(root);
  if (kind_ == CodeKind::Expression && root_.kind == NodeKind::Constant) {
    kind_ = CodeKind::Constant;
    constant_ = root_.constant;
  }
  compiled_ = true;
  if (State().useVM) {
    sourceCopy_ = text_;
    if (kind_ != CodeKind::Constant && State().generator) {
      if (!State().generator(*this)) {
        compiled_ = false;
        return false;
      }
      if (!State().keepTrees) root_ = CodeNode();
    }
  }
  return true;
}

void Code_SetStoredTable(std::vector<StoredCodeEntry> entries) {
  State().stored = std::move(entries);
}
const std::vector<StoredCodeEntry>& Code_StoredTable() { return State().stored; }

uint64_t Code_ExecutorChanges = 0;

void Code_SetUseVM(bool on) {
  State().useVM = on;
  ++Code_ExecutorChanges;
}
void Code_SetKeepTrees(bool keep) { State().keepTrees = keep; }
bool Code_UseVM() { return State().useVM; }
void Code_SetGenerator(CodeGenerator generator) { State().generator = std::move(generator); }
void Code_SetVMExecutor(CodeVMExecutor executor) {
  const CodeVMFunction* plain = executor.target<CodeVMFunction>();
  State().vmDirect = plain != nullptr ? *plain : nullptr;
  State().vm = std::move(executor);
  ++Code_ExecutorChanges;
}
CodeVMFunction Code_VMFunction() { return State().vmDirect; }
void Code_SetTreeExecutor(CodeTreeExecutor executor) {
  State().tree = std::move(executor);
  ++Code_ExecutorChanges;
}

namespace {
// Code_Run on the machine, which reports its own errors.
[[gnu::always_inline]] inline void RunOnMachine(const Executors& state, CInstance* self,
                                                CInstance* other, const CCode& code,
                                                ScriptValue& result) {
  if (code.Kind() == CodeKind::Constant) {
    result = code.Constant();
    return;
  }
  if (!code.IsCompiled() || code.Bytecode() == nullptr) return;
  if (state.vmDirect != nullptr) {
    state.vmDirect(code, self, other, result);
  } else if (state.vm) {
    state.vm(code, self, other, result);
  }
}
}  // namespace

bool Code_Run(CInstance* self, CInstance* other, const CCode& code, ScriptValue& result) {
  Compiler_ClearError();
  const Executors& state = State();
  if (state.useVM) {
    RunOnMachine(state, self, other, code, result);
    return true;
  }
  if (!code.IsCompiled()) {
    Compiler_ReportError(code, 0, "Internal Error: Executing non-compiled code->");
    return false;
  }
  if (code.Kind() == CodeKind::Constant) {
    result = code.Constant();
    return true;
  }
  if (self == nullptr || other == nullptr) {
    Compiler_ReportError(code, 0, "Internal Error: Executing code for nil instance.");
    return false;
  }
  ScriptValue_FreeString(result);
  if (!state.tree) return true;
  return state.tree(code, self, other, result);
}

bool Code_Execute(CInstance* self, CInstance* other, const CCode& code, ScriptValue& result) {
  bool ok = Code_Run(self, other, code, result);
  if (!ok) {
    Error_Show_Action(Compiler_LastError().text, false);
    Compiler_ClearError();
  }
  return ok;
}

bool Code_ExecuteEvent(CInstance* self, CInstance* other, const CCode& code) {
  const Executors& state = State();
  ScriptValue result;
  if (!state.useVM) return Code_Execute(self, other, code, result);
  Compiler_ClearError();
  RunOnMachine(state, self, other, code, result);
  return true;
}

bool Code_Execute_Value(CInstance* self, CInstance* other, const CCode& code,
                        ScriptValue& result) {
  bool ok = Code_Run(self, other, code, result);
  if (!ok) result.SetString("ERROR");
  return ok;
}

std::string Code_NameObjectEvent(std::string_view object, std::string_view event, int32_t action) {
  return "Object." + std::string(object) + "." + std::string(event) + "." + std::to_string(action);
}
std::string Code_NameScript(std::string_view script) { return "Script." + std::string(script); }
std::string Code_NameRoom(std::string_view room) { return "Room." + std::string(room); }
std::string Code_NameInstance(std::string_view room, int32_t instance) {
  return "Instance." + std::string(room) + "." + std::to_string(instance);
}
std::string Code_NameLibrary(int32_t number) { return "Library." + std::to_string(number); }
std::string Code_NameConstant(int32_t number) { return "Constant." + std::to_string(number); }
std::string Code_NameTrigger(std::string_view trigger) { return "Trigger." + std::string(trigger); }
std::string Code_NameExecute(int32_t number) { return "Execute." + std::to_string(number); }
std::string Code_NameExtension(std::string_view package, std::string_view function) {
  return "Extension." + std::string(package) + "." + std::string(function);
}
