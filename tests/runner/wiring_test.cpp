// The runner's wiring in process: after Runner_InstallHooks the modal boxes leave full screen
// and clear the input, the step polls the joysticks, the window's pause event reaches
// os_is_paused for one step, an inactive window freezes the step, and game start and end set
// the cursor the options ask for. Every hook table is restored afterwards.
#include <SDL.h>
#include <gtest/gtest.h>

#include <string>

#include "data/game_options.h"
#include "data/game_preparation.h"
#include "functions/os_functions.h"
#include "graphics/graphics_hooks.h"
#include "platform/message_box.h"
#include "runner/game_step.h"
#include "runner/input.h"
#include "runner/instance.h"
#include "runner/main_loop.h"
#include "runner/room_start.h"
#include "runner/startup_hooks.h"
#include "runner/window.h"
#include "script/builtin_variables.h"
#include "script/error_report.h"
#include "script/variable_access.h"

namespace {

// The hook tables as they were, put back when the test ends.
struct SavedHooks {
  MainLoopHooks loop = MainLoop_Hooks();
  StepHooks step = Run_StepHooks();
  InputHooks input = Input_Hooks();
  GraphicsHooks graphics = Graphics_Hooks();
  PreparationHooks preparation = Preparation_Hooks();
  GraphicsStartHooks graphicsStart = InitGraphics_Hooks();
  ErrorReportHooks error = Error_Hooks();
  InstanceWorldHooks world = Variable_InstanceWorld();
  BuiltinVariableWorld variables = Variable_BuiltIn_World();
  InstancePreciseTests precise = Instance_PreciseTests();

  ~SavedHooks() {
    MainLoop_Hooks() = loop;
    Run_StepHooks() = step;
    Input_Hooks() = input;
    Graphics_Hooks() = graphics;
    Preparation_Hooks() = preparation;
    InitGraphics_Hooks() = graphicsStart;
    Error_Hooks() = error;
    Variable_InstanceWorld() = world;
    Variable_BuiltIn_World() = variables;
    Instance_PreciseTests() = precise;
    MainWindow().onPauseEvent = nullptr;
    MainWindow().raiseMouseEvent = nullptr;
    MessageBox_SetCheckReset(nullptr);
    MessageBox_SetAfterBox(nullptr);
    MessageBox_SetCaption(nullptr);
  }
};

class Wiring : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = std::make_unique<SavedHooks>();
    Runner_InstallHooks();
    IO_Init(std::string(), std::string());
    IO_Start_Step();  // the first take-over of the process levels the pending state
  }
  void TearDown() override {
    MainWindow().fullScreenRequest = false;
    MainWindow_Destroy();
    IO_Free();
    saved_.reset();
    Error_Occurred = false;
    Error_Last.clear();
    PendingRoom = PendingRoomCode::None;
  }
  std::unique_ptr<SavedHooks> saved_;
};

// Each modal box: full screen is left before it; after it the keys held before it and those
// waiting for the next step are gone.
TEST_F(Wiring, ModalBoxesLeaveFullScreenAndClearTheInput) {
  struct Box {
    const char* name;
    void (*show)();
  };
  const Box boxes[] = {
      {"error dialog", [] { Error_Show("a runtime error", false); }},
      {"message box", [] { ShowMessage("a message"); }},
      {"question", [] { AskYesNo("a question?"); }},
  };
  for (const Box& box : boxes) {
    SCOPED_TRACE(box.name);
    MainWindow().fullScreenRequest = true;
    IO_Key_Down(65);
    IO_Start_Step();
    IO_Key_Down(66);
    ASSERT_TRUE(IO_Keyboard_Check(65));
    box.show();
    EXPECT_FALSE(MainWindow().fullScreenRequest);
    EXPECT_FALSE(IO_Keyboard_Check(65));
    IO_Start_Step();
    EXPECT_FALSE(IO_Keyboard_Check(66));
  }
}

// The step's joystick pass reads the attached joysticks and raises their events.
TEST_F(Wiring, TheStepPollsTheJoysticks) {
  ASSERT_TRUE(MainWindow_Create(64, 64, {0, 64, 64, true}));
  const int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 2, 8, 0);
  ASSERT_GE(index, 0) << SDL_GetError();
  SDL_Joystick* ours = SDL_JoystickOpen(index);
  ASSERT_NE(ours, nullptr);
  ASSERT_EQ(SDL_JoystickSetVirtualAxis(ours, 0, -32768), 0) << SDL_GetError();
  ASSERT_EQ(SDL_JoystickSetVirtualButton(ours, 2, SDL_PRESSED), 0) << SDL_GetError();

  Window_ProcessMessages();  // the window layer opens the joystick it is told of
  ASSERT_TRUE(MainWindow().raiseMouseEvent);
  std::vector<int> raised;
  MainWindow().raiseMouseEvent = [&raised](int number) { raised.push_back(number); };
  ASSERT_TRUE(Run_StepHooks().joystickPoll);
  Run_StepHooks().joystickPoll();
  EXPECT_EQ(raised, (std::vector<int>{16, 23}));  // joystick 1 left, button 3
  SDL_JoystickClose(ours);
  SDL_JoystickDetachVirtual(index);
}

// The window losing activation raises the pause event; os_is_paused answers 1 in the next
// step only.
TEST_F(Wiring, PauseEventIsSeenForOneStep) {
  ASSERT_TRUE(MainWindow_Create(64, 64, {0, 64, 64, true}));
  SDL_Event event{};
  event.type = SDL_WINDOWEVENT;
  event.window.event = SDL_WINDOWEVENT_FOCUS_LOST;
  event.window.windowID = SDL_GetWindowID(MainWindow().window);
  ASSERT_EQ(SDL_PushEvent(&event), 1);
  Window_ProcessMessages();
  ScriptValue paused;
  Run_Step();
  F_OsIsPaused(paused, nullptr, nullptr, 0, nullptr);
  EXPECT_EQ(paused.real, 1.0);
  Run_Step();
  F_OsIsPaused(paused, nullptr, nullptr, 0, nullptr);
  EXPECT_EQ(paused.real, 0.0);
}

// The freeze option asks the window whether the game is active: not while another
// application has the activation; always without a window.
TEST_F(Wiring, AnInactiveWindowIsNotActiveForTheStep) {
  ASSERT_TRUE(Run_StepHooks().windowActive);
  EXPECT_TRUE(Run_StepHooks().windowActive());
  ASSERT_TRUE(MainWindow_Create(64, 64, {0, 64, 64, true}));
  MainWindow().applicationActive = false;
  EXPECT_FALSE(Run_StepHooks().windowActive());
  MainWindow().applicationActive = true;
  EXPECT_TRUE(Run_StepHooks().windowActive());
}

// Game start shows the cursor the option asks for; game end puts the default one back.
TEST_F(Wiring, GameStartAndEndSetTheCursor) {
  ASSERT_TRUE(MainWindow_Create(64, 64, {kWindowFlagShowCursor, 64, 64, true}));
  Options_Get().showCursor = false;
  StartGame();
  EXPECT_EQ(GR_Window_Get_Cursor(), -1);
  EndGame();
  EXPECT_EQ(GR_Window_Get_Cursor(), 0);
  Options_Get().showCursor = true;
}

}  // namespace
