// The sample table of the game data file's AUDO chunk: {u32 count; u32 offset[count]}, each
// non-zero offset locating {u32 size; size bytes of a WAVE file image}. Both sound engines read
// their sounds' data from it.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "data/game_data_reader.h"

using SampleEntry = std::optional<std::span<const uint8_t>>;

// Views into the image (which outlives them). An entry or a size that leaves the chunk throws
// GameDataError: the load fails cleanly.
std::vector<SampleEntry> SampleTable_Read(const GameDataReader& reader, ChunkSpan body);
