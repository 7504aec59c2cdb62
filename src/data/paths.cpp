#include "data/paths.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "platform/conversions.h"
#include "script/error_report.h"

namespace {

// Followed points grow this many at a time, control points by five.
constexpr size_t kComputedGrowth = 10;
constexpr size_t kControlGrowth = 5;
// A strip holds at most this many vertices.
constexpr int32_t kMaxStripVertices = 1001;
// Halving stops once two successive points are within 4 pixels (squared: 16).
constexpr double kSubdivideLimit = 16.0;
constexpr float kPi = 3.14159265358979323846f;

struct PathTable {
  std::vector<std::unique_ptr<CPath>> paths;
  std::vector<std::optional<std::string>> names;
};

PathTable& Table() {
  static PathTable table;
  return table;
}

PathStripDrawer& Drawer() {
  static PathStripDrawer drawer;
  return drawer;
}

PathPosition Mid(const PathPosition& a, const PathPosition& b) {
  return {(a.x + b.x) / 2.0, (a.y + b.y) / 2.0, (a.speed + b.speed) / 2.0};
}

PathPosition FromPoint(const PathPoint& p) { return {p.x, p.y, p.speed}; }

double Distance2(const PathPosition& a, const PathPosition& b) {
  const double dx = a.x - b.x;
  const double dy = a.y - b.y;
  return dx * dx + dy * dy;
}

void Reserve(std::vector<PathPoint>& points) {
  if (points.size() == points.capacity()) points.reserve(points.size() + kControlGrowth);
}

}  // namespace

void CPath::LoadFromChunk(const GameDataReader& reader, uint32_t record) {
  GameDataCursor cursor(reader, record);
  cursor.U32();  // the name, taken by the table
  kind_ = static_cast<int32_t>(cursor.U32());
  closed_ = cursor.U32() != 0;
  // A depth beyond the largest one would let a damaged file ask for billions of points.
  const uint32_t precision = cursor.U32();
  precision_ = static_cast<int32_t>(std::min<uint32_t>(precision, kPathMaxPrecision));
  const uint32_t count = cursor.U32();
  if (uint64_t{count} * 12 > cursor.Remaining()) throw GameDataError("a path's points leave the file");
  points_.clear();
  points_.reserve(count);
  for (uint32_t i = 0; i < count; ++i) {
    PathPoint p;
    p.x = cursor.F32();
    p.y = cursor.F32();
    p.speed = cursor.F32();
    points_.push_back(p);
  }
  Recompute();
}

PathPoint CPath::GetPoint(int32_t i) const {
  if (i < 0 || i >= GetNumber()) return {0.0f, 0.0f, 1.0f};
  return points_[static_cast<size_t>(i)];
}

// ---- computing the followed points ---------------------------------------------------------

void CPath::Emit(double x, double y, double speed) {
  if (computed_.size() == computed_.capacity()) computed_.reserve(computed_.size() + kComputedGrowth);
  computed_.push_back({static_cast<float>(x), static_cast<float>(y), static_cast<float>(speed), 0.0f});
}

void CPath::ComputeStraight() {
  for (const PathPoint& p : points_) Emit(p.x, p.y, p.speed);
  if (closed_ && !points_.empty()) Emit(points_[0].x, points_[0].y, points_[0].speed);
}

// Emits the points of the quadratic curve from a over control point b to c, in order along it.
void CPath::Subdivide(int32_t depth, PathPosition a, PathPosition b, PathPosition c) {
  while (depth > 0) {
    const PathPosition m{(a.x + 2.0 * b.x + c.x) / 4.0, (a.y + 2.0 * b.y + c.y) / 4.0,
                         (a.speed + 2.0 * b.speed + c.speed) / 4.0};
    if (Distance2(a, b) > kSubdivideLimit) Subdivide(depth - 1, a, Mid(a, b), m);
    Emit(m.x, m.y, m.speed);
    if (Distance2(b, c) <= kSubdivideLimit) return;
    a = m;
    b = Mid(b, c);
    --depth;
  }
}

void CPath::ComputeSmooth() {
  const size_t n = points_.size();
  if (n == 0) return;
  if (!closed_) Emit(points_[0].x, points_[0].y, points_[0].speed);
  const size_t last = closed_ ? n + 1 : n - 1;  // curves at 1..n (closed) or 1..n-2 (open)
  for (size_t i = 1; i < last; ++i) {
    const PathPosition prev = FromPoint(points_[(i - 1) % n]);
    const PathPosition here = FromPoint(points_[i % n]);
    const PathPosition next = FromPoint(points_[(i + 1) % n]);
    Subdivide(precision_, Mid(prev, here), here, Mid(here, next));
  }
  if (closed_) {
    if (!computed_.empty()) {
      const PathComputedPoint first = computed_[0];
      Emit(first.x, first.y, first.speed);
    }
  } else {
    Emit(points_[n - 1].x, points_[n - 1].y, points_[n - 1].speed);
  }
}

