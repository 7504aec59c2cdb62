#include "runner/main_loop.h"

void MainLoop_Run() {}
