// The main window over SDL2: creation, the event pump (the window procedure of the
// runner), key translation to the virtual-key codes games see, cursors and joysticks.
// This file is the one place of the runner that talks to SDL's window and event API.
#include <SDL.h>
#include <SDL_syswm.h>

#include <algorithm>
#include <memory>

#include "platform/console.h"
#include "platform/conversions.h"
#include "runner/display.h"
#include "runner/input.h"
#include "runner/window.h"

namespace {

bool HasRealDisplay() { return Display_IsReal(); }

struct SdlDeleter {
  void operator()(SDL_Window* window) const { SDL_DestroyWindow(window); }
  void operator()(SDL_Cursor* cursor) const { SDL_FreeCursor(cursor); }
  void operator()(SDL_Joystick* joystick) const { SDL_JoystickClose(joystick); }
};

// What this layer owns; the window state holds plain views of them.
struct SdlObjects {
  std::unique_ptr<SDL_Window, SdlDeleter> window;
  std::array<std::unique_ptr<SDL_Cursor, SdlDeleter>, 15> cursors;
  std::array<std::unique_ptr<SDL_Joystick, SdlDeleter>, 2> joysticks;
};

SdlObjects& Owned() {
  static SdlObjects objects;
  return objects;
}

// The cursor of a slot, made the first time it is shown: the theme's files are read for the
// cursors a game uses, not for all fifteen at start-up.
SDL_Cursor* CursorOfSlot(size_t slot) {
  static constexpr SDL_SystemCursor kSystem[15] = {
      SDL_SYSTEM_CURSOR_ARROW,    SDL_SYSTEM_CURSOR_ARROW,     SDL_SYSTEM_CURSOR_CROSSHAIR,
      SDL_SYSTEM_CURSOR_IBEAM,    SDL_SYSTEM_CURSOR_SIZENESW,  SDL_SYSTEM_CURSOR_SIZENS,
      SDL_SYSTEM_CURSOR_SIZENWSE, SDL_SYSTEM_CURSOR_SIZEWE,    SDL_SYSTEM_CURSOR_ARROW,
      SDL_SYSTEM_CURSOR_WAIT,     SDL_SYSTEM_CURSOR_HAND,      SDL_SYSTEM_CURSOR_NO,
      SDL_SYSTEM_CURSOR_WAITARROW, SDL_SYSTEM_CURSOR_ARROW,    SDL_SYSTEM_CURSOR_SIZEALL};
  auto& cursors = MainWindow().cursors;
  // Slot 1 is "no cursor"; the up-arrow and help cursors have no SDL counterpart and show the
  // arrow.
  if (slot >= cursors.size() || slot == 1) return nullptr;
  if (cursors[slot] == nullptr) {
    Owned().cursors[slot].reset(SDL_CreateSystemCursor(kSystem[slot]));
    cursors[slot] = Owned().cursors[slot].get();
  }
  return cursors[slot];
}

void ShowCursor(SDL_Cursor* cursor) {
  MainWindow().currentCursor = cursor;
  if (cursor == nullptr) {
    SDL_ShowCursor(SDL_DISABLE);
  } else {
    SDL_SetCursor(cursor);
    SDL_ShowCursor(SDL_ENABLE);
  }
}

// Control characters that SDL's text events leave out but typed text needs.
int ControlCharacter(const SDL_Keysym& key) {
  switch (key.sym) {
    case SDLK_BACKSPACE: return 8;
    case SDLK_TAB: return 9;
    case SDLK_RETURN:
    case SDLK_KP_ENTER: return 13;
    case SDLK_ESCAPE: return 27;
    default: break;
  }
  if ((key.mod & KMOD_CTRL) != 0 && key.sym >= SDLK_a && key.sym <= SDLK_z) return key.sym - SDLK_a + 1;
  return 0;
}

void HandleText(const char* utf8) {
  // UTF-8 to UTF-16 units, one character message per unit.
  const auto* p = reinterpret_cast<const unsigned char*>(utf8);
  while (*p != 0) {
    uint32_t cp = *p;
    int extra = 0;
    if (cp >= 0xF0) { cp &= 0x07; extra = 3; }
    else if (cp >= 0xE0) { cp &= 0x0F; extra = 2; }
    else if (cp >= 0xC0) { cp &= 0x1F; extra = 1; }
    ++p;
    for (int i = 0; i < extra && (*p & 0xC0) == 0x80; ++i) cp = (cp << 6) | (*p++ & 0x3F);
    if (cp >= 0x10000) {
      cp -= 0x10000;
      IO_Char(static_cast<int>(0xD800 + (cp >> 10)));
      IO_Char(static_cast<int>(0xDC00 + (cp & 0x3FF)));
    } else {
      IO_Char(static_cast<int>(cp));
    }
  }
}

void HandleEvent(const SDL_Event& e) {
  MainWindowState& w = MainWindow();
  switch (e.type) {
    case SDL_QUIT:
      w.quitRequested = true;
      break;
    case SDL_WINDOWEVENT:
      switch (e.window.event) {
        case SDL_WINDOWEVENT_FOCUS_GAINED:
          w.hasFocus = w.applicationActive = true;
          break;
        case SDL_WINDOWEVENT_FOCUS_LOST:
          w.hasFocus = w.applicationActive = false;
          if (w.onPauseEvent) w.onPauseEvent();
          break;
        case SDL_WINDOWEVENT_CLOSE:
          // No close event reaches the game: the window goes and the main loop ends.
          w.quitRequested = true;
          break;
        default:
          break;
      }
      break;
    case SDL_KEYDOWN: {
      int code = Window_TranslateSdlKey(e.key.keysym.sym, e.key.keysym.scancode);
      if (code != 0) IO_Key_Down(code);
      int control = ControlCharacter(e.key.keysym);
      if (control != 0) IO_Char(control);
      if ((e.key.keysym.sym == SDLK_RETURN || e.key.keysym.sym == SDLK_KP_ENTER) &&
          (e.key.keysym.mod & KMOD_ALT) != 0 && e.key.repeat == 0 && w.allowScreenModeSwitch) {
        GR_Window_Set_Fullscreen(!GR_Window_Get_Fullscreen());
      }
      break;
    }
    case SDL_KEYUP: {
      int code = Window_TranslateSdlKey(e.key.keysym.sym, e.key.keysym.scancode);
      if (code != 0) IO_Key_Up(code);
      break;
    }
    case SDL_TEXTINPUT:
      HandleText(e.text.text);
      break;
    case SDL_MOUSEMOTION:
      w.rawMouseX = static_cast<uint32_t>(std::max(e.motion.x, 0));
      w.rawMouseY = static_cast<uint32_t>(std::max(e.motion.y, 0));
      break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
      int button = e.button.button == SDL_BUTTON_LEFT ? 1 : e.button.button == SDL_BUTTON_RIGHT ? 2
                   : e.button.button == SDL_BUTTON_MIDDLE ? 3 : 0;
      if (button == 0) break;
      if (e.type == SDL_MOUSEBUTTONDOWN) {
        IO_Mouse_Down(button, e.button.x, e.button.y);
      } else {
        IO_Mouse_Up(button, e.button.x, e.button.y);
      }
      break;
    }
    case SDL_MOUSEWHEEL:
      if (e.wheel.y > 0) IO_Mouse_WheelUp();
      if (e.wheel.y < 0) IO_Mouse_WheelDown();
      break;
    case SDL_FINGERDOWN:
    case SDL_FINGERMOTION: {
      int width = 0, height = 0;
      Window_ClientSize(width, height);
      IO_Touch(static_cast<int>(e.tfinger.fingerId & 127), static_cast<int>(e.tfinger.x * static_cast<float>(width)),
               static_cast<int>(e.tfinger.y * static_cast<float>(height)));
      break;
    }
    case SDL_JOYDEVICEADDED:
      for (auto& joystick : Owned().joysticks) {
        if (joystick == nullptr) {
          joystick.reset(SDL_JoystickOpen(e.jdevice.which));
          break;
        }
      }
      break;
    default:
      break;
  }
}

}  // namespace

