// The device layer's bookkeeping: texture sizes and "RAW " blocks, the texture table,
// the batch's joining and counters, the state shadows and the graphics settings.
#include <bit>
#include <cmath>
#include <cstring>

#include "graphics/graphics_fixture.h"
#include "runner/window.h"

namespace {

std::vector<uint8_t> RawBlock(uint32_t width, uint32_t height, uint32_t type, size_t pixelBytes) {
  std::vector<uint8_t> block(16 + pixelBytes, 0);
  std::memcpy(block.data(), "RAW ", 4);
  std::memcpy(block.data() + 4, &width, 4);
  std::memcpy(block.data() + 8, &height, 4);
  std::memcpy(block.data() + 12, &type, 4);
  return block;
}

}  // namespace

TEST_F(GraphicsTest, TextureSizesRoundToPowersOfTwoExceptRenderTargets) {
  struct Case {
    int width, height;
    uint32_t flags;
    int expectWidth, expectHeight;
  } cases[] = {
      {65, 10, 0, 128, 64}, {5000, 5000, 0, 4096, 4096}, {100, 37, kTextureRenderTarget, 100, 37}, {1, 1, 0, 64, 64}};
  for (const Case& c : cases) {
    auto texture = GR_D3D_Texture_Create(c.width, c.height, 1, c.flags, kFormatA8R8G8B8);
    ASSERT_TRUE(texture) << c.width;
    EXPECT_EQ(texture->Width(), c.expectWidth);
    EXPECT_EQ(texture->Height(), c.expectHeight);
  }
}

TEST_F(GraphicsTest, RawBlocks) {
  TextureInfo info;
  // Type 0: red and blue exchanged in the caller's buffer.
  auto block = RawBlock(1, 1, 0, 4);
  const uint8_t rgba[4] = {0x11, 0x22, 0x33, 0xFF};
  std::memcpy(block.data() + 16, rgba, 4);
  auto texture = GR_D3D_Texture_Load(block.data(), block.size(), info, kFormatA8R8G8B8);
  ASSERT_TRUE(texture);
  EXPECT_EQ(block[16], 0x33);
  EXPECT_EQ(block[18], 0x11);
  EXPECT_EQ(info.bits, 32);
  EXPECT_EQ(info.resourceType, -1);

  // Type 1: 16 bits a pixel arrive as whole colours (opaque red, then half-alpha blue).
  auto sixteen = RawBlock(2, 1, 1, 4);
  const uint8_t words[4] = {0xFF, 0x00, 0x08, 0xF0};
  std::memcpy(sixteen.data() + 16, words, 4);
  int id = GR_Texture_Create_From_Image(sixteen.data(), sixteen.size());
  ASSERT_GE(id, 0);
  auto grabbed = Graphics_GrabSurfaceRect(GR_Texture_Get(id), 0, 0, 2, 1);
  ASSERT_EQ(grabbed.size(), 2u);
  EXPECT_EQ(grabbed[0], 0xFFFF0000u);
  EXPECT_EQ(grabbed[1], 0x880000FFu);

  // Unknown type, and pixels shorter than the block says: no texture.
  auto typeTwo = RawBlock(1, 1, 2, 4);
  EXPECT_FALSE(GR_D3D_Texture_Load(typeTwo.data(), typeTwo.size(), info, kFormatA8R8G8B8));
  auto shortBlock = RawBlock(16, 16, 0, 16);
  EXPECT_FALSE(GR_D3D_Texture_Load(shortBlock.data(), shortBlock.size(), info, kFormatA8R8G8B8));
  EXPECT_EQ(GR_Texture_Create_From_Image(shortBlock.data(), shortBlock.size()), -1);
  uint8_t garbage[32] = {1, 2, 3};
  EXPECT_FALSE(GR_D3D_Texture_Load(garbage, sizeof(garbage), info, kFormatA8R8G8B8));
}

