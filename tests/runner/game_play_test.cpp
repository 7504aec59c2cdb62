// Whole games played by the runner binary: the order of events within a step, alarms, the
// rule that a pass skips instances made during it, room changes, persistence and collisions.
// Each game reports through show_debug_message lines starting with "@", read back here.
#include <gtest/gtest.h>

#include <fstream>
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

// Event types and sub-events used below.
constexpr int32_t kCreate = 0, kAlarm = 2, kStep = 3, kCollision = 4, kKeyboard = 5, kOther = 7;
constexpr int32_t kStepNormal = 0, kStepBegin = 1, kStepEnd = 2;
constexpr int32_t kOutside = 0, kGameStart = 2, kGameEnd = 3, kRoomStart = 4, kRoomEnd = 5, kAnimationEnd = 7;

std::string Say(const std::string& text) { return "show_debug_message(\"@" + text + "\");"; }

Object MakeObject(const std::string& name, std::vector<Event> events) {
  Object object;
  object.name = name;
  object.events = std::move(events);
  return object;
}

Room MakeRoom(const std::string& name, std::vector<Instance> instances, const std::string& code = "") {
  Room room;
  room.name = name;
  room.speed = 1000;  // the games run through their steps without waiting
  room.instances = std::move(instances);
  room.creationCode.source = code;
  return room;
}

// Ids handed out at run time follow those of the rooms' instances.
GameDataWriter NewGame() {
  GameDataWriter game;
  game.header.lastInstanceId = 100100;
  return game;
}

struct Played {
  RunnerResult run;
  std::vector<std::string> lines;  // the "@" lines, without the "@"
};

Played Play(const GameDataWriter& game, GameForm form) {
  TempFolder folder;
  EXPECT_TRUE(WriteGameInForm(game, folder / "game.win", form));
  Played played;
  played.run = RunRunner(WithFormArguments({"-game", folder / "game.win"}, form), {.timeoutSeconds = 30.0});
  std::istringstream in(played.run.output);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line[0] == '@') played.lines.push_back(line.substr(1));
  }
  return played;
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

void ExpectPlayed(const Played& played, const std::vector<std::string>& expected) {
  EXPECT_EQ(played.run.exitCode, 0) << played.run.output;
  EXPECT_FALSE(played.run.timedOut);
  EXPECT_EQ(Joined(played.lines), Joined(expected)) << played.run.output;
}

// Every form of a game plays the same way.
class GamePlay : public ::testing::TestWithParam<GameForm> {
 protected:
  Played PlayGame(const GameDataWriter& game) { return Play(game, GetParam()); }
  bool Tree() const { return GetParam() == GameForm::SourceOldExec; }
};

TEST_P(GamePlay, EventsOfOneStepComeInTheirFixedOrder) {
  GameDataWriter game = NewGame();
  // Without a sprite the instance is outside the room at (-50, -50) and its animation ends in
  // every step; with no key held the "no key" keyboard event comes every step.
  game.objects.push_back(MakeObject(
      "obj_probe", {{kCreate, 0, {"global.n = 0; alarm[0] = 1; " + Say("create")}},
                    {kStep, kStepBegin, {"global.n += 1; " + Say("begin step") + " if (global.n == 2) game_end();"}},
                    {kAlarm, 0, {Say("alarm 0")}},
                    {kKeyboard, 0, {Say("no key")}},
                    {kStep, kStepNormal, {Say("step")}},
                    {kOther, kOutside, {Say("outside room")}},
                    {kStep, kStepEnd, {Say("end step")}},
                    {kOther, kAnimationEnd, {Say("animation end")}},
                    {kOther, kGameStart, {Say("game start")}},
                    {kOther, kRoomStart, {Say("room start")}},
                    {kOther, kRoomEnd, {Say("room end")}},
                    {kOther, kGameEnd, {Say("game end")}}}));
  game.rooms.push_back(MakeRoom("rm_only", {{-50, -50, 0, 100001, {""}}}, Say("room code")));
  ExpectPlayed(PlayGame(game), {"create", "game start", "room code", "room start", "begin step", "alarm 0",
                                "no key", "step", "outside room", "end step", "animation end", "begin step",
                                "room end", "game end"});
}

