// The frame profiler: named, coloured sections timed within one frame (drawn as bars by the
// debug overlay), and the frame-rate statistics of the whole run, logged at graphics shut-down.
//
// A frame holds at most 1024 section records and sections nest at most 58 deep; a section
// opened beyond either limit is not kept, and its matching Profiler_End closes nothing else.
#pragma once

#include <array>
#include <climits>
#include <cstdint>
#include <span>

inline constexpr int kProfilerMaxRecords = 1024;
inline constexpr int kProfilerMaxDepth = 58;
inline constexpr uint32_t kProfilerTotalColour = 0xFF000080u;
inline constexpr uint32_t kProfilerTextColour = 0xFFFF00u;
inline constexpr uint32_t kProfilerInputColour = 0xFF00C000u;
// The step's sections: its update (begin step to particles), its drawing, and the scrolling of
// backgrounds with the animation.
inline constexpr uint32_t kProfilerUpdateColour = 0xFFE02020u;
inline constexpr uint32_t kProfilerDrawColour = 0xFFE0A000u;
inline constexpr uint32_t kProfilerScrollColour = 0xFFC040C0u;

struct ProfilerRecord {
  int64_t start = 0;  // microseconds
  int64_t end = 0;
  uint32_t colour = 0;  // ARGB
  const char* name = "";
};

// Empties the sections, notes the frame's start time, zeroes the frame's texture switches and
// vertex batches and opens the root section "Total".
void Profiler_StartFrame();
// Opens a section (starting the frame when none is started). name must outlive the frame.
void Profiler_Begin(uint32_t colour, const char* name);
// Closes the innermost open section; nothing when none is open.
void Profiler_End();
// A section open for the life of the object.
class CProfilerSection {
 public:
  CProfilerSection(uint32_t colour, const char* name) { Profiler_Begin(colour, name); }
  ~CProfilerSection() { Profiler_End(); }
  CProfilerSection(const CProfilerSection&) = delete;
  CProfilerSection& operator=(const CProfilerSection&) = delete;
};

// The end of the frame: starts one when none was started, closes the innermost open section and
// answers the frame's length in microseconds (at least 1). The frame is then no longer started.
int64_t Profiler_CloseFrame();
bool Profiler_FrameStarted();
int64_t Profiler_FrameStart();
std::span<const ProfilerRecord> Profiler_Records();
int Profiler_OpenDepth();
// Forgets the frame and the fixed clock choice (graphics start-up).
void Profiler_Reset();

// A fixed frame length, for pictures and numbers that are the same on every run: each frame
// then lasts exactly that many microseconds, the sections within it taking fixed shares of it.
// 0 measures the real clock. The runner takes it from KILNFORGE_FIXED_FRAME_TIME.
void Profiler_SetFixedFrameTime(int64_t microseconds);

// Frame-rate statistics: the minimum, maximum and running average (whole numbers) cover frames
// from the 102nd on.
struct FrameRateStatistics {
  float lastFps = 0.0f;
  int32_t frames = 0;
  int32_t minimum = INT_MAX;
  int32_t maximum = INT_MIN;
  int32_t average = 30;
};
// Counts one frame of the given length (microseconds; below 1 counts as 1) and answers its rate.
float Profiler_CountFrame(int64_t frameTime);
const FrameRateStatistics& Profiler_Statistics();
void Profiler_ResetStatistics();
// Writes the minimum, maximum and average frame rates to the debug console.
void Profiler_LogFPS();
