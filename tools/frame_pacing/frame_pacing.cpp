// Measures the main loop's frame pacing: runs the real loop with an empty step at a room speed
// for a few seconds and prints the frame rate it achieved and the jitter of the frame starts.
//
//   frame_pacing [seconds per speed] [speed ...]     (defaults: 4 seconds, speeds 30 and 60)
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/timing.h"
#include "runner/main_loop.h"

namespace {

struct Result {
  int32_t speed = 0;
  size_t frames = 0;
  double achievedFps = 0;
  std::vector<int32_t> fpsSeen;  // the fps value after each whole second of the run
  double meanInterval = 0;
  double jitterStdDev = 0;
  double worstLate = 0;
  double worstEarly = 0;
  double p99Deviation = 0;
};

Result Measure(int32_t speed, double seconds) {
  std::vector<int64_t> stepTimes;
  Result result;
  result.speed = speed;
  int64_t lastSecond = 0;
  const int64_t duration = static_cast<int64_t>(seconds * 1e6);

  MainLoopHooks& hooks = MainLoop_Hooks();
  hooks = MainLoopHooks();
  hooks.currentRoomSpeed = [&speed]() -> int32_t* { return &speed; };
  hooks.step = [&] {
    int64_t now = Timing_Time();
    stepTimes.push_back(now);
    if ((now - stepTimes.front()) / 1000000 > lastSecond) {
      result.fpsSeen.push_back(Fps);
      lastSecond = (now - stepTimes.front()) / 1000000;
    }
    if (now - stepTimes.front() >= duration) PendingRoom = PendingRoomCode::EndGame;
  };
  PendingRoom = PendingRoomCode::None;
  Timing_Init();
  MainLoop_StartClock();
  MainLoop_Run();
  hooks = MainLoopHooks();

  result.frames = stepTimes.size();
  if (result.frames < 2) return result;
  const double period = 1e6 / speed;
  std::vector<double> deviations;
  double sum = 0;
  for (size_t i = 1; i < stepTimes.size(); ++i) {
    double interval = static_cast<double>(stepTimes[i] - stepTimes[i - 1]);
    sum += interval;
    deviations.push_back(interval - period);
  }
  const double count = static_cast<double>(deviations.size());
  result.meanInterval = sum / count;
  result.achievedFps = 1e6 / result.meanInterval;
  double squares = 0;
  for (double d : deviations) {
    double fromMean = d + period - result.meanInterval;
    squares += fromMean * fromMean;
    result.worstLate = std::max(result.worstLate, d);
    result.worstEarly = std::min(result.worstEarly, d);
  }
  result.jitterStdDev = std::sqrt(squares / count);
  std::vector<double> magnitudes;
  for (double d : deviations) magnitudes.push_back(std::fabs(d));
  std::sort(magnitudes.begin(), magnitudes.end());
  result.p99Deviation = magnitudes[static_cast<size_t>(0.99 * (magnitudes.size() - 1))];
  return result;
}

}  // namespace

int main(int argc, char** argv) {
  double seconds = argc > 1 ? std::atof(argv[1]) : 4.0;
  if (seconds <= 0) seconds = 4.0;
  std::vector<int32_t> speeds;
  for (int i = 2; i < argc; ++i) speeds.push_back(std::atoi(argv[i]));
  if (speeds.empty()) speeds = {30, 60};

  bool allWithinOne = true;
  for (int32_t speed : speeds) {
    Result r = Measure(speed, seconds);
    std::printf("room speed %d: %zu frames in %.1f s, achieved %.3f fps (target %d)\n", r.speed,
                r.frames, seconds, r.achievedFps, r.speed);
    std::printf("  frame interval: mean %.1f us (period %.1f us), jitter (std dev) %.1f us, "
                "99th percentile deviation %.1f us, worst late %+.1f us, worst early %+.1f us\n",
                r.meanInterval, 1e6 / r.speed, r.jitterStdDev, r.p99Deviation, r.worstLate,
                r.worstEarly);
    std::printf("  fps variable after each second:");
    for (int32_t fps : r.fpsSeen) std::printf(" %d", fps);
    std::printf("\n");
    if (std::fabs(r.achievedFps - r.speed) > 1.0) allWithinOne = false;
  }
  std::printf(allWithinOne ? "every rate within 1 fps of its target\n"
                           : "a rate is more than 1 fps off its target\n");
  return allWithinOne ? 0 : 1;
}
