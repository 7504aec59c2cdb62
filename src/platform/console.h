// Consoles: every diagnostic line of the runner goes through one of these.
#pragma once

#include <string>

class tagIConsole {
 public:
  virtual ~tagIConsole() = default;
  // Both implementations answer true; kept for the interface's shape.
  virtual bool Query() { return true; }
  // printf-style; callers put their own line breaks into the format. A null format does nothing.
  virtual void Output(const char* format, ...) __attribute__((format(printf, 2, 3))) = 0;
};

// Writes to standard output (flushed after every message) and, while the debug window
// is open, to its messages pane.
class TConsole final : public tagIConsole {
 public:
  void Output(const char* format, ...) override __attribute__((format(printf, 2, 3)));
};

// The debug console (log and error lines of every subsystem) and the debug-message
// console (show_debug_message). Both start out pointing at one TConsole; a caller may
// point them elsewhere for a while and must put them back.
extern tagIConsole* g_DebugConsole;
extern tagIConsole* g_DebugMessageConsole;
