// Number built-ins: type tests, random numbers, rounding, powers and logarithms,
// trigonometry, min/max/mean/median/choose, clamp/lerp and plane and space geometry.
// InitMathFunctions registers them together with the string built-ins.
#pragma once

#include <cstdint>

#include "script/builtin_function.h"

// Registers the number and string built-ins (73 names) in their fixed order.
void InitMathFunctions();

// The seed last given by random_set_seed or randomize (0 until the game seeds).
uint32_t Math_RandomSeed();
// Seeds the generator as random_set_seed and randomize do (kept in the seed and passed on).
void Math_SetRandomSeed(uint32_t seed);
// The seed randomize derives from a 64-bit microsecond time.
int64_t Math_RandomizeSeedFromTime(int64_t microseconds);

BuiltinSignature F_IsReal;
BuiltinSignature F_IsString;
BuiltinSignature F_Random;
BuiltinSignature F_RandomRange;
BuiltinSignature F_Irandom;
BuiltinSignature F_IrandomRange;
BuiltinSignature F_RandomSetSeed;
BuiltinSignature F_RandomGetSeed;
BuiltinSignature F_Randomize;
BuiltinSignature F_Abs;
BuiltinSignature F_Round;
BuiltinSignature F_Floor;
BuiltinSignature F_Ceil;
BuiltinSignature F_Sign;
BuiltinSignature F_Frac;
BuiltinSignature F_Sqrt;
BuiltinSignature F_Sqr;
BuiltinSignature F_Exp;
BuiltinSignature F_Ln;
BuiltinSignature F_Log2;
BuiltinSignature F_Log10;
BuiltinSignature F_Sin;
BuiltinSignature F_Cos;
BuiltinSignature F_Tan;
BuiltinSignature F_Arcsin;
BuiltinSignature F_Arccos;
BuiltinSignature F_Arctan;
BuiltinSignature F_Arctan2;
BuiltinSignature F_Degtorad;
BuiltinSignature F_Radtodeg;
BuiltinSignature F_Power;
BuiltinSignature F_Logn;
BuiltinSignature F_Min;
BuiltinSignature F_Max;
BuiltinSignature F_Min3;
BuiltinSignature F_Max3;
BuiltinSignature F_Mean;
BuiltinSignature F_Median;
BuiltinSignature F_Choose;
BuiltinSignature F_Clamp;
BuiltinSignature F_Lerp;
BuiltinSignature F_PointDistance;
BuiltinSignature F_PointDirection;
BuiltinSignature F_LengthdirX;
BuiltinSignature F_LengthdirY;
BuiltinSignature F_PointDistance3d;
BuiltinSignature F_DotProduct;
BuiltinSignature F_DotProductNormalised;
BuiltinSignature F_DotProduct3d;
BuiltinSignature F_DotProduct3dNormalised;
