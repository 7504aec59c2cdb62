// The display and window built-ins on the real SDL window: run on SDL's offscreen driver
// (a virtual screen, where mode changes answer 0) and under Xvfb (SdlWindowUnderXvfb), where
// sizes, places, captions and full screen are read back from the X window.
#include <SDL.h>
#include <gtest/gtest.h>

#include <vector>

#include "functions/display_functions.h"
#include "functions/graphics_functions.h"
#include "graphics/device.h"
#include "graphics/graphics_hooks.h"
#include "graphics/render_state.h"
#include "graphics/surfaces.h"
#include "runner/display.h"
#include "runner/main_loop.h"
#include "runner/window.h"
#include "script/function_table.h"
#include "support/function_table_guard.h"

namespace {

ScriptValue Call(const char* name, std::vector<ScriptValue> args = {}) {
  int32_t id = -1;
  EXPECT_TRUE(Function_Find(name, id)) << name;
  ScriptValue result;
  if (id >= 0) Function_Get(id)->implementation(result, nullptr, nullptr, static_cast<int>(args.size()), args.data());
  return result;
}

double Real(const char* name, std::vector<ScriptValue> args = {}) { return Call(name, std::move(args)).real; }
ScriptValue R(double value) { return ScriptValue::Real(value); }

// What the next frame does after a window request: the device reset, then the window's events.
void NextFrame() {
  if (WindowSettingsChanged) Graphics::Reset();
  WindowSettingsChanged = 0;
  for (int i = 0; i < 10; ++i) {
    Window_ProcessMessages();
    SDL_Delay(5);
  }
}

int SdlWidth() {
  int w = 0, h = 0;
  SDL_GetWindowSize(MainWindow().window, &w, &h);
  return w;
}
int SdlHeight() {
  int w = 0, h = 0;
  SDL_GetWindowSize(MainWindow().window, &w, &h);
  return h;
}

}  // namespace

