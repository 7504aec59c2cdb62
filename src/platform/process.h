// Opening documents and starting other programs.
#pragma once

// Opens a file or address with the desktop's handler (xdg-open); true when the handler reported
// success. Null arguments stay absent.
bool Execute_Shell(const char* file, const char* arguments, const char* folder);

// Runs the command line "program arguments" through /bin/sh. False when program is null or names
// no executable file. With wait, polls every 50 ms, pumping window messages, until it exits.
bool Execute_Program(const char* program, const char* arguments, bool wait);
