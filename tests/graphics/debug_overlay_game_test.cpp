// The debug overlay and the frame-rate statistics, played by the runner binary headless with a
// fixed frame time so that the numbers and bars are the same on every run.
#include "graphics/played_drawing_game.h"

namespace {

class DebugOverlayGame : public PlayedDrawingGame {};

// The lines the runner writes at shut-down: the minimum, maximum and average frame rates of
// the frames from the 102nd on (none counted in a short run).
TEST_P(DebugOverlayGame, ShutDownLogsTheFrameRateStatistics) {
  struct Case {
    int frames;
    const char* figures;
  };
  for (const Case& c : {Case{20, "2147483647, -2147483648, 30"}, Case{130, "50, 50, 49"}}) {
    SCOPED_TRACE(c.frames);
    Play(PainterGame({}, c.frames), {{"KILNFORGE_FIXED_FRAME_TIME", "20000"}});
    const std::string expected = std::string("minFPS, maxFPS, avgFPS\n") + c.figures + "\n";
    EXPECT_NE(output.find(expected), std::string::npos) << output;
  }
}

// show_debug_overlay(true) from a script called by a script: the frame-rate line and bars over
// the room, as the golden picture shows them at 50 frames a second.
TEST_P(DebugOverlayGame, OverlayShowsTheFrameRateLineAndBars) {
  // The overlay is drawn over the finished frame, so a step event's screen_save shows it on
  // the frame before.
  GameDataWriter game = PainterGame(
      {{0, 0, {"scr_outer(); steps = 0;"}},
       {3, 0, {"steps += 1; if (steps == 6) { screen_save(\"shot.png\"); game_end(); }"}},
       {8, 0, {"draw_set_color(c_gray); draw_rectangle(0, 30, 63, 63, false);"}}},
      1000);
  game.scripts.push_back({"scr_inner", {"show_debug_overlay(argument0);"}});
  game.scripts.push_back({"scr_outer", {"scr_inner(true);"}});
  Play(game, {{"KILNFORGE_FIXED_FRAME_TIME", "20000"}});
  // The memory bar (rows 21 to 23) follows the program's heap, which differs from run to run.
  for (int y = 21; y < 24 && !shot.empty(); ++y) {
    for (int x = 0; x < width; ++x) shot[static_cast<size_t>(y * width + x)] = 0xFF000000u;
  }
  ExpectGolden("debug_overlay", shot, width, height);
}

INSTANTIATE_GAME_FORMS(DebugOverlayGame);

}  // namespace
