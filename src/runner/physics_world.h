// The physics world of a room: a Box2D world stepped by the game step, the collision
// categories of objects, the contacts of the current frame turned into collision events on
// both instances, the contact queries of those events and the debug drawing of the world.
//
// Box2D aborts the process on its own assertions, so every request that reaches the library
// is checked here first and refused with a runtime error in our own words.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class b2Body;
class b2Contact;
class b2Joint;
class b2World;
class CInstance;
class CPhysicsFixture;
class CPhysicsObject;
class CRoom;

inline constexpr int32_t kPhysicsCategoryCount = 16;
// Single-precision pi, as every angle conversion of the physics layer uses it.
inline constexpr float kPhysicsPi = 3.1415927f;

// A debug-draw colour component (0..1) as a byte; a full component stays full (255).
uint8_t PhysicsDebug_ColourByte(float component);

// Global physics time: the sum of the step lengths of every world.
double Physics_Time();

class CPhysicsWorld {
 public:
  CPhysicsWorld(float scale, int32_t updateSpeed);
  // A stored room's world copied for a running room: settings and gravity, no bodies.
  CPhysicsWorld(const CPhysicsWorld& source);
  CPhysicsWorld& operator=(const CPhysicsWorld&) = delete;
  // Every body's instance loses its physics object and every joint record of this world goes,
  // whichever room is current.
  ~CPhysicsWorld();

  // One frame of the room: path bodies, the sub-steps, instances from bodies, collision events.
  void Update(int32_t roomSpeed);
  // Wakes every dynamic body unless the gravity is (0, 0).
  void SetGravity(float x, float y);
  void GetGravity(float& x, float& y) const;
  // One drawing of the world with the debug flags of the built-in (shapes 1, joints 2,
  // centres of mass 4, bounding boxes 8, broad-phase pairs 64).
  void DrawDebug(int32_t flags);

  // The category slot of an object's fixtures (-1: collides with nothing).
  int32_t CategoryForObject(int32_t object);
  int32_t AssignCollisionCategory(int32_t object);
  void RefreshCollisionFilters();
  uint32_t CategoryBits(int32_t slot) const;
  uint32_t MaskBits(int32_t slot) const;

  // Contact queries, answered only while the collision events of one contact run.
  int32_t GetCollisionPointCount(const CInstance& instance) const;
  bool GetCollisionPoint(const CInstance& instance, int32_t index, float& x, float& y) const;
  bool GetCollisionNormal(const CInstance& instance, int32_t index, float& x, float& y) const;

  // Gives the instance a body (or adds the fixture to its body). False after a report.
  bool BindFixture(const CPhysicsFixture& fixture, CInstance& instance);
  // Destroys a body of this world with its joints (a body the object no longer needs).
  void DestroyBody(b2Body* body);
  // Called by the contact listener during a step.
  void AddContact(b2Contact* contact);

  b2World& Box2D() { return *world_; }
  const b2World& Box2D() const { return *world_; }
  bool IsLocked() const;

  float scale = 0.1f;         // metres per pixel
  int32_t updateSpeed = 30;   // steps per second
  int32_t iterations = 10;    // velocity and position iterations of each step
  bool paused = false;

 private:
  struct Category {
    int32_t object = -1;
    uint32_t categoryBits = 0;
    uint32_t maskBits = 0;
  };
  struct ContactRecord;
  class ContactListener;
  class DebugRender;
  class JointWatcher;

  void Init();
  void MovePathBodies();
  void UpdateInstances();
  void DispatchCollisionEvents();
  void ForgetFixturesOf(b2Body* body);

  std::unique_ptr<b2World> world_;
  std::unique_ptr<ContactListener> listener_;
  std::unique_ptr<DebugRender> renderer_;
  std::unique_ptr<JointWatcher> jointWatcher_;
  std::vector<ContactRecord> records_;
  const ContactRecord* current_ = nullptr;
  std::array<Category, kPhysicsCategoryCount> categories_{};
};

// Whether a scale (metres per pixel) can carry lengths both ways: a positive number whose
// inverse is one too. Any other would place bodies at infinity or mirror them.
bool Physics_ValidScale(float scale);
// physics_world_create: a world for the current room, or new settings for the one it has. A
// scale that is not valid is refused with a report; nothing changes then.
void Physics_WorldCreate(float scale);
// The current room's world, or null.
CPhysicsWorld* Physics_CurrentWorld();
// The body an instance of an object with physics settings is given when it is made in a room
// that has a world.
void Physics_CreateBodyForInstance(CRoom& room, CInstance& instance);
// "-debug" asks for the library's assertions to be reported as runtime errors. The packaged
// Box2D compiles its assertions as plain assert() calls that end the process, so there is no
// hook to route them through: every input the library asserts on is checked before the call
// (see physics_objects.cpp) and refused with a report in our own words, with or without -debug.
void Physics_InstallAssertHandler();
bool Physics_AssertHandlerInstalled();
// Shut-down: every fixture and joint record goes.
void Physics_FreeAll();