TEST_P(GamePlay, AlarmSetToThreeInCreateFiresOnTheThirdStep) {
  GameDataWriter game = NewGame();
  game.objects.push_back(MakeObject(
      "obj_timer", {{kCreate, 0, {"global.n = 0; alarm[0] = 3;"}},
                    {kStep, kStepBegin, {"global.n += 1; if (global.n == 6) game_end();"}},
                    {kAlarm, 0, {"show_debug_message(\"@alarm in step \" + string(global.n));"}}}));
  game.rooms.push_back(MakeRoom("rm_only", {{0, 0, 0, 100001, {""}}}));
  ExpectPlayed(PlayGame(game), {"alarm in step 3"});
}

TEST_P(GamePlay, InstanceCreatedInBeginStepGetsThatStepsStepEventOnly) {
  GameDataWriter game = NewGame();
  game.objects.push_back(MakeObject(
      "obj_maker", {{kCreate, 0, {"global.n = 0;"}},
                    {kStep, kStepBegin, {"global.n += 1; if (global.n == 1) instance_create(0, 0, 1); "
                                         "if (global.n == 3) game_end();"}}}));
  const std::string tag = "show_debug_message(\"@\" + WHAT + \" in step \" + string(global.n));";
  auto said = [&tag](const std::string& what) {
    std::string code = tag;
    code.replace(code.find("WHAT"), 4, "\"" + what + "\"");
    return code;
  };
  game.objects.push_back(MakeObject(
      "obj_made", {{kCreate, 0, {said("create")}},
                   {kStep, kStepBegin, {said("begin step")}},
                   {kStep, kStepNormal, {said("step")}}}));
  game.rooms.push_back(MakeRoom("rm_only", {{0, 0, 0, 100001, {""}}}));
  ExpectPlayed(PlayGame(game), {"create in step 1", "step in step 1", "begin step in step 2", "step in step 2"});
}

TEST_P(GamePlay, RoomGotoInBeginStepEndsThatStepAtOnce) {
  GameDataWriter game = NewGame();
  game.objects.push_back(MakeObject(
      "obj_leaver", {{kStep, kStepBegin, {Say("begin step") + " room_goto(1);"}},
                     {kAlarm, 0, {Say("alarm")}},
                     {kKeyboard, 0, {Say("no key")}},
                     {kStep, kStepNormal, {Say("step")}},
                     {kStep, kStepEnd, {Say("end step")}},
                     {kOther, kAnimationEnd, {Say("animation end")}},
                     {kOther, kRoomEnd, {Say("room end")}},
                     {kCreate, 0, {"alarm[0] = 1;"}}}));
  game.objects.push_back(MakeObject("obj_arrival", {{kOther, kRoomStart, {Say("arrived") + " game_end();"}}}));
  game.rooms.push_back(MakeRoom("rm_first", {{0, 0, 0, 100001, {""}}}));
  game.rooms.push_back(MakeRoom("rm_second", {{0, 0, 1, 100002, {""}}}));
  ExpectPlayed(PlayGame(game), {"begin step", "room end", "arrived"});
}

TEST_P(GamePlay, PersistentInstanceKeepsItsVariablesAndGetsNoSecondCreate) {
  GameDataWriter game = NewGame();
  Object keeper = MakeObject(
      "obj_keeper", {{kCreate, 0, {"visits = 0; " + Say("create")}},
                     {kOther, kRoomStart, {"visits += 1; show_debug_message(\"@room \" + string(room) + "
                                           "\" visit \" + string(visits) + \" count \" + "
                                           "string(instance_number(obj_keeper)));"}},
                     {kStep, kStepNormal, {"if (room == 0) room_goto_next(); else game_end();"}}});
  keeper.persistent = true;
  game.objects.push_back(keeper);
  game.rooms.push_back(MakeRoom("rm_first", {{0, 0, 0, 100001, {""}}}));
  game.rooms.push_back(MakeRoom("rm_second", {}));
  ExpectPlayed(PlayGame(game), {"create", "room 0 visit 1 count 1", "room 1 visit 2 count 1"});
  // The next room holds an instance with the same id: it becomes the carried one.
  game.rooms[1].instances.push_back({50, 50, 0, 100001, {""}});
  ExpectPlayed(PlayGame(game), {"create", "room 0 visit 1 count 1", "room 1 visit 2 count 1"});
}

