#include "platform/ds_containers.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "platform/byte_codec.h"
#include "platform/conversions.h"
#include "platform/random.h"

namespace {

double g_DSEpsilon = 1e-8;

DS_RandomBelowFunction g_RandomSource;

// Keeps a drawn position inside 0..n-1 whatever the installed source answers.
int32_t DrawBelow(int32_t n) {
  int32_t r = DS_RandomBelow(n);
  return (r < 0 || r >= n) ? 0 : r;
}

// Text forms: the family's magic number, then its fields, as byte_codec bytes spelled in
// hexadecimal. A reader changes its container only once the whole form has been read.
template <typename WriteFields>
std::string WriteTextForm(int32_t magic, WriteFields writeFields) {
  ByteWriter w;
  w.WriteInteger(magic);
  writeFields(w);
  return Hex_Encode(w.Bytes());
}

// Decodes the text, checks its magic number and hands the rest to readFields.
template <typename ReadFields>
bool ReadTextForm(std::string_view text, int32_t magic, ReadFields readFields) {
  std::vector<uint8_t> bytes;
  if (!Hex_Decode(text, bytes)) return false;
  ByteReader r(bytes);
  int32_t found;
  if (!r.ReadInteger(found) || found != magic) return false;
  return readFields(r);
}

void WriteValues(ByteWriter& w, const std::vector<ScriptValue>& values, int32_t count) {
  for (int32_t i = 0; i < count; ++i) w.WriteValue(values[size_t(i)]);
}

// count values, refused before anything is allocated when they cannot all be there.
bool ReadValues(ByteReader& r, int32_t count, std::vector<ScriptValue>& out) {
  if (!r.CanHold(count, kStoredValueMinBytes)) return false;
  std::vector<ScriptValue> values(static_cast<size_t>(count));
  for (ScriptValue& v : values)
    if (!r.ReadContainerValue(v)) return false;
  out = std::move(values);
  return true;
}

// The form of stacks and lists: the count, then that many values.
std::string WriteCountedForm(int32_t magic, const std::vector<ScriptValue>& values, int32_t count) {
  return WriteTextForm(magic, [&](ByteWriter& w) {
    w.WriteInteger(count);
    WriteValues(w, values, count);
  });
}

bool ReadCountedForm(std::string_view text, int32_t magic, std::vector<ScriptValue>& values, int32_t& count) {
  return ReadTextForm(text, magic, [&](ByteReader& r) {
    int32_t readCount;
    std::vector<ScriptValue> readValues;
    if (!r.ReadInteger(readCount) || !ReadValues(r, readCount, readValues)) return false;
    values = std::move(readValues);
    count = readCount;
    return true;
  });
}

}  // namespace

// ---- values -----------------------------------------------------------------

double DS_GetPrecision() { return g_DSEpsilon; }
void DS_SetPrecision(double precision) { g_DSEpsilon = std::fabs(precision); }

void DS_SetRandomSource(DS_RandomBelowFunction source) { g_RandomSource = std::move(source); }

int32_t DS_RandomBelow(int32_t n) { return g_RandomSource ? g_RandomSource(n) : Random_Below(n); }

