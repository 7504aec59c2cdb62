// The path and time-line built-ins of the resource family: inspecting paths and time lines,
// editing paths point by point, adding, copying and deleting them.
#pragma once

// Registers path_* and timeline_* (the resource family's registration takes them over when
// it is built).
void InitPathAndTimeLineFunctions();
