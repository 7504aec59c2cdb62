#include "script/code_exec.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "data/game_options.h"
#include "data/scripts.h"
#include "platform/conversions.h"
#include "platform/termination_signal.h"
#include "runner/instance.h"
#include "script/code.h"
#include "script/code_nesting.h"
#include "script/compiler/compile_error_sink.h"
#include "script/compiler/token.h"
#include "script/compiler/user_variables.h"
#include "script/function_table.h"
#include "script/global_variables.h"
#include "script/operators.h"
#include "script/variable_access.h"
#include "script/variable_errors.h"

namespace {

constexpr size_t kMaxCallArguments = 16;

TreeScriptCall g_ScriptCall = Script_Perform;
TreeExtensionCall g_ExtensionCall = nullptr;

ExecStatus Fail(const CodeExecContext& context, const CodeNode& node, const std::string& message) {
  Compiler_ReportError(*context.code, node.position, message);
  return ExecStatus::Error;
}

bool IsLabel(const CodeNode& node) {
  return node.kind == NodeKind::Case || node.kind == NodeKind::Default ||
         node.kind == NodeKind::ConstantCase;
}

// "Unknown variable NAME", with " or array index out of bounds" when an index was given.
std::string UnknownVariable(int32_t id, int32_t index) {
  std::string text = "Unknown variable " + Code_Variable_Name(id);
  if (index != 0) text += " or array index out of bounds";
  return text;
}

// Truth of loop conditions: the value narrowed to single precision, at least one half.
bool LoopTruth(double value) { return static_cast<float>(value) >= 0.5f; }

// ---- variables --------------------------------------------------------------------------

struct VariableTarget {
  int32_t instance = kInstanceSelf;
  int32_t id = 0;
  int32_t index = 0;
};

ExecStatus ResolveTarget(CodeExecContext& context, const CodeNode& node, VariableTarget& target) {
  target.id = node.value;
  target.index = 0;
  if (node.kind == NodeKind::FixedVariable) {
    target.instance = node.instance;
    return ExecStatus::Normal;
  }
  if (node.children.empty()) {
    target.instance = kInstanceDefault;
    return ExecStatus::Normal;
  }
  ScriptValue value;
  if (Code_Exec_Expression(context, node.children[0], value) != ExecStatus::Normal) {
    return ExecStatus::Error;
  }
  if (!value.IsReal()) return Fail(context, node.children[0], "Wrong type of variable index");
  target.instance = Conv_RoundToInt32(value.real);
  std::vector<ScriptValue> subscripts(node.children.size() - 1);
  for (size_t i = 1; i < node.children.size(); ++i) {
    if (Code_Exec_Expression(context, node.children[i], subscripts[i - 1]) != ExecStatus::Normal) {
      return ExecStatus::Error;
    }
  }
  if (const char* error = Variable_BuildArrayIndex(subscripts, target.index)) {
    return Fail(context, node, error);
  }
  return ExecStatus::Normal;
}

bool ReadTarget(CodeExecContext& context, const VariableTarget& t, ScriptValue& out) {
  switch (t.instance) {
    case kInstanceLocal:
      return context.locals != nullptr && context.locals->Get(t.id, t.index, out);
    case kInstanceDefault:
      if (Variable_IsGlobalVar(t.id)) return Variable_Global_Get(t.id, t.index, out);
      return Variable_GetValue(context.self, t.id, t.index, out);
    case kInstanceGlobal: return Variable_Global_Get(t.id, t.index, out);
    case kInstanceNoone: return false;
    case kInstanceOther: return Variable_GetValue(context.other, t.id, t.index, out);
    case kInstanceSelf: return Variable_GetValue(context.self, t.id, t.index, out);
    default: return Variable_GetThrough(t.instance, t.id, t.index, out);
  }
}

bool WriteTarget(CodeExecContext& context, const VariableTarget& t, const ScriptValue& value) {
  switch (t.instance) {
    case kInstanceLocal:
      if (context.locals == nullptr) context.locals = std::make_unique<CVariableList>();
      return context.locals->Set(t.id, t.index, value);
    case kInstanceDefault:
      if (Variable_IsGlobalVar(t.id)) return Variable_Global_Set(t.id, t.index, value);
      return Variable_SetValue(context.self, t.id, t.index, value);
    case kInstanceGlobal: return Variable_Global_Set(t.id, t.index, value);
    case kInstanceNoone: return false;
    case kInstanceOther: return Variable_SetValue(context.other, t.id, t.index, value);
    case kInstanceSelf: return Variable_SetValue(context.self, t.id, t.index, value);
    default: return Variable_SetThrough(t.instance, t.id, t.index, value);
  }
}

ExecStatus ReadVariable(CodeExecContext& context, const CodeNode& node, ScriptValue& result) {
  VariableTarget target;
  if (ResolveTarget(context, node, target) != ExecStatus::Normal) return ExecStatus::Error;
  if (ReadTarget(context, target, result)) return ExecStatus::Normal;
  if (Option_UnsetVariables) {
    result.SetReal(0.0);
    return ExecStatus::Normal;
  }
  return Fail(context, node, UnknownVariable(target.id, target.index));
}

int32_t CompoundOperator(int32_t assignment) {
  switch (static_cast<TokenKind>(assignment)) {
    case TokenKind::AssignAdd: return static_cast<int32_t>(TokenKind::Plus);
    case TokenKind::AssignSubtract: return static_cast<int32_t>(TokenKind::Minus);
    case TokenKind::AssignMultiply: return static_cast<int32_t>(TokenKind::Multiply);
    case TokenKind::AssignDivide: return static_cast<int32_t>(TokenKind::Divide);
    case TokenKind::AssignOr: return static_cast<int32_t>(TokenKind::BitOr);
    case TokenKind::AssignAnd: return static_cast<int32_t>(TokenKind::BitAnd);
    case TokenKind::AssignXor: return static_cast<int32_t>(TokenKind::BitXor);
    default: return 0;
  }
}

// True when the variable of target holds the bytes of the string value, and no other value
// but that one does. Only plain variables count: a built-in variable's setter sees what it is
// given.
bool TargetAloneHolds(CodeExecContext& context, const VariableTarget& target, const ScriptValue& value) {
  if (target.id < kFirstListVariableId || value.TextHolders() != 2) return false;
  // Read, the variable's value is a third holder of the bytes when it is the other one.
  ScriptValue held;
  return ReadTarget(context, target, held) && held.SharesTextWith(value) && value.TextHolders() == 3;
}

// left op right as Code_BinaryOp applies it, for a result stored into target next: a string
// joined onto bytes that target alone holds besides left grows them in place.
bool OperateForStore(CodeExecContext& context, int32_t position, int32_t op,
                     const VariableTarget& target, ScriptValue& left, const ScriptValue& right) {
  if (op == static_cast<int32_t>(TokenKind::Plus) && left.IsString() && right.IsString() &&
      TargetAloneHolds(context, target, left)) {
    if (const char* error = Operator_Concatenate(left, right.Text(), true)) {
      Compiler_ReportError(*context.code, position, error);
      return false;
    }
    return true;
  }
  return Code_BinaryOp(*context.code, position, op, left, right);
}

// True for the value of s = s + t: a binary + whose left operand is the assigned variable,
// named the same fixed way.
bool AddsOntoTarget(const CodeNode& target, const CodeNode& value) {
  if (value.kind != NodeKind::Binary || value.value != static_cast<int32_t>(TokenKind::Plus) ||
      value.children.size() != 2) {
    return false;
  }
  const CodeNode& left = value.children[0];
  return target.kind == NodeKind::FixedVariable && left.kind == NodeKind::FixedVariable &&
         left.value == target.value && left.instance == target.instance;
}

ExecStatus Assign(CodeExecContext& context, const CodeNode& node, ScriptValue& result) {
  if (node.children.size() != 2) return Fail(context, node, "Statement expected.");
  const CodeNode& targetNode = node.children[0];
  const CodeNode& valueNode = node.children[1];
  VariableTarget target;
  if (ResolveTarget(context, targetNode, target) != ExecStatus::Normal) return ExecStatus::Error;
  ScriptValue value;
  const int32_t op = CompoundOperator(node.value);
  if (op == 0 && AddsOntoTarget(targetNode, valueNode)) {
    // The binary + evaluated here as an expression would evaluate it, its result known to be
    // stored back.
    ScriptValue right;
    if (Code_Exec_Expression(context, valueNode.children[0], value) != ExecStatus::Normal ||
        Code_Exec_Expression(context, valueNode.children[1], right) != ExecStatus::Normal ||
        !OperateForStore(context, valueNode.position, valueNode.value, target, value, right)) {
      return ExecStatus::Error;
    }
  } else if (Code_Exec_Expression(context, valueNode, value) != ExecStatus::Normal) {
    return ExecStatus::Error;
  }
  if (op != 0) {
    ScriptValue current;
    if (!ReadTarget(context, target, current)) {
      if (!Option_UnsetVariables) {
        return Fail(context, targetNode, UnknownVariable(target.id, target.index));
      }
      // A variable that cannot be read counts as 0 here, as it does when read.
      current.SetReal(0.0);
    }
    if (!OperateForStore(context, node.position, op, target, current, value)) return ExecStatus::Error;
    value = std::move(current);
  }
  if (target.instance == kInstanceNoone || !WriteTarget(context, target, value)) {
    return Fail(context, node, "Cannot assign to the variable");
  }
  (void)result;
  return ExecStatus::Normal;
}

// ---- calls ------------------------------------------------------------------------------

ExecStatus Call(CodeExecContext& context, const CodeNode& node, ScriptValue& result) {
  std::array<ScriptValue, kMaxCallArguments> args;
  const size_t argc = std::min(node.children.size(), kMaxCallArguments);
  for (size_t i = 0; i < argc; ++i) {
    ExecStatus status = Code_Exec_Expression(context, node.children[i], args[i]);
    if (status != ExecStatus::Normal) return status;
  }
  const int32_t id = node.value;
  const int32_t count = static_cast<int32_t>(argc);
  if (id >= kExtensionFunctionBase) {
    if (g_ExtensionCall == nullptr ||
        !g_ExtensionCall(id - kExtensionFunctionBase, context.self, context.other, count,
                         args.data(), result)) {
      return ExecStatus::Error;
    }
    return ExecStatus::Normal;
  }
  if (id >= kScriptFunctionBase) {
    if (g_ScriptCall == nullptr || !g_ScriptCall(id - kScriptFunctionBase, context.self,
                                                 context.other, count, result, args.data())) {
      return ExecStatus::Error;
    }
    return ExecStatus::Normal;
  }
  // Built-ins report their own errors; what they answer is no status.
  result.SetReal(0.0);
  Function_Call(id, result, context.self, context.other, count, args.data());
  return ExecStatus::Normal;
}

// ---- statements -------------------------------------------------------------------------

ExecStatus Block(CodeExecContext& context, const CodeNode& node, ScriptValue& result) {
  for (const CodeNode& child : node.children) {
    ScriptValue_FreeString(result);
    ExecStatus status = Code_Exec_Statement(context, child, result);
    if (status != ExecStatus::Normal) return status;
  }
  return ExecStatus::Normal;
}

// Evaluates a condition that must be a real; message names the statement's complaint.
ExecStatus Condition(CodeExecContext& context, const CodeNode& node, const char* message,
                     double& value) {
  ScriptValue v;
  if (Code_Exec_Expression(context, node, v) != ExecStatus::Normal) return ExecStatus::Error;
  if (!v.IsReal()) return Fail(context, node, message);
  value = v.real;
  return ExecStatus::Normal;
}

// Break ends a loop normally, continue goes on; anything else non-normal leaves it.
enum class LoopStep { Next, Stop, Leave };
LoopStep AfterBody(ExecStatus status) {
  switch (status) {
    case ExecStatus::Normal:
    case ExecStatus::Continue: return LoopStep::Next;
    case ExecStatus::Break: return LoopStep::Stop;
    default: return LoopStep::Leave;
  }
}

ExecStatus If(CodeExecContext& context, const CodeNode& node, ScriptValue& result) {
  double condition = 0.0;
  if (Condition(context, node.children[0], "Expression expected", condition) != ExecStatus::Normal) {
    return ExecStatus::Error;
  }
  if (condition > 0.5) return Code_Exec_Statement(context, node.children[1], result);
  if (node.children.size() > 2) return Code_Exec_Statement(context, node.children[2], result);
  return ExecStatus::Normal;
}

ExecStatus While(CodeExecContext& context, const CodeNode& node, ScriptValue& result) {
  for (;;) {
    double condition = 0.0;
    if (Condition(context, node.children[0], "bool expression expected", condition) !=
        ExecStatus::Normal) {
      return ExecStatus::Error;
    }
    if (!LoopTruth(condition)) return ExecStatus::Normal;
    ScriptValue_FreeString(result);
    ExecStatus status = Code_Exec_Statement(context, node.children[1], result);
    LoopStep step = AfterBody(status);
    if (step == LoopStep::Stop) return ExecStatus::Normal;
    if (step == LoopStep::Leave) return status;
  }
}

ExecStatus DoUntil(CodeExecContext& context, const CodeNode& node, ScriptValue& result) {
  for (;;) {
    ExecStatus status = Code_Exec_Statement(context, node.children[0], result);
    LoopStep step = AfterBody(status);
    if (step == LoopStep::Stop) return ExecStatus::Normal;
    if (step == LoopStep::Leave) return status;
    double condition = 0.0;
    if (Condition(context, node.children[1], "bool expression expected", condition) !=
        ExecStatus::Normal) {
      return ExecStatus::Error;
    }
    if (LoopTruth(condition)) return ExecStatus::Normal;
  }
}

ExecStatus For(CodeExecContext& context, const CodeNode& node, ScriptValue& result) {
  ExecStatus status = Code_Exec_Statement(context, node.children[0], result);
  if (status != ExecStatus::Normal) return status;
  for (;;) {
    double condition = 0.0;
    if (Condition(context, node.children[1], "Expression expected", condition) !=
        ExecStatus::Normal) {
      return ExecStatus::Error;
    }
    if (!LoopTruth(condition)) return ExecStatus::Normal;
    status = Code_Exec_Statement(context, node.children[3], result);
    LoopStep step = AfterBody(status);
    if (step == LoopStep::Stop) return ExecStatus::Normal;
    if (step == LoopStep::Leave) return status;
    status = Code_Exec_Statement(context, node.children[2], result);
    if (status != ExecStatus::Normal) return status;
  }
}

ExecStatus Repeat(CodeExecContext& context, const CodeNode& node, ScriptValue& result) {
  double count = 0.0;
  if (Condition(context, node.children[0], "Repeat count must be a number", count) !=
      ExecStatus::Normal) {
    return ExecStatus::Error;
  }
  const int64_t times = Conv_RoundToInt64(count);
  for (int64_t i = 0; i < times; ++i) {
    ExecStatus status = Code_Exec_Statement(context, node.children[1], result);
    LoopStep step = AfterBody(status);
    if (step == LoopStep::Stop) return ExecStatus::Normal;
    if (step == LoopStep::Leave) return status;
  }
  return ExecStatus::Normal;
}

// Runs the body once for self (with other); break stops the whole with statement.
ExecStatus WithPass(CodeExecContext& context, const CodeNode& body, ScriptValue& result,
                    CInstance* self, CInstance* other, bool& stop) {
  CInstance* savedSelf = context.self;
  CInstance* savedOther = context.other;
  context.self = self;
  context.other = other;
  ExecStatus status = Code_Exec_Statement(context, body, result);
  context.self = savedSelf;
  context.other = savedOther;
  stop = false;
  switch (status) {
    case ExecStatus::Break: stop = true; return ExecStatus::Normal;
    case ExecStatus::Continue: return ExecStatus::Normal;
    case ExecStatus::Normal: return ExecStatus::Normal;
    default: stop = true; return status;
  }
}

ExecStatus With(CodeExecContext& context, const CodeNode& node, ScriptValue& result) {
  ScriptValue target;
  if (Code_Exec_Expression(context, node.children[0], target) != ExecStatus::Normal) {
    return ExecStatus::Error;
  }
  if (!target.IsReal()) return Fail(context, node.children[0], "Object id expected");
  const int32_t code = Conv_RoundToInt32(target.real);
  const CodeNode& body = node.children[1];
  bool stop = false;
  switch (code) {
    case kInstanceLocal: return Fail(context, node, "Cannot use local in with statement.");
    case kInstanceGlobal: return Fail(context, node, "Cannot use global in with statement.");
    case kInstanceNoone: return ExecStatus::Normal;
    case kInstanceSelf:
    case kInstanceDefault:
      return WithPass(context, body, result, context.self, context.self, stop);
    case kInstanceOther:
      return WithPass(context, body, result, context.other, context.self, stop);
    default: break;
  }
  if (code < 0 && code != kInstanceAll) return ExecStatus::Normal;
  if (code >= kFirstInstanceId) {
    CInstance* instance = Instance_Find(code);
    if (instance == nullptr || instance->marked) return ExecStatus::Normal;
    return WithPass(context, body, result, instance, context.self, stop);
  }
  // The instances are taken before the body runs, so the body may create or destroy
  // instances; one marked for removal by an earlier pass is skipped.
  std::vector<CInstance*> order;
  InstanceVisitor collect = [&order](CInstance& instance) {
    if (!instance.marked) order.push_back(&instance);
    return true;
  };
  if (code == kInstanceAll) {
    Variable_ForEachActiveInstance(collect);
  } else {
    Variable_ForEachObjectInstance(code, collect);
  }
  CInstance* const self = context.self;
  for (CInstance* instance : order) {
    if (instance->marked) continue;
    ExecStatus status = WithPass(context, body, result, instance, self, stop);
    if (stop) return status;
  }
  return ExecStatus::Normal;
}

bool SameValue(const ScriptValue& a, const ScriptValue& b) {
  if (a.Kind() != b.Kind()) return false;
  return a.IsReal() ? a.real == b.real : a.Text() == b.Text();
}

ExecStatus Switch(CodeExecContext& context, const CodeNode& node, ScriptValue& result) {
  ScriptValue value;
  ExecStatus status = Code_Exec_Expression(context, node.children[0], value);
  if (status != ExecStatus::Normal) return status;
  size_t start = node.children.size();
  for (size_t i = 1; i < node.children.size(); ++i) {
    const CodeNode& child = node.children[i];
    if (child.kind == NodeKind::Default) {
      start = i;
      break;
    }
    if (child.kind == NodeKind::ConstantCase || child.kind == NodeKind::Case) {
      ScriptValue label;
      if (child.children.empty()) continue;
      if (child.kind == NodeKind::ConstantCase) {
        label = child.children[0].constant;
      } else if (Code_Exec_Expression(context, child.children[0], label) != ExecStatus::Normal) {
        // A label that cannot be evaluated matches nothing and reports nothing.
        Compiler_ClearError();
        continue;
      }
      if (SameValue(label, value)) {
        start = i;
        break;
      }
    }
  }
  for (size_t i = start + 1; i < node.children.size(); ++i) {
    const CodeNode& child = node.children[i];
    if (IsLabel(child)) continue;
    status = Code_Exec_Statement(context, child, result);
    if (status == ExecStatus::Break) return ExecStatus::Normal;
    if (status != ExecStatus::Normal) return status;
  }
  return ExecStatus::Normal;
}

}  // namespace

