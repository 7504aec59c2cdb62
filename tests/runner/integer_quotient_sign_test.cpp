// The word div gives a whole number: a quotient that truncates to zero is +0 on both executors,
// whatever the operands' signs, as string_format shows it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/game_data_writer.h"
#include "support/game_forms.h"
#include "support/runner_process.h"

namespace {

constexpr int32_t kCreate = 0;

class IntegerQuotientSign : public ::testing::TestWithParam<GameForm> {};

TEST_P(IntegerQuotientSign, AZeroQuotientHasNoSign) {
  // Operands held in variables reach the executors; the literal pair is folded by the compiler.
  const std::string code =
      "var one, two, half; one = 1; two = -2; half = 0.5;"
      "show_debug_message(\"@\" + string_format(one div two, 1, 1));"
      "show_debug_message(\"@\" + string_format(-one div 2, 1, 1));"
      "show_debug_message(\"@\" + string_format(1 div -2, 1, 1));"
      "show_debug_message(\"@\" + string_format(-half div 3, 1, 1));"
      "show_debug_message(\"@\" + string_format(-7 div two, 1, 1));"
      "game_end();";
  GameDataWriter game = OneInstanceGame({{kCreate, 0, {code}}});
  TempFolder folder;
  ASSERT_TRUE(WriteGameInForm(game, folder / "game.win", GetParam()));
  const RunnerResult run = RunRunner(WithFormArguments({"-game", folder / "game.win"}, GetParam()));
  EXPECT_EQ(run.exitCode, 0) << run.output;
  const std::vector<std::string> expected = {"0.0", "0.0", "0.0", "0.0", "3.0"};
  EXPECT_EQ(SaidLines(run.output), expected) << run.output;
}

INSTANTIATE_GAME_FORMS(IntegerQuotientSign);

}  // namespace
