#include "graphics/profiler.h"

#include <algorithm>

#include "graphics/batch.h"
#include "platform/console.h"
#include "platform/timing.h"

namespace {

// Each reading of the fixed clock within a frame moves on by this share of the frame.
constexpr int64_t kFixedClockSteps = 64;

struct Profiler {
  std::array<ProfilerRecord, kProfilerMaxRecords> records{};
  int count = 0;
  std::array<int, kProfilerMaxDepth> stack{};
  int depth = 0;
  int refusedOpen = 0;  // sections opened beyond a limit, whose ends close nothing
  int64_t frameStart = 0;
  bool started = false;
  int64_t fixedFrameTime = 0;
  int64_t fixedFrames = 0;
  int64_t fixedReadings = 0;
};

Profiler& P() {
  static Profiler profiler;
  return profiler;
}

FrameRateStatistics& Stats() {
  static FrameRateStatistics stats;
  return stats;
}

int64_t Now() {
  Profiler& p = P();
  if (p.fixedFrameTime <= 0) return Timing_Time();
  const int64_t steps = std::min(++p.fixedReadings, kFixedClockSteps - 1);
  return p.frameStart + p.fixedFrameTime * steps / kFixedClockSteps;
}

}  // namespace

void Profiler_SetFixedFrameTime(int64_t microseconds) {
  P().fixedFrameTime = std::max<int64_t>(microseconds, 0);
  P().fixedFrames = 0;
}

void Profiler_Reset() {
  const int64_t fixed = P().fixedFrameTime;
  P() = Profiler{};
  P().fixedFrameTime = fixed;
}

void Profiler_StartFrame() {
  Profiler& p = P();
  p.count = 0;
  p.depth = 0;
  p.refusedOpen = 0;
  if (p.fixedFrameTime > 0) {
    p.frameStart = p.fixedFrames++ * p.fixedFrameTime;
    p.fixedReadings = 0;
  } else {
    p.frameStart = Timing_Time();
  }
  GR_D3D_Batch_ResetFrameCounters();
  p.started = true;
  Profiler_Begin(kProfilerTotalColour, "Total");
}

void Profiler_Begin(uint32_t colour, const char* name) {
  Profiler& p = P();
  if (!p.started) Profiler_StartFrame();
  if (p.count >= kProfilerMaxRecords || p.depth >= kProfilerMaxDepth) {
    ++p.refusedOpen;
    return;
  }
  const int64_t now = p.count == 0 ? p.frameStart : Now();
  p.records[static_cast<size_t>(p.count)] = {now, now, colour, name};
  p.stack[static_cast<size_t>(p.depth++)] = p.count++;
}

void Profiler_End() {
  Profiler& p = P();
  if (p.refusedOpen > 0) {
    --p.refusedOpen;
    return;
  }
  if (p.depth == 0) return;
  p.records[static_cast<size_t>(p.stack[static_cast<size_t>(--p.depth)])].end = Now();
}

int64_t Profiler_CloseFrame() {
  Profiler& p = P();
  if (!p.started) Profiler_StartFrame();
  const int64_t now = p.fixedFrameTime > 0 ? p.frameStart + p.fixedFrameTime : Timing_Time();
  if (p.refusedOpen > 0) {
    --p.refusedOpen;
  } else if (p.depth > 0) {
    p.records[static_cast<size_t>(p.stack[static_cast<size_t>(--p.depth)])].end = now;
  }
  p.started = false;
  return std::max<int64_t>(now - p.frameStart, 1);
}

bool Profiler_FrameStarted() { return P().started; }
int64_t Profiler_FrameStart() { return P().frameStart; }
std::span<const ProfilerRecord> Profiler_Records() {
  return {P().records.data(), static_cast<size_t>(P().count)};
}
int Profiler_OpenDepth() { return P().depth; }

float Profiler_CountFrame(int64_t frameTime) {
  FrameRateStatistics& s = Stats();
  const float fps = 1000000.0f / static_cast<float>(std::max<int64_t>(frameTime, 1));
  if (s.frames > 100) {
    const int32_t whole = static_cast<int32_t>(fps);
    s.minimum = std::min(s.minimum, whole);
    s.maximum = std::max(s.maximum, whole);
    s.average = static_cast<int32_t>((static_cast<int64_t>(s.average) + whole) / 2);
  }
  ++s.frames;
  s.lastFps = fps;
  return fps;
}

const FrameRateStatistics& Profiler_Statistics() { return Stats(); }
void Profiler_ResetStatistics() { Stats() = FrameRateStatistics{}; }

void Profiler_LogFPS() {
  const FrameRateStatistics& s = Stats();
  const char* separator = "---------------------------------------------------------------\n";
  g_DebugConsole->Output("%s", separator);
  g_DebugConsole->Output("minFPS, maxFPS, avgFPS\n");
  g_DebugConsole->Output("%d, %d, %d\n", s.minimum, s.maximum, s.average);
  g_DebugConsole->Output("%s", separator);
}
