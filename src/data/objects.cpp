#include "data/objects.h"

#include <list>
#include <utility>

#include "data/code_table.h"
#include "platform/console.h"
#include "platform/containers/name_index.h"
#include "runner/instance.h"
#include "script/current_event.h"
#include "script/variable_access.h"

namespace {

// Objects by index in 512 chains (index & 511), each chain in insertion order: the order in
// which the table is walked when objects are prepared or looked up by name.
constexpr int32_t kObjectBuckets = 512;

struct ObjectTable {
  std::vector<std::list<std::unique_ptr<CObjectKF>>> buckets =
      std::vector<std::list<std::unique_ptr<CObjectKF>>>(kObjectBuckets);
  int32_t count = 0;
  NameIndex byName;

  std::list<std::unique_ptr<CObjectKF>>& Bucket(int32_t index) {
    return buckets[static_cast<size_t>(index & (kObjectBuckets - 1))];
  }
};

ObjectTable& Table() {
  static ObjectTable table;
  return table;
}

// A walk along a parent chain by index ends at a missing object; a chain that loops (damaged
// data) ends after as many steps as there are objects.
int32_t ChainLimit() { return Table().count + 1; }

}  // namespace

// ---- CObjectKF ----

CObjectKF::~CObjectKF() = default;

uint64_t Object_InstanceListChanges = 0;
uint64_t Object_EventChanges = 0;

namespace {

// The stamp of the last instance that joined an object's lists.
uint64_t g_LastObjectStamp = 0;

}  // namespace

void CObjectKF::Reset() {
  ++Object_InstanceListChanges;
  name_.clear();
  ClearEvents();
  instances_.Clear();
  instancesRecursive_.Clear();
  flags = kVisible;
  spriteIndex = -1;
  depth = 0;
  parentIndex = -1;
  maskIndex = -1;
  parent_ = nullptr;
  usesPhysics = false;
  sensor = false;
  points.clear();
}

void CObjectKF::ClearEvents() {
  ++Object_EventChanges;
  for (auto& slots : events_) slots.clear();
}

void CObjectKF::LoadFromChunk(const GameDataReader& reader, uint32_t offset, uint64_t end,
                              uint32_t dataVersion, int32_t objectCount) {
  GameDataCursor record(reader, offset, end);
  const uint32_t nameRef = record.U32();
  Reset();
  name_.assign(reader.TextRef(nameRef));
  spriteIndex = record.I32();
  SetVisible(record.U32() != 0);
  SetSolid(record.U32() != 0);
  depth = record.I32();
  SetPersistent(record.U32() != 0);
  parentIndex = record.I32();
  maskIndex = record.I32();

  if (dataVersion >= 6) {
    usesPhysics = record.U32() != 0;
    sensor = record.U32() != 0;
    shapeKind = static_cast<PhysicsShape>(record.I32());
    density = record.F32();
    restitution = record.F32();
    collisionGroup = record.I32();
    linearDamping = record.F32();
    angularDamping = record.F32();
    const uint32_t pointCount = record.U32();
    if (uint64_t{pointCount} * 8 > record.Remaining()) {
      throw GameDataError("an object's physics points run past the chunk");
    }
    points.resize(pointCount);
    for (ObjectPhysicsPoint& point : points) {
      point.x = record.F32();
      point.y = record.F32();
    }
  }

  const std::vector<uint32_t> types = reader.CountedList(record.Offset());
  if (types.size() > static_cast<size_t>(EventType::Count)) {
    throw GameDataError("an object has more event types than there are");
  }
  for (size_t type = 0; type < types.size(); ++type) {
    if (types[type] == 0) throw GameDataError("an object's event type list is missing");
    const int32_t t = static_cast<int32_t>(type);
    const int32_t limit = t == EventType::Collision ? objectCount - 1 : kMaxSubEvent;
    for (uint32_t entry : reader.CountedList(types[type])) {
      if (entry == 0) throw GameDataError("an object's event record is missing");
      const int32_t sub = reader.I32(entry);
      const uint32_t codeWord = reader.U32(uint64_t{entry} + 4);
      if (sub < 0 || sub > limit) throw GameDataError("an event's sub-event number is out of range");
      Code_Compile_Action(*MakeEvent(t, sub), reader, codeWord);
    }
  }
}

CEvent* CObjectKF::GetEvent(int32_t type, int32_t sub) const {
  if (type < 0 || type >= EventType::Count || sub < 0) return nullptr;
  const auto& slots = events_[static_cast<size_t>(type)];
  if (static_cast<size_t>(sub) >= slots.size()) return nullptr;
  CEvent* event = slots[static_cast<size_t>(sub)].get();
  return event != nullptr && event->code != nullptr ? event : nullptr;
}

CEvent* CObjectKF::MakeEvent(int32_t type, int32_t sub) {
  if (type < 0 || type >= EventType::Count || sub < 0) return nullptr;
  ++Object_EventChanges;
  auto& slots = events_[static_cast<size_t>(type)];
  if (static_cast<size_t>(sub) >= slots.size()) slots.resize(static_cast<size_t>(sub) + 1);
  auto& slot = slots[static_cast<size_t>(sub)];
  if (slot == nullptr) slot = std::make_unique<CEvent>();
  return slot.get();
}

