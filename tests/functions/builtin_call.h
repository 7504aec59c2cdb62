// Calling built-in implementations directly, and catching the error lines they report.
#pragma once

#include <cstdarg>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <vector>

#include "platform/console.h"
#include "script/builtin_function.h"
#include "script/script_value.h"

inline ScriptValue R(double value) { return ScriptValue::Real(value); }
inline ScriptValue S(std::string text) { return ScriptValue::String(std::move(text)); }

// Calls fn as the machine would: the result starts as the real 0.
inline ScriptValue CallBuiltin(BuiltinFunction fn, std::vector<ScriptValue> args) {
  ScriptValue result;
  fn(result, nullptr, nullptr, static_cast<int>(args.size()), args.data());
  return result;
}

// Collects everything written to the debug console while it lives.
class ConsoleCapture final : public tagIConsole {
 public:
  ConsoleCapture() : previous_(g_DebugConsole) { g_DebugConsole = this; }
  ~ConsoleCapture() override { g_DebugConsole = previous_; }
  ConsoleCapture(const ConsoleCapture&) = delete;
  ConsoleCapture& operator=(const ConsoleCapture&) = delete;

  void Output(const char* format, ...) override __attribute__((format(printf, 2, 3))) {
    if (format == nullptr) return;
    va_list args;
    va_start(args, format);
    va_list measure;
    va_copy(measure, args);
    int length = std::vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    if (length > 0) {
      std::string line(static_cast<size_t>(length), '\0');
      std::vsnprintf(line.data(), line.size() + 1, format, args);
      text_ += line;
    }
    va_end(args);
  }

  const std::string& Text() const { return text_; }

 private:
  tagIConsole* previous_;
  std::string text_;
};
