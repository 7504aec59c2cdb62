#include "data/game_loader.h"

#include <fstream>
#include <iterator>

#include "audio/audio_engine.h"
#include "audio/sample_table.h"
#include "audio/sound_resources.h"
#include "data/chunk_container.h"
#include "data/code_table.h"
#include "data/debug_file.h"
#include "data/game_data.h"
#include "data/game_options.h"
#include "data/objects.h"
#include "data/paths.h"
#include "data/background.h"
#include "data/rooms.h"
#include "data/sprite.h"
#include "data/timelines.h"
#include "graphics/fonts.h"
#include "data/scripts.h"
#include "platform/console.h"
#include "platform/ini_file.h"
#include "runner/instance.h"
#include "runner/run_options.h"
#include "runner/startup.h"
#include "script/code.h"
#include "script/error_report.h"
#include "script/extensions.h"
#include "script/function_table.h"

namespace {

using ChunkReader = void (*)(const GameDataReader& reader, ChunkSpan body);

void Chunk_Ignore(const GameDataReader&, ChunkSpan) {}
void Chunk_Header(const GameDataReader& reader, ChunkSpan body) {
  Header_Load(reader, body);
  Instance_SetLastId(static_cast<int32_t>(GameData_Header().lastInstanceId));
  Tile_SetLastId(static_cast<int32_t>(GameData_Header().lastTileId));
  Room_SetOrder(GameData_Header().roomOrder);
}
void Chunk_OldHeader(const GameDataReader& reader, ChunkSpan body) {
  GameData_State().codeVersion = kCodeVersionOld;
  Chunk_Header(reader, body);
}
void Chunk_Options(const GameDataReader& reader, ChunkSpan body) {
  Options_Load(reader, body, GameData_Header().dataVersion);
}
// The 3D audio switch (read from OPTN, which stands before these) picks the engine.
void Chunk_Sounds(const GameDataReader& reader, ChunkSpan body) {
  Audio_SwitchOn() ? Audio_Load(reader, body) : Sound_Init(reader, body);
}
void Chunk_Samples(const GameDataReader& reader, ChunkSpan body) {
  const std::vector<SampleEntry> table = SampleTable_Read(reader, body);
  Audio_SwitchOn() ? Audio_WAVs(table) : Wave_Init(table);
}
void Chunk_Code(const GameDataReader&, ChunkSpan) { Code_ResolveAllStrings(StringTable_Count()); }
void Chunk_Functions(const GameDataReader& reader, ChunkSpan body) { FUNC_Load(reader, body); }
void Chunk_Extensions(const GameDataReader& reader, ChunkSpan body) { Extension_Load(reader, body); }
void Chunk_Scripts(const GameDataReader& reader, ChunkSpan body) { Script_Load(reader, body); }
void Chunk_Paths(const GameDataReader& reader, ChunkSpan body) { Path_Load(reader, body); }
void Chunk_Fonts(const GameDataReader& reader, ChunkSpan body) { Font_Load(reader, body); }
void Chunk_TimeLines(const GameDataReader& reader, ChunkSpan body) { TimeLine_Load(reader, body); }
void Chunk_Sprites(const GameDataReader& reader, ChunkSpan body) {
  if (!Sprite_Load(reader.Image(), body.offset, body.size)) throw GameDataError("damaged sprite records");
}
void Chunk_Backgrounds(const GameDataReader& reader, ChunkSpan body) {
  if (!Background_Load(reader.Image(), body.offset, body.size)) throw GameDataError("damaged background records");
}
void Chunk_Rooms(const GameDataReader& reader, ChunkSpan body) {
  Room_Load(reader, body, GameData_Header().dataVersion, CodeTable_Active());
}
void Chunk_Objects(const GameDataReader& reader, ChunkSpan body) {
  Object_Load(reader, body, GameData_Header().dataVersion);
}

struct ChunkHandler {
  uint32_t id;
  bool countedList;  // the body starts with a counted list, checked before the reader runs
  // Null: the chunk is kept as an offset/size record for a reader that runs later (or
  // belongs to a subsystem that reads it on its own); GameData_KeptChunks hands them out.
  ChunkReader read;
};

constexpr ChunkReader Chunk_Keep = nullptr;

// The second pass's dispatch table. Order in the file matters for some readers: OPTN before
// SOND and AUDO (the audio switch), TPAG before TXTR, SCPT and EXTN before FUNC.
const ChunkHandler kChunkHandlers[] = {
    {ChunkId("GEN8"), false, Chunk_Header},
    {ChunkId("GEN7"), false, Chunk_OldHeader},
    {ChunkId("GENL"), false, Chunk_OldHeader},
    {ChunkId("OPTN"), false, Chunk_Options},
    {ChunkId("EXTN"), true, Chunk_Extensions},
    {ChunkId("SOND"), true, Chunk_Sounds},
    {ChunkId("AUDO"), true, Chunk_Samples},
    {ChunkId("SPRT"), true, Chunk_Sprites},
    {ChunkId("BGND"), true, Chunk_Backgrounds},
    {ChunkId("PATH"), true, Chunk_Paths},
    {ChunkId("SCPT"), true, Chunk_Scripts},
    {ChunkId("FONT"), true, Chunk_Fonts},
    {ChunkId("TMLN"), true, Chunk_TimeLines},
    {ChunkId("OBJT"), true, Chunk_Objects},
    {ChunkId("ROOM"), true, Chunk_Rooms},
    {ChunkId("CODE"), false, Chunk_Code},
    {ChunkId("FUNC"), false, Chunk_Functions},
    {ChunkId("TXTR"), true, Chunk_Keep},
    {ChunkId("TPAG"), true, Chunk_Keep},
    {ChunkId("DAFL"), true, Chunk_Ignore},
    {ChunkId("VARI"), false, Chunk_Ignore},
    {ChunkId("STRG"), false, Chunk_Ignore},
    {ChunkId("HELP"), false, Chunk_Ignore},
    {ChunkId("GLOB"), false, Chunk_Ignore},
};

const ChunkHandler* FindHandler(uint32_t id) {
  for (const ChunkHandler& handler : kChunkHandlers) {
    if (handler.id == id) return &handler;
  }
  return nullptr;
}

void CheckCountedList(const GameDataReader& reader, ChunkSpan body) {
  const auto list = reader.CountedList(body.offset);
  if (uint64_t{list.size()} * 4 + 4 > body.size) throw GameDataError("a counted list runs past its chunk");
}

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

bool FileExists(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return static_cast<bool>(in);
}

std::vector<ChunkRecord> g_chunks;  // the container walk, shared by both passes

// Code objects made from stored entries view the loaded bytecode (patched in place later by
// FUNC, never moved) and the side file's source and position tables.
void PublishStoredCode() {
  std::vector<StoredCodeEntry> entries;
  if (CodeTable_Active()) {
    entries.resize(CodeTable_Count());
    for (uint32_t i = 0; i < CodeTable_Count(); ++i) {
      const StoredCode* code = CodeTable_Get(i);
      if (code == nullptr || !code->present) continue;
      StoredCodeEntry& entry = entries[i];
      entry.name = code->name;
      entry.bytecode = std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(code->words.data()),
                                                code->words.size() * sizeof(uint32_t));
      if (const std::vector<DebugPosition>* info = DebugFile_Info(i)) {
        entry.lineTable = std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(info->data()),
                                                   info->size() * sizeof(DebugPosition));
      }
      entry.source.assign(DebugFile_Source(i));
    }
  }
  Code_SetStoredTable(std::move(entries));
}