TEST_P(GamePlay, PersistentRoomKeepsItsInstancesWhenEnteredAgain) {
  GameDataWriter game = NewGame();
  game.objects.push_back(MakeObject(
      "obj_counter", {{kCreate, 0, {"v = 0; " + Say("create")}},
                      {kOther, kRoomStart, {"global.visits += 1; show_debug_message(\"@start v=\" + string(v));"}},
                      {kStep, kStepNormal, {"v += 1; if (global.visits == 1) room_goto(1); else game_end();"}}}));
  game.objects.push_back(MakeObject("obj_back", {{kStep, kStepNormal, {Say("away") + " room_goto(0);"}}}));
  Room kept = MakeRoom("rm_kept", {{0, 0, 0, 100001, {""}}}, "global.visits = 0; " + Say("room code"));
  kept.persistent = true;
  game.rooms.push_back(kept);
  game.rooms.push_back(MakeRoom("rm_away", {{0, 0, 1, 100002, {""}}}));
  ExpectPlayed(PlayGame(game), {"create", "room code", "start v=0", "away", "start v=1"});
}

// An instance destroying itself in its persistent room's room-end event is gone when the room
// is entered again; the instance made after it was freed (which may take its memory) is not
// counted as one of its object's.
TEST_P(GamePlay, InstanceDestroyedAtRoomEndIsNotKeptInThePersistentRoom) {
  GameDataWriter game = NewGame();
  game.objects.push_back(MakeObject("obj_gone", {{kOther, kRoomEnd, {"instance_destroy();"}}}));
  game.objects.push_back(MakeObject(
      "obj_counter",
      {{kCreate, 0, {"global.visits = 0; global.steps = 0;"}},
       {kOther, kRoomStart, {"global.visits += 1;"}},
       {kStep, kStepNormal,
        {"if (global.visits == 1) { room_goto(1); exit; }"
         " global.steps += 1;"
         " if (global.steps == 2) instance_create(0, 0, obj_filler);"
         " show_debug_message(\"@gone \" + string(instance_number(obj_gone)) + \" all \" + string(instance_number(all)));"
         " if (global.steps == 3) game_end();"}}}));
  game.objects.push_back(MakeObject("obj_back", {{kStep, kStepNormal, {"room_goto(0);"}}}));
  game.objects.push_back(MakeObject("obj_filler", {}));
  Room kept = MakeRoom("rm_kept", {{0, 0, 0, 100001, {""}}, {0, 0, 1, 100002, {""}}});
  kept.persistent = true;
  game.rooms.push_back(kept);
  game.rooms.push_back(MakeRoom("rm_away", {{0, 0, 2, 100003, {""}}}));
  ExpectPlayed(PlayGame(game), {"gone 0 all 1", "gone 0 all 2", "gone 0 all 2"});
}

TEST_P(GamePlay, SolidInstancesThatWouldOverlapStayAndBothGetCollisionEvents) {
  GameDataWriter game = NewGame();
  gamedata::Sprite block;
  block.name = "spr_block";
  block.width = block.height = 16;
  block.bboxRight = block.bboxBottom = 15;
  block.bboxMode = 2;
  block.frames = {0};
  game.sprites.push_back(block);
  game.texturePageEntries.push_back({0, 0, 16, 16, 0, 0, 16, 16, 16, 16, 0});
  game.textures.push_back(gamedata::RawImage(16, 16, std::vector<uint8_t>(16 * 16 * 4, 255)));
  auto said = [](const std::string& what) {
    return "show_debug_message(\"@" + what + " x=\" + string(x) + \" step \" + string(global.n));";
  };
  Object left = MakeObject("obj_left", {{kCreate, 0, {"global.n = 0; hspeed = 4;"}},
                                        {kStep, kStepBegin, {"global.n += 1; if (global.n == 4) game_end();"}},
                                        {kCollision, 1, {said("obj_left hit")}},
                                        {kStep, kStepEnd, {said("obj_left end")}}});
  Object right = MakeObject("obj_right", {{kCreate, 0, {"hspeed = -4;"}},
                                          {kCollision, 0, {said("obj_right hit")}},
                                          {kStep, kStepEnd, {said("obj_right end")}}});
  for (Object* o : {&left, &right}) {
    o->sprite = 0;
    o->solid = true;
  }
  game.objects.push_back(left);
  game.objects.push_back(right);
  game.rooms.push_back(MakeRoom("rm_only", {{0, 0, 0, 100001, {""}}, {24, 0, 1, 100002, {""}}}));
  // Step 1 brings them to touching distance; in steps 2 and 3 the move would overlap them.
  ExpectPlayed(PlayGame(game),
               {"obj_left end x=4 step 1", "obj_right end x=20 step 1", "obj_left hit x=4 step 2",
                "obj_right hit x=20 step 2", "obj_left end x=4 step 2", "obj_right end x=20 step 2",
                "obj_left hit x=4 step 3", "obj_right hit x=20 step 3", "obj_left end x=4 step 3",
                "obj_right end x=20 step 3"});
}

