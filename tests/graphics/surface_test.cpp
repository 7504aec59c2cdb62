// Surfaces: the table, drawing into a surface and back to the screen, drawing a surface
// (plain, stretched, part), the missing-surface reports, read-back, copy and the saved PNG.
#include <filesystem>

#include "functions/builtin_call.h"
#include "functions/display_functions.h"
#include "functions/surface_functions.h"
#include "graphics/drawing_fixture.h"
#include "graphics/surfaces.h"
#include "graphics/textured_quads.h"

namespace {

class SurfaceTest : public DrawingTest {
 protected:
  void TearDown() override {
    if (GR_Surface_Current_Target() != -1) GR_Surface_Reset_Target();
    GR_Surface_Free_All();
    DrawingTest::TearDown();
  }

  // A 16 x 8 surface cleared to transparent black: left half opaque red, right half blue at
  // alpha 0x80 (blended: blue 0x80, alpha 0x80), a green pixel at (3, 2).
  int32_t Painted() {
    const int32_t s = GR_Surface_Create(16, 8);
    EXPECT_GE(s, 0);
    EXPECT_TRUE(GR_Surface_Set_Target(s));
    Graphics::Clear(0, 1.0f, 0, 7);
    Rect(0, 0, 8, 8, 0xFFFF0000u);
    Rect(8, 0, 16, 8, 0x800000FFu);
    Rect(3, 2, 4, 3, 0xFF00FF00u);
    EXPECT_TRUE(GR_Surface_Reset_Target());
    return s;
  }
};

double Real(const ScriptValue& v) { return v.real; }

}  // namespace

TEST_F(SurfaceTest, TableReusesTheFirstFreeRecord) {
  EXPECT_EQ(GR_Surface_Create(8, 8), 0);
  EXPECT_EQ(GR_Surface_Create(9, 7), 1);
  EXPECT_EQ(GR_Surface_Create(8, 8), 2);
  EXPECT_EQ(GR_Surface_Get_Width(1), 9);
  EXPECT_EQ(GR_Surface_Get_Height(1), 7);
  const int32_t texture = GR_Surface_Get_Texture(1);
  EXPECT_TRUE(GR_Texture_Exists(texture));
  CallBuiltin(F_SurfaceFree, {R(1)});
  EXPECT_FALSE(GR_Texture_Exists(texture));
  EXPECT_EQ(Real(CallBuiltin(F_SurfaceExists, {R(1)})), 0.0);
  EXPECT_EQ(Real(CallBuiltin(F_SurfaceCreate, {R(4), R(4)})), 1.0);
  EXPECT_EQ(GR_Surface_Count(), 3);
  for (double id : {-1.0, 3.0, 1e12}) {
    EXPECT_EQ(Real(CallBuiltin(F_SurfaceExists, {R(id)})), 0.0) << id;
    EXPECT_EQ(Real(CallBuiltin(F_SurfaceGetWidth, {R(id)})), -1.0) << id;
    EXPECT_EQ(Real(CallBuiltin(F_SurfaceGetTexture, {R(id)})), -1.0) << id;
  }
  // Sizes out of range make nothing and use no record.
  for (auto [w, h] : {std::pair{0, 4}, {4, -1}, {kSurfaceMaxSide + 1, 4}}) EXPECT_EQ(GR_Surface_Create(w, h), -1);
  EXPECT_EQ(GR_Surface_Count(), 3);
  // draw_texture_flush forgets every surface: the next one is 0 again.
  CallBuiltin(F_DrawTextureFlush, {});
  for (int32_t id : {0, 1, 2}) EXPECT_FALSE(GR_Surface_Exists(id)) << id;
  EXPECT_EQ(GR_Surface_Create(8, 8), 0);
  GR_Texture_Free(texture);
}

