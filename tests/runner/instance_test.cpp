#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <vector>

#include "data/game_loader.h"
#include "data/objects.h"
#include "runner/instance.h"
#include "support/game_data_writer.h"

namespace {

// Sprites for the box tests: index -> shape.
std::map<int32_t, InstanceSpriteShape>& Sprites() {
  static std::map<int32_t, InstanceSpriteShape> sprites;
  return sprites;
}

class InstanceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Object_FreeAll();  // a game loaded in this process before leaves its objects
    Instance_SetSpriteLookup([](int32_t sprite, InstanceSpriteShape& shape) {
      auto it = Sprites().find(sprite);
      if (it == Sprites().end()) return false;
      shape = it->second;
      return true;
    });
    // 0: 32 x 32, origin 0; 1: 10 x 10 with origin at its centre, precise.
    Sprites()[0] = {1, 0, 0, 31, 31, 0, 0, false};
    Sprites()[1] = {2, 0, 0, 9, 9, 5, 5, true};
  }
  void TearDown() override {
    Instance_SetSpriteLookup(nullptr);
    Instance_PreciseTests() = {};
    Sprites().clear();
    Object_FreeAll();
  }

  void LoadObjects(uint32_t lastId = 100000) {
    GameDataWriter game;
    game.header.lastInstanceId = lastId;
    gamedata::Object parent;
    parent.name = "obj_parent";
    parent.sprite = 0;
    parent.depth = 5;
    parent.solid = true;
    gamedata::Object child;
    child.name = "obj_child";
    child.parent = 0;
    child.sprite = 1;
    child.mask = 0;
    child.persistent = true;
    child.visible = false;
    game.objects = {parent, child};
    ConsoleCapture console;
    ASSERT_EQ(GameData_LoadImage(game.Build()), GameLoadResult::Loaded) << console.Text();
  }
};

TEST_F(InstanceTest, IdsCountUpFromTheHeadersLastIdAndTheMapFollowsLifetimes) {
  LoadObjects(123456);
  auto a = Instance_Create(0, 0, 0);
  auto b = Instance_Create(0, 0, 1);
  EXPECT_EQ(a->id, 123457);
  EXPECT_EQ(b->id, 123458);
  EXPECT_EQ(Instance_GetLastId(), 123458);
  EXPECT_EQ(Instance_Find(123457), a.get());
  EXPECT_EQ(Instance_Find(123458), b.get());
  a.reset();
  EXPECT_EQ(Instance_Find(123457), nullptr);
  EXPECT_EQ(Instance_Find(123458), b.get());
  // A second instance under a taken id does not displace the first.
  CInstance twin(0, 0, 123458, 0, false);
  Instance_IdHash_Add(twin);
  EXPECT_EQ(Instance_Find(123458), b.get());
}

TEST_F(InstanceTest, TakesItsObjectsSettingsAndJoinsItsLists) {
  LoadObjects();
  auto p = Instance_Create(4, 5, 0);
  auto c = Instance_Create(0, 0, 1);
  auto loose = std::make_unique<CInstance>(0.0f, 0.0f, 7, -1, false);
  EXPECT_EQ(loose->object_index, 0);
  EXPECT_EQ(p->sprite_index, 0);
  EXPECT_EQ(p->depth, 5.0f);
  EXPECT_TRUE(p->solid);
  EXPECT_TRUE(p->visible);
  EXPECT_EQ(p->xstart, 4.0f);
  EXPECT_EQ(p->yprevious, 5.0f);
  EXPECT_EQ(c->mask_index, 0);
  EXPECT_FALSE(c->visible);
  EXPECT_TRUE(c->persistent);
  for (int i = 0; i < kAlarmCount; ++i) EXPECT_EQ(c->alarm[static_cast<size_t>(i)], -1);
  EXPECT_EQ(c->gravity_direction, 270.0f);
  EXPECT_EQ(c->image_blend, 0xFFFFFFu);

  const CObjectKF* parent = Object_Data(0);
  const CObjectKF* child = Object_Data(1);
  EXPECT_EQ(parent->Instances().Count(), 1);  // the loose one did not join
  EXPECT_EQ(parent->InstancesRecursive().Count(), 2);
  EXPECT_EQ(child->Instances().Count(), 1);

  c->ChangeObject(0, true);
  EXPECT_EQ(child->Instances().Count(), 0);
  EXPECT_EQ(parent->Instances().Count(), 2);
  EXPECT_EQ(parent->InstancesRecursive().Count(), 2);
  EXPECT_EQ(c->mask_index, -1);

  CInstance copy(0, 0, 1, 1, false);
  copy.Assign(*p, true);
  EXPECT_EQ(copy.id, p->id);
  EXPECT_EQ(copy.x, 4.0f);
  EXPECT_EQ(parent->Instances().Count(), 3);
  c.reset();
  p.reset();
  EXPECT_EQ(parent->InstancesRecursive().Count(), 1);
}