TEST_P(GamePlay, CreationCodeAndCreateEventsFollowTheOptionFromTheDeepestInstance) {
  for (const bool eventFirst : {false, true}) {
    GameDataWriter game = NewGame();
    game.options.createEventFirst = eventFirst;
    // With the creation code first, the create event reads what the code set.
    const std::string create = eventFirst ? Say("create") : "show_debug_message(\"@create \" + string(v));";
    game.objects.push_back(MakeObject("obj_shown", {{kCreate, 0, {create}}}));
    game.objects.push_back(MakeObject("obj_end", {{kStep, kStepNormal, {"game_end();"}}}));
    game.rooms.push_back(MakeRoom("rm_only", {{0, 0, 0, 100001, {"v = 1; " + Say("code 1")}},
                                              {0, 0, 0, 100002, {"v = 2; " + Say("code 2")}},
                                              {0, 0, 1, 100003, {""}}}));
    // Instances of equal depth: the one added last (100002) has the highest place, so it goes first.
    const std::vector<std::string> expected =
        eventFirst ? std::vector<std::string>{"create", "code 2", "create", "code 1"}
                   : std::vector<std::string>{"code 2", "create 2", "code 1", "create 1"};
    ExpectPlayed(PlayGame(game), expected);
  }
}

TEST_P(GamePlay, RoomGotoInACreateEventStopsTheOtherEventsButNotTheCode) {
  GameDataWriter game = NewGame();
  game.objects.push_back(MakeObject("obj_first", {{kCreate, 0, {Say("create first") + " room_goto(1);"}},
                                                  {kOther, kGameStart, {Say("game start")}},
                                                  {kOther, kRoomStart, {Say("room start")}}}));
  game.objects.push_back(MakeObject("obj_second", {{kCreate, 0, {Say("create second")}}}));
  game.objects.push_back(MakeObject("obj_arrival", {{kOther, kRoomStart, {Say("arrived") + " game_end();"}}}));
  // The deeper instance (added last at equal depth) is created first.
  game.rooms.push_back(MakeRoom("rm_first", {{0, 0, 1, 100001, {Say("code second")}},
                                             {0, 0, 0, 100002, {Say("code first")}}},
                                Say("room code")));
  game.rooms.push_back(MakeRoom("rm_second", {{0, 0, 2, 100003, {""}}}));
  ExpectPlayed(PlayGame(game), {"code first", "create first", "code second", "room code", "arrived"});
}

TEST_P(GamePlay, PreciseSpritesCollideOnlyWhereTheirMasksMeet) {
  for (const bool precise : {false, true}) {
    GameDataWriter game = NewGame();
    gamedata::Sprite bar;
    bar.name = "spr_bar";
    bar.width = bar.height = 16;
    bar.bboxRight = bar.bboxBottom = 15;
    bar.bboxMode = 2;  // the full box, whatever the mask holds
    bar.precise = precise;
    bar.frames = {0};
    std::vector<uint8_t> mask;
    for (int row = 0; row < 16; ++row) mask.insert(mask.end(), {0x80, 0x00});  // only column 0 is solid
    bar.masks = {mask};
    game.sprites.push_back(bar);
    game.texturePageEntries.push_back({0, 0, 16, 16, 0, 0, 16, 16, 16, 16, 0});
    game.textures.push_back(gamedata::RawImage(16, 16, std::vector<uint8_t>(16 * 16 * 4, 255)));
    Object a = MakeObject("obj_a", {{kCollision, 1, {Say("a hit")}}, {kStep, kStepEnd, {"game_end();"}}});
    Object b = MakeObject("obj_b", {{kCollision, 0, {Say("b hit")}}});
    a.sprite = b.sprite = 0;
    game.objects.push_back(a);
    game.objects.push_back(b);
    // The boxes overlap from x 8 to 15; the solid columns are at x 0 and x 8.
    game.rooms.push_back(MakeRoom("rm_only", {{0, 0, 0, 100001, {""}}, {8, 0, 1, 100002, {""}}}));
    ExpectPlayed(PlayGame(game), precise ? std::vector<std::string>{} : std::vector<std::string>{"a hit", "b hit"});
  }
}

