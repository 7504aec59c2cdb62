#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "data/game_options.h"
#include "platform/sdl/display_presence.h"
#include "runner/main_loop.h"
#include "runner/pending_room.h"
#include "runner/sdl/error_dialog.h"
#include "script/compile_error.h"
#include "script/current_event.h"
#include "script/error_report.h"
#include "support/console_capture.h"

namespace {

// Error state back to a fresh game, hooks that record what happens, the console captured.
class ErrorReport : public ::testing::Test {
 protected:
  void SetUp() override {
    Error_FatalShown = false;
    Error_Occurred = false;
    Error_Last.clear();
    Error_Options.showErrors = true;
    Error_Options.abortOnErrors = false;
    Debug_EvaluatingWatches = false;
    Runner_SetPendingRoom(kPendingRoomNone);
    Event_Current = CurrentEvent();
    ErrorReportHooks hooks;
    hooks.eventFullName = [](int32_t type, int32_t number) -> std::string {
      if (type == 0) return "Create Event";
      if (type == 3) return " Step Event" + std::to_string(number);
      return "<Unknown Event>";
    };
    hooks.objectName = [](int32_t index) -> std::optional<std::string> {
      if (index == 0) return "obj_player";
      return std::nullopt;
    };
    hooks.timeLineName = [](int32_t index) -> std::optional<std::string> {
      if (index == 2) return "tl_intro";
      return std::nullopt;
    };
    hooks.graphicsCheckReset = [this] { calls.push_back("reset"); };
    hooks.debugUpdate = [this] { calls.push_back("debug"); };
    hooks.ioClear = [this] { calls.push_back("io"); };
    hooks.postQuit = [this] { calls.push_back("quit"); };
    hooks.showDialog = [this](const std::string& text, bool offerIgnore) {
      calls.push_back(offerIgnore ? "dialog+ignore" : "dialog");
      dialogText = text;
      return answerAbort;
    };
    Error_SetHooks(hooks);
  }
  void TearDown() override {
    Error_SetHooks({});
    Error_FatalShown = false;
    Error_Options.showErrors = true;
    Error_Options.abortOnErrors = false;
    Runner_SetPendingRoom(kPendingRoomNone);
    Event_Current = CurrentEvent();
  }

