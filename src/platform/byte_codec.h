// The byte encodings shared by the byte stream (CStream), the script engine's saved-game
// sections and the ds_* text forms. All are little-endian without alignment: integer 4 bytes,
// real 8 bytes (IEEE double), boolean an integer (any non-zero byte reads as true), string an
// integer length followed by that many bytes, and a stored value its kind (integer), its real
// and its text (length 0 for a real). The hexadecimal text forms spell each byte as two
// upper-case digits.
//
// ByteWriter appends to a growing block; ByteReader reads a borrowed block and checks every read
// against the bytes left. CStream keeps its own lenient reads over the same encodings.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "script/script_value.h"

void Bytes_PutInt32(uint8_t* out, int32_t value);
int32_t Bytes_GetInt32(const uint8_t* in);
void Bytes_PutReal(uint8_t* out, double value);
double Bytes_GetReal(const uint8_t* in);

// 0 to 15 for a hexadecimal digit of either case, -1 for anything else.
int Hex_DigitValue(char c);
void Hex_AppendByte(std::string& out, uint8_t byte);
std::string Hex_Encode(const uint8_t* data, size_t count);
std::string Hex_Encode(const std::vector<uint8_t>& bytes);
// Decodes text two characters at a time into out (replacing what it held), stopping at the
// first pair that is not two hexadecimal digits; a last odd character is ignored. False when
// it stopped early (out then holds the pairs before that one).
bool Hex_Decode(std::string_view text, std::vector<uint8_t>& out);

// Smallest stored value: a kind, a real and a string length.
inline constexpr size_t kStoredValueMinBytes = 4 + 8 + 4;

class ByteWriter {
 public:
  void WriteInteger(int32_t value);
  void WriteReal(double value);
  void WriteBoolean(bool value) { WriteInteger(value ? 1 : 0); }
  void WriteString(std::string_view value);
  void WriteValue(const ScriptValue& value);

  const std::vector<uint8_t>& Bytes() const { return bytes_; }

 private:
  std::vector<uint8_t> bytes_;
};

// Reads from a borrowed block. Every read checks that its bytes are there: a read past the
// end fails, leaves the position where it was and makes Failed() true from then on.
class ByteReader {
 public:
  ByteReader(const uint8_t* data, size_t size) : data_(data), size_(data ? size : 0) {}
  explicit ByteReader(const std::vector<uint8_t>& bytes) : ByteReader(bytes.data(), bytes.size()) {}
  explicit ByteReader(std::vector<uint8_t>&&) = delete;  // would borrow a temporary

  bool ReadInteger(int32_t& value);
  bool ReadReal(double& value);
  bool ReadBoolean(bool& value);
  // A negative length or one that runs past the end fails.
  bool ReadString(std::string& value);
  // A kind other than real or string fails; value is left as it was when the read fails.
  bool ReadValue(ScriptValue& value);
  // As ReadValue, also taking the two marked kinds of a nested map (bit 31) or list (bit 30)
  // that the data-structure containers hold for decoded JSON.
  bool ReadContainerValue(ScriptValue& value);

  size_t Position() const { return position_; }
  size_t Remaining() const { return size_ - position_; }
  bool Failed() const { return failed_; }
  // True when count records of at least bytesEach bytes each can be in what is left.
  bool CanHold(int64_t count, size_t bytesEach) const {
    return count >= 0 && static_cast<uint64_t>(count) <= Remaining() / bytesEach;
  }

 private:
  bool ReadAnyValue(ScriptValue& value, bool marked);
  bool Take(uint8_t* destination, size_t count);

  const uint8_t* data_;
  size_t size_;
  size_t position_ = 0;
  bool failed_ = false;
};
