// Immediate 3D primitives: one current primitive of at most 1,001 vertices, collected by the
// eight vertex forms and handed, at its end, to the vertex batch, or to the primitive sink
// while a model is being recorded.
//
// A vertex without a colour of its own takes the drawing colour with bit 0 of its ARGB value
// cleared; a vertex with its own colour has that bit set, so a recording can tell the vertices
// that follow the drawing colour.
#pragma once

#include <cstdint>
#include <functional>
#include <span>

#include "graphics/batch.h"

// The 36-byte vertex of the batch: position, normal, ARGB colour, texture coordinates.
using GR_3D_Vertex_Record = Vertex36;

inline constexpr int kPrimitive3DCapacity = 1001;

// Texture handles: an existing texture id, -1 for none, or a texture-page entry handle
// (GR_TPE_Handle); anything else draws untextured.
void GR_3D_Primitive_Begin(int32_t kind, int32_t texture);
// The texture id a handle draws with: the texture itself, a page entry's page, or -1 for none.
int32_t GR_3D_Texture_Id(int32_t texture);
void GR_3D_Vertex(float x, float y, float z);
void GR_3D_Vertex_Color(float x, float y, float z, int32_t colour, float alpha);
void GR_3D_Vertex_Texture(float x, float y, float z, float u, float v);
void GR_3D_Vertex_Texture_Color(float x, float y, float z, float u, float v, int32_t colour, float alpha);
void GR_3D_Vertex_Normal(float x, float y, float z, float nx, float ny, float nz);
void GR_3D_Vertex_Normal_Color(float x, float y, float z, float nx, float ny, float nz, int32_t colour, float alpha);
void GR_3D_Vertex_Normal_Texture(float x, float y, float z, float nx, float ny, float nz, float u, float v);
void GR_3D_Vertex_Normal_Texture_Color(float x, float y, float z, float nx, float ny, float nz, float u, float v,
                                       int32_t colour, float alpha);
// Submits the primitive when its kind is 1..6. The count stays until the next begin.
void GR_3D_Primitive_End();

// The current primitive, as collected so far.
int32_t GR_3D_Primitive_Count();
std::span<const GR_3D_Vertex_Record> GR_3D_Primitive_Vertices();
// The texture id the current primitive draws with (-1 none).
int32_t GR_3D_Primitive_Texture();

// Where finished primitives go instead of the batch (a model's recorder while it records).
// kind is the primitive type, textureId the texture id (-1 none). An empty sink restores the
// batch.
using GR_3D_Primitive_Sink =
    std::function<void(int32_t kind, int32_t textureId, std::span<const GR_3D_Vertex_Record> vertices)>;
void GR_3D_Set_Primitive_Sink(GR_3D_Primitive_Sink sink);
bool GR_3D_Has_Primitive_Sink();
