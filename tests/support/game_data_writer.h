// Game data files for tests: the shared writer (src/data/game_data_writer.h) plus a few
// conveniences: a small valid game, the chunk layout of a written file, and the console
// capture (support/console_capture.h) for in-process loads. A test builds a game in a few lines:
//
//   GameDataWriter game = TestGame();
//   game.objects[0].events.push_back({3, 0, {"x += 1;"}});   // step event, as source text
//   game.rooms[0].instances.push_back({64, 64, 0, 100002, {""}});
//   ASSERT_TRUE(game.WriteFile(folder / "game.win"));        // or GameData_LoadImage(game.Build())
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "data/game_data_writer.h"
#include "support/console_capture.h"

// A game that loads: header, options without error dialogs, one script, one object with a
// create event, one room holding one instance of it whose creation code ends the game.
GameDataWriter TestGame();

// A game of one room (speed 1000) holding one instance of one object "obj_probe" with these
// events; instance ids are free from 100101.
GameDataWriter OneInstanceGame(std::vector<gamedata::Event> events);

// Adds a sprite: a white 16 x 16 box whose collision box is the whole image, on a texture page
// of its own.
void AddBoxSprite(GameDataWriter& game);

struct ChunkLayoutEntry {
  std::string id;
  uint32_t headerOffset = 0;  // where the chunk's id word is
  uint32_t bodyOffset = 0;
  uint32_t length = 0;
};
// The chunks of a well-formed image, in file order.
std::vector<ChunkLayoutEntry> ChunkLayout(const std::vector<uint8_t>& image);
const ChunkLayoutEntry* FindChunk(const std::vector<ChunkLayoutEntry>& layout, const std::string& id);
const ChunkLayoutEntry* FindChunk(std::vector<ChunkLayoutEntry>&& layout, const std::string& id) = delete;

uint32_t ReadU32(const std::vector<uint8_t>& image, uint32_t offset);
void WriteU32(std::vector<uint8_t>& image, uint32_t offset, uint32_t value);
bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);

