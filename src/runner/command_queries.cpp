// The collision, position and place queries of the run-time commands.
#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "data/objects.h"
#include "data/rooms.h"
#include "platform/conversions.h"
#include "runner/commands.h"
#include "runner/instance.h"
#include "runner/instance_list.h"
#include "runner/room_start.h"
#include "script/variable_access.h"

namespace {

// The first selected instance, other than self when notme, that passes the test.
template <typename Test>
CInstance* FirstSelected(int32_t object, CInstance* self, bool notme, Test test) {
  CInstance* found = nullptr;
  Command_ForEachSelected(object, [&](CInstance& instance) {
    if (notme && &instance == self) return true;
    if (!test(instance)) return true;
    found = &instance;
    return false;
  });
  return found;
}

int32_t Round(float value) { return Conv_RoundToInt32(value); }

// Self stands at (x, y) while the test runs and then goes back.
template <typename Test>
auto WithSelfAt(CInstance& self, float x, float y, Test test) {
  const float oldX = self.x;
  const float oldY = self.y;
  self.SetPosition(x, y);
  auto answer = test();
  self.SetPosition(oldX, oldY);
  return answer;
}

// Whether a walk of the selection (every active instance, or an object's with its
// descendants') reaches the instance.
bool Selects(const CInstance& instance, const CObjectKF* object) {
  if (object == nullptr) return true;
  for (const CObjectKF* o = instance.object; o != nullptr; o = o->ParentObject()) {
    if (o == object) return true;
  }
  return false;
}

// A box around a place given in room coordinates; false when the place is not a number or so
// far out that the grid's cells cannot be trusted to hold it.
bool BoxAround(double x1, double y1, double x2, double y2, int32_t box[4]) {
  constexpr double kFar = 16777216.0;
  for (double v : {x1, y1, x2, y2}) {
    if (!(v > -kFar && v < kFar)) return false;
  }
  box[0] = static_cast<int32_t>(std::floor(std::min(x1, x2)));
  box[1] = static_cast<int32_t>(std::floor(std::min(y1, y2)));
  box[2] = static_cast<int32_t>(std::ceil(std::max(x1, x2)));
  box[3] = static_cast<int32_t>(std::ceil(std::max(y1, y2)));
  return true;
}

// FirstSelected for a test that only an instance whose box meets the given box can pass: the
// room's grid gives the instances near it, and the walk of the selection is needed only to
// choose among several that pass.
template <typename Test>
CInstance* FirstSelectedNear(int32_t object, CInstance* self, bool notme, bool boxKnown, const int32_t box[4],
                             Test test) {
  CRoom* room = Run_CurrentRoom();
  const CObjectKF* wanted = object >= 0 && object < kFirstInstanceId ? Object_Data(object) : nullptr;
  if (!boxKnown || room == nullptr || (object != kSelectAll && wanted == nullptr)) {
    return FirstSelected(object, self, notme, test);
  }
  std::vector<CInstance*> candidates;
  InstanceList_Grid(room->active).Candidates(box[0], box[1], box[2], box[3], candidates);
  std::vector<CInstance*> hits;
  for (CInstance* other : candidates) {
    if (notme && other == self) continue;
    if (!other->marked && !other->deactivated && Selects(*other, wanted) && test(*other)) hits.push_back(other);
  }
  if (hits.size() <= 1) return hits.empty() ? nullptr : hits.front();
  return FirstSelected(object, self, notme, [&](CInstance& other) {
    return std::find(hits.begin(), hits.end(), &other) != hits.end();
  });
}

CInstance* FirstCollidingWith(CInstance& self, int32_t object, bool solidOnly) {
  self.EnsureBoundingBox();
  const int32_t box[4] = {self.bbox_left, self.bbox_top, self.bbox_right, self.bbox_bottom};
  return FirstSelectedNear(object, &self, true, true, box, [&](CInstance& other) {
    return (!solidOnly || other.solid) && self.Collision_Instance(other, true);
  });
}

}  // namespace

CInstance* Command_CollisionPoint(CInstance* self, float x, float y, int32_t object, bool precise, bool notme) {
  int32_t box[4];
  const bool known = BoxAround(x, y, x, y, box);
  return FirstSelectedNear(object, self, notme, known, box, [&](CInstance& i) { return i.Collision_Point(x, y, precise); });
}

CInstance* Command_CollisionRectangle(CInstance* self, float x1, float y1, float x2, float y2, int32_t object,
                                      bool precise, bool notme) {
  const int32_t box[4] = {Round(x1), Round(y1), Round(x2), Round(y2)};
  return FirstSelectedNear(object, self, notme, true, box, [&](CInstance& i) {
    return i.Collision_Rectangle(box[0], box[1], box[2], box[3], precise);
  });
}

