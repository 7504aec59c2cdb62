#include "script/vm/vm_codegen.h"

#include <cmath>
#include <cstring>

#include "platform/conversions.h"
#include "script/code.h"
#include "script/compiler/compile_error_sink.h"
#include "script/compiler/token.h"
#include "script/global_variables.h"
#include "script/vm/vm_strings.h"

namespace {

constexpr uint32_t TypeByte(VMType low, VMType high = VMType::Double) {
  return static_cast<uint32_t>(low) | (static_cast<uint32_t>(high) << 4);
}
constexpr uint32_t TypeByte2(VMType low, VMType high) { return TypeByte(low, high); }

bool IsComparison(int32_t op) {
  switch (static_cast<TokenKind>(op)) {
    case TokenKind::Assign:
    case TokenKind::Equal:
    case TokenKind::NotEqual:
    case TokenKind::Less:
    case TokenKind::LessEqual:
    case TokenKind::GreaterEqual:
    case TokenKind::Greater:
      return true;
    default:
      return false;
  }
}

bool IsLogical(int32_t op) {
  auto k = static_cast<TokenKind>(op);
  return k == TokenKind::LogicalAnd || k == TokenKind::LogicalOr || k == TokenKind::LogicalXor;
}

bool IsBitwise(int32_t op) {
  auto k = static_cast<TokenKind>(op);
  return k == TokenKind::BitOr || k == TokenKind::BitAnd || k == TokenKind::BitXor ||
         k == TokenKind::ShiftLeft || k == TokenKind::ShiftRight;
}

bool BinaryOpcode(int32_t op, VMOpcode& out) {
  switch (static_cast<TokenKind>(op)) {
    case TokenKind::Assign:
    case TokenKind::Equal:
      out = VMOpcode::Seq;
      return true;
    case TokenKind::NotEqual:
      out = VMOpcode::Sne;
      return true;
    case TokenKind::Less:
      out = VMOpcode::Slt;
      return true;
    case TokenKind::LessEqual:
      out = VMOpcode::Sle;
      return true;
    case TokenKind::GreaterEqual:
      out = VMOpcode::Sge;
      return true;
    case TokenKind::Greater:
      out = VMOpcode::Sgt;
      return true;
    case TokenKind::LogicalAnd:
    case TokenKind::BitAnd:
      out = VMOpcode::And;
      return true;
    case TokenKind::LogicalOr:
    case TokenKind::BitOr:
      out = VMOpcode::Or;
      return true;
    case TokenKind::LogicalXor:
    case TokenKind::BitXor:
      out = VMOpcode::Xor;
      return true;
    case TokenKind::Plus:
      out = VMOpcode::Add;
      return true;
    case TokenKind::Minus:
      out = VMOpcode::Sub;
      return true;
    case TokenKind::Multiply:
      out = VMOpcode::Mul;
      return true;
    case TokenKind::Divide:
      out = VMOpcode::Div;
      return true;
    case TokenKind::IntegerDivide:
      out = VMOpcode::Rem;
      return true;
    case TokenKind::Modulo:
      out = VMOpcode::Mod;
      return true;
    case TokenKind::ShiftLeft:
      out = VMOpcode::Shl;
      return true;
    case TokenKind::ShiftRight:
      out = VMOpcode::Shr;
      return true;
    default:
      return false;
  }
}

bool CompoundOpcode(int32_t op, VMOpcode& out) {
  switch (static_cast<TokenKind>(op)) {
    case TokenKind::AssignAdd:
      out = VMOpcode::Add;
      return true;
    case TokenKind::AssignSubtract:
      out = VMOpcode::Sub;
      return true;
    case TokenKind::AssignMultiply:
      out = VMOpcode::Mul;
      return true;
    case TokenKind::AssignDivide:
      out = VMOpcode::Div;
      return true;
    case TokenKind::AssignOr:
      out = VMOpcode::Or;
      return true;
    case TokenKind::AssignAnd:
      out = VMOpcode::And;
      return true;
    case TokenKind::AssignXor:
      out = VMOpcode::Xor;
      return true;
    default:
      return false;
  }
}

// The type an operation leaves. Comparisons give .b. Otherwise the wider slot wins (the
// left one on a tie), with two refinements the machine shares so that the declared type
// always matches what it stores: a string operand makes a string, and a 64-bit integer or
// float mixed into arithmetic gives a real.
VMType ResultType(VMOpcode op, VMType left, VMType right) {
  if (op >= VMOpcode::Slt && op <= VMOpcode::Sgt) return VMType::Bool;
  if (left == VMType::Var || right == VMType::Var) return VMType::Var;
  if (left == VMType::String || right == VMType::String) return VMType::String;
  auto real = [](VMType t) {
    return t == VMType::Double || t == VMType::Float || t == VMType::Long;
  };
  if (real(left) || real(right)) return VMType::Double;
  return left;
}

constexpr bool FitsInt16(int64_t v) { return v >= -32768 && v <= 32767; }

}  // namespace

