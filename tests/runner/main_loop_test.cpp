#include "runner/main_loop.h"

#include "platform/timing.h"
#include "runner/run_globals.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

TEST(MainLoop, FrameWaitFollowsTheRoomSpeed) {
  struct Case {
    int32_t speed;
    int64_t elapsed;
    int64_t wait;
  };
  const Case cases[] = {
      {30, 10000, 23333},    // 33,333.3 - 10,000, truncated
      {30, 0, 33333},
      {60, 0, 16666},
      {30, 40000, 0},        // a late frame does not wait
      {1, 0, 1000000},       // one frame a second: the cap itself
      {1, -500000, 1000000}, // never more than a second
      {1000000, 0, 1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MainLoop_FrameWait(c.speed, c.elapsed), c.wait) << c.speed << " " << c.elapsed;
  }
}

// Records the phases the loop calls, in order.
class MainLoopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MainLoop_Hooks() = MainLoopHooks();
    speed = 1000;  // 1 ms frames keep the tests quick
    PendingRoom = PendingRoomCode::None;
    AutomaticDraw = 1;
    WindowSettingsChanged = 0;
    MainLoopHooks& h = MainLoop_Hooks();
    h.currentRoomSpeed = [this]() -> int32_t* { return haveRoom ? &speed : nullptr; };
    h.soundTick = [this] { log.push_back("sound"); };
    h.graphicsReset = [this] { log.push_back("reset"); };
    h.beginFrame = [this] { log.push_back("begin"); };
    h.endFrame = [this](bool present) { log.push_back(present ? "present" : "end"); };
    h.drawVirtualButtons = [this] { log.push_back("buttons"); };
    h.changeRoom = [this](int32_t room) {
      log.push_back("room " + std::to_string(room));
      PendingRoom = PendingRoomCode::None;
    };
    h.endGame = [this] { log.push_back("endgame"); };
    h.startGame = [this] {
      log.push_back("startgame");
      PendingRoom = PendingRoomCode::None;
    };
    h.loadPendingGame = [this] {
      log.push_back("load");
      PendingRoom = PendingRoomCode::None;
    };
    h.step = [this] {
      log.push_back("step");
      if (!requests.empty()) {
        PendingRoom = requests.front();
        requests.erase(requests.begin());
      }
    };
  }
  void TearDown() override {
    MainLoop_Hooks() = MainLoopHooks();
    Run_Global_Init();  // no game running, nothing pending for the tests after
  }

  int32_t speed = 1000;
  bool haveRoom = true;
  std::vector<int32_t> requests;
  std::vector<std::string> log;
};

TEST_F(MainLoopTest, AFrameRunsItsPhasesInOrder) {
  WindowSettingsChanged = 1;
  Running = 1;
  EXPECT_EQ(Run_Frame(), 1000);
  EXPECT_EQ(log, (std::vector<std::string>{"sound", "reset", "begin", "step", "buttons", "present"}));
  EXPECT_EQ(WindowSettingsChanged, 0);
}

TEST_F(MainLoopTest, PendingRoomRequestsAreCarriedOut) {
  requests = {3, PendingRoomCode::Restart, PendingRoomCode::LoadGame, PendingRoomCode::EndGame};
  MainLoop_Run();
  EXPECT_EQ(Running, 0);
  EXPECT_EQ(log, (std::vector<std::string>{
                     "sound", "begin", "step", "buttons", "end", "room 3",
                     "sound", "begin", "step", "buttons", "end", "endgame", "startgame",
                     "sound", "begin", "step", "buttons", "end", "load",
                     "sound", "begin", "step", "buttons", "end"}));
}

TEST_F(MainLoopTest, EndingCodesStopTheLoopAndReturnSixty) {
  for (int32_t code : {PendingRoomCode::EndGame, PendingRoomCode::FatalError, int32_t{-2}}) {
    PendingRoom = PendingRoomCode::None;
    requests = {code};
    Running = 1;
    EXPECT_EQ(Run_Frame(), 60) << code;
    EXPECT_EQ(Running, 0) << code;
  }
  EXPECT_EQ(std::count(log.begin(), log.end(), "endgame"), 0);
}

TEST_F(MainLoopTest, NoAutomaticDrawMeansNoPresent) {
  AutomaticDraw = 0;
  Running = 1;
  Run_Frame();
  EXPECT_EQ(log.back(), "end");
}

TEST_F(MainLoopTest, ASpeedOfZeroBecomesOne) {
  speed = 0;
  Running = 1;
  // Let the frame's period be almost over, so the one-second period leaves a short wait.
  FrameTargetTime = Timing_Time() - 998000;
  Run_Frame();
  EXPECT_EQ(speed, 1);
  EXPECT_GT(FrameWait, 0);
  EXPECT_LE(FrameWait, 2000);
}

TEST_F(MainLoopTest, WithoutARoomNothingIsSteppedOrDrawn) {
  haveRoom = false;
  Running = 1;
  EXPECT_EQ(Run_Frame(), 60);
  EXPECT_EQ(log, (std::vector<std::string>{"sound"}));
  PendingRoom = PendingRoomCode::EndGame;
  Run_Frame();
  EXPECT_EQ(Running, 0);
}

TEST_F(MainLoopTest, PausedFramesTickButDoNotStep) {
  bool debugUpdated = false;
  MainLoop_Hooks().debugMode = [] { return true; };
  MainLoop_Hooks().debugUpdate = [&] { debugUpdated = true; };
  Running = 1;
  Run_Pause();
  Run_Frame();
  EXPECT_EQ(log, (std::vector<std::string>{"sound"}));
  EXPECT_TRUE(debugUpdated);

  Run_StepOnce();
  EXPECT_EQ(log, (std::vector<std::string>{"sound", "step", "present", "begin"}));
  Paused = 0;
}

TEST_F(MainLoopTest, StopEndsTheGameOutsideDebugMode) {
  bool quitPosted = false;
  MainLoop_Hooks().postQuit = [&] { quitPosted = true; };
  Running = 1;
  Paused = 1;
  Run_Stop();
  EXPECT_EQ(Running, 0);
  EXPECT_EQ(Paused, 0);
  EXPECT_EQ(log, (std::vector<std::string>{"endgame"}));
  EXPECT_TRUE(quitPosted);

  log.clear();
  MainLoop_Hooks().debugMode = [] { return true; };
  Run_Stop();
  EXPECT_TRUE(log.empty()) << "in debug mode the game only stops";
}

TEST_F(MainLoopTest, AQuitMessageEndsTheLoop) {
  int pumps = 0;
  MainLoop_Hooks().pumpWindowMessages = [&] { return ++pumps < 5; };
  MainLoop_Run();
  EXPECT_EQ(Running, 0);
  EXPECT_GE(pumps, 5);
}

TEST(MainLoopPlaceholder, EndsAfterTheFramesAskedFor) {
  MainLoop_Hooks() = MainLoopHooks();
  MainLoop_SetPlaceholderRoomSpeed(1000);
  for (int32_t limit : {1, 5}) {
    MainLoop_SetPlaceholderFrameLimit(limit);
    int frames = 0;
    MainLoop_Hooks().beginFrame = [&] { ++frames; };
    PendingRoom = PendingRoomCode::None;
    MainLoop_Run();
    EXPECT_EQ(frames, limit);
  }
  MainLoop_SetPlaceholderFrameLimit(1);
  MainLoop_SetPlaceholderRoomSpeed(60);
  MainLoop_Hooks() = MainLoopHooks();
  Run_Global_Init();
}

}  // namespace
