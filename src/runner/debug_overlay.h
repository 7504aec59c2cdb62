// The debug overlay, drawn over every finished frame: the frame-rate line with the profiler's
// bars and the memory bar (DebugOverlayMode bit 2), and the information panel (bit 1) with its
// "CLOSE" button and, once revealed (bit 8), the frame-rate switch. Taps on a 10 x 10 grid of
// screen cells open the panel and reveal the switch.
#pragma once

#include <cstdint>
#include <span>

inline constexpr int32_t kOverlayPanel = 1;
inline constexpr int32_t kOverlayFrameRate = 2;
inline constexpr int32_t kOverlayFrameRateSwitch = 8;

// The environment variable that fixes every frame's length (microseconds) for the overlay's
// numbers and bars: pictures and statistics then come out the same on every run.
inline constexpr const char* kFixedFrameTimeVariable = "KILNFORGE_FIXED_FRAME_TIME";

// One step of a tap sequence: the cell (column, row) and how many cells off a tap may be.
struct TapStep {
  int column = 0, row = 0, tolerance = 0;
};

// A tap sequence: a tap on the next step's cell advances it, any other tap starts it again.
class CTapSequence {
 public:
  explicit CTapSequence(std::span<const TapStep> steps) : steps_(steps) {}
  // Answers true when the tap completed the sequence (which then starts again).
  bool Tap(int column, int row);
  void Restart() { next_ = 0; }
  size_t Progress() const { return next_; }

 private:
  bool Matches(const TapStep& step, int column, int row) const;
  std::span<const TapStep> steps_;
  size_t next_ = 0;
};

// The cell of a position: position * 10 / size, rounded.
int Overlay_TapCell(float position, int size);
std::span<const TapStep> Overlay_PanelSequence();
std::span<const TapStep> Overlay_SwitchSequence();

// Graphics start-up: the font texture, the profiler, the fixed frame time from the environment.
void Overlay_Init();
// The end of every frame: the frame's rate counted, taps handled, the overlay drawn.
void Overlay_Draw();
// The taps of this step (the left button pressed at the mouse's position in the game).
void Overlay_HandleTaps();
// The frame rate of the last frame (1,000,000 / its length in microseconds).
float Overlay_LastFps();
// Graphics shut-down: the frame-rate statistics logged, the font texture freed.
void Overlay_Shutdown();