// An object that becomes a parent while the game runs: its list of itself and descendants
// starts from its own instances and follows joins and leaves from then on.
TEST_F(InstanceTest, AnObjectThatBecomesAParentListsItsOwnInstancesFirst) {
  LoadObjects();
  CObjectKF* parent = Object_Data(0);
  CObjectKF* child = Object_Data(1);
  child->SetParent(-1);
  auto walk = [](const ObjectInstanceList& list) { return std::vector<CInstance*>(list.begin(), list.end()); };
  auto c1 = Instance_Create(0, 0, 1);
  auto c2 = Instance_Create(0, 0, 1);
  auto p1 = Instance_Create(0, 0, 0);
  EXPECT_EQ(walk(child->InstancesRecursive()), (std::vector<CInstance*>{c1.get(), c2.get()}));
  EXPECT_EQ(walk(parent->InstancesRecursive()), (std::vector<CInstance*>{p1.get()}));

  Object_Data(0)->SetParent(1);  // the former child is now the parent
  EXPECT_EQ(walk(child->InstancesRecursive()), (std::vector<CInstance*>{c1.get(), c2.get(), p1.get()}));
  auto c3 = Instance_Create(0, 0, 1);
  c1.reset();
  EXPECT_EQ(walk(child->InstancesRecursive()), (std::vector<CInstance*>{c2.get(), p1.get(), c3.get()}));
  EXPECT_EQ(walk(child->Instances()), (std::vector<CInstance*>{c2.get(), c3.get()}));

  parent->SetParent(-1);
  EXPECT_EQ(walk(child->InstancesRecursive()), (std::vector<CInstance*>{c2.get(), c3.get()}));
  EXPECT_EQ(walk(parent->InstancesRecursive()), (std::vector<CInstance*>{p1.get()}));
}

TEST_F(InstanceTest, DirectionAndSpeedStayCoupled) {
  CInstance i(0, 0, 100001, 0, false);
  struct Case {
    float set;
    float direction;
  };
  for (const Case& c : {Case{-90, 270}, Case{720, 0}, Case{360, 0}, Case{45, 45}, Case{-720, 0}}) {
    i.SetDirection(c.set);
    EXPECT_EQ(i.direction, c.direction) << c.set;
  }
  i.SetDirection(1.0e30f);  // far outside a turn: still ends in 0..360
  EXPECT_GE(i.direction, 0.0f);
  EXPECT_LT(i.direction, 360.0f);

  i.SetDirection(90);
  i.SetSpeed(1);
  EXPECT_EQ(i.hspeed, 0.0f);  // the tiny cosine is snapped
  EXPECT_EQ(i.vspeed, -1.0f);

  CInstance j(0, 0, 100002, 0, false);
  j.SetVSpeed(3);
  EXPECT_EQ(j.direction, 270.0f);
  EXPECT_EQ(j.speed, 3.0f);
  j.SetVSpeed(0);
  j.SetHSpeed(-2);
  EXPECT_EQ(j.direction, 180.0f);
  j.SetVSpeed(-2);
  EXPECT_EQ(j.direction, 135.0f);
  EXPECT_NEAR(j.speed, 2.8284271f, 1e-6);

  CInstance k(0, 0, 100003, 0, false);
  k.AddMotion(0, 3);
  k.AddMotion(90, 4);
  EXPECT_EQ(k.speed, 5.0f);  // speed is snapped; the added components are not
  EXPECT_NEAR(k.hspeed, 3.0f, 1e-6);
  EXPECT_EQ(k.vspeed, -4.0f);
}

TEST_F(InstanceTest, AlarmsOutsideTheTwelveReadMinusOneAndIgnoreWrites) {
  CInstance i(0, 0, 100001, 0, false);
  i.SetAlarm(0, 3);
  i.SetAlarm(12, 5);
  i.SetAlarm(-1, 5);
  EXPECT_EQ(i.GetAlarm(0), 3);
  EXPECT_EQ(i.GetAlarm(11), -1);
  EXPECT_EQ(i.GetAlarm(12), -1);
  EXPECT_EQ(i.GetAlarm(-1), -1);
  i.SetPathPosition(1.5f);
  EXPECT_EQ(i.path_position, 1.0f);
  i.SetPathPositionPrevious(-0.5f);
  EXPECT_EQ(i.path_positionprevious, 0.0f);
}

