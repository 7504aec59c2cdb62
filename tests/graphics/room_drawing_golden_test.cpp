// End-to-end pictures: a game image loaded in process draws through its rooms' draw pass
// and its own draw events, saves the screen with screen_save from its GUI event, and the
// saved PNG is compared with a golden image.
#include "graphics/drawing_fixture.h"

#include "data/rooms.h"
#include "runner/input.h"
#include "runner/instance_list.h"
#include "runner/room_drawing.h"
#include "runner/room_start.h"
#include "runner/run_globals.h"
#include "script/builtin_variables.h"

namespace {

gamedata::Object ObjectWith(int32_t sprite, int32_t depth, std::string draw, std::string gui = {}) {
  gamedata::Object object;
  object.name = "obj" + std::to_string(depth);
  object.sprite = sprite;
  object.depth = depth;
  if (!draw.empty()) object.events.push_back({8, 0, {std::move(draw)}});
  if (!gui.empty()) object.events.push_back({8, 64, {std::move(gui)}});
  return object;
}

uint32_t At(const std::vector<uint32_t>& pixels, int x, int y) {
  return pixels[static_cast<size_t>(y) * 64 + static_cast<size_t>(x)] & 0xFFFFFFu;
}

}  // namespace

TEST_F(DrawingTest, InstancesDrawInDepthOrder) {
  GameDataWriter game = BaseGame();
  // Three squares overlapping; the deepest is drawn first. A sprite-only instance sits in
  // the middle of them by depth and is drawn by the room pass itself.
  game.objects.push_back(ObjectWith(-1, 10, "draw_set_color(c_red); draw_rectangle(8, 8, 40, 40, 0);"));
  game.objects.push_back(ObjectWith(-1, -10, "draw_set_color(c_lime); draw_rectangle(24, 24, 56, 56, 0);"));
  game.objects.push_back(ObjectWith(0, 0, "", "screen_save(\"depth_order.png\");"));
  game.objects.push_back(ObjectWith(-1, 20000, "draw_set_color(c_blue); draw_rectangle(16, 0, 32, 63, 0);"));
  Load(game);
  Add(0, 0, 0);
  Add(1, 0, 0);
  Add(2, 32, 44).image_xscale = 4;
  Add(3, 0, 0);
  DrawRoomFrame();
  int w = 0, h = 0;
  auto pixels = SavedPng("depth_order.png", w, h);
  ASSERT_EQ(w, 64);
  EXPECT_EQ(At(pixels, 20, 4), 0x0000FFu);    // blue alone
  EXPECT_EQ(At(pixels, 20, 12), 0xFF0000u);   // red over the deepest blue
  EXPECT_EQ(At(pixels, 30, 30), 0x00FF00u);   // lime, the nearest, over everything
  EXPECT_EQ(At(pixels, 20, 44), 0xFF0000u);   // the sprite (depth 0) over blue
  EXPECT_EQ(At(pixels, 20, 50), 0x0000FFu);
  EXPECT_EQ(At(pixels, 28, 44), 0x00FF00u);   // and under lime
  ExpectSavedGolden("depth_order");
}

TEST_F(DrawingTest, RotatedScaledSpriteTurnsAboutItsOrigin) {
  GameDataWriter game = BaseGame();
  game.objects.push_back(ObjectWith(0, 0,
                                    "draw_sprite_ext(spr_bar, 0, 32, 32, 3, 2, 30, c_white, 1);"
                                    "draw_sprite_ext(spr_bar, 0, 12, 52, -1, 1, 0, c_white, 0.5);",
                                    "screen_save(\"rotated_sprite.png\");"));
  Load(game);
  Add(0, 0, 0);
  DrawRoomFrame();
  int w = 0, h = 0;
  auto pixels = SavedPng("rotated_sprite.png", w, h);
  ASSERT_EQ(w, 64);
  // Turned 30 degrees counter-clockwise about the origin: the red half lies left and below.
  EXPECT_EQ(At(pixels, 25, 35) & 0xFF0000u, 0xFF0000u);
  EXPECT_EQ(At(pixels, 39, 28) & 0x00FF00u, 0x00FF00u);
  // Mirrored at half alpha: green on the left.
  EXPECT_EQ(At(pixels, 9, 52) >> 16, 0u);
  EXPECT_NEAR(static_cast<int>((At(pixels, 9, 52) >> 8) & 0xFF), 127, 2);
  ExpectSavedGolden("rotated_sprite");
}

