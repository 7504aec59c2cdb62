#include "graphics/particles/particle_types.h"

#include <cmath>
#include <memory>
#include <vector>

#include "graphics/particles/particle_effects.h"
#include "graphics/particles/particle_shapes.h"
#include "graphics/particles/particle_systems.h"
#include "platform/colour.h"
#include "platform/conversions.h"
#include "platform/random.h"

namespace {

std::vector<std::unique_ptr<ParticleType>> g_types;

// min + fraction x (max - min) in single precision; an empty or reversed range is its minimum and
// takes nothing from the generator.
float RandomRange(float min, float max) {
  const float range = max - min;
  if (!(range > 0.0f)) return min;
  return min + Random_Fraction() * range;
}

// A channel drawn from a range of two colour parameters read as unsigned numbers.
uint32_t RandomChannel(int32_t min, int32_t max) {
  const float value = RandomRange(static_cast<float>(static_cast<uint32_t>(min)),
                                  static_cast<float>(static_cast<uint32_t>(max)));
  return static_cast<uint32_t>(Conv_TruncToInt64(value)) & 0xFFu;
}

// One Gaussian draw in [-3, 3), single precision.
float GaussianDraw() {
  for (;;) {
    const float x = (Random_Fraction() - 0.5f) * 6.0f;
    if (std::exp(-0.5f * x * x) > Random_Fraction()) return x;
  }
}

}  // namespace

int32_t ParticleType_Create() {
  size_t index = 0;
  while (index < g_types.size() && g_types[index]->used) ++index;
  if (index == g_types.size()) g_types.push_back(std::make_unique<ParticleType>());
  g_types[index]->used = true;
  ParticleType_Clear(static_cast<int32_t>(index));
  return static_cast<int32_t>(index);
}

ParticleType* ParticleType_Get(int32_t index) {
  if (index < 0 || static_cast<size_t>(index) >= g_types.size() || !g_types[index]->used) return nullptr;
  return g_types[index].get();
}

const ParticleType* ParticleType_Record(int32_t index) {
  if (index < 0 || static_cast<size_t>(index) >= g_types.size()) return nullptr;
  return g_types[index].get();
}

int32_t ParticleType_Count() { return static_cast<int32_t>(g_types.size()); }

bool ParticleType_Exists(int32_t index) { return ParticleType_Get(index) != nullptr; }

void ParticleType_Clear(int32_t index) {
  ParticleType* t = ParticleType_Get(index);
  if (t == nullptr) return;
  // c3..c5 are read only in the modes whose setters write all six: they keep their values.
  const std::array<int32_t, 6> kept = t->c;
  *t = ParticleType{};
  t->used = true;
  t->c[3] = kept[3];
  t->c[4] = kept[4];
  t->c[5] = kept[5];
}

void ParticleType_Destroy(int32_t index) {
  ParticleType* t = ParticleType_Get(index);
  if (t == nullptr) return;
  ParticleType_Clear(index);
  t->used = false;
}

void ParticleType_Shape(int32_t index, int32_t shape) {
  if (ParticleType* t = ParticleType_Get(index)) {
    t->shape = shape;
    t->sprite = -1;
  }
}

void ParticleType_Sprite(int32_t index, int32_t sprite, bool animate, bool stretch, bool random) {
  if (ParticleType* t = ParticleType_Get(index)) {
    t->sprite = sprite;
    t->animate = animate;
    t->stretch = stretch;
    t->randomFrame = random;
  }
}

void ParticleType_Size(int32_t index, float min, float max, float increase, float wiggle) {
  if (ParticleType* t = ParticleType_Get(index)) {
    t->sizeMin = min;
    t->sizeMax = max;
    t->sizeIncrease = increase;
    t->sizeWiggle = wiggle;
  }
}

void ParticleType_Scale(int32_t index, float xscale, float yscale) {
  if (ParticleType* t = ParticleType_Get(index)) {
    t->xscale = xscale;
    t->yscale = yscale;
  }
}

