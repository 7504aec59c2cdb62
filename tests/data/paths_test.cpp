// Paths: followed points of straight and smooth, open and closed paths, positions along the
// length, edits, and the PATH chunk.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "data/game_loader.h"
#include "data/paths.h"
#include "support/game_data_writer.h"

namespace {

CPath Square(int32_t kind, bool closed) {
  CPath path;
  path.SetKind(kind);
  path.SetClosed(closed);
  for (auto [x, y] : {std::pair{0, 0}, {10, 0}, {10, 10}, {0, 10}}) path.AddPoint(x, y, 100);
  return path;
}

struct PositionCase {
  const char* title;
  int32_t kind;
  bool closed;
  double x0, y0, xHalf, yHalf, x1, y1;
};

TEST(Path, PositionsAtTheStartHalfwayAndEnd) {
  const PositionCase cases[] = {
      {"straight closed", 0, true, 0, 0, 10, 10, 0, 0},
      {"straight open", 0, false, 0, 0, 10, 5, 0, 10},
      // Smooth: corners are cut by curves between the midpoints of the sides; a closed curve
      // starts at the first point of its first curve, an open one at its first control point.
      {"smooth closed", 1, true, 7.1875, 0.3125, 2.8125, 9.6875, 7.1875, 0.3125},
      {"smooth open", 1, false, 0, 0, 9.6875, 5, 0, 10},
  };
  for (const PositionCase& c : cases) {
    const CPath path = Square(c.kind, c.closed);
    const PathPosition p0 = path.GetPosition(0), ph = path.GetPosition(0.5), p1 = path.GetPosition(1);
    EXPECT_NEAR(p0.x, c.x0, 1e-4) << c.title;
    EXPECT_NEAR(p0.y, c.y0, 1e-4) << c.title;
    EXPECT_NEAR(ph.x, c.xHalf, 1e-4) << c.title;
    EXPECT_NEAR(ph.y, c.yHalf, 1e-4) << c.title;
    EXPECT_NEAR(p1.x, c.x1, 1e-4) << c.title;
    EXPECT_NEAR(p1.y, c.y1, 1e-4) << c.title;
    // Outside 0..1 the ends stand.
    EXPECT_EQ(path.GetPosition(-0.1).x, p0.x) << c.title;
    EXPECT_EQ(path.GetPosition(1.2).y, p1.y) << c.title;
  }
  EXPECT_FLOAT_EQ(Square(0, true).GetLength(), 40.0f);
  EXPECT_FLOAT_EQ(Square(0, false).GetLength(), 30.0f);
}

TEST(Path, SmoothingEdgeCases) {
  CPath two;
  two.SetKind(1);
  two.SetClosed(false);
  two.AddPoint(0, 0, 100);
  two.AddPoint(100, 0, 50);
  ASSERT_EQ(two.Computed().size(), 2u);  // a straight segment
  EXPECT_DOUBLE_EQ(two.GetPosition(0.5).x, 50);
  EXPECT_DOUBLE_EQ(two.GetPosition(0.5).speed, 75);

  CPath open = Square(1, false);
  open.SetPrecision(0);
  EXPECT_EQ(open.Computed().size(), 2u);  // only the first and last control points
  CPath closed = Square(1, true);
  closed.SetPrecision(0);
  EXPECT_TRUE(closed.Computed().empty());
  EXPECT_EQ(closed.GetLength(), 0.0f);
  closed.SetPrecision(99);
  EXPECT_EQ(closed.GetPrecision(), 8);

  CPath kind = Square(1, true);
  kind.SetKind(5);
  EXPECT_EQ(kind.GetKind(), 0);
  EXPECT_FLOAT_EQ(kind.GetLength(), 40.0f);
}

TEST(Path, NotANumberAndCoincidentPoints) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_TRUE(std::isnan(Square(0, true).GetPosition(nan).x));
  CPath dot;
  dot.AddPoint(3, 4, 100);
  dot.AddPoint(3, 4, 100);
  EXPECT_EQ(dot.GetLength(), 0.0f);
  EXPECT_EQ(dot.GetPosition(0.7).x, 3);
  EXPECT_EQ(dot.GetPosition(nan).y, 4);
  EXPECT_EQ(CPath().GetPosition(0.5).speed, 100);  // no points: the defaults
}

