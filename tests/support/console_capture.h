// Points the debug console at a memory console for as long as it lives, then puts the
// previous one back. Nothing captured reaches standard output.
#pragma once

#include <string>

#include "platform/console.h"

class ConsoleCapture {
 public:
  ConsoleCapture() : previous_(g_DebugConsole) { g_DebugConsole = &console_; }
  ~ConsoleCapture() { g_DebugConsole = previous_; }
  ConsoleCapture(const ConsoleCapture&) = delete;
  ConsoleCapture& operator=(const ConsoleCapture&) = delete;

  const std::string& Text() const { return console_.Text(); }
  bool Contains(const std::string& part) const { return console_.Text().find(part) != std::string::npos; }
  void Clear() { console_.Clear(); }

 private:
  TMemoryConsole console_;
  tagIConsole* previous_;
};
