// The main window's state, services that need no system call, and the view mapping.
#include "runner/window.h"

#include <cmath>

#include "graphics/device.h"
#include "platform/conversions.h"
#include "runner/input.h"
#include "runner/main_loop.h"

MainWindowState& MainWindow() {
  static MainWindowState state;
  return state;
}

int GR_Window_Get_Width() { return MainWindow().gameWidth; }
int GR_Window_Get_Height() { return MainWindow().gameHeight; }

void GR_Window_Set_Fullscreen(bool flag) {
  MainWindow().fullScreenRequest = flag;
  WindowSettingsChanged = 1;
}

bool GR_Window_Get_Fullscreen() { return MainWindow().fullScreenRequest; }
const std::string& GR_Window_Get_Caption() { return MainWindow().caption; }

void GR_Window_Set_Size(int width, int height) {
  // A size the device cannot make (no pixels, or larger than a render target may be) is
  // ignored: the window keeps its size.
  if (width < 1 || height < 1 || width > kWindowMaxSide || height > kWindowMaxSide) return;
  MainWindowState& w = MainWindow();
  w.requestedWidth = width;
  w.requestedHeight = height;
  Graphics_Sizes().pendingWidth = width;
  Graphics_Sizes().pendingHeight = height;
  WindowSettingsChanged = 1;
}

void GR_Window_Set_Rectangle(int x, int y, int width, int height) {
  GR_Window_Set_Position(x, y);
  GR_Window_Set_Size(width, height);
  MainWindow().sizeChanged = true;
}

int GR_Window_Mouse_X() { return IO_State().windowMouseX; }
int GR_Window_Mouse_Y() { return IO_State().windowMouseY; }

void GR_Window_Set_Color(uint32_t colour) { MainWindow().colour = colour | 0xFF000000u; }
uint32_t GR_Window_Get_Color() { return MainWindow().colour & 0xFFFFFF; }
int32_t GR_Window_Get_Cursor() { return MainWindow().cursorConstant; }

int Window_CursorSlot(int32_t constant) {
  switch (constant) {
    case 0:
    case -2: return 0;
    case -1:
    case -5: return 1;
    case -3: return 2;
    case -4: return 3;
    case -6: return 4;
    case -7: return 5;
    case -8: return 6;
    case -9: return 7;
    case -10: return 8;
    case -11: return 9;
    case -12:
    case -21: return 10;
    case -13:
    case -14:
    case -15:
    case -16:
    case -17:
    case -18: return 11;
    case -19: return 12;
    case -20: return 13;
    case -22: return 14;
    default: return -1;
  }
}

void GR_Window_Set_View(int n, float portX, float portY, float portWidth, float portHeight, float viewX,
                        float viewY, float viewWidth, float viewHeight, float angle, int32_t surface) {
  if (n < 0 || n >= kWindowViewCount) return;
  MainWindowState& w = MainWindow();
  WindowViewRecord& r = w.views[static_cast<size_t>(n)];
  if (!r.inUse) ++w.viewCount;
  r = {true, viewX, viewY, viewWidth, viewHeight, portX, portY, portWidth, portHeight, angle, surface};
}

void GR_Window_Clear_View(int n) {
  if (n < 0 || n >= kWindowViewCount) return;
  MainWindowState& w = MainWindow();
  WindowViewRecord& r = w.views[static_cast<size_t>(n)];
  if (r.inUse) --w.viewCount;
  r.inUse = false;
}

void GR_Window_Clear_Views() {
  MainWindowState& w = MainWindow();
  for (auto& r : w.views) r.inUse = false;
  w.viewCount = 0;
}

namespace {

constexpr float kPi = 3.1415927f;

// Halves to even; NaN and places beyond 32 bits give INT32_MIN.
int RoundEven(float v) { return Conv_RoundToInt32(v); }

// The client size less the letterbox bars, guarded against a client of no size.
float Span(int client, int offset) {
  float span = static_cast<float>(client - 2 * offset);
  return span > 0.0f ? span : 1.0f;
}

}  // namespace