TEST(Path, EditsKeepTheFollowedPointsInStep) {
  CPath path = Square(0, false);
  path.InsertPoint(1, 5, 0, 100);
  path.InsertPoint(9, 0, 0, 100);  // outside: nothing
  path.DeletePoint(-1);
  EXPECT_EQ(path.GetNumber(), 5);
  EXPECT_EQ(path.GetPoint(1).x, 5);
  EXPECT_EQ(path.GetPoint(7).speed, 1.0f);
  path.DeletePoint(1);
  path.Shift(10, 0);
  EXPECT_EQ(path.GetPosition(0).x, 10);

  CPath mirrored = Square(0, false);
  mirrored.Mirror();
  EXPECT_EQ(mirrored.GetPoint(0).x, 10);
  mirrored.Mirror();
  EXPECT_EQ(mirrored.GetPoint(0).x, 0);
  mirrored.Flip();
  EXPECT_EQ(mirrored.GetPoint(0).y, 10);

  CPath rotated = Square(0, false);
  rotated.Rotate(90);
  EXPECT_NEAR(rotated.GetPoint(0).x, 0, 1e-4);
  EXPECT_NEAR(rotated.GetPoint(0).y, 10, 1e-4);
  rotated.Scale(2, 1);
  EXPECT_NEAR(rotated.GetPoint(1).x, 0 * 2 - 5, 1e-4);

  CPath twice = Square(0, false);
  twice.Append(&twice);
  EXPECT_EQ(twice.GetNumber(), 8);
  twice.Reverse();
  EXPECT_EQ(twice.GetPoint(0).y, 10);
  twice.Clear();
  EXPECT_EQ(twice.GetNumber(), 0);
  EXPECT_EQ(twice.GetLength(), 0.0f);
}

TEST(Path, DrawingStripCoversLongPathsWithinItsLimit) {
  CPath line;
  line.SetClosed(false);
  line.AddPoint(0, 0, 100);
  line.AddPoint(8000, 0, 100);
  const auto strip = line.DrawVertices(0, 0, true);
  ASSERT_EQ(strip.size(), 1001u);
  EXPECT_EQ(strip.back().x, 8000);  // the whole length, not the first 4000 pixels
  const auto moved = line.DrawVertices(5, 7, false);
  EXPECT_EQ(moved.front().x, 5);
  EXPECT_EQ(moved.front().y, 7);
}

TEST(PathTable, LoadsRunTimeAdditionsAndAssign) {
  GameDataWriter game = TestGame();
  game.paths.push_back({"path_sq", 0, true, 4, {{0, 0, 100}, {10, 0, 100}, {10, 10, 100}, {0, 10, 100}}});
  game.paths.push_back({"path_wild", 1, false, 1000000, {{0, 0, 100}, {1e30f, 0, 100}, {0, 1e30f, 100}}});
  ConsoleCapture console;
  ASSERT_EQ(GameData_LoadImage(game.Build()), GameLoadResult::Loaded) << console.Text();
  ASSERT_EQ(Path_Find("path_sq"), 0);
  EXPECT_FLOAT_EQ(Path_Data(0)->GetLength(), 40.0f);
  EXPECT_EQ(Path_Data(1)->GetPrecision(), 8);  // a damaged precision cannot ask for more
  EXPECT_EQ(Path_GetName(7), "<undefined>");

  const int32_t added = Path_AddNew();
  EXPECT_EQ(Path_GetName(added), "__newpath" + std::to_string(added));
  const int32_t copy = Path_Duplicate(0);
  EXPECT_FLOAT_EQ(Path_Data(copy)->GetLength(), 40.0f);
  EXPECT_TRUE(Path_Assign(added, 0));
  EXPECT_EQ(Path_Data(added)->GetNumber(), 4);
  EXPECT_FALSE(Path_Assign(0, 0));  // to itself: reported, nothing changes
  EXPECT_TRUE(Path_Delete(0));
  EXPECT_FALSE(Path_Exists(0));
  EXPECT_EQ(Path_Duplicate(0), -1);
  EXPECT_EQ(Path_GetCount(), copy + 1);  // indices are never reused
}

}  // namespace

namespace {

// A record whose count runs past the file fails the load instead of being read beyond it.
TEST(PathTable, DamagedCountsFailTheLoad) {
  for (const char* id : {"PATH", "TMLN"}) {
    GameDataWriter game = TestGame();
    game.paths.push_back({"path_a", 0, true, 4, {{0, 0, 100}, {10, 0, 100}}});
    game.timeLines.push_back({"tl_a", {{1, {"x = 1;"}}}});
    std::vector<uint8_t> image = game.Build();
    const auto layout = ChunkLayout(image);
    const ChunkLayoutEntry* chunk = FindChunk(layout, id);
    ASSERT_NE(chunk, nullptr) << id;
    const uint32_t record = ReadU32(image, chunk->bodyOffset + 4);
    // The point count (word 4) of a path, the moment count (word 1) of a time line.
    WriteU32(image, record + (std::string(id) == "PATH" ? 16 : 4), 0x40000000u);
    ConsoleCapture console;
    EXPECT_EQ(GameData_LoadImage(image), GameLoadResult::Failed) << id;
  }
}

}  // namespace
