#include "graphics/particles/particle_systems.h"

#include <algorithm>
#include <cmath>

#include "data/sprite.h"
#include "graphics/batch.h"
#include "graphics/graphics_state.h"
#include "graphics/particles/particle_shapes.h"
#include "graphics/primitives.h"
#include "graphics/texture_table.h"
#include "platform/conversions.h"
#include "platform/random.h"

namespace {

constexpr float kDegreesToRadians = 3.1415927f / 180.0f;
constexpr float kRadiansToDegrees = 180.0f / 3.1415927f;
constexpr float kNoDepth = -1e9f;

std::vector<std::unique_ptr<ParticleSystem>> g_systems;

// ---- actors: one slot array per kind, with the same create / destroy / find rules ----

template <class Actor>
using ActorList = std::vector<Actor> ParticleSystem::*;

template <class Actor>
Actor* FindActor(int32_t system, int32_t index, ActorList<Actor> list) {
  ParticleSystem* s = ParticleSystem_Get(system);
  if (s == nullptr) return nullptr;
  std::vector<Actor>& actors = s->*list;
  if (index < 0 || static_cast<size_t>(index) >= actors.size() || !actors[index].used) return nullptr;
  return &actors[index];
}

template <class Actor>
int32_t CreateActor(int32_t system, ActorList<Actor> list) {
  ParticleSystem* s = ParticleSystem_Get(system);
  if (s == nullptr) return -1;
  std::vector<Actor>& actors = s->*list;
  size_t index = 0;
  while (index < actors.size() && actors[index].used) ++index;
  if (index == actors.size()) actors.emplace_back();
  actors[index] = Actor{};
  actors[index].used = true;
  return static_cast<int32_t>(index);
}

template <class Actor>
void DestroyActor(int32_t system, int32_t index, ActorList<Actor> list) {
  if (Actor* a = FindActor(system, index, list)) a->used = false;
}

template <class Actor>
void DestroyAllActors(int32_t system, ActorList<Actor> list) {
  if (ParticleSystem* s = ParticleSystem_Get(system)) std::vector<Actor>().swap(s->*list);
}

template <class Actor>
void ClearActor(int32_t system, int32_t index, ActorList<Actor> list) {
  if (Actor* a = FindActor(system, index, list)) {
    *a = Actor{};
    a->used = true;
  }
}

template <class Actor>
void SetRegion(Actor& a, float xmin, float xmax, float ymin, float ymax) {
  a.xmin = xmin;
  a.xmax = xmax;
  a.ymin = ymin;
  a.ymax = ymax;
}

// ---- particles ----

// How many particles a spawn setting makes: n > 0 makes n, n < 0 one with a chance of 1 in -n.
int32_t SpawnCount(int32_t number) {
  if (number > 0) return number;
  if (number == 0) return 0;
  const int32_t odds = number == INT32_MIN ? INT32_MAX : -number;
  return Random_Below(odds) == 0 ? 1 : 0;
}

// Room for `more` particles, growing geometrically so that appending one at a time stays cheap.
void Reserve(ParticleSystem& s, int32_t more) {
  const size_t needed = s.particles.size() + static_cast<size_t>(more);
  if (needed > s.particles.capacity()) s.particles.reserve(std::max(needed, s.particles.capacity() * 2));
}

// Appends number newborns; returns how many were made (none past the system's limit).
int32_t AppendParticles(ParticleSystem& s, float x, float y, int32_t type, int32_t number) {
  if (number < 1 || !ParticleType_Exists(type)) return 0;
  const int64_t room = kParticleSystemLimit - static_cast<int64_t>(s.particles.size());
  const int32_t made = static_cast<int32_t>(std::clamp<int64_t>(number, 0, room));
  if (made == 0) return 0;
  Reserve(s, made);
  for (int32_t i = 0; i < made; ++i) {
    Particle p;
    ParticleType_InitParticle(x, y, type, p);
    s.particles.push_back(p);
  }
  return made;
}

// The record of a particle's type, looked up again only when the type changes from one particle
// to the next (particles come in runs of one type).
class TypeRecords {
 public:
  const ParticleType* operator()(int32_t index) {
    if (index != index_) {
      index_ = index;
      record_ = ParticleType_Record(index);
    }
    return record_;
  }

