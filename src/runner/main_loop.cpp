#include "runner/main_loop.h"

#include "platform/conversions.h"
#include "platform/message_pump.h"
#include "platform/termination_signal.h"
#include "platform/timing.h"

uint8_t Running = 0;
uint8_t Paused = 0;
int32_t PendingRoom = PendingRoomCode::None;
uint8_t AutomaticDraw = 1;
uint8_t WindowSettingsChanged = 0;
int64_t FrameTargetTime = 0;
int64_t FrameNow = 0;
int64_t FrameWait = 0;
int64_t FpsSecondStart = 0;
int32_t FrameCount = 0;
int32_t Fps = 0;

namespace {

// A frame while no room is current waits as a room of this speed would.
constexpr int32_t kNoRoomSpeed = 60;

MainLoopHooks g_Hooks;
int32_t g_PlaceholderRoomSpeed = 60;
int32_t g_PlaceholderFrameLimit = 1;
int32_t g_PlaceholderFramesRun = 0;

int32_t* CurrentRoomSpeed() {
  if (g_Hooks.currentRoomSpeed) return g_Hooks.currentRoomSpeed();
  return &g_PlaceholderRoomSpeed;
}

void PlaceholderStep() {
  ++g_PlaceholderFramesRun;
  if (g_PlaceholderFrameLimit > 0 && g_PlaceholderFramesRun >= g_PlaceholderFrameLimit) {
    PendingRoom = PendingRoomCode::EndGame;
  }
}

void RunStep() {
  if (g_Hooks.step) {
    g_Hooks.step();
  } else {
    PlaceholderStep();
  }
}

template <typename Hook, typename... Args>
void Call(const Hook& hook, Args... args) {
  if (hook) hook(args...);
}

bool DebugMode() { return g_Hooks.debugMode && g_Hooks.debugMode(); }

// Carries out the room request; false when it ended the game.
bool ActOnPendingRoom() {
  switch (PendingRoom) {
    case PendingRoomCode::None:
      return true;
    case PendingRoomCode::EndGame:
    case PendingRoomCode::FatalError:
      Running = 0;
      return false;
    case PendingRoomCode::Restart:
      Call(g_Hooks.endGame);
      Call(g_Hooks.startGame);
      return true;
    case PendingRoomCode::LoadGame:
      Call(g_Hooks.loadPendingGame);
      return true;
    default:
      // A negative value no writer produces cannot name a room: it ends the game as a missing
      // room does, rather than reaching the room table with a negative index.
      if (PendingRoom < 0) {
        Running = 0;
        return false;
      }
      Call(g_Hooks.changeRoom, PendingRoom);
      return true;
  }
}

// Step 16 of the frame: the room speed (a speed of 0 or less becomes 1), or 60 without a room.
int64_t FrameResult() {
  int32_t* speed = CurrentRoomSpeed();
  if (speed == nullptr) return kNoRoomSpeed;
  if (*speed <= 0) *speed = 1;
  return *speed;
}

}  // namespace

MainLoopHooks& MainLoop_Hooks() { return g_Hooks; }

void MainLoop_SetPlaceholderRoomSpeed(int32_t speed) { g_PlaceholderRoomSpeed = speed; }

void MainLoop_SetPlaceholderFrameLimit(int32_t frames) { g_PlaceholderFrameLimit = frames; }

int64_t MainLoop_FrameWait(int32_t speed, int64_t elapsed) {
  double wait = 1000000.0 / static_cast<double>(speed) - static_cast<double>(elapsed);
  if (wait < 0.0) wait = 0.0;
  int64_t whole = Conv_TruncToInt64(wait);
  if (static_cast<float>(whole) > 1000000.0f) whole = 1000000;
  return whole;
}

int64_t Run_Frame() {
  Call(g_Hooks.countFrame);

  FrameNow = Timing_Time();
  if (FrameNow < FrameTargetTime) FrameTargetTime = FrameNow;
  int32_t* speed = CurrentRoomSpeed();
  if (speed != nullptr && *speed <= 0) *speed = 1;
  const int64_t elapsed = FrameNow - FrameTargetTime;
  FrameWait = MainLoop_FrameWait(speed != nullptr ? *speed : kNoRoomSpeed, elapsed);
  Timing_Wait(FrameWait);
  FrameTargetTime = FrameNow + FrameWait;

  if (FrameTargetTime < FpsSecondStart) FpsSecondStart = FrameTargetTime;
  if (FrameTargetTime / 1000000 > FpsSecondStart / 1000000) {
    Fps = FrameCount;
    FrameCount = 0;
    FpsSecondStart = FrameTargetTime;
  }
  ++FrameCount;

  Call(g_Hooks.soundTick);

  if (Paused) {
    if (DebugMode()) Call(g_Hooks.debugUpdate);
    return FrameResult();
  }
  // Without a current room there is nothing to step or draw; a request still ends the game.
  if (speed == nullptr) {
    if (!ActOnPendingRoom()) return kNoRoomSpeed;
    return FrameResult();
  }

  if (WindowSettingsChanged) {
    Call(g_Hooks.graphicsReset);
    WindowSettingsChanged = 0;
  }

  Call(g_Hooks.beginFrame);
  RunStep();
  Call(g_Hooks.drawVirtualButtons);
  Call(g_Hooks.endFrame, PendingRoom == PendingRoomCode::None && AutomaticDraw != 0);
  if (DebugMode()) Call(g_Hooks.debugUpdate);

  if (!ActOnPendingRoom()) return kNoRoomSpeed;
  return FrameResult();
}

void ProcessMessages() {
  if (g_Hooks.pumpWindowMessages && !g_Hooks.pumpWindowMessages()) Running = 0;
  // A termination signal ends the loop as a closed window does.
  if (TerminationSignal_Pending()) Running = 0;
}

void MainLoop_StartClock() {
  FrameTargetTime = Timing_Time();
  FpsSecondStart = FrameTargetTime;
  Fps = 0;
  FrameCount = 0;
}

void MainLoop_Run() {
  g_PlaceholderFramesRun = 0;
  Platform_SetMessagePump(&ProcessMessages);
  Running = 1;
  Paused = 0;
  while (Running == 1) {
    Run_Frame();
    ProcessMessages();
  }
}

void Run_SingleStep() {
  ProcessMessages();
  RunStep();
  if (PendingRoom == PendingRoomCode::None && AutomaticDraw == 1) {
    Call(g_Hooks.endFrame, true);
    Call(g_Hooks.beginFrame);
  }
  if (!ActOnPendingRoom()) return;
  ProcessMessages();
  if (DebugMode()) Call(g_Hooks.debugUpdate);
}

void Run_Pause() { Paused = 1; }

void Run_StepOnce() {
  if (Running && Paused) Run_SingleStep();
}

void Run_Stop() {
  Running = 0;
  Paused = 0;
  if (DebugMode()) return;  // the window stays open with the game stopped
  Call(g_Hooks.endGame);
  Call(g_Hooks.closeDebugWindow);
  Call(g_Hooks.postQuit);
}
