// The program's one random-number generator: the 15-bit linear congruential generator of the
// C runtime the games were made for (state = state * 214013 + 2531011, result bits 16 to 30).
// Every random choice in the runner draws from it, so a seeded sequence is the same on every run.
#pragma once

#include <cstdint>

// Sets the generator's state (srand). The state starts at 1.
void Random_SetSeed(uint32_t seed);
uint32_t Random_GetSeed();

// The next number, 0 to 32767 (rand).
int32_t Random_Next();

// Random_Next() * 2^-15 as a single-precision float in [0, 1).
float Random_Fraction();

// The integer part of single(n) * f, the product in double precision, where f is Random_Fraction
// capped at 0.9999: 0 to n-1 for n >= 1, 0 for n = 0.
int32_t Random_Below(int32_t n);
