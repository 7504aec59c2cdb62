// Games with extension packages: library functions called by name from game code, the
// initialisation and finalisation functions, and damaged package records.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "support/game_data_writer.h"
#include "support/runner_process.h"

namespace {

using gamedata::ExtensionFile;
using gamedata::ExtensionFunction;
using gamedata::ExtensionPackage;

constexpr int32_t kCreate = 0;
constexpr int32_t kString = 1, kReal = 2;

struct Played {
  RunnerResult run;
  std::vector<std::string> lines;
};

class ExtensionGame : public ::testing::TestWithParam<bool> {
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

  Played Play(const GameDataWriter& game) {
    std::filesystem::copy_file(KF_EXTERNAL_TEST_LIBRARY, folder_ / "helper.so",
                               std::filesystem::copy_options::overwrite_existing);
    EXPECT_TRUE(game.WriteFile(folder_ / "game.win"));
    std::vector<std::string> args = {"-game", folder_ / "game.win"};
    if (GetParam()) args.push_back("-oldexec");
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

TEST_P(ExtensionGame, ADroppedPackageDefinesNothing) {
  Played played = Play(NewGame("show_debug_message(\"@\" + string(plus(2, 3)));",
                               {Library("TarnGames", {{"plus", 0, 12, kReal, "ext_add", {kReal, kReal}}})}));
  EXPECT_NE(played.run.exitCode, 0);
  EXPECT_TRUE(played.lines.empty());
}

TEST_P(ExtensionGame, AMissingInitialisationFunctionStopsTheStart) {
  Played played = Play(NewGame("show_debug_message(\"@room started\");",
                               {Library("first", {{"plus", 0, 12, kReal, "ext_add", {kReal, kReal}}}, "no_init")}));
  EXPECT_NE(played.run.output.find("Could not locate initialization function no_init"), std::string::npos)
      << played.run.output;
  EXPECT_TRUE(played.lines.empty());
}

TEST_P(ExtensionGame, DamagedRecordsFailTheLoad) {
  for (ExtensionFunction bad : {ExtensionFunction{"neg", -1, 12, kReal, "ext_add", {kReal, kReal}},
                                ExtensionFunction{"huge", 1 << 30, 12, kReal, "ext_add", {}},
                                ExtensionFunction{"many", 0, 12, kReal, "ext_add", std::vector<int32_t>(17, kReal)}}) {
    Played played = Play(NewGame("show_debug_message(\"@ran\");", {Library("first", {bad})}));
    EXPECT_NE(played.run.exitCode, 0) << bad.name;
    EXPECT_NE(played.run.output.find("Failed to load the game"), std::string::npos) << played.run.output;
    EXPECT_TRUE(played.lines.empty());
  }
}

INSTANTIATE_TEST_SUITE_P(BothExecutors, ExtensionGame, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Interpreter" : "VirtualMachine"; });

}  // namespace