int32_t ScriptValue_Compare(const ScriptValue& a, const ScriptValue& b) {
  if (a.IsReal() && b.IsReal()) {
    double fa = Conv_ToFloat(a.real);
    double fb = Conv_ToFloat(b.real);
    float difference = Conv_ToFloat(fa - fb);
    if (g_DSEpsilon > double(std::fabs(difference))) return 0;
    return difference < 0.0f ? -1 : 1;
  }
  if (!a.IsString() || !b.IsString()) return 1;
  int c = a.Text().compare(b.Text());  // std::char_traits<char> compares as unsigned bytes
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

void ScriptValue_Operate(int32_t op, ScriptValue& target, const ScriptValue& value) {
  switch (static_cast<DSOperation>(op)) {
    case DSOperation::Set:
      target = value;
      break;
    case DSOperation::Add:
      if (target.IsReal() && value.IsReal()) {
        target.real += value.real;
      } else if (target.IsString() && value.IsString()) {
        target.AppendText(value.Text());
      } else {
        target = value;
      }
      break;
    case DSOperation::Multiply:
      if (target.IsReal() && value.IsReal()) target.real *= value.real;
      break;
    default:
      break;
  }
}

// ---- stack ------------------------------------------------------------------

void CDS_Stack::Push(const ScriptValue& value) {
  if (count_ >= Capacity()) values_.resize(size_t(count_) + kDSGrowth);
  values_[size_t(count_++)] = value;
}

std::optional<ScriptValue> CDS_Stack::Pop() {
  if (count_ <= 0) return std::nullopt;
  return values_[size_t(--count_)];
}

const ScriptValue* CDS_Stack::Top() const { return count_ > 0 ? &values_[size_t(count_ - 1)] : nullptr; }

void CDS_Stack::Clear() {
  for (ScriptValue& v : values_) v = ScriptValue();
  count_ = 0;
}

void CDS_Stack::Copy(const CDS_Stack& other) {
  if (this != &other) *this = other;
}

std::string CDS_Stack::Write() const { return WriteCountedForm(kDSMagicStack, values_, count_); }

bool CDS_Stack::Read(std::string_view text) { return ReadCountedForm(text, kDSMagicStack, values_, count_); }

// ---- queue ------------------------------------------------------------------

void CDS_Queue::Enqueue(const ScriptValue& value) {
  if (tail_ >= Capacity()) values_.resize(size_t(tail_) + kDSGrowth);
  values_[size_t(tail_++)] = value;
}

std::optional<ScriptValue> CDS_Queue::Dequeue() {
  if (head_ >= tail_) return std::nullopt;
  ScriptValue given = values_[size_t(head_++)];
  if (head_ >= 17 && head_ > tail_ / 2) {
    // Copy the live values to the start. The slots above keep what they held (the text
    // form shows every slot); live < head, so no copied value is overwritten first.
    int32_t live = tail_ - head_;
    for (int32_t i = 0; i < live; ++i) values_[size_t(i)] = values_[size_t(head_ + i)];
    tail_ = live;
    head_ = 0;
  }
  return given;
}

const ScriptValue* CDS_Queue::Head() const { return head_ < tail_ ? &values_[size_t(head_)] : nullptr; }
const ScriptValue* CDS_Queue::Tail() const { return head_ < tail_ ? &values_[size_t(tail_ - 1)] : nullptr; }

void CDS_Queue::Clear() {
  for (ScriptValue& v : values_) v = ScriptValue();
  head_ = tail_ = 0;
}

void CDS_Queue::Copy(const CDS_Queue& other) {
  if (this != &other) *this = other;
}

std::string CDS_Queue::Write() const {
  return WriteTextForm(kDSMagicQueue, [this](ByteWriter& w) {
    w.WriteInteger(tail_);
    w.WriteInteger(head_);
    w.WriteInteger(Capacity());
    WriteValues(w, values_, Capacity());
  });
}

bool CDS_Queue::Read(std::string_view text) {
  return ReadTextForm(text, kDSMagicQueue, [this](ByteReader& r) {
    int32_t tail, head, capacity;
    if (!r.ReadInteger(tail) || !r.ReadInteger(head) || !r.ReadInteger(capacity)) return false;
    if (head < 0 || head > tail || tail > capacity) return false;
    std::vector<ScriptValue> values;
    if (!ReadValues(r, capacity, values)) return false;
    values_ = std::move(values);
    tail_ = tail;
    head_ = head;
    return true;
  });
}

// ---- list -------------------------------------------------------------------

void CDS_List::Grow() {
  if (count_ >= Capacity()) values_.resize(size_t(count_) + kDSGrowth);
}

void CDS_List::Add(const ScriptValue& value) {
  Grow();
  values_[size_t(count_++)] = value;
}

void CDS_List::Insert(int32_t position, const ScriptValue& value) {
  if (position < 0 || position > count_) return;
  Grow();
  for (int32_t i = count_; i > position; --i) values_[size_t(i)] = std::move(values_[size_t(i - 1)]);
  values_[size_t(position)] = value;
  ++count_;
}

void CDS_List::Replace(int32_t position, const ScriptValue& value) {
  if (position < 0 || position >= count_) return;
  values_[size_t(position)] = value;
}

void CDS_List::Delete(int32_t position) {
  if (position < 0 || position >= count_) return;
  for (int32_t i = position; i < count_ - 1; ++i) values_[size_t(i)] = std::move(values_[size_t(i + 1)]);
  values_[size_t(--count_)] = ScriptValue();
}

int32_t CDS_List::FindIndex(const ScriptValue& value) const {
  for (int32_t i = 0; i < count_; ++i)
    if (ScriptValue_Compare(values_[size_t(i)], value) == 0) return i;
  return -1;
}

const ScriptValue* CDS_List::FindValue(int32_t position) const {
  return (position >= 0 && position < count_) ? &values_[size_t(position)] : nullptr;
}

void CDS_List::Sort(int32_t ascending) {
  if (ascending != 0 && ascending != 1) return;
  for (int32_t i = 1; i < count_; ++i) {
    for (int32_t j = i; j > 0; --j) {
      int32_t c = ScriptValue_Compare(values_[size_t(j - 1)], values_[size_t(j)]);
      bool swap = ascending == 1 ? c == 1 : c <= 0;
      if (!swap) break;
      std::swap(values_[size_t(j - 1)], values_[size_t(j)]);
    }
  }
}

void CDS_List::Shuffle() {
  int64_t swaps = int64_t(count_) * 8;
  for (int64_t k = 0; k < swaps; ++k) {
    int32_t a = DrawBelow(count_);
    int32_t b = DrawBelow(count_);
    std::swap(values_[size_t(a)], values_[size_t(b)]);
  }
}

void CDS_List::Clear() {
  for (ScriptValue& v : values_) v = ScriptValue();
  count_ = 0;
}

void CDS_List::Copy(const CDS_List& other) {
  if (this != &other) *this = other;
}

std::string CDS_List::Write() const { return WriteCountedForm(kDSMagicList, values_, count_); }

bool CDS_List::Read(std::string_view text) { return ReadCountedForm(text, kDSMagicList, values_, count_); }

// ---- priority queue ---------------------------------------------------------

void CDS_Priority::Add(const ScriptValue& value, const ScriptValue& priority) {
  if (count_ >= Capacity()) {
    values_.resize(size_t(count_) + kDSGrowth);
    priorities_.resize(size_t(count_) + kDSGrowth);
  }
  values_[size_t(count_)] = value;
  priorities_[size_t(count_)] = priority;
  ++count_;
}

int32_t CDS_Priority::FindEntry(const ScriptValue& value) const {
  for (int32_t i = 0; i < count_; ++i)
    if (ScriptValue_Compare(values_[size_t(i)], value) == 0) return i;
  return -1;
}

int32_t CDS_Priority::FindExtreme(int32_t wanted) const {
  if (count_ <= 0) return -1;
  int32_t best = 0;
  for (int32_t i = 1; i < count_; ++i)
    if (ScriptValue_Compare(priorities_[size_t(i)], priorities_[size_t(best)]) == wanted) best = i;
  return best;
}

ScriptValue CDS_Priority::RemoveAt(int32_t index) {
  ScriptValue given = std::move(values_[size_t(index)]);
  int32_t last = count_ - 1;
  if (index != last) {
    values_[size_t(index)] = std::move(values_[size_t(last)]);
    priorities_[size_t(index)] = std::move(priorities_[size_t(last)]);
  }
  values_[size_t(last)] = ScriptValue();
  priorities_[size_t(last)] = ScriptValue();
  count_ = last;
  return given;
}

void CDS_Priority::ChangePriority(const ScriptValue& value, const ScriptValue& priority) {
  int32_t i = FindEntry(value);
  if (i >= 0) priorities_[size_t(i)] = priority;
}

const ScriptValue* CDS_Priority::FindPriority(const ScriptValue& value) const {
  int32_t i = FindEntry(value);
  return i >= 0 ? &priorities_[size_t(i)] : nullptr;
}

void CDS_Priority::DeleteValue(const ScriptValue& value) {
  int32_t i = FindEntry(value);
  if (i >= 0) RemoveAt(i);
}

ScriptValue CDS_Priority::DeleteMin() {
  int32_t i = FindExtreme(-1);
  return i >= 0 ? RemoveAt(i) : ScriptValue();
}

ScriptValue CDS_Priority::DeleteMax() {
  int32_t i = FindExtreme(1);
  return i >= 0 ? RemoveAt(i) : ScriptValue();
}

const ScriptValue* CDS_Priority::FindMin() const {
  int32_t i = FindExtreme(-1);
  return i >= 0 ? &values_[size_t(i)] : nullptr;
}

const ScriptValue* CDS_Priority::FindMax() const {
  int32_t i = FindExtreme(1);
  return i >= 0 ? &values_[size_t(i)] : nullptr;
}

void CDS_Priority::Clear() {
  values_.clear();
  priorities_.clear();
  count_ = 0;
}

void CDS_Priority::Copy(const CDS_Priority& other) {
  if (this != &other) *this = other;
}

std::string CDS_Priority::Write() const {
  return WriteTextForm(kDSMagicPriority, [this](ByteWriter& w) {
    w.WriteInteger(count_);
    WriteValues(w, priorities_, count_);
    WriteValues(w, values_, count_);
  });
}

bool CDS_Priority::Read(std::string_view text) {
  return ReadTextForm(text, kDSMagicPriority, [this](ByteReader& r) {
    int32_t count;
    if (!r.ReadInteger(count) || !r.CanHold(int64_t(count) * 2, kStoredValueMinBytes)) return false;
    std::vector<ScriptValue> priorities, values;
    if (!ReadValues(r, count, priorities) || !ReadValues(r, count, values)) return false;
    priorities_ = std::move(priorities);
    values_ = std::move(values);
    count_ = count;
    return true;
  });
}

// ---- grid -------------------------------------------------------------------

void CDS_Grid::Resize(int32_t width, int32_t height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  columns_.resize(size_t(width));
  for (auto& column : columns_) column.resize(size_t(height));
  width_ = width;
  height_ = height;
}

void CDS_Grid::Clear(const ScriptValue& value) {
  for (auto& column : columns_)
    for (ScriptValue& cell : column) cell = value;
}

const ScriptValue* CDS_Grid::Get(int32_t x, int32_t y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return nullptr;
  return &columns_[size_t(x)][size_t(y)];
}

CDS_Grid::Box CDS_Grid::ClipRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2) const {
  return Box{std::max(std::min(x1, x2), 0), std::max(std::min(y1, y2), 0),
             std::min(std::max(x1, x2), width_ - 1), std::min(std::max(y1, y2), height_ - 1)};
}

