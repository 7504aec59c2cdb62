// Deep nesting and garbage input must end in a compile error, never a crash.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "compiler_fixture.h"
#include "script/compiler/phases.h"

namespace {

std::string Repeat(const std::string& part, int count) {
  std::string out;
  out.reserve(part.size() * static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) out += part;
  return out;
}

constexpr int kDeep = 100000;

struct DeepCase {
  const char* what;
  std::string source;
  bool isExpression;
};

TEST(HostileSource, HundredThousandDeepNestingIsACompileError) {
  const DeepCase cases[] = {
      {"brackets", Repeat("(", kDeep) + "1" + Repeat(")", kDeep), true},
      {"brackets in a program", "x = " + Repeat("(", kDeep) + "1" + Repeat(")", kDeep), false},
      {"unclosed brackets", Repeat("(", kDeep), true},
      {"prefixes", Repeat("-", kDeep) + "1", true},
      {"operator chain", "1" + Repeat(" + 1", kDeep), true},
      {"right-nested chain", Repeat("1 + (", kDeep) + "1" + Repeat(")", kDeep), true},
      {"member chain", "a" + Repeat(".a", kDeep), true},
      {"nested calls", Repeat("any_args(", kDeep) + Repeat(")", kDeep), true},
      {"nested indices", Repeat("a[", kDeep) + "0" + Repeat("]", kDeep), true},
      {"blocks", Repeat("{", kDeep) + Repeat("}", kDeep), false},
      {"ifs", Repeat("if x ", kDeep) + "y = 1", false},
      {"withs", Repeat("with (a) ", kDeep) + "y = 1", false},
      // Each bracket holds a chain whose first operand is the next bracket: a few hundred
      // levels of recursion building a tree two hundred thousand levels high.
      {"chains of bracketed chains",
       Repeat("(", 400) + "1" + Repeat(Repeat(" + 1", 500) + ")", 400), true},
  };
  for (const DeepCase& c : cases) {
    CompileResult result = CompileText(c.source, c.isExpression);
    EXPECT_FALSE(result.ok) << c.what;
    EXPECT_EQ(result.error.message, "Code is nested too deeply.") << c.what;
  }
}

TEST(HostileSource, NestingBelowTheLimitCompiles) {
  const int depth = kMaxNestingDepth - 1;
  CompileResult chain = CompileText("1" + Repeat(" + 1", depth), true);
  ASSERT_TRUE(chain.ok) << chain.error.text;
  EXPECT_EQ(chain.code->Constant().real, depth + 1);
  CompileResult brackets = CompileText(Repeat("(", depth) + "y" + Repeat(")", depth), true);
  EXPECT_TRUE(brackets.ok) << brackets.error.text;
  const int side = 30;  // 900 levels of tree from only 30 levels of recursion
  CompileResult chains =
      CompileText(Repeat("(", side) + "y" + Repeat(Repeat(" + 1", side) + ")", side), true);
  EXPECT_TRUE(chains.ok) << chains.error.text;
  CompileResult mixed = CompileText(Repeat("-(", depth / 2) + "y" + Repeat(")", depth / 2), true);
  EXPECT_TRUE(mixed.ok) << mixed.error.text;
  CompileResult blocks = CompileText(Repeat("{", depth / 2) + "x = 1" + Repeat("}", depth / 2));
  EXPECT_TRUE(blocks.ok) << blocks.error.text;
}

TEST(HostileSource, MegabyteOfRandomBytes) {
  std::mt19937 generator(12345);
  for (int round = 0; round < 3; ++round) {
    std::string source(1 << 20, '\0');
    for (char& c : source) c = static_cast<char>(generator() & 0xFF);
    for (bool isExpression : {false, true}) {
      CompileResult result = CompileText(source, isExpression);
      EXPECT_FALSE(result.ok);
      EXPECT_TRUE(result.error.pending);
    }
  }
}

// Random sequences of real tokens reach far deeper into the parser than random bytes.
TEST(HostileSource, MegabyteOfRandomTokens) {
  // Any outcome is fine as long as it is an outcome.
  static const char* const kTokens[] = {
      "(", ")", "{", "}", "[", "]", ",", ";", ":", ".", "=", "+=", "+", "-", "*", "/", "!",
      "~", "<", "==", "&&", "|", "<<", "div", "a", "b", "x", "1", "2.5", "$F", "'s'",
      "any_args", "two_args", "if", "else", "while", "do", "until", "for", "repeat", "with",
      "switch", "case", "default", "var", "globalvar", "return", "exit", "break", "self",
      "global", "0", "'t'", "c_red", " "};
  std::mt19937 generator(777);
  std::uniform_int_distribution<size_t> pick(0, std::size(kTokens) - 1);
  for (int round = 0; round < 4; ++round) {
    std::string source;
    while (source.size() < (1 << 20)) {
      source += kTokens[pick(generator)];
      source += ' ';
    }
    for (bool isExpression : {false, true}) {
      CompileResult result = CompileText(source, isExpression);
      EXPECT_TRUE(result.ok || result.error.pending);
    }
  }
}

}  // namespace

namespace {

TEST(HostileSource, LargeValidProgramCompiles) {
  std::string source;
  for (int i = 0; source.size() < (1 << 20); ++i) {
    source += "if (a" + std::to_string(i % 50) + " > 3) { b[" + std::to_string(i % 7) +
              "] += two_args(1, 'x') } else c = -d.e;\n";
  }
  CompileResult result = CompileText(source);
  ASSERT_TRUE(result.ok) << result.error.text;
  EXPECT_GT(result.code->Root().children.size(), 10000u);
}

}  // namespace
