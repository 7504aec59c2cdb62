// The surface built-ins: creating, freeing and querying surfaces, drawing into them and
// with them, reading a pixel, copying between them and saving them as PNG files.
#pragma once

#include "script/builtin_function.h"

// Registers them in their fixed order (called from the graphics registration).
void RegisterSurfaceFunctions();

BuiltinSignature F_SurfaceCreate;
BuiltinSignature F_SurfaceFree;
BuiltinSignature F_SurfaceExists;
BuiltinSignature F_SurfaceGetWidth;
BuiltinSignature F_SurfaceGetHeight;
BuiltinSignature F_SurfaceGetTexture;
BuiltinSignature F_SurfaceSetTarget;
BuiltinSignature F_SurfaceResetTarget;
BuiltinSignature F_DrawSurface;
BuiltinSignature F_DrawSurfaceExt;
BuiltinSignature F_DrawSurfaceStretched;
BuiltinSignature F_DrawSurfaceStretchedExt;
BuiltinSignature F_DrawSurfacePart;
BuiltinSignature F_DrawSurfacePartExt;
BuiltinSignature F_DrawSurfaceGeneral;
BuiltinSignature F_DrawSurfaceTiled;
BuiltinSignature F_DrawSurfaceTiledExt;
BuiltinSignature F_SurfaceSave;
BuiltinSignature F_SurfaceSavePart;
BuiltinSignature F_SurfaceGetpixel;
BuiltinSignature F_SurfaceCopy;
BuiltinSignature F_SurfaceCopyPart;
