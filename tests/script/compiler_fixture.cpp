#include "compiler_fixture.h"

#include <charconv>

#include "script/compiler/lexer.h"
#include "script/compiler/phases.h"
#include "script/compiler/user_variables.h"
#include "script/constants.h"
#include "script/function_table.h"

namespace {

void Nothing(ScriptValue&, CInstance*, CInstance*, int, ScriptValue*) {}

const char* OperatorText(int32_t op) {
  switch (op) {
    case 101: return "=";
    case 102: return "+=";
    case 103: return "-=";
    case 104: return "*=";
    case 105: return "/=";
    case 114: return "|=";
    case 115: return "&=";
    case 116: return "^=";
    case 201: return "&&";
    case 202: return "||";
    case 203: return "!";
    case 204: return "<";
    case 205: return "<=";
    case 206: return "==";
    case 207: return "!=";
    case 208: return ">=";
    case 209: return ">";
    case 210: return "+";
    case 211: return "-";
    case 212: return "*";
    case 213: return "/";
    case 214: return "div";
    case 215: return "mod";
    case 216: return "^^";
    case 217: return "|";
    case 218: return "&";
    case 219: return "^";
    case 220: return "~";
    case 221: return "<<";
    case 222: return ">>";
    default: return "?";
  }
}

const char* StatementName(NodeKind kind) {
  switch (kind) {
    case NodeKind::EmptyProgram: return "empty_program";
    case NodeKind::Empty: return "empty";
    case NodeKind::If: return "if";
    case NodeKind::While: return "while";
    case NodeKind::DoUntil: return "do";
    case NodeKind::For: return "for";
    case NodeKind::Repeat: return "repeat";
    case NodeKind::Exit: return "exit";
    case NodeKind::Break: return "break";
    case NodeKind::Continue: return "continue";
    case NodeKind::With: return "with";
    case NodeKind::Return: return "return";
    case NodeKind::Switch: return "switch";
    case NodeKind::Case: return "case";
    case NodeKind::Default: return "default";
    case NodeKind::ConstantCase: return "constcase";
    case NodeKind::VarDeclaration: return "var";
    case NodeKind::GlobalVarDeclaration: return "globalvar";
    default: return "?";
  }
}

// Shortest text that reads back as the same double.
std::string Number(double value) {
  char text[32];
  auto end = std::to_chars(text, text + sizeof text, value).ptr;
  return std::string(text, end);
}

std::string Join(const std::vector<CodeNode>& nodes, size_t from, const char* separator) {
  std::string out;
  for (size_t i = from; i < nodes.size(); ++i) {
    if (i > from) out += separator;
    out += TreeText(nodes[i]);
  }
  return out;
}

}  // namespace

void CompilerFixture_Init() {
  // Looked up each time: a test before may have emptied the function table.
  for (auto [name, argc] : {std::pair{"two_args", 2}, {"any_args", -1}, {"no_args", 0}}) {
    int32_t id = -1;
    if (!Function_Find(name, id)) Function_Add(name, Nothing, argc);
  }
  static bool constants = false;
  if (constants) return;
  constants = true;
  Constant_Init();
}

CompileResult CompileText(const std::string& text, bool isExpression) {
  CompilerFixture_Init();
  CompileResult result;
  result.code = std::make_unique<CCode>(text, isExpression);
  result.ok = result.code->Compile("test");
  result.error = Compiler_LastError();
  return result;
}

std::string TreeText(const CodeNode& node) {
  switch (node.kind) {
    case NodeKind::Constant:
      if (node.constant.IsString()) return "\"" + std::string(node.constant.Text()) + "\"";
      return Number(node.constant.real);
    case NodeKind::Variable:
    case NodeKind::FixedVariable: {
      std::string out;
      const CodeNode* instance = node.children.empty() ? nullptr : &node.children[0];
      bool plain = instance && instance->IsConstant() && instance->constant.IsReal() &&
                   instance->constant.real == -6;
      if (node.kind == NodeKind::Variable && instance && !plain) {
        out += "(" + TreeText(*instance) + ").";
      }
      out += Code_Variable_Name(node.value);
      if (node.kind == NodeKind::FixedVariable) out += "@" + std::to_string(node.instance);
      if (node.children.size() > 1) out += "[" + Join(node.children, 1, ",") + "]";
      return out;
    }
    case NodeKind::Call: {
      const BuiltinFunctionEntry* entry = Function_Get(node.value);
      std::string name = entry ? entry->name : "f" + std::to_string(node.value);
      return name + "(" + Join(node.children, 0, ",") + ")";
    }
    case NodeKind::Unary:
      return std::string("(") + OperatorText(node.value) + " " + TreeText(node.children[0]) + ")";
    case NodeKind::Binary:
    case NodeKind::Assignment:
      return std::string("(") + OperatorText(node.value) + " " + TreeText(node.children[0]) +
             " " + TreeText(node.children[1]) + ")";
    case NodeKind::Block:
      return "{" + Join(node.children, 0, "; ") + "}";
    case NodeKind::VarDeclaration:
    case NodeKind::GlobalVarDeclaration: {
      std::string out = std::string(StatementName(node.kind)) + "(";
      for (size_t i = 0; i < node.children.size(); ++i) {
        if (i) out += ",";
        out += Code_Variable_Name(node.children[i].value);
      }
      return out + ")";
    }
    default: {
      std::string out = StatementName(node.kind);
      if (node.children.empty()) return out;
      return out + "(" + Join(node.children, 0, ",") + ")";
    }
  }
}

std::string ParseText(const std::string& text, bool isExpression) {
  CompilerFixture_Init();
  CCode code(text, isExpression);
  CodeTokenList tokens;
  CodeElementList elements;
  CodeNode root;
  bool ok = Code_Phase1(code, tokens) && Code_Phase2(code, tokens, elements) &&
            (isExpression ? Code_Phase3_Expression(code, elements, root)
                          : Code_Phase3_Program(code, elements, root));
  if (!ok) {
    const CompileErrorRecord& error = Compiler_LastError();
    return "error: " + error.message + " @" + std::to_string(error.line) + ":" +
           std::to_string(error.column);
  }
  return TreeText(root);
}