ExecStatus Code_Exec_Expression(CodeExecContext& context, const CodeNode& node,
                                ScriptValue& result) {
  // Deeply nested source runs the stack out within one run too.
  if (Code_NativeStackExhausted()) return Fail(context, node, "Stack overflow...");
  switch (node.kind) {
    case NodeKind::Constant:
      ScriptValue_Copy(result, node.constant);
      return ExecStatus::Normal;
    case NodeKind::Call: return Call(context, node, result);
    case NodeKind::Variable:
    case NodeKind::FixedVariable: return ReadVariable(context, node, result);
    case NodeKind::Unary:
      if (node.children.size() != 1) break;
      if (Code_Exec_Expression(context, node.children[0], result) != ExecStatus::Normal) {
        return ExecStatus::Error;
      }
      if (!Code_UnaryOp(*context.code, node.position, node.value, result)) {
        return ExecStatus::Error;
      }
      return ExecStatus::Normal;
    case NodeKind::Binary: {
      if (node.children.size() != 2) break;
      // Both operands are always evaluated: && and || do not short-circuit.
      if (Code_Exec_Expression(context, node.children[0], result) != ExecStatus::Normal) {
        return ExecStatus::Error;
      }
      ScriptValue right;
      if (Code_Exec_Expression(context, node.children[1], right) != ExecStatus::Normal) {
        return ExecStatus::Error;
      }
      if (!Code_BinaryOp(*context.code, node.position, node.value, result, right)) {
        return ExecStatus::Error;
      }
      return ExecStatus::Normal;
    }
    default: break;
  }
  return Fail(context, node, "(Sub-)expression expected.");
}