int32_t CObjectKF::EventSlotCount(int32_t type) const {
  if (type < 0 || type >= EventType::Count) return 0;
  return static_cast<int32_t>(events_[static_cast<size_t>(type)].size());
}

bool CObjectKF::HasEventInherited(int32_t type, int32_t sub) const {
  const CObjectKF* object = this;
  for (int32_t steps = ChainLimit(); object != nullptr && steps > 0; --steps) {
    if (object->GetEvent(type, sub) != nullptr) return true;
    if (object->parentIndex < 0) break;
    object = Object_Data(object->parentIndex);
  }
  return false;
}

namespace {
// The event on the object's chain (by parent index).
CEvent* FindOnChain(const CObjectKF* object, int32_t type, int32_t sub, int32_t& owner) {
  for (int32_t steps = ChainLimit(); object != nullptr && steps > 0; --steps) {
    if (CEvent* event = object->GetEvent(type, sub)) {
      owner = object->Index();
      return event;
    }
    if (object->parentIndex < 0) break;
    object = Object_Data(object->parentIndex);
  }
  return nullptr;
}
}  // namespace

CEvent* CObjectKF::FindEvent(int32_t type, int32_t sub, int32_t& owner) const {
  owner = index_;
  if (CEvent* event = FindOnChain(this, type, sub, owner)) return event;
  if (type != EventType::Collision) return nullptr;
  // A collision with an object also counts as one with each of its ancestors, nearest first.
  const CObjectKF* other = Object_Data(sub);
  if (other == nullptr) return nullptr;
  int32_t steps = ChainLimit();
  for (int32_t p = other->parentIndex; p >= 0 && steps > 0; --steps) {
    const CObjectKF* ancestor = Object_Data(p);
    if (ancestor == nullptr) break;
    if (CEvent* event = FindOnChain(this, type, p, owner)) return event;
    p = ancestor->parentIndex;
  }
  owner = index_;
  return nullptr;
}

bool CObjectKF::HasAncestor(int32_t index) const {
  int32_t p = parentIndex;
  for (int32_t steps = ChainLimit(); p >= 0 && steps > 0; --steps) {
    if (p == index) return true;
    const CObjectKF* parent = Object_Data(p);
    if (parent == nullptr) break;
    p = parent->parentIndex;
  }
  return false;
}

void CObjectKF::SetParentObject(CObjectKF* parent) {
  if (parent != nullptr) parent->KeepOwnRecursiveList();
  parent_ = parent;
}

void CObjectKF::KeepOwnRecursiveList() {
  if (ownRecursiveList_) return;
  instancesRecursive_.CopyFrom(instances_);
  ownRecursiveList_ = true;
}

void CObjectKF::AddInstance(CInstance* instance) {
  ++Object_InstanceListChanges;
  instance->objectStamp = ++g_LastObjectStamp;
  instances_.Add(instance, instance->objectStamp);
  for (CObjectKF* object = this; object != nullptr; object = object->parent_) {
    if (object->ownRecursiveList_) object->instancesRecursive_.Add(instance, instance->objectStamp);
  }
}

void CObjectKF::RemoveInstance(CInstance* instance) {
  ++Object_InstanceListChanges;
  instances_.Remove(instance, instance->objectStamp);
  for (CObjectKF* object = this; object != nullptr; object = object->parent_) {
    if (object->ownRecursiveList_) object->instancesRecursive_.Remove(instance, instance->objectStamp);
  }
}

void CObjectKF::SetParent(int32_t index) {
  ++Object_InstanceListChanges;
  ++Object_EventChanges;
  std::vector<CInstance*> moving(InstancesRecursive().begin(), InstancesRecursive().end());
  for (CObjectKF* a = parent_; a != nullptr; a = a->parent_) {
    for (CInstance* instance : moving) a->instancesRecursive_.Remove(instance, instance->objectStamp);
  }
  parentIndex = index;
  SetParentObject(index >= 0 ? Object_Data(index) : nullptr);
  for (CObjectKF* a = parent_; a != nullptr; a = a->parent_) {
    for (CInstance* instance : moving) a->instancesRecursive_.Add(instance, instance->objectStamp);
  }
}

void CObjectKF::DetachInstances() {
  ++Object_InstanceListChanges;
  for (CInstance* instance : InstancesRecursive()) {
    for (CObjectKF* a = parent_; a != nullptr; a = a->parent_) {
      a->instancesRecursive_.Remove(instance, instance->objectStamp);
    }
  }
  for (CInstance* instance : instances_) instance->object = nullptr;
  instances_.Clear();
  instancesRecursive_.Clear();
}

bool CObjectKF::CompileEvents() {
  for (int32_t type = 0; type < EventType::Count; ++type) {
    Event_Current.type = type;
    const auto& slots = events_[static_cast<size_t>(type)];
    for (size_t sub = 0; sub < slots.size(); ++sub) {
      Event_Current.number = static_cast<int32_t>(sub);
      if (slots[sub] != nullptr && !Event_Compile(*slots[sub])) return false;
    }
  }
  return true;
}

