// Games that inspect, make, change and delete resources while they run: scripts executed by
// index, sprites loaded from image files, drawn, grabbed and saved, objects and rooms made at
// run time and entered, and the bad input of each family. Each game reports through
// show_debug_message lines starting with "@"; every form of the game plays it.
#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/game_data_writer.h"
#include "support/local_http_server.h"
#include "support/game_forms.h"
#include "support/runner_process.h"

namespace {

using gamedata::Event;
using gamedata::Object;
using gamedata::Room;
using gamedata::Script;

constexpr int32_t kCreate = 0, kDraw = 8;

struct Played {
  RunnerResult run;
  std::vector<std::string> lines;
};

std::string Say(const std::string& expression) { return "show_debug_message(\"@\" + string(" + expression + "));\n"; }

bool Has(const Played& played, const std::string& text) { return played.run.output.find(text) != std::string::npos; }

// Writes a PNG of 0xAARRGGBB pixels.
void WritePng(const std::string& path, const std::vector<uint32_t>& pixels, int width, int height) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = PNG_FORMAT_BGRA;
  ASSERT_TRUE(png_image_write_to_file(&image, path.c_str(), 0, pixels.data(), 0, nullptr));
}

// Reads a PNG as 0xAARRGGBB pixels; empty when there is none.
std::vector<uint32_t> ReadPng(const std::string& path, int& width, int& height) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return {};
  image.format = PNG_FORMAT_BGRA;
  std::vector<uint32_t> pixels(PNG_IMAGE_SIZE(image) / 4);
  png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr);
  width = static_cast<int>(image.width);
  height = static_cast<int>(image.height);
  return pixels;
}

class ResourceGame : public ::testing::TestWithParam<GameForm> {
 protected:
  ResourceGame() {
    game_.header.lastInstanceId = 100100;
    game_.header.name = "resgame";
    game_.header.gameName = "resgame";
  }

  // The first object (obj_probe) runs code in its create event; the first room holds one of it.
  Played Play(const std::string& createCode, std::vector<Event> more = {}) {
    Object probe;
    probe.name = "obj_probe";
    probe.events = std::move(more);
    probe.events.push_back({kCreate, 0, {createCode}});
    game_.objects.insert(game_.objects.begin(), probe);
    Room room;
    room.name = "rm_first";
    room.speed = 1000;
    room.colour = 0x000000;
    room.instances = {{0, 0, 0, 100001, {""}}};
    game_.rooms.insert(game_.rooms.begin(), room);
    EXPECT_TRUE(WriteGameInForm(game_, folder_ / "game.win", GetParam()));
    std::vector<std::string> args = WithFormArguments({"-game", folder_ / "game.win", "-noaudio"}, GetParam());
    Played played;
    played.run = RunRunner(args, {.workingDirectory = folder_.path(),
                                  .environment = {{"XDG_DATA_HOME", folder_ / "data"}},
                                  .timeoutSeconds = 30.0});
    std::istringstream in(played.run.output);
    for (std::string line; std::getline(in, line);)
      if (!line.empty() && line[0] == '@') played.lines.push_back(line.substr(1));
    EXPECT_EQ(played.run.exitCode, 0) << played.run.output;
    return played;
  }

  std::string Saved(const std::string& name) const { return folder_.path() + "/data/resgame/" + name; }

  GameDataWriter game_;
  TempFolder folder_;
};

TEST_P(ResourceGame, ScriptExecutePassesItsArgumentsAndArgumentCount) {
  game_.scripts.push_back({"scr_sum", {"return string(argument_count) + \":\" + string(argument0 + argument1);"}});
  game_.scripts.push_back({"scr_last", {"argument0 = 99; return string(argument_count) + \"/\" + string(argument14);"}});
  // A script that runs another one by index, with a string argument.
  game_.scripts.push_back({"scr_outer", {"return script_execute(scr_sum, argument0, 5) + \"|\" + script_get_name(argument1);"}});
  Played played = Play("var v; v = 7;\n" + Say("script_execute(scr_sum, 2, 3)") + Say("script_execute(0)") +
                       Say("script_execute(scr_last, v, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14)") +
                       Say("v") + Say("script_execute(scr_outer, 1, 0)") +
                       Say("script_exists(2.5)") + Say("script_exists(3)") + Say("script_get_name(-1)") +
                       Say("string_length(script_get_text(scr_sum)) > 10") + Say("script_get_text(9)") +
                       Say("script_execute(99, 1)") + "game_end();");
  EXPECT_EQ(played.lines, (std::vector<std::string>{"2:5", "0:0", "15/14", "7", "2:6|scr_sum", "1", "0",
                                                   "<undefined>", "1", "", "0"}));
  EXPECT_TRUE(Has(played, "Trying to execute non-existing script.")) << played.run.output;
}

