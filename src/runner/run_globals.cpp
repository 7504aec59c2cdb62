#include "runner/run_globals.h"

#include "runner/main_loop.h"

RunGlobals Run_Globals;

void Run_Global_Init() {
  Running = 0;
  Paused = 0;
  PendingRoom = PendingRoomCode::None;
  AutomaticDraw = 1;
  Run_Globals = RunGlobals();
}
