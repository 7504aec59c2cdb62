// Games with extension packages: library functions called by name from game code, the
// initialisation and finalisation functions, and damaged package records.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "support/game_data_writer.h"
#include "support/game_forms.h"
#include "support/runner_process.h"

namespace {

using gamedata::ExtensionFile;
using gamedata::ExtensionFunction;
using gamedata::ExtensionPackage;

constexpr int32_t kCreate = 0;
constexpr int32_t kString = 1, kReal = 2;
constexpr int32_t kMarkedId = 0x2a5a5;  // an extension function number found nowhere else in a file

struct Played {
  RunnerResult run;
  std::vector<std::string> lines;
};

class ExtensionGame : public ::testing::TestWithParam<GameForm> {
 protected:
  GameDataWriter NewGame(const std::string& code, std::vector<ExtensionPackage> packages) {
    GameDataWriter game;
    game.header.lastInstanceId = 100100;
    game.extensions = std::move(packages);
    game.scripts.push_back({"scr_init", {"show_debug_message(\"@init\");"}});
    game.scripts.push_back({"scr_final", {"show_debug_message(\"@final\");"}});
    gamedata::Object object;
    object.name = "obj_probe";
    object.events.push_back({kCreate, 0, {code + "\ngame_end();"}});
    game.objects.push_back(object);
    gamedata::Room room;
    room.name = "rm_only";
    room.speed = 1000;
    room.instances = {{0, 0, 0, 100001, {""}}};
    game.rooms.push_back(room);
    return game;
  }

  // Plays the game in the test's form; `damage` may change the written file's bytes first.
  Played Play(const GameDataWriter& game, const std::function<void(std::vector<uint8_t>&)>& damage = {}) {
    std::filesystem::copy_file(KF_EXTERNAL_TEST_LIBRARY, folder_ / "helper.so",
                               std::filesystem::copy_options::overwrite_existing);
    EXPECT_TRUE(WriteGameInForm(game, folder_ / "game.win", GetParam()));
    if (damage) {
      EXPECT_TRUE(RewriteGameFile(folder_ / "game.win", damage));
    }
    std::vector<std::string> args = WithFormArguments({"-game", folder_ / "game.win"}, GetParam());
    Played played;
    played.run = RunRunner(args, {.workingDirectory = folder_.path(), .timeoutSeconds = 30.0});
    std::istringstream in(played.run.output);
    for (std::string line; std::getline(in, line);)
      if (!line.empty() && line[0] == '@') played.lines.push_back(line.substr(1));
    return played;
  }

  // A library package; the Windows name finds helper.so in the game's folder.
  static ExtensionPackage Library(const std::string& folder, std::vector<ExtensionFunction> functions,
                                  const std::string& init = "", const std::string& final = "") {
    ExtensionFile file;
    file.fileName = "Helper.dll";
    file.kind = 1;
    file.initFunction = init;
    file.finalFunction = final;
    file.functions = std::move(functions);
    return {folder, "pkg_" + folder, {file}};
  }

