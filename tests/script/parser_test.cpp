#include <gtest/gtest.h>

#include "compiler_fixture.h"

namespace {

struct ParseCase {
  const char* source;
  const char* tree;
};

TEST(Parser, AcceptedProgramsAndTheirTrees) {
  const ParseCase cases[] = {
      {"", "empty_program"},
      {"a = b = c", "{(= a (= b c))}"},
      {"x = 1 + 2 * 3 - 4", "{(= x (- (+ 1 (* 2 3)) 4))}"},
      {"x = 1 < 2 < 3", "{(= x (< (< 1 2) 3))}"},
      {"x = a || b && c ^^ d", "{(= x (^^ (&& (|| a b) c) d))}"},
      {"x = a == b | c & d ^ e", "{(= x (== a (^ (& (| b c) d) e)))}"},
      {"x = 1 << 2 + 3 >> 4", "{(= x (>> (<< 1 (+ 2 3)) 4))}"},
      {"x = a div b mod c % d / e", "{(= x (/ (mod (mod (div a b) c) d) e))}"},
      {"x = a <> b", "{(= x (!= a b))}"},
      {"x = a and b or not c", "{(= x (|| (&& a b) (! c)))}"},
      {"x = - 2 * 3", "{(= x (* (- 2) 3))}"},
      {"x = !-~+a", "{(= x (! (- (~ (+ a)))))}"},
      {"x = -a.b", "{(= x (- (a).b))}"},
      {"x = (a).b", "{(= x (a).b)}"},
      {"x = a.b.c[1]", "{(= x ((a).b).c[1])}"},
      {"x.y[2, 3] += 1", "{(+= (x).y[2,3] 1)}"},
      {"a[1,] = 2", "{(= a[1] 2)}"},
      {"a[] := 2", "{(= a 2)}"},
      {"x = $FF + $ff", "{(= x (+ 255 255))}"},
      {"x = .5 + 10.25", "{(= x (+ 0.5 10.25))}"},
      {"x = 'a' + \"b\"", "{(= x (+ \"a\" \"b\"))}"},
      {"x -= 1 x *= 2 x /= 3 x |= 4 x &= 5 x ^= 6",
       "{(-= x 1); (*= x 2); (/= x 3); (|= x 4); (&= x 5); (^= x 6)}"},
      {"if x then y = 1 else y = 2;", "{if(x,(= y 1),(= y 2))}"},
      {"if (x) {y = 1}", "{if(x,{(= y 1)})}"},
      {"for (i = 0 i < 10 i += 1) x += i", "{for((= i 0),(< i 10),(+= i 1),(+= x i))}"},
      {"for (i = 0; i < 10; i += 1) {}", "{for((= i 0),(< i 10),(+= i 1),{})}"},
      {"while x do x -= 1", "{while(x,(-= x 1))}"},
      {"do x += 1 until x > 3", "{do((+= x 1),(> x 3))}"},
      {"with (other) do x = 1", "{with(-2,(= x 1))}"},
      {"repeat 3 exit", "{repeat(3,exit)}"},
      {"return a + 1", "{return((+ a 1))}"},
      {"exit;;; break; continue", "{exit; break; continue}"},
      {"switch (k) { case 1: x = 1; break; default: x = 2 }",
       "{switch(k,case(1),(= x 1),break,default,(= x 2))}"},
      {"var a, b c", "{var(a,b,c)}"},
      {"var; x = 1", "{var(); (= x 1)}"},
      {"globalvar g, h;", "{globalvar(g,h)}"},
      {"; x = 1", "{empty; (= x 1)}"},
      {"{ x = 1 };;", "{(= x 1)}"},
      {"begin x = 1 end", "{(= x 1)}"},
      {"no_args() two_args(1, any_args(2,))", "{no_args(); two_args(1,any_args(2))}"},
      {"x = any_args(1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16)",
       "{(= x any_args(1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16))}"},
      {"x = two_args(1, 2).y", "{(= x (two_args(1,2)).y)}"},
      {"(a).b = 1", "{(= (a).b 1)}"},
      {"x = self", "{(= x -1)}"},
  };
  for (const ParseCase& c : cases) {
    EXPECT_EQ(ParseText(c.source), c.tree) << "source: " << c.source;
  }
}

TEST(Parser, AcceptedExpressions) {
  const ParseCase cases[] = {
      {"", "0"},
      {"1 2", "1"},
      {"1.2.3", "1.2"},
      {"x.5", "x"},
      {"a = b", "(= a b)"},
      {"1 + ", "error: Unexpected symbol in expression. @1:5"},
  };
  for (const ParseCase& c : cases) {
    EXPECT_EQ(ParseText(c.source, true), c.tree) << "expression: " << c.source;
  }
}

struct ErrorCase {
  const char* source;
  const char* message;
  int line;
  int column;
};

// Every message of name resolution and the parser but "Function name expected.", which
// no source can reach: a call starts only at a name that resolved to a function.
TEST(Parser, ErrorMessagesWithLineAndPosition) {
  const ErrorCase cases[] = {
      {"x = 1;\nfoo(2)", "Unknown function or script: foo", 2, 1},
      {"for i = 0", "Symbol ( expected.", 1, 5},
      {"two_args(1 2)", "Symbol , or ) expected.", 1, 12},
      {"any_args(1, 2", "Symbol , or ) expected.", 1, 14},
      {"any_args(1,", "Symbol ) expected.", 1, 12},
      {"x = (1 + 2", "Symbol ) expected.", 1, 11},
      {"for (i = 0; i < 2; i += 1 x = 1", "Symbol ) expected.", 1, 27},
      {"two_args(1, 2, 3)", "Wrong number of arguments to function or script.", 1, 17},
      {"no_args(1)", "Wrong number of arguments to function or script.", 1, 10},
      {"any_args(1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17)",
       "Wrong number of arguments to function or script.", 1, 51},
      {"5 = 3", "Variable name expected.", 1, 3},
      {"x = a.(b)", "Variable name expected.", 1, 7},
      {"a[1 2] = 0", "Symbol , or ] expected.", 1, 5},
      {"a[1,", "Symbol ] expected.", 1, 5},
      {"a[1, 2, 3] = 0", "Only 1- and 2-dimensional arrays are supported.", 1, 9},
      {"x = )", "Unexpected symbol in expression.", 1, 5},
      {"var a, b c = 1", "Unexpected symbol in expression.", 1, 12},
      {"if x then else y = 1", "Unexpected symbol in expression.", 1, 11},
      {"x + 1", "Assignment operator expected.", 1, 3},
      {"a == 1", "Assignment operator expected.", 1, 3},
      {"var z;\nvar speed;", "Cannot redeclare a builtin variable.", 2, 5},
      {"switch (a) { case 1 x = 2 }", "Symbol : expected.", 1, 21},
      {"switch (a) { default x = 2 }", "Symbol : expected.", 1, 22},
      {"switch a x = 1", "Symbol {  expected.", 1, 10},
      {"{ x = 1", "Symbol  } expected.", 1, 8},
      {"switch a { case 1:", "Symbol  } expected.", 1, 19},
      {"do x = 1 while x", "Keyword until expected.", 1, 10},
      {"if x", "Unexpected end of code reached.", 1, 5},
      {"x = 1;\r\n  while (y)\r\n", "Unexpected end of code reached.", 3, 1},
      {"{ x = 1 } y = 2", "Program ends before end of the code.", 1, 11},
  };
  for (const ErrorCase& c : cases) {
    CompileResult result = CompileText(c.source);
    EXPECT_FALSE(result.ok) << c.source;
    EXPECT_EQ(result.error.message, c.message) << c.source;
    EXPECT_EQ(result.error.line, c.line) << c.source;
    EXPECT_EQ(result.error.column, c.column) << c.source;
  }
}

TEST(Parser, ErrorTextNamesTheLineOrTheExpression) {
  CompileResult program = CompileText("x = 1;\ny = (2;\nz = 3;");
  EXPECT_EQ(program.error.text,
            "Error in code at line 2:\n   y = (2;\n\nat position 7: Symbol ) expected.");
  CompileResult expression = CompileText("1 + (2", true);
  EXPECT_EQ(expression.error.text, "Error in expression: 1 + (2\n position 7: Symbol ) expected.");
}

TEST(Parser, FirstErrorOfACompileIsKept) {
  CompileResult result = CompileText("x = (");
  EXPECT_EQ(result.error.message, "Unexpected symbol in expression.");
  Compiler_ReportError(*result.code, 0, "later");
  EXPECT_EQ(Compiler_LastError().message, "Unexpected symbol in expression.");
}

}  // namespace
