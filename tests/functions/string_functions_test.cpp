#include "functions/string_functions.h"

#include <gtest/gtest.h>

#include <clocale>
#include <limits>
#include <string>
#include <vector>

#include "functions/builtin_call.h"
#include "platform/utf8.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

const std::string kEAcute = "\xC3\xA9";        // U+00E9, two bytes
const std::string kEAcuteUpper = "\xC3\x89";   // U+00C9
const std::string kEuro = "\xE2\x82\xAC";      // U+20AC, three bytes

struct StringCase {
  const char* name;
  BuiltinFunction fn;
  std::vector<ScriptValue> args;
  std::string expected;
};

void ExpectStrings(const std::vector<StringCase>& cases) {
  for (const StringCase& c : cases) {
    ScriptValue result = CallBuiltin(c.fn, c.args);
    std::string label = c.name;
    for (const ScriptValue& a : c.args) label += a.IsString() ? " \"" + std::string(a.Text()) + "\"" : " " + std::to_string(a.real);
    EXPECT_TRUE(result.IsString()) << label;
    EXPECT_EQ(result.Text(), c.expected) << label;
  }
}

struct RealCase {
  const char* name;
  BuiltinFunction fn;
  std::vector<ScriptValue> args;
  double expected;
};

void ExpectReals(const std::vector<RealCase>& cases) {
  for (const RealCase& c : cases) {
    ScriptValue result = CallBuiltin(c.fn, c.args);
    std::string label = c.name;
    for (const ScriptValue& a : c.args) label += a.IsString() ? " \"" + std::string(a.Text()) + "\"" : " " + std::to_string(a.real);
    EXPECT_TRUE(result.IsReal()) << label;
    EXPECT_EQ(result.real, c.expected) << label;
  }
}

TEST(StringBuiltins, StringOfReal) {
  ExpectStrings({
      {"string", F_String, {R(5)}, "5"},
      {"string", F_String, {R(-7)}, "-7"},
      {"string", F_String, {R(-0.0)}, "0"},
      {"string", F_String, {R(2.5)}, "2.50"},
      // The original runtime's fixed-point text: a half at the cut rounds away from zero,
      // and only seventeen significant digits are exact.
      {"string", F_String, {R(-0.125)}, "-0.13"},
      {"string", F_String, {R(0.125)}, "0.13"},
      {"string", F_String, {R(0.375)}, "0.38"},
      {"string", F_String, {R(2.675)}, "2.67"},
      {"string", F_String, {R(0.1 + 0.2)}, "0.30"},
      {"string", F_String, {R(0.001)}, "0.00"},
      {"string", F_String, {R(-0.001)}, "-0.00"},
      {"string", F_String, {R(9.995)}, "9.99"},
      {"string", F_String, {R(9.9951)}, "10.00"},
      {"string", F_String, {R(1e23)}, "99999999999999992000000.00"},
      {"string", F_String, {R(1e10)}, "10000000000.00"},
      {"string", F_String, {R(2147483647)}, "2147483647"},
      {"string", F_String, {R(-2147483648.0)}, "-2147483648"},
      {"string", F_String, {R(kInf)}, "inf"},
      {"string", F_String, {S("abc")}, "abc"},
      {"string", F_String, {S("")}, ""},
  });
  // Longer than any fixed buffer: 1e300 with two decimals is 301 digits, a point and two.
  std::string big = std::string(CallBuiltin(F_String, {R(1e300)}).Text());
  EXPECT_EQ(big.size(), 304u);
  EXPECT_EQ(big.substr(0, 5), "10000");
  EXPECT_EQ(big.substr(big.size() - 3), ".00");
}

