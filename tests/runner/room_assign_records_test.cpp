// room_assign copies the source room's instance records into the destination as records: none
// of them is live before the room is entered, and entering it makes each instance once, with its
// create event run once.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/game_data_writer.h"
#include "support/game_forms.h"
#include "support/runner_process.h"

namespace {

constexpr int32_t kCreate = 0;

std::string Say(const std::string& label, const std::string& value) {
  return "show_debug_message(\"@" + label + " \" + string(" + value + "));";
}

gamedata::Room MakeRoom(const std::string& name, std::vector<gamedata::Instance> instances,
                        const std::string& code = "") {
  gamedata::Room room;
  room.name = name;
  room.speed = 1000;
  room.instances = std::move(instances);
  room.creationCode.source = code;
  return room;
}

class RoomAssignRecords : public ::testing::TestWithParam<GameForm> {};

TEST_P(RoomAssignRecords, AssignedInstancesComeAliveOnceWhenTheRoomIsEntered) {
  GameDataWriter game;
  game.header.lastInstanceId = 100100;
  gamedata::Object controller;
  controller.name = "obj_controller";
  controller.events = {{kCreate, 0,
                        {"room_assign(rm_copy, rm_source);" +
                         Say("before", "instance_number(obj_thing)") +
                         Say("exists", "instance_exists(100002)") + "room_goto(rm_copy);"}}};
  gamedata::Object thing;
  thing.name = "obj_thing";
  thing.events = {{kCreate, 0, {Say("create", "id") + Say("count", "instance_number(obj_thing)")}}};
  game.objects = {controller, thing};
  game.rooms = {MakeRoom("rm_start", {{0, 0, 0, 100001, {""}}}),
                MakeRoom("rm_copy", {}),
                MakeRoom("rm_source", {{32, 32, 1, 100002, {""}}},
                         Say("room", "instance_number(obj_thing)") + Say("x", "(100002).x") +
                             "game_end();")};
  TempFolder folder;
  ASSERT_TRUE(WriteGameInForm(game, folder / "game.win", GetParam()));
  const RunnerResult run = RunRunner(WithFormArguments({"-game", folder / "game.win"}, GetParam()));
  EXPECT_EQ(run.exitCode, 0) << run.output;
  const std::vector<std::string> expected = {"before 0", "exists 0", "create 100002", "count 1",
                                             "room 1",   "x 32"};
  EXPECT_EQ(SaidLines(run.output), expected) << run.output;
}

INSTANTIATE_GAME_FORMS(RoomAssignRecords);

}  // namespace
