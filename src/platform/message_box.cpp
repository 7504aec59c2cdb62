#include "platform/message_box.h"

#include "platform/console.h"
#include "platform/sdl/display_presence.h"
#include "platform/sdl/sdl_message_box.h"

namespace {
MessageBoxCheckReset g_CheckReset = nullptr;
MessageBoxCaption g_Caption = nullptr;
MessageBoxCheckReset g_AfterBox = nullptr;
MessageBoxDesktop g_Desktop = nullptr;

void AfterBox() {
  if (g_AfterBox != nullptr) g_AfterBox();
}
}  // namespace

void MessageBox_SetCheckReset(MessageBoxCheckReset checkReset) { g_CheckReset = checkReset; }
void MessageBox_SetCaption(MessageBoxCaption caption) { g_Caption = caption; }
void MessageBox_SetAfterBox(MessageBoxCheckReset afterBox) { g_AfterBox = afterBox; }
void MessageBox_SetDesktop(MessageBoxDesktop desktop) { g_Desktop = desktop; }

void ShowMessage(const std::string& text) {
  if (g_CheckReset != nullptr) g_CheckReset();
  std::string caption = g_Caption != nullptr ? g_Caption() : std::string();
  const bool shown = Platform_HasDisplay() && ((g_Desktop != nullptr && g_Desktop(caption, text)) ||
                                               SdlMessageBox_Show(caption, text));
  if (!shown) g_DebugConsole->Output("%s\n", text.c_str());
  AfterBox();
}

bool AskYesNo(const std::string& text) {
  if (g_CheckReset != nullptr) g_CheckReset();
  bool answer = false;
  if (!Platform_HasDisplay() || !SdlMessageBox_AskYesNo(text, answer)) g_DebugConsole->Output("%s\n", text.c_str());
  AfterBox();
  return answer;
}
