// The buffer the bytecode generator writes: whole little-endian 32-bit words, growing by
// doubling its capacity. Finishing hands the bytes over as an owned VMBuffer.
#pragma once

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <vector>

#include "script/vm_buffer.h"

class VMWriteBuffer {
 public:
  explicit VMWriteBuffer(size_t capacity = 16) { bytes_.reserve(capacity); }

  void WriteWords(std::initializer_list<uint32_t> words) {
    for (uint32_t word : words) {
      if (bytes_.size() + 4 > bytes_.capacity()) bytes_.reserve(bytes_.capacity() * 2 + 4);
      uint8_t b[4] = {static_cast<uint8_t>(word), static_cast<uint8_t>(word >> 8),
                      static_cast<uint8_t>(word >> 16), static_cast<uint8_t>(word >> 24)};
      bytes_.insert(bytes_.end(), b, b + 4);
    }
  }
  // Replaces the word at a byte offset already written.
  void PatchWord(size_t offset, uint32_t word) {
    for (int i = 0; i < 4; ++i) bytes_[offset + i] = static_cast<uint8_t>(word >> (8 * i));
  }
  uint32_t WordAt(size_t offset) const {
    uint32_t word;
    std::memcpy(&word, bytes_.data() + offset, 4);
    return word;  // the host is little-endian, as the format
  }
  int32_t Position() const { return static_cast<int32_t>(bytes_.size()); }
  const std::vector<uint8_t>& Bytes() const { return bytes_; }
  VMBuffer Finish() { return VMBuffer(std::move(bytes_)); }

 private:
  std::vector<uint8_t> bytes_;
};