TEST_F(GraphicsTest, TextureTableReusesFreedIdsAndReportsSizes) {
  std::vector<uint32_t> pixels(100 * 50, 0xFF00FF00u);
  auto create = [&] {
    return GR_Texture_Create_From_Pixels(100, 50, reinterpret_cast<uint8_t*>(pixels.data()), pixels.size() * 4);
  };
  int a = create(), b = create(), c = create();
  EXPECT_EQ(a, 0);
  EXPECT_EQ(b, 1);
  EXPECT_EQ(c, 2);
  EXPECT_FLOAT_EQ(GR_Texture_Get_Width(b), 0.78125f);
  EXPECT_FLOAT_EQ(GR_Texture_Get_Height(b), 0.78125f);
  GR_Texture_Free(b);
  EXPECT_FALSE(GR_Texture_Exists(b));
  EXPECT_EQ(GR_Texture_Get_Width(b), 1.0f);
  EXPECT_EQ(GR_Texture_Get(b), nullptr);
  EXPECT_EQ(create(), 1);
  EXPECT_EQ(GR_Texture_From_Bitmap(nullptr), -1);
  EXPECT_FALSE(GR_Texture_Exists(-1));
  EXPECT_FALSE(GR_Texture_Exists(99));
  EXPECT_EQ(GR_Color_Alpha_To_ARGB(0x0000FF, 0.5f), 0x7FFF0000u);
  EXPECT_EQ(GR_Color_Alpha_To_ARGB(0x123456, 2.0f), 0xFF563412u);
  EXPECT_EQ(GR_Color_Alpha_To_ARGB(0x123456, std::nanf("")) >> 24, 0u);
}

TEST_F(GraphicsTest, BatchJoinsListsAndSendsStripsAlone) {
  int first = GR_Texture_Create_RenderTarget(8, 8, true);
  int second = GR_Texture_Create_RenderTarget(8, 8, true);
  HardwareTexture* a = GR_Texture_Get(first);
  HardwareTexture* b = GR_Texture_Get(second);
  auto calls = [] { return GR_D3D_Batch_Counters().drawCallsThisFrame; };
  auto quad = [](HardwareTexture* t) { std::memset(GR_D3D_Batch_Reserve(4, t, 24, 6), 0, 6 * 24); };

  int before = calls();
  quad(a);
  quad(a);
  EXPECT_EQ(GR_D3D_Batch_PendingCount(), 12);
  GR_D3D_Batch_Flush();
  EXPECT_EQ(calls() - before, 1);

  before = calls();
  quad(a);
  quad(b);
  quad(a);
  GR_D3D_Batch_Flush();
  EXPECT_EQ(calls() - before, 3);

  before = calls();
  for (int i = 0; i < 2; ++i) std::memset(GR_D3D_Batch_Reserve(6, a, 24, 4), 0, 4 * 24);
  GR_D3D_Batch_Flush();
  EXPECT_EQ(calls() - before, 2);

  // 40,000 vertices in steps of 6: one batch is sent when the next 6 would pass 32,768.
  before = calls();
  for (int sent = 0; sent < 40000; sent += 6) std::memset(GR_D3D_Batch_Reserve(4, nullptr, 16, 6), 0, 6 * 16);
  EXPECT_EQ(calls() - before, 1);
  EXPECT_EQ(GR_D3D_Batch_Counters().largestBatch, 32766);
  GR_D3D_Batch_Flush();

  // Everything given back: nothing is drawn, the batch is reset.
  before = calls();
  GR_D3D_Batch_Reserve(4, nullptr, 16, 6);
  GR_D3D_Batch_Unreserve(6);
  GR_D3D_Batch_Flush();
  EXPECT_EQ(calls() - before, 0);
  EXPECT_EQ(GR_D3D_Batch_PendingCount(), 0);

  Vertex16 line[5] = {};
  EXPECT_EQ(GR_D3D_Draw(2, 5, line, 16), 2);
  EXPECT_EQ(GR_D3D_Batch_Reserve(4, nullptr, 16, kBatchCapacity + 1), nullptr);
  EXPECT_EQ(GR_D3D_Batch_Reserve(4, nullptr, 20, 3), nullptr);

  // A texture freed while it is current is forgotten, never bound later.
  quad(b);
  GR_Texture_Free(second);
  GR_D3D_Batch_Flush();
}

