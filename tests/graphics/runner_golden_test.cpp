// The whole road through the runner binary, headless: a written game file whose room draws
// (a tiled layer, sprites by depth, a view following a moving instance, shapes in the GUI
// pass) saves its screen with screen_save in its third frame and ends; the PNG it left in its
// save area is compared with a golden image: one picture whatever the game's form.
#include "graphics/drawing_fixture.h"
#include "support/runner_process.h"

namespace {

class RunnerGolden : public DrawingGameTest {};

TEST_P(RunnerGolden, RunnerBinaryDrawsARoomThroughAFollowingView) {
  GameDataWriter game = BaseGame();
  gamedata::Object walker;
  walker.name = "obj_walker";
  walker.sprite = 0;
  walker.depth = -1;
  walker.events.push_back({0, 0, {"hspeed = 4; vspeed = 2; image_xscale = 2;"}});
  game.objects.push_back(walker);
  gamedata::Object painter;
  painter.name = "obj_painter";
  painter.depth = 5;
  painter.events.push_back({8, 0, {"draw_set_color(c_red); draw_circle(70, 50, 10, 0);"}});
  painter.events.push_back({8, 64,
                            {"draw_set_color(c_white); draw_rectangle(2, 2, 61, 8, 1);"
                             "draw_healthbar(4, 4, 59, 6, 60, c_black, c_red, c_lime, 0, 1, 0);"
                             "global.frames += 1; if (global.frames == 3) { screen_save(\"runner_view.png\"); game_end(); }"}});
  painter.events.push_back({0, 0, {"global.frames = 0;"}});
  game.objects.push_back(painter);
  gamedata::Room room;
  room.name = "rm_big";
  room.width = room.height = 128;
  room.speed = 1000;
  room.colour = 0x000000;
  room.enableViews = true;
  room.backgrounds.push_back({1, 0, 0, 0, 0, 1, 1, 0, 0, 0});
  // visible, view 32 x 32 from (0, 0) shown at 64 x 64, borders 8, no speed limit, following obj_walker.
  room.views.push_back({1, 0, 0, 32, 32, 0, 0, 64, 64, 8, 8, -1, -1, 0});
  room.instances.push_back({40, 30, 0, 100001, {""}});
  room.instances.push_back({0, 0, 1, 100002, {""}});
  game.rooms.push_back(room);
  game.header.lastInstanceId = 100100;

  const RunnerResult run = RunGameSaving(game, {"runner_view.png"}, {"-inawindow", "-noaudio"});
  ASSERT_EQ(run.exitCode, 0) << run.output;
  int w = 0, h = 0;
  auto pixels = SavedPng("runner_view.png", w, h);
  ASSERT_EQ(w, 64);
  ASSERT_EQ(h, 64);
  ExpectSavedGolden("runner_view");
}

INSTANTIATE_GAME_FORMS(RunnerGolden);

}  // namespace
