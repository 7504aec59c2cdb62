// Time lines: moments (a step number with an event of compiled actions) that an instance
// running the time line performs as its position passes them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "data/game_data_reader.h"
#include "runner/events.h"

class CInstance;

class CTimeLine {
 public:
  CTimeLine() = default;
  virtual ~CTimeLine() = default;
  CTimeLine(const CTimeLine&) = delete;
  CTimeLine& operator=(const CTimeLine&) = delete;

  // Record: name reference, moment count n, then n x {step, event record offset}. The steps
  // must rise strictly; a damaged record throws GameDataError.
  void LoadFromChunk(const GameDataReader& reader, uint32_t record);
  // Compiles every moment's event, as time-line code of this index. False at the first failure.
  bool Compile(int32_t index);

  int32_t GetMomentCount() const { return static_cast<int32_t>(moments_.size()); }
  int32_t GetMomentTime(int32_t i) const;    // 0 outside the list
  CEvent* GetMomentEvent(int32_t i) const;   // null outside the list
  // The moment's event held for a run: the code it runs may clear the moment or delete the
  // time line, and the event has to outlive that run. Null outside the list.
  std::shared_ptr<CEvent> HoldMomentEvent(int32_t i) const;
  int32_t FindMomentIndex(int32_t step) const;  // -1 when no moment has exactly that step
  // The first moment whose step is at least t (the count when none; 0 with no moments).
  int32_t FindMomentAtOrAfter(double t) const;
  // The last moment whose step is at most t (-1 when none).
  int32_t FindMomentAtOrBefore(double t) const;
  // The moment at that step, made (empty) when there is none.
  CEvent* AddMoment(int32_t step);
  void ClearMoment(int32_t step);
  void Clear() { moments_.clear(); }

 private:
  struct Moment {
    int32_t step = 0;
    std::shared_ptr<CEvent> event;  // shared with the moment's run while it runs
  };
  std::vector<Moment> moments_;
};

void TimeLine_Clear();
// TMLN.
void TimeLine_Load(const GameDataReader& reader, ChunkSpan body);
// Compiles every time line; the first failure ends the preparation.
bool TimeLine_Prepare();
bool TimeLine_Exists(int32_t index);
// "<undefined>" when there is no such time line.
std::string TimeLine_GetName(int32_t index);
int32_t TimeLine_Find(std::string_view name);
CTimeLine* TimeLine_Data(int32_t index);
int32_t TimeLine_GetCount();
// timeline_add: time lines cannot be made at run time.
int32_t TimeLine_Add();
bool TimeLine_Delete(int32_t index);
// Lets error reports name the time line of a failing moment.
void TimeLine_InstallHooks();