 private:
  int32_t index_ = -1;
  const ParticleType* record_ = nullptr;  // the record of -1
};

void RemoveDead(ParticleSystem& s) {
  std::erase_if(s.particles, [](const Particle& p) { return !p.alive; });
}

float Tri(float u) { return (u > 2.0f ? 4.0f - u : u) - 1.0f; }

// ---- the passes of one update ----

// Ages every particle, the ones born in this pass included; makes death and step particles at
// the parent's position. The system's limit bounds a type that spawns its own kind.
void Age(ParticleSystem& s) {
  TypeRecords types;
  bool anyDead = false;
  // A spawn setting of 0 makes nothing and draws nothing from the generator: it is skipped.
  for (size_t i = 0; i < s.particles.size(); ++i) {
    Particle& p = s.particles[i];
    p.age += 1;
    const ParticleType* t = types(p.type);
    if (t == nullptr) continue;
    const float x = p.x, y = p.y;
    if (p.age >= p.life) {
      p.alive = false;
      anyDead = true;
      if (t->deathNumber != 0) AppendParticles(s, x, y, t->deathType, SpawnCount(t->deathNumber));
    } else if (t->stepNumber != 0) {
      AppendParticles(s, x, y, t->stepType, SpawnCount(t->stepNumber));
    }
  }
  if (anyDead) RemoveDead(s);
}

void Move(ParticleSystem& s) {
  const bool anyAttractor = !s.attractors.empty();
  TypeRecords types;
  const ParticleType* gravityOf = nullptr;
  float gravityX = 0.0f, gravityY = 0.0f;  // the pull of gravityOf's gravity, a step
  for (Particle& p : s.particles) {
    const ParticleType* t = types(p.type);
    if (t == nullptr) continue;
    p.xprevious = p.x;
    p.yprevious = p.y;
    p.speed += t->speedIncrease;
    if (p.speed < 0.0f) p.speed = 0.0f;
    p.direction += t->directionIncrease;
    p.orientation += t->orientationIncrease;
    float ox = 0.0f, oy = 0.0f;
    if (t->gravityAmount != 0.0f || anyAttractor) {
      const float d = p.direction * kDegreesToRadians;
      float vx = std::cos(d) * p.speed;
      float vy = -std::sin(d) * p.speed;
      if (t != gravityOf) {
        gravityOf = t;
        const float g = t->gravityDirection * kDegreesToRadians;
        gravityX = std::cos(g) * t->gravityAmount;
        gravityY = -std::sin(g) * t->gravityAmount;
      }
      vx += gravityX;
      vy += gravityY;
      for (const ParticleAttractor& a : s.attractors) {
        if (!a.used) continue;
        const float dx = a.x - p.x, dy = a.y - p.y;
        const float dist = std::sqrt(dx * dx + dy * dy);
        if (dist > a.distance || dist == 0.0f || a.force == 0.0f || a.distance == 0.0f) continue;
        float fx = a.force * dx / dist, fy = a.force * dy / dist;
        const float falloff = (a.distance - dist) / a.distance;
        if (a.kind == 1) {
          fx *= falloff;
          fy *= falloff;
        } else if (a.kind == 2) {
          fx *= falloff * falloff;
          fy *= falloff * falloff;
        }
        if (a.additive) {
          vx += fx;
          vy += fy;
        } else {
          ox += fx;
          oy += fy;
        }
      }
      Particle_VectorToMotion(vx, vy, p.direction, p.speed);
    }
    const int64_t w = p.wiggleSeed, age = p.age;
    const float directionWave = Tri(static_cast<float>((age + 3 * w) % 24) / 6.0f);
    const float speedWave = Tri(static_cast<float>((age + 4 * w) % 20) / 5.0f);
    const float direction = (p.direction + t->directionWiggle * directionWave) * kDegreesToRadians;
    const float speed = p.speed + t->speedWiggle * speedWave;
    p.x += std::cos(direction) * speed + ox;
    p.y += -std::sin(direction) * speed + oy;
  }
}

bool InRegion(const Particle& p, float xmin, float xmax, float ymin, float ymax) {
  return p.x >= xmin && p.x <= xmax && p.y >= ymin && p.y <= ymax;
}

void Deflect(ParticleSystem& s) {
  for (const ParticleDeflector& d : s.deflectors) {
    if (!d.used || !(d.xmin < d.xmax) || !(d.ymin < d.ymax)) continue;
    for (Particle& p : s.particles) {
      if (!InRegion(p, d.xmin, d.xmax, d.ymin, d.ymax)) continue;
      if (d.kind == 1) {
        p.direction = 180.0f - p.direction;
        if (p.direction < 0.0f) p.direction += 360.0f;
        p.x = p.xprevious - (p.x - p.xprevious);
      } else {
        p.direction = 360.0f - p.direction;
        p.y = p.yprevious - (p.y - p.yprevious);
      }
      p.speed -= d.friction;
      if (p.speed < 0.0f) p.speed = 0.0f;
    }
  }
}

void Change(ParticleSystem& s) {
  for (const ParticleChanger& c : s.changers) {
    if (!c.used || !(c.xmin < c.xmax) || !(c.ymin < c.ymax)) continue;
    for (Particle& p : s.particles) {
      if (!InRegion(p, c.xmin, c.xmax, c.ymin, c.ymax)) continue;
      const int64_t dx = Conv_TruncToInt64(p.x - (c.xmin + c.xmax) * 0.5f);
      const int64_t dy = Conv_TruncToInt64(p.y - (c.ymin + c.ymax) * 0.5f);
      const int64_t nx = Conv_TruncToInt64(static_cast<float>(2 * dx) / (c.xmax - c.xmin));
      const int64_t ny = Conv_TruncToInt64(static_cast<float>(2 * dy) / (c.ymax - c.ymin));
      if (c.shape == 1 && nx * nx + ny * ny > 1) continue;
      if (c.shape == 2 && std::llabs(nx) + std::llabs(ny) > 1) continue;
      if (p.type != c.type1) continue;
      // A particle is changed only into a type that exists: there is nothing to take otherwise.
      Particle scratch;
      if (!ParticleType_InitParticle(p.x, p.y, c.type2, scratch)) continue;
      p.type = c.type2;
      if (c.kind == 0) {
        p = scratch;
      } else if (c.kind == 1) {
        p.colour = scratch.colour;
        p.alpha = scratch.alpha;
        p.size = scratch.size;
        p.startFrame = scratch.startFrame;
        p.orientation = scratch.orientation;
      } else {
        p.speed = scratch.speed;
        p.direction = scratch.direction;
      }
    }
  }
}

void DestroyPass(ParticleSystem& s) {
  for (const ParticleDestroyer& d : s.destroyers) {
    if (!d.used || !(d.xmin < d.xmax) || !(d.ymin < d.ymax)) continue;
    for (Particle& p : s.particles) {
      if (!InRegion(p, d.xmin, d.xmax, d.ymin, d.ymax)) continue;
      const float nx = (p.x - (d.xmin + d.xmax) * 0.5f) * 2.0f / (d.xmax - d.xmin);
      const float ny = (p.y - (d.ymin + d.ymax) * 0.5f) * 2.0f / (d.ymax - d.ymin);
      if (d.shape == 0 || (d.shape == 1 && nx * nx + ny * ny <= 1.0f) ||
          (d.shape == 2 && std::fabs(nx) + std::fabs(ny) <= 1.0f)) {
        p.alive = false;
      }
    }
  }
  RemoveDead(s);
}

float FadedAlpha(const ParticleType& t, int32_t age, int32_t life) {
  if (life <= 0) return t.alpha2;
  const float f = 2.0f * static_cast<float>(age) / static_cast<float>(life);
  return f < 1.0f ? (1.0f - f) * t.alpha1 + f * t.alpha2 : (2.0f - f) * t.alpha2 + (f - 1.0f) * t.alpha3;
}

// The fading colour and alpha of one type at one age and life. Particles born together share
// them, so the last one worked out is kept for the next particle.
struct Fade {
  const ParticleType* type = nullptr;
  int32_t age = 0, life = 0;
  int32_t colour = 0;
  float alpha = 0.0f;
};

void Appearance(ParticleSystem& s) {
  TypeRecords types;
  Fade fade;
  for (Particle& p : s.particles) {
    const ParticleType* t = types(p.type);
    if (t == nullptr) continue;
    p.size += t->sizeIncrease;
    if (p.size < 0.0f) p.size = 0.0f;
    if (p.age <= 0 || p.life <= 0) {
      // The birth branch draws from the generator: never shared.
      Particle_ComputeColour(p);
      p.alpha = FadedAlpha(*t, p.age, p.life);
      continue;
    }
    // Past birth only the fading modes change the colour.
    const bool fading = t->colourMode == 1 || t->colourMode == 2;
    if (t != fade.type || p.age != fade.age || p.life != fade.life) {
      fade.type = t;
      fade.age = p.age;
      fade.life = p.life;
      if (fading) {
        Particle faded = p;
        Particle_ComputeColour(faded);
        fade.colour = faded.colour;
      }
      fade.alpha = FadedAlpha(*t, p.age, p.life);
    }
    if (fading) p.colour = fade.colour;
    p.alpha = fade.alpha;
  }
}

// ---- drawing ----

// What drawing needs of a particle's type, looked up once for each run of particles of one type.
struct TypeLook {
  int32_t index = -1;
  const ParticleType* type = nullptr;  // null: particles of this type draw nothing
  const CSprite* sprite = nullptr;
  HardwareTexture* texture = nullptr;  // the shape's texture when there is no sprite
};

TypeLook LookUpType(int32_t index) {
  TypeLook look;
  look.index = index;
  const ParticleType* t = ParticleType_Record(index);
  if (t == nullptr) return look;
  if (Sprite_Exists(t->sprite)) {
    look.sprite = Sprite_Data(t->sprite);
    if (look.sprite == nullptr || look.sprite->GetFrameCount() <= 0) return look;
  } else {
    look.texture = Particle_ShapeTexture(t->shape);
    if (look.texture == nullptr) return look;
  }
  look.type = t;
  return look;
}

// Writes shape particles straight into the batch, reserving room for many at a time; what was
// reserved and not written is handed back before anything else reaches the batch.
class ShapeWriter {
 public:
  ShapeWriter(float sx, float sy) : sx_(sx), sy_(sy), z_(GR_Draw_Vertex_Z()) {}
  ~ShapeWriter() { Release(); }
  ShapeWriter(const ShapeWriter&) = delete;
  ShapeWriter& operator=(const ShapeWriter&) = delete;

