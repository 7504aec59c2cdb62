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
  // Mostly single characters: their first bytes usually settle it.
  if (n != 0 && a[0] != b[0]) {
    return static_cast<unsigned char>(a[0]) < static_cast<unsigned char>(b[0]) ? -1 : 1;
  }
  int c = n == 0 ? 0 : std::memcmp(a.data(), b.data(), n);
  if (c != 0) return c;
  return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

// Whether two values in the given order (negative, zero or positive) pass a comparison.
bool CompareResult(TokenKind op, int order) {
  switch (op) {
    case TokenKind::Assign:
    case TokenKind::Equal: return order == 0;
    case TokenKind::NotEqual: return order != 0;
    case TokenKind::Less: return order < 0;
    case TokenKind::LessEqual: return order <= 0;
    case TokenKind::Greater: return order > 0;
    case TokenKind::GreaterEqual: return order >= 0;
    default: return false;
  }
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

namespace {

// left op right for two reals; the result replaces left's real.
const char* RealBinary(TokenKind op, double& left, double r) {
  const double l = left;
  switch (op) {
    // The processor's comparisons: NaN compares unequal and unordered.
    case TokenKind::Assign:
    case TokenKind::Equal: left = l == r ? 1.0 : 0.0; return nullptr;
    case TokenKind::NotEqual: left = l != r ? 1.0 : 0.0; return nullptr;
    case TokenKind::Less: left = l < r ? 1.0 : 0.0; return nullptr;
    case TokenKind::LessEqual: left = l <= r ? 1.0 : 0.0; return nullptr;
    case TokenKind::Greater: left = l > r ? 1.0 : 0.0; return nullptr;
    case TokenKind::GreaterEqual: left = l >= r ? 1.0 : 0.0; return nullptr;
    case TokenKind::LogicalAnd: left = Truth(l) && Truth(r) ? 1.0 : 0.0; return nullptr;
    case TokenKind::LogicalOr: left = Truth(l) || Truth(r) ? 1.0 : 0.0; return nullptr;
    case TokenKind::LogicalXor: left = Truth(l) != Truth(r) ? 1.0 : 0.0; return nullptr;
    case TokenKind::Plus: left = l + r; return nullptr;
    case TokenKind::Minus: left = l - r; return nullptr;
    case TokenKind::Multiply: left = l * r; return nullptr;
    case TokenKind::Divide:
      if (r == 0.0) return "Division by 0.";
      left = l / r;
      return nullptr;
    case TokenKind::IntegerDivide: {
      int64_t a = Conv_TruncToInt32(l);
      int64_t b = Conv_TruncToInt32(r);
      if (b == 0) return "Division by 0.";
      left = static_cast<double>(a / b);  // 64-bit, so INT32_MIN / -1 cannot trap
      return nullptr;
    }
    case TokenKind::Modulo:
      if (r == 0.0) return "Modulo by 0.";
      left = l - r * std::trunc(l / r);
      return nullptr;
    case TokenKind::BitOr:
    case TokenKind::BitAnd:
    case TokenKind::BitXor: {
      uint32_t a = static_cast<uint32_t>(Conv_RoundToInt32(l));
      uint32_t b = static_cast<uint32_t>(Conv_RoundToInt32(r));
      uint32_t v = op == TokenKind::BitOr ? (a | b) : op == TokenKind::BitAnd ? (a & b) : (a ^ b);
      left = static_cast<double>(static_cast<int32_t>(v));
      return nullptr;
    }
    case TokenKind::ShiftLeft:
    case TokenKind::ShiftRight: {
      int32_t value = Conv_RoundToInt32(l);
      uint32_t count = static_cast<uint32_t>(Conv_RoundToInt32(r)) & 31u;
      int32_t shifted = op == TokenKind::ShiftLeft
                            ? static_cast<int32_t>(static_cast<uint32_t>(value) << count)
                            : (value >> count);  // arithmetic: keeps the sign
      left = static_cast<double>(shifted);
      return nullptr;
    }
    default: return "Internal error: unknown binary operator.";
  }
}

// left op right when they are not both reals: string comparisons, joins and repetitions,
// and every other operator's complaint.
const char* OtherBinary(TokenKind op, ScriptValue& left, const ScriptValue& right) {
  switch (op) {
    case TokenKind::Assign:
    case TokenKind::Equal:
    case TokenKind::NotEqual:
    case TokenKind::Less:
    case TokenKind::LessEqual:
    case TokenKind::Greater:
    case TokenKind::GreaterEqual:
      if (!left.IsString() || !right.IsString()) return "Cannot compare arguments.";
      left.SetReal(CompareResult(op, CompareText(left.Text(), right.Text())) ? 1.0 : 0.0);
      return nullptr;
    case TokenKind::LogicalAnd: return "Wrong type of arguments for &&.";
    case TokenKind::LogicalOr: return "Wrong type of arguments for ||.";
    case TokenKind::LogicalXor: return "Wrong type of arguments for ^^.";
    case TokenKind::Plus:
      if (left.IsString() && right.IsString()) return Operator_Concatenate(left, right.Text());
      return "Wrong type of arguments to +.";
    case TokenKind::Minus: return "Wrong type of arguments to -.";
    case TokenKind::Multiply:
      if (left.IsReal() && right.IsString()) return Repeat(left, right);
      return "Wrong type of arguments to *.";
    case TokenKind::Divide: return "Wrong type of arguments to /.";
    case TokenKind::IntegerDivide: return "Wrong type of arguments to div.";
    case TokenKind::Modulo: return "Wrong type of arguments to mod.";
    case TokenKind::BitOr: return "Wrong type of arguments for |.";
    case TokenKind::BitAnd: return "Wrong type of arguments for &.";
    case TokenKind::BitXor: return "Wrong type of arguments for ^.";
    case TokenKind::ShiftLeft: return "Wrong type of arguments for <<.";
    case TokenKind::ShiftRight: return "Wrong type of arguments for >>.";
    default: return "Internal error: unknown binary operator.";
  }
}

}  // namespace

const char* Operator_Binary(int32_t op, ScriptValue& left, const ScriptValue& right) {
  const auto kind = static_cast<TokenKind>(op);
  if (left.IsReal() && right.IsReal()) return RealBinary(kind, left.real, right.real);
  return OtherBinary(kind, left, right);
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
