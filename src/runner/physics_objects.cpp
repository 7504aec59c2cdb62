#include "runner/physics_objects.h"

#include <box2d/box2d.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>

#include "data/objects.h"
#include "graphics/primitives.h"
#include "runner/instance.h"
#include "runner/physics_world.h"
#include "script/error_report.h"

namespace {

bool Finite(float v) { return std::isfinite(v); }
template <typename... T>
bool AllFinite(T... values) {
  return (Finite(values) && ...);
}

float Cross(float ax, float ay, float bx, float by) { return ax * by - ay * bx; }

struct FixtureTable {
  int32_t lastId = 0;
  std::map<int32_t, std::unique_ptr<CPhysicsFixture>> fixtures;
};
FixtureTable& Fixtures() {
  static FixtureTable table;
  return table;
}

struct JointTable {
  int32_t lastId = 0;
  std::vector<std::unique_ptr<CPhysicsJoint>> joints;
};
JointTable& Joints() {
  static JointTable table;
  return table;
}

std::string ObjectName(const CInstance& instance) {
  return instance.object != nullptr ? instance.object->Name() : std::string("<undefined>");
}

void Wake(b2Body* body) {
  if (body != nullptr) body->SetAwake(true);
}

}  // namespace

// ---- fixtures ----

void CPhysicsFixture::SetCircleShape(float r) {
  shape = PhysicsShapeKind::Circle;
  radius = r;
  points.clear();
}

void CPhysicsFixture::SetBoxShape(float hw, float hh) {
  shape = PhysicsShapeKind::Box;
  halfWidth = hw;
  halfHeight = hh;
  points.clear();
}

void CPhysicsFixture::SetPolygonShape() {
  shape = PhysicsShapeKind::Polygon;
  points.clear();
  points.reserve(kPhysicsMaxPolygonPoints);
}

bool CPhysicsFixture::AddPoint(float x, float y) {
  if (shape != PhysicsShapeKind::Polygon || static_cast<int32_t>(points.size()) >= kPhysicsMaxPolygonPoints) {
    return false;
  }
  points.push_back({x, y});
  return CheckPolygon();
}

bool CPhysicsFixture::CheckPolygon() const {
  const size_t n = points.size();
  if (n < 3) return true;
  for (size_t i = 0; i < n; ++i) {
    const PhysicsPoint& a = points[i];
    const PhysicsPoint& b = points[(i + 1) % n];
    for (size_t k = 0; k < n; ++k) {
      if (k == i || k == (i + 1) % n) continue;
      if (!(Cross(b.x - a.x, b.y - a.y, points[k].x - a.x, points[k].y - a.y) > 0.0f)) {
        Error_Show_Action("ERROR: The polygon shape for fixture " + std::to_string(id) +
                              " is concave or ordered anti-clockwise",
                          false);
        return false;
      }
    }
  }
  return true;
}

CPhysicsFixture& PhysicsFixture_Create() {
  FixtureTable& table = Fixtures();
  const int32_t id = ++table.lastId;
  auto& slot = table.fixtures[id];
  slot = std::make_unique<CPhysicsFixture>(id);
  return *slot;
}

CPhysicsFixture* PhysicsFixture_Find(int32_t id) {
  auto found = Fixtures().fixtures.find(id);
  return found == Fixtures().fixtures.end() ? nullptr : found->second.get();
}

bool PhysicsFixture_Delete(int32_t id) { return Fixtures().fixtures.erase(id) > 0; }

void PhysicsFixture_FreeAll() { Fixtures().fixtures.clear(); }

