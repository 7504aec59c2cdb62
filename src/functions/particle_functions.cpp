#include "functions/particle_functions.h"

#include "functions/argument_helpers.h"
#include "graphics/particles/particle_effects.h"
#include "graphics/particles/particle_systems.h"
#include "graphics/particles/particle_types.h"
#include "script/function_table.h"

namespace {

using Args = ScriptValue*;

// Indices, shapes, kinds, colours, lives and counts are rounded; positions, sizes, speeds,
// angles and alphas narrowed to single precision; flags are true from 0.5.
int32_t N(const ScriptValue& v) { return Arg_Rounded(v); }
float S(const ScriptValue& v) { return Arg_Single(v); }
bool B(const ScriptValue& v) { return Arg_Flag(v); }
void Answer(ScriptValue& r, bool yes) { r.SetReal(yes ? 1.0 : 0.0); }

// ---- part_type_* ----

void F_PartTypeCreate(ScriptValue& r, CInstance*, CInstance*, int, Args) { r.SetReal(ParticleType_Create()); }
void F_PartTypeDestroy(ScriptValue&, CInstance*, CInstance*, int, Args a) { ParticleType_Destroy(N(a[0])); }
void F_PartTypeExists(ScriptValue& r, CInstance*, CInstance*, int, Args a) {
  Answer(r, ParticleType_Exists(N(a[0])));
}
void F_PartTypeClear(ScriptValue&, CInstance*, CInstance*, int, Args a) { ParticleType_Clear(N(a[0])); }
void F_PartTypeShape(ScriptValue&, CInstance*, CInstance*, int, Args a) { ParticleType_Shape(N(a[0]), N(a[1])); }
void F_PartTypeSprite(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  ParticleType_Sprite(N(a[0]), N(a[1]), B(a[2]), B(a[3]), B(a[4]));
}
void F_PartTypeSize(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  ParticleType_Size(N(a[0]), S(a[1]), S(a[2]), S(a[3]), S(a[4]));
}
void F_PartTypeScale(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  ParticleType_Scale(N(a[0]), S(a[1]), S(a[2]));
}
void F_PartTypeLife(ScriptValue&, CInstance*, CInstance*, int, Args a) { ParticleType_Life(N(a[0]), N(a[1]), N(a[2])); }
void F_PartTypeStep(ScriptValue&, CInstance*, CInstance*, int, Args a) { ParticleType_Step(N(a[0]), N(a[1]), N(a[2])); }
void F_PartTypeDeath(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  ParticleType_Death(N(a[0]), N(a[1]), N(a[2]));
}
void F_PartTypeSpeed(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  ParticleType_Speed(N(a[0]), S(a[1]), S(a[2]), S(a[3]), S(a[4]));
}
void F_PartTypeDirection(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  ParticleType_Direction(N(a[0]), S(a[1]), S(a[2]), S(a[3]), S(a[4]));
}
void F_PartTypeOrientation(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  ParticleType_Orientation(N(a[0]), S(a[1]), S(a[2]), S(a[3]), S(a[4]), B(a[5]));
}
void F_PartTypeGravity(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  ParticleType_Gravity(N(a[0]), S(a[1]), S(a[2]));
}
void F_PartTypeColorMix(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  ParticleType_ColorMix(N(a[0]), N(a[1]), N(a[2]));
}
void F_PartTypeColorRgb(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  ParticleType_ColorRGB(N(a[0]), N(a[1]), N(a[2]), N(a[3]), N(a[4]), N(a[5]), N(a[6]));
}
void F_PartTypeColorHsv(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  ParticleType_ColorHSV(N(a[0]), N(a[1]), N(a[2]), N(a[3]), N(a[4]), N(a[5]), N(a[6]));
}
void F_PartTypeColor1(ScriptValue&, CInstance*, CInstance*, int, Args a) { ParticleType_Color1(N(a[0]), N(a[1])); }
void F_PartTypeColor2(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  ParticleType_Color2(N(a[0]), N(a[1]), N(a[2]));
}
void F_PartTypeColor3(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  ParticleType_Color3(N(a[0]), N(a[1]), N(a[2]), N(a[3]));
}
void F_PartTypeAlpha1(ScriptValue&, CInstance*, CInstance*, int, Args a) { ParticleType_Alpha1(N(a[0]), S(a[1])); }
void F_PartTypeAlpha2(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  ParticleType_Alpha2(N(a[0]), S(a[1]), S(a[2]));
}
void F_PartTypeAlpha3(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  ParticleType_Alpha3(N(a[0]), S(a[1]), S(a[2]), S(a[3]));
}
void F_PartTypeBlend(ScriptValue&, CInstance*, CInstance*, int, Args a) { ParticleType_Blend(N(a[0]), B(a[1])); }

// ---- part_system_* and part_particles_* ----

void F_PartSystemCreate(ScriptValue& r, CInstance*, CInstance*, int, Args) { r.SetReal(ParticleSystem_Create()); }
void F_PartSystemDestroy(ScriptValue&, CInstance*, CInstance*, int, Args a) { ParticleSystem_Destroy(N(a[0])); }
void F_PartSystemExists(ScriptValue& r, CInstance*, CInstance*, int, Args a) {
  Answer(r, ParticleSystem_Exists(N(a[0])));
}
void F_PartSystemClear(ScriptValue&, CInstance*, CInstance*, int, Args a) { ParticleSystem_Clear(N(a[0])); }
void F_PartSystemDrawOrder(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  ParticleSystem_DrawOrder(N(a[0]), B(a[1]));
}
void F_PartSystemDepth(ScriptValue&, CInstance*, CInstance*, int, Args a) { ParticleSystem_Depth(N(a[0]), S(a[1])); }
void F_PartSystemPosition(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  ParticleSystem_Position(N(a[0]), S(a[1]), S(a[2]));
}
void F_PartSystemAutomaticUpdate(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  ParticleSystem_AutomaticUpdate(N(a[0]), B(a[1]));
}
void F_PartSystemAutomaticDraw(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  ParticleSystem_AutomaticDraw(N(a[0]), B(a[1]));
}
void F_PartSystemUpdate(ScriptValue&, CInstance*, CInstance*, int, Args a) { ParticleSystem_Update(N(a[0])); }
void F_PartSystemDrawit(ScriptValue&, CInstance*, CInstance*, int, Args a) { ParticleSystem_Draw(N(a[0])); }
void F_PartParticlesCreate(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  ParticleSystem_CreateParticles(N(a[0]), S(a[1]), S(a[2]), N(a[3]), N(a[4]));
}
void F_PartParticlesCreateColor(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  ParticleSystem_CreateParticlesColor(N(a[0]), S(a[1]), S(a[2]), N(a[3]), N(a[4]), N(a[5]));
}
void F_PartParticlesClear(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  ParticleSystem_ClearParticles(N(a[0]));
}
void F_PartParticlesCount(ScriptValue& r, CInstance*, CInstance*, int, Args a) {
  r.SetReal(ParticleSystem_CountParticles(N(a[0])));
}

// ---- the actors: the five kinds share create, destroy, destroy all, exists and clear ----

template <int32_t (*Create)(int32_t)>
void F_ActorCreate(ScriptValue& r, CInstance*, CInstance*, int, Args a) {
  r.SetReal(Create(N(a[0])));
}
template <void (*Destroy)(int32_t, int32_t)>
void F_ActorDestroy(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  Destroy(N(a[0]), N(a[1]));
}
template <void (*DestroyAll)(int32_t)>
void F_ActorDestroyAll(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  DestroyAll(N(a[0]));
}
template <bool (*Exists)(int32_t, int32_t)>
void F_ActorExists(ScriptValue& r, CInstance*, CInstance*, int, Args a) {
  Answer(r, Exists(N(a[0]), N(a[1])));
}
template <void (*Clear)(int32_t, int32_t)>
void F_ActorClear(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  Clear(N(a[0]), N(a[1]));
}

void F_PartEmitterRegion(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  ParticleEmitter_Region(N(a[0]), N(a[1]), S(a[2]), S(a[3]), S(a[4]), S(a[5]), N(a[6]), N(a[7]));
}
void F_PartEmitterBurst(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  ParticleEmitter_Burst(N(a[0]), N(a[1]), N(a[2]), N(a[3]));
}
void F_PartEmitterStream(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  ParticleEmitter_Stream(N(a[0]), N(a[1]), N(a[2]), N(a[3]));
}
void F_PartAttractorPosition(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  ParticleAttractor_Position(N(a[0]), N(a[1]), S(a[2]), S(a[3]));
}
void F_PartAttractorForce(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  ParticleAttractor_Force(N(a[0]), N(a[1]), S(a[2]), S(a[3]), N(a[4]), B(a[5]));
}
void F_PartDestroyerRegion(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  ParticleDestroyer_Region(N(a[0]), N(a[1]), S(a[2]), S(a[3]), S(a[4]), S(a[5]), N(a[6]));
}
void F_PartDeflectorRegion(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  ParticleDeflector_Region(N(a[0]), N(a[1]), S(a[2]), S(a[3]), S(a[4]), S(a[5]));
}
void F_PartDeflectorKind(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  ParticleDeflector_Kind(N(a[0]), N(a[1]), N(a[2]));
}
void F_PartDeflectorFriction(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  ParticleDeflector_Friction(N(a[0]), N(a[1]), S(a[2]));
}
void F_PartChangerRegion(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  ParticleChanger_Region(N(a[0]), N(a[1]), S(a[2]), S(a[3]), S(a[4]), S(a[5]), N(a[6]));
}
void F_PartChangerKind(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  ParticleChanger_Kind(N(a[0]), N(a[1]), N(a[2]));
}
void F_PartChangerTypes(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  ParticleChanger_Types(N(a[0]), N(a[1]), N(a[2]), N(a[3]));
}

// ---- effect_* ----

template <bool Below>
void F_EffectCreate(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  Effect_Create(Below, N(a[0]), S(a[1]), S(a[2]), N(a[3]), N(a[4]));
}
void F_EffectClear(ScriptValue&, CInstance*, CInstance*, int, Args) { Effect_Clear(); }

struct Builtin {
  const char* name;
  BuiltinFunction implementation;
  int argc;
};

const Builtin kBuiltins[] = {
    {"part_type_create", F_PartTypeCreate, 0},
    {"part_type_destroy", F_PartTypeDestroy, 1},
    {"part_type_exists", F_PartTypeExists, 1},
    {"part_type_clear", F_PartTypeClear, 1},
    {"part_type_shape", F_PartTypeShape, 2},
    {"part_type_sprite", F_PartTypeSprite, 5},
    {"part_type_size", F_PartTypeSize, 5},
    {"part_type_scale", F_PartTypeScale, 3},
    {"part_type_life", F_PartTypeLife, 3},
    {"part_type_step", F_PartTypeStep, 3},
    {"part_type_death", F_PartTypeDeath, 3},
    {"part_type_speed", F_PartTypeSpeed, 5},
    {"part_type_direction", F_PartTypeDirection, 5},
    {"part_type_orientation", F_PartTypeOrientation, 6},
    {"part_type_gravity", F_PartTypeGravity, 3},
    {"part_type_color_mix", F_PartTypeColorMix, 3},
    {"part_type_color_rgb", F_PartTypeColorRgb, 7},
    {"part_type_color_hsv", F_PartTypeColorHsv, 7},
    {"part_type_color1", F_PartTypeColor1, 2},
    {"part_type_color2", F_PartTypeColor2, 3},
    {"part_type_color3", F_PartTypeColor3, 4},
    {"part_type_color", F_PartTypeColor3, 4},
    {"part_type_alpha1", F_PartTypeAlpha1, 2},
    {"part_type_alpha2", F_PartTypeAlpha2, 3},
    {"part_type_alpha3", F_PartTypeAlpha3, 4},
    {"part_type_alpha", F_PartTypeAlpha3, 4},
    {"part_type_blend", F_PartTypeBlend, 2},
    {"part_system_create", F_PartSystemCreate, 0},
    {"part_system_destroy", F_PartSystemDestroy, 1},
    {"part_system_exists", F_PartSystemExists, 1},
    {"part_system_clear", F_PartSystemClear, 1},
    {"part_system_draw_order", F_PartSystemDrawOrder, 2},
    {"part_system_depth", F_PartSystemDepth, 2},
    {"part_system_position", F_PartSystemPosition, 3},
    {"part_system_automatic_update", F_PartSystemAutomaticUpdate, 2},
    {"part_system_automatic_draw", F_PartSystemAutomaticDraw, 2},
    {"part_system_update", F_PartSystemUpdate, 1},
    {"part_system_drawit", F_PartSystemDrawit, 1},
    {"part_particles_create", F_PartParticlesCreate, 5},
    {"part_particles_create_color", F_PartParticlesCreateColor, 6},
    {"part_particles_clear", F_PartParticlesClear, 1},
    {"part_particles_count", F_PartParticlesCount, 1},
    {"part_emitter_create", F_ActorCreate<ParticleEmitter_Create>, 1},
    {"part_emitter_destroy", F_ActorDestroy<ParticleEmitter_Destroy>, 2},
    {"part_emitter_destroy_all", F_ActorDestroyAll<ParticleEmitter_DestroyAll>, 1},
    {"part_emitter_exists", F_ActorExists<ParticleEmitter_Exists>, 2},
    {"part_emitter_clear", F_ActorClear<ParticleEmitter_Clear>, 2},
    {"part_emitter_region", F_PartEmitterRegion, 8},
    {"part_emitter_burst", F_PartEmitterBurst, 4},
    {"part_emitter_stream", F_PartEmitterStream, 4},
    {"part_attractor_create", F_ActorCreate<ParticleAttractor_Create>, 1},
    {"part_attractor_destroy", F_ActorDestroy<ParticleAttractor_Destroy>, 2},
    {"part_attractor_destroy_all", F_ActorDestroyAll<ParticleAttractor_DestroyAll>, 1},
    {"part_attractor_exists", F_ActorExists<ParticleAttractor_Exists>, 2},
    {"part_attractor_clear", F_ActorClear<ParticleAttractor_Clear>, 2},
    {"part_attractor_position", F_PartAttractorPosition, 4},
    {"part_attractor_force", F_PartAttractorForce, 6},
    {"part_destroyer_create", F_ActorCreate<ParticleDestroyer_Create>, 1},
    {"part_destroyer_destroy", F_ActorDestroy<ParticleDestroyer_Destroy>, 2},
    {"part_destroyer_destroy_all", F_ActorDestroyAll<ParticleDestroyer_DestroyAll>, 1},
    {"part_destroyer_exists", F_ActorExists<ParticleDestroyer_Exists>, 2},
    {"part_destroyer_clear", F_ActorClear<ParticleDestroyer_Clear>, 2},
    {"part_destroyer_region", F_PartDestroyerRegion, 7},
    {"part_deflector_create", F_ActorCreate<ParticleDeflector_Create>, 1},
    {"part_deflector_destroy", F_ActorDestroy<ParticleDeflector_Destroy>, 2},
    {"part_deflector_destroy_all", F_ActorDestroyAll<ParticleDeflector_DestroyAll>, 1},
    {"part_deflector_exists", F_ActorExists<ParticleDeflector_Exists>, 2},
    {"part_deflector_clear", F_ActorClear<ParticleDeflector_Clear>, 2},
    {"part_deflector_region", F_PartDeflectorRegion, 6},
    {"part_deflector_kind", F_PartDeflectorKind, 3},
    {"part_deflector_friction", F_PartDeflectorFriction, 3},
    {"part_changer_create", F_ActorCreate<ParticleChanger_Create>, 1},
    {"part_changer_destroy", F_ActorDestroy<ParticleChanger_Destroy>, 2},
    {"part_changer_destroy_all", F_ActorDestroyAll<ParticleChanger_DestroyAll>, 1},
    {"part_changer_exists", F_ActorExists<ParticleChanger_Exists>, 2},
    {"part_changer_clear", F_ActorClear<ParticleChanger_Clear>, 2},
    {"part_changer_region", F_PartChangerRegion, 7},
    {"part_changer_kind", F_PartChangerKind, 3},
    {"part_changer_types", F_PartChangerTypes, 4},
    {"effect_create_below", F_EffectCreate<true>, 5},
    {"effect_create_above", F_EffectCreate<false>, 5},
    {"effect_clear", F_EffectClear, 0},
};
static_assert(std::size(kBuiltins) == 82);

}  // namespace

void InitParticleFunctions() {
  for (const Builtin& builtin : kBuiltins) Function_Add(builtin.name, builtin.implementation, builtin.argc);
}
