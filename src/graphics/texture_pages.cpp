#include "graphics/texture_pages.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "data/game_data.h"
#include "graphics/texture_table.h"
#include "graphics/textured_quads.h"
#include "platform/console.h"

bool GR_Texture_Pages_Load() {
  const GameDataReader& reader = GameData_Reader();
  std::vector<int32_t> ids;
  for (const ChunkSpan& chunk : GameData_KeptChunks(ChunkId("TXTR"))) {
    std::vector<uint32_t> offsets;
    try {
      offsets = reader.CountedList(chunk.offset);
    } catch (const GameDataError&) {
      return false;
    }
    for (size_t i = 0; i < offsets.size(); ++i) {
      const uint64_t start = offsets[i];
      // A block runs to the next block, or to the end of the chunk.
      uint64_t end = chunk.End();
      for (uint32_t other : offsets) {
        if (other > start && other < end) end = other;
      }
      if (start < chunk.offset || start >= chunk.End() || !reader.Contains(start, end - start)) {
        g_DebugConsole->Output("Texture page %d lies outside its chunk\n", static_cast<int>(ids.size()));
        ids.push_back(-1);
        continue;
      }
      // The loader may convert "RAW " pixels in place: it gets a copy, never the file image.
      std::span<const uint8_t> block = reader.Image().subspan(static_cast<size_t>(start), static_cast<size_t>(end - start));
      std::vector<uint8_t> copy(block.begin(), block.end());
      ids.push_back(GR_Texture_Create_From_Image(copy.data(), copy.size()));
    }
  }
  GR_Texture_Pages_Set(ids.data(), static_cast<int>(ids.size()));
  return true;
}
