// Whole games in rooms with a physics world, in every form of the game: a body
// falling under gravity, sub-steps, collision events on both instances, a motor turning a
// revolute joint, a static box stopping a ball, bad input answered with reports while the game
// runs on, and worlds that go while their instances keep bodies. Results are compared with
// tolerances: Box2D versions differ in their last digits. Each game reports through
// show_debug_message lines starting with "@".
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "support/game_data_writer.h"
#include "support/game_forms.h"
#include "support/runner_process.h"

namespace {

using gamedata::Event;
using gamedata::Object;
using gamedata::Room;

constexpr int32_t kCreate = 0, kStep = 3, kCollision = 4, kStepEnd = 2;

std::string Report(const std::string& text, const std::vector<std::string>& values) {
  std::string code = "show_debug_message(\"@" + text + "\"";
  for (const std::string& value : values) code += " + \" \" + string(" + value + ")";
  return code + ");";
}

Object MakeObject(const std::string& name, std::vector<Event> events) {
  Object object;
  object.name = name;
  object.events = std::move(events);
  return object;
}

// A game whose scripts build bodies: scr_body(shape, size, density) makes a fixture (circle of
// radius size, or a square box of half size size), binds it through scr_bind and deletes it.
GameDataWriter PhysicsGame() {
  GameDataWriter game;
  game.header.lastInstanceId = 100100;
  game.scripts.push_back({"scr_bind", {"physics_fixture_bind(argument0, argument1); physics_fixture_delete(argument0);"}});
  game.scripts.push_back(
      {"scr_body",
       {"f = physics_fixture_create();"
        "if (argument0 == 0) physics_fixture_set_circle_shape(f, argument1);"
        "else physics_fixture_set_box_shape(f, argument1, argument1);"
        "physics_fixture_set_density(f, argument2); scr_bind(f, id);"}});
  return game;
}

// One room of 640 x 480 with a physics world: gravity (0, 10), 0.1 metres per pixel.
void AddPhysicsRoom(GameDataWriter& game, std::vector<gamedata::Instance> instances, int32_t speed = 30,
                    const std::string& creationCode = "") {
  Room room;
  room.name = "rm_" + std::to_string(game.rooms.size());
  room.speed = speed;
  room.physicsWorld = true;
  room.gravityX = 0;
  room.gravityY = 10;
  room.pixelsToMetres = 0.1f;
  room.creationCode = {creationCode};
  room.instances = std::move(instances);
  game.rooms.push_back(room);
}

class PhysicsGameTest : public ::testing::TestWithParam<GameForm> {
 protected:
  RunnerResult Play(const GameDataWriter& game, std::vector<std::string>& lines) {
    TempFolder folder;
    EXPECT_TRUE(WriteGameInForm(game, folder / "game.win", GetParam()));
    std::vector<std::string> args = WithFormArguments({"-game", folder / "game.win"}, GetParam());
    RunnerResult run = RunRunner(args, {.workingDirectory = folder.path(), .timeoutSeconds = 60.0});
    lines = SaidLines(run.output);
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_FALSE(run.timedOut);
    return run;
  }
};

// A ball dropped for 30 frames: semi-implicit Euler gives g dt^2 n(n + 1) / 2 metres, 51.67
// pixels at 30 steps of 1/30 s, and 50.83 pixels at 60 steps of 1/60 s (update speed twice
// the room speed); the body and the instance agree on the position.
TEST_P(PhysicsGameTest, DroppedBallFallsAsTheStepsIntegrate) {
  for (const auto& [speedCode, expected] :
       {std::pair<std::string, double>{"", 51.667}, {"physics_world_update_speed(60);", 50.833}}) {
    GameDataWriter game = PhysicsGame();
    game.objects.push_back(MakeObject(
        "obj_ball", {{kCreate, 0, {"scr_body(0, 8, 1); y0 = y; frames = 0;"}},
                     {kStep, kStepEnd,
                      {"frames += 1; if (frames == 30) {" +
                       Report("fall", {"y - y0", "phy_position_y - y", "image_angle", "phy_dynamic", "phy_mass > 0"}) +
                       "game_end(); }"}}}));
    AddPhysicsRoom(game, {{320, 100, 0, 100001, {""}}}, 30, speedCode);
    std::vector<std::string> lines;
    const RunnerResult run = Play(game, lines);
    ASSERT_EQ(lines.size(), 1u) << run.output;
    const std::vector<double> v = SaidNumbers(lines[0]);
    ASSERT_EQ(v.size(), 5u) << lines[0];
    EXPECT_NEAR(v[0], expected, 0.05) << speedCode;
    EXPECT_NEAR(v[1], 0.0, 0.01);
    EXPECT_EQ(v[2], 0.0);
    EXPECT_EQ(v[3], 1.0);
    EXPECT_EQ(v[4], 1.0);
  }
}

// Two balls, the static bottom one bound first (its fixture is the contact's A), the top one
// falling onto it: both get the collision event in the same frame, A's instance first, each
// with the other as "other"; contact points are answered only inside the event.
TEST_P(PhysicsGameTest, CollisionRaisesTheEventOnBothInstancesFirstFixtureFirst) {
  GameDataWriter game = PhysicsGame();
  const std::string hit = "if (!reported) { reported = true;" +
                          Report("hit", {"object_get_name(object_index)", "object_get_name(other.object_index)",
                                         "global.frame", "phy_collision_points > 0"}) +
                          "}";
  game.objects.push_back(MakeObject(
      "obj_top", {{kCreate, 0, {"with (obj_bottom) scr_body(0, 8, 0); scr_body(0, 8, 1); reported = false;"
                                "global.frame = 0;"}},
                  {kStep, kStepEnd,
                   {"global.frame += 1; if (global.frame == 45) {" + Report("outside", {"phy_collision_points"}) +
                    "game_end(); }"}},
                  {kCollision, 1, {hit}}}));
  game.objects.push_back(MakeObject("obj_bottom", {{kCreate, 0, {"reported = false;"}}, {kCollision, 0, {hit}}}));
  AddPhysicsRoom(game, {{320, 200, 1, 100002, {""}}, {320, 100, 0, 100001, {""}}});
  std::vector<std::string> lines;
  const RunnerResult run = Play(game, lines);
  ASSERT_EQ(lines.size(), 3u) << run.output;
  EXPECT_EQ(lines[0].rfind("hit obj_bottom obj_top ", 0), 0u) << lines[0];
  EXPECT_EQ(lines[1].rfind("hit obj_top obj_bottom ", 0), 0u) << lines[1];
  const std::vector<double> a = SaidNumbers(lines[0].substr(lines[0].rfind(" obj_") + 1));
  const std::vector<double> b = SaidNumbers(lines[1].substr(lines[1].rfind(" obj_") + 1));
  ASSERT_EQ(a.size(), 2u) << lines[0];
  ASSERT_EQ(b.size(), 2u) << lines[1];
  EXPECT_EQ(a[0], b[0]) << "both events in one frame";
  EXPECT_GT(a[0], 1.0);
  EXPECT_EQ(a[1], 1.0);
  EXPECT_EQ(b[1], 1.0);
  EXPECT_EQ(lines[2], "outside 0");
}

// A static box stops a falling ball on its top; the ball comes to rest there. The room has a
// view following the ball and a tile, as games' rooms do.
TEST_P(PhysicsGameTest, StaticBoxStopsAFallingBall) {
  GameDataWriter game = PhysicsGame();
  game.objects.push_back(MakeObject(
      "obj_ball", {{kCreate, 0, {"scr_body(0, 8, 1); frames = 0;"}},
                   {kStep, kStepEnd,
                    {"frames += 1; if (frames == 60) {" + Report("rest", {"y", "phy_speed_y"}) + "game_end(); }"}},
                   {kCollision, 1, {""}}}));
  game.objects.push_back(MakeObject("obj_ground", {{kCreate, 0, {"scr_body(1, 10, 0);"}}, {kCollision, 0, {""}}}));
  AddPhysicsRoom(game, {{320, 100, 0, 100001, {""}}, {320, 200, 1, 100002, {""}}});
  game.rooms[0].enableViews = true;
  game.rooms[0].views = {{1, 0, 0, 320, 240, 0, 0, 320, 240, 32, 32, -1, -1, 0}};
  game.rooms[0].tiles = {{0, 0, 0, 0, 0, 16, 16, 1000, 10000001}};
  std::vector<std::string> lines;
  const RunnerResult run = Play(game, lines);
  ASSERT_EQ(lines.size(), 1u) << run.output;
  const std::vector<double> v = SaidNumbers(lines[0]);
  ASSERT_EQ(v.size(), 2u);
  EXPECT_NEAR(v[0], 200.0 - 10.0 - 8.0, 1.0);
  EXPECT_NEAR(v[1], 0.0, 0.05);
}

// A wheel on a revolute joint to a static hub, its motor at 2 radians a second without
// gravity: after a second it has turned about 2 radians and image_angle follows with the sign
// reversed. The joint answers its values; switching the motor off lets the speed stay.
TEST_P(PhysicsGameTest, RevoluteJointMotorTurnsTheWheel) {
  GameDataWriter game = PhysicsGame();
  game.objects.push_back(MakeObject("obj_hub", {{kCreate, 0, {"scr_body(1, 4, 0);"}}}));
  game.objects.push_back(MakeObject(
      "obj_wheel",
      {{kCreate, 0, {"scr_body(0, 16, 1); frames = 0; j = -1;"}},
       // Joined in the first step, once every instance of the room has its body.
       {kStep, 1,
        {"if (j < 0) { j = physics_joint_revolute_create(obj_hub, id, x, y, 0, 0, false, 1000, 2, true, false);" +
         Report("joint", {"j"}) + "}"}},
       {kStep, kStepEnd,
        {"frames += 1; if (frames == 30) {" +
         Report("turned", {"physics_joint_get_value(j, phy_joint_angle)", "phy_rotation + image_angle",
                           "phy_angular_velocity", "physics_joint_get_value(j, phy_joint_max_motor_torque)"}) +
         "game_end(); }"}}}));
  AddPhysicsRoom(game, {{320, 240, 0, 100001, {""}}, {320, 240, 1, 100002, {""}}}, 30,
                 "physics_world_gravity(0, 0);");
  std::vector<std::string> lines;
  const RunnerResult run = Play(game, lines);
  ASSERT_EQ(lines.size(), 2u) << run.output;
  EXPECT_EQ(lines[0], "joint 1") << run.output;
  const std::vector<double> v = SaidNumbers(lines[1]);
  ASSERT_EQ(v.size(), 4u);
  EXPECT_NEAR(v[0], 2.0, 0.1);
  EXPECT_NEAR(v[1], 0.0, 0.01);
  EXPECT_NEAR(v[2], 2.0 * 180.0 / M_PI, 1.0);
  EXPECT_EQ(v[3], 0.0);
}

// Input Box2D would abort on, unknown ids and misuse: each answered with a report or the
// built-in's answer, and the game runs on to its end.
TEST_P(PhysicsGameTest, BadInputIsReportedAndTheGameRunsOn) {
  GameDataWriter game = PhysicsGame();
  const std::string code =
      "scr_body(0, 8, 1);"
      "b = physics_fixture_create(); physics_fixture_set_box_shape(b, 0, 5); physics_fixture_bind(b, id);"
      "physics_fixture_set_box_shape(b, -3, 5); physics_fixture_bind(b, id);"
      "physics_fixture_set_circle_shape(b, 0); physics_fixture_bind(b, id);"
      "physics_fixture_bind(12345, id); physics_fixture_set_density(999, 1);"
      "physics_fixture_bind(b, 199999);" +
      Report("self joint", {"physics_joint_distance_create(id, id, 0, 0, 1, 1, false)"}) +
      Report("limits", {"physics_joint_revolute_create(id, other_id, x, y, 30, -30, true, 0, 0, false, false)"}) +
      Report("pulley", {"physics_joint_pulley_create(id, other_id, 0, 0, 10, 0, 0, 0, 0, 0, 0, 50, 50, false)"}) +
      Report("axis", {"physics_joint_prismatic_create(id, other_id, x, y, 0, 0, 0, 10, true, 0, 0, false, false)"}) +
      Report("missing", {"physics_joint_revolute_create(id, 188888, x, y, 0, 0, false, 0, 0, false, false)"}) +
      Report("no joint", {"physics_joint_get_value(77, 0)"}) +
      "physics_joint_enable_motor(77, 1); physics_joint_delete(77);" +
      Report("gear", {"physics_joint_gear_create(id, other_id, 77, 78, 1)"}) +
      "physics_mass_properties(1, 100, 0, 0.5);"
      "p = physics_fixture_create(); physics_fixture_set_polygon_shape(p);"
      "physics_fixture_add_point(p, 0, 0); physics_fixture_add_point(p, 0, 10);"
      "physics_fixture_add_point(p, 10, 0);" +
      Report("alive", {"phy_dynamic"}) + "game_end();";
  game.objects.push_back(MakeObject("obj_other", {{kCreate, 0, {"scr_body(1, 8, 0); global.partner = id;"}}}));
  game.objects.push_back(MakeObject(
      "obj_probe", {{kCreate, 0, {"done = 0;"}},
                    {kStep, 1, {"if (done == 0) { done = 1; other_id = global.partner;" + code + "}"}}}));
  AddPhysicsRoom(game, {{100, 100, 0, 100001, {""}}, {320, 240, 1, 100002, {""}}});
  std::vector<std::string> lines;
  const RunnerResult run = Play(game, lines);
  EXPECT_EQ(lines, (std::vector<std::string>{"self joint -1", "limits -1", "pulley -1", "axis -1", "missing -1",
                                             "no joint 0", "gear -1", "alive 1"}))
      << run.output;
  for (const char* message :
       {"The box shape of fixture", "needs a width and a height greater than 0",
        "The circle shape of fixture", "The physics fixture does not exist", "  is not valid.",
        "physics_joint_distance_create: A joint needs the bodies of two different instances",
        "physics_joint_revolute_create: The lower limit is greater than the upper limit",
        "physics_joint_pulley_create: The ratio of a pulley joint must be greater than 0",
        "physics_joint_prismatic_create: The axis of a prismatic joint needs a length",
        "Unable to find instance: 188888", "A joint does not exist",
        "The inertia of a body must be greater than its mass",
        "is concave or ordered anti-clockwise"}) {
    EXPECT_NE(run.output.find(message), std::string::npos) << message << "\n" << run.output;
  }
}

// Polygons whose points make no shape (three on one line, three welded into one corner) are
// refused before Box2D sees them with a report of what is wrong, and the game goes on: the
// instance takes a good shape afterwards.
TEST_P(PhysicsGameTest, PolygonWithoutAreaIsRefusedWithWhatIsWrong) {
  GameDataWriter game = PhysicsGame();
  game.scripts.push_back({"scr_polygon",
                          {"p = physics_fixture_create(); physics_fixture_set_polygon_shape(p);"
                           "physics_fixture_add_point(p, argument0, 0); physics_fixture_add_point(p, argument1, 0);"
                           "physics_fixture_add_point(p, argument2, argument3); scr_bind(p, id); return p;"}});
  game.objects.push_back(MakeObject(
      "obj_line", {{kCreate, 0,
                    {"a = scr_polygon(0, 10, 20, 0); b = scr_polygon(0, 0.001, 0, 0.001); scr_body(1, 8, 1);" +
                     Report("after", {"phy_dynamic", "a", "b"}) + "game_end();"}}}));
  AddPhysicsRoom(game, {{100, 100, 0, 100001, {""}}});
  std::vector<std::string> lines;
  const RunnerResult run = Play(game, lines);
  EXPECT_EQ(lines, (std::vector<std::string>{"after 1 1 2"})) << run.output;
  EXPECT_EQ(run.output.find("Too few vertices"), std::string::npos) << run.output;
  for (const char* message : {"The polygon shape of fixture 1 for obj_line has no area: its points lie on one line",
                              "The polygon shape of fixture 2 for obj_line has no area: its points lie too close together"}) {
    EXPECT_NE(run.output.find(message), std::string::npos) << message << "\n" << run.output;
  }
}

// A polygon of fewer than three points still ends the game with the fatal report naming the
// object, without an abort (the event's code runs to its end first, as after any fatal error).
TEST_P(PhysicsGameTest, PolygonOfTwoPointsEndsTheGameWithTheReport) {
  GameDataWriter game = PhysicsGame();
  game.objects.push_back(MakeObject(
      "obj_line", {{kCreate, 0,
                    {"p = physics_fixture_create(); physics_fixture_set_polygon_shape(p);"
                     "physics_fixture_add_point(p, 0, 0); physics_fixture_add_point(p, 10, 0);"
                     "physics_fixture_bind(p, id);" +
                     Report("after", {"1"})}}}));
  AddPhysicsRoom(game, {{100, 100, 0, 100001, {""}}});
  TempFolder folder;
  ASSERT_TRUE(WriteGameInForm(game, folder / "game.win", GetParam()));
  std::vector<std::string> args = WithFormArguments({"-game", folder / "game.win"}, GetParam());
  const RunnerResult run = RunRunner(args, {.workingDirectory = folder.path(), .timeoutSeconds = 60.0});
  EXPECT_FALSE(run.timedOut);
  EXPECT_LT(run.exitCode, 128) << run.output;
  EXPECT_NE(run.output.find("FATAL ERROR"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("Too few vertices in polygon shape fixture for obj_line"), std::string::npos)
      << run.output;
}

// A world scale that is not a positive number (0, below 0, beyond single precision) is refused
// with a report, in a room with a world and in one without: the world keeps its scale and the
// ball falls as at 0.1 metres per pixel; the room without a world still has none.
TEST_P(PhysicsGameTest, WorldScaleMustBeAPositiveNumber) {
  GameDataWriter game = PhysicsGame();
  game.scripts.push_back(
      {"scr_scales", {"physics_world_create(0); physics_world_create(-0.1); physics_world_create(power(10, 39));"}});
  game.objects.push_back(MakeObject(
      "obj_ball", {{kCreate, 0, {"scr_scales(); scr_body(0, 8, 1); y0 = y; frames = 0;"}},
                   {kStep, kStepEnd,
                    {"frames += 1; if (frames == 30) {" + Report("fall", {"y - y0", "phy_position_y - y"}) +
                     "room_goto_next(); }"}}}));
  game.objects.push_back(MakeObject(
      "obj_plain", {{kCreate, 0, {"scr_scales(); physics_world_gravity(0, 5);" + Report("plain", {"1"}) +
                                  "game_end();"}}}));
  AddPhysicsRoom(game, {{320, 100, 0, 100001, {""}}});
  Room plain;
  plain.name = "rm_plain";
  plain.instances = {{0, 0, 1, 100002, {""}}};
  game.rooms.push_back(plain);
  std::vector<std::string> lines;
  const RunnerResult run = Play(game, lines);
  ASSERT_EQ(lines.size(), 2u) << run.output;
  const std::vector<double> v = SaidNumbers(lines[0]);
  ASSERT_EQ(v.size(), 2u) << lines[0];
  EXPECT_NEAR(v[0], 51.667, 0.05);
  EXPECT_NEAR(v[1], 0.0, 0.01);
  EXPECT_EQ(lines[1], "plain 1");
  size_t refusals = 0;
  for (size_t at = 0; (at = run.output.find("physics_world_create: The scale must be a number of metres per pixel "
                                            "greater than 0", at)) != std::string::npos; ++at) {
    ++refusals;
  }
  EXPECT_EQ(refusals, 6u) << run.output;
  EXPECT_NE(run.output.find("The current room does not have a physics world representation"), std::string::npos)
      << run.output;
}

// A persistent room's world is kept while the game is elsewhere and goes at game end while
// its instances keep their bodies; a plain room's world goes at the room change. Nothing is
// left dangling (the sanitizer build runs this too).
TEST_P(PhysicsGameTest, WorldsGoWhileTheirInstancesKeepBodies) {
  GameDataWriter game = PhysicsGame();
  game.objects.push_back(MakeObject(
      "obj_ball", {{kCreate, 0, {"scr_body(0, 8, 1); frames = 0; global.visits = 0;"}},
                   {kStep, kStepEnd, {"frames += 1; if (frames == 3 || frames == 6) room_goto_next();"}}}));
  game.objects.push_back(MakeObject(
      "obj_back", {{kCreate, 0, {"scr_body(0, 8, 1); global.visits += 1; frames = 0;"}},
                   {kStep, kStepEnd,
                    {"frames += 1; if (frames == 3) { if (global.visits < 2) room_goto_previous(); else {" +
                     Report("done", {"global.visits"}) + "game_end(); } }"}}}));
  AddPhysicsRoom(game, {{320, 100, 0, 100001, {""}}});
  game.rooms[0].persistent = true;
  AddPhysicsRoom(game, {{320, 100, 1, 100003, {""}}});
  std::vector<std::string> lines;
  const RunnerResult run = Play(game, lines);
  EXPECT_EQ(lines, (std::vector<std::string>{"done 2"})) << run.output;
}

INSTANTIATE_GAME_FORMS(PhysicsGameTest);

}  // namespace
