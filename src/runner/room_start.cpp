#include "runner/room_start.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "data/event_lists.h"
#include "data/game_options.h"
#include "data/game_preparation.h"
#include "script/extensions.h"
#include "data/background.h"
#include "data/objects.h"
#include "data/paths.h"
#include "data/scripts.h"
#include "data/timelines.h"
#include "data/rooms.h"
#include "data/sprite.h"
#include "graphics/fonts.h"
#include "graphics/particles/particle_effects.h"
#include "graphics/particles/particle_systems.h"
#include "platform/console.h"
#include "platform/conversions.h"
#include "platform/memory_manager.h"
#include "platform/timing.h"
#include "runner/commands.h"
#include "runner/events.h"
#include "runner/game_step.h"
#include "runner/input.h"
#include "runner/instance.h"
#include "runner/main_loop.h"
#include "runner/run_globals.h"
#include "runner/window.h"
#include "script/builtin_variables.h"
#include "script/code.h"
#include "script/constants.h"
#include "script/variable_access.h"

namespace {

CRoom* g_CurrentRoom = nullptr;
int32_t g_CurrentRoomIndex = -1;
// One slot per room index: the live copy while current, kept afterwards when persistent.
std::vector<std::unique_ptr<CRoom>> g_StoredRooms;
// Copies of the persistent instances of the room being left, until the next room starts.
std::vector<std::unique_ptr<CInstance>> g_CarriedInstances;
bool g_GameRunning = false;

// The code is held for its run: it may replace the record it came from (room_set_code,
// room_assign).
void RunCode(CInstance& instance, std::shared_ptr<CCode> code) {
  ScriptValue result;
  Code_Execute(&instance, &instance, *code, result);
}

void RunCreation(CInstance& instance) {
  const bool eventFirst = Options_Get().createEventBeforeCreationCode;
  if (eventFirst) Perform_Event(&instance, &instance, 0, 0);
  if (instance.creationCode) RunCode(instance, instance.creationCode);
  if (!eventFirst) Perform_Event(&instance, &instance, 0, 0);
}

void SetCurrent(CRoom* room, int32_t index) {
  g_CurrentRoom = room;
  g_CurrentRoomIndex = room != nullptr ? index : -1;
}

// Takes the carried persistent instances into the room that is starting.
void TakeCarriedInstances(CRoom& room) {
  for (std::unique_ptr<CInstance>& carried : g_CarriedInstances) {
    // An instance of the room with the same id becomes the carried one; else a new one does
    // (its fresh id then gives way to the carried id).
    CInstance* target = room.FindActive(carried->id);
    if (target == nullptr) target = room.AddInstance(carried->x, carried->y, carried->object_index);
    Instance_IdHash_Remove(*target);
    target->Assign(*carried, true);
    Instance_IdHash_Add(*target);
    // The copy may have another depth than the place it was put in.
    InstanceList_Reinsert(room.active, *target);
    target->carried = true;
  }
  g_CarriedInstances.clear();
}

void ForEachActive(const InstanceVisitor& visit) {
  if (g_CurrentRoom == nullptr) return;
  for (CInstance* at = g_CurrentRoom->active.first; at != nullptr;) {
    CInstance* next = at->next;
    if (!visit(*at)) return;
    at = next;
  }
}

}  // namespace

CRoom* Run_CurrentRoom() { return g_CurrentRoom; }
int32_t Run_CurrentRoomIndex() { return g_CurrentRoomIndex; }

void StartGame() {
  g_DebugConsole->Output("StartGame()\n");
  Timing_Init();
  Run_ResetStepClock();
  Object_Rebuild_Event_Lists();
  Run_Globals.score = 0;
  Run_Globals.lives = -1;
  Run_Globals.cursorSprite = -1;
  Run_Globals.stepCount = 0;
  Run_Globals.transitionKind = 0;
  Library_RunInitCode();
  if (!Extension_RunInitFunctions()) {
    PendingRoom = PendingRoomCode::EndGame;
    return;
  }
  // The show-cursor option: the default cursor (cr_default) or none (cr_none).
  GR_Window_Set_Cursor(Options_Get().showCursor ? 0 : -1);
  g_StoredRooms.clear();
  g_StoredRooms.resize(static_cast<size_t>(std::max(Room_GetCount(), 0)));
  g_GameRunning = true;
  const int32_t first = Room_First();
  if (Room_Exists(first)) {
    Room_Start(first, true);
  } else {
    g_DebugConsole->Output("The game has no room to start\n");
    PendingRoom = PendingRoomCode::EndGame;
  }
  g_DebugConsole->Output("StartGame() - DONE\n");
  MemoryManager::DumpStatistics("Current Memory Stats");
}