TEST_F(SurfaceTest, TargetPushesOnceAndRestoresViewportAndView) {
  ASSERT_TRUE(GR_D3D_Start_Frame());
  GR_Set_Viewport(0, 0, 64, 64);
  GR_Set_View_Projection(5, 6, 64, 64, 0);
  const int depth = Graphics_RenderTargetDepth();
  const int32_t a = GR_Surface_Create(16, 16), b = GR_Surface_Create(8, 8);
  EXPECT_EQ(Real(CallBuiltin(F_SurfaceSetTarget, {R(a)})), 1.0);
  EXPECT_EQ(Graphics_RenderTargetDepth(), depth + 1);
  EXPECT_EQ(Graphics_Settings().viewportWidth, 16);
  EXPECT_TRUE(GR_Surface_Set_Target(a));  // already the target: no second push
  EXPECT_EQ(Graphics_RenderTargetDepth(), depth + 1);
  EXPECT_TRUE(GR_Surface_Set_Target(b));  // another surface: the first is reset first
  EXPECT_EQ(Graphics_RenderTargetDepth(), depth + 1);
  EXPECT_EQ(GR_Surface_Current_Target(), b);
  EXPECT_EQ(Graphics_Settings().viewportWidth, 8);
  EXPECT_FALSE(GR_Surface_Set_Target(99));
  // Freeing the target goes back to the screen with what was current before.
  GR_Surface_Free(b);
  EXPECT_EQ(GR_Surface_Current_Target(), -1);
  EXPECT_EQ(Graphics_RenderTargetDepth(), depth);
  EXPECT_EQ(Graphics_Settings().viewportWidth, 64);
  EXPECT_EQ(Graphics_Settings().regionX, 5.0f);
  EXPECT_EQ(Graphics_Settings().regionY, 6.0f);
  EXPECT_TRUE(GR_Surface_Set_Target(a));
  EXPECT_EQ(Real(CallBuiltin(F_SurfaceResetTarget, {})), 1.0);
  EXPECT_EQ(Graphics_RenderTargetDepth(), depth);
  GR_D3D_Finish_Frame(false);
}

TEST_F(SurfaceTest, DrawnPlainStretchedAndPart) {
  const int32_t s = Painted();
  ASSERT_TRUE(GR_D3D_Start_Frame());
  Graphics::Clear(0xFF202020u, 1.0f, 0, 7);
  GR_Set_Viewport(0, 0, 64, 64);
  GR_Set_View_Projection(0, 0, 64, 64, 0);
  GR_Blend_Mode(0);
  CallBuiltin(F_DrawSurface, {R(s), R(2.7), R(1.5)});                          // at (2, 1)
  CallBuiltin(F_DrawSurfaceStretched, {R(s), R(24), R(0), R(32), R(16)});      // twice the size
  CallBuiltin(F_DrawSurfaceStretched, {R(s), R(0), R(40), R(0), R(16)});       // nothing
  CallBuiltin(F_DrawSurfacePart, {R(s), R(2), R(1), R(8), R(4), R(4), R(24)});  // the green pixel's corner
  CallBuiltin(F_DrawSurfaceExt, {R(s), R(40), R(40), R(1), R(2), R(90), R(0xFFFFFF), R(1)});
  GR_D3D_Batch_Flush();
  const auto pixels = Graphics_GrabSurfaceRect(Graphics_ScreenTexture(), 0, 0, 64, 64);
  GR_D3D_Finish_Frame(false);
  auto at = [&pixels](int x, int y) { return pixels[static_cast<size_t>(y) * 64 + static_cast<size_t>(x)] & 0xFFFFFFu; };
  EXPECT_EQ(at(1, 1), 0x202020u);
  EXPECT_EQ(at(2, 1), 0xFF0000u);
  EXPECT_EQ(at(5, 3), 0x00FF00u);    // the green pixel, plain
  // Stretched: the green pixel becomes a block of two by two (where the texel edges fall
  // under pixel centres, as with every scaled texture).
  int green = 0;
  for (int y = 2; y < 8; ++y)
    for (int x = 28; x < 34; ++x) green += at(x, y) == 0x00FF00u ? 1 : 0;
  EXPECT_EQ(green, 4);
  EXPECT_EQ(at(5, 25), 0x00FF00u);   // part from (2, 1)
  EXPECT_EQ(at(3, 41), 0x202020u);   // the zero-width stretch drew nothing
  ExpectGolden("surface_draws", pixels, 64, 64);
}

TEST_F(SurfaceTest, MissingSurfacesAreReported) {
  struct Case {
    BuiltinFunction fn;
    std::vector<ScriptValue> args;
  } cases[] = {
      {F_SurfaceFree, {R(0)}},
      {F_DrawSurface, {R(-1), R(0), R(0)}},
      {F_DrawSurfaceExt, {R(3), R(0), R(0), R(1), R(1), R(0), R(0), R(1)}},
      {F_DrawSurfacePartExt, {R(0), R(0), R(0), R(1), R(1), R(0), R(0), R(1), R(1), R(0), R(1)}},
      {F_DrawSurfaceGeneral,
       {R(0), R(0), R(0), R(1), R(1), R(0), R(0), R(1), R(1), R(0), R(0), R(0), R(0), R(0), R(1)}},
      {F_DrawSurfaceTiled, {R(0), R(0), R(0)}},
      {F_SurfaceSave, {R(0), S("a.png")}},
      {F_SurfaceGetpixel, {R(0), R(0), R(0)}},
      {F_SurfaceCopy, {R(0), R(0), R(0), R(0)}},
  };
  for (Case& c : cases) {
    ConsoleCapture console;
    EXPECT_EQ(Real(CallBuiltin(c.fn, c.args)), 0.0);
    EXPECT_TRUE(console.Contains("Trying to use non-existing surface.")) << console.Text();
  }
  // One report when only the source is missing: as many lines as one draw_surface report.
  auto count = [](BuiltinFunction fn, std::vector<ScriptValue> args) {
    ConsoleCapture console;
    CallBuiltin(fn, std::move(args));
    const std::string& text = console.Text();
    int n = 0;
    for (size_t at = text.find("non-existing surface"); at != std::string::npos;
         at = text.find("non-existing surface", at + 1))
      ++n;
    return n;
  };
  const int32_t s = GR_Surface_Create(4, 4);
  const int once = count(F_DrawSurface, {R(-1), R(0), R(0)});
  EXPECT_GT(once, 0);
  EXPECT_EQ(count(F_SurfaceCopyPart, {R(s), R(0), R(0), R(7), R(0), R(0), R(2), R(2)}), once);
  EXPECT_EQ(count(F_SurfaceCopy, {R(9), R(0), R(0), R(8)}), once);
}

