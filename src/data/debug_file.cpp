#include "data/debug_file.h"

#include "data/chunk_container.h"
#include "data/game_data_reader.h"
#include "platform/console.h"

namespace {
struct DebugTables {
  std::vector<std::string> sources;
  std::vector<std::vector<DebugPosition>> info;
  std::vector<bool> hasInfo;
};

DebugTables& Tables() {
  static DebugTables tables;
  return tables;
}
}  // namespace

std::string DebugFile_PathFor(const std::string& gamePath) {
  const auto separator = gamePath.find_last_of("/\\");
  const auto dot = gamePath.rfind('.');
  if (dot == std::string::npos || (separator != std::string::npos && dot < separator)) return {};
  return gamePath.substr(0, dot) + ".qkdebug";
}

void DebugFile_Clear() { Tables() = DebugTables{}; }

bool DebugFile_Load(std::vector<uint8_t> image) {
  DebugFile_Clear();
  const GameDataReader reader(image);
  DebugTables tables;
  try {
    for (const ChunkRecord& chunk : Container_Chunks(reader)) {
      g_DebugConsole->Output("Process Chunk: %s   %d\n", ChunkIdText(chunk.id).c_str(),
                             static_cast<int32_t>(chunk.body.size));
      if (chunk.body.size == 0) continue;
      if (chunk.id == ChunkId("STRG")) {
        reader.CountedList(chunk.body.offset);
      } else if (chunk.id == ChunkId("DBGI")) {
        tables.info.clear();
        tables.hasInfo.clear();
        for (uint32_t entry : reader.CountedList(chunk.body.offset)) {
          std::vector<DebugPosition> positions;
          if (entry != 0) {
            GameDataCursor in(reader, entry);
            const uint32_t n = in.U32();
            if (in.Remaining() / 8 < n) throw GameDataError("debug positions run past the file");
            positions.resize(n);
            for (DebugPosition& p : positions) {
              p.bytecodeOffset = in.I32();
              p.sourcePosition = in.I32();
            }
          }
          tables.info.push_back(std::move(positions));
          tables.hasInfo.push_back(entry != 0);
        }
      } else if (chunk.id == ChunkId("SCPT")) {
        tables.sources.clear();
        for (uint32_t entry : reader.CountedList(chunk.body.offset)) {
          tables.sources.emplace_back(entry == 0 ? std::string_view{} : reader.TextRef(reader.U32(entry)));
        }
      }
    }
  } catch (const std::exception& e) {
    g_DebugConsole->Output("Debug file ignored: %s\n", e.what());
    return false;
  }
  Tables() = std::move(tables);
  return true;
}

std::string_view DebugFile_Source(uint32_t index) {
  const auto& sources = Tables().sources;
  return index < sources.size() ? std::string_view(sources[index]) : std::string_view{};
}

const std::vector<DebugPosition>* DebugFile_Info(uint32_t index) {
  const DebugTables& t = Tables();
  return index < t.info.size() && t.hasInfo[index] ? &t.info[index] : nullptr;
}
