// The three forms every end-to-end game is played in: its code stored as bytecode (CODE, VARI,
// FUNC and the debug side file, as the game-creation tool stores its games) on the virtual
// machine, its code stored as source text on the virtual machine, and source text on the
// parse-tree interpreter ("-oldexec"). A test writes its game once and is instantiated over
// all three:
//
//   class MyGames : public ::testing::TestWithParam<GameForm> {};
//   TEST_P(MyGames, ...) {
//     ASSERT_TRUE(WriteGameInForm(game, folder / "game.win", GetParam()));
//     RunRunner(WithFormArguments({"-game", folder / "game.win"}, GetParam()));
//   }
//   INSTANTIATE_GAME_FORMS(MyGames);
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "data/game_data_writer.h"

enum class GameForm { StoredBytecode, SourceText, SourceOldExec };
inline constexpr GameForm kGameForms[] = {GameForm::StoredBytecode, GameForm::SourceText, GameForm::SourceOldExec};

// "bytecode", "source", "oldexec": the forms' names in test names.
const char* GameFormName(GameForm form);
std::string GameFormParamName(const ::testing::TestParamInfo<GameForm>& info);
// How gtest prints a form in test names and failures.
void PrintTo(GameForm form, std::ostream* out);

// The game as the form stores it. The bytecode is compiled by the packer's compiler in a child
// process, so this process's tables stay as they were; false, with the reason on stderr, when
// the code does not compile or the file cannot be written.
bool WriteGameInForm(const GameDataWriter& game, const std::string& path, GameForm form);

// Lets `change` alter the bytes of a written game file (a damaged record, a renamed folder) and
// writes them back: a game in any form is damaged the same way. False when the file cannot be
// read or written.
bool RewriteGameFile(const std::string& path, const std::function<void(std::vector<uint8_t>&)>& change);

// The runner's command line for the form: args, with "-oldexec" added for SourceOldExec.
std::vector<std::string> WithFormArguments(std::vector<std::string> args, GameForm form);

#define INSTANTIATE_GAME_FORMS(suite) \
  INSTANTIATE_TEST_SUITE_P(Forms, suite, ::testing::ValuesIn(kGameForms), GameFormParamName)
