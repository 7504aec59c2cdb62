// Sprite frames and backgrounds drawn through the textured quads: each picks its
// texture-page entry, or its own texture, and culls against the rectangle being drawn.
#pragma once

#include "data/sprite.h"

// The rectangle of the room being drawn (a view, or the whole room); sprites culled against
// it. Outside room drawing it is wide open.
ViewRect& Draw_ViewRect();
void Draw_ResetViewRect();
// Whether a surface is the render target (no culling then).
void Draw_SetSurfaceTarget(bool onSurface);
bool Draw_SurfaceTarget();
