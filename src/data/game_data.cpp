#include "data/game_data.h"

namespace {
GameDataState& State() {
  static GameDataState state;
  return state;
}
}  // namespace

GameDataState& GameData_State() { return State(); }

void GameData_Reset(GameDataImage image) {
  GameDataState& s = State();
  std::string fileName = std::move(s.fileName);
  std::string folder = std::move(s.folder);
  s = GameDataState{};
  s.image = std::move(image);
  s.reader = GameDataReader(s.image.Bytes());
  s.fileName = std::move(fileName);
  s.folder = std::move(folder);
}

const GameDataReader& GameData_Reader() { return State().reader; }
const GameHeader& GameData_Header() { return State().header; }
uint32_t GameData_CodeVersion() { return State().codeVersion; }
const std::string& GameData_FileName() { return State().fileName; }
const std::string& GameData_Folder() { return State().folder; }
size_t GameData_LoadedSize() { return State().image.Size() + 128; }

uint32_t StringTable_Count() { return static_cast<uint32_t>(State().strings.size()); }

std::string_view StringTable_Get(uint32_t index) {
  const GameDataState& s = State();
  if (index >= s.strings.size() || s.strings[index] == 0) return {};
  return s.reader.Text(s.strings[index]);
}

std::vector<ChunkSpan> GameData_KeptChunks(uint32_t id) {
  std::vector<ChunkSpan> spans;
  for (const auto& [keptId, span] : State().kept) {
    if (keptId == id) spans.push_back(span);
  }
  return spans;
}

void StringTable_Load(const GameDataReader& reader, ChunkSpan body) {
  std::vector<uint32_t> strings;
  for (uint32_t record : reader.CountedList(body.offset)) {
    if (record == 0) {
      strings.push_back(0);
      continue;
    }
    const uint32_t length = reader.U32(record);
    const uint64_t characters = uint64_t{record} + 4;
    reader.Require(characters, uint64_t{length} + 1, "string");
    if (reader.Bytes(characters + length, 1)[0] != 0) {
      throw GameDataError("a string without its terminating zero");
    }
    strings.push_back(static_cast<uint32_t>(characters));
  }
  State().strings = std::move(strings);
}

void Header_Load(const GameDataReader& reader, ChunkSpan body) {
  GameDataCursor in(reader, body.offset, body.End());
  GameHeader h;
  const uint32_t word0 = in.U32();
  h.flags = word0 & 0xFF;
  h.dataVersion = (word0 >> 8) & 0xFF;
  if (h.dataVersion < kOldestDataVersion) {
    throw GameDataError("data version " + std::to_string(h.dataVersion) + " is older than 8");
  }
  h.name = std::string(reader.TextRef(in.U32()));
  h.configName = std::string(reader.TextRef(in.U32()));
  h.lastInstanceId = in.U32();
  h.lastTileId = in.U32();
  h.gameId = in.I32();
  h.value1 = in.U32();
  h.value1 |= uint64_t{in.U32()} << 32;
  h.value2 = in.U32();
  h.value2 |= uint64_t{in.U32()} << 32;
  h.gameName = std::string(reader.TextRef(in.U32()));
  in.Skip(4 * 4);  // words 11-14
  const int32_t width = in.I32();
  const int32_t height = in.I32();
  const uint32_t windowFlags = in.U32();
  if (h.dataVersion == 8) {
    h.windowWidth = width;
    h.windowHeight = height;
    h.windowFlags = windowFlags;
  }
  in.Skip(7 * 4);  // words 18-24
  const uint32_t rooms = in.U32();
  if (in.Remaining() / 4 < rooms) throw GameDataError("the room order runs past the header");
  h.roomOrder.resize(rooms);
  for (int32_t& room : h.roomOrder) room = in.I32();
  State().header = std::move(h);
}
