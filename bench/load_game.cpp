// load_game: writes a large game (300 sprites of 16 frames, 2,000 scripts calling each other,
// 200 rooms of 200 instances, 60 objects) and times the runner from start to its first room,
// whose creation code says "@first room" and ends the game. Each runner named on the command
// line runs side by side with `cat` of the same file (the time the disk and page cache need
// to hand the bytes over): the time to that line and the peak memory of the whole run are
// printed against the file's. Usage: load_game <folder> <runner> [earlier runner] [runs]
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "data/game_data_writer.h"

namespace {

constexpr int kSprites = 300, kFrames = 16, kFrameSize = 64;
constexpr int kScripts = 2000, kObjects = 60, kRooms = 200, kInstances = 200;
constexpr int kFramesPerPage = (1024 / kFrameSize) * (1024 / kFrameSize);

std::string Name(const char* prefix, int i) { return prefix + std::to_string(i); }

// Noisy pixels, so the page cannot be told apart from real art by its size.
std::vector<uint8_t> Page(uint32_t seed) {
  std::vector<uint8_t> rgba(1024 * 1024 * 4);
  for (auto& byte : rgba) {
    seed = seed * 1664525u + 1013904223u;
    byte = static_cast<uint8_t>(seed >> 24);
  }
  return rgba;
}

std::string ScriptSource(int i) {
  const std::string next = Name("scr_", (i + 1) % kScripts);
  const std::string other = Name("scr_", (i * 7 + 3) % kScripts);
  return "// script " + std::to_string(i) +
         "\nvar a, b, c;\na = argument0;\nb = argument1;\nc = 0;\n"
         "if (a <= 0) return b + " + std::to_string(i) + ";\n"
         "repeat (3) {\n  c += sqrt(abs(a * b)) + sin(a) * cos(b);\n  b = max(b, c) mod 97;\n}\n"
         "if (global.depth_" + std::to_string(i % 40) + " > 0) c += " + other + "(0, c);\n"
         "switch (a mod 4) {\n  case 0: c += string_length(\"" + Name("text", i) + "\"); break;\n"
         "  case 1: c -= floor(c / 3); break;\n  case 2: c *= 1.5; break;\n  default: c = round(c);\n}\n"
         "if (sprite_exists(" + Name("spr_", i % kSprites) + ")) c += sprite_get_width(" +
         Name("spr_", i % kSprites) + ");\n"
         "return " + next + "(a - 1, c);\n";
}

GameDataWriter BigGame() {
  GameDataWriter game;
  game.options.showErrors = false;
  const int pages = (kSprites * kFrames + kFramesPerPage - 1) / kFramesPerPage;
  for (int p = 0; p < pages; ++p) game.textures.push_back(gamedata::RawImage(1024, 1024, Page(p + 1)));
  for (int s = 0; s < kSprites; ++s) {
    gamedata::Sprite sprite;
    sprite.name = Name("spr_", s);
    sprite.width = sprite.height = kFrameSize;
    sprite.bboxRight = sprite.bboxBottom = kFrameSize - 1;
    sprite.xorigin = sprite.yorigin = kFrameSize / 2;
    sprite.precise = true;
    for (int f = 0; f < kFrames; ++f) {
      const int cell = s * kFrames + f;
      const int16_t x = static_cast<int16_t>((cell % kFramesPerPage) % (1024 / kFrameSize) * kFrameSize);
      const int16_t y = static_cast<int16_t>((cell % kFramesPerPage) / (1024 / kFrameSize) * kFrameSize);
      sprite.frames.push_back(static_cast<int32_t>(game.texturePageEntries.size()));
      game.texturePageEntries.push_back({x, y, kFrameSize, kFrameSize, 0, 0, kFrameSize, kFrameSize, kFrameSize,
                                         kFrameSize, static_cast<int16_t>(cell / kFramesPerPage)});
      sprite.masks.emplace_back(kFrameSize * kFrameSize / 8, static_cast<uint8_t>(0x5A + f));
    }
    game.sprites.push_back(sprite);
  }
  for (int i = 0; i < kScripts; ++i) game.scripts.push_back({Name("scr_", i), {ScriptSource(i)}});
  for (int o = 0; o < kObjects; ++o) {
    gamedata::Object object;
    object.name = Name("obj_", o);
    object.sprite = o % kSprites;
    object.events.push_back({0, 0, {"hp = " + Name("scr_", o * 31 % kScripts) + "(2, x);\nspeed_factor = " +
                                    std::to_string(o) + ";\nimage_speed = 0;"}});
    object.events.push_back({3, 0, {"x += lengthdir_x(speed_factor, direction);\n"
                                    "if (instance_exists(" + Name("obj_", (o + 1) % kObjects) + ")) hp -= 1;"}});
    object.events.push_back({8, 0, {"draw_sprite(" + Name("spr_", o % kSprites) + ", image_index, x, y);"}});
    game.objects.push_back(object);
  }
  int32_t id = 100001;
  for (int r = 0; r < kRooms; ++r) {
    gamedata::Room room;
    room.name = Name("room_", r);
    room.creationCode.source = r == 0 ? "show_debug_message(\"@first room\");\ngame_end();"
                                      : "global.depth_" + std::to_string(r % 40) + " = " + std::to_string(r) + ";";
    for (int i = 0; i < kInstances; ++i) {
      gamedata::Instance instance;
      instance.x = (i * 37) % 640;
      instance.y = (i * 53) % 480;
      instance.object = (r + i) % kObjects;
      instance.id = id++;
      if (i % 10 == 0) instance.creationCode.source = "hp = " + std::to_string(i) + "; depth = -y;";
      room.instances.push_back(instance);
    }
    game.rooms.push_back(room);
  }
  game.rooms[0].instances.resize(10);  // the first room starts fast: the time is the load's
  game.options.constants.emplace_back("MAX_LIVES", "3");
  for (int i = 0; i < 40; ++i) game.rooms[0].creationCode.source.insert(0, "global.depth_" + std::to_string(i) + " = 0;\n");
  return game;
}

struct Run {
  double seconds = 0;
  double peakMiB = 0;
  bool ok = false;
};

// Runs the program, timing it to the first output line starting with `mark` (to its exit
// when `mark` is empty) and reading the peak resident memory the kernel kept for it.
// posix_spawn, not fork: a forked child would start with this process's pages counted.
Run Measure(const std::vector<std::string>& command, const std::string& mark) {
  int pipeEnds[2];
  if (pipe(pipeEnds) != 0) return {};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 1);
  posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 2);
  posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
  std::vector<char*> argv;
  for (const auto& a : command) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = -1;
  const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(pipeEnds[1]);
  if (spawned != 0) {
    close(pipeEnds[0]);
    return {};
  }
  Run run;
  bool marked = mark.empty();
  std::string line;
  char piece[65536];
  ssize_t got;
  while ((got = read(pipeEnds[0], piece, sizeof piece)) != 0) {
    if (got < 0) {
      if (errno == EINTR) continue;
      break;
    }
    for (ssize_t i = 0; i < got && !marked; ++i) {
      if (piece[i] != '\n') {
        line += piece[i];
        continue;
      }
      if (line.rfind(mark, 0) == 0) {
        marked = true;
        run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      }
      line.clear();
    }
  }
  close(pipeEnds[0]);
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  if (mark.empty()) run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  run.peakMiB = usage.ru_maxrss / 1024.0;
  run.ok = marked && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return run;
}

