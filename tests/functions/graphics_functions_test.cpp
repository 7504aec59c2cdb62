#include "functions/graphics_functions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "functions/builtin_call.h"
#include "graphics/primitives.h"
#include "script/function_table.h"

namespace {

int32_t Find(const char* name) {
  int32_t id = -1;
  Function_Find(name, id);
  return id;
}

}  // namespace

TEST(GraphicsBuiltins, RegisteredWithTheirArgumentCounts) {
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
  Function_FreeAll();
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