CDS_Grid::Disk CDS_Grid::DiskBox(double xm, double ym, double r) const {
  // The box is clamped in doubles first, so huge or NaN coordinates give an empty box.
  auto low = [](double v) { return std::isnan(v) ? 1.0 : std::max(0.0, std::floor(v)); };
  auto high = [](double v, int32_t size) {
    return std::isnan(v) ? -1.0 : std::min(double(size) - 1.0, std::ceil(v));
  };
  Disk d{xm, ym, r, 0, 0, -1, -1};
  double x1 = low(xm - r), x2 = high(xm + r, width_);
  double y1 = low(ym - r), y2 = high(ym + r, height_);
  if (x1 > x2 || y1 > y2) return d;
  d.x1 = int64_t(x1);
  d.x2 = int64_t(x2);
  d.y1 = int64_t(y1);
  d.y2 = int64_t(y2);
  return d;
}

bool CDS_Grid::InDisk(const Disk& d, int64_t x, int64_t y) {
  double dx = double(x) - d.xm;
  double dy = double(y) - d.ym;
  return d.r * d.r >= dx * dx + dy * dy;
}

template <typename Visit>
void CDS_Grid::ScanRect(const Box& box, Visit&& visit) const {
  for (int32_t x = box.x1; x <= box.x2; ++x)
    for (int32_t y = box.y1; y <= box.y2; ++y)
      if (!visit(x, y, columns_[size_t(x)][size_t(y)])) return;
}

