// Built-ins given arguments far outside what games pass them: positions and sizes beyond 32
// bits, NaN and infinities. Each answers as it does for any other bad argument, without
// undefined behaviour (the sanitizer build reports any).
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "builtin_call.h"
#include "functions/dialog_functions.h"
#include "graphics/text.h"

namespace {

TEST(FarArguments, HighscoreTableFarOffDrawsWithoutOverflow) {
  GR_Text_Reset();
  ConsoleCapture console;
  for (const std::vector<ScriptValue>& box :
       {std::vector<ScriptValue>{R(2e9), R(2e9), R(4.1e9), R(2.1e10)}, {R(-2e9), R(-2e9), R(-4.2e9), R(-2.2e10)},
        {R(NAN), R(INFINITY), R(-INFINITY), R(1e300)}, {R(2147483647), R(2147483647), R(0), R(0)}}) {
    CallBuiltin(F_DrawHighscore, box);
  }
  EXPECT_EQ(console.Text(), "");
}

}  // namespace
