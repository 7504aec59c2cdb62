#include "platform/stream.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/byte_codec.h"

namespace {

// Blocks stay addressable by the formats' signed 32-bit lengths.
constexpr int64_t kMaxStreamSize = 0x7FFFFFFF;

}  // namespace

CStream::CStream(int64_t initialSize) {
  if (initialSize > 0 && initialSize <= kMaxStreamSize) {
    owned_.assign(static_cast<size_t>(initialSize), 0);
    data_ = owned_.data();
    size_ = initialSize;
  }
}

void CStream::Free() {
  std::vector<uint8_t>().swap(owned_);
  data_ = nullptr;
  size_ = 0;
}

int64_t CStream::Seek(int64_t offset, int origin) {
  switch (origin) {
    case 0: position_ = offset; break;
    case 1: position_ += offset; break;
    case 2: position_ = size_ + offset; break;
    default: break;
  }
  return position_;
}

void CStream::Assign(const void* data, int64_t length) {
  borrowed_ = false;
  owned_.clear();
  if (data != nullptr && length > 0 && length <= kMaxStreamSize) {
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    owned_.assign(bytes, bytes + length);
  }
  data_ = owned_.empty() ? nullptr : owned_.data();
  size_ = static_cast<int64_t>(owned_.size());
  position_ = 0;
}

void CStream::AttachBorrowed(uint8_t* data, int64_t length) {
  std::vector<uint8_t>().swap(owned_);
  borrowed_ = true;
  data_ = data;
  size_ = data != nullptr && length > 0 ? length : 0;
  position_ = 0;
}

int64_t CStream::Left() const {
  if (data_ == nullptr || position_ < 0 || position_ >= size_) return 0;
  return size_ - position_;
}

int64_t CStream::ReadBuffer(void* destination, int64_t count) {
  if (destination == nullptr || count <= 0) return 0;
  int64_t copied = std::min(count, Left());
  if (copied < count) overrun_ = true;
  if (copied <= 0) return 0;
  std::memcpy(destination, data_ + position_, static_cast<size_t>(copied));
  position_ += copied;
  return copied;
}

void CStream::ReadFixed(uint8_t* destination, int64_t count) {
  std::memset(destination, 0, static_cast<size_t>(count));
  ReadBuffer(destination, count);
}

int32_t CStream::ReadInteger() {
  uint8_t bytes[4];
  ReadFixed(bytes, 4);
  return Bytes_GetInt32(bytes);
}

double CStream::ReadReal() {
  uint8_t bytes[8];
  ReadFixed(bytes, 8);
  return Bytes_GetReal(bytes);
}

bool CStream::ReadBoolean() {
  uint8_t bytes[4];
  ReadFixed(bytes, 4);
  return (bytes[0] | bytes[1] | bytes[2] | bytes[3]) != 0;
}

std::optional<std::string> CStream::ReadString() {
  int32_t length = ReadInteger();
  if (length <= 0) {
    if (length < 0) overrun_ = true;
    return std::nullopt;
  }
  int64_t available = std::min<int64_t>(length, Left());
  std::string text(static_cast<size_t>(available), '\0');
  ReadBuffer(text.data(), length);
  return text;
}

std::unique_ptr<CStream> CStream::ReadStream() {
  int32_t length = ReadInteger();
  if (length < 0) overrun_ = true;
  int64_t available = std::min<int64_t>(std::max(length, 0), Left());
  auto sub = std::make_unique<CStream>(available);
  if (length > 0) ReadBuffer(sub->GetBuffer(), length);
  return sub;
}

int64_t CStream::SkipBlock() {
  int32_t length = ReadInteger();
  int64_t skipped = std::clamp<int64_t>(length, 0, Left());
  if (skipped != length) overrun_ = true;
  position_ += skipped;
  return position_;
}

bool CStream::Grow(int64_t count, int64_t minimum) {
  if (position_ < 0) return false;
  if (size_ - position_ >= count) return true;
  if (borrowed_) return false;  // another owner's block never grows
  int64_t newSize = std::max({size_ * 2, minimum, position_ + count});
  if (newSize > kMaxStreamSize) return false;
  owned_.resize(static_cast<size_t>(newSize), 0);
  data_ = owned_.data();
  size_ = newSize;
  return true;
}

