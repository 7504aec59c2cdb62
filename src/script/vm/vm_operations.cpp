#include "script/vm/vm_operations.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/conversions.h"
#include "script/operators.h"
#include "script/vm/vm_values.h"

namespace {

constexpr double kTolerance = 1e-05;

struct OpMessages {
  const char* error;   // an unsupported pair
  const char* string;  // a string operand where the operation takes none
};

OpMessages MessagesOf(VMOpcode op) {
  switch (op) {
    case VMOpcode::Add:
      return {"DoAdd :: Execution Error", "DoAdd :: Execution Error"};
    case VMOpcode::Sub:
      return {"DoSub:: Execution Error",
              "DoSub :: Execution Engine - Cannot operate on string type"};
    case VMOpcode::Mul:
      return {"DoMul :: Execution Error", "DoMul :: Execution Error"};
    case VMOpcode::Div:
      return {"DoDiv :: Execution Error",
              "DoDiv :: Execution Engine - Cannot operate on string type"};
    case VMOpcode::Rem:
      return {"DoRem :: Execution Error",
              "DoRem :: Execution Engine - Cannot operate on string type"};
    case VMOpcode::Mod:
      return {"DoMod :: Execution Error",
              "DoMod :: Execution Engine - Cannot operate on string type"};
    case VMOpcode::And:
      return {"DoAnd :: Execution Error",
              "DoAnd :: Execution Engine - Cannot operate on string type"};
    case VMOpcode::Or:
      return {"DoOr :: Execution Error",
              "DoOr :: Execution Engine - Cannot operate on string type"};
    case VMOpcode::Xor:
      return {"DoXor :: Execution Error",
              "DoXor :: Execution Engine - Cannot operate on string type"};
    case VMOpcode::Shl:
      return {"DoShl :: Execution Error",
              "DoShl :: Execution Engine - Cannot operate on string type"};
    case VMOpcode::Shr:
      return {"DoShr :: Execution Error",
              "DoShr :: Execution Engine - Cannot operate on string type"};
    default:
      return {"DoSet :: Invalid comparison type", "DoSet :: Invalid comparison type"};
  }
}

bool IsNumber(VMResolved k) {
  return k == VMResolved::Real || k == VMResolved::Int || k == VMResolved::Long;
}

int32_t Wrap(int64_t v) { return static_cast<int32_t>(static_cast<uint32_t>(v)); }

int64_t Shift64(int64_t value, int64_t count, bool left) {
  // As the 32-bit runtime's 64-bit shift helpers: the count's low byte, 64 or more
  // shifts everything out.
  uint32_t c = static_cast<uint32_t>(count) & 0xFFu;
  if (c >= 64) return left ? 0 : (value < 0 ? -1 : 0);
  if (left) return static_cast<int64_t>(static_cast<uint64_t>(value) << c);
  return value >> c;
}

// Stores a result into the left cell, in the slot form of type rt.
void StoreReal(ScriptValue& cell, VMType rt, double v) {
  if (rt == VMType::Var) {
    Cell_SetVarReal(cell, v);
  } else {
    Cell_SetDouble(cell, v);
  }
}

bool Compare(VMOpcode op, double d) {
  switch (op) {
    case VMOpcode::Slt:
      return d < -kTolerance;
    case VMOpcode::Sle:
      return d <= kTolerance;
    case VMOpcode::Seq:
      return d >= -kTolerance && d <= kTolerance;
    case VMOpcode::Sne:
      return d < -kTolerance || d > kTolerance;
    case VMOpcode::Sge:
      return d >= -kTolerance;
    default:
      return d > kTolerance;  // sgt
  }
}

int CompareBytes(std::string_view a, std::string_view b) {
  size_t n = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < n; ++i) {
    auto x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

const char* DoSet(VMOpcode op, const VMOperandValue& l, const VMOperandValue& r, ScriptValue& out) {
  double d;
  bool integral = (l.kind == VMResolved::Int || l.kind == VMResolved::Bool) &&
                  (r.kind == VMResolved::Int || r.kind == VMResolved::Bool);
  if (integral) {
    d = static_cast<double>(l.whole - r.whole);
  } else if (IsNumber(l.kind) && IsNumber(r.kind)) {
    // 64-bit integers compare as reals on either side.
    d = l.real - r.real;
  } else if (l.kind == VMResolved::String && r.kind == VMResolved::String) {
    d = CompareBytes(l.text, r.text);
  } else {
    return "DoSet :: Invalid comparison type";
  }
  Cell_SetInt(out, Compare(op, d) ? 1 : 0);
  return nullptr;
}

}  // namespace

const char* VM_DoBinary(VMOpcode op, uint32_t typeByte, ScriptValue* top, bool storedBack) {
  const uint32_t rightType = typeByte & 0x0F, leftType = (typeByte >> 4) & 0x0F;
  ScriptValue& leftCell = top[1];
  const VMOperandValue r = Cell_Resolve(top[0], rightType);
  const VMOperandValue l = Cell_Resolve(leftCell, leftType);
  if (l.kind == VMResolved::Bad || r.kind == VMResolved::Bad) {
    return leftType == 5 || rightType == 5
               ? (op == VMOpcode::Mul ? "Variable is malformed" : "Malformed variable")
               : MessagesOf(op).error;
  }
  if (op >= VMOpcode::Slt && op <= VMOpcode::Sgt) return DoSet(op, l, r, leftCell);

  const OpMessages messages = MessagesOf(op);
  const VMType rt =
      VM_ResultType(op, static_cast<VMType>(leftType), static_cast<VMType>(rightType));
  const bool lString = l.kind == VMResolved::String, rString = r.kind == VMResolved::String;
  const bool bothInt = l.kind == VMResolved::Int && r.kind == VMResolved::Int;

  if (op == VMOpcode::Add && lString && rString) {
    return Operator_Concatenate(leftCell, r.text, storedBack);
  }
  if (op == VMOpcode::Mul && IsNumber(l.kind) && rString) {
    int64_t count = l.kind == VMResolved::Real ? Conv_TruncToInt64(l.real) : l.whole;
    std::string repeated;
    if (const char* error = Operator_RepeatString(repeated, r.text, count)) return error;
    leftCell.SetString(repeated);
    return nullptr;
  }
  if (lString || rString) {
    return op == VMOpcode::Add || op == VMOpcode::Mul ? messages.error : messages.string;
  }

  // Logical operations on two booleans.
  if (l.kind == VMResolved::Bool || r.kind == VMResolved::Bool) {
    if (l.kind != VMResolved::Bool || r.kind != VMResolved::Bool) return messages.error;
    bool a = l.whole != 0, b = r.whole != 0, v;
    switch (op) {
      case VMOpcode::And:
        v = a && b;
        break;
      case VMOpcode::Or:
        v = a || b;
        break;
      case VMOpcode::Xor:
        v = a != b;
        break;
      default:
        return messages.error;
    }
    Cell_SetInt(leftCell, v ? 1 : 0);
    return nullptr;
  }

  if (bothInt) {
    const int64_t a = l.whole, b = r.whole;
    int32_t v;
    switch (op) {
      case VMOpcode::Add:
        v = Wrap(a + b);
        break;
      case VMOpcode::Sub:
        v = Wrap(a - b);
        break;
      case VMOpcode::Mul:
        v = Wrap(a * b);
        break;
      case VMOpcode::Div:
      case VMOpcode::Rem:
        if (b == 0)
          return op == VMOpcode::Div ? "DoDiv :: Divide by zero" : "DoRem :: Divide by zero";
        v = Wrap(a / b);  // INT_MIN / -1 wraps back to INT_MIN
        break;
      case VMOpcode::Mod:
        v = b == 0 ? 0 : Wrap(a % b);
        break;
      case VMOpcode::And:
        v = Wrap(a & b);
        break;
      case VMOpcode::Or:
        v = Wrap(a | b);
        break;
      case VMOpcode::Xor:
        v = Wrap(a ^ b);
        break;
      case VMOpcode::Shl:
        v = static_cast<int32_t>(static_cast<uint32_t>(a) << (b & 31));
        break;
      case VMOpcode::Shr:
        v = static_cast<int32_t>(a) >> (b & 31);
        break;
      default:
        return messages.error;
    }
    if (rt == VMType::Int) {
      Cell_SetInt(leftCell, v);
    } else {
      StoreReal(leftCell, rt, v);
    }
    return nullptr;
  }

  // Reals (64-bit integers take part as reals).
  const double a = l.real, b = r.real;
  double v;
  switch (op) {
    case VMOpcode::Add:
      v = a + b;
      break;
    case VMOpcode::Sub:
      v = a - b;
      break;
    case VMOpcode::Mul:
      v = a * b;
      break;
    case VMOpcode::Div:
      if (b == 0.0) return "DoDiv :: Divide by zero";
      v = a / b;
      break;
    case VMOpcode::Rem:
      if (b == 0.0) return "DoRem :: Divide by zero";
      // A whole number has no sign at zero: 1 div -2 is +0, as the interpreter's integers give.
      v = std::trunc(a / b) + 0.0;
      break;
    case VMOpcode::Mod:
      v = std::fmod(a, b);
      break;
    case VMOpcode::And:
      v = static_cast<double>(Conv_TruncToInt64(a) & Conv_TruncToInt64(b));
      break;
    case VMOpcode::Or:
      v = static_cast<double>(Conv_TruncToInt64(a) | Conv_TruncToInt64(b));
      break;
    case VMOpcode::Xor:
      v = static_cast<double>(Conv_TruncToInt64(a) ^ Conv_TruncToInt64(b));
      break;
    case VMOpcode::Shl:
      v = static_cast<double>(Shift64(Conv_TruncToInt64(a), Conv_TruncToInt64(b), true));
      break;
    case VMOpcode::Shr:
      v = static_cast<double>(Shift64(Conv_TruncToInt64(a), Conv_TruncToInt64(b), false));
      break;
    default:
      return messages.error;
  }
  StoreReal(leftCell, rt, v);
  return nullptr;
}

const char* VM_DoUnary(VMOpcode op, uint32_t type, ScriptValue* top) {
  ScriptValue& cell = top[0];
  const bool neg = op == VMOpcode::Neg;
  switch (static_cast<VMType>(type & 0x0F)) {
    case VMType::Double:
      Cell_SetDouble(cell, neg ? -cell.real : static_cast<double>(~Conv_TruncToInt64(cell.real)));
      return nullptr;
    case VMType::Float:
      if (!neg) return "DoNot :: Execution Error";
      Cell_SetFloat(cell, -Cell_Float(cell));
      return nullptr;
    case VMType::Int:
      Cell_SetInt(cell, neg ? Wrap(-static_cast<int64_t>(Cell_Int(cell))) : ~Cell_Int(cell));
      return nullptr;
    case VMType::Long:
      Cell_SetLong(cell, neg ? static_cast<int64_t>(0 - static_cast<uint64_t>(Cell_Long(cell)))
                             : ~Cell_Long(cell));
      return nullptr;
    case VMType::Bool:
      if (neg) return "DoNeg :: Execution Engine - Cannot operate on string type";
      Cell_SetInt(cell, Cell_Bool(cell) ? 0 : 1);
      return nullptr;
    case VMType::Var:
      if (cell.Kind() == ValueKind::String) {
        return neg ? "DoNeg :: Execution Engine - Cannot operate on string type"
                   : "DoNot :: Execution Engine - Cannot operate on string type";
      }
      Cell_SetVarReal(cell, neg ? -cell.real : static_cast<double>(~Conv_TruncToInt64(cell.real)));
      return nullptr;
    case VMType::String:
      return neg ? "DoNeg :: Execution Engine - Cannot operate on string type"
                 : "DoNot :: Execution Engine - Cannot operate on string type";
    default:
      return neg ? "DoNeg :: Execution Error" : "DoNot :: Execution Error";
  }
}

namespace {

int64_t ParseLong(const char* text) {
  errno = 0;
  long long v = std::strtoll(text, nullptr, 10);
  return static_cast<int64_t>(v);
}

int32_t ParseInt(const char* text) {
  int64_t v = ParseLong(text);
  if (v > INT32_MAX) return INT32_MAX;
  if (v < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(v);
}

std::string Format(const char* format, double v) {
  char buffer[64];  // a number's "%g" form is at most a few dozen characters
  int n = std::snprintf(buffer, sizeof buffer, format, v);
  return std::string(buffer, n > 0 ? static_cast<size_t>(n) : 0);
}

}  // namespace

const char* VM_DoConv(uint32_t typeByte, ScriptValue& cell) {
  const uint32_t from = typeByte & 0x0F, to = (typeByte >> 4) & 0x0F;
  constexpr const char* kError = "DoConv :: Execution Error";
  if (from == to) return kError;
  const VMOperandValue v = Cell_Resolve(cell, from);
  if (v.kind == VMResolved::Bad) return kError;
  const bool isString = v.kind == VMResolved::String;
  switch (static_cast<VMType>(to)) {
    case VMType::Bool: {
      bool b;
      switch (v.kind) {
        case VMResolved::Real:
          b = v.real > 0.5;
          break;
        case VMResolved::String:
          b = v.text == "true";
          break;
        default:
          b = v.whole != 0;
          break;
      }
      Cell_SetInt(cell, b ? 1 : 0);
      return nullptr;
    }
    case VMType::Int: {
      int32_t i;
      switch (v.kind) {
        case VMResolved::Real:
          i = Conv_TruncToInt32(v.real);
          break;
        case VMResolved::String:
          i = ParseInt(cell.CStr());
          break;
        default:
          i = static_cast<int32_t>(static_cast<uint32_t>(v.whole));
          break;
      }
      Cell_SetInt(cell, i);
      return nullptr;
    }
    case VMType::Long: {
      int64_t l;
      switch (v.kind) {
        case VMResolved::Real:
          l = Conv_TruncToInt64(v.real);
          break;
        case VMResolved::String:
          l = ParseLong(cell.CStr());
          break;
        default:
          l = v.whole;
          break;
      }
      Cell_SetLong(cell, l);
      return nullptr;
    }
    case VMType::Double:
    case VMType::Float: {
      double d;
      switch (v.kind) {
        case VMResolved::Real:
          d = v.real;
          break;
        case VMResolved::String:
          d = std::strtod(cell.CStr(), nullptr);
          break;
        case VMResolved::Long:
        case VMResolved::Int:
          d = static_cast<double>(v.whole);
          break;
        default:
          d = v.whole != 0 ? 1.0 : 0.0;
          break;
      }
      if (to == static_cast<uint32_t>(VMType::Float)) {
        Cell_SetFloat(cell, static_cast<float>(d));
      } else {
        Cell_SetDouble(cell, d);
      }
      return nullptr;
    }
    case VMType::Var:
      if (isString) {
        // a string slot is a string value already
      } else if (v.kind == VMResolved::Real) {
        Cell_SetVarReal(cell, v.real);
      } else if (v.kind == VMResolved::Bool) {
        Cell_SetVarReal(cell, v.whole != 0 ? 1.0 : 0.0);
      } else {
        Cell_SetVarReal(cell, static_cast<double>(v.whole));
      }
      return nullptr;
    case VMType::String:
      switch (v.kind) {
        case VMResolved::Real:
          cell.SetString(Format("%g", v.real));
          break;
        case VMResolved::Int:
          cell.SetString(std::to_string(static_cast<int32_t>(v.whole)));
          break;
        case VMResolved::Long:
          cell.SetString(std::to_string(static_cast<long long>(v.whole)));
          break;
        case VMResolved::Bool:
          cell.SetString(v.whole != 0 ? "true" : "false");
          break;
        default:  // a .v string keeps its bytes; a string slot keeps no real
          if (cell.StoredReal() != 0.0) cell.SetString(std::string(cell.Text()));
          break;
      }
      return nullptr;
    default:
      return kError;
  }
}

bool VM_ToVar(ScriptValue& cell, uint32_t type) {
  if ((type & 0x0F) == static_cast<uint32_t>(VMType::Var)) return true;
  return VM_DoConv(((static_cast<uint32_t>(VMType::Var)) << 4) | (type & 0x0F), cell) == nullptr;
}
