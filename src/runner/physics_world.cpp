#include "runner/physics_world.h"

#include <box2d/box2d.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "data/event_lists.h"
#include "data/objects.h"
#include "data/rooms.h"
#include "graphics/primitives.h"
#include "platform/console.h"
#include "runner/events.h"
#include "runner/instance.h"
#include "runner/physics_objects.h"
#include "runner/room_start.h"
#include "script/error_report.h"

namespace {

double g_PhysicsTime = 0.0;
constexpr int32_t kMaxManifoldsPerPair = 8;

CInstance* BodyInstance(const b2Body* body) {
  // Box2D offers the user data of a body only through a non-const accessor.
  return body == nullptr ? nullptr
                         : reinterpret_cast<CInstance*>(const_cast<b2Body*>(body)->GetUserData().pointer);
}

// The partners of an object in the collision pair table (the other side of every pair).
std::vector<int32_t> Partners(int32_t object) {
  std::vector<int32_t> partners;
  for (const CollisionPair& pair : Object_CollisionPairs()) {
    int32_t other = -1;
    if (pair.object == object) other = pair.other;
    else if (pair.other == object) other = pair.object;
    if (other != -1 && std::find(partners.begin(), partners.end(), other) == partners.end()) {
      partners.push_back(other);
    }
  }
  return partners;
}

}  // namespace

double Physics_Time() { return g_PhysicsTime; }

uint8_t PhysicsDebug_ColourByte(float component) {
  const float scaled = std::round(component * 255.0f);
  if (!(scaled > 0.0f)) return 0;
  return scaled >= 255.0f ? 255 : static_cast<uint8_t>(scaled);
}

// ---- the pieces Box2D calls back ----

struct CPhysicsWorld::ContactRecord {
  int32_t count = 0;
  b2Fixture* fixtureA = nullptr;
  b2Fixture* fixtureB = nullptr;
  std::array<b2Manifold, kMaxManifoldsPerPair> manifolds{};
  std::array<b2WorldManifold, kMaxManifoldsPerPair> worldManifolds{};
};

class CPhysicsWorld::ContactListener final : public b2ContactListener {
 public:
  explicit ContactListener(CPhysicsWorld& world) : world_(world) {}
  void BeginContact(b2Contact* contact) override {
    if (contact->GetFixtureA()->IsSensor() || contact->GetFixtureB()->IsSensor()) world_.AddContact(contact);
  }
  void PostSolve(b2Contact* contact, const b2ContactImpulse*) override { world_.AddContact(contact); }

 private:
  CPhysicsWorld& world_;
};

// Joints Box2D destroys with a body lose their records.
class CPhysicsWorld::JointWatcher final : public b2DestructionListener {
 public:
  void SayGoodbye(b2Joint* joint) override { PhysicsJoint_Forget(joint); }
  void SayGoodbye(b2Fixture*) override {}
};

class CPhysicsWorld::DebugRender final : public b2Draw {
 public:
  explicit DebugRender(CPhysicsWorld& world) : world_(world) {}

  void DrawPolygon(const b2Vec2* vertices, int32 count, const b2Color& colour) override {
    SetColour(colour);
    for (int32 i = 0; i < count; ++i) Line(vertices[i], vertices[(i + 1) % count]);
  }
  void DrawSolidPolygon(const b2Vec2* vertices, int32 count, const b2Color& colour) override {
    if (count < 3) return;
    SetColour(colour);
    const float f = Inverse();
    for (int32 i = 1; i + 1 < count; ++i) {
      GR_Draw_Triangle(vertices[0].x * f, vertices[0].y * f, vertices[i].x * f, vertices[i].y * f,
                       vertices[i + 1].x * f, vertices[i + 1].y * f, false);
    }
  }
  void DrawCircle(const b2Vec2& centre, float radius, const b2Color& colour) override {
    SetColour(colour);
    Ellipse(centre, radius, true);
  }
  void DrawSolidCircle(const b2Vec2& centre, float radius, const b2Vec2&, const b2Color& colour) override {
    SetColour(colour);
    Ellipse(centre, radius, false);
  }
  void DrawSegment(const b2Vec2& p1, const b2Vec2& p2, const b2Color& colour) override {
    SetColour(colour);
    Line(p1, p2);
  }
  void DrawTransform(const b2Transform& xf) override {
    constexpr float kAxisLength = 0.4f;
    GR_Draw_Set_Color(255);
    Line(xf.p, xf.p + kAxisLength * xf.q.GetXAxis());
    GR_Draw_Set_Color(0xFF0000);
    Line(xf.p, xf.p + kAxisLength * xf.q.GetYAxis());
  }
  void DrawPoint(const b2Vec2& p, float, const b2Color& colour) override {
    SetColour(colour);
    const float f = Inverse();
    GR_Draw_Point(p.x * f, p.y * f);
  }

