#include "runner/game_step.h"

#include <algorithm>
#include <deque>
#include <unordered_map>
#include <vector>

#include "data/event_lists.h"
#include "data/game_options.h"
#include "data/objects.h"
#include "data/rooms.h"
#include "graphics/profiler.h"
#include "platform/http.h"
#include "platform/timing.h"
#include "runner/events.h"
#include "runner/instance.h"
#include "runner/instance_list.h"
#include "runner/main_loop.h"
#include "runner/physics_world.h"
#include "runner/room_start.h"
#include "runner/run_globals.h"
#include "runner/timeline_step.h"

namespace {

int64_t g_LastStepTime = 0;

template <typename Hook, typename... Args>
bool Ask(const Hook& hook, Args... args) {
  return hook && hook(args...);
}

bool Pending() { return PendingRoom != PendingRoomCode::None; }

// An instance a pass does not reach: removed this step, taken out of play, or made during the pass.
bool Skipped(const CInstance& instance, uint64_t pass) {
  return instance.marked || instance.deactivated || instance.createSerial > pass;
}

// The object's own instances as they stand now.
void CopyInstancesOf(int32_t objectIndex, std::vector<CInstance*>& list) {
  list.clear();
  if (const CObjectKF* object = Object_Data(objectIndex)) {
    list.reserve(static_cast<size_t>(object->Instances().Count()));
    for (CInstance* instance : object->Instances()) list.push_back(instance);
  }
}

// The instances a pass visits, taken as they stand when it starts: the events it runs may
// change the lists. The lists' room is kept for the next pass; passes may run inside the
// events of another, each with a list of its own.
class InstanceSnapshot {
 public:
  InstanceSnapshot() {
    if (inUse_ == lists_.size()) lists_.emplace_back();
    list_ = &lists_[inUse_++];
    list_->clear();
  }
  ~InstanceSnapshot() { --inUse_; }
  InstanceSnapshot(const InstanceSnapshot&) = delete;
  InstanceSnapshot& operator=(const InstanceSnapshot&) = delete;

  // The object's own instances.
  InstanceSnapshot& OfObject(int32_t objectIndex) {
    CopyInstancesOf(objectIndex, *list_);
    return *this;
  }
  // The current room's active instances.
  InstanceSnapshot& Active() {
    if (CRoom* room = Run_CurrentRoom()) {
      const std::vector<CInstance*>& order = InstanceList_Order(room->active);
      list_->assign(order.begin(), order.end());
    }
    return *this;
  }

  std::vector<CInstance*>::const_iterator begin() const { return list_->begin(); }
  std::vector<CInstance*>::const_iterator end() const { return list_->end(); }

 private:
  static inline std::deque<std::vector<CInstance*>> lists_;
  static inline size_t inUse_ = 0;
  std::vector<CInstance*>* list_ = nullptr;
};

// The objects of an event list, read by place: an event may rebuild the list meanwhile
// (object_set_parent, object_delete), and the walk goes on in the list as it then stands.
class ListedObjects {
 public:
  ListedObjects(int32_t type, int32_t number) : list_(Object_EventList(type, number)) {}
  struct Sentinel {};
  struct Iterator {
    const std::vector<int32_t>* list;
    size_t at;
    int32_t operator*() const { return (*list)[at]; }
    Iterator& operator++() {
      ++at;
      return *this;
    }
    bool operator!=(Sentinel) const { return at < list->size(); }
  };
  Iterator begin() const { return {&list_, 0}; }
  Sentinel end() const { return {}; }

