#include "platform/console.h"

#include <cstdarg>
#include <cstdio>

namespace {
TConsole g_StandardConsole;
DebugPaneAddMessage g_DebugPane = nullptr;
}  // namespace

tagIConsole* g_DebugConsole = &g_StandardConsole;
tagIConsole* g_DebugMessageConsole = &g_StandardConsole;

void Console_SetDebugPane(DebugPaneAddMessage addMessage) { g_DebugPane = addMessage; }

void Console_Shutdown() {}

void TConsole::Output(const char* format, ...) {
  if (format == nullptr) return;
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  std::vfprintf(stdout, format, args);
  if (g_DebugPane != nullptr) {
    char entry[kDebugPaneMessageLimit + 1];
    std::vsnprintf(entry, sizeof entry, format, again);
    g_DebugPane(entry);
  }
  va_end(again);
  va_end(args);
  std::fflush(stdout);
}

void TMemoryConsole::Output(const char* format, ...) {
  if (format == nullptr) return;
  va_list args;
  va_start(args, format);
  va_list measure;
  va_copy(measure, args);
  int length = std::vsnprintf(nullptr, 0, format, measure);
  va_end(measure);
  if (length > 0) {
    size_t start = text_.size();
    text_.resize(start + static_cast<size_t>(length) + 1);
    std::vsnprintf(text_.data() + start, static_cast<size_t>(length) + 1, format, args);
    text_.resize(start + static_cast<size_t>(length));
  }
  va_end(args);
}