TEST(SdlWindow, DisplayAndWindowBuiltInsActOnTheRealWindow) {
  ASSERT_TRUE(MainWindow_Create(320, 240, {0, 320, 240, true}));
  MainWindowState& w = MainWindow();
  ASSERT_TRUE(GR_D3D_Init(w.window, 320, 240, 0));
  Graphics_Hooks().freeAllSurfaces = [] { GR_Surface_Free_All(); };
  FunctionTableGuard functions;
  Function_FreeAll();
  InitGraphicsFunctions();
  const bool real = Display_IsReal();

  // The screen: the desktop's mode, or a virtual one of the configured size.
  const DisplayMode desktop = Display_GetDesktopMode();
  EXPECT_EQ(Real("display_get_width"), desktop.width);
  EXPECT_EQ(Real("display_get_height"), desktop.height);
  if (!real) {
    EXPECT_EQ(Real("display_get_width"), kVirtualScreenWidth);
    EXPECT_EQ(Real("display_get_height"), kVirtualScreenHeight);
  }
  EXPECT_EQ(Real("display_get_colordepth"), 32);
  EXPECT_EQ(Real("display_get_orientation"), 0);
  EXPECT_FALSE(Display_GetModes().empty());
  // A mode the screen has (its own) can be tested and set where there is a screen; modes it
  // lacks never, and a failed change still resets the device (surfaces are gone).
  EXPECT_EQ(Real("display_test_all", {R(desktop.width), R(desktop.height), R(0), R(0)}), real ? 1 : 0);
  EXPECT_EQ(Real("display_set_all", {R(0), R(0), R(0), R(0)}), real ? 1 : 0);
  const int32_t surface = GR_Surface_Create(8, 8);
  ASSERT_GE(surface, 0);
  EXPECT_EQ(Real("display_set_size", {R(1234), R(567)}), 0);
  EXPECT_FALSE(GR_Surface_Exists(surface));
  EXPECT_EQ(Real("display_test_all", {R(-1), R(-1), R(1), R(7)}), 0);
  EXPECT_EQ(Real("display_set_colordepth", {R(13)}), 0);
  EXPECT_EQ(Real("display_set_frequency", {R(12345)}), 0);
  DisplayMode chosen;
  EXPECT_FALSE(Display_ChosenMode(chosen));
  WindowSettingsChanged = 0;
  EXPECT_EQ(Real("display_reset", {R(4.9), R(1)}), 0);
  EXPECT_EQ(WindowSettingsChanged, 1);
  NextFrame();

  // Caption, cursor, colour and the settings the system keeps.
  Call("window_set_caption", {ScriptValue::String("Display test")});
  EXPECT_STREQ(SDL_GetWindowTitle(w.window), "Display test");
  EXPECT_EQ(Call("window_get_caption").Text(), "Display test");
  Call("window_set_cursor", {R(-1)});
  EXPECT_EQ(Real("window_get_cursor"), -1);
  EXPECT_EQ(w.currentCursor, nullptr);
  Call("window_set_cursor", {R(-3)});
  EXPECT_EQ(Real("window_get_cursor"), -3);
  if (real) EXPECT_NE(w.currentCursor, nullptr);  // the offscreen driver has no cursors
  Call("window_set_color", {R(255)});
  EXPECT_EQ(Real("window_get_color"), 255);
  Call("window_set_showborder", {R(1)});
  EXPECT_EQ(Real("window_get_showborder"), 0);
  EXPECT_EQ(Real("window_get_visible"), 1);
  ScriptValue handle;
  F_WindowHandle(handle, nullptr, nullptr, 0, nullptr);
  EXPECT_NE(handle.real, 0);

  // Size and place, applied by the next frame and read back from the window.
  Call("window_set_size", {R(400), R(300)});
  NextFrame();
  EXPECT_EQ(SdlWidth(), 400);
  EXPECT_EQ(SdlHeight(), 300);
  EXPECT_EQ(Real("window_get_width"), 400);
  EXPECT_EQ(Real("window_get_height"), 300);
  for (auto [width, height] : {std::pair{-5, -5}, {0, 100}, {100, 0}, {100000, 100}}) {
    Call("window_set_size", {R(width), R(height)});
    NextFrame();
    EXPECT_EQ(Real("window_get_width"), 400) << width;
    EXPECT_EQ(Real("window_get_height"), 300) << width;
  }
  Call("window_set_position", {R(50), R(60)});
  NextFrame();
  int x = 0, y = 0;
  SDL_GetWindowPosition(w.window, &x, &y);
  EXPECT_EQ(Real("window_get_x"), x);
  EXPECT_EQ(Real("window_get_y"), y);
  if (real) {
    EXPECT_EQ(x, 50);
    EXPECT_EQ(y, 60);
  }

  // Full screen on: the window covers the screen; off: back to its size.
  Call("window_set_fullscreen", {R(0.5)});
  EXPECT_EQ(Real("window_get_fullscreen"), 1);
  NextFrame();
  EXPECT_NE(SDL_GetWindowFlags(w.window) & SDL_WINDOW_FULLSCREEN, 0u);
  if (real) {
    EXPECT_EQ(SdlWidth(), desktop.width);
    EXPECT_EQ(SdlHeight(), desktop.height);
  }
  Call("window_set_fullscreen", {R(0.49)});
  EXPECT_EQ(Real("window_get_fullscreen"), 0);
  NextFrame();
  EXPECT_EQ(SDL_GetWindowFlags(w.window) & SDL_WINDOW_FULLSCREEN, 0u);
  EXPECT_EQ(SdlWidth(), 400);
  EXPECT_EQ(SdlHeight(), 300);

  // The mouse: moved only while the window is active.
  w.applicationActive = false;
  const int mouseX = static_cast<int>(Real("display_mouse_get_x"));
  Call("display_mouse_set", {R(mouseX + 7), R(5)});
  EXPECT_EQ(Real("display_mouse_get_x"), mouseX);

  Function_FreeAll();
  Graphics_Hooks() = {};
  GR_D3D_Shutdown();
  MainWindow_Destroy();
}
