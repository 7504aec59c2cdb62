// The debug window's model without a window: value formatting, watches on both executors, the
// run controls against the main loop, and Debug.ini.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "platform/ini_file.h"
#include "runner/debug_window.h"
#include "runner/main_loop.h"
#include "runner/run_globals.h"
#include "runner/run_options.h"
#include "script/builtin_variables.h"
#include "script/code.h"
#include "script/code_exec.h"
#include "script/error_report.h"
#include "script/vm/vm.h"
#include "support/console_capture.h"

namespace {

TEST(DebugWindowModel, FormatsValuesAsTheWatchListShowsThem) {
  const struct {
    double value;
    const char* shown;
  } reals[] = {
      {1.0 / 3.0, "0.3333333333"},
      {2.0, "2"},
      {0.25, "0.25"},
      {0.125, "0.1250"},
      {1.5e-9, "0.0000000015"},
      {-0.0, "0"},
      {-7.0, "-7"},
      // Whole numbers past 32 bits print in full.
      {4294967296.0 * 1024.0, "4398046511104"},
      {-3e15, "-3000000000000000"},
  };
  for (const auto& c : reals) EXPECT_EQ(Debug_FormatValue(ScriptValue(c.value)), c.shown) << c.value;
  // Huge reals and long strings are shown whole.
  const std::string huge = Debug_FormatValue(ScriptValue(1e300));
  EXPECT_EQ(huge.size(), 301u);
  EXPECT_EQ(huge.substr(0, 4), "1000");
  const std::string text(5000, 'x');
  EXPECT_EQ(Debug_FormatValue(ScriptValue(text)), "\"" + text + "\"");
  EXPECT_EQ(Debug_FormatValue(ScriptValue(std::string())), "\"\"");
}

class DebugWindowWatches : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    Variable_BuiltIn_Init();
    VM_Install();
    Code_Exec_Install();
    Code_SetUseVM(GetParam());
  }
  void TearDown() override { Code_SetUseVM(true); }
};

TEST_P(DebugWindowWatches, EvaluateEveryWatchAndHideTheirErrors) {
  CDebugForm form(nullptr);
  for (const char* text : {"1/3", "2", "0.25", "1 +", "1 / x", "\"a\" + \"b\"", ""}) form.AddWatch(text);
  Error_Last = "the game's";
  Error_Occurred = false;
  ConsoleCapture console;
  form.EvaluateWatches();
  std::vector<std::string> values;
  for (const DebugWatch& watch : form.Watches()) values.push_back(watch.value);
  EXPECT_EQ(values, (std::vector<std::string>{"0.3333333333", "2", "0.25", kUnableToEvaluate, kUnableToEvaluate,
                                              "\"ab\"", ""}));
  // No error line, and the game's own error state is untouched.
  EXPECT_EQ(console.Text().find("ERROR"), std::string::npos) << console.Text();
  EXPECT_EQ(Error_Last, "the game's");
  EXPECT_FALSE(Error_Occurred);
  EXPECT_FALSE(Debug_EvaluatingWatches);

  form.ChangeWatch(3, "3 * 4");
  form.DeleteWatch(0);
  form.EvaluateWatches();
  EXPECT_EQ(form.Watches()[2].expression, "3 * 4");
  EXPECT_EQ(form.Watches()[2].value, "12");
  form.ClearWatches();
  EXPECT_TRUE(form.Watches().empty());
}

INSTANTIATE_TEST_SUITE_P(Executors, DebugWindowWatches, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "Machine" : "OldExec"; });

// The run controls drive the main loop: Pause stops the steps (frames go on), Step runs one
// step only while paused, Run goes on.
TEST(DebugWindowModel, PauseStopsStepsAndStepRunsOneWhilePaused) {
  MainLoopHooks saved = MainLoop_Hooks();
  int steps = 0;
  MainLoop_Hooks() = MainLoopHooks();
  MainLoop_Hooks().step = [&steps] { ++steps; };
  MainLoop_Hooks().currentRoomSpeed = [] {
    static int32_t speed = 1000;
    return &speed;
  };
  Run_Global_Init();
  Running = 1;
  CDebugForm form(nullptr);
  auto command = [&form](DebugCommand c) {
    DebugRequest request;
    request.command = c;
    form.Handle(request);
  };

  command(DebugCommand::Step);  // not paused: ignored
  EXPECT_EQ(steps, 0);
  Run_Frame();
  EXPECT_EQ(steps, 1);
  command(DebugCommand::Pause);
  EXPECT_EQ(Paused, 1);
  Run_Frame();
  Run_Frame();
  EXPECT_EQ(steps, 1);
  command(DebugCommand::Step);
  command(DebugCommand::Step);
  EXPECT_EQ(steps, 3);
  EXPECT_EQ(Paused, 1);
  command(DebugCommand::Run);
  EXPECT_EQ(Paused, 0);
  Run_Frame();
  EXPECT_EQ(steps, 4);
  command(DebugCommand::Stop);
  EXPECT_EQ(Running, 0);
  command(DebugCommand::Step);  // stopped: nothing runs
  EXPECT_EQ(steps, 4);

  Running = 0;
  Paused = 0;
  PendingRoom = PendingRoomCode::None;
  MainLoop_Hooks() = saved;
}