void ParticleType_Life(int32_t index, int32_t min, int32_t max) {
  if (ParticleType* t = ParticleType_Get(index)) {
    t->lifeMin = min;
    t->lifeMax = max;
  }
}

void ParticleType_Step(int32_t index, int32_t number, int32_t type) {
  if (ParticleType* t = ParticleType_Get(index)) {
    t->stepNumber = number;
    t->stepType = type;
  }
}

void ParticleType_Death(int32_t index, int32_t number, int32_t type) {
  if (ParticleType* t = ParticleType_Get(index)) {
    t->deathNumber = number;
    t->deathType = type;
  }
}

void ParticleType_Speed(int32_t index, float min, float max, float increase, float wiggle) {
  if (ParticleType* t = ParticleType_Get(index)) {
    t->speedMin = min;
    t->speedMax = max;
    t->speedIncrease = increase;
    t->speedWiggle = wiggle;
  }
}

void ParticleType_Direction(int32_t index, float min, float max, float increase, float wiggle) {
  if (ParticleType* t = ParticleType_Get(index)) {
    t->directionMin = min;
    t->directionMax = max;
    t->directionIncrease = increase;
    t->directionWiggle = wiggle;
  }
}

void ParticleType_Orientation(int32_t index, float min, float max, float increase, float wiggle, bool relative) {
  if (ParticleType* t = ParticleType_Get(index)) {
    t->orientationMin = min;
    t->orientationMax = max;
    t->orientationIncrease = increase;
    t->orientationWiggle = wiggle;
    t->orientationRelative = relative;
  }
}

void ParticleType_Gravity(int32_t index, float amount, float direction) {
  if (ParticleType* t = ParticleType_Get(index)) {
    t->gravityAmount = amount;
    t->gravityDirection = direction;
  }
}

namespace {

void SetColours(int32_t index, int32_t mode, std::initializer_list<int32_t> values) {
  ParticleType* t = ParticleType_Get(index);
  if (t == nullptr) return;
  t->colourMode = mode;
  size_t i = 0;
  for (int32_t value : values) t->c[i++] = value;
}

}  // namespace

void ParticleType_Color1(int32_t index, int32_t colour) { SetColours(index, 0, {colour}); }
void ParticleType_Color2(int32_t index, int32_t colour1, int32_t colour2) {
  SetColours(index, 1, {colour1, colour2});
}
void ParticleType_Color3(int32_t index, int32_t colour1, int32_t colour2, int32_t colour3) {
  SetColours(index, 2, {colour1, colour2, colour3});
}
void ParticleType_ColorRGB(int32_t index, int32_t rmin, int32_t rmax, int32_t gmin, int32_t gmax, int32_t bmin,
                           int32_t bmax) {
  SetColours(index, 3, {rmin, rmax, gmin, gmax, bmin, bmax});
}
void ParticleType_ColorHSV(int32_t index, int32_t hmin, int32_t hmax, int32_t smin, int32_t smax, int32_t vmin,
                           int32_t vmax) {
  SetColours(index, 4, {hmin, hmax, smin, smax, vmin, vmax});
}
void ParticleType_ColorMix(int32_t index, int32_t colour1, int32_t colour2) {
  SetColours(index, 5, {colour1, colour2});
}

void ParticleType_Alpha1(int32_t index, float alpha) { ParticleType_Alpha3(index, alpha, alpha, alpha); }
void ParticleType_Alpha2(int32_t index, float alpha1, float alpha2) {
  ParticleType_Alpha3(index, alpha1, (alpha1 + alpha2) * 0.5f, alpha2);
}
void ParticleType_Alpha3(int32_t index, float alpha1, float alpha2, float alpha3) {
  if (ParticleType* t = ParticleType_Get(index)) {
    t->alpha1 = alpha1;
    t->alpha2 = alpha2;
    t->alpha3 = alpha3;
  }
}

void ParticleType_Blend(int32_t index, bool additive) {
  if (ParticleType* t = ParticleType_Get(index)) t->additive = additive;
}

