// Times what grows with the number of instances, at two sizes, beside the same work written
// for Love2D (bench/love/<case>/, run with LuaJIT on and off):
//   room_start       a room of n instances starts (seconds)
//   instance_create  a create event makes n instances (seconds; also KiB of memory per instance)
//   depth            n instances set depth = -y in their step event (seconds a step)
//   place_meeting    n instances at constant density each check place_meeting once a step
//   step             n instances with a step event (seconds a step)
//
//   instances_at_scale                 every case, with growth and ratios against Love2D (each
//                                      figure the median of five runs taking turns)
//   instances_at_scale <case> <n>      one case in this process: prints "<seconds> [<KiB each>]"
//   INSTANCES_STEP_CODE=<code>         the step case runs this step event instead (for profiling)
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "support/in_process_game.h"
#include "data/game_data_writer.h"
#include "data/rooms.h"
#include "runner/game_step.h"
#include "runner/room_start.h"

namespace {

struct Case {
  const char* name;
  int32_t n;  // the small size; the large one is ten times that
  int32_t steps;
};
constexpr Case kCases[] = {
    {"room_start", 10000, 0},    {"instance_create", 10000, 0}, {"depth", 10000, 20},
    {"place_meeting", 1000, 20}, {"step", 10000, 20},
};

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// Resident memory in KiB.
double ResidentKiB() {
  long pages = 0, resident = 0;
  if (FILE* f = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(f);
  }
  return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / 1024.0;
}

// Sprite 0: a 16 x 16 box without image data (collisions need only its box).
void AddBoxSprite(GameDataWriter& game) {
  gamedata::Sprite box;
  box.name = "spr_box";
  box.width = box.height = 16;
  box.bboxRight = box.bboxBottom = 15;
  box.bboxMode = 2;
  box.frames = {0};
  game.sprites.push_back(box);
  game.texturePageEntries.push_back({0, 0, 16, 16, 0, 0, 16, 16, 16, 16, 0});
  game.textures.push_back(gamedata::RawImage(16, 16, std::vector<uint8_t>(16 * 16 * 4, 255)));
}

// Object 0 with the given step code; a room of n of its instances spread over the room
// (none when the room is to start empty), the room's side growing with sqrt(n) when dense.
GameDataWriter Game(int32_t n, const std::string& step, bool placed, int32_t side = 0) {
  GameDataWriter game;
  game.header.lastInstanceId = 100000 + static_cast<uint32_t>(n);
  gamedata::Object mover;
  mover.name = "obj_mover";
  mover.events.push_back({0, 0, {"n = 0;"}});
  if (!step.empty()) mover.events.push_back({3, 0, {step}});
  gamedata::Room room;
  room.name = "rm_crowd";
  if (side > 0) {
    AddBoxSprite(game);
    mover.sprite = 0;
    room.width = room.height = side;
  }
  game.objects.push_back(mover);
  // Dense rooms: rows 80 apart of boxes about 20 apart, some of them touching.
  const int32_t columns = std::max(1, side / 20);
  for (int32_t i = 0; placed && i < n; ++i) {
    const int32_t x = side > 0 ? (i % columns) * 20 + (i % 3) * 2 : (i * 7) % 640;
    const int32_t y = side > 0 ? (i / columns) * 80 : (i * 13) % 480;
    room.instances.push_back({x, y, 0, 100001 + i, {""}});
  }
  game.rooms.push_back(room);
  return game;
}

double TimeSteps(int32_t steps) {
  Run_Step();  // the first step compiles and warms up
  const auto start = std::chrono::steady_clock::now();
  for (int32_t i = 0; i < steps; ++i) Run_Step();
  return Seconds(start) / steps;
}

// One case at one size in this process; false when the game would not run.
bool RunCase(const std::string& name, int32_t n, int32_t steps) {
  InProcessGame bench;
  if (name == "room_start") {
    if (!bench.Load(Game(n, "", true))) return false;
    const auto start = std::chrono::steady_clock::now();
    if (!bench.Start()) return false;
    std::printf("%.6f\n", Seconds(start));
    return true;
  }
  if (name == "instance_create") {
    GameDataWriter game = Game(0, "", false);
    gamedata::Object maker;
    maker.name = "obj_maker";
    maker.events.push_back({0, 0, {"for (i = 0; i < " + std::to_string(n) +
                                   "; i += 1) instance_create((i * 7) mod 640, (i * 13) mod 480, obj_mover);"}});
    game.objects.push_back(maker);
    game.rooms[0].instances.push_back({0, 0, 1, 100001, {""}});
    game.header.lastInstanceId = 100001;
    if (!bench.Load(game)) return false;
    const double before = ResidentKiB();
    const auto start = std::chrono::steady_clock::now();
    if (!bench.Start()) return false;
    const double took = Seconds(start);
    std::printf("%.6f %.3f\n", took, (ResidentKiB() - before) / n);
    return true;
  }
  std::string step;
  int32_t side = 0;
  if (name == "depth") {
    step = "y += 1; if (y >= 480) y = 0; depth = -y;";
  } else if (name == "place_meeting") {
    step = "if (place_meeting(x + 1, y, obj_mover)) n += 1; else x += 1; if (x > room_width) x = 0;";
    side = static_cast<int32_t>(std::sqrt(static_cast<double>(n)) * 40.0);
  } else if (name == "step") {
    step = "n += 1; x += hspeed + 1; if (x > room_width) x = 0;";
    if (const char* e = std::getenv("INSTANCES_STEP_CODE")) step = e;
  } else {
    std::fprintf(stderr, "no case named %s\n", name.c_str());
    return false;
  }
  if (!bench.Load(Game(n, step, true, side)) || !bench.Start()) return false;
  std::printf("%.6f\n", TimeSteps(steps));
  return true;
}

// The numbers a command printed on its first line; empty when it failed.
std::vector<double> Measure(const std::string& command) {
  std::vector<double> values;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return values;
  char line[256] = {};
  if (std::fgets(line, sizeof line, pipe) != nullptr) {
    char* at = line;
    for (char* end = nullptr;; at = end) {
      const double v = std::strtod(at, &end);
      if (end == at) break;
      values.push_back(v);
    }
  }
  if (pclose(pipe) != 0) values.clear();
  return values;
}

double First(const std::vector<double>& v) { return v.empty() ? NAN : v[0]; }

// Each figure is the median of this many runs, the three programs taking turns, so that a
// run slowed by the machine (or by where memory happened to land) does not decide it.
constexpr int kRuns = 5;

// The median of each value over the runs; empty when any run failed.
std::vector<double> Median(const std::vector<std::vector<double>>& runs) {
  std::vector<double> out;
  if (runs.empty()) return out;
  for (const auto& run : runs) {
    if (run.size() != runs[0].size() || run.empty()) return out;
  }
  for (size_t k = 0; k < runs[0].size(); ++k) {
    std::vector<double> values;
    for (const auto& run : runs) values.push_back(run[k]);
    std::sort(values.begin(), values.end());
    out.push_back(values[values.size() / 2]);
  }
  return out;
}

int RunAll(const std::string& self) {
  const std::string love = std::string("love ") + KF_BENCH_LOVE_DIR + "/";
  std::printf("%-16s %8s %12s %12s %12s %10s %10s\n", "case", "n", "ours", "love jit", "love nojit",
              "ours/jit", "ours/nojit");
  for (const Case& c : kCases) {
    double ours[2] = {}, jit[2] = {}, nojit[2] = {};
    for (int k = 0; k < 2; ++k) {
      const int32_t n = c.n * (k == 0 ? 1 : 10);
      const std::string args = " " + std::to_string(n) + " " + std::to_string(c.steps);
      std::vector<std::vector<double>> mineRuns, onRuns, offRuns;
      for (int run = 0; run < kRuns; ++run) {
        mineRuns.push_back(Measure(self + " " + c.name + args));
        onRuns.push_back(Measure(love + c.name + args + " jit 2>/dev/null"));
        offRuns.push_back(Measure(love + c.name + args + " nojit 2>/dev/null"));
      }
      const std::vector<double> mine = Median(mineRuns), on = Median(onRuns), off = Median(offRuns);
      ours[k] = First(mine);
      jit[k] = First(on);
      nojit[k] = First(off);
      std::printf("%-16s %8d %12.6f %12.6f %12.6f %10.2f %10.2f\n", c.name, n, ours[k], jit[k], nojit[k],
                  ours[k] / jit[k], ours[k] / nojit[k]);
      if (mine.size() > 1 && on.size() > 1 && off.size() > 1) {
        std::printf("%-16s %8d %9.3f KiB %9.3f KiB %9.3f KiB  memory per instance\n", c.name, n, mine[1], on[1],
                    off[1]);
      }
    }
    std::printf("%-16s growth %d -> %d: ours %.1fx, love jit %.1fx, love nojit %.1fx\n", c.name, c.n, c.n * 10,
                ours[1] / ours[0], jit[1] / jit[0], nojit[1] / nojit[0]);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 3) {
    const int32_t steps = argc > 3 ? std::atoi(argv[3]) : 20;
    return RunCase(argv[1], std::atoi(argv[2]), steps > 0 ? steps : 20) ? 0 : 1;
  }
  return RunAll(argv[0]);
}
