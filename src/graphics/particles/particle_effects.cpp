#include "graphics/particles/particle_effects.h"

#include <array>
#include <cmath>

#include "data/room_settings.h"
#include "graphics/particles/particle_systems.h"
#include "graphics/particles/particle_types.h"
#include "platform/conversions.h"
#include "platform/random.h"
#include "runner/main_loop.h"
#include "runner/room_drawing.h"

namespace {

constexpr int kTypeCount = 35;
// Where each kind's types start in the private list (explosion has two per size, firework uses
// only its second, rain and snow have one for every size).
constexpr int kExplosionTypes = 0, kRingTypes = 6, kEllipseTypes = 9, kFireworkTypes = 12, kSmokeTypes = 15,
              kSmokeUpTypes = 18, kStarTypes = 21, kSparkTypes = 24, kFlareTypes = 27, kCloudTypes = 30,
              kRainType = 33, kSnowType = 34;

enum Shape : int32_t { kLine = 3, kStar = 4, kRing = 6, kFlare = 8, kSpark = 9, kExplosion = 10, kSnow = 13 };

int32_t g_below = -1;
int32_t g_above = -1;
bool g_typesMade = false;
std::array<int32_t, kTypeCount> g_types{};

// What every builder needs: the system, where, the size (0, 1, 2), the colour and the time factor.
struct EffectCall {
  int32_t system;
  float x, y;
  int size;
  int32_t colour;
  float f;
  // The value of the call's size among small / medium / large.
  template <class T>
  T Pick(T small, T medium, T large) const {
    return size == 0 ? small : size == 2 ? large : medium;
  }
  // A life of a steps at the time factor, rounded halves to even.
  int32_t Life(float steps) const { return Conv_RoundToInt32(steps / f); }
  void Make(int32_t type, int32_t number) const {
    ParticleSystem_CreateParticlesColor(system, x, y, type, colour, number);
  }
};

void Explosion(const EffectCall& c) {
  const int32_t first = g_types[kExplosionTypes + 2 * c.size], second = g_types[kExplosionTypes + 2 * c.size + 1];
  const float size = c.Pick(0.1f, 0.3f, 0.4f);
  ParticleType_Shape(first, kExplosion);
  ParticleType_Size(first, size, size, c.Pick(0.05f, 0.1f, 0.2f) * c.f, 0.0f);
  const float speed = c.Pick(2.0f, 4.0f, 7.0f) * c.f;
  ParticleType_Speed(first, speed, speed, c.Pick(-0.1f, -0.18f, -0.2f) * c.f, 0.0f);
  ParticleType_Direction(first, 0.0f, 360.0f, 0.0f, 0.0f);
  ParticleType_Orientation(first, 0.0f, 360.0f, 0.0f, 0.0f, false);
  ParticleType_Alpha2(first, 0.6f, 0.0f);
  ParticleType_Life(first, c.Life(c.Pick(10.0f, 12.0f, 15.0f)), c.Life(c.Pick(15.0f, 17.0f, 20.0f)));
  c.Make(first, 20);
  ParticleType_Shape(second, kExplosion);
  ParticleType_Size(second, size, size, c.Pick(0.1f, 0.2f, 0.4f) * c.f, 0.0f);
  ParticleType_Orientation(second, 0.0f, 360.0f, 0.0f, 0.0f, false);
  ParticleType_Alpha2(second, 0.8f, 0.0f);
  const int32_t life = c.Life(c.Pick(15.0f, 17.0f, 20.0f));
  ParticleType_Life(second, life, life);
  ParticleSystem_CreateParticlesColor(c.system, c.x, c.y, second, 0, 1);
}

void RingOrEllipse(const EffectCall& c, bool ellipse) {
  const int32_t t = g_types[(ellipse ? kEllipseTypes : kRingTypes) + c.size];
  ParticleType_Shape(t, kRing);
  const float increase = ellipse ? c.Pick(0.2f, 0.35f, 0.6f) : c.Pick(0.15f, 0.25f, 0.4f);
  ParticleType_Size(t, 0.0f, 0.0f, increase * c.f, 0.0f);
  if (ellipse) ParticleType_Scale(t, 1.0f, 0.5f);
  ParticleType_Alpha2(t, 1.0f, 0.0f);
  ParticleType_Life(t, c.Life(c.Pick(10.0f, 13.0f, 18.0f)), c.Life(c.Pick(12.0f, 15.0f, 20.0f)));
  c.Make(t, 1);
}

void Firework(const EffectCall& c) {
  const int32_t t = g_types[kFireworkTypes + 1];
  ParticleType_Shape(t, kFlare);
  ParticleType_Size(t, 0.1f, 0.2f, 0.0f, 0.0f);
  ParticleType_Speed(t, 0.5f * c.f, c.Pick(3.0f, 6.0f, 8.0f) * c.f, 0.0f, 0.0f);
  ParticleType_Direction(t, 0.0f, 360.0f, 0.0f, 0.0f);
  ParticleType_Alpha2(t, 1.0f, 0.4f);
  ParticleType_Gravity(t, c.Pick(0.1f, 0.15f, 0.17f) * c.f, 270.0f);
  ParticleType_Life(t, c.Life(c.Pick(15.0f, 20.0f, 30.0f)), c.Life(c.Pick(25.0f, 30.0f, 40.0f)));
  c.Make(t, c.Pick(75, 150, 250));
}

void Smoke(const EffectCall& c, bool rising) {
  const int32_t t = g_types[(rising ? kSmokeUpTypes : kSmokeTypes) + c.size];
  ParticleType_Shape(t, kExplosion);
  ParticleType_Size(t, c.Pick(0.2f, 0.4f, 0.4f), c.Pick(0.4f, 0.7f, 1.0f), -0.01f * c.f, 0.0f);
  if (rising) {
    ParticleType_Speed(t, c.Pick(3.0f, 5.0f, 6.0f) * c.f, c.Pick(4.0f, 6.0f, 7.0f) * c.f, 0.0f, 0.0f);
    ParticleType_Direction(t, 90.0f, 90.0f, 0.0f, 0.0f);
  }
  ParticleType_Alpha2(t, 0.4f, 0.0f);
  const int32_t life = c.Life(c.Pick(25.0f, 30.0f, 50.0f));
  ParticleType_Life(t, life, life);
  const int32_t k = c.Pick(10, 30, 60);
  for (int32_t i = c.Pick(6, 11, 16); i > 0; --i) {
    const int32_t dy = Random_Below(k) - k / 2;
    const int32_t dx = Random_Below(k) - k / 2;
    ParticleSystem_CreateParticlesColor(c.system, c.x + static_cast<float>(dx), c.y + static_cast<float>(dy), t,
                                        c.colour, 1);
  }
}

// Star, spark and flare: one particle turning at a random angle and shrinking.
void Glint(const EffectCall& c, int base, int32_t shape) {
  const int32_t t = g_types[base + c.size];
  ParticleType_Shape(t, shape);
  const float min = c.Pick(0.4f, 0.75f, 1.2f);
  const float max = shape == kStar ? c.Pick(0.3f, 0.75f, 1.2f) : min;
  ParticleType_Size(t, min, max, c.Pick(-0.02f, -0.03f, -0.04f) * c.f, 0.0f);
  ParticleType_Orientation(t, 0.0f, 360.0f, 0.0f, 0.0f, false);
  const int32_t life = c.Life(c.Pick(20.0f, 25.0f, 30.0f));
  ParticleType_Life(t, life, life);
  c.Make(t, 1);
}

void Cloud(const EffectCall& c) {
  const int32_t t = g_types[kCloudTypes + c.size];
  ParticleType_Shape(t, kExplosion);
  const float size = c.Pick(2.0f, 4.0f, 8.0f);
  ParticleType_Size(t, size, size, 0.0f, 0.0f);
  ParticleType_Scale(t, 1.0f, 0.5f);
  ParticleType_Alpha3(t, 0.0f, 0.3f, 0.0f);
  const int32_t life = c.Life(100.0f);
  ParticleType_Life(t, life, life);
  c.Make(t, 1);
}

// Rain and snow fall over the whole room, above its top edge, wherever the call asked.
void Weather(const EffectCall& c, bool snow) {
  const RoomSettings* room = Room_Current();
  const float width = room != nullptr ? static_cast<float>(room->width) : 640.0f;
  const float height = room != nullptr ? static_cast<float>(room->height) : 480.0f;
  const int32_t t = g_types[snow ? kSnowType : kRainType];
  if (snow) {
    ParticleType_Shape(t, kSnow);
    ParticleType_Size(t, 0.1f, 0.25f, 0.0f, 0.0f);
    ParticleType_Speed(t, 2.5f * c.f, 3.0f * c.f, 0.0f, 0.0f);
    ParticleType_Direction(t, 240.0f, 300.0f, 0.0f, 20.0f);
    ParticleType_Orientation(t, 0.0f, 360.0f, 0.0f, 0.0f, false);
    ParticleType_Alpha1(t, 0.6f);
  } else {
    ParticleType_Shape(t, kLine);
    ParticleType_Size(t, 0.2f, 0.3f, 0.0f, 0.0f);
    ParticleType_Speed(t, 7.0f * c.f, 7.0f * c.f, 0.0f, 0.0f);
    ParticleType_Direction(t, 260.0f, 260.0f, 0.0f, 0.0f);
    ParticleType_Orientation(t, 0.0f, 0.0f, 0.0f, 0.0f, true);
    ParticleType_Alpha1(t, 0.4f);
  }
  const int32_t life = c.Life(height * (snow ? 0.5f : 0.2f));
  ParticleType_Life(t, life, life);
  for (int32_t i = snow ? c.Pick(1, 3, 7) : c.Pick(2, 5, 9); i > 0; --i) {
    const float y = static_cast<float>(Random_Below(20) - 30);
    const float x = Random_Fraction() * 1.2f * width - (snow ? 60.0f : 0.0f);
    ParticleSystem_CreateParticlesColor(c.system, x, y, t, c.colour, 1);
  }
}

}  // namespace