TEST_P(GamePlay, RoomErrorsEndTheGameWithTheirMessage) {
  struct Case {
    const char* call;
    const char* message;
  };
  for (const Case& c : {Case{"room_goto(7);", "Unexisting room number: 7"},
                        Case{"room_goto_next();", "Moving to next room after the last room."},
                        Case{"room_goto_previous();", "Moving to previous room before the first room."}}) {
    GameDataWriter game = NewGame();
    game.objects.push_back(MakeObject("obj_caller", {{kStep, kStepNormal, {c.call}},
                                                     {kOther, kGameEnd, {Say("game end")}}}));
    game.rooms.push_back(MakeRoom("rm_only", {{0, 0, 0, 100001, {""}}}));
    const Played played = PlayGame(game);
    EXPECT_EQ(played.run.exitCode, 0) << c.call;
    EXPECT_NE(played.run.output.find("FATAL ERROR"), std::string::npos) << played.run.output;
    EXPECT_NE(played.run.output.find(c.message), std::string::npos) << played.run.output;
    EXPECT_EQ(Joined(played.lines), "game end\n") << c.call;
  }
}

TEST_P(GamePlay, InstanceBuiltinsCreateCountAndDestroy) {
  GameDataWriter game = NewGame();
  game.objects.push_back(MakeObject(
      "obj_main", {{kStep, kStepNormal,
                    {"a = instance_create(10, 20, obj_other); b = instance_create(0, 0, obj_other);"
                     "show_debug_message(\"@made \" + string(instance_number(obj_other)) + \" \" + "
                     "string(instance_exists(a)) + \" \" + string(a.x) + \" \" + string(b - a));"
                     "with (a) instance_destroy();"
                     "show_debug_message(\"@after \" + string(instance_number(obj_other)) + \" \" + "
                     "string(instance_exists(a)) + \" \" + string(instance_exists(obj_other)) + \" \" + "
                     "string(instance_number(self)) + \" \" + string(instance_exists(-5)));"
                     "c = instance_create(0, 0, 99); show_debug_message(\"@missing \" + string(c));"
                     "game_end();"}}}));
  game.objects.push_back(MakeObject("obj_other", {{1, 0, {Say("destroyed")}}}));
  game.rooms.push_back(MakeRoom("rm_only", {{0, 0, 0, 100001, {""}}}));
  const Played played = PlayGame(game);
  ExpectPlayed(played, {"made 2 1 10 1", "destroyed", "after 1 0 1 1 0", "missing -1"});
  EXPECT_NE(played.run.output.find("Creating instance for non-existing object: 99"), std::string::npos);
}

TEST_P(GamePlay, UserEventsAndInheritedEventsRunThroughTheParent) {
  GameDataWriter game = NewGame();
  game.objects.push_back(MakeObject("obj_parent", {{kStep, kStepNormal, {Say("parent step")}},
                                                   {kOther, 12, {Say("parent user 2")}}}));
  Object child = MakeObject("obj_child", {{kStep, kStepNormal,
                                           {Say("child step") + " event_inherited(); event_user(2); game_end();"}}});
  child.parent = 0;
  game.objects.push_back(child);
  game.rooms.push_back(MakeRoom("rm_only", {{0, 0, 1, 100001, {""}}}));
  ExpectPlayed(PlayGame(game), {"child step", "parent step", "parent user 2"});
}

