// A colour clear of a target nothing has been drawn into yet fills its texture at once instead of
// going through the rasteriser; it must leave the same pixels as a clear drawn on the spot, kept
// to the viewport, rows counted from the top.
#include "graphics/graphics_fixture.h"

TEST_F(GraphicsTest, ColourClearOfAFreshTargetKeepsToTheViewport) {
  const int id = GR_Texture_Create_RenderTarget(8, 8, true);
  ASSERT_GE(id, 0);
  Graphics_PushRenderTarget();
  Graphics_SetRenderTarget(0, GR_Texture_Get(id));
  Graphics::Clear(0xFF000000u, 1.0f, 0, 7);
  Graphics_SetViewport(2, 1, 3, 2);
  Graphics::Clear(0xFF0000FFu, 1.0f, 0, 1);  // red, columns 2..4 of rows 1..2
  Rect(0, 0, 8, 8, 0xFF00FF00u);              // green over the viewport, drawn after the clears
  Graphics_SetViewport(0, 0, 8, 8);
  Graphics::Clear(0xFFFF0000u, 1.0f, 0, 1);  // blue everywhere, after drawing
  Graphics_SetViewport(5, 5, 1, 1);
  Graphics::Clear(0xFF0000FFu, 1.0f, 0, 1);  // one red pixel, after drawing
  GR_D3D_Batch_Flush();
  Graphics_PopRenderTarget();
  const auto pixels = Graphics_GrabSurfaceRect(GR_Texture_Get(id), 0, 0, 8, 8);
  ASSERT_EQ(pixels.size(), 64u);
  EXPECT_EQ(pixels[5 * 8 + 5], 0xFFFF0000u);
  EXPECT_EQ(pixels[1 * 8 + 2], 0xFF0000FFu);
  EXPECT_EQ(pixels[7 * 8 + 7], 0xFF0000FFu);

  const int fresh = GR_Texture_Create_RenderTarget(8, 8, true);
  Graphics_PushRenderTarget();
  Graphics_SetRenderTarget(0, GR_Texture_Get(fresh));
  Graphics::Clear(0xFF000000u, 1.0f, 0, 7);
  Graphics_SetViewport(2, 1, 3, 2);
  Graphics::Clear(0xFF0000FFu, 1.0f, 0, 1);
  Graphics_PopRenderTarget();
  const auto cleared = Graphics_GrabSurfaceRect(GR_Texture_Get(fresh), 0, 0, 8, 8);
  ASSERT_EQ(cleared.size(), 64u);
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      const bool inside = x >= 2 && x < 5 && y >= 1 && y < 3;
      EXPECT_EQ(cleared[static_cast<size_t>(y * 8 + x)], inside ? 0xFFFF0000u : 0xFF000000u) << x << "," << y;
    }
  }
}
