#include "functions/physics_functions.h"

#include <cstdio>
#include <string>
#include <vector>

#include "data/objects.h"
#include "data/rooms.h"
#include "functions/argument_helpers.h"
#include "runner/instance.h"
#include "runner/physics_objects.h"
#include "runner/physics_world.h"
#include "runner/room_start.h"
#include "script/builtin_function.h"
#include "script/error_report.h"
#include "script/function_table.h"

namespace {

constexpr const char* kNoRoom = "No room is available to create a physics world for";
constexpr const char* kNoWorld = "The current room does not have a physics world representation";
constexpr const char* kNoFixture = "The physics fixture does not exist";
constexpr const char* kNoBody = "The instance does not have an associated physics representation";
constexpr const char* kNoJoint = "A joint does not exist";

void Report(const std::string& message) { Error_Show_Action(message, false); }

// Pixels to metres by the world's scale, computed in double and narrowed.
float Metres(const CPhysicsWorld& world, const ScriptValue& pixels) {
  return static_cast<float>(Arg_Real(pixels) * static_cast<double>(world.scale));
}

float Radians(const ScriptValue& degrees) {
  return static_cast<float>(Arg_Real(degrees) * static_cast<double>(kPhysicsPi) / 180.0);
}

bool JointFlag(const ScriptValue& value) { return Arg_Rounded(value) > 0.5; }

// The world of the current room for the world built-ins: both reports as they apply.
CPhysicsWorld* RoomWorld() {
  if (Run_CurrentRoom() == nullptr) {
    Report(kNoRoom);
    return nullptr;
  }
  CPhysicsWorld* world = Physics_CurrentWorld();
  if (world == nullptr) Report(kNoWorld);
  return world;
}

// The world, or the world message.
CPhysicsWorld* WorldOrReport() {
  CPhysicsWorld* world = Physics_CurrentWorld();
  if (world == nullptr) Report(kNoWorld);
  return world;
}

CPhysicsFixture* FixtureOrReport(const ScriptValue& id) {
  CPhysicsFixture* fixture = PhysicsFixture_Find(Arg_Rounded(id));
  if (fixture == nullptr) Report(kNoFixture);
  return fixture;
}

CPhysicsObject* BodyOrReport(CInstance* self) {
  if (self == nullptr || self->physics == nullptr || self->physics->body == nullptr) {
    Report(kNoBody);
    return nullptr;
  }
  return self->physics.get();
}

// Bind and overlap targets: -1 self, -3 every active instance, an id, or every instance of an
// object and its children; instances marked for removal are left out. false after the report
// for an id that names no instance.
bool Targets(CInstance* self, int32_t target, const char* invalid, std::vector<CInstance*>& out) {
  auto keep = [&out](CInstance* instance) {
    if (instance != nullptr && !instance->marked) out.push_back(instance);
  };
  if (target == -1) {
    keep(self);
  } else if (target == -3) {
    if (CRoom* room = Run_CurrentRoom()) {
      for (CInstance* at = room->active.first; at != nullptr; at = at->next) keep(at);
    }
  } else if (target >= 100000) {
    CInstance* instance = Instance_Find(target);
    if (instance == nullptr) {
      Report(invalid);
      return false;
    }
    keep(instance);
  } else if (CObjectKF* object = Object_Data(target)) {
    for (CInstance* instance : object->InstancesRecursive()) keep(instance);
  }
  return true;
}

// Joint instance arguments: -1 self, -2 other, an id, or the first instance of an object.
CInstance* JointInstance(CInstance* self, CInstance* other, const ScriptValue& argument) {
  const int32_t value = Arg_Rounded(argument);
  CInstance* found = nullptr;
  if (value == -1) found = self;
  else if (value == -2) found = other;
  else if (value >= 100000) found = Instance_Find(value);
  else if (CObjectKF* object = Object_Data(value)) {
    for (CInstance* instance : object->InstancesRecursive()) {
      found = instance;
      break;
    }
  }
  if (found == nullptr) {
    char text[256];
    std::snprintf(text, sizeof text, "Unable to find instance: %d", value);
    Report(text);
  }
  return found;
}

// Both joint instances with bodies in the room's world, or the reports the creators give.
bool JointBodies(const char* builtin, CInstance* self, CInstance* other, const ScriptValue& first,
                 const ScriptValue& second, CPhysicsWorld*& world, PhysicsJointBodies& bodies) {
  CInstance* a = JointInstance(self, other, first);
  if (a == nullptr) return false;
  CInstance* b = JointInstance(self, other, second);
  if (b == nullptr) return false;
  world = Physics_CurrentWorld();
  const auto bodyOf = [](CInstance* i) { return i->physics != nullptr && i->physics->body != nullptr; };
  if (!bodyOf(a) || !bodyOf(b)) {
    Report(world == nullptr ? std::string(kNoWorld)
                            : std::string(builtin) + ": An instance does not have an associated physics representation");
    return false;
  }
  if (world == nullptr) {
    Report(kNoWorld);
    return false;
  }
  bodies = {a->physics.get(), b->physics.get()};
  return true;
}

// ---- world ----

void F_PhysicsWorldCreate(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  Physics_WorldCreate(Arg_Single(args[0]));
}

void F_PhysicsWorldGravity(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  if (CPhysicsWorld* world = RoomWorld()) world->SetGravity(Arg_Single(args[0]), Arg_Single(args[1]));
}

void F_PhysicsWorldUpdateSpeed(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  if (CPhysicsWorld* world = RoomWorld()) world->updateSpeed = Arg_Rounded(args[0]);
}

void F_PhysicsWorldUpdateIterations(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  if (CPhysicsWorld* world = RoomWorld()) world->iterations = Arg_Rounded(args[0]);
}

void F_PhysicsWorldDrawDebug(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  if (CPhysicsWorld* world = WorldOrReport()) world->DrawDebug(Arg_Rounded(args[0]));
}

void F_PhysicsPauseEnable(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  CPhysicsWorld* world = Physics_CurrentWorld();
  if (world == nullptr) {
    Report(std::string("physics_pause_enable() ") + kNoWorld);
    return;
  }
  world->paused = Arg_FlagAbove(args[0]);
}

// ---- fixtures ----

void F_PhysicsFixtureCreate(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue*) {
  result.SetReal(PhysicsFixture_Create().id);
}

void F_PhysicsFixtureSetKinematic(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  if (CPhysicsFixture* f = FixtureOrReport(args[0])) f->kinematic = true;
}

void F_PhysicsFixtureSetAwake(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  if (CPhysicsFixture* f = FixtureOrReport(args[0])) f->awake = Arg_FlagAbove(args[1]);
}

template <float CPhysicsFixture::*Field>
void F_PhysicsFixtureSetValue(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  if (CPhysicsFixture* f = FixtureOrReport(args[0])) f->*Field = Arg_Single(args[1]);
}

void F_PhysicsFixtureSetCollisionGroup(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  if (CPhysicsFixture* f = FixtureOrReport(args[0])) f->group = static_cast<int16_t>(Arg_Rounded(args[1]));
}

void F_PhysicsFixtureSetSensor(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  if (CPhysicsFixture* f = FixtureOrReport(args[0])) f->sensor = Arg_FlagAbove(args[1]);
}

void F_PhysicsFixtureSetCircleShape(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  CPhysicsFixture* f = FixtureOrReport(args[0]);
  if (f == nullptr) return;
  if (CPhysicsWorld* world = WorldOrReport()) f->SetCircleShape(Metres(*world, args[1]));
}

void F_PhysicsFixtureSetBoxShape(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  CPhysicsFixture* f = FixtureOrReport(args[0]);
  if (f == nullptr) return;
  if (CPhysicsWorld* world = WorldOrReport()) f->SetBoxShape(Metres(*world, args[1]), Metres(*world, args[2]));
}

void F_PhysicsFixtureSetPolygonShape(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  if (CPhysicsFixture* f = FixtureOrReport(args[0])) f->SetPolygonShape();
}

void F_PhysicsFixtureAddPoint(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  CPhysicsFixture* f = FixtureOrReport(args[0]);
  if (f == nullptr) return;
  CPhysicsWorld* world = WorldOrReport();
  if (world == nullptr) return;
  const bool refused = f->shape != PhysicsShapeKind::Polygon ||
                       static_cast<int32_t>(f->points.size()) >= kPhysicsMaxPolygonPoints;
  if (refused) {
    Report("The fixture must be a polygon shape, convex, ordered clockwise and have no more than 8 points");
    return;
  }
  f->AddPoint(Metres(*world, args[1]), Metres(*world, args[2]));
}

void F_PhysicsFixtureBind(ScriptValue&, CInstance* self, CInstance*, int, ScriptValue* args) {
  CPhysicsFixture* f = FixtureOrReport(args[0]);
  if (f == nullptr) return;
  CPhysicsWorld* world = Physics_CurrentWorld();
  if (world == nullptr) {
    Report("Cannot bind a fixture if no physics world exists for the current room");
    return;
  }
  std::vector<CInstance*> targets;
  if (!Targets(self, Arg_Rounded(args[1]), "  is not valid.", targets)) return;
  for (CInstance* instance : targets) {
    if (!world->BindFixture(*f, *instance)) break;
  }
}

void F_PhysicsFixtureDelete(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  PhysicsFixture_Delete(Arg_Rounded(args[0]));
}

// ---- forces and queries on the caller ----

using PointVectorOperation = void (CPhysicsObject::*)(float, float, float, float);

template <PointVectorOperation Operation>
void F_PhysicsApply(ScriptValue&, CInstance* self, CInstance*, int, ScriptValue* args) {
  CPhysicsObject* body = BodyOrReport(self);
  if (body == nullptr) return;
  CPhysicsWorld* world = WorldOrReport();
  if (world == nullptr) return;
  (body->*Operation)(Metres(*world, args[0]), Metres(*world, args[1]), Arg_Single(args[2]), Arg_Single(args[3]));
}

void F_PhysicsApplyTorque(ScriptValue&, CInstance* self, CInstance*, int, ScriptValue* args) {
  if (CPhysicsObject* body = BodyOrReport(self)) body->ApplyTorque(Arg_Single(args[0]));
}

void F_PhysicsMassProperties(ScriptValue&, CInstance* self, CInstance*, int, ScriptValue* args) {
  CPhysicsObject* body = BodyOrReport(self);
  if (body == nullptr) return;
  CPhysicsWorld* world = WorldOrReport();
  if (world == nullptr) return;
  body->SetMassData(Arg_Single(args[0]), Metres(*world, args[1]), Metres(*world, args[2]), Arg_Single(args[3]));
}

void F_PhysicsDrawDebug(ScriptValue&, CInstance* self, CInstance*, int, ScriptValue*) {
  CPhysicsWorld* world = WorldOrReport();
  if (world == nullptr || self == nullptr || self->physics == nullptr) return;
  self->physics->DrawDebug(1.0f / world->scale);
}

void F_PhysicsTestOverlap(ScriptValue& result, CInstance* self, CInstance*, int, ScriptValue* args) {
  result.SetReal(0.0);
  if (BodyOrReport(self) == nullptr) return;
  CPhysicsWorld* world = WorldOrReport();
  if (world == nullptr) return;
  std::vector<CInstance*> targets;
  if (!Targets(self, Arg_Rounded(args[3]), "physics_test_overlap:   is not valid.", targets)) return;
  const float x = Metres(*world, args[0]), y = Metres(*world, args[1]);
  const float angle = Radians(args[2]);
  for (CInstance* target : targets) {
    if (Physics_TestOverlap(*self, *target, x, y, angle)) {
      result.SetReal(1.0);
      return;
    }
  }
}

// ---- joints ----

void F_PhysicsJointDistanceCreate(ScriptValue& result, CInstance* self, CInstance* other, int, ScriptValue* args) {
  constexpr const char* kName = "physics_joint_distance_create";
  result.SetReal(-1.0);
  CPhysicsWorld* world = nullptr;
  PhysicsJointBodies bodies;
  if (!JointBodies(kName, self, other, args[0], args[1], world, bodies)) return;
  result.SetReal(Physics_CreateDistanceJoint(*world, kName, bodies, Metres(*world, args[2]), Metres(*world, args[3]),
                                             Metres(*world, args[4]), Metres(*world, args[5]), JointFlag(args[6])));
}

void F_PhysicsJointRevoluteCreate(ScriptValue& result, CInstance* self, CInstance* other, int, ScriptValue* args) {
  constexpr const char* kName = "physics_joint_revolute_create";
  result.SetReal(-1.0);
  CPhysicsWorld* world = nullptr;
  PhysicsJointBodies bodies;
  if (!JointBodies(kName, self, other, args[0], args[1], world, bodies)) return;
  result.SetReal(Physics_CreateRevoluteJoint(*world, kName, bodies, Metres(*world, args[2]), Metres(*world, args[3]),
                                             Radians(args[4]), Radians(args[5]), JointFlag(args[6]),
                                             Arg_Single(args[7]), Arg_Single(args[8]), JointFlag(args[9]),
                                             JointFlag(args[10])));
}

void F_PhysicsJointPrismaticCreate(ScriptValue& result, CInstance* self, CInstance* other, int, ScriptValue* args) {
  constexpr const char* kName = "physics_joint_prismatic_create";
  result.SetReal(-1.0);
  CPhysicsWorld* world = nullptr;
  PhysicsJointBodies bodies;
  if (!JointBodies(kName, self, other, args[0], args[1], world, bodies)) return;
  result.SetReal(Physics_CreatePrismaticJoint(
      *world, kName, bodies, Metres(*world, args[2]), Metres(*world, args[3]), Arg_Single(args[4]),
      Arg_Single(args[5]), Metres(*world, args[6]), Metres(*world, args[7]), JointFlag(args[8]), Arg_Single(args[9]),
      Arg_Single(args[10]), JointFlag(args[11]), JointFlag(args[12])));
}

void F_PhysicsJointPulleyCreate(ScriptValue& result, CInstance* self, CInstance* other, int, ScriptValue* args) {
  constexpr const char* kName = "physics_joint_pulley_create";
  result.SetReal(-1.0);
  CPhysicsWorld* world = nullptr;
  PhysicsJointBodies bodies;
  if (!JointBodies(kName, self, other, args[0], args[1], world, bodies)) return;
  result.SetReal(Physics_CreatePulleyJoint(
      *world, kName, bodies, Metres(*world, args[2]), Metres(*world, args[3]), Metres(*world, args[4]),
      Metres(*world, args[5]), Metres(*world, args[6]), Metres(*world, args[7]), Metres(*world, args[8]),
      Metres(*world, args[9]), Arg_Single(args[10]), Metres(*world, args[11]), Metres(*world, args[12]),
      JointFlag(args[13])));
}

void F_PhysicsJointGearCreate(ScriptValue& result, CInstance* self, CInstance* other, int, ScriptValue* args) {
  constexpr const char* kName = "physics_joint_gear_create";
  result.SetReal(-1.0);
  CPhysicsWorld* world = nullptr;
  PhysicsJointBodies bodies;
  if (!JointBodies(kName, self, other, args[0], args[1], world, bodies)) return;
  CPhysicsJoint* joint1 = PhysicsJoint_Find(Arg_Rounded(args[2]));
  CPhysicsJoint* joint2 = PhysicsJoint_Find(Arg_Rounded(args[3]));
  if (joint1 == nullptr || joint2 == nullptr) {
    Report(kNoJoint);
    return;
  }
  result.SetReal(Physics_CreateGearJoint(*world, kName, bodies, *joint1, *joint2, Arg_Single(args[4])));
}

CPhysicsJoint* JointOrReport(const ScriptValue& id) {
  CPhysicsJoint* joint = PhysicsJoint_Find(Arg_Rounded(id));
  if (joint == nullptr) Report(kNoJoint);
  return joint;
}

void F_PhysicsJointEnableMotor(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  if (CPhysicsJoint* joint = JointOrReport(args[0])) joint->EnableMotor(JointFlag(args[1]));
}

void F_PhysicsJointGetValue(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  result.SetReal(0.0);
  if (CPhysicsJoint* joint = JointOrReport(args[0])) result.SetReal(joint->GetValue(Arg_Rounded(args[1])));
}

void F_PhysicsJointSetValue(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  if (CPhysicsJoint* joint = JointOrReport(args[0])) joint->SetValue(Arg_Rounded(args[1]), Arg_Single(args[2]));
}

void F_PhysicsJointDelete(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  if (CPhysicsWorld* world = WorldOrReport()) Physics_DestroyJoint(*world, Arg_Rounded(args[0]));
}

struct PhysicsBuiltin {
  const char* name;
  BuiltinFunction implementation;
  int32_t argc;
};

constexpr PhysicsBuiltin kPhysicsBuiltins[] = {
    {"physics_world_create", F_PhysicsWorldCreate, 1},
    {"physics_world_gravity", F_PhysicsWorldGravity, 2},
    {"physics_world_update_speed", F_PhysicsWorldUpdateSpeed, 1},
    {"physics_world_update_iterations", F_PhysicsWorldUpdateIterations, 1},
    {"physics_world_draw_debug", F_PhysicsWorldDrawDebug, 1},
    {"physics_pause_enable", F_PhysicsPauseEnable, 1},
    {"physics_fixture_create", F_PhysicsFixtureCreate, 0},
    {"physics_fixture_set_kinematic", F_PhysicsFixtureSetKinematic, 1},
    {"physics_fixture_set_awake", F_PhysicsFixtureSetAwake, 2},
    {"physics_fixture_set_density", F_PhysicsFixtureSetValue<&CPhysicsFixture::density>, 2},
    {"physics_fixture_set_restitution", F_PhysicsFixtureSetValue<&CPhysicsFixture::restitution>, 2},
    {"physics_fixture_set_friction", F_PhysicsFixtureSetValue<&CPhysicsFixture::friction>, 2},
    {"physics_fixture_set_collision_group", F_PhysicsFixtureSetCollisionGroup, 2},
    {"physics_fixture_set_sensor", F_PhysicsFixtureSetSensor, 2},
    {"physics_fixture_set_linear_damping", F_PhysicsFixtureSetValue<&CPhysicsFixture::linearDamping>, 2},
    {"physics_fixture_set_angular_damping", F_PhysicsFixtureSetValue<&CPhysicsFixture::angularDamping>, 2},
    {"physics_fixture_set_circle_shape", F_PhysicsFixtureSetCircleShape, 2},
    {"physics_fixture_set_box_shape", F_PhysicsFixtureSetBoxShape, 3},
    {"physics_fixture_set_polygon_shape", F_PhysicsFixtureSetPolygonShape, 1},
    {"physics_fixture_add_point", F_PhysicsFixtureAddPoint, 3},
    {"physics_fixture_bind", F_PhysicsFixtureBind, 2},
    {"physics_fixture_delete", F_PhysicsFixtureDelete, 1},
    {"physics_apply_force", F_PhysicsApply<&CPhysicsObject::ApplyForce>, 4},
    {"physics_apply_impulse", F_PhysicsApply<&CPhysicsObject::ApplyImpulse>, 4},
    {"physics_apply_local_force", F_PhysicsApply<&CPhysicsObject::ApplyLocalForce>, 4},
    {"physics_apply_local_impulse", F_PhysicsApply<&CPhysicsObject::ApplyLocalImpulse>, 4},
    {"physics_apply_torque", F_PhysicsApplyTorque, 1},
    {"physics_mass_properties", F_PhysicsMassProperties, 4},
    {"physics_draw_debug", F_PhysicsDrawDebug, 0},
    {"physics_test_overlap", F_PhysicsTestOverlap, 4},
    {"physics_joint_distance_create", F_PhysicsJointDistanceCreate, 7},
    {"physics_joint_revolute_create", F_PhysicsJointRevoluteCreate, 11},
    {"physics_joint_prismatic_create", F_PhysicsJointPrismaticCreate, 13},
    {"physics_joint_pulley_create", F_PhysicsJointPulleyCreate, 14},
    {"physics_joint_gear_create", F_PhysicsJointGearCreate, 5},
    {"physics_joint_enable_motor", F_PhysicsJointEnableMotor, 2},
    {"physics_joint_get_value", F_PhysicsJointGetValue, 2},
    {"physics_joint_set_value", F_PhysicsJointSetValue, 3},
    {"physics_joint_delete", F_PhysicsJointDelete, 1},
};
static_assert(std::size(kPhysicsBuiltins) == 39);

}  // namespace

void InitPhysicsFunctions() {
  for (const PhysicsBuiltin& builtin : kPhysicsBuiltins) Function_Add(builtin.name, builtin.implementation, builtin.argc);
}
