#include "runner/physics_saved.h"

#include <box2d/box2d.h>

#include <cmath>
#include <memory>
#include <unordered_map>

#include "data/rooms.h"
#include "platform/stream.h"
#include "runner/instance.h"
#include "runner/physics_objects.h"
#include "runner/physics_world.h"

namespace {

// An instance id, six reals and four flags.
constexpr int64_t kBodyBytes = 4 + 6 * 8 + 4 * 4;

const b2Body* BodyIn(const CInstance& instance, const CPhysicsWorld& world) {
  const CPhysicsObject* object = instance.physics.get();
  return object != nullptr && object->world == &world ? object->body : nullptr;
}

template <typename Visit>
void ForEachKept(const CRoom& room, Visit visit) {
  for (const InstanceList* list : {&room.active, &room.deactivated}) {
    for (CInstance* at = list->first; at != nullptr; at = at->next) {
      if (!at->marked) visit(*at);
    }
  }
}

void WriteBody(CStream& s, int32_t id, const b2Body& body) {
  s.WriteInteger(id);
  s.WriteReal(body.GetPosition().x);
  s.WriteReal(body.GetPosition().y);
  s.WriteReal(body.GetAngle());
  s.WriteReal(body.GetLinearVelocity().x);
  s.WriteReal(body.GetLinearVelocity().y);
  s.WriteReal(body.GetAngularVelocity());
  s.WriteBoolean(body.IsAwake());
  s.WriteBoolean(body.IsBullet());
  s.WriteBoolean(body.IsFixedRotation());
  s.WriteBoolean(body.IsEnabled());
}

// A real that must be a finite single-precision number; false otherwise.
bool ReadFinite(CStream& s, float& out) {
  out = static_cast<float>(s.ReadReal());
  return std::isfinite(out);
}

bool ReadBody(CStream& s, SavedPhysicsBody& body) {
  body.instance = s.ReadInteger();
  for (float* value : {&body.x, &body.y, &body.angle, &body.vx, &body.vy, &body.spin}) {
    if (!ReadFinite(s, *value)) return false;
  }
  body.awake = s.ReadBoolean();
  body.bullet = s.ReadBoolean();
  body.fixedRotation = s.ReadBoolean();
  body.active = s.ReadBoolean();
  return !s.Overrun();
}

void ApplyState(CPhysicsObject& object, const SavedPhysicsBody& saved) {
  b2Body& body = *object.body;
  body.SetTransform(b2Vec2(saved.x, saved.y), saved.angle);
  // As game code gave it: a static body that moves became kinematic.
  object.SetLinearVelocity(saved.vx, saved.vy);
  if (body.GetType() != b2_staticBody) body.SetAngularVelocity(saved.spin);
  body.SetBullet(saved.bullet);
  body.SetFixedRotation(saved.fixedRotation);
  body.SetEnabled(saved.active);
  body.SetAwake(saved.awake);
}

}  // namespace

void PhysicsSaved_Write(CStream& s, const CRoom& room) {
  const CPhysicsWorld* world = room.physicsWorldObject.get();
  s.WriteBoolean(world != nullptr);
  if (world == nullptr) return;
  s.WriteReal(world->scale);
  s.WriteInteger(world->updateSpeed);
  s.WriteInteger(world->iterations);
  s.WriteBoolean(world->paused);
  float gx = 0.0f, gy = 0.0f;
  world->GetGravity(gx, gy);
  s.WriteReal(gx);
  s.WriteReal(gy);
  int32_t count = 0;
  ForEachKept(room, [&](const CInstance& i) { count += BodyIn(i, *world) != nullptr ? 1 : 0; });
  s.WriteInteger(count);
  ForEachKept(room, [&](const CInstance& i) {
    if (const b2Body* body = BodyIn(i, *world)) WriteBody(s, i.id, *body);
  });
}

bool PhysicsSaved_Read(CStream& s, std::optional<SavedPhysicsWorld>& out) {
  out.reset();
  const bool hasWorld = s.ReadBoolean();
  if (s.Overrun()) return false;
  if (!hasWorld) return true;
  SavedPhysicsWorld world;
  world.scale = static_cast<float>(s.ReadReal());
  if (!Physics_ValidScale(world.scale)) return false;
  world.updateSpeed = s.ReadInteger();
  world.iterations = s.ReadInteger();
  world.paused = s.ReadBoolean();
  if (!ReadFinite(s, world.gravityX) || !ReadFinite(s, world.gravityY)) return false;
  const int32_t count = s.ReadInteger();
  if (s.Overrun() || count < 0 || count > (s.GetSize() - s.GetPosition()) / kBodyBytes) return false;
  world.bodies.resize(static_cast<size_t>(count));
  for (SavedPhysicsBody& body : world.bodies) {
    if (!ReadBody(s, body)) return false;
  }
  out = std::move(world);
  return true;
}

void PhysicsSaved_Restore(CRoom& room, const std::optional<SavedPhysicsWorld>* saved, const CRoom* roomTemplate) {
  room.physicsWorldObject.reset();
  if (saved == nullptr) {
    // A file from before worlds were saved: the room's own world, bodies where instances stand.
    if (roomTemplate == nullptr || roomTemplate->physicsWorldObject == nullptr) return;
    room.physicsWorldObject = std::make_unique<CPhysicsWorld>(*roomTemplate->physicsWorldObject);
    ForEachKept(room, [&room](CInstance& i) { Physics_CreateBodyForInstance(room, i); });
    return;
  }
  if (!saved->has_value()) return;
  const SavedPhysicsWorld& settings = **saved;
  auto world = std::make_unique<CPhysicsWorld>(settings.scale, settings.updateSpeed);
  world->iterations = settings.iterations;
  world->paused = settings.paused;
  world->SetGravity(settings.gravityX, settings.gravityY);
  room.physicsWorldObject = std::move(world);
  std::unordered_map<int32_t, CInstance*> byId;
  ForEachKept(room, [&byId](CInstance& i) { byId.emplace(i.id, &i); });
  for (const SavedPhysicsBody& body : settings.bodies) {
    auto found = byId.find(body.instance);
    if (found == byId.end()) continue;
    CInstance& instance = *found->second;
    Physics_CreateBodyForInstance(room, instance);
    if (instance.physics != nullptr && instance.physics->body != nullptr) ApplyState(*instance.physics, body);
  }
}