void CPath::ComputeLengths() {
  length_ = 0.0f;
  for (size_t i = 0; i < computed_.size(); ++i) {
    if (i == 0) {
      computed_[i].length = 0.0f;
      continue;
    }
    const float dx = computed_[i].x - computed_[i - 1].x;
    const float dy = computed_[i].y - computed_[i - 1].y;
    const float squares = dx * dx + dy * dy;
    computed_[i].length = computed_[i - 1].length + std::sqrt(squares);
  }
  if (!computed_.empty()) length_ = computed_.back().length;
}

void CPath::Recompute() {
  computed_.clear();
  if (kind_ == kPathKindSmooth) {
    ComputeSmooth();
  } else {
    ComputeStraight();
  }
  ComputeLengths();
}

PathPosition CPath::GetPosition(double t) const {
  PathPosition out;
  const size_t count = computed_.size();
  if (count == 0) return out;
  auto at = [](const PathComputedPoint& p) { return PathPosition{p.x, p.y, p.speed}; };
  if (count == 1 || length_ == 0.0f || t <= 0.0) return at(computed_[0]);
  if (t >= 1.0) return at(computed_[count - 1]);
  const double d = static_cast<double>(length_) * t;
  // A t that is no number stops at the first segment.
  size_t i = 0;
  while (i < count - 2 && !(d < computed_[i + 1].length)) ++i;
  const PathComputedPoint& p = computed_[i];
  const PathComputedPoint& q = computed_[i + 1];
  if (p.length == q.length) return at(p);
  const double f = (d - p.length) / (static_cast<double>(q.length) - p.length);
  out.x = p.x + (static_cast<double>(q.x) - p.x) * f;
  out.y = p.y + (static_cast<double>(q.y) - p.y) * f;
  out.speed = p.speed + (static_cast<double>(q.speed) - p.speed) * f;
  return out;
}

// ---- edits ----------------------------------------------------------------------------------

void CPath::SetKind(int32_t kind) {
  kind_ = kind > 1 ? kPathKindStraight : kind;
  Recompute();
}

void CPath::SetClosed(bool closed) {
  closed_ = closed;
  Recompute();
}

void CPath::SetPrecision(int32_t precision) {
  precision_ = std::clamp(precision, 0, kPathMaxPrecision);
  Recompute();
}

int32_t CPath::AddPoint(float x, float y, float speed) {
  Reserve(points_);
  points_.push_back({x, y, speed});
  Recompute();
  return GetNumber() - 1;
}

void CPath::AddPoints(const std::vector<PathPoint>& points) {
  points_.insert(points_.end(), points.begin(), points.end());
  Recompute();
}

void CPath::InsertPoint(int32_t i, float x, float y, float speed) {
  if (i < 0 || i > GetNumber()) return;
  Reserve(points_);
  points_.insert(points_.begin() + i, PathPoint{x, y, speed});
  Recompute();
}

void CPath::ChangePoint(int32_t i, float x, float y, float speed) {
  if (i < 0 || i >= GetNumber()) return;
  points_[static_cast<size_t>(i)] = {x, y, speed};
  Recompute();
}

void CPath::DeletePoint(int32_t i) {
  if (i < 0 || i >= GetNumber()) return;
  points_.erase(points_.begin() + i);
  Recompute();
}

void CPath::Clear() {
  points_ = {};
  computed_ = {};
  length_ = 0.0f;
}

void CPath::Reverse() {
  if (points_.size() >= 2) std::reverse(points_.begin(), points_.end());
  Recompute();
}

void CPath::Shift(float dx, float dy) {
  for (PathPoint& p : points_) {
    p.x += dx;
    p.y += dy;
  }
  Recompute();
}

void CPath::Centre(double& cx, double& cy) const {
  double minX = 1e8, minY = 1e8, maxX = -1e8, maxY = -1e8;
  for (const PathPoint& p : points_) {
    minX = std::min<double>(minX, p.x);
    maxX = std::max<double>(maxX, p.x);
    minY = std::min<double>(minY, p.y);
    maxY = std::max<double>(maxY, p.y);
  }
  cx = (minX + maxX) / 2.0;
  cy = (minY + maxY) / 2.0;
}

void CPath::Mirror() {
  double cx, cy;
  Centre(cx, cy);
  for (PathPoint& p : points_) p.x = static_cast<float>(-(p.x - cx) + cx);
  Recompute();
}

void CPath::Flip() {
  double cx, cy;
  Centre(cx, cy);
  for (PathPoint& p : points_) p.y = static_cast<float>(-(p.y - cy) + cy);
  Recompute();
}

void CPath::Rotate(float degrees) {
  double cx, cy;
  Centre(cx, cy);
  const float r = degrees * kPi / 180.0f;
  const double c = std::cos(r);
  const double s = std::sin(r);
  for (PathPoint& p : points_) {
    const double x = p.x - cx;
    const double y = p.y - cy;
    p.x = static_cast<float>(c * x + s * y + cx);
    p.y = static_cast<float>(c * y - s * x + cy);
  }
  Recompute();
}

