// What a string's block knows of its text (its length in bytes and in characters, whether it is
// all ASCII, where each character starts) agrees with a walk of the bytes from the start, for
// texts made at once, grown in place piece by piece, and grown into a fresh block.
#include "script/string_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/utf8.h"
#include "script/script_value.h"

namespace {

const std::string kEuro = "\xE2\x82\xAC";            // three bytes
const std::string kFourByteLead = "\xF0\x9F\x98\x80";  // read as a three-byte character and a byte

// Every fact checked against the walk from the first byte that the built-ins once made.
void ExpectFactsOf(const ScriptValue& value, const std::string& label) {
  StringRep& rep = value.TextBlock();
  const char* s = rep.Bytes();
  EXPECT_STREQ(s, value.CStr()) << label;
  const size_t bytes = std::strlen(s);
  EXPECT_EQ(StringText_Bytes(rep), std::string_view(s, bytes)) << label;
  bool ascii = true;
  for (size_t i = 0; i < bytes; ++i) ascii = ascii && static_cast<unsigned char>(s[i]) < 0x80;
  EXPECT_EQ(StringText_IsAscii(rep), ascii) << label;
  const int64_t length = UTF8_Length(s);
  ASSERT_EQ(StringText_Length(rep), length) << label;
  const char* p = s;
  for (int64_t n = 0; n < length; ++n) {
    ASSERT_EQ(StringText_CharAt(rep, n), p) << label << " character " << n;
    UTF8_GetChar(p);
  }
  EXPECT_EQ(p, s + bytes) << label;
  for (int64_t outside : {length, length + 40, int64_t{-1}}) {
    EXPECT_EQ(StringText_CharAt(rep, outside), s + bytes) << label << " character " << outside;
  }
}

std::string Repeated(const std::string& piece, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += piece;
  return out;
}

// Pieces whose joins cut characters, NULs and long runs of each kind at the index's steps.
const std::vector<std::string> kPieces = {
    "ab", kEuro, "\xE2\x82", "\xAC" "c", Repeated("x", 70), "\xC3\xA9", Repeated(kEuro, 45),
    kFourByteLead, "\x80", "d", std::string("e\0f", 3), Repeated("\xC3\xA9", 33), "\xE2"};

TEST(StringText, TextsMadeAtOnceMatchTheWalkFromTheStart) {
  const std::vector<std::string> texts = {
      "", "a", "\xC3\xA9", "\xE2\x82", std::string("ab\0cd", 5), std::string("\0", 1),
      Repeated("level 12 3;", 40), Repeated("caf\xC3\xA9 ", 50), Repeated(kEuro + "x", 70),
      Repeated("a", 100) + kEuro + Repeated("b", 100), kFourByteLead + Repeated("z", 64) + "\xF0"};
  for (const std::string& text : texts) ExpectFactsOf(ScriptValue::String(text), "\"" + text + "\"");
  ExpectFactsOf(ScriptValue::Real(3), "a real");  // read as the empty text
}

TEST(StringText, ATextGrownPieceByPieceKeepsItsFactsUpToDate) {
  // Asked after every piece, the facts are kept up by each append; asked only at the end, they
  // are worked out once from the whole.
  for (bool askEachTime : {true, false}) {
    ScriptValue grown = ScriptValue::String("");
    std::string label;
    for (size_t round = 0; round < 3; ++round) {
      for (const std::string& piece : kPieces) {
        grown.AppendText(piece);
        label += "+" + std::to_string(piece.size());
        if (askEachTime) ExpectFactsOf(grown, label);
      }
    }
    ExpectFactsOf(grown, label);
  }
}

TEST(StringText, ATextGrownIntoAFreshBlockKeepsItsFactsAndLeavesTheOtherHolders) {
  ScriptValue first = ScriptValue::String("start " + kEuro);
  ExpectFactsOf(first, "first");
  for (const std::string& piece : kPieces) {
    // A copy shares the bytes, so the append makes a fresh block from what was known.
    ScriptValue kept = first;
    first.AppendText(piece);
    ExpectFactsOf(first, "grown by " + std::to_string(piece.size()));
    ExpectFactsOf(kept, "kept");
    EXPECT_FALSE(kept.SharesTextWith(first));
  }
  // Growing the shared one-byte and empty strings leaves them as they were.
  ScriptValue one = ScriptValue::String("\xC3");
  ExpectFactsOf(one, "one byte");
  ScriptValue longer = one;
  longer.AppendText("\xA9");
  ExpectFactsOf(longer, "two bytes");
  ExpectFactsOf(ScriptValue::String("\xC3"), "one byte again");
  EXPECT_EQ(ScriptValue::String("\xC3").Text(), "\xC3");
}

}  // namespace