  TempFolder folder_;
};

TEST_P(ExtensionGame, LibraryFunctionsAreCalledByName) {
  ExtensionPackage first = Library("first", {{"plus", 7, 12, kReal, "ext_add", {kReal, kReal}},
                                             {"joined", 2, 11, kString, "ext_join", {kString, kReal}},
                                             {"missing", 4, 12, kReal, "no_such_export", {}}},
                                   "scr_init", "scr_final");
  // A later package's function of the same name loses every lookup.
  ExtensionPackage second = Library("second", {{"plus", 9, 12, kReal, "ext_sub", {kReal, kReal}}});
  Played played = Play(NewGame("show_debug_message(\"@\" + string(plus(2, 3)));\n"
                               "show_debug_message(\"@\" + joined(\"n\", 4));\n"
                               "show_debug_message(\"@\" + string(missing()));",
                               {first, second}));
  EXPECT_EQ(played.run.exitCode, 0) << played.run.output;
  EXPECT_EQ(played.lines, (std::vector<std::string>{"init", "5", "n:4", "0", "final"})) << played.run.output;
}

// The position of the first copy of `text` in the file; the file's size when there is none.
size_t Find(const std::vector<uint8_t>& bytes, const std::string& text) {
  const auto same = [](uint8_t byte, char c) { return byte == static_cast<uint8_t>(c); };
  return static_cast<size_t>(std::search(bytes.begin(), bytes.end(), text.begin(), text.end(), same) - bytes.begin());
}

TEST_P(ExtensionGame, ADroppedPackageDefinesNothing) {
  // The game-creation tool compiles calls to the package's functions (only the runner drops the
  // folder), so the game is written with a folder name of the same length that the file then
  // changes: stored code then names a function that is not found when the game loads.
  Played played = Play(NewGame("show_debug_message(\"@\" + string(plus(2, 3)));",
                               {Library("XarnGames", {{"plus", 0, 12, kReal, "ext_add", {kReal, kReal}}})}),
                       [](std::vector<uint8_t>& bytes) {
                         const size_t at = Find(bytes, "XarnGames");
                         ASSERT_LT(at, bytes.size());
                         bytes[at] = 'T';
                       });
  EXPECT_NE(played.run.exitCode, 0) << played.run.output;
  EXPECT_TRUE(played.lines.empty());
  if (GetParam() == GameForm::StoredBytecode) {
    EXPECT_NE(played.run.output.find("Unable to find function plus"), std::string::npos) << played.run.output;
  }
}

TEST_P(ExtensionGame, AMissingInitialisationFunctionStopsTheStart) {
  Played played = Play(NewGame("show_debug_message(\"@room started\");",
                               {Library("first", {{"plus", 0, 12, kReal, "ext_add", {kReal, kReal}}}, "no_init")}));
  EXPECT_NE(played.run.output.find("Could not locate initialization function no_init"), std::string::npos)
      << played.run.output;
  EXPECT_TRUE(played.lines.empty());
}

// The game is written with a sound record, marked by its number, whose number and argument
// count the file then changes: the packer loads the game before it compiles the code, so it
// would refuse the damaged record itself.
TEST_P(ExtensionGame, DamagedRecordsFailTheLoad) {
  for (ExtensionFunction bad : {ExtensionFunction{"neg", -1, 12, kReal, "ext_add", {kReal, kReal}},
                                ExtensionFunction{"huge", 1 << 30, 12, kReal, "ext_add", {}},
                                ExtensionFunction{"many", 0, 12, kReal, "ext_add", std::vector<int32_t>(17, kReal)}}) {
    ExtensionFunction sound = bad;
    sound.id = kMarkedId;
    sound.argTypes.resize(std::min<size_t>(bad.argTypes.size(), 16));
    Played played = Play(NewGame("show_debug_message(\"@ran\");", {Library("first", {sound})}),
                         [&bad](std::vector<uint8_t>& bytes) {
                           // The record: name, number, kind, result type, external name, count.
                           std::string marked(4, '\0');
                           std::memcpy(marked.data(), &kMarkedId, 4);
                           const size_t at = Find(bytes, marked);
                           ASSERT_LT(at, bytes.size());
                           WriteU32(bytes, static_cast<uint32_t>(at), static_cast<uint32_t>(bad.id));
                           WriteU32(bytes, static_cast<uint32_t>(at + 16), static_cast<uint32_t>(bad.argTypes.size()));
                         });
    EXPECT_NE(played.run.exitCode, 0) << bad.name;
    EXPECT_NE(played.run.output.find("Failed to load the game"), std::string::npos) << played.run.output;
    EXPECT_TRUE(played.lines.empty());
  }
}

INSTANTIATE_GAME_FORMS(ExtensionGame);

}  // namespace