float Effect_TimeFactor(int32_t roomSpeed, int32_t fps) {
  if (roomSpeed > 30 && fps > 30) {
    const float s = static_cast<float>(roomSpeed), p = static_cast<float>(fps);
    return s / p >= 1.2f ? 30.0f / p : 30.0f / s;
  }
  return 1.0f;
}

void Effect_PrepareSystems() {
  if (!ParticleSystem_Exists(g_below)) {
    g_below = ParticleSystem_Create();
    ParticleSystem_Depth(g_below, 100000.0f);
  }
  if (!ParticleSystem_Exists(g_above)) {
    g_above = ParticleSystem_Create();
    ParticleSystem_Depth(g_above, -100000.0f);
  }
  if (!g_typesMade) {
    g_typesMade = true;
    for (int32_t& type : g_types) type = ParticleType_Create();
  }
}

void Effect_Create(bool below, int32_t kind, float x, float y, int32_t size, int32_t colour) {
  Effect_PrepareSystems();
  const RoomSettings* room = Room_Current();
  const EffectCall c{below ? g_below : g_above, x,      y, size == 0 ? 0 : size == 2 ? 2 : 1, colour,
                     Effect_TimeFactor(room != nullptr ? room->speed : 30, Fps)};
  switch (static_cast<EffectKind>(kind)) {
    case EffectKind::Explosion: Explosion(c); break;
    case EffectKind::Ring: RingOrEllipse(c, false); break;
    case EffectKind::Ellipse: RingOrEllipse(c, true); break;
    case EffectKind::Firework: Firework(c); break;
    case EffectKind::Smoke: Smoke(c, false); break;
    case EffectKind::SmokeUp: Smoke(c, true); break;
    case EffectKind::Star: Glint(c, kStarTypes, kStar); break;
    case EffectKind::Spark: Glint(c, kSparkTypes, kSpark); break;
    case EffectKind::Flare: Glint(c, kFlareTypes, kFlare); break;
    case EffectKind::Cloud: Cloud(c); break;
    case EffectKind::Rain: Weather(c, false); break;
    case EffectKind::Snow: Weather(c, true); break;
    default: break;
  }
}

void Effect_Clear() {
  ParticleSystem_ClearParticles(g_below);
  ParticleSystem_ClearParticles(g_above);
}

int32_t Effect_BelowSystem() { return g_below; }
int32_t Effect_AboveSystem() { return g_above; }

void Effect_Forget() {
  g_below = g_above = -1;
  g_typesMade = false;
}