// The built-ins are registered once, however often a game is loaded; again only when shut-down
// has freed the table since.
void RegisterBuiltinsOnce() {
  if (Function_BuiltinsRegistered()) return;
  Function_SetBuiltinsRegistered();
  RegisterBuiltinFunctions();
}

// "Debug" and "Trace" in options.ini act as "-debug" and "-trace" and win over them.
void ApplyIniSwitches(const IniSwitches& ini) {
  if (ini.debug) {
    g_RunOptions.debugMode = *ini.debug;
    if (*ini.debug) g_RunOptions.debugOverlayMode = 2;
  }
  if (ini.trace) g_RunOptions.scriptTrace = *ini.trace;
}

// How far start-up has taken the current game file.
struct LoadStage {
  std::string file;
  bool prePassDone = false;
  GameLoadResult prePass = GameLoadResult::Failed;
};
LoadStage g_stage;

IniFile g_optionsIni;

template <typename Step>
GameLoadResult Guarded(Step step) {
  try {
    step();
    return GameLoadResult::Loaded;
  } catch (const UnresolvedNameError& e) {
    Error_Show(e.what(), false);
    return GameLoadResult::UnresolvedName;
  } catch (const GameDataError& e) {
    g_DebugConsole->Output("Damaged game data: %s\n", e.what());
    return GameLoadResult::Failed;
  } catch (const std::exception& e) {  // out of memory, a length no container can hold
    g_DebugConsole->Output("Damaged game data: %s\n", e.what());
    return GameLoadResult::Failed;
  }
}

}  // namespace

