// The one value of the scripting language: a real or a byte string.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

class tagIConsole;

enum class ValueKind : int32_t { Real = 0, String = 1 };

// A value owns its bytes; copying a value copies them. A default value is the real 0.
// For a string value `real` carries no meaning; it is kept as stored, so a saved game
// round-trips byte for byte. The kind and the bytes change only through the setters.
struct ScriptValue {
  double real = 0.0;

  ScriptValue() = default;
  explicit ScriptValue(double r) : real(r) {}
  explicit ScriptValue(std::string_view s) : kind_(ValueKind::String), text_(s) {}

  static ScriptValue Real(double r) { return ScriptValue(r); }
  static ScriptValue String(std::string_view s) { return ScriptValue(s); }

  ValueKind Kind() const { return kind_; }
  bool IsReal() const { return kind_ == ValueKind::Real; }
  bool IsString() const { return kind_ == ValueKind::String; }

  // The bytes of a string value; empty for any other value.
  std::string_view Text() const { return IsString() ? std::string_view(text_) : std::string_view(); }
  // The same bytes followed by a NUL (which ends them early for C callers when they hold one).
  const char* CStr() const { return IsString() ? text_.c_str() : ""; }
  // The real a value was stored with: a string's kept real, or the real itself.
  double StoredReal() const { return real; }

  void SetReal(double r) {
    kind_ = ValueKind::Real;
    real = r;
    text_.clear();
  }
  // A value of kind k carrying r: a string one has no bytes; other kinds are the
  // container marks of a stored value.
  void SetKindAndReal(ValueKind k, double r) {
    SetReal(r);
    kind_ = k;
  }
  void SetString(std::string_view s, double stored = 0.0) {
    kind_ = ValueKind::String;
    real = stored;
    text_.assign(s.data(), s.size());
  }
  // A string value gets more bytes at its end; any other value becomes the string of them.
  void AppendText(std::string_view s) {
    if (!IsString()) SetString({});
    text_.append(s.data(), s.size());
  }
  // Drops the bytes of a string value (the kind and kept real stay).
  void DropText() {
    text_.clear();
    text_.shrink_to_fit();
  }

  // Same kind, real and bytes.
  bool SameAs(const ScriptValue& other) const {
    return kind_ == other.kind_ && real == other.real && Text() == other.Text();
  }

 private:
  ValueKind kind_ = ValueKind::Real;
  std::string text_;  // the bytes of a string value
};

// dest becomes a copy of src.
inline void ScriptValue_Copy(ScriptValue& dest, const ScriptValue& src) { dest = src; }

// Drops the bytes of a string value (the kind stays).
inline void ScriptValue_FreeString(ScriptValue& value) {
  if (value.IsString()) value.DropText();
}

// The print form: a string between double quotes; a real that is an int32 integer
// (ties to even) as that integer; any other real with six decimals.
std::string ScriptValue_PrintForm(const ScriptValue& value);
// Writes the print form through the console.
void ScriptValue_Print(tagIConsole& console, const ScriptValue& value);