TEST_F(GraphicsTest, RenderStateShadowFiltersRepeatsAndMapsValues) {
  Graphics_SetRenderState(6, 0);
  EXPECT_EQ(Graphics_GetDeviceRenderState(d3d::RenderState::SrcBlend), 1u);
  Graphics_SetRenderState(6, 18);
  EXPECT_EQ(Graphics_GetDeviceRenderState(d3d::RenderState::SrcBlend), 1u);
  Graphics_SetRenderState(8, 2);
  EXPECT_EQ(Graphics_GetDeviceRenderState(d3d::RenderState::CullMode), d3d::kCullCounterClockwise);
  Graphics_SetRenderState(16, 7);
  EXPECT_EQ(Graphics_GetDeviceRenderState(d3d::RenderState::FogTableMode), d3d::kFogLinear);
  uint64_t calls = Graphics_DeviceStateCalls();
  Graphics_SetRenderState(12, 0);
  Graphics_SetRenderState(12, 0);
  EXPECT_EQ(Graphics_DeviceStateCalls() - calls, 1u);
  Graphics_SetRenderState(4, 1);   // accepted, does nothing
  Graphics_SetRenderState(99, 1);
  EXPECT_EQ(Graphics_DeviceStateCalls() - calls, 1u);
  Graphics_SetSampler(0, 0, 1);
  EXPECT_EQ(Graphics_GetSamplerShadow(0, d3d::SamplerState::MagFilter), d3d::kTextureFilterPoint);
  Graphics_SetSampler(0, 3, 0);
  EXPECT_EQ(Graphics_GetSamplerShadow(0, d3d::SamplerState::AddressV), d3d::kTextureAddressWrap);
}

TEST_F(GraphicsTest, ProjectionCarriesTheHalfTexelCorrectionOfTheRoom) {
  Graphics_Hooks().projectionCorrectionSize = [](int& w, int& h) {
    w = 800;
    h = 600;
    return true;
  };
  float identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  Graphics_SetMatrix(1, identity);
  float cached[16];
  Graphics_GetMatrix(1, cached);
  EXPECT_FLOAT_EQ(cached[12], -1.0f / 800.0f);
  EXPECT_FLOAT_EQ(cached[13], 1.0f / 600.0f);
  Graphics_Hooks().projectionCorrectionSize = nullptr;
  Graphics_SetMatrix(1, identity);
  Graphics_GetMatrix(1, cached);
  EXPECT_FLOAT_EQ(cached[12], -1.0f / 640.0f);
}

TEST_F(GraphicsTest, GraphicsSettings) {
  GR_Blend_Mode(1);
  EXPECT_EQ(Graphics_Settings().blendSource, 5u);
  EXPECT_EQ(Graphics_Settings().blendDest, 2u);
  EXPECT_EQ(Graphics_GetDeviceRenderState(d3d::RenderState::DestBlend), 2u);

  GR_Set_View_Projection(0, 0, 32, 32, 90);
  EXPECT_NEAR(Graphics_Settings().upX, -1.0f, 1e-6f);
  EXPECT_NEAR(Graphics_Settings().upY, 0.0f, 1e-6f);

  GR_Set_Viewport(1, 2, 3, 4);
  GR_Set_Screen_Size(Graphics_Settings().areaWidth, Graphics_Settings().areaHeight);
  EXPECT_EQ(Graphics_Device()->GetViewport().width, 3);

  GR_3D_Set_Fog(true, 0x0000FF, 10, 200);
  EXPECT_TRUE(Graphics_FogEnabled());
  EXPECT_EQ(Graphics_GetDeviceRenderState(d3d::RenderState::FogColor), 0xFFFF0000u);
  EXPECT_EQ(std::bit_cast<float>(Graphics_GetDeviceRenderState(d3d::RenderState::FogEnd)), 200.0f);

  // Settings outlive a reset of the device.
  GR_Texture_Set_Repeat(true);
  GR_3D_Set_Culling(true);
  ASSERT_TRUE(GR_Display_Reset());
  EXPECT_TRUE(GR_Texture_Get_Repeat());
  EXPECT_EQ(Graphics_GetDeviceRenderState(d3d::RenderState::CullMode), d3d::kCullCounterClockwise);
  EXPECT_EQ(Graphics_GetDeviceRenderState(d3d::RenderState::SrcBlend), 5u);
  EXPECT_TRUE(Graphics_FogEnabled());
}

