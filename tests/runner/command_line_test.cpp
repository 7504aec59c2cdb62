#include <gtest/gtest.h>

#include "support/runner_process.h"

TEST(CommandLine, MissingGameFileEndsWithAClearMessage) {
  RunnerResult r = RunRunner({"-game", "missing.win"});
  EXPECT_FALSE(r.timedOut);
  EXPECT_NE(r.exitCode, 0);
  EXPECT_NE(r.output.find("Failed to load the game"), std::string::npos) << r.output;
}