TEST(StringBuiltins, StringFormat) {
  ExpectStrings({
      {"string_format", F_StringFormat, {R(3.14159), R(5), R(2)}, "3.14"},
      {"string_format", F_StringFormat, {R(3.14159), R(8), R(2)}, "  3.14"},
      {"string_format", F_StringFormat, {R(2.5), R(3), R(0)}, "  3"},
      {"string_format", F_StringFormat, {R(42), R(0), R(3)}, "42.000"},
      {"string_format", F_StringFormat, {R(-1.5), R(2), R(5)}, "-1.50000"},
      {"string_format", F_StringFormat, {R(2.5), R(0), R(2)}, "2.50"},  // width -2: left-justified
      {"string_format", F_StringFormat, {R(2.5), R(-6), R(2)}, "2.50    "},
      {"string_format", F_StringFormat, {R(1.5), R(9.9), R(1.9)}, "     1.5"},  // truncated
      {"string_format", F_StringFormat, {S("text"), R(10), R(2)}, "text"},
      {"string_format", F_StringFormat, {R(0.5), R(1), R(0)}, "1"},
      {"string_format", F_StringFormat, {R(-2.5), R(0), R(0)}, "-3"},
      {"string_format", F_StringFormat, {R(99.96), R(4), R(1)}, "100.0"},
      {"string_format", F_StringFormat, {R(1.25), R(5), R(-1)}, "1.250000"},  // no precision: six
      {"string_format", F_StringFormat, {R(1e-20), R(0), R(25)}, "0.0000000000000000000100000"},
  });
  // A wide field is built in full.
  std::string wide = std::string(CallBuiltin(F_StringFormat, {R(1), R(402), R(2)}).Text());
  EXPECT_EQ(wide.size(), 400u);
  EXPECT_EQ(wide.substr(396), "1.00");
  // Absurd sizes are held to a limit instead of exhausting memory.
  EXPECT_LE(CallBuiltin(F_StringFormat, {R(1), R(3e9), R(0)}).Text().size(), 70000u);
  EXPECT_LE(CallBuiltin(F_StringFormat, {R(1), R(kNaN), R(kNaN)}).Text().size(), 70000u);
}

TEST(StringBuiltins, RealReadsTrimmedDecimalText) {
  ExpectReals({
      {"real", F_Real, {S(" 12.5abc ")}, 12.5},
      {"real", F_Real, {S("abc")}, 0},
      {"real", F_Real, {S("1e3")}, 1000},
      {"real", F_Real, {S("-2.5E-1x")}, -0.25},
      {"real", F_Real, {S("+7")}, 7},
      {"real", F_Real, {S(".5")}, 0.5},
      {"real", F_Real, {S("5.")}, 5},
      {"real", F_Real, {S("3e")}, 3},
      {"real", F_Real, {S("3e+")}, 3},
      {"real", F_Real, {S("\t\r\n 42\x01")}, 42},
      {"real", F_Real, {S(kEAcute + "9")}, 9},  // bytes 0x80-0xFF at the ends are trimmed
      {"real", F_Real, {S("0x1A")}, 0},         // decimal only
      {"real", F_Real, {S("inf")}, 0},
      {"real", F_Real, {S("-")}, 0},
      {"real", F_Real, {S("")}, 0},
      {"real", F_Real, {R(2.75)}, 2.75},
  });
}

TEST(StringBuiltins, NumbersIgnoreTheProcessLocale) {
  // A comma locale must not change the decimal point of real() or string().
  const char* previous = std::setlocale(LC_ALL, nullptr);
  std::string saved = previous ? previous : "C";
  if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr && std::setlocale(LC_ALL, "fr_FR.UTF-8") == nullptr) {
    GTEST_SKIP() << "no comma locale installed";
  }
  EXPECT_EQ(CallBuiltin(F_Real, {S("12.5")}).real, 12.5);
  EXPECT_EQ(CallBuiltin(F_String, {R(2.5)}).Text(), "2.50");
  EXPECT_EQ(CallBuiltin(F_StringFormat, {R(2.5), R(5), R(1)}).Text(), "  2.5");
  std::setlocale(LC_ALL, saved.c_str());
}