  // `upTo`: how many particles may still come (a bound on the room worth reserving).
  void Write(const Particle& p, const ParticleType& t, HardwareTexture* texture, float angle, float size,
             size_t upTo) {
    if (texture != texture_ || room_ == 0) {
      Release();
      const size_t quads = std::min(upTo, static_cast<size_t>(kBatchCapacity / 4));
      next_ = static_cast<Vertex24*>(GR_D3D_Batch_Reserve(kBatchQuadList, texture, 24, static_cast<int>(quads * 4)));
      if (next_ == nullptr) return;
      texture_ = texture;
      room_ = quads;
    }
    Quad(p, t, angle, size, next_);
    next_ += 4;
    --room_;
  }

  // Hands the unwritten room back to the batch.
  void Release() {
    if (room_ > 0) GR_D3D_Batch_Unreserve(static_cast<int>(room_ * 4));
    room_ = 0;
    texture_ = nullptr;
    next_ = nullptr;
  }

 private:
  // The four corners in fan order, drawn as the triangles (0, 1, 2) and (0, 2, 3); consecutive
  // particles of one texture share a draw.
  void Quad(const Particle& p, const ParticleType& t, float angle, float size, Vertex24* v) const {
    const float cx = static_cast<float>(Conv_TruncToInt32(p.x + sx_));
    const float cy = static_cast<float>(Conv_TruncToInt32(p.y + sy_));
    const float hx = 32.0f * t.xscale * size, hy = 32.0f * t.yscale * size;
    const uint32_t colour = GR_Color_Alpha_To_ARGB(static_cast<uint32_t>(p.colour), p.alpha);
    if (std::fabs(angle) >= 0.01f) {
      const float c = std::cos(angle * kDegreesToRadians);
      const float s = std::sin(angle * kDegreesToRadians);
      v[0] = {cx + c * -hx + s * -hy, cy - s * -hx + c * -hy, z_, colour, 0.0f, 0.0f};
      v[1] = {cx + c * hx + s * -hy, cy - s * hx + c * -hy, z_, colour, 1.0f, 0.0f};
      v[2] = {cx + c * hx + s * hy, cy - s * hx + c * hy, z_, colour, 1.0f, 1.0f};
      v[3] = {cx + c * -hx + s * hy, cy - s * -hx + c * hy, z_, colour, 0.0f, 1.0f};
    } else {
      v[0] = {cx + -hx, cy + -hy, z_, colour, 0.0f, 0.0f};
      v[1] = {cx + hx, cy + -hy, z_, colour, 1.0f, 0.0f};
      v[2] = {cx + hx, cy + hy, z_, colour, 1.0f, 1.0f};
      v[3] = {cx + -hx, cy + hy, z_, colour, 0.0f, 1.0f};
    }
  }

