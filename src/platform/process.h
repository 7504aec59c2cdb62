// Opening documents and starting other programs.
#pragma once

// Opens a file or address: an executable file is started with the arguments (without waiting);
// anything else goes to the desktop's handler (xdg-open), and the answer is whether the handler
// reported success. A relative file is taken in folder when one is given.
bool Execute_Shell(const char* file, const char* arguments, const char* folder);

// Runs the command line "program arguments" through /bin/sh. False when program is null or names
// no executable file. With wait, polls every 50 ms, pumping window messages, until it exits.
bool Execute_Program(const char* program, const char* arguments, bool wait);
