// Room features played by the runner binary, headless, each saving its screen for a golden
// image: tiles changed by the tile built-ins among instances by depth; a view drawn into a
// surface and the surface drawn scaled; the GUI pass at a GUI size other than the window's.
// Each game is played in every game form, to the same golden image.
#include "graphics/drawing_fixture.h"

namespace {

uint32_t At(const std::vector<uint32_t>& pixels, int x, int y) {
  return pixels[static_cast<size_t>(y) * 64 + static_cast<size_t>(x)] & 0xFFFFFFu;
}

gamedata::Object ObjectWith(std::string name, int32_t depth, std::string draw, std::string gui = {}) {
  gamedata::Object object;
  object.name = std::move(name);
  object.depth = depth;
  if (!draw.empty()) object.events.push_back({8, 0, {std::move(draw)}});
  if (!gui.empty()) object.events.push_back({8, 64, {std::move(gui)}});
  return object;
}

gamedata::Room RoomOf(std::vector<gamedata::Instance> instances) {
  gamedata::Room room;
  room.name = "rm_test";
  room.width = room.height = 64;
  room.speed = 1000;
  room.colour = 0x000000;
  room.instances = std::move(instances);
  return room;
}

gamedata::Tile StoredTile(int32_t id, int32_t x, int32_t y, int32_t depth) {
  gamedata::Tile tile;
  tile.id = id;
  tile.x = x;
  tile.y = y;
  tile.width = tile.height = 8;
  tile.depth = depth;
  tile.xscale = tile.yscale = 4;
  return tile;
}

constexpr uint32_t kCheckerBlue = 0x2040FFu;
constexpr uint32_t kCheckerYellow = 0xFFE000u;

class RoomFeatures : public DrawingGameTest {
 protected:
  RunnerResult RunSaving(const GameDataWriter& game, const std::string& png) {
    return RunGameSaving(game, {png}, {"-inawindow", "-noaudio"});
  }
};

TEST_P(RoomFeatures, TileBuiltInsChangeLayersAmongInstancesByDepth) {
  GameDataWriter game = BaseGame();
  game.objects.push_back(ObjectWith("obj_red", 60, "draw_set_color(c_red); draw_rectangle(16, 16, 47, 47, 0);"));
  game.objects.push_back(ObjectWith("obj_saver", 0, "", "screen_save(\"tiles_layers.png\"); game_end();"));
  gamedata::Room room = RoomOf({{0, 0, 0, 100001, {""}}, {0, 0, 1, 100002, {""}}});
  // Two 32 x 32 tiles side by side at depth 100 (behind the red square), one at depth 50.
  room.tiles = {StoredTile(10000001, 0, 0, 100), StoredTile(10000002, 32, 0, 100), StoredTile(10000003, 0, 32, 50)};
  room.creationCode = {
      "var a, t, n, gone;"
      "a = tile_layer_find(100, 2, 2);"
      "show_debug_message(\"found \" + string(a >= 0) + \" depth \" + string(tile_get_depth(a)) + \" xscale \" +"
      "                   string(tile_get_xscale(a)) + \" background \" + string(tile_get_background(a)));"
      "tile_layer_hide(50);"
      "tile_layer_shift(100, 0, 8);"
      "tile_layer_depth(100, 40);"  // now in front of the red square
      "t = tile_add(bg_check, 0, 0, 4, 4, 44, 44, 10);"
      "tile_set_scale(t, 2, 2);"
      "show_debug_message(\"added \" + string(tile_exists(t)) + \" at \" + string(tile_get_x(t)) + \",\" +"
      "                   string(tile_get_y(t)) + \" region \" + string(tile_get_width(t)) + \" alpha \" +"
      "                   string(tile_get_alpha(t)) + \" blend \" + string(tile_get_blend(t)));"
      "show_debug_message(\"shifted \" + string(tile_get_y(a)) + \" layer \" + string(tile_layer_find(40, 2, 10) == a));"
      // Bad input: missing ids and backgrounds, a tile of negative size.
      "show_debug_message(\"missing \" + string(tile_exists(999999)) + \" \" + string(tile_get_alpha(999999)));"
      "tile_delete(-5);"
      "show_debug_message(\"no background \" + string(tile_add(99, 0, 0, 8, 8, 0, 0, 0)));"
      "n = tile_add(bg_check, 0, 0, -8, -8, 10, 10, 5);"
      "tile_delete(n);"
      "show_debug_message(\"negative deleted \" + string(tile_exists(n)));"
      // Layers compare their depths exactly in single precision.
      "var h1, h2; h1 = tile_add(bg_check, 0, 0, 1, 1, 200, 200, 1000.5); h2 = tile_add(bg_check, 0, 0, 1, 1, 200, 200, 1000);"
      "tile_layer_hide(1000.5);"
      "show_debug_message(\"layer 1000.5 \" + string(tile_get_visible(h1)) + string(tile_get_visible(h2)));"
      "tile_layer_delete(1000.5); tile_layer_delete_at(1000, 200.4, 200.4);"
      "show_debug_message(\"layers deleted \" + string(tile_exists(h1)) + string(tile_exists(h2)));"};
  game.rooms.push_back(room);
  game.header.lastInstanceId = 100100;
  game.header.lastTileId = 10000010;
  const RunnerResult run = RunSaving(game, "tiles_layers.png");
  ASSERT_EQ(run.exitCode, 0) << run.output;
  EXPECT_NE(run.output.find("found 1 depth 100 xscale 4 background 0"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("added 1 at 44,44 region 4 alpha 1 blend 16777215"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("shifted 8 layer 1"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("missing 0 0"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("Tile does not exist."), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("no background -1"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("Background does not exist."), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("negative deleted 0"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("layer 1000.5 01"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("layers deleted 00"), std::string::npos) << run.output;
  int w = 0, h = 0;
  auto pixels = SavedPng("tiles_layers.png", w, h);
  ASSERT_EQ(w, 64);
  EXPECT_EQ(At(pixels, 4, 4), 0u);                // the layer moved down by 8
  EXPECT_EQ(At(pixels, 2, 10), kCheckerBlue);     // the shifted layer's checker
  EXPECT_EQ(At(pixels, 20, 10), kCheckerYellow);
  EXPECT_EQ(At(pixels, 20, 20), kCheckerYellow);  // ... now in front of the red square
  EXPECT_EQ(At(pixels, 20, 44), 0xFF0000u);       // the square below the layer
  EXPECT_EQ(At(pixels, 4, 50), 0u);               // the hidden layer
  EXPECT_EQ(At(pixels, 46, 46), kCheckerBlue);    // the added tile, in front of the square
  EXPECT_EQ(At(pixels, 42, 42), 0xFF0000u);
  ExpectSavedGolden("tiles_layers");
}

TEST_P(RoomFeatures, ViewDrawnIntoASurfaceAndTheSurfaceDrawnScaled) {
  GameDataWriter game = BaseGame();
  game.objects.push_back(ObjectWith("obj_painter", 0,
                                    "draw_set_color(c_red); draw_rectangle(0, 0, 15, 31, 0);"
                                    "draw_set_color(c_lime); draw_rectangle(16, 0, 31, 31, 0);"
                                    "draw_set_color(c_blue); draw_rectangle(32, 32, 63, 63, 0);",
                                    "draw_surface_ext(global.s, 0, 0, 0.5, 0.5, 0, c_white, 1);"
                                    "draw_surface_ext(global.s, 16, 24, 1.5, 1.5, 0, c_white, 1);"
                                    "screen_save(\"view_surface.png\"); game_end();"));
  gamedata::Room room = RoomOf({{0, 0, 0, 100001, {""}}});
  room.enableViews = true;
  // View 0: the room's top-left quarter, into the surface; view 1: the bottom-right quarter,
  // over the whole window.
  room.views.push_back({1, 0, 0, 32, 32, 0, 0, 32, 32, 0, 0, -1, -1, -1});
  room.views.push_back({1, 32, 32, 32, 32, 0, 0, 64, 64, 0, 0, -1, -1, -1});
  // View 2 names a surface that does not exist: it draws where it is (a corner the GUI pass
  // covers) and leaves the frame's own target in place for the views and passes after it.
  room.views.push_back({1, 0, 0, 4, 4, 0, 0, 4, 4, 0, 0, -1, -1, -1});
  room.creationCode = {"global.s = surface_create(32, 32); view_surface_id[0] = global.s; view_surface_id[2] = 99;"};
  game.rooms.push_back(room);
  game.header.lastInstanceId = 100100;
  const RunnerResult run = RunSaving(game, "view_surface.png");
  ASSERT_EQ(run.exitCode, 0) << run.output;
  int w = 0, h = 0;
  auto pixels = SavedPng("view_surface.png", w, h);
  ASSERT_EQ(w, 64);
  EXPECT_EQ(At(pixels, 4, 4), 0xFF0000u);    // the surface at half size
  EXPECT_EQ(At(pixels, 12, 4), 0x00FF00u);
  EXPECT_EQ(At(pixels, 20, 20), 0x0000FFu);  // view 1 only: view 0 never reached the screen
  EXPECT_EQ(At(pixels, 40, 10), 0x0000FFu);
  EXPECT_EQ(At(pixels, 20, 30), 0xFF0000u);  // the surface at one and a half times
  EXPECT_EQ(At(pixels, 50, 30), 0x00FF00u);
  ExpectSavedGolden("view_surface");
}

TEST_P(RoomFeatures, GuiPassAtItsOwnSize) {
  GameDataWriter game = BaseGame();
  game.objects.push_back(ObjectWith("obj_gui", 0, "draw_set_color(c_blue); draw_rectangle(40, 0, 63, 7, 0);",
                                    "draw_set_color(c_red); draw_rectangle(0, 0, 15, 15, 0);"
                                    "show_debug_message(\"gui \" + string(display_get_gui_width()) + \"x\" +"
                                    "                   string(display_get_gui_height()));"
                                    "screen_save(\"gui_size.png\"); game_end();"));
  gamedata::Room room = RoomOf({{0, 0, 0, 100001, {""}}});
  room.creationCode = {
      "show_debug_message(\"gui before \" + string(display_get_gui_width()));"
      "display_set_gui_size(32, 32);"};
  game.rooms.push_back(room);
  game.header.lastInstanceId = 100100;
  const RunnerResult run = RunSaving(game, "gui_size.png");
  ASSERT_EQ(run.exitCode, 0) << run.output;
  EXPECT_NE(run.output.find("gui before 64"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("gui 32x32"), std::string::npos) << run.output;
  int w = 0, h = 0;
  auto pixels = SavedPng("gui_size.png", w, h);
  ASSERT_EQ(w, 64);
  EXPECT_EQ(At(pixels, 28, 28), 0xFF0000u);  // 16 GUI pixels are 32 window pixels
  EXPECT_EQ(At(pixels, 36, 36), 0u);
  EXPECT_EQ(At(pixels, 50, 4), 0x0000FFu);   // the room itself unscaled
  ExpectSavedGolden("gui_size");
}

INSTANTIATE_GAME_FORMS(RoomFeatures);

}  // namespace
