// Fixtures (free-standing shapes with material settings, identified by number), the body of an
// instance (CPhysicsObject) with its forces, impulses, velocities and mass, and joints between
// two instances' bodies (identified by number). Lengths are metres and angles radians here;
// the built-ins convert from room pixels and degrees.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class b2Body;
class b2Joint;
class CInstance;
class CPhysicsWorld;

// ---- fixtures ----

enum class PhysicsShapeKind : int32_t { None, Circle, Box, Polygon };

struct PhysicsPoint {
  float x = 0.0f;
  float y = 0.0f;
};

inline constexpr int32_t kPhysicsMaxPolygonPoints = 8;

class CPhysicsFixture {
 public:
  explicit CPhysicsFixture(int32_t id) : id(id) {}

  void SetCircleShape(float radius);
  void SetBoxShape(float halfWidth, float halfHeight);
  void SetPolygonShape();
  // Appends a point to a polygon of fewer than 8 points and answers CheckPolygon; false (and
  // nothing changes) otherwise.
  bool AddPoint(float x, float y);
  // True below 3 points; else every other point must lie to the left of every edge (clockwise
  // on screen), reported otherwise.
  bool CheckPolygon() const;

  int32_t id = 0;
  PhysicsShapeKind shape = PhysicsShapeKind::None;
  float radius = 0.0f;
  float halfWidth = 0.0f, halfHeight = 0.0f;
  std::vector<PhysicsPoint> points;
  float friction = 0.2f;
  float restitution = 0.0f;
  float density = 0.0f;
  bool sensor = false;
  int16_t group = 0;
  float linearDamping = 0.0f;
  float angularDamping = 0.0f;
  bool awake = true;
  bool kinematic = false;
};

CPhysicsFixture& PhysicsFixture_Create();
CPhysicsFixture* PhysicsFixture_Find(int32_t id);
bool PhysicsFixture_Delete(int32_t id);

// Why a polygon cannot become a Box2D shape, as words that follow "has" ("no area: its points
// lie on one line"): welded or collinear points leave fewer than three corners, or the hull
// has no area. Empty when it can.
std::string PhysicsPolygon_Problem(const std::vector<PhysicsPoint>& points);

// ---- bodies ----

// The body of one instance. It belongs to one world; when that world goes first the object is
// detached and holds no body.
class CPhysicsObject {
 public:
  CPhysicsObject(CPhysicsWorld& world, b2Body* body, int32_t slot) : body(body), slot(slot), world(&world) {}
  ~CPhysicsObject();
  CPhysicsObject(const CPhysicsObject&) = delete;
  CPhysicsObject& operator=(const CPhysicsObject&) = delete;

  // The world is going: forget the body without touching it.
  void Detach() {
    body = nullptr;
    world = nullptr;
  }
  bool HasBody() const { return body != nullptr; }

  // Each answers false (and does nothing) for a value that is not a finite number.
  bool SetPosition(float x, float y);
  bool SetRotation(float degrees);
  bool SetLinearVelocity(float vx, float vy);
  bool SetAngularVelocity(float degreesPerSecond);
  void ApplyImpulse(float px, float py, float ix, float iy);
  void ApplyForce(float px, float py, float fx, float fy);
  void ApplyLocalForce(float px, float py, float fx, float fy);
  void ApplyLocalImpulse(float px, float py, float ix, float iy);
  void ApplyTorque(float torque);
  // False after a report when the mass data would leave the body without rotational inertia.
  bool SetMassData(float mass, float centreX, float centreY, float inertia);
  // Outlines of the body's fixtures and marks of its joints in the current draw colour.
  void DrawDebug(float inverseScale) const;

  b2Body* body = nullptr;
  int32_t slot = -1;
  CPhysicsWorld* world = nullptr;
};

// ---- joints ----

class CPhysicsJoint {
 public:
  CPhysicsJoint(int32_t id, b2Joint* joint, CPhysicsWorld& world) : id(id), joint(joint), world(&world) {}

  // Revolute and prismatic joints only.
  void EnableMotor(bool enable);
  // 7 motor speed, 10 maximum motor torque, 14 maximum motor force.
  void SetValue(int32_t code, float value);
  // Codes 0 to 16 (see the phy_joint_* constants); 0 otherwise.
  float GetValue(int32_t code) const;

  int32_t id = 0;
  b2Joint* joint = nullptr;
  CPhysicsWorld* world = nullptr;
};

CPhysicsJoint* PhysicsJoint_Find(int32_t id);
// A new record with the next id.
int32_t PhysicsJoint_Add(b2Joint* joint, CPhysicsWorld& world);
// The record goes (the joint itself is not touched).
void PhysicsJoint_Forget(const b2Joint* joint);
void PhysicsJoint_ForgetWorld(const CPhysicsWorld& world);
std::vector<CPhysicsJoint*> PhysicsJoint_All();
void PhysicsJoint_FreeAll();
void PhysicsFixture_FreeAll();

struct PhysicsJointBodies {
  CPhysicsObject* a = nullptr;
  CPhysicsObject* b = nullptr;
};

// Joint creators on a world (metres and radians). Each answers the new joint's id, or -1 after
// a report naming the built-in (the bodies are the same, or of another world, or a value
// Box2D would refuse).
int32_t Physics_CreateDistanceJoint(CPhysicsWorld& world, const char* builtin, PhysicsJointBodies bodies,
                                    float ax, float ay, float bx, float by, bool collide);
int32_t Physics_CreateRevoluteJoint(CPhysicsWorld& world, const char* builtin, PhysicsJointBodies bodies,
                                    float x, float y, float lower, float upper, bool limit, float maxTorque,
                                    float motorSpeed, bool motor, bool collide);
int32_t Physics_CreatePrismaticJoint(CPhysicsWorld& world, const char* builtin, PhysicsJointBodies bodies,
                                     float x, float y, float axisX, float axisY, float lower, float upper,
                                     bool limit, float maxForce, float motorSpeed, bool motor, bool collide);
int32_t Physics_CreatePulleyJoint(CPhysicsWorld& world, const char* builtin, PhysicsJointBodies bodies,
                                  float groundAX, float groundAY, float groundBX, float groundBY, float localAX,
                                  float localAY, float localBX, float localBY, float ratio, float maxLengthA,
                                  float maxLengthB, bool collide);
int32_t Physics_CreateGearJoint(CPhysicsWorld& world, const char* builtin, PhysicsJointBodies bodies,
                                CPhysicsJoint& joint1, CPhysicsJoint& joint2, float ratio);
// Destroys the joint (and the gear joints built on it); false when no joint has that id.
bool Physics_DestroyJoint(CPhysicsWorld& world, int32_t id);

// Whether a fixture of the first instance's body placed at (x, y, angle) overlaps a fixture of
// the second's body where it stands. Neither body moves.
bool Physics_TestOverlap(const CInstance& first, const CInstance& second, float x, float y, float angle);
