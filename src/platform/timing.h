// The microsecond clock and the precise wait that paces frames.
#pragma once

#include <cstdint>

// Makes the current moment time 0.
void Timing_Init();

// Microseconds since Timing_Init, from the monotonic clock.
int64_t Timing_Time();

// Waits us microseconds (capped at 3 seconds; nothing for us <= 0). A wait of 2 ms or more sleeps
// (us - 1000) / 1000 whole milliseconds first; the rest is spun, pumping window messages and
// reading the clock, so the wait ends within a fraction of a millisecond of its due time.
void Timing_Sleep(int64_t us);

// The frame wait: forwards to Timing_Sleep.
void Timing_Wait(int64_t us);