// Box2D builds a polygon from the convex hull of its points after welding points closer than
// half its linear slop, and asserts when fewer than three corners or no area remain: the same
// steps are taken here, in the same arithmetic, before the library sees the points.
std::string PhysicsPolygon_Problem(const std::vector<PhysicsPoint>& input) {
  if (input.size() < 3) return "fewer than 3 points";
  if (input.size() > static_cast<size_t>(b2_maxPolygonVertices)) return "more than 8 points";
  std::vector<b2Vec2> ps;
  for (const PhysicsPoint& p : input) {
    if (!AllFinite(p.x, p.y)) return "a point that is not a number";
    const b2Vec2 v(p.x, p.y);
    bool unique = true;
    for (const b2Vec2& q : ps) {
      if (b2DistanceSquared(v, q) < ((0.5f * b2_linearSlop) * (0.5f * b2_linearSlop))) {
        unique = false;
        break;
      }
    }
    if (unique) ps.push_back(v);
  }
  const int32 n = static_cast<int32>(ps.size());
  if (n < 3) return "no area: its points lie too close together";
  // Gift wrapping from the rightmost point, as the library does it.
  int32 i0 = 0;
  float x0 = ps[0].x;
  for (int32 i = 1; i < n; ++i) {
    const float x = ps[i].x;
    if (x > x0 || (x == x0 && ps[i].y < ps[i0].y)) {
      i0 = i;
      x0 = x;
    }
  }
  int32 hull[b2_maxPolygonVertices];
  int32 m = 0;
  int32 ih = i0;
  for (;;) {
    if (m >= b2_maxPolygonVertices) return "a hull that does not close";
    hull[m] = ih;
    int32 ie = 0;
    for (int32 j = 1; j < n; ++j) {
      if (ie == ih) {
        ie = j;
        continue;
      }
      const b2Vec2 r = ps[ie] - ps[hull[m]];
      const b2Vec2 v = ps[j] - ps[hull[m]];
      const float c = b2Cross(r, v);
      if (c < 0.0f) ie = j;
      if (c == 0.0f && v.LengthSquared() > r.LengthSquared()) ie = j;
    }
    ++m;
    ih = ie;
    if (ie == i0) break;
  }
  if (m < 3) return "no area: its points lie on one line";
  std::vector<b2Vec2> vs(static_cast<size_t>(m));
  for (int32 i = 0; i < m; ++i) vs[static_cast<size_t>(i)] = ps[hull[i]];
  for (int32 i = 0; i < m; ++i) {
    const b2Vec2 edge = vs[static_cast<size_t>((i + 1) % m)] - vs[static_cast<size_t>(i)];
    if (!(edge.LengthSquared() > b2_epsilon * b2_epsilon)) return "no area: an edge has no length";
  }
  float area = 0.0f;
  const b2Vec2 s = vs[0];
  for (int32 i = 0; i < m; ++i) {
    const b2Vec2 e1 = vs[static_cast<size_t>(i)] - s;
    const b2Vec2 e2 = vs[static_cast<size_t>((i + 1) % m)] - s;
    area += 0.5f * b2Cross(e1, e2);
  }
  if (!(area > b2_epsilon)) return "no area";
  return {};
}

// ---- binding ----

namespace {

// The shape of a fixture as Box2D takes it, or a report. Polygons were checked by the caller.
bool MakeShape(const CPhysicsFixture& fixture, b2CircleShape& circle, b2PolygonShape& polygon,
               const b2Shape*& shape) {
  switch (fixture.shape) {
    case PhysicsShapeKind::Circle:
      if (!(Finite(fixture.radius) && fixture.radius > 0.0f)) {
        Error_Show_Action("The circle shape of fixture " + std::to_string(fixture.id) +
                              " needs a radius greater than 0",
                          false);
        return false;
      }
      circle.m_radius = fixture.radius;
      shape = &circle;
      return true;
    case PhysicsShapeKind::Box:
      // Box2D computes a box's mass from its area and asserts that there is some.
      if (!(AllFinite(fixture.halfWidth, fixture.halfHeight) && fixture.halfWidth > 0.0f &&
            fixture.halfHeight > 0.0f && 4.0f * fixture.halfWidth * fixture.halfHeight > b2_epsilon)) {
        Error_Show_Action("The box shape of fixture " + std::to_string(fixture.id) +
                              " needs a width and a height greater than 0",
                          false);
        return false;
      }
      polygon.SetAsBox(fixture.halfWidth, fixture.halfHeight);
      shape = &polygon;
      return true;
    case PhysicsShapeKind::Polygon: {
      b2Vec2 vertices[b2_maxPolygonVertices];
      const int32 count = static_cast<int32>(fixture.points.size());
      for (int32 i = 0; i < count; ++i) vertices[i].Set(fixture.points[i].x, fixture.points[i].y);
      polygon.Set(vertices, count);
      shape = &polygon;
      return true;
    }
    case PhysicsShapeKind::None:
      break;
  }
  Error_Show_Action("The physics fixture " + std::to_string(fixture.id) + " has no shape", false);
  return false;
}

}  // namespace

