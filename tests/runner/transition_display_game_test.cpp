// Games that use the transition and display built-ins: from a create event and from a script
// called by another script, in every form of the game, headless (a virtual screen of the configured
// size where mode changes answer 0).
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "support/game_data_writer.h"
#include "support/game_forms.h"
#include "support/runner_process.h"

namespace {

class TransitionDisplayGame : public ::testing::TestWithParam<GameForm> {
 protected:
  // The game's "@" lines; the create event calls scr_outer, which calls scr_inner.
  std::vector<std::string> Play(const std::string& inner, RunnerResult& run) {
    GameDataWriter game;
    game.header.lastInstanceId = 100100;
    game.scripts.push_back({"scr_inner", {inner}});
    game.scripts.push_back({"scr_outer", {"scr_inner();"}});
    game.scripts.push_back({"scr_wipe", {"return 0;"}});
    gamedata::Object object;
    object.name = "obj_probe";
    object.events.push_back({0, 0, {"scr_outer(); game_end();"}});
    game.objects.push_back(object);
    gamedata::Room room;
    room.name = "rm_only";
    room.speed = 1000;
    room.instances = {{0, 0, 0, 100001, {""}}};
    game.rooms.push_back(room);
    EXPECT_TRUE(WriteGameInForm(game, folder_ / "game.win", GetParam()));
    std::vector<std::string> args = WithFormArguments({"-game", folder_ / "game.win", "-noaudio"}, GetParam());
    run = RunRunner(args, {.workingDirectory = folder_.path(), .timeoutSeconds = 30.0});
    EXPECT_EQ(run.exitCode, 0) << run.output;
    std::vector<std::string> lines;
    std::istringstream in(run.output);
    for (std::string line; std::getline(in, line);)
      if (!line.empty() && line[0] == '@') lines.push_back(line.substr(1));
    return lines;
  }

  TempFolder folder_;
};

TEST_P(TransitionDisplayGame, TransitionSettingsAndTable) {
  RunnerResult run;
  const auto lines = Play(
      "transition_kind = 5;"
      "transition_steps = 0; show_debug_message(\"@steps \" + string(transition_steps));"
      "transition_steps = -5; show_debug_message(\"@steps \" + string(transition_steps));"
      "transition_steps = 12; show_debug_message(\"@steps \" + string(transition_steps));"
      "show_debug_message(\"@kind \" + string(transition_kind));"
      "show_debug_message(\"@define \" + string(transition_define(22, \"scr_wipe\")) + \" \" +"
      "                   string(transition_define(23, \"no_such_script\")) + \" \" +"
      "                   string(transition_define(1000000, \"scr_wipe\")));"
      "show_debug_message(\"@exists \" + string(transition_exists(21)) + \" \" + string(transition_exists(22)) +"
      "                   \" \" + string(transition_exists(0)));",
      run);
  EXPECT_EQ(lines, (std::vector<std::string>{"steps 1", "steps 1", "steps 12", "kind 0", "define 1 0 1",
                                             "exists 1 0 0"}));
  EXPECT_NE(run.output.find("BUG: Room transitions don't function well - setting to 0 - look at Variable_BuiltIn "
                            "SV_TransitionKind() .\n"),
            std::string::npos);
  EXPECT_NE(run.output.find("TransFunctionExists()\n"), std::string::npos);
}

TEST_P(TransitionDisplayGame, DisplayAndWindowHeadless) {
  RunnerResult run;
  const auto lines = Play(
      "show_debug_message(\"@screen \" + string(display_get_width()) + \"x\" + string(display_get_height()) +"
      "                   \" \" + string(display_get_colordepth()) + \" \" + string(display_get_frequency()));"
      "show_debug_message(\"@modes \" + string(display_set_size(1234, 567)) + \" \" +"
      "                   string(display_test_all(800, 600, 60, 32)) + \" \" + string(display_set_all(-1, -1, -1, -1)));"
      "window_set_caption(\"Probe\"); window_set_size(-10, 20); window_set_color(c_red);"
      "show_debug_message(\"@window \" + window_get_caption() + \" \" + string(window_get_width()) + \" \" +"
      "                   string(window_get_color()) + \" \" + string(window_get_fullscreen()) + \" \" +"
      "                   string(window_get_visible()) + \" \" + string(window_get_sizeable()));"
      "show_debug_message(\"@gui \" + string(display_get_gui_width()) + \" \" + string(display_set_gui_size(100, 50))"
      "                   + \" \" + string(display_get_gui_width()) + \" \" + string(display_get_gui_height()));",
      run);
  EXPECT_EQ(lines, (std::vector<std::string>{"screen 1920x1080 32 60", "modes 0 0 0", "window Probe 640 255 0 1 0",
                                             "gui 640 0 100 50"}));
}

INSTANTIATE_GAME_FORMS(TransitionDisplayGame);

}  // namespace
