#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/message_pump.h"
#include "platform/process.h"
#include "platform/timing.h"
#include "support/runner_process.h"

namespace {

int g_Pumps = 0;
void CountPump() { ++g_Pumps; }

class PumpCounter : public ::testing::Test {
 protected:
  void SetUp() override {
    g_Pumps = 0;
    Platform_SetMessagePump(&CountPump);
  }
  void TearDown() override { Platform_SetMessagePump(nullptr); }
};

TEST_F(PumpCounter, SleepWaitsAtLeastItsTimeAndPumpsWhileSpinning) {
  Timing_Init();
  for (int64_t wait : {1500, 2500, 20000}) {
    g_Pumps = 0;
    int64_t start = Timing_Time();
    Timing_Sleep(wait);
    int64_t took = Timing_Time() - start;
    EXPECT_GE(took, wait) << wait;
    EXPECT_GE(g_Pumps, 1) << wait;
  }
  g_Pumps = 0;
  Timing_Sleep(0);
  Timing_Sleep(-5);
  EXPECT_EQ(g_Pumps, 0) << "no wait, no pump";
}

TEST_F(PumpCounter, ProgramsRunWithOrWithoutWaiting) {
  TempFolder folder;
  std::string marker = folder / "marker";
  ASSERT_TRUE(Execute_Program("/bin/sh", ("-c 'sleep 0.2; echo done > " + marker + "'").c_str(), true));
  EXPECT_TRUE(std::filesystem::exists(marker)) << "the wait ends after the child";
  EXPECT_GE(g_Pumps, 1);

  int64_t start = Timing_Time();
  ASSERT_TRUE(Execute_Program("sleep", "1", false));
  EXPECT_LT(Timing_Time() - start, 500000) << "without waiting it returns at once";

  EXPECT_FALSE(Execute_Program(nullptr, "x", true));
  EXPECT_FALSE(Execute_Program("no-such-program-kf", "", true));
  EXPECT_FALSE(Execute_Program((folder / "missing").c_str(), "", false));
  EXPECT_FALSE(Execute_Shell(nullptr, nullptr, nullptr));
}

TEST_F(PumpCounter, ShellStartsProgramsAndRefusesMissingFiles) {
  TempFolder folder;
  std::string script = folder / "run.sh";
  std::ofstream(script) << "#!/bin/sh\necho \"$1\" > \"$(dirname \"$0\")/out\"\n";
  std::filesystem::permissions(script, std::filesystem::perms::owner_all);
  ASSERT_TRUE(Execute_Shell("run.sh", "hello", folder.path().c_str()));
  for (int i = 0; i < 200 && !std::filesystem::exists(folder / "out"); ++i) Timing_Sleep(10000);
  Timing_Sleep(20000);
  std::ifstream out(folder / "out");
  std::string word;
  out >> word;
  EXPECT_EQ(word, "hello");

  EXPECT_FALSE(Execute_Shell((folder / "missing.txt").c_str(), nullptr, nullptr));
}

}  // namespace
