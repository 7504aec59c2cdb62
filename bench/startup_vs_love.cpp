// startup_vs_love: writes the empty game that bench/startup_vs_love.sh runs from start to end
// beside Love2D: one 640x480 room holding one instance without a sprite whose step event ends
// the game, so a run is the runner's whole start-up, one step and its shut-down.
// Usage: startup_vs_love <file>
#include <cstdio>
#include <string>

#include "data/game_data_writer.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: startup_vs_love <file>\n");
    return 2;
  }
  GameDataWriter game;
  game.header.windowWidth = 640;
  game.header.windowHeight = 480;
  game.header.lastInstanceId = 100001;
  gamedata::Object ender;
  ender.name = "obj_end";
  ender.events.push_back({3, 0, {"game_end();"}});
  game.objects.push_back(ender);
  gamedata::Room room;
  room.name = "rm_empty";
  room.width = 640;
  room.height = 480;
  room.instances = {{0, 0, 0, 100001, {""}}};
  game.rooms.push_back(room);
  if (!game.WriteFile(argv[1])) {
    std::fprintf(stderr, "could not write the game %s\n", argv[1]);
    return 1;
  }
  return 0;
}
