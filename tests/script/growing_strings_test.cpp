// s += t and s = s + t grow the bytes of s in place when no other value holds them, on every
// executor, so that a text built line by line costs its length; a value that shares the bytes,
// or takes them while the join waits for its right side, keeps them as they were.
#include <gtest/gtest.h>

#include <string>

#include "executors_fixture.h"
#include "script/script_value.h"

namespace vmtest {
namespace {

constexpr Executor kEveryExecutor[] = {Executor::Decoded, Executor::ByteLoop, Executor::Tree,
                                       Executor::Stored};

TEST_F(ExecutorsTest, JoiningOntoAVariableLeavesEveryOtherHolderItsBytes) {
  // Takes self's v while the caller's v = v + str_take() waits for it.
  AddScript("str_take", "global.taken = v; v = \"new\"; return \"!\";");
  const std::string program =
      "var l, k; l = \"ab\"; k = l; l += \"c\"; l = l + \"d\";"
      "v = \"12\"; w = v; v += \"3\"; v = v + \"4\";"
      "global.g = \"g\"; global.h = global.g; global.g += \"h\"; global.g = global.g + \"i\";"
      "v = v + str_take();"
      "l += l; l = l + l;"
      "r = l + \"|\" + k + \"|\" + v + \"|\" + w + \"|\" + global.g + \"|\" + global.h + \"|\" +"
      " global.taken;";
  for (Executor executor : kEveryExecutor) {
    const Outcome out = RunOn(executor, program);
    EXPECT_EQ(out.error, "") << ExecutorName(executor);
    EXPECT_EQ(out.r.Text(), "abcdabcdabcdabcd|ab|1234!|12|ghi|g|1234") << ExecutorName(executor);
  }
}

TEST_F(ExecutorsTest, ATextBuiltByJoiningGrowsInPlace) {
  const char* const programs[] = {
      "r = \"\"; repeat (1000) r += \"ab\";",
      "r = \"\"; repeat (1000) r = r + \"ab\";",
      "var l; l = \"\"; repeat (1000) l += \"ab\"; r = l;",
      "globalvar gv; gv = \"\"; repeat (1000) gv = gv + \"ab\"; r = gv;",
  };
  for (const char* program : programs) {
    // Not the byte loop of this fixture: it runs with a breakpoint set, and while the debugger
    // may stop between a join and its store, joins copy.
    for (Executor executor : {Executor::Decoded, Executor::Tree, Executor::Stored}) {
      const Outcome out = RunOn(executor, program);
      EXPECT_EQ(out.error, "") << ExecutorName(executor) << ": " << program;
      ASSERT_EQ(out.r.Text().size(), 2000u) << ExecutorName(executor) << ": " << program;
      // Bytes copied at each join are copied into a block that fits them exactly; bytes grown
      // in place have room to spare.
      EXPECT_GT(out.r.TextBlock().capacity, 2000u) << ExecutorName(executor) << ": " << program;
    }
  }
}

}  // namespace
}  // namespace vmtest
