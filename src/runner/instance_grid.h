// A uniform grid over the bounding boxes of the instances of a list (a running room's active
// instances), so that the collision queries test only the instances near the place asked
// about. Instances whose box changes are queued and put in their new cells when a query next
// asks; an instance with no box is in no cell (it can meet nothing).
#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

class CInstance;

class CInstanceGrid {
 public:
  static constexpr int32_t kCellSize = 64;

  CInstanceGrid() = default;
  ~CInstanceGrid();
  CInstanceGrid(const CInstanceGrid&) = delete;
  CInstanceGrid& operator=(const CInstanceGrid&) = delete;

  void Add(CInstance& instance);
  void Remove(CInstance& instance);
  // The instance's box is to be computed again before the next query.
  void Queue(CInstance& instance);
  // The instance's box was computed: it moves to the cells under it.
  void Place(CInstance& instance);
  // Every member whose box may meet the box from (left, top) to (right, bottom), each once, in
  // no particular order; the queued boxes are brought up to date first.
  void Candidates(int32_t left, int32_t top, int32_t right, int32_t bottom, std::vector<CInstance*>& out);
  int32_t Count() const { return static_cast<int32_t>(members_.size()); }

 private:
  void Leave(CInstance& instance);
  static int64_t Key(int32_t cx, int32_t cy) {
    return (static_cast<int64_t>(cx) << 32) | static_cast<uint32_t>(cy);
  }

  std::unordered_map<int64_t, std::vector<CInstance*>> cells_;
  std::vector<CInstance*> large_;  // boxes over too many cells: always candidates
  std::vector<CInstance*> members_;
  std::vector<CInstance*> queued_;
  uint32_t stamp_ = 0;
};

// What the grid keeps in each instance.
struct InstanceGridEntry {
  CInstanceGrid* grid = nullptr;  // the grid the instance is in, if any (not owned)
  int32_t member = -1;            // its place in the grid's members
  int32_t left = 0, top = 0, right = -1, bottom = -1;  // the cells it is in (none when right < left)
  uint32_t stamp = 0;             // the last query that counted it
  bool queued = false;
  bool large = false;
};
