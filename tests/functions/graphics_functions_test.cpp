#include "functions/graphics_functions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "functions/builtin_call.h"
#include "graphics/primitives.h"
#include "script/function_table.h"
#include "support/function_table_guard.h"

namespace {

int32_t Find(const char* name) {
  int32_t id = -1;
  Function_Find(name, id);
  return id;
}

}  // namespace

TEST(GraphicsBuiltins, RegisteredWithTheirArgumentCounts) {
  FunctionTableGuard functions;
  Function_FreeAll();
  InitGraphicsFunctions();
  const std::pair<const char*, int32_t> cases[] = {
      {"screen_save", 1},        {"screen_save_part", 5},      {"draw_rectangle_color", 9},
      {"draw_healthbar", 11},    {"draw_self", 0},             {"draw_sprite_general", 16},
      {"draw_sprite_pos", 11},   {"draw_background_general", 15}, {"draw_background_tiled_ext", 7},
      {"draw_primitive_begin_texture", 2}, {"draw_vertex_texture_color", 6}};
  for (auto [name, argc] : cases) {
    const int32_t id = Find(name);
    ASSERT_GE(id, 0) << name;
    EXPECT_EQ(Function_Get(id)->argc, argc) << name;
  }
  EXPECT_EQ(Function_Get(Find("make_color"))->implementation, Function_Get(Find("make_color_rgb"))->implementation);
  // draw_self, the ten draw_sprite* and the nine draw_background* close the list in order.
  const int32_t self = Find("draw_self");
  EXPECT_EQ(Find("draw_sprite"), self + 1);
  EXPECT_EQ(Find("draw_background_tiled_ext"), self + 19);
}

TEST(GraphicsBuiltins, MissingResourcesAreReportedAndDrawNothing) {
  struct Case {
    BuiltinFunction fn;
    std::vector<ScriptValue> args;
    const char* message;
  } cases[] = {
      {F_DrawSprite, {R(-1), R(0), R(0), R(0)}, "Trying to draw non-existing sprite."},
      {F_DrawSpriteExt, {R(12345), R(0), R(0), R(0), R(1), R(1), R(0), R(0), R(1)},
       "Trying to draw non-existing sprite."},
      {F_DrawSpritePos, {R(7), R(-1), R(0), R(0), R(1), R(0), R(1), R(1), R(0), R(1), R(1)},
       "Trying to draw non-existing sprite."},
      {F_DrawSelf, {}, "Trying to draw non-existing sprite."},
      {F_DrawBackground, {R(2.5), R(0), R(0)}, "Trying to draw non-existing background."},
      {F_DrawBackgroundTiled, {R(-1), R(0), R(0)}, "Trying to draw non-existing background."},
      {F_ScreenSave, {S("")}, "Trying to save screen to empty image file name."},
      {F_ScreenSavePart, {R(0), R(0), R(0), R(10), R(10)}, "Trying to save screen to empty image file name."},
  };
  for (Case& c : cases) {
    ConsoleCapture console;
    const ScriptValue result = CallBuiltin(c.fn, c.args);
    EXPECT_TRUE(result.IsReal() && result.real == 0.0);
    const std::string& text = console.Text();
    EXPECT_NE(text.find(c.message), std::string::npos) << c.message << "\n" << text;
  }
}

TEST(GraphicsBuiltins, ColourAndAlphaState) {
  GR_Draw_Init();
  CallBuiltin(F_DrawSetAlpha, {R(0.5)});
  CallBuiltin(F_DrawSetColor, {R(16777215)});
  EXPECT_EQ(CallBuiltin(F_DrawGetColor, {}).real, 16777215.0);
  EXPECT_NEAR(CallBuiltin(F_DrawGetAlpha, {}).real, 127.0 / 255.0, 1e-6);
  CallBuiltin(F_DrawSetAlpha, {R(7)});
  EXPECT_EQ(CallBuiltin(F_DrawGetAlpha, {}).real, 1.0);
  const std::pair<std::vector<double>, double> makes[] = {
      {{255, 0, 0}, 255}, {{256, 0, 0}, 256}, {{0.9, 0, 0}, 0}, {{0, 0, 255}, 16711680}};
  for (const auto& [rgb, colour] : makes) {
    EXPECT_EQ(CallBuiltin(F_MakeColor, {R(rgb[0]), R(rgb[1]), R(rgb[2])}).real, colour);
  }
  EXPECT_EQ(CallBuiltin(F_MergeColor, {R(0x0000FF), R(0xFF0000), R(0.5)}).real, static_cast<double>(0x800080));
  GR_Draw_Init();
}