  float sx_, sy_, z_;
  HardwareTexture* texture_ = nullptr;
  Vertex24* next_ = nullptr;
  size_t room_ = 0;
};

// `upTo`: how many particles of the system, this one included, are still to be drawn.
void DrawParticle(const Particle& p, const TypeLook& look, ShapeWriter& shapes, float sx, float sy, size_t upTo) {
  if (p.life <= 0 || look.type == nullptr) return;
  const ParticleType& t = *look.type;
  const int64_t w = p.wiggleSeed, age = p.age;
  float angle = p.orientation + (t.orientationRelative ? p.direction : 0.0f);
  angle += t.orientationWiggle * Tri(static_cast<float>((age + 2 * w) % 16) * 0.25f);
  const float size = p.size + t.sizeWiggle * Tri(static_cast<float>((age + w) % 16) * 0.25f);
  if (look.sprite == nullptr && !t.additive) {
    shapes.Write(p, t, look.texture, angle, size, upTo);
    return;
  }
  shapes.Release();
  if (t.additive) GR_Blend_Mode(1);
  if (look.sprite != nullptr) {
    int64_t frame = p.startFrame;
    if (t.animate) frame += t.stretch ? age * look.sprite->GetFrameCount() / p.life : age;
    look.sprite->Draw(static_cast<int32_t>(frame % INT32_MAX), p.x + sx, p.y + sy, t.xscale * size, t.yscale * size,
                      angle, static_cast<uint32_t>(p.colour), p.alpha);
  } else {
    shapes.Write(p, t, look.texture, angle, size, 1);
    shapes.Release();
  }
  if (t.additive) GR_Blend_Mode(0);
}

// Draws the particles in the order given (oldest or newest first).
template <class Iterator>
void DrawParticles(Iterator first, Iterator last, float sx, float sy) {
  ShapeWriter shapes(sx, sy);
  TypeLook look;
  for (size_t left = static_cast<size_t>(last - first); first != last; ++first, --left) {
    if (first->type != look.index) {
      shapes.Release();  // looking up a shape may make its texture
      look = LookUpType(first->type);
    }
    DrawParticle(*first, look, shapes, sx, sy, left);
  }
}

}  // namespace

