// Games that use the file and HTTP built-ins: one writes a text file in its save area and reads
// it back; one asks a local web server for a page and prints the answer in its asynchronous
// event. Each reports through show_debug_message lines starting with "@"; every form of the game
// plays it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/game_data_writer.h"
#include "support/game_forms.h"
#include "support/local_http_server.h"
#include "support/runner_process.h"

namespace {

using gamedata::Event;
using gamedata::Object;
using gamedata::Room;

constexpr int32_t kCreate = 0, kStep = 3, kOther = 7, kAsyncHttp = 62;

GameDataWriter GameWith(Object object) {
  GameDataWriter game;
  game.header.lastInstanceId = 100100;
  game.objects.push_back(std::move(object));
  Room room;
  room.name = "rm_only";
  room.speed = 1000;
  room.instances = {{0, 0, 0, 100001, {""}}};
  game.rooms.push_back(std::move(room));
  return game;
}

class FileAndHttpGames : public ::testing::TestWithParam<GameForm> {};

TEST_P(FileAndHttpGames, WritesATextFileAndReadsItBack) {
  Object object;
  object.name = "obj_writer";
  object.events = {{kCreate, 0,
                    {"var f; f = file_text_open_write(\"data\\scores.txt\");"
                     "file_text_write_string(f, \"first line\"); file_text_writeln(f);"
                     "file_text_write_real(f, 42); file_text_close(f);"
                     "f = file_text_open_read(\"DATA/Scores.txt\");"
                     "show_debug_message(\"@\" + file_text_read_string(f)); file_text_readln(f);"
                     "show_debug_message(\"@\" + string(file_text_read_real(f) + 1));"
                     // the real is followed by a space, which readln takes
                     "file_text_readln(f); show_debug_message(\"@eof \" + string(file_text_eof(f)));"
                     "file_text_close(f);"
                     "game_end();"}}};
  TempFolder folder, data;
  ASSERT_TRUE(WriteGameInForm(GameWith(object), folder / "game.win", GetParam()));
  RunnerResult run = RunRunner(WithFormArguments({"-game", folder / "game.win"}, GetParam()),
                               {.workingDirectory = "", .environment = {{"XDG_DATA_HOME", data.path()}},
                                .timeoutSeconds = 30.0});
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_EQ(SaidLines(run.output), (std::vector<std::string>{"first line", "43", "eof 1"})) << run.output;
}

// The game folder and the save area are searched together, letters matching in any case;
// folders and hidden files are found like files.
TEST_P(FileAndHttpGames, FileFindListsTheGameFolderAndTheSaveArea) {
  TempFolder folder, data;
  std::filesystem::create_directories(folder / "Levels/Extra");
  std::filesystem::create_directories(data / "Game/levels");
  for (const char* name : {"Levels/One.LVL", "Levels/two.lvl", "Levels/.secret.lvl", "Levels/notes.txt"}) {
    std::ofstream(folder / name) << "x";
  }
  for (const char* name : {"Game/levels/three.lvl", "Game/levels/TWO.lvl"}) std::ofstream(data / name) << "x";
  Object object;
  object.name = "obj_finder";
  object.events = {{kCreate, 0,
                    {"var n, found; found = \"\"; n = file_find_first(\"LEVELS\\*.lvl\", fa_directory);"
                     "while (n != \"\") { found += n + \";\"; n = file_find_next(); }"
                     "show_debug_message(\"@\" + found); file_find_close();"
                     "show_debug_message(\"@after close [\" + file_find_next() + \"]\");"
                     "show_debug_message(\"@\" + file_find_first(\"levels/*\", 0) + \";\" + file_find_next()"
                     "  + \";\" + file_find_next());"
                     "show_debug_message(\"@none [\" + file_find_first(\"levels/*.png\", 0) + \"]\");"
                     "show_debug_message(\"@attributes \" + string(file_attributes(\"levels\", fa_directory)));"
                     "game_end();"}}};
  ASSERT_TRUE(WriteGameInForm(GameWith(object), folder / "game.win", GetParam()));
  RunnerResult run = RunRunner(WithFormArguments({"-game", folder / "game.win"}, GetParam()),
                               {.workingDirectory = "", .environment = {{"XDG_DATA_HOME", data.path()}},
                                .timeoutSeconds = 30.0});
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_EQ(SaidLines(run.output),
            (std::vector<std::string>{".secret.lvl;One.LVL;three.lvl;TWO.lvl;", "after close []",
                                      ".secret.lvl;Extra;notes.txt", "none []", "attributes 0"}))
      << run.output;
}

TEST_P(FileAndHttpGames, HttpGetAnswersInTheAsyncEvent) {
  LocalHttpServer server(LocalHttpServer::Bodies({{"/page", "hello from the server"}}));
  ASSERT_NE(server.Port(), 0);
  Object object;
  object.name = "obj_asker";
  object.events = {
      {kCreate, 0, {"global.id = http_get(\"" + server.Url("/page") + "\"); global.steps = 0;"}},
      {kStep, 0, {"global.steps += 1; if (global.steps > 20000) { show_debug_message(\"@no answer\"); game_end(); }"}},
      {kOther, kAsyncHttp,
       {"if (ds_map_find_value(async_load, \"id\") == global.id) {"
        "show_debug_message(\"@\" + ds_map_find_value(async_load, \"result\"));"
        "show_debug_message(\"@status \" + string(ds_map_find_value(async_load, \"status\"))"
        " + \" \" + string(ds_map_find_value(async_load, \"http_status\")));"
        "game_end(); }"}}};
  TempFolder folder, data;
  ASSERT_TRUE(WriteGameInForm(GameWith(object), folder / "game.win", GetParam()));
  RunnerResult run = RunRunner(WithFormArguments({"-game", folder / "game.win"}, GetParam()),
                               {.workingDirectory = "",
                                .environment = {{"XDG_DATA_HOME", data.path()}, {"no_proxy", "*"},
                                                {"http_proxy", ""}, {"HTTP_PROXY", ""}},
                                .timeoutSeconds = 30.0});
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_EQ(SaidLines(run.output), (std::vector<std::string>{"hello from the server", "status 0 200"})) << run.output;
}

INSTANTIATE_GAME_FORMS(FileAndHttpGames);

}  // namespace
