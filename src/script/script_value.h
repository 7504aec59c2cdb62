// The one value of the scripting language: a real or a byte string.
#pragma once

#include <bit>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

#include "script/string_rep.h"

class tagIConsole;

enum class ValueKind : int32_t { Real = 0, String = 1 };

// Sixteen bytes: the real and a tag word. The tag is 0 for a real, the address of the
// shared block of a string's bytes, or for any other kind (the container marks of a stored
// value) that kind in its high half with the low bit set. Copying a value shares the
// block; a writer that changes the bytes makes a fresh one. A default value is the real 0,
// all zero bytes. For a string value `real` carries no meaning; it is kept as stored, so a
// saved game round-trips byte for byte. The kind and the bytes change only through the
// setters.
struct ScriptValue {
  double real = 0.0;

  ScriptValue() = default;
  explicit ScriptValue(double r) : real(r) {}
  explicit ScriptValue(std::string_view s) : tag_(MakeTag(s)) {}
  ScriptValue(const ScriptValue& other) noexcept : real(other.real), tag_(other.tag_) { Retain(); }
  ScriptValue(ScriptValue&& other) noexcept : real(other.real), tag_(other.tag_) { other.tag_ = 0; }
  ScriptValue& operator=(const ScriptValue& other) noexcept {
    other.Retain();
    Release();
    real = other.real;
    tag_ = other.tag_;
    return *this;
  }
  ScriptValue& operator=(ScriptValue&& other) noexcept {
    if (this != &other) {
      Release();
      real = other.real;
      tag_ = other.tag_;
      other.tag_ = 0;
    }
    return *this;
  }
  ~ScriptValue() { Release(); }

  static ScriptValue Real(double r) { return ScriptValue(r); }
  static ScriptValue String(std::string_view s) { return ScriptValue(s); }

  ValueKind Kind() const {
    if (tag_ == 0) return ValueKind::Real;
    if ((tag_ & 1) != 0) return static_cast<ValueKind>(static_cast<int32_t>(tag_ >> 32));
    return ValueKind::String;
  }
  bool IsReal() const { return tag_ == 0; }
  bool IsString() const { return OwnsBlock(tag_); }

  // The bytes of a string value; empty for any other value.
  std::string_view Text() const { return IsString() ? Rep()->View() : std::string_view(); }
  // The same bytes followed by a NUL (which ends them early for C callers when they hold one).
  const char* CStr() const { return IsString() ? Rep()->Bytes() : ""; }
  // The real a value was stored with (a string keeps the one it was stored with).
  double StoredReal() const { return real; }

  void SetReal(double r) {
    Release();
    tag_ = 0;
    real = r;
  }
  // A value of kind k carrying r: a string one has no bytes; other kinds are the
  // container marks of a stored value.
  void SetKindAndReal(ValueKind k, double r) {
    if (k == ValueKind::String) {
      SetString({}, r);
      return;
    }
    SetReal(r);
    if (k != ValueKind::Real) tag_ = (static_cast<uint64_t>(static_cast<uint32_t>(k)) << 32) | 1;
  }
  void SetString(std::string_view s, double stored = 0.0) {
    const uint64_t fresh = MakeTag(s);  // before letting go: s may lie in the old block
    Release();
    tag_ = fresh;
    real = stored;
  }
  // A string value gets more bytes at its end; any other value becomes the string of them.
  void AppendText(std::string_view s) { AppendText(s, 1); }
  // The same, for a value about to be stored into a variable that holds its bytes too, with
  // nothing reading that variable in between: bytes held by those two alone grow in place.
  void AppendTextForStore(std::string_view s) { AppendText(s, 2); }
  // The shared block of a string value's bytes (the empty block for any other value), for
  // the readers of its text (script/string_text.h).
  StringRep& TextBlock() const { return IsString() ? *Rep() : *StringRep_Empty(); }
  // True when both are string values sharing one block of bytes.
  bool SharesTextWith(const ScriptValue& other) const { return IsString() && tag_ == other.tag_; }
  // How many values share a string value's bytes; 0 for any other value.
  uint32_t TextHolders() const { return IsString() ? Rep()->refs : 0; }
  // Drops the bytes of a string value (the kind and kept real stay).
  void DropText() {
    if (!IsString()) return;
    Release();
    tag_ = reinterpret_cast<uintptr_t>(Retained(StringRep_Empty()));
  }

  // Same kind, real and bytes.
  bool SameAs(const ScriptValue& other) const {
    return Kind() == other.Kind() && real == other.real && Text() == other.Text();
  }

 private:
  static bool OwnsBlock(uint64_t tag) { return tag != 0 && (tag & 1) == 0; }
  static StringRep* Retained(StringRep* rep) {
    ++rep->refs;
    return rep;
  }
  static uint64_t MakeTag(std::string_view s) {
    if (s.size() <= 1) {
      return reinterpret_cast<uintptr_t>(Retained(
          s.empty() ? StringRep_Empty() : StringRep_OfByte(static_cast<unsigned char>(s[0]))));
    }
    return reinterpret_cast<uintptr_t>(StringRep_Make(s, s.size()));
  }
  void AppendText(std::string_view s, uint32_t holders) {
    if (!IsString()) {
      SetString(s);
      return;
    }
    tag_ = reinterpret_cast<uintptr_t>(StringRep_Append(Rep(), s, holders));
  }
  StringRep* Rep() const { return reinterpret_cast<StringRep*>(tag_); }
  void Retain() const {
    if (OwnsBlock(tag_)) ++Rep()->refs;
  }
  void Release() {
    if (OwnsBlock(tag_) && --Rep()->refs == 0) StringRep_Free(Rep());
  }

  uint64_t tag_ = 0;
};
static_assert(sizeof(ScriptValue) == 16);
static_assert(sizeof(uintptr_t) == sizeof(uint64_t));
// A row of values may be moved by copying its bytes, and zero bytes (real +0.0, tag 0) are
// the real 0.
static_assert(std::bit_cast<uint64_t>(0.0) == 0);

// dest becomes a copy of src.
inline void ScriptValue_Copy(ScriptValue& dest, const ScriptValue& src) { dest = src; }

// Drops the bytes of a string value (the kind stays).
inline void ScriptValue_FreeString(ScriptValue& value) { value.DropText(); }

// The print form: a string between double quotes; a real that is an int32 integer
// (ties to even) as that integer; any other real with six decimals.
std::string ScriptValue_PrintForm(const ScriptValue& value);
// Writes the print form through the console.
void ScriptValue_Print(tagIConsole& console, const ScriptValue& value);