 private:
  float Inverse() const { return 1.0f / world_.scale; }
  static void SetColour(const b2Color& c) {
    GR_Draw_Set_Color(
        GR_Make_Color(PhysicsDebug_ColourByte(c.r), PhysicsDebug_ColourByte(c.g), PhysicsDebug_ColourByte(c.b)));
  }
  void Line(const b2Vec2& a, const b2Vec2& b) const {
    const float f = Inverse();
    GR_Draw_Line(a.x * f, a.y * f, b.x * f, b.y * f);
  }
  void Ellipse(const b2Vec2& c, float r, bool outline) const {
    const float f = Inverse();
    GR_Draw_Ellipse((c.x - r) * f, (c.y - r) * f, (c.x + r) * f, (c.y + r) * f, outline);
  }

  CPhysicsWorld& world_;
};

// ---- the world ----

CPhysicsWorld::CPhysicsWorld(float scale_, int32_t updateSpeed_)
    : scale(scale_), updateSpeed(updateSpeed_), world_(std::make_unique<b2World>(b2Vec2(0.0f, 10.0f))) {
  Init();
}

CPhysicsWorld::CPhysicsWorld(const CPhysicsWorld& source)
    : scale(source.scale),
      updateSpeed(source.updateSpeed),
      iterations(source.iterations),
      world_(std::make_unique<b2World>(source.world_->GetGravity())) {
  Init();
}

void CPhysicsWorld::Init() {
  paused = false;
  current_ = nullptr;
  world_->SetAllowSleeping(true);
  listener_ = std::make_unique<ContactListener>(*this);
  world_->SetContactListener(listener_.get());
  jointWatcher_ = std::make_unique<JointWatcher>();
  world_->SetDestructionListener(jointWatcher_.get());
  for (Category& c : categories_) c = Category{};
  renderer_ = std::make_unique<DebugRender>(*this);
  world_->SetDebugDraw(renderer_.get());
  records_.reserve(10);
}

CPhysicsWorld::~CPhysicsWorld() {
  world_->SetContactListener(nullptr);
  world_->SetDestructionListener(nullptr);
  // Every instance with a body of this world keeps an object that must not reach it again.
  for (b2Body* body = world_->GetBodyList(); body != nullptr; body = body->GetNext()) {
    CInstance* instance = BodyInstance(body);
    if (instance != nullptr && instance->physics != nullptr && instance->physics->body == body) {
      instance->physics->Detach();
      instance->physics.reset();
    }
  }
  PhysicsJoint_ForgetWorld(*this);
  world_.reset();
}

bool CPhysicsWorld::IsLocked() const { return world_->IsLocked(); }

void CPhysicsWorld::SetGravity(float x, float y) {
  world_->SetGravity(b2Vec2(x, y));
  if (x == 0.0f && y == 0.0f) return;
  for (b2Body* body = world_->GetBodyList(); body != nullptr; body = body->GetNext()) {
    if (body->GetType() == b2_dynamicBody) body->SetAwake(true);
  }
}

void CPhysicsWorld::GetGravity(float& x, float& y) const {
  const b2Vec2 g = world_->GetGravity();
  x = g.x;
  y = g.y;
}

void CPhysicsWorld::Update(int32_t roomSpeed) {
  if (roomSpeed < 1) return;
  MovePathBodies();
  if (paused) return;
  float substeps = static_cast<float>(updateSpeed) / static_cast<float>(roomSpeed);
  const float dt = 1.0f / static_cast<float>(updateSpeed);
  while (substeps > 0.0f) {
    const float step = substeps > 1.0f ? dt : substeps * dt;
    world_->Step(step, iterations, iterations);
    g_PhysicsTime += step;
    substeps -= 1.0f;
  }
  world_->ClearForces();
  UpdateInstances();
  DispatchCollisionEvents();
}

