// The 14 built-in particle shapes: 64 x 64 white images with the shape in their alpha, drawn by
// our own code into the embedded image table (shape k is image k + 1), and their textures.
#pragma once

#include <cstdint>
#include <vector>

struct HardwareTexture;

inline constexpr int kParticleShapeCount = 14;
inline constexpr int kParticleShapeSize = 64;

// The shape's image as a "RAW " block (empty outside 0..13).
std::vector<uint8_t> ParticleShape_RawImage(int shape);
// The textures of all 14 shapes at once (a benchmark's warm-up); inside an open frame.
void Particle_LoadShapeTextures();
// The texture of a shape, made from its embedded image the first time a shape is drawn; null
// outside 0..13 or when it could not be made.
HardwareTexture* Particle_ShapeTexture(int32_t shape);
void Particle_FreeShapeTextures();
