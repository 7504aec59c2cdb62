// The one value of the scripting language: a real or a byte string.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

class tagIConsole;

enum class ValueKind : int32_t { Real = 0, String = 1 };

// A value owns its bytes; copying a value copies them. A default value is the real 0.
// For a string value `real` carries no meaning (it is kept as stored, so a saved game
// round-trips byte for byte).
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

  // Same kind, real and bytes.
  bool SameAs(const ScriptValue& other) const {
    return kind == other.kind && real == other.real && text == other.text;
  }
};

// dest takes src's kind, real and a copy of its bytes.
inline void ScriptValue_Copy(ScriptValue& dest, const ScriptValue& src) {
  dest.kind = src.kind;
  dest.real = src.real;
  dest.text = src.text;
}

// Drops the bytes of a string value (the kind stays).
inline void ScriptValue_FreeString(ScriptValue& value) {
  if (value.IsString()) {
    value.text.clear();
    value.text.shrink_to_fit();
  }
}

// The print form: a string between double quotes; a real that is an int32 integer
// (ties to even) as that integer; any other real with six decimals.
std::string ScriptValue_PrintForm(const ScriptValue& value);
// Writes the print form through the console.
void ScriptValue_Print(tagIConsole& console, const ScriptValue& value);