TEST_F(DrawingTest, TiledBackgroundAndForegroundLayers) {
  GameDataWriter game = BaseGame();
  game.objects.push_back(ObjectWith(-1, 0, "", "screen_save(\"tiled_background.png\");"));
  Load(game);
  RoomBackground& back = room.backgrounds[0];
  back.visible = true;
  back.index = 0;
  back.x = 3;
  back.y = 5;
  // A half-size foreground strip tiled only across, at half alpha.
  RoomBackground& front = room.backgrounds[1];
  front.visible = true;
  front.foreground = true;
  front.index = 0;
  front.x = 1;
  front.y = 40;
  front.vtiled = false;
  front.xscale = front.yscale = 0.5f;
  Add(0, 0, 0);
  DrawRoomFrame();
  int w = 0, h = 0;
  auto pixels = SavedPng("tiled_background.png", w, h);
  ASSERT_EQ(w, 64);
  // The layer starts at (3, 5) and repeats every 8 pixels both ways, also left and above.
  EXPECT_EQ(At(pixels, 3, 5), 0x2040FFu);
  EXPECT_EQ(At(pixels, 7, 5), 0xFFE000u);
  EXPECT_EQ(At(pixels, 2, 4), 0x2040FFu);
  EXPECT_EQ(At(pixels, 59, 29), 0x2040FFu);
  // The foreground's 4-pixel tiles lie over it in rows 40 to 43 only.
  EXPECT_EQ(At(pixels, 3, 40), 0xFFE000u);
  EXPECT_EQ(At(pixels, 5, 40), 0x2040FFu);
  EXPECT_EQ(At(pixels, 3, 43), 0x2040FFu);
  EXPECT_EQ(At(pixels, 3, 44), 0xFFE000u);
  ExpectSavedGolden("tiled_background");
}

TEST_F(DrawingTest, ViewFollowsAnInstanceInALargerRoom) {
  GameDataWriter game = BaseGame();
  game.objects.push_back(ObjectWith(0, 0, ""));
  game.objects.push_back(ObjectWith(-1, 100, "", "screen_save(\"view_follow.png\");"));
  Load(game);
  room.width = room.height = 128;
  room.enableViews = true;
  room.backgrounds[0].visible = true;
  room.backgrounds[0].index = 0;
  RoomView& view = room.views[0];
  view.visible = true;
  view.xview = view.yview = 0;
  view.wview = view.hview = 32;
  view.xport = view.yport = 0;
  view.wport = view.hport = 64;
  view.hborder = view.vborder = 8;
  view.object = 0;
  CInstance& hero = Add(0, 100, 90);
  Add(1, 0, 0);
  DrawRoomFrame();
  // The instance stays 8 pixels inside the view's right and bottom edges.
  EXPECT_EQ(view.xview, 100 + 8 - 32);
  EXPECT_EQ(view.yview, 90 + 8 - 32);
  ExpectSavedGolden("view_follow");
  // It walks to the room's corner: the view stops at the room's edge.
  hero.x = 126;
  hero.y = 127;
  DrawRoomFrame();
  EXPECT_EQ(view.xview, 128 - 32);
  EXPECT_EQ(view.yview, 128 - 32);
}

