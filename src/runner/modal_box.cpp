// The bracket around modal boxes, and the window's activity as the game step sees it.
#include "graphics/device.h"
#include "runner/input.h"
#include "runner/window.h"

void Window_BeforeModalBox() { Graphics_LeaveFullScreen(); }

void Window_AfterModalBox() { IO_Clear(); }

bool Window_IsActive() {
  const MainWindowState& w = MainWindow();
  return w.window == nullptr || w.applicationActive;
}
