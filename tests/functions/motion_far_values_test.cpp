// The motion, planning and collision built-ins called for an instance at a place that is not a
// number or is infinite, or with such goals, speeds and distances: each returns, the planners
// answer as for a goal they cannot get nearer to, and nothing grows without limit (the sanitizer
// build reports any undefined behaviour on the way).
#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <string>
#include <vector>

#include "data/paths.h"
#include "data/rooms.h"
#include "functions/builtin_by_name.h"
#include "functions/registry.h"
#include "runner/instance.h"
#include "runner/motion_planning.h"
#include "runner/room_start.h"
#include "script/function_table.h"
#include "support/game_data_writer.h"
#include "support/game_forms.h"
#include "support/in_process_game.h"
#include "support/runner_process.h"

namespace {

constexpr double kNaN = NAN;
constexpr double kInf = INFINITY;
constexpr int32_t kMoverObject = 0, kWallObject = 1;
constexpr int32_t kPath = 0;
constexpr double kAll = -3;

// A 640 x 480 room: a 16 x 16 mover at (100, 100) and a solid wall at (300, 100); one path.
GameDataWriter MoverGame() {
  GameDataWriter game;
  AddBoxSprite(game);
  gamedata::Object mover, wall;
  mover.name = "obj_mover";
  mover.sprite = 0;
  wall.name = "obj_wall";
  wall.sprite = 0;
  wall.solid = true;
  game.objects = {mover, wall};
  gamedata::Path path;
  path.name = "pth_plan";
  game.paths.push_back(path);
  gamedata::Room room;
  room.name = "rm_far";
  room.instances.push_back({100, 100, kMoverObject, 100001, {""}});
  room.instances.push_back({300, 100, kWallObject, 100002, {""}});
  game.header.lastInstanceId = 100002;
  game.rooms.push_back(room);
  return game;
}

class MotionFarValues : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(game_.Load(MoverGame()) && game_.Start());
    // Loading registers the built-ins once a process; a test before may have cleared them.
    if (Function_Count() == 0) Functions_RegisterAll();
    MP_PotentialSettings(30.0f, 10.0f, 3.0f, true);  // the settings a game starts with
    for (CInstance* at = Run_CurrentRoom()->active.first; at != nullptr; at = at->next) {
      if (at->object_index == kMoverObject) mover_ = at;
    }
    ASSERT_NE(mover_, nullptr);
  }

  // Puts the mover at (x, y) at rest and calls the built-in for it.
  ScriptValue CallAt(float x, float y, const char* name, std::initializer_list<ScriptValue> args) {
    mover_->SetPosition(x, y);
    mover_->SetSpeed(0.0f);
    mover_->SetDirection(0.0f);
    ScriptValue result;
    EXPECT_TRUE(Builtin_CallByName(name, result, mover_, mover_, args)) << name;
    return result;
  }

  InProcessGame game_;
  CInstance* mover_ = nullptr;
};

ScriptValue R(double value) { return ScriptValue::Real(value); }

struct PlannerCase {
  const char* label;
  float x, y;  // the mover's place
  const char* name;
  std::vector<double> args;
  int32_t points;  // in the path afterwards
};

TEST_F(MotionFarValues, PlannersAnswerNoPathAndStopGrowingThePath) {
  const float nan = NAN, inf = INFINITY;
  const PlannerCase cases[] = {
      // Refused before the path is touched: it keeps the points it was loaded with.
      {"linear with NaN steps", 100, 100, "mp_linear_path", {kPath, 200, 40, kNaN, 0}, 0},
      {"linear from NaN", nan, nan, "mp_linear_path", {kPath, 200, 100, 4, 0}, 1},
      {"linear from NaN, all", nan, 100, "mp_linear_path", {kPath, 200, 100, 4, 1}, 2},
      {"linear object from NaN", nan, nan, "mp_linear_path_object", {kPath, 200, 100, 4, kWallObject}, 1},
      {"linear from infinity", inf, -inf, "mp_linear_path", {kPath, 200, 100, 4, 0}, 2},
      {"linear to NaN", 100, 100, "mp_linear_path", {kPath, kNaN, kNaN, 4, 0}, 2},
      {"linear to infinity", 100, 100, "mp_linear_path", {kPath, kInf, 100, 4, 0}, 3},
      // Moves on, in steps too short for so long a way, until its points are many.
      {"linear to the far end", 100, 20, "mp_linear_path", {kPath, 1e15, 20, 1, 0}, 10001},
      {"potential from NaN", nan, nan, "mp_potential_path", {kPath, 200, 100, 4, 2, 0}, 14},
      {"potential object from NaN", nan, nan, "mp_potential_path_object", {kPath, 200, 100, 4, 2, kWallObject}, 14},
      {"potential to infinity", 100, 100, "mp_potential_path", {kPath, -kInf, kNaN, 4, 1e300, 0}, 15},
  };
  for (const PlannerCase& c : cases) {
    SCOPED_TRACE(c.label);
    std::vector<ScriptValue> args;
    for (double a : c.args) args.push_back(R(a));
    mover_->SetPosition(c.x, c.y);
    ScriptValue result;
    int32_t id = -1;
    ASSERT_TRUE(Function_Find(c.name, id));
    ASSERT_TRUE(Function_Call(id, result, mover_, mover_, static_cast<int>(args.size()), args.data()));
    EXPECT_EQ(result.real, 0.0);
    EXPECT_EQ(Path_Data(kPath)->GetNumber(), c.points);
    // The planner puts the mover back where it stood.
    EXPECT_TRUE(std::isnan(c.x) ? std::isnan(mover_->x) : mover_->x == c.x);
  }
  // A goal it can reach is still reached, however the call before it ended.
  EXPECT_EQ(CallAt(100, 300, "mp_linear_path", {R(kPath), R(200), R(300), R(4), R(0)}).real, 1.0);
  EXPECT_EQ(Path_Data(kPath)->GetNumber(), 26);
}

