// The model text file: the exact text written, integer slots that come back whole, and the
// files that are refused.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "graphics/model_text_file.h"

namespace {

std::span<const uint8_t> Bytes(const std::string& text) {
  return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

GR_3D_Model_Record Record(int32_t kind, std::initializer_list<float> reals) {
  GR_3D_Model_Record record;
  record.kind = kind;
  size_t slot = 0;
  for (float value : reals) record.SetFloat(slot++, value);
  return record;
}

const std::string kBlockLine =
    "10     0.0000     0.0000     0.0000   128.0000    64.0000    32.0000     2.0000     1.0000     0.0000     0.0000";

TEST(ModelTextFile, WritesTheFormatCountAndOneLinePerRecord) {
  const std::vector<GR_3D_Model_Record> records = {Record(10, {0, 0, 0, 128, 64, 32, 2, 1}), Record(1, {})};
  EXPECT_EQ(ModelText_Write(records),
            "100\r\n2\r\n" + kBlockLine +
                "\r\n1     0.0000     0.0000     0.0000     0.0000     0.0000     0.0000     0.0000     0.0000     "
                "0.0000     0.0000\r\n");
  EXPECT_EQ(ModelText_Write({}), "100\r\n0\r\n");
}

TEST(ModelTextFile, IntegerSlotsComeBackWholeAndTheTextIsStable) {
  std::vector<GR_3D_Model_Record> records;
  GR_3D_Model_Record coloured = Record(3, {1.5f, -2.25f, 1000.125f});
  coloured.SetInteger(3, 0xFF8040);
  coloured.SetFloat(4, 0.5f);
  records.push_back(coloured);
  GR_3D_Model_Record cylinder = Record(11, {-10, -10, 0, 10, 10, 40, 1, 1});
  cylinder.SetInteger(8, 1);
  cylinder.SetInteger(9, 24);
  records.push_back(cylinder);
  GR_3D_Model_Record negative = Record(9, {0, 0, 0, 0, 0, 1, 0.25f, 0.75f});
  negative.SetInteger(8, -1);
  negative.SetFloat(9, 1);
  records.push_back(negative);
  GR_3D_Model_Record ellipsoid = Record(13, {0, 0, 0, 1, 1, 1, 1, 1});
  ellipsoid.SetInteger(8, 2147483647);
  records.push_back(ellipsoid);

  const std::string text = ModelText_Write(records);
  EXPECT_NE(text.find(" 16744512.0000 "), std::string::npos) << text;
  const auto loaded = ModelText_Read(Bytes(text));
  ASSERT_TRUE(loaded.has_value());
  ASSERT_EQ(loaded->size(), records.size());
  for (size_t i = 0; i < records.size(); ++i) {
    EXPECT_EQ((*loaded)[i].kind, records[i].kind);
    EXPECT_EQ((*loaded)[i].slots, records[i].slots) << "record " << i;
  }
  EXPECT_EQ(ModelText_Write(*loaded), text);
}

TEST(ModelTextFile, ReadsLinesAcrossAnyBreaksAndOlderFiles) {
  struct Case {
    const char* name;
    std::string text;
    size_t records;
  };
  const Case cases[] = {
      {"blank lines and bare LF between records", "100\n\n1\n\n\r\n" + kBlockLine + "\n", 1},
      {"NUL bytes as breaks", std::string("100\0\0" "1\0", 7) + kBlockLine, 1},
      {"count read as atoi", "100\r\n  +1 records\r\n" + kBlockLine + "\r\n", 1},
      {"fields after the eleventh are ignored", "100\r\n1\r\n" + kBlockLine + " 7 8\r\n", 1},
      {"the header alone", "100", 0},
      {"a negative count", "100\r\n-4\r\n" + kBlockLine, 0},
      {"lines beyond the count", "100\r\n1\r\n" + kBlockLine + "\r\n" + kBlockLine + "\r\n", 1},
  };
  for (const Case& c : cases) {
    const auto loaded = ModelText_Read(Bytes(c.text));
    ASSERT_TRUE(loaded.has_value()) << c.name;
    EXPECT_EQ(loaded->size(), c.records) << c.name;
  }
  // Lines with fewer numbers than eleven, as other tools write them: the slots left out are 0.
  const auto brief = ModelText_Read(Bytes("100\r\n3\r\n0 4\r\n1\r\n3 -16 11 0 255\r\n"));
  ASSERT_TRUE(brief.has_value());
  ASSERT_EQ(brief->size(), 3u);
  EXPECT_EQ((*brief)[0].kind, 0);
  EXPECT_EQ((*brief)[0].Float(0), 4.0f);
  EXPECT_EQ((*brief)[1].kind, 1);
  EXPECT_EQ((*brief)[2].Float(0), -16.0f);
  EXPECT_EQ((*brief)[2].Integer(3), 255);
  for (const GR_3D_Model_Record& record : *brief) {
    const size_t given = record.kind == 0 ? 1 : record.kind == 1 ? 0 : 4;
    for (size_t slot = given; slot < record.slots.size(); ++slot) EXPECT_EQ(record.slots[slot], 0u) << record.kind;
  }
  // Files written with integer slots printed as 0.0000: black vertices, open shapes, fewest steps.
  const auto old = ModelText_Read(Bytes(
      "100\r\n1\r\n11 0.0000 0.0000 0.0000 1.0000 1.0000 1.0000 1.0000 1.0000 0.0000 0.0000\r\n"));
  ASSERT_TRUE(old.has_value());
  EXPECT_EQ((*old)[0].Integer(8), 0);
  EXPECT_EQ((*old)[0].Integer(9), 0);
  EXPECT_EQ((*old)[0].Float(3), 1.0f);
}

TEST(ModelTextFile, DamagedFilesAreRefused) {
  const std::string two = "100\r\n2\r\n" + kBlockLine + "\r\n";
  struct Case {
    const char* name;
    std::string text;
  };
  const Case cases[] = {
      {"no data", ""},
      {"only breaks", "\r\n\r\n"},
      {"a header with a trailing space", "100 \r\n0\r\n"},
      {"a header with a leading zero", "0100\r\n0\r\n"},
      {"another format", "101\r\n0\r\n"},
      {"a line without a kind", "100\r\n1\r\nend\r\n"},
      {"a short line with a word", "100\r\n1\r\n10 0 0 zero\r\n"},
      {"fewer record lines than the count", two},
      {"a huge count", "100\r\n2147483647\r\n" + kBlockLine + "\r\n"},
      {"a count beyond 64 bits", "100\r\n99999999999999999999999\r\n" + kBlockLine + "\r\n"},
      {"a word among the numbers", "100\r\n1\r\n10 0 0 zero 128 64 32 1 1 0 0\r\n"},
      {"a number with junk after it", "100\r\n1\r\n10 0 0 0x 128 64 32 1 1 0 0\r\n"},
      {"a fractional kind", "100\r\n1\r\n10.5 0 0 0 128 64 32 1 1 0 0\r\n"},
      {"not a number", "100\r\n1\r\n10 0 0 nan 128 64 32 1 1 0 0\r\n"},
      {"an infinite slot", "100\r\n1\r\n10 0 0 inf 128 64 32 1 1 0 0\r\n"},
      {"a slot too large for a float", "100\r\n1\r\n10 0 0 1e39 128 64 32 1 1 0 0\r\n"},
      {"a colour beyond 32 bits", "100\r\n1\r\n3 0 0 0 1e12 1 0 0 0 0 0\r\n"},
  };
  for (const Case& c : cases) EXPECT_FALSE(ModelText_Read(Bytes(c.text)).has_value()) << c.name;
}

}  // namespace
