#include "graphics/graphics_fixture.h"

#include <png.h>

#include <cstdlib>
#include <memory>

#include "graphics/fonts.h"
#include "graphics/text.h"
#include "runner/window.h"

void GraphicsTest::SetUp() {
  console_ = std::make_unique<ConsoleCapture>();
  Graphics_Hooks() = {};
  Graphics_Hooks().projectionCorrectionSize = [](int& w, int& h) {
    w = kSize;
    h = kSize;
    return true;
  };
  Graphics_Settings() = {};
  MainWindow().colour = 0xFF000000u;
  MainWindow().requestedWidth = MainWindow().gameWidth = kSize;
  MainWindow().requestedHeight = MainWindow().gameHeight = kSize;
  ASSERT_TRUE(GR_D3D_Init(nullptr, kSize, kSize, 0));
  ASSERT_TRUE(GR_D3D_Start_Frame());
  Graphics::Clear(0, 1.0f, 0, 7);
  GR_Set_View_Projection(0, 0, kSize, kSize, 0);
}

void GraphicsTest::TearDown() {
  // The built-in font's texture and the text state belong to this device.
  Font_Default_Free();
  Font_Clear();
  GR_Text_Reset();
  GR_D3D_Shutdown();
  Graphics_Hooks() = {};
  console_.reset();
}

std::vector<uint32_t> GraphicsTest::ScreenPixels(int width, int height) {
  return Graphics_GrabSurfaceRect(Graphics_ScreenTexture(), 0, 0, width, height);
}

void GraphicsTest::Rect(float left, float top, float right, float bottom, uint32_t argb) {
  auto* v = static_cast<Vertex16*>(GR_D3D_Batch_Reserve(4, nullptr, 16, 6));
  ASSERT_NE(v, nullptr);
  v[0] = {left, top, 0, argb};
  v[1] = {right, top, 0, argb};
  v[2] = {right, bottom, 0, argb};
  v[3] = {right, bottom, 0, argb};
  v[4] = {left, bottom, 0, argb};
  v[5] = {left, top, 0, argb};
}

namespace {

std::string GoldenPath(const std::string& name) { return std::string(KF_TEST_SOURCE_DIR) + "/graphics/golden/" + name + ".png"; }

}  // namespace

void GraphicsTest::ExpectGolden(const std::string& name, const std::vector<uint32_t>& pixels, int width, int height) {
  ASSERT_EQ(pixels.size(), static_cast<size_t>(width) * static_cast<size_t>(height));
  std::vector<uint8_t> rgba(pixels.size() * 4);
  for (size_t i = 0; i < pixels.size(); ++i) {
    rgba[i * 4 + 0] = static_cast<uint8_t>(pixels[i] >> 16);
    rgba[i * 4 + 1] = static_cast<uint8_t>(pixels[i] >> 8);
    rgba[i * 4 + 2] = static_cast<uint8_t>(pixels[i]);
    rgba[i * 4 + 3] = static_cast<uint8_t>(pixels[i] >> 24);
  }
  std::string path = GoldenPath(name);
  if (std::getenv("KF_UPDATE_GOLDEN") != nullptr) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_RGBA;
    ASSERT_TRUE(png_image_write_to_file(&image, path.c_str(), 0, rgba.data(), 0, nullptr)) << path;
    return;
  }
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  ASSERT_TRUE(png_image_begin_read_from_file(&image, path.c_str())) << "missing golden image " << path;
  image.format = PNG_FORMAT_RGBA;
  std::vector<uint8_t> expected(PNG_IMAGE_SIZE(image));
  ASSERT_TRUE(png_image_finish_read(&image, nullptr, expected.data(), 0, nullptr));
  ASSERT_EQ(static_cast<int>(image.width), width);
  ASSERT_EQ(static_cast<int>(image.height), height);
  int mismatches = 0;
  for (size_t i = 0; i < rgba.size(); ++i) {
    if (std::abs(static_cast<int>(rgba[i]) - static_cast<int>(expected[i])) > 2) {
      if (++mismatches <= 5) {
        size_t pixel = i / 4;
        ADD_FAILURE() << name << ": pixel (" << pixel % static_cast<size_t>(width) << ", "
                      << pixel / static_cast<size_t>(width) << ") channel " << i % 4 << " is "
                      << static_cast<int>(rgba[i]) << ", golden " << static_cast<int>(expected[i]);
      }
    }
  }
  EXPECT_EQ(mismatches, 0) << name;
}