bool CPhysicsWorld::BindFixture(const CPhysicsFixture& fixture, CInstance& instance) {
  if (world_->IsLocked()) return false;
  if (fixture.shape == PhysicsShapeKind::Polygon) {
    if (fixture.points.size() < 3) {
      Error_Show_Action("Too few vertices in polygon shape fixture for " + ObjectName(instance), true);
      return false;
    }
    // Enough points that make no shape (on one line, welded together) are refused as the
    // other bad shapes are: saying what is wrong, and the game goes on.
    if (const std::string problem = PhysicsPolygon_Problem(fixture.points); !problem.empty()) {
      // Fixture 0 stands for an object's own physics settings.
      const std::string owner = fixture.id == 0 ? "the physics settings of " + ObjectName(instance)
                                                : "fixture " + std::to_string(fixture.id) + " for " + ObjectName(instance);
      Error_Show_Action("The polygon shape of " + owner + " has " + problem, false);
      return false;
    }
  }
  if (!(Finite(fixture.density) && fixture.density >= 0.0f && AllFinite(fixture.friction, fixture.restitution) &&
        Finite(fixture.linearDamping) && fixture.linearDamping >= 0.0f && Finite(fixture.angularDamping) &&
        fixture.angularDamping >= 0.0f)) {
    Error_Show_Action("The physics fixture " + std::to_string(fixture.id) +
                          " has a density or damping below 0 or not a number",
                      false);
    return false;
  }
  b2CircleShape circle;
  b2PolygonShape polygon;
  const b2Shape* shape = nullptr;
  if (!MakeShape(fixture, circle, polygon, shape)) return false;

  const int32_t slot = CategoryForObject(instance.object_index);
  b2FixtureDef def;
  def.shape = shape;
  def.friction = fixture.friction;
  def.restitution = fixture.restitution;
  def.density = fixture.density;
  def.isSensor = fixture.sensor;
  def.filter.categoryBits = static_cast<uint16>(CategoryBits(slot));
  def.filter.maskBits = static_cast<uint16>(MaskBits(slot));
  def.filter.groupIndex = fixture.group;

  CPhysicsObject* existing = instance.physics.get();
  if (existing != nullptr && existing->body != nullptr && existing->world == this) {
    existing->body->CreateFixture(&def);
    RefreshCollisionFilters();
    return true;
  }

  b2BodyDef body;
  body.type = fixture.density > 0.0f ? b2_dynamicBody : fixture.kinematic ? b2_kinematicBody : b2_staticBody;
  body.position.Set(instance.x * scale, instance.y * scale);
  body.angle = -instance.image_angle * kPhysicsPi / 180.0f;
  body.linearDamping = fixture.linearDamping;
  body.angularDamping = fixture.angularDamping;
  body.allowSleep = true;
  body.awake = fixture.awake;
  body.userData.pointer = reinterpret_cast<uintptr_t>(&instance);
  if (!(body.position.IsValid() && Finite(body.angle))) {
    Error_Show_Action("The position of an instance of " + ObjectName(instance) +
                          " cannot be given to the physics world",
                      false);
    return false;
  }
  // An object left from a world that is gone (or another room's) gives way to the new body.
  instance.physics.reset();
  b2Body* made = world_->CreateBody(&body);
  made->CreateFixture(&def);
  instance.physics = std::make_shared<CPhysicsObject>(*this, made, slot);
  RefreshCollisionFilters();
  return true;
}

// ---- bodies ----

