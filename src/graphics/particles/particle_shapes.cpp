#include "graphics/particles/particle_shapes.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <memory>

#include "graphics/batch.h"
#include "graphics/embedded_images.h"
#include "graphics/hardware_texture.h"

namespace {

constexpr int kSize = kParticleShapeSize;
constexpr float kPi = 3.14159265f;
constexpr int kSubsamples = 4;

std::array<std::unique_ptr<HardwareTexture>, kParticleShapeCount> g_textures;

// Coverage of a shape given as a function of the point (u, v), both -1..1 from the centre (y down),
// averaged over 4 x 4 samples per pixel.
using Coverage = std::function<float(float u, float v)>;

float Clamp01(float v) { return std::clamp(v, 0.0f, 1.0f); }
float Smooth(float edge0, float edge1, float x) {
  const float t = Clamp01((x - edge0) / (edge1 - edge0));
  return t * t * (3.0f - 2.0f * t);
}

// A deterministic hash of a lattice point, 0..1.
float Hash(int x, int y, uint32_t seed) {
  uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u + seed * 2246822519u;
  h = (h ^ (h >> 13)) * 1274126177u;
  h ^= h >> 16;
  return static_cast<float>(h & 0xFFFFu) / 65535.0f;
}

// Smooth value noise at (x, y) on a unit lattice.
float ValueNoise(float x, float y, uint32_t seed) {
  const int x0 = static_cast<int>(std::floor(x)), y0 = static_cast<int>(std::floor(y));
  const float fx = x - static_cast<float>(x0), fy = y - static_cast<float>(y0);
  const float sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
  const float a = Hash(x0, y0, seed), b = Hash(x0 + 1, y0, seed);
  const float c = Hash(x0, y0 + 1, seed), d = Hash(x0 + 1, y0 + 1, seed);
  return (a + (b - a) * sx) + ((c + (d - c) * sx) - (a + (b - a) * sx)) * sy;
}

// Three octaves of value noise, 0..1.
float Turbulence(float u, float v, uint32_t seed) {
  float sum = 0.0f, weight = 0.5f, scale = 3.0f;
  for (int octave = 0; octave < 3; ++octave) {
    sum += weight * ValueNoise((u + 1.0f) * scale, (v + 1.0f) * scale, seed + static_cast<uint32_t>(octave));
    weight *= 0.5f;
    scale *= 2.0f;
  }
  return sum / 0.875f;
}

// Distance from (u, v) to the segment from the centre in direction angle, of length length.
float RayDistance(float u, float v, float angle, float length) {
  const float dx = std::cos(angle), dy = std::sin(angle);
  const float t = std::clamp(u * dx + v * dy, 0.0f, length);
  return std::hypot(u - t * dx, v - t * dy);
}

// Inside a regular star of the given points with outer radius 1 and the given inner radius.
bool InsideStar(float u, float v, int points, float inner) {
  const float r = std::hypot(u, v);
  if (r == 0.0f) return true;
  const float sector = 2.0f * kPi / static_cast<float>(points);
  // Angle measured from the upward point.
  float a = std::atan2(u, -v);
  a = std::fmod(a + 2.0f * kPi, sector);
  const float half = sector * 0.5f;
  const float k = std::fabs(a - half) / half;  // 1 at a point, 0 between points
  // The edge from a point (radius 0.95) to the inner vertex, in polar form, approximated linearly.
  const float edge = inner + (0.95f - inner) * k;
  return r <= edge;
}

float ShapeCoverage(int shape, float u, float v) {
  const float r = std::hypot(u, v);
  switch (shape) {
    case 0:  // pixel: a small dot at the centre
      return std::max(std::fabs(u), std::fabs(v)) <= 2.0f / kSize ? 1.0f : 0.0f;
    case 1:  // disk
      return r <= 0.94f ? 1.0f : 0.0f;
    case 2:  // square
      return std::max(std::fabs(u), std::fabs(v)) <= 0.9f ? 1.0f : 0.0f;
    case 3:  // line: a thin bar across, thinning towards its ends
      return std::fabs(v) <= 0.07f * (1.0f - 0.6f * std::fabs(u)) && std::fabs(u) <= 0.97f ? 1.0f : 0.0f;
    case 4:  // star: five points
      return InsideStar(u, v, 5, 0.4f) ? 1.0f : 0.0f;
    case 5:  // circle: a thin outline
      return std::fabs(r - 0.88f) <= 0.05f ? 1.0f : 0.0f;
    case 6:  // ring: a soft band
      return Clamp01(1.0f - std::fabs(r - 0.7f) / 0.22f);
    case 7:  // sphere: opaque in the middle, fading to the rim
      return r >= 0.96f ? 0.0f : std::sqrt(Clamp01(1.0f - r * r / 0.92f));
    case 8: {  // flare: a glow with four long rays
      const float glow = Clamp01(1.0f - r / 0.55f);
      float rays = 0.0f;
      for (int k = 0; k < 4; ++k) {
        const float d = RayDistance(u, v, static_cast<float>(k) * kPi * 0.5f, 0.97f);
        rays = std::max(rays, Clamp01(1.0f - d / 0.05f) * Clamp01(1.0f - r));
      }
      return Clamp01(glow * glow + rays);
    }
    case 9: {  // spark: eight thin rays from a bright centre
      float rays = 0.0f;
      for (int k = 0; k < 8; ++k) {
        const float length = k % 2 == 0 ? 0.95f : 0.55f;
        const float d = RayDistance(u, v, static_cast<float>(k) * kPi * 0.25f, length);
        rays = std::max(rays, Clamp01(1.0f - d / 0.04f) * Clamp01(1.0f - r / length));
      }
      return Clamp01(rays + Clamp01(1.0f - r / 0.15f));
    }
    case 10: {  // explosion: a ragged, bright blob
      const float edge = 0.55f + 0.4f * Turbulence(u, v, 10);
      return Smooth(edge, edge - 0.35f, r) * (0.75f + 0.25f * Turbulence(u * 2, v * 2, 11));
    }
    case 11: {  // cloud: a large soft blob
      const float edge = 0.7f + 0.25f * Turbulence(u, v, 20);
      return Smooth(edge, 0.0f, r) * (0.6f + 0.4f * Turbulence(u, v, 21));
    }
    case 12: {  // smoke: thin wisps
      const float wisps = Turbulence(u * 1.5f, v * 1.5f, 30);
      return Smooth(0.95f, 0.2f, r) * Smooth(0.35f, 0.75f, wisps);
    }
    case 13: {  // snow: a six-armed flake with side branches
      float arms = 0.0f;
      for (int k = 0; k < 6; ++k) {
        const float a = static_cast<float>(k) * kPi / 3.0f;
        arms = std::max(arms, Clamp01(1.0f - RayDistance(u, v, a, 0.9f) / 0.06f));
        const float bx = 0.55f * std::cos(a), by = 0.55f * std::sin(a);
        for (float side : {-1.0f, 1.0f}) {
          arms = std::max(arms, Clamp01(1.0f - RayDistance(u - bx, v - by, a + side * kPi / 4.0f, 0.25f) / 0.05f));
        }
      }
      return arms;
    }
    default:
      return 0.0f;
  }
}

void PutU32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

}  // namespace

