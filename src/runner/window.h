// The main window: its state, the window services that built-ins call, and the view
// records through which window positions map to room positions. The SDL layer
// (runner/sdl) creates the window, pumps its events and carries out the services that
// touch the system; everything here that is plain state or arithmetic is testable alone.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

struct SDL_Window;
struct SDL_Cursor;

// Bits of the game header's window flags word that the window reads.
inline constexpr uint32_t kWindowFlagFullScreen = 1u << 0;
inline constexpr uint32_t kWindowFlagShowCursor = 1u << 5;
inline constexpr uint32_t kWindowFlagSizeable = 1u << 6;

// Window styles, kept with their Windows values (the graphics reset reads them).
inline constexpr uint32_t kStylePopup = 0x80000000u;
inline constexpr uint32_t kStyleSizeable = 0x00CF0000u;
inline constexpr uint32_t kStyleFixed = 0x00CA0000u;
inline constexpr uint32_t kStyleVisible = 0x10000000u;
inline constexpr uint32_t kStyleClipChildren = 0x02000000u;
inline constexpr uint32_t kStyleClipSiblings = 0x04000000u;

struct WindowViewRecord {
  bool inUse = false;
  float viewX = 0, viewY = 0, viewWidth = 0, viewHeight = 0;
  float portX = 0, portY = 0, portWidth = 0, portHeight = 0;
  float angle = 0;
  int32_t surface = -1;  // -1: drawn to the screen
};
inline constexpr int kWindowViewCount = 32;
// The largest side window_set_size accepts (the screen texture is a render target that size).
inline constexpr int kWindowMaxSide = 8192;

// Settings the start-up takes from the game header and options before creating the window.
struct MainWindowSettings {
  uint32_t windowFlags = 0;     // header window flags word
  int gameWidth = 640;          // header window size
  int gameHeight = 480;
  bool allowScreenModeSwitch = true;  // options word 15: Alt+Enter switches the screen mode
};

struct MainWindowState {
  // Views of the SDL layer's objects, which it owns and frees (runner/sdl).
  SDL_Window* window = nullptr;
  uint32_t style = 0;
  int requestedWidth = 0, requestedHeight = 0;  // client size
  int outerWidth = 0, outerHeight = 0;
  int gameWidth = 640, gameHeight = 480;
  bool hasFocus = false;
  bool applicationActive = false;
  bool displayFullScreen = false;
  bool fullScreenRequest = false;
  bool sizeChanged = false;  // window_set_rectangle: the reset keeps the window's position
  bool quitRequested = false;
  bool visible = true;  // window_get_visible: steps skip the mouse events while it is hidden
  bool allowScreenModeSwitch = true;
  std::string caption;
  uint32_t colour = 0xFF000000u;
  int32_t cursorConstant = 0;
  SDL_Cursor* currentCursor = nullptr;  // null: no cursor shown
  std::array<SDL_Cursor*, 15> cursors{};
  uint32_t rawMouseX = 0, rawMouseY = 0;
  // Recorded by the graphics end frame for mapping mouse positions.
  int drawnLeft = 0, drawnRight = 0, drawnHeight = 0;
  // Port scale factors of the room's view pass.
  float portScaleX = 1.0f, portScaleY = 1.0f;
  std::array<WindowViewRecord, kWindowViewCount> views{};
  int viewCount = 0;
  // Called when the window loses activation to another application.
  std::function<void()> onPauseEvent;
  // Raises a mouse-type sub-event for all instances (joystick poll).
  std::function<void(int)> raiseMouseEvent;
};

MainWindowState& MainWindow();

// Creates and shows the main window; false when the window cannot be made.
bool MainWindow_Create(int width, int height, const MainWindowSettings& settings = {});
void MainWindow_Destroy();
// Points the main loop's window and frame phases (message pump, device reset, begin and
// end frame, on-screen buttons, quit) at this window and the graphics device.
void MainWindow_InstallLoopHooks();
// Shows the window and gives it the activation (the end of loading).
void Window_Show();
// Pumps pending window events once; false once the window was closed (the main loop ends).
bool Window_ProcessMessages();
// The screen (desktop) size; a virtual 1920 x 1080 display when there is none.
void Window_ScreenSize(int& width, int& height);

