// Tests of the desktop windows for real: the runner binary on an X server (Xvfb) that ctest
// starts with xvfb-run (KF_DIALOG_XVFB set), driven by xdotool as a user would. Without that
// server or without xdotool they are skipped.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "support/game_forms.h"
#include "support/runner_process.h"

// Runs xdotool command lines through the shell; false when they failed or took too long.
bool Xdo(const std::string& commands, double timeoutSeconds = 40.0);
// The runner's options for a run on that server: SDL on X11, GTK's settings in memory (no
// session bus here), the save area in dataFolder.
RunnerOptions XvfbDesktopRunnerOptions(const std::string& dataFolder, double timeoutSeconds);
// Why such a test cannot run here; empty when it can.
std::string XvfbDesktopMissing();

class XvfbDesktopTest : public ::testing::TestWithParam<GameForm> {
 protected:
  void SetUp() override {
    if (const std::string why = XvfbDesktopMissing(); !why.empty()) GTEST_SKIP() << why;
  }
};
