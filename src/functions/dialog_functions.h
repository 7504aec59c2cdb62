// Built-ins of messages, questions, text and number queries, the file dialogs, the login
// dialog, the splash settings and players, the highscore display and table, and the
// message and menu built-ins that only name themselves on the console.
#pragma once

#include <cstdint>
#include <string>

#include "script/builtin_function.h"

// Registers the family in its fixed order (61 names); called just before the input family.
void InitDialogFunctions();

// The text show_message shows for a real: "%d" when it is a whole number, else "%.2f" (at
// most 63 characters).
std::string Dialog_RealText(double value);

// What the splash players would read.
struct SplashSettings {
  std::string caption;
  bool fullScreen = false;
  int32_t width = 640;
  int32_t height = 480;
  bool adapt = true;
  bool border = true;
  bool top = true;
  bool mainWindow = true;
  bool cursor = true;
  bool interrupt = true;
  bool stopKey = true;
  bool stopMouse = true;
  int32_t colour = 0;
  double scale = -1.0;
};
SplashSettings& Splash_Settings();

BuiltinSignature F_ShowMessage;
BuiltinSignature F_ShowQuestion;
BuiltinSignature F_GetString;
BuiltinSignature F_GetInteger;
BuiltinSignature F_GetLoginAsync;
BuiltinSignature F_DrawHighscore;