TEST(StringBuiltins, ChrAnsiCharAndOrd) {
  ExpectStrings({
      {"chr", F_Chr, {R(65)}, "A"},
      {"chr", F_Chr, {R(65.9)}, "A"},  // truncated
      {"chr", F_Chr, {R(0)}, ""},
      {"chr", F_Chr, {R(-191)}, "A"},  // at most 127: the low seven bits
      {"chr", F_Chr, {R(-128)}, ""},
      {"chr", F_Chr, {R(kNaN)}, ""},
      {"chr", F_Chr, {R(127)}, "\x7F"},
      {"chr", F_Chr, {R(128)}, "\xC2\x80"},
      {"chr", F_Chr, {R(233)}, kEAcute},
      {"chr", F_Chr, {R(8364)}, kEuro},
      {"chr", F_Chr, {R(65535)}, "\xEF\xBF\xBF"},
      {"chr", F_Chr, {R(65601)}, "\xE0\x81\x81"},  // above 16 bits: low bits, three bytes
      {"chr", F_Chr, {R(65536)}, "\xE0\x80\x80"},
      {"ansi_char", F_AnsiChar, {R(65)}, "A"},
      {"ansi_char", F_AnsiChar, {R(233)}, "\xE9"},
      {"ansi_char", F_AnsiChar, {R(321)}, "A"},  // 321 & 0xFF
      {"ansi_char", F_AnsiChar, {R(256)}, ""},
      {"ansi_char", F_AnsiChar, {R(64.5)}, "@"},  // rounded half to even
  });
  ExpectReals({
      {"ord", F_Ord, {S("A")}, 65},
      {"ord", F_Ord, {S(kEuro + "x")}, 8364},
      {"ord", F_Ord, {S(kEAcute)}, 233},
      {"ord", F_Ord, {S("")}, 0},
      {"ord", F_Ord, {R(65)}, 0},
      {"ord", F_Ord, {S("\xE2")}, 0x2000},  // cut short: stops at the end
  });
}

TEST(StringBuiltins, LengthsCountCharactersOrBytes) {
  ExpectReals({
      {"string_length", F_StringLength, {S(kEAcute)}, 1},
      {"string_length", F_StringLength, {S("a" + kEuro + kEAcute)}, 3},
      {"string_length", F_StringLength, {S("")}, 0},
      {"string_length", F_StringLength, {R(12345)}, 0},
      {"string_length", F_StringLength, {S("ab\xE2")}, 3},
      {"string_byte_length", F_StringByteLength, {S(kEAcute)}, 2},
      {"string_byte_length", F_StringByteLength, {S("a" + kEuro)}, 4},
      {"string_byte_length", F_StringByteLength, {R(5)}, 0},
  });
}

TEST(StringBuiltins, StringPos) {
  ExpectReals({
      {"string_pos", F_StringPos, {S("l"), S("hello")}, 3},
      {"string_pos", F_StringPos, {S("lo!"), S("hello")}, 0},
      {"string_pos", F_StringPos, {S("abc"), S("xab")}, 0},
      {"string_pos", F_StringPos, {S(kEAcute), S(kEAcute + "x")}, 1},
      {"string_pos", F_StringPos, {S("x"), S(kEuro + kEAcute + "x")}, 3},
      {"string_pos", F_StringPos, {S(""), S("hello")}, 1},
      {"string_pos", F_StringPos, {S("a"), S("")}, 0},
      {"string_pos", F_StringPos, {S(""), S("")}, 0},
      {"string_pos", F_StringPos, {R(1), S("1")}, 0},
      {"string_pos", F_StringPos, {S("1"), R(1)}, 0},
  });
}

TEST(StringBuiltins, StringCopy) {
  const std::string mixed = "a" + kEAcute + "b" + kEuro + "c";  // 5 characters
  ExpectStrings({
      {"string_copy", F_StringCopy, {S("hello"), R(2), R(3)}, "ell"},
      {"string_copy", F_StringCopy, {S("hello"), R(4), R(5)}, "lo"},
      {"string_copy", F_StringCopy, {S("hello"), R(0), R(2)}, "he"},
      {"string_copy", F_StringCopy, {S("hello"), R(-5), R(2)}, "he"},
      {"string_copy", F_StringCopy, {S("hello"), R(2), R(6)}, ""},  // count over the length
      {"string_copy", F_StringCopy, {S("hello"), R(6), R(1)}, ""},
      {"string_copy", F_StringCopy, {S("hello"), R(2), R(-1)}, ""},
      {"string_copy", F_StringCopy, {S("hello"), R(1), R(0)}, ""},
      {"string_copy", F_StringCopy, {S("hello"), R(2.5), R(2)}, "el"},  // round(2.5) = 2
      {"string_copy", F_StringCopy, {S("hello"), R(kNaN), R(2)}, "he"},
      {"string_copy", F_StringCopy, {S("hello"), R(3e9), R(2)}, "he"},  // out of range reads as below 1
      {"string_copy", F_StringCopy, {S("hello"), R(1), R(kNaN)}, ""},
      {"string_copy", F_StringCopy, {S(mixed), R(2), R(3)}, kEAcute + "b" + kEuro},
      {"string_copy", F_StringCopy, {S(mixed), R(4), R(2)}, kEuro + "c"},
      {"string_copy", F_StringCopy, {S(""), R(1), R(1)}, ""},
      {"string_copy", F_StringCopy, {R(5), R(1), R(1)}, ""},
      {"string_copy", F_StringCopy, {S("hello"), S("1"), R(1)}, ""},
  });
}