CPhysicsObject::~CPhysicsObject() {
  if (world != nullptr && body != nullptr) world->DestroyBody(body);
}

bool CPhysicsObject::SetPosition(float x, float y) {
  if (body == nullptr || !AllFinite(x, y) || world->IsLocked()) return false;
  body->SetTransform(b2Vec2(x, y), body->GetAngle());
  Wake(body);
  return true;
}

bool CPhysicsObject::SetRotation(float degrees) {
  const float angle = degrees * kPhysicsPi / 180.0f;
  if (body == nullptr || !Finite(angle) || world->IsLocked()) return false;
  body->SetTransform(body->GetPosition(), angle);
  Wake(body);
  return true;
}

bool CPhysicsObject::SetLinearVelocity(float vx, float vy) {
  if (body == nullptr || !AllFinite(vx, vy) || world->IsLocked()) return false;
  const bool moving = vx != 0.0f || vy != 0.0f;
  if (moving && body->GetType() == b2_staticBody) body->SetType(b2_kinematicBody);
  if (body->GetType() != b2_staticBody) {
    if (moving) Wake(body);
    body->SetLinearVelocity(b2Vec2(vx, vy));
  }
  Wake(body);
  return true;
}

bool CPhysicsObject::SetAngularVelocity(float degreesPerSecond) {
  const float w = degreesPerSecond * kPhysicsPi / 180.0f;
  if (body == nullptr || !Finite(w)) return false;
  if (body->GetType() != b2_staticBody) {
    if (w != 0.0f) Wake(body);
    body->SetAngularVelocity(w);
  }
  Wake(body);
  return true;
}

void CPhysicsObject::ApplyImpulse(float px, float py, float ix, float iy) {
  if (body == nullptr || body->GetType() != b2_dynamicBody || !AllFinite(px, py, ix, iy)) return;
  body->ApplyLinearImpulse(b2Vec2(ix, iy), b2Vec2(px, py), true);
}

void CPhysicsObject::ApplyForce(float px, float py, float fx, float fy) {
  if (body == nullptr || body->GetType() != b2_dynamicBody || !AllFinite(px, py, fx, fy)) return;
  body->ApplyForce(b2Vec2(fx, fy), b2Vec2(px, py), true);
}

void CPhysicsObject::ApplyLocalForce(float px, float py, float fx, float fy) {
  if (body == nullptr) return;
  const b2Vec2 p = body->GetWorldPoint(b2Vec2(px, py));
  const b2Vec2 f = body->GetWorldVector(b2Vec2(fx, fy));
  ApplyForce(p.x, p.y, f.x, f.y);
}

void CPhysicsObject::ApplyLocalImpulse(float px, float py, float ix, float iy) {
  if (body == nullptr) return;
  const b2Vec2 p = body->GetWorldPoint(b2Vec2(px, py));
  const b2Vec2 i = body->GetWorldVector(b2Vec2(ix, iy));
  ApplyImpulse(p.x, p.y, i.x, i.y);
}

void CPhysicsObject::ApplyTorque(float torque) {
  if (body == nullptr || body->GetType() != b2_dynamicBody || !Finite(torque)) return;
  body->ApplyTorque(torque, true);
}

bool CPhysicsObject::SetMassData(float mass, float centreX, float centreY, float inertia) {
  if (body == nullptr || world->IsLocked()) return false;
  if (!AllFinite(mass, centreX, centreY, inertia)) {
    Error_Show_Action("The mass properties of a body must be numbers", false);
    return false;
  }
  // Box2D asserts that the inertia left about the centre of mass is positive.
  const float m = mass <= 0.0f ? 1.0f : mass;
  if (body->GetType() == b2_dynamicBody && inertia > 0.0f && !body->IsFixedRotation() &&
      !(inertia - m * (centreX * centreX + centreY * centreY) > 0.0f)) {
    Error_Show_Action("The inertia of a body must be greater than its mass times the square of the distance to "
                      "its centre of mass",
                      false);
    return false;
  }
  b2MassData data;
  data.mass = mass;
  data.center.Set(centreX, centreY);
  data.I = inertia;
  body->SetMassData(&data);
  return true;
}