TEST(GraphicsBuiltins, ColourComponentsAndHsv) {
  struct Case {
    BuiltinFunction fn;
    std::vector<double> args;
    double expected;
  } cases[] = {
      {F_ColorGetBlue, {16711680}, 255},     {F_ColorGetRed, {-1}, -1},      {F_ColorGetGreen, {0x12AB34}, 0xAB},
      {F_ColorGetRed, {0x12AB34}, 0x34},     {F_ColorGetBlue, {0x12AB34}, 0x12},
      {F_ColorGetRed, {255.5}, 0},  // rounded half to even: 256
      {F_ColorGetHue, {65280}, 85},          {F_ColorGetSaturation, {65280}, 255},
      {F_ColorGetValue, {0x404040}, 64},     {F_ColorGetSaturation, {0x404040}, 0},
      {F_MakeColorHsv, {85, 255, 255}, 65280}, {F_MakeColorHsv, {0, 0, 255}, 16777215},
      {F_MakeColorHsv, {256, 255, 255}, 255},  // the low byte of each argument
  };
  for (const Case& c : cases) {
    std::vector<ScriptValue> args;
    for (double a : c.args) args.push_back(R(a));
    EXPECT_EQ(CallBuiltin(c.fn, args).real, c.expected) << c.args[0];
  }
}

// The graphics family registers its drawing-state, colour, shape and primitive built-ins in
// this order after the screen savers (display and window built-ins come first when built).
TEST(GraphicsBuiltins, DrawingStateColourAndShapeBuiltInsComeInTheirOrder) {
  FunctionTableGuard functions;
  Function_FreeAll();
  InitGraphicsFunctions();
  const std::pair<const char*, int32_t> order[] = {
      {"screen_save_part", 5}, {"draw_getpixel", 2}, {"draw_set_color", 1}, {"draw_set_alpha", 1},
      {"draw_get_color", 0}, {"draw_get_alpha", 0}, {"make_color", 3}, {"make_color_rgb", 3},
      {"make_color_hsv", 3}, {"color_get_red", 1}, {"color_get_green", 1}, {"color_get_blue", 1},
      {"color_get_hue", 1}, {"color_get_saturation", 1}, {"color_get_value", 1}, {"merge_color", 3},
      {"draw_set_blend_mode", 1}, {"draw_set_blend_mode_ext", 2}, {"draw_clear", 1}, {"draw_clear_alpha", 2},
      {"draw_point", 2}, {"draw_point_color", 3}, {"draw_line", 4}, {"draw_line_color", 6},
      {"draw_line_width", 5}, {"draw_line_width_color", 7}, {"draw_rectangle", 5},
      {"draw_rectangle_color", 9}, {"draw_roundrect", 5}, {"draw_roundrect_color", 7}, {"draw_triangle", 7},
      {"draw_triangle_color", 10}, {"draw_circle", 4}, {"draw_circle_color", 6}, {"draw_ellipse", 5},
      {"draw_ellipse_color", 7}, {"draw_arrow", 5}, {"draw_button", 5}, {"draw_healthbar", 11},
      {"draw_set_circle_precision", 1}, {"draw_path", 4}, {"draw_primitive_begin", 1},
      {"draw_primitive_begin_texture", 2}, {"draw_vertex", 2}, {"draw_vertex_color", 4},
      {"draw_vertex_texture", 4}, {"draw_vertex_texture_color", 6}, {"draw_primitive_end", 0},
      {"sprite_get_texture", 2}, {"background_get_texture", 1}, {"texture_exists", 1}};
  int32_t previous = -1;
  for (auto [name, argc] : order) {
    const int32_t id = Find(name);
    ASSERT_GE(id, 0) << name;
    EXPECT_EQ(Function_Get(id)->argc, argc) << name;
    if (previous >= 0) {
      EXPECT_EQ(id, previous + 1) << name;
    }
    previous = id;
  }
}
