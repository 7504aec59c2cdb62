#include "graphics/textured_quads.h"

#include "graphics/texture_pages.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>
#include <vector>

#include "graphics/batch.h"
#include "graphics/primitives.h"
#include "graphics/surfaces.h"
#include "graphics/texture_pages.h"
#include "graphics/texture_table.h"
#include "platform/conversions.h"

namespace {

// Handles of page entries start above any texture id a game can reach.
constexpr int32_t kHandleBase = 0x01000000;

std::vector<int32_t> g_pages;
std::vector<TPageRecord> g_handles;
std::unordered_map<uint32_t, int32_t> g_handleByOffset;

struct Corners {
  float x[4];
  float y[4];
};

float Narrow(double value) { return static_cast<float>(value); }

// The local rectangle (lx0, ly0)-(lx1, ly1) around (x, y), turned by angle unless it is
// below the threshold. Corners clockwise from the top-left.
Corners Place(float x, float y, float lx0, float ly0, float lx1, float ly1, float angle, float threshold) {
  Corners c{};
  const float lx[4] = {lx0, lx1, lx1, lx0};
  const float ly[4] = {ly0, ly0, ly1, ly1};
  if (std::fabs(angle) < threshold) {
    for (int i = 0; i < 4; ++i) {
      c.x[i] = x + lx[i];
      c.y[i] = y + ly[i];
    }
    return c;
  }
  const float s = Narrow(std::sin(static_cast<double>(angle)));
  const float co = Narrow(std::cos(static_cast<double>(angle)));
  for (int i = 0; i < 4; ++i) {
    c.x[i] = x + lx[i] * co + ly[i] * s;
    c.y[i] = y - lx[i] * s + ly[i] * co;
  }
  return c;
}

// Alpha byte: truncated, then clamped.
uint32_t PackTruncated(uint32_t colour, float alpha) { return GR_Color_Alpha_To_ARGB(colour, alpha); }

// Alpha byte: clamped, then rounded half to even.
uint32_t PackRounded(uint32_t colour, float alpha) {
  float scaled = alpha * 255.0f;
  if (!(scaled >= 0.0f)) scaled = 0.0f;
  scaled = std::min(scaled, 255.0f);
  const auto byte = static_cast<uint32_t>(Conv_RoundHalfEven(static_cast<double>(scaled)));
  return GR_Color_To_ARGB(colour, byte);
}

uint32_t WhiteCurrentAlpha() { return PackTruncated(0xFFFFFFu, GR_Draw_Get_Alpha()); }

// A fan of four corners with one texture rectangle.
void Fan(HardwareTexture* texture, const Corners& c, float uL, float vT, float uR, float vB, uint32_t c1,
         uint32_t c2, uint32_t c3, uint32_t c4) {
  auto* v = static_cast<Vertex24*>(GR_D3D_Batch_Reserve(6, texture, 24, 4));
  if (v == nullptr) return;
  const float depth = GR_Draw_Vertex_Z();
  v[0] = {c.x[0], c.y[0], depth, c1, uL, vT};
  v[1] = {c.x[1], c.y[1], depth, c2, uR, vT};
  v[2] = {c.x[2], c.y[2], depth, c3, uR, vB};
  v[3] = {c.x[3], c.y[3], depth, c4, uL, vB};
}

void Quad(HardwareTexture* texture, const Corners& c, float uL, float vT, float uR, float vB, uint32_t c1,
          uint32_t c2, uint32_t c3, uint32_t c4) {
  GR_Draw_Texture_Quad(texture, c.x[0], c.y[0], c.x[1], c.y[1], c.x[2], c.y[2], c.x[3], c.y[3], uL, vT, uR, vB, c1,
                       c2, c3, c4);
}

// The page texture of an entry and its entry in the table; null when unusable.
TextureEntry* PageOf(const TPageRecord& entry) { return GR_Texture_Entry(GR_TPE_TextureId(entry)); }

float CropWidth(const TPageRecord& e) { return static_cast<float>(e.cropWidth != 0 ? e.cropWidth : 1); }
float CropHeight(const TPageRecord& e) { return static_cast<float>(e.cropHeight != 0 ? e.cropHeight : 1); }

struct PageUV {
  float uL, vT, uR, vB;
};
PageUV EntryUV(const TPageRecord& e, const TextureEntry& page) {
  return {static_cast<float>(e.x) * page.inverseWidth, static_cast<float>(e.y) * page.inverseHeight,
          static_cast<float>(e.x + e.width) * page.inverseWidth, static_cast<float>(e.y + e.height) * page.inverseHeight};
}

// The part rectangle given in full-frame coordinates, clipped to the entry's rectangle.
struct PartClip {
  float x, y, srcLeft, srcTop, width, height;
};
PartClip ClipPart(const TPageRecord& e, float left, float top, float width, float height, float x, float y,
                  float xscale, float yscale, bool scaleShift) {
  PartClip p{x, y, 0.0f, 0.0f, width, height};
  const float xo = static_cast<float>(e.xOffset);
  const float yo = static_cast<float>(e.yOffset);
  if (xo > left) {
    const float cut = xo - left;
    p.x += std::trunc(scaleShift ? cut * xscale : cut);
    p.width -= cut;
  } else {
    p.srcLeft = left - xo;
  }
  if (yo > top) {
    const float cut = yo - top;
    p.y += std::trunc(scaleShift ? cut * yscale : cut);
    p.height -= cut;
  } else {
    p.srcTop = top - yo;
  }
  p.width = std::min(p.width, CropWidth(e));
  p.height = std::min(p.height, CropHeight(e));
  return p;
}

}  // namespace

