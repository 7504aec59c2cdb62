// Times the game step on a room of many instances that each run a step event: builds the
// game with the game data writer, loads and starts it in this process as the runner does,
// then runs the steps and prints steps per second (the best of three runs).
//
//   room_steps [instances=10000] [steps=100]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "support/in_process_game.h"
#include "data/game_data_writer.h"
#include "data/rooms.h"
#include "runner/game_step.h"
#include "runner/room_start.h"

namespace {

GameDataWriter BenchGameData(int32_t instances) {
  GameDataWriter game;
  game.header.lastInstanceId = 100000 + static_cast<uint32_t>(instances);
  gamedata::Object mover;
  mover.name = "obj_mover";
  mover.events.push_back({0, 0, {"n = 0;"}});
  mover.events.push_back({3, 0, {"n += 1; x += hspeed + 1; if (x > room_width) x = 0;"}});
  game.objects.push_back(mover);
  gamedata::Room room;
  room.name = "rm_crowd";
  for (int32_t i = 0; i < instances; ++i) {
    room.instances.push_back({(i * 7) % 640, (i * 13) % 480, 0, 100001 + i, {""}});
  }
  game.rooms.push_back(room);
  return game;
}

}  // namespace

int main(int argc, char** argv) {
  const int32_t instances = argc > 1 ? std::atoi(argv[1]) : 10000;
  const int32_t steps = argc > 2 ? std::atoi(argv[2]) : 100;
  InProcessGame bench;
  if (!bench.Load(BenchGameData(instances)) || !bench.Start()) return 1;
  if (Run_CurrentRoom()->active.count != instances) {
    std::fprintf(stderr, "the benchmark room did not start\n");
    return 1;
  }

  double best = 0.0;
  for (int run = 0; run < 3; ++run) {
    const auto start = std::chrono::steady_clock::now();
    for (int32_t i = 0; i < steps; ++i) Run_Step();
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    best = std::max(best, steps / took.count());
  }
  std::printf("room_steps: %d instances with a step event, %d steps: %.1f steps per second (%.2f ms a step)\n",
              instances, steps, best, 1000.0 / best);
  return 0;
}