TEST_F(MotionFarValues, MovesAndQueriesReturnAtPlacesThatAreNotNumbers) {
  const float nan = NAN, inf = INFINITY;
  struct Call {
    float x, y;
    const char* name;
    std::vector<double> args;
  };
  const Call calls[] = {
      {nan, nan, "mp_linear_step", {200, 100, 4, 0}},
      {nan, nan, "mp_potential_step", {200, 100, 4, 1}},
      {100, 100, "mp_linear_step_object", {kNaN, kInf, kInf, kWallObject}},
      {100, 100, "mp_potential_step_object", {-kInf, kNaN, 1e300, kWallObject}},
      // Each steps one pixel at a time, up to the greatest distance 32 bits hold.
      {nan, nan, "move_contact_solid", {0, 1e300}},
      {nan, 100, "move_contact_all", {kNaN, -1}},
      {16777000, 100, "move_contact_solid", {0, kInf}},
      {100, 100, "move_contact_all", {kNaN, kInf}},
      {nan, nan, "move_outside_solid", {90, kInf}},
      {300, 100, "move_outside_all", {kInf, 1e300}},
      {300, 100, "move_outside_solid", {0, kInf}},
      {nan, nan, "move_contact", {0}},
      {inf, -inf, "move_contact", {kNaN}},
      {nan, nan, "move_bounce_solid", {1}},
      {nan, nan, "move_bounce_all", {0}},
      {inf, inf, "move_towards_point", {kNaN, kInf, 1e300}},
      {nan, nan, "motion_add", {kInf, kNaN}},
      {nan, nan, "motion_set", {kNaN, -kInf}},
      {nan, nan, "move_random", {kNaN, kInf}},
      {nan, nan, "move_snap", {1e300, kNaN}},
      {nan, nan, "place_snapped", {1e300, kNaN}},
      {nan, nan, "move_wrap", {1, 1, kNaN}},
      {inf, -inf, "move_wrap", {1, 1, kInf}},
      {nan, nan, "place_free", {kNaN, kInf}},
      {nan, nan, "place_empty", {-kInf, 1e300}},
      {nan, nan, "place_meeting", {kNaN, kNaN, kAll}},
      {nan, nan, "instance_place", {kInf, kNaN, kAll}},
      {nan, nan, "instance_position", {kNaN, kInf, kAll}},
      {nan, nan, "instance_nearest", {kNaN, kNaN, kAll}},
      {nan, nan, "instance_furthest", {kInf, kNaN, kAll}},
      {nan, nan, "distance_to_point", {kNaN, kInf}},
      {nan, nan, "distance_to_object", {kAll}},
      {nan, nan, "collision_point", {kNaN, kInf, kAll, 1, 0}},
      {nan, nan, "collision_rectangle", {-kInf, kNaN, kInf, 1e300, kAll, 1, 0}},
      {nan, nan, "collision_ellipse", {kNaN, -1e300, kInf, kNaN, kAll, 1, 1}},
      {nan, nan, "collision_circle", {kNaN, kNaN, kInf, kAll, 1, 0}},
      {100, 100, "collision_circle", {100, 100, 1e300, kAll, 1, 0}},
      {nan, nan, "collision_line", {-kInf, -kInf, kInf, kNaN, kAll, 1, 0}},
      {100, 100, "collision_line", {-1e300, 100, 1e300, 100, kAll, 0, 0}},
      {nan, nan, "point_distance", {kNaN, kInf, -kInf, 1e300}},
      {nan, nan, "point_direction", {kNaN, kInf, -kInf, 1e300}},
      {nan, nan, "path_start", {kPath, kNaN, 1, 0}},
      {nan, nan, "path_start", {kPath, kInf, 3, 1}},
      {nan, nan, "path_end", {}},
      {nan, nan, "path_add_point", {kPath, kNaN, kInf, kNaN}},
      {nan, nan, "path_get_x", {kPath, kNaN}},
      {nan, nan, "path_get_point_x", {kPath, 1e300}},
      {nan, nan, "path_shift", {kPath, kInf, kNaN}},
      {nan, nan, "path_rotate", {kPath, kInf}},
      {nan, nan, "path_scale", {kPath, kNaN, 1e300}},
      {nan, nan, "path_set_precision", {kPath, kNaN}},
      {nan, nan, "mp_potential_settings", {kNaN, kNaN, kInf, 1}},
      {100, 100, "mp_potential_path", {kPath, 500, 100, 2, 4, 0}},
      {nan, nan, "mp_potential_settings", {30, 10, 3, 1}},
  };
  for (const Call& c : calls) {
    SCOPED_TRACE(c.name);
    std::vector<ScriptValue> args;
    for (double a : c.args) args.push_back(R(a));
    mover_->SetPosition(c.x, c.y);
    mover_->SetSpeed(0.0f);
    int32_t id = -1;
    ASSERT_TRUE(Function_Find(c.name, id));
    ScriptValue result;
    Function_Call(id, result, mover_, mover_, static_cast<int>(args.size()), args.data());
  }
}

