// The character built-ins on long texts of every kind of UTF-8 (and of broken UTF-8), held in
// one value as a game holds its level text: each answer is the one a walk of the text from its
// first byte gives, at every position, across the steps of the text's index of characters.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "functions/builtin_call.h"
#include "functions/string_functions.h"
#include "platform/utf8.h"

namespace {

// Characters from the first byte: p advanced by count of them.
const char* Skip(const char* p, int64_t count) {
  for (int64_t i = 0; i < count && *p != '\0'; ++i) UTF8_GetChar(p);
  return p;
}

// count characters from p (all when negative) as the built-ins give them back: decoded and
// encoded again, a character decoding to 0 ending them.
std::string CharsFrom(const char* p, int64_t count) {
  std::string out;
  for (int64_t i = 0; (count < 0 || i < count) && *p != '\0'; ++i) {
    const uint16_t c = UTF8_GetChar(p);
    if (c == 0) break;
    UTF8_PutChar(out, c);
  }
  return out;
}

// A text of about `chars` characters drawn from pieces of every width, broken ones included.
std::string MixedText(std::mt19937& random, int chars, bool asciiOnly) {
  const std::vector<std::string> pieces = {"a", "7", " ", "\n", "\xC3\xA9", "\xE2\x82\xAC",
                                           "\xF0\x9F\x98\x80", "\x80", "\xC3"};
  std::string text;
  for (int i = 0; i < chars; ++i) {
    text += pieces[random() % (asciiOnly ? 4 : pieces.size())];
  }
  return text;
}

TEST(StringPositions, EveryCharacterBuiltinMatchesTheWalkFromTheFirstByte) {
  std::mt19937 random(20261211);
  for (bool asciiOnly : {true, false}) {
    const std::string bytes = MixedText(random, 300, asciiOnly) + "\xE2\x82";  // cut short at the end
    const ScriptValue text = S(bytes);
    const char* s = bytes.c_str();
    const int64_t length = UTF8_Length(s);
    const std::string label = asciiOnly ? "ASCII" : "UTF-8";
    EXPECT_EQ(CallBuiltin(F_StringLength, {text}).real, static_cast<double>(length)) << label;
    for (int64_t i = 1; i <= length + 2; ++i) {
      const std::string at = CharsFrom(Skip(s, i - 1), 1);
      ASSERT_EQ(CallBuiltin(F_StringCharAt, {text, R(static_cast<double>(i))}).Text(), at)
          << label << " at " << i;
    }
    for (int64_t i = 1; i <= length; i += 7) {
      for (int64_t count : {int64_t{1}, int64_t{5}, int64_t{40}, length - i + 1}) {
        const std::string where = label + " at " + std::to_string(i) + " count " + std::to_string(count);
        const char* from = Skip(s, i - 1);
        const double start = static_cast<double>(i), n = static_cast<double>(count);
        EXPECT_EQ(CallBuiltin(F_StringCopy, {text, R(start), R(n)}).Text(), CharsFrom(from, count)) << where;
        EXPECT_EQ(CallBuiltin(F_StringDelete, {text, R(start), R(n)}).Text(),
                  std::string(s, from) + CharsFrom(Skip(from, count), -1))
            << where;
        EXPECT_EQ(CallBuiltin(F_StringInsert, {S("<>"), text, R(start)}).Text(),
                  CharsFrom(s, i - 1) + "<>" + CharsFrom(from, -1))
            << where;
        // The first place whose characters read as the copy's is where string_pos finds it.
        const std::string wanted = CharsFrom(from, count);
        double first = 0, position = 1;
        for (const char* p = s; *p != '\0'; UTF8_GetChar(p), ++position) {
          if (UTF8_ComparePrefix(p, wanted.c_str()) == 0) {
            first = position;
            break;
          }
        }
        EXPECT_EQ(CallBuiltin(F_StringPos, {S(wanted), text}).real, first) << where;
      }
    }
    EXPECT_EQ(CallBuiltin(F_StringPos, {S("not in it"), text}).real, 0) << label;
  }
}

}  // namespace
