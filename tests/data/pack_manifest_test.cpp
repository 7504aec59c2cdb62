// The packer's manifest: a folder of sources becomes a game data file the runner loads.
#include <gtest/gtest.h>

#include <filesystem>

#include "data/game_data.h"
#include "data/game_loader.h"
#include "data/game_options.h"
#include "data/pack_manifest.h"
#include "support/game_data_writer.h"
#include "support/game_forms.h"
#include "support/runner_process.h"

namespace {

void WriteText(const std::string& path, const std::string& text) {
  ASSERT_TRUE(WriteBytes(path, std::vector<uint8_t>(text.begin(), text.end())));
}

const char* kManifest = R"(# a small game
game name="Packed Game" id=77 width=320 height=240 room_order=1,0
option show_errors=0 window_colour=0x102030 show_cursor=0
constant GREETING "\"hello \" + \"there\""
script scr_double scripts/double.gml
object obj_child parent=obj_base depth=-5
event create 0 objects/child_create.gml
event other 10 objects/child_user0.gml
event collision obj_base objects/child_user0.gml
object obj_base visible=0
timeline tl_one
moment 0 moments/zero.gml
moment 30 moments/thirty.gml
room rm_first caption="First room" width=320 height=240 speed=60 code=rooms/first.gml
instance obj_child 16 32
instance obj_base 48 32 id=100050 xscale=-1 code=rooms/inst.gml
room rm_second code=rooms/first.gml
)";

class PackManifest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* sub : {"scripts", "objects", "moments", "rooms"}) {
      std::filesystem::create_directory(folder.path() + "/" + sub);
    }
    WriteText(folder / "game.manifest", kManifest);
    WriteText(folder / "scripts/double.gml", "return argument0 * 2;");
    WriteText(folder / "objects/child_create.gml", "hp = 3;");
    WriteText(folder / "objects/child_user0.gml", "hp -= 1;");
    WriteText(folder / "moments/zero.gml", "a = 0;");
    WriteText(folder / "moments/thirty.gml", "a = 30;");
    WriteText(folder / "rooms/first.gml", "global.level = 1; game_end();");
    WriteText(folder / "rooms/inst.gml", "speed = 2;");
  }
  TempFolder folder;
};

TEST_F(PackManifest, ReadsEveryKindOfLine) {
  GameDataWriter game;
  std::string error;
  ASSERT_TRUE(PackManifest_Read(folder / "game.manifest", game, error)) << error;
  EXPECT_EQ(game.header.name, "Packed Game");
  EXPECT_EQ(game.header.gameId, 77);
  EXPECT_EQ(game.header.roomOrder, (std::vector<int32_t>{1, 0}));
  EXPECT_EQ(game.options.windowColour, 0x102030);
  ASSERT_EQ(game.options.constants.size(), 1u);
  EXPECT_EQ(game.options.constants[0].second, "\"hello \" + \"there\"");  // a value the game can evaluate
  ASSERT_EQ(game.scripts.size(), 1u);
  EXPECT_EQ(game.scripts[0].code.source, "return argument0 * 2;");
  ASSERT_EQ(game.objects.size(), 2u);
  EXPECT_EQ(game.objects[0].parent, 1);  // named before it was declared
  EXPECT_EQ(game.objects[0].depth, -5);
  ASSERT_EQ(game.objects[0].events.size(), 3u);
  EXPECT_EQ(game.objects[0].events[2].type, 4);
  EXPECT_EQ(game.objects[0].events[2].number, 1);  // the other object, named before it was declared
  EXPECT_EQ(game.objects[0].events[1].type, 7);
  EXPECT_EQ(game.objects[0].events[1].number, 10);
  EXPECT_EQ(game.objects[0].events[1].code.source, "hp -= 1;");
  EXPECT_FALSE(game.objects[1].visible);
  ASSERT_EQ(game.timeLines.size(), 1u);
  EXPECT_EQ(game.timeLines[0].moments[1].step, 30);
  ASSERT_EQ(game.rooms.size(), 2u);
  EXPECT_EQ(game.rooms[0].caption, "First room");
  EXPECT_EQ(game.rooms[0].creationCode.source, "global.level = 1; game_end();");
  ASSERT_EQ(game.rooms[0].instances.size(), 2u);
  EXPECT_EQ(game.rooms[0].instances[0].object, 0);
  EXPECT_EQ(game.rooms[0].instances[0].id, 100001);
  EXPECT_EQ(game.rooms[0].instances[1].object, 1);
  EXPECT_EQ(game.rooms[0].instances[1].id, 100050);
  EXPECT_EQ(game.rooms[0].instances[1].xscale, -1.0f);
  EXPECT_EQ(game.header.lastInstanceId, 100050u);
}

