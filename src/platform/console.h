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
// is open, to its messages pane: each message there is one entry, cut to its first
// kDebugPaneMessageLimit characters.
class TConsole final : public tagIConsole {
 public:
  void Output(const char* format, ...) override __attribute__((format(printf, 2, 3)));
};

// Keeps everything written to it; for capturing output while a caller points a console
// global at it.
class TMemoryConsole final : public tagIConsole {
 public:
  void Output(const char* format, ...) override __attribute__((format(printf, 2, 3)));
  const std::string& Text() const { return text_; }
  void Clear() { text_.clear(); }

 private:
  std::string text_;
};

// The debug console (log and error lines of every subsystem) and the debug-message
// console (show_debug_message). Both start out pointing at one TConsole; a caller may
// point them elsewhere for a while and must put them back.
extern tagIConsole* g_DebugConsole;
extern tagIConsole* g_DebugMessageConsole;

inline constexpr size_t kDebugPaneMessageLimit = 4095;

// The debug window's messages pane: the window sets a function that adds one entry while
// the pane exists and clears it (nullptr) when the pane goes.
using DebugPaneAddMessage = void (*)(const char* message);
void Console_SetDebugPane(DebugPaneAddMessage addMessage);

// Shut-down step of the consoles; nothing to release.
void Console_Shutdown();
