// Start-up and shut-down of the runner process.
#pragma once

// The whole life of the process: command line, start-up, the main loop, shut-down.
// Returns the process exit status: 0 when the game ran and ended, 1 when it could not be
// found, loaded, prepared or started.
int Runner_Main(int argc, char** argv);

// The start-up steps, in the order Runner_Main runs them.
bool InitSubsystems();
void Runner_Initialise();
// The part of Runner_Initialise that makes the script engine ready and installs every hook of
// the runner's subsystems (resource names, events, rooms, sounds, graphics, ...): whatever
// loads a game and compiles its code as the runner does calls it first.
void Runner_InstallEngine();
bool Runner_LoadAndStart();
void Run_Start();
void Run_EnterMainLoop();

// Reads the highscore table, then lets every family of built-in functions register itself.
// The loader calls it once, at the end of the header step of its first chunk pass.
void RegisterBuiltinFunctions();

// The two halves of shut-down.
void GameEnd_Cleanup();
void ShutdownSubsystems();

// The exit status start-up has decided so far (0 until something failed).
int Runner_ExitStatus();