TEST(StringBuiltins, CharAndByteAt) {
  ExpectStrings({
      {"string_char_at", F_StringCharAt, {S("hello"), R(0)}, "h"},
      {"string_char_at", F_StringCharAt, {S("hello"), R(-3)}, "h"},
      {"string_char_at", F_StringCharAt, {S("hello"), R(5)}, "o"},
      {"string_char_at", F_StringCharAt, {S("hello"), R(9)}, ""},
      {"string_char_at", F_StringCharAt, {S("hello"), R(3e9)}, "h"},
      {"string_char_at", F_StringCharAt, {S("a" + kEuro), R(2)}, kEuro},
      {"string_char_at", F_StringCharAt, {S(""), R(1)}, ""},
      {"string_char_at", F_StringCharAt, {R(5), R(1)}, ""},
      {"string_char_at", F_StringCharAt, {S("hello"), S("1")}, ""},
      {"string_byte_at", F_StringByteAt, {S("hello"), R(0)}, "h"},
      {"string_byte_at", F_StringByteAt, {S("hello"), R(5)}, "o"},
      {"string_byte_at", F_StringByteAt, {S("hello"), R(6)}, ""},
      {"string_byte_at", F_StringByteAt, {S("a" + kEuro), R(3)}, "\x82"},
      {"string_byte_at", F_StringByteAt, {S(""), R(1)}, ""},
      {"string_byte_at", F_StringByteAt, {R(7), R(1)}, ""},
  });
}

TEST(StringBuiltins, DeleteAndInsert) {
  ExpectStrings({
      {"string_delete", F_StringDelete, {S("hello"), R(2), R(2)}, "hlo"},
      {"string_delete", F_StringDelete, {S("hello"), R(3), R(0)}, "hello"},
      {"string_delete", F_StringDelete, {S("hello"), R(4), R(10)}, "hel"},
      {"string_delete", F_StringDelete, {S("hello"), R(0), R(1)}, "hello"},
      {"string_delete", F_StringDelete, {S("hello"), R(6), R(1)}, "hello"},
      {"string_delete", F_StringDelete, {S("hello"), R(1), R(5)}, ""},
      {"string_delete", F_StringDelete, {S("hello"), R(kNaN), R(1)}, "hello"},
      {"string_delete", F_StringDelete, {S("hello"), R(2), R(3e9)}, "hello"},
      {"string_delete", F_StringDelete, {S(kEAcute + kEuro + "x"), R(2), R(1)}, kEAcute + "x"},
      {"string_delete", F_StringDelete, {R(3), R(1), R(1)}, ""},
      {"string_insert", F_StringInsert, {S("XY"), S("hello"), R(1)}, "XYhello"},
      {"string_insert", F_StringInsert, {S("XY"), S("hello"), R(99)}, "helloXY"},
      {"string_insert", F_StringInsert, {S("XY"), S("hello"), R(3)}, "heXYllo"},
      {"string_insert", F_StringInsert, {S("XY"), S("hello"), R(-4)}, "XYhello"},
      {"string_insert", F_StringInsert, {S("XY"), S("hello"), R(kNaN)}, "XYhello"},
      {"string_insert", F_StringInsert, {S("XY"), S(kEuro + kEAcute), R(2)}, kEuro + "XY" + kEAcute},
      {"string_insert", F_StringInsert, {S(""), S("hello"), R(2)}, "hello"},
      {"string_insert", F_StringInsert, {R(1), S("hello"), R(2)}, "hello"},
      {"string_insert", F_StringInsert, {R(1), R(2), R(2)}, ""},
      {"string_insert", F_StringInsert, {S("XY"), R(2), R(2)}, "XY"},
  });
}

