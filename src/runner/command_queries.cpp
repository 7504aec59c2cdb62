// The collision, position and place queries of the run-time commands.
#include <cmath>
#include <limits>
#include <vector>

#include "platform/conversions.h"
#include "runner/commands.h"
#include "runner/instance.h"

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

CInstance* FirstCollidingWith(CInstance& self, int32_t object, bool solidOnly) {
  return FirstSelected(object, &self, true, [&](CInstance& other) {
    return (!solidOnly || other.solid) && self.Collision_Instance(other, true);
  });
}

}  // namespace

CInstance* Command_CollisionPoint(CInstance* self, float x, float y, int32_t object, bool precise, bool notme) {
  return FirstSelected(object, self, notme, [&](CInstance& i) { return i.Collision_Point(x, y, precise); });
}

CInstance* Command_CollisionRectangle(CInstance* self, float x1, float y1, float x2, float y2, int32_t object,
                                      bool precise, bool notme) {
  return FirstSelected(object, self, notme, [&](CInstance& i) {
    return i.Collision_Rectangle(Round(x1), Round(y1), Round(x2), Round(y2), precise);
  });
}

CInstance* Command_CollisionEllipse(CInstance* self, float x1, float y1, float x2, float y2, int32_t object,
                                    bool precise, bool notme) {
  return FirstSelected(object, self, notme, [&](CInstance& i) {
    return i.Collision_Ellipse(Round(x1), Round(y1), Round(x2), Round(y2), precise);
  });
}

CInstance* Command_CollisionLine(CInstance* self, float x1, float y1, float x2, float y2, int32_t object,
                                 bool precise, bool notme) {
  return FirstSelected(object, self, notme, [&](CInstance& i) { return i.Collision_Line(x1, y1, x2, y2, precise); });
}

CInstance* Command_InstancePosition(float x, float y, int32_t object) {
  return FirstSelected(object, nullptr, false, [&](CInstance& i) { return i.Collision_Point(x, y, true); });
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