bool RunnerLoadGame(const std::string& file) {
  const std::string& path = file;
  g_stage = LoadStage{path};
  g_DebugConsole->Output("RunnerLoadGame() - %s\n", path.c_str());
  const auto separator = path.find_last_of('/') != std::string::npos ? path.find_last_of('/')
                                                                     : path.find_last_of('\\');
  GameDataState& state = GameData_State();
  state.fileName = path;
  state.folder = separator == std::string::npos ? std::string() : path.substr(0, separator + 1);

  // "options.ini" in the game's folder; a bare file name (no folder at all) has none.
  Options_IniSwitches() = {};
  if (separator != std::string::npos) {
    const std::string iniPath = path.substr(0, separator) + "/options.ini";
    g_DebugConsole->Output("Checking if INIFile %s Exists\n", iniPath.c_str());
    std::vector<uint8_t> iniBytes;
    g_optionsIni.Clear();
    if (ReadWholeFile(iniPath, iniBytes)) {
      g_optionsIni.Parse(std::string_view(reinterpret_cast<const char*>(iniBytes.data()), iniBytes.size()));
      // The on-screen buttons reader takes its keys from here once it exists.
      Options_ReadIni(g_optionsIni);
      ApplyIniSwitches(Options_IniSwitches());
    } else {
      g_DebugConsole->Output("!!!!No INI File %s\n", iniPath.c_str());
    }
  }

  DebugFile_Clear();
  const std::string debugPath = DebugFile_PathFor(path);
  std::vector<uint8_t> debugBytes;
  if (!debugPath.empty() && FileExists(debugPath) && ReadWholeFile(debugPath, debugBytes)) {
    DebugFile_Load(std::move(debugBytes));
  }

  g_DebugConsole->Output("Reading File %s\n", path.c_str());
  GameDataImage image;
  if (!GameDataImage::ReadFile(path, image)) {
    g_DebugConsole->Output("Unable to read the game file %s\n", path.c_str());
    GameData_Reset(GameDataImage());
    return false;
  }
  g_DebugConsole->Output("Loaded File %s\n", path.c_str());
  GameData_Reset(std::move(image));
  if (Container_HasMagic(GameData_Reader())) g_DebugConsole->Output("IFF wad found\n");
  return true;
}

GameLoadResult LoadGameCode() {
  g_chunks.clear();
  Code_SetStoredTable({});  // it views the table cleared next
  CodeTable_Clear();
  g_stage.prePassDone = true;
  g_stage.prePass = Guarded([] {
    const GameDataReader& reader = GameData_Reader();
    g_chunks = Container_Chunks(reader);
    bool header = false;
    std::vector<ChunkSpan> variables;
    for (const ChunkRecord& chunk : g_chunks) {
      if (chunk.body.size == 0) continue;
      if (chunk.id == ChunkId("STRG")) {
        g_DebugConsole->Output("ID_STRG\n");
        CheckCountedList(reader, chunk.body);
        StringTable_Load(reader, chunk.body);
      } else if (chunk.id == ChunkId("GEN8") || chunk.id == ChunkId("GEN7") || chunk.id == ChunkId("GENL")) {
        g_DebugConsole->Output("Get Header Information\n");
        Header_Load(reader, chunk.body);
        GameData_State().codeVersion = kCodeVersionCurrent;
        header = true;
        RegisterBuiltinsOnce();
      } else if (chunk.id == ChunkId("CODE")) {
        g_DebugConsole->Output("Code_Load()\n");
        Code_Load(reader, chunk.body);
      } else if (chunk.id == ChunkId("VARI")) {
        // Patched once all stored code has been copied, wherever CODE stands in the file.
        g_DebugConsole->Output("VARI_Load()\n");
        variables.push_back(chunk.body);
      } else if (chunk.id == ChunkId("GLOB")) {
        GLOB_Load(reader, chunk.body);
      }
    }
    if (!header) throw GameDataError("the file has no header chunk");
    for (ChunkSpan body : variables) VARI_Load(reader, body);
  });
  return g_stage.prePass;
}

