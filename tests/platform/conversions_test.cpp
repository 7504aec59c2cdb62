#include "platform/conversions.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

struct ConversionCase {
  double input;
  int32_t truncated;
  int32_t rounded;
};

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

const ConversionCase kCases[] = {
    {0.0, 0, 0},
    {-0.0, 0, 0},
    {0.5, 0, 0},
    {1.5, 1, 2},
    {2.5, 2, 2},
    {-0.5, 0, 0},
    {-1.5, -1, -2},
    {-2.5, -2, -2},
    {2.4999999, 2, 2},
    {0.49999999999999994, 0, 0},
    {1234567.5, 1234567, 1234568},
    {-1234568.5, -1234568, -1234568},
    {-3.7, -3, -4},
    {2147483647.0, 2147483647, 2147483647},
    {2147483647.4, 2147483647, 2147483647},
    {2147483647.6, 2147483647, INT32_MIN},
    {2147483648.0, INT32_MIN, INT32_MIN},
    {-2147483648.0, INT32_MIN, INT32_MIN},
    {-2147483648.9, INT32_MIN, INT32_MIN},
    {-2147483649.0, INT32_MIN, INT32_MIN},
    {1e300, INT32_MIN, INT32_MIN},
    {kNaN, INT32_MIN, INT32_MIN},
    {kInf, INT32_MIN, INT32_MIN},
    {-kInf, INT32_MIN, INT32_MIN},
};

TEST(Conversions, TruncAndRoundToInt32FollowTheTable) {
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.input);
    EXPECT_EQ(Conv_TruncToInt32(c.input), c.truncated);
    EXPECT_EQ(Conv_RoundToInt32(c.input), c.rounded);
  }
}

TEST(Conversions, RoundHalfEvenKeepsDoubles) {
  EXPECT_EQ(Conv_RoundHalfEven(0.5), 0.0);
  EXPECT_EQ(Conv_RoundHalfEven(1.5), 2.0);
  EXPECT_EQ(Conv_RoundHalfEven(-2.5), -2.0);
  EXPECT_EQ(Conv_RoundHalfEven(1e20 + 0.0), 1e20);
}

TEST(Conversions, SixtyFourBitFormsUseTheirOwnIndefinite) {
  EXPECT_EQ(Conv_TruncToInt64(4294967296.7), 4294967296LL);
  EXPECT_EQ(Conv_RoundToInt64(-4294967296.5), -4294967296LL);
  EXPECT_EQ(Conv_TruncToInt64(kNaN), INT64_MIN);
  EXPECT_EQ(Conv_RoundToInt64(1e19), INT64_MIN);
}

TEST(Conversions, FloatNarrowing) {
  EXPECT_EQ(Conv_ToFloat(0.1), 0.1f);
  EXPECT_NE(static_cast<double>(Conv_ToFloat(0.1)), 0.1);
}

}  // namespace