// ---- the table ----

void Object_Clear() {
  Object_FreeAll();
  Object_InstallHooks();
}

void Object_InstallHooks() {
  Event_InstallErrorNames();
  // Code reaching obj.x: the instances of the object and of its descendants. The list is
  // taken first, so code run for each may create or change instances.
  Variable_InstanceWorld().forEachObjectInstance = [](int32_t index, const InstanceVisitor& visit) {
    const CObjectKF* object = Object_Data(index);
    if (object == nullptr) return false;
    const std::vector<CInstance*> instances(object->InstancesRecursive().begin(),
                                            object->InstancesRecursive().end());
    for (CInstance* instance : instances) {
      if (!visit(*instance)) break;
    }
    return true;
  };
}

void Object_Load(const GameDataReader& reader, ChunkSpan body, uint32_t dataVersion) {
  Object_FreeAll();
  const std::vector<uint32_t> entries = reader.CountedList(body.offset);
  ObjectTable& table = Table();
  table.count = static_cast<int32_t>(entries.size());
  for (size_t i = 0; i < entries.size(); ++i) {
    if (entries[i] == 0) continue;
    auto object = std::make_unique<CObjectKF>(static_cast<int32_t>(i));
    object->LoadFromChunk(reader, entries[i], body.End(), dataVersion, table.count);
    table.Bucket(static_cast<int32_t>(i)).push_back(std::move(object));
  }
  Object_LinkParents();
}

void Object_LinkParents() {
  Object_ForEach([](CObjectKF& object) {
    if (object.parentIndex < 0 || object.parentIndex >= 100000) return;
    CObjectKF* parent = Object_Data(object.parentIndex);
    if (parent == nullptr) return;
    // A parent that is the object itself or descends from it would make the chain a loop.
    for (CObjectKF* p = parent; p != nullptr; p = p->ParentObject()) {
      if (p == &object) return;
    }
    object.SetParentObject(parent);
  });
}

bool Object_Exists(int32_t index) { return Object_Data(index) != nullptr; }

CObjectKF* Object_Data(int32_t index) {
  if (index < 0) return nullptr;
  for (auto& object : Table().Bucket(index)) {
    if (object->Index() == index) return object.get();
  }
  return nullptr;
}

std::string Object_Name(int32_t index) {
  const CObjectKF* object = Object_Data(index);
  return object != nullptr ? object->Name() : std::string("<undefined>");
}

int32_t Object_Find(std::string_view name) {
  ObjectTable& table = Table();
  return table.byName.Find(name, static_cast<size_t>(table.count), [](size_t i) {
    const CObjectKF* object = Object_Data(static_cast<int32_t>(i));
    return object != nullptr ? &object->Name() : nullptr;
  });
}

int32_t Object_AddNew() {
  ObjectTable& table = Table();
  const int32_t index = table.count;
  auto object = std::make_unique<CObjectKF>(index);
  object->SetName("__newobject" + std::to_string(index));
  table.Bucket(index).push_back(std::move(object));
  ++table.count;
  table.byName.Invalidate();
  return index;
}

bool Object_Delete(int32_t index) {
  if (index < 0) return true;
  auto& bucket = Table().Bucket(index);
  for (auto it = bucket.begin(); it != bucket.end(); ++it) {
    if ((*it)->Index() != index) continue;
    ++Object_EventChanges;
    std::unique_ptr<CObjectKF> object = std::move(*it);
    bucket.erase(it);
    Table().byName.Invalidate();
    object->DetachInstances();
    Object_ForEach([&object](CObjectKF& other) {
      if (other.ParentObject() == object.get()) other.SetParentObject(nullptr);
    });
    // An event of the object may be running now; it goes once no event runs.
    Event_AfterRun(std::move(object));
    return true;
  }
  return true;
}

bool Object_Prepare() {
  g_DebugConsole->Output("Preparing %d objects:\n", Table().count);
  bool ok = true;
  {
    CurrentEventScope scope;
    Event_Current.action = 0;
    for (auto& bucket : Table().buckets) {
      for (auto& object : bucket) {
        g_DebugConsole->Output("\tObjects %d: %s\n", object->Index(), object->Name().c_str());
        Event_Current.object = object->Index();
        if (!object->CompileEvents()) {
          ok = false;
          break;
        }
      }
      if (!ok) break;
    }
  }
  if (!ok) return false;
  Object_LinkParents();
  return true;
}

int32_t Object_GetCount() { return Table().count; }

void Object_FreeAll() {
  ++Object_EventChanges;
  ObjectTable& table = Table();
  for (auto& bucket : table.buckets) {
    for (auto& object : bucket) object->DetachInstances();
  }
  for (auto& bucket : table.buckets) bucket.clear();
  table.count = 0;
  table.byName.Invalidate();
}

void Object_ForEach(const std::function<void(CObjectKF& object)>& visit) {
  for (auto& bucket : Table().buckets) {
    for (auto& object : bucket) visit(*object);
  }
}
