// Phase 3: recursive descent from elements to the parse tree.
//
// Every routine returns false once an error has been reported; nothing is recovered.
// Two things are held to kMaxNestingDepth so that deep input is a compile error, never a
// stack overflow: the parser's recursion (statements inside statements, expressions inside
// brackets, arguments and indices, prefix operators) and the height of every node it
// finishes (chains of operators and members build height without recursing).
#include <algorithm>
#include <array>

#include "script/code.h"
#include "script/compiler/compile_error_sink.h"
#include "script/compiler/phases.h"
#include "script/compiler/user_variables.h"
#include "script/function_table.h"

namespace {

constexpr int32_t kMaxArguments = 16;
constexpr const char* kTooDeep = "Code is nested too deeply.";
constexpr int32_t kMaxIndices = 2;

// The binary operator groups, loosest first; each is one precedence level.
const std::array<std::vector<TokenKind>, 6> kBinaryLevels = {{
    {TokenKind::LogicalAnd, TokenKind::LogicalOr, TokenKind::LogicalXor},
    {TokenKind::Less, TokenKind::LessEqual, TokenKind::Equal, TokenKind::Assign,
     TokenKind::NotEqual, TokenKind::GreaterEqual, TokenKind::Greater},
    {TokenKind::BitOr, TokenKind::BitAnd, TokenKind::BitXor},
    {TokenKind::ShiftLeft, TokenKind::ShiftRight},
    {TokenKind::Plus, TokenKind::Minus},
    {TokenKind::Multiply, TokenKind::Divide, TokenKind::IntegerDivide, TokenKind::Modulo},
}};

bool IsAssignmentOperator(TokenKind kind) {
  switch (kind) {
    case TokenKind::Assign:
    case TokenKind::AssignAdd:
    case TokenKind::AssignSubtract:
    case TokenKind::AssignMultiply:
    case TokenKind::AssignDivide:
    case TokenKind::AssignOr:
    case TokenKind::AssignAnd:
    case TokenKind::AssignXor:
      return true;
    default:
      return false;
  }
}

bool IsPrefixOperator(TokenKind kind) {
  return kind == TokenKind::Not || kind == TokenKind::Minus || kind == TokenKind::Plus ||
         kind == TokenKind::BitNot;
}

class Parser {
 public:
  Parser(const CCode& code, const CodeElementList& elements) : code_(code), elements_(elements) {
    end_.kind = TokenKind::End;
    end_.position = elements.empty() ? 0 : elements.back().position;
  }

  bool Program(CodeNode& root);
  bool Expression(CodeNode& root);

 private:
  // Counts one level of nesting for as long as it lives.
  class Nesting {
   public:
    explicit Nesting(Parser& parser) : parser_(parser) { ++parser_.depth_; }
    ~Nesting() { --parser_.depth_; }
    Nesting(const Nesting&) = delete;
    Nesting& operator=(const Nesting&) = delete;
    bool Ok() { return parser_.CheckDepth(); }

   private:
    Parser& parser_;
  };

  const CodeElement& Current() const {
    return index_ < elements_.size() ? elements_[index_] : end_;
  }
  TokenKind Kind() const { return Current().kind; }
  void Advance() {
    if (index_ < elements_.size()) ++index_;
  }
  bool Fail(const std::string& message) {
    Compiler_ReportError(code_, Current().position, message);
    return false;
  }
  bool CheckDepth() {
    if (depth_ <= kMaxNestingDepth) return true;
    return Fail(kTooDeep);
  }
  // Records the height of a node whose children are complete.
  bool Finish(CodeNode& node) {
    int32_t height = 0;
    for (const CodeNode& child : node.children) height = std::max(height, child.height);
    node.height = height + 1;
    if (node.height <= kMaxNestingDepth) return true;
    return Fail(kTooDeep);
  }
  void Start(CodeNode& node, NodeKind kind) {
    CodeNode_Reset(node, Current().position);
    node.kind = kind;
  }
  bool Expect(TokenKind kind, const char* message) {
    if (Kind() != kind) return Fail(message);
    Advance();
    return true;
  }

