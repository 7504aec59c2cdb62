// Paths: control points (position and speed) that instances follow, straight or smoothed,
// open or closed. A path keeps the points it is followed along with the running length at
// each, so that the position at any fraction of the length is one scan and one interpolation.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "data/game_data_reader.h"

struct PathPoint {
  float x = 0.0f;
  float y = 0.0f;
  float speed = 100.0f;  // percent of the instance's path speed
};

struct PathComputedPoint {
  float x = 0.0f;
  float y = 0.0f;
  float speed = 0.0f;
  float length = 0.0f;  // distance along the path from the first computed point
};

struct PathPosition {
  double x = 0.0;
  double y = 0.0;
  double speed = 100.0;
};

inline constexpr int32_t kPathKindStraight = 0;
inline constexpr int32_t kPathKindSmooth = 1;
inline constexpr int32_t kPathMaxPrecision = 8;

class CPath {
 public:
  CPath() = default;

  // Record: name reference, kind, closed, precision, point count, then x, y, speed each.
  void LoadFromChunk(const GameDataReader& reader, uint32_t record);

  // Control point i; outside the path (0, 0) with speed 1.
  PathPoint GetPoint(int32_t i) const;
  int32_t GetNumber() const { return static_cast<int32_t>(points_.size()); }
  int32_t GetKind() const { return kind_; }
  bool GetClosed() const { return closed_; }
  int32_t GetPrecision() const { return precision_; }
  float GetLength() const { return length_; }
  const std::vector<PathComputedPoint>& Computed() const { return computed_; }

  // The position at fraction t of the length (0 the start, 1 the end).
  PathPosition GetPosition(double t) const;
  double GetX(double t) const { return GetPosition(t).x; }
  double GetY(double t) const { return GetPosition(t).y; }
  double GetSpeed(double t) const { return GetPosition(t).speed; }

  // Every edit recomputes the followed points.
  void SetKind(int32_t kind);  // above 1 means straight
  void SetClosed(bool closed);
  void SetPrecision(int32_t precision);  // clamped to 0..8
  int32_t AddPoint(float x, float y, float speed);
  // Appends the points in order, computing the path once for all of them.
  void AddPoints(const std::vector<PathPoint>& points);
  void InsertPoint(int32_t i, float x, float y, float speed);  // 0 <= i <= count
  void ChangePoint(int32_t i, float x, float y, float speed);  // 0 <= i < count
  void DeletePoint(int32_t i);
  void Clear();
  void Reverse();
  void Shift(float dx, float dy);
  void Mirror();  // about the centre of the points' box
  void Flip();
  void Rotate(float degrees);
  void Scale(float xs, float ys);
  void Append(const CPath* other);
  void Assign(const CPath& source);

  // The line strip that draws the path: one vertex every 4 pixels of length (at most 1001),
  // offset by (x, y) when absolute, else moved so that the path starts at (x, y).
  std::vector<PathPosition> DrawVertices(float x, float y, bool absolute) const;
  void Draw(float x, float y, bool absolute) const;

  void Recompute();

 private:
  void ComputeStraight();
  void ComputeSmooth();
  void Subdivide(int32_t depth, PathPosition a, PathPosition b, PathPosition c);
  void Emit(double x, double y, double speed);
  void ComputeLengths();
  void Centre(double& cx, double& cy) const;

  std::vector<PathPoint> points_;
  std::vector<PathComputedPoint> computed_;
  int32_t kind_ = kPathKindStraight;
  bool closed_ = true;
  int32_t precision_ = 4;
  float length_ = 0.0f;
};

// Draws a path's line strip; installed by the graphics layer (nothing is drawn until then).
using PathStripDrawer = std::function<void(const std::vector<PathPosition>& vertices)>;
void Path_SetStripDrawer(PathStripDrawer drawer);

// The path table.
void Path_Init();
void Path_Clear();
// PATH. Throws GameDataError for a record that leaves the file.
void Path_Load(const GameDataReader& reader, ChunkSpan body);
bool Path_Exists(int32_t index);
CPath* Path_Data(int32_t index);
// "<undefined>" when there is no such path.
std::string Path_GetName(int32_t index);
int32_t Path_Find(std::string_view name);
int32_t Path_GetCount();
// path_add: a new empty path "__newpath<index>".
int32_t Path_AddNew();
bool Path_Delete(int32_t index);
// -1 when the source does not exist.
int32_t Path_Duplicate(int32_t index);
// False unless src exists and dst is in range; assigning a path to itself is an error.
bool Path_Assign(int32_t dst, int32_t src);
