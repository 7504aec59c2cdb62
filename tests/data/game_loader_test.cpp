// Loading files made by the game data writer: what was written reads back, the walk logs
// every chunk, and the files beside the game (options.ini, the debug side file) are taken.
#include <gtest/gtest.h>

#include "data/chunk_container.h"
#include "data/debug_file.h"
#include "data/game_data.h"
#include "data/game_loader.h"
#include "data/game_options.h"
#include "data/objects.h"
#include "data/background.h"
#include "data/paths.h"
#include "data/sprite.h"
#include "data/scripts.h"
#include "platform/ini_file.h"
#include "runner/run_options.h"
#include "support/game_data_writer.h"
#include "support/game_forms.h"
#include "support/runner_process.h"

namespace {

TEST(GameLoader, HeaderOptionsAndStringsReadBackAsWritten) {
  GameDataWriter game = TestGame();
  game.header.flags = 0;  // debug_mode on
  game.header.name = "Round Trip";
  game.header.configName = "Release";
  game.header.gameName = "roundtrip";
  game.header.gameId = -77;
  game.header.lastInstanceId = 100123;
  game.header.lastTileId = 10000456;
  game.header.value1 = 0x1122334455667788ull;
  game.header.windowWidth = 320;
  game.header.windowHeight = 200;
  game.header.windowFlags = 5;
  game.rooms.resize(3, game.rooms[0]);
  game.header.roomOrder = {2, 0, 1};
  game.options.windowColour = 0x123456;
  game.options.showCursor = false;
  game.options.abortOnErrors = true;
  game.options.unsetVariables = true;
  game.options.createEventFirst = true;
  game.options.resolutionChoice = 3;
  game.options.constants = {{"VersionMajor", "3"}, {"VersionMinor", "14"}, {"SPEED", "4.5"}};
  const uint32_t hello = game.AddString("hello, world");
  const uint32_t empty = game.AddString("");

  ConsoleCapture console;
  ASSERT_EQ(GameData_LoadImage(game.Build()), GameLoadResult::Loaded) << console.Text();

  const GameHeader& h = GameData_Header();
  EXPECT_EQ(h.dataVersion, 8u);
  EXPECT_TRUE(h.DebugMode());
  EXPECT_EQ(h.name, "Round Trip");
  EXPECT_EQ(h.configName, "Release");
  EXPECT_EQ(h.gameName, "roundtrip");
  EXPECT_EQ(h.gameId, -77);
  EXPECT_EQ(h.lastInstanceId, 100123u);
  EXPECT_EQ(h.lastTileId, 10000456u);
  EXPECT_EQ(h.value1, 0x1122334455667788ull);
  EXPECT_EQ(h.windowWidth, 320);
  EXPECT_EQ(h.windowHeight, 200);
  EXPECT_EQ(h.windowFlags, 5u);
  EXPECT_EQ(h.roomOrder, (std::vector<int32_t>{2, 0, 1}));
  EXPECT_EQ(GameData_CodeVersion(), kCodeVersionCurrent);

  const GameOptions& o = Options_Get();
  EXPECT_EQ(o.windowColour, 0x123456);
  EXPECT_FALSE(o.showCursor);
  EXPECT_EQ(o.resolutionChoice, 3);
  EXPECT_TRUE(o.createEventBeforeCreationCode);
  EXPECT_FALSE(Option_ShowErrors);
  EXPECT_TRUE(Option_AbortOnErrors);
  EXPECT_TRUE(Option_UnsetVariables);
  ASSERT_EQ(o.constants.size(), 3u);
  EXPECT_EQ(*o.constants[2].name, "SPEED");
  EXPECT_EQ(*o.constants[2].value, "4.5");
  EXPECT_EQ(o.versionMajor, 3);
  EXPECT_EQ(o.versionMinor, 14);

  EXPECT_EQ(StringTable_Get(hello), "hello, world");
  EXPECT_EQ(StringTable_Get(empty), "");
  EXPECT_EQ(StringTable_Get(StringTable_Count()), "");  // outside the table
  bool foundRoomName = false;
  for (uint32_t i = 0; i < StringTable_Count(); ++i) foundRoomName |= StringTable_Get(i) == "rm_start";
  EXPECT_TRUE(foundRoomName);

  // Chunks whose readers come later are kept where they are in the file.
  EXPECT_TRUE(GameData_KeptChunks(ChunkId("ROOM")).empty());  // read by the rooms
  EXPECT_TRUE(GameData_KeptChunks(ChunkId("TMLN")).empty());  // read by the time lines
  // Scripts and objects have their readers.
  EXPECT_EQ(Script_Find("scr_add"), 0);
  EXPECT_EQ(Object_Find("obj_player"), 0);
}

TEST(GameLoader, LogsEveryChunkOfTheSecondPassInFileOrder) {
  GameDataWriter game = TestGame();
  game.rawChunks.push_back({"ZZZZ", {}});  // empty and unknown: passed over silently
  game.rawChunks.push_back({"OBJT", {}});  // empty: logged, not read
  const auto image = game.Build();
  ConsoleCapture console;
  ASSERT_EQ(GameData_LoadImage(image), GameLoadResult::Loaded) << console.Text();

  std::string expected = "initialise everything!\n";
  for (const auto& chunk : ChunkLayout(image)) {
    expected += "Process Chunk: " + chunk.id + "   " + std::to_string(chunk.length) + "\n";
  }
  const auto& text = console.Text();
  const auto start = text.find("initialise everything!\n");
  ASSERT_NE(start, std::string::npos);
  EXPECT_EQ(text.substr(start), expected);
  EXPECT_NE(text.find("Get Header Information\nID_STRG\nLoadGameData()\n"), std::string::npos) << text;
  EXPECT_EQ(text.find("unknown Chunk"), std::string::npos);
  EXPECT_EQ(Object_Find("obj_player"), 0);  // the empty second OBJT is not read over the first
}

TEST(GameLoader, ResourceChunksAreKeptWithTheirReferencesIntact) {
  GameDataWriter game = TestGame();
  game.texturePageEntries.push_back({0, 0, 2, 1, 0, 0, 2, 1, 2, 1, 0});
  game.texturePageEntries.push_back({2, 0, 7, 5, 0, 0, 7, 5, 7, 5, 0});
  game.textures.push_back(gamedata::RawImage(2, 1, {255, 0, 0, 255, 0, 255, 0, 128}));
  gamedata::Sprite sprite;
  sprite.name = "spr_dot";
  sprite.width = 2;
  sprite.height = 1;
  sprite.frames = {0};
  sprite.masks = {{0x80}};
  game.sprites.push_back(sprite);
  game.backgrounds.push_back({"bg_sky", false, false, true, 1});
  game.paths.push_back({"path_line", 0, false, 4, {{0, 0, 100}, {10, 0, 50}}});
  game.options.splashEntry = 1;
  ConsoleCapture console;
  ASSERT_EQ(GameData_LoadImage(game.Build()), GameLoadResult::Loaded) << console.Text();

  const GameDataReader& r = GameData_Reader();
  const uint32_t splash = Options_Get().splashEntry;
  ASSERT_NE(splash, 0u);
  EXPECT_EQ(r.I16(splash + 4), 7);  // the entry's width
  // Sprites and backgrounds have their readers.
  EXPECT_TRUE(GameData_KeptChunks(ChunkId("SPRT")).empty());
  ASSERT_EQ(Sprite_Find("spr_dot"), 0);
  EXPECT_EQ(Sprite_Data(0)->GetFrameCount(), 1);
  EXPECT_EQ(Sprite_Data(0)->GetMaskCount(), 1);
  EXPECT_EQ(Background_Find("bg_sky"), 0);
  const auto textures = GameData_KeptChunks(ChunkId("TXTR"));
  ASSERT_EQ(textures.size(), 1u);
  const uint32_t block = r.CountedList(textures[0].offset).at(0);
  EXPECT_EQ(r.U32(block), ChunkId("RAW "));
  EXPECT_EQ(r.U32(block + 4), 2u);
  EXPECT_EQ(GameData_KeptChunks(ChunkId("TPAG")).size(), 1u);
  EXPECT_EQ(Path_Find("path_line"), 0);  // PATH has its reader
}

TEST(GameLoader, UnknownChunkIsReportedAndFailsTheLoadAfterTheWalk) {
  GameDataWriter game = TestGame();
  game.rawChunks.push_back({"ABCD", {1, 2, 3}});
  ConsoleCapture console;
  EXPECT_EQ(GameData_LoadImage(game.Build()), GameLoadResult::Failed);
  const int32_t id = static_cast<int32_t>(ChunkId("ABCD"));
  EXPECT_TRUE(console.Contains("unknown Chunk ABCD:" + std::to_string(id) + "\n")) << console.Text();
  // The walk went on past it.
  EXPECT_TRUE(console.Contains("Process Chunk: STRG")) << console.Text();
  EXPECT_TRUE(console.Text().ends_with("Failed to load the game\n"));
}

TEST(GameLoader, OldHeaderIdsSetTheOldCodeVersion) {
  for (const char* id : {"GEN7", "GENL"}) {
    GameDataWriter game = TestGame();
    game.header.id = id;
    ConsoleCapture console;
    ASSERT_EQ(GameData_LoadImage(game.Build()), GameLoadResult::Loaded) << id;
    EXPECT_EQ(GameData_CodeVersion(), kCodeVersionOld) << id;
  }
}

TEST(GameLoader, WindowSizeIsTakenOnlyFromDataVersionEight) {
  GameDataWriter game = TestGame();
  game.header.dataVersion = 9;
  game.header.windowWidth = 111;
  ConsoleCapture console;
  ASSERT_EQ(GameData_LoadImage(game.Build()), GameLoadResult::Loaded);
  EXPECT_EQ(GameData_Header().windowWidth, GameHeader{}.windowWidth);
  EXPECT_EQ(GameData_Header().dataVersion, 9u);
}

TEST(GameLoader, FileWithoutOptionsKeepsTheDefaults) {
  GameDataWriter game = TestGame();
  game.options.showErrors = false;
  ConsoleCapture console;
  ASSERT_EQ(GameData_LoadImage(game.Build()), GameLoadResult::Loaded);
  ASSERT_FALSE(Option_ShowErrors);
  game.writeOptions = false;
  ASSERT_EQ(GameData_LoadImage(game.Build()), GameLoadResult::Loaded);
  const GameOptions& o = Options_Get();
  EXPECT_TRUE(o.showCursor);
  EXPECT_TRUE(Option_ShowErrors);
  EXPECT_TRUE(o.showProgressBar);
  EXPECT_EQ(o.windowColour, 0xFFFFFF);
  EXPECT_TRUE(o.constants.empty());
}

TEST(GameLoader, ReadsOptionsIniAndTheDebugSideFileBesideTheGame) {
  TempFolder folder;
  ASSERT_TRUE(TestGame().WriteFile(folder / "game.win"));
  ASSERT_TRUE(WriteBytes(folder / "options.ini",
                         {'[', 'D', 'E', 'F', 'A', 'U', 'L', 'T', ']', '\r', '\n', 'D', 'e', 'b', 'u', 'g', '=',
                          '0', '\r', '\n', 'T', 'r', 'a', 'c', 'e', '=', '1', '\r', '\n'}));
  DataFileBuilder debug;
  debug.BeginChunk("SCPT");
  const auto entry = debug.NewLabel();
  debug.U32(1);
  debug.Ref(entry);
  debug.Place(entry);
  debug.StringRef("x = 42;");
  debug.EndChunk();
  debug.BeginChunk("DBGI");
  const auto info = debug.NewLabel();
  debug.U32(1);
  debug.Ref(info);
  debug.Place(info);
  debug.U32(1);
  debug.I32(8);
  debug.I32(4);
  debug.EndChunk();
  debug.StringTableChunk();
  ASSERT_TRUE(WriteBytes(folder / "game.qkdebug", debug.Finish()));

  const RunOptions saved = g_RunOptions;
  g_RunOptions.debugMode = true;  // as "-debug" would
  g_RunOptions.scriptTrace = false;
  ConsoleCapture console;
  ASSERT_EQ(GameData_Load(folder / "game.win"), GameLoadResult::Loaded) << console.Text();
  EXPECT_FALSE(g_RunOptions.debugMode);
  EXPECT_TRUE(g_RunOptions.scriptTrace);
  g_RunOptions = saved;
  EXPECT_TRUE(console.Contains("RunnerLoadGame() - " + (folder / "game.win") + "\n"));
  EXPECT_TRUE(console.Contains("Checking if INIFile " + (folder / "options.ini") + " Exists\n"));
  EXPECT_TRUE(console.Contains("IFF wad found\n"));
  EXPECT_EQ(Options_IniSwitches().debug, false);
  EXPECT_EQ(Options_IniSwitches().trace, true);
  EXPECT_EQ(GameData_Folder(), folder.path() + "/");
  EXPECT_EQ(DebugFile_Source(0), "x = 42;");
  ASSERT_NE(DebugFile_Info(0), nullptr);
  EXPECT_EQ((*DebugFile_Info(0))[0].bytecodeOffset, 8);
  EXPECT_EQ((*DebugFile_Info(0))[0].sourcePosition, 4);
  EXPECT_EQ(DebugFile_Info(1), nullptr);
}

TEST(GameLoader, NoOptionsIniIsLoggedAndAMissingFileFails) {
  TempFolder folder;
  ASSERT_TRUE(TestGame().WriteFile(folder / "game.win"));
  {
    ConsoleCapture console;
    ASSERT_EQ(GameData_Load(folder / "game.win"), GameLoadResult::Loaded);
    EXPECT_TRUE(console.Contains("!!!!No INI File " + (folder / "options.ini") + "\n"));
    EXPECT_EQ(DebugFile_Source(0), "");
  }
  ConsoleCapture console;
  EXPECT_EQ(GameData_Load(folder / "absent.win"), GameLoadResult::Failed);
  EXPECT_TRUE(console.Text().ends_with("Failed to load the game\n"));
}

TEST(GameOptions, IniSwitchesNeedTheirKeys) {
  Options_IniSwitches() = {};
  auto read = [](std::string_view text) {
    IniFile ini;
    ini.Parse(text);
    Options_ReadIni(ini);
  };
  read("; comment\n[OTHER]\nDebug=1\n[DEFAULT]\nOrientLandscape=1\nDebug=1\n");
  const IniSwitches& s = Options_IniSwitches();
  EXPECT_EQ(s.debug, true);
  EXPECT_FALSE(s.trace.has_value());
  EXPECT_FALSE(s.orientLandscape.has_value());  // only taken when both orientations are given
  read("[DEFAULT]\nOrientLandscape=1\nOrientPortrait=0\nDebug=x\n");
  EXPECT_EQ(s.orientLandscape, true);
  EXPECT_EQ(s.orientPortrait, false);
  EXPECT_EQ(s.debug, false);  // not a number reads as 0
}

TEST(DebugFile, SideFileNameReplacesOnlyTheFileNamesExtension) {
  EXPECT_EQ(DebugFile_PathFor("/games/data.win"), "/games/data.qkdebug");
  EXPECT_EQ(DebugFile_PathFor("/opt/my.game/data"), "");
  EXPECT_EQ(DebugFile_PathFor("C:\\my.game\\data.win"), "C:\\my.game\\data.qkdebug");
  EXPECT_EQ(DebugFile_PathFor("game.tar.win"), "game.tar.qkdebug");
}

TEST(DebugFile, DamagedSideFileIsDroppedWhole) {
  DataFileBuilder debug;
  debug.BeginChunk("SCPT");
  debug.U32(1);
  debug.U32(0x7FFFFFF0);  // an entry far past the end
  debug.EndChunk();
  ConsoleCapture console;
  EXPECT_FALSE(DebugFile_Load(debug.Finish()));
  EXPECT_EQ(DebugFile_Source(0), "");
}

class RunnerBinary : public ::testing::TestWithParam<GameForm> {};

TEST_P(RunnerBinary, LoadsAWrittenGameAndExitsZero) {
  TempFolder folder;
  ASSERT_TRUE(WriteGameInForm(TestGame(), folder / "game.win", GetParam()));
  const RunnerResult r = RunRunner(WithFormArguments({"-game", folder / "game.win"}, GetParam()));
  EXPECT_EQ(r.exitCode, 0) << r.output;
  EXPECT_NE(r.output.find("Process Chunk: ROOM"), std::string::npos) << r.output;
}

INSTANTIATE_GAME_FORMS(RunnerBinary);

}  // namespace
