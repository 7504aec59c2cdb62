// A game builds a level text of UTF-8 lines with += in a script called from another script,
// then reads it character by character and cuts fields out of it, as games read their level
// and save files: the answers are the same in every form, and a value that shared the text
// before it grew keeps the text it had.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/game_data_writer.h"
#include "support/game_forms.h"
#include "support/runner_process.h"

namespace {

constexpr int32_t kCreate = 0;

class StringScanGame : public ::testing::TestWithParam<GameForm> {};

TEST_P(StringScanGame, ALevelTextBuiltLineByLineReadsBackCharacterByCharacter) {
  GameDataWriter game = OneInstanceGame(
      {{kCreate, 0,
        {"var n, i, c, digits, accents, lines;"
         "n = scr_load();"
         "digits = 0; accents = 0; lines = 0;"
         "for (i = 1; i <= n; i += 1) {"
         "  c = string_char_at(global.level, i);"
         "  if (c == chr(10)) lines += 1;"
         "  else if (c >= \"0\" && c <= \"9\") digits += 1;"
         "  else if (ord(c) > 127) accents += 1;"
         "}"
         "show_debug_message(\"@\" + string(n) + \" \" + string(string_byte_length(global.level)) + \" \""
         "  + string(lines) + \" \" + string(digits) + \" \" + string(accents));"
         "show_debug_message(\"@\" + string_copy(global.level, 14, 12) + \"|\" + string_char_at(global.level, 43)"
         "  + \"|\" + string_char_at(global.level, 44) + \"|\" + string(ord(string_char_at(global.level, 43))));"
         "show_debug_message(\"@\" + string(string_pos(\"caf\" + chr(233) + \";\" + chr(10) + \"tile 2\", global.level))"
         "  + \" \" + string(string_pos(\"tile 9\", global.level)));"
         "show_debug_message(\"@\" + string_delete(global.level, 6, 34) + \"|\""
         "  + string_copy(string_insert(\"<>\", global.level, 43), 40, 6));"
         "show_debug_message(\"@\" + string(string_length(global.before)) + \" \" + mark + \" \" + copied);"
         "game_end();"}}});
  game.scripts.push_back({"scr_line", {"return \"tile \" + string(argument0) + \" caf\" + chr(233) + \";\";"}});
  game.scripts.push_back(
      {"scr_load",
       {"var i;"
        "global.level = \"\";"
        "for (i = 0; i < 3; i += 1) global.level += scr_line(i) + chr(10);"
        "global.before = global.level;"  // shares the text, then keeps it
        "global.level = global.level + \"end\";"
        "global.level += chr(8364);"
        "mark = \"ab\"; copied = mark; mark += mark; mark = mark + mark;"
        "return string_length(global.level);"}});
  TempFolder folder;
  ASSERT_TRUE(WriteGameInForm(game, folder / "game.win", GetParam()));
  const RunnerResult run = RunRunner(WithFormArguments({"-game", folder / "game.win"}, GetParam()));
  EXPECT_EQ(run.exitCode, 0) << run.output;
  const std::vector<std::string> expected = {
      "43 48 3 3 4",
      "tile 1 caf\xC3\xA9;|\xE2\x82\xAC||8364",
      "21 0",
      "tile end\xE2\x82\xAC|end<>\xE2\x82\xAC",
      "39 abababab ab",
  };
  EXPECT_EQ(SaidLines(run.output), expected) << run.output;
}

INSTANTIATE_GAME_FORMS(StringScanGame);

}  // namespace
