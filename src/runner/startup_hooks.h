// The wiring of the runner: every hook table that lets one subsystem reach another is filled
// here, in one start-up function, and a check lists what is still empty.
//
// A hook whose subsystem is not built yet stays empty and is named in kPendingHooks
// (runner/pending_subsystems.h); every other hook must be set once Runner_InstallHooks has run.
#pragma once

#include <string>
#include <vector>

// Installs every hook of every table (the main loop, the step, input, graphics, the loading
// screen, the graphics start, error reports, the window, the message box, rooms and sound).
// Without a window the same hooks run headless: the window layer answers for a window that
// is not there.
void Runner_InstallHooks();

struct HookState {
  std::string name;  // "<table>.<hook>"
  bool set = false;
};
// Every hook of every table with whether it is set, in table order.
std::vector<HookState> Runner_HookStates();

// Logs "Start-up hooks: <set> set, <pending> pending, <empty> empty" and then one line
// "Empty hook: <name>" for each hook that is empty without being pending, and
// "Pending hook is set: <name>" for each pending one that some subsystem has filled since.
// Returns the number of such faults (0 when the wiring is complete).
int Runner_CheckHooks();
