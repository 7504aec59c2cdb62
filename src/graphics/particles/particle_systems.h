// Particle systems: the global table of systems, each holding its living particles (in creation
// order) and the actors that act on them: emitters, attractors, destroyers, deflectors and
// changers. One update ages, moves, deflects, changes, destroys, recolours and streams, in that
// order; drawing puts every particle as a textured fan (or a sprite) at the system's offset.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "graphics/particles/particle_types.h"

enum class ParticleRegionShape : int32_t { Rectangle = 0, Ellipse = 1, Diamond = 2, Line = 3 };

struct ParticleEmitter {
  bool used = false;
  int32_t number = 0;
  float xmin = 0.0f, xmax = 0.0f, ymin = 0.0f, ymax = 0.0f;
  int32_t distribution = 0;
  int32_t shape = 0;
  int32_t type = 0;
};

struct ParticleAttractor {
  bool used = false;
  float x = 0.0f, y = 0.0f;
  float force = 0.0f, distance = 0.0f;
  int32_t kind = 0;
  bool additive = true;
};

struct ParticleDestroyer {
  bool used = false;
  float xmin = 0.0f, xmax = 0.0f, ymin = 0.0f, ymax = 0.0f;
  int32_t shape = 0;
};

struct ParticleDeflector {
  bool used = false;
  float xmin = 0.0f, xmax = 0.0f, ymin = 0.0f, ymax = 0.0f;
  int32_t kind = 0;
  float friction = 0.0f;
};

struct ParticleChanger {
  bool used = false;
  float xmin = 0.0f, xmax = 0.0f, ymin = 0.0f, ymax = 0.0f;
  int32_t shape = 0;
  int32_t type1 = -1, type2 = -1;
  int32_t kind = 0;
};

struct ParticleSystem {
  bool used = false;
  std::vector<Particle> particles;
  std::vector<ParticleEmitter> emitters;
  std::vector<ParticleAttractor> attractors;
  std::vector<ParticleDestroyer> destroyers;
  std::vector<ParticleDeflector> deflectors;
  std::vector<ParticleChanger> changers;
  bool oldestFirst = true;
  float depth = 0.0f;
  float x = 0.0f, y = 0.0f;
  bool automaticUpdate = true;
  bool automaticDraw = true;
};

// The most particles one system holds: creation beyond it makes nothing (a burst of a billion
// would otherwise exhaust memory, and a type spawning its own kind would grow without end).
inline constexpr int32_t kParticleSystemLimit = 1000000;

int32_t ParticleSystem_Create();
void ParticleSystem_Destroy(int32_t system);
bool ParticleSystem_Exists(int32_t system);
ParticleSystem* ParticleSystem_Get(int32_t system);
void ParticleSystem_Clear(int32_t system);
void ParticleSystem_DrawOrder(int32_t system, bool oldestFirst);
void ParticleSystem_Depth(int32_t system, float depth);
void ParticleSystem_Position(int32_t system, float x, float y);
void ParticleSystem_AutomaticUpdate(int32_t system, bool on);
void ParticleSystem_AutomaticDraw(int32_t system, bool on);
void ParticleSystem_Update(int32_t system);
void ParticleSystem_UpdateAll();
void ParticleSystem_Draw(int32_t system);
void ParticleSystem_CreateParticles(int32_t system, float x, float y, int32_t type, int32_t number);
void ParticleSystem_CreateParticlesColor(int32_t system, float x, float y, int32_t type, int32_t colour,
                                         int32_t number);
void ParticleSystem_ClearParticles(int32_t system);
int32_t ParticleSystem_CountParticles(int32_t system);
void ParticleSystem_FreeAll();

// For the room drawing, over the systems in use drawn automatically.
float ParticleSystem_Max_Draw_Depth();
float ParticleSystem_Next_Draw_Depth(float depth);
void ParticleSystem_Draw_At_Depth(float depth);

// Direction (degrees, 0..360) and speed of a velocity; the direction stays when both are 0.
void Particle_VectorToMotion(float vx, float vy, float& direction, float& speed);

int32_t ParticleEmitter_Create(int32_t system);
void ParticleEmitter_Destroy(int32_t system, int32_t index);
void ParticleEmitter_DestroyAll(int32_t system);
bool ParticleEmitter_Exists(int32_t system, int32_t index);
void ParticleEmitter_Clear(int32_t system, int32_t index);
void ParticleEmitter_Region(int32_t system, int32_t index, float xmin, float xmax, float ymin, float ymax,
                            int32_t shape, int32_t distribution);
void ParticleEmitter_Stream(int32_t system, int32_t index, int32_t type, int32_t number);
void ParticleEmitter_Burst(int32_t system, int32_t index, int32_t type, int32_t number);

int32_t ParticleAttractor_Create(int32_t system);
void ParticleAttractor_Destroy(int32_t system, int32_t index);
void ParticleAttractor_DestroyAll(int32_t system);
bool ParticleAttractor_Exists(int32_t system, int32_t index);
void ParticleAttractor_Clear(int32_t system, int32_t index);
void ParticleAttractor_Position(int32_t system, int32_t index, float x, float y);
void ParticleAttractor_Force(int32_t system, int32_t index, float force, float distance, int32_t kind,
                             bool additive);

int32_t ParticleDestroyer_Create(int32_t system);
void ParticleDestroyer_Destroy(int32_t system, int32_t index);
void ParticleDestroyer_DestroyAll(int32_t system);
bool ParticleDestroyer_Exists(int32_t system, int32_t index);
void ParticleDestroyer_Clear(int32_t system, int32_t index);
void ParticleDestroyer_Region(int32_t system, int32_t index, float xmin, float xmax, float ymin, float ymax,
                              int32_t shape);

int32_t ParticleDeflector_Create(int32_t system);
void ParticleDeflector_Destroy(int32_t system, int32_t index);
void ParticleDeflector_DestroyAll(int32_t system);
bool ParticleDeflector_Exists(int32_t system, int32_t index);
void ParticleDeflector_Clear(int32_t system, int32_t index);
void ParticleDeflector_Region(int32_t system, int32_t index, float xmin, float xmax, float ymin, float ymax);
void ParticleDeflector_Kind(int32_t system, int32_t index, int32_t kind);
void ParticleDeflector_Friction(int32_t system, int32_t index, float friction);

int32_t ParticleChanger_Create(int32_t system);
void ParticleChanger_Destroy(int32_t system, int32_t index);
void ParticleChanger_DestroyAll(int32_t system);
bool ParticleChanger_Exists(int32_t system, int32_t index);
void ParticleChanger_Clear(int32_t system, int32_t index);
void ParticleChanger_Region(int32_t system, int32_t index, float xmin, float xmax, float ymin, float ymax,
                            int32_t shape);
void ParticleChanger_Types(int32_t system, int32_t index, int32_t type1, int32_t type2);
void ParticleChanger_Kind(int32_t system, int32_t index, int32_t kind);