TEST_F(MotionFarValues, GridsFarOutAndFarCellsKeepTheirPlaces) {
  // Column 1's cells lie beyond 32 bits; the way from column 0 goes round the two cells blocked
  // below the start, through their centres.
  const double grid = CallAt(100, 100, "mp_grid_create", {R(2147480000), R(0), R(2), R(3), R(3000), R(32)}).real;
  ASSERT_GE(grid, 0.0);
  CallAt(100, 100, "mp_grid_add_cell", {R(grid), R(0), R(1)});
  CallAt(100, 100, "mp_grid_add_cell", {R(grid), R(0), R(2)});
  EXPECT_EQ(
      CallAt(100, 100, "mp_grid_path", {R(grid), R(kPath), R(2147480100), R(10), R(2147483600), R(80), R(0)}).real,
      1.0);
  ASSERT_EQ(Path_Data(kPath)->GetNumber(), 4);
  EXPECT_FLOAT_EQ(Path_Data(kPath)->GetPoint(1).x, 2147484500.0f);
  EXPECT_FLOAT_EQ(Path_Data(kPath)->GetPoint(2).y, 48.0f);
  const double near = CallAt(100, 100, "mp_grid_create", {R(0), R(0), R(8), R(8), R(32), R(32)}).real;
  for (const std::vector<double>& box : {std::vector<double>{-kInf, kNaN, kInf, 1e300}, {kNaN, kNaN, kNaN, kNaN}}) {
    CallAt(100, 100, "mp_grid_add_rectangle", {R(near), R(box[0]), R(box[1]), R(box[2]), R(box[3])});
    CallAt(100, 100, "mp_grid_clear_rectangle", {R(near), R(box[0]), R(box[1]), R(box[2]), R(box[3])});
  }
  CallAt(NAN, NAN, "mp_grid_add_instances", {R(near), R(-1), R(1)});
  CallAt(INFINITY, -INFINITY, "mp_grid_add_instances", {R(near), R(kAll), R(0)});
  CallAt(100, 100, "mp_grid_add_cell", {R(near), R(kNaN), R(kInf)});
  EXPECT_EQ(CallAt(100, 100, "mp_grid_path", {R(near), R(kPath), R(kNaN), R(kInf), R(-kInf), R(1e300), R(1)}).real,
            0.0);
  EXPECT_EQ(CallAt(100, 100, "mp_grid_path", {R(near), R(kPath), R(16), R(16), R(240), R(16), R(1)}).real, 1.0);
}

// In a game: an instance at x = NaN plans a straight path, is told there is none, and the game
// goes on to its next steps.
class MotionFarValuesGame : public ::testing::TestWithParam<GameForm> {};

TEST_P(MotionFarValuesGame, APlannerAtNaNAnswersNoPathAndTheGameGoesOn) {
  const std::string create =
      "p = path_add(); x = sqrt(-1); steps = 0;"
      "r = mp_linear_path(p, 200, 100, 4, false);"
      "show_debug_message(\"@linear \" + string(r) + \" \" + string(path_get_number(p)));"
      "r = mp_linear_path_object(p, 200, 100, 4, object_index);"
      "show_debug_message(\"@object \" + string(r) + \" \" + string(path_get_number(p)));"
      "r = mp_potential_path(p, 200, 100, 4, 2, true);"
      "show_debug_message(\"@potential \" + string(r));";
  const std::string step =
      "steps += 1; if (steps == 3) { show_debug_message(\"@steps \" + string(steps)); game_end(); }";
  GameDataWriter game = OneInstanceGame({{0, 0, {create}}, {3, 0, {step}}});
  TempFolder folder;
  ASSERT_TRUE(WriteGameInForm(game, folder / "game.win", GetParam()));
  const RunnerResult run = RunRunner(WithFormArguments({"-game", folder / "game.win"}, GetParam()));
  EXPECT_EQ(run.exitCode, 0) << run.output;
  const std::vector<std::string> expected = {"linear 0 2", "object 0 2", "potential 0", "steps 3"};
  EXPECT_EQ(SaidLines(run.output), expected) << run.output;
}

INSTANTIATE_GAME_FORMS(MotionFarValuesGame);

}  // namespace