TEST_F(InstanceTest, BoundingBoxes) {
  CInstance none(0, 0, 100001, 0, false);
  none.sprite_index = 9;
  none.Compute_BoundingBox();
  EXPECT_EQ(none.bbox_left, kNoBoundingBox);
  EXPECT_EQ(none.bbox_bottom, kNoBoundingBox);
  EXPECT_FALSE(none.Collision_Point(-100000, -100000, false));

  CInstance i(0, 0, 100002, 0, false);
  i.SetSpriteIndex(0);
  i.SetPosition(10.5f, 0);
  i.EnsureBoundingBox();
  EXPECT_EQ(i.bbox_left, 10);  // 10.5 rounds to even
  EXPECT_EQ(i.bbox_right, 42);
  EXPECT_EQ(i.bbox_top, 0);
  EXPECT_EQ(i.bbox_bottom, 31);

  i.SetImageXScale(-1);  // mirrored: the box is swapped into order
  i.EnsureBoundingBox();
  EXPECT_EQ(i.bbox_left, -22);  // -22.5 rounds to even
  EXPECT_EQ(i.bbox_right, 10);

  i.SetImageXScale(1);
  i.SetPosition(0, 0);
  i.SetImageAngle(90);
  i.EnsureBoundingBox();
  EXPECT_EQ(i.bbox_left, 0);
  EXPECT_EQ(i.bbox_right, 31);
  EXPECT_EQ(i.bbox_top, -31);
  EXPECT_EQ(i.bbox_bottom, 0);

  // The mask decides the shape when there is one.
  CInstance m(0, 0, 100003, 0, false);
  m.SetSpriteIndex(0);
  m.SetMaskIndex(1);
  m.EnsureBoundingBox();
  EXPECT_EQ(m.bbox_left, -5);
  EXPECT_EQ(m.bbox_right, 4);
  EXPECT_TRUE(m.precise);
}

TEST_F(InstanceTest, CollisionTestsOnBoxes) {
  CInstance a(0, 0, 100001, 0, false);
  a.SetSpriteIndex(0);  // box 0..31
  CInstance b(31, 31, 100002, 0, false);
  b.SetSpriteIndex(0);  // box 31..62
  CInstance none(0, 0, 100003, 0, false);

  EXPECT_TRUE(a.Collision_Instance(b, false));
  EXPECT_FALSE(a.Collision_Instance(a, false));
  EXPECT_FALSE(a.Collision_Instance(none, false));
  b.SetPosition(32, 0);
  EXPECT_FALSE(a.Collision_Instance(b, false));

  EXPECT_TRUE(a.Collision_Point(31.9f, 0, false));
  EXPECT_FALSE(a.Collision_Point(32, 0, false));
  EXPECT_TRUE(a.Collision_Rectangle(40, 40, 31, 31, false));
  EXPECT_FALSE(a.Collision_Rectangle(32, 0, 40, 10, false));
  // The circle in (30..50, 30..50) misses the box's corner; a wider one reaches it.
  EXPECT_FALSE(a.Collision_Ellipse(30, 30, 50, 50, false));
  EXPECT_TRUE(a.Collision_Ellipse(20, 20, 50, 50, false));
  // Zero and one pixel wide ellipses test their centre line only.
  EXPECT_TRUE(a.Collision_Ellipse(10, -5, 10, 40, false));
  EXPECT_TRUE(a.Collision_Ellipse(10, -5, 11, 40, false));
  EXPECT_FALSE(a.Collision_Ellipse(40, -5, 40, 40, false));
  EXPECT_TRUE(a.Collision_Line(-10, -10, 50, 50, false));
  EXPECT_TRUE(a.Collision_Line(-10, 20, 40, 20, false));
  EXPECT_FALSE(a.Collision_Line(-10, 40, 40, 60, false));

  // Marked instances never collide.
  a.marked = true;
  EXPECT_FALSE(a.Collision_Point(5, 5, false));
  EXPECT_FALSE(a.Collision_Rectangle(0, 0, 5, 5, false));
  EXPECT_FALSE(a.Collision_Instance(b, false));
}

