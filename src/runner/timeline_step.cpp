#include "runner/timeline_step.h"

#include <memory>
#include <vector>

#include "data/timelines.h"
#include "runner/instance.h"
#include "runner/pending_room.h"
#include "script/current_event.h"
#include "script/variable_access.h"

void TimeLine_RunMoment(CInstance* self, CInstance* other, int32_t index, int32_t moment) {
  if (Runner_GetPendingRoom() != kPendingRoomNone) return;
  const CTimeLine* line = TimeLine_Data(index);
  if (line == nullptr) return;
  // Held for the run: the moment's code may clear its own moment or delete the time line.
  const std::shared_ptr<CEvent> event = line->HoldMomentEvent(moment);
  if (event == nullptr) return;
  CurrentEventScope scope;
  Event_Current.object = index;
  Event_Current.type = kEventTypeTimeLine;
  Event_Current.number = line->GetMomentTime(moment);
  Event_Current.action = 0;
  event->Execute(self, other);
}

// The moments passed are found again after each one runs, from the step of the one that ran: a
// moment may clear moments (itself among them) or delete the time line, and neither may make
// the walk skip or repeat a moment that is still there.
void TimeLine_AdvanceInstance(CInstance& instance) {
  if (!instance.timeline_running || instance.timeline_speed == 0.0f || instance.timeline_index < 0) {
    return;
  }
  const int32_t index = instance.timeline_index;
  const CTimeLine* line = TimeLine_Data(index);
  if (line == nullptr || line->GetMomentCount() == 0) return;
  const float speed = instance.timeline_speed;
  const double from = instance.timeline_position;
  instance.timeline_position += speed;
  const double to = instance.timeline_position;
  if (speed > 0.0f) {
    // The moments whose step lies in [from, to), rising.
    for (int32_t m = line->FindMomentAtOrAfter(from); m < line->FindMomentAtOrAfter(to);) {
      const int32_t step = line->GetMomentTime(m);
      TimeLine_RunMoment(&instance, &instance, index, m);
      line = TimeLine_Data(index);
      if (line == nullptr) return;
      m = line->FindMomentAtOrAfter(step + 1.0);
    }
    if (instance.timeline_loop &&
        instance.timeline_position > line->GetMomentTime(line->GetMomentCount() - 1)) {
      instance.timeline_position = 0.0f;
    }
  } else {
    // The moments whose step lies in (to, from], falling.
    for (int32_t m = line->FindMomentAtOrBefore(from); m > line->FindMomentAtOrBefore(to);) {
      const int32_t step = line->GetMomentTime(m);
      TimeLine_RunMoment(&instance, &instance, index, m);
      line = TimeLine_Data(index);
      if (line == nullptr) return;
      m = line->FindMomentAtOrBefore(step - 1.0);
    }
    if (instance.timeline_loop && instance.timeline_position < 0.0f) {
      instance.timeline_position = static_cast<float>(line->GetMomentTime(line->GetMomentCount() - 1));
    }
  }
}

void Run_TimeLines() {
  const uint64_t pass = EventSerial++;
  // A game without time lines has no moment to run: the instances are not visited.
  if (TimeLine_GetCount() == 0) return;
  std::vector<CInstance*> instances;
  Variable_ForEachActiveInstance([&instances](CInstance& instance) {
    instances.push_back(&instance);
    return true;
  });
  for (CInstance* instance : instances) {
    if (instance->marked || instance->createSerial > pass) continue;
    TimeLine_AdvanceInstance(*instance);
  }
}
