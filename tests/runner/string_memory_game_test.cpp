// A game that asks for a string larger than the memory the runner can get is told so by the
// runner's runtime error, reported as any other; the runner never ends on the failed request.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/game_data_writer.h"
#include "support/game_forms.h"
#include "support/runner_process.h"

namespace {

constexpr int32_t kCreate = 0, kStep = 3;
// Room enough for the runner to start and play; far less than the string asks for.
constexpr size_t kAddressSpace = size_t{1} << 30;

GameDataWriter DoublingGame() {
  GameDataWriter game = OneInstanceGame({});
  // Doubles a string until joining fails (at the latest when it passes 4 GB); the error
  // leaves the script, so the length it reached is reported by the caller.
  game.scripts.push_back({"scr_double", {"global.text = \"ab\"; while (true) { global.text += global.text; }"}});
  game.scripts.push_back({"scr_outer", {"scr_double();"}});
  game.objects[0].events = {
      {kCreate, 0, {"scr_outer(); show_debug_message(\"@created\");"}},
      {kStep, 0,
       {"show_debug_message(\"@grew \" + string(string_byte_length(global.text) >= 1024 * 1024));"
        "global.text = \"\"; game_end();"}}};
  return game;
}

class StringMemoryGame : public ::testing::TestWithParam<GameForm> {};

TEST_P(StringMemoryGame, JoiningPastTheMemoryGivesTheRunnersError) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the address sanitizer reserves more address space than any limit leaves";
#endif
  TempFolder folder;
  ASSERT_TRUE(WriteGameInForm(DoublingGame(), folder / "game.win", GetParam()));
  RunnerOptions options;
  options.addressSpaceLimit = kAddressSpace;
  const RunnerResult run = RunRunner(WithFormArguments({"-game", folder / "game.win"}, GetParam()), options);
  EXPECT_FALSE(run.timedOut);
  EXPECT_NE(run.output.find("String too long."), std::string::npos) << run.output;
  EXPECT_EQ(run.output.find("Out of memory."), std::string::npos) << run.output;
  if (GetParam() == GameForm::SourceOldExec) {
    // The interpreter's error leaves the event; the game plays on.
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(SaidLines(run.output), (std::vector<std::string>{"grew 1"})) << run.output;
  } else {
    // Every error of the machine ends the game, reported, as the repetition limit's does.
    EXPECT_EQ(run.exitCode, 255) << run.output;
    EXPECT_NE(run.output.find("VMError!! Occurred - String too long."), std::string::npos) << run.output;
  }
}

INSTANTIATE_GAME_FORMS(StringMemoryGame);

}  // namespace
