// Asking the player for the game file when neither "data.win" nor "-game" names one.
#pragma once

#include <optional>
#include <string>

// The chosen file's path, or no value when nothing was chosen. With a display the player
// picks the file in the open-file dialog (any file); cancelling it, or having no display,
// tells how to name the game on the console (and, when the dialog cannot be shown, in a
// message box) and answers no value.
std::optional<std::string> Runner_ChooseGameFile();
