// The run-time commands' queries and moves, and motion planning, on instances made in process:
// a wall of solid 16 x 16 blocks and a 16 x 16 mover, with boxes as their shapes.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "data/game_loader.h"
#include "data/objects.h"
#include "data/paths.h"
#include "runner/commands.h"
#include "runner/instance.h"
#include "runner/motion_planning.h"
#include "support/game_data_writer.h"

namespace {

constexpr int32_t kWall = 0;
constexpr int32_t kMover = 1;

class Motion : public ::testing::Test {
 protected:
  void SetUp() override {
    Instance_SetSpriteLookup([](int32_t sprite, InstanceSpriteShape& shape) {
      if (sprite != 0) return false;
      shape = {1, 0, 0, 15, 15, 0, 0, false};
      return true;
    });
    GameDataWriter game;
    game.header.lastInstanceId = 100000;
    gamedata::Object wall;
    wall.name = "obj_wall";
    wall.sprite = 0;
    wall.solid = true;
    gamedata::Object mover;
    mover.name = "obj_mover";
    mover.sprite = 0;
    game.objects = {wall, mover};
    ConsoleCapture console;
    ASSERT_EQ(GameData_LoadImage(game.Build()), GameLoadResult::Loaded) << console.Text();
    saved_ = Variable_InstanceWorld();
    Variable_InstanceWorld().forEachActiveInstance = [this](const InstanceVisitor& visit) {
      for (auto& instance : instances_) {
        if (!visit(*instance)) return;
      }
    };
  }
  void TearDown() override {
    instances_.clear();
    Variable_InstanceWorld() = saved_;
    Instance_SetSpriteLookup(nullptr);
    MPGrid_FreeAll();
    MP_PotentialSettings(30, 10, 3, true);
    Object_FreeAll();
  }

  CInstance& Make(int32_t object, float x, float y) {
    instances_.push_back(Instance_Create(x, y, object));
    return *instances_.back();
  }
  // A vertical wall of blocks at x = 64 from y = 0 to 144.
  void BuildWall() {
    for (int32_t row = 0; row < 10; ++row) Make(kWall, 64, static_cast<float>(row * 16));
  }

