// Every operator and statement kind inside a script called from bytecode, at call depth 1
// and deeper, against the same code run as an event: on the machine's decoded records, on
// its byte loop alone and on the parse-tree interpreter, all giving the same value.
#include <string>
#include <vector>

#include "executors_fixture.h"

namespace vmtest {
namespace {

struct BodyCase {
  const char* body;  // a script body over argument0 = 13, argument1 = 2, argument2 = "ab"
  ScriptValue expected;
};

ScriptValue Real(double r) {
  ScriptValue v;
  v.SetReal(r);
  return v;
}
ScriptValue Text(const char* s) {
  ScriptValue v;
  v.SetString(s);
  return v;
}

const BodyCase kBodies[] = {
    // Operators with variables on both sides, on the right, and calls on the right.
    {"return argument0 / argument1;", Real(6.5)},
    {"return argument0 div argument1;", Real(6)},
    {"return argument0 mod argument1;", Real(1)},
    {"return argument0 / rec(1, 2);", Real(6.5)},
    {"return argument0 div rec(1, 2);", Real(6)},
    {"return argument0 mod rec(1, 2);", Real(1)},
    {"return argument0 * argument1 + argument0 - argument1;", Real(37)},
    {"return -argument0;", Real(-13)},
    {"return -(argument0 + argument1);", Real(-15)},
    {"return !argument1;", Real(0)},
    {"return ~argument0;", Real(-14)},
    {"return argument0 & argument1;", Real(0)},
    {"return argument0 | argument1;", Real(15)},
    {"return argument0 ^ argument1;", Real(15)},
    {"return argument0 << argument1;", Real(52)},
    {"return argument0 >> argument1;", Real(3)},
    {"return (argument0 && argument1) + (argument0 || 0) * 10 + (argument0 ^^ argument1) * 100;",
     Real(11)},
    {"return (argument0 < argument1) + (argument0 <= argument1) * 2 + (argument0 == argument1) * 4"
     " + (argument0 != argument1) * 8 + (argument0 >= argument1) * 16 + (argument0 > argument1) * 32;",
     Real(56)},
    {"return argument2 + \"c\";", Text("abc")},
    {"return argument1 * argument2;", Text("abab")},
    {"return (argument2 < \"b\") + (argument2 == \"ab\") * 2;", Real(3)},
    // Switch on a variable, an expression and a string, with return and exit inside.
    {"switch (argument0) { case 13: return 1; default: return 2; }", Real(1)},
    {"switch (argument0 mod 5) { case 3: return \"three\"; } return \"none\";", Text("three")},
    {"var q; q = 2; switch (q) { case 2: return argument0; } return -1;", Real(13)},
    {"var q; q = 2; switch (q) { case 2: exit; } return 5;", Real(0)},
    {"var q; q = \"k\"; switch (q) { case \"k\": return argument1 + 1; } return 0;", Real(3)},
    {"switch (argument2) { case \"ab\": return argument0 / argument1; }", Real(6.5)},
    {"var s; s = 0; switch (argument1) { case 1: s += 1; case 2: s += 10; case 3: s += 100; break;"
     " case 4: s += 1000; } return s;",
     Real(110)},
    {"var s, i; s = 0; for (i = 0; i < 4; i += 1) { switch (i) { case 1: continue; case 2: s += 10;"
     " break; default: s += 1; } s += 100; } return s;",
     Real(312)},
    // Every statement kind.
    {"if (argument0 > argument1) return 1; else return 2;", Real(1)},
    {"var n; n = 0; while (n < argument0) n += argument1; return n;", Real(14)},
    {"var n; n = 0; do n += argument1; until (n >= argument0); return n;", Real(14)},
    {"var n, i; n = 0; for (i = 0; i < argument0; i += 1) { if (i == 5) break; n += i; } return n;",
     Real(10)},
    {"var n; n = 0; repeat (argument1) n += argument0; return n;", Real(26)},
    {"repeat (argument1) { return argument0; } return 0;", Real(13)},
    {"var n; n = 0; repeat (3) { switch (n) { case 1: return n * argument0; } n += 1; } return -1;",
     Real(13)},
    {"with (self) { return argument0 + 1; } return 0;", Real(14)},
    {"var n; n = 0; with (all) n += argument1; return n;", Real(2)},
    {"if (argument0 > 0) exit; return 1;", Real(0)},
    // A call made as a statement leaves nothing for an exit or the end of the code to give.
    {"rec(argument2); exit;", Real(0)},
    {"switch (argument2) { case \"ab\": rec(1, 2); } exit;", Real(0)},
    {"rec(argument0);", Real(0)},
    // Locals, instance and global variables, arrays.
    {"var a; a[argument1] = argument0; a[1, argument1] = argument2; return string_of(a[2]) + a[1, 2];",
     Text("13ab")},
    {"var a; a[1] = 5; a[argument1 - 1] += argument0; return a[1];", Real(18)},
    {"iv = argument1; iv *= argument0; return iv;", Real(26)},
    {"global.gq = argument0; global.gq -= argument1; return global.gq;", Real(11)},
    {"gar[argument1] = argument0; return gar[2] + gar[0];", Real(13)},
};

// A built-in turning a number into text both executors agree on.
void StringOf(ScriptValue& result, CInstance*, CInstance*, int argc, ScriptValue* args) {
  result.SetString(argc == 1 && args[0].IsReal() ? std::to_string(static_cast<long long>(args[0].real))
                                                  : std::string("?"));
}

class ScriptDepth : public ExecutorsTest {
 protected:
  void SetUp() override {
    ExecutorsTest::SetUp();
    AddBuiltinOnce("string_of", StringOf, 1);
  }
};

TEST_F(ScriptDepth, EveryOperatorAndStatementGivesTheSameValueAtEveryDepth) {
  const std::vector<ScriptValue> args{Real(13), Real(2), Text("ab")};
  for (size_t i = 0; i < std::size(kBodies); ++i) {
    const BodyCase& c = kBodies[i];
    SCOPED_TRACE(c.body);
    const std::string n = std::to_string(i);
    // body_n holds the code; deep1_n and deep2_n reach it through two more calls, the call
    // made with values of the caller still on its stack.
    AddScript("body_" + n, c.body);
    AddScript("deep2_" + n, "var t; t = body_" + n + "(argument0, argument1, argument2); return t;");
    AddScript("deep1_" + n, "var k; k = 1; switch (k) { case 1: return deep2_" + n +
                                "(argument0, argument1, argument2); }");
    struct Form {
      const char* name;
      std::string program;
      bool event;  // the value is the code's own result, not r
    };
    const Form forms[] = {
        {"in an event", c.body, true},
        {"at call depth 1", "r = body_" + n + "(13, 2, \"ab\");", false},
        {"at call depth 3", "var u; u = 7; r = deep1_" + n + "(13, 2, \"ab\"); u += 1;", false},
    };
    for (const Form& form : forms) {
      for (Executor executor : {Executor::Decoded, Executor::ByteLoop, Executor::Tree}) {
        Outcome out = RunOn(executor, form.program, form.event ? args : std::vector<ScriptValue>{});
        const ScriptValue& got = form.event ? out.result : out.r;
        EXPECT_EQ(out.error, "") << form.name << " on the " << ExecutorName(executor);
        EXPECT_TRUE(SameValue(got, c.expected))
            << form.name << " on the " << ExecutorName(executor) << ": got " << ShowValue(got)
            << ", expected " << ShowValue(c.expected);
      }
    }
  }
}

}  // namespace
}  // namespace vmtest