template <typename Visit>
void CDS_Grid::ScanDisk(const Disk& disk, Visit&& visit) const {
  for (int64_t x = disk.x1; x <= disk.x2; ++x)
    for (int64_t y = disk.y1; y <= disk.y2; ++y)
      if (InDisk(disk, x, y) && !visit(int32_t(x), int32_t(y), columns_[size_t(x)][size_t(y)])) return;
}

void CDS_Grid::OperateCell(int32_t op, int32_t x, int32_t y, const ScriptValue& value) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  ScriptValue_Operate(op, columns_[size_t(x)][size_t(y)], value);
}

void CDS_Grid::OperateRegion(int32_t op, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                             const ScriptValue& value) {
  Box box = ClipRect(x1, y1, x2, y2);
  for (int32_t x = box.x1; x <= box.x2; ++x)
    for (int32_t y = box.y1; y <= box.y2; ++y) ScriptValue_Operate(op, columns_[size_t(x)][size_t(y)], value);
}

void CDS_Grid::OperateDisk(int32_t op, double xm, double ym, double r, const ScriptValue& value) {
  Disk disk = DiskBox(xm, ym, r);
  for (int64_t x = disk.x1; x <= disk.x2; ++x)
    for (int64_t y = disk.y1; y <= disk.y2; ++y)
      if (InDisk(disk, x, y)) ScriptValue_Operate(op, columns_[size_t(x)][size_t(y)], value);
}

