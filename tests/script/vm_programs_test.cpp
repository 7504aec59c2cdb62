// Programs run on the virtual machine whose results follow the machine's operator and
// statement rules.
#include "script/code.h"
#include "vm_fixture.h"

namespace vmtest {
namespace {

struct ProgramCase {
  const char* title;
  const char* program;  // leaves its answer in r
  double real;          // expected real, unless text is given
  const char* text = nullptr;
};

class VMProgram : public VMTest, public ::testing::WithParamInterface<ProgramCase> {};

TEST_P(VMProgram, LeavesTheExpectedValue) {
  const ProgramCase& c = GetParam();
  ASSERT_TRUE(Run(c.program));
  EXPECT_TRUE(Errors().empty()) << c.title << ": " << (Errors().empty() ? "" : Errors()[0]);
  ScriptValue r = Var("r");
  if (c.text != nullptr) {
    ASSERT_TRUE(r.IsString()) << c.title;
    EXPECT_EQ(r.Text(), c.text) << c.title;
  } else {
    ASSERT_TRUE(r.IsReal()) << c.title << " gave \"" << r.Text() << "\"";
    EXPECT_DOUBLE_EQ(r.real, c.real) << c.title;
  }
}

const ProgramCase kPrograms[] = {
    // Operators on values held in variables reach the machine unfolded.
    {"number times string", "s = \"ab\"; n = 3; r = n * s;", 0, "ababab"},
    {"number times string, none", "s = \"ab\"; n = -1; r = n * s;", 0, ""},
    {"string concatenation", "a = \"ab\"; b = \"cd\"; r = a + b + \"e\";", 0, "abcde"},
    {"real division", "a = 5; b = 2; r = a / b;", 2.5},
    {"div truncates", "a = 7; b = 2; r = a div b;", 3},
    {"div of negative", "a = -7; b = 2; r = a div b;", -3},
    {"mod sign of left", "a = -5; b = 3; r = a mod b;", -2},
    {"mod of negative divisor", "a = 7; b = -2; r = a % b;", 1},
    {"tolerant equality", "a = 0.1; b = 0.2; r = (a + b == 0.3);", 1},
    {"tolerant less", "a = 1; b = 1.000001; r = (a < b);", 0},
    {"strings compare bytewise", "a = \"abc\"; b = \"abd\"; r = (a < b) + 2 * (b < a);", 1},
    {"prefix orders first", "a = \"ab\"; b = \"abc\"; r = (a < b);", 1},
    {"bitwise and", "a = 6; b = 3; r = a & b;", 2},
    {"shift count wraps at 32", "a = 1; b = 33; r = a << b;", 2},
    {"arithmetic shift right", "a = -8; b = 1; r = a >> b;", -4},
    {"complement", "a = 0; r = ~a;", -1},
    {"not of real above one half", "a = 0.6; r = !a;", 0},
    {"logical xor", "a = 1; b = 0; r = a ^^ b;", 1},
    {"int64 constant is a real", "a = 1; r = a + 3000000000;", 3000000001.0},
    {"int64 constant compares", "a = 3000000000; r = (a == 3000000000) + (3000000000 > 1);", 2},
    {"compound assignment", "r = 10; r += 5; r -= 1; r *= 2; r /= 4;", 7},
    {"compound or", "r = 4; r |= 3;", 7},
    {"if 0.5 takes else", "a = 0.5; if (a) r = 1 else r = 2;", 2},
    // Statements.
    {"repeat 3.5 converts by truncation", "r = 0; repeat (3.5) r += 1;", 3},
    {"repeat -2 skips", "r = 0; n = -2; repeat (n) r += 1;", 0},
    {"repeat 0 skips", "r = 0; repeat (0) r += 1;", 0},
    {"while loop", "r = 0; i = 0; while (i < 10) { r += i; i += 1; }", 45},
    {"do until", "r = 0; do { r += 1; } until (r >= 4);", 4},
    {"for with continue", "r = 0; for (i = 0; i < 6; i += 1) { if (i mod 2) continue; r += i; }",
     6},
    {"break leaves the loop", "r = 0; while (1) { r += 1; if (r == 5) break; }", 5},
    {"switch falls through",
     "sx = 1; r = 0; switch (sx) { case 1: r += 1; case 2: r += 10; break; case 3: r += 100; }",
     11},
    {"switch default first", "sx = 1; switch (sx) { default: r = 5; break; case 1: r = 1; }", 5},
    {"switch on strings",
     "sx = \"b\"; switch (sx) { case \"a\": r = 1; break; case \"b\": r = 2; break; }", 2},
    {"switch labels at the end", "sx = 2; r = 7; switch (sx) { case 1: r = 1; case 2: }", 7},
    {"switch default at the end", "sx = 9; r = 7; switch (sx) { case 1: r = 1; default: }", 7},
    {"continue inside switch in a loop",
     "r = 0; for (i = 0; i < 5; i += 1) { switch (i) { case 2: continue; } r += 1; }", 4},
    {"continue inside switch in repeat",
     "r = 0; repeat (3) { r += 1; switch (r) { case 1: continue; } r += 10; }", 23},
    {"exit inside nested loops",
     "r = 0; repeat (4) { while (1) { r += 1; if (r == 3) exit; } } r = 99;", 3},
    // Stores into the instance's own variables: strings move in and out, converted kinds.
    {"string then number in one variable",
     "a = \"ab\"; a = a + \"c\"; b = a; a = 4; if (a == 4) r = b + \"!\";", 0, "abc!"},
    {"integer stored as a real", "a = 7; a = a | 8; r = a / 2;", 7.5},
    {"globalvar name stores into the global", "globalvar gv; gv = 2; gv += 3; r = global.gv;", 5},
    {"2D array", "a[2, 3] = 5; a[0, 1] = 4; r = a[2, 3] * 10 + a[1];", 54},
    {"array plain value is index 0", "a = 3; a[0, 0] += 1; r = a;", 4},
    {"local variables", "var t; t = 4; r = t * t;", 16},
    {"globalvar", "globalvar g; g = 3; r = global.g + g;", 6},
    {"reading noone gives 0", "r = noone.zz + 1;", 1},
    // Local loop idioms (run as a whole when their operands are reals) and their fallbacks.
    {"local countdown", "var i, t; t = 0; for (i = 10; i > 0; i -= 3) t += i; r = t;", 22},
    {"local compare keeps the tolerance", "var a; a = 1.000001; r = 0; if (a == 1) r = 1;", 1},
    {"local with local", "var a, b; a = 2; b = 3; a *= b; a -= b; r = a;", 3},
    {"local compared with local",
     "var a, b; a = 2; b = 2.000001; r = 0; while (a < b) { r += 1; break; }", 0},
    {"local string appends", "var s; s = \"x\"; s += \"y\"; r = s;", 0, "xy"},
    {"local string compares", "var a; a = \"5\"; r = 0; if (a == \"5\") r = 1;", 1},
    {"built-in call", "r = concat(\"a\", \"b\", \"c\");", 0, "abc"},
    {"expression value through a call", "r = rec(1, 2) + rec();", 2},
};

INSTANTIATE_TEST_SUITE_P(Rules, VMProgram, ::testing::ValuesIn(kPrograms));

TEST_F(VMTest, ExpressionsReturnTheirValue) {
  EXPECT_DOUBLE_EQ(Eval("5 / 2").real, 2.5);  // folded by the compiler
  Run("a = 4;");
  EXPECT_DOUBLE_EQ(Eval("a * 2 + 1").real, 9);
  EXPECT_EQ(Eval("\"x\" + string_of_a").Kind(), ValueKind::Real);  // unknown names: no string
}

TEST_F(VMTest, ProgramReturnGivesItsValue) {
  ScriptValue result;
  ASSERT_TRUE(Run("a = 2; return a * 21;", &result));
  EXPECT_DOUBLE_EQ(result.real, 42);
  ScriptValue untouched(5.0);
  ASSERT_TRUE(Run("repeat (3) { exit; }", &untouched));
  EXPECT_DOUBLE_EQ(untouched.real, 5.0);  // exit leaves no result, not the loop counter
}

TEST_F(VMTest, ScriptsCallWithArgumentsAndRecurse) {
  AddScript("fib",
            "if (argument0 < 2) return argument0; return fib(argument0 - 1) + fib(argument0 - 2);");
  AddScript("count_args", "return argument_count * 100 + argument1;");
  AddScript("no_return", "var t; t = argument0;");
  ASSERT_TRUE(Run("r = fib(15); c = count_args(4, 5, 6); n = no_return(3); q = argument_count;"));
  EXPECT_TRUE(Errors().empty()) << (Errors().empty() ? "" : Errors()[0]);
  EXPECT_DOUBLE_EQ(Var("r").real, 610);
  EXPECT_DOUBLE_EQ(Var("c").real, 305);
  EXPECT_DOUBLE_EQ(Var("n").real, 0);
  EXPECT_DOUBLE_EQ(Var("q").real, 0);  // the caller's argument count came back
}

TEST_F(VMTest, ScriptLocalsAreSeparatePerCall) {
  AddScript("depth", "var d; d = argument0; if (argument0 > 0) depth(argument0 - 1); return d;");
  ASSERT_TRUE(Run("r = depth(5);"));
  EXPECT_DOUBLE_EQ(Var("r").real, 5);
}

TEST_F(VMTest, WithVisitsAllInstancesInTheMachinesOrder) {
  AddInstance(100002, 1);
  AddInstance(100003, 1);
  ASSERT_TRUE(Run("with (all) { v = 7; rec(id); } r = id;"));
  EXPECT_TRUE(Errors().empty()) << (Errors().empty() ? "" : Errors()[0]);
  std::vector<double> order;
  for (const ScriptValue& v : TheWorld().recorded) order.push_back(v.real);
  // Three or more: from the last back to the first.
  EXPECT_EQ(order, (std::vector<double>{100003, 100002, 100001}));
  for (auto& instance : TheWorld().room) {
    EXPECT_DOUBLE_EQ(VarOf(instance.get(), "v").real, 7);
  }
  EXPECT_DOUBLE_EQ(Var("r").real, 100001);  // self is restored
}

TEST_F(VMTest, WithOverTwoInstancesKeepsListOrderAndOtherIsTheCaller) {
  AddInstance(100002, 1);
  AddInstance(100003, 1);
  ASSERT_TRUE(Run("with (1) { rec(id, other.id); }"));
  ASSERT_EQ(TheWorld().recorded.size(), 4u);
  EXPECT_DOUBLE_EQ(TheWorld().recorded[0].real, 100002);
  EXPECT_DOUBLE_EQ(TheWorld().recorded[1].real, 100001);
  EXPECT_DOUBLE_EQ(TheWorld().recorded[2].real, 100003);
}

TEST_F(VMTest, WithSkipsWhenNothingMatchesAndBreakClosesTheEnvironment) {
  AddInstance(100002, 1);
  AddInstance(100003, 1);
  ASSERT_TRUE(
      Run("r = 0; with (noone) r += 1; with (55) r += 1; with (100099) r += 1;"
          "n = 0; with (all) { n += 1; other.seen = id; break; } after = id;"
          "k = 0; repeat (2) with (all) { other.k += 1; continue; }"));
  EXPECT_TRUE(Errors().empty()) << (Errors().empty() ? "" : Errors()[0]);
  EXPECT_DOUBLE_EQ(Var("r").real, 0);
  EXPECT_DOUBLE_EQ(Var("seen").real, 100003);
  EXPECT_DOUBLE_EQ(Var("after").real, 100001);
  EXPECT_DOUBLE_EQ(Var("k").real, 6);
}

TEST_F(VMTest, WithAnInstanceIdAndAMarkedInstance) {
  CInstance& target = AddInstance(100002, 1);
  AddInstance(100003, 1).marked = true;
  ASSERT_TRUE(Run("with (100002) w = 1; with (100003) w = 2; r = 0; with (1) r += 1;"));
  EXPECT_DOUBLE_EQ(VarOf(&target, "w").real, 1);
  EXPECT_DOUBLE_EQ(Var("r").real, 0);  // the body ran for the other instance, not for self
}

TEST_F(VMTest, NestedActivationsFromABuiltInKeepTheCallersArguments) {
  // A built-in that runs code while its own arguments stay on the caller's stack.
  static CCode* inner = nullptr;
  CCode innerCode("q = 1 + 2;", false);
  ASSERT_TRUE(innerCode.Compile("Inner"));
  inner = &innerCode;
  Function_Add(
      "run_inner",
      [](ScriptValue& result, CInstance* s, CInstance* o, int argc, ScriptValue* args) {
        ScriptValue ignored;
        Code_Run(s, o, *inner, ignored);
        result.SetReal(argc == 1 ? args[0].real : -1);
      },
      1);
  ASSERT_TRUE(Run("r = run_inner(41) + 1;"));
  EXPECT_DOUBLE_EQ(Var("r").real, 42);
  EXPECT_DOUBLE_EQ(Var("q").real, 3);
}

}  // namespace
}  // namespace vmtest
