// The window-message pump as the platform layer sees it. Waits that must keep the window
// responsive (the frame wait, the wait for a started program) call Platform_PumpMessages; the
// runner installs its ProcessMessages here when the main loop starts. With nothing installed
// pumping does nothing.
#pragma once

using PlatformMessagePump = void (*)();

void Platform_SetMessagePump(PlatformMessagePump pump);
void Platform_PumpMessages();
