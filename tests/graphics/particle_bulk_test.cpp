// Particles in bulk: a system of tens of thousands (the type, gravity and fading looked up once
// for each run of like particles) ends every update exactly where the same particles end when
// they are held a few to a system; and the batch's quad list draws the pixels of the same quads
// sent as a triangle list.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "graphics/graphics_fixture.h"
#include "graphics/particles/particle_systems.h"
#include "graphics/particles/particle_types.h"
#include "platform/random.h"

namespace {

class ParticleBulk : public ::testing::Test {
 protected:
  void SetUp() override {
    Particle_Init();
    Random_SetSeed(4242);
  }
  void TearDown() override { Particle_Init(); }
};

void SameParticle(const Particle& got, const Particle& want, size_t i) {
  EXPECT_EQ(got.type, want.type) << i;
  EXPECT_EQ(got.age, want.age) << i;
  EXPECT_EQ(got.life, want.life) << i;
  // Bit for bit: no tolerance.
  EXPECT_EQ(std::memcmp(&got.x, &want.x, sizeof(float) * 7), 0) << i;
  EXPECT_EQ(got.colour, want.colour) << i;
  EXPECT_EQ(std::memcmp(&got.alpha, &want.alpha, sizeof(float) * 2), 0) << i;
}

TEST_F(ParticleBulk, AManyParticleSystemUpdatesAsTheSameParticlesFewToASystem) {
  // Two types taking turns, of varied lives, three-colour and two-colour fades, wiggles,
  // gravity; an attractor in every system.
  const int32_t a = ParticleType_Create();
  ParticleType_Life(a, 5, 40);
  ParticleType_Speed(a, 0.5f, 3.0f, -0.01f, 0.5f);
  ParticleType_Direction(a, 0.0f, 360.0f, 1.5f, 10.0f);
  ParticleType_Gravity(a, 0.2f, 250.0f);
  ParticleType_Size(a, 0.1f, 0.5f, 0.01f, 0.05f);
  ParticleType_Color3(a, 0x0000FF, 0x00FF00, 0xFF0000);
  ParticleType_Alpha3(a, 1.0f, 0.2f, 0.7f);
  const int32_t b = ParticleType_Create();
  ParticleType_Life(b, 30, 30);
  ParticleType_Speed(b, 1.0f, 2.0f, 0.0f, 0.0f);
  ParticleType_Direction(b, 80.0f, 100.0f, 0.0f, 0.0f);
  ParticleType_Color2(b, 0xFFFFFF, 0x000000);
  ParticleType_Alpha2(b, 0.9f, 0.1f);
  const auto withAttractor = [](int32_t ps) {
    const int32_t at = ParticleAttractor_Create(ps);
    ParticleAttractor_Position(ps, at, 300.0f, 200.0f);
    ParticleAttractor_Force(ps, at, 0.3f, 250.0f, 2, false);
  };
  const int32_t big = ParticleSystem_Create();
  withAttractor(big);
  for (int round = 0; round < 4; ++round) {
    for (int i = 0; i < 6000; ++i) {
      ParticleSystem_CreateParticles(big, static_cast<float>(i % 640), static_cast<float>(i % 480), i % 3 == 0 ? b : a,
                                     1 + i % 2);
    }
    ParticleSystem_Update(big);
  }
  const std::vector<Particle>& all = ParticleSystem_Get(big)->particles;
  ASSERT_GT(all.size(), 30000u);
  constexpr size_t kFew = 7;
  std::vector<int32_t> small;
  for (size_t first = 0; first < all.size(); first += kFew) {
    const int32_t ps = ParticleSystem_Create();
    withAttractor(ps);
    ParticleSystem_Get(ps)->particles.assign(all.begin() + static_cast<std::ptrdiff_t>(first),
                                             all.begin() + static_cast<std::ptrdiff_t>(std::min(first + kFew, all.size())));
    small.push_back(ps);
  }
  for (int update = 0; update < 12; ++update) {
    ParticleSystem_Update(big);
    std::vector<Particle> few;
    for (int32_t ps : small) {
      ParticleSystem_Update(ps);
      const std::vector<Particle>& these = ParticleSystem_Get(ps)->particles;
      few.insert(few.end(), these.begin(), these.end());
    }
    const std::vector<Particle>& many = ParticleSystem_Get(big)->particles;
    ASSERT_EQ(many.size(), few.size()) << update;
    for (size_t i = 0; i < many.size(); ++i) SameParticle(many[i], few[i], i);
    if (HasFailure()) return;
  }
}

TEST_F(GraphicsTest, AQuadListDrawsThePixelsOfTheSameTriangleList) {
  // Quads at whole and fractional places, of one and several pixels, one of them turned.
  const float quads[][4][2] = {{{1, 1}, {9, 1}, {9, 6}, {1, 6}},
                               {{10.5f, 2.25f}, {17.75f, 2.25f}, {17.75f, 9.5f}, {10.5f, 9.5f}},
                               {{20, 20}, {21, 20}, {21, 21}, {20, 21}},
                               {{16, 12}, {28, 16}, {24, 28}, {12, 24}},
                               {{2.5f, 14.5f}, {8.5f, 14.5f}, {8.5f, 30.5f}, {2.5f, 30.5f}}};
  const uint32_t colours[] = {0xFFFF0000u, 0x80FFFFFFu, 0xFF00FF00u, 0xC00000FFu, 0x40FF00FFu};
  const auto draw = [&](bool asQuads) {
    Rect(0, 0, kSize, kSize, 0xFF202020u);
    for (size_t q = 0; q < std::size(quads); ++q) {
      Vertex16 corners[4];
      for (int c = 0; c < 4; ++c) corners[c] = {quads[q][c][0], quads[q][c][1], 0.0f, colours[q]};
      if (asQuads) {
        std::memcpy(GR_D3D_Batch_Reserve(kBatchQuadList, nullptr, 16, 4), corners, sizeof(corners));
      } else {
        auto* v = static_cast<Vertex16*>(GR_D3D_Batch_Reserve(4, nullptr, 16, 6));
        for (int i : {0, 1, 2, 0, 2, 3}) *v++ = corners[i];
      }
    }
    const int calls = GR_D3D_Batch_Counters().drawCallsThisFrame;
    GR_D3D_Batch_Flush();
    EXPECT_EQ(GR_D3D_Batch_Counters().drawCallsThisFrame - calls, 1);
    return ScreenPixels();
  };
  const std::vector<uint32_t> triangles = draw(false);
  const std::vector<uint32_t> fromQuads = draw(true);
  EXPECT_EQ(fromQuads, triangles);
  EXPECT_NE(triangles, std::vector<uint32_t>(triangles.size(), triangles.front()));  // something was drawn
  Vertex24 two[8] = {};
  EXPECT_EQ(GR_D3D_Draw(kBatchQuadList, 8, two, 24), 4);  // two triangles a quad
}

}  // namespace
