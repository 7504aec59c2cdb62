#include "platform/memory_manager.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "support/console_capture.h"

namespace {

// Statistics after minus before.
struct StatsDelta {
  MemoryStatistics before = MemoryManager::Statistics();
  int64_t Bytes() const {
    return static_cast<int64_t>(MemoryManager::Statistics().bytesInUse) - before.bytesInUse;
  }
  int64_t Blocks() const {
    return static_cast<int64_t>(MemoryManager::Statistics().blocksInUse) - before.blocksInUse;
  }
};

uint32_t WordBefore(const void* p, int offset) {
  uint32_t word;
  std::memcpy(&word, static_cast<const unsigned char*>(p) - offset, sizeof word);
  return word;
}

TEST(MemoryManager, BlockCarriesItsHeaderAndIsBooked) {
  StatsDelta delta;
  void* p = MemoryManager::Alloc(24, __FILE__, __LINE__, true);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(WordBefore(p, 16), 24u);
  EXPECT_EQ(WordBefore(p, 12), 0xDEADC0DEu);
  EXPECT_EQ(WordBefore(p, 8), 0xBAADB00Bu);
  EXPECT_EQ(WordBefore(p, 4), 0u);
  EXPECT_EQ(MemoryManager::GetSize(p), 24u);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(p) % 16, 0u);
  for (int i = 0; i < 24; ++i) EXPECT_EQ(static_cast<unsigned char*>(p)[i], 0);
  EXPECT_EQ(delta.Bytes(), 24);
  EXPECT_EQ(delta.Blocks(), 1);
  MemoryStatistics s = MemoryManager::Statistics();
  EXPECT_EQ(s.bytesInUse, s.bytesInUseShadow1);
  EXPECT_EQ(s.bytesInUse, s.bytesInUseShadow2);
  MemoryManager::Free(p);
  EXPECT_EQ(delta.Bytes(), 0);
  EXPECT_EQ(delta.Blocks(), 0);
}

TEST(MemoryManager, ZeroSizesAndNullChangeNothing) {
  StatsDelta delta;
  EXPECT_EQ(MemoryManager::Alloc(0, __FILE__, __LINE__, false), nullptr);
  EXPECT_EQ(MemoryManager::AllocAligned(0, 64, __FILE__, __LINE__, false), nullptr);
  MemoryManager::Free(nullptr);
  EXPECT_EQ(MemoryManager::GetSize(nullptr), 0u);
  EXPECT_EQ(MemoryManager::ReAlloc(nullptr, 0, __FILE__, __LINE__), nullptr);
  EXPECT_EQ(delta.Bytes(), 0);
  EXPECT_EQ(delta.Blocks(), 0);
}

TEST(MemoryManager, ReAllocKeepsTheStartAndZeroesTheGrowth) {
  StatsDelta delta;
  auto* p = static_cast<unsigned char*>(MemoryManager::Alloc(10, __FILE__, __LINE__, false));
  for (int i = 0; i < 10; ++i) p[i] = static_cast<unsigned char>(i + 1);
  EXPECT_EQ(MemoryManager::ReAlloc(p, 10, __FILE__, __LINE__), p);

  auto* q = static_cast<unsigned char*>(MemoryManager::ReAlloc(p, 20, __FILE__, __LINE__));
  ASSERT_NE(q, nullptr);
  EXPECT_EQ(MemoryManager::GetSize(q), 20u);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(q[i], i + 1);
  for (int i = 10; i < 20; ++i) EXPECT_EQ(q[i], 0);
  EXPECT_EQ(delta.Bytes(), 20);
  EXPECT_EQ(delta.Blocks(), 1);

  auto* r = static_cast<unsigned char*>(MemoryManager::ReAlloc(q, 4, __FILE__, __LINE__));
  for (int i = 0; i < 4; ++i) EXPECT_EQ(r[i], i + 1);
  EXPECT_EQ(MemoryManager::ReAlloc(r, 0, __FILE__, __LINE__), nullptr);
  EXPECT_EQ(delta.Bytes(), 0);
  EXPECT_EQ(delta.Blocks(), 0);

  void* fresh = MemoryManager::ReAlloc(nullptr, 8, __FILE__, __LINE__);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(static_cast<unsigned char*>(fresh)[i], 0);
  MemoryManager::Free(fresh);
}

