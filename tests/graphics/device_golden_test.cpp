// Pixel tests of the device layer on llvmpipe: Direct3D's rasterisation rules, blend
// modes, viewport clears, filtering and the stretch of the screen texture.
#include "graphics/graphics_fixture.h"

#include "runner/input.h"
#include "runner/window.h"

namespace {

int CountLit(const std::vector<uint32_t>& pixels) {
  int lit = 0;
  for (uint32_t p : pixels) lit += (p & 0xFFFFFF) != 0 ? 1 : 0;
  return lit;
}

uint32_t At(const std::vector<uint32_t>& pixels, int x, int y, int width = 32) {
  return pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
}

}  // namespace

TEST_F(GraphicsTest, OnePixelQuadLightsExactlyOnePixel) {
  Rect(5, 7, 6, 8, 0xFFFFFFFFu);
  GR_D3D_Batch_Flush();
  auto pixels = ScreenPixels();
  EXPECT_EQ(CountLit(pixels), 1);
  EXPECT_EQ(At(pixels, 5, 7), 0xFFFFFFFFu);
  ExpectGolden("one_pixel_quad", pixels, kSize, kSize);
}

TEST_F(GraphicsTest, LineIncludesItsLastPixel) {
  // Half a pixel in from the room's corner, so after the projection's half-texel
  // correction the line runs along the centres of row 10 from x 2 to x 12.
  auto* v = static_cast<Vertex16*>(GR_D3D_Batch_Reserve(2, nullptr, 16, 2));
  v[0] = {2.5f, 10.5f, 0, 0xFFFFFFFFu};
  v[1] = {12.5f, 10.5f, 0, 0xFFFFFFFFu};
  GR_D3D_Batch_Flush();
  auto pixels = ScreenPixels();
  EXPECT_EQ(CountLit(pixels), 11);
  for (int x = 2; x <= 12; ++x) EXPECT_EQ(At(pixels, x, 10), 0xFFFFFFFFu) << x;
  ExpectGolden("line_last_pixel", pixels, kSize, kSize);
}

TEST_F(GraphicsTest, BlendModesOnHalfTransparentQuad) {
  // A mid-grey-blue ground, then a red quad of alpha 0x80 in each mode, one column each.
  Rect(0, 0, 32, 8, 0xFF4060C0u);
  GR_D3D_Batch_Flush();
  for (int mode = 0; mode < 4; ++mode) {
    GR_Blend_Mode(mode);
    Rect(static_cast<float>(mode * 8), 0, static_cast<float>(mode * 8 + 8), 8, 0x80FF2000u);
    GR_D3D_Batch_Flush();
  }
  auto pixels = ScreenPixels(32, 8);
  // Normal: half of each; the destination takes the source's alpha.
  EXPECT_NEAR(static_cast<int>((At(pixels, 4, 4) >> 16) & 0xFF), (0xFF * 128 + 0x40 * 127) / 255, 2);
  EXPECT_EQ(At(pixels, 4, 4) >> 24, 0x80u);
  // Additive: half the source's red on top of the ground; its blue stays.
  EXPECT_NEAR(static_cast<int>((At(pixels, 12, 4) >> 16) & 0xFF), 0x40 + 0x80, 2);
  EXPECT_EQ(At(pixels, 12, 4) & 0xFF, 0xC0u);
  ExpectGolden("blend_modes", pixels, 32, 8);
}

