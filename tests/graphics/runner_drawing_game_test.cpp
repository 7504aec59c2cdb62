// Games played headless by the runner binary whose pictures are read back from screen_save
// (a PNG in the save area) and whose "@" lines report what the game itself read: instances
// far in front in a room with tiles, stretched sprites with an origin, surfaces set as the
// target over several frames, the room's first picture, draw_getpixel and draw_path, and sprites
// of the game file that gain frames.
#include "graphics/played_drawing_game.h"

namespace {

constexpr uint32_t kBlack = 0xFF000000u, kRed = 0xFFFF0000u, kGreen = 0xFF00FF00u, kBlue = 0xFF0000FFu;

class RunnerDrawingGame : public PlayedDrawingGame {};

// Outside 3D mode the depth is no z: an instance at depth -20000 (in front of everything) is
// drawn in a room with tiles, by its sprite and by its draw event, and so is the tile.
TEST_P(RunnerDrawingGame, InstancesFarInFrontAreDrawnInARoomWithTiles) {
  GameDataWriter game = BaseGame();
  game.header.lastInstanceId = 100100;
  gamedata::Object front;
  front.name = "obj_front";
  front.sprite = 0;
  front.depth = -20000;
  game.objects.push_back(front);
  gamedata::Object panel;
  panel.name = "obj_panel";
  panel.depth = -20000;
  panel.events.push_back({8, 0, {"draw_set_color(c_lime); draw_rectangle(2, 30, 9, 37, 0);"}});
  game.objects.push_back(panel);
  game.objects.push_back(Camera(3));
  gamedata::Room room = BlackRoom();
  room.instances = {{20, 20, 0, 100001, {""}}, {0, 0, 1, 100002, {""}}, {0, 0, 2, 100003, {""}}};
  room.tiles.push_back({40, 40, 0, 0, 0, 8, 8, 100, 10000001});
  game.rooms.push_back(room);
  Play(game);
  // The sprite (origin 4, 2) covers 16..23 x 18..21: red, then green.
  EXPECT_EQ(At(17, 19), kRed);
  EXPECT_EQ(At(22, 20), kGreen);
  EXPECT_EQ(At(5, 33), kGreen);
  // The tile's checker: blue-ish at its top-left, yellow beside it.
  EXPECT_EQ(At(41, 41), 0xFF2040FFu);
  EXPECT_EQ(At(45, 41), 0xFFFFE000u);
  EXPECT_EQ(At(30, 30), kBlack);
}

// Stretched sprites keep their origin, scaled with the frame: the 8 x 4 sprite with origin
// (4, 2) stretched to 16 x 8 at (32, 8) covers 24..39 x 4..11. Parts and the general form
// place the part's top-left corner at the position, without the origin.
TEST_P(RunnerDrawingGame, StretchedSpritesKeepTheirOriginScaled) {
  Play(PainterGame({{8, 0,
                     {"draw_sprite_stretched(spr_bar, 0, 32, 8, 16, 8);"
                      "draw_sprite_stretched_ext(spr_bar, 0, 16, 48, 8, 8, c_white, 1);"
                      "draw_sprite_part(spr_bar, 0, 2, 0, 4, 4, 40, 40);"
                      "draw_sprite_general(spr_bar, 0, 2, 0, 4, 4, 40, 50, 1, 1, 0, c_white, c_white, c_white, "
                      "c_white, 1);"}}},
                   3));
  EXPECT_EQ(At(24, 4), kRed);
  EXPECT_EQ(At(31, 11), kRed);
  EXPECT_EQ(At(32, 4), kGreen);
  EXPECT_EQ(At(39, 11), kGreen);
  EXPECT_EQ(At(23, 6), kBlack);
  EXPECT_EQ(At(40, 6), kBlack);
  EXPECT_EQ(At(30, 12), kBlack);
  // 8 x 8 from an 8 x 4 frame: scales (1, 2), origin (4, 4) scaled: 12..19 x 44..51.
  EXPECT_EQ(At(12, 44), kRed);
  EXPECT_EQ(At(19, 51), kGreen);
  EXPECT_EQ(At(11, 47), kBlack);
  EXPECT_EQ(At(15, 52), kBlack);
  // The part from x 2 to 5 (red, red, green, green) at 40..43 x 40..43.
  EXPECT_EQ(At(40, 40), kRed);
  EXPECT_EQ(At(43, 43), kGreen);
  EXPECT_EQ(At(39, 41), kBlack);
  EXPECT_EQ(At(40, 50), kRed);
  EXPECT_EQ(At(43, 53), kGreen);
}

// A surface left as the target at the end of a frame is the target no more: set again in the
// next frame it takes the drawing, and resetting it gives the screen back.
TEST_P(RunnerDrawingGame, SurfaceSetAgainInTheNextFrameTakesTheDrawing) {
  Play(PainterGame({{0, 0, {"s = surface_create(16, 16); n = 0;"}},
                    {8, 0,
                     {"n += 1;"
                      "if (n == 2) { surface_set_target(s); draw_clear(c_red); }"
                      "if (n == 3) { r = surface_set_target(s); draw_clear(c_blue);"
                      "  show_debug_message(\"@set \" + string(r) + \" reset \" + string(surface_reset_target()));"
                      "  show_debug_message(\"@pixel \" + string(surface_getpixel(s, 2, 2))); }"
                      "draw_surface(s, 40, 40);"
                      "draw_set_color(c_lime); draw_rectangle(4, 4, 11, 11, 0);"}}},
                   5,
                   // draw_texture_flush forgets every surface: the next one takes id 0 again.
                   "draw_texture_flush(); show_debug_message(\"@flushed \" + string(surface_exists(s)) + \" \" + "
                   "string(surface_create(8, 8)));"));
  EXPECT_EQ(lines, "set 1 reset 1\npixel 16711680\nflushed 0 0\n") << output;
  EXPECT_EQ(At(45, 45), kBlue);
  EXPECT_EQ(At(8, 8), kGreen);
  EXPECT_EQ(At(30, 30), kBlack);
}

// The room's first picture is a frame of its own, shown before the first step: a screenshot
// taken in the first step shows it (in the first room and in the next).
TEST_P(RunnerDrawingGame, TheRoomsFirstPictureIsShownBeforeItsFirstStep) {
  GameDataWriter game = BaseGame();
  game.header.lastInstanceId = 100100;
  gamedata::Object painter;
  painter.name = "obj_painter";
  painter.events.push_back({8, 0, {"draw_set_color(c_red); draw_rectangle(4, 4, 11, 11, 0);"}});
  painter.events.push_back({3, 0,
                            {"if (room == 0) { screen_save(\"first.png\"); room_goto(1); }"
                             " else { screen_save(\"shot.png\"); game_end(); }"}});
  game.objects.push_back(painter);
  gamedata::Room first = BlackRoom();
  first.colour = 0xFF0000;  // blue
  first.instances = {{0, 0, 0, 100001, {""}}};
  game.rooms.push_back(first);
  gamedata::Room second = BlackRoom();
  second.name = "rm_second";
  second.colour = 0x00FF00;  // lime
  second.instances = {{0, 0, 0, 100002, {""}}};
  game.rooms.push_back(second);
  Play(game);
  EXPECT_EQ(At(8, 8), kRed);
  EXPECT_EQ(At(30, 30), kGreen);
  shot = SavedPng("first.png", width, height);
  EXPECT_EQ(At(8, 8), kRed);
  EXPECT_EQ(At(30, 30), kBlue);
}

// draw_getpixel reads the screen in its own byte order (red high); draw_path draws a line strip
// through the path, shifted to start at the position or, absolute, where it lies.
TEST_P(RunnerDrawingGame, GetpixelReadsTheScreenAndPathsAreDrawn) {
  GameDataWriter game =
      PainterGame({{8, 0,
                    {"draw_set_color(c_red); draw_rectangle(4, 4, 11, 11, 0);"
                     "draw_set_color(c_lime); draw_path(pth_line, 10, 50, false);"
                     "draw_path(pth_line, 0, 0, true);"}}},
                  3, "show_debug_message(\"@\" + string(draw_getpixel(8, 8)) + \" \" + string(draw_getpixel(30, 30)));");
  gamedata::Path line;
  line.name = "pth_line";
  line.points = {{20, 60, 100}, {50, 60, 100}};
  game.paths.push_back(line);
  Play(game);
  EXPECT_EQ(lines, "16711680 0\n") << output;
  // Shifted to start at (10, 50): 10..40 on row 50 (or the row above, where the line's edge
  // falls); absolute: 20..50 on row 60.
  auto onRow = [this](int x, int y) { return At(x, y) == kGreen || At(x, y - 1) == kGreen; };
  EXPECT_TRUE(onRow(12, 50));
  EXPECT_TRUE(onRow(38, 50));
  EXPECT_FALSE(onRow(45, 50));
  EXPECT_TRUE(onRow(22, 60));
  EXPECT_TRUE(onRow(48, 60));
  EXPECT_FALSE(onRow(15, 60));
}

// Sprites of the game file gain frames: spr_frames (four 2 x 2 frames: red, green, blue, white)
// takes a blue frame from a surface, spr_bar (8 x 4, red then green) takes those five fitted to
// its size, and spr_frames, a checker and a sprite whose entry sits at an offset inside its
// frame are merged with themselves. The frames read back from the texture pages keep their
// pixels, their orientation and their place in the frame. The growing is done by a script
// called from the draw event's script, as games arrange it.
TEST_P(RunnerDrawingGame, GameFileSpritesGainFramesFromSurfacesAndMerges) {
  GameDataWriter game = PainterGame(
      {{0, 0, {"n = 0;"}},
       {8, 0,
        {"n += 1; if (n == 1) scr_draw(); else {"
         "  for (k = 0; k < 6; k += 1) draw_sprite(spr_bar, k, 4 + 10 * k, 2);"
         "  for (k = 0; k < 10; k += 1) draw_sprite_ext(spr_frames, k, 2 + 6 * k, 10, 2, 2, 0, c_white, 1);"
         "  draw_sprite(spr_check, 1, 4, 20); draw_sprite_ext(spr_crop, 0, 20, 30, 4, 4, 0, c_white, 1);"
         "  draw_sprite_ext(spr_crop, 1, 40, 30, 4, 4, 0, c_white, 1); }"}}},
      3);
  game.scripts.push_back({"scr_draw", {"scr_grow();"}});
  game.scripts.push_back(
      {"scr_grow",
       {"s = surface_create(8, 8); surface_set_target(s); draw_clear(c_blue); surface_reset_target();"
        "sprite_add_from_surface(spr_frames, s, 0, 0, 8, 8, false, false); surface_free(s);"
        "sprite_merge(spr_bar, spr_frames); sprite_merge(spr_frames, spr_frames);"
        "sprite_merge(spr_check, spr_check); sprite_merge(spr_crop, spr_crop);"
        "show_debug_message(\"@\" + string(sprite_get_number(spr_bar)) + \" \" + string(sprite_get_number(spr_frames))"
        " + \" \" + string(sprite_get_number(spr_check)) + \" \" + string(sprite_get_number(spr_crop))"
        " + \" \" + string(sprite_get_width(spr_bar)) + \" \" + string(sprite_get_width(spr_frames)));"}});
  gamedata::Sprite check;
  check.name = "spr_check";
  check.width = check.height = 8;
  check.frames = {1};
  game.sprites.push_back(check);
  // A 4 x 4 frame whose entry is the red 2 x 2 square of the page, placed at (1, 1).
  game.texturePageEntries.push_back({0, 8, 2, 2, 1, 1, 2, 2, 4, 4, 0});
  gamedata::Sprite crop;
  crop.name = "spr_crop";
  crop.width = crop.height = 4;
  crop.frames = {static_cast<int32_t>(game.texturePageEntries.size() - 1)};
  game.sprites.push_back(crop);
  Play(game);
  EXPECT_EQ(lines, "6 10 2 2 8 2\n") << output;
  // spr_bar's frames (origin 4, 2) at 10-pixel steps: its own, then red, green, blue, white
  // and the added blue, each filling 8 x 4.
  const uint32_t kWhite = 0xFFFFFFFFu;
  EXPECT_EQ(At(1, 1), kRed);
  EXPECT_EQ(At(7, 3), kGreen);
  const uint32_t barColours[5] = {kRed, kGreen, kBlue, kWhite, kBlue};
  for (int k = 1; k < 6; ++k) {
    EXPECT_EQ(At(10 * k, 0), barColours[k - 1]) << "frame " << k;
    EXPECT_EQ(At(10 * k + 7, 3), barColours[k - 1]) << "frame " << k;
  }
  // spr_frames scaled by 2 at 6-pixel steps: red, green, blue, white, blue, then again.
  for (int k = 0; k < 10; ++k) {
    EXPECT_EQ(At(2 + 6 * k + 1, 11), barColours[k % 5]) << "frame " << k;
  }
  // The checker's copy keeps its rows in order: blue-ish top-left, yellow beside and below.
  EXPECT_EQ(At(5, 21), 0xFF2040FFu);
  EXPECT_EQ(At(9, 21), 0xFFFFE000u);
  EXPECT_EQ(At(5, 25), 0xFFFFE000u);
  // The offset entry's copy, scaled by 4, looks as its original beside it: red in the middle,
  // clear around it.
  int red = 0;
  for (int y = 28; y < 48; ++y) {
    for (int x = 18; x < 38; ++x) {
      EXPECT_EQ(At(x + 20, y), At(x, y)) << x << ", " << y;
      red += At(x, y) == kRed ? 1 : 0;
    }
  }
  EXPECT_EQ(red, 64);
  EXPECT_EQ(At(28, 38), kRed);
}

INSTANTIATE_GAME_FORMS(RunnerDrawingGame);

}  // namespace