// ---- pages and handles -------------------------------------------------------------------

void GR_Texture_Pages_Set(const int32_t* ids, int count) {
  g_pages.assign(ids, ids + std::max(count, 0));
}
void GR_Texture_Pages_Clear() { g_pages.clear(); }

int32_t GR_TPE_TextureId(const TPageRecord& entry) {
  if (entry.texture < 0 || static_cast<size_t>(entry.texture) >= g_pages.size()) return -1;
  int32_t& id = g_pages[static_cast<size_t>(entry.texture)];
  if (id == kTexturePageNotMade) id = GR_Texture_Page_Make(entry.texture);
  return GR_Texture_Exists(id) ? id : -1;
}

int32_t GR_TPE_Handle(const TPageRecord& entry) {
  if (entry.offset != 0) {
    auto found = g_handleByOffset.find(entry.offset);
    if (found != g_handleByOffset.end()) return found->second;
  }
  const auto handle = kHandleBase + static_cast<int32_t>(g_handles.size());
  g_handles.push_back(entry);
  if (entry.offset != 0) g_handleByOffset.emplace(entry.offset, handle);
  return handle;
}

const TPageRecord* GR_TPE_FromHandle(int32_t handle) {
  if (handle < kHandleBase) return nullptr;
  const auto index = static_cast<size_t>(handle - kHandleBase);
  return index < g_handles.size() ? &g_handles[index] : nullptr;
}

void GR_TPE_Handles_Clear() {
  g_handles.clear();
  g_handleByOffset.clear();
}

// ---- the shared quad ---------------------------------------------------------------------

void GR_Draw_Texture_Quad(HardwareTexture* texture, float x1, float y1, float x2, float y2, float x3, float y3,
                          float x4, float y4, float uL, float vT, float uR, float vB, uint32_t c1, uint32_t c2,
                          uint32_t c3, uint32_t c4) {
  auto* v = static_cast<Vertex24*>(GR_D3D_Batch_Reserve(4, texture, 24, 6));
  if (v == nullptr) return;
  const float z = GR_Draw_Vertex_Z();
  v[0] = {x1, y1, z, c1, uL, vT};
  v[1] = {x2, y2, z, c2, uR, vT};
  v[2] = {x3, y3, z, c3, uR, vB};
  v[3] = {x3, y3, z, c3, uR, vB};
  v[4] = {x4, y4, z, c4, uL, vB};
  v[5] = {x1, y1, z, c1, uL, vT};
}

// ---- texture branch ----------------------------------------------------------------------

void GR_Draw_Texture(int32_t id, float x, float y) {
  TextureEntry* t = GR_Texture_Entry(id);
  if (t == nullptr) return;
  const float w = static_cast<float>(t->width);
  const float h = static_cast<float>(t->height);
  const Corners c = Place(x, y, 0.0f, 0.0f, w, h, 0.0f, 1.0f);
  const uint32_t colour = WhiteCurrentAlpha();
  Fan(t->texture.get(), c, 0.0f, 0.0f, w * t->inverseWidth, h * t->inverseHeight, colour, colour, colour, colour);
}

void GR_Draw_Texture_Ext(int32_t id, float xorigin, float yorigin, float x, float y, float xscale, float yscale,
                         float angle, uint32_t colour, float alpha) {
  TextureEntry* t = GR_Texture_Entry(id);
  if (t == nullptr) return;
  if (t->width == 0 || t->height == 0) {
    t->width = t->height = 8;
    t->inverseWidth = t->inverseHeight = 0.125f;
  }
  const float w = static_cast<float>(t->width);
  const float h = static_cast<float>(t->height);
  const float lx0 = -xscale * xorigin - 0.5f;
  const float ly0 = -yscale * yorigin - 0.5f;
  const Corners c = Place(x, y, lx0, ly0, xscale * w + lx0, yscale * h + ly0, angle, 0.001f);
  const uint32_t argb = PackTruncated(colour, alpha);
  Fan(t->texture.get(), c, 0.0f, 0.0f, w * t->inverseWidth, h * t->inverseHeight, argb, argb, argb, argb);
}