void CPhysicsWorld::MovePathBodies() {
  CRoom* room = Run_CurrentRoom();
  if (room == nullptr) return;
  std::vector<CInstance*> instances;
  for (CInstance* at = room->active.first; at != nullptr; at = at->next) {
    if (at->path_index >= 0) instances.push_back(at);
  }
  for (CInstance* instance : instances) {
    if (instance->PathStep()) Perform_Event(instance, instance, 7, 8);
    CPhysicsObject* object = instance->physics.get();
    if (object != nullptr && object->body != nullptr && object->world == this &&
        object->body->GetType() != b2_dynamicBody) {
      object->SetPosition(instance->x * scale, instance->y * scale);
    }
  }
}

void CPhysicsWorld::UpdateInstances() {
  const float inverse = 1.0f / scale;
  for (b2Body* body = world_->GetBodyList(); body != nullptr; body = body->GetNext()) {
    CInstance* instance = BodyInstance(body);
    if (instance == nullptr) continue;
    const b2Vec2 p = body->GetPosition();
    instance->SetPosition(p.x * inverse, p.y * inverse);
    instance->SetImageAngle(-body->GetAngle() * 180.0f / kPhysicsPi);
  }
}

void CPhysicsWorld::DispatchCollisionEvents() {
  while (!records_.empty()) {
    const ContactRecord record = records_.back();
    records_.pop_back();
    CInstance* a = BodyInstance(record.fixtureA->GetBody());
    CInstance* b = BodyInstance(record.fixtureB->GetBody());
    if (a == nullptr || b == nullptr) continue;
    current_ = &record;
    // The record is a copy: a body destroyed by event code drops its records still waiting.
    const int32_t objectA = a->object_index, objectB = b->object_index;
    Perform_Event(a, b, 4, objectB);
    Perform_Event(b, a, 4, objectA);
    current_ = nullptr;
  }
}

void CPhysicsWorld::AddContact(b2Contact* contact) {
  b2WorldManifold worldManifold;
  contact->GetWorldManifold(&worldManifold);
  b2Fixture* fa = contact->GetFixtureA();
  b2Fixture* fb = contact->GetFixtureB();
  for (ContactRecord& record : records_) {
    if ((record.fixtureA == fa && record.fixtureB == fb) || (record.fixtureA == fb && record.fixtureB == fa)) {
      if (record.count >= kMaxManifoldsPerPair) {
        g_DebugConsole->Output("WARNING: Too many manifolds in collision\n");
        return;
      }
      record.manifolds[static_cast<size_t>(record.count)] = *contact->GetManifold();
      record.worldManifolds[static_cast<size_t>(record.count)] = worldManifold;
      ++record.count;
      return;
    }
  }
  if (records_.size() == records_.capacity()) records_.reserve(records_.size() + 10);
  ContactRecord record;
  record.count = 1;
  record.fixtureA = fa;
  record.fixtureB = fb;
  record.manifolds[0] = *contact->GetManifold();
  record.worldManifolds[0] = worldManifold;
  records_.push_back(record);
}

void CPhysicsWorld::ForgetFixturesOf(b2Body* body) {
  records_.erase(std::remove_if(records_.begin(), records_.end(),
                                [body](const ContactRecord& r) {
                                  return r.fixtureA->GetBody() == body || r.fixtureB->GetBody() == body;
                                }),
                 records_.end());
}

void CPhysicsWorld::DestroyBody(b2Body* body) {
  if (body == nullptr || world_->IsLocked()) return;
  ForgetFixturesOf(body);
  // Gear joints hold the joints they gear and those joints' bodies: they go first.
  for (CPhysicsJoint* record : PhysicsJoint_All()) {
    b2Joint* joint = record->joint;
    if (joint->GetType() != e_gearJoint) continue;
    auto* gear = static_cast<b2GearJoint*>(joint);
    b2Joint* j1 = gear->GetJoint1();
    b2Joint* j2 = gear->GetJoint2();
    if (j1->GetBodyA() == body || j1->GetBodyB() == body || j2->GetBodyA() == body || j2->GetBodyB() == body) {
      PhysicsJoint_Forget(joint);
      world_->DestroyJoint(joint);
    }
  }
  world_->DestroyBody(body);
}

