// Decoded code against the byte loop: the same programs leave the same values whichever
// runs them (breakpoints make every step take the byte loop), with argument reads through
// the built-in table or straight from the slots; and a script call gives the caller its
// argument slots back however the callee changed them.
#include <cmath>
#include <string>

#include "script/function_table.h"
#include "script/script_arguments.h"
#include "vm_fixture.h"

namespace vmtest {
namespace {

// A built-in that writes an argument slot behind the machine's back.
void SetArgument(ScriptValue& result, CInstance*, CInstance*, int argc, ScriptValue* args) {
  if (argc == 2) Code_Argument_Set(static_cast<int32_t>(args[0].real), args[1]);
  result.SetReal(0);
}

void InstallSetArgument() {
  int32_t id = -1;
  if (!Function_Find("kf_set_argument", id)) Function_Add("kf_set_argument", SetArgument, 2);
}

struct Program {
  const char* name;
  const char* text;  // leaves its value in r
};

const Program kPrograms[] = {
    {"loop idioms",
     "var i, s, d; s = 0; for (i = 0; i < 100; i += 1) s += i; d = 10;"
     "while (d > 0.5) d -= 0.25; repeat (3) s *= 2; r = s * 1000 + d;"},
    {"comparisons within the tolerance",
     "var a, b; a = 1; b = 1.000001; r = 0; if (a == b) r += 1; if (a < b) r += 10;"
     "if (a >= b) r += 100; if (b <= a) r += 1000; if (a != b) r += 10000;"},
    {"a local that holds a string", "var t, i; t = 1; t = \"a\"; for (i = 0; i < 3; i += 1) t = t + \"b\"; r = t;"},
    {"local arrays",
     "var a, i, j, s; for (i = 0; i < 5; i += 1) for (j = 0; j < 4; j += 1) a[i, j] = i * 10 + j;"
     "s = 0; for (i = 0; i < 5; i += 1) for (j = 0; j < 4; j += 1) s += a[i, j];"
     "a[2, 7] = \"z\"; a[1] = s; r = concat(a[2, 7], a[1], a[0, 1]);"},
    {"a local copied into another", "var u, k; k = 2; u = k; r = u + k;"},
    {"recursion and arguments", "r = kf_fib(12) * 1000 + kf_pick(3, \"x\", 5);"},
    {"arguments against constants: compared, branched on and computed with",
     "r = kf_against(3, 0) + kf_against(3.000001, 1) * 1000000 + kf_against(-2.5, 2) * 1000000 * 1000000;"},
    {"comparisons of instance variables taken by branches",
     "n = 0; k = 5; while (k > 0) { k -= 1; n += 1; } if (!(n == 5)) n = -100;"
     "if (n >= k + 5) n += 1000; do n += 1; until (n > 1010); if (n != k) n += (n < 3) + 2 * (k <= 0);"
     "r = n;"},
    {"instance variables taken whole by the records that read them",
     "n = 2; n += 1; n -= 0.5; n *= 4; k = n; if (n >= k) n += 100; if (n < k) n = -1;"
     "if (n != k) n += 1000; if (other.n > n - 2000) n += 10000; r = n;"},
    {"instance variables holding strings and arrays fall back whole",
     "s = \"a\"; t = \"a\"; r = 0; if (s == t) r += 1; if (s != \"b\") r += 2; s += \"c\";"
     "v = 1; v[2] = 5; v += 1; if (v < v[2]) r += 4; w = 0; w[3] = 7; w += 2; if (w > v) r += 8;"
     "r = concat(r, s, v, w, w[3]);"},
    {"negated variables", "var l; l = 2.5; n = -4; r = -n * 10 + -l - -(-n);"},
    {"global variables of the same name as the plain ones",
     "globalvar g; g = 3; g += 1; n = 1; if (g > n) n += g; global.h = 2; if (global.h < g) n *= 3;"
     "r = n * 100 + g;"},
    {"elements of a local's 2-D array named by locals",
     "var a, b, i, j, t; for (i = 0; i < 3; i += 1) for (j = 0; j < 4; j += 1) a[i, j] = i * 10 + j;"
     "i = 2; j = 1; b[j, i] = \"s\"; t = a[1, 3] * 1000 + a[2, 0] * 10 + a[i, j] * 100000;"
     "i = 1; j = 3; a[i, j] = a[j - 3, i] + 0.5; r = concat(t, a[1, 3], b[1, 2], a[i, j]);"},
    {"elements of a local's array named by a local, element 0 its plain value, and divisions",
     "var a, b, c, i, t; for (i = 0; i < 5; i += 1) a[i] = i * 1.5 + 1; b = 7; i = 0;"
     "b[i] = b[i] + 2; i = 3; c[i] = \"s\"; t = 0; for (i = 0; i < 5; i += 1) t += a[i] / 2;"
     "i = 2.7; t += a[i]; i = \"1\"; t += a[i]; i = 0; a[i] = a[i] / 4; i = 4; t = t / i;"
     "r = concat(t, a[0], a[4], b, b[0], c[3], c[0], 10 / 4, 7 div 2, a[1] / 0.5);"},
};

class VMDecodedTest : public VMTest {
 protected:
  enum class Mode { ByteLoop, Decoded, DecodedArgumentSlots };