TEST_F(PackManifest, MistakesNameTheirLine) {
  struct Case {
    const char* text;
    const char* error;
  };
  const Case cases[] = {
      {"game name=x\nbogus 1\n", "line 2: unknown keyword \"bogus\""},
      {"object a\nevent create 0 missing.gml\n", "line 2: cannot read"},
      {"event create 0 x.gml\n", "line 1: an event before any object"},
      {"object a parent=nobody\n", "line 1: no object named \"nobody\""},
      {"object a\nevent collision nobody ../game.manifest\n", "line 2: no object named \"nobody\""},
      {"object a colour=3\n", "line 1: unknown setting \"colour\""},
      {"room r width=wide\n", "line 1: width: \"wide\" is not a 32-bit number"},
      {"game version=7\n", "line 1: version is 8 to 255"},
      {"room r caption=\"open\n", "line 1: a quoted word is not closed"},
      {"timeline t\nmoment 5 ../game.manifest\nmoment 5 ../game.manifest\n", "line 3: moment steps must rise"},
      {"object a\nobject a\n", "line 2: a second object named \"a\""},
      {"chunk TOOLONG x\n", "line 1: a chunk id has four characters"},
      {"tile 0 0 0 0 0 16 16\n", "line 1: a tile before any room"},
      {"room r\ntile 0 0 0 0 0 16 16\n", "line 2: no background 0"},
      {"sound s ../game.manifest kind=4\n", "line 1: kind is 0 to 3"},
      {"sound s missing.wav\n", "line 1: cannot read"},
  };
  for (const Case& c : cases) {
    GameDataWriter game;
    std::string error;
    EXPECT_FALSE(PackManifest_ReadText(c.text, folder / "scripts", game, error)) << c.text;
    EXPECT_EQ(error.rfind(c.error, 0), 0u) << c.text << " gave: " << error;
  }
}

TEST_F(PackManifest, TilesAndSoundsAreStored) {
  WriteText(folder / "art.png", "not read by the packer");
  WriteText(folder / "ding.wav", "RIFF....WAVE");
  const char* text =
      "texture art.png\n"
      "background bg 0 0 0 32 32\n"
      "sound snd_ding ding.wav volume=0.5\n"
      "sound snd_tune ding.wav kind=1\n"
      "room r\n"
      "tile 0 10 20 16 0 16 32 depth=-30\n"
      "tile 0 40 20 0 0 8 8 id=10000100 xscale=2\n";
  GameDataWriter game;
  std::string error;
  ASSERT_TRUE(PackManifest_ReadText(text, folder.path(), game, error)) << error;
  ASSERT_EQ(game.rooms[0].tiles.size(), 2u);
  const auto& tile = game.rooms[0].tiles[0];
  EXPECT_EQ(std::vector<int32_t>({tile.background, tile.x, tile.y, tile.left, tile.top, tile.width, tile.height,
                                  tile.depth, tile.id}),
            std::vector<int32_t>({0, 10, 20, 16, 0, 16, 32, -30, 10000001}));
  EXPECT_EQ(game.rooms[0].tiles[1].xscale, 2.0f);
  EXPECT_EQ(game.header.lastTileId, 10000100u);
  ASSERT_EQ(game.sounds.size(), 2u);
  EXPECT_EQ(game.sounds[0].name, "snd_ding");
  EXPECT_EQ(game.sounds[0].extension, ".wav");
  EXPECT_EQ(game.sounds[0].fileName, "ding.wav");
  EXPECT_EQ(game.sounds[0].volume, 0.5f);
  EXPECT_EQ(game.sounds[1].kind, 1);
  EXPECT_EQ(game.sounds[1].dataIndex, 1);
  ASSERT_EQ(game.samples.size(), 2u);
  EXPECT_EQ(std::string(game.samples[0].begin(), game.samples[0].end()), "RIFF....WAVE");
}

std::string Packer() { return std::string(KF_TEST_BINARY_DIR) + "/../tools/kilnforge-pack"; }

// The packer writes the game's code as stored bytecode, or with "-source" as source text; the
// runner plays either (the source text also with -oldexec).
class PackedGame : public PackManifest, public ::testing::WithParamInterface<GameForm> {};

TEST_P(PackedGame, PackerOutputLoadsInTheRunner) {
  std::vector<std::string> packArgs = {folder.path()};
  if (GetParam() != GameForm::StoredBytecode) packArgs.push_back("-source");
  const RunnerResult packed = RunProcess(Packer(), packArgs);
  ASSERT_EQ(packed.exitCode, 0) << packed.output;
  {
    ConsoleCapture console;
    ASSERT_EQ(GameData_Load(folder / "data.win"), GameLoadResult::Loaded) << console.Text();
    EXPECT_EQ(GameData_Header().name, "Packed Game");
    EXPECT_EQ(Options_Get().windowColour, 0x102030);
  }
  const RunnerResult run = RunRunner(WithFormArguments({"-game", folder / "data.win"}, GetParam()));
  EXPECT_EQ(run.exitCode, 0) << run.output;
}

INSTANTIATE_GAME_FORMS(PackedGame);

TEST_F(PackManifest, PackerNamesASourceFileItCannotRead) {
  WriteText(folder / "game.manifest", "object a\nevent create 0 nowhere.gml\n");
  const RunnerResult failed = RunProcess(Packer(), {folder.path(), "-o", folder / "other.win"});
  EXPECT_EQ(failed.exitCode, 1);
  EXPECT_NE(failed.output.find("game.manifest: line 2: cannot read"), std::string::npos) << failed.output;
}

}  // namespace
