#include "platform/sdl/sdl_message_box.h"

#include <SDL.h>

bool SdlMessageBox_Show(const std::string& title, const std::string& text) {
  return SDL_ShowSimpleMessageBox(0, title.c_str(), text.c_str(), nullptr) == 0;
}

bool SdlMessageBox_AskYesNo(const std::string& text, bool& answer) {
  const SDL_MessageBoxButtonData buttons[] = {
      {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, 1, "Yes"},
      {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 0, "No"},
  };
  const SDL_MessageBoxData data{SDL_MESSAGEBOX_INFORMATION, nullptr, "", text.c_str(), 2, buttons, nullptr};
  int pressed = 0;
  if (SDL_ShowMessageBox(&data, &pressed) != 0) return false;
  answer = pressed == 1;
  return true;
}
