// The screen over SDL2: the display's modes, mode changes through the main window's full
// screen mode, and the cursor on the screen.
#include <SDL.h>

#include <algorithm>
#include <cstring>

#include "runner/display.h"
#include "runner/window.h"

namespace {

struct ChosenMode {
  bool set = false;
  SDL_DisplayMode mode{};
};

ChosenMode& Chosen() {
  static ChosenMode chosen;
  return chosen;
}

DisplayMode FromSdl(const SDL_DisplayMode& mode) {
  return {mode.w, mode.h, static_cast<int32_t>(SDL_BYTESPERPIXEL(mode.format)) * 8, mode.refresh_rate};
}

DisplayMode VirtualMode() { return {kVirtualScreenWidth, kVirtualScreenHeight, 32, 60}; }

bool Matches(const DisplayMode& mode, int32_t width, int32_t height, int32_t frequency, int32_t depth) {
  return mode.width == width && mode.height == height && mode.frequency == frequency && mode.bitsPerPixel == depth;
}

// The SDL mode of the display's list with these fields; false when there is none.
bool FindSdlMode(int32_t width, int32_t height, int32_t frequency, int32_t depth, SDL_DisplayMode& found) {
  if (!Display_IsReal()) return false;
  const DisplayMode current = Display_GetCurrentMode();
  width = width > 0 ? width : current.width;
  height = height > 0 ? height : current.height;
  frequency = frequency > 0 ? frequency : current.frequency;
  depth = depth > 0 ? depth : current.bitsPerPixel;
  const int count = SDL_GetNumDisplayModes(0);
  for (int i = 0; i < count; ++i) {
    SDL_DisplayMode mode{};
    if (SDL_GetDisplayMode(0, i, &mode) != 0) continue;
    if (Matches(FromSdl(mode), width, height, frequency, depth)) {
      found = mode;
      return true;
    }
  }
  // The current mode is always the screen's own, listed or not.
  SDL_DisplayMode now{};
  if (SDL_GetCurrentDisplayMode(0, &now) == 0 && Matches(FromSdl(now), width, height, frequency, depth)) {
    found = now;
    return true;
  }
  return false;
}

bool WindowIsFullScreen(SDL_Window* window) {
  return window != nullptr && (SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN) != 0;
}

}  // namespace

bool Display_IsReal() {
  if (SDL_WasInit(SDL_INIT_VIDEO) == 0) return false;
  const char* driver = SDL_GetCurrentVideoDriver();
  return driver != nullptr && std::strcmp(driver, "offscreen") != 0 && std::strcmp(driver, "dummy") != 0;
}

DisplayMode Display_GetCurrentMode() {
  SDL_DisplayMode mode{};
  if (!Display_IsReal() || SDL_GetCurrentDisplayMode(0, &mode) != 0 || mode.w < 1 || mode.h < 1) return VirtualMode();
  return FromSdl(mode);
}

DisplayMode Display_GetDesktopMode() {
  SDL_DisplayMode mode{};
  if (!Display_IsReal() || SDL_GetDesktopDisplayMode(0, &mode) != 0 || mode.w < 1 || mode.h < 1) return VirtualMode();
  return FromSdl(mode);
}

std::vector<DisplayMode> Display_GetModes() {
  std::vector<DisplayMode> modes;
  if (!Display_IsReal()) {
    modes.push_back(VirtualMode());
    return modes;
  }
  const int count = SDL_GetNumDisplayModes(0);
  for (int i = 0; i < count; ++i) {
    SDL_DisplayMode mode{};
    if (SDL_GetDisplayMode(0, i, &mode) == 0) modes.push_back(FromSdl(mode));
  }
  if (modes.empty()) modes.push_back(Display_GetCurrentMode());
  return modes;
}

int Display_GetWidth() { return Display_GetCurrentMode().width; }
int Display_GetHeight() { return Display_GetCurrentMode().height; }

int Display_GetColourDepth() {
  const int bits = Display_GetCurrentMode().bitsPerPixel;
  return bits > 0 ? bits : -1;
}

int Display_GetFrequency() {
  const int frequency = Display_GetCurrentMode().frequency;
  return frequency > 0 ? frequency : -1;
}

bool Display_FindMode(int32_t width, int32_t height, int32_t frequency, int32_t depth, DisplayMode& found) {
  SDL_DisplayMode mode{};
  if (!FindSdlMode(width, height, frequency, depth, mode)) return false;
  found = FromSdl(mode);
  return true;
}

bool Display_TestAll(int32_t width, int32_t height, int32_t frequency, int32_t depth) {
  SDL_DisplayMode mode{};
  return FindSdlMode(width, height, frequency, depth, mode);
}

bool Display_SetAll(int32_t width, int32_t height, int32_t frequency, int32_t depth) {
  SDL_DisplayMode mode{};
  if (!FindSdlMode(width, height, frequency, depth, mode)) return false;
  SDL_DisplayMode desktop{};
  const bool isDesktop = SDL_GetDesktopDisplayMode(0, &desktop) == 0 &&
                         Matches(FromSdl(desktop), mode.w, mode.h, mode.refresh_rate,
                                 static_cast<int32_t>(SDL_BYTESPERPIXEL(mode.format)) * 8);
  SDL_Window* window = MainWindow().window;
  if (window != nullptr && SDL_SetWindowDisplayMode(window, isDesktop ? nullptr : &mode) != 0) return false;
  Chosen().set = !isDesktop;
  Chosen().mode = mode;
  if (WindowIsFullScreen(window)) {
    SDL_SetWindowFullscreen(window, isDesktop ? SDL_WINDOW_FULLSCREEN_DESKTOP : SDL_WINDOW_FULLSCREEN);
  }
  return true;
}

bool Display_SetSize(int32_t width, int32_t height) { return Display_SetAll(width, height, 0, 0); }
bool Display_SetFrequency(int32_t frequency) { return Display_SetAll(0, 0, frequency, 0); }
bool Display_SetColourDepth(int32_t depth) { return Display_SetAll(0, 0, 0, depth); }

bool Display_ChosenMode(DisplayMode& mode) {
  if (!Chosen().set) return false;
  mode = FromSdl(Chosen().mode);
  return true;
}

void Display_Restore() {
  Chosen().set = false;
  SDL_Window* window = MainWindow().window;
  if (window == nullptr) return;
  SDL_SetWindowDisplayMode(window, nullptr);
  if (WindowIsFullScreen(window)) SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN_DESKTOP);
}

int Display_Mouse_GetX() {
  int x = 0, y = 0;
  if (SDL_WasInit(SDL_INIT_VIDEO) != 0) SDL_GetGlobalMouseState(&x, &y);
  return x;
}

int Display_Mouse_GetY() {
  int x = 0, y = 0;
  if (SDL_WasInit(SDL_INIT_VIDEO) != 0) SDL_GetGlobalMouseState(&x, &y);
  return y;
}

void Display_Mouse_Set(int x, int y) {
  if (!MainWindow().applicationActive || !Display_IsReal()) return;
  SDL_WarpMouseGlobal(x, y);
}
