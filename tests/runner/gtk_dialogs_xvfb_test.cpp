// The desktop dialogs for real: the runner binary on an X server (Xvfb) asks for a text and
// for a file, and xdotool types the answers as a player would. Runs only where ctest starts
// it under xvfb-run (KF_DIALOG_XVFB set) with xdotool installed.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/game_data_writer.h"
#include "support/game_forms.h"
#include "support/runner_process.h"
#include "support/xvfb_desktop.h"

namespace {

constexpr char kDialogClass[] = "^kilnforge-dialog$";

class GtkDialogs : public XvfbDesktopTest {};

TEST_P(GtkDialogs, PlayerAnswersEachKindOfDialog) {
  TempFolder folder;
  { std::ofstream(folder / "picked.txt") << "x"; }
  GameDataWriter game;
  game.header.lastInstanceId = 100100;
  game.header.gameName = "gtk_dialogs";
  gamedata::Object object;
  object.name = "obj_ask";
  object.events.push_back(
      {0, 0,
       {"show_debug_message(\"@\" + get_string(\"Your name?\", \"def\"));"
        "show_debug_message(\"@\" + string(get_integer(\"How many?\", 7.5)));"
        "show_debug_message(\"@\" + get_open_filename_ext(\"Text files|*.txt|All files|*.*\", \"\", \"" +
        folder.path() + "\", \"Pick a file\"));"
        "show_debug_message(\"@\" + string(show_question(\"Go on?\")));"
        "highscore_clear(); highscore_add(\"ann\", 10); highscore_show(10);"
        "show_debug_message(\"@\" + string(get_login_async(\"ann\", \"\")));"}});
  object.events.push_back({7, 63,
                           {"show_debug_message(\"@\" + ds_map_find_value(async_load, \"username\") + \"/\" +"
                            " ds_map_find_value(async_load, \"password\") + \"/\" +"
                            " string(ds_map_find_value(async_load, \"status\"))); game_end();"}});
  game.objects.push_back(object);
  gamedata::Room room;
  room.name = "rm_ask";
  room.instances = {{0, 0, 0, 100001, {""}}};
  game.rooms.push_back(room);
  ASSERT_TRUE(WriteGameInForm(game, folder / "game.win", GetParam()));

  // Each step waits for its dialog to be shown, gives it the keyboard and types.
  const std::string find = "xdotool search --sync --onlyvisible --classname '" + std::string(kDialogClass) + "'";
  std::thread player([&] {
    EXPECT_TRUE(Xdo("w=$(" + find + " | head -1) && xdotool windowfocus --sync $w && sleep 0.3 && "
                    "xdotool key ctrl+a && xdotool type --delay 30 'Ada 42' && xdotool key Return"));
    EXPECT_TRUE(Xdo("sleep 1; w=$(" + find + " | head -1) && xdotool windowfocus --sync $w && sleep 0.3 && "
                    "xdotool key ctrl+a && xdotool type --delay 30 '12.25' && xdotool key Return"));
    EXPECT_TRUE(Xdo("w=$(xdotool search --sync --onlyvisible --name '^Pick a file$' | head -1) && xdotool windowfocus --sync $w && sleep 0.5 && "
                    "xdotool key ctrl+l && sleep 0.3 && xdotool type --delay 30 '" + (folder / "picked.txt") +
                    "' && sleep 0.3 && xdotool key Return"));
    // Escape and the close box leave the question open; Return answers its default, Yes.
    EXPECT_TRUE(Xdo("sleep 1; w=$(xdotool search --sync --onlyvisible --classname '" + std::string(kDialogClass) +
                    "' | head -1) && xdotool windowfocus --sync $w && sleep 0.3 && xdotool key Escape && sleep 0.5 && "
                    "xdotool search --onlyvisible --classname '" + std::string(kDialogClass) +
                    "' >/dev/null && xdotool key Return"));
    EXPECT_TRUE(Xdo("w=$(xdotool search --sync --onlyvisible --name '^Top Ten Players$' | head -1) && "
                    "xdotool windowfocus --sync $w && sleep 0.3 && xdotool key Escape"));
    // The login box is modeless: the game steps while the player types.
    EXPECT_TRUE(Xdo("w=$(xdotool search --sync --onlyvisible --name '^Login$' | head -1) && "
                    "xdotool windowfocus --sync $w && sleep 0.3 && xdotool key Tab && "
                    "xdotool type --delay 30 'se cret' && xdotool key Return"));
  });
  const RunnerOptions options = XvfbDesktopRunnerOptions(folder / "data", 60.0);
  const RunnerResult run = RunRunner(WithFormArguments({"-game", folder / "game.win", "-noaudio"}, GetParam()), options);
  player.join();
  std::vector<std::string> lines;
  std::istringstream in(run.output);
  for (std::string line; std::getline(in, line);)
    if (!line.empty() && line[0] == '@') lines.push_back(line.substr(1));
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_EQ(lines, (std::vector<std::string>{"Ada 42", "12.25", folder / "picked.txt", "1", "1", "ann/se cret/1"}))
      << run.output;
}

}  // namespace

namespace {

TEST_P(GtkDialogs, WithNoGameNamedTheStartUpChooserAsksForOne) {
  TempFolder folder;
  GameDataWriter game;
  game.header.gameName = "gtk_start";
  gamedata::Object object;
  object.name = "obj_start";
  object.events.push_back({0, 0, {"show_debug_message(\"@started\"); game_end();"}});
  game.objects.push_back(object);
  gamedata::Room room;
  room.name = "rm_start";
  room.instances = {{0, 0, 0, 100001, {""}}};
  game.rooms.push_back(room);
  ASSERT_TRUE(WriteGameInForm(game, folder / "game.win", GetParam()));
  const RunnerOptions options = XvfbDesktopRunnerOptions(folder / "data", 60.0);

  const std::string chooser = "w=$(xdotool search --sync --onlyvisible --name '^Open$' | head -1) && "
                              "xdotool windowfocus --sync $w && sleep 0.5 && ";
  std::thread picker([&] {
    EXPECT_TRUE(Xdo(chooser + "xdotool key ctrl+l && sleep 0.3 && xdotool type --delay 30 '" + (folder / "game.win") +
                    "' && sleep 0.3 && xdotool key Return"));
  });
  const RunnerResult picked = RunRunner(WithFormArguments({"-noaudio"}, GetParam()), options);
  picker.join();
  EXPECT_EQ(picked.exitCode, 0) << picked.output;
  EXPECT_NE(picked.output.find("\n@started\n"), std::string::npos) << picked.output;

  std::thread canceller([&] { EXPECT_TRUE(Xdo(chooser + "xdotool key Escape")); });
  const RunnerResult cancelled = RunRunner(WithFormArguments({"-noaudio"}, GetParam()), options);
  canceller.join();
  EXPECT_EQ(cancelled.exitCode, 1) << cancelled.output;
  EXPECT_NE(cancelled.output.find("No game file to play"), std::string::npos) << cancelled.output;
}

INSTANTIATE_GAME_FORMS(GtkDialogs);

}  // namespace
