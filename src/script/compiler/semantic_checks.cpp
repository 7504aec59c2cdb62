// Phase 4: one depth-first pass over the tree, children before their parent.
#include <unordered_set>

#include "platform/conversions.h"
#include "script/code.h"
#include "script/compiler/compile_error_sink.h"
#include "script/compiler/phases.h"
#include "script/operators.h"

namespace {

class Checker {
 public:
  explicit Checker(const CCode& code) : code_(code) {}
  bool Visit(CodeNode& node);

 private:
  bool CheckVariable(CodeNode& node);
  static void BecomeConstant(CodeNode& node, ScriptValue value) {
    node.kind = NodeKind::Constant;
    node.value = 0;
    node.constant = std::move(value);
    node.children.clear();
    node.height = 1;
  }

  const CCode& code_;
  // Ids declared with var so far; only uses after the declaration become local.
  std::unordered_set<int32_t> locals_;
};

bool Checker::Visit(CodeNode& node) {
  for (CodeNode& child : node.children) {
    if (!Visit(child)) return false;
  }
  switch (node.kind) {
    case NodeKind::VarDeclaration:
      for (const CodeNode& name : node.children) locals_.insert(name.value);
      return true;
    case NodeKind::Variable:
      return CheckVariable(node);
    case NodeKind::Unary: {
      if (node.children.size() != 1 || !node.children[0].IsConstant()) return true;
      ScriptValue value = node.children[0].constant;
      if (!Code_UnaryOp(code_, node.position, node.value, value)) return false;
      BecomeConstant(node, std::move(value));
      return true;
    }
    case NodeKind::Binary: {
      if (node.children.size() != 2 || !node.children[0].IsConstant() ||
          !node.children[1].IsConstant()) {
        return true;
      }
      ScriptValue value = node.children[0].constant;
      if (!Code_BinaryOp(code_, node.position, node.value, value, node.children[1].constant)) {
        return false;
      }
      BecomeConstant(node, std::move(value));
      return true;
    }
    case NodeKind::Case:
      if (node.children.size() == 1 && node.children[0].IsConstant()) {
        node.kind = NodeKind::ConstantCase;
      }
      return true;
    default:
      return true;
  }
}

bool Checker::CheckVariable(CodeNode& node) {
  if (node.children.empty()) return true;
  CodeNode& instance = node.children[0];
  if (!instance.IsConstant()) return true;
  if (instance.constant.IsReal() && instance.constant.real == kInstanceDefault &&
      locals_.count(node.value) != 0) {
    instance.constant.real = kInstanceLocal;
  }
  if (node.children.size() != 1) return true;
  if (instance.constant.IsString()) {
    Compiler_ReportError(code_, instance.position, "Left hand side must be a real value.");
    return false;
  }
  node.kind = NodeKind::FixedVariable;
  node.instance = Conv_RoundToInt32(instance.constant.real);
  return true;
}

}  // namespace

bool Code_Phase4(const CCode& code, CodeNode& root) {
  Checker checker(code);
  return checker.Visit(root);
}