void CPhysicsObject::DrawDebug(float f) const {
  if (body == nullptr) return;
  const b2Vec2 position = body->GetPosition();
  for (const b2Fixture* fixture = body->GetFixtureList(); fixture != nullptr; fixture = fixture->GetNext()) {
    const b2Shape* shape = fixture->GetShape();
    if (shape->GetType() == b2Shape::e_polygon) {
      const auto* polygon = static_cast<const b2PolygonShape*>(shape);
      const int32 n = polygon->m_count;
      for (int32 i = 0; i < n; ++i) {
        const b2Vec2 a = body->GetWorldPoint(polygon->m_vertices[i]);
        const b2Vec2 b = body->GetWorldPoint(polygon->m_vertices[(i + 1) % n]);
        GR_Draw_Line(a.x * f, a.y * f, b.x * f, b.y * f);
      }
    } else if (shape->GetType() == b2Shape::e_circle) {
      const float r = shape->m_radius;
      GR_Draw_Ellipse((position.x - r) * f, (position.y - r) * f, (position.x + r) * f, (position.y + r) * f, true);
    }
  }
  for (const b2JointEdge* edge = body->GetJointList(); edge != nullptr; edge = edge->next) {
    b2Joint* joint = edge->joint;
    const b2Vec2 a = joint->GetAnchorA();
    const b2Vec2 b = joint->GetAnchorB();
    switch (joint->GetType()) {
      case e_revoluteJoint:
        GR_Draw_Line(a.x * f - 2.0f, a.y * f, a.x * f + 2.0f, a.y * f);
        GR_Draw_Line(a.x * f, a.y * f - 2.0f, a.x * f, a.y * f + 2.0f);
        break;
      case e_prismaticJoint:
        GR_Draw_Line(a.x * f, a.y * f, position.x * f, position.y * f);
        break;
      case e_distanceJoint:
        GR_Draw_Line(a.x * f, a.y * f, b.x * f, b.y * f);
        break;
      case e_pulleyJoint: {
        const auto* pulley = static_cast<const b2PulleyJoint*>(joint);
        const b2Vec2 ga = pulley->GetGroundAnchorA();
        const b2Vec2 gb = pulley->GetGroundAnchorB();
        const bool isA = joint->GetBodyA() == body;
        const b2Vec2 mine = isA ? a : b;
        const b2Vec2 ground = isA ? ga : gb;
        GR_Draw_Line(mine.x * f, mine.y * f, ground.x * f, ground.y * f);
        GR_Draw_Line(ga.x * f, ga.y * f, gb.x * f, gb.y * f);
        break;
      }
      default:
        break;
    }
  }
}

// ---- joints ----

CPhysicsJoint* PhysicsJoint_Find(int32_t id) {
  for (auto& record : Joints().joints) {
    if (record->id == id) return record.get();
  }
  return nullptr;
}

int32_t PhysicsJoint_Add(b2Joint* joint, CPhysicsWorld& world) {
  JointTable& table = Joints();
  const int32_t id = ++table.lastId;
  table.joints.push_back(std::make_unique<CPhysicsJoint>(id, joint, world));
  return id;
}

void PhysicsJoint_Forget(const b2Joint* joint) {
  auto& joints = Joints().joints;
  joints.erase(std::remove_if(joints.begin(), joints.end(), [joint](const auto& r) { return r->joint == joint; }),
               joints.end());
}

void PhysicsJoint_ForgetWorld(const CPhysicsWorld& world) {
  auto& joints = Joints().joints;
  joints.erase(std::remove_if(joints.begin(), joints.end(), [&world](const auto& r) { return r->world == &world; }),
               joints.end());
}

std::vector<CPhysicsJoint*> PhysicsJoint_All() {
  std::vector<CPhysicsJoint*> all;
  for (auto& record : Joints().joints) all.push_back(record.get());
  return all;
}

void PhysicsJoint_FreeAll() { Joints().joints.clear(); }

