// Motion and planning built-ins: random placement, snapping, moving to contact or out of
// collisions, bouncing, wrapping, motion, distances, paths and motion planning. Registered by
// InitGameFunctions ahead of the instance, room and game built-ins.
#pragma once

#include "script/builtin_function.h"

void InitMotionFunctions();