TEST_P(ResourceGame, AnAddedSpriteIsDrawnGrabbedAndSavedAsPng) {
  // Two 2 x 2 frames side by side: red, green / blue, white | yellow everywhere.
  const uint32_t R = 0xFFFF0000, G = 0xFF00FF00, B = 0xFF0000FF, W = 0xFFFFFFFF, Y = 0xFFFFFF00;
  WritePng(folder_ / "strip.png", {R, G, Y, Y, B, W, Y, Y}, 4, 2);
  {
    std::ofstream damaged(folder_ / "damaged.png", std::ios::binary);
    damaged << "\x89PNG\r\n\x1a\n not really";
  }
  Object drawer;
  drawer.name = "obj_drawer";
  drawer.events.push_back(
      {kDraw, 0,
       {"draw_sprite(global.spr, 0, 0, 0); draw_sprite(global.spr, 1, 2, 0);"
        "if (global.frames == 1) {"
        "  var grab; grab = sprite_create_from_screen(0, 0, 4, 2, 0, 0, 0, 0);" +
        Say("sprite_get_number(grab)") + Say("sprite_get_width(grab)") +
        "  sprite_save(grab, 0, \"grab.png\"); sprite_save(global.spr, 1, \"frame1.png\");"
        "  sprite_save_strip(global.spr, \"strip_out.png\");" +
        Say("sprite_delete(global.spr)") +
        "}"
        "if (global.frames == 2) game_end();"
        "global.frames += 1;"}});
  game_.objects.push_back(drawer);
  // An instance that keeps drawing the sprite after it was deleted.
  Object shown;
  shown.name = "obj_shown";
  shown.depth = 10;
  game_.objects.push_back(shown);
  Played played = Play(
      "global.frames = 0; global.spr = sprite_add(\"strip.png\", 2, 0, 0, 0, 0);" + Say("global.spr") +
      Say("sprite_get_number(global.spr)") + Say("sprite_get_width(global.spr)") +
      Say("sprite_exists(global.spr)") + Say("sprite_get_name(global.spr)") +
      Say("sprite_add(\"missing.png\", 1, 0, 0, 0, 0)") + Say("sprite_add(\"damaged.png\", 1, 0, 0, 0, 0)") +
      Say("sprite_get_width(-1)") + Say("sprite_exists(10000000000)") + Say("sprite_get_name(-3)") +
      Say("sprite_duplicate(77)") + Say("sprite_add_sprite(0)") + "sprite_save(77, 0, \"x.png\");" +
      "sprite_save(global.spr, 0, \"\"); sprite_save(global.spr, 5, \"x.png\"); sprite_merge(global.spr, 77);" +
      "instance_create(0, 0, obj_drawer); with (instance_create(40, 40, obj_shown)) sprite_index = global.spr;");
  ASSERT_GE(played.lines.size(), 12u) << played.run.output;
  EXPECT_EQ(std::vector<std::string>(played.lines.begin(), played.lines.begin() + 12),
            (std::vector<std::string>{"0", "2", "2", "1", "__newsprite0", "-1", "-1", "-1", "0", "<undefined>", "0",
                                      "-1"}))
      << played.run.output;
  EXPECT_EQ(std::vector<std::string>(played.lines.begin() + 12, played.lines.end()),
            (std::vector<std::string>{"1", "4", "1"}));
  for (const char* message :
       {"Trying to duplicate non-existing sprite.", "unsupported function", "Trying to save non-existing sprite bitmap.",
        "Trying to save sprite bitmap to empty image file name.", "sprite_save() failed - no bitmap data available",
        "Trying to merge from non-existing sprite."}) {
    EXPECT_TRUE(Has(played, message)) << message << "\n" << played.run.output;
  }
  int w = 0, h = 0;
  EXPECT_EQ(ReadPng(Saved("frame1.png"), w, h), (std::vector<uint32_t>{Y, Y, Y, Y})) << played.run.output;
  EXPECT_EQ(ReadPng(Saved("strip_out.png"), w, h), (std::vector<uint32_t>{R, G, Y, Y, B, W, Y, Y}));
  EXPECT_EQ(w, 4);
  // What the screen showed of the two drawn frames.
  EXPECT_EQ(ReadPng(Saved("grab.png"), w, h), (std::vector<uint32_t>{R, G, Y, Y, B, W, Y, Y}));
}