int Window_TranslateSdlKey(int32_t sym, int32_t scancode) {
  if (sym >= SDLK_a && sym <= SDLK_z) return 'A' + (sym - SDLK_a);
  if (sym >= SDLK_0 && sym <= SDLK_9) return '0' + (sym - SDLK_0);
  if (sym >= SDLK_F1 && sym <= SDLK_F12) return 112 + (sym - SDLK_F1);
  if (sym >= SDLK_F13 && sym <= SDLK_F24) return 124 + (sym - SDLK_F13);
  if (sym >= SDLK_KP_1 && sym <= SDLK_KP_9) return 97 + (sym - SDLK_KP_1);
  switch (sym) {
    case SDLK_KP_0: return 96;
    case SDLK_KP_MULTIPLY: return 106;
    case SDLK_KP_PLUS: return 107;
    case SDLK_KP_MINUS: return 109;
    case SDLK_KP_PERIOD: return 110;
    case SDLK_KP_DIVIDE: return 111;
    case SDLK_KP_ENTER: return 13;
    case SDLK_BACKSPACE: return 8;
    case SDLK_TAB: return 9;
    case SDLK_CLEAR: return 12;
    case SDLK_RETURN: return 13;
    case SDLK_PAUSE: return 19;
    case SDLK_CAPSLOCK: return 20;
    case SDLK_ESCAPE: return 27;
    case SDLK_SPACE: return 32;
    case SDLK_PAGEUP: return 33;
    case SDLK_PAGEDOWN: return 34;
    case SDLK_END: return 35;
    case SDLK_HOME: return 36;
    case SDLK_LEFT: return 37;
    case SDLK_UP: return 38;
    case SDLK_RIGHT: return 39;
    case SDLK_DOWN: return 40;
    case SDLK_PRINTSCREEN: return 44;
    case SDLK_INSERT: return 45;
    case SDLK_DELETE: return 46;
    case SDLK_LGUI: return 91;
    case SDLK_RGUI: return 92;
    case SDLK_APPLICATION: return 93;
    case SDLK_NUMLOCKCLEAR: return 144;
    case SDLK_SCROLLLOCK: return 145;
    case SDLK_LSHIFT: return 160;
    case SDLK_RSHIFT: return 161;
    case SDLK_LCTRL: return 162;
    case SDLK_RCTRL: return 163;
    case SDLK_LALT: return 164;
    case SDLK_RALT: return 165;
    default: break;
  }
  // Punctuation by position, as a US layout names it.
  switch (scancode) {
    case SDL_SCANCODE_SEMICOLON: return 186;
    case SDL_SCANCODE_EQUALS: return 187;
    case SDL_SCANCODE_COMMA: return 188;
    case SDL_SCANCODE_MINUS: return 189;
    case SDL_SCANCODE_PERIOD: return 190;
    case SDL_SCANCODE_SLASH: return 191;
    case SDL_SCANCODE_GRAVE: return 192;
    case SDL_SCANCODE_LEFTBRACKET: return 219;
    case SDL_SCANCODE_BACKSLASH: return 220;
    case SDL_SCANCODE_RIGHTBRACKET: return 221;
    case SDL_SCANCODE_APOSTROPHE: return 222;
    case SDL_SCANCODE_NONUSBACKSLASH: return 226;
    default: return 0;
  }
}

