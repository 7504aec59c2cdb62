#include "runner/debug_overlay.h"

#include <cmath>
#include <cstdlib>

#include "data/game_data.h"
#include "data/game_options.h"
#include "graphics/batch.h"
#include "graphics/device.h"
#include "graphics/overlay_bracket.h"
#include "graphics/overlay_text.h"
#include "graphics/profiler.h"
#include "platform/memory_manager.h"
#include "runner/input.h"
#include "runner/main_loop.h"
#include "runner/run_options.h"
#include "runner/window.h"

namespace {

constexpr int kGridCells = 10;
constexpr uint32_t kWhite = 0xFFFFFFFFu, kBlack = 0xFF000000u;
constexpr uint32_t kPanelColour = 0xC0000000u;
constexpr uint32_t kMemoryBarColour = 0xFF20C020u;
// The bars span one fifteenth of a second across the screen.
constexpr float kBarSpanMicroseconds = 66666.66f;
constexpr float kBarTop = 10.0f, kBarBottom = 20.0f, kBarDepth = 0.5f;
constexpr float kMemoryBarTop = 21.0f, kMemoryBarBottom = 24.0f;
constexpr int kPanelHeight = 100;

// Left column, right column, left, right, bottom right, bottom left, the centre.
constexpr TapStep kPanelSteps[] = {{0, 0, 1}, {10, 0, 1}, {0, 0, 1}, {10, 0, 1}, {10, 10, 1}, {0, 10, 1}, {5, 5, 1}};
// Along the bottom twice, the centre twice, along the top.
constexpr TapStep kSwitchSteps[] = {{0, 10, 1}, {10, 10, 1}, {0, 10, 1}, {10, 10, 1},
                                    {5, 5, 1},  {5, 5, 1},   {0, 0, 1},  {10, 0, 1}};

struct OverlayState {
  CTapSequence panel{kPanelSteps};
  CTapSequence fpsSwitch{kSwitchSteps};
  float lastFps = 0.0f;
};

OverlayState& O() {
  static OverlayState state;
  return state;
}

int32_t& Mode() { return g_RunOptions.debugOverlayMode; }

// The game's size that mouse positions are scaled to: the view port or the room, else the window.
void GameSize(int& width, int& height) {
  const auto& query = Input_Hooks().scaleSize;
  if (query && query(width, height) && width > 0 && height > 0) return;
  Window_ClientSize(width, height);
}

void Quad(Vertex24*& v, float x1, float y1, float x2, float y2, float z, uint32_t colour) {
  const float corners[6][2] = {{x1, y1}, {x2, y1}, {x2, y2}, {x2, y2}, {x1, y2}, {x1, y1}};
  for (const auto& c : corners) *v++ = {c[0], c[1], z, colour, 0.0f, 0.0f};
}

void FillRect(float x1, float y1, float x2, float y2, float z, uint32_t colour) {
  auto* v = static_cast<Vertex24*>(GR_D3D_Batch_Reserve(4, nullptr, 24, 6));
  if (v != nullptr) Quad(v, x1, y1, x2, y2, z, colour);
}

// One bar a section, from its start to its end, over the frame's first fifteenth of a second.
void DrawProfilerBars(int width) {
  const std::span<const ProfilerRecord> records = Profiler_Records();
  if (records.empty()) return;
  auto* v = static_cast<Vertex24*>(GR_D3D_Batch_Reserve(4, nullptr, 24, static_cast<int>(records.size()) * 6));
  if (v == nullptr) return;
  const float scale = static_cast<float>(width) / kBarSpanMicroseconds;
  const int64_t frameStart = Profiler_FrameStart();
  for (const ProfilerRecord& r : records) {
    // A colour given without alpha (as the text's is) is drawn opaque.
    const uint32_t colour = (r.colour & 0xFF000000u) != 0 ? r.colour : r.colour | 0xFF000000u;
    Quad(v, static_cast<float>(r.start - frameStart) * scale, kBarTop, static_cast<float>(r.end - frameStart) * scale,
         kBarBottom, kBarDepth, colour);
  }
}

// The bytes in use at this frame's start against the most seen at any frame's start.
void DrawMemoryBar(int width) {
  const MemoryFrameStatistics memory = MemoryManager::FrameStatistics();
  if (memory.peakBytesInUse == 0) return;
  const float share = static_cast<float>(static_cast<double>(memory.bytesInUse) / memory.peakBytesInUse);
  FillRect(0.0f, kMemoryBarTop, static_cast<float>(width) * share, kMemoryBarBottom, kBarDepth, kMemoryBarColour);
}

void DrawPanel(int width) {
  FillRect(0.0f, 0.0f, static_cast<float>(width), static_cast<float>(kPanelHeight), kBarDepth, kPanelColour);
  Overlay_PrintfCentred(40, width, kWhite, "Tarn Games Runner v%d.%d(%d)[r%s]", 1, 2, 0, "0");
  if (!GameData_FileName().empty()) {
    Overlay_PrintfCentred(54, width, kWhite, "Game : %s v%d.%d", GameData_Header().name.c_str(),
                          Options_Get().versionMajor, Options_Get().versionMinor);
  }
  Overlay_Printf(static_cast<float>(width - 80), 80, kWhite, "CLOSE");
  if ((Mode() & kOverlayFrameRateSwitch) != 0) {
    Overlay_Printf(10, 10, kWhite, (Mode() & kOverlayFrameRate) != 0 ? "FPS : ON" : "FPS : OFF");
  }
}

int64_t FixedFrameTimeFromEnvironment() {
  const char* text = std::getenv(kFixedFrameTimeVariable);
  if (text == nullptr) return 0;
  char* end = nullptr;
  const long long value = std::strtoll(text, &end, 10);
  return (end != text && *end == '\0' && value > 0) ? value : 0;
}

}  // namespace

