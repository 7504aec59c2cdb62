// The message box drawn by SDL.
#pragma once

#include <string>

// Shows a modal box with an OK button and no icon; false when SDL could not show it.
bool SdlMessageBox_Show(const std::string& title, const std::string& text);
// Asks a yes/no question with an information icon; false when SDL could not show it, else
// answer is true for yes.
bool SdlMessageBox_AskYesNo(const std::string& text, bool& answer);
