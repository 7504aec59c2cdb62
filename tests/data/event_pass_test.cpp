// An object's event pass runs the event for one instance after another and notices what the
// events change on the way: the executors, the objects, the running depth.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "data/objects.h"
#include "loaded_game.h"
#include "runner/events.h"
#include "script/code.h"
#include "script/current_event.h"
#include "script/function_table.h"
#include "script/script_arguments.h"
#include "script/vm/vm.h"

namespace {

// The runs that reached an executor a test installed: the code's name and self.
std::vector<std::pair<std::string, CInstance*>>& Seen() {
  static std::vector<std::pair<std::string, CInstance*>> seen;
  return seen;
}

void F_UseOtherExecutor(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue*) {
  Code_SetVMExecutor([](const CCode& code, CInstance* self, CInstance*, ScriptValue&) {
    Seen().emplace_back(code.Name(), self);
  });
  result.SetReal(0.0);
}

void F_UseTree(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue*) {
  Code_SetUseVM(false);
  Code_SetTreeExecutor([](const CCode& code, CInstance* self, CInstance*, ScriptValue&) {
    Seen().emplace_back(code.Name(), self);
    return true;
  });
  result.SetReal(0.0);
}

// The run depth and the relative flag (as depth * 10 + flag) at each call of test_depth.
std::vector<int32_t>& Depths() {
  static std::vector<int32_t> depths;
  return depths;
}

void F_RecordDepth(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue*) {
  Depths().push_back(Event_RunDepth() * 10 + (Action_Relative ? 1 : 0));
  result.SetReal(0.0);
}

class EventPassTest : public LoadedGame {
 protected:
  static void SetUpTestSuite() {
    LoadedGame::SetUpTestSuite();
    Function_Add("test_use_other_executor", F_UseOtherExecutor, 0);
    Function_Add("test_use_tree", F_UseTree, 0);
    Function_Add("test_depth", F_RecordDepth, 0);
  }
  void TearDown() override {
    VM_Install();
    Code_SetUseVM(true);
    Code_SetTreeExecutor(nullptr);
    Seen().clear();
    Depths().clear();
    LoadedGame::TearDown();
  }

  // A game of one object whose step event is code, and the pass over its instances.
  std::vector<CInstance*> LoadWithStep(const std::string& code, int count) {
    GameDataWriter game;
    gamedata::Object object;
    object.name = "obj_a";
    object.events.push_back({3, 0, {code}});
    game.objects = {object};
    EXPECT_TRUE(Load(game)) << log;
    EXPECT_TRUE(Prepare()) << log;
    std::vector<CInstance*> made;
    for (int k = 0; k < count; ++k) made.push_back(&Make(0));
    return made;
  }
  static void RunPass(const std::vector<CInstance*>& list) {
    ObjectEventPass pass(0, 3, 0);
    for (CInstance* instance : list) pass.Run(instance, instance);
  }
};

// An event that switches the executor: the instances after it in the same pass run on the
// executor now in use (another machine executor, or the tree interpreter of -oldexec).
TEST_F(EventPassTest, AnExecutorSwitchedMidPassRunsTheRestOfIt) {
  for (const std::string use : {"test_use_other_executor();", "test_use_tree();"}) {
    SCOPED_TRACE(use);
    const auto list = LoadWithStep("test_record(\"machine\"); " + use, 3);
    RunPass(list);
    ASSERT_EQ(Records().size(), 1u);
    EXPECT_EQ(Records()[0].self, list[0]);
    ASSERT_EQ(Seen().size(), 2u);
    EXPECT_EQ(Seen()[0].second, list[1]);
    EXPECT_EQ(Seen()[1].second, list[2]);
    EXPECT_EQ(Seen()[0].first, "Object.obj_a.Step.0");
    EXPECT_TRUE(MachineErrors().empty());
    TearDown();
  }
}

// The bookkeeping around each run is that of Perform_Event: the current event names the
// owner, the run depth counts the run, the relative flag is cleared for it, and everything is
// put back afterwards.
TEST_F(EventPassTest, EachRunIsSetUpAndPutBackAsAPerformedEvent) {
  const auto list = LoadWithStep("test_depth(); test_record(\"run\");", 2);
  Event_Current = {5, 6, 7, 8};
  Action_Relative = true;
  RunPass(list);
  Perform_Event(list[0], list[0], 3, 0);
  EXPECT_EQ(Event_Current.object, 5);
  EXPECT_EQ(Event_Current.type, 6);
  EXPECT_EQ(Event_Current.number, 7);
  EXPECT_EQ(Event_Current.action, 8);
  EXPECT_TRUE(Action_Relative);
  Action_Relative = false;
  EXPECT_EQ(Event_RunDepth(), 0);
  ASSERT_EQ(Records().size(), 3u);
  for (size_t k = 0; k < 3; ++k) {
    EXPECT_EQ(Records()[k].object, 0);
    EXPECT_EQ(Records()[k].type, 3);
    EXPECT_EQ(Records()[k].number, 0);
    EXPECT_EQ(Records()[k].self, list[k % 2]);
  }
  EXPECT_EQ(Depths(), (std::vector<int32_t>{10, 10, 10}));  // depth 1, the flag off
  EXPECT_TRUE(MachineErrors().empty());
}

// The first instance's event deletes its object: the object goes once that run ends, and the
// rest of the pass finds no event to run.
TEST_F(EventPassTest, AnObjectDeletedByItsEventEndsThePassAfterThatRun) {
  const auto list = LoadWithStep("test_delete_object(0); test_record(\"still running\");", 3);
  RunPass(list);
  ASSERT_EQ(Records().size(), 1u);
  EXPECT_EQ(Records()[0].self, list[0]);
  EXPECT_FALSE(Object_Exists(0));
  EXPECT_TRUE(MachineErrors().empty());
}

}  // namespace
