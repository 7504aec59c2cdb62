// What the loader keeps of the game data file for the rest of the run: the read-only image,
// the header, the string table and the chunks whose readers read them later.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data/game_data_image.h"
#include "data/game_data_reader.h"

inline constexpr uint32_t kCodeVersionCurrent = 800;
inline constexpr uint32_t kCodeVersionOld = 700;   // after a GEN7 or GENL header
inline constexpr uint32_t kOldestDataVersion = 8;   // older files are refused

struct GameHeader {
  uint32_t flags = 0;          // bits 0-7 of word 0
  uint32_t dataVersion = 0;    // bits 8-15 of word 0
  std::string name;            // word 1
  std::string configName;      // word 2 (os_get_config)
  uint32_t lastInstanceId = 0; // word 3
  uint32_t lastTileId = 0;     // word 4
  int32_t gameId = 0;          // word 5
  uint64_t value1 = 0;         // words 6-7, kept
  uint64_t value2 = 0;         // words 8-9, kept
  std::string gameName;        // word 10 (save folder name)
  int32_t windowWidth = 1024;  // words 15-17, taken only when the data version is exactly 8
  int32_t windowHeight = 768;
  uint32_t windowFlags = 0;
  std::vector<int32_t> roomOrder;  // words 25 on

  bool DebugMode() const { return (flags & 1) == 0; }
};

// The image of the loaded file (empty before a load), read through bounds checks only.
const GameDataReader& GameData_Reader();
const GameHeader& GameData_Header();
uint32_t GameData_CodeVersion();
const std::string& GameData_FileName();   // the game file as opened
const std::string& GameData_Folder();     // its folder, with a trailing separator
size_t GameData_LoadedSize();             // file size + 128, shown by the debug overlay

// The string table (STRG): entry index -> characters. An index outside the table gives "".
uint32_t StringTable_Count();
std::string_view StringTable_Get(uint32_t index);

// Chunks kept for readers that run after loading (offset and size in the image), by id,
// in file order. Chunks that have a reader of their own are not kept.
std::vector<ChunkSpan> GameData_KeptChunks(uint32_t id);

// --- used by the loader ---
struct GameDataState {
  GameDataImage image;   // never written once read
  GameDataReader reader;
  GameHeader header;
  uint32_t codeVersion = kCodeVersionCurrent;
  std::string fileName;
  std::string folder;
  std::vector<uint32_t> strings;  // offsets of the characters of each STRG entry (0: empty slot)
  std::vector<std::pair<uint32_t, ChunkSpan>> kept;
};
GameDataState& GameData_State();
// Clears everything and takes ownership of a new image.
void GameData_Reset(GameDataImage image);
inline void GameData_Reset(std::vector<uint8_t> image) { GameData_Reset(GameDataImage(std::move(image))); }

// STRG: the string table. Every record must hold its characters and terminating zero.
void StringTable_Load(const GameDataReader& reader, ChunkSpan body);
// GEN8/GEN7/GENL. Throws GameDataError for a short body or a data version below 8.
void Header_Load(const GameDataReader& reader, ChunkSpan body);