TEST_F(SurfaceTest, AlphaBlendingSwitchedByGameCode) {
  CallBuiltin(F_DrawEnableAlphablend, {R(0)});
  EXPECT_EQ(Graphics_GetDeviceRenderState(d3d::RenderState::AlphaBlendEnable), 0u);
  CallBuiltin(F_DrawEnableAlphablend, {R(1.7)});
  EXPECT_EQ(Graphics_GetDeviceRenderState(d3d::RenderState::AlphaBlendEnable), 1u);
  ConsoleCapture console;
  CallBuiltin(F_DrawEnableAlphablend, {S("false")});
  EXPECT_TRUE(console.Contains("Illegal argument type: true/false expected")) << console.Text();
  EXPECT_EQ(Graphics_GetDeviceRenderState(d3d::RenderState::AlphaBlendEnable), 1u);
}

TEST_F(SurfaceTest, GetpixelCopyAndSavedPngChannels) {
  const int32_t s = Painted();
  EXPECT_EQ(Real(CallBuiltin(F_SurfaceGetpixel, {R(s), R(1), R(1)})), 0x0000FF);     // red as 0xBBGGRR
  EXPECT_EQ(Real(CallBuiltin(F_SurfaceGetpixel, {R(s), R(2.6), R(2.4)})), 0x00FF00);  // rounded to (3, 2)
  EXPECT_EQ(Real(CallBuiltin(F_SurfaceGetpixel, {R(s), R(12), R(4)})), 0x800000);
  EXPECT_EQ(Real(CallBuiltin(F_SurfaceGetpixel, {R(s), R(16), R(0)})), 0.0);  // outside

  CallBuiltin(F_SurfaceSave, {R(s), S("whole.png")});
  int w = 0, h = 0;
  auto png = SavedPng("whole.png", w, h);
  ASSERT_EQ(w, 16);
  ASSERT_EQ(h, 8);
  EXPECT_EQ(png[0], 0xFFFF0000u);
  EXPECT_EQ(png[2 * 16 + 3], 0xFF00FF00u);
  EXPECT_EQ(png[15], 0x80000080u);

  CallBuiltin(F_SurfaceSavePart, {R(s), S("part.png"), R(2), R(1), R(4), R(40)});
  png = SavedPng("part.png", w, h);
  ASSERT_EQ(w, 4);
  ASSERT_EQ(h, 7);  // cut to the surface
  EXPECT_EQ(png[1 * 4 + 1], 0xFF00FF00u);

  {
    ConsoleCapture console;
    CallBuiltin(F_SurfaceSave, {R(s), S("")});
    EXPECT_TRUE(console.Contains("Trying to save surface to empty image file name."));
  }

  // The green pixel and the blue half copied into another surface.
  const int32_t d = GR_Surface_Create(8, 8);
  CallBuiltin(F_SurfaceCopyPart, {R(d), R(0), R(0), R(s), R(3), R(2), R(1), R(1)});
  EXPECT_EQ(Real(CallBuiltin(F_SurfaceGetpixel, {R(d), R(0), R(0)})), 0x00FF00);
  CallBuiltin(F_SurfaceCopy, {R(d), R(-4), R(0), R(s)});  // off the destination: nothing
  CallBuiltin(F_SurfaceCopy, {R(d), R(0), R(4), R(s)});
  EXPECT_EQ(Real(CallBuiltin(F_SurfaceGetpixel, {R(d), R(0), R(0)})), 0x00FF00);
  EXPECT_EQ(Real(CallBuiltin(F_SurfaceGetpixel, {R(d), R(0), R(4)})), 0x0000FF);
}
