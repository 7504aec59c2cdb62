// The container of the game data file (and of its debug side file): "FORM", a size word,
// then chunks {u32 id, u32 length, body} back to back up to the end of the file.
#pragma once

#include <cstdint>
#include <vector>

#include "data/game_data_reader.h"

struct ChunkRecord {
  uint32_t id = 0;
  ChunkSpan body;  // offset of the body (after the 8-byte chunk header) and its length
};

// True when the first word is "FORM" in either byte order.
bool Container_HasMagic(const GameDataReader& reader);

// Every chunk of the image in file order. Throws GameDataError when the size word is not
// size - 8, the file is not longer than 8 bytes, or a chunk header or body leaves the file.
std::vector<ChunkRecord> Container_Chunks(const GameDataReader& reader);
