// Termination signals (SIGTERM, SIGINT, SIGHUP) end the run as a closed window does. The
// handler only raises a flag; the places that can act on it look at it: the message pump turns
// it into the end of the main loop, the script engines abandon the code they run at their
// next backward jump or call, and a modal dialog closes as cancelled.
#pragma once

#include <atomic>

namespace termination_detail {
extern std::atomic<bool> g_Requested;
}  // namespace termination_detail

// Installs the handler for the three signals; one the process was started with ignored stays
// ignored. Called once, early in start-up (before the window layer, which keeps a handler it
// finds in place).
void TerminationSignal_Install();

// True once a termination signal has arrived and until TerminationSignal_Clear. Cheap enough
// for every backward jump of the script engines.
inline bool TerminationSignal_Pending() {
  return termination_detail::g_Requested.load(std::memory_order_relaxed);
}

// The main loop has ended on the request: code that runs from here on (the room end and game
// end events of shut-down) runs to its end again, unless another signal arrives.
void TerminationSignal_Clear();