// ---- systems ----

ParticleSystem* ParticleSystem_Get(int32_t system) {
  if (system < 0 || static_cast<size_t>(system) >= g_systems.size() || !g_systems[system]->used) return nullptr;
  return g_systems[system].get();
}

int32_t ParticleSystem_Create() {
  size_t index = 0;
  while (index < g_systems.size() && g_systems[index]->used) ++index;
  if (index == g_systems.size()) g_systems.push_back(std::make_unique<ParticleSystem>());
  g_systems[index]->used = true;
  ParticleSystem_Clear(static_cast<int32_t>(index));
  return static_cast<int32_t>(index);
}

void ParticleSystem_Destroy(int32_t system) {
  ParticleSystem* s = ParticleSystem_Get(system);
  if (s == nullptr) return;
  ParticleSystem_Clear(system);
  s->used = false;
}

bool ParticleSystem_Exists(int32_t system) { return ParticleSystem_Get(system) != nullptr; }

void ParticleSystem_Clear(int32_t system) {
  if (ParticleSystem* s = ParticleSystem_Get(system)) {
    *s = ParticleSystem{};
    s->used = true;
  }
}

void ParticleSystem_DrawOrder(int32_t system, bool oldestFirst) {
  if (ParticleSystem* s = ParticleSystem_Get(system)) s->oldestFirst = oldestFirst;
}
void ParticleSystem_Depth(int32_t system, float depth) {
  if (ParticleSystem* s = ParticleSystem_Get(system)) s->depth = depth;
}
void ParticleSystem_Position(int32_t system, float x, float y) {
  if (ParticleSystem* s = ParticleSystem_Get(system)) {
    s->x = x;
    s->y = y;
  }
}
void ParticleSystem_AutomaticUpdate(int32_t system, bool on) {
  if (ParticleSystem* s = ParticleSystem_Get(system)) s->automaticUpdate = on;
}
void ParticleSystem_AutomaticDraw(int32_t system, bool on) {
  if (ParticleSystem* s = ParticleSystem_Get(system)) s->automaticDraw = on;
}

