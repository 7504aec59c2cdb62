// The desktop clipboard's text, through SDL (UTF-8). Without a display every call fails
// quietly: no text, nothing set.
#pragma once

#include <string>

bool Clipboard_HasText();
std::string Clipboard_GetText();  // empty when there is none
bool Clipboard_SetText(const std::string& text);