CInstance* Command_CollisionEllipse(CInstance* self, float x1, float y1, float x2, float y2, int32_t object,
                                    bool precise, bool notme) {
  const int32_t box[4] = {Round(x1), Round(y1), Round(x2), Round(y2)};
  return FirstSelectedNear(object, self, notme, true, box, [&](CInstance& i) {
    return i.Collision_Ellipse(box[0], box[1], box[2], box[3], precise);
  });
}

CInstance* Command_CollisionLine(CInstance* self, float x1, float y1, float x2, float y2, int32_t object,
                                 bool precise, bool notme) {
  int32_t box[4];
  const bool known = BoxAround(x1, y1, x2, y2, box);
  return FirstSelectedNear(object, self, notme, known, box,
                           [&](CInstance& i) { return i.Collision_Line(x1, y1, x2, y2, precise); });
}

CInstance* Command_InstancePosition(float x, float y, int32_t object) {
  int32_t box[4];
  const bool known = BoxAround(x, y, x, y, box);
  return FirstSelectedNear(object, nullptr, false, known, box, [&](CInstance& i) { return i.Collision_Point(x, y, true); });
}

bool Command_PositionMeeting(float x, float y, int32_t object) { return Command_InstancePosition(x, y, object) != nullptr; }

namespace {
// The selected instance whose squared distance from (x, y) beats all before it.
template <typename Better>
CInstance* ByDistance(float x, float y, int32_t object, double start, Better better) {
  if (object >= kFirstInstanceId) return nullptr;
  CInstance* found = nullptr;
  double best = start;
  Command_ForEachSelected(object, [&](CInstance& instance) {
    const double dx = static_cast<double>(instance.x) - x;
    const double dy = static_cast<double>(instance.y) - y;
    const double d = dx * dx + dy * dy;
    if (better(d, best)) {
      best = d;
      found = &instance;
    }
    return true;
  });
  return found;
}
}  // namespace

// Any distance counts for the nearest: the search starts from infinity, not from a fixed
// distance beyond which instances would be missed.
CInstance* Command_InstanceNearest(float x, float y, int32_t object) {
  return ByDistance(x, y, object, std::numeric_limits<double>::infinity(), [](double d, double best) { return d < best; });
}

CInstance* Command_InstanceFurthest(float x, float y, int32_t object) {
  return ByDistance(x, y, object, -1.0, [](double d, double best) { return d > best; });
}

CInstance* Command_InstancePlace(CInstance& self, float x, float y, int32_t object) {
  return WithSelfAt(self, x, y, [&] { return FirstCollidingWith(self, object, false); });
}

CInstance* Command_InstanceFind(int32_t object, int32_t n) {
  if (object >= kFirstInstanceId && n != 0) return nullptr;
  int32_t counter = -1;
  CInstance* found = nullptr;
  Command_ForEachSelected(object, [&](CInstance& instance) {
    if (++counter != n) return true;
    found = &instance;
    return false;
  });
  return found;
}

bool Command_IsEmpty(CInstance& self, float x, float y) {
  return WithSelfAt(self, x, y, [&] { return FirstCollidingWith(self, kSelectAll, false) == nullptr; });
}

bool Command_IsFree(CInstance& self, float x, float y) {
  return WithSelfAt(self, x, y, [&] { return FirstCollidingWith(self, kSelectAll, true) == nullptr; });
}

bool Command_IsMeeting(CInstance& self, float x, float y, int32_t object) {
  return WithSelfAt(self, x, y, [&] { return FirstCollidingWith(self, object, false) != nullptr; });
}

namespace {
// The ids of the instances whose shape holds the point, taken before any event runs (events
// may create and destroy instances).
std::vector<int32_t> IdsAt(float x, float y) {
  std::vector<int32_t> ids;
  Command_ForEachSelected(kSelectAll, [&](CInstance& instance) {
    if (instance.Collision_Point(x, y, true)) ids.push_back(instance.id);
    return true;
  });
  return ids;
}
}  // namespace

void Command_PositionDestroy(float x, float y) {
  for (int32_t id : IdsAt(x, y)) {
    if (CInstance* instance = Instance_Find(id); instance != nullptr && !instance->marked) Command_DestroyInstance(*instance);
  }
}

void Command_PositionChange(float x, float y, int32_t object, bool perform) {
  for (int32_t id : IdsAt(x, y)) {
    if (CInstance* instance = Instance_Find(id); instance != nullptr && !instance->marked) {
      Command_ChangeInstance(*instance, object, perform);
    }
  }
}
