#include "functions/number_functions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>
#include <string>
#include <vector>

#include "functions/builtin_call.h"
#include "platform/random.h"
#include "script/function_table.h"
#include "support/function_table_guard.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kIndefinite = -2147483648.0;

double Single(double x) { return static_cast<float>(x); }

struct Case {
  const char* name;
  BuiltinFunction fn;
  std::vector<double> args;
  double expected;  // NaN: a NaN is expected
};

void ExpectCases(const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    std::vector<ScriptValue> args;
    for (double a : c.args) args.push_back(R(a));
    ScriptValue result = CallBuiltin(c.fn, args);
    std::string label = c.name;
    for (double a : c.args) label += " " + std::to_string(a);
    EXPECT_TRUE(result.IsReal()) << label;
    if (std::isnan(c.expected)) {
      EXPECT_TRUE(std::isnan(result.real)) << label << " gave " << result.real;
    } else {
      EXPECT_EQ(result.real, c.expected) << label;
    }
  }
}

TEST(NumberBuiltins, RoundingTable) {
  ExpectCases({
      {"round", F_Round, {2.5}, 2},
      {"round", F_Round, {3.5}, 4},
      {"round", F_Round, {-2.5}, -2},
      {"round", F_Round, {-2.6}, -3},
      {"round", F_Round, {3e9}, kIndefinite},
      {"round", F_Round, {kNaN}, kIndefinite},
      {"floor", F_Floor, {-0.5}, -1},
      {"floor", F_Floor, {2.9}, 2},
      {"floor", F_Floor, {3e9}, kIndefinite},
      {"floor", F_Floor, {-kInf}, kIndefinite},
      {"ceil", F_Ceil, {0.2}, 1},
      {"ceil", F_Ceil, {-0.7}, 0},
      {"ceil", F_Ceil, {3e9}, kIndefinite},
      {"ceil", F_Ceil, {kNaN}, kIndefinite},
      {"sign", F_Sign, {-0.0}, 0},
      {"sign", F_Sign, {kNaN}, -1},
      {"sign", F_Sign, {-3}, -1},
      {"sign", F_Sign, {1e-300}, 1},
      {"frac", F_Frac, {-2.75}, -0.75},
      {"frac", F_Frac, {3.5}, 0.5},
      {"abs", F_Abs, {-1.1}, Single(1.1)},
      {"abs", F_Abs, {1e300}, kInf},
  });
}

TEST(NumberBuiltins, PowersAndLogarithmsTable) {
  ExpectCases({
      {"sqrt", F_Sqrt, {16}, 4},
      {"sqrt", F_Sqrt, {-1}, kNaN},
      {"sqr", F_Sqr, {-3}, 9},
      {"exp", F_Exp, {0}, 1},
      {"ln", F_Ln, {0}, -kInf},
      {"ln", F_Ln, {-1}, kNaN},
      {"log2", F_Log2, {8}, 3},
      {"log10", F_Log10, {1000}, 3},
      {"power", F_Power, {2, 10}, 1024},
      {"power", F_Power, {-8, 1.0 / 3}, kNaN},
      {"logn", F_Logn, {8, 2}, 3},
      {"logn", F_Logn, {8, 1}, kInf},
  });
}

TEST(NumberBuiltins, TrigonometryIsSingleWithSnapToZero) {
  const double pi_single = 3.1415927410125732;
  ExpectCases({
      {"sin", F_Sin, {3.1415927}, 0},
      {"sin", F_Sin, {0.5}, Single(std::sin(Single(0.5)))},
      {"cos", F_Cos, {0.5 * pi_single}, 0},
      {"cos", F_Cos, {0}, 1},
      {"tan", F_Tan, {0}, 0},
      {"sin", F_Sin, {kNaN}, kNaN},
      // 1e-5 and above keep single precision; below snaps.
      {"sin", F_Sin, {1.1e-5}, Single(std::sin(Single(1.1e-5)))},
      {"sin", F_Sin, {9e-6}, 0},
      {"arcsin", F_Arcsin, {1}, Single(std::asin(1.0))},
      {"arccos", F_Arccos, {1}, 0},
      {"arctan", F_Arctan, {1}, Single(std::atan(1.0))},
      {"arctan2", F_Arctan2, {1, 1}, Single(std::atan2(1.0, 1.0))},
      {"arctan2", F_Arctan2, {0, -1}, pi_single},
      {"arctan2", F_Arctan2, {0, 1}, 0},
      {"degtorad", F_Degtorad, {180}, pi_single},
      {"radtodeg", F_Radtodeg, {pi_single}, 180},
  });
}

