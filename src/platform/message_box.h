// The blocking message box of errors and of show_message.
#pragma once

#include <string>

// Shows text (UTF-8) in a box with an OK button and the window caption as its title, and
// returns when the player closes it. A pending graphics-device reset is carried out first.
// Without a display nothing can block: the text goes to the debug console as one line and
// the call returns at once, as if OK had been pressed.
void ShowMessage(const std::string& text);

// Set by the subsystems that own them; until then there is no reset to carry out and the
// caption is empty.
using MessageBoxCheckReset = void (*)();
using MessageBoxCaption = std::string (*)();
void MessageBox_SetCheckReset(MessageBoxCheckReset checkReset);
void MessageBox_SetCaption(MessageBoxCaption caption);
