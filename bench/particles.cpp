// particles: a burst of 100,000 particles, then particles updated per second (ageing, motion
// with gravity and an attractor, appearance) and particles drawn per second (disk shapes,
// headless: EGL surfaceless, llvmpipe when there is no GPU). Usage: particles [count] [seconds]
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "graphics/device.h"
#include "graphics/embedded_images.h"
#include "graphics/particles/particle_shapes.h"
#include "graphics/particles/particle_systems.h"
#include "graphics/particles/particle_types.h"
#include "graphics/primitives.h"
#include "platform/console.h"
#include "runner/window.h"

namespace {

class QuietConsole final : public tagIConsole {
 public:
  void Output(const char*, ...) override {}
};

constexpr int kWidth = 640, kHeight = 480;
using Clock = std::chrono::steady_clock;

double Since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// Runs step until `seconds` have passed; the number of runs per second.
template <typename Step>
double PerSecond(double seconds, Step step) {
  step();  // warm up
  const auto start = Clock::now();
  int runs = 0;
  double elapsed = 0;
  while (elapsed < seconds) {
    step();
    ++runs;
    elapsed = Since(start);
  }
  return runs / elapsed;
}

}  // namespace

int main(int argc, char** argv) {
  const int count = argc > 1 ? std::atoi(argv[1]) : 100000;
  const double seconds = argc > 2 ? std::atof(argv[2]) : 3.0;
  static QuietConsole quiet;
  g_DebugConsole = &quiet;
  SetEmbeddedImageTable();
  GR_Draw_Init();
  MainWindow().requestedWidth = MainWindow().gameWidth = kWidth;
  MainWindow().requestedHeight = MainWindow().gameHeight = kHeight;
  if (!GR_D3D_Init(nullptr, kWidth, kHeight, 0)) {
    std::fprintf(stderr, "no graphics device\n");
    return 1;
  }
  GR_D3D_Start_Frame();
  Particle_LoadShapeTextures();
  GR_D3D_Finish_Frame(false);

  const int32_t type = ParticleType_Create();
  ParticleType_Shape(type, 1);
  ParticleType_Size(type, 0.05f, 0.15f, 0.0f, 0.0f);
  ParticleType_Life(type, 1000000, 1000000);
  ParticleType_Speed(type, 0.5f, 2.0f, 0.0f, 0.0f);
  ParticleType_Direction(type, 0.0f, 360.0f, 0.0f, 0.0f);
  ParticleType_Gravity(type, 0.01f, 270.0f);
  ParticleType_Color2(type, 0x0000FF, 0x00FFFF);
  ParticleType_Alpha2(type, 1.0f, 0.3f);
  const int32_t system = ParticleSystem_Create();
  const int32_t emitter = ParticleEmitter_Create(system);
  ParticleEmitter_Region(system, emitter, 100, 540, 100, 380, 1, 1);
  const int32_t attractor = ParticleAttractor_Create(system);
  ParticleAttractor_Position(system, attractor, 320, 240);
  ParticleAttractor_Force(system, attractor, 0.05f, 400.0f, 1, true);

  const auto burstStart = Clock::now();
  ParticleEmitter_Burst(system, emitter, type, count);
  const double burstSeconds = Since(burstStart);
  const int made = ParticleSystem_CountParticles(system);

  const double updates = PerSecond(seconds, [system] { ParticleSystem_Update(system); });
  const double frames = PerSecond(seconds, [system] {
    GR_D3D_Start_Frame();
    GR_Draw_Clear(0xFF000000u);
    ParticleSystem_Draw(system);
    GR_D3D_Finish_Frame(true);
  });
  std::printf("%d particles (elliptic region, Gaussian), %dx%d, headless:\n", made, kWidth, kHeight);
  std::printf("  burst of %d: %.1f ms\n", count, burstSeconds * 1000.0);
  std::printf("  update: %.1f updates per second, %.0f particles updated per second\n", updates, updates * made);
  std::printf("  draw:   %.1f frames per second, %.0f particles drawn per second\n", frames, frames * made);
  Particle_Shutdown();
  GR_D3D_Shutdown();
  return 0;
}
