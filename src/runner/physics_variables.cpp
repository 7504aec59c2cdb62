#include "runner/physics_variables.h"

#include <box2d/box2d.h>

#include "data/rooms.h"
#include "runner/instance.h"
#include "runner/physics_objects.h"
#include "runner/physics_world.h"
#include "runner/room_start.h"
#include "script/script_value.h"

namespace {

b2Body* Body(const CInstance* instance) {
  if (instance == nullptr || instance->physics == nullptr) return nullptr;
  return instance->physics->body;
}

// The body and the scale of its world; null without either.
b2Body* ScaledBody(const CInstance* instance, float& scale) {
  b2Body* body = Body(instance);
  if (body == nullptr || instance->physics->world == nullptr) return nullptr;
  scale = instance->physics->world->scale;
  return body;
}

bool Answer(ScriptValue& out, double value) {
  out.SetReal(value);
  return true;
}

float ToDegrees(float radians) { return radians * 180.0f / kPhysicsPi; }

int32_t RoomSpeed() {
  const CRoom* room = Run_CurrentRoom();
  return room == nullptr ? 0 : room->speed;
}

// phy_position_*, phy_linear_velocity_* and phy_speed_* as one pattern: a vector of the body
// read and written one component at a time, divided by the scale (and the room speed).
enum class Vector { Position, Velocity, Speed };

template <Vector V, int Component>
bool GetVector(CInstance* instance, ScriptValue& out) {
  float scale = 0.0f;
  const b2Body* body = ScaledBody(instance, scale);
  if (body == nullptr) return false;
  const b2Vec2 v = V == Vector::Position ? body->GetPosition() : body->GetLinearVelocity();
  double value = (Component == 0 ? v.x : v.y) / scale;
  if (V == Vector::Speed) value /= RoomSpeed();
  return Answer(out, value);
}

template <Vector V, int Component>
bool SetVector(CInstance* instance, const ScriptValue& value) {
  float scale = 0.0f;
  const b2Body* body = ScaledBody(instance, scale);
  if (body == nullptr) return false;
  float given = static_cast<float>(value.real) * scale;
  if (V == Vector::Speed) given *= static_cast<float>(RoomSpeed());
  b2Vec2 v = V == Vector::Position ? body->GetPosition() : body->GetLinearVelocity();
  (Component == 0 ? v.x : v.y) = given;
  CPhysicsObject& object = *instance->physics;
  return V == Vector::Position ? object.SetPosition(v.x, v.y) : object.SetLinearVelocity(v.x, v.y);
}

}  // namespace

bool GV_PhyRotation(CInstance* instance, int32_t, ScriptValue& out) {
  const b2Body* body = Body(instance);
  return body != nullptr && Answer(out, ToDegrees(body->GetAngle()));
}
bool SV_PhyRotation(CInstance* instance, int32_t, const ScriptValue& value) {
  return Body(instance) != nullptr && instance->physics->SetRotation(static_cast<float>(value.real));
}

bool GV_PhyPositionX(CInstance* i, int32_t, ScriptValue& out) { return GetVector<Vector::Position, 0>(i, out); }
bool SV_PhyPositionX(CInstance* i, int32_t, const ScriptValue& v) { return SetVector<Vector::Position, 0>(i, v); }
bool GV_PhyPositionY(CInstance* i, int32_t, ScriptValue& out) { return GetVector<Vector::Position, 1>(i, out); }
bool SV_PhyPositionY(CInstance* i, int32_t, const ScriptValue& v) { return SetVector<Vector::Position, 1>(i, v); }

bool GV_PhyAngularVelocity(CInstance* instance, int32_t, ScriptValue& out) {
  const b2Body* body = Body(instance);
  return body != nullptr && Answer(out, ToDegrees(body->GetAngularVelocity()));
}
bool SV_PhyAngularVelocity(CInstance* instance, int32_t, const ScriptValue& value) {
  return Body(instance) != nullptr && instance->physics->SetAngularVelocity(static_cast<float>(value.real));
}

bool GV_PhyLinearVelocityX(CInstance* i, int32_t, ScriptValue& out) { return GetVector<Vector::Velocity, 0>(i, out); }
bool SV_PhyLinearVelocityX(CInstance* i, int32_t, const ScriptValue& v) { return SetVector<Vector::Velocity, 0>(i, v); }
bool GV_PhyLinearVelocityY(CInstance* i, int32_t, ScriptValue& out) { return GetVector<Vector::Velocity, 1>(i, out); }
bool SV_PhyLinearVelocityY(CInstance* i, int32_t, const ScriptValue& v) { return SetVector<Vector::Velocity, 1>(i, v); }
bool GV_PhySpeedX(CInstance* i, int32_t, ScriptValue& out) { return GetVector<Vector::Speed, 0>(i, out); }
bool SV_PhySpeedX(CInstance* i, int32_t, const ScriptValue& v) { return SetVector<Vector::Speed, 0>(i, v); }
bool GV_PhySpeedY(CInstance* i, int32_t, ScriptValue& out) { return GetVector<Vector::Speed, 1>(i, out); }
bool SV_PhySpeedY(CInstance* i, int32_t, const ScriptValue& v) { return SetVector<Vector::Speed, 1>(i, v); }