bool CStream::WriteBytes(const void* source, int64_t count, int64_t minimum) {
  if (!Grow(count, minimum)) return false;
  std::memcpy(data_ + position_, source, static_cast<size_t>(count));
  position_ += count;
  return true;
}

int64_t CStream::WriteBuffer(const void* source, int64_t count) {
  if (source == nullptr || count < 1) return 0;
  return WriteBytes(source, count, count) ? count : 0;
}

void CStream::WriteInteger(int32_t value) {
  uint8_t bytes[4];
  Bytes_PutInt32(bytes, value);
  WriteBytes(bytes, 4, 4);
}

void CStream::WriteReal(double value) {
  uint8_t bytes[8];
  Bytes_PutReal(bytes, value);
  WriteBytes(bytes, 8, 8);
}

void CStream::WriteBoolean(bool value) { WriteInteger(value ? 1 : 0); }

void CStream::WriteString(std::string_view text) {
  if (text.size() > static_cast<size_t>(kMaxStreamSize)) text = {};
  WriteInteger(static_cast<int32_t>(text.size()));
  WriteBuffer(text.data(), static_cast<int64_t>(text.size()));
}

void CStream::WriteString(const char* text) {
  WriteString(text == nullptr ? std::string_view() : std::string_view(text));
}

int64_t CStream::CopyFromEx(CStream& source, int64_t count, bool borrow) {
  if (count == 0) {
    int64_t whole = source.data_ != nullptr ? source.size_ : 0;
    if (&source == this) {
      std::vector<uint8_t> copy(data_, data_ + whole);
      WriteBuffer(copy.data(), whole);
    } else {
      WriteBuffer(source.data_, whole);
    }
    source.position_ = source.size_;
    return whole;
  }
  if (count < 0 || &source == this) return 0;
  int64_t available = std::min(count, source.Left());
  if (borrow) {
    uint8_t* view = available > 0 ? source.data_ + source.position_ : nullptr;
    AttachBorrowed(view, available);
    position_ = size_;
  } else if (available > 0) {
    WriteBuffer(source.data_ + source.position_, available);
  }
  source.position_ += available;
  return available;
}

bool CStream::SaveToFile(const std::string& fileName) const {
  if (data_ == nullptr) return false;
  std::FILE* file = std::fopen(fileName.c_str(), "wb");
  if (file == nullptr) return false;
  int64_t count = std::clamp<int64_t>(position_, 0, size_);
  if (count > 0) std::fwrite(data_, 1, static_cast<size_t>(count), file);
  std::fclose(file);
  return true;
}

bool CStream::LoadFromFile(const std::string& fileName, int64_t skip) {
  borrowed_ = false;
  Free();
  std::FILE* file = std::fopen(fileName.c_str(), "rb");
  if (file == nullptr) return false;
  std::vector<uint8_t> bytes;
  uint8_t piece[32768];
  size_t got;
  while ((got = std::fread(piece, 1, sizeof piece, file)) > 0) {
    if (bytes.size() + got > static_cast<size_t>(kMaxStreamSize)) break;
    bytes.insert(bytes.end(), piece, piece + got);
  }
  std::fclose(file);
  size_t from = static_cast<size_t>(std::clamp<int64_t>(skip, 0, static_cast<int64_t>(bytes.size())));
  owned_.assign(bytes.begin() + static_cast<ptrdiff_t>(from), bytes.end());
  data_ = owned_.empty() ? nullptr : owned_.data();
  size_ = static_cast<int64_t>(owned_.size());
  return true;
}

std::optional<std::string> CStream::ToHex() const {
  int64_t count = std::clamp<int64_t>(position_, 0, data_ != nullptr ? size_ : 0);
  if (count == 0) return std::nullopt;
  return Hex_Encode(data_, static_cast<size_t>(count));
}

void CStream::FromHex(std::string_view text) {
  std::vector<uint8_t> bytes;
  Hex_Decode(text, bytes);  // the leading run of pairs; the rest is ignored
  Assign(bytes.data(), static_cast<int64_t>(bytes.size()));
}