void Window_ScreenSize(int& width, int& height) {
  width = kVirtualScreenWidth;
  height = kVirtualScreenHeight;
  if (!HasRealDisplay()) return;
  SDL_DisplayMode mode{};
  if (SDL_GetDesktopDisplayMode(0, &mode) == 0 && mode.w > 0 && mode.h > 0) {
    width = mode.w;
    height = mode.h;
  }
}

bool MainWindow_Create(int width, int height, const MainWindowSettings& settings) {
  MainWindowState& w = MainWindow();
  if (SDL_WasInit(SDL_INIT_VIDEO) == 0 && SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
  // Joysticks read as they are whether or not the window has the focus (as the system's
  // joystick position call does); a window without focus events would otherwise never see one.
  SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
  SDL_InitSubSystem(SDL_INIT_JOYSTICK);
  // The OpenGL driver stays loaded for the life of the process, as a window of its own
  // would keep it: a window made again later finds it, and it is never unloaded while
  // a device may still be released.
  static const bool glLoaded = SDL_GL_LoadLibrary(nullptr) == 0;
  (void)glLoaded;
  int screenWidth = 0, screenHeight = 0;
  Window_ScreenSize(screenWidth, screenHeight);
  width = std::clamp(width, 1, screenWidth);
  height = std::clamp(height, 1, screenHeight);
  w.requestedWidth = w.outerWidth = width;
  w.requestedHeight = w.outerHeight = height;
  w.window = nullptr;
  bool fullScreen = (settings.windowFlags & kWindowFlagFullScreen) != 0;
  bool sizeable = (settings.windowFlags & kWindowFlagSizeable) != 0;
  w.style = fullScreen ? kStylePopup : sizeable ? kStyleSizeable : kStyleFixed;
  w.gameWidth = settings.gameWidth;
  w.gameHeight = settings.gameHeight;
  w.allowScreenModeSwitch = settings.allowScreenModeSwitch;
  int left = (screenWidth - width) / 2, top = (screenHeight - height) / 2;
  g_DebugConsole->Output("AdjustWindowRectEx\n");
  g_DebugConsole->Output("RegisterClassEx\n");
  g_DebugConsole->Output("CreateWindowEx\n");
  uint32_t flags = SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN;
  if (sizeable) flags |= SDL_WINDOW_RESIZABLE;
  if (fullScreen) flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
  Owned().window.reset(SDL_CreateWindow("", left, top, width, height, flags));
  SDL_Window* window = Owned().window.get();
  if (window == nullptr) return false;
  w.window = window;
  int borderTop = 0, borderLeft = 0, borderBottom = 0, borderRight = 0;
  if (SDL_GetWindowBordersSize(window, &borderTop, &borderLeft, &borderBottom, &borderRight) == 0) {
    w.outerWidth = width + borderLeft + borderRight;
    w.outerHeight = height + borderTop + borderBottom;
  }
  GR_Window_Set_Caption("Kilnforge");
  // Windowless test drivers never send focus events: such a window counts as focused.
  if (!HasRealDisplay()) w.hasFocus = w.applicationActive = true;
  for (int i = 0; i < 10; ++i) {
    SDL_ShowWindow(window);
    Window_ProcessMessages();
  }
  if ((settings.windowFlags & kWindowFlagShowCursor) != 0) {
    w.cursorConstant = 0;
    ShowCursor(CursorOfSlot(0));
  } else {
    w.cursorConstant = -1;
    ShowCursor(nullptr);
  }
  return true;
}

void MainWindow_Destroy() {
  Display_Restore();
  MainWindowState& w = MainWindow();
  for (auto& joystick : Owned().joysticks) joystick.reset();
  w.cursors.fill(nullptr);
  w.currentCursor = nullptr;
  for (auto& cursor : Owned().cursors) cursor.reset();
  w.window = nullptr;
  Owned().window.reset();
}

void Window_Show() {
  MainWindowState& w = MainWindow();
  if (w.window == nullptr) return;
  SDL_ShowWindow(w.window);
  if (HasRealDisplay()) SDL_RaiseWindow(w.window);
  w.visible = true;
}

bool Window_ProcessMessages() {
  if (SDL_WasInit(SDL_INIT_VIDEO) == 0) return !MainWindow().quitRequested;
  SDL_Event event;
  while (SDL_PollEvent(&event)) HandleEvent(event);
  return !MainWindow().quitRequested;
}

void Window_ApplyStyle(uint32_t style, bool fullScreen) {
  MainWindowState& w = MainWindow();
  if (w.window == nullptr) return;
  // A display mode the game chose is the screen's mode while the window is full screen.
  DisplayMode chosen;
  const uint32_t fullScreenFlag = Display_ChosenMode(chosen) ? SDL_WINDOW_FULLSCREEN : SDL_WINDOW_FULLSCREEN_DESKTOP;
  SDL_SetWindowFullscreen(w.window, fullScreen ? fullScreenFlag : 0);
  if (!fullScreen) SDL_SetWindowResizable(w.window, (style & kStyleSizeable) == kStyleSizeable ? SDL_TRUE : SDL_FALSE);
}

void Window_PlaceClient(int width, int height, bool keepPosition) {
  MainWindowState& w = MainWindow();
  w.requestedWidth = width;
  w.requestedHeight = height;
  if (w.window == nullptr) return;
  SDL_SetWindowSize(w.window, width, height);
  if (!keepPosition) {
    int screenWidth = 0, screenHeight = 0;
    Window_ScreenSize(screenWidth, screenHeight);
    SDL_SetWindowPosition(w.window, (screenWidth - width) / 2, (screenHeight - height) / 2);
  }
}

void Window_ClientSize(int& width, int& height) {
  MainWindowState& w = MainWindow();
  width = w.requestedWidth;
  height = w.requestedHeight;
  if (w.window != nullptr) SDL_GetWindowSize(w.window, &width, &height);
}

uint32_t Window_NativeHandle() {
  SDL_Window* window = MainWindow().window;
  if (window == nullptr) return 0;
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
#if defined(SDL_VIDEO_DRIVER_X11)
  if (SDL_GetWindowWMInfo(window, &info) == SDL_TRUE && info.subsystem == SDL_SYSWM_X11) {
    return static_cast<uint32_t>(info.info.x11.window);
  }
#endif
  return SDL_GetWindowID(window);
}

void Window_ShowMessage(const std::string& caption, const std::string& text) {
  g_DebugConsole->Output("%s\n", text.c_str());
  if (HasRealDisplay()) SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, caption.c_str(), text.c_str(), nullptr);
}

