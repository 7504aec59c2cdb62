#include "runner/sdl/error_dialog.h"

#include <SDL.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/console.h"

namespace {

constexpr int kButtonCopy = 1;
constexpr int kButtonClear = 2;
constexpr int kButtonAbort = 3;
constexpr int kButtonIgnore = 4;

bool IsHeadlessDriver(const char* driver) {
  return driver != nullptr &&
         (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0);
}

}  // namespace

bool ErrorDialog_DisplayAvailable() {
  if (SDL_WasInit(SDL_INIT_VIDEO) != 0) return !IsHeadlessDriver(SDL_GetCurrentVideoDriver());
  if (IsHeadlessDriver(std::getenv("SDL_VIDEODRIVER"))) return false;
  return std::getenv("DISPLAY") != nullptr || std::getenv("WAYLAND_DISPLAY") != nullptr;
}

bool ErrorDialog_Show(const std::string& text, bool offerIgnore) {
  if (!ErrorDialog_DisplayAvailable()) {
    g_DebugConsole->Output("%s\n", text.c_str());
    return false;
  }
  std::string message = text;
  std::vector<SDL_MessageBoxButtonData> buttons = {
      {0, kButtonCopy, "Copy"},
      {0, kButtonClear, "Clear"},
      {offerIgnore ? Uint32{0} : Uint32{SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT}, kButtonAbort, "Abort"},
  };
  if (offerIgnore) {
    buttons.push_back({Uint32{SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT} |
                           Uint32{SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT},
                       kButtonIgnore, "Ignore"});
  }
  // Copy and Clear keep the dialog open; only Abort or Ignore close it.
  for (;;) {
    SDL_MessageBoxData data{};
    data.flags = SDL_MESSAGEBOX_ERROR;
    data.title = "Code Error...";
    data.message = message.c_str();
    data.numbuttons = static_cast<int>(buttons.size());
    data.buttons = buttons.data();
    int pressed = -1;
    if (SDL_ShowMessageBox(&data, &pressed) != 0) {
      // A dialog that cannot be made reads as Ignore.
      g_DebugConsole->Output("%s\n", text.c_str());
      return false;
    }
    switch (pressed) {
      case kButtonCopy:
        // The clipboard holds what the dialog shows; after Clear there is nothing to copy.
        if (!message.empty() && message != " ") SDL_SetClipboardText(message.c_str());
        break;
      case kButtonClear:
        message.assign(1, ' ');
        break;
      case kButtonAbort:
        return true;
      case kButtonIgnore:
        return false;
      default:
        // The close box: Ignore when it is offered, else the dialog stays.
        if (offerIgnore) return false;
        break;
    }
  }
}
