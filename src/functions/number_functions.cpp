// Number built-ins. Every implementation ignores self and other; the result arrives as the
// real 0. Arithmetic follows the original program step by step: where a value is narrowed
// to single precision, the narrowing is written out, and products are never fused.
#include "functions/number_functions.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <vector>

#include "functions/argument_helpers.h"
#include "functions/string_functions.h"
#include "platform/conversions.h"
#include "platform/random.h"
#include "platform/timing.h"
#include "script/error_report.h"
#include "script/function_table.h"

namespace {

// Pi as the original held it, in single precision.
constexpr double kPiSingle = 3.1415927410125732;
// Trigonometry results smaller than this (in single precision) are exactly 0.
constexpr float kTrigSnap = 1e-5f;
// lengthdir_* results this close past an integer are that integer.
constexpr float kLengthdirSnap = 1e-4f;

uint32_t g_randomSeed = 0;

inline double Single(double value) { return static_cast<double>(static_cast<float>(value)); }

// Narrowed result of a trigonometric function, with tiny values snapped to 0.
double SnapTrig(double y) {
  float narrowed = static_cast<float>(y);
  if (std::fabs(narrowed) < kTrigSnap) return 0.0;
  return narrowed;
}

double ApplyTrig(double (*function)(double), double x) { return SnapTrig(function(Single(x))); }

// Wrapping 32-bit addition, as the original's integer arithmetic.
inline int32_t WrapAdd(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}
inline int32_t WrapSub(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}

// min and max: the first argument, replaced by each later one that is strictly better.
void Extreme(ScriptValue& result, int argc, const ScriptValue* args, const char* name, bool want_min) {
  if (argc <= 0) return;
  if (Arg_AnyString(argc, args)) {
    Arg_ReportStringsNotPermitted(name);
    return;
  }
  double best = args[0].real;
  for (int i = 1; i < argc; ++i) {
    double v = args[i].real;
    if (want_min ? v < best : v > best) best = v;
  }
  result.SetReal(best);
}

// lengthdir_*: a value just past an integer, away from zero, is that integer.
double SnapLengthdir(float v) {
  double integral = 0.0;
  double fraction = std::modf(static_cast<double>(v), &integral);
  if (std::fabs(static_cast<float>(fraction)) < kLengthdirSnap) return integral;
  return v;
}

float LengthdirAngle(const ScriptValue& dir) {
  return static_cast<float>(static_cast<double>(Arg_Single(dir)) * kPiSingle / 180.0);
}

// sqrt of a sum of squares, narrowed before and after, as the distance helpers form it.
double SingleLength(double sum_of_squares) { return Single(std::sqrt(Single(sum_of_squares))); }

}  // namespace

uint32_t Math_RandomSeed() { return g_randomSeed; }

void Math_SetRandomSeed(uint32_t seed) {
  g_randomSeed = seed;
  Random_SetSeed(seed);
}

int64_t Math_RandomizeSeedFromTime(int64_t t) {
  uint32_t lo = static_cast<uint32_t>(static_cast<uint64_t>(t));
  int32_t hi = static_cast<int32_t>(static_cast<uint64_t>(t) >> 32);
  uint64_t s = static_cast<uint64_t>(static_cast<int64_t>(hi)) + static_cast<uint64_t>(lo);
  uint32_t mix = (static_cast<uint32_t>(static_cast<uint64_t>(t) >> 16) & 0xFFFFu) ^ ((lo & 0xFFFFu) << 16);
  s ^= mix;
  return static_cast<int64_t>(s);
}

void F_IsReal(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  result.SetReal(args[0].IsReal() ? 1.0 : 0.0);
}

void F_IsString(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  result.SetReal(args[0].IsString() ? 1.0 : 0.0);
}

void F_Random(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  double r = Random_Fraction();
  result.SetReal(r * args[0].real);
}

void F_RandomRange(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  double a = args[0].real;
  double b = args[1].real;
  double r = Random_Fraction();
  result.SetReal(std::min(a, b) + r * std::fabs(a - b));
}

void F_Irandom(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  int32_t n = WrapAdd(Arg_Truncated(args[0]), 1);
  double r = Random_Fraction();
  result.SetReal(Conv_TruncToInt32(r * static_cast<double>(n)));
}

void F_IrandomRange(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  int32_t low = Arg_Truncated(args[0]);
  int32_t n = WrapAdd(WrapSub(Arg_Truncated(args[1]), low), 1);
  double r = Random_Fraction();
  result.SetReal(WrapAdd(low, Conv_TruncToInt32(r * static_cast<double>(n))));
}