void CPhysicsJoint::EnableMotor(bool enable) {
  const b2JointType type = joint->GetType();
  if (type != e_revoluteJoint && type != e_prismaticJoint) return;
  Wake(joint->GetBodyA());
  Wake(joint->GetBodyB());
  if (type == e_revoluteJoint) static_cast<b2RevoluteJoint*>(joint)->EnableMotor(enable);
  else static_cast<b2PrismaticJoint*>(joint)->EnableMotor(enable);
}

void CPhysicsJoint::SetValue(int32_t code, float value) {
  const b2JointType type = joint->GetType();
  if (!Finite(value)) return;
  if (code == 7 && (type == e_revoluteJoint || type == e_prismaticJoint)) {
    Wake(joint->GetBodyA());
    Wake(joint->GetBodyB());
    if (type == e_revoluteJoint) static_cast<b2RevoluteJoint*>(joint)->SetMotorSpeed(value);
    else static_cast<b2PrismaticJoint*>(joint)->SetMotorSpeed(value);
  } else if (code == 10 && type == e_revoluteJoint) {
    static_cast<b2RevoluteJoint*>(joint)->SetMaxMotorTorque(value);
  } else if (code == 14 && type == e_prismaticJoint) {
    static_cast<b2PrismaticJoint*>(joint)->SetMaxMotorForce(value);
  }
}

float CPhysicsJoint::GetValue(int32_t code) const {
  const b2JointType type = joint->GetType();
  const float inverseStep = 1.0f / static_cast<float>(world->updateSpeed);
  const auto* revolute = type == e_revoluteJoint ? static_cast<const b2RevoluteJoint*>(joint) : nullptr;
  const auto* prismatic = type == e_prismaticJoint ? static_cast<const b2PrismaticJoint*>(joint) : nullptr;
  const auto* pulley = type == e_pulleyJoint ? static_cast<const b2PulleyJoint*>(joint) : nullptr;
  switch (code) {
    case 0: return joint->GetAnchorA().x;
    case 1: return joint->GetAnchorA().y;
    case 2: return joint->GetAnchorB().x;
    case 3: return joint->GetAnchorB().y;
    case 4: return joint->GetReactionForce(inverseStep).x;
    case 5: return joint->GetReactionForce(inverseStep).y;
    case 6: return joint->GetReactionTorque(inverseStep);
    case 7: return revolute ? revolute->GetMotorSpeed() : prismatic ? prismatic->GetMotorSpeed() : 0.0f;
    case 8: return revolute ? revolute->GetJointAngle() : 0.0f;
    // The motor's impulse of the last step, as the torque and force were always given.
    case 9: return revolute ? revolute->GetMotorTorque(1.0f) : 0.0f;
    case 11: return prismatic ? prismatic->GetJointTranslation() : 0.0f;
    case 12: return prismatic ? prismatic->GetJointSpeed() : 0.0f;
    case 13: return prismatic ? prismatic->GetMotorForce(1.0f) : 0.0f;
    case 15: return pulley ? pulley->GetCurrentLengthA() : 0.0f;
    case 16: return pulley ? pulley->GetCurrentLengthB() : 0.0f;
    default: return 0.0f;
  }
}

namespace {

// Both bodies in this world, different, and the world not stepping; else a report.
bool JoinableBodies(CPhysicsWorld& world, const char* builtin, PhysicsJointBodies bodies) {
  const std::string prefix = std::string(builtin) + ": ";
  if (bodies.a == nullptr || bodies.b == nullptr || bodies.a->body == nullptr || bodies.b->body == nullptr ||
      bodies.a->world != &world || bodies.b->world != &world) {
    Error_Show_Action(prefix + "An instance does not have an associated physics representation", false);
    return false;
  }
  if (bodies.a->body == bodies.b->body) {
    Error_Show_Action(prefix + "A joint needs the bodies of two different instances", false);
    return false;
  }
  if (world.IsLocked()) {
    Error_Show_Action(prefix + "Joints cannot be made while the physics world steps", false);
    return false;
  }
  Wake(bodies.a->body);
  Wake(bodies.b->body);
  return true;
}

bool ValuesAreNumbers(const char* builtin, std::initializer_list<float> values) {
  for (float v : values) {
    if (!Finite(v)) {
      Error_Show_Action(std::string(builtin) + ": A joint value is not a number", false);
      return false;
    }
  }
  return true;
}

bool LimitsInOrder(const char* builtin, float lower, float upper) {
  if (lower <= upper) return true;
  Error_Show_Action(std::string(builtin) + ": The lower limit is greater than the upper limit", false);
  return false;
}

}  // namespace