TEST_F(InstanceTest, PreciseTestsRunOnlyWhenAskedAndTheSpriteIsPrecise) {
  int calls = 0;
  Instance_PreciseTests().point = [&calls](const CInstance&, int32_t, int32_t) {
    ++calls;
    return false;
  };
  CInstance plain(0, 0, 100001, 0, false);
  plain.SetSpriteIndex(0);
  CInstance precise(0, 0, 100002, 0, false);
  precise.SetSpriteIndex(1);
  EXPECT_TRUE(plain.Collision_Point(1, 1, true));
  EXPECT_TRUE(precise.Collision_Point(1, 1, false));
  EXPECT_EQ(calls, 0);
  EXPECT_FALSE(precise.Collision_Point(1, 1, true));
  EXPECT_EQ(calls, 1);
}

// Path 0 runs straight from (0, 0) to (100, 0) at full speed; no other path exists.
class PathTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InstancePathAccess access;
    access.length = [](int32_t path, float& length) {
      length = 100.0f;
      return path == 0;
    };
    access.point = [](int32_t, float position, float& x, float& y, float& speed) {
      x = 100.0f * position;
      y = 0.0f;
      speed = 100.0f;
    };
    Instance_SetPathAccess(access);
  }
  void TearDown() override { Instance_SetPathAccess({}); }

  // Starts the path from (50, 50), takes the steps and answers where the instance is.
  static CInstance& Follow(CInstance& i, int32_t endAction, int steps, bool relative = true,
                           float orientation = 0.0f) {
    i.SetPosition(50, 50);
    i.StartPath(0, 25, 1, orientation, relative, endAction);
    for (int k = 0; k < steps; ++k) i.PathStep();
    return i;
  }
};

TEST_F(PathTest, FollowsFromWhereItStandsOrFromThePathsStart) {
  CInstance i(0, 0, 100001, 0, false);
  Follow(i, 0, 1);
  EXPECT_EQ(i.x, 75.0f);
  EXPECT_EQ(i.y, 50.0f);
  EXPECT_EQ(i.speed, 0.0f);
  EXPECT_EQ(i.hspeed, 0.0f);
  EXPECT_EQ(i.direction, 0.0f);  // the direction of the move stays
  EXPECT_EQ(i.path_position, 0.25f);

  Follow(i, 0, 1, false);
  EXPECT_EQ(i.x, 25.0f);
  EXPECT_EQ(i.y, 0.0f);

  Follow(i, 0, 1, true, 90.0f);  // turned a quarter: the path runs upwards
  EXPECT_NEAR(i.x, 50.0f, 1e-4);
  EXPECT_EQ(i.y, 25.0f);
  EXPECT_EQ(i.direction, 90.0f);

  i.StartPath(0, -25, 1, 0, false, 0);
  EXPECT_EQ(i.path_position, 1.0f);
  EXPECT_EQ(i.x, 100.0f);
}

TEST_F(PathTest, EndActions) {
  struct Case {
    int32_t action;
    float x;
    int32_t pathIndex;
    float position;
    float pathSpeed;
  };
  const Case cases[] = {
      {0, 150, -1, 1, 25},  // stop at the end
      {1, 50, 0, 0, 25},    // restart from the start
      {2, 150, 0, 0, 25},   // continue from the end
      {3, 150, 0, 1, -25},  // turn back
  };
  for (const Case& c : cases) {
    CInstance i(0, 0, 100001, 0, false);
    Follow(i, c.action, 2);
    EXPECT_FALSE(i.PathStep()) << c.action;  // to 0.75
    EXPECT_TRUE(i.PathStep()) << c.action;   // to the end
    EXPECT_EQ(i.x, c.x) << c.action;
    EXPECT_EQ(i.path_index, c.pathIndex) << c.action;
    EXPECT_EQ(i.path_position, c.position) << c.action;
    EXPECT_EQ(i.path_speed, c.pathSpeed) << c.action;
  }
  CInstance i(0, 0, 100001, 0, false);
  Follow(i, 2, 8);  // continuing twice round
  EXPECT_EQ(i.x, 250.0f);
}

TEST_F(PathTest, MissingPathsAndNegativeScalesLeaveNoPath) {
  CInstance i(0, 0, 100001, 0, false);
  i.StartPath(3, 10, 1, 0, true, 0);
  EXPECT_EQ(i.path_index, -1);
  i.StartPath(0, 10, -1, 0, true, 0);
  EXPECT_EQ(i.path_index, -1);
  EXPECT_FALSE(i.PathStep());
  i.StartPath(0, 10, 1, 0, true, 0);
  i.StartPath(-1, 0, 1, 0, false, 0);
  EXPECT_EQ(i.path_index, -1);
}

}  // namespace
