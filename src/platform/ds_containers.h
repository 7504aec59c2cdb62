// The data-structure containers of game code: stacks, queues, lists, priority queues
// and grids of script values (maps are in ds_map.h).
//
// Every container keeps copies of the values it is given. Arrays grow 16 entries at
// a time and a slot never written holds the real 0; the queue's text form shows every
// slot, so capacities are kept exactly. Operations outside a container's range do
// nothing or answer null; the ds_* built-ins check container indices.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "script/script_value.h"

// ---- values -----------------------------------------------------------------

// The tolerance of every real comparison (ds_set_precision); 1e-8 at start.
double DS_GetPrecision();
void DS_SetPrecision(double precision);

// -1, 0 or 1. Reals are compared in single precision within the tolerance; a real
// never equals a string (the answer is then 1); strings compare byte by byte as
// unsigned bytes.
int32_t ScriptValue_Compare(const ScriptValue& a, const ScriptValue& b);

enum class DSOperation : int32_t { Set = 1, Add = 2, Multiply = 3 };
// Set copies; Add adds reals or joins strings (a kind mismatch sets); Multiply
// multiplies reals and leaves anything else. Other numbers do nothing.
void ScriptValue_Operate(int32_t op, ScriptValue& target, const ScriptValue& value);

// The random integer source of list and grid shuffles: an integer from 0 to n - 1.
// It is the game's random generator unless a test installs another source.
using DS_RandomBelowFunction = std::function<int32_t(int32_t n)>;
void DS_SetRandomSource(DS_RandomBelowFunction source);
int32_t DS_RandomBelow(int32_t n);

inline constexpr int32_t kDSGrowth = 16;
inline constexpr int32_t kDSMagicStack = 101;
inline constexpr int32_t kDSMagicQueue = 201;
inline constexpr int32_t kDSMagicList = 301;
inline constexpr int32_t kDSMagicPriority = 501;
inline constexpr int32_t kDSMagicGrid = 601;

// ---- stack ------------------------------------------------------------------

class CDS_Stack {
 public:
  void Push(const ScriptValue& value);
  // The top value, which leaves the stack; nothing when empty.
  std::optional<ScriptValue> Pop();
  const ScriptValue* Top() const;
  bool Empty() const { return count_ == 0; }
  int32_t Size() const { return count_; }
  int32_t Capacity() const { return static_cast<int32_t>(values_.size()); }
  void Clear();
  void Copy(const CDS_Stack& other);
  std::string Write() const;
  // False, and the stack unchanged, for a text that is not a whole stack.
  bool Read(std::string_view text);

 private:
  int32_t count_ = 0;
  std::vector<ScriptValue> values_;  // size() is the capacity
};

// ---- queue ------------------------------------------------------------------

class CDS_Queue {
 public:
  void Enqueue(const ScriptValue& value);
  std::optional<ScriptValue> Dequeue();
  const ScriptValue* Head() const;
  const ScriptValue* Tail() const;
  bool Empty() const { return head_ == tail_; }
  int32_t Size() const { return tail_ - head_; }
  int32_t HeadIndex() const { return head_; }
  int32_t TailIndex() const { return tail_; }
  int32_t Capacity() const { return static_cast<int32_t>(values_.size()); }
  void Clear();
  void Copy(const CDS_Queue& other);
  std::string Write() const;
  bool Read(std::string_view text);

 private:
  int32_t tail_ = 0;  // one past the last value
  int32_t head_ = 0;  // the first value
  std::vector<ScriptValue> values_;
};

// ---- list -------------------------------------------------------------------

class CDS_List {
 public:
  void Add(const ScriptValue& value);
  // Positions 0 to Size(); anything else does nothing.
  void Insert(int32_t position, const ScriptValue& value);
  void Replace(int32_t position, const ScriptValue& value);
  void Delete(int32_t position);
  int32_t FindIndex(const ScriptValue& value) const;
  const ScriptValue* FindValue(int32_t position) const;
  // ascending 1 or descending 0; other flags sort nothing.
  void Sort(int32_t ascending);
  void Shuffle();
  bool Empty() const { return count_ == 0; }
  int32_t Size() const { return count_; }
  int32_t Capacity() const { return static_cast<int32_t>(values_.size()); }
  void Clear();
  void Copy(const CDS_List& other);
  std::string Write() const;
  bool Read(std::string_view text);

 private:
  void Grow();
  int32_t count_ = 0;
  std::vector<ScriptValue> values_;
};

// ---- priority queue ---------------------------------------------------------

