// A running instance of an object in a room: identity, object, position and motion, image
// settings, bounding box, alarms, path and time-line state and its own variables; the
// instance id map and the id counter; collision tests on bounding boxes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

#include "runner/instance_grid.h"
#include "script/variable_list.h"

class CCode;
class CObjectKF;
class CPhysicsObject;

inline constexpr int32_t kAlarmCount = 12;
// The box of an instance that has no sprite to take it from.
inline constexpr int32_t kNoBoundingBox = -100000;

// Counts the event passes of the game step; an instance records it when it is made so that a
// pass can skip the instances created during it.
extern uint64_t EventSerial;

// An instance's own variables, held inside the instance (no allocation of their own, and
// beside the fields a step reads); reached through -> like any other owner of a list.
class InstanceVariables {
 public:
  CVariableList* operator->() { return &list_; }
  const CVariableList* operator->() const { return &list_; }
  CVariableList& operator*() { return list_; }
  const CVariableList& operator*() const { return list_; }
  CVariableList* get() { return &list_; }
  const CVariableList* get() const { return &list_; }
  explicit operator bool() const { return true; }

 private:
  CVariableList list_;
};

class alignas(64) CInstance {
 public:
  // An object index of -1 becomes 0. When join is set the instance enters its object's
  // instance lists. It is not yet in the id map.
  CInstance(float x, float y, int32_t id, int32_t objectIndex, bool join);
  ~CInstance();
  CInstance(const CInstance&) = delete;
  CInstance& operator=(const CInstance&) = delete;
  // Instances come from the instance pool (runner/instance_pool.h).
  static void* operator new(std::size_t size);
  static void operator delete(void* block, std::size_t size) noexcept;

  // Leaves the old object's lists and takes the new object's mask, depth, flags and sprite.
  void ChangeObject(int32_t index, bool join);
  // Becomes a copy of other (all but the path offsets, the physics body, the creation serial
  // and the started flag).
  void Assign(const CInstance& other, bool join);

  void SetDirection(float direction);
  void SetSpeed(float speed);
  void SetHSpeed(float hspeed);
  void SetVSpeed(float vspeed);
  void AddMotion(float direction, float speed);
  void SetPosition(float x, float y);
  void SetSpriteIndex(int32_t sprite);
  void SetMaskIndex(int32_t mask);
  void SetImageXScale(float scale);
  void SetImageYScale(float scale);
  void SetImageAngle(float angle);
  // -1 outside 0..11; writes there are ignored.
  int32_t GetAlarm(int32_t index) const;
  void SetAlarm(int32_t index, int32_t value);
  void SetPathPosition(float position);          // clamped to 0..1
  void SetPathPositionPrevious(float position);  // clamped to 0..1
  void SetPathSpeed(float speed) { path_speed = speed; }
  // Starts following a path from position 0 (1 for a negative speed): placed at the path's point
  // there unless relative, else followed from where the instance stands. Path -1 stops; a
  // missing path, one of length 0 or a negative scale leaves no path.
  void StartPath(int32_t path, float speed, float scale, float orientation, bool relative,
                 int32_t endAction);
  // One step along the path; true when its end was reached in this step.
  bool PathStep();
  // The frame count of the sprite; 0 when it does not exist.
  int32_t GetImageNumber() const;

  void Compute_BoundingBox();
  // Recomputes the box when it is dirty.
  void EnsureBoundingBox() {
    if (bboxDirty) Compute_BoundingBox();
  }