void F_RandomSetSeed(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  Math_SetRandomSeed(static_cast<uint32_t>(static_cast<uint64_t>(Arg_Truncated64(args[0]))));
}

void F_RandomGetSeed(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue*) {
  result.SetReal(static_cast<double>(g_randomSeed));
}

void F_Randomize(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue*) {
  int64_t s = Math_RandomizeSeedFromTime(Timing_Time());
  Math_SetRandomSeed(static_cast<uint32_t>(static_cast<uint64_t>(s)));
  result.SetReal(static_cast<double>(s));
}

void F_Abs(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  result.SetReal(static_cast<float>(std::fabs(Arg_Single(args[0]))));
}

void F_Round(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  result.SetReal(Arg_Rounded(args[0]));
}

void F_Floor(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  result.SetReal(Conv_TruncToInt32(std::floor(args[0].real)));
}

void F_Ceil(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  result.SetReal(Conv_TruncToInt32(std::ceil(args[0].real)));
}

void F_Sign(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  double x = args[0].real;
  if (x < 0.0 || std::isnan(x)) {
    result.SetReal(-1.0);
  } else {
    result.SetReal(x == 0.0 ? 0.0 : 1.0);
  }
}

void F_Frac(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  double integral = 0.0;
  result.SetReal(std::modf(args[0].real, &integral));
}

void F_Sqrt(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  result.SetReal(std::sqrt(args[0].real));
}

void F_Sqr(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  result.SetReal(args[0].real * args[0].real);
}

void F_Exp(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  result.SetReal(std::exp(args[0].real));
}

void F_Ln(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  result.SetReal(std::log(args[0].real));
}

void F_Log2(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  result.SetReal(std::log(args[0].real) / std::log(2.0));
}

void F_Log10(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  result.SetReal(std::log10(args[0].real));
}

void F_Sin(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  result.SetReal(ApplyTrig(std::sin, args[0].real));
}

void F_Cos(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  result.SetReal(ApplyTrig(std::cos, args[0].real));
}

void F_Tan(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  result.SetReal(ApplyTrig(std::tan, args[0].real));
}

namespace {
// arcsin and arccos: outside -1..1, or not a number, is a runtime error and gives 0.
void InverseTrig(ScriptValue& result, const ScriptValue& arg, double (*function)(double),
                 const char* message) {
  float x = Arg_Single(arg);
  if (!(x >= -1.0f && x <= 1.0f)) {
    Error_Show_Action(message, false);
    return;
  }
  result.SetReal(SnapTrig(function(x)));
}
}  // namespace

void F_Arcsin(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  InverseTrig(result, args[0], std::asin, "Error in function arcsin().");
}

void F_Arccos(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  InverseTrig(result, args[0], std::acos, "Error in function arccos().");
}

void F_Arctan(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  result.SetReal(ApplyTrig(std::atan, args[0].real));
}

void F_Arctan2(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  result.SetReal(SnapTrig(std::atan2(Single(args[0].real), Single(args[1].real))));
}

void F_Degtorad(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  result.SetReal(args[0].real * kPiSingle / 180.0);
}

void F_Radtodeg(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  result.SetReal(args[0].real * 180.0 / kPiSingle);
}

void F_Power(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  result.SetReal(std::pow(args[0].real, args[1].real));
}

void F_Logn(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  result.SetReal(std::log(args[0].real) / std::log(args[1].real));
}

void F_Min(ScriptValue& result, CInstance*, CInstance*, int argc, ScriptValue* args) {
  Extreme(result, argc, args, "min", true);
}

void F_Max(ScriptValue& result, CInstance*, CInstance*, int argc, ScriptValue* args) {
  Extreme(result, argc, args, "max", false);
}

void F_Min3(ScriptValue& result, CInstance*, CInstance*, int argc, ScriptValue* args) {
  Extreme(result, argc, args, "min", true);
}

void F_Max3(ScriptValue& result, CInstance*, CInstance*, int argc, ScriptValue* args) {
  Extreme(result, argc, args, "max", false);
}

void F_Mean(ScriptValue& result, CInstance*, CInstance*, int argc, ScriptValue* args) {
  if (argc <= 0) return;
  double sum = 0.0;
  for (int i = 0; i < argc; ++i) sum += args[i].real;
  result.SetReal(sum / argc);
}