void Room_Start(int32_t index, bool gameStart) {
  PendingRoom = PendingRoomCode::None;
  if (Run_StepHooks().clearInput) Run_StepHooks().clearInput();
  Effect_Clear();
  if (index < 0) return;
  if (static_cast<size_t>(index) >= g_StoredRooms.size()) g_StoredRooms.resize(static_cast<size_t>(index) + 1);
  std::unique_ptr<CRoom>& slot = g_StoredRooms[static_cast<size_t>(index)];
  const bool fresh = slot == nullptr;
  if (fresh) {
    slot = std::make_unique<CRoom>();
    SetCurrent(slot.get(), index);
    slot->Assign(Room_Data(index), true);
  } else {
    SetCurrent(slot.get(), index);
    for (CInstance* at = slot->active.first; at != nullptr; at = at->next) {
      if (at->object != nullptr) at->object->AddInstance(at);
      Instance_IdHash_Add(*at);
    }
    for (CInstance* at = slot->deactivated.first; at != nullptr; at = at->next) Instance_IdHash_Add(*at);
  }
  CRoom& room = *slot;
  Room_SetWindowSize();
  TakeCarriedInstances(room);

  if (fresh) {
    std::vector<CInstance*> order;
    for (CInstance* at = room.active.last; at != nullptr; at = at->prev) {
      at->started = false;
      order.push_back(at);
    }
    for (CInstance* instance : order) {
      if (instance->carried) {
        instance->carried = false;
        continue;
      }
      if (instance->marked) continue;
      RunCreation(*instance);
      instance->started = true;
    }
  } else {
    for (CInstance* at = room.active.first; at != nullptr; at = at->next) at->carried = false;
  }
  if (gameStart) Perform_Event_All(7, 2);
  if (fresh && room.creationCode) {
    CInstance temporary(0.0f, 0.0f, 0, 0, false);
    RunCode(temporary, room.creationCode);
  }
  Perform_Event_All(7, 4);
  if (PendingRoom == PendingRoomCode::None && AutomaticDraw == 1 && Run_StepHooks().draw) {
    // The room's first picture is a frame of its own, shown before the first step. At game
    // start it closes the frame start-up left open; after a room change no frame is open.
    const MainLoopHooks& loop = MainLoop_Hooks();
    if (loop.beginFrame) loop.beginFrame();
    Run_StepHooks().draw();
    if (loop.endFrame) loop.endFrame(true);
  }
}

void Room_End(bool gameEnding) {
  if (g_CurrentRoom == nullptr) return;
  CRoom& room = *g_CurrentRoom;
  room.RemoveDestroyedInstances();
  const int32_t pending = PendingRoom;
  PendingRoom = PendingRoomCode::None;
  Perform_Event_All(7, 5);
  if (gameEnding) Perform_Event_All(7, 3);
  PendingRoom = pending;

  g_CarriedInstances.clear();
  for (CInstance* at = room.active.first; at != nullptr;) {
    CInstance* next = at->next;
    if (at->persistent && !at->marked) {
      auto copy = std::make_unique<CInstance>(at->x, at->y, at->id, at->object_index, false);
      copy->Assign(*at, false);
      g_CarriedInstances.push_back(std::move(copy));
      // The original leaves every list and goes (it is no longer reachable).
      Instance_MarkForDeletion(*at);
      room.DeleteInstance(at);
    }
    at = next;
  }

  const int32_t index = g_CurrentRoomIndex;
  if (room.persistent) {
    // Instances destroyed by the room-end events go now: the kept room holds none of them.
    room.RemoveDestroyedInstances();
    for (CInstance* at = room.active.first; at != nullptr; at = at->next) {
      if (at->marked || at->persistent) continue;
      if (at->object != nullptr) at->object->RemoveInstance(at);
      Instance_IdHash_Remove(*at);
    }
    for (CInstance* at = room.deactivated.first; at != nullptr; at = at->next) Instance_IdHash_Remove(*at);
    SetCurrent(nullptr, -1);
    return;
  }
  SetCurrent(nullptr, -1);
  if (index >= 0 && static_cast<size_t>(index) < g_StoredRooms.size()) g_StoredRooms[static_cast<size_t>(index)].reset();
}

void EndGame() {
  if (!g_GameRunning) return;
  g_GameRunning = false;
  Room_End(true);
  if (Extension_RunFinalFunctions()) GR_Window_Set_Cursor(0);
  SetCurrent(nullptr, -1);
  // Kept rooms left earlier are not in the id map; their instances go with them.
  g_StoredRooms.clear();
}

void Room_Change(int32_t index) {
  Room_End(false);
  Room_Start(index, false);
}