  bool Collision_Point(float px, float py, bool precise);
  bool Collision_Rectangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2, bool precise);
  bool Collision_Ellipse(int32_t x1, int32_t y1, int32_t x2, int32_t y2, bool precise);
  bool Collision_Line(float x1, float y1, float x2, float y2, bool precise);
  bool Collision_Instance(CInstance& other, bool precise);

  // The sprite whose shape the instance takes: the mask when set, else the sprite.
  int32_t ShapeSprite() const { return mask_index >= 0 ? mask_index : sprite_index; }

  // The fields are ordered by the passes of a step (instances start on a cache line).
  // Line 0 holds all that the position, motion and animation passes read and write, and the
  // flags that every pass checks; line 1 what an event pass adds to that: the creation serial,
  // the object and the first of the instance's own variables. The rest follows.
  float x = 0.0f;
  float y = 0.0f;
  float xprevious = 0.0f;
  float yprevious = 0.0f;
  float hspeed = 0.0f;
  float vspeed = 0.0f;
  float speed = 0.0f;
  float friction = 0.0f;
  float gravity = 0.0f;
  int32_t path_index = -1;
  float path_position = 0.0f;
  float path_positionprevious = 0.0f;
  int32_t sprite_index = -1;
  float image_index = 0.0f;
  float image_speed = 1.0f;
  bool bboxDirty = true;
  bool marked = false;  // destroyed this step (set through Instance_MarkForDeletion); leaves at its end
  bool deactivated = false;  // in the room's deactivated list
  bool visible = true;

  uint64_t createSerial = 0;
  int32_t object_index = 0;
  float depth = 0.0f;
  InstanceVariables variables;  // its first variable ends line 1

  // Then what moving in the room's list reads.
  CInstance* next = nullptr;  // the room's depth-ordered list (not owned)
  CInstance* prev = nullptr;
  // The depth the instance was put into its list under, while that list indexes it by depth.
  float listedDepth = 0.0f;
  // Whether the list holds the instance under listedDepth.
  bool indexedDepth = false;
  bool solid = false;
  bool persistent = false;
  bool carried = false;      // room start: taken over from the carried persistent instances
  bool started = false;      // room start: create event and creation code have run
  bool precise = false;
  bool timeline_running = false;
  bool timeline_loop = false;
  // Its place in the list's order when that was last taken (a hint only: see InstanceList_Order).
  uint32_t orderSlot = 0;
  // Its slot in the list's members.
  uint32_t memberSlot = 0;
  CObjectKF* object = nullptr;  // null when the index has no object
  int32_t id = 0;
  float direction = 0.0f;
  float gravity_direction = 270.0f;
  InstanceGridEntry gridEntry;  // its place in the running room's collision grid

  uint64_t objectStamp = 0;  // when it last joined its object's lists (they stand in that order)
  int32_t ownerSlot = -1;    // its place among the instances its room owns; -1 while no room owns it
  float image_xscale = 1.0f;
  float image_yscale = 1.0f;
  float image_angle = 0.0f;
  float image_alpha = 1.0f;
  uint32_t image_blend = 0xFFFFFF;
  int32_t mask_index = -1;
  float xstart = 0.0f;
  float ystart = 0.0f;
  int32_t bbox_left = kNoBoundingBox;
  int32_t bbox_top = kNoBoundingBox;
  int32_t bbox_right = kNoBoundingBox;
  int32_t bbox_bottom = kNoBoundingBox;
  std::array<int32_t, kAlarmCount> alarm;
  float path_speed = 0.0f;
  float path_scale = 1.0f;
  float path_orientation = 0.0f;
  int32_t path_endaction = 0;  // 0 stop, 1 restart, 2 continue, 3 reverse
  float pathOffsetX = 0.0f;
  float pathOffsetY = 0.0f;
  int32_t timeline_index = -1;
  float timeline_position = 0.0f;
  float timeline_speed = 1.0f;
  std::shared_ptr<CPhysicsObject> physics;
  std::shared_ptr<CCode> creationCode;  // from the room's record; null for none

  // The box is to be computed again (and the collision grid told).
  // A box already dirty is queued in the grid, if the instance is in one (the grid queues a
  // dirty instance when it takes it in and computes the box when it takes it off the queue).
  void MarkBoxDirty() {
    if (bboxDirty) return;
    bboxDirty = true;
    if (gridEntry.grid != nullptr) gridEntry.grid->Queue(*this);
  }

 private:
  void ComputeSpeedFromDirection();
  void ComputeDirectionFromSpeeds();
};

// What the bounding box and the collision tests need of a sprite, from the sprite table.
struct InstanceSpriteShape {
  int32_t frames = 0;
  int32_t left = 0, top = 0, right = 0, bottom = 0;  // the sprite's box
  int32_t xorigin = 0, yorigin = 0;
  bool precise = false;
};
// False when there is no sprite with that index. Without a lookup no sprite exists.
using InstanceSpriteLookup = std::function<bool(int32_t sprite, InstanceSpriteShape& shape)>;
void Instance_SetSpriteLookup(InstanceSpriteLookup lookup);

// What path motion needs of the path table: a path's length (false when there is no such
// path) and its point and speed factor (percent) at a position from 0 to 1.
struct InstancePathAccess {
  std::function<bool(int32_t path, float& length)> length;
  std::function<void(int32_t path, float position, float& x, float& y, float& speed)> point;
};
void Instance_SetPathAccess(InstancePathAccess access);

// The pixel-precise tests, installed with the sprites' collision masks. A test left empty
// lets the bounding-box result stand.
struct InstancePreciseTests {
  std::function<bool(const CInstance& instance, int32_t px, int32_t py)> point;
  std::function<bool(const CInstance& instance, int32_t l, int32_t t, int32_t r, int32_t b)> rectangle;
  std::function<bool(const CInstance& instance, int32_t l, int32_t t, int32_t r, int32_t b)> ellipse;
  std::function<bool(const CInstance& instance, float x1, float y1, float x2, float y2)> line;
  std::function<bool(const CInstance& a, const CInstance& b)> instance;
};
InstancePreciseTests& Instance_PreciseTests();

// The instance id counter: the last id handed out (seeded from the game header).
int32_t Instance_GetLastId();
void Instance_SetLastId(int32_t id);
// A new instance of the object at (x, y) with the next id, in its object's lists and in the
// id map. The caller (the room) owns it.
std::unique_ptr<CInstance> Instance_Create(float x, float y, int32_t objectIndex);
// Destroyed this step: it no longer collides or answers to code through objects and ids, and
// the room removes it at the end of the step.
void Instance_MarkForDeletion(CInstance& instance);
// Counts the instances marked for deletion, so that a room looks for them only after one was.
extern uint64_t Instance_MarkCount;

// The instance id map: ids to live instances (not owned). Adding an id that is already
// there keeps the first instance, as a lookup would find it first.
void Instance_IdHash_Add(CInstance& instance);
void Instance_IdHash_Remove(const CInstance& instance);
// The instance with that id, or null.
CInstance* Instance_Find(int32_t id);
int32_t Instance_IdHash_Count();
// Shut-down: empties the id map (the instances themselves belong to their rooms).
void Instance_DeleteAll();