// --- labels and types -------------------------------------------------------------------

void VMCodeGen::Place(const LabelRef& label) {
  label->position = code_buffer_.Position();
  label->placed = true;
  for (int32_t at : label->fixups) {
    uint32_t word = code_buffer_.WordAt(static_cast<size_t>(at));
    uint32_t offset = static_cast<uint32_t>((label->position - at) / 4) & 0xFFFFFFu;
    code_buffer_.PatchWord(static_cast<size_t>(at), (word & 0xFF000000u) | offset);
  }
  label->fixups.clear();
}

void VMCodeGen::EmitBranch(VMOpcode op, const LabelRef& label, uint32_t typeByte) {
  int32_t at = code_buffer_.Position();
  if (label->placed) {
    Emit(op, typeByte, static_cast<uint32_t>((label->position - at) / 4));
  } else {
    Emit(op, typeByte, 0);
    label->fixups.push_back(at);
  }
}

bool VMCodeGen::PushType(VMType type) {
  types_.push_back(type);
  int32_t depth = static_cast<int32_t>(types_.size());
  if (depth > maxDepth_) maxDepth_ = depth;
  if (depth > kVMTypeStackLimit) overflow_ = true;
  return !overflow_;
}

VMType VMCodeGen::PopType() {
  if (types_.empty()) return VMType::Error;
  VMType t = types_.back();
  types_.pop_back();
  return t;
}

VMType VMCodeGen::TopType() const { return types_.empty() ? VMType::Error : types_.back(); }

void VMCodeGen::ConvertTop(VMType to) {
  VMType from = PopType();
  if (from != to) Emit(VMOpcode::Conv, TypeByte2(from, to));
  PushType(to);
}

void VMCodeGen::EmitInt(int32_t value) {
  code_buffer_.WriteWords(
      {VM_Word(VMOpcode::Push, TypeByte(VMType::Int)), static_cast<uint32_t>(value)});
  PushType(VMType::Int);
}

void VMCodeGen::EmitConstant(const ScriptValue& value) {
  if (value.IsString()) {
    code_buffer_.WriteWords(
        {VM_Word(VMOpcode::Push, TypeByte(VMType::String)), VM_InternString(value.Text())});
    PushType(VMType::String);
    return;
  }
  double r = value.real;
  int64_t whole = Conv_TruncToInt64(r);
  bool integral = !std::isnan(r) && static_cast<double>(whole) == r &&
                  !(whole == kInteger64Indefinite && r != -9223372036854775808.0);
  if (integral && FitsInt16(whole)) {
    Emit(VMOpcode::Push, TypeByte(VMType::Error), static_cast<uint32_t>(whole) & 0xFFFFu);
    PushType(VMType::Int);
  } else if (integral && whole >= INT32_MIN && whole <= INT32_MAX) {
    EmitInt(static_cast<int32_t>(whole));
  } else if (integral) {
    auto bits = static_cast<uint64_t>(whole);
    code_buffer_.WriteWords({VM_Word(VMOpcode::Push, TypeByte(VMType::Long)),
                             static_cast<uint32_t>(bits), static_cast<uint32_t>(bits >> 32)});
    PushType(VMType::Long);
  } else {
    uint64_t bits;
    std::memcpy(&bits, &r, 8);
    code_buffer_.WriteWords({VM_Word(VMOpcode::Push, TypeByte(VMType::Double)),
                             static_cast<uint32_t>(bits), static_cast<uint32_t>(bits >> 32)});
    PushType(VMType::Double);
  }
}

bool VMCodeGen::TooDeep(const CodeNode& node) {
  if (!overflow_) return false;
  if (code_ != nullptr) Compiler_ReportError(*code_, node.position, "Expression too complex.");
  return true;
}