TEST_P(ResourceGame, ObjectsAndRoomsMadeAtRunTime) {
  Object visitor;
  visitor.name = "obj_visitor";
  visitor.events.push_back({kCreate, 0, {Say("\"arrived \" + room_get_name(room) + \" \" + string(x) + \" \" + string(y) + \" \" + string(room_width)") +
                                          Say("instance_number(obj_visitor)") + "game_end();"}});
  game_.objects.push_back(visitor);
  Played played = Play(
      "var o, c, r;"
      "o = object_add();" + Say("object_get_name(o)") + Say("object_exists(o)") +
      "object_set_depth(o, 3.9); object_set_solid(o, 1);" + Say("object_get_depth(o)") + Say("object_get_solid(o)") +
      "object_event_add(o, 0, 0, \"x = 1\");"
      "c = object_add(); object_set_parent(c, o);" + Say("object_is_ancestor(c, o)") + Say("object_get_parent(c)") +
      "object_set_parent(o, c); object_set_parent(o, o); object_set_parent(o, 999);" +
      Say("object_is_ancestor(o, c)") + Say("object_is_ancestor(-5, c)") +
      "instance_create(0, 0, c); instance_create(0, 0, o);" + Say("instance_number(o)") +
      "object_set_parent(c, -1);" + Say("instance_number(o)") + Say("object_get_parent(c)") +
      Say("object_delete(c)") + Say("object_delete(c)") + Say("object_exists(c)") +
      "with (all) { x += 1; }"
      "r = room_add(); room_set_width(r, 200); room_set_background(r, 8, 1, 0, 0, 0, 0, 1, 1, 0, 0, 1);" +
      Say("room_get_name(r)") + Say("room_instance_add(r, 10.5, 20, obj_visitor) >= 100001") +
      Say("room_instance_add(99, 0, 0, obj_visitor)") + Say("room_tile_add(r, 55, 0, 0, 1, 1, 0, 0, 0)") +
      Say("room_duplicate(99)") +
      // The new room also holds an instance of the deleted object.
      "room_instance_add(r, 5, 5, c);"
      "room_set_code(r, \"x = ;\");"  // refused: the room keeps no creation code
      "room_set_code(r, 'show_debug_message(\"@code \" + room_get_name(room));'); room_goto(r);");
  EXPECT_EQ(played.lines,
            (std::vector<std::string>{"__newobject2", "1", "3", "1", "1", "2", "0", "-1", "2", "1", "-1", "1", "0", "0",
                                      "__newroom1", "1", "-1", "-1", "0", "arrived __newroom1 10 20 200", "1", "code __newroom1"}))
      << played.run.output;
  for (const char* message :
       {"object_event_add :: deprecated function", "Creating a cycle in the parent relation.",
        "Setting a non-existing parent.", "Trying to delete non-existing object.", "Background does not exist.",
        "Trying to duplicate non-existing room.", "COMPILATION ERROR in room script"}) {
    EXPECT_TRUE(Has(played, message)) << message << "\n" << played.run.output;
  }
}

