#include "platform/message_box.h"

#include "platform/console.h"
#include "platform/sdl/display_presence.h"
#include "platform/sdl/sdl_message_box.h"

namespace {
MessageBoxCheckReset g_CheckReset = nullptr;
MessageBoxCaption g_Caption = nullptr;
}  // namespace

void MessageBox_SetCheckReset(MessageBoxCheckReset checkReset) { g_CheckReset = checkReset; }
void MessageBox_SetCaption(MessageBoxCaption caption) { g_Caption = caption; }

void ShowMessage(const std::string& text) {
  if (g_CheckReset != nullptr) g_CheckReset();
  std::string caption = g_Caption != nullptr ? g_Caption() : std::string();
  if (Platform_HasDisplay() && SdlMessageBox_Show(caption, text)) return;
  g_DebugConsole->Output("%s\n", text.c_str());
}
