// The bytecode generator: one pass over a checked parse tree, tracking the type of every
// value the code leaves on the machine's stack, with labels fixed up when they are placed.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "script/compiler/code_node.h"
#include "script/vm/vm_opcodes.h"
#include "script/vm/vm_write_buffer.h"
#include "script/vm_buffer.h"

class CCode;

// Values the generated code may hold on the stack at once. An expression that needs more is
// refused with a compile error instead of overrunning the type stack.
inline constexpr int32_t kVMTypeStackLimit = 1024;

class VMCodeGen {
 public:
  // code names the piece being compiled, for compile errors (may be null in tests).
  explicit VMCodeGen(const CCode* code) : code_(code) {}

  // A block of statements; any other root emits nothing. False after a compile error.
  bool Program(const CodeNode& root);
  // One expression, its value converted to .v and left on the stack.
  bool Expression(const CodeNode& root);
  void Finish(VMBuffer& bytecode, VMBuffer& debugInfo);

  int32_t MaxTypeDepth() const { return maxDepth_; }

 private:
  struct Label {
    const char* name = "";
    int32_t position = 0;
    bool placed = false;
    int32_t breaks = 0;
    std::vector<int32_t> fixups;
  };
  using LabelRef = std::shared_ptr<Label>;

  LabelRef NewLabel(const char* name) {
    auto label = std::make_shared<Label>();
    label->name = name;
    return label;
  }
  void Place(const LabelRef& label);
  void EmitBranch(VMOpcode op, const LabelRef& label, uint32_t typeByte = 0);
  void Emit(VMOpcode op, uint32_t typeByte, uint32_t low = 0) {
    code_buffer_.WriteWords({VM_Word(op, typeByte, low)});
  }

  bool PushType(VMType type);
  VMType PopType();
  VMType TopType() const;
  void ConvertTop(VMType to);
  void EmitConstant(const ScriptValue& value);
  void EmitInt(int32_t value);  // push.i with a 4-byte operand

  bool Statement(const CodeNode& node);
  bool Block(const CodeNode& node);
  bool LoopBody(const LabelRef& continueLabel, const LabelRef& breakLabel, const CodeNode& body);
  bool Expr(const CodeNode& node);
  bool Call(const CodeNode& node);
  bool Unary(const CodeNode& node);
  bool Binary(const CodeNode& node);
  bool Assignment(const CodeNode& node);
  bool If(const CodeNode& node);
  bool While(const CodeNode& node);
  bool DoUntil(const CodeNode& node);
  bool For(const CodeNode& node);
  bool Repeat(const CodeNode& node);
  bool With(const CodeNode& node);
  bool Switch(const CodeNode& node);

  // Variable access: emits what goes below the value (instance, index) and answers the
  // word's low 16 bits and the operand.
  bool VariableAddress(const CodeNode& node, uint32_t& low, uint32_t& operand);
  bool TooDeep(const CodeNode& node);

  const CCode* code_;
  VMWriteBuffer code_buffer_{16};
  VMWriteBuffer debug_buffer_{16};
  std::vector<VMType> types_;
  int32_t maxDepth_ = 0;
  bool overflow_ = false;
  LabelRef continueTarget_;
  LabelRef breakTarget_;
  // Types of the switch values held between the innermost loop or with and here: a continue
  // drops them before it leaves.
  std::vector<VMType> switchValues_;
};

// The generator the compile driver calls for a compiled CCode (programs and expressions).
bool VM_GenerateCode(CCode& code);