void GR_Window_Set_Caption(const char* text) {
  MainWindowState& w = MainWindow();
  w.caption = text != nullptr ? text : "";
  if (w.window != nullptr) SDL_SetWindowTitle(w.window, w.caption.c_str());
}

void GR_Window_Center() {
  MainWindowState& w = MainWindow();
  if (w.window == nullptr) return;
  int screenWidth = 0, screenHeight = 0;
  Window_ScreenSize(screenWidth, screenHeight);
  SDL_SetWindowPosition(w.window, (screenWidth - w.outerWidth) / 2, (screenHeight - w.outerHeight) / 2);
}

void GR_Window_Set_Position(int x, int y) {
  if (MainWindow().window != nullptr) SDL_SetWindowPosition(MainWindow().window, x, y);
}

int GR_Window_Get_X() {
  int x = 0, y = 0;
  if (MainWindow().window != nullptr) SDL_GetWindowPosition(MainWindow().window, &x, &y);
  return x;
}

int GR_Window_Get_Y() {
  int x = 0, y = 0;
  if (MainWindow().window != nullptr) SDL_GetWindowPosition(MainWindow().window, &x, &y);
  return y;
}

int GR_Window_Get_Client_Width() {
  int width = 0, height = 0;
  Window_ClientSize(width, height);
  return width;
}