TEST(NumberBuiltins, InverseTrigOutsideDomainIsAnErrorAndZero) {
  struct DomainCase {
    BuiltinFunction fn;
    double x;
    const char* message;
  };
  const std::vector<DomainCase> cases = {
      {F_Arcsin, 1.5, "Error in function arcsin()."},
      {F_Arcsin, -1.0000001, "Error in function arcsin()."},
      {F_Arccos, kNaN, "Error in function arccos()."},
      {F_Arccos, -2, "Error in function arccos()."},
  };
  for (const DomainCase& c : cases) {
    ConsoleCapture console;
    ScriptValue result = CallBuiltin(c.fn, {R(c.x)});
    EXPECT_TRUE(result.IsReal());
    EXPECT_EQ(result.real, 0.0);
    EXPECT_NE(console.Text().find(c.message), std::string::npos) << console.Text();
  }
  // 1.00000001 narrows to exactly 1: no error.
  ConsoleCapture console;
  EXPECT_EQ(CallBuiltin(F_Arcsin, {R(1.00000001)}).real, Single(std::asin(1.0)));
  EXPECT_EQ(console.Text(), "");
}

TEST(NumberBuiltins, VariadicTable) {
  ExpectCases({
      {"min", F_Min, {}, 0},
      {"min", F_Min, {3, 1, 1}, 1},
      {"max", F_Max, {3, 7, 5}, 7},
      {"min", F_Min, {kNaN, 1}, kNaN},  // a first NaN stays
      {"min", F_Min, {1, kNaN, 0}, 0},  // a later NaN never replaces
      {"max", F_Max, {-kInf, 2}, 2},
      {"min3", F_Min3, {4, 2, 3}, 2},
      {"max3", F_Max3, {4, 2, 9}, 9},
      {"mean", F_Mean, {}, 0},
      {"mean", F_Mean, {1, 2, 6}, 3},
      {"median", F_Median, {}, 0},
      {"median", F_Median, {5, 1, 3}, 3},
      {"median", F_Median, {4, 1, 3, 2}, 3},
      {"median", F_Median, {7}, 7},
      // Large values are sorted like any other.
      {"median", F_Median, {1, 3e9, 5e9}, 3e9},
      {"median", F_Median, {3e9, 2147483647, -1}, 2147483647},
      {"median", F_Median, {kNaN, 2, 1}, 2},
      {"clamp", F_Clamp, {5, 10, 0}, 0},
      {"clamp", F_Clamp, {5, 0, 10}, 5},
      {"clamp", F_Clamp, {-1, 0, 10}, 0},
      {"clamp", F_Clamp, {11, 0, 10}, 10},
      {"lerp", F_Lerp, {0, 10, 0.25}, 2.5},
      {"lerp", F_Lerp, {10, 20, 2}, 30},
  });
}

TEST(NumberBuiltins, MinAndMaxRefuseStrings) {
  struct StringCase {
    BuiltinFunction fn;
    const char* message;
  };
  for (const StringCase& c : {StringCase{F_Min, "Error min(): illegal argument; strings not permitted"},
                              StringCase{F_Max, "Error max(): illegal argument; strings not permitted"},
                              StringCase{F_Max3, "Error max(): illegal argument; strings not permitted"}}) {
    ConsoleCapture console;
    ScriptValue result = CallBuiltin(c.fn, {R(1), S("a"), R(5)});
    EXPECT_TRUE(result.IsReal());
    EXPECT_EQ(result.real, 0.0);
    EXPECT_NE(console.Text().find(c.message), std::string::npos) << console.Text();
  }
}

TEST(NumberBuiltins, MeanReadsRealPartsOfAnyKind) {
  EXPECT_EQ(CallBuiltin(F_Mean, {R(4), S("8")}).real, 2.0);
  EXPECT_EQ(CallBuiltin(F_Median, {S("9"), R(5), R(6)}).real, 5.0);
}

TEST(NumberBuiltins, TypeTests) {
  EXPECT_EQ(CallBuiltin(F_IsReal, {R(1)}).real, 1.0);
  EXPECT_EQ(CallBuiltin(F_IsReal, {S("1")}).real, 0.0);
  EXPECT_EQ(CallBuiltin(F_IsString, {S("")}).real, 1.0);
  EXPECT_EQ(CallBuiltin(F_IsString, {R(0)}).real, 0.0);
}