 private:
  const std::vector<int32_t>& list_;
};

// Visits the instances of a pass in order, asking kAhead places ahead for the first kLines
// cache lines of the instance, which hold what the pass reads (once depths changed, the next
// instance may lie anywhere in memory). The passes without code read line 0 only; an event
// reads lines 0 and 1, and takes longer, so needs asking less far ahead.
template <size_t kLines = 1, size_t kAhead = 32, typename Instances, typename Visit>
void ForEachInOrder(const Instances& instances, Visit visit) {
  auto at = instances.begin();
  const auto end = instances.end();
  const size_t count = static_cast<size_t>(end - at);
  for (size_t k = 0; k < count; ++k) {
    if (k + kAhead < count) {
      const char* ahead = reinterpret_cast<const char*>(at[k + kAhead]);
      for (size_t line = 0; line < kLines; ++line) __builtin_prefetch(ahead + 64 * line);
    }
    visit(*at[k]);
  }
}

// Visits the running room's active instances. A pass that runs code visits them in order,
// from a copy, as its events may add, remove or reorder instances meanwhile. A quiet pass (one
// that runs no code) cannot see the list change under it, and as each instance's work stands
// apart from the others' nothing can tell in what order it went: it reads the list's members
// as they stand, in about the order they lie in memory.
template <typename Visit>
void ForEachActive(bool quiet, Visit visit) {
  if (!quiet) {
    InstanceSnapshot instances;
    ForEachInOrder(instances.Active(), visit);
  } else if (CRoom* room = Run_CurrentRoom()) {
    ForEachInOrder(room->active.members, visit);
  }
}

// Every instance of every object reacting to (type, number), skipping those new for the pass.
void RaiseForObjects(int32_t type, int32_t number, uint64_t pass) {
  for (int32_t object : ListedObjects(type, number)) {
    InstanceSnapshot instances;
    ObjectEventPass event(object, type, number);
    ForEachInOrder<2, 6>(instances.OfObject(object), [&](CInstance& instance) {
      if (!Skipped(instance, pass)) event.Run(&instance, &instance);
    });
  }
}

// Whether the instance has an existing sprite or mask: without one its box is the "none" box.
bool HasShape(const CInstance& i) { return i.ShapeSprite() >= 0 && i.bbox_left != kNoBoundingBox; }

// Outside a rectangle: the point for an instance without sprite and mask, else the box.
bool Outside(CInstance& i, float left, float top, float right, float bottom) {
  i.EnsureBoundingBox();
  if (!HasShape(i)) return i.x < left || i.x > right || i.y < top || i.y > bottom;
  return static_cast<float>(i.bbox_right) < left || static_cast<float>(i.bbox_left) > right ||
         static_cast<float>(i.bbox_bottom) < top || static_cast<float>(i.bbox_top) > bottom;
}

// Not wholly inside a rectangle.
bool CrossesBoundary(CInstance& i, float left, float top, float right, float bottom) {
  i.EnsureBoundingBox();
  if (!HasShape(i)) return i.x < left || i.x > right || i.y < top || i.y > bottom;
  return static_cast<float>(i.bbox_left) < left || static_cast<float>(i.bbox_right) > right ||
         static_cast<float>(i.bbox_top) < top || static_cast<float>(i.bbox_bottom) > bottom;
}

template <typename Test>
void RaiseWhere(int32_t number, Test test) {
  const uint64_t pass = EventSerial++;
  for (int32_t object : ListedObjects(7, number)) {
    InstanceSnapshot instances;
    ObjectEventPass event(object, 7, number);
    for (CInstance* instance : instances.OfObject(object)) {
      if (!Skipped(*instance, pass) && test(*instance)) event.Run(instance, instance);
    }
  }
}

void MoveBySpeed(CInstance& i) {
  i.SetPosition(static_cast<float>(static_cast<double>(i.x) + i.hspeed),
                static_cast<float>(static_cast<double>(i.y) + i.vspeed));
}

void GoBack(CInstance& i) {
  i.SetPosition(i.xprevious, i.yprevious);
  i.path_position = i.path_positionprevious;
}

void MouseAt(int32_t& x, int32_t& y) {
  x = y = 0;
  if (Run_StepHooks().mousePosition) Run_StepHooks().mousePosition(x, y);
}

int32_t g_MouseX = 0, g_MouseY = 0, g_MousePreviousX = 0, g_MousePreviousY = 0;

}  // namespace

StepHooks& Run_StepHooks() {
  static StepHooks hooks;
  return hooks;
}

void Run_ResetStepClock() { g_LastStepTime = Timing_Time(); }

void Run_StepEvents(int32_t kind) { RaiseForObjects(3, kind, EventSerial++); }

void Run_Alarms() {
  const uint64_t pass = EventSerial++;
  for (int32_t n = 0; n < kAlarmCount; ++n) {
    for (int32_t object : ListedObjects(2, n)) {
      InstanceSnapshot instances;
      ObjectEventPass event(object, 2, n);
      for (CInstance* instance : instances.OfObject(object)) {
        if (Skipped(*instance, pass)) continue;
        int32_t& alarm = instance->alarm[static_cast<size_t>(n)];
        if (alarm < 0) continue;
        --alarm;
        if (alarm == 0) event.Run(instance, instance);
      }
    }
  }
}

