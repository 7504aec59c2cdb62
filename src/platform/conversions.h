// Number conversions shared by every subsystem.
//
// The games this runner plays were made for a 32-bit program whose conversions from
// double to integer gave the "integer indefinite" value 0x80000000 for NaN and for any
// value out of range. Everything here reproduces that, so a script sees the same
// integers on this 64-bit host. "Rounded" is round half to even (the processor's
// default mode), "truncated" is toward zero.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

inline constexpr int32_t kIntegerIndefinite = std::numeric_limits<int32_t>::min();
inline constexpr int64_t kInteger64Indefinite = std::numeric_limits<int64_t>::min();

// Nearest integer, halves to even, kept as a double (no range limit).
inline double Conv_RoundHalfEven(double value) { return std::nearbyint(value); }

// True when value, already an integer, fits into int32.
inline bool Conv_FitsInt32(double integral) {
  return integral >= -2147483648.0 && integral <= 2147483647.0;
}

// Toward zero; NaN or out of range gives INT32_MIN.
inline int32_t Conv_TruncToInt32(double value) {
  if (std::isnan(value)) return kIntegerIndefinite;
  double t = std::trunc(value);
  return Conv_FitsInt32(t) ? static_cast<int32_t>(t) : kIntegerIndefinite;
}

// Nearest, halves to even; NaN or out of range gives INT32_MIN.
inline int32_t Conv_RoundToInt32(double value) {
  if (std::isnan(value)) return kIntegerIndefinite;
  // Below 2^51 in magnitude, adding and taking away 1.5 * 2^52 rounds as nearbyint does
  // (in the same rounding mode) without the library call.
  constexpr double kShift = 6755399441055744.0;
  double r = std::fabs(value) < 2251799813685248.0 ? (value + kShift) - kShift
                                                   : std::nearbyint(value);
  return Conv_FitsInt32(r) ? static_cast<int32_t>(r) : kIntegerIndefinite;
}

// 64-bit forms, for the places that convert through a 64-bit integer.
inline int64_t Conv_TruncToInt64(double value) {
  if (std::isnan(value)) return kInteger64Indefinite;
  double t = std::trunc(value);
  if (t < -9223372036854775808.0 || t >= 9223372036854775808.0) return kInteger64Indefinite;
  return static_cast<int64_t>(t);
}

inline int64_t Conv_RoundToInt64(double value) {
  if (std::isnan(value)) return kInteger64Indefinite;
  double r = std::nearbyint(value);
  if (r < -9223372036854775808.0 || r >= 9223372036854775808.0) return kInteger64Indefinite;
  return static_cast<int64_t>(r);
}

// Single-precision narrowing, where a value is kept as a 32-bit float.
inline float Conv_ToFloat(double value) { return static_cast<float>(value); }