// What the graphics reset asks of the window: its style and full-screen state, and its
// client size and place (kept where it is, or centred on the screen).
void Window_ApplyStyle(uint32_t style, bool fullScreen);
void Window_PlaceClient(int width, int height, bool keepPosition);
// The client size as it is now (the requested size when there is no window).
void Window_ClientSize(int& width, int& height);
// The main window's handle for game code: its X11 window id, else SDL's window id; 0 without
// a window.
uint32_t Window_NativeHandle();
// A message box with an information icon; without a display the text goes to the console.
void Window_ShowMessage(const std::string& caption, const std::string& text);

// The bracket around every modal box (the error dialog, the message box, the other dialogs):
// before the box, full screen is left, since a box cannot be seen over a full-screen game;
// after it, every keyboard and mouse state is cleared, so that the keys and clicks that
// closed the box do not reach the game.
void Window_BeforeModalBox();
void Window_AfterModalBox();

// Whether the game counts as active (the freeze-while-inactive option): the window has the
// application's activation, or there is no window at all.
bool Window_IsActive();

// Window services. The full-screen and size requests set the main loop's
// WindowSettingsChanged: the next frame resets the device (Graphics::Reset), which
// carries them out.
int GR_Window_Get_Width();
int GR_Window_Get_Height();
void GR_Window_Set_Fullscreen(bool flag);
bool GR_Window_Get_Fullscreen();
void GR_Window_Set_Caption(const char* text);
const std::string& GR_Window_Get_Caption();
void GR_Window_Center();
void GR_Window_Set_Position(int x, int y);
void GR_Window_Set_Size(int width, int height);
void GR_Window_Set_Rectangle(int x, int y, int width, int height);
int GR_Window_Get_X();
int GR_Window_Get_Y();
int GR_Window_Get_Client_Width();
int GR_Window_Get_Client_Height();
int GR_Window_Mouse_X();
int GR_Window_Mouse_Y();
void GR_Window_Mouse_Set(int x, int y);
void GR_Window_Set_Color(uint32_t colour);
uint32_t GR_Window_Get_Color();
void GR_Window_Set_Cursor(int32_t constant);
int32_t GR_Window_Get_Cursor();
// Which of the 15 cursor slots a cursor constant chooses; -1 when it chooses none of them.
int Window_CursorSlot(int32_t constant);

// View records.
void GR_Window_Set_View(int n, float portX, float portY, float portWidth, float portHeight, float viewX,
                        float viewY, float viewWidth, float viewHeight, float angle, int32_t surface);
void GR_Window_Clear_View(int n);
void GR_Window_Clear_Views();
void GR_Window_View_To_Room(int n, int x, int y, int& rx, int& ry);
void GR_Window_To_Room(int x, int y, int& rx, int& ry);
void GR_Window_Room_To_Window(int n, float x, float y, int& wx, int& wy);
int GR_Window_View_Mouse_X(int n);
int GR_Window_View_Mouse_Y(int n);
int GR_Window_Views_Mouse_X(int device);
int GR_Window_Views_Mouse_Y(int device);

// Keys: the Windows virtual-key code the game sees for an SDL key (0 for none). The
// generic modifiers never appear: shift is 160 or 161, control 162 or 163, alt 164 or 165.
int Window_TranslateSdlKey(int32_t sdlKeycode, int32_t sdlScancode);

// Joysticks: raises the joystick events of joysticks 0 and 1 through raiseMouseEvent.
void IO_Joystick_Poll();
// A pure form of the poll for one joystick (axes in 0..65535, buttons mask).
void IO_Joystick_Raise(int joystick, uint32_t x, uint32_t y, uint32_t buttons,
                       const std::function<void(int)>& raise);

// What one joystick reports right now. Axes run from 0 to 65535 (32767 centred); the
// point of view is in hundredths of a degree clockwise from up, 65535 when centred.
struct JoystickReading {
  std::string name;
  uint32_t axisCount = 0;
  uint32_t buttonCount = 0;
  bool hasPov = false;
  std::array<uint32_t, 6> axes{};  // x, y, z, r, u, v
  uint32_t buttons = 0;            // bit k: button k + 1 held
  uint32_t pov = 65535;
};
// Reads joystick 0 or 1; false when it is not attached.
bool Window_JoystickRead(int joystick, JoystickReading& reading);
// The Num Lock state the system keeps, and switching it.
bool Window_NumLock();
void Window_SetNumLock(bool on);