std::vector<uint8_t> ParticleShape_RawImage(int shape) {
  if (shape < 0 || shape >= kParticleShapeCount) return {};
  std::vector<uint8_t> block = {'R', 'A', 'W', ' '};
  PutU32(block, kSize);
  PutU32(block, kSize);
  PutU32(block, 0);
  block.reserve(block.size() + kSize * kSize * 4);
  for (int y = 0; y < kSize; ++y) {
    for (int x = 0; x < kSize; ++x) {
      float sum = 0.0f;
      for (int sy = 0; sy < kSubsamples; ++sy) {
        for (int sx = 0; sx < kSubsamples; ++sx) {
          const float u = ((static_cast<float>(x) + (static_cast<float>(sx) + 0.5f) / kSubsamples) / kSize) * 2 - 1;
          const float v = ((static_cast<float>(y) + (static_cast<float>(sy) + 0.5f) / kSubsamples) / kSize) * 2 - 1;
          sum += Clamp01(ShapeCoverage(shape, u, v));
        }
      }
      const float alpha = sum / (kSubsamples * kSubsamples);
      block.insert(block.end(), {0xFF, 0xFF, 0xFF, static_cast<uint8_t>(std::lround(alpha * 255.0f))});
    }
  }
  return block;
}

void Particle_LoadShapeTextures() {
  for (int shape = 0; shape < kParticleShapeCount; ++shape) Particle_ShapeTexture(shape);
}

HardwareTexture* Particle_ShapeTexture(int32_t shape) {
  if (shape < 0 || shape >= kParticleShapeCount) return nullptr;
  if (g_textures[shape] == nullptr) g_textures[shape] = LoadTextureFromEmbedded(shape + 1);
  return g_textures[shape].get();
}

void Particle_FreeShapeTextures() {
  for (auto& texture : g_textures) {
    if (texture != nullptr) GR_D3D_Batch_ForgetTexture(texture.get());
    texture.reset();
  }
}
