// 2D drawing state and primitives: the current colour and alpha, the circle tables, points,
// lines, rectangles, triangles, ellipses, rounded rectangles, arrows, buttons, health bars and
// the game-built primitive. Every routine appends vertices to the batch and changes no render
// state.
#pragma once

#include <cstdint>

struct TPageRecord;

// Direct3D primitive numbering used by the batch.
inline constexpr int kPrimPointList = 1;
inline constexpr int kPrimLineList = 2;
inline constexpr int kPrimLineStrip = 3;
inline constexpr int kPrimTriangleList = 4;
inline constexpr int kPrimTriangleStrip = 5;
inline constexpr int kPrimTriangleFan = 6;

inline constexpr int kPrimitiveBuilderCapacity = 1001;

// The drawing depth (d3d_set_depth, and the room drawing per instance, tile and layer); 0 at
// start. It takes effect only in 3D mode: outside it every vertex keeps z 0, whatever the
// depth, so nothing is clipped for its depth.
void GR_Draw_Set_Depth(float depth);
float GR_Draw_Get_Depth();
// The z a vertex drawn now takes: the drawing depth in 3D mode, else 0.
float GR_Draw_Vertex_Z();

// Colour helpers. Script colours keep red in bits 0-7; ARGB has red in 16-23.
uint32_t GR_Color_To_ARGB(uint32_t colour, uint32_t alphaByte);
uint32_t GR_Alpha_To_Byte(float alpha);
uint32_t GR_Color_Set_Alpha(uint32_t argb, uint32_t alphaByte);
uint32_t GR_Color_Merge(uint32_t colour1, uint32_t colour2, float fraction);
uint32_t GR_Make_Color(uint8_t red, uint8_t green, uint8_t blue);
uint32_t GR_Make_ARGB(uint8_t red, uint8_t green, uint8_t blue, uint8_t alphaByte);
uint32_t GR_Color_Swap_RB(uint32_t colour);

// Start-up: colour opaque black, alpha 255, circle precision 24.
void GR_Draw_Init();
void GR_Draw_Set_Color(uint32_t colour);
void GR_Draw_Set_Color_RGB(uint8_t red, uint8_t green, uint8_t blue);
void GR_Draw_Set_Color_RGBA(uint8_t red, uint8_t green, uint8_t blue, float alpha);
void GR_Draw_Set_Alpha(float alpha);
uint32_t GR_Draw_Get_Color();
float GR_Draw_Get_Alpha();
uint32_t GR_Draw_Get_Alpha_Byte();
uint32_t GR_Draw_Get_ARGB();
uint8_t GR_Draw_Get_Red();
uint8_t GR_Draw_Get_Green();
uint8_t GR_Draw_Get_Blue();

void GR_Draw_Clear(uint32_t colour);
void GR_Draw_Clear_Alpha(uint32_t colour, float alpha);

void GR_Draw_Point(float x, float y);
void GR_Draw_Point_Color(float x, float y, uint32_t colour);
void GR_Draw_Line(float x1, float y1, float x2, float y2);
void GR_Draw_Line_Color(float x1, float y1, float x2, float y2, uint32_t colour1, uint32_t colour2);
void GR_Draw_Line_Width(float x1, float y1, float x2, float y2, float width);
void GR_Draw_Line_Width_Color(float x1, float y1, float x2, float y2, float width, uint32_t colour1,
                              uint32_t colour2);
void GR_Draw_Triangle(float x1, float y1, float x2, float y2, float x3, float y3, bool outline);
void GR_Draw_Triangle_Color(float x1, float y1, float x2, float y2, float x3, float y3, uint32_t colour1,
                            uint32_t colour2, uint32_t colour3, bool outline);
void GR_Draw_Rectangle(float x1, float y1, float x2, float y2, bool outline);
void GR_Draw_Rectangle_Color(float x1, float y1, float x2, float y2, uint32_t colour1, uint32_t colour2,
                             uint32_t colour3, uint32_t colour4, bool outline);
void GR_Draw_Set_Circle_Precision(int32_t precision);
int32_t GR_Draw_Get_Circle_Precision();
void GR_Draw_Ellipse_Core(float x1, float y1, float x2, float y2, uint32_t centreArgb, uint32_t rimArgb, bool outline);
void GR_Draw_Circle(float x, float y, float r, bool outline);
void GR_Draw_Circle_Color(float x, float y, float r, uint32_t colour1, uint32_t colour2, bool outline);
void GR_Draw_Ellipse(float x1, float y1, float x2, float y2, bool outline);
void GR_Draw_Ellipse_Color(float x1, float y1, float x2, float y2, uint32_t colour1, uint32_t colour2, bool outline);
void GR_Draw_Roundrect(float x1, float y1, float x2, float y2, float cornerWidth, float cornerHeight, bool outline);
void GR_Draw_Roundrect_Color(float x1, float y1, float x2, float y2, float cornerWidth, float cornerHeight,
                             uint32_t colour1, uint32_t colour2, bool outline);
void GR_Draw_Roundrect_Ext(float x1, float y1, float x2, float y2, float cornerWidth, float cornerHeight,
                           uint32_t centreArgb, uint32_t edgeArgb, bool outline);
void GR_Draw_Arrow(float x1, float y1, float x2, float y2, float size);
void GR_Draw_Button(float x1, float y1, float x2, float y2, bool up);
void GR_Draw_Healthbar(float x1, float y1, float x2, float y2, float amount, uint32_t backColour,
                       uint32_t minColour, uint32_t midColour, uint32_t maxColour, int32_t direction, bool showBack,
                       bool showBorder);

// The game-built primitive. The texture is a texture id, a texture-page handle (see
// GR_TPE_Handle in textured_quads.h) or -1 for none.
void GR_Draw_Primitive_Begin(int32_t kind, int32_t texture);
void GR_Draw_Vertex(float x, float y);
void GR_Draw_Vertex_Color(float x, float y, uint32_t colour, float alpha);
void GR_Draw_Vertex_Texture(float x, float y, float u, float v);
void GR_Draw_Vertex_Texture_Color(float x, float y, float u, float v, uint32_t colour, float alpha);
void GR_Draw_Primitive_End();
int32_t GR_Draw_Primitive_Count();
