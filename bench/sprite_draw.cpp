// sprite_draw: frames per second of a room whose one instance draws 10,000 sprites in its
// draw event (draw_sprite through the virtual machine), and of the same 10,000 sprites
// drawn straight from C++, on the device without a window (EGL surfaceless, llvmpipe when
// there is no GPU). Usage: sprite_draw [sprites] [seconds]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench_sprite.h"
#include "data/event_lists.h"
#include "data/game_data_writer.h"
#include "data/game_loader.h"
#include "data/objects.h"
#include "data/room_settings.h"
#include "data/scripts.h"
#include "data/sprite.h"
#include "graphics/device.h"
#include "graphics/graphics_hooks.h"
#include "graphics/primitives.h"
#include "graphics/texture_pages.h"
#include "platform/console.h"
#include "runner/instance.h"
#include "runner/instance_list.h"
#include "runner/room_drawing.h"
#include "runner/window.h"
#include "script/builtin_variables.h"
#include "script/code.h"
#include "script/constants.h"
#include "script/vm/vm.h"

namespace {

class QuietConsole final : public tagIConsole {
 public:
  void Output(const char*, ...) override {}
};

constexpr int kWidth = 640, kHeight = 480;

GameDataWriter BenchGame(int sprites) {
  GameDataWriter game;
  game.header.windowWidth = kWidth;
  game.header.windowHeight = kHeight;
  AddBenchSprite(game);
  gamedata::Object drawer;
  drawer.name = "obj_drawer";
  drawer.events.push_back(
      {8, 0,
       {"var i; for (i = 0; i < " + std::to_string(sprites) +
        "; i += 1) draw_sprite(spr_ball, 0, (i * 37) mod 640, (i * 53) mod 480);"}});
  game.objects.push_back(drawer);
  return game;
}

template <typename Frame>
double FramesPerSecond(double seconds, Frame frame) {
  using Clock = std::chrono::steady_clock;
  frame();  // warm up
  const auto start = Clock::now();
  int frames = 0;
  double elapsed = 0;
  while (elapsed < seconds) {
    frame();
    ++frames;
    elapsed = std::chrono::duration<double>(Clock::now() - start).count();
  }
  return frames / elapsed;
}

}  // namespace

int main(int argc, char** argv) {
  const int sprites = argc > 1 ? std::atoi(argv[1]) : 10000;
  const double seconds = argc > 2 ? std::atof(argv[2]) : 3.0;
  static QuietConsole quiet;  // outlives everything that may still log at exit
  g_DebugConsole = &quiet;
  VM_Install();
  Code_SetUseVM(true);
  Constant_Init();
  GR_Draw_Init();
  MainWindow().requestedWidth = MainWindow().gameWidth = kWidth;
  MainWindow().requestedHeight = MainWindow().gameHeight = kHeight;
  RoomSettings room;
  room.width = kWidth;
  room.height = kHeight;
  Variable_BuiltIn_World().currentRoom = [&room] { return &room; };
  Graphics_Hooks().projectionCorrectionSize = [](int& w, int& h) { return Room_ProjectionSize(w, h); };
  if (!GR_D3D_Init(nullptr, kWidth, kHeight, 0)) {
    std::fprintf(stderr, "no graphics device\n");
    return 1;
  }
  if (GameData_LoadImage(BenchGame(sprites).Build()) != GameLoadResult::Loaded || !GR_Texture_Pages_Load() ||
      !Script_Prepare() || !Object_Prepare()) {
    std::fprintf(stderr, "the benchmark game did not load\n");
    return 1;
  }
  auto drawer = Instance_Create(0, 0, 0);
  InstanceList_InsertByDepth(room.active, *drawer);

  const double roomFps = FramesPerSecond(seconds, [] {
    GR_D3D_Start_Frame();
    Room_Draw();
    GR_D3D_Finish_Frame(true);
  });
  const CSprite* sprite = Sprite_Data(0);
  const double directFps = FramesPerSecond(seconds, [sprite, sprites] {
    GR_D3D_Start_Frame();
    GR_Draw_Clear(0xFF000000u);
    for (int i = 0; i < sprites; ++i) {
      sprite->DrawSimple(0, static_cast<float>((i * 37) % 640), static_cast<float>((i * 53) % 480));
    }
    GR_D3D_Finish_Frame(true);
  });
  std::printf("%d sprites a frame, %dx%d, headless:\n", sprites, kWidth, kHeight);
  std::printf("  room draw event (draw_sprite on the machine): %.1f frames per second\n", roomFps);
  std::printf("  CSprite::DrawSimple from C++:                 %.1f frames per second\n", directFps);

  InstanceList_Unlink(room.active, *drawer);
  drawer.reset();
  Object_FreeEventLists();
  Object_FreeAll();
  Sprite_FreeAll();
  GR_D3D_Shutdown();
  return 0;
}
