#include "platform/timing.h"

#include <time.h>

#include <cerrno>

#include "platform/message_pump.h"

namespace {

int64_t g_TimingBase = 0;

int64_t MonotonicMicroseconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<int64_t>(now.tv_sec) * 1000000 + now.tv_nsec / 1000;
}

void SleepMilliseconds(int64_t ms) {
  timespec request{static_cast<time_t>(ms / 1000), static_cast<long>((ms % 1000) * 1000000)};
  while (nanosleep(&request, &request) != 0 && errno == EINTR) {
  }
}

}  // namespace

void Timing_Init() { g_TimingBase = MonotonicMicroseconds(); }

int64_t Timing_Time() { return MonotonicMicroseconds() - g_TimingBase; }

void Timing_Sleep(int64_t us) {
  if (us <= 0) return;
  if (us > 3000000) us = 3000000;
  const int64_t start = Timing_Time();
  const int64_t end = start + us;
  if (us >= 2000) SleepMilliseconds((us - 1000) / 1000);
  for (;;) {
    Platform_PumpMessages();
    int64_t now = Timing_Time();
    if (now >= end || now < start) break;
  }
}

void Timing_Wait(int64_t us) { Timing_Sleep(us); }
