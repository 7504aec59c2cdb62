// "-debug" played headless by the runner binary: the debug window's model runs without a
// window, evaluates the watches of Debug.ini every frame on the running game and writes the
// file back after the run. Every form of the game plays it.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/ini_file.h"
#include "support/game_data_writer.h"
#include "support/game_forms.h"
#include "support/runner_process.h"

namespace {

constexpr int32_t kCreate = 0, kStep = 3;

class DebugWindowGame : public ::testing::TestWithParam<GameForm> {
 protected:
  void WriteGame() {
    GameDataWriter game;
    game.header.lastInstanceId = 100100;
    game.header.gameName = "debug_game";
    gamedata::Object object;
    object.name = "obj_counter";
    object.events.push_back({kCreate, 0, {"global.g = 5; n = 0;"}});
    object.events.push_back({kStep, 0, {"n += 1; global.g += 1; if (n == 4) game_end();"}});
    game.objects.push_back(object);
    gamedata::Room room;
    room.name = "rm_debug";
    room.speed = 1000;
    room.instances = {{0, 0, 0, 100001, {""}}};
    game.rooms.push_back(room);
    ASSERT_TRUE(WriteGameInForm(game, folder_ / "game.win", GetParam()));
  }

  RunnerResult Play(std::vector<std::string> extra) {
    std::vector<std::string> args = {"-game", folder_ / "game.win", "-noaudio"};
    args.insert(args.end(), extra.begin(), extra.end());
    args = WithFormArguments(std::move(args), GetParam());
    RunnerOptions options;
    options.workingDirectory = folder_.path();
    options.timeoutSeconds = 30.0;
    options.environment["XDG_DATA_HOME"] = folder_ / "data";
    return RunRunner(args, options);
  }

  std::string SavedIni() const { return folder_ / "data/debug_game/Debug.ini"; }

  TempFolder folder_;
};

TEST_P(DebugWindowGame, WatchesRunEveryFrameQuietlyAndTheSettingsAreWrittenAfterTheRun) {
  WriteGame();
  {
    std::ofstream ini(folder_ / "Debug.ini", std::ios::binary);
    ini << "[DebugForm]\r\nFPSVisible=false\r\nNumWatches=3\r\n"
           "Watch0=show_debug_message(\"@watch \" + string(global.g))\r\nWatch1=1 +\r\nWatch2=global.g * 0.5\r\n"
           "[MessagesWindow]\r\nVisible=true\r\n";
  }
  const RunnerResult run = Play({"-debug"});
  ASSERT_EQ(run.exitCode, 0) << run.output;
  // The watches see the game as it goes: a refresh after each step.
  std::vector<std::string> said = SaidLines(run.output);
  for (const char* value : {"watch 6", "watch 7", "watch 8"})
    EXPECT_NE(std::find(said.begin(), said.end(), value), said.end()) << value << "\n" << run.output;
  // The broken watch raises no error line or dialog.
  EXPECT_EQ(run.output.find("ERROR"), std::string::npos) << run.output;

  IniFile saved;
  std::ifstream file(SavedIni(), std::ios::binary);
  ASSERT_TRUE(file) << run.output;
  std::stringstream text;
  text << file.rdbuf();
  saved.Parse(text.str());
  EXPECT_EQ(saved.ReadString("DebugForm", "FPSVisible", ""), "false");
  EXPECT_EQ(saved.ReadString("DebugForm", "NumWatches", ""), "3");
  EXPECT_EQ(saved.ReadString("DebugForm", "Watch1", ""), "1 +");
  EXPECT_EQ(saved.ReadString("DebugForm", "Watch2", ""), "global.g * 0.5");
  EXPECT_EQ(saved.ReadString("MessagesWindow", "Visible", ""), "true");
  EXPECT_EQ(saved.ReadString("GlobalsWindow", "Visible", ""), "false");
  EXPECT_EQ(saved.ReadString("LocalsWindow8", "Visible", ""), "false");
}

TEST_P(DebugWindowGame, WithoutDebugNothingOfTheWindowRuns) {
  WriteGame();
  { std::ofstream(folder_ / "Debug.ini", std::ios::binary) << "[DebugForm]\r\nNumWatches=1\r\nWatch0=show_debug_message(\"@watch\")\r\n"; }
  const RunnerResult run = Play({});
  ASSERT_EQ(run.exitCode, 0) << run.output;
  EXPECT_TRUE(SaidLines(run.output).empty()) << run.output;
  EXPECT_FALSE(std::filesystem::exists(SavedIni()));
}

INSTANTIATE_GAME_FORMS(DebugWindowGame);

}  // namespace