// Keeps the faster of two runs; a failed run sticks.
void KeepBest(Run& best, const Run& run, bool first) {
  if (!best.ok && !first) return;
  if (first || !run.ok || run.seconds < best.seconds) best = run;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: load_game <folder> <runner> [earlier runner] [runs]\n");
    return 2;
  }
  const std::filesystem::path folder = argv[1];
  std::filesystem::create_directories(folder);
  const std::string file = (folder / "game.win").string();
  // Written by a child process: the game's model never enters this process, whose pages the
  // spawned runs would otherwise start their peak memory with.
  const pid_t writer = fork();
  if (writer == 0) _exit(BigGame().WriteFile(file) ? 0 : 1);
  int written = 0;
  if (writer < 0 || waitpid(writer, &written, 0) != writer || !WIFEXITED(written) || WEXITSTATUS(written) != 0) {
    std::fprintf(stderr, "could not write %s\n", file.c_str());
    return 1;
  }
  const double fileMiB = static_cast<double>(std::filesystem::file_size(file)) / (1024.0 * 1024.0);
  const int runs = argc > 4 ? std::max(1, std::atoi(argv[4])) : 3;

  std::vector<std::pair<std::string, std::string>> runners = {{"this runner", argv[2]}};
  if (argc > 3 && argv[3][0] != '\0') runners.emplace_back("earlier runner", argv[3]);
  // The runs take turns (cat, this runner, the earlier one, again), so a busy machine slows
  // each of them alike.
  Run cat;
  std::vector<Run> results(runners.size());
  for (int i = 0; i < runs; ++i) {
    KeepBest(cat, Measure({"cat", file}, ""), i == 0);
    for (size_t r = 0; r < runners.size(); ++r) {
      KeepBest(results[r], Measure({runners[r].second, "-game", file, "-noaudio"}, "@first room"), i == 0);
    }
  }
  std::printf("game file: %.1f MiB (%d sprites x %d frames, %d scripts, %d rooms x %d instances), best of %d\n",
              fileMiB, kSprites, kFrames, kScripts, kRooms, kInstances, runs);
  std::printf("  %-16s %8.3f s  %7.1f MiB peak\n", "cat of the file", cat.seconds, cat.peakMiB);
  for (size_t r = 0; r < runners.size(); ++r) {
    const Run& run = results[r];
    const std::string& label = runners[r].first;
    if (!run.ok) {
      std::printf("  %-16s did not reach its first room\n", label.c_str());
      continue;
    }
    std::printf("  %-16s %8.3f s  %7.1f MiB peak  (%.1fx cat's time, peak %.2fx the file)\n", label.c_str(),
                run.seconds, run.peakMiB, run.seconds / cat.seconds, run.peakMiB / fileMiB);
  }
  if (results.size() == 2 && results[0].ok && results[1].ok) {
    std::printf("  earlier / this runner: %.1fx the time, %.1fx the peak memory\n",
                results[1].seconds / results[0].seconds, results[1].peakMiB / results[0].peakMiB);
  }
  return results[0].ok ? 0 : 1;
}
