// Code that nests without end, through scripts, events and the built-ins that run code, ends
// in "Stack overflow..." on both executors instead of running the process out of native
// stack. On the machine the report is its fatal error; on the interpreter it is an error
// report like any other, and the game goes on.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/game_data_writer.h"
#include "support/game_forms.h"
#include "script/code_nesting.h"
#include "support/runner_process.h"

namespace {

using gamedata::Event;
using gamedata::Object;
using gamedata::Room;

constexpr int32_t kCreate = 0, kDestroy = 1, kAlarm = 2, kOther = 7, kUserZero = 10;

struct NestingGame {
  const char* name;
  std::vector<gamedata::Script> scripts;
  std::vector<Event> events;  // of obj_probe
  // The creation code of the one obj_probe instance, which says "after" when it ends.
  const char* start;
  // Whether a built-in stands between the levels: the interpreter's error then ends only the
  // innermost level, and the code that started the nesting goes on.
  bool throughBuiltIn;
};

const NestingGame kGames[] = {
    {"script calling itself", {{"scr_deep", {"scr_deep();"}}}, {}, "scr_deep();", false},
    {"script_execute", {{"scr_deep", {"script_execute(scr_deep);"}}}, {}, "scr_deep();", true},
    {"event_user", {}, {{kOther, kUserZero, {"event_user(0);"}}}, "event_user(0);", true},
    {"event_perform", {}, {{kOther, kUserZero, {"event_perform(ev_other, ev_user0);"}}},
     "event_perform(ev_other, ev_user0);", true},
    {"instance_destroy in the destroy event", {}, {{kDestroy, 0, {"instance_destroy();"}}},
     "instance_destroy();", true},
    {"instance_change in the destroy event", {}, {{kDestroy, 0, {"instance_change(obj_probe, true);"}}},
     "instance_destroy();", true},
    {"execute_string", {{"scr_deep", {"execute_string(\"scr_deep();\");"}}}, {}, "scr_deep();", true},
    {"instance_create running the create event",
     {},
     {{kCreate, 0, {"instance_create(0, 0, obj_probe);"}}},
     "",
     true},
    {"script, event_user and script_execute",
     {{"scr_deep", {"event_user(0);"}}, {"scr_again", {"scr_deep();"}}},
     {{kOther, kUserZero, {"script_execute(scr_again);"}}},
     "scr_deep();",
     true},
};

size_t Occurrences(const std::string& text, const std::string& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++count;
  return count;
}

// Plays the game written in folder.
RunnerResult Play(const TempFolder& folder, GameForm form) {
  RunnerOptions options;
  options.workingDirectory = folder.path();
  options.timeoutSeconds = 60.0;
  return RunRunner(WithFormArguments({"-game", folder / "game.win"}, form), options);
}

class DeepNesting : public ::testing::TestWithParam<GameForm> {};

TEST_P(DeepNesting, EndlessNestingReportsStackOverflow) {
  const GameForm form = GetParam();
  const bool onMachine = form != GameForm::SourceOldExec;
  for (const NestingGame& nesting : kGames) {
    SCOPED_TRACE(nesting.name);
    GameDataWriter game;
    game.header.lastInstanceId = 100100;
    game.scripts = nesting.scripts;
    Object probe;
    probe.name = "obj_probe";
    probe.events = nesting.events;
    game.objects.push_back(probe);
    // A second instance ends the game a step later: the game goes on after the report.
    Object clock;
    clock.name = "obj_clock";
    clock.events = {{kAlarm, 0, {"show_debug_message(\"@later\"); game_end();"}}};
    game.objects.push_back(clock);
    Room room;
    room.name = "rm_only";
    room.speed = 1000;
    room.instances = {{0, 0, 0, 100001, {std::string(nesting.start) + "\nshow_debug_message(\"@after\");"}},
                      {0, 0, 1, 100002, {"alarm[0] = 1;"}}};
    game.rooms.push_back(room);
    TempFolder folder;
    ASSERT_TRUE(WriteGameInForm(game, folder / "game.win", form));
    const RunnerResult run = Play(folder, form);
    ASSERT_FALSE(run.timedOut) << run.output.substr(0, 4000);
    if (onMachine) {
      // The machine's fatal error, once, and nothing after it.
      EXPECT_EQ(run.exitCode, 255) << run.output.substr(0, 4000);
      EXPECT_EQ(Occurrences(run.output, "VMError!! Occurred - Stack overflow...\n"), 1u) << run.output;
      const std::vector<std::string> said = SaidLines(run.output);
      EXPECT_EQ(std::find(said.begin(), said.end(), "later"), said.end()) << run.output;
    } else {
      EXPECT_EQ(run.exitCode, 0) << run.output.substr(0, 4000);
      EXPECT_EQ(Occurrences(run.output, ": Stack overflow...\n"), 1u) << run.output;
      const std::vector<std::string> said =
          nesting.throughBuiltIn ? std::vector<std::string>{"after", "later"} : std::vector<std::string>{"later"};
      EXPECT_EQ(SaidLines(run.output), said) << run.output;
    }
  }
}

TEST_P(DeepNesting, BothExecutorsStopAtTheSameDepth) {
  // Each level says how deep it is. The room's creation code is the outermost run; the user
  // event that would make one run too many is refused.
  GameDataWriter game = OneInstanceGame(
      {{kOther, kUserZero, {"global.d += 1; show_debug_message(\"@\" + string(global.d)); event_user(0);"}}});
  game.rooms[0].creationCode = {"global.d = 0; with (obj_probe) event_user(0); game_end();"};
  TempFolder folder;
  ASSERT_TRUE(WriteGameInForm(game, folder / "game.win", GetParam()));
  const RunnerResult run = Play(folder, GetParam());
  EXPECT_EQ(run.exitCode, GetParam() == GameForm::SourceOldExec ? 0 : 255) << run.output.substr(0, 4000);
  const std::vector<std::string> said = SaidLines(run.output);
  ASSERT_FALSE(said.empty()) << run.output.substr(0, 4000);
  EXPECT_EQ(said.back(), std::to_string(kMaxCodeNesting - 1));
  EXPECT_EQ(said.size(), static_cast<size_t>(kMaxCodeNesting - 1));
}

INSTANTIATE_GAME_FORMS(DeepNesting);

}  // namespace
