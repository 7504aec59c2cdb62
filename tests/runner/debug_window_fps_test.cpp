// The debug window's "Display FPS" box and the FPSVisible key of Debug.ini are the debug
// overlay's frame-rate line itself (DebugOverlayMode's value 2), not a flag of their own.
#include <gtest/gtest.h>

#include "platform/ini_file.h"
#include "runner/debug_overlay.h"
#include "runner/debug_window.h"
#include "runner/run_options.h"

namespace {

class DebugWindowFps : public ::testing::Test {
 protected:
  void SetUp() override { saved_ = g_RunOptions.debugOverlayMode; }
  void TearDown() override { g_RunOptions.debugOverlayMode = saved_; }

  static void Box(CDebugForm& form, bool checked) {
    DebugRequest request;
    request.command = DebugCommand::SetFpsVisible;
    request.flag = checked;
    form.Handle(request);
  }
  static int32_t Mode() { return g_RunOptions.debugOverlayMode; }

 private:
  int32_t saved_ = 0;
};

TEST_F(DebugWindowFps, TheBoxSwitchesTheOverlaysFrameRateLineAndNothingElse) {
  CDebugForm form(nullptr);
  g_RunOptions.debugOverlayMode = kOverlayPanel | kOverlayFrameRateSwitch;
  Box(form, true);
  EXPECT_EQ(Mode(), kOverlayPanel | kOverlayFrameRate | kOverlayFrameRateSwitch);
  Box(form, false);
  EXPECT_EQ(Mode(), kOverlayPanel | kOverlayFrameRateSwitch);
  // The overlay switched from elsewhere (a tap, show_debug_overlay) shows in the box and the file.
  g_RunOptions.debugOverlayMode |= kOverlayFrameRate;
  EXPECT_TRUE(form.FpsVisible());
  IniFile written;
  form.WriteIni(written);
  EXPECT_EQ(written.ReadString("DebugForm", "FPSVisible", ""), "true");
}

TEST_F(DebugWindowFps, OnlyFpsVisibleFalseInTheFileTurnsTheLineOff) {
  struct Case {
    const char* text;
    int32_t before, after;
  };
  for (const Case& c : {Case{"[DebugForm]\r\nFPSVisible=false\r\n", kOverlayFrameRate | kOverlayPanel, kOverlayPanel},
                        Case{"[DebugForm]\r\nFPSVisible=true\r\n", kOverlayFrameRate, kOverlayFrameRate},
                        Case{"[DebugForm]\r\nFPSVisible=true\r\n", 0, 0},
                        Case{"[DebugForm]\r\nNumWatches=0\r\n", kOverlayFrameRate, kOverlayFrameRate}}) {
    SCOPED_TRACE(c.text);
    g_RunOptions.debugOverlayMode = c.before;
    IniFile ini;
    ini.Parse(c.text);
    CDebugForm form(nullptr);
    form.ReadIni(ini);
    EXPECT_EQ(Mode(), c.after);
  }
}

}  // namespace