TEST_F(GraphicsTest, ResetAppliesThePendingSizeAndLogsItsSteps) {
  GR_Window_Set_Size(48, 40);
  ASSERT_TRUE(Graphics::Reset());
  EXPECT_EQ(Graphics_ScreenTexture()->Width(), 48);
  EXPECT_EQ(Graphics_ScreenTexture()->Height(), 40);
  EXPECT_EQ(Graphics_Sizes().portWidth, 48);
  EXPECT_EQ(Graphics_Sizes().pendingWidth, -1);
  const std::string& log = console_->Text();
  size_t begin = log.find("--Reset Begin\n");
  ASSERT_NE(begin, std::string::npos);
  for (const char* step : {"Restore Target\n", "Check Display Mode\n", "Free Screen Texture\n",
                           "Toggle Fullscreen/windowed mode settings\n", "Execute Reset()\n",
                           "WindowedMode: Setup window prefs\n", "Recreate screen texture\n", "--Reset End\n"}) {
    size_t at = log.find(step, begin);
    EXPECT_NE(at, std::string::npos) << step;
    begin = at;
  }
  // The frame in progress draws into the new screen texture.
  GR_Set_View_Projection(0, 0, 48, 40, 0);
  Rect(0, 0, 48, 40, 0xFFFFFFFFu);
  GR_D3D_Batch_Flush();
  auto pixels = Graphics_GrabSurfaceRect(Graphics_ScreenTexture(), 47, 39, 1, 1);
  ASSERT_EQ(pixels.size(), 1u);
  EXPECT_NE(pixels[0] & 0xFFFFFF, 0u);
}

TEST_F(GraphicsTest, FrameBracketAndGrabs) {
  EXPECT_TRUE(Graphics_InFrame());
  Graphics_BeginFrame();  // a second begin does nothing
  EXPECT_EQ(Graphics_RenderTargetDepth(), 1);
  ASSERT_TRUE(GR_D3D_Finish_Frame(true));
  EXPECT_FALSE(Graphics_InFrame());
  int presented = Graphics_PresentedFrames();
  Graphics_EndFrame();  // without a begin: nothing
  EXPECT_EQ(Graphics_PresentedFrames(), presented);
  // A surface target left set at the end of a frame never receives the stretched screen.
  ASSERT_TRUE(GR_D3D_Start_Frame());
  int id = GR_Texture_Create_RenderTarget(8, 8, true);
  Graphics_PushRenderTarget();
  Graphics_SetRenderTarget(0, GR_Texture_Get(id));
  Graphics::Clear(0xFF0000FFu, 1.0f, 0, 7);
  ASSERT_TRUE(GR_D3D_Finish_Frame(false));
  auto surface = Graphics_GrabSurfaceRect(GR_Texture_Get(id), 0, 0, 8, 8);
  ASSERT_EQ(surface.size(), 64u);
  EXPECT_EQ(surface[63], 0xFFFF0000u);
  EXPECT_EQ(Graphics_RenderTargetDepth(), 0);
  // Grabs cut at the screen's edges and give nothing once nothing is left.
  EXPECT_TRUE(Graphics_GrabScreenRect(32, 32, -5, -5, 3, 3).empty());
  EXPECT_EQ(Graphics_GrabScreenRect(32, 32, -2, 0, 4, 1).size(), 2u);
  EXPECT_EQ(Graphics_GrabScreenRect(32, 32, 30, 30, 10, 10).size(), 4u);
  ASSERT_TRUE(GR_D3D_Start_Frame());
}

