#include "runner/saved_game.h"

#include <memory>
#include <optional>
#include <utility>

#include "data/game_data.h"
#include "data/rooms.h"
#include "platform/console.h"
#include "platform/files.h"
#include "platform/load_save.h"
#include "platform/stream.h"
#include "runner/game_step.h"
#include "runner/input.h"
#include "runner/instance.h"
#include "runner/main_loop.h"
#include "runner/physics_saved.h"
#include "runner/room_start.h"
#include "runner/run_globals.h"
#include "script/error_report.h"
#include "script/global_variables.h"

namespace {

constexpr int64_t kInitialCapacity = 32768;

std::string g_PendingLoadFile;

// Everything a saved game holds, read before any of it is taken.
struct LoadedGame {
  int32_t room = -1;
  int32_t score = 0;
  int32_t lives = 0;
  double health = 0.0;
  int32_t cursorSprite = -1;
  int32_t stepCount = 0;
  bool automaticDraw = true;
  GlobalsSection globals;
  std::vector<std::unique_ptr<CRoom>> rooms;
  int32_t lastInstanceId = 0;
  int32_t lastTileId = 0;
  // The physics of each room slot; absent in files written before it was saved.
  std::optional<std::vector<std::optional<SavedPhysicsWorld>>> physics;
};

// The rest of the file after its version and game id; absent when it is damaged (the rooms read
// so far go again, taking their instances out of the id map and the objects' lists).
std::optional<LoadedGame> ReadGame(CStream& s, int32_t version) {
  LoadedGame game;
  game.room = s.ReadInteger();
  s.ReadInteger();  // the transition kind: a loaded game starts none
  game.score = s.ReadInteger();
  game.lives = s.ReadInteger();
  game.health = s.ReadReal();
  game.cursorSprite = s.ReadInteger();
  game.stepCount = s.ReadInteger();
  game.automaticDraw = s.ReadBoolean();
  if (s.Overrun() || !Variable_Global_Read(s, game.globals)) return std::nullopt;
  const int32_t count = s.ReadInteger();
  // Every slot takes at least its four-byte flag.
  if (s.Overrun() || count < 0 || count > (s.GetSize() - s.GetPosition()) / 4) return std::nullopt;
  if (game.room < 0 || game.room >= count) return std::nullopt;
  game.rooms.resize(static_cast<size_t>(count));
  for (std::unique_ptr<CRoom>& slot : game.rooms) {
    if (!s.ReadBoolean()) continue;
    slot = std::make_unique<CRoom>();
    if (s.Overrun() || !slot->LoadFromStream(s)) return std::nullopt;
  }
  game.lastInstanceId = s.ReadInteger();
  game.lastTileId = s.ReadInteger();
  if (s.Overrun() || game.rooms[static_cast<size_t>(game.room)] == nullptr) return std::nullopt;
  if (version == kSavedGameVersionWithoutPhysics) return game;
  game.physics.emplace(game.rooms.size());
  for (size_t index = 0; index < game.rooms.size(); ++index) {
    if (game.rooms[index] != nullptr && !PhysicsSaved_Read(s, (*game.physics)[index])) return std::nullopt;
  }
  return game;
}

// The template of each loaded room gives it its stored record and creation code, which the
// saved game does not hold.
void TakeTemplates(LoadedGame& game) {
  for (size_t index = 0; index < game.rooms.size(); ++index) {
    CRoom* room = game.rooms[index].get();
    const CRoom* source = Room_Data(static_cast<int32_t>(index));
    if (room == nullptr || source == nullptr) continue;
    room->SetName(source->Name());
    room->creationCode = source->creationCode;
    room->stored = source->stored;
    room->storedTileCount = source->storedTileCount;
  }
}

void TakeGame(LoadedGame game) {
  TakeTemplates(game);
  Run_Globals.transitionKind = 0;
  Run_Globals.score = game.score;
  Run_Globals.lives = game.lives;
  Run_Globals.health = game.health;
  Run_Globals.cursorSprite = game.cursorSprite;
  Run_Globals.stepCount = game.stepCount;
  AutomaticDraw = game.automaticDraw ? 1 : 0;
  Variable_Global_Apply(std::move(game.globals));
  Room_ReplaceStoredRooms(std::move(game.rooms), game.room);
  // The bodies come back once the rooms are the game's (their instances are the live ones).
  const std::vector<std::unique_ptr<CRoom>>& rooms = Room_StoredRooms();
  for (size_t index = 0; index < rooms.size(); ++index) {
    if (rooms[index] == nullptr) continue;
    PhysicsSaved_Restore(*rooms[index], game.physics ? &(*game.physics)[index] : nullptr,
                         Room_Data(static_cast<int32_t>(index)));
  }
  Instance_SetLastId(game.lastInstanceId);
  Tile_SetLastId(game.lastTileId);
  Room_SetWindowSize();
}

}  // namespace

