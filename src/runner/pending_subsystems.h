// Steps of start-up and shut-down whose subsystems are not built yet.
//
// Each placeholder carries the name of the real step and does nothing (or answers
// success). When a subsystem lands, its calls in startup.cpp, shutdown.cpp and
// command_line.cpp are pointed at the real function and the placeholder is deleted here.
// Nothing outside those files may call into this namespace.
#pragma once

#include <cstdint>
#include <string>

namespace pending {

// Start-up of the subsystems, in their order.
void HighScore_Clear();
void HighScore_Load();

// Game file, window, graphics and the first frames.
void ScoreForm_Create();
void LoadForm_Create();
void ErrorForm_Create();

// Command-line options.
void Physics_InstallAssertHandler();

// The end of the game and shut-down, in their order.
void DataFile_RemoveAll();
void Window_PostQuit();
void HighScore_Save();
void Compiler_Cleanup();
void Grid_DestroyAll();
bool Window_Exists();
void LoadForm_Free();
void Debugger_Shutdown();

}  // namespace pending
