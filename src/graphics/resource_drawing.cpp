#include "graphics/resource_drawing.h"

#include <cmath>

#include "data/background.h"
#include "data/sprite.h"
#include "graphics/d3d_mode.h"
#include "graphics/graphics_state.h"
#include "graphics/primitives.h"
#include "graphics/textured_quads.h"

namespace {

constexpr float kOpen = 1.0e9f;
ViewRect g_viewRect{-kOpen, -kOpen, kOpen, kOpen};
bool g_onSurface = false;

float Radians(float degrees) { return static_cast<float>(static_cast<double>(degrees) * kDegreesToRadians); }

// The frame's page entry, or null when it draws from a texture of its own.
const TPageRecord* FrameEntry(const CSprite& sprite, int32_t frame, int32_t& textureId) {
  textureId = -1;
  const int32_t count = sprite.GetFrameCount();
  if (count <= 0) return nullptr;
  int32_t i = frame % count;
  if (i < 0) i += count;
  if (sprite.HasPageEntries()) {
    const auto& entries = sprite.PageEntries();
    return static_cast<size_t>(i) < entries.size() ? &entries[static_cast<size_t>(i)] : nullptr;
  }
  const auto& ids = sprite.TextureIds();
  if (static_cast<size_t>(i) < ids.size()) textureId = ids[static_cast<size_t>(i)];
  return nullptr;
}

const TPageRecord* BackgroundEntry(const CBackground& background) {
  return background.PageEntry().Exists() ? &background.PageEntry() : nullptr;
}

}  // namespace

ViewRect& Draw_ViewRect() { return g_viewRect; }
void Draw_ResetViewRect() { g_viewRect = {-kOpen, -kOpen, kOpen, kOpen}; }
void Draw_SetSurfaceTarget(bool onSurface) { g_onSurface = onSurface; }
bool Draw_SurfaceTarget() { return g_onSurface; }

// ---- sprites -------------------------------------------------------------------------------

void CSprite::DrawSimple(int32_t frame, float x, float y) const {
  const auto reach = static_cast<float>(radius_);
  if (!g_onSurface && !GR_No_View_Cull() && Sprite_OutsideView(x, y, reach, reach, g_viewRect)) return;
  int32_t id = -1;
  const float ax = x - static_cast<float>(xOrigin_);
  const float ay = y - static_cast<float>(yOrigin_);
  if (const TPageRecord* entry = FrameEntry(*this, frame, id)) {
    GR_Draw_TPE(*entry, ax, ay);
  } else {
    GR_Draw_Texture(id, ax, ay);
  }
}

void CSprite::Draw(int32_t frame, float x, float y, float xscale, float yscale, float angle, uint32_t blend,
                   float alpha) const {
  if (!g_onSurface && !Graphics_Settings().mode3D && !GR_No_View_Cull()) {
    const auto r = static_cast<float>(radius_);
    const float reach = std::max(std::fabs(r * xscale), std::fabs(r * yscale));
    if (Sprite_OutsideView(x, y, reach, reach, g_viewRect)) return;
  }
  int32_t id = -1;
  const auto xo = static_cast<float>(xOrigin_);
  const auto yo = static_cast<float>(yOrigin_);
  if (const TPageRecord* entry = FrameEntry(*this, frame, id)) {
    GR_Draw_TPE_Ext(*entry, xo, yo, x, y, xscale, yscale, Radians(angle), blend, alpha);
  } else {
    GR_Draw_Texture_Ext(id, xo, yo, x, y, xscale, yscale, Radians(angle), blend, alpha);
  }
}

void CSprite::DrawPos(int32_t frame, float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4,
                      float alpha) const {
  int32_t id = -1;
  if (const TPageRecord* entry = FrameEntry(*this, frame, id)) {
    GR_Draw_TPE_Pos(*entry, x1, y1, x2, y2, x3, y3, x4, y4, 0xFFFFFFu, alpha);
  } else {
    GR_Draw_Texture_Pos(id, x1, y1, x2, y2, x3, y3, x4, y4, 0xFFFFFFu, alpha);
  }
}

void CSprite::DrawStretched(int32_t frame, float x, float y, float width, float height, uint32_t blend,
                            float alpha) const {
  if (width <= 0.0f || height <= 0.0f || width_ <= 0 || height_ <= 0) return;
  const float xscale = width / static_cast<float>(width_);
  const float yscale = height / static_cast<float>(height_);
  // The origin stays where it is in the frame, scaled with it.
  const auto xo = static_cast<float>(xOrigin_);
  const auto yo = static_cast<float>(yOrigin_);
  int32_t id = -1;
  if (const TPageRecord* entry = FrameEntry(*this, frame, id)) {
    GR_Draw_TPE_Ext(*entry, xo, yo, x, y, xscale, yscale, 0.0f, blend, alpha);
  } else {
    GR_Draw_Texture_Ext(id, xo, yo, x, y, xscale, yscale, 0.0f, blend, alpha);
  }
}

