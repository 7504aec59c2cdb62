// The particle engine without drawing: type defaults and slot reuse, the ranges of birth, the
// colour modes, the order of an update's passes on single particles, emitter regions, and the
// depths the room drawing walks.
#include <gtest/gtest.h>

#include <cmath>

#include "graphics/particles/particle_effects.h"
#include "graphics/particles/particle_systems.h"
#include "graphics/particles/particle_types.h"
#include "platform/random.h"

namespace {

class ParticleEngine : public ::testing::Test {
 protected:
  void SetUp() override {
    Particle_Init();
    Random_SetSeed(12345);
  }
  void TearDown() override { Particle_Init(); }

  // A system with one particle of the type at (x, y); its automatic update off.
  static int32_t OneParticle(int32_t type, float x, float y) {
    const int32_t ps = ParticleSystem_Create();
    ParticleSystem_CreateParticles(ps, x, y, type, 1);
    return ps;
  }
  static const Particle& First(int32_t ps) { return ParticleSystem_Get(ps)->particles.front(); }
};

TEST_F(ParticleEngine, NewTypesHaveTheirDefaultsAndFreedSlotsAreReused) {
  const int32_t a = ParticleType_Create();
  const int32_t b = ParticleType_Create();
  const ParticleType& t = *ParticleType_Get(a);
  EXPECT_EQ(t.sprite, -1);
  EXPECT_EQ(t.shape, 0);
  EXPECT_EQ(t.lifeMin, 100);
  EXPECT_EQ(t.lifeMax, 100);
  EXPECT_EQ(t.gravityDirection, 270.0f);
  EXPECT_EQ(t.c[0], 0xFFFFFF);
  EXPECT_EQ(t.c[2], 0xFFFFFF);
  EXPECT_TRUE(t.animate);
  EXPECT_EQ(t.alpha3, 1.0f);
  ParticleType_Blend(a, true);
  ParticleType_Clear(a);
  EXPECT_FALSE(ParticleType_Get(a)->additive);
  ParticleType_Destroy(a);
  EXPECT_FALSE(ParticleType_Exists(a));
  EXPECT_EQ(ParticleType_Create(), a);
  EXPECT_TRUE(ParticleType_Exists(b));
  EXPECT_FALSE(ParticleType_Exists(-1));

  ParticleType_Alpha2(b, 1.0f, 0.0f);
  EXPECT_EQ(ParticleType_Get(b)->alpha2, 0.5f);
  EXPECT_EQ(ParticleType_Get(b)->alpha3, 0.0f);

  const int32_t ps = ParticleSystem_Create();
  const int32_t e = ParticleEmitter_Create(ps);
  ParticleEmitter_Create(ps);
  ParticleEmitter_Destroy(ps, e);
  EXPECT_EQ(ParticleEmitter_Create(ps), e);
  EXPECT_EQ(ParticleEmitter_Create(ps + 1), -1);
}

TEST_F(ParticleEngine, BirthDrawsFromTheRangesAndEmptyRangesGiveTheirMinimum) {
  const int32_t t = ParticleType_Create();
  ParticleType_Life(t, 10, 20);
  ParticleType_Size(t, 0.4f, 0.3f, 0.0f, 0.0f);
  ParticleType_ColorRGB(t, 0, 255, 0, 255, 0, 255);
  const int32_t ps = ParticleSystem_Create();
  ParticleSystem_CreateParticles(ps, 0, 0, t, 2000);
  int lowest = 100, highest = 0;
  for (const Particle& p : ParticleSystem_Get(ps)->particles) {
    lowest = std::min(lowest, p.life);
    highest = std::max(highest, p.life);
    EXPECT_EQ(p.size, 0.4f);
    for (int shift : {0, 8, 16}) ASSERT_NE((p.colour >> shift) & 0xFF, 255);
  }
  EXPECT_EQ(lowest, 10);
  EXPECT_EQ(highest, 19);
  ParticleType_Life(t, 20, 10);
  ParticleSystem_ClearParticles(ps);
  ParticleSystem_CreateParticles(ps, 0, 0, t, 50);
  for (const Particle& p : ParticleSystem_Get(ps)->particles) ASSERT_EQ(p.life, 20);
}

TEST_F(ParticleEngine, ThreeColoursReachTheMiddleOneAtHalfLife) {
  const int32_t t = ParticleType_Create();
  ParticleType_Color3(t, 0x0000FF, 0x00FF00, 0xFF0000);
  ParticleType_Life(t, 10, 10);
  const int32_t ps = OneParticle(t, 0, 0);
  for (int i = 0; i < 5; ++i) ParticleSystem_Update(ps);
  EXPECT_EQ(First(ps).colour, 0x00FF00);
  EXPECT_EQ(First(ps).age, 5);
}

// Without attractor slots or gravity, direction and speed are left as the increments make them
// (no normalisation); with gravity they are recomputed from the velocity.
TEST_F(ParticleEngine, MotionKeepsDirectionUnlessGravityOrAttractorsAct) {
  const int32_t t = ParticleType_Create();
  ParticleType_Direction(t, 350.0f, 350.0f, 20.0f, 0.0f);
  ParticleType_Speed(t, 1.0f, 1.0f, -2.0f, 0.0f);
  const int32_t ps = OneParticle(t, 0, 0);
  ParticleSystem_Update(ps);
  EXPECT_EQ(First(ps).direction, 370.0f);
  EXPECT_EQ(First(ps).speed, 0.0f);
  ParticleType_Gravity(t, 1.0f, 270.0f);
  ParticleSystem_Update(ps);
  EXPECT_EQ(First(ps).direction, 270.0f);
  EXPECT_EQ(First(ps).speed, 1.0f);
  EXPECT_NEAR(First(ps).y, 1.0f, 1e-6);
}

TEST_F(ParticleEngine, VectorToMotion) {
  struct Case {
    float vx, vy, direction, speed;
  } cases[] = {{1, 0, 0, 1}, {0, 2, 270, 2}, {0, -2, 90, 2}, {-1, 0, 180, 1}, {1, -1, 45, std::sqrt(2.0f)}};
  for (const Case& c : cases) {
    float direction = 33.0f, speed = 0.0f;
    Particle_VectorToMotion(c.vx, c.vy, direction, speed);
    EXPECT_NEAR(direction, c.direction, 1e-4) << c.vx << "," << c.vy;
    EXPECT_FLOAT_EQ(speed, c.speed);
  }
  float direction = 400.0f, speed = 5.0f;
  Particle_VectorToMotion(0, 0, direction, speed);
  EXPECT_FLOAT_EQ(direction, 40.0f);
  EXPECT_EQ(speed, 0.0f);
}

TEST_F(ParticleEngine, BurstRegionsKeepToTheirShapes) {
  const int32_t t = ParticleType_Create();
  const int32_t ps = ParticleSystem_Create();
  const int32_t e = ParticleEmitter_Create(ps);
  for (int32_t distribution : {0, 1, 2}) {
    ParticleSystem_ClearParticles(ps);
    ParticleEmitter_Region(ps, e, 0, 100, 0, 50, 1, distribution);
    ParticleEmitter_Burst(ps, e, t, 500);
    for (const Particle& p : ParticleSystem_Get(ps)->particles) {
      const float dx = (p.x - 50.0f) / 50.0f, dy = (p.y - 25.0f) / 25.0f;
      ASSERT_LE(dx * dx + dy * dy, 1.0001f) << distribution;
    }
    ParticleSystem_ClearParticles(ps);
    ParticleEmitter_Region(ps, e, 0, 100, 0, 50, 3, distribution);
    ParticleEmitter_Burst(ps, e, t, 500);
    for (const Particle& p : ParticleSystem_Get(ps)->particles) ASSERT_NEAR(p.y, p.x / 2.0f, 1e-3);
  }
  // A stream of -4 makes a particle in about one step of four.
  ParticleSystem_ClearParticles(ps);
  ParticleType_Life(t, 100000, 100000);
  ParticleEmitter_Stream(ps, e, t, -4);
  for (int i = 0; i < 4000; ++i) ParticleSystem_Update(ps);
  EXPECT_NEAR(ParticleSystem_CountParticles(ps), 1000, 120);
}

// A type whose step particles are of its own kind and live long grows a system to its limit,
// not without end.
TEST_F(ParticleEngine, SelfSpawningTypesStopAtTheSystemsLimit) {
  const int32_t t = ParticleType_Create();
  ParticleType_Step(t, 2, t);
  const int32_t ps = OneParticle(t, 0, 0);
  ParticleSystem_Update(ps);
  EXPECT_EQ(ParticleSystem_CountParticles(ps), kParticleSystemLimit);
}

TEST_F(ParticleEngine, ChangersOfATypeThatDoesNotExistChangeNothing) {
  const int32_t t = ParticleType_Create();
  const int32_t ps = OneParticle(t, 5, 5);
  const int32_t c = ParticleChanger_Create(ps);
  ParticleChanger_Region(ps, c, 0, 10, 0, 10, 0);
  ParticleChanger_Types(ps, c, t, 77);
  ParticleSystem_Update(ps);
  EXPECT_EQ(First(ps).type, t);
}

TEST_F(ParticleEngine, DrawDepthsAreWalkedFromTheDeepest) {
  for (float depth : {10.0f, 5.0f, 5.0f}) ParticleSystem_Depth(ParticleSystem_Create(), depth);
  const int32_t hidden = ParticleSystem_Create();
  ParticleSystem_Depth(hidden, 50.0f);
  ParticleSystem_AutomaticDraw(hidden, false);
  EXPECT_EQ(ParticleSystem_Max_Draw_Depth(), 10.0f);
  EXPECT_EQ(ParticleSystem_Next_Draw_Depth(10.0f), 5.0f);
  EXPECT_EQ(ParticleSystem_Next_Draw_Depth(5.0f), -1e9f);
}

TEST_F(ParticleEngine, EffectTimeFactor) {
  EXPECT_EQ(Effect_TimeFactor(30, 30), 1.0f);
  EXPECT_EQ(Effect_TimeFactor(60, 30), 1.0f);
  EXPECT_EQ(Effect_TimeFactor(60, 60), 0.5f);
  EXPECT_EQ(Effect_TimeFactor(60, 45), 30.0f / 45.0f);
}

}  // namespace
