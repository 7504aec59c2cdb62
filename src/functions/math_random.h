// The program's random generator as the number built-ins use it.
//
// One 32-bit state shared by every random choice of the program: seeding sets the state;
// each draw sets state = state * 214013 + 2531011 (mod 2^32) and gives (state >> 16) & 0x7FFF.
// The sequence is part of a game's behaviour, so no library generator stands in for it.
#pragma once

#include <cstdint>

// Sets the generator's state.
void MathRandom_SetState(uint32_t seed);
// The next value, 0..32767.
int32_t MathRandom_Next();
// Next value x 2^-15, formed in double and narrowed to single: 0 <= r <= 0.999969482421875.
float MathRandom_Fraction();
// trunc(single(n) x r) with the product formed in double: 0..n-1 for n >= 1, 0 for n = 0.
int32_t MathRandom_Below(int32_t n);
// The microsecond clock that randomize reads (64-bit count).
int64_t MathRandom_ClockMicroseconds();
