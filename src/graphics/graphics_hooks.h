// What the device layer calls of other subsystems (the overlay and profiler, surfaces,
// the current room). Each hook is optional: an empty one does nothing. The runner
// fills them at start-up.
#pragma once

#include <functional>

struct GraphicsHooks {
  std::function<void()> overlayInit;
  std::function<void()> overlayBegin;
  std::function<void()> overlayEnd;
  std::function<void()> overlayDraw;
  std::function<void()> profilerStartFrame;
  std::function<void()> profilerLogFPS;
  // Frees every surface (the full display reset).
  std::function<void()> freeAllSurfaces;
  // The size against which the projection's half-texel correction is made: the current
  // room's size, or view 0's port size when the room uses views and view 0 is visible.
  // Answers false when there is no current room (640 x 480 is used then).
  std::function<bool(int& width, int& height)> projectionCorrectionSize;
  // Whether the game's options let the player resize the window.
  std::function<bool()> windowResizable;
};

GraphicsHooks& Graphics_Hooks();