TEST(MemoryManager, SetLengthStoresTheNewBlockInTheVariable) {
  char* buffer = nullptr;
  EXPECT_EQ(MemoryManager::SetLength(buffer, 5, __FILE__, __LINE__), buffer);
  ASSERT_NE(buffer, nullptr);
  std::memcpy(buffer, "abcd", 5);
  MemoryManager::SetLength(buffer, 100, __FILE__, __LINE__);
  EXPECT_STREQ(buffer, "abcd");
  MemoryManager::SetLength(buffer, 0, __FILE__, __LINE__);
  EXPECT_EQ(buffer, nullptr);
}

TEST(MemoryManager, ForeignBlocksGoToTheCLibraryUnbooked) {
  StatsDelta delta;
  char* foreign = strdup("made by the C library");
  EXPECT_FALSE(MemoryManager::Owns(foreign));
  EXPECT_EQ(MemoryManager::GetSize(foreign), 0u);
  MemoryManager::Free(foreign);  // the sanitizer build reports a leak or a bad free if it went wrong
  EXPECT_EQ(delta.Bytes(), 0);
  EXPECT_EQ(delta.Blocks(), 0);
}

TEST(MemoryManagerDeathTest, ReAllocOfAForeignBlockStops) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_DEATH(
      {
        static char notOurs[32];
        MemoryManager::ReAlloc(notOurs, 64, __FILE__, __LINE__);
      },
      "did not allocate");
}

TEST(MemoryManager, AlignedBlocksAreAlignedBookedAndReleased) {
  for (size_t alignment : {1u, 16u, 64u, 256u, 4096u}) {
    SCOPED_TRACE(alignment);
    StatsDelta delta;
    auto* p = static_cast<unsigned char*>(MemoryManager::AllocAligned(40, alignment, __FILE__, __LINE__, true));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(p) % alignment, 0u);
    EXPECT_EQ(delta.Bytes(), static_cast<int64_t>(40 + alignment - 1));
    EXPECT_EQ(MemoryManager::GetSize(p), 40 + alignment - 1);
    uint32_t back = WordBefore(p, 4);
    if (back != 0) {
      EXPECT_NE(back & 0x80000000u, 0u);
      uint32_t padding = back & 0x7FFFFFFFu;
      EXPECT_LT(padding, 8192u);
      EXPECT_EQ(WordBefore(p - padding, 12), 0xDEADC0DEu);
      EXPECT_EQ(WordBefore(p - padding, 8), 0xBAADB00Bu);
    }
    for (int i = 0; i < 40; ++i) EXPECT_EQ(p[i], 0);
    MemoryManager::Free(p);
    EXPECT_EQ(delta.Bytes(), 0);
    EXPECT_EQ(delta.Blocks(), 0);
  }
}

// The total is the program's heap in use: this allocator's blocks and everything else.
TEST(MemoryManager, DumpMemoryWritesTheProgramsTotalTwice) {
  ConsoleCapture capture;
  void* p = MemoryManager::Alloc(300000, __FILE__, __LINE__, true);
  MemoryManager::DumpMemory();
  MemoryManager::Free(p);
  unsigned total = 0, hex = 0;
  ASSERT_EQ(std::sscanf(capture.Text().c_str(), "Total memory used = %u(0x%08x) bytes\n", &total, &hex), 2)
      << capture.Text();
  EXPECT_EQ(total, hex);
  EXPECT_GE(total, 300000u);
  char expected[80];
  std::snprintf(expected, sizeof expected, "Total memory used = %u(0x%08x) bytes\n", total, total);
  EXPECT_EQ(capture.Text(), expected);
}

TEST(MemoryManager, StrdupCopiesIntoATrackedBlock) {
  char* copy = MemoryManager::Strdup("hello", __FILE__, __LINE__);
  EXPECT_STREQ(copy, "hello");
  EXPECT_EQ(MemoryManager::GetSize(copy), 6u);
  EXPECT_TRUE(MemoryManager::Owns(copy));
  MemoryManager::Free(copy);
  EXPECT_EQ(MemoryManager::Strdup(nullptr, __FILE__, __LINE__), nullptr);
}

}  // namespace
