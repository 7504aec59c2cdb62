// The six ready-made 3D shapes: block, cylinder, cone, ellipsoid, wall and floor. Each
// flushes the batch, draws with texture repeat on (restoring the setting afterwards) and
// emits its primitives through the immediate primitive routines, so that a model being
// recorded takes them. Every vertex takes the drawing colour. The texture is a handle as
// GR_3D_Primitive_Begin takes it; hrepeat and vrepeat are how often the texture repeats across
// and up each face.
#pragma once

#include <cstdint>

// Round shapes use this many steps at least and at most.
inline constexpr int32_t kShapeMinSteps = 3;
inline constexpr int32_t kShapeMaxSteps = 128;

void GR_3D_Draw_Block(float x1, float y1, float z1, float x2, float y2, float z2, int32_t texture, float hrepeat,
                      float vrepeat);
void GR_3D_Draw_Cylinder(float x1, float y1, float z1, float x2, float y2, float z2, int32_t texture, float hrepeat,
                         float vrepeat, bool closed, int32_t steps);
void GR_3D_Draw_Cone(float x1, float y1, float z1, float x2, float y2, float z2, int32_t texture, float hrepeat,
                     float vrepeat, bool closed, int32_t steps);
void GR_3D_Draw_Ellipsoid(float x1, float y1, float z1, float x2, float y2, float z2, int32_t texture, float hrepeat,
                          float vrepeat, int32_t steps);
// A wall stands on the line from (x1, y1) to (x2, y2), from z1 up to z2; nothing is drawn when
// the line has no length.
void GR_3D_Draw_Wall(float x1, float y1, float z1, float x2, float y2, float z2, int32_t texture, float hrepeat,
                     float vrepeat);
// A floor slopes from z1 at x1 to z2 at x2.
void GR_3D_Draw_Floor(float x1, float y1, float z1, float x2, float y2, float z2, int32_t texture, float hrepeat,
                      float vrepeat);