  InstanceWorldHooks saved_;
  std::vector<std::unique_ptr<CInstance>> instances_;
};

TEST_F(Motion, PlaceQueriesTellSolidFromAnyAndMoveNothing) {
  BuildWall();
  CInstance& mover = Make(kMover, 0, 0);
  CInstance& other = Make(kMover, 0, 100);
  other.solid = false;
  EXPECT_TRUE(Command_IsFree(mover, 40, 0));
  EXPECT_FALSE(Command_IsFree(mover, 50, 0));      // overlaps the wall's first block
  EXPECT_TRUE(Command_IsFree(mover, 0, 90));       // only a non-solid instance there
  EXPECT_FALSE(Command_IsEmpty(mover, 0, 90));
  EXPECT_TRUE(Command_IsMeeting(mover, 50, 0, kWall));
  EXPECT_FALSE(Command_IsMeeting(mover, 50, 0, kMover));
  EXPECT_EQ(mover.x, 0.0f);
  // At its own place it never meets itself.
  EXPECT_EQ(Command_InstancePlace(mover, 0, 0, kSelectAll), nullptr);
  EXPECT_EQ(Command_InstancePlace(mover, 60, 20, kSelectAll), instances_[1].get());
  // A destroyed block no longer counts.
  instances_[0]->marked = true;
  EXPECT_TRUE(Command_IsFree(mover, 50, 0));
}

TEST_F(Motion, NearestFindsInstancesFarAwayAndKeepsTheFirstOfATie) {
  CInstance& far = Make(kMover, 20000, 0);
  EXPECT_EQ(Command_InstanceNearest(0, 0, kMover), &far);
  CInstance& a = Make(kMover, 10, 0);
  CInstance& b = Make(kMover, -10, 0);
  EXPECT_EQ(Command_InstanceNearest(0, 0, kSelectAll), &a);
  EXPECT_EQ(Command_InstanceFurthest(0, 0, kMover), &far);
  EXPECT_EQ(Command_InstanceNearest(0, 0, b.id), nullptr);  // an id selects nothing here
  EXPECT_EQ(Command_InstanceFind(kMover, 2), &b);
  EXPECT_EQ(Command_InstanceFind(b.id, 0), &b);
  EXPECT_EQ(Command_InstanceFind(b.id, 1), nullptr);
  b.deactivated = true;
  EXPECT_EQ(Command_InstanceFind(kSelectAll, 2), nullptr);
}

TEST_F(Motion, CollisionQueriesSelectAllIdsAndObjectsButNeverSelfOrOther) {
  CInstance& mover = Make(kMover, 0, 0);
  EXPECT_EQ(Command_CollisionPoint(&mover, 5, 5, kSelectAll, false, false), &mover);
  EXPECT_EQ(Command_CollisionPoint(&mover, 5, 5, kSelectAll, false, true), nullptr);
  EXPECT_EQ(Command_CollisionPoint(&mover, 5, 5, -1, false, false), nullptr);
  EXPECT_EQ(Command_CollisionPoint(&mover, 5, 5, -2, false, false), nullptr);
  EXPECT_EQ(Command_CollisionPoint(&mover, 5, 5, mover.id, false, false), &mover);
  EXPECT_EQ(Command_CollisionRectangle(nullptr, 15, 15, 30, 30, kMover, false, false), &mover);
  EXPECT_EQ(Command_CollisionRectangle(nullptr, 16, 16, 30, 30, kMover, false, false), nullptr);
  EXPECT_EQ(Command_CollisionLine(nullptr, -10, -10, 40, 40, kMover, false, false), &mover);
  EXPECT_EQ(Command_CollisionLine(nullptr, 20, -10, 40, 40, kMover, false, false), nullptr);
}

TEST_F(Motion, MoveContactAndOutsideStepPixelByPixel) {
  BuildWall();
  CInstance& mover = Make(kMover, 0, 0);
  // Right: stops touching the wall (its box ends at x + 15, the wall starts at 64).
  EXPECT_FALSE(Command_MoveContact(mover, 0, -1, false));
  EXPECT_FLOAT_EQ(mover.x, 48.0f);
  // Left with no limit: 1000 steps at most.
  EXPECT_TRUE(Command_MoveContact(mover, 180, 0, false));
  EXPECT_NEAR(mover.x, -952.0f, 0.01f);
  // A limit of 10: ten steps.
  mover.SetPosition(0, 0);
  EXPECT_TRUE(Command_MoveContact(mover, 180, 10, false));
  EXPECT_NEAR(mover.x, -10.0f, 0.001f);
  // Inside the wall: outside moves until free; contact does not move.
  mover.SetPosition(60, 0);
  EXPECT_FALSE(Command_MoveContact(mover, 180, -1, false));
  EXPECT_FLOAT_EQ(mover.x, 60.0f);
  EXPECT_TRUE(Command_MoveOutside(mover, 0, -1, false));
  EXPECT_NEAR(mover.x, 80.0f, 0.001f);
  // A wall that does not count (non-solid against solid only) is no obstacle.
  for (auto& instance : instances_) instance->solid = false;
  mover.SetPosition(0, 0);
  EXPECT_TRUE(Command_MoveContact(mover, 0, 100, false));
  mover.SetPosition(0, 0);
  EXPECT_FALSE(Command_MoveContact(mover, 0, 100, true));
  EXPECT_FLOAT_EQ(mover.x, 48.0f);
}

TEST_F(Motion, PlainBounceReversesTheBlockedSpeeds) {
  BuildWall();
  struct Case {
    float x, y, hspeed, vspeed;
    float wantH, wantV;
  };
  // Towards the wall: hspeed turns. Moving only down beside it: nothing turns. Diagonally into
  // its lower corner (only the diagonal blocked): both turn.
  for (const Case& c : {Case{44, 40, 8, 2, -8, 2}, Case{44, 40, 0, 3, 0, 3}, Case{44, 162, 8, -8, -8, 8}}) {
    CInstance& mover = Make(kMover, c.x, c.y);
    mover.SetHSpeed(c.hspeed);
    mover.SetVSpeed(c.vspeed);
    Command_Bounce(mover, false, false);
    EXPECT_FLOAT_EQ(mover.hspeed, c.wantH) << c.x << "," << c.y;
    EXPECT_FLOAT_EQ(mover.vspeed, c.wantV) << c.x << "," << c.y;
    instances_.pop_back();
  }
}

TEST_F(Motion, AdvancedBounceTurnsAwayAndLeavesFreeMotionAlone) {
  BuildWall();
  CInstance& mover = Make(kMover, 44, 60);
  mover.SetDirection(0);
  mover.SetSpeed(8);
  Command_Bounce(mover, true, false);
  EXPECT_GT(mover.hspeed, 0.0f - 8.0f - 0.01f);
  EXPECT_LT(mover.hspeed, 0.0f);  // now heading left
  EXPECT_FLOAT_EQ(mover.speed, 8.0f);
  CInstance& free = Make(kMover, 0, 300);
  free.SetDirection(0);
  free.SetSpeed(8);
  Command_Bounce(free, true, false);
  EXPECT_FLOAT_EQ(free.direction, 0.0f);
}

TEST_F(Motion, GridCreateRefusesSizesThatCannotWorkAndReusesSlots) {
  struct Case {
    int32_t hcells, vcells, w, h;
  };
  for (const Case& c : {Case{0, 5, 16, 16}, Case{5, -1, 16, 16}, Case{5, 5, 0, 16}, Case{5, 5, 16, -3},
                        Case{100000, 100000, 1, 1}}) {
    EXPECT_EQ(MPGrid_Create(0, 0, c.hcells, c.vcells, c.w, c.h), -1) << c.hcells << "x" << c.vcells;
  }
  EXPECT_EQ(MPGrid_Create(0, 0, 2, 2, 16, 16), 0);
  EXPECT_EQ(MPGrid_Create(0, 0, 2, 2, 16, 16), 1);
  MPGrid_Destroy(0);
  EXPECT_EQ(MPGrid_Get(0), nullptr);
  EXPECT_EQ(MPGrid_Create(0, 0, 3, 3, 8, 8), 0);
  // Bad ids are ignored; cells outside the grid too.
  MPGrid_AddCell(7, 0, 0);
  MPGrid_AddCell(-1, 0, 0);
  MPGrid_AddCell(0, 3, 0);
  MPGrid_AddCell(0, -1, 0);
  for (int32_t cell : MPGrid_Get(0)->cells) EXPECT_EQ(cell, 0);
  CPath path;
  EXPECT_FALSE(MPGrid_FindPath(9, path, 0, 0, 1, 1, false));
}

TEST_F(Motion, GridRectanglesCoverTheCellsTheyOverlapClippedToTheGrid) {
  const int32_t id = MPGrid_Create(100, 100, 4, 4, 10, 10);
  MPGrid_AddRectangle(id, 125, 139, 0, 0);  // reversed corners, reaching outside
  CGrid& grid = *MPGrid_Get(id);
  for (int32_t x = 0; x < 4; ++x) {
    for (int32_t y = 0; y < 4; ++y) EXPECT_EQ(grid.Cell(x, y), x <= 2 && y <= 3 ? -1 : 0) << x << "," << y;
  }
  MPGrid_ClearRectangle(id, 110, 110, 119, 500);
  EXPECT_EQ(grid.Cell(1, 3), 0);
  EXPECT_EQ(grid.Cell(0, 3), -1);
  // An instance's box: the wall block at (64, 0) covers 64..79.
  const int32_t room = MPGrid_Create(0, 0, 8, 2, 16, 16);
  MPGrid_AddInstances(room, Make(kWall, 64, 0), false);
  EXPECT_EQ(MPGrid_Get(room)->Cell(4, 0), -1);
  EXPECT_EQ(MPGrid_Get(room)->Cell(3, 0), 0);
  EXPECT_EQ(MPGrid_Get(room)->Cell(5, 0), 0);
  // No shape: nothing is covered.
  CInstance& bare = Make(kWall, 0, 0);
  bare.sprite_index = bare.mask_index = -1;
  bare.bboxDirty = true;
  MPGrid_AddInstances(room, bare, true);
  EXPECT_EQ(MPGrid_Get(room)->Cell(0, 0), 0);
}

TEST_F(Motion, GridDrawsForbiddenCellsRedAndFreeCellsGreen) {
  const int32_t id = MPGrid_Create(10, 20, 2, 1, 8, 4);
  MPGrid_AddCell(id, 1, 0);
  std::vector<std::vector<float>> drawn;
  MPGrid_SetRectangleDrawer([&](float x1, float y1, float x2, float y2, uint32_t colour) {
    drawn.push_back({x1, y1, x2, y2, static_cast<float>(colour)});
  });
  MPGrid_Draw(id);
  MPGrid_Draw(id + 1);
  MPGrid_SetRectangleDrawer(nullptr);
  ASSERT_EQ(drawn.size(), 2u);
  EXPECT_EQ(drawn[0], (std::vector<float>{10, 20, 18, 24, static_cast<float>(0x008000)}));
  EXPECT_EQ(drawn[1], (std::vector<float>{18, 20, 26, 24, static_cast<float>(0x0000FF)}));
}

TEST_F(Motion, GridPathGoesAroundAWallThroughCellCentres) {
  // 5 x 5 cells of 10; column 2 forbidden except the bottom row.
  const int32_t id = MPGrid_Create(0, 0, 5, 5, 10, 10);
  for (int32_t y = 0; y < 4; ++y) MPGrid_AddCell(id, 2, y);
  CPath path;
  ASSERT_TRUE(MPGrid_FindPath(id, path, 3, 4, 47, 2, false));
  ASSERT_EQ(path.GetNumber(), 13);  // start, 11 cell centres, goal (12 steps)
  EXPECT_EQ(path.GetPoint(0).x, 3.0f);
  EXPECT_EQ(path.GetPoint(0).y, 4.0f);
  EXPECT_EQ(path.GetPoint(12).x, 47.0f);
  EXPECT_EQ(path.GetPoint(12).y, 2.0f);
  EXPECT_FALSE(path.GetClosed());
  EXPECT_EQ(path.GetKind(), kPathKindStraight);
  bool passedBelow = false;
  for (int32_t i = 1; i < 12; ++i) {
    const PathPoint p = path.GetPoint(i);
    EXPECT_EQ(std::fmod(p.x, 10.0f), 5.0f);
    EXPECT_NE(MPGrid_Get(id)->Cell(static_cast<int32_t>(p.x) / 10, static_cast<int32_t>(p.y) / 10), -1);
    passedBelow |= p.x == 25.0f && p.y == 45.0f;
  }
  EXPECT_TRUE(passedBelow);
  // The search leaves no marks behind.
  for (int32_t cell : MPGrid_Get(id)->cells) EXPECT_LE(cell, 0);
  // With diagonals the path is shorter.
  ASSERT_TRUE(MPGrid_FindPath(id, path, 3, 4, 47, 2, true));
  EXPECT_LT(path.GetNumber(), 13);
}

TEST_F(Motion, GridPathEdgeCases) {
  const int32_t id = MPGrid_Create(0, 0, 2, 2, 10, 10);
  MPGrid_AddCell(id, 1, 0);
  CPath path;
  // One free cell: start and goal only.
  ASSERT_TRUE(MPGrid_FindPath(id, path, 1, 1, 8, 8, true));
  ASSERT_EQ(path.GetNumber(), 2);
  EXPECT_EQ(path.GetPoint(0).x, 1.0f);
  EXPECT_EQ(path.GetPoint(1).x, 8.0f);
  // A diagonal beside a forbidden cell is not taken: (0,0) to (1,1) goes through (0,1).
  ASSERT_TRUE(MPGrid_FindPath(id, path, 5, 5, 15, 15, true));
  ASSERT_EQ(path.GetNumber(), 3);
  EXPECT_EQ(path.GetPoint(1).x, 5.0f);
  EXPECT_EQ(path.GetPoint(1).y, 15.0f);
  // A forbidden goal, or one outside the grid, fails and leaves the path as it was.
  EXPECT_FALSE(MPGrid_FindPath(id, path, 5, 5, 15, 5, true));
  EXPECT_FALSE(MPGrid_FindPath(id, path, 5, 5, 20, 5, true));
  EXPECT_FALSE(MPGrid_FindPath(id, path, -1, 5, 5, 5, true));
  EXPECT_EQ(path.GetNumber(), 3);
  // Walled in: no path.
  MPGrid_AddCell(id, 0, 1);
  EXPECT_FALSE(MPGrid_FindPath(id, path, 5, 5, 15, 15, false));
}

TEST_F(Motion, PointDirectionAndPotentialSettings) {
  struct Case {
    float x2, y2, want;
  };
  for (const Case& c : {Case{0, -5, 90}, Case{0, 5, 270}, Case{0, 0, 0}, Case{5, 0, 0}, Case{-5, 0, 180},
                        Case{5, -5, 45}, Case{5, 5, 315}}) {
    EXPECT_NEAR(MP_PointDirection(0, 0, c.x2, c.y2), c.want, 0.001) << c.x2 << "," << c.y2;
  }
  MP_PotentialSettings(0.5f, 0, -3, false);
  const PotentialSettings& s = MP_GetPotentialSettings();
  EXPECT_EQ(s.maxRotation, 1.0f);
  EXPECT_EQ(s.rotationStep, 1.0f);
  EXPECT_EQ(s.ahead, 1.0f);
  EXPECT_FALSE(s.onSpot);
}

TEST_F(Motion, LinearStepsAndPaths) {
  BuildWall();
  CInstance& mover = Make(kMover, 0, 0);
  // Goal within one step but blocked: reached, without moving.
  EXPECT_TRUE(MP_LinearStep(mover, 60, 0, 100, kSelectAll, false));
  EXPECT_EQ(mover.x, 0.0f);
  // A free step moves and faces the goal.
  EXPECT_FALSE(MP_LinearStep(mover, 0, 200, 10, kSelectAll, false));
  EXPECT_EQ(mover.y, 10.0f);
  EXPECT_EQ(mover.direction, 270.0f);
  // A path through free space: every step recorded, the instance put back.
  CPath path;
  EXPECT_TRUE(MP_LinearPath(mover, path, 0, 45, 10, kSelectAll, false));
  EXPECT_EQ(path.GetNumber(), 5);  // the start (10), 20, 30, 40 and the goal
  EXPECT_EQ(mover.y, 10.0f);
  EXPECT_EQ(mover.direction, 270.0f);
  // Into the wall: fails where it stops.
  EXPECT_FALSE(MP_LinearPath(mover, path, 200, 10, 10, kWall, true));
  EXPECT_EQ(mover.x, 0.0f);
  EXPECT_FALSE(MP_LinearPath(mover, path, 200, 10, 0, kSelectAll, false));
}

TEST_F(Motion, PotentialPathGoesAroundAndEndsWhenStuck) {
  BuildWall();
  CInstance& mover = Make(kMover, 0, 60);
  CPath path;
  EXPECT_TRUE(MP_PotentialPath(mover, path, 150, 60, 4, 4, kSelectAll, false));
  EXPECT_EQ(mover.x, 0.0f);
  EXPECT_EQ(path.GetPoint(path.GetNumber() - 1).x, 150.0f);
  // Boxed in on every side: the planner gives up instead of running forever.
  for (float x : {-32.0f, -16.0f, 16.0f, 32.0f}) {
    for (float y : {28.0f, 44.0f, 60.0f, 76.0f, 92.0f}) Make(kWall, x, y);
  }
  Make(kWall, 0, 28);
  Make(kWall, 0, 92);
  for (bool onSpot : {true, false}) {
    MP_PotentialSettings(30, 10, 3, onSpot);
    EXPECT_FALSE(MP_PotentialPath(mover, path, 150, 60, 4, 1e30f, kSelectAll, false));
    EXPECT_EQ(mover.x, 0.0f);
  }
}

}  // namespace