ExecStatus Code_Exec_Statement(CodeExecContext& context, const CodeNode& node,
                               ScriptValue& result) {
  if (Code_NativeStackExhausted()) return Fail(context, node, "Stack overflow...");
  // After a termination signal no statement runs: the code ends as at an exit, loops and the
  // scripts it called included (each loop runs its body as a statement).
  if (TerminationSignal_Pending()) [[unlikely]] return ExecStatus::Exit;
  const size_t n = node.children.size();
  switch (node.kind) {
    case NodeKind::Call: {
      // A call made as a statement gives nothing back: its value must not become what the
      // program or script returns when it ends or exits without a return.
      ScriptValue discarded;
      return Call(context, node, discarded);
    }
    case NodeKind::Assignment: return Assign(context, node, result);
    case NodeKind::Block: return Block(context, node, result);
    case NodeKind::If:
      if (n < 2) break;
      return If(context, node, result);
    case NodeKind::While:
      if (n < 2) break;
      return While(context, node, result);
    case NodeKind::DoUntil:
      if (n < 2) break;
      return DoUntil(context, node, result);
    case NodeKind::For:
      if (n < 4) break;
      return For(context, node, result);
    case NodeKind::Repeat:
      if (n < 2) break;
      return Repeat(context, node, result);
    case NodeKind::Exit: return ExecStatus::Exit;
    case NodeKind::Break: return ExecStatus::Break;
    case NodeKind::Continue: return ExecStatus::Continue;
    case NodeKind::Return:
      if (n < 1) return ExecStatus::Exit;
      if (Code_Exec_Expression(context, node.children[0], result) != ExecStatus::Normal) {
        return ExecStatus::Error;
      }
      return ExecStatus::Exit;
    case NodeKind::With:
      if (n < 2) break;
      return With(context, node, result);
    case NodeKind::Switch:
      if (n < 1) break;
      return Switch(context, node, result);
    case NodeKind::Case:
      return Fail(context, node, "Case statement only allowed inside switch statement.");
    case NodeKind::Default:
      return Fail(context, node, "Default statement only allowed inside switch statement.");
    case NodeKind::VarDeclaration: return ExecStatus::Normal;
    case NodeKind::GlobalVarDeclaration:
      for (const CodeNode& name : node.children) Variable_DeclareGlobalVar(name.value);
      return ExecStatus::Normal;
    default: break;
  }
  return Fail(context, node, "Statement expected.");
}

ExecStatus Code_Exec_Program(CodeExecContext& context, const CodeNode& root, ScriptValue& result) {
  if (root.kind == NodeKind::EmptyProgram) return ExecStatus::Normal;
  if (root.kind == NodeKind::Block) return Block(context, root, result);
  return Fail(context, root, "This is not a program.");
}

bool Code_Exec_Run(const CCode& code, CInstance* self, CInstance* other, ScriptValue& result) {
  CodeExecContext context;
  context.self = self;
  context.other = other;
  context.code = &code;
  const CodeNestingScope nesting;
  if (nesting.Refused()) {
    Fail(context, code.Root(), "Stack overflow...");
    return false;
  }
  ExecStatus status = code.Kind() == CodeKind::Program
                          ? Code_Exec_Program(context, code.Root(), result)
                          : Code_Exec_Expression(context, code.Root(), result);
  // A break or continue that reaches the top ends the program like exit.
  return status != ExecStatus::Error;
}

void Code_Exec_SetScriptCall(TreeScriptCall call) { g_ScriptCall = call; }
void Code_Exec_SetExtensionCall(TreeExtensionCall call) { g_ExtensionCall = call; }

void Code_Exec_Install() { Code_SetTreeExecutor(Code_Exec_Run); }