void Persistent_FreeAll() {
  SetCurrent(nullptr, -1);
  g_StoredRooms.clear();
  g_CarriedInstances.clear();
  g_GameRunning = false;
}

const std::vector<std::unique_ptr<CRoom>>& Room_StoredRooms() { return g_StoredRooms; }

void Room_ReplaceStoredRooms(std::vector<std::unique_ptr<CRoom>> rooms, int32_t current) {
  SetCurrent(nullptr, -1);
  g_CarriedInstances.clear();
  // The old rooms go first: their instances leave the id map and their objects' lists.
  g_StoredRooms = std::move(rooms);
  for (size_t index = 0; index < g_StoredRooms.size(); ++index) {
    CRoom* room = g_StoredRooms[index].get();
    if (room == nullptr || static_cast<int32_t>(index) == current) continue;
    for (CInstance* at = room->active.first; at != nullptr; at = at->next) {
      if (at->object != nullptr) at->object->RemoveInstance(at);
      Instance_IdHash_Remove(*at);
    }
    for (CInstance* at = room->deactivated.first; at != nullptr; at = at->next) Instance_IdHash_Remove(*at);
  }
  CRoom* room = g_StoredRooms[static_cast<size_t>(current)].get();
  for (const InstanceList* list : {&room->active, &room->deactivated}) {
    for (CInstance* at = list->first; at != nullptr; at = at->next) Instance_IdHash_Add(*at);
  }
  SetCurrent(room, current);
}

namespace {

template <typename Find>
ResourceFinder Finder(Find find) {
  return [find](std::string_view name, int32_t& index) {
    index = find(name);
    return index >= 0;
  };
}

SpritePlacement Placement(const CInstance& i) {
  SpritePlacement p;
  p.frame = Conv_TruncToInt32(i.image_index);
  p.box = {i.bbox_left, i.bbox_top, i.bbox_right, i.bbox_bottom};
  p.x = Conv_RoundToInt32(i.x);
  p.y = Conv_RoundToInt32(i.y);
  p.xscale = i.image_xscale;
  p.yscale = i.image_yscale;
  p.angle = i.image_angle;
  return p;
}

const CSprite* ShapeOf(const CInstance& i) { return Sprite_Data(i.ShapeSprite()); }

// Instances take their box from their sprite (or mask) and, when it is precise, test its
// collision masks pixel by pixel once the boxes overlap.
void InstallSpriteShapes() {
  Instance_SetSpriteLookup([](int32_t sprite, InstanceSpriteShape& shape) {
    const CSprite* s = Sprite_Data(sprite);
    if (s == nullptr) return false;
    const CollisionBox box = s->GetBbox();
    shape.frames = s->GetFrameCount();
    shape.left = box.left;
    shape.top = box.top;
    shape.right = box.right;
    shape.bottom = box.bottom;
    shape.xorigin = s->GetXOrigin();
    shape.yorigin = s->GetYOrigin();
    shape.precise = s->GetPrecise();
    return true;
  });
  InstancePreciseTests& tests = Instance_PreciseTests();
  tests.point = [](const CInstance& i, int32_t px, int32_t py) {
    const CSprite* s = ShapeOf(i);
    return s == nullptr || s->Collision_Point(Placement(i), px, py);
  };
  tests.rectangle = [](const CInstance& i, int32_t l, int32_t t, int32_t r, int32_t b) {
    const CSprite* s = ShapeOf(i);
    return s == nullptr || s->Collision_Rectangle(Placement(i), CollisionBox{l, t, r, b});
  };
  tests.ellipse = [](const CInstance& i, int32_t l, int32_t t, int32_t r, int32_t b) {
    const CSprite* s = ShapeOf(i);
    return s == nullptr || s->Collision_Ellipse(Placement(i), CollisionBox{l, t, r, b});
  };
  tests.line = [](const CInstance& i, float x1, float y1, float x2, float y2) {
    const CSprite* s = ShapeOf(i);
    return s == nullptr || s->Collision_Line(Placement(i), Conv_RoundToInt32(x1), Conv_RoundToInt32(y1),
                                             Conv_RoundToInt32(x2), Conv_RoundToInt32(y2));
  };
  tests.instance = [](const CInstance& a, const CInstance& b) {
    const CSprite* sa = ShapeOf(a);
    const CSprite* sb = ShapeOf(b);
    return sa == nullptr || sb == nullptr || sa->Collision_Sprite(Placement(a), *sb, Placement(b));
  };
}

// Instances follow the paths of the path table.
void InstallPathAccess() {
  InstancePathAccess access;
  access.length = [](int32_t path, float& length) {
    const CPath* p = Path_Data(path);
    if (p == nullptr) return false;
    length = p->GetLength();
    return true;
  };
  access.point = [](int32_t path, float position, float& x, float& y, float& speed) {
    const CPath* p = Path_Data(path);
    if (p == nullptr) return;
    const PathPosition at = p->GetPosition(position);
    x = static_cast<float>(at.x);
    y = static_cast<float>(at.y);
    speed = static_cast<float>(at.speed);
  };
  Instance_SetPathAccess(std::move(access));
}

// Resource names in code resolve to their indices.
void InstallResourceNames() {
  Constant_SetResourceFinder(ResourceKind::Object, Finder([](std::string_view n) { return Object_Find(n); }));
  Constant_SetResourceFinder(ResourceKind::Sprite,
                             Finder([](std::string_view n) { return Sprite_Find(std::string(n)); }));
  Constant_SetResourceFinder(ResourceKind::Background,
                             Finder([](std::string_view n) { return Background_Find(std::string(n)); }));
  Constant_SetResourceFinder(ResourceKind::Path, Finder([](std::string_view n) { return Path_Find(n); }));
  Constant_SetResourceFinder(ResourceKind::Font, Finder([](std::string_view n) { return Font_Find(n); }));
  Constant_SetResourceFinder(ResourceKind::TimeLine, Finder([](std::string_view n) { return TimeLine_Find(n); }));
  Constant_SetResourceFinder(ResourceKind::Script, Finder([](std::string_view n) { return Script_Find(n); }));
  Constant_SetResourceFinder(ResourceKind::Room, Finder([](std::string_view n) { return Room_Find(n); }));
}

}  // namespace

