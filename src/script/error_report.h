// Runtime and compile error reporting.
#pragma once

#include <string>

// Shows a runtime error: console line "ERROR!!! :: %s\n", error_last / error_occurred, and
// for a fatal one the end of the game.
void Error_Show(const std::string& text, bool fatal);
// Formats message for the action being run ("ERROR in\naction number ...") and shows it.
void Error_Show_Action(const std::string& message, bool fatal);
