// The main loop: one frame after another at the current room's speed, pumping window messages
// between frames and while waiting. Each frame reads the clock, waits out the rest of the frame's
// period, counts frames per second, ticks the sound, runs one game step inside a graphics frame
// and then carries out the room request the step left in PendingRoom.
//
// The loop reaches the other subsystems only through MainLoop_Hooks(); a hook left empty skips
// its phase. Until the game step exists, a placeholder step ends the game after a set number of
// frames (one by default), so a runner with nothing to play stops.
#pragma once

#include <cstdint>
#include <functional>

// Run-time state of the loop (one each per process).
extern uint8_t Running;                // 1 while the game runs; the loop continues while it is 1
extern uint8_t Paused;                 // 1 while steps are suspended (debug window)
extern int32_t PendingRoom;            // the room request, see PendingRoomCode; -1 when none
extern uint8_t AutomaticDraw;          // 1: the step draws the room and the frame is presented
extern uint8_t WindowSettingsChanged;  // the next frame resets the graphics device first
extern int64_t FrameTargetTime;        // µs: when the current frame was due to start
extern int64_t FrameNow;               // µs: the clock at the start of the frame
extern int64_t FrameWait;              // µs: the wait computed for this frame
extern int64_t FpsSecondStart;         // µs: start of the second whose frames are being counted
extern int32_t FrameCount;             // frames counted in the current second
extern int32_t Fps;                    // frames counted in the last complete second

// The values of PendingRoom other than room indices (0 or more).
namespace PendingRoomCode {
inline constexpr int32_t None = -1;
inline constexpr int32_t EndGame = -100;
inline constexpr int32_t Restart = -200;
inline constexpr int32_t LoadGame = -300;
inline constexpr int32_t FatalError = -400;  // also a room that does not exist
}  // namespace PendingRoomCode

struct MainLoopHooks {
  // The current room's speed field (frames per second); null when no room is current. Empty:
  // the placeholder room speed below.
  std::function<int32_t*()> currentRoomSpeed;
  std::function<void()> countFrame;  // allocator statistics
  std::function<void()> soundTick;
  std::function<void()> graphicsReset;
  std::function<void()> beginFrame;
  std::function<void(bool present)> endFrame;
  // The game step. Empty: the placeholder step.
  std::function<void()> step;
  std::function<void()> drawVirtualButtons;
  std::function<void(int32_t room)> changeRoom;  // room end, then room start of that room
  std::function<void()> endGame;
  std::function<void()> startGame;
  std::function<void()> loadPendingGame;
  // The window layer's message pump (window, modeless dialog, debug window); answers false when
  // the application was asked to quit.
  std::function<bool()> pumpWindowMessages;
  std::function<bool()> debugMode;
  std::function<void()> debugUpdate;  // the debug window: its requests, then a refresh (each frame)
  std::function<void()> closeDebugWindow;
  std::function<void()> postQuit;  // asks the window layer to quit
};

MainLoopHooks& MainLoop_Hooks();

// Until rooms exist: the speed used when no currentRoomSpeed hook is installed.
void MainLoop_SetPlaceholderRoomSpeed(int32_t speed);
// Until the game step exists: the placeholder step asks for the end of the game in the frame
// with this number (from 1). 0 or less: never.
void MainLoop_SetPlaceholderFrameLimit(int32_t frames);

// Starts the frame clock after Timing_Init: the first frame is due now, the fps second starts
// now, no frames counted.
void MainLoop_StartClock();

// Sets Running (and clears Paused), installs the message pump for the platform's waits and runs
// frames until Running is no longer 1.
void MainLoop_Run();

// One frame. Returns the room speed after the frame, or 60 when the game ended in this frame or
// no room is current.
int64_t Run_Frame();

// The wait of a frame whose period started elapsed µs ago: 1,000,000 / speed - elapsed, at least
// 0 and at most one second, truncated.
int64_t MainLoop_FrameWait(int32_t speed, int64_t elapsed);

// Takes every waiting message; a quit request clears Running.
void ProcessMessages();

// The debug window's controls.
void Run_SingleStep();
void Run_Pause();
void Run_StepOnce();
void Run_Stop();
