// Connects the main loop's phases to the window, the graphics frame and the on-screen
// buttons.
#include "graphics/device.h"
#include "graphics/render_state.h"
#include "runner/input.h"
#include "runner/main_loop.h"
#include "runner/window.h"

void MainWindow_InstallLoopHooks() {
  MainLoopHooks& hooks = MainLoop_Hooks();
  hooks.pumpWindowMessages = [] { return Window_ProcessMessages(); };
  hooks.graphicsReset = [] { Graphics::Reset(); };
  hooks.beginFrame = [] { GR_D3D_Start_Frame(); };
  hooks.endFrame = [](bool present) { GR_D3D_Finish_Frame(present); };
  hooks.drawVirtualButtons = [] { IO_Draw_Virtual_Buttons(); };
  hooks.postQuit = [] { MainWindow().quitRequested = true; };
}
