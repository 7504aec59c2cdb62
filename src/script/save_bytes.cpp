#include "script/save_bytes.h"

#include <bit>
#include <cstring>

static_assert(std::endian::native == std::endian::little, "saved games are little-endian");

void SaveWriter::WriteInteger(int32_t value) {
  uint8_t bytes[4];
  std::memcpy(bytes, &value, sizeof bytes);
  bytes_.insert(bytes_.end(), bytes, bytes + sizeof bytes);
}

void SaveWriter::WriteReal(double value) {
  uint8_t bytes[8];
  std::memcpy(bytes, &value, sizeof bytes);
  bytes_.insert(bytes_.end(), bytes, bytes + sizeof bytes);
}

void SaveWriter::WriteString(const std::string& value) {
  WriteInteger(static_cast<int32_t>(value.size()));
  bytes_.insert(bytes_.end(), value.begin(), value.end());
}

bool SaveReader::Take(void* destination, size_t count) {
  if (failed_ || count > size_ - position_) {
    failed_ = true;
    return false;
  }
  if (count > 0) std::memcpy(destination, data_ + position_, count);
  position_ += count;
  return true;
}

bool SaveReader::ReadInteger(int32_t& value) { return Take(&value, sizeof value); }

bool SaveReader::ReadReal(double& value) { return Take(&value, sizeof value); }

bool SaveReader::ReadBoolean(bool& value) {
  uint8_t bytes[4];
  if (!Take(bytes, sizeof bytes)) return false;
  value = (bytes[0] | bytes[1] | bytes[2] | bytes[3]) != 0;
  return true;
}

bool SaveReader::ReadString(std::string& value) {
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
