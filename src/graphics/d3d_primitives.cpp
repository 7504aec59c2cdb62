#include "graphics/d3d_primitives.h"

#include <array>
#include <cstring>
#include <utility>

#include "data/tpage_record.h"
#include "graphics/primitives.h"
#include "graphics/texture_table.h"
#include "graphics/textured_quads.h"

namespace {

struct Primitive3D {
  int32_t kind = 0;
  int32_t textureId = -1;
  // Set when the texture came from a page entry: coordinates are mapped into its rectangle.
  bool hasEntry = false;
  TPageRecord entry;
  float pageWidth = 1.0f, pageHeight = 1.0f;
  int32_t count = 0;
  std::array<GR_3D_Vertex_Record, kPrimitive3DCapacity> vertices{};
};
Primitive3D g_primitive;
GR_3D_Primitive_Sink g_sink;

// The drawing colour as a vertex without a colour of its own takes it: bit 0 clear.
uint32_t DrawingColour() { return GR_Draw_Get_ARGB() & ~1u; }
// A vertex's own colour: bit 0 set.
uint32_t OwnColour(int32_t colour, float alpha) {
  return GR_Color_To_ARGB(static_cast<uint32_t>(colour), GR_Alpha_To_Byte(alpha)) | 1u;
}

void Add(float x, float y, float z, float nx, float ny, float nz, uint32_t argb, float u, float v) {
  Primitive3D& p = g_primitive;
  if (p.count >= kPrimitive3DCapacity) return;
  if (p.hasEntry) {
    u = (static_cast<float>(p.entry.cropWidth) * u + static_cast<float>(p.entry.x)) / p.pageWidth;
    v = (static_cast<float>(p.entry.cropHeight) * v + static_cast<float>(p.entry.y)) / p.pageHeight;
  }
  p.vertices[static_cast<size_t>(p.count++)] = {x, y, z, nx, ny, nz, argb, u, v};
}

}  // namespace

int32_t GR_3D_Texture_Id(int32_t texture) {
  if (GR_Texture_Exists(texture)) return texture;
  const TPageRecord* entry = texture == -1 ? nullptr : GR_TPE_FromHandle(texture);
  return entry == nullptr ? -1 : GR_TPE_TextureId(*entry);
}

void GR_3D_Primitive_Begin(int32_t kind, int32_t texture) {
  Primitive3D& p = g_primitive;
  p.count = 0;
  p.kind = kind;
  p.hasEntry = false;
  p.textureId = -1;
  if (GR_Texture_Exists(texture)) {
    p.textureId = texture;
    return;
  }
  // Anything that is neither a texture nor a known page entry draws untextured.
  const TPageRecord* entry = texture == -1 ? nullptr : GR_TPE_FromHandle(texture);
  if (entry == nullptr) return;
  p.textureId = GR_TPE_TextureId(*entry);
  const TextureEntry* page = GR_Texture_Entry(p.textureId);
  if (page == nullptr || page->width <= 0 || page->height <= 0) return;
  p.hasEntry = true;
  p.entry = *entry;
  // The page's image may sit in a larger texture: its coordinates scale by the texture.
  p.pageWidth = page->inverseWidth > 0.0f ? 1.0f / page->inverseWidth : static_cast<float>(page->width);
  p.pageHeight = page->inverseHeight > 0.0f ? 1.0f / page->inverseHeight : static_cast<float>(page->height);
}

void GR_3D_Vertex(float x, float y, float z) { Add(x, y, z, 0, 0, 0, DrawingColour(), 0, 0); }
void GR_3D_Vertex_Color(float x, float y, float z, int32_t colour, float alpha) {
  Add(x, y, z, 0, 0, 0, OwnColour(colour, alpha), 0, 0);
}
void GR_3D_Vertex_Texture(float x, float y, float z, float u, float v) {
  Add(x, y, z, 0, 0, 0, DrawingColour(), u, v);
}
void GR_3D_Vertex_Texture_Color(float x, float y, float z, float u, float v, int32_t colour, float alpha) {
  Add(x, y, z, 0, 0, 0, OwnColour(colour, alpha), u, v);
}
void GR_3D_Vertex_Normal(float x, float y, float z, float nx, float ny, float nz) {
  Add(x, y, z, nx, ny, nz, DrawingColour(), 0, 0);
}
void GR_3D_Vertex_Normal_Color(float x, float y, float z, float nx, float ny, float nz, int32_t colour,
                               float alpha) {
  Add(x, y, z, nx, ny, nz, OwnColour(colour, alpha), 0, 0);
}
void GR_3D_Vertex_Normal_Texture(float x, float y, float z, float nx, float ny, float nz, float u, float v) {
  Add(x, y, z, nx, ny, nz, DrawingColour(), u, v);
}
void GR_3D_Vertex_Normal_Texture_Color(float x, float y, float z, float nx, float ny, float nz, float u, float v,
                                       int32_t colour, float alpha) {
  Add(x, y, z, nx, ny, nz, OwnColour(colour, alpha), u, v);
}

void GR_3D_Primitive_End() {
  const Primitive3D& p = g_primitive;
  if (p.kind < kPrimPointList || p.kind > kPrimTriangleFan || p.count <= 0) return;
  const std::span<const GR_3D_Vertex_Record> vertices(p.vertices.data(), static_cast<size_t>(p.count));
  if (g_sink) {
    g_sink(p.kind, p.textureId, vertices);
    return;
  }
  void* room = GR_D3D_Batch_Reserve(p.kind, GR_Texture_Get(p.textureId), sizeof(GR_3D_Vertex_Record), p.count);
  if (room == nullptr) return;
  std::memcpy(room, vertices.data(), vertices.size_bytes());
}

int32_t GR_3D_Primitive_Count() { return g_primitive.count; }
std::span<const GR_3D_Vertex_Record> GR_3D_Primitive_Vertices() {
  return {g_primitive.vertices.data(), static_cast<size_t>(g_primitive.count)};
}
int32_t GR_3D_Primitive_Texture() { return g_primitive.textureId; }

void GR_3D_Set_Primitive_Sink(GR_3D_Primitive_Sink sink) { g_sink = std::move(sink); }
bool GR_3D_Has_Primitive_Sink() { return static_cast<bool>(g_sink); }