class CDS_Priority {
 public:
  void Add(const ScriptValue& value, const ScriptValue& priority);
  void ChangePriority(const ScriptValue& value, const ScriptValue& priority);
  const ScriptValue* FindPriority(const ScriptValue& value) const;
  void DeleteValue(const ScriptValue& value);
  // The value of the smallest (largest) priority, first of equals; the real 0 when empty.
  ScriptValue DeleteMin();
  ScriptValue DeleteMax();
  const ScriptValue* FindMin() const;
  const ScriptValue* FindMax() const;
  bool Empty() const { return count_ == 0; }
  int32_t Size() const { return count_; }
  int32_t Capacity() const { return static_cast<int32_t>(values_.size()); }
  // Storage order, for the text form and for tests.
  const ScriptValue& ValueAt(int32_t i) const { return values_[size_t(i)]; }
  const ScriptValue& PriorityAt(int32_t i) const { return priorities_[size_t(i)]; }
  void Clear();
  void Copy(const CDS_Priority& other);
  std::string Write() const;
  bool Read(std::string_view text);

 private:
  int32_t FindExtreme(int32_t wanted) const;
  int32_t FindEntry(const ScriptValue& value) const;
  ScriptValue RemoveAt(int32_t index);
  int32_t count_ = 0;
  std::vector<ScriptValue> values_;      // both arrays always have the same size
  std::vector<ScriptValue> priorities_;
};

// ---- grid -------------------------------------------------------------------

class CDS_Grid {
 public:
  CDS_Grid() = default;
  CDS_Grid(int32_t width, int32_t height) { Resize(width, height); }

  // Negative sizes count as 0.
  void Resize(int32_t width, int32_t height);
  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  void Clear(const ScriptValue& value);
  const ScriptValue* Get(int32_t x, int32_t y) const;

  void OperateCell(int32_t op, int32_t x, int32_t y, const ScriptValue& value);
  void OperateRegion(int32_t op, int32_t x1, int32_t y1, int32_t x2, int32_t y2, const ScriptValue& value);
  void OperateDisk(int32_t op, double xm, double ym, double r, const ScriptValue& value);
  // Applies each cell of a region of source (which may be this grid) to the cells
  // at (xpos, ypos) onwards, clipped to both grids.
  void OperateGridRegion(int32_t op, const CDS_Grid& source, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                         int32_t xpos, int32_t ypos);

  double GetSum(int32_t x1, int32_t y1, int32_t x2, int32_t y2) const;
  double GetMax(int32_t x1, int32_t y1, int32_t x2, int32_t y2) const;
  double GetMin(int32_t x1, int32_t y1, int32_t x2, int32_t y2) const;
  double GetMean(int32_t x1, int32_t y1, int32_t x2, int32_t y2) const;
  double GetDiskSum(double xm, double ym, double r) const;
  double GetDiskMax(double xm, double ym, double r) const;
  double GetDiskMin(double xm, double ym, double r) const;
  double GetDiskMean(double xm, double ym, double r) const;

  double ValueExists(int32_t x1, int32_t y1, int32_t x2, int32_t y2, const ScriptValue& value) const;
  double ValueX(int32_t x1, int32_t y1, int32_t x2, int32_t y2, const ScriptValue& value) const;
  double ValueY(int32_t x1, int32_t y1, int32_t x2, int32_t y2, const ScriptValue& value) const;
  double ValueDiskExists(double xm, double ym, double r, const ScriptValue& value) const;
  double ValueDiskX(double xm, double ym, double r, const ScriptValue& value) const;
  double ValueDiskY(double xm, double ym, double r, const ScriptValue& value) const;

  void Shuffle();
  void Copy(const CDS_Grid& other);
  std::string Write() const;
  bool Read(std::string_view text);

 private:
  struct Box {
    int32_t x1, y1, x2, y2;
  };
  struct Disk {
    double xm, ym, r;
    int64_t x1, y1, x2, y2;
  };
  Box ClipRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2) const;
  Disk DiskBox(double xm, double ym, double r) const;
  static bool InDisk(const Disk& d, int64_t x, int64_t y);
  // Calls visit(x, y, cell) in scan order (x outer, y inner); visit answers false to stop.
  template <typename Visit>
  void ScanRect(const Box& box, Visit&& visit) const;
  template <typename Visit>
  void ScanDisk(const Disk& disk, Visit&& visit) const;
  // Statistics over the real cells of a region; the bounds answer for a region without any.
  struct Stats {
    double sum = 0.0, max = 0.0, min = 0.0;
    int64_t reals = 0;
    double Max() const;
    double Min() const;
    double Mean() const;
  };
  static void Accumulate(Stats& stats, const ScriptValue& cell);
  struct Found {
    bool found = false;
    int32_t x = 0, y = 0;
  };
  Stats RectStats(const Box& box) const;
  Stats DiskStats(const Disk& disk) const;
  Found RectFind(const Box& box, const ScriptValue& value) const;
  Found DiskFind(const Disk& disk, const ScriptValue& value) const;

  int32_t width_ = 0;
  int32_t height_ = 0;
  std::vector<std::vector<ScriptValue>> columns_;  // cell (x, y) is columns_[x][y]
};
