// The vertex batch: every 2D quad and primitive and most 3D drawing reaches the device
// through it. Callers reserve room for n vertices and write them; the batch is sent
// when the primitive type, texture or vertex size changes, when it would overflow,
// for every strip or fan, before any state change and at the end of the frame.
#pragma once

#include <cstdint>

struct HardwareTexture;

inline constexpr int kBatchCapacity = 32768;

// The batch's own primitive type beside Direct3D's six: quads of four vertices each (corners in
// fan order), drawn as the triangles (0, 1, 2) and (0, 2, 3) of each, the pixels of the same
// quads as a six-vertex triangle list. Reservations of it are whole quads.
inline constexpr int kBatchQuadList = 7;

struct Vertex16 {
  float x, y, z;
  uint32_t colour;
};
struct Vertex24 {
  float x, y, z;
  uint32_t colour;
  float u, v;
};
struct Vertex36 {
  float x, y, z;
  float nx, ny, nz;
  uint32_t colour;
  float u, v;
};
static_assert(sizeof(Vertex16) == 16 && sizeof(Vertex24) == 24 && sizeof(Vertex36) == 36);

struct BatchCounters {
  int trianglesThisFrame = 0;
  int largestBatch = 0;
  int drawCallsThisFrame = 0;
  int textureSwapsThisFrame = 0;
};

// Room for n vertices of vertexSize bytes; null when n is outside 1..32768 or the
// size is not 16, 24 or 36.
void* GR_D3D_Batch_Reserve(int type, HardwareTexture* texture, int vertexSize, int n);
void GR_D3D_Batch_Unreserve(int n);
void GR_D3D_Batch_Flush();
void GR_D3D_Batch_EndFrame();
// Sends vertices to the device at once; returns the primitive count.
int GR_D3D_Draw(int type, int count, const void* vertices, int vertexSize);
// Called when a texture goes: a later flush must not bind it.
void GR_D3D_Batch_ForgetTexture(const HardwareTexture* texture);
// The vertex format last given to the device (drawing outside the batch updates it).
void GR_D3D_Batch_NoteFVF(uint32_t fvf);
const BatchCounters& GR_D3D_Batch_Counters();
// Zeroes the texture switches and draw calls counted this frame (the profiler's frame start).
void GR_D3D_Batch_ResetFrameCounters();
int GR_D3D_Batch_PendingCount();