TEST_P(GamePlay, RestartRaisesEndEventsThenStartsTheFirstRoomAgain) {
  GameDataWriter game = NewGame();
  // A persistent instance is carried into the restarted game's first room.
  Object main = MakeObject(
      "obj_main", {{kCreate, 0, {"runs = 0;"}},
                   {kOther, kGameStart, {"runs += 1; show_debug_message(\"@game start \" + string(runs));"}},
                   {kOther, kRoomEnd, {Say("room end")}},
                   {kOther, kGameEnd, {Say("game end")}},
                   {kStep, kStepNormal, {"if (runs == 1) game_restart(); else game_end();"}}});
  main.persistent = true;
  game.objects.push_back(main);
  game.rooms.push_back(MakeRoom("rm_only", {{0, 0, 0, 100001, {""}}}));
  ExpectPlayed(PlayGame(game), {"game start 1", "room end", "game end", "game start 2", "room end", "game end"});
}

// The unknown-variable option: off, a variable never set reads as 0 on both executors; on, the
// variable lists refuse the read, which the machine reports as a fatal error (the process ends
// with 255) and the tree interpreter turns into 0.
TEST_P(GamePlay, UnsetVariableReadsFollowTheUnknownVariableOption) {
  const bool tree = Tree();
  for (const bool unsetIsError : {false, true}) {
    GameDataWriter game = NewGame();
    game.options.unsetVariables = unsetIsError;
    game.objects.push_back(MakeObject(
        "obj_reader", {{kStep, kStepNormal,
                        {"if (global.done) exit; global.done = 1; " + Say("before") +
                         " show_debug_message(\"@self \" + string(never_set));"
                         " show_debug_message(\"@global \" + string(global.never_set));"
                         " show_debug_message(\"@other \" + string(other.never_set));"
                         " show_debug_message(\"@instance \" + string((100001).never_set));"
                         " show_debug_message(\"@array \" + string(never_arr[3]) + \" \" + string(global.never_arr[1, 2]));"}},
                       {kStep, kStepEnd, {Say("end step") + " game_end();"}}}));
    game.rooms.push_back(MakeRoom("rm_only", {{0, 0, 0, 100001, {""}}}, "global.done = 0;"));
    const Played played = PlayGame(game);
    SCOPED_TRACE(unsetIsError ? "option on" : "option off");
    if (unsetIsError && !tree) {
      EXPECT_EQ(played.run.exitCode, 255) << played.run.output;
      EXPECT_EQ(Joined(played.lines), "before\n") << played.run.output;
      EXPECT_NE(played.run.output.find("Push :: Execution Error - Variable Get never_set"), std::string::npos)
          << played.run.output;
    } else {
      ExpectPlayed(played, {"before", "self 0", "global 0", "other 0", "instance 0", "array 0 0", "end step"});
      EXPECT_EQ(played.run.output.find("Execution Error"), std::string::npos) << played.run.output;
    }
  }
}

// A pass over an object's instances finds their event once; what an event changes on the way
// is seen by the instances after it: a new parent gives them its event, and an instance turned
// into another object counts as new for the rest of the pass.
TEST_P(GamePlay, ChangesMadeByAnEventReachTheRestOfThePass) {
  GameDataWriter game = NewGame();
  game.objects.push_back(MakeObject(
      "obj_a", {{kStep, kStepNormal,
                 {"show_debug_message(\"@a \" + string(id)); if (id == 100001) object_set_parent(obj_c, obj_b);"}}}));
  game.objects.push_back(MakeObject("obj_b", {{kStep, kStepNormal, {"show_debug_message(\"@b \" + string(id));"}}}));
  Object child = MakeObject("obj_c", {{kStep, kStepEnd, {"game_end();"}}});
  child.parent = 0;
  game.objects.push_back(child);
  game.objects.push_back(MakeObject(
      "obj_x", {{kStep, kStepNormal,
                 {"show_debug_message(\"@x \" + string(id));"
                  "if (id == 100004) with (100005) instance_change(obj_y, false);"}}}));
  game.objects.push_back(MakeObject("obj_y", {{kStep, kStepNormal, {"show_debug_message(\"@y \" + string(id));"}}}));
  game.rooms.push_back(MakeRoom("rm_only", {{0, 0, 2, 100001, {""}},
                                            {0, 0, 2, 100002, {""}},
                                            {0, 0, 2, 100003, {""}},
                                            {0, 0, 3, 100004, {""}},
                                            {0, 0, 3, 100005, {""}},
                                            {0, 0, 3, 100006, {""}}}));
  ExpectPlayed(PlayGame(game), {"a 100001", "b 100002", "b 100003", "x 100004", "x 100006"});
}