GameLoadResult LoadGameChunks() {
  g_DebugConsole->Output("initialise everything!\n");
  // Each resource table is emptied here, in this order, as its reader arrives: sounds,
  // sprites, backgrounds, paths, scripts, fonts, time lines, objects, rooms; then options.
  GameData_State().kept.clear();
  PublishStoredCode();
  Sound_Clear();
  Sprite_Clear();
  Background_Clear();
  Path_Clear();
  Script_Clear();
  TimeLine_Clear();
  Object_Clear();
  Font_Clear();
  Room_Clear();
  Room_SetOrder(GameData_Header().roomOrder);
  Options_Clear();

  bool known = true;
  const GameLoadResult result = Guarded([&known] {
    const GameDataReader& reader = GameData_Reader();
    for (const ChunkRecord& chunk : g_chunks) {
      g_DebugConsole->Output("Process Chunk: %s   %d\n", ChunkIdText(chunk.id).c_str(),
                             static_cast<int32_t>(chunk.body.size));
      if (chunk.body.size == 0) continue;
      const ChunkHandler* handler = FindHandler(chunk.id);
      if (handler == nullptr) {
        g_DebugConsole->Output("unknown Chunk %s:%d\n", ChunkIdText(chunk.id).c_str(),
                               static_cast<int32_t>(chunk.id));
        known = false;
        continue;
      }
      if (handler->countedList) CheckCountedList(reader, chunk.body);
      if (handler->read == nullptr) {
        GameData_State().kept.emplace_back(chunk.id, chunk.body);
      } else {
        handler->read(reader, chunk.body);
      }
    }
  });
  // The loading screen is prepared here once it exists.
  if (result != GameLoadResult::Loaded) return result;
  return known ? GameLoadResult::Loaded : GameLoadResult::Failed;
}

const IniFile& GameData_OptionsIni() { return g_optionsIni; }

void GameData_ReportFailure(GameLoadResult result) {
  if (result == GameLoadResult::Failed) g_DebugConsole->Output("Failed to load the game\n");
}

GameLoadResult GameData_LoadImage(std::vector<uint8_t> image) {
  g_stage = LoadStage{};
  GameData_Reset(std::move(image));
  GameLoadResult result = LoadGameCode();
  if (result == GameLoadResult::Loaded) {
    g_DebugConsole->Output("LoadGameData()\n");
    result = LoadGameChunks();
  }
  GameData_ReportFailure(result);
  return result;
}

GameLoadResult GameData_Load(const std::string& file) {
  GameLoadResult result = GameLoadResult::Failed;
  if (RunnerLoadGame(file)) {
    result = LoadGameCode();
    if (result == GameLoadResult::Loaded) {
      g_DebugConsole->Output("LoadGameData()\n");
      result = LoadGameChunks();
    }
  }
  GameData_ReportFailure(result);
  return result;
}

bool LoadGameData(const std::string& file) {
  if (g_stage.file != file || !g_stage.prePassDone) {
    if (!RunnerLoadGame(file)) return false;
    LoadGameCode();
  }
  if (g_stage.prePass != GameLoadResult::Loaded) return false;
  g_DebugConsole->Output("LoadGameData()\n");
  return LoadGameChunks() == GameLoadResult::Loaded;
}
