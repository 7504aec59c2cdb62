// The main window: key translation, view mapping, cursors, joysticks, and the SDL
// window with its event pump on SDL's offscreen driver.
#include <SDL.h>
#include <gtest/gtest.h>

#include "graphics/device.h"
#include "graphics/graphics_state.h"
#include "runner/input.h"
#include "runner/main_loop.h"
#include "runner/window.h"

TEST(KeyMapping, SdlKeysBecomeTheVirtualKeysGamesSee) {
  struct Case {
    SDL_Keycode sym;
    SDL_Scancode scancode;
    int vk;
  } cases[] = {
      {SDLK_LSHIFT, SDL_SCANCODE_LSHIFT, 160},   {SDLK_RSHIFT, SDL_SCANCODE_RSHIFT, 161},
      {SDLK_LCTRL, SDL_SCANCODE_LCTRL, 162},     {SDLK_RCTRL, SDL_SCANCODE_RCTRL, 163},
      {SDLK_LALT, SDL_SCANCODE_LALT, 164},       {SDLK_RALT, SDL_SCANCODE_RALT, 165},
      {SDLK_a, SDL_SCANCODE_A, 65},              {SDLK_z, SDL_SCANCODE_Z, 90},
      {SDLK_0, SDL_SCANCODE_0, 48},              {SDLK_9, SDL_SCANCODE_9, 57},
      {SDLK_F1, SDL_SCANCODE_F1, 112},           {SDLK_F12, SDL_SCANCODE_F12, 123},
      {SDLK_KP_0, SDL_SCANCODE_KP_0, 96},        {SDLK_KP_9, SDL_SCANCODE_KP_9, 105},
      {SDLK_KP_MULTIPLY, SDL_SCANCODE_KP_MULTIPLY, 106}, {SDLK_KP_PLUS, SDL_SCANCODE_KP_PLUS, 107},
      {SDLK_KP_MINUS, SDL_SCANCODE_KP_MINUS, 109}, {SDLK_KP_PERIOD, SDL_SCANCODE_KP_PERIOD, 110},
      {SDLK_KP_DIVIDE, SDL_SCANCODE_KP_DIVIDE, 111}, {SDLK_KP_ENTER, SDL_SCANCODE_KP_ENTER, 13},
      {SDLK_LEFT, SDL_SCANCODE_LEFT, 37},        {SDLK_UP, SDL_SCANCODE_UP, 38},
      {SDLK_RIGHT, SDL_SCANCODE_RIGHT, 39},      {SDLK_DOWN, SDL_SCANCODE_DOWN, 40},
      {SDLK_RETURN, SDL_SCANCODE_RETURN, 13},    {SDLK_ESCAPE, SDL_SCANCODE_ESCAPE, 27},
      {SDLK_SPACE, SDL_SCANCODE_SPACE, 32},      {SDLK_BACKSPACE, SDL_SCANCODE_BACKSPACE, 8},
      {SDLK_TAB, SDL_SCANCODE_TAB, 9},           {SDLK_DELETE, SDL_SCANCODE_DELETE, 46},
      {SDLK_HOME, SDL_SCANCODE_HOME, 36},        {SDLK_PAGEDOWN, SDL_SCANCODE_PAGEDOWN, 34},
      {SDLK_SEMICOLON, SDL_SCANCODE_SEMICOLON, 186}, {SDLK_SLASH, SDL_SCANCODE_SLASH, 191},
      {SDLK_LGUI, SDL_SCANCODE_LGUI, 91},        {SDLK_UNKNOWN, SDL_SCANCODE_UNKNOWN, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(Window_TranslateSdlKey(c.sym, c.scancode), c.vk) << SDL_GetKeyName(c.sym);
  // The generic modifier codes never come out.
  for (SDL_Keycode sym : {SDLK_LSHIFT, SDLK_RSHIFT, SDLK_LCTRL, SDLK_RCTRL, SDLK_LALT, SDLK_RALT}) {
    int vk = Window_TranslateSdlKey(sym, SDL_GetScancodeFromKey(sym));
    EXPECT_NE(vk, 16);
    EXPECT_NE(vk, 17);
    EXPECT_NE(vk, 18);
  }
}

TEST(Cursors, ConstantsChooseTheirSlots) {
  EXPECT_EQ(Window_CursorSlot(0), 0);
  EXPECT_EQ(Window_CursorSlot(-2), 0);
  EXPECT_EQ(Window_CursorSlot(-1), 1);
  EXPECT_EQ(Window_CursorSlot(-5), 1);
  EXPECT_EQ(Window_CursorSlot(-20), 13);
  EXPECT_EQ(Window_CursorSlot(-21), 10);
  EXPECT_EQ(Window_CursorSlot(-16), 11);
  EXPECT_EQ(Window_CursorSlot(-22), 14);
  EXPECT_EQ(Window_CursorSlot(5), -1);
  GR_Window_Set_Cursor(77);  // stored, changes nothing else
  EXPECT_EQ(GR_Window_Get_Cursor(), 77);
}

TEST(Joystick, AxesAndButtonsRaiseTheirMouseEvents) {
  std::vector<int> raised;
  auto record = [&](int sub) { raised.push_back(sub); };
  IO_Joystick_Raise(0, 1000, 60000, 0b101, record);
  EXPECT_EQ(raised, (std::vector<int>{16, 19, 21, 23}));
  raised.clear();
  IO_Joystick_Raise(1, 50000, 10000, 0x80, record);
  EXPECT_EQ(raised, (std::vector<int>{32, 33, 43}));
  raised.clear();
  IO_Joystick_Raise(0, 32768, 32768, 0, record);
  EXPECT_TRUE(raised.empty());
}

class ViewMapping : public ::testing::Test {
 protected:
  void SetUp() override {
    MainWindowState& w = MainWindow();
    w.requestedWidth = w.gameWidth = 640;
    w.requestedHeight = w.gameHeight = 480;
    w.portScaleX = w.portScaleY = 1.0f;
    GR_Window_Clear_Views();
  }
  void TearDown() override { GR_Window_Clear_Views(); }
};

TEST_F(ViewMapping, WithoutViewsTheWindowScalesToTheGame) {
  MainWindow().requestedWidth = 1280;
  MainWindow().requestedHeight = 960;
  int rx = 0, ry = 0;
  GR_Window_To_Room(640, 481, rx, ry);
  EXPECT_EQ(rx, 320);
  EXPECT_EQ(ry, 240);
}

TEST_F(ViewMapping, TheHigherNumberedViewAnswersWhereViewsOverlap) {
  // View 0 shows room (0,0)-(640,480) over the whole port; view 1 shows room
  // (1000,1000)-(1320,1240) over the same port.
  GR_Window_Set_View(0, 0, 0, 640, 480, 0, 0, 640, 480, 0, -1);
  GR_Window_Set_View(1, 0, 0, 640, 480, 1000, 1000, 320, 240, 0, -1);
  EXPECT_EQ(MainWindow().viewCount, 2);
  int rx = 0, ry = 0;
  GR_Window_To_Room(100, 50, rx, ry);
  EXPECT_EQ(rx, 1050);
  EXPECT_EQ(ry, 1025);
  GR_Window_View_To_Room(0, 100, 50, rx, ry);
  EXPECT_EQ(rx, 100);
  EXPECT_EQ(ry, 50);
  GR_Window_Clear_View(1);
  EXPECT_EQ(MainWindow().viewCount, 1);
  // Out-of-range records leave the outputs alone.
  rx = ry = -7;
  GR_Window_View_To_Room(40, 1, 1, rx, ry);
  EXPECT_EQ(rx, -7);
  GR_Window_Set_View(32, 0, 0, 1, 1, 0, 0, 1, 1, 0, -1);
  EXPECT_EQ(MainWindow().viewCount, 1);
}

TEST_F(ViewMapping, RoomToWindowThroughARotatedView) {
  GR_Window_Set_View(2, 100, 50, 200, 100, 0, 0, 400, 200, 0, -1);
  int wx = 0, wy = 0;
  GR_Window_Room_To_Window(2, 200, 100, wx, wy);
  EXPECT_EQ(wx, 200);
  EXPECT_EQ(wy, 100);
  GR_Window_Set_View(2, 100, 50, 200, 100, 0, 0, 400, 200, 90, -1);
  GR_Window_Room_To_Window(2, 400, 100, wx, wy);  // the view's right edge, rotated a quarter turn
  EXPECT_EQ(wx, 200);
  EXPECT_EQ(wy, 0);
  GR_Window_Room_To_Window(9, 12.5f, 13.5f, wx, wy);  // record not in use: rounded input
  EXPECT_EQ(wx, 12);
  EXPECT_EQ(wy, 14);
}

TEST(WindowServices, SizeAndFullScreenRequestsWaitForTheNextFrame) {
  MainWindowState& w = MainWindow();
  WindowSettingsChanged = 0;
  GR_Window_Set_Fullscreen(true);
  EXPECT_TRUE(GR_Window_Get_Fullscreen());
  EXPECT_EQ(WindowSettingsChanged, 1);
  GR_Window_Set_Fullscreen(false);
  GR_Window_Set_Color(0x123456);
  EXPECT_EQ(w.colour, 0xFF123456u);
  EXPECT_EQ(GR_Window_Get_Color(), 0x123456u);
  GR_Window_Set_Rectangle(10, 20, 300, 200);
  EXPECT_TRUE(w.sizeChanged);
  EXPECT_EQ(Graphics_Sizes().pendingWidth, 300);
  Graphics_Sizes().pendingWidth = Graphics_Sizes().pendingHeight = -1;
  w.sizeChanged = false;
  WindowSettingsChanged = 0;
}

TEST(SdlWindow, CreatesPumpsTranslatesAndDraws) {
  ASSERT_TRUE(MainWindow_Create(320, 240, {kWindowFlagShowCursor, 320, 240, true}));
  MainWindowState& w = MainWindow();
  ASSERT_NE(w.window, nullptr);
  EXPECT_EQ(GR_Window_Get_Width(), 320);
  EXPECT_EQ(GR_Window_Get_Caption(), "Kilnforge");
  GR_Window_Set_Caption("My game");
  EXPECT_EQ(GR_Window_Get_Caption(), "My game");
  EXPECT_STREQ(SDL_GetWindowTitle(w.window), "My game");
  EXPECT_EQ(GR_Window_Get_Cursor(), 0);
  GR_Window_Set_Cursor(-1);
  EXPECT_EQ(w.currentCursor, nullptr);

  IO_Init("", "");
  IO_Start_Step();
  auto push = [](SDL_Event e) { SDL_PushEvent(&e); };
  SDL_Event key{};
  key.type = SDL_KEYDOWN;
  key.key.keysym.sym = SDLK_RSHIFT;
  key.key.keysym.scancode = SDL_SCANCODE_RSHIFT;
  push(key);
  key.key.keysym.sym = SDLK_BACKSPACE;
  key.key.keysym.scancode = SDL_SCANCODE_BACKSPACE;
  push(key);
  SDL_Event text{};
  text.type = SDL_TEXTINPUT;
  SDL_strlcpy(text.text.text, "h\xC3\xA9", sizeof(text.text.text));
  push(text);
  SDL_Event button{};
  button.type = SDL_MOUSEBUTTONDOWN;
  button.button.button = SDL_BUTTON_RIGHT;
  push(button);
  SDL_Event wheel{};
  wheel.type = SDL_MOUSEWHEEL;
  wheel.wheel.y = -1;
  push(wheel);
  SDL_Event enter{};
  enter.type = SDL_KEYDOWN;
  enter.key.keysym.sym = SDLK_RETURN;
  enter.key.keysym.mod = KMOD_LALT;
  push(enter);
  bool fullScreenBefore = GR_Window_Get_Fullscreen();
  EXPECT_TRUE(Window_ProcessMessages());
  IO_Start_Step();
  EXPECT_TRUE(IO_Keyboard_Check(161));
  EXPECT_FALSE(IO_Keyboard_Check(16));
  EXPECT_TRUE(IO_Keyboard_Check_Pressed(8));
  EXPECT_EQ(IO_KeyboardString_Get(), u"h\u00e9");
  EXPECT_TRUE(IO_Mouse_Check_Pressed(2, 0));
  EXPECT_TRUE(IO_Mouse_Wheel_Down(0));
  EXPECT_EQ(GR_Window_Get_Fullscreen(), !fullScreenBefore);  // Alt+Enter: a request only
  GR_Window_Set_Fullscreen(fullScreenBefore);
  WindowSettingsChanged = 0;

  // The device on the window, one frame presented.
  ASSERT_TRUE(GR_D3D_Init(w.window, 320, 240, kInitInterpolate));
  EXPECT_TRUE(Graphics_Device()->HasWindow());
  ASSERT_TRUE(GR_D3D_Start_Frame());
  ASSERT_TRUE(GR_D3D_Finish_Frame(true));
  GR_D3D_Shutdown();

  SDL_Event quit{};
  quit.type = SDL_QUIT;
  push(quit);
  EXPECT_FALSE(Window_ProcessMessages());
  w.quitRequested = false;
  IO_Free();
  MainWindow_Destroy();

  // A window larger than the screen is made at the screen's size.
  ASSERT_TRUE(MainWindow_Create(5000, 5000, {0, 5000, 5000, true}));
  int screenWidth = 0, screenHeight = 0;
  Window_ScreenSize(screenWidth, screenHeight);
  EXPECT_EQ(w.requestedWidth, screenWidth);
  EXPECT_EQ(w.requestedHeight, screenHeight);
  EXPECT_EQ(GR_Window_Get_Width(), 5000);
  EXPECT_EQ(GR_Window_Get_Cursor(), -1);
  MainWindow_Destroy();
}

TEST(WindowServices, LoopHooksReachTheWindow) {
  MainWindow_InstallLoopHooks();
  MainLoopHooks& hooks = MainLoop_Hooks();
  ASSERT_TRUE(hooks.pumpWindowMessages && hooks.beginFrame && hooks.endFrame && hooks.graphicsReset);
  hooks.postQuit();
  EXPECT_FALSE(hooks.pumpWindowMessages());
  MainWindow().quitRequested = false;
  MainLoop_Hooks() = {};
}
