// Start-up and shut-down of the runner process.
#pragma once

// The whole life of the process: command line, start-up, the main loop, shut-down.
// Returns the process exit status.
int Runner_Main(int argc, char** argv);