TEST(StringBuiltins, ByteWiseCaseAndFilters) {
  const std::string text = kEAcuteUpper + "ABC d" + kEuro + "9";
  ExpectStrings({
      {"string_lower", F_StringLower, {S(text)}, kEAcuteUpper + "abc d" + kEuro + "9"},
      {"string_upper", F_StringUpper, {S(text)}, kEAcuteUpper + "ABC D" + kEuro + "9"},
      {"string_lower", F_StringLower, {R(65)}, ""},
      {"string_upper", F_StringUpper, {S("")}, ""},
      {"string_letters", F_StringLetters, {S(text)}, "ABCd"},
      {"string_digits", F_StringDigits, {S("a1b2 3.5")}, "1235"},
      {"string_lettersdigits", F_StringLettersdigits, {S(text)}, "ABCd9"},
      {"string_letters", F_StringLetters, {R(1)}, ""},
      {"string_digits", F_StringDigits, {R(123)}, ""},
      {"string_lettersdigits", F_StringLettersdigits, {R(1)}, ""},
  });
}

TEST(StringBuiltins, Repeat) {
  ExpectStrings({
      {"string_repeat", F_StringRepeat, {S("ab"), R(3)}, "ababab"},
      {"string_repeat", F_StringRepeat, {S("ab"), R(2.5)}, "abab"},
      {"string_repeat", F_StringRepeat, {S("ab"), R(0)}, ""},
      {"string_repeat", F_StringRepeat, {S("ab"), R(-2)}, ""},
      {"string_repeat", F_StringRepeat, {S(""), R(5)}, ""},
      {"string_repeat", F_StringRepeat, {R(1), R(5)}, ""},
      {"string_repeat", F_StringRepeat, {S("ab"), R(kNaN)}, ""},
      // A size product past 32 bits is refused, not wrapped into a short buffer.
      {"string_repeat", F_StringRepeat, {S("abcd"), R(2147483647)}, ""},
  });
}

TEST(StringBuiltins, ReplaceAndCount) {
  ExpectStrings({
      {"string_replace", F_StringReplace, {S("a-b-c"), S("-"), S("+")}, "a+b-c"},
      {"string_replace_all", F_StringReplaceAll, {S("a-b-c"), S("-"), S("+")}, "a+b+c"},
      {"string_replace_all", F_StringReplaceAll, {S("aaa"), S("a"), S("aa")}, "aaaaaa"},
      {"string_replace_all", F_StringReplaceAll, {S("aaaa"), S("aa"), S("b")}, "bb"},
      {"string_replace_all", F_StringReplaceAll, {S("abc"), S("x"), S("y")}, "abc"},
      {"string_replace_all", F_StringReplaceAll, {S("abcabc"), S("abc"), S("")}, ""},
      {"string_replace_all", F_StringReplaceAll, {S("a.b"), S("."), R(1)}, "ab"},  // missing r is empty
      {"string_replace", F_StringReplace, {R(1), S("a"), S("b")}, ""},
      {"string_replace", F_StringReplace, {S("abc"), R(1), S("x")}, "abc"},
      {"string_replace_all", F_StringReplaceAll, {S(kEuro + "x" + kEuro), S(kEuro), S("E")}, "ExE"},
      // An empty search text: string_replace puts r in front once; string_replace_all ends
      // and changes nothing.
      {"string_replace", F_StringReplace, {S("abc"), S(""), S("x")}, "xabc"},
      {"string_replace_all", F_StringReplaceAll, {S("abc"), S(""), S("x")}, "abc"},
  });
  ExpectReals({
      {"string_count", F_StringCount, {S("aa"), S("aaaa")}, 3},
      {"string_count", F_StringCount, {S("aa"), S("aaa")}, 2},
      {"string_count", F_StringCount, {S("b"), S("abcb")}, 2},
      {"string_count", F_StringCount, {S("x"), S("abc")}, 0},
      {"string_count", F_StringCount, {S(""), S("abc")}, 0},
      {"string_count", F_StringCount, {S("a"), S("")}, 0},
      {"string_count", F_StringCount, {R(1), S("111")}, 0},
      {"string_count", F_StringCount, {S("abcd"), S("abc")}, 0},
  });
}

