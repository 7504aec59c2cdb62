// The physics of a room in a saved game: the world's settings and, for each instance with a
// body, where the body stands and how it moves. The shapes are not written: a loaded instance
// takes its body again from its object's physics settings, then the saved state. (The layout
// is in docs/saved-games.md.)
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

class CRoom;
class CStream;

struct SavedPhysicsBody {
  int32_t instance = 0;
  float x = 0.0f, y = 0.0f, angle = 0.0f;  // metres and radians
  float vx = 0.0f, vy = 0.0f, spin = 0.0f;  // metres and radians per second
  bool awake = true, bullet = false, fixedRotation = false, active = true;
};

struct SavedPhysicsWorld {
  float scale = 0.1f;
  int32_t updateSpeed = 30;
  int32_t iterations = 10;
  bool paused = false;
  float gravityX = 0.0f, gravityY = 0.0f;
  std::vector<SavedPhysicsBody> bodies;
};

// Writes whether the room has a world and, when it has, the world and its bodies.
void PhysicsSaved_Write(CStream& stream, const CRoom& room);
// Reads what PhysicsSaved_Write wrote: absent inside when the room had no world. False for a
// damaged section (cut short, a count the stream cannot hold, a value that is not a number, a
// scale that is not positive).
bool PhysicsSaved_Read(CStream& stream, std::optional<SavedPhysicsWorld>& world);

// A loaded room takes its world back and its instances their bodies. With a saved section the
// world is the saved one and each saved body's instance gets a body from its object's physics
// settings in the saved state; an instance whose object has none stays without. Without one (a
// file written before worlds were saved) the room takes its template's world, if any, and
// every instance of an object with physics settings a body where the instance stands.
void PhysicsSaved_Restore(CRoom& room, const std::optional<SavedPhysicsWorld>* saved, const CRoom* roomTemplate);