// The value at index n / 2 of the real parts sorted ascending (for an even count the upper
// of the two middle values). A value that is not a number sorts after every other.
void F_Median(ScriptValue& result, CInstance*, CInstance*, int argc, ScriptValue* args) {
  if (argc <= 0) return;
  std::vector<double> values;
  values.reserve(static_cast<size_t>(argc));
  for (int i = 0; i < argc; ++i) values.push_back(args[i].real);
  auto before = [](double a, double b) {
    if (std::isnan(a)) return false;
    if (std::isnan(b)) return true;
    return a < b;
  };
  auto middle = values.begin() + argc / 2;
  std::nth_element(values.begin(), middle, values.end(), before);
  result.SetReal(*middle);
}

void F_Choose(ScriptValue& result, CInstance*, CInstance*, int argc, ScriptValue* args) {
  if (argc <= 0) return;
  int32_t k = Random_Below(argc);
  if (k >= argc) k = argc - 1;
  if (k < 0) k = 0;
  result = args[k];
}

void F_Clamp(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  double v = args[0].real;
  if (args[1].real > v) v = args[1].real;
  if (v > args[2].real) v = args[2].real;
  result.SetReal(v);
}

void F_Lerp(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  double a = args[0].real;
  double product = (args[1].real - a) * args[2].real;
  result.SetReal(product + a);
}

void F_PointDistance(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  double dx = static_cast<double>(Arg_Single(args[2])) - Arg_Single(args[0]);
  double dy = static_cast<double>(Arg_Single(args[3])) - Arg_Single(args[1]);
  double dx2 = dx * dx;
  double dy2 = dy * dy;
  result.SetReal(SingleLength(dx2 + dy2));
}

void F_PointDistance3d(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  double dx = static_cast<double>(Arg_Single(args[3])) - Arg_Single(args[0]);
  double dy = static_cast<double>(Arg_Single(args[4])) - Arg_Single(args[1]);
  double dz = static_cast<double>(Arg_Single(args[5])) - Arg_Single(args[2]);
  double dx2 = dx * dx;
  double dy2 = dy * dy;
  double dz2 = dz * dz;
  result.SetReal(SingleLength(dx2 + dy2 + dz2));
}

void F_PointDirection(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  float dx = Arg_Single(args[2]) - Arg_Single(args[0]);
  float dy = Arg_Single(args[3]) - Arg_Single(args[1]);
  if (dx == 0.0f) {
    result.SetReal(dy > 0.0f ? 270.0 : dy < 0.0f ? 90.0 : 0.0);
    return;
  }
  float a = static_cast<float>(std::atan2(static_cast<double>(dy), static_cast<double>(dx)));
  a = static_cast<float>(static_cast<double>(a) * 180.0 / kPiSingle);
  result.SetReal(a > 0.0f ? 360.0 - a : -static_cast<double>(a));
}

void F_LengthdirX(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  float c = static_cast<float>(std::cos(static_cast<double>(LengthdirAngle(args[1]))));
  float v = static_cast<float>(static_cast<double>(c) * Arg_Single(args[0]));
  result.SetReal(SnapLengthdir(v));
}

void F_LengthdirY(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  float s = static_cast<float>(std::sin(static_cast<double>(LengthdirAngle(args[1]))));
  float v = static_cast<float>(-(static_cast<double>(s) * Arg_Single(args[0])));
  result.SetReal(SnapLengthdir(v));
}

void F_DotProduct(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  double yy = args[1].real * args[3].real;
  double xx = args[0].real * args[2].real;
  result.SetReal(yy + xx);
}

void F_DotProduct3d(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  double yy = args[1].real * args[4].real;
  double xx = args[0].real * args[3].real;
  double zz = args[2].real * args[5].real;
  result.SetReal(yy + xx + zz);
}

void F_DotProductNormalised(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  double x1 = Arg_Single(args[0]), y1 = Arg_Single(args[1]);
  double x2 = Arg_Single(args[2]), y2 = Arg_Single(args[3]);
  double len1 = SingleLength(x1 * x1 + y1 * y1);
  double len2 = SingleLength(x2 * x2 + y2 * y2);
  double dot = x1 * x2 + y1 * y2;
  result.SetReal(dot / (len1 * len2));
}

