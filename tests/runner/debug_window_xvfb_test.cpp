// The debug window for real: the runner binary started with "-debug" on an X server (Xvfb)
// opens it beside the game, and xdotool pauses and steps the game through its keys as a
// developer would. Runs only where ctest starts it under xvfb-run (KF_DIALOG_XVFB set) with
// xdotool installed.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

#include "support/game_data_writer.h"
#include "support/game_forms.h"
#include "support/runner_process.h"
#include "support/xvfb_desktop.h"

namespace {

class GtkDebugWindow : public XvfbDesktopTest {};

TEST_P(GtkDebugWindow, OpensBesideTheGameAndPausesAndStepsIt) {
  TempFolder folder;
  const std::string paused = folder / "paused", stepped = folder / "stepped";
  GameDataWriter game;
  game.header.lastInstanceId = 100100;
  game.header.gameName = "debug_xvfb";
  gamedata::Object object;
  object.name = "obj_steps";
  // Each step says which marks the test has set; three steps after the last mark end it.
  object.events.push_back({0, 0, {"after = 0;"}});
  object.events.push_back(
      {3, 0,
       {"var p, s; p = file_exists(\"" + paused + "\"); s = file_exists(\"" + stepped + "\");"
        "show_debug_message(\"@\" + string(p) + string(s));"
        "if (s) { after += 1; if (after == 3) game_end(); }"}});
  game.objects.push_back(object);
  gamedata::Room room;
  room.name = "rm_steps";
  room.speed = 30;
  room.instances = {{0, 0, 0, 100001, {""}}};
  game.rooms.push_back(room);
  ASSERT_TRUE(WriteGameInForm(game, folder / "game.win", GetParam()));

  // The window is found by its caption; F6 pauses, F7 steps, F5 runs on.
  std::thread developer([&] {
    EXPECT_TRUE(Xdo("w=$(xdotool search --sync --onlyvisible --name '^Kilnforge Debugger$' | head -1) && "
                    "xdotool windowfocus --sync $w && sleep 0.5 && xdotool key F6 && sleep 0.5 && "
                    "touch '" + paused + "' && sleep 1 && "
                    "xdotool key F7 && sleep 0.4 && xdotool key F7 && sleep 0.4 && xdotool key F7 && sleep 0.5 && "
                    "touch '" + stepped + "' && sleep 0.3 && xdotool key F5"));
  });
  RunnerOptions options = XvfbDesktopRunnerOptions(folder / "data", 60.0);
  options.workingDirectory = folder.path();
  const RunnerResult run = RunRunner(WithFormArguments({"-game", folder / "game.win", "-noaudio", "-debug"}, GetParam()), options);
  developer.join();
  ASSERT_EQ(run.exitCode, 0) << run.output;
  const std::vector<std::string> said = SaidLines(run.output);
  // While paused only the three single steps ran; after Run the game went on by itself.
  EXPECT_EQ(std::count(said.begin(), said.end(), "10"), 3) << run.output;
  EXPECT_EQ(std::count(said.begin(), said.end(), "11"), 3) << run.output;
  EXPECT_GT(std::count(said.begin(), said.end(), "00"), 0) << run.output;
  EXPECT_EQ(std::count(said.begin(), said.end(), "01"), 0) << run.output;
}

INSTANTIATE_GAME_FORMS(GtkDebugWindow);

}  // namespace