void CDS_Grid::OperateGridRegion(int32_t op, const CDS_Grid& source, int32_t x1, int32_t y1, int32_t x2,
                                 int32_t y2, int32_t xpos, int32_t ypos) {
  Box box = source.ClipRect(x1, y1, x2, y2);
  int64_t sx1 = box.x1, sy1 = box.y1, sx2 = box.x2, sy2 = box.y2;
  int64_t tx = xpos, ty = ypos;
  if (tx < 0) {
    sx1 -= tx;
    tx = 0;
  }
  if (ty < 0) {
    sy1 -= ty;
    ty = 0;
  }
  // The region keeps only what fits into this grid from (tx, ty) on.
  sx2 = std::min(sx2, sx1 + (int64_t(width_) - 1 - tx));
  sy2 = std::min(sy2, sy1 + (int64_t(height_) - 1 - ty));
  if (sx1 > sx2 || sy1 > sy2) return;
  // Reading the whole region first gives the same cells as copying in the direction
  // that reads each source cell before it is overwritten, also when source is this grid.
  std::vector<std::vector<ScriptValue>> region;
  region.reserve(size_t(sx2 - sx1 + 1));
  for (int64_t sx = sx1; sx <= sx2; ++sx) {
    const auto& column = source.columns_[size_t(sx)];
    region.emplace_back(column.begin() + sy1, column.begin() + sy2 + 1);
  }
  for (int64_t i = 0; i <= sx2 - sx1; ++i)
    for (int64_t j = 0; j <= sy2 - sy1; ++j)
      ScriptValue_Operate(op, columns_[size_t(tx + i)][size_t(ty + j)], region[size_t(i)][size_t(j)]);
}

void CDS_Grid::Accumulate(Stats& stats, const ScriptValue& cell) {
  if (!cell.IsReal()) return;
  if (stats.reals == 0) {
    stats.max = stats.min = cell.real;
  } else {
    if (cell.real > stats.max) stats.max = cell.real;
    if (cell.real < stats.min) stats.min = cell.real;
  }
  stats.sum += cell.real;
  ++stats.reals;
}

namespace {
constexpr double kNoRealMax = -100000000.0;
constexpr double kNoRealMin = 100000000.0;
}  // namespace

CDS_Grid::Stats CDS_Grid::RectStats(const Box& box) const {
  Stats stats;
  ScanRect(box, [&](int32_t, int32_t, const ScriptValue& cell) {
    Accumulate(stats, cell);
    return true;
  });
  return stats;
}

CDS_Grid::Stats CDS_Grid::DiskStats(const Disk& disk) const {
  Stats stats;
  ScanDisk(disk, [&](int32_t, int32_t, const ScriptValue& cell) {
    Accumulate(stats, cell);
    return true;
  });
  return stats;
}

CDS_Grid::Found CDS_Grid::RectFind(const Box& box, const ScriptValue& value) const {
  Found found;
  ScanRect(box, [&](int32_t x, int32_t y, const ScriptValue& cell) {
    if (ScriptValue_Compare(cell, value) != 0) return true;
    found = Found{true, x, y};
    return false;
  });
  return found;
}

CDS_Grid::Found CDS_Grid::DiskFind(const Disk& disk, const ScriptValue& value) const {
  Found found;
  ScanDisk(disk, [&](int32_t x, int32_t y, const ScriptValue& cell) {
    if (ScriptValue_Compare(cell, value) != 0) return true;
    found = Found{true, x, y};
    return false;
  });
  return found;
}

double CDS_Grid::Stats::Max() const { return reals ? max : kNoRealMax; }
double CDS_Grid::Stats::Min() const { return reals ? min : kNoRealMin; }
double CDS_Grid::Stats::Mean() const { return reals ? sum / double(reals) : 0.0; }

