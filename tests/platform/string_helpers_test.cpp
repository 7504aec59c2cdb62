#include "platform/string_helpers.h"

#include <gtest/gtest.h>

namespace {

TEST(StringHelpers, ConcatSkipsEmptyPartsAndAnswersAbsentForNothing) {
  EXPECT_EQ(String_Concat({"a", nullptr, "", "b"}), std::optional<std::string>("ab"));
  EXPECT_EQ(String_Concat({"", nullptr, ""}), std::nullopt);
  EXPECT_EQ(String_Concat({}), std::nullopt);
}

TEST(StringHelpers, AssignTrimsBytesBelow33AsSignedCharacters) {
  std::optional<std::string> dest = "old";
  String_Assign(dest, "  abc \t");
  EXPECT_EQ(dest, "abc");
  String_Assign(dest, " \t\r\n ");
  EXPECT_EQ(dest, "");
  String_Assign(dest, "\xC3\xA9x y\x80");  // bytes from 0x80 up count as blanks at the ends
  EXPECT_EQ(dest, "x y");
  String_Assign(dest, nullptr);
  EXPECT_EQ(dest, std::nullopt);
}

TEST(StringHelpers, WidenSignExtendsAndNarrowKeepsLowBytes) {
  std::u16string wide = String_Widen("A\x80\xFF");
  ASSERT_EQ(wide.size(), 3u);
  EXPECT_EQ(wide[0], u'A');
  EXPECT_EQ(wide[1], 0xFF80);
  EXPECT_EQ(wide[2], 0xFFFF);
  EXPECT_EQ(String_Narrow(wide), "A\x80\xFF");
  EXPECT_EQ(String_Narrow(u"\x0141"), "\x41");
}

TEST(StringHelpers, PosIsOneBased) {
  EXPECT_EQ(String_Pos("lo", "hello"), 4);
  EXPECT_EQ(String_Pos("x", "hello"), 0);
  EXPECT_EQ(String_Pos(nullptr, "hello"), 0);
  EXPECT_EQ(String_Pos("h", nullptr), 0);
  EXPECT_EQ(String_Pos("", "abc"), 1);
}

TEST(StringHelpers, HashBecomesCarriageReturnUnlessEscaped) {
  EXPECT_EQ(Text_HashToNewline("a#b\\#c"), "a\rb#c");
  EXPECT_EQ(Text_HashToNewline("##"), "\r\r");
  EXPECT_EQ(Text_HashToNewline("\\\\#"), "\\#");
  EXPECT_EQ(Text_HashToNewline(""), "");
}

}  // namespace
