// The game's run-time globals that code reads and writes through built-in variables: score,
// lives, health, the captions and their switches, the cursor sprite, the transition, the view
// being drawn and what the step hands to code (the asynchronous result map, the delta time).
#pragma once

#include <cstdint>
#include <string>

struct RunGlobals {
  int32_t score = 0;
  int32_t lives = -1;
  double health = 100.0;
  bool showScore = true;
  bool showLives = false;
  bool showHealth = false;
  std::string captionScore;
  std::string captionLives;
  std::string captionHealth = "Health: ";
  int32_t cursorSprite = -1;
  int32_t transitionKind = 0;
  int32_t transitionSteps = 1;  // frames of a room transition, at least 1
  int32_t viewCurrent = 0;
  int32_t stepCount = 0;
  int32_t asyncLoad = -1;  // the map given to the asynchronous event being run; -1 none
  int64_t deltaTime = 0;   // µs since the previous step
};

extern RunGlobals Run_Globals;

// Start values; also clears the running and paused flags of the main loop and a room change
// still pending from a game before.
void Run_Global_Init();
