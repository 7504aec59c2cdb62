// Times the game step in a room with a physics world holding many dynamic bodies: balls made
// from their object's physics settings rain onto a static floor and pile up, colliding with each
// other. Builds the game with the game data writer, loads and starts it in this process as the
// runner does, then runs the steps and prints steps per second (the best of three runs).
//
//   physics_bodies [bodies=1000] [steps=100]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "data/game_data_writer.h"
#include "data/game_loader.h"
#include "data/objects.h"
#include "data/rooms.h"
#include "data/scripts.h"
#include "data/timelines.h"
#include "platform/console.h"
#include "runner/game_step.h"
#include "runner/main_loop.h"
#include "runner/room_start.h"
#include "script/builtin_variables.h"
#include "script/code_exec.h"
#include "script/constants.h"
#include "script/global_variables.h"
#include "script/vm/vm.h"

namespace {

GameDataWriter BenchGame(int32_t bodies) {
  GameDataWriter game;
  game.header.lastInstanceId = 100001 + static_cast<uint32_t>(bodies);
  // Balls of radius 4 pixels; the collision events with each other and the floor give them
  // categories that collide.
  gamedata::Object ball;
  ball.name = "obj_ball";
  ball.physics = true;
  ball.shape = 0;
  ball.density = 1.0f;
  ball.points = {{0.0f, 0.0f}, {4.0f, 0.0f}};
  ball.events.push_back({4, 0, {""}});
  ball.events.push_back({4, 1, {""}});
  game.objects.push_back(ball);
  gamedata::Object floor;
  floor.name = "obj_floor";
  floor.physics = true;
  floor.shape = 1;
  floor.density = 0.0f;
  floor.points = {{-320.0f, -8.0f}, {320.0f, -8.0f}, {320.0f, 8.0f}, {-320.0f, 8.0f}};
  floor.events.push_back({4, 0, {""}});
  game.objects.push_back(floor);
  gamedata::Room room;
  room.name = "rm_rain";
  room.speed = 60;
  room.physicsWorld = true;
  room.gravityY = 10;
  room.pixelsToMetres = 0.1f;
  room.instances.push_back({320, 470, 1, 100001, {""}});
  for (int32_t i = 0; i < bodies; ++i) {
    room.instances.push_back({10 + (i * 9) % 620, 20 + (i / 68) * 9, 0, 100002 + i, {""}});
  }
  game.rooms.push_back(room);
  return game;
}

}  // namespace

int main(int argc, char** argv) {
  const int32_t bodies = argc > 1 ? std::atoi(argv[1]) : 1000;
  const int32_t steps = argc > 2 ? std::atoi(argv[2]) : 100;
  TMemoryConsole quiet;
  tagIConsole* const console = g_DebugConsole;
  g_DebugConsole = &quiet;

  Constant_Init();
  Variable_BuiltIn_Init();
  Code_Exec_Install();
  VM_Install();
  Room_InstallHooks();
  if (GameData_LoadImage(BenchGame(bodies).Build()) != GameLoadResult::Loaded) {
    std::fprintf(stderr, "the benchmark game did not load\n%s", quiet.Text().c_str());
    return 1;
  }
  Variable_Global_Init();
  if (!Script_Prepare() || !TimeLine_Prepare() || !Object_Prepare() || !Room_Prepare()) {
    std::fprintf(stderr, "the benchmark game did not compile\n%s", quiet.Text().c_str());
    return 1;
  }
  StartGame();
  if (Run_CurrentRoom() == nullptr || Run_CurrentRoom()->active.count != bodies + 1 ||
      Run_CurrentRoom()->physicsWorldObject == nullptr) {
    std::fprintf(stderr, "the benchmark room did not start with its bodies\n");
    return 1;
  }

  double best = 0.0;
  for (int run = 0; run < 3; ++run) {
    const auto start = std::chrono::steady_clock::now();
    for (int32_t i = 0; i < steps; ++i) Run_Step();
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    best = std::max(best, steps / took.count());
  }
  EndGame();
  Persistent_FreeAll();
  g_DebugConsole = console;
  std::printf("physics_bodies: %d dynamic bodies, %d steps: %.1f steps per second (%.2f ms a step)\n", bodies,
              steps, best, 1000.0 / best);
  return 0;
}