int GR_Window_Get_Client_Height() {
  int width = 0, height = 0;
  Window_ClientSize(width, height);
  return height;
}

void GR_Window_Mouse_Set(int x, int y) {
  MainWindowState& w = MainWindow();
  if (!w.hasFocus || w.window == nullptr) return;
  // Summed exactly as reals; a sum beyond 32 bits converts as every out-of-range integer does.
  const auto onScreen = [](int origin, int offset) { return Conv_RoundToInt32(static_cast<double>(origin) + offset); };
  SDL_WarpMouseGlobal(onScreen(GR_Window_Get_X(), x), onScreen(GR_Window_Get_Y(), y));
}

void GR_Window_Set_Cursor(int32_t constant) {
  MainWindowState& w = MainWindow();
  w.cursorConstant = constant;
  int slot = Window_CursorSlot(constant);
  if (slot < 0) return;
  ShowCursor(CursorOfSlot(static_cast<size_t>(slot)));
}

void IO_Joystick_Poll() {
  const auto& raise = MainWindow().raiseMouseEvent;
  // The state as it is now, whether or not the event pump has run since it changed.
  if (SDL_WasInit(SDL_INIT_JOYSTICK) != 0) SDL_JoystickUpdate();
  for (int j = 0; j < 2; ++j) {
    SDL_Joystick* joystick = Owned().joysticks[static_cast<size_t>(j)].get();
    if (joystick == nullptr || !SDL_JoystickGetAttached(joystick)) continue;
    // SDL's axes run from -32768 to 32767; the thresholds are for 0..65535.
    auto x = static_cast<uint32_t>(SDL_JoystickGetAxis(joystick, 0) + 32768);
    auto y = static_cast<uint32_t>(SDL_JoystickGetAxis(joystick, 1) + 32768);
    uint32_t buttons = 0;
    for (int k = 0; k < 8 && k < SDL_JoystickNumButtons(joystick); ++k) {
      if (SDL_JoystickGetButton(joystick, k)) buttons |= 1u << k;
    }
    IO_Joystick_Raise(j, x, y, buttons, raise);
  }
}

