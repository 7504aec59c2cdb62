// The runtime-error dialog over SDL2: the error text with Copy, Clear, Abort and, when
// offered, Ignore. Without a display it never blocks: the text goes to the console and the
// answer is Ignore.
#pragma once

#include <string>

// True when the user chose Abort.
bool ErrorDialog_Show(const std::string& text, bool offerIgnore);