// --- expressions --------------------------------------------------------------------------

bool VMCodeGen::VariableAddress(const CodeNode& node, uint32_t& low, uint32_t& operand) {
  uint32_t id = static_cast<uint32_t>(node.value) & kVMVarIdMask;
  if (node.kind == NodeKind::FixedVariable) {
    int64_t instance = node.instance;
    if (instance >= 100000 && FitsInt16(instance - 100000)) {
      low = static_cast<uint32_t>(instance - 100000) & 0xFFFFu;
      operand = id | kVMVarFixedInstance | kVMVarInstanceId | kVMVarNoIndex;
    } else if (FitsInt16(instance)) {
      low = static_cast<uint32_t>(instance) & 0xFFFFu;
      operand = id | kVMVarFixedInstance | kVMVarNoIndex;
    } else {
      // Does not fit the word: the instance goes on the stack instead.
      EmitInt(node.instance);
      low = 0;
      operand = id | kVMVarNoIndex;
    }
    return true;
  }
  low = 0;
  operand = id;
  if (node.children.empty()) {
    EmitInt(kInstanceDefault);
  } else {
    if (!Expr(node.children[0])) return false;
    ConvertTop(VMType::Int);
  }
  if (node.children.size() < 2) {
    operand |= kVMVarNoIndex;
    return true;
  }
  if (!Expr(node.children[1])) return false;
  ConvertTop(VMType::Int);
  if (node.children.size() >= 3) {
    EmitInt(32000);
    Emit(VMOpcode::Mul, TypeByte2(VMType::Int, VMType::Int));
    PopType();
    if (!Expr(node.children[2])) return false;
    ConvertTop(VMType::Int);
    Emit(VMOpcode::Add, TypeByte2(VMType::Int, VMType::Int));
    PopType();
  }
  return true;
}

static int32_t AddressTypeCount(uint32_t operand) {
  return ((operand & kVMVarFixedInstance) ? 0 : 1) + ((operand & kVMVarNoIndex) ? 0 : 1);
}

bool VMCodeGen::Expr(const CodeNode& node) {
  if (overflow_) return false;
  switch (node.kind) {
    case NodeKind::Constant:
      EmitConstant(node.constant);
      break;
    case NodeKind::Variable:
    case NodeKind::FixedVariable: {
      uint32_t low, operand;
      if (!VariableAddress(node, low, operand)) return false;
      for (int32_t i = AddressTypeCount(operand); i > 0; --i) PopType();
      code_buffer_.WriteWords({VM_Word(VMOpcode::Push, TypeByte(VMType::Var), low), operand});
      PushType(VMType::Var);
      break;
    }
    case NodeKind::Call:
      if (!Call(node)) return false;
      break;
    case NodeKind::Unary:
      if (!Unary(node)) return false;
      break;
    case NodeKind::Binary:
      if (!Binary(node)) return false;
      break;
    default:
      // The checks let no other kind through; keep the type stack balanced regardless.
      EmitConstant(ScriptValue(0.0));
      break;
  }
  return !TooDeep(node);
}

bool VMCodeGen::Call(const CodeNode& node) {
  for (size_t i = node.children.size(); i-- > 0;) {
    if (!Expr(node.children[i])) return false;
    ConvertTop(VMType::Var);
  }
  auto argc = static_cast<uint32_t>(node.children.size());
  code_buffer_.WriteWords({VM_Word(VMOpcode::Call, TypeByte(VMType::Int), argc & 0xFFFFu),
                           static_cast<uint32_t>(node.value)});
  for (uint32_t i = 0; i < argc; ++i) PopType();
  PushType(VMType::Var);
  return true;
}

bool VMCodeGen::Unary(const CodeNode& node) {
  if (node.children.empty() || !Expr(node.children[0])) return false;
  VMType t = TopType();
  switch (static_cast<TokenKind>(node.value)) {
    case TokenKind::Not:
      if (t != VMType::Bool && t != VMType::String) ConvertTop(VMType::Bool);
      Emit(VMOpcode::Not, TypeByte(TopType()));
      break;
    case TokenKind::Minus:
      Emit(VMOpcode::Neg, TypeByte(t));
      break;
    case TokenKind::BitNot:
      if (t == VMType::Double || t == VMType::Float || t == VMType::Var) ConvertTop(VMType::Int);
      Emit(VMOpcode::Not, TypeByte(TopType()));
      break;
    default:  // unary plus
      break;
  }
  return true;
}

