// Text layout in the built-in font (every glyph 7 wide, 12 high): lines at "#" and line ends,
// wrapping at a width, measuring, and the text draw_text makes of a value. No device needed.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "functions/text_functions.h"
#include "graphics/fonts.h"
#include "graphics/text.h"

namespace {

class TextLayout : public ::testing::Test {
 protected:
  void SetUp() override {
    Font_Default_Free();
    Font_Clear();
    GR_Text_Reset();
  }
  void TearDown() override { SetUp(); }
};

std::vector<std::u16string> Split(const std::string& text, int32_t limit) {
  return GR_Text_Split(Font_Default(), text, limit);
}

}  // namespace

TEST_F(TextLayout, LinesAndWrapping) {
  struct Case {
    const char* text;
    int32_t limit;
    std::vector<std::u16string> lines;
  };
  const Case cases[] = {
      {"", -1, {}},
      {"A#B", -1, {u"A", u"B"}},
      {"A\\#B", -1, {u"A#B"}},
      {"##", -1, {u"", u""}},
      {"A\r\nB", -1, {u"A", u"", u"B"}},    // without a limit CR and LF each end a line
      {"A\nB", 1000, {u"A\nB"}},           // with a limit a line feed is an ordinary character
      {"A#B", 1000, {u"A", u"B"}},
      {"aaaa bbbb", 50, {u"aaaa", u"bbbb"}},  // 28 + 7 + 21 passes 50: break at the space
      {"aaaa   bbbb", 50, {u"aaaa", u"  bbbb"}},  // trailing spaces leave the line, leading stay
      {"abcdefghij", 50, {u"abcdefghij"}},    // one word wider than the limit stays whole
      {"abcdefghij kl", 50, {u"abcdefghij", u"kl"}},
      {"ab   wxyz", 20, {u"ab", u" wxyz"}},   // a line of nothing but spaces is dropped
      {"abc", 5, {}},                         // not even the first character fits
      {"ab#abc", 5, {}},
      {"ab", 14, {u"ab"}},                    // exactly the limit
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Split(c.text, c.limit), c.lines) << '"' << c.text << "\" limit " << c.limit;
  }
}

TEST_F(TextLayout, Utf8TextSplitsByCharacter) {
  // Two- and three-byte characters are one character each; a character without a glyph
  // measures as the first glyph (7).
  EXPECT_EQ(Split("\xC3\xA9#\xE2\x82\xAC x", -1), (std::vector<std::u16string>{u"\u00E9", u"\u20AC x"}));
  EXPECT_EQ(GR_Text_Width("\xE2\x82\xAC\xE2\x82\xAC", -1, -1), 14);
  EXPECT_EQ(Split("\xE2\x82\xAC\xE2\x82\xAC \xE2\x82\xAC", 20), (std::vector<std::u16string>{u"\u20AC\u20AC", u"\u20AC"}));
}

TEST_F(TextLayout, WidthAndHeight) {
  EXPECT_EQ(GR_Text_Width("", -1, -1), 1);
  EXPECT_EQ(GR_Text_Height("", -1, -1), 1);
  EXPECT_EQ(GR_Text_Height("A", -1, -1), 12);
  EXPECT_EQ(GR_Text_Height("A#B", 20, -1), 32);
  EXPECT_EQ(GR_Text_Height("A#B#C", -1, -1), 36);
  EXPECT_EQ(GR_Text_Width("A#BCD#EF", -1, -1), 21);
  EXPECT_EQ(GR_Text_Width("A\\#B", -1, -1), 21);
  EXPECT_EQ(GR_Text_Height("aaaa bbbb", -1, 50), 24);
  EXPECT_EQ(GR_Text_Width("aaaa bbbb", -1, 50), 28);
  EXPECT_EQ(GR_Text_Height("abc", -1, 5), 1);  // no lines at all
}

TEST_F(TextLayout, FontSelectionFallsBackToTheBuiltInFont) {
  GR_Text_Set_Font(3);
  EXPECT_EQ(GR_Text_Get_Font(), -1);
  const int32_t index = Font_Add("Sans", 12, false, false, 32, 300);
  GR_Text_Set_Font(index);
  EXPECT_EQ(GR_Text_Get_Font(), index);
  // A font from a description has the glyphs of the system face that matches it.
  EXPECT_GT(GR_Text_Width("abc", -1, -1), 10);
  EXPECT_GT(GR_Text_Height("abc", -1, -1), 10);
  EXPECT_EQ(Font_Data(index)->GetLast(), 255);
  EXPECT_EQ(Font_Name(index), "__newfont0");
  // A deleted current font falls back to the built-in one for each call.
  EXPECT_TRUE(Font_Delete(index));
  EXPECT_EQ(Font_Name(index), "<undefined>");
  EXPECT_FALSE(Font_Delete(index));
  EXPECT_EQ(GR_Text_Width("abc", -1, -1), 21);
  EXPECT_TRUE(Font_Replace(index, "Serif", 10, true, false, 0, 10));  // an empty slot may be replaced
  EXPECT_FALSE(Font_Replace(index + 1, "Serif", 10, true, false, 0, 10));
}

TEST_F(TextLayout, AlignmentOutsideItsRangeIsLeftOrTop) {
  for (int32_t value : {0, 1, 2, 3, -1}) {
    GR_Text_Set_Halign(value);
    GR_Text_Set_Valign(value);
    const int32_t expected = value >= 0 && value <= 2 ? value : 0;
    EXPECT_EQ(GR_Text_Get_Halign(), expected);
    EXPECT_EQ(GR_Text_Get_Valign(), expected);
  }
}

TEST_F(TextLayout, MeasuringBuiltInsTakeNoTextFromAReal) {
  ScriptValue result;
  ScriptValue real(12345.0);
  F_StringWidth(result, nullptr, nullptr, 1, &real);
  EXPECT_EQ(result.real, 1.0);
  ScriptValue text(std::string("12345"));
  F_StringWidth(result, nullptr, nullptr, 1, &text);
  EXPECT_EQ(result.real, 35.0);
  ScriptValue ext[3] = {ScriptValue(std::string("A#B")), ScriptValue(20.0), ScriptValue(-1.0)};
  F_StringHeightExt(result, nullptr, nullptr, 3, ext);
  EXPECT_EQ(result.real, 32.0);
}

TEST(ValueToText, RealsAreWholeOrTwoDecimals) {
  const std::pair<double, const char*> cases[] = {
      {7, "7"}, {1.5, "1.50"}, {-0.004, "-0.00"}, {1.0 / 3.0, "0.33"}, {100000000.5, "100000000"}, {-12, "-12"},
      {2.5, "2.50"},
  };
  for (const auto& [value, text] : cases) EXPECT_EQ(Value_To_Text(ScriptValue(value)), text) << value;
  EXPECT_EQ(Value_To_Text(ScriptValue(std::string("A#B"))), "A#B");
}