bool GV_PhyBullet(CInstance* instance, int32_t, ScriptValue& out) {
  const b2Body* body = Body(instance);
  return body != nullptr && Answer(out, body->IsBullet() ? 1.0 : 0.0);
}
bool SV_PhyBullet(CInstance* instance, int32_t, const ScriptValue& value) {
  b2Body* body = Body(instance);
  if (body == nullptr) return false;
  body->SetBullet(value.real > 0.5);
  return true;
}

bool GV_PhyFixedRotation(CInstance* instance, int32_t, ScriptValue& out) {
  const b2Body* body = Body(instance);
  return body != nullptr && Answer(out, body->IsFixedRotation() ? 1.0 : 0.0);
}
bool SV_PhyFixedRotation(CInstance* instance, int32_t, const ScriptValue& value) {
  b2Body* body = Body(instance);
  if (body == nullptr) return false;
  body->SetFixedRotation(value.real > 0.5);
  return true;
}

bool GV_PhyActive(CInstance* instance, int32_t, ScriptValue& out) {
  const b2Body* body = Body(instance);
  return body != nullptr && Answer(out, body->IsEnabled() ? 1.0 : 0.0);
}
bool SV_PhyActive(CInstance* instance, int32_t, const ScriptValue& value) {
  b2Body* body = Body(instance);
  // Box2D refuses to change a body while its world steps.
  if (body == nullptr || body->GetWorld()->IsLocked()) return false;
  body->SetEnabled(value.real > 0.5);
  return true;
}

bool GV_PhyMass(CInstance* instance, int32_t, ScriptValue& out) {
  const b2Body* body = Body(instance);
  return body != nullptr && Answer(out, body->GetMass());
}
bool GV_PhyInertia(CInstance* instance, int32_t, ScriptValue& out) {
  const b2Body* body = Body(instance);
  return body != nullptr && Answer(out, body->GetInertia());
}
bool GV_PhyComX(CInstance* instance, int32_t, ScriptValue& out) {
  float scale = 0.0f;
  const b2Body* body = ScaledBody(instance, scale);
  return body != nullptr && Answer(out, body->GetWorldCenter().x / scale);
}
bool GV_PhyComY(CInstance* instance, int32_t, ScriptValue& out) {
  float scale = 0.0f;
  const b2Body* body = ScaledBody(instance, scale);
  return body != nullptr && Answer(out, body->GetWorldCenter().y / scale);
}
bool GV_PhyDynamic(CInstance* instance, int32_t, ScriptValue& out) {
  const b2Body* body = Body(instance);
  return body != nullptr && Answer(out, body->GetType() == b2_dynamicBody ? 1.0 : 0.0);
}
bool GV_PhyKinematic(CInstance* instance, int32_t, ScriptValue& out) {
  const b2Body* body = Body(instance);
  return body != nullptr && Answer(out, body->GetType() == b2_kinematicBody ? 1.0 : 0.0);
}
bool GV_PhySleeping(CInstance* instance, int32_t, ScriptValue& out) {
  const b2Body* body = Body(instance);
  return body != nullptr && Answer(out, body->IsAwake() ? 0.0 : 1.0);
}

bool GV_PhyCollisionPoints(CInstance* instance, int32_t, ScriptValue& out) {
  const CPhysicsWorld* world = Physics_CurrentWorld();
  if (Body(instance) == nullptr || world == nullptr) return false;
  return Answer(out, world->GetCollisionPointCount(*instance));
}

namespace {

enum class Contact { PointX, PointY, NormalX, NormalY };

template <Contact C>
bool GetContact(CInstance* instance, int32_t index, ScriptValue& out) {
  const CPhysicsWorld* world = Physics_CurrentWorld();
  if (Body(instance) == nullptr || world == nullptr) return false;
  float x = 0.0f, y = 0.0f;
  const bool point = C == Contact::PointX || C == Contact::PointY;
  const bool found = point ? world->GetCollisionPoint(*instance, index, x, y)
                           : world->GetCollisionNormal(*instance, index, x, y);
  if (!found) return false;
  return Answer(out, C == Contact::PointX || C == Contact::NormalX ? x : y);
}

}  // namespace

bool GV_PhyCollisionX(CInstance* i, int32_t index, ScriptValue& out) { return GetContact<Contact::PointX>(i, index, out); }
bool GV_PhyCollisionY(CInstance* i, int32_t index, ScriptValue& out) { return GetContact<Contact::PointY>(i, index, out); }
bool GV_PhyColNormalX(CInstance* i, int32_t index, ScriptValue& out) { return GetContact<Contact::NormalX>(i, index, out); }
bool GV_PhyColNormalY(CInstance* i, int32_t index, ScriptValue& out) { return GetContact<Contact::NormalY>(i, index, out); }