bool VMCodeGen::Binary(const CodeNode& node) {
  if (node.children.size() != 2) return false;
  int32_t op = node.value;
  auto preconvert = [&] {
    VMType t = TopType();
    if (IsLogical(op)) {
      if (t != VMType::Bool) ConvertTop(VMType::Bool);
    } else if (IsBitwise(op)) {
      if (t != VMType::Int) ConvertTop(VMType::Int);
    } else if (!IsComparison(op)) {
      if (t == VMType::Bool) ConvertTop(VMType::Int);
    }
  };
  if (!Expr(node.children[0])) return false;
  preconvert();
  if (!Expr(node.children[1])) return false;
  preconvert();
  VMType right = PopType();
  VMType left = PopType();
  VMOpcode opcode;
  if (!BinaryOpcode(op, opcode)) opcode = VMOpcode::Add;
  Emit(opcode, TypeByte2(right, left));
  PushType(ResultType(opcode, left, right));
  return true;
}

// --- statements ---------------------------------------------------------------------------

bool VMCodeGen::Assignment(const CodeNode& node) {
  if (node.children.size() != 2) return false;
  const CodeNode& target = node.children[0];
  const CodeNode& value = node.children[1];
  uint32_t low, operand;
  VMType stored;
  if (node.value == static_cast<int32_t>(TokenKind::Assign)) {
    if (!Expr(value)) return false;
    stored = TopType();
  } else {
    VMOpcode opcode;
    if (!CompoundOpcode(node.value, opcode)) return false;
    if (!Expr(target)) return false;  // reads the variable (.v)
    if (!Expr(value)) return false;
    VMType t = TopType();
    bool bitwise = opcode == VMOpcode::Or || opcode == VMOpcode::And || opcode == VMOpcode::Xor;
    if (bitwise ? (t != VMType::Int && t != VMType::Long) : t == VMType::Bool) {
      ConvertTop(VMType::Int);
    }
    VMType right = PopType();
    PopType();
    Emit(opcode, TypeByte2(right, VMType::Var));
    PushType(VMType::Var);
    stored = VMType::Var;
  }
  if (!VariableAddress(target, low, operand)) return false;
  for (int32_t i = AddressTypeCount(operand); i > 0; --i) PopType();
  PopType();
  code_buffer_.WriteWords({VM_Word(VMOpcode::Pop, TypeByte2(VMType::Var, stored), low), operand});
  return !TooDeep(node);
}

bool VMCodeGen::If(const CodeNode& node) {
  if (node.children.size() < 2) return false;
  if (!Expr(node.children[0])) return false;
  ConvertTop(VMType::Bool);
  PopType();
  LabelRef elseLabel = NewLabel("Else");
  EmitBranch(VMOpcode::Bf, elseLabel);
  if (!Statement(node.children[1])) return false;
  if (node.children.size() >= 3) {
    LabelRef end = NewLabel("End");
    EmitBranch(VMOpcode::B, end);
    Place(elseLabel);
    if (!Statement(node.children[2])) return false;
    Place(end);
  } else {
    Place(elseLabel);
  }
  return true;
}

bool VMCodeGen::While(const CodeNode& node) {
  if (node.children.size() < 2) return false;
  LabelRef repeat = NewLabel("Repeat"), end = NewLabel("End");
  Place(repeat);
  if (!Expr(node.children[0])) return false;
  ConvertTop(VMType::Bool);
  PopType();
  EmitBranch(VMOpcode::Bf, end);
  if (!LoopBody(repeat, end, node.children[1])) return false;
  EmitBranch(VMOpcode::B, repeat);
  Place(end);
  return true;
}

bool VMCodeGen::DoUntil(const CodeNode& node) {
  if (node.children.size() < 2) return false;
  LabelRef start = NewLabel("Start"), repeat = NewLabel("Repeat"), end = NewLabel("End");
  Place(start);
  if (!LoopBody(repeat, end, node.children[0])) return false;
  Place(repeat);
  if (!Expr(node.children[1])) return false;
  ConvertTop(VMType::Bool);
  PopType();
  EmitBranch(VMOpcode::Bf, start);
  Place(end);
  return true;
}

