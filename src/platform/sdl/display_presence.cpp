#include "platform/sdl/display_presence.h"

#include <SDL.h>

#include <cstdlib>
#include <cstring>

namespace {
bool Named(const char* variable) {
  const char* value = std::getenv(variable);
  return value != nullptr && value[0] != '\0';
}
}  // namespace

bool Platform_HasDisplay() {
  const char* driver = SDL_WasInit(SDL_INIT_VIDEO) != 0 ? SDL_GetCurrentVideoDriver()
                                                        : std::getenv("SDL_VIDEODRIVER");
  if (driver != nullptr && driver[0] != '\0') {
    if (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0) return false;
    if (std::strcmp(driver, "x11") == 0) return Named("DISPLAY");
    if (std::strcmp(driver, "wayland") == 0) return Named("WAYLAND_DISPLAY");
  }
  return Named("DISPLAY") || Named("WAYLAND_DISPLAY");
}