// ---- contact queries ----

namespace {

bool OwnsFixture(const CInstance& instance, const b2Fixture* fixture) {
  return BodyInstance(fixture->GetBody()) == &instance;
}

}  // namespace

int32_t CPhysicsWorld::GetCollisionPointCount(const CInstance& instance) const {
  if (current_ == nullptr) return 0;
  if (!OwnsFixture(instance, current_->fixtureA) && !OwnsFixture(instance, current_->fixtureB)) return 0;
  int32_t total = 0;
  for (int32_t m = 0; m < current_->count; ++m) total += current_->manifolds[static_cast<size_t>(m)].pointCount;
  return total;
}

namespace {

// The manifold holding point index (counted across manifolds) and the point within it.
template <typename Record>
bool LocatePoint(const Record& record, int32_t index, int32_t& manifold, int32_t& point) {
  if (index < 0) return false;
  for (int32_t m = 0; m < record.count; ++m) {
    const int32_t count = record.manifolds[static_cast<size_t>(m)].pointCount;
    if (index < count) {
      manifold = m;
      point = index;
      return true;
    }
    index -= count;
  }
  return false;
}

}  // namespace

bool CPhysicsWorld::GetCollisionPoint(const CInstance& instance, int32_t index, float& x, float& y) const {
  if (current_ == nullptr) return false;
  if (!OwnsFixture(instance, current_->fixtureA) && !OwnsFixture(instance, current_->fixtureB)) return false;
  int32_t m = 0, p = 0;
  if (!LocatePoint(*current_, index, m, p)) return false;
  const float inverse = 1.0f / scale;
  const b2Vec2 point = current_->worldManifolds[static_cast<size_t>(m)].points[p];
  x = point.x * inverse;
  y = point.y * inverse;
  return true;
}

bool CPhysicsWorld::GetCollisionNormal(const CInstance& instance, int32_t index, float& x, float& y) const {
  if (current_ == nullptr) return false;
  if (!OwnsFixture(instance, current_->fixtureA) && !OwnsFixture(instance, current_->fixtureB)) return false;
  int32_t m = 0, p = 0;
  if (!LocatePoint(*current_, index, m, p)) return false;
  const b2Vec2 normal = current_->worldManifolds[static_cast<size_t>(m)].normal;
  x = normal.x;
  y = normal.y;
  return true;
}

// ---- collision categories ----

int32_t CPhysicsWorld::AssignCollisionCategory(int32_t object) {
  for (int32_t slot = 0; slot < kPhysicsCategoryCount; ++slot) {
    if (categories_[static_cast<size_t>(slot)].object == object) return slot;
  }
  for (int32_t slot = 0; slot < kPhysicsCategoryCount; ++slot) {
    Category& c = categories_[static_cast<size_t>(slot)];
    if (c.object != -1) continue;
    c.object = object;
    c.categoryBits = 1u << slot;
    c.maskBits = 0;
    return slot;
  }
  const CObjectKF* data = Object_Data(object);
  Error_Show_Action("Unable to assign a collision category for object " + (data ? data->Name() : std::string()) +
                        ".\nConsider using parenting to reduce collision overheads where possible.",
                    false);
  return -1;
}

int32_t CPhysicsWorld::CategoryForObject(int32_t object) {
  const std::vector<int32_t> partners = Partners(object);
  if (partners.empty()) return -1;
  int32_t owner = object;
  for (const CObjectKF* at = Object_Data(object); at != nullptr;) {
    const int32_t parent = at->parentIndex;
    const CObjectKF* parentData = parent >= 0 ? Object_Data(parent) : nullptr;
    if (parentData == nullptr || parent == owner) break;
    if (Partners(parent).size() != partners.size()) break;
    owner = parent;
    at = parentData;
    if (owner == object) break;  // a parent chain that loops
  }
  const int32_t slot = AssignCollisionCategory(owner);
  if (slot < 0) return -1;
  Category& mine = categories_[static_cast<size_t>(slot)];
  for (int32_t partner : partners) {
    for (Category& other : categories_) {
      if (other.object != partner) continue;
      mine.maskBits |= other.categoryBits;
      other.maskBits |= mine.categoryBits;
    }
  }
  return slot;
}

