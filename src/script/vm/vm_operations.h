// The machine's operations on typed slots: arithmetic, bitwise and logical operations,
// comparisons, negation, complement and conversions. Each works on the top cells in place
// and answers null, or the machine error's message.
#pragma once

#include <cstdint>

#include "script/script_value.h"
#include "script/vm/vm_opcodes.h"

// The type an operation leaves (shared with the generator, so declared and stored types
// always agree). Comparisons give .b; a .v operand gives .v; otherwise a string operand
// gives .s, two integers .i, two booleans .b, and any real, float or 64-bit mix .d.
constexpr VMType VM_ResultType(VMOpcode op, VMType left, VMType right) {
  if (op >= VMOpcode::Slt && op <= VMOpcode::Sgt) return VMType::Bool;
  if (left == VMType::Var || right == VMType::Var) return VMType::Var;
  if (left == VMType::String || right == VMType::String) return VMType::String;
  auto real = [](VMType t) {
    return t == VMType::Double || t == VMType::Float || t == VMType::Long;
  };
  if (real(left) || real(right)) return VMType::Double;
  return left == right ? left : VMType::Double;
}

// Binary operation (mul ... sgt): right in top[0], left in top[1]; the result replaces the
// left cell. typeByte: low nibble right type, high nibble left type. storedBack: as for
// Operator_Concatenate, when add joins two strings.
const char* VM_DoBinary(VMOpcode op, uint32_t typeByte, ScriptValue* top, bool storedBack = false);
// neg and not on top[0].
const char* VM_DoUnary(VMOpcode op, uint32_t type, ScriptValue* top);
// conv: low nibble source, high nibble destination.
const char* VM_DoConv(uint32_t typeByte, ScriptValue& cell);
// Makes a slot of the given type a .v value (for results and stores). False for a type
// that has no value form.
bool VM_ToVar(ScriptValue& cell, uint32_t type);
