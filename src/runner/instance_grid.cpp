#include "runner/instance_grid.h"

#include <algorithm>

#include "runner/instance.h"

namespace {

// Cells of a box wider or taller than this many go to the large list instead.
constexpr int64_t kMostCells = 16;

int32_t CellOf(int32_t coordinate) {
  return coordinate >= 0 ? coordinate / CInstanceGrid::kCellSize
                         : -((-(coordinate + 1)) / CInstanceGrid::kCellSize) - 1;
}

void Erase(std::vector<CInstance*>& list, CInstance* instance) {
  auto it = std::find(list.begin(), list.end(), instance);
  if (it == list.end()) return;
  *it = list.back();
  list.pop_back();
}

}  // namespace

CInstanceGrid::~CInstanceGrid() {
  for (CInstance* member : members_) member->gridEntry = InstanceGridEntry{};
}

void CInstanceGrid::Add(CInstance& instance) {
  if (instance.gridEntry.grid == this) return;
  if (instance.gridEntry.grid != nullptr) instance.gridEntry.grid->Remove(instance);
  instance.gridEntry = InstanceGridEntry{};
  instance.gridEntry.grid = this;
  instance.gridEntry.member = static_cast<int32_t>(members_.size());
  members_.push_back(&instance);
  if (instance.bboxDirty) {
    Queue(instance);
  } else {
    Place(instance);
  }
}

void CInstanceGrid::Remove(CInstance& instance) {
  InstanceGridEntry& entry = instance.gridEntry;
  if (entry.grid != this) return;
  Leave(instance);
  if (entry.queued) Erase(queued_, &instance);
  const size_t at = static_cast<size_t>(entry.member);
  members_[at] = members_.back();
  members_[at]->gridEntry.member = entry.member;
  members_.pop_back();
  entry = InstanceGridEntry{};
}

void CInstanceGrid::Queue(CInstance& instance) {
  if (instance.gridEntry.grid != this || instance.gridEntry.queued) return;
  instance.gridEntry.queued = true;
  queued_.push_back(&instance);
}

void CInstanceGrid::Leave(CInstance& instance) {
  InstanceGridEntry& entry = instance.gridEntry;
  if (entry.large) {
    Erase(large_, &instance);
    entry.large = false;
  }
  for (int32_t cy = entry.top; cy <= entry.bottom; ++cy) {
    for (int32_t cx = entry.left; cx <= entry.right; ++cx) {
      auto cell = cells_.find(Key(cx, cy));
      if (cell == cells_.end()) continue;
      Erase(cell->second, &instance);
      if (cell->second.empty()) cells_.erase(cell);
    }
  }
  entry.left = entry.top = 0;
  entry.right = entry.bottom = -1;
}

void CInstanceGrid::Place(CInstance& instance) {
  InstanceGridEntry& entry = instance.gridEntry;
  if (entry.grid != this) return;
  if (instance.bbox_left == kNoBoundingBox && instance.bbox_top == kNoBoundingBox &&
      instance.bbox_right == kNoBoundingBox && instance.bbox_bottom == kNoBoundingBox) {
    Leave(instance);
    return;
  }
  const int32_t left = CellOf(std::min(instance.bbox_left, instance.bbox_right));
  const int32_t right = CellOf(std::max(instance.bbox_left, instance.bbox_right));
  const int32_t top = CellOf(std::min(instance.bbox_top, instance.bbox_bottom));
  const int32_t bottom = CellOf(std::max(instance.bbox_top, instance.bbox_bottom));
  const bool large = static_cast<int64_t>(right) - left + 1 > kMostCells ||
                     static_cast<int64_t>(bottom) - top + 1 > kMostCells;
  if (large) {
    if (entry.large) return;
    Leave(instance);
    entry.large = true;
    large_.push_back(&instance);
    return;
  }
  if (!entry.large && entry.left == left && entry.top == top && entry.right == right && entry.bottom == bottom) {
    return;
  }
  Leave(instance);
  entry.left = left;
  entry.top = top;
  entry.right = right;
  entry.bottom = bottom;
  for (int32_t cy = top; cy <= bottom; ++cy) {
    for (int32_t cx = left; cx <= right; ++cx) cells_[Key(cx, cy)].push_back(&instance);
  }
}

void CInstanceGrid::Candidates(int32_t left, int32_t top, int32_t right, int32_t bottom,
                               std::vector<CInstance*>& out) {
  out.clear();
  // Computing a box places the instance (and may queue nothing new).
  std::vector<CInstance*> queued;
  queued.swap(queued_);
  for (CInstance* instance : queued) {
    instance->gridEntry.queued = false;
    instance->EnsureBoundingBox();
    Place(*instance);
  }
  if (++stamp_ == 0) {
    for (CInstance* member : members_) member->gridEntry.stamp = 0;
    stamp_ = 1;
  }
  auto take = [&](CInstance* instance) {
    if (instance->gridEntry.stamp == stamp_) return;
    instance->gridEntry.stamp = stamp_;
    out.push_back(instance);
  };
  for (CInstance* instance : large_) take(instance);
  const int64_t x1 = CellOf(std::min(left, right)), x2 = CellOf(std::max(left, right));
  const int64_t y1 = CellOf(std::min(top, bottom)), y2 = CellOf(std::max(top, bottom));
  if ((x2 - x1 + 1) * (y2 - y1 + 1) > static_cast<int64_t>(cells_.size())) {
    // A box over more cells than are filled: every filled cell is looked at instead.
    for (auto& [key, members] : cells_) {
      const int32_t cx = static_cast<int32_t>(key >> 32), cy = static_cast<int32_t>(static_cast<uint32_t>(key));
      if (cx < x1 || cx > x2 || cy < y1 || cy > y2) continue;
      for (CInstance* instance : members) take(instance);
    }
    return;
  }
  for (int64_t cy = y1; cy <= y2; ++cy) {
    for (int64_t cx = x1; cx <= x2; ++cx) {
      auto cell = cells_.find(Key(static_cast<int32_t>(cx), static_cast<int32_t>(cy)));
      if (cell == cells_.end()) continue;
      for (CInstance* instance : cell->second) take(instance);
    }
  }
}