namespace {
uint32_t AxisPosition(SDL_Joystick* joystick, int axis) {
  if (axis >= SDL_JoystickNumAxes(joystick)) return 32767;
  return static_cast<uint32_t>(SDL_JoystickGetAxis(joystick, axis) + 32768);
}

uint32_t HatHundredths(uint8_t hat) {
  switch (hat) {
    case SDL_HAT_UP: return 0;
    case SDL_HAT_RIGHTUP: return 4500;
    case SDL_HAT_RIGHT: return 9000;
    case SDL_HAT_RIGHTDOWN: return 13500;
    case SDL_HAT_DOWN: return 18000;
    case SDL_HAT_LEFTDOWN: return 22500;
    case SDL_HAT_LEFT: return 27000;
    case SDL_HAT_LEFTUP: return 31500;
    default: return 65535;
  }
}
}  // namespace

bool Window_JoystickRead(int j, JoystickReading& reading) {
  if (j < 0 || j > 1) return false;
  SDL_Joystick* joystick = Owned().joysticks[static_cast<size_t>(j)].get();
  if (joystick == nullptr || !SDL_JoystickGetAttached(joystick)) return false;
  SDL_JoystickUpdate();
  const char* name = SDL_JoystickName(joystick);
  reading.name = name != nullptr ? name : "";
  reading.axisCount = static_cast<uint32_t>(std::max(SDL_JoystickNumAxes(joystick), 0));
  reading.buttonCount = static_cast<uint32_t>(std::max(SDL_JoystickNumButtons(joystick), 0));
  reading.hasPov = SDL_JoystickNumHats(joystick) > 0;
  for (int a = 0; a < 6; ++a) reading.axes[static_cast<size_t>(a)] = AxisPosition(joystick, a);
  reading.buttons = 0;
  for (int k = 0; k < 32 && k < SDL_JoystickNumButtons(joystick); ++k) {
    if (SDL_JoystickGetButton(joystick, k)) reading.buttons |= 1u << k;
  }
  reading.pov = reading.hasPov ? HatHundredths(SDL_JoystickGetHat(joystick, 0)) : 65535;
  return true;
}

bool Window_NumLock() { return (SDL_GetModState() & KMOD_NUM) != 0; }

void Window_SetNumLock(bool on) {
  SDL_Keymod mods = SDL_GetModState();
  SDL_SetModState(static_cast<SDL_Keymod>(on ? (mods | KMOD_NUM) : (mods & ~KMOD_NUM)));
}
