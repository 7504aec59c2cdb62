#include "runner/open_file_dialog.h"

#include "platform/console.h"
#include "platform/message_box.h"
#include "platform/sdl/display_presence.h"
#include "runner/dialogs.h"

namespace {
constexpr const char* kNoGameFile =
    "No game file to play: name one with -game <file>, or put a data.win beside the runner.";
}

std::optional<std::string> Runner_ChooseGameFile() {
  if (Platform_HasDisplay() && GtkDialogs_Backend() != nullptr) {
    FileDialogRequest request;
    request.filters = {{"All Files (*.*)", "*.*"}};
    std::optional<std::string> chosen = Dialog_ChooseFile(request);
    if (!chosen) g_DebugConsole->Output("%s\n", kNoGameFile);
    return chosen;
  }
  g_DebugConsole->Output("%s\n", kNoGameFile);
  if (Platform_HasDisplay()) ShowMessage(kNoGameFile);
  return std::nullopt;
}