void GR_Draw_Texture_Stretched(int32_t id, float x, float y, float width, float height, uint32_t colour,
                               float alpha) {
  TextureEntry* t = GR_Texture_Entry(id);
  if (t == nullptr) return;
  const Corners c = Place(x - 0.5f, y - 0.5f, 0.0f, 0.0f, width, height, 0.0f, 1.0f);
  const uint32_t argb = PackTruncated(colour, alpha);
  Fan(t->texture.get(), c, 0.0f, 0.0f, static_cast<float>(t->width) * t->inverseWidth,
      static_cast<float>(t->height) * t->inverseHeight, argb, argb, argb, argb);
}

void GR_Draw_Texture_Part_Ext(int32_t id, float left, float top, float width, float height, float x, float y,
                              float xscale, float yscale, float angle, uint32_t colour, float alpha) {
  TextureEntry* t = GR_Texture_Entry(id);
  if (t == nullptr) return;
  const Corners c = Place(x, y, 0.0f, 0.0f, width * xscale, height * yscale, angle, 0.001f);
  const uint32_t argb = PackTruncated(colour, alpha);
  Fan(t->texture.get(), c, left * t->inverseWidth, top * t->inverseHeight, (left + width) * t->inverseWidth,
      (top + height) * t->inverseHeight, argb, argb, argb, argb);
}

void GR_Draw_Texture_General(int32_t id, float left, float top, float width, float height, float x, float y,
                             float xscale, float yscale, float angle, uint32_t c1, uint32_t c2, uint32_t c3,
                             uint32_t c4, float alpha) {
  TextureEntry* t = GR_Texture_Entry(id);
  if (t == nullptr) return;
  const Corners c = Place(x, y, -0.5f, -0.5f, width * xscale - 0.5f, height * yscale - 0.5f, angle, 0.01f);
  Fan(t->texture.get(), c, left * t->inverseWidth, top * t->inverseHeight, (left + width) * t->inverseWidth,
      (top + height) * t->inverseHeight, PackTruncated(c1, alpha), PackTruncated(c2, alpha),
      PackTruncated(c3, alpha), PackTruncated(c4, alpha));
}

void GR_Draw_Texture_Tiled(int32_t id, float xorigin, float yorigin, float x, float y, float xscale, float yscale,
                           bool htiled, bool vtiled, float regionX, float regionY, float regionWidth,
                           float regionHeight, uint32_t colour, float alpha) {
  TextureEntry* t = GR_Texture_Entry(id);
  if (t == nullptr) return;
  const float w = static_cast<float>(t->width);
  const float h = static_cast<float>(t->height);
  const int32_t tw = Conv_TruncToInt32(static_cast<double>(w * xscale));
  const int32_t th = Conv_TruncToInt32(static_cast<double>(h * yscale));
  if (tw < 1 || th < 1) return;
  const uint32_t argb = PackRounded(colour, alpha);
  // The first column (row) covers the region's left (top) edge.
  auto first = [](float start, int32_t step, bool tiled, float regionStart) {
    int64_t at = Conv_RoundToInt32(static_cast<double>(start));
    if (tiled) {
      at %= step;
      if (at > 0) at -= step;
      while (static_cast<double>(regionStart) > static_cast<double>(at + step)) at += step;
    }
    return at;
  };
  const int64_t firstColumn = first(x, tw, htiled, regionX);
  const int64_t firstRow = first(y, th, vtiled, regionY);
  const float lx0 = -xscale * xorigin - 0.5f;
  const float ly0 = -yscale * yorigin - 0.5f;
  const float lx1 = w * xscale + lx0;
  const float ly1 = h * yscale + ly0;
  const float uR = w * t->inverseWidth;
  const float vB = h * t->inverseHeight;
  const double right = static_cast<double>(regionX) + static_cast<double>(regionWidth);
  const double bottom = static_cast<double>(regionY) + static_cast<double>(regionHeight);
  for (int64_t column = firstColumn; static_cast<double>(column) < right; column += tw) {
    for (int64_t row = firstRow; static_cast<double>(row) < bottom; row += th) {
      const Corners c = Place(static_cast<float>(column), static_cast<float>(row), lx0, ly0, lx1, ly1, 0.0f, 1.0f);
      Fan(t->texture.get(), c, 0.0f, 0.0f, uR, vB, argb, argb, argb, argb);
      if (!vtiled) break;
    }
    if (!htiled) break;
  }
}

