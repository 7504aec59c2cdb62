// The runner binary headless: every hook is installed when a game starts, and the options
// that options.ini and the game file give reach what they switch (tracing, the on-screen
// buttons, the freeze-while-inactive option, the pause event).
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/game_data_writer.h"
#include "support/game_forms.h"
#include "support/runner_process.h"

namespace {

constexpr int32_t kCreate = 0, kStep = 3;

// A game of one instance whose step event runs code (with t counting steps from 1).
GameDataWriter OneObjectGame(const std::string& stepCode) {
  return OneInstanceGame({{kCreate, 0, {"t = 0;"}}, {kStep, 0, {"t += 1;\n" + stepCode}}});
}

std::vector<std::string> Reports(const std::string& output) {
  std::vector<std::string> lines;
  std::istringstream in(output);
  for (std::string line; std::getline(in, line);)
    if (!line.empty() && line[0] == '@') lines.push_back(line.substr(1));
  return lines;
}

class WiringGame : public ::testing::TestWithParam<GameForm> {
 protected:
  RunnerResult Run(const GameDataWriter& game, std::vector<std::string> extra = {}) {
    EXPECT_TRUE(WriteGameInForm(game, folder_ / "game.win", GetParam()));
    std::vector<std::string> args = WithFormArguments({"-game", folder_ / "game.win", "-noaudio"}, GetParam());
    args.insert(args.end(), extra.begin(), extra.end());
    RunnerOptions options{.workingDirectory = folder_.path(), .timeoutSeconds = 30.0};
    options.environment["XDG_DATA_HOME"] = folder_ / "data";
    return RunRunner(args, options);
  }
  void WriteIni(const std::string& text) {
    std::ofstream out(folder_ / "options.ini", std::ios::binary);
    out << text;
  }
  TempFolder folder_;
};

// The start-up check lists every hook; only the ones named as pending may be empty.
TEST_P(WiringGame, EveryHookIsInstalledWhenTheGameStarts) {
  RunnerResult run = Run(OneObjectGame("game_end();"));
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_NE(run.output.find(" pending, 0 empty\n"), std::string::npos) << run.output;
  EXPECT_EQ(run.output.find("Empty hook: "), std::string::npos) << run.output;
  EXPECT_EQ(run.output.find("Pending hook is set: "), std::string::npos) << run.output;
  EXPECT_LT(run.output.find("Start-up hooks: "), run.output.find("Run_Start\n")) << run.output;
}

// "Trace" in options.ini switches the machine's script trace, after the command line.
TEST_P(WiringGame, TraceKeyOfOptionsIniSwitchesTracing) {
  if (GetParam() == GameForm::SourceOldExec) GTEST_SKIP() << "the parse-tree interpreter writes no trace";
  GameDataWriter game = OneObjectGame("scr_probe(); game_end();");
  game.scripts.push_back({"scr_probe", {"return 1;"}});
  WriteIni("[DEFAULT]\nTrace=1\n");
  RunnerResult on = Run(game);
  EXPECT_EQ(on.exitCode, 0) << on.output;
  WriteIni("[DEFAULT]\nTrace=0\n");
  RunnerResult off = Run(game, {"-trace"});
  EXPECT_EQ(off.exitCode, 0) << off.output;
  EXPECT_NE(on.output.find("script call = Script.scr_probe"), std::string::npos) << on.output;
  EXPECT_EQ(off.output.find("script call = "), std::string::npos) << off.output;
}

// Buttons of options.ini take the first records of the on-screen button table.
TEST_P(WiringGame, VirtualButtonsOfOptionsIniAreRead) {
  WriteIni(
      "[IO_VIRTUAL_BUTTONS]\nNUM_BUTTONS=2\n"
      "[IO_BUTTON_0]\nX=0\nY=0\nW=32\nH=32\nKEY=VK_LEFT\n"
      "[IO_BUTTON_1]\nX=32\nY=0\nW=32\nH=32\nKEY=A\n");
  RunnerResult run = Run(OneObjectGame("show_debug_message(\"@\" + string(virtual_key_add(0, 64, 8, 8, 65))); game_end();"));
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_EQ(Reports(run.output), std::vector<std::string>{"3"}) << run.output;
}

// Headless, the game counts as active: with the freeze option on it still steps, and the
// pause event is never registered.
TEST_P(WiringGame, FreezeOptionLetsAnActiveGameStep) {
  GameDataWriter game = OneObjectGame(
      "show_debug_message(\"@\" + string(t) + \":\" + string(os_is_paused())); if (t == 3) game_end();");
  game.options.freezeWhenInactive = true;
  RunnerResult run = Run(game);
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_EQ(Reports(run.output), (std::vector<std::string>{"1:0", "2:0", "3:0"})) << run.output;
}

INSTANTIATE_GAME_FORMS(WiringGame);

}  // namespace