  bool Statement(CodeNode& node);
  bool StatementBody(CodeNode& node);
  bool Block(CodeNode& node);
  bool If(CodeNode& node);
  bool WhileOrWith(CodeNode& node, NodeKind kind);
  bool DoUntil(CodeNode& node);
  bool For(CodeNode& node);
  bool Switch(CodeNode& node);
  bool Declaration(CodeNode& node, NodeKind kind);
  bool Assignment(CodeNode& node);

  bool ParseExpression(CodeNode& node);
  bool Binary(size_t level, CodeNode& node);
  bool Member(CodeNode& node);
  bool Primary(CodeNode& node);
  bool Call(CodeNode& node);
  bool Variable(CodeNode& node);

  CodeNode& AddChild(CodeNode& parent) { return parent.children.emplace_back(); }

  const CCode& code_;
  const CodeElementList& elements_;
  CodeElement end_;
  size_t index_ = 0;
  int32_t depth_ = 0;
};

bool Parser::Program(CodeNode& root) {
  if (Kind() == TokenKind::End) {
    Start(root, NodeKind::EmptyProgram);
    return true;
  }
  if (Kind() == TokenKind::Begin) {
    if (!Statement(root)) return false;
    if (Kind() != TokenKind::End) return Fail("Program ends before end of the code.");
    return true;
  }
  Start(root, NodeKind::Block);
  while (Kind() != TokenKind::End) {
    if (!Statement(AddChild(root))) return false;
  }
  return Finish(root);
}

bool Parser::Expression(CodeNode& root) {
  if (Kind() == TokenKind::End) {
    Start(root, NodeKind::Constant);
    root.constant.SetReal(0.0);
    return true;
  }
  return ParseExpression(root);
}

bool Parser::Statement(CodeNode& node) {
  Nesting nesting(*this);
  if (!nesting.Ok()) return false;
  if (!StatementBody(node) || !Finish(node)) return false;
  while (Kind() == TokenKind::Semicolon) Advance();
  return true;
}

bool Parser::StatementBody(CodeNode& node) {
  switch (Kind()) {
    case TokenKind::Begin:
      return Block(node);
    case TokenKind::If:
      return If(node);
    case TokenKind::While:
      return WhileOrWith(node, NodeKind::While);
    case TokenKind::With:
      return WhileOrWith(node, NodeKind::With);
    case TokenKind::Do:
      return DoUntil(node);
    case TokenKind::For:
      return For(node);
    case TokenKind::Repeat:
      Start(node, NodeKind::Repeat);
      Advance();
      return ParseExpression(AddChild(node)) && Statement(AddChild(node));
    case TokenKind::Return:
      Start(node, NodeKind::Return);
      Advance();
      return ParseExpression(AddChild(node));
    case TokenKind::Exit:
      Start(node, NodeKind::Exit);
      Advance();
      return true;
    case TokenKind::Break:
      Start(node, NodeKind::Break);
      Advance();
      return true;
    case TokenKind::Continue:
      Start(node, NodeKind::Continue);
      Advance();
      return true;
    case TokenKind::Switch:
      return Switch(node);
    case TokenKind::Case:
      Start(node, NodeKind::Case);
      Advance();
      return ParseExpression(AddChild(node)) && Expect(TokenKind::Colon, "Symbol : expected.");
    case TokenKind::Default:
      Start(node, NodeKind::Default);
      Advance();
      return Expect(TokenKind::Colon, "Symbol : expected.");
    case TokenKind::Var:
      return Declaration(node, NodeKind::VarDeclaration);
    case TokenKind::GlobalVar:
      return Declaration(node, NodeKind::GlobalVarDeclaration);
    case TokenKind::Function:
      return Call(node);
    case TokenKind::Semicolon:
      Start(node, NodeKind::Empty);
      Advance();
      return true;
    case TokenKind::End:
      return Fail("Unexpected end of code reached.");
    default:
      return Assignment(node);
  }
}

bool Parser::Block(CodeNode& node) {
  Start(node, NodeKind::Block);
  Advance();
  while (Kind() != TokenKind::EndBlock) {
    if (Kind() == TokenKind::End) return Fail("Symbol  } expected.");
    if (!Statement(AddChild(node))) return false;
  }
  Advance();
  return true;
}

bool Parser::If(CodeNode& node) {
  Start(node, NodeKind::If);
  Advance();
  if (!ParseExpression(AddChild(node))) return false;
  if (Kind() == TokenKind::Then) Advance();
  if (!Statement(AddChild(node))) return false;
  if (Kind() == TokenKind::Else) {
    Advance();
    if (!Statement(AddChild(node))) return false;
  }
  return true;
}

bool Parser::WhileOrWith(CodeNode& node, NodeKind kind) {
  Start(node, kind);
  Advance();
  if (!ParseExpression(AddChild(node))) return false;
  if (Kind() == TokenKind::Do) Advance();
  return Statement(AddChild(node));
}

bool Parser::DoUntil(CodeNode& node) {
  Start(node, NodeKind::DoUntil);
  Advance();
  if (!Statement(AddChild(node))) return false;
  if (!Expect(TokenKind::Until, "Keyword until expected.")) return false;
  return ParseExpression(AddChild(node));
}

bool Parser::For(CodeNode& node) {
  Start(node, NodeKind::For);
  Advance();
  if (!Expect(TokenKind::OpenParen, "Symbol ( expected.")) return false;
  if (!Statement(AddChild(node))) return false;
  if (Kind() == TokenKind::Semicolon) Advance();
  if (!ParseExpression(AddChild(node))) return false;
  if (Kind() == TokenKind::Semicolon) Advance();
  if (!Statement(AddChild(node))) return false;
  if (!Expect(TokenKind::CloseParen, "Symbol ) expected.")) return false;
  return Statement(AddChild(node));
}

bool Parser::Switch(CodeNode& node) {
  Start(node, NodeKind::Switch);
  Advance();
  if (!ParseExpression(AddChild(node))) return false;
  if (!Expect(TokenKind::Begin, "Symbol {  expected.")) return false;
  while (Kind() != TokenKind::EndBlock) {
    if (Kind() == TokenKind::End) return Fail("Symbol  } expected.");
    if (!Statement(AddChild(node))) return false;
  }
  Advance();
  return true;
}

// var / globalvar: names up to the first element that is not a variable name; a comma
// between names is optional.
bool Parser::Declaration(CodeNode& node, NodeKind kind) {
  Start(node, kind);
  Advance();
  while (Kind() == TokenKind::Variable) {
    if (Current().id < kUserVariableBase) return Fail("Cannot redeclare a builtin variable.");
    CodeNode& name = AddChild(node);
    Start(name, NodeKind::Constant);
    name.value = Current().id;
    Advance();
    if (Kind() == TokenKind::Comma) Advance();
  }
  return true;
}

bool Parser::Assignment(CodeNode& node) {
  Start(node, NodeKind::Assignment);
  CodeNode& target = AddChild(node);
  if (!Member(target)) return false;
  if (target.kind != NodeKind::Variable) return Fail("Variable name expected.");
  if (!IsAssignmentOperator(Kind())) return Fail("Assignment operator expected.");
  node.value = OperatorCode(Kind());
  Advance();
  return ParseExpression(AddChild(node));
}

bool Parser::ParseExpression(CodeNode& node) {
  Nesting nesting(*this);
  if (!nesting.Ok()) return false;
  return Binary(0, node);
}

bool Parser::Binary(size_t level, CodeNode& node) {
  if (level == kBinaryLevels.size()) return Member(node);
  if (!Binary(level + 1, node)) return false;
  const std::vector<TokenKind>& operators = kBinaryLevels[level];
  while (true) {
    TokenKind kind = Kind();
    if (std::find(operators.begin(), operators.end(), kind) == operators.end()) return true;
    CodeNode binary;
    binary.kind = NodeKind::Binary;
    binary.value = OperatorCode(kind);
    binary.position = node.position;
    Advance();
    binary.children.push_back(std::move(node));
    bool ok = Binary(level + 1, binary.children.emplace_back());
    node = std::move(binary);
    if (!ok || !Finish(node)) return false;
  }
}

// A primary followed by any number of ".name" parts; the expression on the left becomes
// the instance of the name on the right.
bool Parser::Member(CodeNode& node) {
  if (!Primary(node)) return false;
  while (Kind() == TokenKind::Dot) {
    Advance();
    if (Kind() != TokenKind::Variable) return Fail("Variable name expected.");
    CodeNode member;
    if (!Variable(member)) return false;
    member.children[0] = std::move(node);
    node = std::move(member);
    if (!Finish(node)) return false;
  }
  return true;
}

bool Parser::Primary(CodeNode& node) {
  switch (Kind()) {
    case TokenKind::Constant:
      Start(node, NodeKind::Constant);
      node.constant = Current().value;
      Advance();
      return true;
    case TokenKind::Function:
      return Call(node);
    case TokenKind::Variable:
      return Variable(node);
    case TokenKind::OpenParen:
      Advance();
      return ParseExpression(node) && Expect(TokenKind::CloseParen, "Symbol ) expected.");
    default:
      break;
  }
  if (!IsPrefixOperator(Kind())) return Fail("Unexpected symbol in expression.");
  Nesting nesting(*this);
  if (!nesting.Ok()) return false;
  Start(node, NodeKind::Unary);
  node.value = OperatorCode(Kind());
  Advance();
  return Member(AddChild(node)) && Finish(node);
}

bool Parser::Call(CodeNode& node) {
  if (Kind() != TokenKind::Function) return Fail("Function name expected.");
  Start(node, NodeKind::Call);
  node.value = Current().id;
  Advance();
  if (!Expect(TokenKind::OpenParen, "Symbol ( expected.")) return false;
  while (Kind() != TokenKind::CloseParen) {
    if (Kind() == TokenKind::End) return Fail("Symbol ) expected.");
    if (!ParseExpression(AddChild(node))) return false;
    if (Kind() == TokenKind::Comma) {
      Advance();
    } else if (Kind() != TokenKind::CloseParen) {
      return Fail("Symbol , or ) expected.");
    }
  }
  int32_t count = static_cast<int32_t>(node.children.size());
  int32_t fixed = Function_ArgCount(node.value);
  if (count > kMaxArguments || (fixed >= 0 && fixed != count)) {
    return Fail("Wrong number of arguments to function or script.");
  }
  Advance();
  return Finish(node);
}

bool Parser::Variable(CodeNode& node) {
  if (Kind() != TokenKind::Variable) return Fail("Variable name expected.");
  Start(node, NodeKind::Variable);
  node.value = Current().id;
  CodeNode& instance = AddChild(node);
  Start(instance, NodeKind::Constant);
  instance.constant.SetReal(kInstanceDefault);
  Advance();
  if (Kind() != TokenKind::OpenBracket) return Finish(node);
  Advance();
  int32_t indices = 0;
  while (Kind() != TokenKind::CloseBracket) {
    if (Kind() == TokenKind::End) return Fail("Symbol ] expected.");
    if (indices == kMaxIndices) return Fail("Only 1- and 2-dimensional arrays are supported.");
    if (!ParseExpression(AddChild(node))) return false;
    ++indices;
    if (Kind() == TokenKind::Comma) {
      Advance();
    } else if (Kind() != TokenKind::CloseBracket) {
      return Fail("Symbol , or ] expected.");
    }
  }
  Advance();
  return Finish(node);
}

}  // namespace

bool Code_Phase3_Program(const CCode& code, const CodeElementList& elements, CodeNode& root) {
  Parser parser(code, elements);
  return parser.Program(root);
}

bool Code_Phase3_Expression(const CCode& code, const CodeElementList& elements, CodeNode& root) {
  Parser parser(code, elements);
  return parser.Expression(root);
}