TEST(NumberBuiltins, GeometryTable) {
  ExpectCases({
      {"point_direction", F_PointDirection, {0, 0, 0, 10}, 270},
      {"point_direction", F_PointDirection, {0, 0, 0, -10}, 90},
      {"point_direction", F_PointDirection, {0, 0, 10, -10}, 45},
      {"point_direction", F_PointDirection, {5, 5, 5, 5}, 0},
      {"point_direction", F_PointDirection, {0, 0, 10, 0}, 0},
      {"point_direction", F_PointDirection, {0, 0, -10, 0}, 180},
      {"point_direction", F_PointDirection, {0, 0, 10, 10}, 315},
      {"point_distance", F_PointDistance, {0, 0, 3, 4}, 5},
      {"point_distance", F_PointDistance, {1, 1, 1, 1}, 0},
      {"point_distance", F_PointDistance, {0, 0, 1, 1}, Single(std::sqrt(2.0))},
      {"point_distance_3d", F_PointDistance3d, {0, 0, 0, 1, 2, 2}, 3},
      {"lengthdir_x", F_LengthdirX, {10, 90}, 0},
      {"lengthdir_y", F_LengthdirY, {10, 90}, -10},
      {"lengthdir_x", F_LengthdirX, {10, 0}, 10},
      {"lengthdir_x", F_LengthdirX, {10, 180}, -10},
      {"lengthdir_y", F_LengthdirY, {10, 270}, 10},
      {"lengthdir_x", F_LengthdirX, {10, 45}, 7.071067810058594},
      {"dot_product", F_DotProduct, {1, 2, 3, 4}, 11},
      {"dot_product_3d", F_DotProduct3d, {1, 2, 3, 4, 5, 6}, 32},
      {"dot_product_normalised", F_DotProductNormalised, {1, 0, 0, 1}, 0},
      {"dot_product_normalised", F_DotProductNormalised, {2, 0, 5, 0}, 1},
      {"dot_product_normalised", F_DotProductNormalised, {0, 0, 1, 0}, kNaN},
      {"dot_product_3d_normalised", F_DotProduct3dNormalised, {0, 0, 3, 0, 0, -1}, -1},
  });
}

TEST(NumberBuiltins, LengthdirSnapsOnlyJustPastAnInteger) {
  // Values a hair above an integer in size snap to it; a hair below stay.
  for (double dir = 0; dir < 360; dir += 7.5) {
    double x = CallBuiltin(F_LengthdirX, {R(100), R(dir)}).real;
    double frac = std::fabs(x - std::trunc(x));
    EXPECT_TRUE(frac == 0 || frac >= 1e-4) << dir << " " << x;
  }
}

TEST(NumberBuiltins, FixedSeedGivesTheSameSequenceEveryRun) {
  CallBuiltin(F_RandomSetSeed, {R(5)});
  EXPECT_EQ(CallBuiltin(F_RandomGetSeed, {}).real, 5.0);
  // The generator's draws 54, 28693 and 12255, each times 2^-15.
  const std::vector<double> expected = {0.00164794921875, 0.875640869140625, 0.373992919921875};
  for (double value : expected) EXPECT_EQ(CallBuiltin(F_Random, {R(1)}).real, value);
  // The same state every other random choice of the program draws from.
  CallBuiltin(F_RandomSetSeed, {R(1)});
  EXPECT_EQ(Random_Next(), 41);
  EXPECT_EQ(CallBuiltin(F_Irandom, {R(32767)}).real, 18467.0);

  std::vector<double> first;
  std::vector<double> second;
  for (std::vector<double>* run : {&first, &second}) {
    CallBuiltin(F_RandomSetSeed, {R(1234)});
    for (int i = 0; i < 50; ++i) {
      run->push_back(CallBuiltin(F_Random, {R(100)}).real);
      run->push_back(CallBuiltin(F_RandomRange, {R(10), R(-10)}).real);
      run->push_back(CallBuiltin(F_Irandom, {R(9)}).real);
      run->push_back(CallBuiltin(F_IrandomRange, {R(-3), R(3)}).real);
      run->push_back(CallBuiltin(F_Choose, {R(1), R(2), R(3)}).real);
    }
  }
  EXPECT_EQ(first, second);
}

