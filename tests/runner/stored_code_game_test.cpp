// Games whose code is stored as bytecode name their variables as code compiled at run time
// does: built-in variables, the arguments of scripts, globalvar declarations made in the stored
// code and made at run time, and variables read and written by execute_string, alike in every
// form of the game.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/game_data_writer.h"
#include "support/game_forms.h"
#include "support/runner_process.h"

namespace {

constexpr int32_t kCreate = 0, kStep = 3;

std::string Say(const std::string& label, const std::string& value) {
  return "show_debug_message(\"@" + label + " \" + string(" + value + "));";
}

GameDataWriter VariablesGame() {
  GameDataWriter game = OneInstanceGame({});
  game.rooms[0].instances[0].x = 32;
  game.scripts.push_back({"scr_sum",
                          {"var i, t; t = 0; for (i = 0; i < argument_count; i += 1) t += argument[i];"
                           "return string(argument_count) + \" \" + string(t) + \" \" + string(argument0 + argument15);"}});
  game.scripts.push_back({"scr_fact", {"if (argument0 <= 1) return 1; return argument0 * scr_fact(argument0 - 1);"}});
  game.scripts.push_back({"scr_pair", {"return string(argument_count) + \" \" + string(argument0 * 10 + argument1);"}});
  game.scripts.push_back({"scr_declare", {"globalvar gv_stored; gv_stored = 7;"}});
  // A script called from a script.
  game.scripts.push_back({"scr_outer", {"return scr_pair(argument1, argument0);"}});
  const std::string create =
      Say("room_speed", "room_speed") + Say("id", "id") + Say("x", "x") + Say("room", "room") +
      Say("sum", "scr_sum(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16)") +
      Say("fact", "scr_fact(10)") + Say("execute", "script_execute(scr_pair, 4, 2)") +
      Say("outer", "scr_outer(4, 2)") +
      "scr_declare();" + Say("gv_stored", "gv_stored") + Say("global.gv_stored", "global.gv_stored") +
      "execute_string(\"globalvar gv_late; gv_late = 3;\");" +
      "gv_late += 1;" + Say("gv_late", "gv_late") + Say("global.gv_late", "global.gv_late") +
      "score = 5; global.total = 9;"
      "execute_string(\"score += 1; global.total += 1; shared = score * 2;\");"
      "score += 1; global.total += 1;" +
      Say("score", "score") + Say("total", "global.total") + Say("shared", "shared") +
      Say("read back", "execute_string(\"return score + shared + global.total;\")") +
      // execute_string fills the argument slots; the count stays the event's (0).
      Say("argument", "execute_string(\"return argument0 * argument1 + argument_count;\", 6, 7)");
  game.objects[0].events = {{kCreate, 0, {create}}, {kStep, 0, {"game_end();"}}};
  return game;
}

class StoredCodeGame : public ::testing::TestWithParam<GameForm> {};

TEST_P(StoredCodeGame, VariablesAreNamedAsRunTimeCodeNamesThem) {
  TempFolder folder;
  ASSERT_TRUE(WriteGameInForm(VariablesGame(), folder / "game.win", GetParam()));
  const RunnerResult run = RunRunner(WithFormArguments({"-game", folder / "game.win"}, GetParam()));
  EXPECT_EQ(run.exitCode, 0) << run.output;
  const std::vector<std::string> expected = {
      "room_speed 1000", "id 100001",  "x 32",          "room 0",          "sum 16 136 17",
      "fact 3628800",    "execute 2 42", "outer 2 24",  "gv_stored 7",     "global.gv_stored 7",
      "gv_late 4",       "global.gv_late 4", "score 7", "total 11",        "shared 12",
      "read back 30",    "argument 42"};
  EXPECT_EQ(SaidLines(run.output), expected) << run.output;
}

INSTANTIATE_GAME_FORMS(StoredCodeGame);

// A game stored as bytecode has no parse trees: asked for the interpreter, the runner says so and
// plays it on the machine.
TEST(StoredCodeGameOldExec, RunsOnTheMachineAndSaysSo) {
  TempFolder folder;
  ASSERT_TRUE(WriteGameInForm(VariablesGame(), folder / "game.win", GameForm::StoredBytecode));
  const RunnerResult run = RunRunner({"-game", folder / "game.win", "-oldexec"});
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_NE(run.output.find("The game's code is stored as bytecode: -oldexec is ignored\n"), std::string::npos)
      << run.output;
  const std::vector<std::string> said = SaidLines(run.output);
  ASSERT_FALSE(said.empty());
  EXPECT_EQ(said.back(), "argument 42") << run.output;
}

}  // namespace
