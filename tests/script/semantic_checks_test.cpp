#include <gtest/gtest.h>

#include "compiler_fixture.h"
#include "script/compiler/user_variables.h"

namespace {

struct FoldCase {
  const char* expression;
  const char* constant;
};

// Operations on constants fold with the interpreter's operator rules.
TEST(SemanticChecks, ConstantFolding) {
  const FoldCase cases[] = {
      {"(2 + 3) * 4", "20"},
      {"5 / 2", "2.5"},
      {"'a' + \"b\"", "\"ab\""},
      {"3 * 'ab'", "\"ababab\""},
      {"2.5 * 'ab'", "\"abab\""},
      {"-1 * 'ab'", "\"\""},
      {"7 div 2", "3"},
      {"-7 div 2", "-3"},
      {"7.9 div 1.9", "7"},
      {"7 mod -2", "1"},
      {"-7 mod 2", "-1"},
      {"5.5 % 2", "1.5"},
      {"1 << 33", "2"},
      {"-8 >> 1", "-4"},
      {"~0", "-1"},
      {"2.5 | 0", "2"},
      {"3.5 & 7", "4"},
      {"6 ^ 3", "5"},
      {"1 < 2 < 3", "1"},
      {"3 > 2 > 1", "0"},
      {"'abc' < 'abd'", "1"},
      {"'' == ''", "1"},
      {"'\xC3\xA9' > 'z'", "1"},
      {"1 = 1", "1"},
      {"1 <> 1", "0"},
      {"!0.5", "0"},
      {"!0.4", "1"},
      {"not not 3", "1"},
      {"0.5 && 1", "1"},
      {"0.4 || 0", "0"},
      {"1 xor 1", "0"},
      {"-(2)", "-2"},
      {"+-+3", "-3"},
      {"$FF", "255"},
      {"pi", "3.1415927410125732"},
      {"c_red | c_blue", "16711935"},
  };
  for (const FoldCase& c : cases) {
    CompileResult result = CompileText(c.expression, true);
    ASSERT_TRUE(result.ok) << c.expression << ": " << result.error.text;
    EXPECT_EQ(result.code->Kind(), CodeKind::Constant) << c.expression;
    EXPECT_EQ(TreeText(result.code->Root()), c.constant) << c.expression;
  }
}

struct ErrorCase {
  const char* source;
  const char* message;
  int column;
};

// An operator error met while folding is a compile error at the operation.
TEST(SemanticChecks, FoldingErrorsAreCompileErrors) {
  const ErrorCase cases[] = {
      {"x = 1 / 0", "Division by 0.", 5},
      {"x = 5 div 0.5", "Division by 0.", 5},
      {"x = 1 mod 0", "Modulo by 0.", 5},
      {"x = 'a' - 'b'", "Wrong type of arguments to -.", 6},
      {"x = 'a' + 1", "Wrong type of arguments to +.", 6},
      {"x = 'ab' * 3", "Wrong type of arguments to *.", 6},
      {"x = 'a' / 1", "Wrong type of arguments to /.", 6},
      {"x = 'a' div 1", "Wrong type of arguments to div.", 6},
      {"x = 'a' mod 1", "Wrong type of arguments to mod.", 6},
      {"x = 'a' && 1", "Wrong type of arguments for &&.", 6},
      {"x = 'a' || 1", "Wrong type of arguments for ||.", 6},
      {"x = 'a' ^^ 1", "Wrong type of arguments for ^^.", 6},
      {"x = 'a' | 1", "Wrong type of arguments for |.", 6},
      {"x = 'a' & 1", "Wrong type of arguments for &.", 6},
      {"x = 'a' ^ 1", "Wrong type of arguments for ^.", 6},
      {"x = 'a' << 1", "Wrong type of arguments for <<.", 6},
      {"x = 'a' >> 1", "Wrong type of arguments for >>.", 6},
      {"x = 1 < '1'", "Cannot compare arguments.", 5},
      {"x = -'a'", "Wrong type of arguments to unary operator.", 5},
      {"x = 2000000000 * 'ab'", "String too long.", 5},
      {"x = 1 + (2 / (3 - 3))", "Division by 0.", 10},
      {"'a'.x = 1", "Left hand side must be a real value.", 2},
  };
  for (const ErrorCase& c : cases) {
    CompileResult result = CompileText(c.source);
    EXPECT_FALSE(result.ok) << c.source;
    EXPECT_EQ(result.error.message, c.message) << c.source;
    EXPECT_EQ(result.error.column, c.column) << c.source;
  }
}

struct TreeCase {
  const char* source;
  const char* tree;
};

TEST(SemanticChecks, LocalsInstancesAndCaseLabels) {
  const TreeCase cases[] = {
      {"var i; i = 0; j = i", "{var(i); (= i@-7 0); (= j@-6 i@-7)}"},
      {"i2 = 0; var i2", "{(= i2@-6 0); var(i2)}"},
      {"var k; k[2] = 1", "{var(k); (= (-7).k[2] 1)}"},
      {"global.g = other.h", "{(= g@-5 h@-2)}"},
      {"(3).x = (2.5).y + (3.5).y", "{(= x@3 (+ y@2 y@4))}"},
      {"(3).x[1] = 0", "{(= (3).x[1] 0)}"},
      {"a.b = 1", "{(= (a@-6).b 1)}"},
      {"switch k { case 1 + 1: x = 1; case a: x = 2 }",
       "{switch(k@-6,constcase(2),(= x@-6 1),case(a@-6),(= x@-6 2))}"},
      {"x = 1 + 2 + y", "{(= x@-6 (+ 3 y@-6))}"},
      {"x = y + 1 + 2", "{(= x@-6 (+ (+ y@-6 1) 2))}"},
  };
  for (const TreeCase& c : cases) {
    CompileResult result = CompileText(c.source);
    ASSERT_TRUE(result.ok) << c.source << ": " << result.error.text;
    EXPECT_EQ(TreeText(result.code->Root()), c.tree) << c.source;
  }
}

TEST(SemanticChecks, VariableIdsAreStableAndCaseSensitive) {
  int32_t first = Code_Variable_Find("sem_new_name");
  EXPECT_GE(first, kUserVariableBase);
  EXPECT_EQ(Code_Variable_Find("sem_new_name"), first);
  EXPECT_NE(Code_Variable_Find("SEM_NEW_NAME"), first);
  EXPECT_EQ(Code_Variable_Name(first), "sem_new_name");
  EXPECT_LT(Code_Variable_Find("x"), 10000);
  EXPECT_EQ(Code_Variable_Name(Code_Variable_Find("argument15")), "argument15");
  EXPECT_EQ(Code_Variable_Name(kUserVariableBase + 10000000), "<unknown variable>");
}

}  // namespace