void ParticleSystem_Update(int32_t system) {
  ParticleSystem* s = ParticleSystem_Get(system);
  if (s == nullptr) return;
  Age(*s);
  Move(*s);
  if (!s->deflectors.empty()) Deflect(*s);
  if (!s->changers.empty()) Change(*s);
  if (!s->destroyers.empty()) DestroyPass(*s);
  Appearance(*s);
  // Streams, in emitter order.
  for (size_t e = 0; e < s->emitters.size(); ++e) {
    const ParticleEmitter emitter = s->emitters[e];
    if (emitter.used && emitter.number != 0) {
      ParticleEmitter_Burst(system, static_cast<int32_t>(e), emitter.type, emitter.number);
    }
  }
}

void ParticleSystem_UpdateAll() {
  for (size_t i = 0; i < g_systems.size(); ++i) {
    if (g_systems[i]->used && g_systems[i]->automaticUpdate) ParticleSystem_Update(static_cast<int32_t>(i));
  }
}

void ParticleSystem_Draw(int32_t system) {
  ParticleSystem* s = ParticleSystem_Get(system);
  if (s == nullptr) return;
  const bool interpolation = GR_Texture_Get_Interpolation();
  if (s->oldestFirst) {
    DrawParticles(s->particles.cbegin(), s->particles.cend(), s->x, s->y);
  } else {
    DrawParticles(s->particles.crbegin(), s->particles.crend(), s->x, s->y);
  }
  GR_Texture_Set_Interpolation(interpolation);
}

void ParticleSystem_CreateParticles(int32_t system, float x, float y, int32_t type, int32_t number) {
  if (ParticleSystem* s = ParticleSystem_Get(system)) AppendParticles(*s, x, y, type, number);
}

void ParticleSystem_CreateParticlesColor(int32_t system, float x, float y, int32_t type, int32_t colour,
                                         int32_t number) {
  ParticleSystem* s = ParticleSystem_Get(system);
  if (s == nullptr) return;
  const int32_t made = AppendParticles(*s, x, y, type, number);
  for (auto p = s->particles.end() - made; p != s->particles.end(); ++p) p->colour = colour;
}

void ParticleSystem_ClearParticles(int32_t system) {
  if (ParticleSystem* s = ParticleSystem_Get(system)) std::vector<Particle>().swap(s->particles);
}

int32_t ParticleSystem_CountParticles(int32_t system) {
  const ParticleSystem* s = ParticleSystem_Get(system);
  return s == nullptr ? 0 : static_cast<int32_t>(s->particles.size());
}

void ParticleSystem_FreeAll() { g_systems.clear(); }

float ParticleSystem_Max_Draw_Depth() {
  float best = kNoDepth;
  for (const auto& s : g_systems) {
    if (s->used && s->automaticDraw) best = std::max(best, s->depth);
  }
  return best;
}

float ParticleSystem_Next_Draw_Depth(float depth) {
  float best = kNoDepth;
  for (const auto& s : g_systems) {
    if (s->used && s->automaticDraw && s->depth < depth) best = std::max(best, s->depth);
  }
  return best;
}

void ParticleSystem_Draw_At_Depth(float depth) {
  for (size_t i = 0; i < g_systems.size(); ++i) {
    const ParticleSystem& s = *g_systems[i];
    if (s.used && s.automaticDraw && std::fabs(s.depth - depth) < 0.01f) ParticleSystem_Draw(static_cast<int32_t>(i));
  }
}

void Particle_VectorToMotion(float vx, float vy, float& direction, float& speed) {
  if (vx != 0.0f) {
    const float a = std::atan2(vy, vx) * kRadiansToDegrees;
    direction = a > 0.0f ? 360.0f - a : -a;
  } else if (vy > 0.0f) {
    direction = 270.0f;
  } else if (vy < 0.0f) {
    direction = 90.0f;
  }
  direction = direction - std::floor(direction / 360.0f) * 360.0f;
  speed = std::sqrt(vx * vx + vy * vy);
}

