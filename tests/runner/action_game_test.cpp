// Whole games written with action built-ins, as drag-and-drop games are stored: a ball that
// moves, bounces and wraps; score and lives counted, drawn and running out; conditional
// actions guarding the next one; instances created and destroyed; rooms changed by action;
// scripts and inherited events run by action; and bad resources answered without a crash.
// Each game reports through show_debug_message lines starting with "@".
#include <gtest/gtest.h>

#include <functional>
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

constexpr int32_t kCreate = 0, kDestroy = 1, kAlarm = 2, kStep = 3, kCollision = 4, kOther = 7, kDraw = 8;
constexpr int32_t kStepBegin = 1;
constexpr int32_t kOutsideRoom = 0, kNoMoreLives = 6, kNoMoreHealth = 9;

// Reports the text followed by the values of the expressions, separated by spaces.
std::string Report(const std::string& text, const std::vector<std::string>& values = {}) {
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

// Sprite 0 is a white 16 x 16 block.
GameDataWriter NewGame() {
  GameDataWriter game;
  game.header.lastInstanceId = 100100;
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

void AddRoom(GameDataWriter& game, std::vector<Instance> instances) {
  gamedata::Room room;
  room.name = "rm_" + std::to_string(game.rooms.size());
  room.speed = 1000;
  room.instances = std::move(instances);
  game.rooms.push_back(room);
}

class ActionGame : public ::testing::TestWithParam<GameForm> {
 protected:
  // Plays the game in the test's form; `damage` may change the written file's bytes first.
  RunnerResult Play(const GameDataWriter& game, const std::function<void(std::vector<uint8_t>&)>& damage = {}) {
    TempFolder folder;
    EXPECT_TRUE(WriteGameInForm(game, folder / "game.win", GetParam()));
    if (damage) {
      EXPECT_TRUE(RewriteGameFile(folder / "game.win", damage));
    }
    return RunRunner(WithFormArguments({"-game", folder / "game.win"}, GetParam()),
                     {.workingDirectory = folder.path(), .timeoutSeconds = 30.0});
  }
  static std::string Lines(const RunnerResult& run) {
    std::istringstream in(run.output);
    std::string lines;
    for (std::string line; std::getline(in, line);) {
      if (!line.empty() && line[0] == '@') lines += line.substr(1) + "\n";
    }
    return lines;
  }
  void ExpectPlayed(const GameDataWriter& game, const std::string& expected) {
    const RunnerResult run = Play(game);
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(Lines(run), expected) << run.output;
  }
};

TEST_P(ActionGame, BallMovesBouncesOffAWallAndWrapsAroundTheRoom) {
  GameDataWriter game = NewGame();
  game.objects.push_back(MakeObject(
      "obj_ball",
      {{kCreate, 0, {"global.n = 0; action_set_motion(0, 8);"}},
       {kStep, kStepBegin, {"global.n += 1; if (action_if_variable(global.n, 40, 2)) action_end_game();"}},
       {kCollision, 1, {"action_bounce(0, 0);" + Report("bounce", {"global.n", "x", "hspeed"})}},
       {kOther, kOutsideRoom, {"action_wrap(0);" + Report("wrap", {"global.n", "x", "y"})}}},
      0));
  game.objects.push_back(MakeObject("obj_wall", {}, 0, true));
  AddRoom(game, {{560, 200, 0, 100001, {""}}, {96, 200, 1, 100002, {""}}});
  // Out on the right at 648: in again from the left edge; back from the wall to 80; out on the
  // left at -16: in again at the right edge.
  ExpectPlayed(game, "wrap 11 -8 200\nbounce 23 80 -8\nwrap 34 640 200\n");
}


// A position-weighted sum of the lit pixels of the surface's top-left 120 x 16 pixels: two
// texts give the same sum only when they draw the same pixels.
gamedata::Script InkScript() {
  return {"scr_ink",
          {"var t, i, j; t = 0; for (i = 0; i < 120; i += 1) for (j = 0; j < 16; j += 1)"
           "  if (surface_getpixel(argument0, i, j) != 0) t += i * 16 + j + 1; return t;"}};
}

// What the action draws and what the reference code draws, compared on a cleared surface.
std::string CompareDrawn(const std::string& label, const std::string& action, const std::string& reference) {
  auto ink = [](const std::string& code, const std::string& into) {
    return "surface_set_target(global.s); draw_clear(c_black); " + code + "; surface_reset_target(); " + into +
           " = scr_ink(global.s);";
  };
  return ink(action, "a") + ink(reference, "b") + Report(label, {"a > 0", "a == b"});
}

// The same with the relative option ticked for the action.
std::string CompareDrawnRelative(const std::string& label, const std::string& action, const std::string& reference) {
  return CompareDrawn(label, "action_set_relative(1); " + action + "; action_set_relative(0)", reference);
}

TEST_P(ActionGame, ScoreAndLivesCountAreDrawnAndRunOut) {
  GameDataWriter game = NewGame();
  game.scripts.push_back(InkScript());
  game.objects.push_back(MakeObject(
      "obj_control",
      {{kCreate, 0,
        {"action_set_score(0); action_set_life(3); action_set_health(10); global.drawn = false;"
         "action_set_caption(1, \"Score: \", 1, \"Lives: \", 0, \"\");"}},
       {kStep, 0,
        {"action_set_relative(1); action_set_score(5); action_set_life(-1); action_set_health(-4);"
         "action_set_relative(0);" +
         Report("step", {"score", "lives", "health"})}},
       {kOther, kNoMoreHealth, {Report("no more health", {"health"})}},
       {kOther, kNoMoreLives, {Report("no more lives", {"score", "lives"}) + "action_set_alarm(2, 0);"}},
       {kAlarm, 0, {"action_end_game();"}},
       {kDraw, 0,
        {"if (!global.drawn) { global.drawn = true; global.s = surface_create(128, 16); draw_set_color(c_white);" +
         CompareDrawn("score drawn", "action_draw_score(0, 0, \"Score: \")",
                      "draw_text(0, 0, \"Score: \" + string(score))") +
         CompareDrawn("lives drawn", "action_draw_life(0, 0, \"Lives: \")",
                      "draw_text(0, 0, \"Lives: \" + string(lives))") +
         CompareDrawn("3.25 drawn", "action_draw_variable(3.25, 0, 0)", "draw_text(0, 0, \"      3.25\")") +
         CompareDrawn("3 drawn", "action_draw_variable(3, 0, 0)", "draw_text(0, 0, \"3\")") +
         CompareDrawn("life images drawn", "action_draw_life_images(0, 0, spr_block)",
                      "for (i = 0; i < 3; i += 1) draw_sprite(spr_block, 0, i * 16, 0)") +
         CompareDrawnRelative("relative text drawn", "action_draw_text(\"Hi\", 10, 0)",
                              "draw_text(x + 10, y, \"Hi\")") +
         CompareDrawnRelative("relative rectangle drawn", "action_draw_rectangle(0, 0, 10, 10, 1)",
                              "draw_rectangle(x, y, x + 10, y + 10, 1)") +
         CompareDrawnRelative("relative sprite drawn", "action_draw_sprite(spr_block, 20, 0, -1)",
                              "draw_sprite(spr_block, 0, x + 20, y)") +
         "surface_free(global.s); }"}}}));
  AddRoom(game, {{4, 2, 0, 100001, {""}}});
  // The first frame is drawn before the first step. Each event runs once, when the value
  // crosses its edge (lives from 1 to 0, health from 2 to -2); going further raises nothing.
  ExpectPlayed(game,
               "score drawn 1 1\nlives drawn 1 1\n3.25 drawn 1 1\n3 drawn 1 1\nlife images drawn 1 1\n"
               "relative text drawn 1 1\nrelative rectangle drawn 1 1\nrelative sprite drawn 1 1\n"
               "step 5 2 6\nstep 10 1 2\n"
               "no more lives 15 0\nno more health -2\nstep 15 0 -2\nstep 20 -1 -6\n");
}

TEST_P(ActionGame, ConditionalActionsGuardTheNextAndRoomsChangeByAction) {
  GameDataWriter game = NewGame();
  game.objects.push_back(MakeObject(
      "obj_starter",
      {{kCreate, 0,
        {"action_create_object(obj_enemy, 100, 100); action_set_relative(1);"
         "action_create_object_motion(obj_enemy, 10, 20, 4, 90); action_set_relative(0);" +
         Report("created", {"instance_number(obj_enemy)"}) +
         "if (action_if_variable(instance_number(obj_enemy), 3, 0)) " + Report("never") +
         "if (!action_if_number(obj_enemy, 2, 1)) " + Report("at least two")}},
       {kStep, 0,
        {"if (action_if_number(obj_enemy, 0, 0)) action_next_room(0);" +
         Report("enemies", {"instance_number(obj_enemy)"})}}}));
  game.objects.push_back(MakeObject(
      "obj_enemy",
      {{kCreate, 0, {Report("enemy", {"x", "y", "speed", "direction"})}},
       {kStep, 0, {"if (action_if_dice(1)) action_kill_object();"}},
       {kDestroy, 0, {Report("destroyed", {"x", "y"})}}},
      0));
  game.objects.push_back(MakeObject(
      "obj_second",
      {{kCreate, 0,
        {Report("room", {"room", "action_if_previous_room()", "action_if_next_room()"}) +
         "if (action_if_next_room()) action_another_room(rm_2, 0); else action_end_game();"}}}));
  AddRoom(game, {{0, 0, 0, 100001, {""}}});
  AddRoom(game, {{0, 0, 2, 100002, {""}}});
  AddRoom(game, {{0, 0, 2, 100003, {""}}});
  ExpectPlayed(game,
               "enemy 100 100 0 0\nenemy 10 20 4 90\ncreated 2\nat least two\n"
               "enemies 2\ndestroyed 100 100\ndestroyed 10 20\nenemies 0\n"
               "room 1 1 1\nroom 2 1 0\n");
}

TEST_P(ActionGame, ScriptsAndInheritedEventsRunByAction) {
  GameDataWriter game = NewGame();
  game.scripts.push_back({"scr_sum", {"return argument0 + argument4 + argument_count;"}});
  game.scripts.push_back({"scr_outer", {"return action_execute_script(scr_sum, argument0, 0, 0, 0, 100);"}});
  game.objects.push_back(MakeObject("obj_parent", {{kCreate, 0, {Report("parent create", {"object_index"})}}}));
  Object child = MakeObject(
      "obj_child", {{kCreate, 0,
                     {"action_inherited();" + Report("child create") +
                      Report("script", {"action_execute_script(scr_sum, 1, 2, 3, 4, 5)", "scr_outer(7)"}) +
                      "action_end_game();"}}});
  child.parent = 0;
  game.objects.push_back(child);
  AddRoom(game, {{0, 0, 1, 100001, {""}}});
  ExpectPlayed(game, "parent create 1\nchild create\nscript 11 112\n");
}

TEST_P(ActionGame, MissingResourcesAreReportedAndTheGameGoesOn) {
  GameDataWriter game = NewGame();
  game.objects.push_back(MakeObject(
      "obj_probe",
      {{kCreate, 0,
        {"action_create_object(99, 0, 0); action_create_object_random(97, 98, 99, -5, 0, 0);"
         "action_sound(42, 0); action_end_sound(42);" + Report("playing", {"action_if_sound(42)"}) +
         "action_replace_sprite(42, \"a.png\", 1); action_replace_sprite(0, \"missing.png\", 1);"
         "action_partemit_burst(3, 0, 10); action_partemit_burst(99, 0, 10); action_parttype_life(-1, 1, 2);"
         "action_change_object(77, 1); action_set_sprite(55, 1); action_set_alarm(5, 99);"
         "action_execute_script(99, 0, 0, 0, 0, 0); action_move(5, 1);" +
         Report("questions", {"action_if_object(99, 0, 0)", "action_if_number(99, 0, 0)", "action_if_empty(0, 0, 1)"}) +
         "action_set_timeline(99, 0); action_path(99, 4, 0, 0);" + Report("alive", {"sprite_index", "path_index"})}},
       {kStep, 0, {"action_sleep(20, 1); action_another_room(99, 0);" + Report("asked for room 99")}},
       {kDraw, 0, {"action_draw_sprite(42, 0, 0, 0); action_draw_background(42, 0, 0, 1);"}}},
      0));
  AddRoom(game, {{0, 0, 0, 100001, {""}}});
  const RunnerResult run = Play(game);
  EXPECT_FALSE(run.timedOut);
  EXPECT_EQ(Lines(run), "playing 0\nquestions 0 1 1\nalive 0 -1\nasked for room 99\n") << run.output;
  for (const char* message :
       {"Creating instance for non-existing object: 99", "Trying to play non-existing sound.",
        "Trying to stop non-existing sound.", "Trying to replace non-existing resource.", "File does not exist.",
        "The particle emitter must first be created.", "Asking to change into non-existing object: 77",
        "Setting instance to non-existing sprite: 55",
        "Wrong argument to action_move().", "Trying to draw a non-existing sprite.",
        "Trying to draw a non-existing background.", "Unexisting room number: 99"}) {
    EXPECT_NE(run.output.find(message), std::string::npos) << message << "\n" << run.output;
  }
  EXPECT_EQ(run.output.find("Creating instance for non-existing object: 97"), std::string::npos);
}

// The object is checked by the index the instance is made of: 0.6 rounds to object 1, which
// exists, but truncates to the empty slot 0.
TEST_P(ActionGame, CreatingFromAFractionChecksTheObjectItMakes) {
  GameDataWriter game = NewGame();
  game.objects.push_back(MakeObject("obj_gone", {}));
  game.objects.push_back(MakeObject("obj_thing", {}));
  game.objects.push_back(MakeObject(
      "obj_maker", {{kCreate, 0,
                     {"action_create_object(0.6, 10, 10); action_create_object(1.4, 10, 10);" +
                      Report("made", {"instance_number(all)"}) + "action_end_game();"}}}));
  AddRoom(game, {{0, 0, 2, 100001, {""}}});
  const RunnerResult run = Play(game, [](std::vector<uint8_t>& image) {
    const std::vector<ChunkLayoutEntry> layout = ChunkLayout(image);
    const ChunkLayoutEntry* objects = FindChunk(layout, "OBJT");
    ASSERT_NE(objects, nullptr);
    WriteU32(image, objects->bodyOffset + 4, 0);  // the first object's record: none
  });
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_EQ(Lines(run), "made 2\n") << run.output;
  EXPECT_NE(run.output.find("Creating instance for non-existing object: 0"), std::string::npos) << run.output;
}

}  // namespace

INSTANTIATE_GAME_FORMS(ActionGame);
