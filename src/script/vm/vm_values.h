// How typed stack slots live in the machine's cells. Every cell is a ScriptValue, so the
// arguments of a built-in call are already a contiguous ScriptValue array; a slot of a
// scalar type keeps its bits in the cell's real field (the cell's kind is then Real), a
// string slot is a string value.
#pragma once

#include <cstdint>
#include <cstring>
#include <limits>
#include <string>

#include "script/script_value.h"
#include "script/vm/vm_opcodes.h"

// A cell about to take scalar bits lets go of any string it holds first, so that its kind
// always tells whether it holds bytes.
inline void Cell_MakeScalar(ScriptValue& c) {
  if (!c.IsReal()) c.SetReal(0.0);
}

inline int32_t Cell_Int(const ScriptValue& c) {
  int32_t v;
  std::memcpy(&v, &c.real, 4);
  return v;
}
inline void Cell_SetInt(ScriptValue& c, int32_t v) {
  Cell_MakeScalar(c);
  std::memcpy(&c.real, &v, 4);
}
inline int64_t Cell_Long(const ScriptValue& c) {
  int64_t v;
  std::memcpy(&v, &c.real, 8);
  return v;
}
inline void Cell_SetLong(ScriptValue& c, int64_t v) {
  Cell_MakeScalar(c);
  std::memcpy(&c.real, &v, 8);
}
inline float Cell_Float(const ScriptValue& c) {
  float v;
  std::memcpy(&v, &c.real, 4);
  return v;
}
inline void Cell_SetFloat(ScriptValue& c, float v) {
  Cell_MakeScalar(c);
  std::memcpy(&c.real, &v, 4);
}
// A double slot.
inline void Cell_SetDouble(ScriptValue& c, double v) {
  Cell_MakeScalar(c);
  c.real = v;
}
// Raw scalar bits from the code (4 or 8 bytes).
inline void Cell_SetBits(ScriptValue& c, const void* bits, size_t size) {
  Cell_MakeScalar(c);
  std::memcpy(&c.real, bits, size);
}
// Only the low byte of a boolean slot counts.
inline bool Cell_Bool(const ScriptValue& c) { return (Cell_Int(c) & 0xFF) != 0; }
// A .v slot holding a real.
inline void Cell_SetVarReal(ScriptValue& c, double v) { c.SetReal(v); }

// Conv_TruncToInt32 without the library's trunc: every value strictly between -2^31 - 1 and
// 2^31 truncates to an int32; NaN and everything else gives the integer indefinite, as
// there.
inline int32_t Cell_TruncToInt32(double value) {
  if (value > -2147483649.0 && value < 2147483648.0) return static_cast<int32_t>(value);
  return std::numeric_limits<int32_t>::min();
}

// A slot's value after a .v is resolved by its kind.
enum class VMResolved : uint8_t { Real, Int, Long, Bool, String, Bad };

struct VMOperandValue {
  VMResolved kind = VMResolved::Bad;
  double real = 0.0;
  int64_t whole = 0;  // Int, Long and Bool
  std::string_view text;
};

inline VMOperandValue Cell_Resolve(const ScriptValue& c, uint32_t type) {
  VMOperandValue v;
  switch (static_cast<VMType>(type)) {
    case VMType::Double:
      v.kind = VMResolved::Real;
      v.real = c.real;
      break;
    case VMType::Float:
      v.kind = VMResolved::Real;
      v.real = Cell_Float(c);
      break;
    case VMType::Int:
      v.kind = VMResolved::Int;
      v.whole = Cell_Int(c);
      v.real = static_cast<double>(v.whole);
      break;
    case VMType::Long:
      v.kind = VMResolved::Long;
      v.whole = Cell_Long(c);
      v.real = static_cast<double>(v.whole);
      break;
    case VMType::Bool:
      v.kind = VMResolved::Bool;
      v.whole = Cell_Bool(c) ? 1 : 0;
      break;
    case VMType::Var:
      if (c.Kind() == ValueKind::String) {
        v.kind = VMResolved::String;
        v.text = c.Text();
      } else {
        v.kind = VMResolved::Real;
        v.real = c.real;
      }
      break;
    case VMType::String:
      v.kind = VMResolved::String;
      v.text = c.Text();
      break;
    default:
      break;
  }
  return v;
}
