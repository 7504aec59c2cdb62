// Off-screen drawing surfaces: render-target textures of the texture table with their size,
// the redirection of drawing into one of them and back, and drawing them as textures.
// Surface ids are indices into one table; a freed record is reused, ids never move.
#pragma once

#include <cstdint>
#include <vector>

struct SurfaceEntry {
  int32_t texture = -1;  // texture table id of the render target; -1 once freed
  int32_t width = 0;
  int32_t height = 0;
  uint8_t used = 0;
};

// Sides a surface may have (a render target keeps its exact size).
inline constexpr int32_t kSurfaceMaxSide = 8192;

int32_t GR_Surface_Create(int32_t width, int32_t height);
bool GR_Surface_Exists(int32_t id);
int32_t GR_Surface_Get_Width(int32_t id);
int32_t GR_Surface_Get_Height(int32_t id);
int32_t GR_Surface_Get_Texture(int32_t id);
bool GR_Surface_Set_Target(int32_t id);
bool GR_Surface_Reset_Target();
// The frame's end (and start) drops every render target: drawing goes to the screen again and
// no surface is the target any more, so the next surface_set_target redirects anew.
void GR_Surface_Target_Dropped();
// The surface drawing goes into, -1 for the screen.
int32_t GR_Surface_Current_Target();
void GR_Surface_Free(int32_t id);
void GR_Surface_Free_All();
// Forgets every surface without freeing its texture (the texture flush).
void GR_Surface_Forget_All();
int32_t GR_Surface_Count();

void GR_Surface_Draw(int32_t id, float x, float y);
void GR_Surface_Draw_Ext(int32_t id, float x, float y, float xscale, float yscale, float angle, uint32_t colour,
                         float alpha);
void GR_Surface_Draw_Stretched(int32_t id, float x, float y, float width, float height, uint32_t colour,
                               float alpha);
void GR_Surface_Draw_Part(int32_t id, float left, float top, float width, float height, float x, float y,
                          float xscale, float yscale, uint32_t colour, float alpha);
void GR_Surface_Draw_General(int32_t id, float left, float top, float width, float height, float x, float y,
                             float xscale, float yscale, float angle, uint32_t c1, uint32_t c2, uint32_t c3,
                             uint32_t c4, float alpha);
void GR_Surface_Draw_Tiled(int32_t id, float x, float y, float xscale, float yscale, bool htiled, bool vtiled,
                           float regionX, float regionY, float regionWidth, float regionHeight, uint32_t colour,
                           float alpha);

// The pixels (0xAARRGGBB, rows top first) of a rectangle of the surface, cut to the surface;
// empty when there is no device, no such surface or nothing is left of the rectangle.
std::vector<uint32_t> GR_Surface_Grab(int32_t id, int32_t x, int32_t y, int32_t width, int32_t height,
                                      int32_t& grabbedWidth, int32_t& grabbedHeight);
