#include "runner/motion_planning.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "data/paths.h"
#include "graphics/primitives.h"
#include "runner/commands.h"
#include "runner/instance.h"
#include "runner/motion_progress.h"

namespace {

constexpr float kPi = 3.1415927f;
constexpr float kPathPointSpeed = 100.0f;
constexpr int32_t kForbidden = -1;
// A potential path with an unbounded length factor still ends, and so does a straight one
// that still moves in steps far too short for its length.
constexpr int64_t kMaxPlannedSteps = 10000;

std::vector<std::unique_ptr<CGrid>>& Grids() {
  static std::vector<std::unique_ptr<CGrid>> grids;
  return grids;
}

void DrawFilledRectangle(float x1, float y1, float x2, float y2, uint32_t colour) {
  GR_Draw_Rectangle_Color(x1, y1, x2, y2, colour, colour, colour, colour, false);
}

GridRectangleDrawer& RectangleDrawer() {
  static GridRectangleDrawer drawer = DrawFilledRectangle;
  return drawer;
}

PotentialSettings g_Potential;

// The cell range [first, last] a room interval [a, b] covers along one axis (empty when
// first > last). Divisions truncate toward zero.
void CellRange(int64_t a, int64_t b, int32_t origin, int32_t size, int32_t count, int64_t& first, int64_t& last) {
  first = std::max<int64_t>(0, (std::min(a, b) - origin) / size);
  last = std::min<int64_t>((std::max(a, b) - origin) / size, int64_t{count} - 1);
}

template <typename Visit>
void ForEachCellIn(CGrid& grid, int64_t x1, int64_t y1, int64_t x2, int64_t y2, Visit visit) {
  int64_t c0, c1, r0, r1;
  CellRange(x1, x2, grid.left, grid.cellWidth, grid.hcells, c0, c1);
  CellRange(y1, y2, grid.top, grid.cellHeight, grid.vcells, r0, r1);
  for (int64_t c = c0; c <= c1; ++c) {
    for (int64_t r = r0; r <= r1; ++r) visit(static_cast<int32_t>(c), static_cast<int32_t>(r));
  }
}

void SetRectangle(int32_t id, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t value) {
  CGrid* grid = MPGrid_Get(id);
  if (grid == nullptr) return;
  ForEachCellIn(*grid, x1, y1, x2, y2, [&](int32_t c, int32_t r) { grid->Cell(c, r) = value; });
}

// The cell holding a room coordinate along one axis; false outside the grid.
bool CellOf(int32_t v, int32_t origin, int32_t size, int32_t count, int32_t& cell) {
  const int64_t offset = int64_t{v} - origin;
  if (offset < 0 || offset >= int64_t{count} * size) return false;
  cell = static_cast<int32_t>(offset / size);
  return true;
}

void StartPlannedPath(CPath& path) {
  path.Clear();
  path.SetKind(kPathKindStraight);
  path.SetClosed(false);
}

float Distance(float x1, float y1, float x2, float y2) {
  const float dx = x2 - x1;
  const float dy = y2 - y1;
  return std::sqrt(dx * dx + dy * dy);
}

}  // namespace

CGrid::CGrid(int32_t left_, int32_t top_, int32_t hcells_, int32_t vcells_, int32_t cellWidth_, int32_t cellHeight_)
    : left(left_), top(top_), hcells(hcells_), vcells(vcells_), cellWidth(cellWidth_), cellHeight(cellHeight_),
      cells(static_cast<size_t>(hcells_) * static_cast<size_t>(vcells_), 0) {}

// Sizes that would divide by zero or ask for an impossible table are refused.
int32_t MPGrid_Create(int32_t left, int32_t top, int32_t hcells, int32_t vcells, int32_t cellWidth,
                      int32_t cellHeight) {
  if (hcells < 1 || vcells < 1 || cellWidth < 1 || cellHeight < 1) return -1;
  if (int64_t{hcells} * vcells > kMaxGridCells) return -1;
  auto grid = std::make_unique<CGrid>(left, top, hcells, vcells, cellWidth, cellHeight);
  auto& grids = Grids();
  for (size_t i = 0; i < grids.size(); ++i) {
    if (grids[i] == nullptr) {
      grids[i] = std::move(grid);
      return static_cast<int32_t>(i);
    }
  }
  grids.push_back(std::move(grid));
  return static_cast<int32_t>(grids.size() - 1);
}

CGrid* MPGrid_Get(int32_t id) {
  auto& grids = Grids();
  return id >= 0 && static_cast<size_t>(id) < grids.size() ? grids[static_cast<size_t>(id)].get() : nullptr;
}

