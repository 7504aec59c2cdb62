// Byte encodings of the saved-game sections written by the script engine: little-endian
// 4-byte integers, 8-byte doubles, booleans as integers (any non-zero byte reads as true)
// and strings as an integer length followed by the bytes. These are the byte stream's own
// encodings, so a section written here can be copied into a stream and read back from one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class SaveWriter {
 public:
  void WriteInteger(int32_t value);
  void WriteReal(double value);
  void WriteBoolean(bool value) { WriteInteger(value ? 1 : 0); }
  void WriteString(const std::string& value);

  const std::vector<uint8_t>& Bytes() const { return bytes_; }

 private:
  std::vector<uint8_t> bytes_;
};

// Reads from a borrowed block. Every read checks that its bytes are there: a read past the
// end fails, leaves the position where it was and makes Failed() true from then on.
class SaveReader {
 public:
  SaveReader(const uint8_t* data, size_t size) : data_(data), size_(data ? size : 0) {}
  explicit SaveReader(const std::vector<uint8_t>& bytes) : SaveReader(bytes.data(), bytes.size()) {}

  bool ReadInteger(int32_t& value);
  bool ReadReal(double& value);
  bool ReadBoolean(bool& value);
  // A negative length or one that runs past the end fails.
  bool ReadString(std::string& value);

  size_t Position() const { return position_; }
  size_t Remaining() const { return size_ - position_; }
  bool Failed() const { return failed_; }

 private:
  bool Take(void* destination, size_t count);

  const uint8_t* data_;
  size_t size_;
  size_t position_ = 0;
  bool failed_ = false;
};