TEST(NumberBuiltins, SeedIsLow32BitsOfTheTruncatedValue) {
  const std::vector<std::pair<double, double>> cases = {
      {5, 5}, {2.9, 2}, {-1, 4294967295.0}, {4294967301.0, 5}, {kNaN, 0}, {1e30, 0}, {-2.5, 4294967294.0},
  };
  for (const auto& [seed, expected] : cases) {
    EXPECT_EQ(CallBuiltin(F_RandomSetSeed, {R(seed)}).real, 0.0);
    EXPECT_EQ(CallBuiltin(F_RandomGetSeed, {}).real, expected) << seed;
    EXPECT_EQ(Math_RandomSeed(), static_cast<uint32_t>(expected));
  }
}

TEST(NumberBuiltins, RandomRangesStayInBounds) {
  CallBuiltin(F_RandomSetSeed, {R(77)});
  std::set<double> seen;
  for (int i = 0; i < 300; ++i) {
    EXPECT_EQ(CallBuiltin(F_Irandom, {R(0)}).real, 0.0);
    EXPECT_EQ(CallBuiltin(F_IrandomRange, {R(3), R(3)}).real, 3.0);
    seen.insert(CallBuiltin(F_IrandomRange, {R(1.7), R(3.2)}).real);
    double r = CallBuiltin(F_RandomRange, {R(5), R(2)}).real;
    EXPECT_GE(r, 2.0);
    EXPECT_LT(r, 5.0);
    double x = CallBuiltin(F_Random, {R(10)}).real;
    EXPECT_GE(x, 0.0);
    EXPECT_LT(x, 10.0);
  }
  EXPECT_EQ(seen, (std::set<double>{1, 2, 3}));
}

TEST(NumberBuiltins, ChooseCopiesOneArgumentWhole) {
  EXPECT_EQ(CallBuiltin(F_Choose, {}).real, 0.0);
  CallBuiltin(F_RandomSetSeed, {R(5)});  // first draw 54: k = trunc(3 * 54 / 32768) = 0
  ScriptValue picked = CallBuiltin(F_Choose, {S("first"), R(2), R(3)});
  EXPECT_TRUE(picked.IsString());
  EXPECT_EQ(picked.Text(), "first");
  std::set<std::string> seen;
  for (int i = 0; i < 200; ++i) {
    ScriptValue v = CallBuiltin(F_Choose, {S("a"), S("b"), S("c")});
    seen.insert(std::string(v.Text()));
  }
  EXPECT_EQ(seen, (std::set<std::string>{"a", "b", "c"}));
}

TEST(NumberBuiltins, RandomizeSeedFromTime) {
  // s = hi + lo, then XOR ((t >> 16) & 0xFFFF) XOR ((lo & 0xFFFF) << 16).
  EXPECT_EQ(Math_RandomizeSeedFromTime(0x0000000100020003), 0x00010006);
  EXPECT_EQ(Math_RandomizeSeedFromTime(-1), 1);
  EXPECT_EQ(Math_RandomizeSeedFromTime(0), 0);
  ScriptValue s = CallBuiltin(F_Randomize, {});
  EXPECT_EQ(static_cast<uint32_t>(static_cast<int64_t>(s.real)), Math_RandomSeed());
}

TEST(MathRegistration, SeventyThreeUniqueNamesInOrder) {
  FunctionTableGuard functions;
  Function_FreeAll();
  InitMathFunctions();
  ASSERT_EQ(Function_Count(), 73);
  std::set<std::string> names;
  for (int32_t id = 0; id < Function_Count(); ++id) names.insert(Function_Get(id)->name);
  EXPECT_EQ(names.size(), 73u);
  EXPECT_EQ(Function_Get(0)->name, "is_real");
  EXPECT_EQ(Function_Get(41)->name, "real");
  EXPECT_EQ(Function_Get(63)->name, "string_count");
  EXPECT_EQ(Function_Get(72)->name, "dot_product_3d_normalised");
  const std::vector<std::pair<const char*, int32_t>> counts = {
      {"random_get_seed", 0}, {"min", -1}, {"choose", -1}, {"min3", 3}, {"string_copy", 3},
      {"point_distance_3d", 6}, {"string_format", 3}, {"arctan2", 2}, {"real", 1}};
  for (const auto& [name, argc] : counts) {
    int32_t id = -1;
    ASSERT_TRUE(Function_Find(name, id)) << name;
    EXPECT_EQ(Function_ArgCount(id), argc) << name;
  }
}

}  // namespace
