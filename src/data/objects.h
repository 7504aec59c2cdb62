// Objects: the templates of instances (flags, sprite, depth, parent, mask, physics settings)
// with their event tables, kept by object index, and the two instance lists of each object.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "data/game_data_reader.h"
#include "data/object_instance_list.h"
#include "runner/event_names.h"
#include "runner/events.h"

class CInstance;

// Sub-event numbers an event record may carry: a collision names an object of the file's
// object list; every other type stays below 256 (key codes are the largest).
inline constexpr int32_t kMaxSubEvent = 255;

struct ObjectPhysicsPoint {
  float x = 0.0f;
  float y = 0.0f;
};

enum class PhysicsShape : int32_t { Circle = 0, Box = 1, Polygon = 2 };

// Counts the changes to any object's instance lists (a walk that keeps a copy of a list can
// tell whether the copy still holds).
extern uint64_t Object_InstanceListChanges;
// Counts the changes that may change which event an object's instances run: events made or
// dropped, a parent changed, an object deleted, the event lists rebuilt. A pass over many
// instances finds an event once and finds it again only when this has moved.
extern uint64_t Object_EventChanges;

class CObjectKF {
 public:
  explicit CObjectKF(int32_t index) : index_(index) {}
  ~CObjectKF();
  CObjectKF(const CObjectKF&) = delete;
  CObjectKF& operator=(const CObjectKF&) = delete;

  static constexpr uint32_t kSolid = 1;
  static constexpr uint32_t kVisible = 2;
  static constexpr uint32_t kPersistent = 4;

  int32_t Index() const { return index_; }
  const std::string& Name() const { return name_; }
  void SetName(std::string_view name) { name_.assign(name); }
  void TakeName(std::string name) { name_ = std::move(name); }

  bool IsSolid() const { return (flags & kSolid) != 0; }
  bool IsVisible() const { return (flags & kVisible) != 0; }
  bool IsPersistent() const { return (flags & kPersistent) != 0; }
  void SetSolid(bool on) { SetFlag(kSolid, on); }
  void SetVisible(bool on) { SetFlag(kVisible, on); }
  void SetPersistent(bool on) { SetFlag(kPersistent, on); }

  // The linked parent (null until linked, and once the parent is deleted).
  CObjectKF* ParentObject() const { return parent_; }
  void SetParentObject(CObjectKF* parent);
  // Changes the parent while the game runs: the index, and the link for a parent that exists
  // (none for a negative index). The live instances of this object and of its descendants
  // move from the old ancestors' lists to the new ones'.
  void SetParent(int32_t index);

  // Back to the state of a new object: no name, no events, no instances, visible only.
  void Reset();
  // Reads the object record at offset. objectCount bounds the sub-events of collision events.
  void LoadFromChunk(const GameDataReader& reader, uint32_t offset, uint64_t end,
                     uint32_t dataVersion, int32_t objectCount);

  // The object's own event (type, sub) when it holds code, else null.
  CEvent* GetEvent(int32_t type, int32_t sub) const;
  // A new empty event in slot (type, sub), or the one already there. Null for a slot outside
  // the table.
  CEvent* MakeEvent(int32_t type, int32_t sub);
  // Drops every event of the object.
  void ClearEvents();
  int32_t EventSlotCount(int32_t type) const;
  bool HasEventInherited(int32_t type, int32_t sub) const;
  // The event of the object or of the nearest ancestor, with the collision rule.
  CEvent* FindEvent(int32_t type, int32_t sub) const {
    int32_t owner = -1;
    return FindEvent(type, sub, owner);
  }
  CEvent* FindEvent(int32_t type, int32_t sub, int32_t& owner) const;
  // True when index is an ancestor (not the object itself).
  bool HasAncestor(int32_t index) const;

  void AddInstance(CInstance* instance);
  void RemoveInstance(CInstance* instance);
  const ObjectInstanceList& Instances() const { return instances_; }
  const ObjectInstanceList& InstancesRecursive() const {
    return ownRecursiveList_ ? instancesRecursive_ : instances_;
  }
  // Before the object goes: every instance of it and of its descendants leaves the lists of
  // its ancestors, and its own instances are left without an object.
  void DetachInstances();

  bool CompileEvents();

  uint32_t flags = kVisible;
  int32_t spriteIndex = -1;
  int32_t depth = 0;
  int32_t parentIndex = -1;
  int32_t maskIndex = -1;

  // Physics settings, for the instance's body.
  bool usesPhysics = false;
  bool sensor = false;
  PhysicsShape shapeKind = PhysicsShape::Circle;
  int32_t collisionGroup = 0;
  float density = 0.0f;
  float restitution = 0.0f;
  float linearDamping = 0.0f;
  float angularDamping = 0.0f;
  std::vector<ObjectPhysicsPoint> points;

 private:
  void SetFlag(uint32_t bit, bool on) { flags = on ? (flags | bit) : (flags & ~bit); }

  int32_t index_;
  std::string name_;
  CObjectKF* parent_ = nullptr;
  std::array<std::vector<std::unique_ptr<CEvent>>, EventType::Count> events_;
  // An object that never was a parent holds the same instances in both lists: the second is
  // kept (from a copy of the first) only once the object becomes a parent.
  void KeepOwnRecursiveList();

  ObjectInstanceList instances_;
  ObjectInstanceList instancesRecursive_;
  bool ownRecursiveList_ = false;
};

// The object table.
void Object_Clear();
// Lets error reports name objects and events, and code reach an object's instances.
void Object_InstallHooks();
// OBJT. Throws GameDataError for a damaged record (an event type or sub-event out of range).
void Object_Load(const GameDataReader& reader, ChunkSpan body, uint32_t dataVersion);
void Object_LinkParents();
bool Object_Exists(int32_t index);
CObjectKF* Object_Data(int32_t index);
// "<undefined>" when there is no such object.
std::string Object_Name(int32_t index);
int32_t Object_Find(std::string_view name);
int32_t Object_AddNew();
// Removes and destroys the object; its instances stay with no object, children keep their
// parent index but lose the link. The count stays.
bool Object_Delete(int32_t index);
bool Object_Prepare();
int32_t Object_GetCount();
void Object_FreeAll();
// Every object in table order (buckets of index & 511, each in insertion order).
void Object_ForEach(const std::function<void(CObjectKF& object)>& visit);
