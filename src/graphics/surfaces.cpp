#include "graphics/surfaces.h"

#include <algorithm>

#include "graphics/batch.h"
#include "graphics/graphics_state.h"
#include "graphics/hardware_texture.h"
#include "graphics/render_state.h"
#include "graphics/resource_drawing.h"
#include "graphics/texture_table.h"
#include "graphics/textured_quads.h"

namespace {

constexpr float kSurfaceDegreesToRadians = 0.01745329238474369f;

struct TargetState {
  int32_t current = -1;
  bool onSurface = false;
  int viewportX = 0, viewportY = 0, viewportWidth = 0, viewportHeight = 0;
  float regionX = 0, regionY = 0, regionWidth = 0, regionHeight = 0, regionAngle = 0;
};

std::vector<SurfaceEntry> g_surfaces;
TargetState g_target;

SurfaceEntry* Used(int32_t id) {
  if (id < 0 || static_cast<size_t>(id) >= g_surfaces.size() || !g_surfaces[static_cast<size_t>(id)].used)
    return nullptr;
  return &g_surfaces[static_cast<size_t>(id)];
}

}  // namespace

int32_t GR_Surface_Create(int32_t width, int32_t height) {
  if (width < 1 || height < 1 || width > kSurfaceMaxSide || height > kSurfaceMaxSide) return -1;
  size_t slot = 0;
  while (slot < g_surfaces.size() && g_surfaces[slot].used) ++slot;
  if (slot == g_surfaces.size()) g_surfaces.emplace_back();
  const int texture = GR_Texture_Create_RenderTarget(width, height, true);
  if (texture < 0) return -1;
  if (GR_Texture_Get(texture) == nullptr) {
    GR_Texture_Free(texture);
    return -1;
  }
  SurfaceEntry& entry = g_surfaces[slot];
  entry.texture = texture;
  entry.width = width;
  entry.height = height;
  entry.used = 1;
  return static_cast<int32_t>(slot);
}

bool GR_Surface_Exists(int32_t id) { return Used(id) != nullptr; }

int32_t GR_Surface_Get_Width(int32_t id) {
  const SurfaceEntry* s = Used(id);
  return s ? s->width : -1;
}

int32_t GR_Surface_Get_Height(int32_t id) {
  const SurfaceEntry* s = Used(id);
  return s ? s->height : -1;
}

int32_t GR_Surface_Get_Texture(int32_t id) {
  const SurfaceEntry* s = Used(id);
  return s ? s->texture : -1;
}

int32_t GR_Surface_Current_Target() { return g_target.current; }
int32_t GR_Surface_Count() { return static_cast<int32_t>(g_surfaces.size()); }

bool GR_Surface_Set_Target(int32_t id) {
  if (!GR_D3D_Device_Exists()) return false;
  GR_D3D_Batch_Flush();
  const SurfaceEntry* s = Used(id);
  if (s == nullptr) return false;
  if (id == g_target.current) return true;
  HardwareTexture* texture = GR_Texture_Get(s->texture);
  if (texture == nullptr) return false;
  if (g_target.current != -1) GR_Surface_Reset_Target();
  const GraphicsSettings& settings = Graphics_Settings();
  g_target.viewportX = settings.viewportX;
  g_target.viewportY = settings.viewportY;
  g_target.viewportWidth = settings.viewportWidth;
  g_target.viewportHeight = settings.viewportHeight;
  g_target.regionX = settings.regionX;
  g_target.regionY = settings.regionY;
  g_target.regionWidth = settings.regionWidth;
  g_target.regionHeight = settings.regionHeight;
  g_target.regionAngle = settings.regionAngle;
  if (!Graphics_PushRenderTarget()) return false;
  if (!Graphics_SetRenderTarget(0, texture)) {
    Graphics_PopRenderTarget();
    return false;
  }
  GR_Set_View_Projection(0.0f, 0.0f, static_cast<float>(s->width), static_cast<float>(s->height), 0.0f);
  GR_Set_Viewport(0, 0, s->width, s->height);
  g_target.current = id;
  g_target.onSurface = true;
  Draw_SetSurfaceTarget(true);
  return true;
}

bool GR_Surface_Reset_Target() {
  if (!GR_D3D_Device_Exists()) return false;
  GR_D3D_Batch_Flush();
  if (!Graphics_PopRenderTarget()) return false;
  if (g_target.current != -1) {
    GR_Set_Viewport(g_target.viewportX, g_target.viewportY, g_target.viewportWidth, g_target.viewportHeight);
    GR_Set_View_Projection(g_target.regionX, g_target.regionY, g_target.regionWidth, g_target.regionHeight,
                           g_target.regionAngle);
  }
  g_target.current = -1;
  g_target.onSurface = false;
  Draw_SetSurfaceTarget(false);
  return true;
}

