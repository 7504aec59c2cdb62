// The message box drawn by SDL.
#pragma once

#include <string>

// Shows a modal box with an OK button and no icon; false when SDL could not show it.
bool SdlMessageBox_Show(const std::string& title, const std::string& text);