  ScriptValue RunIn(Mode mode, const char* text) {
    VM_Breakpoint_Clear();
    if (mode == Mode::ByteLoop) VM_Breakpoint_Add("Nowhere.at.all", 1);
    VM_SetArgumentVariables(mode == Mode::DecodedArgumentSlots ? Code_Variable_Find("argument0")
                                                               : -1);
    Run(std::string("r = -1;") + text);
    VM_Breakpoint_Clear();
    VM_SetArgumentVariables(-1);
    return Var("r");
  }
};

TEST_F(VMDecodedTest, EveryProgramLeavesTheSameValueInEveryMode) {
  AddScript("kf_fib", "if (argument0 < 2) return argument0; return kf_fib(argument0 - 1) + kf_fib(argument0 - 2);");
  AddScript("kf_pick", "if (argument1 == \"x\") return argument0 + argument2; return -1;");
  AddScript("kf_against",
            "var t; t = 0; if (argument0 < 3) t += 1; if (argument0 <= 3) t += 2; if (argument0 == 3) t += 4;"
            "if (argument0 != 3) t += 8; if (argument0 >= 3) t += 16; if (argument0 > 2) t += 32;"
            "if !(argument0 > 2) t += 64; return t + (argument0 - 1) * 100 + (argument0 + 7) * 10000"
            " + argument0 * 3 + argument1;");
  for (const Program& p : kPrograms) {
    SCOPED_TRACE(p.name);
    const ScriptValue expected = RunIn(Mode::ByteLoop, p.text);
    ASSERT_TRUE(Errors().empty()) << Errors()[0];
    for (Mode mode : {Mode::Decoded, Mode::DecodedArgumentSlots}) {
      const ScriptValue got = RunIn(mode, p.text);
      EXPECT_TRUE(Errors().empty());
      EXPECT_EQ(got.Kind(), expected.Kind());
      EXPECT_EQ(got.real, expected.real);
      EXPECT_EQ(got.Text(), expected.Text());
    }
  }
  EXPECT_EQ(RunIn(Mode::Decoded, kPrograms[5].text).real, 144 * 1000 + 8);
}

TEST_F(VMDecodedTest, AStringArgumentAgainstAConstantFailsAlikeInEveryMode) {
  AddScript("kf_minus", "return argument0 - 1;");
  AddScript("kf_below", "if (argument0 < 1) return 1; return 2;");
  for (const char* program : {"r = kf_minus(\"ab\");", "r = kf_below(\"ab\");"}) {
    SCOPED_TRACE(program);
    RunIn(Mode::ByteLoop, program);
    ASSERT_EQ(Errors().size(), 1u);
    const std::string expected = Errors()[0];
    for (Mode mode : {Mode::Decoded, Mode::DecodedArgumentSlots}) {
      TheWorld().errors.clear();
      RunIn(mode, program);
      ASSERT_EQ(Errors().size(), 1u);
      EXPECT_EQ(Errors()[0], expected);
    }
    TheWorld().errors.clear();
  }
}

TEST_F(VMDecodedTest, DivisionsByZeroAndElementsOutsideTheArrayFailAlikeInEveryMode) {
  const char* programs[] = {
      "var a, b; a = 1; b = 0; r = a / b;",   "var a; a = 3; r = a / 0;",
      "var a, b, c; a = 1; b = 0; c = a / b;",
      "var a, i; a[2] = 1; i = 5; r = a[i];", "var a, i; a[2] = 1; i = -1; a[i] = 4;",
      "var a, i; a[1, 2] = 1; i = 40000; r = a[i];",
  };
  for (const char* program : programs) {
    SCOPED_TRACE(program);
    const ScriptValue before = RunIn(Mode::ByteLoop, program);
    ASSERT_EQ(Errors().size(), 1u);
    const std::string expected = Errors()[0];
    TheWorld().errors.clear();
    const ScriptValue got = RunIn(Mode::Decoded, program);
    ASSERT_EQ(Errors().size(), 1u);
    EXPECT_EQ(Errors()[0], expected);
    EXPECT_EQ(got.real, before.real);
    TheWorld().errors.clear();
  }
}

TEST_F(VMDecodedTest, UnusualInstanceVariablesFailAlikeInEveryMode) {
  // A string where a real is expected, and with the unset-variables option a variable never
  // set, in each record that reads a variable whole.
  const char* programs[] = {
      "s = \"ab\"; s += 1;",      "s = \"ab\"; if (s > 1) r = 2;",
      "s = \"ab\"; k = 1; if (k < s) r = 2;", "zz += 1;",
      "if (zz > 1) r = 2;",        "k = 1; if (k <= zz) r = 2;",
      "r = zz * 2;",                "s = \"ab\"; r = -s;",
  };
  for (const char* program : programs) {
    SCOPED_TRACE(program);
    Variable_SetUnsetVariablesOption(true);
    const ScriptValue before = RunIn(Mode::ByteLoop, program);
    ASSERT_EQ(Errors().size(), 1u);
    const std::string expected = Errors()[0];
    TheWorld().errors.clear();
    const ScriptValue got = RunIn(Mode::Decoded, program);
    Variable_SetUnsetVariablesOption(false);
    ASSERT_EQ(Errors().size(), 1u);
    EXPECT_EQ(Errors()[0], expected);
    EXPECT_EQ(got.real, before.real);
    TheWorld().errors.clear();
  }
}

TEST_F(VMDecodedTest, InstancesWithTheirVariablesInDifferentPlacesReadTheirOwn) {
  // Each instance's list holds q at another place: a record that found q in one list finds
  // the other's too, and a missing q reads as 0.
  CInstance& second = AddInstance(100002, 0);
  CInstance& third = AddInstance(100003, 0);
  for (Mode mode : {Mode::ByteLoop, Mode::Decoded}) {
    SCOPED_TRACE(static_cast<int>(mode));
    self->variables->Clear();
    second.variables->Clear();
    third.variables->Clear();
    Run("q = 1; p = 2;");
    Run("with (100002) { a = 1; b = 2; p = 10; q = 20; }");
    RunIn(mode,
          "with (all) { q += 1; if (q > p) q *= 2; if (q < 5) p += 1; }"
          "with (all) { if (p >= q) p -= 1; }");
    EXPECT_TRUE(Errors().empty());
    EXPECT_EQ(VarOf(self, "q").real, 2);
    EXPECT_EQ(VarOf(self, "p").real, 2);
    EXPECT_EQ(VarOf(&second, "q").real, 42);
    EXPECT_EQ(VarOf(&second, "p").real, 10);
    EXPECT_EQ(VarOf(&third, "q").real, 2);
    EXPECT_EQ(VarOf(&third, "p").real, 1);
  }
}

TEST_F(VMDecodedTest, CallsGiveTheCallerItsArgumentSlotsBack) {
  InstallSetArgument();
  // inner changes slots it was not passed (5) and was passed (0) through a built-in.
  AddScript("kf_inner", "kf_set_argument(5, 99); kf_set_argument(0, \"changed\"); return argument5;");
  AddScript("kf_outer", "var got; got = kf_inner(1); return argument0 * 1000 + argument5 + got;");
  AddScript("kf_plain", "return argument3;");
  AddScript("kf_fifth", "return argument5 + argument0 * 10;");
  AddScript("kf_again", "return kf_fifth(1);");
  for (Mode mode : {Mode::ByteLoop, Mode::Decoded, Mode::DecodedArgumentSlots}) {
    SCOPED_TRACE(static_cast<int>(mode));
    // The slots the program starts with: 3 holds 42 and 2 holds -0, which is not the 0 a call
    // leaves behind.
    Code_Argument_Set(3, ValueKind::Real, 42, nullptr);
    Code_Argument_Set(2, ValueKind::Real, -0.0, nullptr);
    EXPECT_EQ(RunIn(mode, "r = kf_outer(7) * 1000 + kf_plain(1) * 100 + argument3;").real,
              7099 * 1000 + 42);
    EXPECT_TRUE(Errors().empty());
    EXPECT_EQ(Code_Arguments[3].real, 42);
    EXPECT_TRUE(std::signbit(Code_Arguments[2].real));
    EXPECT_EQ(Code_Arguments[5].real, 0);
    // A later call as deep as kf_inner finds none of what kf_inner left in its slots.
    EXPECT_EQ(RunIn(mode, "r = kf_outer(7); r = kf_again(2);").real, 10);
  }
  Code_Arguments_Free();
}

}  // namespace
}  // namespace vmtest
