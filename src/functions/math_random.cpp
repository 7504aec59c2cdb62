#include "functions/math_random.h"

#include <chrono>

#include "platform/conversions.h"

namespace {
uint32_t g_state = 0;
}

void MathRandom_SetState(uint32_t seed) { g_state = seed; }

int32_t MathRandom_Next() {
  g_state = g_state * 214013u + 2531011u;
  return static_cast<int32_t>((g_state >> 16) & 0x7FFF);
}

float MathRandom_Fraction() {
  return static_cast<float>(static_cast<double>(MathRandom_Next()) * (1.0 / 32768.0));
}

int32_t MathRandom_Below(int32_t n) {
  double r = MathRandom_Fraction();
  return Conv_TruncToInt32(static_cast<double>(static_cast<float>(n)) * r);
}

int64_t MathRandom_ClockMicroseconds() {
  auto now = std::chrono::steady_clock::now().time_since_epoch();
  return std::chrono::duration_cast<std::chrono::microseconds>(now).count();
}
