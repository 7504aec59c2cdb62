// The game step: one advance of the game in its fixed order of event passes (begin step, time
// lines, alarms, keyboard, joystick, mouse, step, motion, outside and boundary, asynchronous
// results, collisions, end step), then removal of destroyed instances, drawing, background
// scrolling and animation. After each pass the step stops at once when a room change is pending.
//
// A pass skips the instances created while it runs: each pass advances EventSerial before it
// walks, and an instance whose creation serial is above the pass's value is new for it.
#pragma once

#include <cstdint>
#include <functional>

// What the step takes from input, window and drawing. Each hook may be left empty: no key,
// no button, the mouse at (0, 0), the window visible and active, nothing drawn.
struct StepHooks {
  std::function<void()> startStep;  // input of the step taken over (or replayed)
  std::function<void()> clearInput;
  std::function<bool(int32_t key)> keyDown;
  std::function<bool(int32_t key)> keyPressed;
  std::function<bool(int32_t key)> keyReleased;
  std::function<bool(int32_t button)> mouseDown;  // 1 left, 2 right, 3 middle
  std::function<bool(int32_t button)> mousePressed;
  std::function<bool(int32_t button)> mouseReleased;
  std::function<bool()> wheelUp;
  std::function<bool()> wheelDown;
  std::function<void(int32_t& x, int32_t& y)> mousePosition;  // device 0, room coordinates
  std::function<bool()> windowVisible;
  std::function<bool()> windowActive;
  std::function<void()> joystickPoll;
  std::function<void()> particlesUpdate;
  std::function<void()> draw;  // the room
  std::function<void(int32_t width, int32_t height)> setWindowSize;
};
StepHooks& Run_StepHooks();

void Run_Step();
// The step's clock starts again (game start).
void Run_ResetStepClock();

void Run_StepEvents(int32_t kind);
void Run_Alarms();
void Run_KeyboardEvents();
void Run_MouseEvents();
bool Run_Motion();
void Run_OutsideEvents();
void Run_Collisions();
void Run_Animation();
void Run_OtherEventAll(int32_t number);
void Run_KeyEvent(int32_t type, int32_t key);
void Run_MouseEventAll(int32_t number);
void Run_MouseEventLocal(int32_t number);
void Run_JoystickEvent(int32_t number);

// Sizes the game window for the current room: the room, or the union of the visible views'
// ports when views are on (at least 8 × 8).
void Room_SetWindowSize();
// The size Room_SetWindowSize asks for; false without a current room.
bool Room_WindowSize(int32_t& width, int32_t& height);
