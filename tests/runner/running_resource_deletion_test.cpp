// Code may delete or replace the resource it is running from: its time line, its moment, its
// object, its room's creation code. The running code finishes as it started, the change holds for
// everything that runs after it, and the game goes on.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/game_data_writer.h"
#include "support/game_forms.h"
#include "support/runner_process.h"

namespace {

constexpr int32_t kCreate = 0;
constexpr int32_t kStep = 3;
constexpr int32_t kStepNormal = 0;
constexpr int32_t kStepEnd = 2;

// Code that runs on past the change: a local, a loop and a string built after it.
constexpr const char* kGoesOn =
    "var k; k = 0; repeat (3) k += 1; show_debug_message(\"@goes on \" + string(k));";

struct RunningDeletionCase {
  const char* name;
  GameDataWriter game;
  std::vector<std::string> said;
};

void PlayCase(const RunningDeletionCase& c, GameForm form) {
  SCOPED_TRACE(c.name);
  TempFolder folder;
  ASSERT_TRUE(WriteGameInForm(c.game, folder / "game.win", form));
  const RunnerResult run = RunRunner(WithFormArguments({"-game", folder / "game.win"}, form));
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_EQ(run.output.find("Error in"), std::string::npos) << run.output;
  EXPECT_EQ(run.output.find("ERROR"), std::string::npos) << run.output;
  EXPECT_EQ(SaidLines(run.output), c.said) << run.output;
}

// The one instance runs time line 0 as `start` sets it going; the fourth step ends the
// game, telling whether the time line is still there. Scripts: scr_drop deletes time line 0,
// scr_clear(step) clears its moment at that step.
GameDataWriter TimeLineGame(std::vector<gamedata::Moment> moments, const std::string& start) {
  GameDataWriter game = OneInstanceGame(
      {{kCreate, 0,
        {"passes = 0; steps = 0; timeline_index = 0; timeline_running = true; " + start}},
       {kStep, kStepNormal,
        {"steps += 1; if (steps == 4) { show_debug_message(\"@end \" + string(timeline_exists(0))); "
         "game_end(); }"}}});
  game.timeLines.push_back({"tl_main", std::move(moments)});
  game.scripts.push_back(
      {"scr_drop", {"timeline_delete(0); show_debug_message(\"@script \" + string(timeline_exists(0)));"}});
  game.scripts.push_back({"scr_clear", {"timeline_moment_clear(0, argument0);"}});
  return game;
}

class RunningResourceDeletion : public ::testing::TestWithParam<GameForm> {};

TEST_P(RunningResourceDeletion, TimeLineDeletedOrClearedByItsOwnMoment) {
  const std::string after = kGoesOn;
  const std::vector<RunningDeletionCase> cases = {
      {"timeline_delete in the moment",
       TimeLineGame({{0, {"show_debug_message(\"@m0 \" + string(timeline_delete(0)) + \" \" + "
                          "string(timeline_exists(0)));" + after}},
                     {1, {"show_debug_message(\"@m1\");"}}},
                    "timeline_speed = 1;"),
       {"m0 1 0", "goes on 3", "end 0"}},
      {"timeline_delete in a script the moment calls",
       TimeLineGame({{0, {"show_debug_message(\"@m0\"); scr_drop();" + after}},
                     {1, {"show_debug_message(\"@m1\");"}}},
                    "timeline_speed = 1;"),
       {"m0", "script 0", "goes on 3", "end 0"}},
      {"timeline_delete in code the moment executes",
       TimeLineGame({{0, {"execute_string('timeline_delete(0);');" + after}},
                     {1, {"show_debug_message(\"@m1\");"}}},
                    "timeline_speed = 1;"),
       {"goes on 3", "end 0"}},
      // Three moments in one step: the one cleared by itself goes, the others run on time,
      // and the next pass over the same steps runs only those two.
      {"timeline_moment_clear of the running moment",
       TimeLineGame({{0, {"timeline_moment_clear(0, 0); show_debug_message(\"@m0\");" + after}},
                     {1, {"show_debug_message(\"@m1\");"}},
                     {2, {"passes += 1; show_debug_message(\"@m2 \" + string(passes)); "
                          "if (passes == 1) timeline_position = 0;"}}},
                    "timeline_speed = 3;"),
       {"m0", "goes on 3", "m1", "m2 1", "m1", "m2 2", "end 1"}},
      {"timeline_moment_clear in a script, of the running and the next moment",
       TimeLineGame({{0, {"scr_clear(0); scr_clear(1); timeline_moment_add(0, 1, \"\");" + after}},
                     {1, {"show_debug_message(\"@m1\");"}},
                     {2, {"show_debug_message(\"@m2\");"}}},
                    "timeline_speed = 3;"),
       {"goes on 3", "m2", "end 1"}},
      {"timeline_moment_clear of a moment still to come, running backwards",
       TimeLineGame({{0, {"show_debug_message(\"@m0\");"}},
                     {1, {"show_debug_message(\"@m1\");"}},
                     {2, {"scr_clear(1); show_debug_message(\"@m2\");" + after}}},
                    "timeline_position = 2; timeline_speed = -3;"),
       {"m2", "goes on 3", "m0", "end 1"}},
  };
  for (const RunningDeletionCase& c : cases) PlayCase(c, GetParam());
}

// obj_probe (0) runs the events given; obj_watch (1) ends the game in its end step of the third
// step, telling whether obj_probe is still there. scr_object_drop deletes obj_probe.
GameDataWriter ObjectGame(std::vector<gamedata::Event> probeEvents) {
  GameDataWriter game = OneInstanceGame(std::move(probeEvents));
  gamedata::Object watch;
  watch.name = "obj_watch";
  watch.events = {{kCreate, 0, {"t = 0;"}},
                  {kStep, kStepEnd,
                   {"t += 1; if (t == 3) { show_debug_message(\"@end \" + string(object_exists(0))); "
                    "game_end(); }"}}};
  game.objects.push_back(watch);
  game.rooms[0].instances.push_back({0, 0, 1, 100002, {""}});
  game.scripts.push_back({"scr_object_drop", {"show_debug_message(\"@dropped \" + string(object_delete(0)));"}});
  return game;
}

TEST_P(RunningResourceDeletion, ObjectDeletedOrClearedByItsOwnEvent) {
  const std::string after = kGoesOn;
  const std::vector<RunningDeletionCase> cases = {
      {"object_delete of the object whose event runs",
       ObjectGame({{kStep, kStepNormal,
                    {"show_debug_message(\"@step \" + string(object_delete(object_index)) + \" \" + "
                     "string(object_exists(0)));" + after}}}),
       {"step 1 0", "goes on 3", "end 0"}},
      {"object_delete in a script the event calls",
       ObjectGame({{kStep, kStepNormal, {"scr_object_drop();" + after}}}),
       {"dropped 1", "goes on 3", "end 0"}},
      {"object_delete in an event the event performs",
       ObjectGame({{kStep, kStepNormal, {"event_user(0);" + after}},
                   {7, 10, {"object_delete(object_index); show_debug_message(\"@user\");"}}}),
       {"user", "goes on 3", "end 0"}},
      // Clearing leaves the event's code in place, and adding one is not offered.
      {"object_event_clear and object_event_add of the running event",
       ObjectGame({{kCreate, 0, {"n = 0;"}},
                   {kStep, kStepNormal,
                    {"n += 1; object_event_clear(object_index, 3, 0); "
                     "object_event_add(object_index, 3, 0, \"\"); show_debug_message(\"@step \" + "
                     "string(n));" + after}}}),
       {"step 1", "goes on 3", "step 2", "goes on 3", "step 3", "goes on 3", "end 1"}},
  };
  for (const RunningDeletionCase& c : cases) PlayCase(c, GetParam());
}

// The room's creation code replaces the room's creation code, or the whole room, and restarts
// it: the rest of the old code runs, and the restart runs the new. The instance's creation code
// clears the instance records it came from: the restart makes no instance.
GameDataWriter RoomCodeGame(const std::string& roomCode, const std::string& instanceCode = "") {
  GameDataWriter game = OneInstanceGame({});
  game.rooms[0].creationCode = {roomCode};
  game.rooms[0].instances[0].creationCode = {instanceCode};
  return game;
}

TEST_P(RunningResourceDeletion, RoomCodeReplacedWhileItRuns) {
  const std::string after = kGoesOn;
  const std::vector<RunningDeletionCase> cases = {
      {"room_set_code of the running room",
       RoomCodeGame("show_debug_message(\"@old\"); room_set_code(room, 'show_debug_message(\"@new\"); "
                    "game_end();');" + after + "room_restart();"),
       {"old", "goes on 3", "new"}},
      {"room_assign over the running room",
       RoomCodeGame("show_debug_message(\"@old\"); var r; r = room_add(); room_set_code(r, "
                    "'show_debug_message(\"@assigned\"); game_end();'); room_assign(room, r);" +
                    after + "room_restart();"),
       {"old", "goes on 3", "assigned"}},
      {"room_instance_clear in an instance's creation code",
       RoomCodeGame("show_debug_message(\"@room \" + string(instance_number(obj_probe))); "
                    "if (variable_global_exists(\"again\")) game_end(); global.again = 1;",
                    "room_instance_clear(room); show_debug_message(\"@cleared\");" + after +
                        "room_restart();"),
       {"cleared", "goes on 3", "room 1", "room 0"}},
  };
  for (const RunningDeletionCase& c : cases) PlayCase(c, GetParam());
}

INSTANTIATE_GAME_FORMS(RunningResourceDeletion);

}  // namespace