void GR_Surface_Target_Dropped() {
  g_target.current = -1;
  g_target.onSurface = false;
  Draw_SetSurfaceTarget(false);
}

void GR_Surface_Free(int32_t id) {
  SurfaceEntry* s = Used(id);
  if (s == nullptr) return;
  if (GR_D3D_Device_Exists()) GR_D3D_Batch_Flush();
  if (id == g_target.current) GR_Surface_Reset_Target();
  GR_Texture_Free(s->texture);
  s->texture = -1;
  s->used = 0;
}

void GR_Surface_Free_All() {
  for (size_t i = 0; i < g_surfaces.size(); ++i) GR_Surface_Free(static_cast<int32_t>(i));
}

void GR_Surface_Forget_All() {
  for (SurfaceEntry& s : g_surfaces) s.used = 0;
}

void GR_Surface_Draw(int32_t id, float x, float y) {
  if (const SurfaceEntry* s = Used(id)) GR_Draw_Texture(s->texture, x, y);
}

void GR_Surface_Draw_Ext(int32_t id, float x, float y, float xscale, float yscale, float angle, uint32_t colour,
                         float alpha) {
  if (const SurfaceEntry* s = Used(id))
    GR_Draw_Texture_Ext(s->texture, 0.0f, 0.0f, x, y, xscale, yscale, angle * kSurfaceDegreesToRadians, colour, alpha);
}

void GR_Surface_Draw_Stretched(int32_t id, float x, float y, float width, float height, uint32_t colour,
                               float alpha) {
  const SurfaceEntry* s = Used(id);
  if (s == nullptr || width <= 0.0f || height <= 0.0f) return;
  GR_Draw_Texture_Ext(s->texture, 0.0f, 0.0f, x, y, width / static_cast<float>(s->width),
                      height / static_cast<float>(s->height), 0.0f, colour, alpha);
}

void GR_Surface_Draw_Part(int32_t id, float left, float top, float width, float height, float x, float y,
                          float xscale, float yscale, uint32_t colour, float alpha) {
  if (const SurfaceEntry* s = Used(id))
    GR_Draw_Texture_Part_Ext(s->texture, left, top, width, height, x, y, xscale, yscale, 0.0f, colour, alpha);
}

void GR_Surface_Draw_General(int32_t id, float left, float top, float width, float height, float x, float y,
                             float xscale, float yscale, float angle, uint32_t c1, uint32_t c2, uint32_t c3,
                             uint32_t c4, float alpha) {
  if (const SurfaceEntry* s = Used(id))
    GR_Draw_Texture_General(s->texture, left, top, width, height, x, y, xscale, yscale, angle * kSurfaceDegreesToRadians,
                            c1, c2, c3, c4, alpha);
}

void GR_Surface_Draw_Tiled(int32_t id, float x, float y, float xscale, float yscale, bool htiled, bool vtiled,
                           float regionX, float regionY, float regionWidth, float regionHeight, uint32_t colour,
                           float alpha) {
  if (const SurfaceEntry* s = Used(id))
    GR_Draw_Texture_Tiled(s->texture, 0.0f, 0.0f, x, y, xscale, yscale, htiled, vtiled, regionX, regionY,
                          regionWidth, regionHeight, colour, alpha);
}

std::vector<uint32_t> GR_Surface_Grab(int32_t id, int32_t x, int32_t y, int32_t width, int32_t height,
                                      int32_t& grabbedWidth, int32_t& grabbedHeight) {
  grabbedWidth = grabbedHeight = 0;
  if (!GR_D3D_Device_Exists()) return {};
  GR_D3D_Batch_Flush();
  const SurfaceEntry* s = Used(id);
  if (s == nullptr) return {};
  HardwareTexture* texture = GR_Texture_Get(s->texture);
  if (texture == nullptr) return {};
  int64_t w = width, h = height, left = x, top = y;
  if (left < 0) {
    w += left;
    left = 0;
  }
  if (top < 0) {
    h += top;
    top = 0;
  }
  w = std::min<int64_t>(w, s->width - left);
  h = std::min<int64_t>(h, s->height - top);
  if (w < 1 || h < 1) return {};
  std::vector<uint32_t> pixels = Graphics_GrabSurfaceRect(texture, static_cast<int>(left), static_cast<int>(top),
                                                          static_cast<int>(w), static_cast<int>(h));
  if (pixels.size() != static_cast<size_t>(w) * static_cast<size_t>(h)) return {};
  grabbedWidth = static_cast<int32_t>(w);
  grabbedHeight = static_cast<int32_t>(h);
  return pixels;
}
