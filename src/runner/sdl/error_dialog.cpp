#include "runner/sdl/error_dialog.h"

#include <SDL.h>

#include <vector>

#include "platform/console.h"
#include "platform/sdl/display_presence.h"
#include "runner/dialog_backend.h"
#include "runner/main_loop.h"
#include "runner/window.h"

namespace {

constexpr int kButtonCopy = 1;
constexpr int kButtonClear = 2;
constexpr int kButtonAbort = 3;
constexpr int kButtonIgnore = 4;

// The console form of the dialog's text: its CR LF line breaks as plain line feeds.
void PrintInstead(const std::string& text) {
  std::string lines;
  lines.reserve(text.size());
  for (char c : text) {
    if (c != '\r') lines += c;
  }
  g_DebugConsole->Output("%s\n", lines.c_str());
}

}  // namespace

bool ErrorDialog_Show(const std::string& text, bool offerIgnore) {
  if (!Platform_HasDisplay()) {
    PrintInstead(text);
    return false;
  }
  // Let the window catch up before the dialog takes over.
  for (int pass = 0; pass < 2; ++pass) {
    ProcessMessages();
    SDL_Delay(100);
  }
  // The runner's own dialog layer when it can start; SDL's box keeps a termination signal
  // waiting until it is answered.
  if (CDialogBackend* desktop = GtkDialogs_Backend()) return desktop->ErrorBox(text, offerIgnore);
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
    data.window = MainWindow().window;
    data.title = "Code Error...";
    data.message = message.c_str();
    data.numbuttons = static_cast<int>(buttons.size());
    data.buttons = buttons.data();
    int pressed = -1;
    if (SDL_ShowMessageBox(&data, &pressed) != 0) {
      // A dialog that cannot be made reads as Ignore.
      PrintInstead(text);
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