void F_DotProduct3dNormalised(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  double x1 = Arg_Single(args[0]), y1 = Arg_Single(args[1]), z1 = Arg_Single(args[2]);
  double x2 = Arg_Single(args[3]), y2 = Arg_Single(args[4]), z2 = Arg_Single(args[5]);
  double len1 = SingleLength(x1 * x1 + y1 * y1 + z1 * z1);
  double len2 = SingleLength(x2 * x2 + y2 * y2 + z2 * z2);
  double dot = x1 * x2 + y1 * y2 + z1 * z2;
  result.SetReal(dot / (len2 * len1));
}

namespace {
struct MathBuiltin {
  const char* name;
  BuiltinFunction implementation;
  int32_t argc;
};

// In registration order; names are looked up by the compiler, so the order only decides
// which of two equal names wins.
constexpr MathBuiltin kMathBuiltins[] = {
    {"is_real", F_IsReal, 1},
    {"is_string", F_IsString, 1},
    {"random", F_Random, 1},
    {"random_range", F_RandomRange, 2},
    {"irandom", F_Irandom, 1},
    {"irandom_range", F_IrandomRange, 2},
    {"random_set_seed", F_RandomSetSeed, 1},
    {"random_get_seed", F_RandomGetSeed, 0},
    {"randomize", F_Randomize, 0},
    {"abs", F_Abs, 1},
    {"round", F_Round, 1},
    {"floor", F_Floor, 1},
    {"ceil", F_Ceil, 1},
    {"sign", F_Sign, 1},
    {"frac", F_Frac, 1},
    {"sqrt", F_Sqrt, 1},
    {"sqr", F_Sqr, 1},
    {"exp", F_Exp, 1},
    {"ln", F_Ln, 1},
    {"log2", F_Log2, 1},
    {"log10", F_Log10, 1},
    {"sin", F_Sin, 1},
    {"cos", F_Cos, 1},
    {"tan", F_Tan, 1},
    {"arcsin", F_Arcsin, 1},
    {"arccos", F_Arccos, 1},
    {"arctan", F_Arctan, 1},
    {"arctan2", F_Arctan2, 2},
    {"degtorad", F_Degtorad, 1},
    {"radtodeg", F_Radtodeg, 1},
    {"power", F_Power, 2},
    {"logn", F_Logn, 2},
    {"min", F_Min, -1},
    {"max", F_Max, -1},
    {"min3", F_Min3, 3},
    {"max3", F_Max3, 3},
    {"mean", F_Mean, -1},
    {"median", F_Median, -1},
    {"choose", F_Choose, -1},
    {"clamp", F_Clamp, 3},
    {"lerp", F_Lerp, 3},
    {"real", F_Real, 1},
    {"string", F_String, 1},
    {"string_format", F_StringFormat, 3},
    {"chr", F_Chr, 1},
    {"ansi_char", F_AnsiChar, 1},
    {"ord", F_Ord, 1},
    {"string_length", F_StringLength, 1},
    {"string_pos", F_StringPos, 2},
    {"string_copy", F_StringCopy, 3},
    {"string_char_at", F_StringCharAt, 2},
    {"string_byte_length", F_StringByteLength, 1},
    {"string_byte_at", F_StringByteAt, 2},
    {"string_delete", F_StringDelete, 3},
    {"string_insert", F_StringInsert, 3},
    {"string_lower", F_StringLower, 1},
    {"string_upper", F_StringUpper, 1},
    {"string_repeat", F_StringRepeat, 2},
    {"string_letters", F_StringLetters, 1},
    {"string_digits", F_StringDigits, 1},
    {"string_lettersdigits", F_StringLettersdigits, 1},
    {"string_replace", F_StringReplace, 3},
    {"string_replace_all", F_StringReplaceAll, 3},
    {"string_count", F_StringCount, 2},
    {"point_distance", F_PointDistance, 4},
    {"point_direction", F_PointDirection, 4},
    {"lengthdir_x", F_LengthdirX, 2},
    {"lengthdir_y", F_LengthdirY, 2},
    {"point_distance_3d", F_PointDistance3d, 6},
    {"dot_product", F_DotProduct, 4},
    {"dot_product_normalised", F_DotProductNormalised, 4},
    {"dot_product_3d", F_DotProduct3d, 6},
    {"dot_product_3d_normalised", F_DotProduct3dNormalised, 6},
};
static_assert(std::size(kMathBuiltins) == 73, "number and string built-ins: 73 registrations");
}  // namespace

void InitMathFunctions() {
  for (const MathBuiltin& builtin : kMathBuiltins) {
    Function_Add(builtin.name, builtin.implementation, builtin.argc);
  }
}