int32_t Physics_CreateDistanceJoint(CPhysicsWorld& world, const char* builtin, PhysicsJointBodies bodies,
                                    float ax, float ay, float bx, float by, bool collide) {
  if (!ValuesAreNumbers(builtin, {ax, ay, bx, by}) || !JoinableBodies(world, builtin, bodies)) return -1;
  b2DistanceJointDef def;
  def.Initialize(bodies.a->body, bodies.b->body, b2Vec2(ax, ay), b2Vec2(bx, by));
  def.stiffness = 0.0f;
  def.damping = 0.0f;
  def.collideConnected = collide;
  return PhysicsJoint_Add(world.Box2D().CreateJoint(&def), world);
}

int32_t Physics_CreateRevoluteJoint(CPhysicsWorld& world, const char* builtin, PhysicsJointBodies bodies,
                                    float x, float y, float lower, float upper, bool limit, float maxTorque,
                                    float motorSpeed, bool motor, bool collide) {
  if (!ValuesAreNumbers(builtin, {x, y, lower, upper, maxTorque, motorSpeed}) || !LimitsInOrder(builtin, lower, upper) ||
      !JoinableBodies(world, builtin, bodies)) {
    return -1;
  }
  b2RevoluteJointDef def;
  def.Initialize(bodies.a->body, bodies.b->body, b2Vec2(x, y));
  def.lowerAngle = lower;
  def.upperAngle = upper;
  def.enableLimit = limit;
  def.maxMotorTorque = maxTorque;
  def.motorSpeed = motorSpeed;
  def.enableMotor = motor;
  def.collideConnected = collide;
  return PhysicsJoint_Add(world.Box2D().CreateJoint(&def), world);
}

int32_t Physics_CreatePrismaticJoint(CPhysicsWorld& world, const char* builtin, PhysicsJointBodies bodies,
                                     float x, float y, float axisX, float axisY, float lower, float upper,
                                     bool limit, float maxForce, float motorSpeed, bool motor, bool collide) {
  if (!ValuesAreNumbers(builtin, {x, y, axisX, axisY, lower, upper, maxForce, motorSpeed}) ||
      !LimitsInOrder(builtin, lower, upper)) {
    return -1;
  }
  if (!(b2Vec2(axisX, axisY).Length() > b2_epsilon)) {
    Error_Show_Action(std::string(builtin) + ": The axis of a prismatic joint needs a length", false);
    return -1;
  }
  if (!JoinableBodies(world, builtin, bodies)) return -1;
  b2PrismaticJointDef def;
  def.Initialize(bodies.a->body, bodies.b->body, b2Vec2(x, y), b2Vec2(axisX, axisY));
  def.lowerTranslation = lower;
  def.upperTranslation = upper;
  def.enableLimit = limit;
  def.maxMotorForce = maxForce;
  def.motorSpeed = motorSpeed;
  def.enableMotor = motor;
  def.collideConnected = collide;
  return PhysicsJoint_Add(world.Box2D().CreateJoint(&def), world);
}

