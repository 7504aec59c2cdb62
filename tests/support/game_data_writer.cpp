#include "support/game_data_writer.h"

#include <cstring>
#include <fstream>

GameDataWriter TestGame() {
  GameDataWriter game;
  game.header.name = "Test Game";
  game.header.gameId = 4242;
  game.scripts.push_back({"scr_add", {"return argument0 + argument1;"}});
  gamedata::Object player;
  player.name = "obj_player";
  player.events.push_back({0, 0, {"x = 1;"}});
  game.objects.push_back(player);
  gamedata::Room room;
  room.name = "rm_start";
  // A runner playing it stops after its first frame.
  room.creationCode.source = "game_end();";
  room.instances.push_back({32, 48, 0, 100001, {""}});
  game.rooms.push_back(room);
  return game;
}

void AddBoxSprite(GameDataWriter& game) {
  gamedata::Sprite box;
  box.name = "spr_box" + std::to_string(game.sprites.size());
  box.width = box.height = 16;
  box.bboxRight = box.bboxBottom = 15;
  box.bboxMode = 2;
  box.frames = {static_cast<int32_t>(game.texturePageEntries.size())};
  game.sprites.push_back(box);
  game.texturePageEntries.push_back({0, 0, 16, 16, 0, 0, 16, 16, 16, 16, static_cast<int16_t>(game.textures.size())});
  game.textures.push_back(gamedata::RawImage(16, 16, std::vector<uint8_t>(16 * 16 * 4, 255)));
}

GameDataWriter OneInstanceGame(std::vector<gamedata::Event> events) {
  GameDataWriter game;
  game.header.lastInstanceId = 100100;
  gamedata::Object object;
  object.name = "obj_probe";
  object.events = std::move(events);
  game.objects.push_back(object);
  gamedata::Room room;
  room.name = "rm_only";
  room.speed = 1000;
  room.instances = {{0, 0, 0, 100001, {""}}};
  game.rooms.push_back(room);
  return game;
}

uint32_t ReadU32(const std::vector<uint8_t>& image, uint32_t offset) {
  uint32_t v = 0;
  std::memcpy(&v, image.data() + offset, 4);
  return v;
}

void WriteU32(std::vector<uint8_t>& image, uint32_t offset, uint32_t value) {
  std::memcpy(image.data() + offset, &value, 4);
}

std::vector<ChunkLayoutEntry> ChunkLayout(const std::vector<uint8_t>& image) {
  std::vector<ChunkLayoutEntry> layout;
  uint32_t offset = 8;
  while (offset + 8 <= image.size()) {
    ChunkLayoutEntry e;
    e.id.assign(reinterpret_cast<const char*>(image.data() + offset), 4);
    e.headerOffset = offset;
    e.bodyOffset = offset + 8;
    e.length = ReadU32(image, offset + 4);
    layout.push_back(e);
    offset = e.bodyOffset + e.length;
  }
  return layout;
}

const ChunkLayoutEntry* FindChunk(const std::vector<ChunkLayoutEntry>& layout, const std::string& id) {
  for (const auto& e : layout) {
    if (e.id == id) return &e;
  }
  return nullptr;
}

bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

