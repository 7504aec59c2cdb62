// Hooks of the platform services into the runner's life: what they do when the process
// shuts down.
#pragma once

// The first step of shut-down: requests still running in the background are dropped
// without being delivered and the web session is closed. Answers true.
bool Platform_Shutdown();
