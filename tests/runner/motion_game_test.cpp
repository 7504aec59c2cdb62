// Whole games for motion, planning, instance changes and activation: a bouncing ball, a grid
// path around a wall followed to its end, instance_change, deactivated instances, and the
// motion, instance and room built-ins' edge cases. Each game reports through
// show_debug_message lines starting with "@".
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "support/game_data_writer.h"
#include "support/game_forms.h"
#include "support/runner_process.h"

namespace {

using gamedata::Event;
using gamedata::Instance;
using gamedata::Object;
using gamedata::Room;

constexpr int32_t kCreate = 0, kDestroy = 1, kStep = 3, kCollision = 4;
constexpr int32_t kStepNormal = 0, kStepBegin = 1, kStepEnd = 2;

std::string Say(const std::string& text) { return "show_debug_message(\"@" + text + "\");"; }
// Reports the text followed by the values of the expressions, separated by spaces.
std::string Report(const std::string& text, const std::vector<std::string>& values) {
  std::string code = "show_debug_message(\"@" + text + "\"";
  for (const std::string& value : values) code += " + \" \" + string(" + value + ")";
  return code + ");";
}

Object MakeObject(const std::string& name, std::vector<Event> events, int32_t sprite = -1, bool solid = false) {
  Object object;
  object.name = name;
  object.events = std::move(events);
  object.sprite = sprite;
  object.solid = solid;
  return object;
}

GameDataWriter NewGame() {
  GameDataWriter game;
  game.header.lastInstanceId = 100100;
  // Sprite 0: a 16 x 16 block.
  gamedata::Sprite block;
  block.name = "spr_block";
  block.width = block.height = 16;
  block.bboxRight = block.bboxBottom = 15;
  block.bboxMode = 2;
  block.frames = {0};
  game.sprites.push_back(block);
  game.texturePageEntries.push_back({0, 0, 16, 16, 0, 0, 16, 16, 16, 16, 0});
  game.textures.push_back(gamedata::RawImage(16, 16, std::vector<uint8_t>(16 * 16 * 4, 255)));
  return game;
}

void AddRoom(GameDataWriter& game, std::vector<Instance> instances, int32_t width = 640, int32_t height = 480) {
  Room room;
  room.name = "rm_" + std::to_string(game.rooms.size());
  room.speed = 1000;
  room.width = width;
  room.height = height;
  room.instances = std::move(instances);
  game.rooms.push_back(room);
}

struct Played {
  RunnerResult run;
  std::vector<std::string> lines;
};

class MotionGame : public ::testing::TestWithParam<GameForm> {
 protected:
  Played PlayGame(const GameDataWriter& game) {
    TempFolder folder;
    EXPECT_TRUE(WriteGameInForm(game, folder / "game.win", GetParam()));
    std::vector<std::string> args = WithFormArguments({"-game", folder / "game.win"}, GetParam());
    Played played;
    played.run = RunRunner(args, {.workingDirectory = folder.path(), .timeoutSeconds = 30.0});
    std::istringstream in(played.run.output);
    for (std::string line; std::getline(in, line);) {
      if (!line.empty() && line[0] == '@') played.lines.push_back(line.substr(1));
    }
    return played;
  }
  void ExpectPlayed(const Played& played, const std::vector<std::string>& expected) {
    EXPECT_EQ(played.run.exitCode, 0) << played.run.output;
    EXPECT_FALSE(played.run.timedOut);
    std::string got, want;
    for (const std::string& line : played.lines) got += line + "\n";
    for (const std::string& line : expected) want += line + "\n";
    EXPECT_EQ(got, want) << played.run.output;
  }
};

TEST_P(MotionGame, BallBouncesBetweenTwoWalls) {
  GameDataWriter game = NewGame();
  game.objects.push_back(MakeObject(
      "obj_ball",
      {{kCreate, 0, {"hspeed = 4; global.n = 0;"}},
       {kStep, kStepBegin, {"global.n += 1; if (global.n > 40) game_end();"}},
       {kCollision, 1, {"move_bounce_solid(false);" + Report("bounce", {"global.n", "x", "hspeed"})}}},
      0));
  game.objects.push_back(MakeObject("obj_wall", {}, 0, true));
  // Walls at 0 and 96: the ball runs between x = 16 and x = 80.
  AddRoom(game, {{32, 0, 0, 100001, {""}}, {0, 0, 1, 100002, {""}}, {96, 0, 1, 100003, {""}}});
  ExpectPlayed(PlayGame(game), {"bounce 13 80 -4", "bounce 29 16 4"});
}

TEST_P(MotionGame, GridPathLeadsAroundAWallAndIsFollowedToItsEnd) {
  GameDataWriter game = NewGame();
  const std::string plan =
      "grid = mp_grid_create(0, 0, 10, 10, 16, 16); mp_grid_add_instances(grid, obj_wall, false);"
      "p = path_add(); ok = mp_grid_path(grid, p, 8, 8, 152, 8, false);"
      "blocked = 0; for (i = 0; i < path_get_number(p); i += 1) {"
      "  if (collision_point(path_get_point_x(p, i), path_get_point_y(p, i), obj_wall, false, false) != noone)"
      "    blocked += 1; }" +
      Report("planned", {"ok", "path_get_number(p)", "blocked", "path_get_point_x(p, path_get_number(p) - 1)"}) +
      "path_start(p, 4, 0, true); hits = 0; steps = 0;" + Report("started", {"path_index == p", "x", "y"}) +
      "missing = mp_grid_path(grid + 5, p, 8, 8, 152, 8, false);" +
      Report("bad grid", {"missing"});
  game.objects.push_back(MakeObject(
      "obj_walker",
      {{kCreate, 0, {plan}},
       {kStep, kStepEnd,
        {"steps += 1; if (collision_point(x, y, obj_wall, false, false) != noone) hits += 1;"
         "if (path_index == -1 || steps > 500) {" +
         Report("arrived", {"x", "y", "hits", "steps > 500"}) + " game_end(); }"}}},
      -1));
  game.objects.push_back(MakeObject("obj_wall", {}, 0, true));
  std::vector<Instance> instances = {{8, 8, 0, 100001, {""}}};
  // A wall down column 5 (x 80..95), open only in the bottom row.
  for (int32_t row = 0; row < 9; ++row) instances.push_back({80, row * 16, 1, 100010 + row, {""}});
  AddRoom(game, instances, 160, 160);
  ExpectPlayed(PlayGame(game), {"planned 1 28 0 152", "started 1 8 8", "bad grid 0", "arrived 152 8 0 0"});
}

TEST_P(MotionGame, InstanceChangeKeepsTheVariablesAndTheRestOfTheStep) {
  GameDataWriter game = NewGame();
  game.objects.push_back(MakeObject(
      "obj_egg", {{kCreate, 0, {"v = 5;"}},
                  {kDestroy, 0, {Say("egg destroyed")}},
                  {kStep, kStepNormal, {"v += 1; instance_change(obj_bird, true);" + Report("changed", {"object_index"})}},
                  {kStep, kStepEnd, {Say("egg end step")}}}));
  game.objects.push_back(MakeObject(
      "obj_bird", {{kCreate, 0, {Report("bird create", {"v"})}},
                   {kStep, kStepEnd, {Report("bird end step", {"v", "instance_number(obj_egg)"}) +
                                      "instance_change(obj_egg, false); instance_change(77, true);" +
                                      Report("quietly", {"object_index", "v"}) + " game_end();"}}}));
  AddRoom(game, {{0, 0, 0, 100001, {""}}});
  const Played played = PlayGame(game);
  ExpectPlayed(played, {"egg destroyed", "bird create 6", "changed 1", "bird end step 6 0", "quietly 0 6"});
  EXPECT_NE(played.run.output.find("Asking to change into non-existing object: 77"), std::string::npos);
}

TEST_P(MotionGame, DeactivatedInstancesSitOutUntilActivated) {
  GameDataWriter game = NewGame();
  const std::string counts =
      "global.w = 0; with (obj_thing) global.w += 1; global.a = 0; with (all) global.a += 1;";
  game.objects.push_back(MakeObject(
      "obj_control",
      {{kStep, kStepBegin,
        {"global.n += 1;"
         "if (global.n == 1) { instance_deactivate_object(obj_thing);" + counts +
         Report("off", {"global.w", "global.a", "instance_number(obj_thing)", "instance_exists(100002)",
                        "instance_find(obj_thing, 0)", "collision_point(40, 0, obj_thing, false, false)"}) +
         "}"
         "if (global.n == 2) { instance_activate_object(obj_thing);" + counts +
         Report("on", {"global.w", "global.a", "instance_number(obj_thing)"}) +
         "}"
         "if (global.n == 3) { instance_deactivate_region(0, 0, 40, 40, true, true);" + counts +
         Report("region", {"global.w", "global.a"}) +
         "instance_deactivate_all(true);" + counts + Report("all but me", {"global.w", "global.a"}) +
         "instance_activate_region(0, 0, 200, 200, true);" + counts + Report("back", {"global.w", "global.a"}) + "}"
         "if (global.n == 4) game_end();"}},
       {kCreate, 0, {"global.n = 0;"}}}));
  game.objects.push_back(MakeObject("obj_thing", {{kStep, kStepNormal, {Report("thing step", {"global.n", "x"})}}}, 0));
  // The control stands in the region without a shape: it counts by its position.
  AddRoom(game, {{10, 10, 0, 100001, {""}}, {40, 0, 1, 100002, {""}}, {120, 0, 1, 100003, {""}}});
  ExpectPlayed(PlayGame(game), {"off 0 1 0 1 -4 -4", "on 2 3 2", "thing step 2 40", "thing step 2 120",
                                "region 1 2", "all but me 0 1", "back 2 3", "thing step 3 40", "thing step 3 120"});
}

TEST_P(MotionGame, BuiltinEdgeCases) {
  GameDataWriter game = NewGame();
  const std::string code =
      "if (global.done) { " + Say("next step") + " game_end(); exit; }"
      "x = 32.0005; a = place_snapped(16, 16); x = 32.01; b = place_snapped(16, 16); c = place_snapped(0, 0);" +
      Report("snapped", {"a", "b", "c"}) +
      "x = -1; y = 5; move_wrap(true, false, 0);" + Report("wrapped", {"x", "y"}) +
      "x = 100; y = 100; sprite_index = spr_block;" +
      Report("distances", {"distance_to_object(self)", "distance_to_object(all)", "distance_to_point(105, 105)",
                           "distance_to_point(119, 100)"}) +
      "sprite_index = -1; ok = 1; repeat (20) { move_random(32, 32);"
      "  if (x mod 32 != 0 || y mod 32 != 0 || x < 0 || x > 608 || y < 0 || y > 448) ok = 0; }" +
      Report("random", {"ok"}) +
      Report("rooms", {"room_previous(0)", "room_next(1)", "room_next(0)", "room_previous(1)", "room_next(99)"}) +
      Report("finds", {"instance_find(id, 0) == id", "instance_find(id, 1)", "instance_create(0, 0, \"a\")"}) +
      "n = instance_create(0, 0, 1.9);" + Report("made", {"n.object_index"}) +
      Report("load", {"game_load(\"nofile\")", "game_load(5)", "game_save(\"s.sav\")", "game_load(\"game.win\")"}) +
      "q = mp_linear_path(77, 10, 10, 4, false); path_end();" + Report("path", {"q", "path_index"}) +
      "x = 0; y = 0; sprite_index = spr_block; solid = false;" +
      Report("points", {"collision_point(3, 3, all, false, true)", "collision_point(3, 3, all, false, false) == id",
                        "position_empty(3, 3)", "position_empty(300, 3)", "position_meeting(3, 3, self)",
                        "instance_position(3, 3, obj_probe) == id"}) +
      "motion_set(90, 5);" + Report("motion", {"vspeed"}) + "motion_add(0, 5);" + Report("added", {"hspeed", "vspeed"}) +
      "move_towards_point(0, 100, 2);" + Report("towards", {"hspeed", "vspeed", "direction"}) +
      "x = 23; y = 9; move_snap(10, 10);" + Report("snap", {"x", "y"}) +
      "v = 7; c = instance_copy(false);" + Report("copy", {"c.v", "c.x", "c.object_index", "c > id",
                                                            "instance_number(obj_probe)"}) +
      "global.done = 1;";
  game.objects.push_back(MakeObject("obj_probe", {{kCreate, 0, {"global.done = 0;"}}, {kStep, kStepNormal, {code}}}));
  game.objects.push_back(MakeObject("obj_made", {}));
  AddRoom(game, {{0, 0, 0, 100001, {""}}});
  AddRoom(game, {});
  const Played played = PlayGame(game);
  ExpectPlayed(played, {"snapped 1 0 1", "wrapped 639 5", "distances 1000000 1000000 0 4", "random 1",
                        "rooms -1 -1 1 0 -1", "finds 1 -4 -1", "made 1", "load 0 -1 -1 1", "path 0 -1",
                        "points -4 1 0 1 1 1", "motion -5", "added 5 -5", "towards 0 2 270", "snap 20 10",
                        "copy 7 20 0 1 2", "next step"});
  EXPECT_NE(played.run.output.find("instance_create( ) error: Illegal type"), std::string::npos);
  EXPECT_NE(played.run.output.find("game_load - unable to find file nofile"), std::string::npos);
  EXPECT_NE(played.run.output.find("Trying to assign to a non-existing path."), std::string::npos);
}

// Instances moved by a script their step event calls through another: built-ins, the room's
// size and their own variables (strings among them) read, compared and stored, in a room
// with a view.
TEST_P(MotionGame, StepScriptsMoveEveryInstance) {
  GameDataWriter game = NewGame();
  game.scripts.push_back(
      {"scr_move",
       {"n += 1; x += hspeed + sp + 1; if (x > room_width) x = 0; y += 2;"
        "if (y >= room_height) y = 0; depth = -y; if (tag == \"odd\") m += 1;"
        "if (n >= k) tag += \"!\"; if (other.n != n) m = -100;"}});
  game.scripts.push_back({"scr_step", {"scr_move(); return n;"}});
  game.objects.push_back(MakeObject(
      "obj_mover",
      {{kCreate, 0,
        {"n = 0; m = 0; k = 18; sp = id - 100001; tag = \"even\"; if (id mod 2) tag = \"odd\";"}},
       {kStep, kStepNormal, {"if (scr_step() != n) m = -1000;"}}}));
  game.objects.push_back(MakeObject(
      "obj_counter",
      {{kCreate, 0, {"t = 0;"}},
       {kStep, kStepEnd,
        {"t += 1; if (t == 20) { sx = 0; sy = 0; sd = 0; sn = 0; sl = 0; sm = 0;"
         "with (obj_mover) { other.sx += x; other.sy += y; other.sd += depth; other.sn += n;"
         "other.sl += string_length(tag); other.sm += m; }" +
         Report("moved", {"sx", "sy", "sd", "sn", "sl", "sm"}) + " game_end(); }"}}}));
  AddRoom(game,
          {{630, 0, 0, 100001, {""}}, {630, 0, 0, 100002, {""}}, {630, 0, 0, 100003, {""}},
           {0, 0, 1, 100004, {""}}},
          640, 30);
  game.rooms.back().enableViews = true;
  game.rooms.back().views.push_back({1, 0, 0, 320, 30, 0, 0, 320, 30, 32, 32, -1, -1, -1});
  // x wraps to 0 after 11, 6 and 4 steps of 1, 2 and 3 and goes on; y after 15 steps of 2;
  // the odd ones count 18 steps before their tag grows.
  ExpectPlayed(PlayGame(game), {"moved 85 30 -30 60 19 36"});
}

INSTANTIATE_GAME_FORMS(MotionGame);

}  // namespace
