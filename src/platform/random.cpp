#include "platform/random.h"

#include "platform/conversions.h"

namespace {
uint32_t g_RandomState = 1;
}

void Random_SetSeed(uint32_t seed) { g_RandomState = seed; }

uint32_t Random_GetSeed() { return g_RandomState; }

int32_t Random_Next() {
  g_RandomState = g_RandomState * 214013u + 2531011u;
  return static_cast<int32_t>((g_RandomState >> 16) & 0x7FFFu);
}

float Random_Fraction() {
  return static_cast<float>(static_cast<double>(Random_Next()) * (1.0 / 32768.0));
}

int32_t Random_Below(int32_t n) {
  float fraction = Random_Fraction();
  if (fraction >= 1.0f) fraction = 0.9999f;
  double product = static_cast<double>(static_cast<float>(n)) * static_cast<double>(fraction);
  return Conv_TruncToInt32(product);
}