  ConsoleCapture capture;
  std::vector<std::string> calls;
  std::string dialogText;
  bool answerAbort = false;
};

TEST_F(ErrorReport, ActionTexts) {
  struct Case {
    const char* what;
    CurrentEvent event;
    bool fatal;
    const char* text;
  } cases[] = {
      {"object event", {0, 0, 0, 2}, false,
       "ERROR in\naction number 3\nof Create Event\nfor object obj_player:\n\n\nboom"},
      {"fatal object event", {0, 3, 1, 0}, true,
       "FATAL ERROR in\naction number 1\nof  Step Event1\nfor object obj_player:\n\n\nboom"},
      {"object without a name", {9, 0, 0, 0}, false,
       "ERROR in\naction number 1\nof Create Event\nfor object <undefined>:\n\n\nboom"},
      {"time-line moment", {2, kEventTypeTimeLine, 30, 1}, false,
       "ERROR in\naction number 2\nat time step30\nof time line tl_intro:\n\n\nboom"},
      {"fatal time-line moment", {2, kEventTypeTimeLine, 0, 0}, true,
       "FATAL ERROR in\naction number 1\nat time step0\nof time line tl_intro:\n\n\nboom"},
      {"missing time line", {5, kEventTypeTimeLine, 7, 0}, false,
       "ERROR in\naction number 1\nat time step7\nof time line <undefined>:\n\n\nboom"},
  };
  for (const auto& c : cases) {
    SetUp();
    Event_Current = c.event;
    Error_Show_Action("boom", c.fatal);
    EXPECT_EQ(Error_Last, c.text) << c.what;
    EXPECT_TRUE(Error_Occurred) << c.what;
    EXPECT_EQ(capture.Text(), std::string("ERROR!!! :: ") + c.text + "\n") << c.what;
    EXPECT_EQ(Runner_GetPendingRoom(), c.fatal ? -400 : -1) << c.what;
    capture.Clear();
  }
}

TEST_F(ErrorReport, NonFatalErrorGoesOn) {
  Error_Show("first\tline\nsecond", false);
  EXPECT_EQ(calls, (std::vector<std::string>{"reset", "debug", "reset", "dialog+ignore", "io"}));
  EXPECT_EQ(dialogText, "\r\n" + std::string(43, '_') + "\r\nfirst       line\r\nsecond");
  EXPECT_EQ(Error_Last, "first\tline\nsecond");
  EXPECT_FALSE(Error_FatalShown);
  EXPECT_EQ(Runner_GetPendingRoom(), -1);
}

TEST_F(ErrorReport, AbortMakesItFatalAndNothingIsShownAfterwards) {
  answerAbort = true;
  Error_Show("one", false);
  EXPECT_EQ(calls.back(), "quit");
  EXPECT_TRUE(Error_FatalShown);
  EXPECT_EQ(Runner_GetPendingRoom(), kPendingRoomFatalError);

  calls.clear();
  capture.Clear();
  Error_Occurred = false;
  Error_Show("two", false);
  Error_Show_Action("three", true);
  EXPECT_TRUE(calls.empty());
  EXPECT_EQ(Error_Last, "one");
  EXPECT_FALSE(Error_Occurred);
  EXPECT_EQ(capture.Text(), "");
}

TEST_F(ErrorReport, FatalErrorOffersNoIgnore) {
  Error_Show("bad", true);
  EXPECT_EQ(calls, (std::vector<std::string>{"reset", "debug", "reset", "dialog", "io", "quit"}));
}

TEST_F(ErrorReport, AbortOnErrorsKeepsTheCallersPrefix) {
  Option_AbortOnErrors = true;  // the game option itself
  Error_Show_Action("boom", false);
  EXPECT_EQ(Error_Last.rfind("ERROR in\n", 0), 0u);
  EXPECT_EQ(calls[3], "dialog");
  EXPECT_EQ(Runner_GetPendingRoom(), kPendingRoomFatalError);
}

TEST_F(ErrorReport, ShowErrorsOffAndWatchEvaluation) {
  Error_Options.showErrors = false;
  Error_Show("quiet", false);
  EXPECT_EQ(calls, (std::vector<std::string>{"reset", "debug", "io"}));
  EXPECT_EQ(capture.Text(), "ERROR!!! :: quiet\n");
  EXPECT_EQ(Error_Last, "quiet");

  // A watch's error is its own: no dialog, no line, the game's error state and pending room
  // untouched even for a fatal one; the watch learns of it through the pending error.
  Error_Options.showErrors = true;
  Error_Options.abortOnErrors = true;
  Debug_EvaluatingWatches = true;
  Code_PendingError = false;
  capture.Clear();
  calls.clear();
  Error_Show("watch", true);
  EXPECT_EQ(capture.Text(), "");
  EXPECT_TRUE(calls.empty());
  EXPECT_EQ(Error_Last, "quiet");
  EXPECT_NE(Runner_GetPendingRoom(), kPendingRoomFatalError);
  EXPECT_TRUE(Code_PendingError);
  EXPECT_FALSE(Error_FatalShown);
  Debug_EvaluatingWatches = false;
  Error_Options.abortOnErrors = false;
  Code_PendingError = false;
}

TEST_F(ErrorReport, FatalErrorEndsTheMainLoopAtTheEndOfTheFrame) {
  MainLoop_SetPlaceholderFrameLimit(0);  // the placeholder step never ends the game itself
  Running = 1;
  Run_Frame();
  EXPECT_EQ(Running, 1);
  Error_Show("the end", true);
  EXPECT_EQ(Running, 1);  // the running script goes on until control is back in the loop
  Run_Frame();
  EXPECT_EQ(Running, 0);
  Running = 0;
  MainLoop_SetPlaceholderFrameLimit(1);
}

TEST(ErrorDialog, LayoutOfLineBreaksAndTabs) {
  const std::string rule = "\r\n" + std::string(43, '_') + "\r\n";
  struct Case {
    const char* text;
    const char* laidOut;
  } cases[] = {
      {"", ""},
      {"a\r\nb", "a\r\nb"},
      {"a\n\rb", "a\r\nb"},
      {"a\n\nb", "a\r\nb"},  // two line feeds make one break
      {"a\n\n\nb", "a\r\n\r\nb"},
      {"a\rb\n", "a\r\nb\r\n"},
      {"\tx", "       x"},
  };
  for (const auto& c : cases) EXPECT_EQ(ErrorDialog_Layout(c.text), rule + c.laidOut) << c.text;
  // Text of any length is kept whole.
  std::string tabs(5000, '\t');
  EXPECT_EQ(ErrorDialog_Layout(tabs).size(), rule.size() + 35000);
}

TEST(ErrorDialog, WithoutADisplayItPrintsAndIgnores) {
  const char* driver = std::getenv("SDL_VIDEODRIVER");
  std::string saved = driver ? driver : "";
  setenv("SDL_VIDEODRIVER", "offscreen", 1);
  ASSERT_FALSE(Platform_HasDisplay());
  ConsoleCapture capture;
  EXPECT_FALSE(ErrorDialog_Show("the\r\ntext", true));
  EXPECT_FALSE(ErrorDialog_Show("the text", false));
  EXPECT_EQ(capture.Text(), "the\ntext\nthe text\n");
  if (driver) {
    setenv("SDL_VIDEODRIVER", saved.c_str(), 1);
  } else {
    unsetenv("SDL_VIDEODRIVER");
  }
}

TEST(CompileError, LineAndPosition) {
  const std::string program = "a = 1;\nb = 2;\r\nc = #;";
  struct Case {
    int32_t position;
    const char* text;
  } cases[] = {
      {0, "Error in code at line 1:\n   a = 1;\n\nat position 1: msg"},
      {-5, "Error in code at line 1:\n   a = 1;\n\nat position 1: msg"},
      {15, "Error in code at line 3:\n   c = #;\n\nat position 1: msg"},
      {19, "Error in code at line 3:\n   c = #;\n\nat position 5: msg"},
      {1000, "Error in code at line 3:\n   c = #;\n\nat position 7: msg"},
      // The carriage return is not counted in the column; it stays in the line's text.
      {14, "Error in code at line 2:\n   b = 2;\r\n\nat position 7: msg"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Code_CompileErrorText(program, true, c.position, "msg"), c.text) << c.position;
  }
  EXPECT_EQ(Code_CompileErrorText("1 +\n 2 #", false, 7, "Unexpected symbol."),
            "Error in expression: 1 +\n 2 #\n position 4: Unexpected symbol.");
}

TEST(CompileError, OnlyTheFirstErrorIsKept) {
  Code_ClearPendingError();
  Code_CompileError("x = ;", true, 4, "first");
  Code_CompileError("x = ;", true, 0, "second");
  EXPECT_TRUE(Code_PendingError);
  EXPECT_EQ(Code_PendingErrorText, "Error in code at line 1:\n   x = ;\n\nat position 5: first");
  Code_ClearPendingError();
  EXPECT_FALSE(Code_PendingError);
  Code_CompileError("y", false, 0, "third");
  EXPECT_EQ(Code_PendingErrorText, "Error in expression: y\n position 1: third");
  Code_ClearPendingError();
}

}  // namespace
