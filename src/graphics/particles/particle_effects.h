// The built-in effects: twelve ready-made particle effects in three sizes, drawn behind
// everything (depth 100000) or in front of everything (depth -100000), built on two private
// particle systems and 35 private particle types made on first use.
#pragma once

#include <cstdint>

enum class EffectKind : int32_t {
  Explosion = 0, Ring, Ellipse, Firework, Smoke, SmokeUp, Star, Spark, Flare, Cloud, Rain, Snow
};

// The effect of the kind at (x, y); a kind outside 0..11 makes nothing. Size 0 small, 2 large,
// anything else medium.
void Effect_Create(bool below, int32_t kind, float x, float y, int32_t size, int32_t colour);
void Effect_PrepareSystems();
// Removes every effect particle (every room start).
void Effect_Clear();
// The speed factor of effects: 1 unless the room and the measured frame rate are both above 30.
float Effect_TimeFactor(int32_t roomSpeed, int32_t fps);
// The effect systems' indices (-1 before the first effect).
int32_t Effect_BelowSystem();
int32_t Effect_AboveSystem();
// Forgets the systems and types (their tables were freed).
void Effect_Forget();
