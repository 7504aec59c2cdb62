#include "runner/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runner/run_options.h"
#include "script/vm/vm.h"
#include "support/runner_process.h"

namespace {

RunOptions Parse(std::vector<std::string> tokens) {
  g_RunOptions = RunOptions{};
  tokens.insert(tokens.begin(), "/opt/game/kilnforge");
  ParseCommandLine(tokens);
  return g_RunOptions;
}

TEST(CommandLine, EachOptionSetsItsFlag) {
  EXPECT_TRUE(Parse({"-debug"}).debugMode);
  EXPECT_EQ(Parse({"-debug"}).debugOverlayMode, 2);
  EXPECT_TRUE(Parse({"-trace"}).scriptTrace);
  EXPECT_TRUE(Parse({"-ext"}).externalCallsDisabled);
  EXPECT_FALSE(Parse({"-oldexec"}).useVM);
  EXPECT_TRUE(Parse({"-noaudio"}).noAudio);
  EXPECT_TRUE(Parse({"-inawindow"}).forceWindowed);
  EXPECT_EQ(Parse({"-game", "a b/c.win"}).gameFileName, "a b/c.win");

  RunOptions none = Parse({"-DEBUG", "debug", "-game2", "x"});
  EXPECT_FALSE(none.debugMode);
  EXPECT_EQ(none.debugOverlayMode, 0);
  EXPECT_TRUE(none.useVM);
  EXPECT_FALSE(none.gameFileName.has_value());
}

TEST(CommandLine, FirstGameWinsAndRecordingSharesOneFileName) {
  EXPECT_EQ(Parse({"-game", "first.win", "-game", "second.win"}).gameFileName, "first.win");

  RunOptions both = Parse({"-record", "a.rec", "-playback", "b.rec"});
  EXPECT_TRUE(both.recordInput);
  EXPECT_TRUE(both.playbackInput);
  EXPECT_EQ(both.inputRecordFileName, "b.rec");
}

TEST(CommandLine, OptionStandingLastGetsAnEmptyArgument) {
  RunOptions o = Parse({"-record"});
  EXPECT_TRUE(o.recordInput);
  EXPECT_EQ(o.inputRecordFileName, "");
  EXPECT_EQ(Parse({"-game"}).gameFileName, "");
}

TEST(CommandLine, ArgumentOfAnOptionIsNeverReadAsAnOption) {
  RunOptions o = Parse({"-game", "-debug"});
  EXPECT_EQ(o.gameFileName, "-debug");
  EXPECT_FALSE(o.debugMode);
}

TEST(CommandLine, ParsingResetsFlagsButNotTraceOrGameFile) {
  g_RunOptions = RunOptions{};
  ParseCommandLine({"k", "-debug", "-trace", "-oldexec", "-game", "g.win"});
  ParseCommandLine({});
  EXPECT_FALSE(g_RunOptions.debugMode);
  EXPECT_EQ(g_RunOptions.debugOverlayMode, 0);
  EXPECT_TRUE(g_RunOptions.useVM);
  EXPECT_TRUE(g_RunOptions.scriptTrace);
  EXPECT_EQ(g_RunOptions.gameFileName, "g.win");
}

TEST(CommandLine, BreakpointsSplitAtTheFirstAt) {
  struct Case {
    const char* argument;
    const char* name;
    int line;
  };
  const Case cases[] = {
      {"gml_Script_move@12", "gml_Script_move", 12},
      {"gml_Script_move", "gml_Script_move", 0},
      {"a@b@7", "a", 0},
      {"a@7@9", "a", 7},
      {"a@ -3x", "a", -3},
      {"a@99999999999", "a", 2147483647},
      {"@5", "", 5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.argument);
    std::string name;
    int line = -1;
    CommandLine_SplitBreakpoint(c.argument, name, line);
    EXPECT_EQ(name, c.name);
    EXPECT_EQ(line, c.line);
  }
  VM_Breakpoint_Clear();
  RunOptions o = Parse({"-bp", "obj_a_Step@12", "-bp", "scr"});
  ASSERT_EQ(o.breakpoints.size(), 2u);
  EXPECT_EQ(o.breakpoints[0].codeName, "obj_a_Step");
  EXPECT_EQ(o.breakpoints[0].line, 12);
  EXPECT_EQ(o.breakpoints[1].line, 0);
  // Each option is a breakpoint of the machine at once.
  EXPECT_EQ(VM_Breakpoint_Count(), 2);
  VM_Breakpoint_Clear();
}

TEST(CommandLine, CopyKeepsEveryArgumentWithBlanksQuoted) {
  std::string longArgument(10000, 'x');
  const char* argv[] = {"/bin/kilnforge", "-game", "my game/data.win", "", longArgument.c_str()};
  CommandLine_Keep(5, argv);
  EXPECT_EQ(CommandLine_Arguments().size(), 5u);
  EXPECT_EQ(CommandLine_Arguments()[2], "my game/data.win");
  EXPECT_EQ(CommandLine_Copy(), "/bin/kilnforge -game \"my game/data.win\" \"\" " + longArgument);
}

}  // namespace
