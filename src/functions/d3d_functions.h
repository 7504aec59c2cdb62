// The d3d built-ins: 3D mode and its render settings, immediate 3D primitives, the six shapes,
// the projections, the world transform and its stack, and the lights. Each converts its
// arguments and calls one operation of the 3D drawing code; none reports an error.
// (The model built-ins register themselves right after these.)
#pragma once

void InitD3DFunctions();