void SavedGame_Write(CStream& s) {
  s.WriteInteger(kSavedGameVersion);
  s.WriteInteger(GameData_Header().gameId);
  s.WriteInteger(Run_CurrentRoomIndex());
  s.WriteInteger(Run_Globals.transitionKind);
  s.WriteInteger(Run_Globals.score);
  s.WriteInteger(Run_Globals.lives);
  s.WriteReal(Run_Globals.health);
  s.WriteInteger(Run_Globals.cursorSprite);
  s.WriteInteger(Run_Globals.stepCount);
  s.WriteBoolean(AutomaticDraw != 0);
  Variable_Global_Save(s);
  const std::vector<std::unique_ptr<CRoom>>& rooms = Room_StoredRooms();
  s.WriteInteger(static_cast<int32_t>(rooms.size()));
  for (const std::unique_ptr<CRoom>& room : rooms) {
    s.WriteBoolean(room != nullptr);
    if (room != nullptr) room->SaveToStream(s);
  }
  s.WriteInteger(Instance_GetLastId());
  s.WriteInteger(Tile_GetLastId());
  for (const std::unique_ptr<CRoom>& room : rooms) {
    if (room != nullptr) PhysicsSaved_Write(s, *room);
  }
}

bool Command_SaveGame(const std::string& path) {
  CStream s(kInitialCapacity);
  SavedGame_Write(s);
  File_EnsureDirectory(path);
  if (s.SaveToFile(path)) return true;
  g_DebugConsole->Output("game_save - unable to write file %s\n", path.c_str());
  return false;
}

bool Game_Load(const std::string& path) {
  std::optional<std::vector<uint8_t>> bytes = LoadSave_LoadFile(path);
  if (!bytes || bytes->empty()) return false;
  CStream s;
  s.Assign(bytes->data(), static_cast<int64_t>(bytes->size()));
  bytes.reset();
  const int32_t version = s.ReadInteger();
  const int32_t gameId = s.ReadInteger();
  const char* refusal = nullptr;
  std::optional<LoadedGame> game;
  if (version != kSavedGameVersion && version != kSavedGameVersionWithoutPhysics && !s.Overrun()) {
    refusal = "Cannot load game saved with other version.";
  } else if (gameId != GameData_Header().gameId && !s.Overrun()) {
    refusal = "This is a save file for a different game!";
  } else if (s.Overrun() || !(game = ReadGame(s, version))) {
    refusal = "Cannot load a damaged saved game.";
  }
  if (refusal != nullptr) {
    Error_Show(refusal, false);
    return false;
  }
  TakeGame(std::move(*game));
  return true;
}

void Game_SetPendingLoad(std::string path) { g_PendingLoadFile = std::move(path); }

const std::string& Game_PendingLoadFile() { return g_PendingLoadFile; }

void Game_LoadPending() {
  PendingRoom = PendingRoomCode::None;
  IO_Clear();
  Game_Load(g_PendingLoadFile);
}

void SavedGame_InstallHooks() { MainLoop_Hooks().loadPendingGame = Game_LoadPending; }