// Events started inside another's code (the create events of instance_create) keep their own
// locals, whether or not their code has any, and leave the outer event's as they were.
TEST_P(GamePlay, NestedEventsKeepTheirOwnLocals) {
  GameDataWriter game = NewGame();
  game.objects.push_back(MakeObject(
      "obj_outer", {{kStep, kStepNormal,
                     {"var a; a = 5; instance_create(0, 0, obj_plain); instance_create(0, 0, obj_local);"
                      "show_debug_message(\"@outer \" + string(a)); game_end();"}}}));
  game.objects.push_back(MakeObject("obj_plain", {{kCreate, 0, {"n = 1;"}}}));
  game.objects.push_back(MakeObject(
      "obj_local", {{kCreate, 0, {"var b; b = 7; show_debug_message(\"@local \" + string(b));"}}}));
  game.rooms.push_back(MakeRoom("rm_only", {{0, 0, 0, 100001, {""}}}));
  ExpectPlayed(PlayGame(game), {"local 7", "outer 5"});
}

// A built-in variable whose setter refuses the value: the setter runs once (its own message
// appears once), the store before it has been made, and the error ends the code where it
// happened, in a script called from another script: on the machine as a fatal error named
// after that script.
TEST_P(GamePlay, RefusedBuiltinWriteRunsTheSetterOnce) {
  GameDataWriter game = NewGame();
  game.scripts.push_back({"scr_inner", {"x += 3;\nroom_speed = 0;\nshow_debug_message(\"@after\");"}});
  game.scripts.push_back({"scr_outer", {"scr_inner();"}});
  game.objects.push_back(
      MakeObject("obj_main", {{kStep, kStepNormal, {"scr_outer(); " + Say("event goes on")}},
                              {kStep, kStepEnd, {"show_debug_message(\"@x \" + string(x)); game_end();"}}}));
  game.rooms.push_back(MakeRoom("rm_only", {{0, 0, 0, 100001, {""}}}));
  const Played played = PlayGame(game);
  const std::string& out = played.run.output;
  const std::string refused = "Trying to set the room speed to a value <= 0.";
  const size_t first = out.find(refused);
  ASSERT_NE(first, std::string::npos) << out;
  EXPECT_EQ(out.find(refused, first + 1), std::string::npos) << out;
  if (Tree()) {
    ExpectPlayed(played, {"x 3"});
    return;
  }
  EXPECT_EQ(played.run.exitCode, 255) << out;
  EXPECT_EQ(Joined(played.lines), "") << out;
  EXPECT_NE(out.find("Pop :: Execution Error - Variable set problem room_speed\n at Script.scr_inner (line"),
            std::string::npos)
      << out;
}

