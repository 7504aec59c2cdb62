// A game that calls the multiplayer, achievement, social and store built-ins from an event and
// from a script called by another script, in every form of the game: what it prints, and the
// achievement posts it leaves in its save area for the next run.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "support/game_data_writer.h"
#include "support/game_forms.h"
#include "support/runner_process.h"

namespace {

using gamedata::Object;
using gamedata::Room;

constexpr int32_t kCreate = 0;

std::string Say(const std::string& expression) { return "show_debug_message(\"@\" + string(" + expression + "));\n"; }

GameDataWriter PlatformGame(const std::string& code) {
  GameDataWriter game;
  game.header.lastInstanceId = 100100;
  game.scripts.push_back({"scr_inner",
                          {Say("mplay_init_tcpip(\"10.0.0.1\")") + Say("mplay_connect_status()") +
                           Say("mplay_message_name()") + "mplay_data_write(3, 42);\n" + Say("mplay_data_read(3)") +
                           Say("mplay_ipaddress() == \"\"") + Say("facebook_status()") +
                           "win8_appbar_enable(1);\n" + Say("Tarn_GetDevice()")}});
  game.scripts.push_back({"scr_outer", {"scr_inner();"}});
  Object object;
  object.name = "obj_services";
  object.events = {{kCreate, 0, {code + "\ngame_end();"}}};
  game.objects.push_back(object);
  Room room;
  room.name = "rm_only";
  room.speed = 1000;
  room.instances = {{0, 0, 0, 100001, {""}}};
  game.rooms.push_back(room);
  return game;
}

std::vector<std::string> Said(const std::string& output) {
  std::vector<std::string> lines;
  std::istringstream in(output);
  for (std::string line; std::getline(in, line);)
    if (!line.empty() && line[0] == '@') lines.push_back(line.substr(1));
  return lines;
}

std::string FindFile(const std::string& folder, const std::string& name) {
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
    if (entry.path().filename() == name) return entry.path().string();
  return "";
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class PlatformServicesGame : public ::testing::TestWithParam<GameForm> {
 protected:
  RunnerResult Play(const std::string& code) {
    EXPECT_TRUE(WriteGameInForm(PlatformGame(code), folder_ / "game.win", GetParam()));
    std::vector<std::string> args = WithFormArguments({"-game", folder_ / "game.win"}, GetParam());
    RunnerResult run = RunRunner(args, {.workingDirectory = folder_.path(),
                                        .environment = {{"XDG_DATA_HOME", data_.path()}},
                                        .timeoutSeconds = 30.0});
    EXPECT_EQ(run.exitCode, 0) << run.output;
    return run;
  }
  TempFolder folder_, data_;
};

TEST_P(PlatformServicesGame, AnswersAndPostsKeptForTheNextRun) {
  const std::string store =
      "iap_activate(0); var st, products, p; st = iap_status();\n" +
      Say("ds_map_find_value(st, \"status\")") +
      "products = ds_map_find_value(st, \"purchases\");\n" + Say("ds_list_size(products)") +
      "p = ds_list_find_value(products, 2);\n" +
      Say("ds_map_find_value(p, \"status\") + \" \" + ds_map_find_value(p, \"price\")");
  RunnerResult run = Play("scr_outer();\n" + store + Say("achievement_available()") +
                          "achievement_post_score(\"a\", 5); achievement_post(\"b\", 0.5);\n" +
                          Say("os_is_paused()"));
  EXPECT_EQ(Said(run.output), (std::vector<std::string>{"0", "0", "(unknown)", "0", "1", "IDLE", "-1",
                                                        "App Store is available...", "3", "Purchased $1.00",
                                                        "1", "0"}))
      << run.output;
  EXPECT_NE(run.output.find("Windows8 functionality not supported on this platform\n"), std::string::npos);
  const std::string cache = FindFile(data_.path(), "achievementcache.dat");
  ASSERT_FALSE(cache.empty()) << run.output;
  const std::vector<uint8_t> posted = {0x01, 0, 0, 0, 'a', 0, 0x05, 0, 0, 0, 0x02, 0, 0, 0, 'b', 0, 0, 0, 0, 0x3F};
  EXPECT_EQ(ReadBytes(cache), posted);

  // The next run finds the waiting posts and adds its own behind them.
  Play("achievement_post_score(\"c\", 1);");
  std::vector<uint8_t> both = posted;
  both.insert(both.end(), {0x01, 0, 0, 0, 'c', 0, 0x01, 0, 0, 0});
  EXPECT_EQ(ReadBytes(cache), both);
}

INSTANTIATE_GAME_FORMS(PlatformServicesGame);

}  // namespace