void Run_KeyEvent(int32_t type, int32_t key) { RaiseForObjects(type, key, EventSerial++); }

void Run_KeyboardEvents() {
  const StepHooks& in = Run_StepHooks();
  bool anyHeld = false, anyPressed = false, anyReleased = false;
  for (int32_t k = 8; k <= 255; ++k) {
    const bool released = Ask(in.keyReleased, k);
    if (Ask(in.keyDown, k) || released) {
      anyHeld = true;
      Run_KeyEvent(5, k);
    }
    if (Ask(in.keyPressed, k)) {
      anyPressed = true;
      Run_KeyEvent(9, k);
    }
    if (released) {
      anyReleased = true;
      Run_KeyEvent(10, k);
    }
  }
  Run_KeyEvent(5, anyHeld ? 1 : 0);
  Run_KeyEvent(9, anyPressed ? 1 : 0);
  Run_KeyEvent(10, anyReleased ? 1 : 0);
}

void Run_MouseEventAll(int32_t number) {
  for (int32_t object : ListedObjects(6, number)) {
    if (!Object_Exists(object)) continue;
    const uint64_t pass = EventSerial++;
    InstanceSnapshot instances;
    ObjectEventPass event(object, 6, number);
    for (CInstance* instance : instances.OfObject(object)) {
      if (!Skipped(*instance, pass)) event.Run(instance, instance);
    }
  }
}

void Run_JoystickEvent(int32_t number) { Run_MouseEventAll(number); }

void Run_MouseEventLocal(int32_t number) {
  for (int32_t object : ListedObjects(6, number)) {
    if (!Object_Exists(object)) continue;
    const uint64_t pass = EventSerial++;
    InstanceSnapshot instances;
    ObjectEventPass event(object, 6, number);
    for (CInstance* instance : instances.OfObject(object)) {
      if (Skipped(*instance, pass)) continue;
      if (instance->Collision_Point(static_cast<float>(g_MouseX), static_cast<float>(g_MouseY), true)) {
        event.Run(instance, instance);
      }
    }
  }
}

void Run_MouseEvents() {
  const StepHooks& in = Run_StepHooks();
  if (in.windowVisible && !in.windowVisible()) return;
  g_MousePreviousX = g_MouseX;
  g_MousePreviousY = g_MouseY;
  MouseAt(g_MouseX, g_MouseY);
  bool any = false;
  for (int32_t b = 1; b <= 3; ++b) {
    if (Ask(in.mouseDown, b) || Ask(in.mousePressed, b)) {
      any = true;
      Run_MouseEventLocal(b - 1);
      Run_MouseEventAll(50 + b - 1);
    }
  }
  if (!any) Run_MouseEventLocal(3);
  for (int32_t b = 1; b <= 3; ++b) {
    if (!Ask(in.mousePressed, b)) continue;
    Run_MouseEventLocal(b + 3);
    Run_MouseEventAll(12);
    Run_MouseEventAll(b + 52);
  }
  for (int32_t b = 1; b <= 3; ++b) {
    if (!Ask(in.mouseReleased, b)) continue;
    Run_MouseEventLocal(b + 6);
    Run_MouseEventAll(13);
    Run_MouseEventAll(b + 55);
  }
  const float mx = static_cast<float>(g_MouseX), my = static_cast<float>(g_MouseY);
  const float px = static_cast<float>(g_MousePreviousX), py = static_cast<float>(g_MousePreviousY);
  for (int32_t number : {10, 11}) {
    const uint64_t pass = EventSerial++;
    for (int32_t object : ListedObjects(6, number)) {
      InstanceSnapshot instances;
      ObjectEventPass event(object, 6, number);
      for (CInstance* instance : instances.OfObject(object)) {
        if (Skipped(*instance, pass)) continue;
        const bool now = instance->Collision_Point(mx, my, true);
        const bool before = instance->Collision_Point(px, py, true);
        if (number == 10 ? (now && !before) : (before && !now)) event.Run(instance, instance);
      }
    }
  }
  if (Ask(in.wheelUp)) Run_MouseEventAll(60);
  if (Ask(in.wheelDown)) Run_MouseEventAll(61);
}