void CPath::Scale(float xs, float ys) {
  double cx, cy;
  Centre(cx, cy);
  for (PathPoint& p : points_) {
    p.x = static_cast<float>((p.x - cx) * xs + cx);
    p.y = static_cast<float>((p.y - cy) * ys + cy);
  }
  Recompute();
}

void CPath::Append(const CPath* other) {
  if (other == nullptr || other->points_.empty()) return;
  // A copy first: the other path may be this one.
  const std::vector<PathPoint> extra = other->points_;
  points_.insert(points_.end(), extra.begin(), extra.end());
  Recompute();
}

void CPath::Assign(const CPath& source) {
  if (&source == this) return;
  kind_ = source.kind_;
  closed_ = source.closed_;
  precision_ = source.precision_;
  points_ = source.points_;
  Recompute();
}

std::vector<PathPosition> CPath::DrawVertices(float x, float y, bool absolute) const {
  std::vector<PathPosition> vertices;
  int32_t steps = Conv_RoundToInt32(static_cast<double>(length_) / 4.0);
  if (steps <= 0) return vertices;
  // A long path keeps its whole length in the strip, with the vertices further apart.
  steps = std::min(steps, kMaxStripVertices - 1);
  double ox = x, oy = y;
  if (!absolute) {
    const PathPosition start = GetPosition(0.0);
    ox = x - start.x;
    oy = y - start.y;
  }
  vertices.reserve(static_cast<size_t>(steps) + 1);
  for (int32_t k = 0; k <= steps; ++k) {
    PathPosition p = GetPosition(static_cast<double>(k) / steps);
    p.x += ox;
    p.y += oy;
    vertices.push_back(p);
  }
  return vertices;
}

void CPath::Draw(float x, float y, bool absolute) const {
  if (!Drawer()) return;
  const std::vector<PathPosition> vertices = DrawVertices(x, y, absolute);
  if (!vertices.empty()) Drawer()(vertices);
}

void Path_SetStripDrawer(PathStripDrawer drawer) { Drawer() = std::move(drawer); }

// ---- the table ------------------------------------------------------------------------------

void Path_Init() { Path_Clear(); }

void Path_Clear() {
  Table().paths.clear();
  Table().names.clear();
}

void Path_Load(const GameDataReader& reader, ChunkSpan body) {
  const std::vector<uint32_t> list = reader.CountedList(body.offset);
  PathTable& table = Table();
  table.paths.clear();
  table.names.clear();
  table.paths.resize(list.size());
  table.names.resize(list.size());
  for (size_t i = 0; i < list.size(); ++i) {
    if (list[i] == 0) continue;
    auto path = std::make_unique<CPath>();
    path->LoadFromChunk(reader, list[i]);
    table.names[i] = std::string(reader.TextRef(reader.U32(list[i])));
    table.paths[i] = std::move(path);
  }
}

bool Path_Exists(int32_t index) { return Path_Data(index) != nullptr; }

CPath* Path_Data(int32_t index) {
  if (index < 0 || index >= Path_GetCount()) return nullptr;
  return Table().paths[static_cast<size_t>(index)].get();
}

std::string Path_GetName(int32_t index) {
  if (!Path_Exists(index)) return "<undefined>";
  const auto& name = Table().names[static_cast<size_t>(index)];
  return name ? *name : std::string();
}

int32_t Path_Find(std::string_view name) {
  const PathTable& table = Table();
  for (size_t i = 0; i < table.paths.size(); ++i) {
    if (table.paths[i] && table.names[i] && *table.names[i] == name) return static_cast<int32_t>(i);
  }
  return -1;
}

int32_t Path_GetCount() { return static_cast<int32_t>(Table().paths.size()); }

int32_t Path_AddNew() {
  PathTable& table = Table();
  const int32_t index = Path_GetCount();
  table.paths.push_back(std::make_unique<CPath>());
  table.names.emplace_back("__newpath" + std::to_string(index));
  return index;
}

bool Path_Delete(int32_t index) {
  if (!Path_Exists(index)) return false;
  Table().paths[static_cast<size_t>(index)].reset();
  Table().names[static_cast<size_t>(index)].reset();
  return true;
}

int32_t Path_Duplicate(int32_t index) {
  const CPath* source = Path_Data(index);
  if (source == nullptr) return -1;
  const int32_t copy = Path_AddNew();
  Path_Data(copy)->Assign(*source);
  return copy;
}

bool Path_Assign(int32_t dst, int32_t src) {
  const CPath* source = Path_Data(src);
  if (source == nullptr || dst < 0 || dst >= Path_GetCount()) return false;
  if (dst == src) {
    Error_Show_Action("ERROR: Can not assign a path to itself!", false);
    return false;
  }
  auto& slot = Table().paths[static_cast<size_t>(dst)];
  if (!slot) slot = std::make_unique<CPath>();
  slot->Assign(*source);
  return true;
}
