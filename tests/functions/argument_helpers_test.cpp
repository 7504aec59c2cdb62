#include "functions/argument_helpers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "functions/builtin_call.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr int32_t kIndefinite = std::numeric_limits<int32_t>::min();

struct ConversionCase {
  double value;
  int32_t rounded;
  int32_t truncated;
  bool flag;         // >= 0.5
  bool flag_single;  // >= 0.5 after narrowing
  bool flag_above;   // > 0.5
};

TEST(ArgumentHelpers, ConversionTable) {
  const std::vector<ConversionCase> cases = {
      {0.0, 0, 0, false, false, false},
      {2.5, 2, 2, true, true, true},
      {3.5, 4, 3, true, true, true},
      {-2.5, -2, -2, false, false, false},
      {-0.5, 0, 0, false, false, false},
      {0.5, 0, 0, true, true, false},
      {1.7, 2, 1, true, true, true},
      {-1.7, -2, -1, false, false, false},
      // Just below 0.5 in double, 0.5 once narrowed.
      {0.49999999, 0, 0, false, true, false},
      {2147483647.0, 2147483647, 2147483647, true, true, true},
      {2147483647.4, 2147483647, 2147483647, true, true, true},
      {2147483647.6, kIndefinite, 2147483647, true, true, true},
      {-2147483648.5, kIndefinite + 0, kIndefinite, false, false, false},
      {-2147483649.0, kIndefinite, kIndefinite, false, false, false},
      {3e9, kIndefinite, kIndefinite, true, true, true},
      {kInf, kIndefinite, kIndefinite, true, true, true},
      {-kInf, kIndefinite, kIndefinite, false, false, false},
      {kNaN, kIndefinite, kIndefinite, false, false, false},
  };
  for (const ConversionCase& c : cases) {
    ScriptValue v = R(c.value);
    EXPECT_EQ(Arg_Rounded(v), c.rounded) << c.value;
    EXPECT_EQ(Arg_Truncated(v), c.truncated) << c.value;
    EXPECT_EQ(Arg_Flag(v), c.flag) << c.value;
    EXPECT_EQ(Arg_FlagSingle(v), c.flag_single) << c.value;
    EXPECT_EQ(Arg_FlagAbove(v), c.flag_above) << c.value;
  }
}

TEST(ArgumentHelpers, SingleAndWideConversions) {
  EXPECT_EQ(Arg_Single(R(0.1)), 0.1f);
  EXPECT_EQ(static_cast<double>(Arg_Single(R(16777217.0))), 16777216.0);
  EXPECT_EQ(Arg_Truncated64(R(4294967301.9)), 4294967301);
  EXPECT_EQ(Arg_Truncated64(R(kNaN)), std::numeric_limits<int64_t>::min());
  EXPECT_EQ(Arg_Truncated64(R(1e30)), std::numeric_limits<int64_t>::min());
  // A string where a number is read counts as its real part.
  EXPECT_EQ(Arg_Real(S("12")), 0.0);
}

TEST(ArgumentHelpers, StringsEndAtTheirFirstNulAndRealsReadEmpty) {
  EXPECT_EQ(Arg_String(S("abc")), "abc");
  EXPECT_EQ(Arg_String(S(std::string("ab\0cd", 5))), "ab");
  EXPECT_EQ(Arg_String(R(5)), "");
  EXPECT_STREQ(Arg_CString(R(5)), "");
  EXPECT_TRUE(Arg_HasText(S("a")));
  EXPECT_FALSE(Arg_HasText(S("")));
  EXPECT_FALSE(Arg_HasText(S(std::string("\0a", 2))));
  EXPECT_FALSE(Arg_HasText(R(1)));
  std::vector<ScriptValue> mixed = {R(1), S("x")};
  EXPECT_TRUE(Arg_AnyString(2, mixed.data()));
  EXPECT_FALSE(Arg_AllReal(2, mixed.data()));
  EXPECT_TRUE(Arg_AllReal(1, mixed.data()));
  EXPECT_TRUE(Arg_AllReal(0, nullptr));
}

TEST(ArgumentHelpers, ReportsHaveOneWordingEach) {
  struct ReportCase {
    void (*report)();
    const char* text;
  };
  const std::vector<ReportCase> cases = {
      {[] { Arg_ReportIllegalCount(); }, "Illegal argument count"},
      {[] { Arg_ReportIllegalType(); }, "Illegal argument type"},
      {[] { Arg_ReportWrongTypes("ini_write_string"); }, "Wrong argument types for ini_write_string"},
      {[] { Arg_ReportStringsNotPermitted("max"); }, "Error max(): illegal argument; strings not permitted"},
  };
  for (const ReportCase& c : cases) {
    ConsoleCapture console;
    c.report();
    EXPECT_NE(console.Text().find(c.text), std::string::npos) << console.Text();
    EXPECT_NE(console.Text().find("ERROR"), std::string::npos);
  }
}

TEST(ArgumentHelpers, ChecksReportOnlyWhenTheyFail) {
  std::vector<ScriptValue> reals = {R(1), R(2)};
  std::vector<ScriptValue> mixed = {R(1), S("2")};
  {
    ConsoleCapture console;
    EXPECT_TRUE(Arg_CheckCount(2, 2));
    EXPECT_TRUE(Arg_CheckAllReal(2, reals.data()));
    EXPECT_EQ(console.Text(), "");
  }
  {
    ConsoleCapture console;
    EXPECT_FALSE(Arg_CheckCount(3, 2));
    EXPECT_NE(console.Text().find("Illegal argument count"), std::string::npos);
  }
  {
    ConsoleCapture console;
    EXPECT_FALSE(Arg_CheckAllReal(2, mixed.data()));
    EXPECT_NE(console.Text().find("Illegal argument type"), std::string::npos);
  }
}

}  // namespace
