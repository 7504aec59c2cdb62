// particles_vs_love: writes the two games that bench/particles_vs_love.sh plays in the real
// runner, each in a 640x480 room at a room speed no frame can reach, so that a frame costs only
// its own work (the particle systems are updated and drawn automatically):
//   particles_burst.win   a burst of N disks (one system, one type) at the first timed frame,
//                         then the system updated and drawn for F frames; reports
//                         "@frame <microseconds a frame>" over the F frames, burst included;
//   particles_stream.win  an emitter streaming N/50 disks a step that live 50 steps, so that
//                         ~N are alive once warm; reports "@frame ..." over S seconds.
// The particles are those of bench/love/particles: sizes 0.05..0.15 of the 64x64 disk, speed
// 0.5..2 a step in every direction, gravity 0.01 down, red to yellow, alpha 1 to 0.3, born in
// the ellipse (100..540, 100..380). Usage: particles_vs_love <folder> [count] [frames] [seconds]
#include <cstdio>
#include <cstdlib>
#include <string>

#include "timed_room.h"

namespace {

constexpr int kStreamLife = 50;

std::string SetUp(int life) {
  return "ps = part_system_create(); pt = part_type_create(); part_type_shape(pt, 1); "
         "part_type_size(pt, 0.05, 0.15, 0, 0); part_type_life(pt, " +
         std::to_string(life) + ", " + std::to_string(life) +
         "); part_type_speed(pt, 0.5, 2, 0, 0); part_type_direction(pt, 0, 360, 0, 0); "
         "part_type_gravity(pt, 0.01, 270); part_type_color2(pt, 255, 65535); part_type_alpha2(pt, 1, 0.3); "
         "em = part_emitter_create(ps); part_emitter_region(ps, em, 100, 540, 100, 380, 1, 0); ";
}

GameDataWriter BenchGame(const std::string& create, const std::string& step) {
  GameDataWriter game;
  gamedata::Object clock;
  clock.name = "obj_clock";
  clock.events.push_back({0, 0, {create}});
  clock.events.push_back({3, 0, {step}});
  game.objects.push_back(clock);
  AddTimedRoom(game, "rm_particles");
  return game;
}

const std::string kReport = "show_debug_message(\"@frame \" + string_format((get_timer() - start) / frames, 0, 2)); "
                            "game_end();";

GameDataWriter BurstGame(int count, int frames) {
  return BenchGame(SetUp(1000) + "frames = -10; start = 0;",
                   "frames += 1; if (frames == 0) { start = get_timer(); part_emitter_burst(ps, em, pt, " +
                       std::to_string(count) + "); } if (frames == " + std::to_string(frames) + ") { " + kReport +
                       " }");
}

GameDataWriter StreamGame(int count, double seconds) {
  return BenchGame(SetUp(kStreamLife) + "part_emitter_stream(ps, em, pt, " + std::to_string(count / kStreamLife) +
                       "); frames = -" + std::to_string(kStreamLife + 10) + "; start = 0;",
                   "frames += 1; if (frames == 0) start = get_timer(); if (frames > 0 && get_timer() - start >= " +
                       std::to_string(static_cast<long long>(seconds * 1e6)) + ") { " + kReport + " }");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: particles_vs_love <folder> [count] [frames] [seconds]\n");
    return 2;
  }
  const std::string folder = argv[1];
  const int count = argc > 2 ? std::atoi(argv[2]) : 100000;
  const int frames = argc > 3 ? std::atoi(argv[3]) : 60;
  const double seconds = argc > 4 ? std::atof(argv[4]) : 2.0;
  if (!BurstGame(count, frames).WriteFile(folder + "/particles_burst.win") ||
      !StreamGame(count, seconds).WriteFile(folder + "/particles_stream.win")) {
    std::fprintf(stderr, "could not write the games into %s\n", folder.c_str());
    return 1;
  }
  return 0;
}
