#include "runner/run_options.h"

RunOptions g_RunOptions;
