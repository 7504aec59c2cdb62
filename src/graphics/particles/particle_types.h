// Particle types: the global table of templates particles are born from, the particle record,
// and birth (a type's ranges and colour mode turned into a newborn particle's state).
//
// Every random draw comes from the program's one generator, in the order birth lists them, so a
// seeded game makes the same particles on every run.
#pragma once

#include <array>
#include <cstdint>

struct ParticleType {
  bool used = false;
  int32_t sprite = -1;
  bool animate = true;
  bool stretch = false;
  bool randomFrame = false;
  int32_t shape = 0;
  float sizeMin = 1.0f, sizeMax = 1.0f, sizeIncrease = 0.0f, sizeWiggle = 0.0f;
  float xscale = 1.0f, yscale = 1.0f;
  int32_t lifeMin = 100, lifeMax = 100;
  int32_t deathType = 0, deathNumber = 0;
  int32_t stepType = 0, stepNumber = 0;
  float speedMin = 0.0f, speedMax = 0.0f, speedIncrease = 0.0f, speedWiggle = 0.0f;
  float directionMin = 0.0f, directionMax = 0.0f, directionIncrease = 0.0f, directionWiggle = 0.0f;
  float gravityAmount = 0.0f, gravityDirection = 270.0f;
  float orientationMin = 0.0f, orientationMax = 0.0f, orientationIncrease = 0.0f, orientationWiggle = 0.0f;
  bool orientationRelative = false;
  int32_t colourMode = 0;
  std::array<int32_t, 6> c = {0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0, 0, 0};
  float alpha1 = 1.0f, alpha2 = 1.0f, alpha3 = 1.0f;
  bool additive = false;
};

struct Particle {
  bool alive = false;
  int32_t type = 0;
  int32_t age = 0;
  int32_t life = 0;
  float x = 0.0f, y = 0.0f;
  float xprevious = 0.0f, yprevious = 0.0f;
  float speed = 0.0f;
  float direction = 0.0f;
  float orientation = 0.0f;
  int32_t colour = 0;
  float alpha = 0.0f;
  float size = 0.0f;
  int32_t startFrame = 0;
  int32_t wiggleSeed = 0;
};

enum class ParticleDistribution : int32_t { Linear = 0, Gaussian = 1, InverseGaussian = 2 };

int32_t ParticleType_Create();
void ParticleType_Destroy(int32_t index);
bool ParticleType_Exists(int32_t index);
void ParticleType_Clear(int32_t index);
// The type when the index is valid and in use; null otherwise.
ParticleType* ParticleType_Get(int32_t index);
// The record of any slot ever made, in use or destroyed (particles of a destroyed type go on with
// the record as its clear left it); null outside the table.
const ParticleType* ParticleType_Record(int32_t index);
int32_t ParticleType_Count();

void ParticleType_Shape(int32_t index, int32_t shape);
void ParticleType_Sprite(int32_t index, int32_t sprite, bool animate, bool stretch, bool random);
void ParticleType_Size(int32_t index, float min, float max, float increase, float wiggle);
void ParticleType_Scale(int32_t index, float xscale, float yscale);
void ParticleType_Life(int32_t index, int32_t min, int32_t max);
void ParticleType_Step(int32_t index, int32_t number, int32_t type);
void ParticleType_Death(int32_t index, int32_t number, int32_t type);
void ParticleType_Speed(int32_t index, float min, float max, float increase, float wiggle);
void ParticleType_Direction(int32_t index, float min, float max, float increase, float wiggle);
void ParticleType_Orientation(int32_t index, float min, float max, float increase, float wiggle, bool relative);
void ParticleType_Gravity(int32_t index, float amount, float direction);
void ParticleType_Color1(int32_t index, int32_t colour);
void ParticleType_Color2(int32_t index, int32_t colour1, int32_t colour2);
void ParticleType_Color3(int32_t index, int32_t colour1, int32_t colour2, int32_t colour3);
void ParticleType_ColorRGB(int32_t index, int32_t rmin, int32_t rmax, int32_t gmin, int32_t gmax, int32_t bmin,
                           int32_t bmax);
void ParticleType_ColorHSV(int32_t index, int32_t hmin, int32_t hmax, int32_t smin, int32_t smax, int32_t vmin,
                           int32_t vmax);
void ParticleType_ColorMix(int32_t index, int32_t colour1, int32_t colour2);
void ParticleType_Alpha1(int32_t index, float alpha);
void ParticleType_Alpha2(int32_t index, float alpha1, float alpha2);
void ParticleType_Alpha3(int32_t index, float alpha1, float alpha2, float alpha3);
void ParticleType_Blend(int32_t index, bool additive);

// Fills the record as a newborn of the type at (x, y); false (record untouched) for an invalid type.
bool ParticleType_InitParticle(float x, float y, int32_t type, Particle& particle);
// The colour of the particle from its type, age and life (the birth branch at age 0).
void Particle_ComputeColour(Particle& particle);
// min + a random fraction of the range, by distribution; min for an empty or reversed range.
float Particle_RandomInRange(float min, float max, int32_t distribution);

void ParticleType_FreeAll();
// Start-up: frees every type and every system.
void Particle_Init();
// Shut-down: the systems, the types and the shape textures.
void Particle_Shutdown();