bool ParticleType_InitParticle(float x, float y, int32_t type, Particle& particle) {
  const ParticleType* t = ParticleType_Get(type);
  if (t == nullptr) return false;
  particle.alive = true;
  particle.type = type;
  particle.x = particle.xprevious = x;
  particle.y = particle.yprevious = y;
  particle.speed = RandomRange(t->speedMin, t->speedMax);
  particle.direction = RandomRange(t->directionMin, t->directionMax);
  particle.orientation = RandomRange(t->orientationMin, t->orientationMax);
  particle.life = Conv_TruncToInt32(RandomRange(static_cast<float>(t->lifeMin), static_cast<float>(t->lifeMax)));
  particle.age = 0;
  Particle_ComputeColour(particle);
  particle.alpha = t->alpha1;
  particle.size = RandomRange(t->sizeMin, t->sizeMax);
  particle.startFrame = t->randomFrame ? Random_Below(10000) : 0;
  particle.wiggleSeed = Random_Below(100000);
  return true;
}

void Particle_ComputeColour(Particle& particle) {
  const ParticleType* t = ParticleType_Record(particle.type);
  if (t == nullptr) return;
  const auto colour = [&](int i) { return static_cast<uint32_t>(t->c[i]); };
  if (particle.age > 0 && particle.life > 0) {
    const float age = static_cast<float>(particle.age), life = static_cast<float>(particle.life);
    if (t->colourMode == 1) {
      const float f = std::min(age / life, 1.0f);
      particle.colour = static_cast<int32_t>(Colour_Merge(colour(0), colour(1), f));
    } else if (t->colourMode == 2) {
      const float f = std::min(2.0f * age / life, 2.0f);
      particle.colour = static_cast<int32_t>(f < 1.0f ? Colour_Merge(colour(0), colour(1), f)
                                                      : Colour_Merge(colour(1), colour(2), f - 1.0f));
    }
    return;
  }
  switch (t->colourMode) {
    case 0:
    case 1:
    case 2:
      particle.colour = t->c[0];
      break;
    case 3: {
      const uint32_t red = RandomChannel(t->c[0], t->c[1]);
      const uint32_t green = RandomChannel(t->c[2], t->c[3]);
      const uint32_t blue = RandomChannel(t->c[4], t->c[5]);
      particle.colour = static_cast<int32_t>(red + green * 256 + blue * 65536);
      break;
    }
    case 4: {
      HSVRecord hsv;
      hsv.hue = static_cast<uint8_t>(RandomChannel(t->c[0], t->c[1]));
      hsv.saturation = static_cast<uint8_t>(RandomChannel(t->c[2], t->c[3]));
      hsv.value = static_cast<uint8_t>(RandomChannel(t->c[4], t->c[5]));
      particle.colour = static_cast<int32_t>(Colour_FromHSV(hsv));
      break;
    }
    case 5:
      particle.colour = static_cast<int32_t>(Colour_Merge(colour(0), colour(1), Random_Fraction()));
      break;
    default:
      break;
  }
}

float Particle_RandomInRange(float min, float max, int32_t distribution) {
  const float range = max - min;
  if (!(range > 0.0f)) return min;
  constexpr float kSixth = 1.0f / 6.0f;
  if (distribution == static_cast<int32_t>(ParticleDistribution::Gaussian)) {
    const float x = GaussianDraw();
    return min + (x + 3.0f) * kSixth * range;
  }
  if (distribution == static_cast<int32_t>(ParticleDistribution::InverseGaussian)) {
    float x = GaussianDraw();
    if (x < 0.0f) x += 6.0f;
    return min + x * kSixth * range;
  }
  return min + Random_Fraction() * range;
}

void ParticleType_FreeAll() { g_types.clear(); }

void Particle_Init() {
  ParticleType_FreeAll();
  ParticleSystem_FreeAll();
  Effect_Forget();
}

void Particle_Shutdown() {
  ParticleSystem_FreeAll();
  ParticleType_FreeAll();
  Effect_Forget();
  Particle_FreeShapeTextures();
}
