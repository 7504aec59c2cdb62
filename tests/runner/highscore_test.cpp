// The highscore table's stored form: its exact bytes, the line-feed translation, and what a
// foreign or damaged file leaves in the table.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runner/highscore.h"

namespace {

std::vector<uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

TEST(HighScore, AFreshTableIsStoredInItsExactBytes) {
  HighScore_Clear();
  std::string expected = std::string("HISC\xA8\0\0\0", 8);
  for (int i = 0; i < kHighScorePlaces; ++i) expected += std::string("\x08\0\0\0<nobody>\0\0\0\0", 16);
  EXPECT_EQ(HighScore_Encode(), Bytes(expected));
}

TEST(HighScore, LineFeedBytesAreStoredAsCarriageReturnLineFeedAndRoundTrip) {
  HighScore_Clear();
  HighScore_Set(1, std::string(10, 'n'), 10);  // a length and a score of 0x0A
  HighScore_Set(2, "", 0x0A0A0A0A);
  HighScore_Set(3, std::string(106, 'm'), 3);
  const std::vector<uint8_t> stored = HighScore_Encode();
  // The length, 266 = 0x10A, holds a line feed too; its stored form makes the file one longer.
  ASSERT_EQ(stored.size(), 267u);
  EXPECT_EQ(std::vector<uint8_t>(stored.begin() + 4, stored.begin() + 14),
            (std::vector<uint8_t>{13, 10, 1, 0, 0, 13, 10, 0, 0, 0}));
  HighScore_Clear();
  HighScore_Decode(stored);
  EXPECT_EQ(HighScore_GetName(1), std::string(10, 'n'));
  EXPECT_EQ(HighScore_GetValue(1), 10);
  EXPECT_EQ(HighScore_GetName(2), "");
  EXPECT_EQ(HighScore_GetValue(2), 0x0A0A0A0A);
  EXPECT_EQ(HighScore_GetValue(3), 3);
  EXPECT_EQ(HighScore_GetName(4), "<nobody>");
}

TEST(HighScore, ForeignAndDamagedFilesLeaveNoPlacePartlyRead) {
  struct Case {
    const char* what;
    std::string bytes;
    std::string name1;
    int32_t score1;
    std::string name2;
  };
  const std::string place1 = std::string("\x03\0\0\0eve\x09\0\0\0", 11);
  const Case cases[] = {
      {"foreign", "NOPE" + std::string(200, '\0'), "keep", 5, "keep"},
      {"empty", "", "keep", 5, "keep"},
      {"header only", std::string("HISC\0\0\0\0", 8), "", 5, ""},
      {"huge length", std::string("HISC\0\0\0\0", 8) + place1 + std::string("\xff\xff\xff\x7f", 4), "eve", 9, ""},
      {"negative length", std::string("HISC\0\0\0\0", 8) + place1 + std::string("\xfe\xff\xff\xff", 4), "eve", 9, ""},
      {"cut score", std::string("HISC\0\0\0\0", 8) + place1 + std::string("\x01\0\0\0z\x01", 6), "eve", 9, ""},
  };
  for (const Case& c : cases) {
    HighScore_Clear();
    HighScore_Set(1, "keep", 5);
    HighScore_Set(2, "keep", 5);
    HighScore_Decode(Bytes(c.bytes));
    EXPECT_EQ(HighScore_GetName(1), c.name1) << c.what;
    EXPECT_EQ(HighScore_GetValue(1), c.score1) << c.what;
    EXPECT_EQ(HighScore_GetName(2), c.name2) << c.what;
    EXPECT_EQ(HighScore_GetValue(2), 5) << c.what;  // a place not read keeps its score
  }
}

TEST(HighScore, PlacesOutsideTheTableAnswerNothing) {
  HighScore_Clear();
  HighScore_Set(0, "x", 1);
  HighScore_Set(11, "x", 1);
  for (int place : {0, -1, 11, 1 << 30}) {
    EXPECT_EQ(HighScore_GetValue(place), 0);
    EXPECT_EQ(HighScore_GetName(place), "");
  }
  HighScore_Add("best", 100);
  EXPECT_EQ(HighScore_GetName(1), "best");
  EXPECT_EQ(HighScore_GetName(10), "<nobody>");
}

}  // namespace
