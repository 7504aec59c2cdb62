#include "runner/sdl/window_handle.h"

#include <SDL.h>

#include "runner/window.h"

uint32_t Window_Handle() {
  SDL_Window* window = MainWindow().window;
  return window != nullptr ? SDL_GetWindowID(window) : 0;
}