void CSprite::DrawPart(int32_t frame, float left, float top, float width, float height, float x, float y,
                       float xscale, float yscale, uint32_t blend, float alpha) const {
  int32_t id = -1;
  if (const TPageRecord* entry = FrameEntry(*this, frame, id)) {
    GR_Draw_TPE_Part_Ext(*entry, left, top, width, height, x, y, xscale, yscale, 0.0f, blend, alpha);
  } else {
    GR_Draw_Texture_Part_Ext(id, left, top, width, height, x, y, xscale, yscale, 0.0f, blend, alpha);
  }
}

void CSprite::DrawGeneral(int32_t frame, float left, float top, float width, float height, float x, float y,
                          float xscale, float yscale, float angle, uint32_t c1, uint32_t c2, uint32_t c3, uint32_t c4,
                          float alpha) const {
  if (!g_onSurface) {
    const auto r = static_cast<float>(radius_);
    if (Sprite_OutsideView(x, y, std::fabs(r * xscale), std::fabs(r * yscale), g_viewRect)) return;
  }
  int32_t id = -1;
  if (const TPageRecord* entry = FrameEntry(*this, frame, id)) {
    GR_Draw_TPE_General(*entry, left, top, width, height, x, y, xscale, yscale, Radians(angle), c1, c2, c3, c4,
                        alpha);
  } else {
    GR_Draw_Texture_General(id, left, top, width, height, x, y, xscale, yscale, Radians(angle), c1, c2, c3, c4,
                            alpha);
  }
}

void CSprite::DrawTiled(int32_t frame, float x, float y, float xscale, float yscale, bool htiled, bool vtiled,
                        float regionX, float regionY, float regionWidth, float regionHeight, uint32_t blend,
                        float alpha) const {
  int32_t id = -1;
  const auto xo = static_cast<float>(xOrigin_);
  const auto yo = static_cast<float>(yOrigin_);
  if (const TPageRecord* entry = FrameEntry(*this, frame, id)) {
    GR_Draw_TPE_Tiled(*entry, xo, yo, x, y, xscale, yscale, htiled, vtiled, regionX, regionY, regionWidth,
                      regionHeight, blend, alpha);
  } else {
    GR_Draw_Texture_Tiled(id, xo, yo, x, y, xscale, yscale, htiled, vtiled, regionX, regionY, regionWidth,
                          regionHeight, blend, alpha);
  }
}

// ---- backgrounds ---------------------------------------------------------------------------

void CBackground::Draw(float x, float y) const {
  if (const TPageRecord* entry = BackgroundEntry(*this)) {
    GR_Draw_TPE(*entry, x, y);
  } else {
    GR_Draw_Texture(textureId_, x, y);
  }
}

void CBackground::DrawExt(float x, float y, float xscale, float yscale, float angle, uint32_t blend,
                          float alpha) const {
  if (const TPageRecord* entry = BackgroundEntry(*this)) {
    GR_Draw_TPE_Ext(*entry, 0.0f, 0.0f, x, y, xscale, yscale, Radians(angle), blend, alpha);
  } else {
    GR_Draw_Texture_Ext(textureId_, 0.0f, 0.0f, x, y, xscale, yscale, Radians(angle), blend, alpha);
  }
}

void CBackground::DrawStretched(float x, float y, float width, float height, uint32_t blend, float alpha) const {
  if (width <= 0.0f || height <= 0.0f || width_ <= 0 || height_ <= 0) return;
  DrawExt(x, y, width / static_cast<float>(width_), height / static_cast<float>(height_), 0.0f, blend, alpha);
}

void CBackground::DrawPart(float left, float top, float width, float height, float x, float y, float xscale,
                           float yscale, uint32_t blend, float alpha) const {
  if (const TPageRecord* entry = BackgroundEntry(*this)) {
    GR_Draw_TPE_Part_Ext(*entry, left, top, width, height, x, y, xscale, yscale, 0.0f, blend, alpha);
  } else {
    GR_Draw_Texture_Part_Ext(textureId_, left, top, width, height, x, y, xscale, yscale, 0.0f, blend, alpha);
  }
}

void CBackground::DrawGeneral(float left, float top, float width, float height, float x, float y, float xscale,
                              float yscale, float angle, uint32_t c1, uint32_t c2, uint32_t c3, uint32_t c4,
                              float alpha) const {
  if (const TPageRecord* entry = BackgroundEntry(*this)) {
    GR_Draw_TPE_General(*entry, left, top, width, height, x, y, xscale, yscale, Radians(angle), c1, c2, c3, c4, alpha);
  } else {
    GR_Draw_Texture_General(textureId_, left, top, width, height, x, y, xscale, yscale, Radians(angle), c1, c2, c3,
                            c4, alpha);
  }
}

void CBackground::DrawTiled(float x, float y, float xscale, float yscale, bool htiled, bool vtiled, float regionX,
                            float regionY, float regionWidth, float regionHeight, uint32_t blend, float alpha) const {
  if (const TPageRecord* entry = BackgroundEntry(*this)) {
    GR_Draw_TPE_Tiled(*entry, 0.0f, 0.0f, x, y, xscale, yscale, htiled, vtiled, regionX, regionY, regionWidth,
                      regionHeight, blend, alpha);
  } else {
    GR_Draw_Texture_Tiled(textureId_, 0.0f, 0.0f, x, y, xscale, yscale, htiled, vtiled, regionX, regionY,
                          regionWidth, regionHeight, blend, alpha);
  }
}
