// The path and time-line built-ins of the resource family: inspecting paths and time lines,
// editing paths point by point, adding, copying and deleting them.
#pragma once

// Register path_* and timeline_* in their places of the resource family (InitResourceFunctions).
void RegisterPathFunctions();
void RegisterTimeLineFunctions();
