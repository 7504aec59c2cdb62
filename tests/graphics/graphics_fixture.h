// A device without a window (EGL surfaceless on llvmpipe), a frame into the screen
// texture, and golden-image comparison.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "graphics/batch.h"
#include "graphics/device.h"
#include "graphics/graphics_hooks.h"
#include "graphics/graphics_state.h"
#include "graphics/render_state.h"
#include "graphics/texture_table.h"
#include "support/console_capture.h"

class GraphicsTest : public ::testing::Test {
 protected:
  static constexpr int kSize = 32;
  void SetUp() override;
  void TearDown() override;
  // Pixels of the screen texture as 0xAARRGGBB words, rows top first.
  std::vector<uint32_t> ScreenPixels(int width = kSize, int height = kSize);
  // Compares with tests/graphics/golden/<name>.png (per-channel tolerance 2); with
  // KF_UPDATE_GOLDEN set in the environment the file is written instead.
  void ExpectGolden(const std::string& name, const std::vector<uint32_t>& pixels, int width, int height);
  // A quad of two triangles in 16-byte vertices, pending in the batch.
  void Rect(float left, float top, float right, float bottom, uint32_t argb);
  std::unique_ptr<ConsoleCapture> console_;
};
