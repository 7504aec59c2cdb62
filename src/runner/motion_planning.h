// Motion planning: grids of free and forbidden cells searched breadth-first for paths
// (mp_grid_*), straight-line steps towards a goal (mp_linear_*) and the potential-field stepper
// that turns away from obstacles within a limited angle (mp_potential_*). The step functions
// move the instance; the path functions simulate the steps into a path and put the instance
// back.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

class CInstance;
class CPath;

// One grid: cell (x, y) at index x * vcells + y holds 0 (free) or -1 (forbidden); positive
// values (the search distance + 1) exist only during a search.
class CGrid {
 public:
  CGrid(int32_t left, int32_t top, int32_t hcells, int32_t vcells, int32_t cellWidth, int32_t cellHeight);

  int32_t left, top, hcells, vcells, cellWidth, cellHeight;
  std::vector<int32_t> cells;

  int32_t& Cell(int32_t x, int32_t y) { return cells[static_cast<size_t>(x) * static_cast<size_t>(vcells) + static_cast<size_t>(y)]; }
  bool Inside(int32_t x, int32_t y) const { return x >= 0 && x < hcells && y >= 0 && y < vcells; }
};

// Grids larger than this many cells are refused.
inline constexpr int64_t kMaxGridCells = int64_t{1} << 24;

// The new grid's id (the first empty slot); -1 when the sizes are refused: fewer than one
// cell either way, a cell size below 1, or more than kMaxGridCells cells.
int32_t MPGrid_Create(int32_t left, int32_t top, int32_t hcells, int32_t vcells, int32_t cellWidth,
                      int32_t cellHeight);
// Null for an id outside the table or an empty slot.
CGrid* MPGrid_Get(int32_t id);
void MPGrid_Destroy(int32_t id);
void MPGrid_ClearAll(int32_t id);
void MPGrid_ClearCell(int32_t id, int32_t x, int32_t y);
void MPGrid_AddCell(int32_t id, int32_t x, int32_t y);
void MPGrid_ClearRectangle(int32_t id, int32_t x1, int32_t y1, int32_t x2, int32_t y2);
void MPGrid_AddRectangle(int32_t id, int32_t x1, int32_t y1, int32_t x2, int32_t y2);
// The cells the instance's box overlaps become forbidden; with precise only those whose
// rectangle the instance's shape meets.
void MPGrid_AddInstances(int32_t id, CInstance& instance, bool precise);
// A shortest path of cell centres from the start to the goal into path (which is left as it
// was when there is none).
bool MPGrid_FindPath(int32_t id, CPath& path, int32_t xstart, int32_t ystart, int32_t xgoal, int32_t ygoal,
                     bool allowDiagonal);
// Each cell as a filled rectangle: forbidden 0x0000FF, free 0x008000, drawn by the graphics
// layer's rectangles unless another drawer is set (null sets that one back).
using GridRectangleDrawer = std::function<void(float x1, float y1, float x2, float y2, uint32_t colour)>;
void MPGrid_SetRectangleDrawer(GridRectangleDrawer drawer);
void MPGrid_Draw(int32_t id);
void MPGrid_FreeAll();

// Object -3 with checkall: no instance meets the instance at (x, y); -3 without: no solid
// one; another object (or id): none of its instances.
bool MP_PlaceFree(CInstance& instance, float x, float y, int32_t object, bool checkall);
// Degrees counter-clockwise with y pointing down: 90 straight up, 270 straight down.
float MP_PointDirection(float x1, float y1, float x2, float y2);
bool MP_LinearStep(CInstance& instance, float x, float y, float step, int32_t object, bool checkall);
bool MP_LinearPath(CInstance& instance, CPath& path, float x, float y, float step, int32_t object, bool checkall);

struct PotentialSettings {
  float maxRotation = 30.0f;
  float rotationStep = 10.0f;
  float ahead = 3.0f;
  bool onSpot = true;
};
// Each number below 1 is stored as 1.
void MP_PotentialSettings(float maxRotation, float rotationStep, float ahead, bool onSpot);
const PotentialSettings& MP_GetPotentialSettings();
bool MP_PotentialStep(CInstance& instance, float x, float y, float step, int32_t object, bool checkall);
bool MP_PotentialPath(CInstance& instance, CPath& path, float x, float y, float step, float factor, int32_t object,
                      bool checkall);