bool CTapSequence::Matches(const TapStep& step, int column, int row) const {
  return std::abs(column - step.column) <= step.tolerance && std::abs(row - step.row) <= step.tolerance;
}

bool CTapSequence::Tap(int column, int row) {
  if (steps_.empty()) return false;
  if (!Matches(steps_[next_], column, row)) {
    next_ = 0;
    return false;
  }
  if (++next_ < steps_.size()) return false;
  next_ = 0;
  return true;
}

int Overlay_TapCell(float position, int size) {
  if (size <= 0) return 0;
  return static_cast<int>(std::lround(static_cast<double>(position) * kGridCells / size));
}

std::span<const TapStep> Overlay_PanelSequence() { return kPanelSteps; }
std::span<const TapStep> Overlay_SwitchSequence() { return kSwitchSteps; }

void Overlay_Init() {
  Overlay_InitFont();
  Profiler_SetFixedFrameTime(FixedFrameTimeFromEnvironment());
  Profiler_Reset();
}

void Overlay_HandleTaps() {
  if (!IO_Mouse_Check_Pressed(1, 0)) return;
  int windowWidth = 0, windowHeight = 0;
  Window_ClientSize(windowWidth, windowHeight);
  if (windowWidth <= 0 || windowHeight <= 0) return;
  int gameWidth = 0, gameHeight = 0;
  GameSize(gameWidth, gameHeight);
  const InputFrame& input = IO_State();
  const float x = static_cast<float>(static_cast<double>(input.windowMouseX) * gameWidth / windowWidth);
  const float y = static_cast<float>(static_cast<double>(input.windowMouseY) * gameHeight / windowHeight);
  const int column = Overlay_TapCell(x, gameWidth), row = Overlay_TapCell(y, gameHeight);
  OverlayState& o = O();
  int32_t& mode = Mode();
  if ((mode & kOverlayPanel) == 0) {
    if (o.panel.Tap(column, row)) {
      mode |= kOverlayPanel;
      o.fpsSwitch.Restart();
    }
    return;
  }
  if (x > gameWidth - 80 && x < gameWidth - 16 && y >= 81 && y <= 95) {
    mode &= ~(kOverlayPanel | kOverlayFrameRateSwitch);
    o.panel.Restart();
    return;
  }
  if ((mode & kOverlayFrameRateSwitch) != 0) {
    if (x >= 11 && x <= 73 && y >= 11 && y <= 25) mode ^= kOverlayFrameRate;
    return;
  }
  if (o.fpsSwitch.Tap(column, row)) mode |= kOverlayFrameRateSwitch;
}

void Overlay_Draw() {
  const int64_t frameTime = Profiler_CloseFrame();
  O().lastFps = Profiler_CountFrame(frameTime);
  Overlay_HandleTaps();
  const int32_t mode = Mode();
  const bool frameRate = (mode & kOverlayFrameRate) != 0 && Paused == 0;
  if (!frameRate && (mode & kOverlayPanel) == 0) return;
  const int width = Graphics_Sizes().screenWidth;
  Overlay_Begin();
  if (frameRate) {
    const BatchCounters& counters = GR_D3D_Batch_Counters();
    const int textureSwitches = counters.textureSwapsThisFrame, batches = counters.drawCallsThisFrame;
    DrawProfilerBars(width);
    DrawMemoryBar(width);
    Overlay_PrintfOutlined(0, 0, kBlack, kWhite, "%dfps\t\t(%d)(%d)", static_cast<int>(O().lastFps), textureSwitches,
                           batches);
  }
  if ((mode & kOverlayPanel) != 0) DrawPanel(width);
  Overlay_End();
}

float Overlay_LastFps() { return O().lastFps; }

void Overlay_Shutdown() {
  Profiler_LogFPS();
  Overlay_FreeFont();
}