TEST_F(GraphicsTest, ClearTouchesOnlyTheViewport) {
  Graphics::Clear(0xFF0000u, 1.0f, 0, 7);  // blue (the colour is 0xBBGGRR)
  GR_Set_Viewport(8, 8, 10, 6);
  Graphics::Clear(0x0000FFu, 1.0f, 0, 7);  // red
  auto pixels = ScreenPixels();
  int red = 0;
  for (uint32_t p : pixels) red += (p & 0xFFFFFF) == 0xFF0000u ? 1 : 0;
  EXPECT_EQ(red, 60);
  EXPECT_EQ(At(pixels, 8, 8) & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(At(pixels, 17, 13) & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(At(pixels, 18, 13) & 0xFFFFFF, 0x0000FFu);
  ExpectGolden("viewport_clear", pixels, kSize, kSize);
}

namespace {

void DrawFourTexels(int id) {
  HardwareTexture* texture = GR_Texture_Get(id);
  float u = 2.0f / static_cast<float>(texture->Width());
  auto* v = static_cast<Vertex24*>(GR_D3D_Batch_Reserve(4, texture, 24, 6));
  v[0] = {0, 0, 0, 0xFFFFFFFFu, 0, 0};
  v[1] = {16, 0, 0, 0xFFFFFFFFu, u, 0};
  v[2] = {16, 16, 0, 0xFFFFFFFFu, u, u};
  v[3] = {16, 16, 0, 0xFFFFFFFFu, u, u};
  v[4] = {0, 16, 0, 0xFFFFFFFFu, 0, u};
  v[5] = {0, 0, 0, 0xFFFFFFFFu, 0, 0};
  GR_D3D_Batch_Flush();
}

int MakeFourTexels() {
  uint32_t texels[4] = {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFFFFFFFFu};
  return GR_Texture_Create_From_Pixels(2, 2, reinterpret_cast<uint8_t*>(texels), sizeof(texels));
}

}  // namespace

TEST_F(GraphicsTest, PointFilteringKeepsTexelsSharp) {
  int id = MakeFourTexels();
  ASSERT_GE(id, 0);
  GR_Texture_Set_Interpolation(false);
  DrawFourTexels(id);
  auto pixels = ScreenPixels(16, 16);
  EXPECT_EQ(At(pixels, 0, 0, 16), 0xFFFF0000u);
  EXPECT_EQ(At(pixels, 7, 7, 16), 0xFFFF0000u);
  EXPECT_EQ(At(pixels, 8, 0, 16), 0xFF00FF00u);
  EXPECT_EQ(At(pixels, 0, 8, 16), 0xFF0000FFu);
  EXPECT_EQ(At(pixels, 15, 15, 16), 0xFFFFFFFFu);
  ExpectGolden("filter_point", pixels, 16, 16);
}

TEST_F(GraphicsTest, LinearFilteringBlendsNeighbours) {
  int id = MakeFourTexels();
  ASSERT_GE(id, 0);
  GR_Texture_Set_Interpolation(true);
  DrawFourTexels(id);
  auto pixels = ScreenPixels(16, 16);
  uint32_t centre = At(pixels, 7, 7, 16);
  EXPECT_GT((centre >> 8) & 0xFF, 0x20u);  // red mixed with its green and blue neighbours
  EXPECT_GT(centre & 0xFF, 0x20u);
  ExpectGolden("filter_linear", pixels, 16, 16);
}

TEST_F(GraphicsTest, CullingFollowsTheWindingOnScreen) {
  auto clockwise = [] {
    auto* v = static_cast<Vertex16*>(GR_D3D_Batch_Reserve(4, nullptr, 16, 3));
    v[0] = {0, 0, 0, 0xFFFFFFFFu};
    v[1] = {16, 0, 0, 0xFFFFFFFFu};
    v[2] = {0, 16, 0, 0xFFFFFFFFu};
    GR_D3D_Batch_Flush();
  };
  Graphics_SetRenderState(8, 1);  // clockwise culling
  clockwise();
  EXPECT_EQ(CountLit(ScreenPixels()), 0);
  Graphics_SetRenderState(8, 2);  // counter-clockwise culling
  clockwise();
  EXPECT_GT(CountLit(ScreenPixels()), 0);
}

TEST_F(GraphicsTest, SurfaceDrawnIntoThenDrawnShowsTheNewPixels) {
  int id = GR_Texture_Create_RenderTarget(8, 8, true);
  ASSERT_GE(id, 0);
  HardwareTexture* target = GR_Texture_Get(id);
  ASSERT_TRUE(Graphics_PushRenderTarget());
  ASSERT_TRUE(Graphics_SetRenderTarget(0, target));
  EXPECT_TRUE(target->Dirty());
  Graphics::Clear(0xFF00FF00u, 1.0f, 0, 7);  // the top byte is the alpha
  ASSERT_TRUE(Graphics_PopRenderTarget());
  auto* v = static_cast<Vertex24*>(GR_D3D_Batch_Reserve(4, target, 24, 3));
  v[0] = {0, 0, 0, 0xFFFFFFFFu, 0, 0};
  v[1] = {8, 0, 0, 0xFFFFFFFFu, 1, 0};
  v[2] = {0, 8, 0, 0xFFFFFFFFu, 0, 1};
  GR_D3D_Batch_Flush();
  EXPECT_FALSE(target->Dirty());
  EXPECT_EQ(At(ScreenPixels(), 1, 1), 0xFF00FF00u);
}

TEST_F(GraphicsTest, EndFrameLetterboxesTheScreenTexture) {
  // A 100 x 60 back buffer showing the 32 x 32 screen: the image is 60 x 60 at x 20.
  // The half-texel correction is made for the texture's size, so the stretched image
  // lands 1.56 pixels left, on pixels 19 to 78, as it did on Direct3D.
  Graphics_Device()->ResizeBackBuffer(100, 60);
  Graphics_Sizes().backBufferWidth = 100;
  Graphics_Sizes().backBufferHeight = 60;
  Graphics_SetLetterbox(true);
  GR_Window_Set_Color(0xFF0000u);  // blue bars
  Graphics::Clear(0xFFFFFFu, 1.0f, 0, 7);
  ASSERT_TRUE(GR_D3D_Finish_Frame(false));
  int x = -1, y = -1;
  Graphics_GetLetterboxOffset(x, y);
  EXPECT_EQ(x, 20);
  EXPECT_EQ(y, 0);
  EXPECT_EQ(MainWindow().drawnLeft, 20);
  EXPECT_EQ(MainWindow().drawnRight, 80);
  auto row = Graphics_GrabScreenRect(100, 60, 0, 30, 100, 1);
  ASSERT_EQ(row.size(), 100u);
  EXPECT_EQ(row[18] & 0xFFFFFF, 0x0000FFu);
  EXPECT_EQ(row[19] & 0xFFFFFF, 0xFFFFFFu);
  EXPECT_EQ(row[78] & 0xFFFFFF, 0xFFFFFFu);
  EXPECT_EQ(row[79] & 0xFFFFFF, 0x0000FFu);
  EXPECT_EQ(GR_Draw_Get_Pixel(50, 30), 0xFFFFFFu);
  Graphics_SetLetterbox(false);
}

TEST_F(GraphicsTest, ShownVirtualButtonsAreWhiteRectangles) {
  IO_Init("", "");
  MainWindow().requestedWidth = MainWindow().gameWidth = kSize;
  MainWindow().requestedHeight = MainWindow().gameHeight = kSize;
  VirtualKey* key = IO_VirtualKey_FindFree();
  ASSERT_NE(key, nullptr);
  *key = {3, key->id, 4, 4, 8, 8, 4, 4, 0, 0, 37, 0};
  IO_Draw_Virtual_Buttons();
  GR_D3D_Batch_Flush();
  auto pixels = ScreenPixels();
  EXPECT_EQ(CountLit(pixels), 16);
  EXPECT_EQ(At(pixels, 4, 4), 0xFFFFFFFFu);
  EXPECT_EQ(At(pixels, 7, 7), 0xFFFFFFFFu);
  IO_Free();
}

TEST_F(GraphicsTest, MultisamplingAfterResetSmoothsEdges) {
  auto edgeShades = [this] {
    Graphics::Clear(0, 1.0f, 0, 7);
    auto* v = static_cast<Vertex16*>(GR_D3D_Batch_Reserve(4, nullptr, 16, 3));
    v[0] = {0, 0, 0, 0xFFFFFFFFu};
    v[1] = {32, 0, 0, 0xFFFFFFFFu};
    v[2] = {0, 29, 0, 0xFFFFFFFFu};
    GR_D3D_Batch_Flush();
    int partial = 0;
    for (uint32_t p : ScreenPixels()) {
      uint32_t red = (p >> 16) & 0xFF;
      partial += red != 0 && red != 0xFF ? 1 : 0;
    }
    return partial;
  };
  EXPECT_EQ(edgeShades(), 0);
  // Four samples where the device has them (llvmpipe does); eight it has not: none.
  Graphics_SetMultisample(8);
  ASSERT_TRUE(Graphics::Reset());
  EXPECT_EQ(Graphics_AppliedMultisample(), 0);
  ASSERT_EQ(Graphics_SupportedMultisampleMask() & 4u, 4u);
  Graphics_SetMultisample(4);
  ASSERT_TRUE(Graphics::Reset());
  EXPECT_EQ(Graphics_AppliedMultisample(), 4);
  GR_Set_View_Projection(0, 0, kSize, kSize, 0);
  EXPECT_GT(edgeShades(), 10);
  // The multisampled screen texture still reaches the back buffer at the end of the frame.
  ASSERT_TRUE(GR_D3D_Finish_Frame(false));
  EXPECT_EQ(GR_Draw_Get_Pixel(1, 1), 0xFFFFFFu);
  Graphics_SetMultisample(0);
  ASSERT_TRUE(Graphics::Reset());
  ASSERT_TRUE(GR_D3D_Start_Frame());
}

TEST_F(GraphicsTest, FogAndLightingReachThePixels) {
  // Linear table fog over device depth: the 2D plane lies half way between the near and
  // far planes, so with start 0 and end 1 it takes half the fog colour.
  GR_3D_Set_Fog(true, 0x0000FF, 0, 1);
  Rect(0, 0, 4, 4, 0xFFFFFFFFu);
  GR_D3D_Batch_Flush();
  uint32_t fogged = ScreenPixels()[0];
  EXPECT_EQ((fogged >> 16) & 0xFF, 0xFFu);
  EXPECT_NEAR(static_cast<int>(fogged & 0xFF), 128, 3);
  GR_3D_Set_Fog(false, 0, 0, 1);
  // Lighting without normals leaves the ambient term only: with no ambient light, black.
  GR_3D_Set_Lighting(true);
  Rect(8, 0, 12, 4, 0xFFFFFFFFu);
  GR_D3D_Batch_Flush();
  EXPECT_EQ(At(ScreenPixels(), 8, 0), 0xFF000000u);
  Graphics_SetAmbientLight(0x00FF00);
  Rect(16, 0, 20, 4, 0xFFFFFFFFu);
  GR_D3D_Batch_Flush();
  EXPECT_EQ(At(ScreenPixels(), 16, 0), 0xFF00FF00u);
  GR_3D_Set_Lighting(false);
}

TEST_F(GraphicsTest, StretchIgnoresLeftOverThreeDStates) {
  Graphics::Clear(0xFFFFFFu, 1.0f, 0, 7);
  GR_3D_Set_Lighting(true);
  GR_3D_Set_Culling(true);
  float shifted[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 500, 0, 0, 1};
  Graphics_SetMatrix(2, shifted);
  ASSERT_TRUE(GR_D3D_Finish_Frame(false));
  EXPECT_EQ(GR_Draw_Get_Pixel(16, 16), 0xFFFFFFu);
  EXPECT_TRUE(Graphics_LightingEnabled());  // put back afterwards
  float world[16];
  Graphics_GetMatrix(2, world);
  EXPECT_EQ(world[12], 500.0f);
  GR_3D_Set_Lighting(false);
  GR_3D_Set_Culling(false);
  ASSERT_TRUE(GR_D3D_Start_Frame());
}

TEST_F(GraphicsTest, EdgesOnPixelCentresFollowTheTopLeftRule) {
  // Without the half-texel correction the rectangle's edges lie on pixel centres: the
  // left and top ones take their pixels, the right and bottom ones leave them.
  Graphics_Hooks().projectionCorrectionSize = [](int& w, int& h) {
    w = h = 1 << 30;
    return true;
  };
  GR_Set_View_Projection(0, 0, kSize, kSize, 0);
  Rect(5, 7, 8, 9, 0xFFFFFFFFu);
  GR_D3D_Batch_Flush();
  auto pixels = ScreenPixels();
  EXPECT_EQ(CountLit(pixels), 6);
  EXPECT_EQ(At(pixels, 5, 7), 0xFFFFFFFFu);
  EXPECT_EQ(At(pixels, 7, 8), 0xFFFFFFFFu);
  // Neighbours sharing an edge never both take it: additive halves stay halves.
  GR_Blend_Mode(1);
  Rect(10, 10, 12, 12, 0x80FFFFFFu);
  Rect(12, 10, 14, 12, 0x80FFFFFFu);
  Rect(10, 12, 14, 14, 0x80FFFFFFu);
  GR_D3D_Batch_Flush();
  pixels = ScreenPixels();
  for (int y = 10; y < 14; ++y) {
    for (int x = 10; x < 14; ++x) EXPECT_NEAR(static_cast<int>(At(pixels, x, y) & 0xFF), 0x80, 1) << x << "," << y;
  }
  EXPECT_EQ(At(pixels, 14, 10) & 0xFFFFFF, 0u);
  EXPECT_EQ(At(pixels, 10, 14) & 0xFFFFFF, 0u);
}
