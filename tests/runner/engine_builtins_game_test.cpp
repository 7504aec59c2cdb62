// Games that use the engine's own built-ins: events performed by code, code executed from text
// and files, variables by name, and functions of a native library. Each game reports through
// show_debug_message lines starting with "@"; every form of the game plays it.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/game_data_writer.h"
#include "support/game_forms.h"
#include "support/runner_process.h"

namespace {

using gamedata::Event;
using gamedata::Object;
using gamedata::Room;

constexpr int32_t kCreate = 0, kOther = 7;

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

struct Played {
  RunnerResult run;
  std::vector<std::string> lines;
};

class EngineBuiltins : public ::testing::TestWithParam<GameForm> {
 protected:
  // One object whose create event runs code and ends the game; events lists more of its events.
  Played PlayCode(const std::string& code, std::vector<Event> events = {}, std::vector<std::string> extra = {}) {
    GameDataWriter game;
    game.header.lastInstanceId = 100100;
    Object object;
    object.name = "obj_probe";
    object.events = std::move(events);
    object.events.push_back({kCreate, 0, {code + "\ngame_end();"}});
    game.objects.push_back(object);
    Room room;
    room.name = "rm_only";
    room.speed = 1000;
    room.instances = {{0, 0, 0, 100001, {""}}};
    game.rooms.push_back(room);
    EXPECT_TRUE(WriteGameInForm(game, folder_ / "game.win", GetParam()));
    std::vector<std::string> args = WithFormArguments({"-game", folder_ / "game.win"}, GetParam());
    args.insert(args.end(), extra.begin(), extra.end());
    Played played;
    played.run = RunRunner(args, {.workingDirectory = folder_.path(), .timeoutSeconds = 30.0});
    std::istringstream in(played.run.output);
    for (std::string line; std::getline(in, line);)
      if (!line.empty() && line[0] == '@') played.lines.push_back(line.substr(1));
    EXPECT_EQ(played.run.exitCode, 0) << played.run.output;
    return played;
  }

  TempFolder folder_;
};

std::string Say(const std::string& expression) { return "show_debug_message(\"@\" + string(" + expression + "));\n"; }

TEST_P(EngineBuiltins, ExecuteStringAndFile) {
  {
    std::ofstream file(folder_ / "code.txt", std::ios::binary);
    file << "var t;\r\nt = argument0 * 2;\r\nreturn t + argument1";
  }
  Played played = PlayCode(
      "argument0 = \"mine\";\n" +
      Say("execute_string(\"argument0 = 9; return argument0 + 1\", 4)") + Say("argument0") +
      Say("execute_string(\"return argument2\", 1, 2)") +  // argument2 was not passed: 0
      Say("execute_string(\"x = ;\")") +
      Say("execute_file(\"code.txt\", 5, 1)") +
      Say("execute_file(\"missing.txt\")"));
  EXPECT_EQ(played.lines, (std::vector<std::string>{"10", "mine", "0", "0", "11", "0"}));
  EXPECT_NE(played.run.output.find("COMPILATION ERROR in string to be executed\n"), std::string::npos)
      << played.run.output;
  EXPECT_NE(played.run.output.find("Trying to execute non-existing file."), std::string::npos);
}

TEST_P(EngineBuiltins, VariablesByName) {
  Played played = PlayCode(
      "variable_global_set(\"score_total\", 3);\n" + Say("global.score_total") +
      Say("variable_global_get(\"score_total\")") + Say("variable_global_exists(\"score_total\")") +
      Say("variable_global_exists(\"never_set\")") +
      "variable_global_array2_set(\"grid\", 2, 5, \"cell\");\n" + Say("global.grid[2, 5]") +
      Say("variable_global_array2_get(\"grid\", 2, 5)") +
      Say("variable_global_array_get(\"grid\", 32000)") +
      "variable_local_set(\"w\", 4);\n" + Say("w") + Say("variable_local_exists(\"w\")") +
      Say("variable_local_exists(\"never_set\")") +
      "variable_local_array_set(\"row\", 3, 8);\n" + Say("row[3]") + Say("variable_local_array_get(\"row\", 3)") +
      Say("variable_local_get(\"x\")"));
  EXPECT_EQ(played.lines, (std::vector<std::string>{"3", "3", "1", "0", "cell", "cell", "0", "4", "1", "0", "8",
                                                    "8", "0"}));
  EXPECT_NE(played.run.output.find("Array index >= 32000"), std::string::npos);
}

TEST_P(EngineBuiltins, EventsPerformedByCode) {
  Played played = PlayCode("event_user(3);\nevent_perform(7, 14);\nevent_perform_object(obj_probe, 7, 13);",
                           {{kOther, 13, {Say("\"user 3\"")}}, {kOther, 14, {Say("\"user 4\"")}}});
  EXPECT_EQ(played.lines, (std::vector<std::string>{"user 3", "user 4", "user 3"}));
}

TEST_P(EngineBuiltins, ExternalFunctionsOfANativeLibrary) {
  const std::string library = Quoted(KF_EXTERNAL_TEST_LIBRARY);
  const std::string code =
      "var add, join, len;\n"
      "add = external_define(" + library + ", \"ext_add\", dll_cdecl, ty_real, 2, ty_real, ty_real);\n"
      "join = external_define2(" + library + ", \"ext_join\", ty_string, ty_real, ty_string);\n"
      "len = external_define1(" + library + ", \"ext_length\", ty_string, ty_real);\n" +
      Say("external_call(add, 2, 3.5)") + Say("external_call2(join, \"a\", 7)") +
      Say("external_call1(len, \"four\")") + Say("external_call(add, 1)") +
      Say("external_define(" + library + ", \"ext_add\", 0, 0, 2, 0)") +
      Say("external_define(" + library + ", \"ext_add\", 0, 0, 5, 0, 0, 1, 0, 0)") +
      Say("external_define0(" + library + ", \"no_such_export\", 0)") +
      "external_free(" + library + ");\n" + Say("external_call(add, 2, 3.5)");
  Played played = PlayCode(code);
  EXPECT_EQ(played.lines, (std::vector<std::string>{"5.50", "a:7", "4", "0", "0", "0", "-1", "0"}));
  for (const char* message : {"Wrong number of arguments to external_define()",
                              "DLL functions with more than 4 arguments cannot have string arguments",
                              "Error defining an external function."})
    EXPECT_NE(played.run.output.find(message), std::string::npos) << message;

  // "-ext": every call answers 0.
  Played disabled = PlayCode(code, {}, {"-ext"});
  EXPECT_EQ(disabled.lines, (std::vector<std::string>{"0", "0", "0", "0", "0", "0", "-1", "0"}));
}

INSTANTIATE_GAME_FORMS(EngineBuiltins);

}  // namespace
