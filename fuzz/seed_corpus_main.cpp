// Writes the seed corpus of the loader's fuzz target into the folder given as argument: the
// seed games, and a game whose code the packer compiled to stored bytecode (with its debug side
// file), so that the fuzzer mutates CODE, VARI, FUNC, GLOB and DBGI as the packer lays them out.
#include <cstdio>
#include <fstream>
#include <string>

#include "seed_games.h"
#include "stored_bytecode.h"

namespace {

bool Write(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

GameDataWriter PackedGame() {
  GameDataWriter game;
  game.header.name = "Packed";
  game.scripts.push_back({"scr_sum", {"var i, t; t = 0; for (i = 0; i < argument_count; i += 1) t += argument[i]; return t;"}});
  game.scripts.push_back({"scr_words", {"globalvar words; words = \"a\" + string(argument0); return scr_sum(1, 2, argument0);"}});
  gamedata::Object object;
  object.name = "obj_one";
  object.events.push_back({0, 0, {"hp = scr_words(3); with (all) { x += 1; } global.n = room_speed + id;"}});
  object.events.push_back({3, 0, {"if (hp > 2) { hp -= 1; } else { instance_destroy(); } show_debug_message(words);"}});
  game.objects.push_back(object);
  gamedata::Room room;
  room.name = "rm_one";
  room.creationCode.source = "global.start = current_time; repeat (3) instance_create(8, 8, obj_one);";
  room.instances.push_back({16, 16, 0, 100001, {"speed = 2;"}});
  game.rooms.push_back(room);
  return game;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: fuzz_seed_corpus <folder>\n");
    return 2;
  }
  const std::string folder = argv[1];
  for (const auto& [name, bytes] : SeedGames()) {
    if (!Write(folder + "/" + name, bytes)) {
      std::fprintf(stderr, "cannot write %s\n", name.c_str());
      return 1;
    }
  }
  GameDataWriter packed = PackedGame();
  std::string error;
  if (!StoredBytecode_CompileGame(packed, error)) {
    std::fprintf(stderr, "the packed seed game does not compile: %s\n", error.c_str());
    return 1;
  }
  if (!Write(folder + "/packed_game.win", packed.Build()) ||
      !Write(folder + "/packed_game.qkdebug", packed.BuildDebugFile())) {
    std::fprintf(stderr, "cannot write the packed seed game\n");
    return 1;
  }
  return 0;
}