// The same code run by a step pass and performed as a user event from a script called in the
// begin step: each object's code says the same lines both ways (its instances in list order).
TEST_P(GamePlay, CodeRunsAlikeInAPassAndWhenPerformed) {
  const std::string say = "show_debug_message(\"@\" + global.phase + \" \" + string(";
  const std::vector<std::string> cases = {
      // strings, arrays and locals
      "var s; s = \"i\" + string(id); arr[1] = s; arr[0] = 2; " + say + "arr[1] + \"/\" + string(arr[0])));",
      // a script call with arguments, its value in a local
      "var k; k = scr_twice(id - 100000); " + say + "k));",
      // with and other
      "with (obj_other) " + say + "string(other.id) + \">\" + string(id)));",
      // exit part way, and a value returned by the event's code
      say + "\"before\")); if (id > 0) exit; " + say + "\"after\"));",
      say + "\"returns\")); return id;",
      // a variable never set reads as 0; instance variables kept between the runs
      say + "never_set)); count += 1; " + say + "count > 0));",
      // script calls deep enough that the machine's stack grows part way
      say + "scr_depth(100)));",
      // the event's name and instance
      say + "object_get_name(object_index) + \" \" + string(event_type) + \" \" + string(event_number)));",
  };
  GameDataWriter game = NewGame();
  game.scripts.push_back({"scr_twice", {"return argument0 * 2;"}});
  game.scripts.push_back({"scr_perform", {"event_user(0);"}});
  game.scripts.push_back({"scr_depth", {"if (argument0 <= 0) return 0; return 1 + scr_depth(argument0 - 1);"}});
  std::vector<Instance> placed;
  int32_t id = 100001;
  for (size_t k = 0; k < cases.size(); ++k) {
    game.objects.push_back(MakeObject(
        "obj_case" + std::to_string(k),
        {{kCreate, 0, {"count = 0;"}},
         {kStep, kStepBegin, {"global.phase = \"performed\"; scr_perform(); global.phase = \"pass\";"}},
         {kOther, 10, {cases[k]}},
         {kStep, kStepNormal, {cases[k]}}}));
    for (int n = 0; n < 2; ++n) placed.push_back({0, 0, static_cast<int32_t>(k), id++, {""}});
  }
  game.objects.push_back(MakeObject("obj_other", {{kStep, kStepEnd, {"game_end();"}}}));
  placed.push_back({0, 0, static_cast<int32_t>(cases.size()), id++, {""}});
  game.rooms.push_back(MakeRoom("rm_only", placed));
  const Played played = PlayGame(game);
  EXPECT_EQ(played.run.exitCode, 0) << played.run.output;
  std::vector<std::string> performed, pass;
  for (const std::string& line : played.lines) {
    if (line.rfind("performed ", 0) == 0) performed.push_back(line.substr(10));
    if (line.rfind("pass ", 0) == 0) pass.push_back(line.substr(5));
  }
  EXPECT_EQ(performed.size(), 18u) << played.run.output;
  // Only the event named differs: the user event is other event 10, the step event step 0.
  for (std::string& line : performed) {
    const size_t at = line.find(" 7 10");
    if (at != std::string::npos) line.replace(at, 5, " 3 0");
  }
  EXPECT_EQ(Joined(pass), Joined(performed)) << played.run.output;
}

// A machine error in the code of a pass or of a performed event is reported alike, named after
// the code and line where it happened, and ends the game; the tree interpreter goes on.
TEST_P(GamePlay, ErrorsInAPassAreReportedAsWhenPerformed) {
  struct Case {
    std::string code;
    std::string message;
  };
  const std::vector<Case> cases = {
      {"n = 1;\nroom_speed = 0;\nshow_debug_message(\"@after\");",
       "Pop :: Execution Error - Variable set problem room_speed\n at Object.obj_main."},
      {"n = 1;\nshow_debug_message(\"@\" + string(never_set));",
       "Push :: Execution Error - Variable Get never_set\n at Object.obj_main."},
  };
  for (const Case& c : cases) {
    for (const bool inPass : {true, false}) {
      GameDataWriter game = NewGame();
      game.options.unsetVariables = true;
      game.scripts.push_back({"scr_perform", {"event_user(0);"}});
      game.objects.push_back(MakeObject(
          "obj_main", {{kStep, kStepBegin, {inPass ? std::string() : "scr_perform();"}},
                       {inPass ? kStep : kOther, inPass ? kStepNormal : 10, {c.code}},
                       {kStep, kStepEnd, {"show_debug_message(\"@n \" + string(n)); game_end();"}}}));
      game.rooms.push_back(MakeRoom("rm_only", {{0, 0, 0, 100001, {""}}}));
      const Played played = PlayGame(game);
      SCOPED_TRACE(c.code + (inPass ? " in a pass" : " performed"));
      const std::string& out = played.run.output;
      if (Tree()) {
        EXPECT_EQ(played.run.exitCode, 0) << out;
        continue;
      }
      EXPECT_EQ(played.run.exitCode, 255) << out;
      EXPECT_EQ(Joined(played.lines), "") << out;
      const size_t at = out.find(c.message);
      ASSERT_NE(at, std::string::npos) << out;
      const std::string code = inPass ? "Step.0 (line" : "User_Defined_0.0 (line";
      EXPECT_EQ(out.substr(at + c.message.size(), code.size()), code) << out;
    }
  }
}

INSTANTIATE_GAME_FORMS(GamePlay);

}  // namespace