double CDS_Grid::GetSum(int32_t x1, int32_t y1, int32_t x2, int32_t y2) const {
  return RectStats(ClipRect(x1, y1, x2, y2)).sum;
}
double CDS_Grid::GetMax(int32_t x1, int32_t y1, int32_t x2, int32_t y2) const {
  return RectStats(ClipRect(x1, y1, x2, y2)).Max();
}
double CDS_Grid::GetMin(int32_t x1, int32_t y1, int32_t x2, int32_t y2) const {
  return RectStats(ClipRect(x1, y1, x2, y2)).Min();
}
double CDS_Grid::GetMean(int32_t x1, int32_t y1, int32_t x2, int32_t y2) const {
  return RectStats(ClipRect(x1, y1, x2, y2)).Mean();
}
double CDS_Grid::GetDiskSum(double xm, double ym, double r) const { return DiskStats(DiskBox(xm, ym, r)).sum; }
double CDS_Grid::GetDiskMax(double xm, double ym, double r) const { return DiskStats(DiskBox(xm, ym, r)).Max(); }
double CDS_Grid::GetDiskMin(double xm, double ym, double r) const { return DiskStats(DiskBox(xm, ym, r)).Min(); }
double CDS_Grid::GetDiskMean(double xm, double ym, double r) const {
  return DiskStats(DiskBox(xm, ym, r)).Mean();
}

double CDS_Grid::ValueExists(int32_t x1, int32_t y1, int32_t x2, int32_t y2, const ScriptValue& value) const {
  return RectFind(ClipRect(x1, y1, x2, y2), value).found ? 1.0 : 0.0;
}
double CDS_Grid::ValueX(int32_t x1, int32_t y1, int32_t x2, int32_t y2, const ScriptValue& value) const {
  return RectFind(ClipRect(x1, y1, x2, y2), value).x;
}
double CDS_Grid::ValueY(int32_t x1, int32_t y1, int32_t x2, int32_t y2, const ScriptValue& value) const {
  return RectFind(ClipRect(x1, y1, x2, y2), value).y;
}
double CDS_Grid::ValueDiskExists(double xm, double ym, double r, const ScriptValue& value) const {
  return DiskFind(DiskBox(xm, ym, r), value).found ? 1.0 : 0.0;
}
double CDS_Grid::ValueDiskX(double xm, double ym, double r, const ScriptValue& value) const {
  return DiskFind(DiskBox(xm, ym, r), value).x;
}
double CDS_Grid::ValueDiskY(double xm, double ym, double r, const ScriptValue& value) const {
  return DiskFind(DiskBox(xm, ym, r), value).y;
}

void CDS_Grid::Shuffle() {
  int64_t swaps = int64_t(width_) * height_ * 8;
  for (int64_t k = 0; k < swaps; ++k) {
    int32_t xa = DrawBelow(width_);
    int32_t xb = DrawBelow(width_);
    int32_t ya = DrawBelow(height_);
    int32_t yb = DrawBelow(height_);
    std::swap(columns_[size_t(xa)][size_t(ya)], columns_[size_t(xb)][size_t(yb)]);
  }
}

void CDS_Grid::Copy(const CDS_Grid& other) {
  if (this != &other) *this = other;
}

std::string CDS_Grid::Write() const {
  return WriteTextForm(kDSMagicGrid, [this](ByteWriter& w) {
    w.WriteInteger(width_);
    w.WriteInteger(height_);
    for (const auto& column : columns_)
      for (const ScriptValue& cell : column) w.WriteValue(cell);
  });
}

bool CDS_Grid::Read(std::string_view text) {
  return ReadTextForm(text, kDSMagicGrid, [this](ByteReader& r) {
    int32_t width, height;
    if (!r.ReadInteger(width) || !r.ReadInteger(height) || width < 0 || height < 0) return false;
    if (!r.CanHold(int64_t(width) * int64_t(height), kStoredValueMinBytes)) return false;
    // An empty grid holds no values to check its sides against, so they are bounded here.
    constexpr int32_t kLargestEmptySide = 1 << 20;
    if ((width == 0 || height == 0) && (width > kLargestEmptySide || height > kLargestEmptySide)) return false;
    std::vector<std::vector<ScriptValue>> columns(static_cast<size_t>(width));
    for (auto& column : columns)
      if (!ReadValues(r, height, column)) return false;
    columns_ = std::move(columns);
    width_ = width;
    height_ = height;
    return true;
  });
}
