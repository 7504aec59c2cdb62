// string_vs_lua: writes one game for bench/string_vs_lua.sh: a 640x480 room with one instance
// whose create event is the code of a source file, with each @KEY@ of the file replaced by the
// value given for it. The code reports its own time and ends the game.
// Usage: string_vs_lua <game.win> <source file> [@KEY@=value ...]
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "data/game_data_writer.h"

namespace {

GameDataWriter BenchGame(const std::string& code) {
  GameDataWriter game;
  game.header.windowWidth = 640;
  game.header.windowHeight = 480;
  game.header.lastInstanceId = 100001;
  gamedata::Object bench;
  bench.name = "obj_bench";
  bench.visible = false;
  bench.events.push_back({0, 0, {code}});
  game.objects.push_back(bench);
  gamedata::Room room;
  room.name = "rm_bench";
  room.instances = {{0, 0, 0, 100001, {""}}};
  game.rooms.push_back(room);
  return game;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: string_vs_lua <game.win> <source file> [@KEY@=value ...]\n");
    return 2;
  }
  std::ifstream in(argv[2], std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "cannot read %s\n", argv[2]);
    return 1;
  }
  std::ostringstream text;
  text << in.rdbuf();
  std::string code = text.str();
  for (int i = 3; i < argc; ++i) {
    const std::string setting = argv[i];
    const size_t equals = setting.find('=');
    if (equals == std::string::npos) {
      std::fprintf(stderr, "not @KEY@=value: %s\n", argv[i]);
      return 2;
    }
    const std::string key = setting.substr(0, equals), value = setting.substr(equals + 1);
    for (size_t at = code.find(key); at != std::string::npos; at = code.find(key, at + value.size())) {
      code.replace(at, key.size(), value);
    }
  }
  if (!BenchGame(code).WriteFile(argv[1])) {
    std::fprintf(stderr, "could not write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