bool Run_Motion() {
  // A room with a physics world: its bodies move the instances, and its contacts raise the
  // collision events.
  if (CRoom* room = Run_CurrentRoom(); room != nullptr && room->physicsWorldObject != nullptr) {
    room->physicsWorldObject->Update(room->speed);
    return true;
  }
  const uint64_t pass = EventSerial++;
  // Without an object with a path-end event no code runs in this pass.
  const bool quiet = Object_EventList(7, 8).empty();
  ForEachActive(quiet, [pass, quiet](CInstance& i) {
    if (i.friction != 0.0f && i.speed != 0.0f) {
      float s = i.speed > 0.0f ? i.speed - i.friction : i.speed + i.friction;
      if ((i.speed > 0.0f && s < 0.0f) || (i.speed < 0.0f && s > 0.0f)) s = 0.0f;
      i.SetSpeed(s);
    }
    if (i.gravity != 0.0f) i.AddMotion(i.gravity_direction, i.gravity);
    if (i.path_index >= 0 && i.PathStep() && i.createSerial <= pass && !quiet) Perform_Event(&i, &i, 7, 8);
    MoveBySpeed(i);
  });
  return false;
}

void Run_OtherEventAll(int32_t number) {
  if (number < 60 || number > 63) return;
  RaiseForObjects(7, number, EventSerial++);
}

void Run_OutsideEvents() {
  CRoom* room = Run_CurrentRoom();
  if (room == nullptr) return;
  const float w = static_cast<float>(room->width), h = static_cast<float>(room->height);
  RaiseWhere(0, [=](CInstance& i) { return Outside(i, 0.0f, 0.0f, w, h); });
  RaiseWhere(1, [=](CInstance& i) { return CrossesBoundary(i, 0.0f, 0.0f, w, h); });
  if (room->enableViews) {
    for (int32_t k = 0; k < kRoomViewCount; ++k) {
      const RoomView& v = room->views[static_cast<size_t>(k)];
      if (!v.visible) continue;
      const float l = static_cast<float>(v.xview), t = static_cast<float>(v.yview);
      const float r = static_cast<float>(v.xview + v.wview), b = static_cast<float>(v.yview + v.hview);
      RaiseWhere(40 + k, [=](CInstance& i) { return Outside(i, l, t, r, b); });
      RaiseWhere(50 + k, [=](CInstance& i) { return CrossesBoundary(i, l, t, r, b); });
    }
  }
  HTTP_ProcessFinished([](int32_t number, int32_t asyncMap) {
    Run_Globals.asyncLoad = asyncMap;
    Run_OtherEventAll(number);
    Run_Globals.asyncLoad = -1;
  });
}

namespace {

void Collide(CInstance& i, CInstance& j) {
  if (i.solid || j.solid) {
    GoBack(i);
    GoBack(j);
  }
  Perform_Event(&i, &j, 4, j.object_index);
  Perform_Event(&j, &i, 4, i.object_index);
  if (i.solid || j.solid) {
    i.PathStep();
    j.PathStep();
    MoveBySpeed(i);
    MoveBySpeed(j);
    if (i.Collision_Instance(j, true)) {
      GoBack(i);
      GoBack(j);
    }
  }
}

// One pair of the collision pass: each instance of the first object meets the instances of the
// second that it collides with, in the second's list order. Only those the room's grid puts
// near it are tested; after each meeting the search goes on from the next in list order, as
// the events may have moved anything.
void CollidePair(const CollisionPair& pair, CRoom& room) {
  const uint64_t pass = EventSerial++;
  std::vector<CInstance*> others;
  std::unordered_map<const CInstance*, size_t> place;
  uint64_t taken = 0;
  bool any = false;
  std::vector<CInstance*> near;
  InstanceSnapshot instances;
  for (CInstance* i : instances.OfObject(pair.object)) {
    // The second object's list as it stands when this instance's turn comes.
    if (!any || taken != Object_InstanceListChanges) {
      CopyInstancesOf(pair.other, others);
      place.clear();
      for (size_t k = 0; k < others.size(); ++k) place.emplace(others[k], k);
      taken = Object_InstanceListChanges;
      any = true;
    }
    for (size_t from = 0; !Skipped(*i, pass);) {
      if (Run_CurrentRoom() != &room) return;  // the events ended the room
      i->EnsureBoundingBox();
      InstanceList_Grid(room.active).Candidates(i->bbox_left, i->bbox_top, i->bbox_right, i->bbox_bottom, near);
      CInstance* j = nullptr;
      size_t at = others.size();
      for (CInstance* c : near) {
        const auto it = place.find(c);
        if (it == place.end() || it->second < from || it->second >= at) continue;
        if (Skipped(*c, pass) || !i->Collision_Instance(*c, true)) continue;
        j = c;
        at = it->second;
      }
      if (j == nullptr) break;
      Collide(*i, *j);
      from = at + 1;
    }
  }
}

}  // namespace

