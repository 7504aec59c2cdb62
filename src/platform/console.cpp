#include "platform/console.h"

#include <cstdarg>
#include <cstdio>

namespace {
TConsole g_StandardConsole;
}

tagIConsole* g_DebugConsole = &g_StandardConsole;
tagIConsole* g_DebugMessageConsole = &g_StandardConsole;

void TConsole::Output(const char* format, ...) {
  if (format == nullptr) return;
  va_list args;
  va_start(args, format);
  std::vfprintf(stdout, format, args);
  va_end(args);
  std::fflush(stdout);
}