void Room_InstallHooks() {
  InstallResourceNames();
  InstallPathAccess();
  Preparation_Hooks().prepareRooms = Room_Prepare;
  Variable_InstanceWorld().forEachActiveInstance = ForEachActive;

  BuiltinVariableWorld& world = Variable_BuiltIn_World();
  world.currentRoom = []() -> RoomSettings* { return g_CurrentRoom; };
  world.currentRoomIndex = [] { return g_CurrentRoomIndex; };
  world.firstRoom = [] { return Room_First(); };
  world.lastRoom = [] { return Room_Last(); };
  world.roomGoto = [](int32_t room) { Room_Goto(room); };
  world.spriteSize = [](int32_t sprite, int32_t& w, int32_t& h, int32_t& xo, int32_t& yo) {
    const CSprite* s = Sprite_Data(sprite);
    if (s == nullptr) return false;
    w = s->GetWidth();
    h = s->GetHeight();
    xo = s->GetXOrigin();
    yo = s->GetYOrigin();
    return true;
  };

  InstallSpriteShapes();

  StepHooks& step = Run_StepHooks();
  step.startStep = IO_Start_Step;
  step.clearInput = IO_Clear;
  step.keyDown = IO_Keyboard_Check;
  step.keyPressed = IO_Keyboard_Check_Pressed;
  step.keyReleased = IO_Keyboard_Check_Released;
  step.mouseDown = [](int32_t button) { return IO_Mouse_Check(button, 0); };
  step.mousePressed = [](int32_t button) { return IO_Mouse_Check_Pressed(button, 0); };
  step.mouseReleased = [](int32_t button) { return IO_Mouse_Check_Released(button, 0); };
  step.wheelUp = [] { return IO_Mouse_Wheel_Up(0); };
  step.wheelDown = [] { return IO_Mouse_Wheel_Down(0); };
  step.particlesUpdate = ParticleSystem_UpdateAll;
  // In the room, through the views and the window's scaling, as mouse_x and mouse_y read it.
  step.mousePosition = [](int32_t& x, int32_t& y) {
    x = GR_Window_Views_Mouse_X(0);
    y = GR_Window_Views_Mouse_Y(0);
  };

  // Capped at the display; a size the window already has changes nothing. Without a window
  // there is nothing to size.
  step.setWindowSize = [](int32_t width, int32_t height) {
    if (MainWindow().window == nullptr) return;
    int screenWidth = 0, screenHeight = 0, clientWidth = 0, clientHeight = 0;
    Window_ScreenSize(screenWidth, screenHeight);
    Window_ClientSize(clientWidth, clientHeight);
    width = std::min(width, screenWidth);
    height = std::min(height, screenHeight);
    if (width != clientWidth || height != clientHeight) GR_Window_Set_Size(width, height);
  };

  MainLoopHooks& loop = MainLoop_Hooks();
  loop.currentRoomSpeed = []() -> int32_t* { return g_CurrentRoom != nullptr ? &g_CurrentRoom->speed : nullptr; };
  loop.step = Run_Step;
  loop.changeRoom = Room_Change;
  loop.endGame = EndGame;
  loop.startGame = StartGame;
}
