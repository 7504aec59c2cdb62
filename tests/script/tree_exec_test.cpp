// The parse-tree interpreter ("-oldexec") beside the virtual machine: the same programs, each
// executor giving the result of its own rules.
#include <string>
#include <vector>

#include "data/game_options.h"
#include "script/code.h"
#include "script/code_exec.h"
#include "script/compiler/compile_error_sink.h"
#include "executors_fixture.h"

namespace vmtest {
namespace {

int g_Ticks = 0;
// Counts its calls since the program began.
void Tick(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue*) { result.SetReal(++g_Ticks); }
// Marks the calling instance destroyed, as instance_destroy does.
void Destroy(ScriptValue&, CInstance* self, CInstance*, int, ScriptValue*) { self->marked = true; }

class TreeExec : public ExecutorsTest {
 protected:
  void SetUp() override {
    ExecutorsTest::SetUp();
    AddBuiltinOnce("tick", Tick, 0);
    AddBuiltinOnce("destroy_me", Destroy, 0);
  }

  // Compiles and runs program on one executor, from a fresh self each time.
  Outcome RunOn(bool vm, const std::string& program) {
    g_Ticks = 0;
    return ExecutorsTest::RunOn(vm ? Executor::Decoded : Executor::Tree, program);
  }
};

struct DifferCase {
  const char* title;
  const char* program;  // leaves its answer in r
  double tree;
  double vm;
};

// Programs whose answer depends on the executor.
const DifferCase kDiffer[] = {
    {"equality is exact on the tree, tolerant on the machine",
     "a = 1; b = a + 0.000001; r = (a == b);", 0, 1},
    {"less is exact on the tree", "a = 1; b = 1.000001; r = (a < b);", 1, 0},
    {"repeat 3.5 rounds half to even on the tree", "r = 0; n = 3.5; repeat (n) r += 1;", 4, 3},
    {"repeat 2.5 rounds to 2", "r = 0; n = 2.5; repeat (n) r += 1;", 2, 2},
    {"while 0.5 loops on the tree", "a = 0.5; r = 0; while (a) { r += 1; a = 0; }", 1, 0},
    {"until 0.5 ends on the tree",
     "a = 0.5; r = 0; do { r += 1; if (r > 2) break; } until (a);", 1, 3},
    {"for 0.5 runs on the tree", "r = 0; a = 0.5; for (i = 0; a; i += 1) { r += 1; a = 0; }", 1, 0},
};

TEST_F(TreeExec, ProgramsWhereTheExecutorsDiffer) {
  for (const DifferCase& c : kDiffer) {
    Outcome tree = RunOn(false, c.program);
    Outcome vm = RunOn(true, c.program);
    EXPECT_EQ(tree.error, "") << c.title;
    EXPECT_EQ(vm.error, "") << c.title;
    EXPECT_DOUBLE_EQ(tree.r.real, c.tree) << c.title << " (tree)";
    EXPECT_DOUBLE_EQ(vm.r.real, c.vm) << c.title << " (machine)";
  }
}

struct SameCase {
  const char* program;
  double r;
};

// The operator rules both share, through variables so the compiler folds nothing.
const SameCase kSame[] = {
    {"a = 0.5; if (a) r = 1 else r = 2;", 2},
    {"a = 7; b = 2; r = a div b;", 3},
    {"a = -7; b = 2; r = a div b;", -3},
    {"a = 7; b = -2; r = a mod b;", 1},
    {"a = -7; b = 2; r = a mod b;", -1},
    {"a = 1; b = 33; r = a << b;", 2},
    {"a = -8; b = 1; r = a >> b;", -4},
    {"a = 0; r = ~a;", -1},
    {"a[0, 5] = 3; r = a[5];", 3},
    // && and || evaluate both sides on either executor.
    {"a = 0; b = (a && tick()); r = tick();", 2},
    {"a = 1; b = (a || tick()); r = tick();", 2},
    {"sx = \"b\"; switch (sx) { case \"a\": r = 1; break; case \"b\": r = 2; case \"c\": r += 10; break; }", 12},
    {"r = 0; for (i = 0; i < 6; i += 1) { if (i mod 2) continue; r += i; }", 6},
    {"r = 0; repeat (4) { while (1) { r += 1; if (r == 3) exit; } } r = 99;", 3},
    {"var t; t = 4; r = t * t;", 16},
    {"globalvar g; g = 3; r = global.g + g;", 6},
    {"r = concat(\"a\", \"b\") == \"ab\";", 1},
};

TEST_F(TreeExec, SharedRulesGiveTheSameAnswerOnBoth) {
  for (const SameCase& c : kSame) {
    Outcome tree = RunOn(false, c.program);
    Outcome vm = RunOn(true, c.program);
    EXPECT_EQ(tree.error, "") << c.program;
    EXPECT_EQ(vm.error, "") << c.program;
    EXPECT_DOUBLE_EQ(tree.r.real, c.r) << c.program << " (tree)";
    EXPECT_DOUBLE_EQ(vm.r.real, c.r) << c.program << " (machine)";
  }
}

struct ErrorCase {
  const char* program;
  const char* tree;  // the tree's whole error text
  const char* vm;    // the machine's first error ("" when it goes on silently)
};

// The tree reports every failure like a compile error, with the line and position of the
// failing node, and the run stops there; the machine has its own words or none.
const ErrorCase kErrors[] = {
    {"s = \"a\"; r = s + 1;",
     "Error in code at line 1:\n   s = \"a\"; r = s + 1;\n\nat position 14: Wrong type of arguments to +.",
     "DoAdd :: Execution Error"},
    {"\n  n = \"x\";\nrepeat (n) r = 1;",
     "Error in code at line 3:\n   repeat (n) r = 1;\n\nat position 9: Repeat count must be a number", ""},
    {"a[32000] = 1;", "Error in code at line 1:\n   a[32000] = 1;\n\nat position 1: Array index >= 32000", ""},
    {"i = -1; a[i] = 1;",
     "Error in code at line 1:\n   i = -1; a[i] = 1;\n\nat position 9: Negative array index",
     "Pop :: Execution Error - Variable index out of range a"},
    {"b = \"ab\"; n = 3; r = b * n;",
     "Error in code at line 1:\n   b = \"ab\"; n = 3; r = b * n;\n\nat position 22: Wrong type of arguments to *.",
     "DoMul :: Execution Error"},
    {"n = 2000000000; s = \"abcdefgh\"; r = n * s;",
     "Error in code at line 1:\n   n = 2000000000; s = \"abcdefgh\"; r = n * s;\n\nat position 37: String too long.",
     "String too long."},
    {"a = 1; s = \"1\"; r = (a == s);",
     "Error in code at line 1:\n   a = 1; s = \"1\"; r = (a == s);\n\nat position 22: Cannot compare arguments.",
     "DoSet :: Invalid comparison type"},
    {"a = 5; b = 0.5; r = a div b;",
     "Error in code at line 1:\n   a = 5; b = 0.5; r = a div b;\n\nat position 21: Division by 0.", ""},
    {"var t; r = t;", "Error in code at line 1:\n   var t; r = t;\n\nat position 12: Unknown variable t", ""},
    {"{; r = 1;}", "Error in code at line 1:\n   {; r = 1;}\n\nat position 2: Statement expected.", ""},
    {"with (global) r = 1;",
     "Error in code at line 1:\n   with (global) r = 1;\n\nat position 1: Cannot use global in with statement.",
     "Cannot use global in with statement"},
    {"s = \"x\"; if (s) r = 1;",
     "Error in code at line 1:\n   s = \"x\"; if (s) r = 1;\n\nat position 14: Expression expected", ""},
};

TEST_F(TreeExec, ErrorsAreWordedWithLineAndPosition) {
  for (const ErrorCase& c : kErrors) {
    EXPECT_EQ(RunOn(false, c.program).error, c.tree) << c.program;
    EXPECT_EQ(RunOn(true, c.program).error, c.vm) << c.program;
  }
}

TEST_F(TreeExec, TheRunStopsAtTheErrorAndIsNotFatal) {
  Outcome tree = RunOn(false, "r = 1; s = \"a\"; r = s - 1; r = 5;");
  EXPECT_NE(tree.error.find("Wrong type of arguments to -."), std::string::npos);
  EXPECT_DOUBLE_EQ(tree.r.real, 1);
}

TEST_F(TreeExec, TimesStringRepeatsAndComparisonsAreExact) {
  EXPECT_EQ(RunOn(false, "s = \"ab\"; n = 3; r = n * s;").r.Text(), "ababab");
  EXPECT_DOUBLE_EQ(RunOn(false, "a = \"abc\"; b = \"abd\"; r = (a < b);").r.real, 1);
  EXPECT_DOUBLE_EQ(RunOn(false, "a = \"\"; r = (a == \"\");").r.real, 1);
}

TEST_F(TreeExec, WithVisitsInListOrderAndSkipsDestroyed) {
  AddInstance(100002, 1);
  AddInstance(100003, 1);
  // The first pass destroys the second instance: it is skipped, the third still runs; a
  // body that destroys its own instance goes on with the next one.
  Outcome out = RunOn(false, "with (all) { rec(id); destroy_me(); if (id == 100001) with (100002) destroy_me(); }");
  EXPECT_TRUE(out.error.empty()) << out.error;
  std::vector<double> order;
  for (const ScriptValue& v : TheWorld().recorded) order.push_back(v.real);
  EXPECT_EQ(order, (std::vector<double>{100001, 100003}));
  for (auto& instance : TheWorld().room) instance->marked = false;

  Outcome other = RunOn(false, "with (1) { rec(id, other.id); if (id == 100002) break; } r = id;");
  std::vector<double> pairs;
  for (const ScriptValue& v : TheWorld().recorded) pairs.push_back(v.real);
  EXPECT_EQ(pairs, (std::vector<double>{100002, 100001}));
  EXPECT_DOUBLE_EQ(other.r.real, 100001);
}

TEST_F(TreeExec, ScriptsReturnValuesAndRecurse) {
  AddScript("fib", "if (argument0 < 2) return argument0; return fib(argument0 - 1) + fib(argument0 - 2);");
  AddScript("depth", "var d; d = argument0; if (argument0 > 0) depth(argument0 - 1); return d;");
  Outcome out = RunOn(false, "r = fib(15) * 10 + depth(5);");
  EXPECT_TRUE(out.error.empty()) << out.error;
  EXPECT_DOUBLE_EQ(out.r.real, 6105);
}

TEST_F(TreeExec, EndlessRecursionFailsInsteadOfCrashing) {
  AddScript("forever", "return forever(1) + 1;");
  Outcome out = RunOn(false, "r = forever(1);");
  EXPECT_NE(out.error.find("Stack overflow"), std::string::npos) << out.error;
}

TEST_F(TreeExec, UnsetVariablesOptionReadsZero) {
  Option_UnsetVariables = true;
  Outcome out = RunOn(false, "var t; r = t + 1; q += 2; r += q;");
  Option_UnsetVariables = false;
  EXPECT_TRUE(out.error.empty()) << out.error;
  EXPECT_DOUBLE_EQ(out.r.real, 3);
}

}  // namespace
}  // namespace vmtest