// ---- emitters ----

int32_t ParticleEmitter_Create(int32_t system) { return CreateActor(system, &ParticleSystem::emitters); }
void ParticleEmitter_Destroy(int32_t system, int32_t index) { DestroyActor(system, index, &ParticleSystem::emitters); }
void ParticleEmitter_DestroyAll(int32_t system) { DestroyAllActors(system, &ParticleSystem::emitters); }
bool ParticleEmitter_Exists(int32_t system, int32_t index) {
  return FindActor(system, index, &ParticleSystem::emitters) != nullptr;
}
void ParticleEmitter_Clear(int32_t system, int32_t index) { ClearActor(system, index, &ParticleSystem::emitters); }

void ParticleEmitter_Region(int32_t system, int32_t index, float xmin, float xmax, float ymin, float ymax,
                            int32_t shape, int32_t distribution) {
  if (ParticleEmitter* e = FindActor(system, index, &ParticleSystem::emitters)) {
    SetRegion(*e, xmin, xmax, ymin, ymax);
    e->shape = shape;
    e->distribution = distribution;
  }
}

void ParticleEmitter_Stream(int32_t system, int32_t index, int32_t type, int32_t number) {
  if (ParticleEmitter* e = FindActor(system, index, &ParticleSystem::emitters)) {
    e->type = type;
    e->number = number;
  }
}

void ParticleEmitter_Burst(int32_t system, int32_t index, int32_t type, int32_t number) {
  ParticleSystem* s = ParticleSystem_Get(system);
  const ParticleEmitter* found = FindActor(system, index, &ParticleSystem::emitters);
  if (s == nullptr || found == nullptr) return;
  const ParticleEmitter e = *found;
  number = SpawnCount(number);
  // Past the system's limit nothing more is made: the draws would go to waste.
  number = static_cast<int32_t>(std::min<int64_t>(number, kParticleSystemLimit - static_cast<int64_t>(s->particles.size())));
  if (number < 1 || !ParticleType_Exists(type)) return;
  Reserve(*s, number);
  const bool line = e.shape == static_cast<int32_t>(ParticleRegionShape::Line);
  for (int32_t made = 0; made < number;) {
    float fx = Particle_RandomInRange(0.0f, 1.0f, e.distribution);
    float fy = Particle_RandomInRange(0.0f, 1.0f, e.distribution);
    if (e.distribution == static_cast<int32_t>(ParticleDistribution::InverseGaussian) && !line) {
      if (Random_Fraction() < 0.5f) {
        fx = Random_Fraction();
      } else {
        fy = Random_Fraction();
      }
    }
    const float dx = fx - 0.5f, dy = fy - 0.5f;
    if (e.shape == static_cast<int32_t>(ParticleRegionShape::Ellipse) && dx * dx + dy * dy > 0.25f) continue;
    if (e.shape == static_cast<int32_t>(ParticleRegionShape::Diamond) && std::fabs(dx) + std::fabs(dy) > 0.5f) {
      continue;
    }
    const float x = e.xmin + (e.xmax - e.xmin) * fx;
    const float y = e.ymin + (e.ymax - e.ymin) * (line ? fx : fy);
    AppendParticles(*s, x, y, type, 1);
    ++made;
  }
}

// ---- attractors ----

int32_t ParticleAttractor_Create(int32_t system) { return CreateActor(system, &ParticleSystem::attractors); }
void ParticleAttractor_Destroy(int32_t system, int32_t index) {
  DestroyActor(system, index, &ParticleSystem::attractors);
}
void ParticleAttractor_DestroyAll(int32_t system) { DestroyAllActors(system, &ParticleSystem::attractors); }
bool ParticleAttractor_Exists(int32_t system, int32_t index) {
  return FindActor(system, index, &ParticleSystem::attractors) != nullptr;
}
void ParticleAttractor_Clear(int32_t system, int32_t index) { ClearActor(system, index, &ParticleSystem::attractors); }

void ParticleAttractor_Position(int32_t system, int32_t index, float x, float y) {
  if (ParticleAttractor* a = FindActor(system, index, &ParticleSystem::attractors)) {
    a->x = x;
    a->y = y;
  }
}

