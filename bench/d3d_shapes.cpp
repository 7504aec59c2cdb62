// d3d_shapes: a 3D scene of 1,000 shapes a frame (blocks, cylinders, cones, ellipsoids, walls
// and floors in turn, lit by a directional light, with the depth buffer), in frames per
// second, headless: EGL surfaceless, llvmpipe when there is no GPU.
// Usage: d3d_shapes [shapes] [seconds]
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "graphics/d3d_mode.h"
#include "graphics/d3d_shapes.h"
#include "graphics/device.h"
#include "graphics/graphics_state.h"
#include "graphics/primitives.h"
#include "graphics/render_state.h"
#include "platform/console.h"
#include "runner/window.h"

namespace {

class QuietConsole final : public tagIConsole {
 public:
  void Output(const char*, ...) override {}
};

constexpr int kWidth = 640, kHeight = 480;
using Clock = std::chrono::steady_clock;

void DrawScene(int shapes) {
  for (int i = 0; i < shapes; ++i) {
    const auto x = static_cast<float>((i % 40) * 30 - 600);
    const auto y = static_cast<float>((i / 40) * 30);
    switch (i % 6) {
      case 0: GR_3D_Draw_Block(x, y, 0, x + 20, y + 20, 20, -1, 1, 1); break;
      case 1: GR_3D_Draw_Cylinder(x, y, 0, x + 20, y + 20, 20, -1, 1, 1, true, 24); break;
      case 2: GR_3D_Draw_Cone(x, y, 0, x + 20, y + 20, 20, -1, 1, 1, true, 24); break;
      case 3: GR_3D_Draw_Ellipsoid(x, y, 0, x + 20, y + 20, 20, -1, 1, 1, 24); break;
      case 4: GR_3D_Draw_Wall(x, y, 0, x + 20, y + 20, 20, -1, 1, 1); break;
      default: GR_3D_Draw_Floor(x, y, 0, x + 20, y + 20, 0, -1, 1, 1); break;
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  const int shapes = argc > 1 ? std::atoi(argv[1]) : 1000;
  const double seconds = argc > 2 ? std::atof(argv[2]) : 3.0;
  static QuietConsole quiet;
  g_DebugConsole = &quiet;
  GR_Draw_Init();
  MainWindow().requestedWidth = MainWindow().gameWidth = kWidth;
  MainWindow().requestedHeight = MainWindow().gameHeight = kHeight;
  if (!GR_D3D_Init(nullptr, kWidth, kHeight, 0)) {
    std::fprintf(stderr, "no graphics device\n");
    return 1;
  }
  auto frame = [shapes] {
    GR_D3D_Start_Frame();
    GR_Draw_Clear(0xFF000000u);
    GR_3D_SetMode(true);
    GR_3D_Set_Lighting(true);
    Graphics_SetAmbientLight(0x404040);
    Graphics_DefineDirectionalLight(0, 0.5f, 0.7f, -0.5f, 0xFFFFFF);
    Graphics_EnableLight(0, true);
    GR_3D_Set_Projection_Ext(0, -200, 300, 0, 300, 0, 0, 0, 1, 60, 4.0f / 3.0f, 1, 2000);
    GR_Draw_Set_Color(0xFFFFFF);
    DrawScene(shapes);
    GR_D3D_Finish_Frame(true);
  };
  frame();  // warm up
  const auto start = Clock::now();
  int frames = 0;
  double elapsed = 0;
  while (elapsed < seconds) {
    frame();
    ++frames;
    elapsed = std::chrono::duration<double>(Clock::now() - start).count();
  }
  std::printf("%d shapes a frame (the six kinds in turn, 24 steps, lit, depth-tested), %dx%d, headless:\n", shapes,
              kWidth, kHeight);
  std::printf("  %.1f frames per second, %.0f shapes drawn per second\n", frames / elapsed,
              frames / elapsed * shapes);
  GR_D3D_Shutdown();
  return 0;
}