TEST_F(DrawingTest, EveryPrimitiveKind) {
  GameDataWriter game = BaseGame();
  game.objects.push_back(ObjectWith(-1, 0,
                                    "draw_set_color(c_white);"
                                    "draw_point(1, 1); draw_line(3, 1, 12, 1); draw_line_width(14, 2, 28, 6, 3);"
                                    "draw_rectangle(1, 4, 10, 12, 0); draw_rectangle(12, 8, 20, 14, 1);"
                                    "draw_set_color(c_yellow); draw_roundrect(22, 8, 40, 20, 0);"
                                    "draw_roundrect(42, 8, 62, 20, 1);"
                                    "draw_set_color(c_aqua); draw_triangle(2, 30, 12, 16, 20, 30, 0);"
                                    "draw_triangle(22, 30, 30, 22, 38, 30, 1);"
                                    "draw_circle(48, 28, 6, 0); draw_circle(58, 28, 4, 1);"
                                    "draw_set_color(c_fuchsia); draw_ellipse(2, 34, 22, 42, 0);"
                                    "draw_ellipse(24, 34, 44, 42, 1); draw_arrow(46, 38, 62, 38, 6);"
                                    "draw_set_color(c_gray); draw_button(2, 46, 18, 58, 1); draw_button(20, 46, 36, 58, 0);"
                                    "draw_healthbar(38, 46, 62, 50, 75, c_black, c_red, c_lime, 0, 1, 1);"
                                    "draw_healthbar(38, 52, 62, 56, 150, c_black, c_red, c_lime, 1, 1, 0);"
                                    "draw_set_alpha(0.5); draw_set_color(c_orange);"
                                    "draw_primitive_begin(pr_trianglefan);"
                                    "draw_vertex(40, 60); draw_vertex(60, 58); draw_vertex(62, 63); draw_vertex(40, 63);"
                                    "draw_primitive_end(); draw_set_alpha(1); draw_set_color(c_white);"
                                    "draw_primitive_begin_texture(pr_trianglestrip, sprite_get_texture(spr_bar, 0));"
                                    "draw_vertex_texture(2, 59, 0, 0); draw_vertex_texture(34, 59, 1, 0);"
                                    "draw_vertex_texture(2, 63, 0, 1); draw_vertex_texture(34, 63, 1, 1);"
                                    "draw_primitive_end();",
                                    "screen_save(\"every_primitive.png\");"));
  Load(game);
  Add(0, 0, 0);
  DrawRoomFrame();
  int w = 0, h = 0;
  auto pixels = SavedPng("every_primitive.png", w, h);
  ASSERT_EQ(w, 64);
  EXPECT_EQ(At(pixels, 5, 8), 0xFFFFFFu);
  EXPECT_EQ(At(pixels, 16, 11), 0u);  // an outline is hollow
  EXPECT_EQ(At(pixels, 48, 28), 0x00FFFFu);
  EXPECT_EQ(At(pixels, 58, 28), 0u);
  EXPECT_EQ(At(pixels, 10, 61) & 0xFF0000u, 0xFF0000u);  // the textured strip's red half
  EXPECT_EQ(At(pixels, 26, 61) & 0x00FF00u, 0x00FF00u);
  ExpectSavedGolden("every_primitive");
}

TEST_F(DrawingTest, PerCornerColours) {
  GameDataWriter game = BaseGame();
  game.objects.push_back(ObjectWith(-1, 0,
                                    "draw_rectangle_color(2, 2, 30, 30, c_red, c_lime, c_blue, c_white, 0);"
                                    "draw_triangle_color(34, 30, 48, 2, 62, 30, c_red, c_lime, c_blue, 0);"
                                    "draw_line_color(2, 33, 61, 33, c_black, c_white);"
                                    "draw_circle_color(16, 48, 12, c_white, c_blue, 0);"
                                    "draw_sprite_general(spr_bar, 0, 0, 0, 8, 4, 34, 38, 3, 5, 0, c_white, c_white, c_black, c_black, 1);",
                                    "screen_save(\"corner_colours.png\");"));
  Load(game);
  Add(0, 0, 0);
  DrawRoomFrame();
  int w = 0, h = 0;
  auto pixels = SavedPng("corner_colours.png", w, h);
  ASSERT_EQ(w, 64);
  EXPECT_GT((At(pixels, 3, 3) >> 16) & 0xFF, 0xE0u);   // red corner
  EXPECT_GT((At(pixels, 29, 3) >> 8) & 0xFF, 0xE0u);   // lime corner
  EXPECT_GT(At(pixels, 29, 29) & 0xFF, 0xE0u);         // blue corner
  EXPECT_GT((At(pixels, 36, 39) >> 16) & 0xFF, 0xE0u);  // the sprite's top is untinted red
  EXPECT_LT((At(pixels, 36, 56) >> 16) & 0xFF, 0x30u);  // its bottom fades to black
  ExpectSavedGolden("corner_colours");
}

namespace {
CRoom* g_tiledRoom = nullptr;
CRoom* TiledRoomForTest() { return g_tiledRoom; }
}  // namespace

