// 3D mode, the drawing depth, the four ways game code sets the view and projection, the
// world transform and the stack of saved world matrices. Angles are degrees. The matrices go
// to the device through Graphics_SetMatrix; the render states that 3D mode switches
// (perspective, hidden-surface removal, lighting, fog, culling, shading) live in
// graphics_state.
#pragma once

#include <cstdint>

// The stack of saved world matrices holds this many (slots 0..50).
inline constexpr int kTransformStackSize = 51;
// The drawing depth is kept within +-16000 in 3D mode.
inline constexpr float kDepthLimit = 16000.0f;

// Turning 3D on switches perspective and hidden-surface removal on with it; turning it off
// switches both off. Setting the mode it already has does nothing. Returns true.
bool GR_3D_SetMode(bool on);
bool GR_3D_Get_Mode();
// Clears depth and stencil to depth 1.0.
void GR_3D_Clear_Depth();
// In 3D mode the drawing depth becomes depth clamped to +-16000; outside it, 0.
void GR_3D_SetDepth(float depth);

// While set, sprites are drawn even where they lie outside the view being drawn (the
// orthographic projection of game code sets it; the perspective ones clear it).
bool GR_No_View_Cull();
void GR_Set_No_View_Cull(bool on);

void GR_3D_Set_Projection(float xfrom, float yfrom, float zfrom, float xto, float yto, float zto, float xup,
                          float yup, float zup);
void GR_3D_Set_Projection_Ext(float xfrom, float yfrom, float zfrom, float xto, float yto, float zto, float xup,
                              float yup, float zup, float angle, float aspect, float znear, float zfar);
void GR_3D_Set_Projection_Ortho(float x, float y, float w, float h, float angle);
void GR_3D_Set_Projection_Perspective(float x, float y, float w, float h, float angle);

void GR_3D_Transform_Set_Identity();
void GR_3D_Transform_Set_Translation(float x, float y, float z);
void GR_3D_Transform_Set_Scaling(float x, float y, float z);
void GR_3D_Transform_Set_Rotation_X(float angle);
void GR_3D_Transform_Set_Rotation_Y(float angle);
void GR_3D_Transform_Set_Rotation_Z(float angle);
void GR_3D_Transform_Set_Rotation_Axis(float x, float y, float z, float angle);
// The add forms apply the new transform after the current world.
void GR_3D_Transform_Add_Translation(float x, float y, float z);
void GR_3D_Transform_Add_Scaling(float x, float y, float z);
void GR_3D_Transform_Add_Rotation_X(float angle);
void GR_3D_Transform_Add_Rotation_Y(float angle);
void GR_3D_Transform_Add_Rotation_Z(float angle);
void GR_3D_Transform_Add_Rotation_Axis(float x, float y, float z, float angle);

// The stack: push refuses when full, pop, top and discard when empty (false, nothing changes).
void GR_3D_Transform_Stack_Clear();
bool GR_3D_Transform_Stack_Empty();
bool GR_3D_Transform_Stack_Push();
bool GR_3D_Transform_Stack_Pop();
bool GR_3D_Transform_Stack_Top();
bool GR_3D_Transform_Stack_Discard();
