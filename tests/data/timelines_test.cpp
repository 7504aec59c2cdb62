// Time lines: moments read from TMLN, found by step, and run by the step's time-line pass on
// the step their position reaches them, on both executors.
#include <string>
#include <vector>

#include "data/timelines.h"
#include "loaded_game.h"
#include "runner/timeline_step.h"
#include "script/code.h"
#include "script/code_exec.h"
#include "script/current_event.h"
#include "script/error_report.h"
#include "script/variable_access.h"

namespace {

class TimeLines : public LoadedGame {
 protected:
  void TearDown() override {
    Code_SetUseVM(true);
    TimeLine_Clear();
    LoadedGame::TearDown();
  }

  GameDataWriter GameWithMoments(std::vector<int32_t> steps) {
    GameDataWriter game = TestGame();
    gamedata::TimeLine line;
    line.name = "tl_moments";
    for (int32_t step : steps) {
      line.moments.push_back({step, {"test_record(\"m" + std::to_string(step) + "\");"}});
    }
    game.timeLines.push_back(line);
    return game;
  }

  // The steps (from 1) on which each moment ran, as "tag@step".
  std::vector<std::string> RunSteps(CInstance& instance, int32_t steps) {
    std::vector<std::string> seen;
    for (int32_t step = 1; step <= steps; ++step) {
      Records().clear();
      TimeLine_AdvanceInstance(instance);
      for (const EventRecord& r : Records()) {
        EXPECT_EQ(r.type, kEventTypeTimeLine);
        EXPECT_EQ(r.object, 0);
        seen.push_back(r.tag + "@" + std::to_string(step));
      }
    }
    return seen;
  }
};

TEST_F(TimeLines, MomentsRunOnTheStepTheirPositionIsReached) {
  ASSERT_TRUE(Load(GameWithMoments({0, 1, 5}))) << log;
  ASSERT_TRUE(Prepare() && TimeLine_Prepare()) << log;
  Code_Exec_Install();
  for (bool vm : {true, false}) {
    Code_SetUseVM(vm);
    CInstance& instance = Make(0);
    instance.timeline_index = 0;
    instance.timeline_running = true;
    // Moment 0 at the first step, 1 at the second, 5 when the position passes 5.
    EXPECT_EQ(RunSteps(instance, 8), (std::vector<std::string>{"m0@1", "m1@2", "m5@6"}))
        << (vm ? "machine" : "tree");
    EXPECT_FLOAT_EQ(instance.timeline_position, 8.0f);
  }
}

TEST_F(TimeLines, LoopingSpeedsAndBackwards) {
  ASSERT_TRUE(Load(GameWithMoments({0, 1, 5}))) << log;
  ASSERT_TRUE(TimeLine_Prepare()) << log;
  CInstance& looping = Make(0);
  looping.timeline_index = 0;
  looping.timeline_running = true;
  looping.timeline_loop = true;
  looping.timeline_speed = 2;
  // 0->2 runs 0 and 1; 2->4 nothing; 4->6 runs 5 and wraps to 0; 0->2 again.
  EXPECT_EQ(RunSteps(looping, 4), (std::vector<std::string>{"m0@1", "m1@1", "m5@3", "m0@4", "m1@4"}));

  CInstance& backwards = Make(0);
  backwards.timeline_index = 0;
  backwards.timeline_running = true;
  backwards.timeline_speed = -2;
  backwards.timeline_position = 5;
  // 5->3 runs 5; 3->1 nothing (1 is at or before both); 1->-1 runs 1 and 0.
  EXPECT_EQ(RunSteps(backwards, 3), (std::vector<std::string>{"m5@1", "m1@3", "m0@3"}));

  CInstance& stopped = Make(0);
  stopped.timeline_index = 0;
  EXPECT_TRUE(RunSteps(stopped, 3).empty());  // not running
}

TEST_F(TimeLines, MomentLookups) {
  ASSERT_TRUE(Load(GameWithMoments({2, 4, 9}))) << log;
  CTimeLine* line = TimeLine_Data(TimeLine_Find("tl_moments"));
  ASSERT_NE(line, nullptr);
  EXPECT_EQ(line->FindMomentAtOrAfter(4), 1);  // exactly a moment's step
  EXPECT_EQ(line->FindMomentAtOrAfter(4.5), 2);
  EXPECT_EQ(line->FindMomentAtOrAfter(10), 3);
  EXPECT_EQ(line->FindMomentAtOrBefore(1), -1);
  EXPECT_EQ(line->FindMomentAtOrBefore(8), 1);
  EXPECT_EQ(line->FindMomentIndex(9), 2);
  EXPECT_EQ(line->AddMoment(4), line->GetMomentEvent(1));  // no duplicate step
  EXPECT_EQ(line->GetMomentCount(), 3);
  line->AddMoment(3);
  EXPECT_EQ(line->GetMomentTime(1), 3);
  line->ClearMoment(4);
  line->ClearMoment(5);  // none there
  EXPECT_EQ(line->GetMomentCount(), 3);
  EXPECT_EQ(line->GetMomentTime(2), 9);
  EXPECT_EQ(TimeLine_Add(), -1);
  EXPECT_EQ(TimeLine_GetName(5), "<undefined>");
  EXPECT_TRUE(TimeLine_Delete(0));
  EXPECT_FALSE(TimeLine_Delete(0));
}

TEST_F(TimeLines, AnErrorInAMomentNamesTheTimeLineAndStep) {
  GameDataWriter game = TestGame();
  game.timeLines.push_back({"tl_broken", {{3, {"s = \"a\"; t = s - 1;"}}}});
  ASSERT_TRUE(Load(game)) << log;
  ASSERT_TRUE(TimeLine_Prepare()) << log;
  Code_Exec_Install();
  Code_SetUseVM(false);
  Error_Hooks().showDialog = [](const std::string&, bool) { return false; };
  CInstance& instance = Make(0);
  TimeLine_RunMoment(&instance, &instance, 0, 0);
  EXPECT_EQ(Error_Last.rfind("ERROR in\naction number 1\nat time step3\nof time line tl_broken:\n\n\n", 0), 0u)
      << Error_Last;
  EXPECT_NE(Error_Last.find("Wrong type of arguments to -."), std::string::npos) << Error_Last;
  EXPECT_FALSE(Error_FatalShown);
  Error_Hooks().showDialog = nullptr;
}

// The pass walks the room's active instances, leaving out those destroyed and those created
// after the pass began.
TEST_F(TimeLines, ThePassSkipsDestroyedAndNewInstances) {
  ASSERT_TRUE(Load(GameWithMoments({0}))) << log;
  ASSERT_TRUE(TimeLine_Prepare()) << log;
  CInstance& running = Make(0);
  CInstance& destroyed = Make(0);
  CInstance& fresh = Make(0);
  for (CInstance* instance : {&running, &destroyed, &fresh}) {
    instance->timeline_index = 0;
    instance->timeline_running = true;
  }
  destroyed.marked = true;
  fresh.createSerial = EventSerial + 1;
  Variable_InstanceWorld().forEachActiveInstance = [this](const InstanceVisitor& visit) {
    for (auto& instance : instances) {
      if (!visit(*instance)) return;
    }
  };
  Run_TimeLines();
  Variable_InstanceWorld().forEachActiveInstance = nullptr;
  ASSERT_EQ(Records().size(), 1u);
  EXPECT_EQ(Records()[0].self, &running);
  EXPECT_FLOAT_EQ(destroyed.timeline_position, 0.0f);
  EXPECT_FLOAT_EQ(fresh.timeline_position, 0.0f);
}

TEST_F(TimeLines, UnorderedMomentsFailTheLoad) {
  EXPECT_FALSE(Load(GameWithMoments({3, 1})));
  EXPECT_FALSE(Load(GameWithMoments({2, 2})));
}

}  // namespace
