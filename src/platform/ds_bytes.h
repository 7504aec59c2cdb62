// Byte writer and reader behind the hexadecimal text forms of the ds containers.
//
// The text forms are the bytes of a little-endian stream rendered as two upper-case
// hexadecimal digits per byte. Every read is checked against the bytes left, so a
// damaged or hostile text is refused instead of being read past its end.
#pragma once

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "script/script_value.h"

namespace ds_bytes {

inline constexpr char kHexUpper[] = "0123456789ABCDEF";

inline int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

inline void AppendHexByte(std::string& out, uint8_t b) {
  out += kHexUpper[b >> 4];
  out += kHexUpper[b & 15];
}

class Writer {
 public:
  void Int32(int32_t value) {
    uint32_t u = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i) bytes_.push_back(uint8_t(u >> (8 * i)));
  }
  void Real(double value) {
    uint64_t u;
    std::memcpy(&u, &value, sizeof u);
    for (int i = 0; i < 8; ++i) bytes_.push_back(uint8_t(u >> (8 * i)));
  }
  void String(std::string_view text) {
    Int32(static_cast<int32_t>(text.size()));
    bytes_.insert(bytes_.end(), text.begin(), text.end());
  }
  // One stored value: kind, real, then the text (length 0 for a real).
  void Value(const ScriptValue& v) {
    Int32(static_cast<int32_t>(v.kind));
    Real(v.real);
    String(v.IsString() ? std::string_view(v.text) : std::string_view());
  }
  std::string ToHex() const {
    std::string out;
    out.reserve(bytes_.size() * 2);
    for (uint8_t b : bytes_) AppendHexByte(out, b);
    return out;
  }

 private:
  std::vector<uint8_t> bytes_;
};

class Reader {
 public:
  // Parses the text two characters at a time; a last odd character is ignored. A pair
  // that is not two hexadecimal digits makes the whole text unreadable.
  static std::optional<Reader> FromHex(std::string_view text) {
    Reader reader;
    size_t pairs = text.size() / 2;
    reader.bytes_.reserve(pairs);
    for (size_t i = 0; i < pairs; ++i) {
      int hi = HexDigitValue(text[2 * i]);
      int lo = HexDigitValue(text[2 * i + 1]);
      if (hi < 0 || lo < 0) return std::nullopt;
      reader.bytes_.push_back(uint8_t(hi << 4 | lo));
    }
    return reader;
  }

  size_t Remaining() const { return bytes_.size() - position_; }

  bool Int32(int32_t& out) {
    if (Remaining() < 4) return false;
    uint32_t u = 0;
    for (int i = 0; i < 4; ++i) u |= uint32_t(bytes_[position_ + i]) << (8 * i);
    position_ += 4;
    out = static_cast<int32_t>(u);
    return true;
  }
  bool Real(double& out) {
    if (Remaining() < 8) return false;
    uint64_t u = 0;
    for (int i = 0; i < 8; ++i) u |= uint64_t(bytes_[position_ + i]) << (8 * i);
    position_ += 8;
    std::memcpy(&out, &u, sizeof out);
    return true;
  }
  bool String(std::string& out) {
    int32_t length;
    if (!Int32(length) || length < 0 || size_t(length) > Remaining()) return false;
    out.assign(reinterpret_cast<const char*>(bytes_.data() + position_), size_t(length));
    position_ += size_t(length);
    return true;
  }
  // A kind other than real (0) or string (1) is refused.
  bool Value(ScriptValue& out) {
    int32_t kind;
    double real;
    std::string text;
    if (!Int32(kind) || !Real(real) || !String(text)) return false;
    if (kind == 0) {
      out.SetReal(real);
    } else if (kind == 1) {
      out.kind = ValueKind::String;
      out.real = real;
      out.text = std::move(text);
    } else {
      return false;
    }
    return true;
  }
  // True when count values, each of at least the smallest stored size, can be present.
  bool CanHoldValues(int64_t count) const {
    constexpr int64_t kSmallestValue = 4 + 8 + 4;
    return count >= 0 && count <= int64_t(Remaining()) / kSmallestValue;
  }

 private:
  std::vector<uint8_t> bytes_;
  size_t position_ = 0;
};

}  // namespace ds_bytes
