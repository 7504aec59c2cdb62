#include "script/operators.h"

#include <cmath>
#include <cstring>
#include <new>
#include <stdexcept>

#include "platform/conversions.h"
#include "script/compiler/compile_error_sink.h"
#include "script/compiler/token.h"

namespace {

bool Truth(double value) { return value >= 0.5; }

// Byte-wise comparison as unsigned bytes: negative, zero or positive.
int CompareText(std::string_view a, std::string_view b) {
  size_t n = std::min(a.size(), b.size());
  int c = n == 0 ? 0 : std::memcmp(a.data(), b.data(), n);
  if (c != 0) return c;
  return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

const char* Compare(TokenKind op, ScriptValue& left, const ScriptValue& right) {
  int order;
  if (left.IsReal() && right.IsReal()) {
    order = left.real < right.real ? -1 : (left.real > right.real ? 1 : 0);
    // NaN compares unequal and unordered, as the processor's comparisons give it.
    if (std::isnan(left.real) || std::isnan(right.real)) {
      left.SetReal(op == TokenKind::NotEqual ? 1.0 : 0.0);
      return nullptr;
    }
  } else if (left.IsString() && right.IsString()) {
    order = CompareText(left.Text(), right.Text());
  } else {
    return "Cannot compare arguments.";
  }
  bool result = false;
  switch (op) {
    case TokenKind::Assign:
    case TokenKind::Equal: result = order == 0; break;
    case TokenKind::NotEqual: result = order != 0; break;
    case TokenKind::Less: result = order < 0; break;
    case TokenKind::LessEqual: result = order <= 0; break;
    case TokenKind::Greater: result = order > 0; break;
    case TokenKind::GreaterEqual: result = order >= 0; break;
    default: break;
  }
  left.SetReal(result ? 1.0 : 0.0);
  return nullptr;
}

// real x string: the string repeated round(l) times.
const char* Repeat(ScriptValue& left, const ScriptValue& right) {
  std::string out;
  if (const char* error = Operator_RepeatString(out, right.Text(), Conv_RoundToInt32(left.real))) {
    return error;
  }
  left.SetString(std::move(out));
  return nullptr;
}

}  // namespace

// Longest string a repetition may make; beyond it the request can only exhaust memory.
constexpr size_t kMaxRepeatedLength = size_t{1} << 28;

const char* Operator_RepeatString(std::string& out, std::string_view text, int64_t count) {
  out.clear();
  if (count <= 0 || text.empty()) return nullptr;
  if (text.size() > kMaxRepeatedLength / static_cast<uint64_t>(count)) return "String too long.";
  try {
    out.reserve(text.size() * static_cast<size_t>(count));
  } catch (const std::bad_alloc&) {
    return "String too long.";
  }
  for (int64_t i = 0; i < count; ++i) out += text;
  return nullptr;
}

const char* Operator_Concatenate(ScriptValue& left, std::string_view right, bool storedBack) {
  try {
    if (storedBack) {
      left.AppendTextForStore(right);
    } else {
      left.AppendText(right);
    }
  } catch (const std::bad_alloc&) {
    return "String too long.";
  } catch (const std::length_error&) {
    return "String too long.";
  }
  return nullptr;
}

const char* Operator_Unary(int32_t op, ScriptValue& value) {
  if (!value.IsReal()) return "Wrong type of arguments to unary operator.";
  switch (static_cast<TokenKind>(op)) {
    case TokenKind::Not: value.SetReal(value.real < 0.5 ? 1.0 : 0.0); return nullptr;
    case TokenKind::Plus: return nullptr;
    case TokenKind::Minus: value.SetReal(-value.real); return nullptr;
    case TokenKind::BitNot:
      value.SetReal(static_cast<double>(~Conv_RoundToInt32(value.real)));
      return nullptr;
    default: return "Internal error: unknown unary operator.";
  }
}

const char* Operator_Binary(int32_t op, ScriptValue& left, const ScriptValue& right) {
  const bool reals = left.IsReal() && right.IsReal();
  const double l = left.real;
  const double r = right.real;
  switch (static_cast<TokenKind>(op)) {
    case TokenKind::Assign:
    case TokenKind::Equal:
    case TokenKind::NotEqual:
    case TokenKind::Less:
    case TokenKind::LessEqual:
    case TokenKind::Greater:
    case TokenKind::GreaterEqual:
      return Compare(static_cast<TokenKind>(op), left, right);
    case TokenKind::LogicalAnd:
      if (!reals) return "Wrong type of arguments for &&.";
      left.SetReal(Truth(l) && Truth(r) ? 1.0 : 0.0);
      return nullptr;
    case TokenKind::LogicalOr:
      if (!reals) return "Wrong type of arguments for ||.";
      left.SetReal(Truth(l) || Truth(r) ? 1.0 : 0.0);
      return nullptr;
    case TokenKind::LogicalXor:
      if (!reals) return "Wrong type of arguments for ^^.";
      left.SetReal(Truth(l) != Truth(r) ? 1.0 : 0.0);
      return nullptr;
    case TokenKind::Plus:
      if (reals) {
        left.SetReal(l + r);
      } else if (left.IsString() && right.IsString()) {
        return Operator_Concatenate(left, right.Text());
      } else {
        return "Wrong type of arguments to +.";
      }
      return nullptr;
    case TokenKind::Minus:
      if (!reals) return "Wrong type of arguments to -.";
      left.SetReal(l - r);
      return nullptr;
    case TokenKind::Multiply:
      if (reals) {
        left.SetReal(l * r);
      } else if (left.IsReal() && right.IsString()) {
        return Repeat(left, right);
      } else {
        return "Wrong type of arguments to *.";
      }
      return nullptr;
    case TokenKind::Divide:
      if (!reals) return "Wrong type of arguments to /.";
      if (r == 0.0) return "Division by 0.";
      left.SetReal(l / r);
      return nullptr;
    case TokenKind::IntegerDivide: {
      if (!reals) return "Wrong type of arguments to div.";
      int64_t a = Conv_TruncToInt32(l);
      int64_t b = Conv_TruncToInt32(r);
      if (b == 0) return "Division by 0.";
      left.SetReal(static_cast<double>(a / b));  // 64-bit, so INT32_MIN / -1 cannot trap
      return nullptr;
    }
    case TokenKind::Modulo:
      if (!reals) return "Wrong type of arguments to mod.";
      if (r == 0.0) return "Modulo by 0.";
      left.SetReal(l - r * std::trunc(l / r));
      return nullptr;
    case TokenKind::BitOr:
    case TokenKind::BitAnd:
    case TokenKind::BitXor: {
      TokenKind kind = static_cast<TokenKind>(op);
      if (!reals) {
        return kind == TokenKind::BitOr    ? "Wrong type of arguments for |."
               : kind == TokenKind::BitAnd ? "Wrong type of arguments for &."
                                           : "Wrong type of arguments for ^.";
      }
      uint32_t a = static_cast<uint32_t>(Conv_RoundToInt32(l));
      uint32_t b = static_cast<uint32_t>(Conv_RoundToInt32(r));
      uint32_t v = kind == TokenKind::BitOr ? (a | b) : kind == TokenKind::BitAnd ? (a & b) : (a ^ b);
      left.SetReal(static_cast<double>(static_cast<int32_t>(v)));
      return nullptr;
    }
    case TokenKind::ShiftLeft:
    case TokenKind::ShiftRight: {
      bool shiftLeft = static_cast<TokenKind>(op) == TokenKind::ShiftLeft;
      if (!reals) {
        return shiftLeft ? "Wrong type of arguments for <<." : "Wrong type of arguments for >>.";
      }
      int32_t value = Conv_RoundToInt32(l);
      uint32_t count = static_cast<uint32_t>(Conv_RoundToInt32(r)) & 31u;
      int32_t shifted = shiftLeft
                            ? static_cast<int32_t>(static_cast<uint32_t>(value) << count)
                            : (value >> count);  // arithmetic: keeps the sign
      left.SetReal(static_cast<double>(shifted));
      return nullptr;
    }
    default: return "Internal error: unknown binary operator.";
  }
}

bool Code_UnaryOp(const CCode& code, int32_t position, int32_t op, ScriptValue& value) {
  const char* error = Operator_Unary(op, value);
  if (error == nullptr) return true;
  Compiler_ReportError(code, position, error);
  return false;
}

bool Code_BinaryOp(const CCode& code, int32_t position, int32_t op, ScriptValue& left,
                   const ScriptValue& right) {
  const char* error = Operator_Binary(op, left, right);
  if (error == nullptr) return true;
  Compiler_ReportError(code, position, error);
  return false;
}
