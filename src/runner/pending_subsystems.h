// Steps of start-up and shut-down whose subsystems are not built yet.
//
// Each placeholder carries the name of the real step and does nothing (or answers
// success). When a subsystem lands, its calls in startup.cpp, shutdown.cpp and
// command_line.cpp are pointed at the real function and the placeholder is deleted here.
// Nothing outside those files may call into this namespace.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace pending {

// The hooks that stay empty until their subsystem lands (named "<table>.<hook>" as
// Runner_HookStates names them). The start-up check (runner/startup_hooks.h) reports any other
// empty hook as a fault, and a hook listed here that has been filled as one too: when a
// subsystem lands, its hooks are installed in Runner_InstallHooks and taken off this list.
inline constexpr std::array<std::string_view, 0> kPendingHooks = {};

// Game file, window, graphics and the first frames.
void ScoreForm_Create();
void LoadForm_Create();
void ErrorForm_Create();

// The end of the game and shut-down, in their order.
void Window_PostQuit();
void Compiler_Cleanup();
void Grid_DestroyAll();
bool Window_Exists();
void LoadForm_Free();

}  // namespace pending
