#include "platform/sdl/sdl_message_box.h"

#include <SDL.h>

bool SdlMessageBox_Show(const std::string& title, const std::string& text) {
  return SDL_ShowSimpleMessageBox(0, title.c_str(), text.c_str(), nullptr) == 0;
}