void Run_Collisions() {
  CRoom* room = Run_CurrentRoom();
  for (const CollisionPair& pair : Object_CollisionPairs()) {
    if (room == nullptr) {
      ++EventSerial;  // no room, no instances in play: the pass only counts
      continue;
    }
    CollidePair(pair, *room);
  }
}

namespace {

// Whether the instance's object (itself or through a parent) has an animation end event. The
// list is read again for each instance: an event may add events or change an object's parent.
bool HasAnimationEnd(const std::vector<int32_t>& objects, const CInstance& i) {
  return !objects.empty() && std::binary_search(objects.begin(), objects.end(), i.object_index);
}

}  // namespace

void Run_Animation() {
  // The list stays where it is when it is rebuilt.
  const std::vector<int32_t>& animationEnd = Object_EventList(7, 7);
  ForEachActive(animationEnd.empty(), [&animationEnd](CInstance& i) {
    i.image_index = static_cast<float>(static_cast<double>(i.image_index) + i.image_speed);
    const int32_t frames = i.sprite_index < 0 ? 0 : i.GetImageNumber();
    if (static_cast<int32_t>(i.image_index) >= frames) {
      i.image_index -= static_cast<float>(frames);
      if (HasAnimationEnd(animationEnd, i)) Perform_Event(&i, &i, 7, 7);
    }
  });
}

void Run_Step() {
  const int64_t now = Timing_Time();
  Run_Globals.deltaTime = std::max<int64_t>(0, now - g_LastStepTime);
  g_LastStepTime = now;
  StepHooks& hooks = Run_StepHooks();
  {
    const CProfilerSection section(kProfilerInputColour, "IO&Tarn");
    if (hooks.startStep) hooks.startStep();
    if (hooks.platformFrameUpdate) hooks.platformFrameUpdate();
  }
  if (Options_Get().freezeWhenInactive && hooks.windowActive && !hooks.windowActive()) return;
  CRoom* room = Run_CurrentRoom();
  if (room == nullptr) return;

  // A check that returns leaves "Update" open until the next frame starts the profiler afresh.
  Profiler_Begin(kProfilerUpdateColour, "Update");
  ForEachActive(true, [](CInstance& at) {
    at.xprevious = at.x;
    at.yprevious = at.y;
    at.path_positionprevious = at.path_position;
  });
  Run_StepEvents(1);           if (Pending()) return;
  Run_TimeLines();             if (Pending()) return;
  Run_Alarms();                if (Pending()) return;
  Run_KeyboardEvents();        if (Pending()) return;
  if (hooks.joystickPoll) hooks.joystickPoll();
                               if (Pending()) return;
  Run_MouseEvents();           if (Pending()) return;
  Run_StepEvents(0);           if (Pending()) return;
  const bool physics = Run_Motion();
                               if (Pending()) return;
  Run_OutsideEvents();         if (Pending()) return;
  if (!physics) Run_Collisions();
                               if (Pending()) return;
  Run_StepEvents(2);           if (Pending()) return;
  if (hooks.particlesUpdate) hooks.particlesUpdate();
  Profiler_End();

  room = Run_CurrentRoom();
  if (room == nullptr) return;
  {
    const CProfilerSection section(kProfilerDrawColour, "Draw");
    room->RemoveDestroyedInstances();
    if (AutomaticDraw != 0 && hooks.draw) hooks.draw();
  }
  const CProfilerSection section(kProfilerScrollColour, "Scroll");
  room->ScrollBackgrounds();
  Run_Animation();
  ++Run_Globals.stepCount;
}

bool Room_WindowSize(int32_t& width, int32_t& height) {
  const CRoom* room = Run_CurrentRoom();
  if (room == nullptr) return false;
  if (!room->enableViews) {
    width = room->width;
    height = room->height;
    return true;
  }
  width = height = 8;
  for (const RoomView& v : room->views) {
    if (!v.visible) continue;
    width = std::max(width, v.xport + v.wport);
    height = std::max(height, v.yport + v.hport);
  }
  return true;
}

void Room_SetWindowSize() {
  int32_t w = 0, h = 0;
  if (Room_WindowSize(w, h) && Run_StepHooks().setWindowSize) Run_StepHooks().setWindowSize(w, h);
}
