// Strings held in variables and array elements, and string constants, compare byte by byte as
// unsigned bytes, a prefix first, on every executor.
#include <gtest/gtest.h>

#include <string>

#include "executors_fixture.h"
#include "script/script_value.h"

namespace vmtest {
namespace {

TEST_F(ExecutorsTest, StringsCompareAsUnsignedBytesOnEveryExecutor) {
  // Each pair gives <, <=, ==, !=, >=, > as the bits 1, 2, 4, 8, 16, 32, two decimal digits
  // of r a pair.
  const std::string program =
      "var a, b, i, c; a[0] = \"abc\"; b[0] = \"abd\"; a[1] = \"ab\"; b[1] = \"abc\";"
      "a[2] = \"\xC3\xA9\"; b[2] = \"z\"; a[3] = \"\"; b[3] = \"\"; a[4] = \"b\"; b[4] = \"a\";"
      "r = 0;"
      "for (i = 0; i < 5; i += 1) r = r * 100 + (a[i] < b[i]) + 2 * (a[i] <= b[i]) + 4 * (a[i] == b[i])"
      " + 8 * (a[i] != b[i]) + 16 * (a[i] >= b[i]) + 32 * (a[i] > b[i]);"
      "c = \"m\"; r = r * 100 + (c > \"a\") + 2 * (c < \"z\") + 4 * (c == \"m\") + 8 * (\"m\" != c);";
  for (Executor executor : {Executor::Decoded, Executor::ByteLoop, Executor::Tree, Executor::Stored}) {
    const Outcome out = RunOn(executor, program);
    EXPECT_EQ(out.error, "") << ExecutorName(executor);
    EXPECT_EQ(out.r.real, 111156225607.0) << ExecutorName(executor);
  }
}

}  // namespace
}  // namespace vmtest
