// 3D games played headless by the runner binary in each game form, their pictures compared
// with golden images: a textured block under a perspective projection with the depth buffer,
// a lit ellipsoid, fog, 3D switched off again, and a deep instance in a room with tiles. The
// drawing runs in a script called from the draw event's script, as games arrange it.
#include "graphics/played_drawing_game.h"

namespace {

constexpr uint32_t kBlack = 0xFF000000u, kRed = 0xFFFF0000u, kGreen = 0xFF00FF00u;

class D3DGame : public PlayedDrawingGame {
 protected:
  // A game whose painter runs `create` once and draws through the script scr_scene, which
  // the draw event calls by way of scr_draw; the camera saves the picture of frame `frame`.
  static GameDataWriter SceneGame(const std::string& create, const std::string& scene, int frame = 2) {
    GameDataWriter game = PainterGame({{0, 0, {create}}, {8, 0, {"scr_draw();"}}}, frame);
    game.scripts.push_back({"scr_draw", {"scr_scene();"}});
    game.scripts.push_back({"scr_scene", {scene}});
    return game;
  }
  static constexpr const char* kCamera =
      "d3d_set_projection_ext(0, -70, 50, 0, 0, 0, 0, 0, 1, 60, 1, 1, 1000);";

  void ExpectShot(const std::string& golden) { ExpectGolden(golden, shot, width, height); }
};

// A block with the checker background's page entry as its texture, repeated twice across each
// face, in front of a red block that it partly hides: the depth buffer, not the drawing
// order, decides what is seen.
TEST_P(D3DGame, TexturedBlockUnderPerspectiveWithDepth) {
  Play(SceneGame("d3d_start(); tex = background_get_texture(0);",
                 std::string(kCamera) +
                     "draw_set_color(c_white); d3d_draw_block(-20, -20, 0, 20, 20, 30, tex, 2, 2);"
                     "draw_set_color(c_red); d3d_draw_block(-30, 10, 5, 30, 40, 60, -1, 1, 1);"
                     "draw_set_color(c_white);"));
  ExpectShot("d3d_textured_block");
  // The red block stands behind the textured one: it shows above it, not over it.
  EXPECT_EQ(At(32, 40) & 0xFFFF0000u, kRed & 0xFFFF0000u);
}

// An ellipsoid lit by one directional light and a dim ambient light: the side facing the
// light is bright, the far side only ambient.
TEST_P(D3DGame, LitEllipsoid) {
  Play(SceneGame("d3d_start(); d3d_set_lighting(true); d3d_light_define_ambient(make_color_rgb(40, 40, 40));"
                 "d3d_light_define_direction(0.4, 1, 0, 0, c_white); d3d_light_enable(0, true);",
                 std::string(kCamera) + "draw_set_color(c_white); d3d_draw_ellipsoid(-25, -25, -25, 25, 25, 25, -1, 1, 1, 24);"));
  ExpectShot("d3d_lit_ellipsoid");
}

// A second light given a direction of no length, or one beyond single precision, lights
// nothing: the picture is the one lit ellipsoid's, with no NaN reaching the lighting.
TEST_P(D3DGame, LightWithoutADirectionLightsNothing) {
  Play(SceneGame("d3d_start(); d3d_set_lighting(true); d3d_light_define_ambient(make_color_rgb(40, 40, 40));"
                 "d3d_light_define_direction(0.4, 1, 0, 0, c_white); d3d_light_enable(0, true);"
                 "d3d_light_define_direction(1, 0, 0, 0, c_red); d3d_light_enable(1, true);"
                 "d3d_light_define_direction(2, power(10, 39), 0, 0, c_red); d3d_light_enable(2, true);",
                 std::string(kCamera) + "draw_set_color(c_white); d3d_draw_ellipsoid(-25, -25, -25, 25, 25, 25, -1, 1, 1, 24);"));
  ExpectShot("d3d_lit_ellipsoid");
}

// Linear fog between 60 and 200: a floor running away from the camera fades into the fog's
// colour.
TEST_P(D3DGame, FogFadesTheFarFloor) {
  Play(SceneGame("d3d_start(); d3d_set_fog(true, c_blue, 60, 200);",
                 "d3d_set_projection_ext(0, -40, 20, 0, 100, 0, 0, 0, 1, 70, 1, 1, 1000);"
                 "draw_set_color(c_lime); d3d_draw_floor(-60, -20, 0, 60, 400, 0, -1, 1, 1);"));
  ExpectShot("d3d_fog");
}

// 3D mode on in the first frame and off from the second: the room's projection is flat again,
// nothing is clipped for its depth, and a rectangle lands on the pixels it names.
TEST_P(D3DGame, SwitchingThreeDOffRestoresTwoDDrawing) {
  Play(SceneGame("frame = 0;",
                 "frame += 1; if (frame == 1) { d3d_start(); d3d_set_depth(20000); d3d_draw_block(0, 0, 0, 9, 9, 9, -1, 1, 1); }"
                 "else { r = d3d_end(); show_debug_message(\"@end \" + string(r)); d3d_set_depth(500);"
                 "draw_set_color(c_lime); draw_rectangle(10, 12, 20, 22, false); }",
                 3));
  EXPECT_EQ(lines, "end 1\nend 1\n");
  EXPECT_EQ(At(10, 12), kGreen);
  EXPECT_EQ(At(19, 21), kGreen);
  EXPECT_EQ(At(9, 12), kBlack);
  EXPECT_EQ(At(21, 22), kBlack);
  EXPECT_EQ(At(40, 40), kBlack);
}

// A model written as a text file by the game, loaded, and drawn twice with different
// transforms: a block with a cone on top and, behind them, a fin of its own colours (red at
// the foot, blue at the tip). The nearer copy, drawn first with the checker texture, hides
// part of the farther one, drawn untextured in yellow: the yellow reaches only the vertices
// without a colour of their own. Some lines leave out the slots their kind does not use, as
// files written by other tools do.
TEST_P(D3DGame, ModelFromATextFileDrawnTwice) {
  const std::string fileLines[] = {"100",
                               "7",
                               "10 -10 -10 0 10 10 16 1 1 0 0",
                               "12 -10 -10 16 10 10 30 1 1 1 16",
                               "0 4",
                               "3 -16 11 0 255 1",
                               "3 16 11 0 255 1 0 0 0 0 0",
                               "3 0 11 34 16711680 1",
                               "1"};
  std::string writer = "f = file_text_open_write(\"ship.txt\");";
  for (const std::string& line : fileLines) writer += "file_text_write_string(f, \"" + line + "\"); file_text_writeln(f);";
  writer += "file_text_close(f); ship = d3d_model_create(); show_debug_message(\"@load \" + string(d3d_model_load(ship, \"ship.txt\")));";
  Play(SceneGame("d3d_start(); tex = background_get_texture(0);" + writer,
                 std::string(kCamera) +
                     "draw_set_color(c_white); d3d_transform_set_scaling(0.8, 0.8, 0.8);"
                     "d3d_model_draw(ship, -12, -10, 0, tex);"
                     "draw_set_color(c_yellow); d3d_transform_set_rotation_z(30); d3d_transform_add_translation(14, 15, 0);"
                     "d3d_model_draw(ship, 0, 0, 0, -1);"
                     "d3d_transform_set_identity(); draw_set_color(c_white);"));
  EXPECT_EQ(lines, "load 1\n");
  ExpectShot("d3d_model_twice");
  auto red = [this](int x, int y) { return (At(x, y) >> 16) & 0xFFu; };
  auto blue = [this](int x, int y) { return At(x, y) & 0xFFu; };
  EXPECT_EQ(At(22, 20), 0xFFFFFF00u);              // the yellow copy's block
  EXPECT_TRUE(red(15, 25) > 0xC0 && blue(15, 25) < 0x40);  // its fin's red foot beside the block
  EXPECT_TRUE(blue(20, 9) > 0xC0 && red(20, 9) < 0x40);    // and blue tip above the cone
}

// In 3D mode the room is drawn through the perspective view projection: an instance deep in
// the room (depth 8000) is drawn small, near the middle, among tiles nearer to the eye.
TEST_P(D3DGame, DeepInstanceIsDrawnInARoomWithTiles) {
  GameDataWriter game = BaseGame();
  game.header.lastInstanceId = 100100;
  gamedata::Object deep;
  deep.name = "obj_deep";
  deep.sprite = 0;
  deep.depth = 8000;
  deep.events.push_back({0, 0, {"d3d_start(); image_xscale = 400; image_yscale = 400;"}});
  game.objects.push_back(deep);
  game.objects.push_back(Camera(2));
  gamedata::Room room = BlackRoom();
  room.instances = {{32, 32, 0, 100001, {""}}, {0, 0, 1, 100002, {""}}};
  room.tiles.push_back({0, 0, 0, 0, 0, 8, 8, 100, 10000001});
  game.rooms.push_back(room);
  Play(game);
  ExpectShot("d3d_deep_instance");
  EXPECT_NE(At(32, 32), kBlack);
}

INSTANTIATE_GAME_FORMS(D3DGame);

}  // namespace
