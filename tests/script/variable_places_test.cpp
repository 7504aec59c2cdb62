// A variable named in one place of the code is found again in every list it is reached in,
// wherever each list holds it: the interpreters remember where they found a variable last
// and must not take that place for another list's. And a compound assignment that fails
// leaves the variable as it was.
#include <gtest/gtest.h>

#include <string>

#include "executors_fixture.h"
#include "script/script_value.h"

namespace vmtest {
namespace {

constexpr Executor kEveryExecutor[] = {Executor::Decoded, Executor::ByteLoop, Executor::Tree,
                                       Executor::Stored};

struct PlaceCase {
  const char* title;
  const char* program;  // leaves its answer in r
  double r;
};

// Each leaves r the same whichever order with (all) visits the instances in.
const PlaceCase kPlaces[] = {
    {"instances that set their variables in other orders",
     "with (100001) { a = 1; b = 2; x = 3; } with (100002) { x = 4; b = 5; a = 6; }"
     "with (100003) { b = 7; x = 8; a = 9; } with (all) a = a * 10 + x;"
     "global.t = 0; with (100001) global.t += a * 1000000; with (100002) global.t += a * 1000;"
     "with (100003) global.t += a; r = global.t;",
     13064098},
    {"locals of nested calls made in other orders",
     "r = places(1) * 10000 + places(0) * 100 + places(1);", 213421},
    {"a list of many variables", "many(); r = v39 * 1000 + v20 * 10 + v0;", 39200},
    {"a variable made in one list, then in another that holds others",
     "with (100003) { p = 1; q = 2; } with (all) if (id != 100001) hidden = id;"
     "global.h = 0; with (all) if (id != 100001) global.h += hidden - id + 1; r = global.h;",
     2},
};

TEST_F(ExecutorsTest, EveryListFindsItsOwnVariables) {
  AddInstance(100002, 1);
  AddInstance(100003, 1);
  // Its locals are made in the order the branch writes them.
  AddScript("places",
            "var a, b; if (argument0) { b = 1; a = 2; } else { a = 3; b = 4; "
            "if (places(1) != 21) return -1; } return a * 10 + b;");
  std::string many;
  for (int i = 0; i < 40; ++i) many += "v" + std::to_string(i) + " = " + std::to_string(i) + ";";
  AddScript("many", many);
  for (const PlaceCase& c : kPlaces) {
    for (Executor executor : kEveryExecutor) {
      const Outcome out = RunOn(executor, c.program);
      EXPECT_EQ(out.error, "") << ExecutorName(executor) << ": " << c.title;
      EXPECT_DOUBLE_EQ(out.r.real, c.r) << ExecutorName(executor) << ": " << c.title;
    }
  }
}

TEST_F(ExecutorsTest, AFailedCompoundAssignmentLeavesTheVariable) {
  const char* const programs[] = {
      "r = 5; r /= 0; r = 7;",
      "r = 5; r += \"a\"; r = 7;",
      "r = 5; s = \"a\"; r -= s; r = 7;",
  };
  for (const char* program : programs) {
    const Outcome out = RunOn(Executor::Tree, program);
    EXPECT_NE(out.error, "") << program;
    EXPECT_DOUBLE_EQ(out.r.real, 5) << program;
  }
  EXPECT_DOUBLE_EQ(RunOn(Executor::Tree, "var l; l = 3; l *= 4; l -= 2; r = l;").r.real, 10);
  EXPECT_EQ(RunOn(Executor::Tree, "s = \"a\"; s += \"b\"; r = s;").r.Text(), "ab");
}

}  // namespace
}  // namespace vmtest