TEST_P(ResourceGame, AFontMadeFromASystemFaceDrawsLegibleText) {
  Object writer;
  writer.name = "obj_writer";
  writer.events.push_back({kDraw, 0,
                           {"draw_clear(c_black); draw_set_font(global.font); draw_set_color(c_white);"
                            "draw_text(20, 20, \"Hello\"); draw_set_font(global.bold); draw_text(20, 60, \"Hello\");"
                            "screen_save_part(\"text.png\", 0, 0, 200, 100);"
                            // The font in use goes: text falls back to the built-in font.
                            "font_delete(global.bold); draw_text(20, 120, \"Hello\"); game_end();"}});
  game_.objects.push_back(writer);
  Played played = Play(
      "global.font = font_add(\"DejaVu Sans\", 16, 0, 0, 32, 127);"
      "global.bold = font_add(\"DejaVu Sans\", 16, 1, 1, 32, 127);"
      "draw_set_font(global.font);" +
      Say("global.font") + Say("font_get_name(global.font)") + Say("font_get_fontname(global.font)") +
      Say("font_get_size(global.font)") + Say("font_get_bold(global.bold)") + Say("font_get_first(global.font)") +
      Say("string_width(\"Hello\") > 40 && string_width(\"Hello\") < 80") +
      Say("string_height(\"Hello\") >= 16") +
      "var missing; missing = font_add(\"No Such Face Anywhere\", 12, 0, 0, 32, 127); draw_set_font(missing);" +
      Say("string_width(\"Hello\") > 0") + "draw_set_font(-1);" +
      Say("font_exists(global.font)") + Say("font_delete(77)") + Say("font_add_sprite(77, 32, 1, 0)") +
      Say("font_replace(77, \"DejaVu Sans\", 10, 0, 0, 32, 127)") + Say("font_get_size(-1)") +
      Say("font_delete(missing)") + Say("font_get_name(missing)") + Say("font_set_cache_size(0, 10)") +
      "instance_create(0, 0, obj_writer);");
  EXPECT_EQ(played.lines, (std::vector<std::string>{"0", "__newfont0", "DejaVu Sans", "16", "1", "32", "1", "1", "1",
                                                   "1", "0", "0", "0", "-1", "1", "<undefined>", "0"}))
      << played.run.output;
  for (const char* message : {"Trying to delete non-existing font.", "Trying to create font from non-existing sprite.",
                              "Trying to replace non-existing font."}) {
    EXPECT_TRUE(Has(played, message)) << message;
  }
  int w = 0, h = 0;
  const std::vector<uint32_t> pixels = ReadPng(Saved("text.png"), w, h);
  ASSERT_EQ(w, 200) << played.run.output;
  // Lit pixels inside each line's box, none outside them: the text was drawn where it was asked.
  auto lit = [&](int left, int top, int right, int bottom) {
    int count = 0;
    for (int y = top; y < bottom; ++y)
      for (int x = left; x < right; ++x)
        if ((pixels[static_cast<size_t>(y * w + x)] & 0xFF) > 128) ++count;
    return count;
  };
  const int regular = lit(20, 20, 100, 50), bold = lit(20, 60, 110, 90);
  EXPECT_GT(regular, 60);
  EXPECT_GT(bold, regular);  // heavier strokes
  EXPECT_EQ(lit(0, 0, 200, 100), regular + bold);
  // The "H" begins with a vertical stem: a column of lit pixels near the pen.
  int stem = 0;
  for (int x = 20; x < 26; ++x) stem = std::max(stem, lit(x, 20, x + 1, 50));
  EXPECT_GE(stem, 10);
}

