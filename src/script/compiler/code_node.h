// The parse tree of a piece of script.
//
// Every node owns its children by value. Walkers (the semantic checks, the tree
// interpreter, the bytecode generator) read `kind` and then the fields and children
// listed for it:
//
//   kind            value                      children
//   EmptyProgram    -                          none (the text held no statement)
//   Empty           -                          none (a lone ';'; also a freshly reset node)
//   Constant        -                          none; `constant` holds the value
//   Call            function id                the arguments, 0 to 16
//   Variable        variable id                [0] instance expression (the constant -6
//                                              when none was written), then 0, 1 or 2
//                                              index expressions
//   FixedVariable   variable id                as Variable; `instance` holds the instance
//                                              code (child 0 is its constant)
//   If              -                          condition, then, optional else
//   While           -                          condition, body
//   DoUntil         -                          body, condition
//   For             -                          initial statement, condition, step, body
//   Repeat          -                          count, body
//   Exit/Break/Continue -                      none
//   With            -                          instance expression, body
//   Return          -                          the value
//   Switch          -                          [0] the switch value, then the statements
//                                              of its body in order, labels among them
//   Case            -                          the label's expression
//   Default         -                          none
//   VarDeclaration  -                          one Constant node per name, its `value`
//                                              holding the variable id
//   GlobalVarDeclaration -                     as VarDeclaration
//   ConstantCase    -                          the constant (a Case whose label folded)
//   Assignment      assignment operator code   target (Variable or FixedVariable), value
//                   (101 = and :=, 102 +=, 103 -=, 104 *=, 105 /=, 114 |=, 115 &=, 116 ^=)
//   Block           -                          the statements
//   Unary           operator 203 ! , 210 +, 211 -, 220 ~   the operand
//   Binary          operator code (token kinds 101, 201-222)   left, right
//
// Operator codes are the TokenKind numbers of token.h. Instance codes: -1 self, -2 other,
// -3 all, -4 noone, -5 global, -6 self unless the name was declared with globalvar,
// -7 the run's locals; 0 and above an object index, 100000 and above an instance id.
// The parser refuses trees higher than kMaxNestingDepth levels, so walkers may recurse.
#pragma once

#include <cstdint>
#include <vector>

#include "script/instance_codes.h"

#include "script/script_value.h"

enum class NodeKind : int32_t {
  EmptyProgram = -2,
  Empty = -1,
  Constant = 5,
  Call = 6,
  Variable = 7,
  FixedVariable = 8,
  If = 13,
  While = 16,
  DoUntil = 17,
  For = 18,
  Repeat = 20,
  Exit = 21,
  Break = 22,
  Continue = 23,
  With = 24,
  Return = 25,
  Switch = 26,
  Case = 27,
  Default = 28,
  VarDeclaration = 29,
  GlobalVarDeclaration = 30,
  ConstantCase = 31,
  Assignment = 101,
  Block = 1000,
  Unary = 1010,
  Binary = 1011,
};


struct CodeNode {
  NodeKind kind = NodeKind::Empty;
  int32_t value = 0;     // operator code, function id or variable id
  int32_t instance = 0;  // instance code of a FixedVariable
  // Of a variable node: where a variable list held its variable when the tree interpreter
  // last reached it; only a guess, which the list checks (CVariableList::FindNodeFrom).
  mutable int32_t hint = 0;
  ScriptValue constant;  // value of a Constant node
  std::vector<CodeNode> children;
  int32_t position = 0;  // byte position of the token that starts the node
  int32_t height = 1;    // levels of the subtree as the parser built it (1: no children)

  bool IsConstant() const { return kind == NodeKind::Constant; }
};

// Makes node an empty node (kind Empty, no children, no value) at position.
void CodeNode_Reset(CodeNode& node, int32_t position);