uint32_t CPhysicsWorld::CategoryBits(int32_t slot) const {
  return slot < 0 || slot >= kPhysicsCategoryCount ? 0 : categories_[static_cast<size_t>(slot)].categoryBits;
}

uint32_t CPhysicsWorld::MaskBits(int32_t slot) const {
  return slot < 0 || slot >= kPhysicsCategoryCount ? 0 : categories_[static_cast<size_t>(slot)].maskBits;
}

void CPhysicsWorld::RefreshCollisionFilters() {
  for (b2Body* body = world_->GetBodyList(); body != nullptr; body = body->GetNext()) {
    const CInstance* instance = BodyInstance(body);
    if (instance == nullptr || instance->physics == nullptr || instance->physics->slot == -1) continue;
    const int32_t slot = instance->physics->slot;
    for (b2Fixture* f = body->GetFixtureList(); f != nullptr; f = f->GetNext()) {
      b2Filter filter = f->GetFilterData();
      filter.categoryBits = static_cast<uint16>(CategoryBits(slot));
      filter.maskBits = static_cast<uint16>(MaskBits(slot));
      f->SetFilterData(filter);
    }
  }
}

// ---- debug drawing ----

void CPhysicsWorld::DrawDebug(int32_t flags) {
  uint32 bits = 0;
  if ((flags & 1) != 0) bits |= b2Draw::e_shapeBit;
  if ((flags & 2) != 0) bits |= b2Draw::e_jointBit;
  if ((flags & 4) != 0) bits |= b2Draw::e_centerOfMassBit;
  if ((flags & 8) != 0) bits |= b2Draw::e_aabbBit;
  if ((flags & 64) != 0) bits |= b2Draw::e_pairBit;
  renderer_->SetFlags(bits);
  world_->DebugDraw();
  renderer_->SetFlags(0);
}

// ---- the room's world ----

CPhysicsWorld* Physics_CurrentWorld() {
  CRoom* room = Run_CurrentRoom();
  return room == nullptr ? nullptr : room->physicsWorldObject.get();
}

bool Physics_ValidScale(float scale) { return std::isfinite(scale) && scale > 0.0f && std::isfinite(1.0f / scale); }

void Physics_WorldCreate(float scale) {
  CRoom* room = Run_CurrentRoom();
  if (room == nullptr) {
    Error_Show_Action("No room is available to create a physics world for", false);
    return;
  }
  if (!Physics_ValidScale(scale)) {
    Error_Show_Action("physics_world_create: The scale must be a number of metres per pixel greater than 0", false);
    return;
  }
  if (room->physicsWorldObject != nullptr) {
    room->physicsWorldObject->scale = scale;
    room->physicsWorldObject->updateSpeed = room->speed;
    return;
  }
  room->physicsWorldObject = std::make_unique<CPhysicsWorld>(scale, room->speed);
}

void Physics_CreateBodyForInstance(CRoom& room, CInstance& instance) {
  CPhysicsWorld* world = room.physicsWorldObject.get();
  const CObjectKF* object = instance.object;
  if (world == nullptr || object == nullptr || !object->usesPhysics) return;
  CPhysicsFixture fixture(0);
  fixture.density = object->density;
  fixture.restitution = object->restitution;
  fixture.group = static_cast<int16_t>(object->collisionGroup);
  fixture.linearDamping = object->linearDamping;
  fixture.angularDamping = object->angularDamping;
  fixture.sensor = object->sensor;
  const float s = world->scale;
  if (object->shapeKind == PhysicsShape::Circle) {
    if (object->points.size() < 2) return;
    fixture.SetCircleShape(object->points[1].x * s);
  } else {
    fixture.SetPolygonShape();
    fixture.points.clear();
    for (const ObjectPhysicsPoint& p : object->points) fixture.points.push_back({p.x * s, p.y * s});
  }
  world->BindFixture(fixture, instance);
}

// ---- the assertion hook ----

namespace {
bool g_AssertHandlerInstalled = false;
}

void Physics_InstallAssertHandler() { g_AssertHandlerInstalled = true; }

bool Physics_AssertHandlerInstalled() { return g_AssertHandlerInstalled; }

void Physics_FreeAll() {
  PhysicsJoint_FreeAll();
  PhysicsFixture_FreeAll();
}