void GR_Window_View_To_Room(int n, int x, int y, int& rx, int& ry) {
  if (n < 0 || n >= kWindowViewCount) return;
  const MainWindowState& w = MainWindow();
  const WindowViewRecord& r = w.views[static_cast<size_t>(n)];
  if (!r.inUse || r.portWidth == 0.0f || r.portHeight == 0.0f) return;
  int ox = 0, oy = 0;
  Graphics_GetLetterboxOffset(ox, oy);
  float gw = static_cast<float>(w.gameWidth), gh = static_cast<float>(w.gameHeight);
  float sx = w.portScaleX != 0.0f ? w.portScaleX : 1.0f;
  float sy = w.portScaleY != 0.0f ? w.portScaleY : 1.0f;
  float xp = std::trunc(gw / Span(w.requestedWidth, ox) / sx * static_cast<float>(x)) - std::trunc(r.portX);
  float yp = std::trunc(gh / Span(w.requestedHeight, oy) / sy * static_cast<float>(y)) - std::trunc(r.portY);
  float u = xp * r.viewWidth / r.portWidth;
  float v = yp * r.viewHeight / r.portHeight;
  if (std::fabs(r.angle) < 0.01f) {
    rx = RoundEven(r.viewX + u);
    ry = RoundEven(r.viewY + v);
    return;
  }
  float a = -r.angle * kPi / 180.0f;
  float du = u - r.viewWidth / 2.0f, dv = v - r.viewHeight / 2.0f;
  rx = RoundEven(r.viewX + r.viewWidth / 2.0f + std::cos(a) * du + std::sin(a) * dv);
  ry = RoundEven(r.viewY + r.viewHeight / 2.0f - std::sin(a) * du + std::cos(a) * dv);
}

void GR_Window_To_Room(int x, int y, int& rx, int& ry) {
  const MainWindowState& w = MainWindow();
  int ox = 0, oy = 0;
  Graphics_GetLetterboxOffset(ox, oy);
  x -= ox;
  y -= oy;
  if (w.viewCount == 0) {
    float gw = static_cast<float>(w.gameWidth), gh = static_cast<float>(w.gameHeight);
    rx = static_cast<int>(std::trunc(static_cast<float>(x) * (gw / Span(w.requestedWidth, ox))));
    ry = static_cast<int>(std::trunc(static_cast<float>(y) * (gh / Span(w.requestedHeight, oy))));
    return;
  }
  for (int n = kWindowViewCount - 1; n >= 0; --n) {
    const WindowViewRecord& r = w.views[static_cast<size_t>(n)];
    if (!r.inUse) continue;
    GR_Window_View_To_Room(n, x, y, rx, ry);
    float fx = static_cast<float>(rx), fy = static_cast<float>(ry);
    if (r.viewX <= fx && fx < r.viewX + r.viewWidth && r.viewY <= fy && fy < r.viewY + r.viewHeight) return;
  }
}

void GR_Window_Room_To_Window(int n, float x, float y, int& wx, int& wy) {
  wx = RoundEven(x);
  wy = RoundEven(y);
  if (n < 0 || n >= kWindowViewCount) return;
  const WindowViewRecord& r = MainWindow().views[static_cast<size_t>(n)];
  if (!r.inUse || r.viewWidth == 0.0f || r.viewHeight == 0.0f) return;
  float u = (x - r.viewX) * r.portWidth / r.viewWidth;
  float v = (y - r.viewY) * r.portHeight / r.viewHeight;
  if (std::fabs(r.angle) < 0.01f) {
    wx = RoundEven(r.portX + u);
    wy = RoundEven(r.portY + v);
    return;
  }
  float a = r.angle * kPi / 180.0f;
  float du = u - r.portWidth / 2.0f, dv = v - r.portHeight / 2.0f;
  wx = RoundEven(r.portX + r.portWidth / 2.0f + std::cos(a) * du + std::sin(a) * dv);
  wy = RoundEven(r.portY + r.portHeight / 2.0f - std::sin(a) * du + std::cos(a) * dv);
}

int GR_Window_View_Mouse_X(int n) {
  int rx = 0, ry = 0;
  GR_Window_View_To_Room(n, IO_State().windowMouseX, IO_State().windowMouseY, rx, ry);
  return rx;
}

int GR_Window_View_Mouse_Y(int n) {
  int rx = 0, ry = 0;
  GR_Window_View_To_Room(n, IO_State().windowMouseX, IO_State().windowMouseY, rx, ry);
  return ry;
}

int GR_Window_Views_Mouse_X(int device) {
  if (device < 0 || device > 4) return 0;
  int rx = 0, ry = 0;
  GR_Window_To_Room(IO_State().windowMouseX, IO_State().windowMouseY, rx, ry);
  return rx;
}

int GR_Window_Views_Mouse_Y(int device) {
  if (device < 0 || device > 4) return 0;
  int rx = 0, ry = 0;
  GR_Window_To_Room(IO_State().windowMouseX, IO_State().windowMouseY, rx, ry);
  return ry;
}

void IO_Joystick_Raise(int joystick, uint32_t x, uint32_t y, uint32_t buttons,
                       const std::function<void(int)>& raise) {
  if (!raise) return;
  int base = joystick == 0 ? 16 : 31;
  if (x < 20000) raise(base);
  if (x > 44000) raise(base + 1);
  if (y < 20000) raise(base + 2);
  if (y > 44000) raise(base + 3);
  for (int k = 1; k <= 8; ++k) {
    if (buttons & (1u << (k - 1))) raise((joystick == 0 ? 20 : 35) + k);
  }
}
