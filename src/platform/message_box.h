// The blocking message box of errors and of show_message.
#pragma once

#include <string>

// Shows text (UTF-8) in a box with an OK button and the window caption as its title, and
// returns when the player closes it. The window's modal bracket runs around it: before the box
// full screen is left, after it the input state is cleared.
// Without a display nothing can block: the text goes to the debug console as one line and
// the call returns at once, as if OK had been pressed.
void ShowMessage(const std::string& text);

// Set by the subsystems that own them; until then there is no reset to carry out and the
// caption is empty.
using MessageBoxCheckReset = void (*)();
using MessageBoxCaption = std::string (*)();
void MessageBox_SetCheckReset(MessageBoxCheckReset checkReset);
// Run once the box is closed (and when there is no display, after the console line).
void MessageBox_SetAfterBox(MessageBoxCheckReset afterBox);

// A yes/no question (information icon, no caption); true for yes. Without a display the text
// goes to the console and the answer is no. The same bracket runs around it.
bool AskYesNo(const std::string& text);
void MessageBox_SetCaption(MessageBoxCaption caption);

// The runner's own dialog layer, set by the runner: shows the box of ShowMessage and answers
// true, or false when it cannot (SDL's box is shown then).
using MessageBoxDesktop = bool (*)(const std::string& caption, const std::string& text);
void MessageBox_SetDesktop(MessageBoxDesktop desktop);