TEST_P(ResourceGame, BackgroundsSurfacesAndARoomWithViewsAndTiles) {
  const uint32_t R = 0xFFFF0000;
  WritePng(folder_ / "strip.png", {R, R, R, R, R, R, R, R}, 4, 2);
  {
    std::ofstream damaged(folder_ / "damaged.png", std::ios::binary);
    damaged << "\x89PNG\r\n\x1a\n not really";
  }
  Object visitor;
  visitor.name = "obj_visitor";
  visitor.events.push_back({kCreate, 0,
                            {Say("view_enabled") + Say("view_wview[0]") + "room_instance_clear(room);" +
                             Say("instance_number(obj_visitor)") + "steps = 0;"}});
  // Once a frame was drawn through the view with the tiles, their background goes while the
  // room still shows it; a frame later the object deletes itself.
  visitor.events.push_back({3, 0,
                            {"steps += 1; if (steps == 1) background_delete(global.bg);"
                             "if (steps == 2) { " + Say("object_delete(object_index)") +
                             Say("object_exists(obj_visitor)") + "game_end(); }"}});
  game_.objects.push_back(visitor);
  Played played = Play(
      "var b, bg, s, sp, r;"
      "b = background_create_color(8, 4, c_red);" + Say("b") + Say("background_get_width(b)") +
      "bg = background_add(\"strip.png\", 0, 0); global.bg = bg;" + Say("background_get_width(bg)") +
      Say("background_get_name(bg)") + Say("background_add(\"missing.png\", 0, 0)") +
      Say("background_add(\"damaged.png\", 0, 0)") +
      "background_save(b, \"bg.png\"); background_save(77, \"x.png\"); background_save(b, \"\");"
      "s = surface_create(16, 16); surface_set_target(s); draw_clear(c_blue); surface_reset_target();"
      "sp = sprite_create_from_surface(s, 8, 8, 100, 100, 0, 0, 0, 0);" + Say("sprite_get_width(sp)") +
      Say("sprite_get_number(sprite_create_from_surface(999, 0, 0, 4, 4, 0, 0, 0, 0))") +
      Say("background_get_height(background_create_from_surface(s, -4, -4, 10, 10, 0, 0))") +
      Say("background_duplicate(77)") + Say("background_delete(b)") + Say("background_get_width(b)") +
      Say("background_replace(77, \"strip.png\", 0, 0)") +
      "r = room_add(); room_set_view_enabled(r, 1);"
      "room_set_view(r, 0, 1, 0, 0, 320, 240, 0, 0, 640, 480, 32, 32, -1, -1, -1);"
      "room_set_background(r, 0, 1, 0, bg, 0, 0, 1, 1, 0, 0, 1);" +
      Say("room_tile_add(r, bg, 0, 0, 4, 2, 10, 10, 0) > 0") +
      Say("room_tile_add_ext(r, bg, 0, 0, 4, 2, 50, 50, 0, 2, 2, 1) > 0") +
      "room_instance_add(r, 100, 100, obj_visitor); room_goto(r);");
  EXPECT_EQ(played.lines, (std::vector<std::string>{"0", "8", "4", "__newbackground1", "-1", "-1", "8", "0", "6",
                                                   "0", "1", "-1", "0", "1", "1", "1", "320", "1", "1", "0"}))
      << played.run.output;
  EXPECT_FALSE(std::filesystem::exists(Saved("bg.png")));
  for (const char* message :
       {"Trying to save non-existing background bitmap.", "Trying to save background bitmap to empty image file name.",
        "Trying to duplicate non-existing background.", "Trying to replace non-existing background."}) {
    EXPECT_TRUE(Has(played, message)) << message;
  }
}

TEST_P(ResourceGame, ASpriteAddedFromAUrlArrivesWithTheImageLoadedEvent) {
  WritePng(folder_ / "served.png", {0xFF00FF00, 0xFF00FF00, 0xFF00FF00, 0xFF00FF00, 0xFF00FF00, 0xFF00FF00}, 3, 2);
  std::ifstream in(folder_ / "served.png", std::ios::binary);
  const std::string png((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  LocalHttpServer server(LocalHttpServer::Bodies({{"/img.png", png}, {"/broken.png", "not an image"}}));
  ASSERT_NE(server.Port(), 0);
  Played played = Play(
      "global.good = sprite_add(\"" + server.Url("/img.png") + "\", 1, 0, 0, 0, 0);"
      "global.bad = sprite_add(\"" + server.Url("/broken.png") + "\", 1, 0, 0, 0, 0);"
      "global.arrived = 0;" + Say("global.good") + Say("sprite_get_number(global.good)"),
      {{7, 60,
        {"var n; n = ds_map_find_value(async_load, \"id\");" +
         Say("string(n) + \" \" + string(ds_map_find_value(async_load, \"status\")) + \" \" + "
             "string(sprite_get_width(n)) + \"x\" + string(sprite_get_height(n))") +
         "global.arrived += 1; if (global.arrived == 2) game_end();"}}});
  ASSERT_EQ(played.lines.size(), 4u) << played.run.output;
  EXPECT_EQ(played.lines[0], "0");
  EXPECT_EQ(played.lines[1], "0");  // empty until the image arrives
  std::vector<std::string> arrivals(played.lines.begin() + 2, played.lines.end());
  std::sort(arrivals.begin(), arrivals.end());
  EXPECT_EQ(arrivals, (std::vector<std::string>{"0 0 3x2", "1 -1 1x1"}));
}

INSTANTIATE_GAME_FORMS(ResourceGame);

}  // namespace
