// Saved games played by the runner binary: a game saves (from a script called by a script),
// changes everything, loads and checks on the following step that all came back, in every form
// of the game, including a persistent room visited before the save and an instance
// carried between rooms; a second save after the load gives the same bytes. Damaged, foreign and
// missing files are refused and the running game goes on untouched. A room with a physics world
// plays on after a load as it did after the save, and a file from before worlds were saved
// still loads. The games report through show_debug_message lines starting with "@".
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support/game_data_writer.h"
#include "support/game_forms.h"
#include "support/runner_process.h"

namespace {

using gamedata::Event;
using gamedata::Object;
using gamedata::Room;

constexpr int32_t kCreate = 0, kStep = 3;
constexpr int32_t kStepBegin = 1;

std::vector<uint8_t> ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void WriteAll(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// The offset of the first byte that differs, or -1.
int64_t FirstDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
  for (size_t i = 0; i < std::min(a.size(), b.size()); ++i) {
    if (a[i] != b[i]) return static_cast<int64_t>(i);
  }
  return a.size() == b.size() ? -1 : static_cast<int64_t>(std::min(a.size(), b.size()));
}

Object MakeObject(const std::string& name, bool persistent, std::vector<Event> events) {
  Object object;
  object.name = name;
  object.persistent = persistent;
  object.events = std::move(events);
  return object;
}

// A marker file in the save area tells the controller which phase it is in (its own variables
// are part of the saved game and come back with it).
std::string Mark(const std::string& name) { return "file_text_close(file_text_open_write(\"" + name + "\"));"; }

// Objects: 0 the controller (persistent), 1 a thing of the main room, 2 an item of the kept
// room, 3 an object made only after the save. Rooms: 0 rm_keep (persistent, visited first),
// 1 rm_main (views, a background layer and tiles).
GameDataWriter SaveLoadGame() {
  GameDataWriter game;
  game.header.gameId = 4242;
  game.header.lastInstanceId = 100100;
  // The first save goes through a script that calls another.
  game.scripts.push_back({"scr_save", {"return scr_write(argument0);"}});
  game.scripts.push_back({"scr_write", {"return game_save(argument0);"}});
  gamedata::TimeLine line;
  line.name = "tl_far";
  line.moments = {{100000, {"x = 0;"}}};
  game.timeLines.push_back(line);

  const std::string report =
      "var t; t = instance_find(obj_thing, 0);"
      "show_debug_message(\"@g \" + string(global.g) + \" \" + global.name + \" score \" + string(score)"
      " + \" lives \" + string(lives) + \" health \" + string(health));"
      "show_debug_message(\"@things \" + string(instance_number(obj_thing)) + \" others \""
      " + string(instance_number(obj_other)) + \" room \" + string(room));"
      "show_debug_message(\"@thing \" + string(t.x) + \",\" + string(t.y) + \" speed \" + string(t.speed)"
      " + \" vspeed \" + string(t.vspeed) + \" \" + t.word + \" \" + string(t.list[2]) + \" alarm \""
      " + string(t.alarm[3]) + \" tl \" + string(t.timeline_index) + \" \" + string(t.timeline_position)"
      " + \" depth \" + string(t.depth));"
      "show_debug_message(\"@view \" + string(view_xview[0]) + \" \" + string(view_wport[0])"
      " + \" background \" + string(background_x[0]) + \" \" + string(background_visible[0])"
      " + \" colour \" + string(background_colour) + \" caption \" + room_caption);"
      "show_debug_message(\"@self \" + string(steps_seen) + \" \" + string(x));";

  const std::string controller =
      // First visit of the kept room: its item changes, then the main room.
      "if (room == rm_keep && !file_exists(\"a.sav\")) {"
      "  with (obj_item) kept = 5; room_goto(rm_main); exit; }"
      "if (room == rm_main && !file_exists(\"p1\")) {" + Mark("p1") +
      "  global.g = 7; global.name = \"seven\"; score = 11; lives = 3; health = 55;"
      "  var t; t = instance_create(50, 60, obj_thing); t.word = \"made\"; t.list[2] = 9;"
      "  t.speed = 3; t.direction = 90; t.alarm[3] = 40; t.depth = -5;"
      "  t.timeline_index = tl_far; t.timeline_running = true; t.timeline_position = 12;"
      "  with (obj_thing) if (id != t) x = 20;"
      "  view_xview[0] = 13; background_x[0] = 4; background_visible[0] = true;"
      "  background_colour = 255; room_caption = \"saved\"; steps_seen = 1; x = 8; exit; }"
      // The save comes a step later, at the same point of the step as the second save below.
      "if (room == rm_main && !file_exists(\"a.sav\")) { scr_save(\"a.sav\"); show_debug_message(\"@saved\"); exit; }"
      // After the save: leave, change the kept room's item, come back and change everything.
      "if (room == rm_main && !file_exists(\"p2\")) {" + Mark("p2") + " room_goto(rm_keep); exit; }"
      "if (room == rm_keep && !file_exists(\"p3\")) {" + Mark("p3") +
      "  with (obj_item) kept = 99; room_goto(rm_main); exit; }"
      "if (room == rm_main && !file_exists(\"p4\")) {" + Mark("p4") +
      "  global.g = 0; global.name = \"zero\"; score = 0; lives = 0; health = 1;"
      "  with (obj_thing) instance_destroy(); instance_create(1, 1, obj_other);"
      "  view_xview[0] = 99; background_x[0] = 77; background_visible[0] = false;"
      "  background_colour = 0; room_caption = \"changed\"; steps_seen = 50; x = 1;"
      "  show_debug_message(\"@load \" + string(game_load(\"a.sav\")));"
      "  show_debug_message(\"@after load in the same event\"); exit; }"
      "if (room == rm_main && !file_exists(\"b.sav\")) {" + report +
      "  game_save(\"b.sav\"); room_goto(rm_keep); exit; }"
      "if (room == rm_keep) {"
      "  show_debug_message(\"@kept \" + string(obj_item.kept) + \" items \" + string(instance_number(obj_item)));"
      "  game_end(); }";

  game.objects.push_back(MakeObject("obj_ctrl", true,
                                    {{kCreate, 0, {"steps_seen = 0;"}}, {kStep, kStepBegin, {controller}}}));
  game.objects.push_back(MakeObject("obj_thing", false, {{kCreate, 0, {"word = \"start\"; list[2] = 0;"}}}));
  game.objects.push_back(MakeObject("obj_item", false, {{kCreate, 0, {"kept = 1;"}}}));
  game.objects.push_back(MakeObject("obj_other", false, {{kStep, 0, {"show_debug_message(\"@other steps\");"}}}));

  Room keep;
  keep.name = "rm_keep";
  keep.speed = 1000;
  keep.persistent = true;
  keep.instances = {{0, 0, 0, 100001, {""}}, {30, 30, 2, 100002, {""}}};
  game.rooms.push_back(keep);

  Room main;
  main.name = "rm_main";
  main.speed = 1000;
  main.enableViews = true;
  main.views = {{1, 0, 0, 320, 240, 0, 0, 320, 240, 32, 32, -1, -1, -1}};
  main.backgrounds = {{0, 0, -1, 0, 0, 1, 1, 0, 0, 0}};
  main.instances = {{10, 10, 1, 100003, {""}}};
  main.tiles = {{0, 0, 0, 0, 0, 16, 16, 1000, 10000001}, {16, 0, 0, 16, 0, 16, 16, 1000, 10000002}};
  game.rooms.push_back(main);
  return game;
}

struct SavedRun {
  RunnerResult run;
  std::vector<uint8_t> first, second;
};

SavedRun PlaySaveLoad(GameForm form) {
  TempFolder folder, data;
  EXPECT_TRUE(WriteGameInForm(SaveLoadGame(), folder / "game.win", form));
  SavedRun result;
  result.run = RunRunner(WithFormArguments({"-game", folder / "game.win"}, form), {.environment = {{"XDG_DATA_HOME", data.path()}}, .timeoutSeconds = 30.0});
  result.first = ReadAll(data / "Game/a.sav");
  result.second = ReadAll(data / "Game/b.sav");
  return result;
}

class SavedGamePlay : public testing::TestWithParam<GameForm> {};

TEST_P(SavedGamePlay, EverythingComesBackOnTheNextStep) {
  const SavedRun played = PlaySaveLoad(GetParam());
  EXPECT_EQ(played.run.exitCode, 0) << played.run.output;
  const std::vector<std::string> expected = {
      "saved",
      "load 1",
      "after load in the same event",
      "g 7 seven score 11 lives 3 health 55",
      "things 2 others 0 room 1",
      "thing 50,57 speed 3 vspeed -3 made 9 alarm 40 tl 0 13 depth -5",
      "view 13 320 background 4 1 colour 255 caption saved",
      "self 1 8",
      "kept 5 items 1",
  };
  EXPECT_EQ(SaidLines(played.run.output), expected) << played.run.output;
  // The file starts with its version (541) and the game's id.
  ASSERT_GE(played.first.size(), 8u);
  EXPECT_EQ(std::vector<uint8_t>(played.first.begin(), played.first.begin() + 8),
            (std::vector<uint8_t>{0x1D, 0x02, 0, 0, 0x92, 0x10, 0, 0}));
  // Saving again right after the load writes the same bytes.
  EXPECT_EQ(played.first.size(), played.second.size());
  EXPECT_EQ(FirstDifference(played.first, played.second), -1);
  EXPECT_EQ(played.run.output.find("ERROR"), std::string::npos) << played.run.output;
}

INSTANTIATE_GAME_FORMS(SavedGamePlay);

// A game that, when "try.sav" lies in its save area, changes its state, asks to load it and
// reports on the next step; without it, it saves "good.sav" and ends.
GameDataWriter LoadAttemptGame(int32_t gameId) {
  GameDataWriter game;
  game.header.gameId = gameId;
  game.header.lastInstanceId = 100100;
  const std::string code =
      "if (!file_exists(\"try.sav\")) { global.g = 1; score = 2; game_save(\"good.sav\"); game_end(); exit; }"
      "if (!variable_global_exists(\"asked\")) {"
      "  global.asked = 1; global.g = 40; score = 41; instance_create(0, 0, obj_ctrl);"
      "  show_debug_message(\"@load \" + string(game_load(\"try.sav\"))); exit; }"
      "if (instance_number(obj_ctrl) == 2) {"
      "  show_debug_message(\"@g \" + string(global.g) + \" score \" + string(score) + \" instances \""
      "  + string(instance_number(obj_ctrl))); with (obj_ctrl) if (id != other.id) instance_destroy();"
      "  show_debug_message(\"@missing \" + string(game_load(\"nothing_here.sav\"))); game_end(); exit; }"
      "show_debug_message(\"@loaded g \" + string(global.g) + \" score \" + string(score)); game_end();";
  game.objects.push_back(MakeObject("obj_ctrl", false, {{kStep, kStepBegin, {code}}}));
  Room room;
  room.name = "rm_only";
  room.speed = 1000;
  room.instances = {{0, 0, 0, 100001, {""}}};
  game.rooms.push_back(room);
  return game;
}

RunnerResult PlayLoadAttempt(GameForm form, const GameDataWriter& game, const std::vector<uint8_t>* tryFile,
                             std::vector<uint8_t>* saved = nullptr) {
  TempFolder folder, data;
  EXPECT_TRUE(WriteGameInForm(game, folder / "game.win", form));
  if (tryFile != nullptr) {
    RunProcess("/bin/mkdir", {"-p", data / "Game"});
    WriteAll(data / "Game/try.sav", *tryFile);
  }
  RunnerResult run = RunRunner(WithFormArguments({"-game", folder / "game.win"}, form),
                               {.environment = {{"XDG_DATA_HOME", data.path()}}, .timeoutSeconds = 30.0});
  if (saved != nullptr) *saved = ReadAll(data / "Game/good.sav");
  return run;
}

class SavedGameRefusal : public testing::TestWithParam<GameForm> {};

TEST_P(SavedGameRefusal, DamagedForeignAndMissingFilesLeaveTheGameAsItWas) {
  const GameDataWriter game = LoadAttemptGame(77);
  std::vector<uint8_t> good;
  PlayLoadAttempt(GetParam(), game, nullptr, &good);
  ASSERT_GT(good.size(), 60u);

  auto with = [&good](size_t at, std::vector<uint8_t> bytes) {
    std::vector<uint8_t> changed = good;
    std::copy(bytes.begin(), bytes.end(), changed.begin() + static_cast<std::ptrdiff_t>(at));
    return changed;
  };
  auto cut = [&good](size_t length) { return std::vector<uint8_t>(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(length)); };
  // The first room's tag (540) follows the room count and the slot's flag.
  size_t roomTag = 8;
  while (roomTag + 4 <= good.size() &&
         !(good[roomTag] == 0x1C && good[roomTag + 1] == 0x02 && good[roomTag + 2] == 0 && good[roomTag + 3] == 0)) {
    ++roomTag;
  }
  ASSERT_LT(roomTag + 4, good.size());
  const std::string otherVersion = "Cannot load game saved with other version.";
  const std::string otherGame = "This is a save file for a different game!";
  const std::string damaged = "Cannot load a damaged saved game.";
  struct Case {
    std::string what;
    std::vector<uint8_t> file;
    std::string error;
  };
  const std::vector<Case> cases = {
      {"an older version", with(0, {0x1B, 0x02, 0, 0}), otherVersion},
      {"a newer version", with(0, {0x1E, 0x02, 0, 0}), otherVersion},
      {"another game", with(4, {78, 0, 0, 0}), otherGame},
      {"cut inside the version", cut(3), damaged},
      {"cut after the game id", cut(8), damaged},
      {"cut inside the globals", cut(50), damaged},
      {"cut inside the id counters", cut(good.size() - 8), damaged},
      {"cut before the room's physics", cut(good.size() - 4), damaged},
      {"cut by one byte", cut(good.size() - 1), damaged},
      {"a current room beyond the slots", with(8, {0x40, 0, 0, 0}), damaged},
      {"a huge room count", with(roomTag - 8, {0xFF, 0xFF, 0xFF, 0x7F}), damaged},
      {"a room of another version", with(roomTag, {0x1D, 0x02, 0, 0}), damaged},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const RunnerResult run = PlayLoadAttempt(GetParam(), game, &c.file);
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_FALSE(run.timedOut);
    EXPECT_NE(run.output.find("ERROR!!! :: " + c.error), std::string::npos) << run.output;
    EXPECT_EQ(SaidLines(run.output), (std::vector<std::string>{"load 1", "g 40 score 41 instances 2", "missing 0"}))
        << run.output;
    EXPECT_NE(run.output.find("game_load - unable to find file nothing_here.sav"), std::string::npos);
  }
  // The same file loads in the game that wrote it (the refusals above are not the loader's
  // default answer), and so does its form from before the rooms' physics were saved (version
  // 540, without the room's flag at the end).
  std::vector<uint8_t> older = cut(good.size() - 4);
  older[0] = 0x1C;
  for (const std::vector<uint8_t>* file : {&good, &older}) {
    const RunnerResult run = PlayLoadAttempt(GetParam(), game, file);
    EXPECT_EQ(run.output.find("ERROR!!!"), std::string::npos) << run.output;
    EXPECT_EQ(SaidLines(run.output), (std::vector<std::string>{"load 1", "loaded g 1 score 2"})) << run.output;
  }
}

INSTANTIATE_GAME_FORMS(SavedGameRefusal);

// ---- rooms with a physics world ----

void ExpectNear(const std::vector<double>& actual, const std::vector<double>& expected, double tolerance,
                const std::string& what) {
  ASSERT_EQ(actual.size(), expected.size()) << what;
  for (size_t i = 0; i < actual.size(); ++i) EXPECT_NEAR(actual[i], expected[i], tolerance) << what << " value " << i;
}

// A room with a physics world (gravity 10, 0.1 metres per pixel) holding a ball and a floor
// whose bodies come from their objects' physics settings; the ball spins and drifts sideways
// from its create event. The controller's code is given.
GameDataWriter PhysicsSaveGame(const std::string& controller) {
  GameDataWriter game;
  game.header.gameId = 5151;
  game.header.lastInstanceId = 100100;
  // Reports go through a script that calls another.
  game.scripts.push_back({"scr_report", {"scr_say(argument0);"}});
  game.scripts.push_back(
      {"scr_say",
       {"var b, f; b = instance_find(obj_ball, 0); f = instance_find(obj_floor, 0);"
        "show_debug_message(\"@\" + argument0 + \" \" + string(b.x) + \" \" + string(b.y) + \" \""
        " + string(b.phy_position_y * 1000) + \" \" + string(b.phy_speed_x * 1000) + \" \" + string(b.phy_speed_y * 1000)"
        " + \" \" + string(b.phy_angular_velocity) + \" \" + string(b.phy_rotation * 1000) + \" \" + string(b.phy_fixed_rotation)"
        " + \" \" + string(f.phy_dynamic) + \" \" + string(f.phy_position_y) + \" \" + string(instance_number(obj_ball)));"}});
  game.objects.push_back(MakeObject("obj_ctrl", false, {{kCreate, 0, {"frames = 0;"}}, {kStep, kStepBegin, {controller}}}));
  Object ball = MakeObject("obj_ball", false, {{kCreate, 0, {"phy_angular_velocity = 90; phy_speed_x = 1;"}}});
  ball.physics = true;
  ball.shape = 0;  // a circle: the radius is the second point's x
  ball.points = {{0, 0}, {8, 0}};
  ball.density = 1;
  ball.linearDamping = ball.angularDamping = 0;
  game.objects.push_back(ball);
  Object floor = MakeObject("obj_floor", false, {});
  floor.physics = true;
  floor.shape = 1;
  floor.points = {{-100, -10}, {100, -10}, {100, 10}, {-100, 10}};
  floor.density = 0;
  game.objects.push_back(floor);
  Room room;
  room.name = "rm_world";
  room.speed = 30;
  room.physicsWorld = true;
  room.instances = {{0, 0, 0, 100001, {""}}, {100, 100, 1, 100002, {""}}, {320, 400, 2, 100003, {""}}};
  game.rooms.push_back(room);
  return game;
}

class PhysicsSavedGamePlay : public testing::TestWithParam<GameForm> {};

// The world's gravity and update speed are changed and the ball made to keep its angle before
// the save; ten frames later the state is noted and the game loaded. The step after the load
// sees the bodies exactly as at the save (reading phy_* works, one ball), and ten frames later
// they are where they were ten frames after the save.
TEST_P(PhysicsSavedGamePlay, BodiesPlayOnAfterALoadAsAfterTheSave) {
  const std::string controller =
      "frames += 1;"
      "if (!file_exists(\"p1\")) {"
      "  if (frames == 2) { physics_world_gravity(0, 5); physics_world_update_speed(60);"
      "    with (obj_ball) phy_fixed_rotation = true; }"
      "  if (frames == 10) { scr_report(\"save\"); game_save(\"a.sav\");" + Mark("p1") + " }"
      "  exit; }"
      "if (!file_exists(\"p2\")) {"
      "  if (frames == 20) { scr_report(\"later\");" + Mark("p2") + " game_load(\"a.sav\"); }"
      "  exit; }"
      // The counter comes back as it was saved (10) and counts the step after the load as 11.
      "if (!file_exists(\"p3\")) { scr_report(\"loaded\");" + Mark("p3") + " exit; }"
      "if (frames == 21) { scr_report(\"again\"); game_end(); }";
  TempFolder folder, data;
  ASSERT_TRUE(WriteGameInForm(PhysicsSaveGame(controller), folder / "game.win", GetParam()));
  const RunnerResult run = RunRunner(WithFormArguments({"-game", folder / "game.win"}, GetParam()),
                                     {.environment = {{"XDG_DATA_HOME", data.path()}}, .timeoutSeconds = 30.0});
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_EQ(run.output.find("ERROR"), std::string::npos) << run.output;
  const std::vector<std::string> lines = SaidLines(run.output);
  ASSERT_EQ(lines.size(), 4u) << run.output;
  EXPECT_EQ(lines[0].rfind("save ", 0), 0u);
  EXPECT_EQ(lines[2].rfind("loaded ", 0), 0u);
  const std::vector<double> save = SaidNumbers(lines[0]), later = SaidNumbers(lines[1]);
  ASSERT_EQ(save.size(), 11u) << lines[0];
  // Falling at 5 m/s^2 and drifting, not turning, a static floor, one ball.
  EXPECT_GT(later[1], save[1] + 1.0);
  EXPECT_GT(later[0], save[0]);
  EXPECT_EQ(save[5], 0.0);
  EXPECT_EQ(save[7], 1.0);
  EXPECT_EQ(save[8], 0.0);
  EXPECT_EQ(save[9], 400.0);
  EXPECT_EQ(save[10], 1.0);
  ExpectNear(SaidNumbers(lines[2]), save, 1e-3, "loaded");
  ExpectNear(SaidNumbers(lines[3]), later, 1e-3, "again");
}

INSTANTIATE_GAME_FORMS(PhysicsSavedGamePlay);

// A file from before the rooms' physics were saved (version 540, nothing after the id
// counters): the room takes its own world (gravity 10) and the instances of objects with
// physics settings bodies where they stand, at rest. Reading phy_* works and the ball falls.
class PhysicsSavedGameOlderFile : public testing::TestWithParam<GameForm> {};

TEST_P(PhysicsSavedGameOlderFile, RoomTakesItsOwnWorldAndBodiesWhereInstancesStand) {
  const std::string controller =
      "frames += 1;"
      "if (!file_exists(\"try.sav\")) { if (frames == 10) { scr_report(\"save\"); game_save(\"good.sav\"); game_end(); } exit; }"
      "if (!variable_global_exists(\"asked\")) { global.asked = 1; game_load(\"try.sav\"); exit; }"
      "if (!variable_global_exists(\"seen\")) { global.seen = 1; frames = 0; scr_report(\"loaded\"); exit; }"
      "if (frames == 10) { scr_report(\"fallen\"); game_end(); }";
  const GameDataWriter game = PhysicsSaveGame(controller);
  TempFolder folder, data;
  ASSERT_TRUE(WriteGameInForm(game, folder / "game.win", GetParam()));
  const std::vector<std::string> args = WithFormArguments({"-game", folder / "game.win"}, GetParam());
  const RunnerResult first = RunRunner(args, {.environment = {{"XDG_DATA_HOME", data.path()}}, .timeoutSeconds = 30.0});
  std::vector<uint8_t> file = ReadAll(data / "Game/good.sav");
  // The room's physics at the end: its flag, the world (scale, update speed, iterations,
  // paused, gravity), the body count and two bodies of 68 bytes.
  const size_t physics = 4 + 8 + 4 + 4 + 4 + 16 + 4 + 2 * 68;
  ASSERT_GT(file.size(), physics + 8) << first.output;
  int32_t bodies = 0;
  std::memcpy(&bodies, file.data() + file.size() - 2 * 68 - 4, 4);
  ASSERT_EQ(bodies, 2);
  file.resize(file.size() - physics);
  file[0] = 0x1C;
  WriteAll(data / "Game/try.sav", file);
  const RunnerResult run = RunRunner(args, {.environment = {{"XDG_DATA_HOME", data.path()}}, .timeoutSeconds = 30.0});
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_EQ(run.output.find("ERROR"), std::string::npos) << run.output;
  const std::vector<std::string> before = SaidLines(first.output), lines = SaidLines(run.output);
  ASSERT_EQ(before.size(), 1u) << first.output;
  ASSERT_EQ(lines.size(), 2u) << run.output;
  const std::vector<double> save = SaidNumbers(before[0]), loaded = SaidNumbers(lines[0]), fallen = SaidNumbers(lines[1]);
  ASSERT_EQ(loaded.size(), 11u) << lines[0];
  ASSERT_EQ(fallen.size(), 11u) << lines[1];
  // Where the instance stood, at rest; the floor static; one ball.
  EXPECT_NEAR(loaded[0], save[0], 1e-3);
  EXPECT_NEAR(loaded[1], save[1], 1e-3);
  EXPECT_NEAR(loaded[2], save[1] * 1000, 1.0);
  EXPECT_EQ(loaded[4], 0.0);
  EXPECT_EQ(loaded[8], 0.0);
  EXPECT_EQ(loaded[9], 400.0);
  EXPECT_EQ(loaded[10], 1.0);
  // Ten frames of gravity 10 from rest: 10 * 10 * 11 / 2 / 900 metres, 6.1 pixels.
  EXPECT_NEAR(fallen[1] - loaded[1], 6.11, 0.05);
}

INSTANTIATE_GAME_FORMS(PhysicsSavedGameOlderFile);

}  // namespace
