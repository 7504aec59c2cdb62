#include <gtest/gtest.h>

#include "compiler_fixture.h"
#include "script/compiler/lexer.h"

namespace {

// kind:text@position for every token, the end token as "end@position".
std::string Tokens(std::string_view source) {
  CodeTokenList tokens;
  bool ok = Code_Phase1_Scan(source, tokens);
  std::string out;
  for (const CodeToken& token : tokens) {
    if (!out.empty()) out += " ";
    if (token.kind == TokenKind::End) {
      out += "end@" + std::to_string(token.position);
    } else if (token.kind == TokenKind::Error) {
      out += "error@" + std::to_string(token.position);
    } else {
      out += std::to_string(static_cast<int>(token.kind)) + ":" + token.text + "@" +
             std::to_string(token.position);
    }
  }
  return ok ? out : out + " (failed)";
}

struct LexCase {
  const char* source;
  const char* tokens;
};

TEST(Lexer, TokenTable) {
  const LexCase cases[] = {
      {"a=$1F;", "0:a@0 101:=@1 1:$1F@2 108:;@5 end@6"},
      {"x.5", "0:x@0 1:.5@1 end@3"},
      {"1.2.3", "1:1.2@0 1:.3@3 end@5"},
      {"a.b", "0:a@0 112:.@1 0:b@2 end@3"},
      {"BEGIN begin End end", "0:BEGIN@0 11:begin@6 0:End@12 12:end@16 end@19"},
      {"'a''b'", "2:a@1 2:b@4 end@6"},
      {"\"it's\"", "2:it's@1 end@6"},
      {"a <> b != c", "0:a@0 207:<>@2 0:b@5 207:!=@7 0:c@10 end@11"},
      {"x // note", "0:x@0 end@9"},
      {"x // note\ny", "0:x@0 0:y@10 end@11"},
      {"x /* a\nb */ y", "0:x@0 0:y@12 end@13"},
      {"x /* open", "0:x@0 end@9"},
      {"a\xC3\xA9" "b", "0:a@0 0:b@3 end@4"},
      {"'\xC3\xA9'", "2:\xC3\xA9@1 end@4"},
      {"globalvar globalvars g", "30:globalvar@0 0:globalvars@10 0:g@21"
                                 " end@22"},
      {"a and b or not c xor d div e mod f",
       "0:a@0 201:and@2 0:b@6 202:or@8 203:not@11 0:c@15 216:xor@17 0:d@21 214:div@23 0:e@27"
       " 215:mod@29 0:f@33 end@34"},
      {":=+=-=*=/=&&&=|||=", "101::=@0 102:+=@2 103:-=@4 104:*=@6 105:/=@8 201:&&@10 115:&=@12"
                             " 202:||@14 114:|=@16 end@18"},
      {"<=<<==>=>>^=^^", "205:<=@0 221:<<@2 206:==@4 208:>=@6 222:>>@8 116:^=@10 216:^^@12 end@14"},
      {"!%&()*+,-./:;<[=]>^{|}~",
       "203:!@0 215:%@1 218:&@2 106:(@3 107:)@4 212:*@5 210:+@6 109:,@7 211:-@8 112:.@9 213:/@10"
       " 113::@11 108:;@12 204:<@13 110:[@14 101:=@15 111:]@16 209:>@17 219:^@18 11:{@19"
       " 217:|@20 12:}@21 220:~@22 end@23"},
      {"$", "1:$@0 end@1"},
      {"$fFg", "1:$fF@0 0:g@3 end@4"},
      {"", "end@0"},
      {"a # b", "0:a@0 error@2 (failed)"},
      {"x = y ? 1", "0:x@0 101:=@2 0:y@4 error@6 (failed)"},
  };
  for (const LexCase& c : cases) {
    EXPECT_EQ(Tokens(c.source), c.tokens) << "source: " << c.source;
  }
}

TEST(Lexer, UnclosedStringKeepsTwoOfThePaddingBlanks) {
  EXPECT_EQ(Tokens("s = 'abc"), "0:s@0 101:=@2 2:abc  @5 end@8");
}

TEST(Lexer, VeryLongIdentifierIsKeptWhole) {
  std::string name(5000, 'q');
  CodeTokenList tokens;
  ASSERT_TRUE(Code_Phase1_Scan(name, tokens));
  ASSERT_EQ(tokens.size(), 2u);
  EXPECT_EQ(tokens[0].text, name);
}

TEST(Lexer, UnexpectedSymbolIsACompileErrorAtItsPosition) {
  CompileResult result = CompileText("a = 1;\nb = \\2;");
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.error.message, "Unexpected symbol.");
  EXPECT_EQ(result.error.line, 2);
  EXPECT_EQ(result.error.column, 5);
  EXPECT_EQ(result.error.text, "Error in code at line 2:\n   b = \\2;\n\nat position 5: Unexpected symbol.");
}

}  // namespace