TEST(DisplayModes, NearestModeOfTheFirstAdapter) {
  std::vector<AdapterInfo> saved = Graphics_Adapters();
  AdapterInfo adapter;
  adapter.modes = {{640, 480, 32, 60, 0, 0},
                   {800, 600, 16, 60, 1, 0},
                   {800, 600, 32, 75, 2, 0},
                   {800, 600, 32, 60, 3, 0}};
  Graphics_Adapters() = {adapter};
  auto mode = [](int w, int h) {
    DisplayModeEntry m = Graphics_FindNearestMode(w, h);
    return std::to_string(m.width) + "x" + std::to_string(m.height) + "x" + std::to_string(m.bitsPerPixel) + "@" +
           std::to_string(m.refreshRate);
  };
  EXPECT_EQ(mode(640, 480), "640x480x32@60");
  EXPECT_EQ(mode(700, 500), "800x600x16@60");  // the first that fits with smaller excesses
  // Larger than every mode: the nearest pixel count; on a tie 32 bits, then nearer 60 Hz.
  EXPECT_EQ(mode(2000, 2000), "800x600x32@60");
  Graphics_Adapters() = saved;
}

TEST_F(GraphicsTest, CreationLogsItsSteps) {
  const std::string& log = console_->Text();
  size_t at = 0;
  for (const char* step : {"Create D3D9 interface\n", "Enumerate Adapters\n", "Selected Resolution: 32x32\n",
                           "Get Current Desktop Display Mode\n", "Prepare to create device\n",
                           "Creating D3D device - ARGB=32bit, D24S8, SwapEffect=Copy, Hardware vertex processing\n",
                           "Creating screen render target\n", "Get Device Caps\n",
                           "Graphics initialisation end...\n"}) {
    at = log.find(step, at);
    EXPECT_NE(at, std::string::npos) << step;
  }
  EXPECT_EQ(Graphics_ScreenTexture()->Width(), kSize);
  EXPECT_EQ(Graphics_Sizes().portWidth, kSize);
}

TEST_F(GraphicsTest, CopiesBetweenTexturesKeepRowsInPlace) {
  std::vector<uint32_t> pixels(8 * 8, 0xFF000000u);
  pixels[1 * 8 + 2] = 0xFFFF0000u;  // (2, 1) red
  int source = GR_Texture_Create_From_Pixels(8, 8, reinterpret_cast<uint8_t*>(pixels.data()), pixels.size() * 4);
  int destination = GR_Texture_Create_RenderTarget(16, 16, true);
  ASSERT_GE(source, 0);
  ASSERT_GE(destination, 0);
  Graphics_CopySurfaceRect(GR_Texture_Get(destination), 10, 12, GR_Texture_Get(source), 0, 0, 100, 100);
  auto copied = Graphics_GrabSurfaceRect(GR_Texture_Get(destination), 12, 13, 1, 1);
  ASSERT_EQ(copied.size(), 1u);
  EXPECT_EQ(copied[0], 0xFFFF0000u);
  // Cut to the destination: nothing beyond its edge, nothing from a negative corner.
  EXPECT_EQ(Graphics_GrabSurfaceRect(GR_Texture_Get(destination), 15, 15, 4, 4).size(), 1u);
  Graphics_CopySurfaceRect(GR_Texture_Get(destination), 0, 0, GR_Texture_Get(source), -3, -3, 0, 5);

  // The read-back of the back buffer after a frame.
  Rect(0, 0, 2, 1, 0xFF00FF00u);
  ASSERT_TRUE(GR_D3D_Finish_Frame(false));
  GrabbedBitmap bitmap;
  ASSERT_TRUE(GR_Screen_Grab_Bitmap(-4, 0, 8, 4, bitmap));
  EXPECT_EQ(bitmap.width, 8);
  EXPECT_EQ(bitmap.height, 4);
  EXPECT_EQ(bitmap.pixels[1], 0xFF00FF00u);
  EXPECT_EQ(bitmap.pixels[2] & 0xFFFFFF, 0u);
  EXPECT_FALSE(GR_Screen_Grab_Bitmap(0, 0, 0, 4, bitmap));
  ASSERT_TRUE(GR_D3D_Start_Frame());
}
