#include "script/compiler/code_node.h"

void CodeNode_Reset(CodeNode& node, int32_t position) {
  node.kind = NodeKind::Empty;
  node.value = 0;
  node.instance = 0;
  node.constant = ScriptValue();
  node.children.clear();
  node.position = position;
  node.height = 1;
}