void GR_Draw_Texture_Pos(int32_t id, float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4,
                         uint32_t colour, float alpha) {
  TextureEntry* t = GR_Texture_Entry(id);
  if (t == nullptr) return;
  const Corners c{{x1, x2, x3, x4}, {y1, y2, y3, y4}};
  const uint32_t argb = PackTruncated(colour, alpha);
  Fan(t->texture.get(), c, 0.0f, 0.0f, static_cast<float>(t->width) * t->inverseWidth,
      static_cast<float>(t->height) * t->inverseHeight, argb, argb, argb, argb);
}

// ---- page branch -------------------------------------------------------------------------

void GR_Draw_TPE(const TPageRecord& entry, float x, float y) {
  TextureEntry* page = PageOf(entry);
  if (page == nullptr) return;
  const float left = x + static_cast<float>(entry.xOffset);
  const float top = y + static_cast<float>(entry.yOffset);
  const Corners c = Place(left, top, 0.0f, 0.0f, CropWidth(entry), CropHeight(entry), 0.0f, 1.0f);
  const PageUV uv = EntryUV(entry, *page);
  const uint32_t colour = WhiteCurrentAlpha();
  Quad(page->texture.get(), c, uv.uL, uv.vT, uv.uR, uv.vB, colour, colour, colour, colour);
}

void GR_Draw_TPE_Pos(const TPageRecord& entry, float x1, float y1, float x2, float y2, float x3, float y3, float x4,
                     float y4, uint32_t colour, float alpha) {
  TextureEntry* page = PageOf(entry);
  if (page == nullptr) return;
  const Corners c{{x1, x2, x3, x4}, {y1, y2, y3, y4}};
  const PageUV uv = EntryUV(entry, *page);
  const uint32_t argb = PackTruncated(colour, alpha);
  Quad(page->texture.get(), c, uv.uL, uv.vT, uv.uR, uv.vB, argb, argb, argb, argb);
}

void GR_Draw_TPE_Ext(const TPageRecord& entry, float xorigin, float yorigin, float x, float y, float xscale,
                     float yscale, float angle, uint32_t colour, float alpha) {
  TextureEntry* page = PageOf(entry);
  if (page == nullptr) return;
  const float lx0 = (static_cast<float>(entry.xOffset) - xorigin) * xscale;
  const float ly0 = (static_cast<float>(entry.yOffset) - yorigin) * yscale;
  const Corners c =
      Place(x, y, lx0, ly0, lx0 + CropWidth(entry) * xscale, ly0 + CropHeight(entry) * yscale, angle, 0.001f);
  const PageUV uv = EntryUV(entry, *page);
  const uint32_t argb = PackTruncated(colour, alpha);
  Quad(page->texture.get(), c, uv.uL, uv.vT, uv.uR, uv.vB, argb, argb, argb, argb);
}

void GR_Draw_TPE_Part_Ext(const TPageRecord& entry, float left, float top, float width, float height, float x,
                          float y, float xscale, float yscale, float angle, uint32_t colour, float alpha) {
  TextureEntry* page = PageOf(entry);
  if (page == nullptr) return;
  const PartClip p = ClipPart(entry, left, top, width, height, x, y, xscale, yscale, true);
  const Corners c = Place(p.x, p.y, 0.0f, 0.0f, p.width * xscale, p.height * yscale, angle, 0.001f);
  const float ex = static_cast<float>(entry.x);
  const float ey = static_cast<float>(entry.y);
  const uint32_t argb = PackTruncated(colour, alpha);
  Quad(page->texture.get(), c, (ex + p.srcLeft) * page->inverseWidth, (ey + p.srcTop) * page->inverseHeight,
       (ex + p.srcLeft + p.width) * page->inverseWidth, (ey + p.srcTop + p.height) * page->inverseHeight, argb, argb,
       argb, argb);
}

