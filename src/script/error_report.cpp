#include "script/error_report.h"

#include "platform/console.h"

void Error_Show(const std::string& text, bool fatal) {
  g_DebugConsole->Output("ERROR!!! :: %s\n", text.c_str());
}

void Error_Show_Action(const std::string& message, bool fatal) {
  Error_Show(std::string(fatal ? "FATAL " : "") + "ERROR in\n" + message, fatal);
}