bool VMCodeGen::For(const CodeNode& node) {
  if (node.children.size() < 4) return false;
  LabelRef start = NewLabel("Start"), repeat = NewLabel("Repeat"), end = NewLabel("End");
  if (!Statement(node.children[0])) return false;
  Place(start);
  if (!Expr(node.children[1])) return false;
  ConvertTop(VMType::Bool);
  PopType();
  EmitBranch(VMOpcode::Bf, end);
  if (!LoopBody(repeat, end, node.children[3])) return false;
  Place(repeat);
  if (!Statement(node.children[2])) return false;
  EmitBranch(VMOpcode::B, start);
  Place(end);
  return true;
}

bool VMCodeGen::Repeat(const CodeNode& node) {
  if (node.children.size() < 2) return false;
  LabelRef start = NewLabel("Start"), repeat = NewLabel("Repeat"), end = NewLabel("End");
  const uint32_t ii = TypeByte2(VMType::Int, VMType::Int);
  if (!Expr(node.children[0])) return false;
  ConvertTop(VMType::Int);
  Emit(VMOpcode::Dup, TypeByte(VMType::Int));
  PushType(VMType::Int);
  EmitInt(0);
  Emit(VMOpcode::Sle, ii);
  PopType();
  PopType();
  EmitBranch(VMOpcode::Bt, end);
  Place(start);
  if (!LoopBody(repeat, end, node.children[1])) return false;
  Place(repeat);
  EmitInt(1);
  Emit(VMOpcode::Sub, ii);
  PopType();
  Emit(VMOpcode::Dup, TypeByte(VMType::Int));
  Emit(VMOpcode::Conv, TypeByte2(VMType::Int, VMType::Bool));
  EmitBranch(VMOpcode::Bt, start);
  Place(end);
  Emit(VMOpcode::Popz, TypeByte(VMType::Int));
  PopType();
  return !TooDeep(node);
}

bool VMCodeGen::With(const CodeNode& node) {
  if (node.children.size() < 2) return false;
  LabelRef start = NewLabel("Start"), popEnv = NewLabel("PopEnv"), end = NewLabel("End");
  if (!Expr(node.children[0])) return false;
  ConvertTop(VMType::Int);
  PopType();
  EmitBranch(VMOpcode::PushEnv, popEnv);
  Place(start);
  if (!LoopBody(popEnv, end, node.children[1])) return false;
  Place(popEnv);
  EmitBranch(VMOpcode::PopEnv, start);
  if (end->breaks == 0) {
    Place(end);
  } else {
    LabelRef cleanUp = NewLabel("CleanUpEnd");
    EmitBranch(VMOpcode::B, cleanUp);
    Place(end);
    code_buffer_.WriteWords({kVMPopEnvClose});
    Place(cleanUp);
  }
  return true;
}

bool VMCodeGen::Switch(const CodeNode& node) {
  if (node.children.empty()) return false;
  if (!Expr(node.children[0])) return false;
  VMType t = TopType();
  LabelRef end = NewLabel("End");
  std::vector<LabelRef> labels(node.children.size());
  for (size_t i = 1; i < node.children.size(); ++i) {
    const CodeNode& child = node.children[i];
    if (child.kind == NodeKind::Case || child.kind == NodeKind::ConstantCase) {
      Emit(VMOpcode::Dup, TypeByte(t));
      PushType(t);
      if (child.children.empty() || !Expr(child.children[0])) return false;
      VMType caseType = PopType();
      PopType();
      Emit(VMOpcode::Seq, TypeByte2(caseType, t));
      labels[i] = NewLabel("Switch Clause");
      EmitBranch(VMOpcode::Bt, labels[i]);
    } else if (child.kind == NodeKind::Default) {
      labels[i] = NewLabel("Switch Default");
      EmitBranch(VMOpcode::B, labels[i]);
    }
  }
  EmitBranch(VMOpcode::B, end);

  LabelRef savedBreak = breakTarget_;
  breakTarget_ = end;
  switchValues_.push_back(t);
  size_t pending = 1;  // labels from here on are not placed yet
  bool ok = true;
  for (size_t i = 1; i < node.children.size() && ok; ++i) {
    if (labels[i]) continue;
    for (; pending < i; ++pending) {
      if (labels[pending] && !labels[pending]->placed) Place(labels[pending]);
    }
    ok = Statement(node.children[i]);
  }
  switchValues_.pop_back();
  breakTarget_ = savedBreak;
  if (!ok) return false;
  // Labels that no statement follows lead to the end, where the value is dropped.
  for (; pending < node.children.size(); ++pending) {
    if (labels[pending] && !labels[pending]->placed) Place(labels[pending]);
  }
  Place(end);
  Emit(VMOpcode::Popz, TypeByte(t));
  PopType();
  return true;
}

