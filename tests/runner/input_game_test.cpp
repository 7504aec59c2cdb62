// A game that presses and releases a key by code and reads the keyboard in the following
// steps; every form of the game plays it.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "support/game_data_writer.h"
#include "support/game_forms.h"
#include "support/runner_process.h"

namespace {

constexpr int32_t kCreate = 0, kStep = 3;

class InputGame : public ::testing::TestWithParam<GameForm> {
 protected:
  TempFolder folder_;
};

TEST_P(InputGame, SynthesisedKeyIsSeenNextStep) {
  const std::string report =
      "show_debug_message(\"@\" + string(t) + \":\" + string(keyboard_check(65)) + string(keyboard_check_pressed(65)) +"
      " string(keyboard_check_released(65)) + string(keyboard_check(vk_anykey)) + string(keyboard_check(vk_nokey)));\n";
  GameDataWriter game = OneInstanceGame({{kCreate, 0, {"t = 0;"}},
                                         {kStep, 0,
                                          {"t += 1;\n" + report +
                                           "if (t == 1) keyboard_key_press(ord(\"A\"));\n"
                                           "if (t == 2) keyboard_key_release(65);\n"
                                           "if (t == 4) game_end();"}}});
  ASSERT_TRUE(WriteGameInForm(game, folder_ / "game.win", GetParam()));
  std::vector<std::string> args = WithFormArguments({"-game", folder_ / "game.win"}, GetParam());
  RunnerResult run = RunRunner(args, {.workingDirectory = folder_.path(), .timeoutSeconds = 30.0});
  EXPECT_EQ(run.exitCode, 0) << run.output;
  std::vector<std::string> lines;
  std::istringstream in(run.output);
  for (std::string line; std::getline(in, line);)
    if (!line.empty() && line[0] == '@') lines.push_back(line.substr(1));
  EXPECT_EQ(lines, (std::vector<std::string>{"1:00001", "2:11010", "3:00101", "4:00001"})) << run.output;
}

INSTANTIATE_GAME_FORMS(InputGame);

}  // namespace
