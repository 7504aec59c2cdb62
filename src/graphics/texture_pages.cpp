#include "graphics/texture_pages.h"

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include "data/game_data.h"
#include "data/tpage_record.h"
#include "graphics/hardware_texture.h"
#include "graphics/texture_table.h"
#include "graphics/textured_quads.h"
#include "platform/console.h"

namespace {

std::vector<ChunkSpan> g_blocks;  // by page index; size 0: no usable block

}  // namespace

bool GR_Texture_Pages_Load() {
  const GameDataReader& reader = GameData_Reader();
  std::vector<int32_t> ids;
  std::vector<ChunkSpan> blocks;
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
        blocks.push_back({});
        continue;
      }
      ids.push_back(kTexturePageNotMade);
      blocks.push_back({static_cast<uint32_t>(start), static_cast<uint32_t>(end - start)});
    }
  }
  g_blocks = std::move(blocks);
  GR_Texture_Pages_Set(ids.data(), static_cast<int>(ids.size()));
  return true;
}

int32_t GR_Texture_Page_Make(int32_t page) {
  if (page < 0 || static_cast<size_t>(page) >= g_blocks.size()) return -1;
  const ChunkSpan block = std::exchange(g_blocks[static_cast<size_t>(page)], ChunkSpan{});
  const GameDataReader& reader = GameData_Reader();
  if (block.size == 0 || !reader.Contains(block.offset, block.size)) return -1;
  const int32_t id = GR_Texture_Create_From_Block(reader.Bytes(block.offset, block.size));
  // On the device now, the page's bytes are not read again.
  GameData_State().image.DropPages(block.offset, block.size);
  return GR_Texture_Exists(id) ? id : -1;
}

CBitmap32 GR_TPE_Read_Frame(const TPageRecord& entry, int32_t width, int32_t height) {
  CBitmap32 frame(width, height);
  if (!frame.IsValid()) return {};
  const int32_t id = GR_TPE_TextureId(entry);
  HardwareTexture* page = id < 0 ? nullptr : GR_Texture_Get(id);
  if (page == nullptr) return {};
  if (entry.width < 1 || entry.height < 1) return frame;  // an entry that draws nothing
  std::vector<uint32_t> pixels = Graphics_GrabSurfaceRect(page, entry.x, entry.y, entry.width, entry.height);
  if (pixels.size() != static_cast<size_t>(entry.width) * static_cast<size_t>(entry.height)) return {};
  CBitmap32 part(entry.width, entry.height);
  std::copy(pixels.begin(), pixels.end(), part.GetData().begin());
  // An entry whose rectangle was scaled on the page is drawn at its crop size.
  if (entry.cropWidth > 0 && entry.cropHeight > 0) part.Stretch(entry.cropWidth, entry.cropHeight);
  for (int32_t y = 0; y < part.GetHeight(); ++y) {
    for (int32_t x = 0; x < part.GetWidth(); ++x) frame.SetPixel(entry.xOffset + x, entry.yOffset + y, part.Pixel(x, y));
  }
  return frame;
}
