#include "platform/utf8.h"

#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

struct DecodeCase {
  std::string bytes;
  uint16_t code;
  size_t consumed;
};

TEST(Utf8, GetCharDecodesByLeadByteAndAdvances) {
  const std::vector<DecodeCase> cases = {
      {"A", 'A', 1},
      {"\x7F", 0x7F, 1},
      {"\xC3\xA9", 0xE9, 2},
      {"\xDF\xBF", 0x7FF, 2},
      {"\xE2\x82\xAC", 0x20AC, 3},
      {"\xEF\xBF\xBF", 0xFFFF, 3},
      // Continuation bytes are not checked.
      {"\xC3\x29", ((0xC3 & 0x1F) << 6) + (0x29 & 0x3F), 2},
      // A four-byte lead is read as a three-byte one, the result cut to 16 bits.
      {"\xF0\x9F\x98\x80", static_cast<uint16_t>((0xF0 << 12) + (0x1F << 6) + 0x18), 3},
  };
  for (const DecodeCase& c : cases) {
    const char* p = c.bytes.c_str();
    EXPECT_EQ(UTF8_GetChar(p), c.code) << c.bytes;
    EXPECT_EQ(static_cast<size_t>(p - c.bytes.c_str()), c.consumed) << c.bytes;
  }
}

TEST(Utf8, SequenceCutShortStopsAtTerminator) {
  // Exact-size buffers: a walk past the NUL would be caught by the address sanitizer.
  for (std::vector<char> bytes : {std::vector<char>{'\xC3', '\0'}, std::vector<char>{'\xE2', '\0'},
                                  std::vector<char>{'\xE2', '\x82', '\0'}}) {
    const char* p = bytes.data();
    UTF8_GetChar(p);
    EXPECT_EQ(*p, '\0');
    EXPECT_EQ(UTF8_GetChar(p), 0);  // at the terminator: 0, no step
    EXPECT_EQ(*p, '\0');
    EXPECT_EQ(UTF8_Length(bytes.data()), 1);
  }
}

TEST(Utf8, PutCharWritesOneToThreeBytes) {
  const std::vector<std::pair<uint16_t, std::string>> cases = {
      {'A', "A"},           {0x7F, "\x7F"},         {0x80, "\xC2\x80"},     {0xE9, "\xC3\xA9"},
      {0x7FF, "\xDF\xBF"}, {0x800, "\xE0\xA0\x80"}, {0x20AC, "\xE2\x82\xAC"}, {0xFFFF, "\xEF\xBF\xBF"},
  };
  for (const auto& [code, expected] : cases) {
    std::string out;
    UTF8_PutChar(out, code);
    EXPECT_EQ(out, expected) << code;
    char buffer[3];
    char* p = buffer;
    UTF8_PutChar(p, code);
    EXPECT_EQ(std::string(buffer, static_cast<size_t>(p - buffer)), expected);
    const char* q = out.c_str();
    EXPECT_EQ(UTF8_GetChar(q), code);
  }
}

TEST(Utf8, LengthCountsCharacters) {
  EXPECT_EQ(UTF8_Length(""), 0);
  EXPECT_EQ(UTF8_Length(nullptr), 0);
  EXPECT_EQ(UTF8_Length("hello"), 5);
  EXPECT_EQ(UTF8_Length("\xC3\xA9"), 1);
  EXPECT_EQ(UTF8_Length("a\xE2\x82\xAC" "b\xC3\xA9"), 4);
}

TEST(Utf8, ComparePrefix) {
  EXPECT_EQ(UTF8_ComparePrefix("hello", ""), 0);
  EXPECT_EQ(UTF8_ComparePrefix("", ""), 0);
  EXPECT_EQ(UTF8_ComparePrefix("hello", "he"), 0);
  EXPECT_EQ(UTF8_ComparePrefix("hello", "hello"), 0);
  EXPECT_EQ(UTF8_ComparePrefix("\xE2\x82\xAC" "x", "\xE2\x82\xAC"), 0);
  EXPECT_NE(UTF8_ComparePrefix("he", "hello"), 0);  // s ends first
  EXPECT_NE(UTF8_ComparePrefix("", "a"), 0);
  EXPECT_EQ(UTF8_ComparePrefix("hallo", "he"), 'a' - 'e');
  EXPECT_EQ(UTF8_ComparePrefix("\xC3\xA9", "\xC3\xA8"), 1);
}

}  // namespace

namespace {

// A read-only string of 2^31 + 1 'a' bytes and its terminator, made of one mebibyte of
// memory mapped over and over: the address space is large, the memory it takes is not.
class RepeatedString {
 public:
  static constexpr size_t kChunk = size_t{1} << 20;
  static constexpr size_t kChunks = (size_t{1} << 31) / kChunk;

  RepeatedString() {
    const int letters = memfd_create("letters", 0), tail = memfd_create("tail", 0);
    if (letters < 0 || tail < 0 || ftruncate(letters, kChunk) != 0 || ftruncate(tail, kChunk) != 0) {
      return;
    }
    std::vector<char> fill(kChunk, 'a');
    bool filled = pwrite(letters, fill.data(), kChunk, 0) == static_cast<ssize_t>(kChunk);
    fill.assign(kChunk, '\0');
    fill[0] = 'a';  // one more character, then the terminator
    filled = filled && pwrite(tail, fill.data(), kChunk, 0) == static_cast<ssize_t>(kChunk);
    size_ = (kChunks + 1) * kChunk;
    void* base = filled ? mmap(nullptr, size_, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0)
                        : MAP_FAILED;
    if (base != MAP_FAILED) {
      base_ = static_cast<char*>(base);
      bool mapped = true;
      for (size_t i = 0; i <= kChunks && mapped; ++i) {
        mapped = mmap(base_ + i * kChunk, kChunk, PROT_READ, MAP_SHARED | MAP_FIXED,
                      i < kChunks ? letters : tail, 0) != MAP_FAILED;
      }
      if (!mapped) {
        munmap(base_, size_);
        base_ = nullptr;
      }
    }
    close(letters);
    close(tail);
  }
  ~RepeatedString() {
    if (base_ != nullptr) munmap(base_, size_);
  }
  const char* Text() const { return base_; }

 private:
  char* base_ = nullptr;
  size_t size_ = 0;
};

TEST(Utf8, LengthCountsPastTwoToTheThirtyFirstCharacters) {
  RepeatedString s;
  ASSERT_NE(s.Text(), nullptr) << "could not map the string";
  EXPECT_EQ(UTF8_Length(s.Text()), (int64_t{1} << 31) + 1);
}

}  // namespace
