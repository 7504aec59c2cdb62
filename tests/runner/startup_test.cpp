// The real runner started as a child process: what it prints and how it ends.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "support/game_data_writer.h"
#include "support/game_forms.h"
#include "support/runner_process.h"

namespace {

void ExpectNoSanitizerReport(const std::string& output) {
  EXPECT_EQ(output.find("Sanitizer"), std::string::npos) << output;
  EXPECT_EQ(output.find("runtime error:"), std::string::npos) << output;
}

// Checks that the lines appear in this order (other lines may stand between them).
void ExpectLinesInOrder(const std::string& output, const std::vector<std::string>& lines) {
  size_t at = 0;
  for (const std::string& line : lines) {
    size_t found = output.find(line + "\n", at);
    ASSERT_NE(found, std::string::npos) << "missing or out of order: \"" << line << "\"\n" << output;
    at = found + line.size() + 1;
  }
}

RunnerOptions WithEnvironment(std::map<std::string, std::string> environment) {
  RunnerOptions options;
  options.environment = std::move(environment);
  return options;
}

TEST(Startup, MissingGameFileEndsWithAClearMessageAndAFailure) {
  RunnerResult r = RunRunner({"-game", "missing.win"});
  EXPECT_FALSE(r.timedOut);
  EXPECT_NE(r.exitCode, 0);
  EXPECT_LT(r.exitCode, 128) << "ended by a signal";
  ExpectLinesInOrder(r.output, {"Cannot open the game file \"missing.win\"", "Failed to load the game"});
  EXPECT_EQ(r.output.find("Create Window"), std::string::npos) << r.output;
  ExpectNoSanitizerReport(r.output);
}

TEST(Startup, AFolderOrAnEmptyNameIsNoGameFile) {
  TempFolder temp;
  for (const std::string& name : {temp.path(), std::string()}) {
    SCOPED_TRACE(name);
    RunnerResult r = RunRunner({"-game", name});
    EXPECT_EQ(r.exitCode, 1);
    ExpectLinesInOrder(r.output, {"Cannot open the game file \"" + name + "\"", "Failed to load the game"});
    EXPECT_EQ(r.output.find("Failed to load the game\nFailed"), std::string::npos) << r.output;
  }
}

TEST(Startup, WithoutAnyGameFileAndNoDisplayItSaysSoAndFails) {
  RunnerResult r = RunRunner({"-debug"}, WithEnvironment({{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}}));
  EXPECT_FALSE(r.timedOut);
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.output.find("No game file to play: name one with -game <file>"), std::string::npos) << r.output;
  ExpectNoSanitizerReport(r.output);
}

// Starts that play a game, in every form of it.
class StartupGame : public ::testing::TestWithParam<GameForm> {};

TEST_P(StartupGame, LogLinesComeInTheirFixedOrder) {
  TempFolder temp;
  ASSERT_TRUE(WriteGameInForm(TestGame(), temp / "game.win", GetParam()));
  RunnerResult r = RunRunner(WithFormArguments({"-game", temp / "game.win", "-noaudio"}, GetParam()),
                             WithEnvironment({{"XDG_DATA_HOME", temp.path()}}));
  EXPECT_FALSE(r.timedOut);
  EXPECT_EQ(r.exitCode, 0) << r.output;
  ExpectLinesInOrder(r.output, {
                                   "RunnerLoadGame() - " + (temp / "game.win"),
                                   "Get Resolution",
                                   "Create Window",
                                   "Init Graphics",
                                   "Create Score Form",
                                   "Create Load Form",
                                   "Create Error Form",
                                   "LoadGameData()",
                                   "PrepareGame()",
                                   "Run_Start",
                                   "**********************************.",
                                   "Entering main loop.",
                                   "**********************************.",
                                   "Current Memory Stats",
                               });
  EXPECT_NE(r.output.find("Total memory used = "), std::string::npos);
  ExpectNoSanitizerReport(r.output);
}

TEST_P(StartupGame, TheSaveAreaIsNamedAfterTheGame) {
  TempFolder temp;
  GameDataWriter game = TestGame();
  game.header.gameName = "Quiet Hills";
  ASSERT_TRUE(WriteGameInForm(game, temp / "game.win", GetParam()));
  RunnerResult r = RunRunner(WithFormArguments({"-game", temp / "game.win", "-noaudio"}, GetParam()),
                             WithEnvironment({{"XDG_DATA_HOME", temp.path()}}));
  EXPECT_EQ(r.exitCode, 0) << r.output;
  EXPECT_TRUE(std::filesystem::is_directory(temp / "Quiet Hills")) << r.output;
  EXPECT_FALSE(std::filesystem::exists(temp / "Kilnforge"));
}

// No option is honoured, "-oldexec" neither: that form plays as the source text one does.
TEST_P(StartupGame, DataWinBesideTheExecutableIgnoresTheCommandLine) {
  TempFolder temp;
  const std::string runner = temp / "kilnforge";
  std::filesystem::copy_file(KILNFORGE_BINARY, runner);
  ASSERT_TRUE(WriteGameInForm(TestGame(), temp / "data.win", GetParam()));

  // "-game missing.win" alone would fail the start: here it is not even read.
  RunnerResult r = RunProcess(runner, WithFormArguments({"-game", "missing.win", "-debug"}, GetParam()),
                              WithEnvironment({{"SDL_VIDEODRIVER", "offscreen"}, {"XDG_DATA_HOME", temp.path()}}));
  EXPECT_FALSE(r.timedOut);
  EXPECT_EQ(r.exitCode, 0) << r.output;
  EXPECT_NE(r.output.find("RunnerLoadGame() - " + (temp / "data.win") + "\n"), std::string::npos)
      << r.output;
  EXPECT_EQ(r.output.find("missing.win"), std::string::npos) << r.output;
  ExpectNoSanitizerReport(r.output);
}

INSTANTIATE_GAME_FORMS(StartupGame);

}  // namespace
