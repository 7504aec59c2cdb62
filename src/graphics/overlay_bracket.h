// Screen-space drawing over whatever the frame has set: Overlay_Begin puts aside the cull,
// depth, lighting and fog states, the view, projection and world transforms and the texture
// interpolation, and sets a plain 2D projection of the screen (one unit a pixel, y down) with
// point sampling; Overlay_End puts them back, unbinds the texture and switches alpha blending
// on. Brackets may nest.
#pragma once

void Overlay_Begin();
void Overlay_End();