// Without a window nothing could let the code go on: the stop is written to the console and
// the machine runs on at once.
TEST(DebugWindowModel, WithoutAWindowABreakpointIsReportedAndTheCodeRunsOn) {
  CDebugForm form(nullptr);
  VMBreak place;
  place.name = "Script.scr_inner";
  place.line = 1;
  place.lineText = "b = a + 1;";
  place.callStack = {"Script.scr_inner (line 2) - b = a + 1;", "Object.obj_a.Step.0 (line 4) - scr_inner();"};
  ConsoleCapture console;
  EXPECT_FALSE(form.Break(place));
  EXPECT_FALSE(form.Stopped());
  EXPECT_EQ(console.Text(),
            "Breakpoint: Script.scr_inner (line 2) - b = a + 1;\n"
            "called from - Object.obj_a.Step.0 (line 4) - scr_inner();\n");
}

TEST(DebugWindowModel, SettingsGoToTheIniFileAndComeBack) {
  // "Display FPS" is the overlay's frame-rate line: it is put back as it was.
  struct KeepOverlayMode {
    int32_t mode = g_RunOptions.debugOverlayMode;
    ~KeepOverlayMode() { g_RunOptions.debugOverlayMode = mode; }
  } keep;
  IniFile before;
  // An earlier run left more watches and a pane open: none of it may outlive this one.
  before.Parse(
      "[DebugForm]\r\nFPSVisible=false\r\nNumWatches=4\r\nWatch0=x\r\nWatch1=y + 1\r\nWatch2=z\r\nWatch3=w\r\n"
      "[GlobalsWindow]\r\nVisible=true\r\nleft=10\r\ntop=20\r\nright=310\r\nbottom=420\r\n"
      "[LocalsWindow4]\r\nVisible=true\r\nleft=5\r\ntop=6\r\nright=7\r\nInstanceID=100002\r\n");
  CDebugForm form(nullptr);
  form.ReadIni(before);
  ASSERT_EQ(form.Watches().size(), 4u);
  EXPECT_EQ(form.Watches()[1].expression, "y + 1");
  EXPECT_FALSE(form.FpsVisible());
  EXPECT_TRUE(form.Pane(kGlobalsPane).visible);
  EXPECT_EQ(form.Pane(kGlobalsPane).rect, (DebugRect{10, 20, 310, 420}));
  EXPECT_TRUE(form.Pane(4).visible);
  EXPECT_FALSE(form.Pane(4).rect.has_value());  // "bottom" is missing
  EXPECT_EQ(form.Pane(4).instanceId, 100002);

  form.DeleteWatch(3);
  form.DeleteWatch(2);
  form.ChangeWatch(0, "");  // a watch without text is not saved
  DebugRequest close;
  close.command = DebugCommand::ClosePane;
  close.pane = kGlobalsPane;
  form.Handle(close);
  DebugRequest fps;
  fps.command = DebugCommand::SetFpsVisible;
  fps.flag = true;
  form.Handle(fps);

  IniFile after;
  after.Parse(before.SaveText());
  form.WriteIni(after);
  EXPECT_EQ(after.ReadString("DebugForm", "FPSVisible", ""), "true");
  EXPECT_EQ(after.ReadString("DebugForm", "NumWatches", ""), "1");
  EXPECT_EQ(after.ReadString("DebugForm", "Watch0", ""), "y + 1");
  EXPECT_EQ(after.FindKey("DebugForm", "Watch1"), nullptr);
  EXPECT_EQ(after.ReadString("GlobalsWindow", "Visible", ""), "false");
  EXPECT_EQ(after.FindKey("GlobalsWindow", "left"), nullptr);
  EXPECT_EQ(after.ReadString("LocalsWindow4", "Visible", ""), "true");
  EXPECT_EQ(after.ReadString("LocalsWindow4", "InstanceID", ""), "100002");
  EXPECT_EQ(after.ReadString("MessagesWindow", "Visible", ""), "false");

  CDebugForm again(nullptr);
  again.ReadIni(after);
  ASSERT_EQ(again.Watches().size(), 1u);
  EXPECT_EQ(again.Watches()[0].expression, "y + 1");
  EXPECT_TRUE(again.FpsVisible());
}

}  // namespace
