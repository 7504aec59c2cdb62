// The one value of the scripting language: a real or a byte string.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

enum class ValueKind : int32_t { Real = 0, String = 1 };

struct ScriptValue {
  ValueKind kind = ValueKind::Real;
  double real = 0.0;
  std::string text;  // the bytes of a string value; empty for a real

  ScriptValue() = default;
  explicit ScriptValue(double r) : real(r) {}
  explicit ScriptValue(std::string s) : kind(ValueKind::String), text(std::move(s)) {}

  static ScriptValue Real(double r) { return ScriptValue(r); }
  static ScriptValue String(std::string s) { return ScriptValue(std::move(s)); }

  bool IsReal() const { return kind == ValueKind::Real; }
  bool IsString() const { return kind == ValueKind::String; }

  void SetReal(double r) {
    kind = ValueKind::Real;
    real = r;
    text.clear();
  }
  void SetString(std::string s) {
    kind = ValueKind::String;
    real = 0.0;
    text = std::move(s);
  }
};
