// frame_vs_love: writes the two games that bench/frame_vs_love.sh plays in the real runner, each
// in a 640x480 room at a room speed no frame can reach, so that a frame costs only its own work:
//   frame_empty.win    an empty room (one instance without a sprite that only keeps time);
//   frame_sprites.win  the same room whose draw event draws N 32x32 sprites of one page a frame.
// The time keeper skips the first frames, then reports "@frame <microseconds a frame>" after
// S seconds and ends the game. Usage: frame_vs_love <folder> [sprites] [seconds]
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench_sprite.h"
#include "timed_room.h"

namespace {

GameDataWriter BenchGame(int sprites, double seconds) {
  GameDataWriter game;
  AddBenchSprite(game);
  gamedata::Object clock;
  clock.name = "obj_clock";
  clock.events.push_back({0, 0, {"frames = -30; start = 0;"}});
  clock.events.push_back(
      {3, 0,
       {"frames += 1; if (frames == 0) start = get_timer(); "
        "if (frames > 0 && get_timer() - start >= " +
        std::to_string(static_cast<long long>(seconds * 1e6)) +
        ") { show_debug_message(\"@frame \" + string_format((get_timer() - start) / frames, 0, 2)); "
        "game_end(); }"}});
  if (sprites > 0) {
    clock.events.push_back(
        {8, 0,
         {"var i; for (i = 0; i < " + std::to_string(sprites) +
          "; i += 1) draw_sprite(spr_ball, 0, (i * 37) mod 640, (i * 53) mod 480);"}});
  }
  game.objects.push_back(clock);
  AddTimedRoom(game, "rm_frame");
  return game;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: frame_vs_love <folder> [sprites] [seconds]\n");
    return 2;
  }
  const std::string folder = argv[1];
  const int sprites = argc > 2 ? std::atoi(argv[2]) : 10000;
  const double seconds = argc > 3 ? std::atof(argv[3]) : 2.0;
  if (!BenchGame(0, seconds).WriteFile(folder + "/frame_empty.win") ||
      !BenchGame(sprites, seconds).WriteFile(folder + "/frame_sprites.win")) {
    std::fprintf(stderr, "could not write the games into %s\n", folder.c_str());
    return 1;
  }
  return 0;
}
