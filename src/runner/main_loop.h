// The main loop: frames at the room speed until the running flag clears.
#pragma once

void MainLoop_Run();
