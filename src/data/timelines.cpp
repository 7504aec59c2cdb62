#include "data/timelines.h"

#include <optional>

#include "script/current_event.h"
#include "script/error_report.h"

namespace {

struct TimeLineTable {
  std::vector<std::unique_ptr<CTimeLine>> lines;
  std::vector<std::optional<std::string>> names;
};

TimeLineTable& Table() {
  static TimeLineTable table;
  return table;
}

}  // namespace

void CTimeLine::LoadFromChunk(const GameDataReader& reader, uint32_t record) {
  GameDataCursor cursor(reader, record);
  cursor.U32();  // the name, taken by the table
  const int32_t count = cursor.I32();
  if (count < 0 || uint64_t(count) * 8 > cursor.Remaining()) {
    throw GameDataError("a time line's moments leave the file");
  }
  moments_.clear();
  moments_.reserve(static_cast<size_t>(count));
  for (int32_t i = 0; i < count; ++i) {
    Moment moment;
    moment.step = cursor.I32();
    const uint32_t entry = cursor.U32();
    // Lookups rely on the steps rising.
    if (!moments_.empty() && moment.step <= moments_.back().step) {
      throw GameDataError("a time line's moments are out of order");
    }
    if (entry == 0) throw GameDataError("a time-line moment has no event record");
    moment.event = std::make_shared<CEvent>();
    Code_Compile_Action(*moment.event, reader, reader.U32(uint64_t{entry} + 4));
    moments_.push_back(std::move(moment));
  }
}

bool CTimeLine::Compile(int32_t index) {
  CurrentEventScope scope;
  Event_Current.object = index;
  Event_Current.type = kEventTypeTimeLine;
  Event_Current.action = 0;
  for (Moment& moment : moments_) {
    Event_Current.number = moment.step;
    if (!Event_Compile(*moment.event)) return false;
  }
  return true;
}

int32_t CTimeLine::GetMomentTime(int32_t i) const {
  if (i < 0 || i >= GetMomentCount()) return 0;
  return moments_[static_cast<size_t>(i)].step;
}

CEvent* CTimeLine::GetMomentEvent(int32_t i) const {
  if (i < 0 || i >= GetMomentCount()) return nullptr;
  return moments_[static_cast<size_t>(i)].event.get();
}

std::shared_ptr<CEvent> CTimeLine::HoldMomentEvent(int32_t i) const {
  if (i < 0 || i >= GetMomentCount()) return nullptr;
  return moments_[static_cast<size_t>(i)].event;
}

int32_t CTimeLine::FindMomentIndex(int32_t step) const {
  for (size_t i = 0; i < moments_.size(); ++i) {
    if (moments_[i].step == step) return static_cast<int32_t>(i);
  }
  return -1;
}

int32_t CTimeLine::FindMomentAtOrAfter(double t) const {
  if (moments_.empty()) return 0;
  if (t > moments_.back().step) return GetMomentCount();
  for (size_t i = 0; i < moments_.size(); ++i) {
    if (moments_[i].step >= t) return static_cast<int32_t>(i);
  }
  return GetMomentCount();
}

int32_t CTimeLine::FindMomentAtOrBefore(double t) const {
  if (moments_.empty() || moments_.front().step > t) return -1;
  int32_t found = -1;
  for (size_t i = 0; i < moments_.size(); ++i) {
    if (moments_[i].step <= t) found = static_cast<int32_t>(i);
  }
  return found;
}

CEvent* CTimeLine::AddMoment(int32_t step) {
  size_t i = 0;
  while (i < moments_.size() && moments_[i].step < step) ++i;
  if (i < moments_.size() && moments_[i].step == step) return moments_[i].event.get();
  Moment moment;
  moment.step = step;
  moment.event = std::make_shared<CEvent>();
  CEvent* event = moment.event.get();
  moments_.insert(moments_.begin() + static_cast<std::ptrdiff_t>(i), std::move(moment));
  return event;
}

void CTimeLine::ClearMoment(int32_t step) {
  if (moments_.empty()) return;
  size_t i = 0;
  while (i < moments_.size() && moments_[i].step < step) ++i;
  if (i == moments_.size()) i = moments_.size() - 1;
  if (moments_[i].step == step) moments_.erase(moments_.begin() + static_cast<std::ptrdiff_t>(i));
}

// ---- the table ------------------------------------------------------------------------------

void TimeLine_Clear() {
  Table().lines.clear();
  Table().names.clear();
}

void TimeLine_Load(const GameDataReader& reader, ChunkSpan body) {
  TimeLine_InstallHooks();
  const std::vector<uint32_t> list = reader.CountedList(body.offset);
  TimeLineTable& table = Table();
  table.lines.clear();
  table.names.clear();
  table.lines.resize(list.size());
  table.names.resize(list.size());
  for (size_t i = 0; i < list.size(); ++i) {
    if (list[i] == 0) continue;
    auto line = std::make_unique<CTimeLine>();
    line->LoadFromChunk(reader, list[i]);
    table.names[i] = std::string(reader.TextRef(reader.U32(list[i])));
    table.lines[i] = std::move(line);
  }
}

bool TimeLine_Prepare() {
  for (int32_t i = 0; i < TimeLine_GetCount(); ++i) {
    CTimeLine* line = TimeLine_Data(i);
    if (line != nullptr && !line->Compile(i)) return false;
  }
  return true;
}

bool TimeLine_Exists(int32_t index) { return TimeLine_Data(index) != nullptr; }

CTimeLine* TimeLine_Data(int32_t index) {
  if (index < 0 || index >= TimeLine_GetCount()) return nullptr;
  return Table().lines[static_cast<size_t>(index)].get();
}

std::string TimeLine_GetName(int32_t index) {
  if (!TimeLine_Exists(index)) return "<undefined>";
  const auto& name = Table().names[static_cast<size_t>(index)];
  return name ? *name : std::string();
}

int32_t TimeLine_Find(std::string_view name) {
  const TimeLineTable& table = Table();
  for (size_t i = 0; i < table.lines.size(); ++i) {
    if (table.lines[i] && table.names[i] && *table.names[i] == name) return static_cast<int32_t>(i);
  }
  return -1;
}

int32_t TimeLine_GetCount() { return static_cast<int32_t>(Table().lines.size()); }

int32_t TimeLine_Add() { return -1; }

bool TimeLine_Delete(int32_t index) {
  if (!TimeLine_Exists(index)) return false;
  // The slot stays, so the later time lines keep their indices.
  Table().lines[static_cast<size_t>(index)].reset();
  Table().names[static_cast<size_t>(index)].reset();
  return true;
}

void TimeLine_InstallHooks() {
  Error_Hooks().timeLineName = [](int32_t index) -> std::optional<std::string> {
    if (!TimeLine_Exists(index)) return std::nullopt;
    return TimeLine_GetName(index);
  };
}