void GR_Draw_TPE_General(const TPageRecord& entry, float left, float top, float width, float height, float x,
                         float y, float xscale, float yscale, float angle, uint32_t c1, uint32_t c2, uint32_t c3,
                         uint32_t c4, float alpha) {
  TextureEntry* page = PageOf(entry);
  if (page == nullptr) return;
  const PartClip p = ClipPart(entry, left, top, width, height, x, y, xscale, yscale, false);
  const Corners c = Place(p.x, p.y, 0.0f, 0.0f, p.width * xscale, p.height * yscale, angle, 0.01f);
  const float ex = static_cast<float>(entry.x);
  const float ey = static_cast<float>(entry.y);
  Quad(page->texture.get(), c, (ex + p.srcLeft) * page->inverseWidth, (ey + p.srcTop) * page->inverseHeight,
       (ex + p.srcLeft + p.width) * page->inverseWidth, (ey + p.srcTop + p.height) * page->inverseHeight,
       PackRounded(c1, alpha), PackRounded(c2, alpha), PackRounded(c3, alpha), PackRounded(c4, alpha));
}

void GR_Draw_TPE_Tiled(const TPageRecord& entry, float xorigin, float yorigin, float x, float y, float xscale,
                       float yscale, bool htiled, bool vtiled, float regionX, float regionY, float regionWidth,
                       float regionHeight, uint32_t colour, float alpha) {
  TextureEntry* page = PageOf(entry);
  if (page == nullptr) return;
  const int32_t tileW = Conv_TruncToInt32(static_cast<double>(static_cast<float>(entry.fullWidth) * xscale));
  const int32_t tileH = Conv_TruncToInt32(static_cast<double>(static_cast<float>(entry.fullHeight) * yscale));
  if (tileW <= 0 || tileH <= 0) return;
  auto first = [](float at, int32_t offset, float origin, float scale, bool tiled, int32_t step, int16_t full,
                  float regionStart, float regionSize) {
    double r = static_cast<double>(Conv_TruncToInt32(static_cast<double>(at))) +
               static_cast<double>(Conv_TruncToInt32(static_cast<double>((static_cast<float>(offset) - origin) * scale)));
    if (!tiled) return r;
    r = std::fmod(r, static_cast<double>(step));
    if (r > 0) r -= step;
    const double start = regionStart;
    const double end = static_cast<double>(regionStart) + static_cast<double>(regionSize);
    while (start > r + step) r += step;
    while (r >= end) r -= step;
    return r - static_cast<double>(full);
  };
  const double firstColumn =
      first(x, entry.xOffset, xorigin, xscale, htiled, tileW, entry.fullWidth, regionX, regionWidth);
  const double firstRow = first(y, entry.yOffset, yorigin, yscale, vtiled, tileH, entry.fullHeight, regionY, regionHeight);
  const float drawW = CropWidth(entry) * xscale;
  const float drawH = CropHeight(entry) * yscale;
  const float uL = static_cast<float>(entry.x) * page->inverseWidth;
  const float uR = (static_cast<float>(entry.x + entry.width) - 0.5f) * page->inverseWidth;
  const float vT = static_cast<float>(entry.y) * page->inverseHeight;
  const float vB = static_cast<float>(entry.y + entry.height) * page->inverseHeight;
  const uint32_t argb = PackTruncated(colour, alpha);
  const double right = static_cast<double>(regionX) + static_cast<double>(regionWidth);
  const double bottom = static_cast<double>(regionY) + static_cast<double>(regionHeight);
  for (double column = firstColumn; !htiled || column < right; column += tileW) {
    for (double row = firstRow; !vtiled || row < bottom; row += tileH) {
      const Corners c =
          Place(static_cast<float>(column), static_cast<float>(row), 0.0f, 0.0f, drawW, drawH, 0.0f, 1.0f);
      Quad(page->texture.get(), c, uL, vT, uR, vB, argb, argb, argb, argb);
      if (!vtiled) break;
    }
    if (!htiled) break;
  }
}

// ---- texture-table helpers ---------------------------------------------------------------

int32_t GR_Texture_From_Alpha_Map(int width, int height, const uint8_t* sheet) {
  if (width <= 0 || height <= 0 || sheet == nullptr) return -1;
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height));
  for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = 0x00FFFFFFu | (uint32_t{sheet[i]} << 24);
  const int32_t id = GR_Texture_Create_RenderTarget(width, height, false);
  HardwareTexture* texture = GR_Texture_Get(id);
  if (texture == nullptr) return -1;
  if (!GR_D3D_Texture_Upload(*texture, 0, width, height, pixels.data())) {
    GR_Texture_Free(id);
    return -1;
  }
  return id;
}

void GR_Texture_Flush() {
  // The device keeps nothing per texture that needs releasing here; the surfaces are forgotten
  // (their render targets stay, so texture handles the game holds still draw).
  GR_Surface_Forget_All();
}

void GR_Texture_Free_All() {
  for (int id = 0; id < GR_Texture_Count(); ++id) GR_Texture_Free(id);
  GR_Texture_Clear_Table();
  GR_TPE_Handles_Clear();
  GR_Texture_Pages_Clear();
}
