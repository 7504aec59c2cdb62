#include "platform/console.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/message_box.h"
#include "support/console_capture.h"

namespace {

std::vector<std::string>* g_PaneEntries = nullptr;
void AddToPane(const char* message) { g_PaneEntries->push_back(message); }

TEST(TConsole, LongMessageReachesStandardOutputWholeButThePaneCut) {
  std::vector<std::string> pane;
  g_PaneEntries = &pane;
  Console_SetDebugPane(AddToPane);
  const std::string longText(5000, 'q');
  TConsole console;
  testing::internal::CaptureStdout();
  console.Output("%s|%d\n", longText.c_str(), 42);
  console.Output(nullptr);
  std::string out = testing::internal::GetCapturedStdout();
  Console_SetDebugPane(nullptr);

  EXPECT_EQ(out, longText + "|42\n");
  ASSERT_EQ(pane.size(), 1u);
  EXPECT_EQ(pane[0], std::string(4095, 'q'));
}

TEST(TConsole, WithoutAPaneOnlyStandardOutputIsWritten) {
  TConsole console;
  testing::internal::CaptureStdout();
  console.Output("Process Chunk: %s   %d\n", "GEN8", 140);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "Process Chunk: GEN8   140\n");
  EXPECT_TRUE(console.Query());
}

TEST(TMemoryConsole, CollectsEveryMessage) {
  TMemoryConsole console;
  console.Output("a%d", 1);
  console.Output(nullptr);
  console.Output("%s\n", std::string(10000, 'z').c_str());
  EXPECT_EQ(console.Text(), "a1" + std::string(10000, 'z') + "\n");
}

int g_Resets = 0;
void CountReset() { ++g_Resets; }
std::string Caption() { return "My Game"; }

TEST(ShowMessage, WithoutADisplayTheTextGoesToTheConsoleAndNothingBlocks) {
  // The test environment runs SDL's offscreen driver: there is no display.
  setenv("SDL_VIDEODRIVER", "offscreen", 1);
  ConsoleCapture capture;
  MessageBox_SetCheckReset(CountReset);
  MessageBox_SetCaption(Caption);
  ShowMessage("Hello \xc3\xbc world");
  ShowMessage("");
  MessageBox_SetCheckReset(nullptr);
  MessageBox_SetCaption(nullptr);
  EXPECT_EQ(capture.Text(), "Hello \xc3\xbc world\n\n");
  EXPECT_EQ(g_Resets, 2);
}

}  // namespace