TEST(StringBuiltins, LongTextHasNoLimit) {
  std::string long_text(100000, 'x');
  long_text += kEuro;
  EXPECT_EQ(CallBuiltin(F_StringLength, {S(long_text)}).real, 100001.0);
  EXPECT_EQ(CallBuiltin(F_String, {S(long_text)}).Text(), long_text);
  EXPECT_EQ(CallBuiltin(F_StringCopy, {S(long_text), R(100001), R(1)}).Text(), kEuro);
  EXPECT_EQ(CallBuiltin(F_StringReplaceAll, {S(long_text), S("x"), S("yy")}).Text().size(), 200003u);
  EXPECT_EQ(CallBuiltin(F_StringPos, {S(kEuro), S(long_text)}).real, 100001.0);
}

TEST(StringBuiltins, TextEndsAtItsFirstNul) {
  std::string with_nul("ab\0cd", 5);
  ExpectReals({
      {"string_byte_length", F_StringByteLength, {S(with_nul)}, 2},
      {"string_length", F_StringLength, {S(with_nul)}, 2},
  });
  ExpectStrings({{"string_byte_at", F_StringByteAt, {S(with_nul), R(4)}, ""}});
}

}  // namespace

namespace {

// Every string built-in over malformed UTF-8 (sequences cut short at the end, stray
// continuation bytes, four-byte leads) and every kind of position: under the address
// sanitizer a read past any string's end fails here.
TEST(StringBuiltins, MalformedTextAndAnyPositionStayInBounds) {
  const std::vector<std::string> texts = {
      "", "\xC3", "\xE2\x82", "a\xE2", "\x80\x80\x80", "\xF0\x9F\x98\x80", "ab\xC3", "\xFF\xFE", kEuro + "\xE2",
  };
  const std::vector<double> positions = {-1e300, -3, -1, 0, 1, 2, 3, 4, 5, 99, 3e9, kNaN, kInf};
  using Fn = BuiltinFunction;
  const std::vector<Fn> one_text = {F_Real, F_String, F_Ord, F_StringLength, F_StringByteLength,
                                    F_StringLower, F_StringUpper, F_StringLetters, F_StringDigits,
                                    F_StringLettersdigits};
  for (const std::string& text : texts) {
    for (Fn fn : one_text) CallBuiltin(fn, {S(text)});
    for (const std::string& other : texts) {
      CallBuiltin(F_StringPos, {S(other), S(text)});
      CallBuiltin(F_StringCount, {S(other), S(text)});
      CallBuiltin(F_StringReplace, {S(text), S(other), S("r")});
      CallBuiltin(F_StringReplaceAll, {S(text), S(other), S("r")});
    }
    for (double p : positions) {
      CallBuiltin(F_StringCharAt, {S(text), R(p)});
      CallBuiltin(F_StringByteAt, {S(text), R(p)});
      CallBuiltin(F_StringInsert, {S("\xE2"), S(text), R(p)});
      CallBuiltin(F_StringRepeat, {S(text), R(p)});
      for (double n : positions) {
        ScriptValue copy = CallBuiltin(F_StringCopy, {S(text), R(p), R(n)});
        ScriptValue deleted = CallBuiltin(F_StringDelete, {S(text), R(p), R(n)});
        EXPECT_LE(copy.Text().size(), 3 * text.size());
        EXPECT_EQ(copy.Text().find('\0'), std::string::npos);
        EXPECT_EQ(deleted.Text().find('\0'), std::string::npos);
        EXPECT_LE(UTF8_Length(deleted.CStr()), UTF8_Length(text.c_str()));
      }
    }
  }
}

}  // namespace
