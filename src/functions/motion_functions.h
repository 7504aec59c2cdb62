// Motion and planning built-ins: random placement, snapping, moving to contact or out of
// collisions, bouncing, wrapping, motion, distances, paths and motion planning. Registered by
// InitGameFunctions ahead of the instance, room and game built-ins.
#pragma once

#include <cstdint>

#include "script/builtin_function.h"

void InitMotionFunctions();

class CInstance;
// Up to `tries` random places inside the room (snapped to the grid where a snap is > 0) until
// one is free of solid instances; the instance jumps to the first free one, else stays.
void Motion_MoveRandom(CInstance& self, int32_t hsnap, int32_t vsnap, int32_t tries);

// place_snapped: the position lies on the grid (within 0.001) for each snap above 0.
BuiltinSignature F_PlaceSnapped;