void MPGrid_Destroy(int32_t id) {
  if (MPGrid_Get(id) != nullptr) Grids()[static_cast<size_t>(id)].reset();
}

void MPGrid_ClearAll(int32_t id) {
  if (CGrid* grid = MPGrid_Get(id)) std::fill(grid->cells.begin(), grid->cells.end(), 0);
}

void MPGrid_ClearCell(int32_t id, int32_t x, int32_t y) {
  if (CGrid* grid = MPGrid_Get(id); grid != nullptr && grid->Inside(x, y)) grid->Cell(x, y) = 0;
}

void MPGrid_AddCell(int32_t id, int32_t x, int32_t y) {
  if (CGrid* grid = MPGrid_Get(id); grid != nullptr && grid->Inside(x, y)) grid->Cell(x, y) = kForbidden;
}

void MPGrid_ClearRectangle(int32_t id, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  SetRectangle(id, x1, y1, x2, y2, 0);
}

void MPGrid_AddRectangle(int32_t id, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  SetRectangle(id, x1, y1, x2, y2, kForbidden);
}

void MPGrid_AddInstances(int32_t id, CInstance& instance, bool precise) {
  CGrid* grid = MPGrid_Get(id);
  if (grid == nullptr) return;
  instance.EnsureBoundingBox();
  ForEachCellIn(*grid, instance.bbox_left, instance.bbox_top, instance.bbox_right, instance.bbox_bottom,
                [&](int32_t c, int32_t r) {
                  int32_t& cell = grid->Cell(c, r);
                  if (cell == kForbidden) return;
                  if (precise) {
                    const int64_t l = int64_t{grid->left} + int64_t{grid->cellWidth} * c;
                    const int64_t t = int64_t{grid->top} + int64_t{grid->cellHeight} * r;
                    const int64_t rr = l + grid->cellWidth - 1;
                    const int64_t b = t + grid->cellHeight - 1;
                    auto clamp32 = [](int64_t v) {
                      return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
                    };
                    if (!instance.Collision_Rectangle(clamp32(l), clamp32(t), clamp32(rr), clamp32(b), true)) return;
                  }
                  cell = kForbidden;
                });
}

bool MPGrid_FindPath(int32_t id, CPath& path, int32_t xs, int32_t ys, int32_t xg, int32_t yg, bool diag) {
  CGrid* grid = MPGrid_Get(id);
  if (grid == nullptr) return false;
  int32_t sx, sy, gx, gy;
  if (!CellOf(xs, grid->left, grid->cellWidth, grid->hcells, sx) ||
      !CellOf(ys, grid->top, grid->cellHeight, grid->vcells, sy) ||
      !CellOf(xg, grid->left, grid->cellWidth, grid->hcells, gx) ||
      !CellOf(yg, grid->top, grid->cellHeight, grid->vcells, gy)) {
    return false;
  }
  if (grid->Cell(sx, sy) == kForbidden || grid->Cell(gx, gy) == kForbidden) return false;

  // Breadth-first: each reached cell holds its distance from the start + 1.
  struct Cell {
    int32_t x, y;
  };
  std::vector<Cell> queue;
  size_t head = 0;
  auto open = [&](int32_t x, int32_t y) { return grid->Inside(x, y) && grid->Cell(x, y) == 0; };
  grid->Cell(sx, sy) = 1;
  queue.push_back({sx, sy});
  bool found = false;
  while (head < queue.size()) {
    const Cell at = queue[head++];
    if (at.x == gx && at.y == gy) {
      found = true;
      break;
    }
    const int32_t next = grid->Cell(at.x, at.y) + 1;
    const int32_t x = at.x;
    const int32_t y = at.y;
    const bool left = open(x - 1, y), right = open(x + 1, y), up = open(x, y - 1), down = open(x, y + 1);
    const bool downLeft = open(x - 1, y + 1), upLeft = open(x - 1, y - 1);
    const bool downRight = open(x + 1, y + 1), upRight = open(x + 1, y - 1);
    auto reach = [&](int32_t cx, int32_t cy) {
      grid->Cell(cx, cy) = next;
      queue.push_back({cx, cy});
    };
    if (left) reach(x - 1, y);
    if (right) reach(x + 1, y);
    if (up) reach(x, y - 1);
    if (down) reach(x, y + 1);
    if (diag) {
      // A diagonal step never cuts past a forbidden (or already reached) orthogonal cell.
      if (downLeft && left && down) reach(x - 1, y + 1);
      if (upLeft && left && up) reach(x - 1, y - 1);
      if (downRight && right && down) reach(x + 1, y + 1);
      if (upRight && right && up) reach(x + 1, y - 1);
    }
  }

  if (found) {
    StartPlannedPath(path);
    path.AddPoint(static_cast<float>(xg), static_cast<float>(yg), kPathPointSpeed);
    int32_t x = gx;
    int32_t y = gy;
    static constexpr int32_t kSteps[8][2] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}, {-1, 1}, {1, 1}, {-1, -1}, {1, -1}};
    while (x != sx || y != sy) {
      const int32_t want = grid->Cell(x, y) - 1;
      bool moved = false;
      for (int32_t k = 0; k < (diag ? 8 : 4) && !moved; ++k) {
        const int32_t nx = x + kSteps[k][0];
        const int32_t ny = y + kSteps[k][1];
        if (grid->Inside(nx, ny) && grid->Cell(nx, ny) == want) {
          x = nx;
          y = ny;
          moved = true;
        }
      }
      if (!moved) break;
      if (x != sx || y != sy) {
        // Cell centres of a grid placed far out may lie beyond 32 bits.
        const int64_t px = int64_t{grid->left} + int64_t{grid->cellWidth} * x + grid->cellWidth / 2;
        const int64_t py = int64_t{grid->top} + int64_t{grid->cellHeight} * y + grid->cellHeight / 2;
        path.AddPoint(static_cast<float>(px), static_cast<float>(py), kPathPointSpeed);
      }
    }
    path.AddPoint(static_cast<float>(xs), static_cast<float>(ys), kPathPointSpeed);
    path.Reverse();
  }
  for (const Cell& reached : queue) grid->Cell(reached.x, reached.y) = 0;
  return found;
}

