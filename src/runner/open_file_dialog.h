// Asking the player for the game file when neither "data.win" nor "-game" names one.
#pragma once

#include <optional>
#include <string>

// The chosen file's path, or no value when nothing was chosen. This build has no file
// dialog of its own: it tells the player how to name the game (on the console, and in a
// message box when there is a display) and answers no value, as a cancelled dialog does.
std::optional<std::string> Runner_ChooseGameFile();
