// The particle actions over one particle system of their own (16 type slots and 16 emitter
// slots), and the CD actions. Both reach their families' built-ins by name: particles through
// part_*, the CD through cd_*. Slot numbers outside 0 to 15 are ignored.
#include <array>
#include <cstdint>

#include "functions/action_helpers.h"
#include "functions/argument_helpers.h"
#include "functions/builtin_by_name.h"
#include "script/error_report.h"

namespace {

using Args = ScriptValue*;

constexpr size_t kSlotCount = 16;

struct ActionParticles {
  int32_t system = -1;
  std::array<int32_t, kSlotCount> types;
  std::array<int32_t, kSlotCount> emitters;
  ActionParticles() { ClearSlots(); }
  void ClearSlots() {
    types.fill(-1);
    emitters.fill(-1);
  }
};

ActionParticles& Particles() {
  static ActionParticles particles;
  return particles;
}

ScriptValue Real(double value) { return ScriptValue(value); }

// The index a part_* creator answers, or -1 when the built-in is not there.
int32_t CreateBy(const char* builtin, std::initializer_list<ScriptValue> args) {
  ScriptValue index(-1.0);
  if (!Builtin_CallByName(builtin, index, nullptr, nullptr, args)) return -1;
  return Arg_Rounded(index);
}

// The action system, made when it does not exist yet; false when it cannot be made.
bool EnsureSystem() {
  ActionParticles& p = Particles();
  if (p.system < 0) p.system = CreateBy("part_system_create", {});
  return p.system >= 0;
}

// The slot's number from an argument, or null outside 0 to 15.
int32_t* Slot(std::array<int32_t, kSlotCount>& slots, const ScriptValue& arg) {
  const int32_t n = Arg_Rounded(arg);
  if (n < 0 || n >= static_cast<int32_t>(kSlotCount)) return nullptr;
  return &slots[static_cast<size_t>(n)];
}

// The particle type of the slot, made when the slot is empty; -1 when there is none.
int32_t TypeOf(const ScriptValue& arg) {
  if (!EnsureSystem()) return -1;
  int32_t* slot = Slot(Particles().types, arg);
  if (slot == nullptr) return -1;
  if (*slot < 0) *slot = CreateBy("part_type_create", {});
  return *slot;
}

void Call(const char* builtin, std::initializer_list<ScriptValue> args) {
  Builtin_CallByName(builtin, nullptr, nullptr, args);
}

void F_ActionPartsystCreate(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  ActionParticles& p = Particles();
  if (!EnsureSystem()) return;
  Call("part_system_clear", {Real(p.system)});
  Call("part_system_depth", {Real(p.system), a[0]});
  p.ClearSlots();
}

void F_ActionPartsystDestroy(ScriptValue&, CInstance*, CInstance*, int, Args) {
  ActionParticles& p = Particles();
  if (p.system < 0) return;
  Call("part_system_destroy", {Real(p.system)});
  p.system = -1;
}

void F_ActionPartsystClear(ScriptValue&, CInstance*, CInstance*, int, Args) {
  if (Particles().system >= 0) Call("part_system_clear", {Real(Particles().system)});
}

void F_ActionParttypeCreateOld(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  const int32_t type = TypeOf(a[0]);
  if (type < 0) return;
  Call("part_type_shape", {Real(type), a[1]});
  Call("part_type_size", {Real(type), a[2], a[3], Real(0), Real(0)});
  Call("part_type_color2", {Real(type), a[4], a[5]});
}

void F_ActionParttypeCreate(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  const int32_t type = TypeOf(a[0]);
  if (type < 0) return;
  Call("part_type_shape", {Real(type), a[1]});
  Call("part_type_sprite", {Real(type), a[2], Real(1), Real(0), Real(0)});
  Call("part_type_size", {Real(type), a[3], a[4], a[5], Real(0)});
}

void F_ActionParttypeColor(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  const int32_t type = TypeOf(a[0]);
  if (type < 0) return;
  Call(Arg_Rounded(a[1]) == 0 ? "part_type_color_mix" : "part_type_color2", {Real(type), a[2], a[3]});
  Call("part_type_alpha2", {Real(type), a[4], a[5]});
}

void F_ActionParttypeLife(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  const int32_t type = TypeOf(a[0]);
  if (type >= 0) Call("part_type_life", {Real(type), a[1], a[2]});
}

void F_ActionParttypeSpeed(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  const int32_t type = TypeOf(a[0]);
  if (type < 0) return;
  Call("part_type_speed", {Real(type), a[1], a[2], Real(-Arg_Real(a[5])), Real(0)});
  Call("part_type_direction", {Real(type), a[3], a[4], Real(0), Real(0)});
}

void F_ActionParttypeGravity(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  const int32_t type = TypeOf(a[0]);
  if (type >= 0) Call("part_type_gravity", {Real(type), a[1], a[2]});
}

void F_ActionParttypeSecondary(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  const int32_t type = TypeOf(a[0]);
  if (type < 0) return;
  Call("part_type_step", {Real(type), a[2], Real(TypeOf(a[1]))});
  Call("part_type_death", {Real(type), a[4], Real(TypeOf(a[3]))});
}

void F_ActionPartemitCreate(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  if (!EnsureSystem()) return;
  const int32_t system = Particles().system;
  int32_t* slot = Slot(Particles().emitters, a[0]);
  if (slot == nullptr) return;
  if (*slot < 0) *slot = CreateBy("part_emitter_create", {Real(system)});
  if (*slot < 0) return;
  Call("part_emitter_region", {Real(system), Real(*slot), a[2], a[3], a[4], a[5], a[1], Real(0)});
}

// The slot is emptied with its emitter, so a later create makes a fresh one.
void F_ActionPartemitDestroy(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  if (!EnsureSystem()) return;
  int32_t* slot = Slot(Particles().emitters, a[0]);
  if (slot == nullptr || *slot < 0) return;
  Call("part_emitter_destroy", {Real(Particles().system), Real(*slot)});
  *slot = -1;
}

template <bool Stream>
void F_ActionPartemitEmit(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  EnsureSystem();
  const int32_t* slot = Slot(Particles().emitters, a[0]);
  if (slot == nullptr) return;
  if (*slot < 0) {
    Error_Show_Action("The particle emitter must first be created.", false);
    return;
  }
  const int32_t type = TypeOf(a[1]);
  if (type < 0) return;
  Call(Stream ? "part_emitter_stream" : "part_emitter_burst",
       {Real(Particles().system), Real(*slot), Real(type), a[2]});
}

// ---- CD ----

void F_ActionCdPlay(ScriptValue&, CInstance*, CInstance*, int, Args a) { Call("cd_play", {a[0], a[1]}); }
void F_ActionCdStop(ScriptValue&, CInstance*, CInstance*, int, Args) { Call("cd_stop", {}); }
void F_ActionCdPause(ScriptValue&, CInstance*, CInstance*, int, Args) { Call("cd_pause", {}); }
void F_ActionCdResume(ScriptValue&, CInstance*, CInstance*, int, Args) { Call("cd_resume", {}); }

template <const char* Builtin>
void F_ActionCdQuery(ScriptValue& result, CInstance*, CInstance*, int, Args) {
  ScriptValue answer(0.0);
  Builtin_CallByName(Builtin, answer, nullptr, nullptr, {});
  Action_Answer(result, Arg_Flag(answer));
}

constexpr char kCdPresent[] = "cd_present";
constexpr char kCdPlaying[] = "cd_playing";

constexpr ActionBuiltin kParticleActions[] = {
    {"action_partsyst_create", F_ActionPartsystCreate, 1},
    {"action_partsyst_destroy", F_ActionPartsystDestroy, 0},
    {"action_partsyst_clear", F_ActionPartsystClear, 0},
    {"action_parttype_create_old", F_ActionParttypeCreateOld, 6},
    {"action_parttype_create", F_ActionParttypeCreate, 6},
    {"action_parttype_color", F_ActionParttypeColor, 6},
    {"action_parttype_life", F_ActionParttypeLife, 3},
    {"action_parttype_speed", F_ActionParttypeSpeed, 6},
    {"action_parttype_gravity", F_ActionParttypeGravity, 3},
    {"action_parttype_secondary", F_ActionParttypeSecondary, 5},
    {"action_partemit_create", F_ActionPartemitCreate, 6},
    {"action_partemit_destroy", F_ActionPartemitDestroy, 1},
    {"action_partemit_burst", F_ActionPartemitEmit<false>, 3},
    {"action_partemit_stream", F_ActionPartemitEmit<true>, 3},
    {"action_cd_play", F_ActionCdPlay, 2},
    {"action_cd_stop", F_ActionCdStop, 0},
    {"action_cd_pause", F_ActionCdPause, 0},
    {"action_cd_resume", F_ActionCdResume, 0},
    {"action_cd_present", F_ActionCdQuery<kCdPresent>, 0},
    {"action_cd_playing", F_ActionCdQuery<kCdPlaying>, 0},
};

}  // namespace

std::span<const ActionBuiltin> Action_ParticleBuiltins() { return kParticleActions; }