void MPGrid_SetRectangleDrawer(GridRectangleDrawer drawer) {
  RectangleDrawer() = drawer ? std::move(drawer) : GridRectangleDrawer(DrawFilledRectangle);
}

void MPGrid_Draw(int32_t id) {
  CGrid* grid = MPGrid_Get(id);
  if (grid == nullptr || !RectangleDrawer()) return;
  for (int32_t x = 0; x < grid->hcells; ++x) {
    for (int32_t y = 0; y < grid->vcells; ++y) {
      const float l = static_cast<float>(int64_t{grid->left} + int64_t{grid->cellWidth} * x);
      const float t = static_cast<float>(int64_t{grid->top} + int64_t{grid->cellHeight} * y);
      RectangleDrawer()(l, t, l + static_cast<float>(grid->cellWidth), t + static_cast<float>(grid->cellHeight),
                        grid->Cell(x, y) == kForbidden ? 0x0000FFu : 0x008000u);
    }
  }
}

void MPGrid_FreeAll() { Grids().clear(); }

// ---- straight-line and potential planners ----

bool MP_PlaceFree(CInstance& instance, float x, float y, int32_t object, bool checkall) {
  if (object == kSelectAll) return checkall ? Command_IsEmpty(instance, x, y) : Command_IsFree(instance, x, y);
  return !Command_IsMeeting(instance, x, y, object);
}

float MP_PointDirection(float x1, float y1, float x2, float y2) {
  if (x2 == x1) return y2 > y1 ? 270.0f : y2 < y1 ? 90.0f : 0.0f;
  const float a = std::atan2(y2 - y1, x2 - x1) * 180.0f / kPi;
  return a > 0.0f ? 360.0f - a : -a;
}

bool MP_LinearStep(CInstance& instance, float x, float y, float step, int32_t object, bool checkall) {
  if (instance.x == x && instance.y == y) return true;
  const float d = Distance(instance.x, instance.y, x, y);
  float cx = x;
  float cy = y;
  const bool reached = step >= d;
  if (!reached) {
    cx = instance.x + (x - instance.x) * step / d;
    cy = instance.y + (y - instance.y) * step / d;
  }
  if (MP_PlaceFree(instance, cx, cy, object, checkall)) {
    instance.SetDirection(MP_PointDirection(instance.x, instance.y, cx, cy));
    instance.SetPosition(cx, cy);
  }
  return reached;
}

namespace {
// Saves the position and direction of the planning instance; puts them back when it goes.
struct SavedPlace {
  explicit SavedPlace(CInstance& i) : instance(i), x(i.x), y(i.y), direction(i.direction) {}
  ~SavedPlace() {
    instance.SetPosition(x, y);
    instance.SetDirection(direction);
  }
  CInstance& instance;
  float x, y, direction;
};
}  // namespace

