// The event whose code runs now: what error messages name and code names are built from.
// The event dispatch sets it around every event it runs and restores it afterwards.
#pragma once

#include <cstdint>

// The event type that marks a time-line moment; the number is then the moment's time step
// and the object is the time line's index.
inline constexpr int32_t kEventTypeTimeLine = 100000;

struct CurrentEvent {
  int32_t object = -1;  // the object whose event runs (the time line for a moment)
  int32_t type = 0;
  int32_t number = 0;
  int32_t action = 0;   // index of the action within the event, from 0
};

extern CurrentEvent Event_Current;

// Keeps the current event for a scope and puts it back when the scope ends.
class CurrentEventScope {
 public:
  CurrentEventScope() : saved_(Event_Current) {}
  ~CurrentEventScope() { Event_Current = saved_; }
  CurrentEventScope(const CurrentEventScope&) = delete;
  CurrentEventScope& operator=(const CurrentEventScope&) = delete;

 private:
  CurrentEvent saved_;
};
