#include <gtest/gtest.h>

#include "data/event_lists.h"
#include "data/objects.h"
#include "loaded_game.h"
#include "runner/events.h"
#include "runner/pending_room.h"
#include "script/variable_access.h"

namespace {

gamedata::Object MakeObject(const std::string& name, int32_t parent = -1) {
  gamedata::Object object;
  object.name = name;
  object.parent = parent;
  return object;
}

void AddEvent(gamedata::Object& object, int32_t type, int32_t number, const std::string& tag) {
  object.events.push_back({type, number, {"test_record(\"" + tag + "\");"}});
}

using ObjectsTest = LoadedGame;

TEST_F(ObjectsTest, ChildWithoutAStepEventRunsItsParentsAsTheParent) {
  GameDataWriter game;
  auto parent = MakeObject("obj_parent");
  AddEvent(parent, 3, 0, "parent step");
  AddEvent(parent, 0, 0, "parent create");
  auto child = MakeObject("obj_child", 0);
  AddEvent(child, 0, 0, "child create");
  game.objects = {parent, child};
  ASSERT_TRUE(Load(game)) << log;
  ASSERT_TRUE(Prepare()) << log;

  CInstance& c = Make(1);
  Perform_Event(&c, &c, 3, 0);
  Perform_Event(&c, &c, 0, 0);
  Perform_Event(&c, &c, 3, 2);  // no end step anywhere: nothing runs
  ASSERT_EQ(Records().size(), 2u);
  EXPECT_EQ(Records()[0].tag, "parent step");
  EXPECT_EQ(Records()[0].object, 0);  // the event's owner is the current object
  EXPECT_EQ(Records()[0].type, 3);
  EXPECT_EQ(Records()[0].self, &c);
  EXPECT_EQ(Records()[1].tag, "child create");
  EXPECT_EQ(Records()[1].object, 1);
  EXPECT_TRUE(MachineErrors().empty());

  // The inherited event puts the child into the step list too.
  Object_Rebuild_Event_Lists();
  EXPECT_EQ(Object_EventList(3, 0), (std::vector<int32_t>{0, 1}));
  EXPECT_EQ(Object_EventList(0, 0), (std::vector<int32_t>{0, 1}));
  EXPECT_TRUE(Object_EventList(3, 2).empty());
}

TEST_F(ObjectsTest, CollisionEventAgainstAParentIsFoundForItsDescendants) {
  GameDataWriter game;
  auto a = MakeObject("obj_a");
  AddEvent(a, 4, 1, "a meets parent");
  game.objects = {a, MakeObject("obj_parent"), MakeObject("obj_child", 1), MakeObject("obj_grandchild", 2),
                  MakeObject("obj_unrelated")};
  ASSERT_TRUE(Load(game)) << log;
  ASSERT_TRUE(Prepare()) << log;

  for (int32_t other : {1, 2, 3}) {
    int32_t owner = -1;
    CEvent* event = Event_Find(0, 4, other, owner);
    ASSERT_NE(event, nullptr) << other;
    EXPECT_EQ(owner, 0);
    EXPECT_EQ(event, Event_Find(0, 4, 1, owner));
  }
  int32_t owner = -1;
  EXPECT_EQ(Event_Find(0, 4, 4, owner), nullptr);
  EXPECT_EQ(Event_Find(0, 4, 99, owner), nullptr);  // no such object

  CInstance& self = Make(0);
  CInstance& grandchild = Make(3);
  Perform_Event(&self, &grandchild, 4, 3);
  ASSERT_EQ(Records().size(), 1u);
  EXPECT_EQ(Records()[0].tag, "a meets parent");
  EXPECT_EQ(Records()[0].number, 3);  // the number raised, not the one found

  Object_Rebuild_Event_Lists();
  const auto& pairs = Object_CollisionPairs();
  ASSERT_EQ(pairs.size(), 3u);
  for (size_t i = 0; i < pairs.size(); ++i) {
    EXPECT_EQ(pairs[i].object, 0);
    EXPECT_EQ(pairs[i].other, static_cast<int32_t>(i) + 1);
  }
}

TEST_F(ObjectsTest, CollisionEventWithTheChildItselfWinsOverTheParents) {
  GameDataWriter game;
  auto a = MakeObject("obj_a");
  AddEvent(a, 4, 1, "a meets parent");
  AddEvent(a, 4, 2, "a meets child");
  game.objects = {a, MakeObject("obj_parent"), MakeObject("obj_child", 1), MakeObject("obj_grandchild", 2)};
  ASSERT_TRUE(Load(game)) << log;
  ASSERT_TRUE(Prepare()) << log;

  CInstance& self = Make(0);
  for (int32_t other : {2, 3, 1}) Perform_Event(&self, &self, 4, other);
  ASSERT_EQ(Records().size(), 3u);
  EXPECT_EQ(Records()[0].tag, "a meets child");
  EXPECT_EQ(Records()[1].tag, "a meets child");  // the nearest ancestor of the other first
  EXPECT_EQ(Records()[2].tag, "a meets parent");
}

TEST_F(ObjectsTest, MutualCollisionEventsMakeOnePairOwnedByTheLowerIndex) {
  GameDataWriter game;
  auto x = MakeObject("obj_x");
  auto y = MakeObject("obj_y");
  AddEvent(x, 4, 1, "x");
  AddEvent(y, 4, 0, "y");
  AddEvent(y, 4, 1, "y with itself");
  game.objects = {x, y};
  ASSERT_TRUE(Load(game)) << log;
  Object_Rebuild_Event_Lists();
  const auto& pairs = Object_CollisionPairs();
  ASSERT_EQ(pairs.size(), 2u);
  EXPECT_EQ(pairs[0].object, 0);
  EXPECT_EQ(pairs[0].other, 1);
  EXPECT_EQ(pairs[1].object, 1);
  EXPECT_EQ(pairs[1].other, 1);
}

TEST_F(ObjectsTest, KeyEventsAboveCode128AreListed) {
  GameDataWriter game;
  auto o = MakeObject("obj_keys");
  AddEvent(o, 5, 200, "held");
  AddEvent(o, 9, 144, "press");
  AddEvent(o, 10, 255, "release");
  AddEvent(o, 3, 100, "step 100");
  game.objects = {o};
  ASSERT_TRUE(Load(game)) << log;
  EXPECT_EQ(Object_Data(0)->EventSlotCount(3), 101);
  EXPECT_EQ(Object_Data(0)->GetEvent(3, 99), nullptr);
  EXPECT_NE(Object_Data(0)->GetEvent(3, 100), nullptr);
  Object_Rebuild_Event_Lists();
  EXPECT_EQ(Object_EventList(5, 200).size(), 1u);
  EXPECT_EQ(Object_EventList(9, 144).size(), 1u);
  EXPECT_EQ(Object_EventList(10, 255).size(), 1u);
}

TEST_F(ObjectsTest, FieldsAndPhysicsSettingsReadBack) {
  GameDataWriter game;
  auto o = MakeObject("obj_body", 5);  // a parent that does not exist stays unlinked
  o.sprite = 3;
  o.visible = false;
  o.solid = true;
  o.persistent = true;
  o.depth = -40;
  o.mask = 7;
  o.physics = true;
  o.sensor = true;
  o.shape = 2;
  o.density = 0.25f;
  o.restitution = 0.75f;
  o.group = -3;
  o.linearDamping = 0.5f;
  o.angularDamping = 1.5f;
  o.points = {{0, 0}, {16, 0}, {8, 12}};
  auto high = MakeObject("obj_high_parent", 100000);
  game.objects = {o, high};
  ASSERT_TRUE(Load(game)) << log;

  const CObjectKF* body = Object_Data(0);
  ASSERT_NE(body, nullptr);
  EXPECT_EQ(body->Name(), "obj_body");
  EXPECT_EQ(body->spriteIndex, 3);
  EXPECT_EQ(body->flags, CObjectKF::kSolid | CObjectKF::kPersistent);
  EXPECT_EQ(body->depth, -40);
  EXPECT_EQ(body->maskIndex, 7);
  EXPECT_EQ(body->parentIndex, 5);
  EXPECT_EQ(body->ParentObject(), nullptr);
  EXPECT_TRUE(body->usesPhysics);
  EXPECT_TRUE(body->sensor);
  EXPECT_EQ(body->shapeKind, PhysicsShape::Polygon);
  EXPECT_EQ(body->density, 0.25f);
  EXPECT_EQ(body->restitution, 0.75f);
  EXPECT_EQ(body->collisionGroup, -3);
  EXPECT_EQ(body->linearDamping, 0.5f);
  EXPECT_EQ(body->angularDamping, 1.5f);
  ASSERT_EQ(body->points.size(), 3u);
  EXPECT_EQ(body->points[2].x, 8.0f);
  EXPECT_EQ(body->points[2].y, 12.0f);
  EXPECT_EQ(Object_Data(1)->ParentObject(), nullptr);

  EXPECT_EQ(Object_Find("obj_high_parent"), 1);
  EXPECT_EQ(Object_Find("missing"), -1);
  EXPECT_EQ(Object_Name(2), "<undefined>");
  EXPECT_EQ(Object_Name(-1), "<undefined>");
}

// Damaged event tables: the load fails as a whole, reading nothing out of range.
TEST_F(ObjectsTest, EventRecordsOutOfRangeAreRefused) {
  struct Case {
    const char* what;
    int32_t type;
    int32_t number;
    bool loads;
  };
  const Case cases[] = {
      {"sub-event -1", 3, -1, false},
      {"sub-event 1,000,000", 3, 1000000, false},
      {"a 13th event type", 12, 0, false},
      {"collision with an object past the list", 4, 2, false},
      {"collision with the last object", 4, 1, true},
      {"key code 255", 5, 255, true},
      {"key code 256", 5, 256, false},
      {"the 12th event type", 11, 0, true},
  };
  for (const Case& c : cases) {
    GameDataWriter game;
    auto o = MakeObject("obj_a");
    o.events.push_back({c.type, c.number, {""}});
    game.objects = {o, MakeObject("obj_b")};
    EXPECT_EQ(Load(game), c.loads) << c.what;
    if (!c.loads) {
      EXPECT_NE(log.find("Failed to load the game"), std::string::npos) << c.what;
    } else {
      EXPECT_EQ(Object_GetCount(), 2) << c.what;
    }
    Object_FreeAll();
  }
}

TEST_F(ObjectsTest, PreparationNamesCodeByObjectEventAndAction) {
  GameDataWriter game;
  auto a = MakeObject("obj_a");
  AddEvent(a, 3, 1, "begin");
  AddEvent(a, 4, 1, "with b");
  AddEvent(a, 9, 65, "press A");
  game.objects = {a, MakeObject("obj_b")};
  ASSERT_TRUE(Load(game)) << log;
  ASSERT_TRUE(Prepare()) << log;
  EXPECT_NE(log.find("Preparing 2 objects:\n\tObjects 0: obj_a\n\tObjects 1: obj_b\n"), std::string::npos) << log;
  EXPECT_EQ(Object_Data(0)->GetEvent(3, 1)->code->Name(), "Object.obj_a.BeginStep.0");
  EXPECT_EQ(Object_Data(0)->GetEvent(4, 1)->code->Name(), "Object.obj_a.obj_b.0");
  EXPECT_EQ(Object_Data(0)->GetEvent(9, 65)->code->Name(), "Object.obj_a.press_A-key.0");
}

TEST_F(ObjectsTest, CompileFailureIsAFatalActionError) {
  GameDataWriter game;
  auto good = MakeObject("obj_good");
  AddEvent(good, 0, 0, "fine");
  auto bad = MakeObject("obj_bad");
  bad.events.push_back({2, 3, {"x = ;"}});
  game.objects = {good, bad};
  ASSERT_TRUE(Load(game)) << log;
  EXPECT_FALSE(Prepare());
  EXPECT_NE(log.find("ERROR!!! :: FATAL ERROR in\naction number 1\nof Alarm Event for alarm 3\n"
                     "for object obj_bad:\n\n\nCOMPILATION ERROR in code action\n"),
            std::string::npos)
      << log;
  EXPECT_EQ(Runner_GetPendingRoom(), kPendingRoomFatalError);
}

TEST_F(ObjectsTest, AddedObjectsTakeFreshIndicesAfterADelete) {
  GameDataWriter game;
  game.objects = {MakeObject("obj_a"), MakeObject("obj_b")};
  ASSERT_TRUE(Load(game)) << log;
  EXPECT_EQ(Object_AddNew(), 2);
  EXPECT_EQ(Object_Name(2), "__newobject2");
  EXPECT_TRUE(Object_Delete(2));
  EXPECT_FALSE(Object_Exists(2));
  EXPECT_EQ(Object_GetCount(), 3);
  EXPECT_EQ(Object_AddNew(), 3);
  EXPECT_EQ(Object_Find("__newobject3"), 3);
}

TEST_F(ObjectsTest, DeletingAnObjectLeavesNoDanglingReferences) {
  GameDataWriter game;
  auto grand = MakeObject("obj_grand");
  AddEvent(grand, 3, 0, "grand step");
  game.objects = {grand, MakeObject("obj_parent", 0), MakeObject("obj_child", 1)};
  ASSERT_TRUE(Load(game)) << log;
  ASSERT_TRUE(Prepare()) << log;
  CInstance& p = Make(1);
  CInstance& c = Make(2);
  EXPECT_EQ(Object_Data(0)->InstancesRecursive().Count(), 2);

  ASSERT_TRUE(Object_Delete(1));
  EXPECT_EQ(p.object, nullptr);
  EXPECT_EQ(c.object, Object_Data(2));
  EXPECT_EQ(Object_Data(2)->ParentObject(), nullptr);
  EXPECT_EQ(Object_Data(0)->InstancesRecursive().Count(), 0);
  // The child's chain now ends at the missing parent.
  Perform_Event(&c, &c, 3, 0);
  Perform_Event(&p, &p, 3, 0);
  EXPECT_TRUE(Records().empty());

  // Instances of the deleted object and of its child go without touching it.
  instances.clear();
  EXPECT_EQ(Object_Data(2)->Instances().Count(), 0);
}

TEST_F(ObjectsTest, AnObjectDeletedByItsOwnEventGoesAfterTheEvent) {
  GameDataWriter game;
  auto o = MakeObject("obj_self_deleting");
  o.events.push_back({3, 0, {"test_delete_object(0); test_record(\"still running\");"}});
  game.objects = {o};
  ASSERT_TRUE(Load(game)) << log;
  ASSERT_TRUE(Prepare()) << log;
  CInstance& i = Make(0);
  Perform_Event(&i, &i, 3, 0);
  ASSERT_EQ(Records().size(), 1u);
  EXPECT_EQ(Records()[0].tag, "still running");
  EXPECT_FALSE(Object_Exists(0));
  EXPECT_EQ(i.object, nullptr);
}

TEST_F(ObjectsTest, NoEventRunsWhileARoomChangeIsPending) {
  GameDataWriter game;
  auto o = MakeObject("obj_a");
  AddEvent(o, 3, 0, "step");
  game.objects = {o};
  ASSERT_TRUE(Load(game)) << log;
  ASSERT_TRUE(Prepare()) << log;
  CInstance& i = Make(0);
  Runner_SetPendingRoom(2);
  Perform_Event(&i, &i, 3, 0);
  EXPECT_TRUE(Records().empty());
}

TEST_F(ObjectsTest, AParentLoopInTheDataEndsTheWalk) {
  GameDataWriter game;
  auto a = MakeObject("obj_a", 1);
  auto b = MakeObject("obj_b", 0);
  AddEvent(b, 4, 0, "b meets a");
  game.objects = {a, b, MakeObject("obj_c")};
  ASSERT_TRUE(Load(game)) << log;
  int32_t owner = -1;
  EXPECT_NE(Event_Find(0, 4, 0, owner), nullptr);
  EXPECT_EQ(owner, 1);
  EXPECT_EQ(Event_Find(2, 3, 0, owner), nullptr);
  EXPECT_EQ(Event_Find(0, 3, 0, owner), nullptr);
  EXPECT_TRUE(Object_Data(0)->HasAncestor(1));
  EXPECT_FALSE(Object_Data(2)->HasAncestor(0));
  Make(0);  // joining the lists of a looped chain ends too
  Object_Rebuild_Event_Lists();
}

TEST_F(ObjectsTest, PerformEventAllVisitsTheRoomsInstancesNotMarked) {
  GameDataWriter game;
  auto a = MakeObject("obj_a");
  AddEvent(a, 7, 10, "user 0");
  game.objects = {a, MakeObject("obj_b")};
  ASSERT_TRUE(Load(game)) << log;
  ASSERT_TRUE(Prepare()) << log;
  CInstance& first = Make(0);
  CInstance& marked = Make(0);
  Make(1);
  CInstance& last = Make(0);
  marked.marked = true;
  auto& walk = Variable_InstanceWorld().forEachActiveInstance;
  walk = [this](const InstanceVisitor& visit) {
    for (auto& instance : instances) {
      if (!visit(*instance)) break;
    }
  };
  Perform_Event_All(7, 10);
  walk = nullptr;
  ASSERT_EQ(Records().size(), 2u);
  EXPECT_EQ(Records()[0].self, &first);
  EXPECT_EQ(Records()[1].self, &last);
}

TEST_F(ObjectsTest, LibraryInitialisationCodeRunsEachTextThatCompiles) {
  EXPECT_FALSE(Library_RunInitCode());  // no list at all
  Library_SetInitCode({"test_record(\"lib 0\");", "", "x = ;", "test_record(\"lib 3\");"});
  ConsoleCapture console;
  EXPECT_TRUE(Library_RunInitCode());
  ASSERT_EQ(Records().size(), 2u);
  EXPECT_EQ(Records()[0].tag, "lib 0");
  EXPECT_EQ(Records()[1].tag, "lib 3");
  EXPECT_NE(Records()[0].self, nullptr);
  EXPECT_NE(console.Text().find("ERROR!!! :: COMPILATION ERROR in library initialization code\n"),
            std::string::npos)
      << console.Text();
  Library_FreeInitCode();
  EXPECT_FALSE(Library_RunInitCode());
}

}  // namespace
