// Textured quads: a whole texture of the texture table (the texture branch) or a texture-page
// entry, a rectangle of a shared page with a cropped border (the page branch), drawn plain,
// scaled and rotated, in parts, with four corner colours, stretched to four points or tiled.
// Angles here are radians. Nothing changes render state; vertices go to the batch.
#pragma once

#include <cstdint>

#include "data/tpage_record.h"

struct HardwareTexture;

// pi/180 as the drawing code holds it (a float, widened).
inline constexpr double kDegreesToRadians = 0.01745329238474369;

// ---- texture pages and page-entry handles ------------------------------------------------

// The texture id of each texture page of the game file, by page index (the TXTR order).
void GR_Texture_Pages_Set(const int32_t* ids, int count);
void GR_Texture_Pages_Clear();
// The texture id of the entry's page; -1 when the page has no usable texture.
int32_t GR_TPE_TextureId(const TPageRecord& entry);
// A handle that game code can hold for an entry (what sprite_get_texture returns). Handles
// are indices above every texture id; the same entry gives the same handle.
int32_t GR_TPE_Handle(const TPageRecord& entry);
const TPageRecord* GR_TPE_FromHandle(int32_t handle);
void GR_TPE_Handles_Clear();

// ---- the shared quad ---------------------------------------------------------------------

void GR_Draw_Texture_Quad(HardwareTexture* texture, float x1, float y1, float x2, float y2, float x3, float y3,
                          float x4, float y4, float uL, float vT, float uR, float vB, uint32_t c1, uint32_t c2,
                          uint32_t c3, uint32_t c4);

// ---- texture branch ----------------------------------------------------------------------

void GR_Draw_Texture(int32_t id, float x, float y);
void GR_Draw_Texture_Ext(int32_t id, float xorigin, float yorigin, float x, float y, float xscale, float yscale,
                         float angle, uint32_t colour, float alpha);
void GR_Draw_Texture_Stretched(int32_t id, float x, float y, float width, float height, uint32_t colour,
                               float alpha);
void GR_Draw_Texture_Part_Ext(int32_t id, float left, float top, float width, float height, float x, float y,
                              float xscale, float yscale, float angle, uint32_t colour, float alpha);
void GR_Draw_Texture_General(int32_t id, float left, float top, float width, float height, float x, float y,
                             float xscale, float yscale, float angle, uint32_t c1, uint32_t c2, uint32_t c3,
                             uint32_t c4, float alpha);
void GR_Draw_Texture_Tiled(int32_t id, float xorigin, float yorigin, float x, float y, float xscale, float yscale,
                           bool htiled, bool vtiled, float regionX, float regionY, float regionWidth,
                           float regionHeight, uint32_t colour, float alpha);
// The texture branch mapped onto four points (the twin of GR_Draw_TPE_Pos).
void GR_Draw_Texture_Pos(int32_t id, float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4,
                         uint32_t colour, float alpha);

// ---- page branch -------------------------------------------------------------------------

void GR_Draw_TPE(const TPageRecord& entry, float x, float y);
void GR_Draw_TPE_Pos(const TPageRecord& entry, float x1, float y1, float x2, float y2, float x3, float y3, float x4,
                     float y4, uint32_t colour, float alpha);
void GR_Draw_TPE_Ext(const TPageRecord& entry, float xorigin, float yorigin, float x, float y, float xscale,
                     float yscale, float angle, uint32_t colour, float alpha);
void GR_Draw_TPE_Part_Ext(const TPageRecord& entry, float left, float top, float width, float height, float x,
                          float y, float xscale, float yscale, float angle, uint32_t colour, float alpha);
void GR_Draw_TPE_General(const TPageRecord& entry, float left, float top, float width, float height, float x,
                         float y, float xscale, float yscale, float angle, uint32_t c1, uint32_t c2, uint32_t c3,
                         uint32_t c4, float alpha);
void GR_Draw_TPE_Tiled(const TPageRecord& entry, float xorigin, float yorigin, float x, float y, float xscale,
                       float yscale, bool htiled, bool vtiled, float regionX, float regionY, float regionWidth,
                       float regionHeight, uint32_t colour, float alpha);

// ---- texture-table helpers ---------------------------------------------------------------

// A texture of white pixels whose alpha comes from the sheet (width x height bytes, top row
// first); -1 on failure.
int32_t GR_Texture_From_Alpha_Map(int width, int height, const uint8_t* sheet);
// draw_texture_flush: every surface is forgotten (their ids no longer exist).
void GR_Texture_Flush();
void GR_Texture_Free_All();
// draw_texture_flush: hardware textures stay as they are (an OpenGL texture needs no
// release to be made again); every surface is forgotten without freeing its texture.
void GR_Texture_Flush();