int32_t Physics_CreatePulleyJoint(CPhysicsWorld& world, const char* builtin, PhysicsJointBodies bodies,
                                  float groundAX, float groundAY, float groundBX, float groundBY, float localAX,
                                  float localAY, float localBX, float localBY, float ratio, float, float,
                                  bool collide) {
  if (!ValuesAreNumbers(builtin, {groundAX, groundAY, groundBX, groundBY, localAX, localAY, localBX, localBY, ratio})) {
    return -1;
  }
  if (!(ratio > b2_epsilon)) {
    Error_Show_Action(std::string(builtin) + ": The ratio of a pulley joint must be greater than 0", false);
    return -1;
  }
  if (!JoinableBodies(world, builtin, bodies)) return -1;
  // The maximum lengths have no counterpart in this Box2D: the pulley runs without them.
  b2PulleyJointDef def;
  const b2Vec2 anchorA = bodies.a->body->GetWorldPoint(b2Vec2(localAX, localAY));
  const b2Vec2 anchorB = bodies.b->body->GetWorldPoint(b2Vec2(localBX, localBY));
  def.Initialize(bodies.a->body, bodies.b->body, b2Vec2(groundAX, groundAY), b2Vec2(groundBX, groundBY), anchorA,
                 anchorB, ratio);
  def.collideConnected = collide;
  return PhysicsJoint_Add(world.Box2D().CreateJoint(&def), world);
}

int32_t Physics_CreateGearJoint(CPhysicsWorld& world, const char* builtin, PhysicsJointBodies bodies,
                                CPhysicsJoint& joint1, CPhysicsJoint& joint2, float ratio) {
  const auto gearable = [](const CPhysicsJoint& j) {
    const b2JointType t = j.joint->GetType();
    return t == e_revoluteJoint || t == e_prismaticJoint;
  };
  if (!gearable(joint1) || !gearable(joint2)) return -1;
  if (!ValuesAreNumbers(builtin, {ratio})) return -1;
  if (joint1.world != &world || joint2.world != &world ||
      joint1.joint->GetBodyB() == joint2.joint->GetBodyB()) {
    Error_Show_Action(std::string(builtin) + ": The two joints of a gear must move two different bodies", false);
    return -1;
  }
  if (!JoinableBodies(world, builtin, bodies)) return -1;
  b2GearJointDef def;
  // Box2D takes the geared bodies from the two joints.
  def.bodyA = joint1.joint->GetBodyB();
  def.bodyB = joint2.joint->GetBodyB();
  def.joint1 = joint1.joint;
  def.joint2 = joint2.joint;
  def.ratio = ratio;
  def.collideConnected = false;
  return PhysicsJoint_Add(world.Box2D().CreateJoint(&def), world);
}

bool Physics_DestroyJoint(CPhysicsWorld& world, int32_t id) {
  CPhysicsJoint* record = PhysicsJoint_Find(id);
  if (record == nullptr || record->world != &world || world.IsLocked()) return false;
  b2Joint* joint = record->joint;
  // A gear keeps the joints it gears: gears on this joint go with it.
  for (CPhysicsJoint* other : PhysicsJoint_All()) {
    if (other->joint->GetType() != e_gearJoint) continue;
    auto* gear = static_cast<b2GearJoint*>(other->joint);
    if (gear->GetJoint1() == joint || gear->GetJoint2() == joint) {
      b2Joint* gearJoint = other->joint;
      PhysicsJoint_Forget(gearJoint);
      world.Box2D().DestroyJoint(gearJoint);
    }
  }
  PhysicsJoint_Forget(joint);
  world.Box2D().DestroyJoint(joint);
  return true;
}

bool Physics_TestOverlap(const CInstance& first, const CInstance& second, float x, float y, float angle) {
  const CPhysicsObject* a = first.physics.get();
  const CPhysicsObject* b = second.physics.get();
  if (a == nullptr || b == nullptr || a->body == nullptr || b->body == nullptr || !AllFinite(x, y, angle)) return false;
  const b2Transform placed(b2Vec2(x, y), b2Rot(angle));
  const b2Transform& where = b->body->GetTransform();
  for (const b2Fixture* fa = a->body->GetFixtureList(); fa != nullptr; fa = fa->GetNext()) {
    for (const b2Fixture* fb = b->body->GetFixtureList(); fb != nullptr; fb = fb->GetNext()) {
      if (b2TestOverlap(fa->GetShape(), 0, fb->GetShape(), 0, placed, where)) return true;
    }
  }
  return false;
}
