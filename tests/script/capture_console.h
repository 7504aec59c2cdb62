// A console that keeps what is written to it, and a guard that points the debug console at
// one for the length of a test.
#pragma once

#include <cstdarg>
#include <cstdio>
#include <string>

#include "platform/console.h"

class CaptureConsole final : public tagIConsole {
 public:
  void Output(const char* format, ...) override __attribute__((format(printf, 2, 3))) {
    if (format == nullptr) return;
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (length > 0) {
      std::string piece(static_cast<size_t>(length) + 1, '\0');
      std::vsnprintf(piece.data(), piece.size(), format, args);
      piece.resize(static_cast<size_t>(length));
      text += piece;
    }
    va_end(args);
  }
  std::string text;
};

class DebugConsoleCapture {
 public:
  DebugConsoleCapture() : saved_(g_DebugConsole) { g_DebugConsole = &console; }
  ~DebugConsoleCapture() { g_DebugConsole = saved_; }
  DebugConsoleCapture(const DebugConsoleCapture&) = delete;
  DebugConsoleCapture& operator=(const DebugConsoleCapture&) = delete;
  const std::string& text() const { return console.text; }
  CaptureConsole console;

 private:
  tagIConsole* saved_;
};
