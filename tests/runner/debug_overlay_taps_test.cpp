// The tap sequences that open the debug overlay's information panel and reveal its frame-rate
// switch: taps on a 10 x 10 grid of screen cells, each step with a tolerance of one cell.
#include <gtest/gtest.h>

#include <vector>

#include "runner/debug_overlay.h"

namespace {

bool TapAll(CTapSequence& sequence, const std::vector<TapStep>& taps) {
  bool completed = false;
  for (const TapStep& t : taps) completed = sequence.Tap(t.column, t.row);
  return completed;
}

TEST(DebugOverlayTaps, ThePanelOpensOnlyAfterTheWholeSequenceInOrder) {
  const auto steps = Overlay_PanelSequence();
  std::vector<TapStep> exact(steps.begin(), steps.end());
  CTapSequence panel(steps);
  EXPECT_TRUE(TapAll(panel, exact));
  EXPECT_EQ(panel.Progress(), 0u);  // starts again once completed

  // One cell off is close enough; two is not, and a wrong tap starts the sequence again.
  std::vector<TapStep> near = exact;
  for (TapStep& t : near) t.column += t.column == 10 ? -1 : 1;
  EXPECT_TRUE(TapAll(panel, near));
  std::vector<TapStep> wrong = exact;
  wrong[3].row += 2;
  EXPECT_FALSE(TapAll(panel, wrong));
  EXPECT_EQ(panel.Progress(), 0u);
  std::vector<TapStep> missingLast(exact.begin(), exact.end() - 1);
  EXPECT_FALSE(TapAll(panel, missingLast));
  EXPECT_EQ(panel.Progress(), exact.size() - 1);
}

TEST(DebugOverlayTaps, CellsAreTenthsOfTheScreenRounded) {
  EXPECT_EQ(Overlay_TapCell(0.0f, 640), 0);
  EXPECT_EQ(Overlay_TapCell(31.9f, 640), 0);
  EXPECT_EQ(Overlay_TapCell(32.0f, 640), 1);
  EXPECT_EQ(Overlay_TapCell(639.0f, 640), 10);
  EXPECT_EQ(Overlay_TapCell(100.0f, 0), 0);  // a window of no size taps nothing
}

}  // namespace