TEST_F(DrawingTest, TilesTakeTheirPlaceAmongInstancesByDepth) {
  GameDataWriter game = BaseGame();
  game.objects.push_back(ObjectWith(-1, 10, "draw_set_color(c_red); draw_rectangle(0, 0, 40, 40, 0);"));
  game.objects.push_back(ObjectWith(-1, 0, "draw_set_color(c_white); draw_rectangle(24, 24, 63, 63, 0);",
                                    "screen_save(\"tiles_by_depth.png\");"));
  Load(game);
  CRoom tiled;
  tiled.width = tiled.height = kCanvas;
  tiled.colour = 0;
  g_tiledRoom = &tiled;
  Variable_BuiltIn_World().currentRoom = [&tiled] { return &tiled; };
  Room_SetTileRoomQuery(TiledRoomForTest);
  // The checker's top-left 4 x 4 quarter, doubled, at depth 5 between the two instances;
  // a hidden tile and one outside the room draw nothing.
  Tile tile;
  tile.background = 0;
  tile.width = tile.height = 4;
  tile.x = tile.y = 16;
  tile.xscale = tile.yscale = 4;
  tile.depth = 5;
  tiled.AddTile(tile);
  tile.x = 0;
  tile.visible = false;
  tiled.AddTile(tile);
  tile.visible = true;
  tile.x = 200;
  tiled.AddTile(tile);
  std::vector<std::unique_ptr<CInstance>> own;
  for (int32_t object : {1, 0}) {
    own.push_back(Instance_Create(0, 0, object));
    InstanceList_InsertByDepth(tiled.active, *own.back());
  }
  DrawRoomFrame();
  int w = 0, h = 0;
  auto pixels = SavedPng("tiles_by_depth.png", w, h);
  ASSERT_EQ(w, 64);
  EXPECT_EQ(At(pixels, 4, 4), 0xFF0000u);     // the deepest instance alone
  EXPECT_EQ(At(pixels, 18, 18), 0x2040FFu);   // the tile over it
  EXPECT_EQ(At(pixels, 30, 30), 0xFFFFFFu);   // the nearest instance over the tile
  ExpectSavedGolden("tiles_by_depth");
  for (auto& instance : own) InstanceList_Unlink(tiled.active, *instance);
  Room_SetTileRoomQuery(Run_CurrentRoom);
  g_tiledRoom = nullptr;
  Variable_BuiltIn_World().currentRoom = [this] { return &room; };
}

TEST_F(DrawingTest, ViewsFollowWithBordersAndSpeedLimits) {
  GameDataWriter game = BaseGame();
  game.objects.push_back(ObjectWith(-1, 0, ""));
  Load(game);
  room.width = room.height = 1000;
  room.enableViews = true;
  CInstance& hero = Add(0, 500, 400);
  struct Case {
    const char* what;
    int32_t hborder, hspeed;
    bool marked;
    int32_t xview;  // after one update from xview 0 (wview 200)
  } cases[] = {
      {"border inside the view: the instance stays that far from the edge", 50, -1, false, 500 + 50 - 200},
      {"border of half the view or more: centred", 100, -1, false, 500 - 100},
      {"speed limit", 50, 7, false, 7},
      {"speed 0 never moves", 50, 0, false, 0},
      {"a destroyed instance is not followed", 50, -1, true, 0},
  };
  for (const Case& c : cases) {
    RoomView& view = room.views[0];
    view = RoomView{};
    view.visible = true;
    view.wview = 200;
    view.hview = 100;
    view.wport = 64;
    view.hport = 64;
    view.hborder = c.hborder;
    view.hspeed = c.hspeed;
    view.object = 0;
    hero.marked = c.marked;
    Room_UpdateViews();
    EXPECT_EQ(view.xview, c.xview) << c.what;
  }
  hero.marked = false;
  // Following by instance id, clamped at the room's edge.
  RoomView& view = room.views[0];
  view.object = hero.id;
  view.hspeed = view.vspeed = -1;
  hero.x = 990;
  hero.y = 995;
  Room_UpdateViews();
  EXPECT_EQ(view.xview, 1000 - 200);
  EXPECT_EQ(view.yview, 1000 - 100);
}

TEST_F(DrawingTest, CursorSpriteIsDrawnLastAtTheMouse) {
  GameDataWriter game = BaseGame();
  game.objects.push_back(ObjectWith(-1, 0, "draw_set_color(c_white); draw_rectangle(0, 0, 63, 63, 0);",
                                    ""));
  Load(game);
  Add(0, 0, 0);
  Run_Globals.cursorSprite = 0;
  Run_Globals.viewCurrent = 5;
  IO_State().windowMouseX = 20;
  IO_State().windowMouseY = 30;
  ASSERT_TRUE(GR_D3D_Start_Frame());
  Room_Draw();
  auto pixels = Graphics_GrabSurfaceRect(Graphics_ScreenTexture(), 0, 0, 64, 64);
  GR_D3D_Finish_Frame(false);
  Run_Globals.cursorSprite = -1;
  // The 8 x 4 sprite with its origin (4, 2) at the mouse, over the room's white.
  EXPECT_EQ(At(pixels, 17, 29), 0xFF0000u);
  EXPECT_EQ(At(pixels, 22, 30), 0x00FF00u);
  EXPECT_EQ(At(pixels, 20, 33), 0xFFFFFFu);
  EXPECT_EQ(Run_Globals.viewCurrent, 0);
}