bool MP_LinearPath(CInstance& instance, CPath& path, float x, float y, float step, int32_t object, bool checkall) {
  if (!(step > 0.0f)) return false;
  SavedPlace saved(instance);
  StartPlannedPath(path);
  // The points go into the path at once: it is computed again whenever it gains one.
  std::vector<PathPoint> points{{instance.x, instance.y, kPathPointSpeed}};
  for (;;) {
    const float oldX = instance.x;
    const float oldY = instance.y;
    if (MP_LinearStep(instance, x, y, step, object, checkall)) break;
    const bool stuck = Motion_SamePlace(oldX, oldY, instance.x, instance.y);
    if (stuck || points.size() > static_cast<size_t>(kMaxPlannedSteps)) {
      path.AddPoints(points);
      return false;
    }
    points.push_back({instance.x, instance.y, kPathPointSpeed});
  }
  points.push_back({x, y, kPathPointSpeed});
  path.AddPoints(points);
  return true;
}

void MP_PotentialSettings(float maxRotation, float rotationStep, float ahead, bool onSpot) {
  // Below 1, and NaN, become 1.
  auto atLeastOne = [](float v) { return v >= 1.0f ? v : 1.0f; };
  g_Potential.maxRotation = atLeastOne(maxRotation);
  g_Potential.rotationStep = atLeastOne(rotationStep);
  g_Potential.ahead = atLeastOne(ahead);
  g_Potential.onSpot = onSpot;
}

const PotentialSettings& MP_GetPotentialSettings() { return g_Potential; }

namespace {

float IntoTurn(float degrees) {
  if (!std::isfinite(degrees)) return 0.0f;
  degrees = std::fmod(degrees, 360.0f);
  return degrees < 0.0f ? degrees + 360.0f : degrees;
}

bool PotentialTry(float heading, CInstance& instance, float step, int32_t object, bool checkall) {
  float difference = std::fabs(IntoTurn(heading) - IntoTurn(instance.direction));
  if (difference > 180.0f) difference = 360.0f - difference;
  if (difference > g_Potential.maxRotation) return false;
  const float h = heading * kPi / 180.0f;
  const float ux = std::cos(h);
  const float uy = -std::sin(h);
  const float ahead = g_Potential.ahead * step;
  if (!MP_PlaceFree(instance, instance.x + ux * ahead, instance.y + uy * ahead, object, checkall)) return false;
  const float sx = instance.x + ux * step;
  const float sy = instance.y + uy * step;
  if (!MP_PlaceFree(instance, sx, sy, object, checkall)) return false;
  instance.SetDirection(heading);
  instance.SetPosition(sx, sy);
  return true;
}

}  // namespace

bool MP_PotentialStep(CInstance& instance, float x, float y, float step, int32_t object, bool checkall) {
  if (instance.x == x && instance.y == y) return true;
  if (step >= Distance(instance.x, instance.y, x, y)) {
    if (MP_PlaceFree(instance, x, y, object, checkall)) {
      instance.SetDirection(MP_PointDirection(instance.x, instance.y, x, y));
      instance.SetPosition(x, y);
    }
    return true;
  }
  const float d = MP_PointDirection(instance.x, instance.y, x, y);
  for (float a = 0.0f; a < 180.0f; a += g_Potential.rotationStep) {
    if (PotentialTry(d - a, instance, step, object, checkall)) return false;
    if (PotentialTry(d + a, instance, step, object, checkall)) return false;
  }
  if (g_Potential.onSpot) instance.SetDirection(instance.direction + g_Potential.maxRotation);
  return false;
}

// Besides the length rule, a planner that can no longer move fails: without turning on the
// spot one step that stays in place repeats forever; with it, a whole turn of such steps does.
bool MP_PotentialPath(CInstance& instance, CPath& path, float x, float y, float step, float factor, int32_t object,
                      bool checkall) {
  if (!(factor >= 1.0f) || !(step > 0.0f)) return false;
  const double limit = static_cast<double>(Distance(instance.x, instance.y, x, y)) * factor;
  const int64_t stillLimit =
      g_Potential.onSpot ? static_cast<int64_t>(std::ceil(360.0f / g_Potential.maxRotation)) + 1 : 1;
  SavedPlace saved(instance);
  StartPlannedPath(path);
  path.AddPoint(instance.x, instance.y, kPathPointSpeed);
  int64_t still = 0;
  for (int64_t steps = 0;; ++steps) {
    const float oldX = instance.x;
    const float oldY = instance.y;
    if (MP_PotentialStep(instance, x, y, step, object, checkall)) break;
    path.AddPoint(instance.x, instance.y, kPathPointSpeed);
    if (static_cast<double>(path.GetLength()) > limit || steps >= kMaxPlannedSteps) return false;
    still = Motion_SamePlace(oldX, oldY, instance.x, instance.y) ? still + 1 : 0;
    if (still >= stillLimit) return false;
  }
  path.AddPoint(x, y, kPathPointSpeed);
  return true;
}