void ParticleAttractor_Force(int32_t system, int32_t index, float force, float distance, int32_t kind,
                             bool additive) {
  if (ParticleAttractor* a = FindActor(system, index, &ParticleSystem::attractors)) {
    a->force = force;
    a->distance = distance;
    a->kind = kind;
    a->additive = additive;
  }
}

// ---- destroyers ----

int32_t ParticleDestroyer_Create(int32_t system) { return CreateActor(system, &ParticleSystem::destroyers); }
void ParticleDestroyer_Destroy(int32_t system, int32_t index) {
  DestroyActor(system, index, &ParticleSystem::destroyers);
}
void ParticleDestroyer_DestroyAll(int32_t system) { DestroyAllActors(system, &ParticleSystem::destroyers); }
bool ParticleDestroyer_Exists(int32_t system, int32_t index) {
  return FindActor(system, index, &ParticleSystem::destroyers) != nullptr;
}
void ParticleDestroyer_Clear(int32_t system, int32_t index) { ClearActor(system, index, &ParticleSystem::destroyers); }

void ParticleDestroyer_Region(int32_t system, int32_t index, float xmin, float xmax, float ymin, float ymax,
                              int32_t shape) {
  if (ParticleDestroyer* d = FindActor(system, index, &ParticleSystem::destroyers)) {
    SetRegion(*d, xmin, xmax, ymin, ymax);
    d->shape = shape;
  }
}

// ---- deflectors ----

int32_t ParticleDeflector_Create(int32_t system) { return CreateActor(system, &ParticleSystem::deflectors); }
void ParticleDeflector_Destroy(int32_t system, int32_t index) {
  DestroyActor(system, index, &ParticleSystem::deflectors);
}
void ParticleDeflector_DestroyAll(int32_t system) { DestroyAllActors(system, &ParticleSystem::deflectors); }
bool ParticleDeflector_Exists(int32_t system, int32_t index) {
  return FindActor(system, index, &ParticleSystem::deflectors) != nullptr;
}
void ParticleDeflector_Clear(int32_t system, int32_t index) { ClearActor(system, index, &ParticleSystem::deflectors); }

void ParticleDeflector_Region(int32_t system, int32_t index, float xmin, float xmax, float ymin, float ymax) {
  if (ParticleDeflector* d = FindActor(system, index, &ParticleSystem::deflectors)) SetRegion(*d, xmin, xmax, ymin, ymax);
}

void ParticleDeflector_Kind(int32_t system, int32_t index, int32_t kind) {
  if (ParticleDeflector* d = FindActor(system, index, &ParticleSystem::deflectors)) d->kind = kind;
}

void ParticleDeflector_Friction(int32_t system, int32_t index, float friction) {
  if (ParticleDeflector* d = FindActor(system, index, &ParticleSystem::deflectors)) d->friction = friction;
}

// ---- changers ----

int32_t ParticleChanger_Create(int32_t system) { return CreateActor(system, &ParticleSystem::changers); }
void ParticleChanger_Destroy(int32_t system, int32_t index) { DestroyActor(system, index, &ParticleSystem::changers); }
void ParticleChanger_DestroyAll(int32_t system) { DestroyAllActors(system, &ParticleSystem::changers); }
bool ParticleChanger_Exists(int32_t system, int32_t index) {
  return FindActor(system, index, &ParticleSystem::changers) != nullptr;
}
void ParticleChanger_Clear(int32_t system, int32_t index) { ClearActor(system, index, &ParticleSystem::changers); }

void ParticleChanger_Region(int32_t system, int32_t index, float xmin, float xmax, float ymin, float ymax,
                            int32_t shape) {
  if (ParticleChanger* c = FindActor(system, index, &ParticleSystem::changers)) {
    SetRegion(*c, xmin, xmax, ymin, ymax);
    c->shape = shape;
  }
}

void ParticleChanger_Types(int32_t system, int32_t index, int32_t type1, int32_t type2) {
  if (ParticleChanger* c = FindActor(system, index, &ParticleSystem::changers)) {
    c->type1 = type1;
    c->type2 = type2;
  }
}

void ParticleChanger_Kind(int32_t system, int32_t index, int32_t kind) {
  if (ParticleChanger* c = FindActor(system, index, &ParticleSystem::changers)) c->kind = kind;
}