// The body of a loop or with: its continue and break targets are set, and the switch values
// of the enclosing code stay out of reach of its continue.
bool VMCodeGen::LoopBody(const LabelRef& continueLabel, const LabelRef& breakLabel,
                         const CodeNode& body) {
  LabelRef savedContinue = continueTarget_, savedBreak = breakTarget_;
  std::vector<VMType> savedSwitches;
  savedSwitches.swap(switchValues_);
  continueTarget_ = continueLabel;
  breakTarget_ = breakLabel;
  bool ok = Statement(body);
  continueTarget_ = savedContinue;
  breakTarget_ = savedBreak;
  switchValues_.swap(savedSwitches);
  return ok;
}

bool VMCodeGen::Block(const CodeNode& node) {
  for (const CodeNode& child : node.children) {
    if (!Statement(child)) return false;
  }
  return true;
}

bool VMCodeGen::Statement(const CodeNode& node) {
  if (overflow_) return false;
  switch (node.kind) {
    case NodeKind::Block:
      return Block(node);
    case NodeKind::Call:
      if (!Call(node)) return false;
      Emit(VMOpcode::Popz, TypeByte(VMType::Var));
      PopType();
      return !TooDeep(node);
    case NodeKind::Assignment:
      return Assignment(node);
    case NodeKind::If:
      return If(node);
    case NodeKind::While:
      return While(node);
    case NodeKind::DoUntil:
      return DoUntil(node);
    case NodeKind::For:
      return For(node);
    case NodeKind::Repeat:
      return Repeat(node);
    case NodeKind::With:
      return With(node);
    case NodeKind::Switch:
      return Switch(node);
    case NodeKind::Break:
      if (breakTarget_) {
        ++breakTarget_->breaks;
        EmitBranch(VMOpcode::B, breakTarget_);
      }
      return true;
    case NodeKind::Continue:
      if (continueTarget_) {
        // A switch between here and the loop still holds its value: drop it first.
        for (auto it = switchValues_.rbegin(); it != switchValues_.rend(); ++it) {
          Emit(VMOpcode::Popz, TypeByte(*it));
        }
        EmitBranch(VMOpcode::B, continueTarget_);
      }
      return true;
    case NodeKind::Exit:
      Emit(VMOpcode::Exit, TypeByte(VMType::Int));
      return true;
    case NodeKind::Return:
      if (node.children.empty() || !Expr(node.children[0])) return false;
      ConvertTop(VMType::Var);
      PopType();
      Emit(VMOpcode::Ret, TypeByte(VMType::Var));
      return true;
    case NodeKind::GlobalVarDeclaration:
      for (const CodeNode& name : node.children) Variable_DeclareGlobalVar(name.value);
      return true;
    default:
      return true;  // var declarations and empty statements emit nothing
  }
}

bool VMCodeGen::Program(const CodeNode& root) {
  if (root.kind != NodeKind::Block) return true;
  return Block(root) && !overflow_;
}

bool VMCodeGen::Expression(const CodeNode& root) {
  if (!Expr(root)) return false;
  ConvertTop(VMType::Var);
  return !TooDeep(root);
}

void VMCodeGen::Finish(VMBuffer& bytecode, VMBuffer& debugInfo) {
  bytecode = code_buffer_.Finish();
  debugInfo = debug_buffer_.Finish();
}

bool VM_GenerateCode(CCode& code) {
  VMCodeGen generator(&code);
  bool ok = code.Kind() == CodeKind::Program ? generator.Program(code.Root())
                                             : generator.Expression(code.Root());
  if (!ok) return false;
  VMBuffer bytecode, debugInfo;
  generator.Finish(bytecode, debugInfo);
  code.SetBytecode(std::move(bytecode), std::move(debugInfo));
  return true;
}
