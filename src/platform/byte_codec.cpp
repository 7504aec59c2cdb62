#include "platform/byte_codec.h"

#include <cstring>

namespace {

void Store(uint8_t* out, uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out[i] = static_cast<uint8_t>(value >> (8 * i));
}

uint64_t Load(const uint8_t* in, int bytes) {
  uint64_t value = 0;
  for (int i = 0; i < bytes; ++i) value |= static_cast<uint64_t>(in[i]) << (8 * i);
  return value;
}

constexpr char kHexDigits[] = "0123456789ABCDEF";

}  // namespace

void Bytes_PutInt32(uint8_t* out, int32_t value) { Store(out, static_cast<uint32_t>(value), 4); }

int32_t Bytes_GetInt32(const uint8_t* in) { return static_cast<int32_t>(static_cast<uint32_t>(Load(in, 4))); }

void Bytes_PutReal(uint8_t* out, double value) {
  uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  Store(out, bits, 8);
}

double Bytes_GetReal(const uint8_t* in) {
  uint64_t bits = Load(in, 8);
  double value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

int Hex_DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

void Hex_AppendByte(std::string& out, uint8_t byte) {
  out += kHexDigits[byte >> 4];
  out += kHexDigits[byte & 15];
}

std::string Hex_Encode(const uint8_t* data, size_t count) {
  std::string text;
  text.reserve(count * 2);
  for (size_t i = 0; i < count; ++i) Hex_AppendByte(text, data[i]);
  return text;
}

std::string Hex_Encode(const std::vector<uint8_t>& bytes) { return Hex_Encode(bytes.data(), bytes.size()); }

bool Hex_Decode(std::string_view text, std::vector<uint8_t>& out) {
  out.clear();
  out.reserve(text.size() / 2);
  for (size_t i = 0; i + 1 < text.size(); i += 2) {
    int high = Hex_DigitValue(text[i]);
    int low = Hex_DigitValue(text[i + 1]);
    if (high < 0 || low < 0) return false;
    out.push_back(static_cast<uint8_t>(high << 4 | low));
  }
  return true;
}

void ByteWriter::WriteInteger(int32_t value) {
  uint8_t bytes[4];
  Bytes_PutInt32(bytes, value);
  bytes_.insert(bytes_.end(), bytes, bytes + sizeof bytes);
}

void ByteWriter::WriteReal(double value) {
  uint8_t bytes[8];
  Bytes_PutReal(bytes, value);
  bytes_.insert(bytes_.end(), bytes, bytes + sizeof bytes);
}

void ByteWriter::WriteString(std::string_view value) {
  WriteInteger(static_cast<int32_t>(value.size()));
  bytes_.insert(bytes_.end(), value.begin(), value.end());
}

void ByteWriter::WriteValue(const ScriptValue& value) {
  WriteInteger(static_cast<int32_t>(value.Kind()));
  WriteReal(value.StoredReal());
  WriteString(value.Text());
}

bool ByteReader::Take(uint8_t* destination, size_t count) {
  if (failed_ || count > size_ - position_) {
    failed_ = true;
    return false;
  }
  if (count > 0) std::memcpy(destination, data_ + position_, count);
  position_ += count;
  return true;
}

bool ByteReader::ReadInteger(int32_t& value) {
  uint8_t bytes[4];
  if (!Take(bytes, sizeof bytes)) return false;
  value = Bytes_GetInt32(bytes);
  return true;
}

bool ByteReader::ReadReal(double& value) {
  uint8_t bytes[8];
  if (!Take(bytes, sizeof bytes)) return false;
  value = Bytes_GetReal(bytes);
  return true;
}

bool ByteReader::ReadBoolean(bool& value) {
  uint8_t bytes[4];
  if (!Take(bytes, sizeof bytes)) return false;
  value = (bytes[0] | bytes[1] | bytes[2] | bytes[3]) != 0;
  return true;
}

bool ByteReader::ReadString(std::string& value) {
  size_t start = position_;
  int32_t length = 0;
  if (!ReadInteger(length)) return false;
  if (length < 0 || static_cast<size_t>(length) > size_ - position_) {
    position_ = start;
    failed_ = true;
    return false;
  }
  value.assign(reinterpret_cast<const char*>(data_ + position_), static_cast<size_t>(length));
  position_ += static_cast<size_t>(length);
  return true;
}

bool ByteReader::ReadValue(ScriptValue& value) { return ReadAnyValue(value, false); }

bool ByteReader::ReadContainerValue(ScriptValue& value) { return ReadAnyValue(value, true); }

bool ByteReader::ReadAnyValue(ScriptValue& value, bool marked) {
  constexpr int32_t kMapMark = INT32_MIN, kListMark = 0x40000000;
  int32_t kind = 0;
  double real = 0;
  std::string text;
  if (!ReadInteger(kind) || !ReadReal(real) || !ReadString(text)) return false;
  if (marked && (kind == kMapMark || kind == kListMark)) {
    value.SetKindAndReal(static_cast<ValueKind>(kind), real);
  } else if (kind == static_cast<int32_t>(ValueKind::Real)) {
    value.SetReal(real);
  } else if (kind == static_cast<int32_t>(ValueKind::String)) {
    value.SetString(text, real);
  } else {
    return false;
  }
  return true;
}
