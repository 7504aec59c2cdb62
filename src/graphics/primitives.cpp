#include "graphics/primitives.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#include "data/tpage_record.h"
#include "graphics/batch.h"
#include "graphics/graphics_state.h"
#include "graphics/render_state.h"
#include "graphics/texture_table.h"
#include "graphics/textured_quads.h"
#include "platform/conversions.h"

namespace {

constexpr float kPi = 3.1415927410125732f;
constexpr int kCircleTableSize = 66;

struct DrawState {
  uint32_t colour = 0xFF000000u;
  uint32_t alphaByte = 255;
  float depth = 0.0f;
  int32_t precision = 24;
  std::array<float, kCircleTableSize> cosTable{};
  std::array<float, kCircleTableSize> sinTable{};
};
DrawState g_draw;

struct PrimitiveBuilder {
  int32_t kind = 0;
  int32_t texture = -1;
  bool hasEntry = false;
  TPageRecord entry;
  float pageWidth = 1.0f, pageHeight = 1.0f;
  int32_t count = 0;
  std::array<Vertex24, kPrimitiveBuilderCapacity> vertices{};
};
PrimitiveBuilder g_builder;

void FillCircleTables() {
  for (int i = 0; i <= g_draw.precision; ++i) {
    const float angle = static_cast<float>(i) * 2.0f * kPi / static_cast<float>(g_draw.precision);
    g_draw.cosTable[static_cast<size_t>(i)] = static_cast<float>(std::cos(static_cast<double>(angle)));
    g_draw.sinTable[static_cast<size_t>(i)] = static_cast<float>(std::sin(static_cast<double>(angle)));
  }
}

Vertex16* Reserve16(int type, int n) { return static_cast<Vertex16*>(GR_D3D_Batch_Reserve(type, nullptr, 16, n)); }
Vertex24* Reserve24(int type, int n) { return static_cast<Vertex24*>(GR_D3D_Batch_Reserve(type, nullptr, 24, n)); }

Vertex16 V16(float x, float y, uint32_t colour) { return {x, y, GR_Draw_Vertex_Z(), colour}; }
Vertex24 V24(float x, float y, uint32_t colour) { return {x, y, GR_Draw_Vertex_Z(), colour, 0.0f, 0.0f}; }

uint32_t WithAlpha(uint32_t colour) { return GR_Color_To_ARGB(colour, g_draw.alphaByte); }

bool IsWhole(float value) { return std::floor(value) == value; }

// Corner order and the 0.01 rule shared by rectangles and rounded rectangles.
void OrderCorners(float& x1, float& y1, float& x2, float& y2) {
  if (x1 > x2) std::swap(x1, x2);
  if (y1 > y2) std::swap(y1, y2);
  if (IsWhole(x2)) x2 += 0.01f;
  if (IsWhole(y2)) y2 += 0.01f;
}

void RectangleColours(float x1, float y1, float x2, float y2, uint32_t c1, uint32_t c2, uint32_t c3, uint32_t c4,
                      bool outline) {
  OrderCorners(x1, y1, x2, y2);
  Vertex24* v = Reserve24(outline ? kPrimLineStrip : kPrimTriangleFan, 5);
  if (v == nullptr) return;
  v[0] = V24(x1, y1, c1);
  v[1] = V24(x2, y1, c2);
  v[2] = V24(x2, y2, c3);
  v[3] = V24(x1, y2, c4);
  v[4] = V24(x1, y1, c1);
}

void AddVertex(float x, float y, uint32_t argb, float u, float v) {
  if (g_builder.count >= kPrimitiveBuilderCapacity) return;
  if (g_builder.hasEntry) {
    u = (static_cast<float>(g_builder.entry.cropWidth) * u + static_cast<float>(g_builder.entry.x)) /
        g_builder.pageWidth;
    v = (static_cast<float>(g_builder.entry.cropHeight) * v + static_cast<float>(g_builder.entry.y)) /
        g_builder.pageHeight;
  }
  g_builder.vertices[static_cast<size_t>(g_builder.count++)] = {x, y, GR_Draw_Vertex_Z(), argb, u, v};
}

}  // namespace

void GR_Draw_Set_Depth(float depth) { g_draw.depth = depth; }
float GR_Draw_Get_Depth() { return g_draw.depth; }
float GR_Draw_Vertex_Z() { return Graphics_Settings().mode3D ? g_draw.depth : 0.0f; }

uint32_t GR_Color_To_ARGB(uint32_t colour, uint32_t alphaByte) {
  return (alphaByte << 24) | ((colour & 0xFFu) << 16) | (colour & 0xFF00u) | ((colour >> 16) & 0xFFu);
}

uint32_t GR_Alpha_To_Byte(float alpha) {
  if (!(alpha >= 0.0f)) alpha = 0.0f;  // also NaN
  alpha = std::min(alpha, 1.0f);
  return static_cast<uint32_t>(alpha * 255.0f);
}

uint32_t GR_Color_Set_Alpha(uint32_t argb, uint32_t alphaByte) { return (argb & 0xFFFFFFu) | (alphaByte << 24); }

uint32_t GR_Color_Merge(uint32_t colour1, uint32_t colour2, float fraction) {
  uint32_t result = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    const float a = static_cast<float>((colour1 >> shift) & 0xFFu);
    const float b = static_cast<float>((colour2 >> shift) & 0xFFu);
    const float mixed = a * (1.0f - fraction) + b * fraction;
    result |= (static_cast<uint32_t>(Conv_RoundToInt32(mixed)) & 0xFFu) << shift;
  }
  return result;
}

uint32_t GR_Make_Color(uint8_t red, uint8_t green, uint8_t blue) {
  return uint32_t{red} + uint32_t{green} * 256u + uint32_t{blue} * 65536u;
}
uint32_t GR_Make_ARGB(uint8_t red, uint8_t green, uint8_t blue, uint8_t alphaByte) {
  return (uint32_t{alphaByte} << 24) | (uint32_t{red} << 16) | (uint32_t{green} << 8) | blue;
}
uint32_t GR_Color_Swap_RB(uint32_t colour) {
  return (colour & 0xFF00FF00u) | ((colour & 0xFFu) << 16) | ((colour >> 16) & 0xFFu);
}

void GR_Draw_Init() {
  g_draw = DrawState{};
  GR_Draw_Set_Circle_Precision(24);
  g_builder.texture = -1;
}

void GR_Draw_Set_Color(uint32_t colour) { g_draw.colour = GR_Color_To_ARGB(colour, g_draw.alphaByte); }
void GR_Draw_Set_Color_RGB(uint8_t red, uint8_t green, uint8_t blue) {
  g_draw.colour = GR_Make_ARGB(red, green, blue, static_cast<uint8_t>(g_draw.alphaByte));
}
void GR_Draw_Set_Color_RGBA(uint8_t red, uint8_t green, uint8_t blue, float alpha) {
  g_draw.alphaByte = GR_Alpha_To_Byte(alpha);
  g_draw.colour = GR_Make_ARGB(red, green, blue, static_cast<uint8_t>(g_draw.alphaByte));
}
void GR_Draw_Set_Alpha(float alpha) {
  g_draw.alphaByte = GR_Alpha_To_Byte(alpha);
  g_draw.colour = GR_Color_Set_Alpha(g_draw.colour, g_draw.alphaByte);
}
uint32_t GR_Draw_Get_Color() { return GR_Color_Swap_RB(g_draw.colour); }
float GR_Draw_Get_Alpha() { return static_cast<float>(g_draw.alphaByte) / 255.0f; }
uint32_t GR_Draw_Get_Alpha_Byte() { return g_draw.alphaByte; }
uint32_t GR_Draw_Get_ARGB() { return g_draw.colour; }
uint8_t GR_Draw_Get_Red() { return static_cast<uint8_t>(g_draw.colour >> 16); }
uint8_t GR_Draw_Get_Green() { return static_cast<uint8_t>(g_draw.colour >> 8); }
uint8_t GR_Draw_Get_Blue() { return static_cast<uint8_t>(g_draw.colour); }

void GR_Draw_Clear(uint32_t colour) { Graphics::Clear(colour, 1.0f, 0, 7); }
void GR_Draw_Clear_Alpha(uint32_t colour, float alpha) {
  Graphics::Clear((colour & 0xFFFFFFu) | (GR_Alpha_To_Byte(alpha) << 24), 1.0f, 0, 7);
}

void GR_Draw_Point(float x, float y) {
  if (Vertex16* v = Reserve16(kPrimPointList, 1)) v[0] = V16(x, y, g_draw.colour);
}
void GR_Draw_Point_Color(float x, float y, uint32_t colour) {
  if (Vertex16* v = Reserve16(kPrimPointList, 1)) v[0] = V16(x, y, WithAlpha(colour));
}

void GR_Draw_Line(float x1, float y1, float x2, float y2) {
  if (Vertex16* v = Reserve16(kPrimLineList, 2)) {
    v[0] = V16(x1, y1, g_draw.colour);
    v[1] = V16(x2, y2, g_draw.colour);
  }
}
void GR_Draw_Line_Color(float x1, float y1, float x2, float y2, uint32_t colour1, uint32_t colour2) {
  if (Vertex16* v = Reserve16(kPrimLineList, 2)) {
    v[0] = V16(x1, y1, WithAlpha(colour1));
    v[1] = V16(x2, y2, WithAlpha(colour2));
  }
}

namespace {
void ThickLine(float x1, float y1, float x2, float y2, float width, uint32_t start, uint32_t end) {
  const float dx = x2 - x1;
  const float dy = y2 - y1;
  const float length = std::sqrt(dx * dx + dy * dy);
  if (length == 0.0f) return;
  const float h = width * 0.5f;
  const float nx = h * dy / length;
  const float ny = h * dx / length;
  Vertex16* v = Reserve16(kPrimTriangleFan, 4);
  if (v == nullptr) return;
  v[0] = V16(x1 - nx, y1 + ny, start);
  v[1] = V16(x2 - nx, y2 + ny, end);
  v[2] = V16(x2 + nx, y2 - ny, end);
  v[3] = V16(x1 + nx, y1 - ny, start);
}
}  // namespace

void GR_Draw_Line_Width(float x1, float y1, float x2, float y2, float width) {
  ThickLine(x1, y1, x2, y2, width, g_draw.colour, g_draw.colour);
}
void GR_Draw_Line_Width_Color(float x1, float y1, float x2, float y2, float width, uint32_t colour1,
                              uint32_t colour2) {
  ThickLine(x1, y1, x2, y2, width, WithAlpha(colour1), WithAlpha(colour2));
}

namespace {
void Triangle(float x1, float y1, float x2, float y2, float x3, float y3, uint32_t c1, uint32_t c2, uint32_t c3,
              bool outline) {
  if (outline) {
    Vertex24* v = Reserve24(kPrimLineStrip, 4);
    if (v == nullptr) return;
    v[0] = V24(x1, y1, c1);
    v[1] = V24(x2, y2, c2);
    v[2] = V24(x3, y3, c3);
    v[3] = V24(x1, y1, c1);
  } else {
    Vertex24* v = Reserve24(kPrimTriangleList, 3);
    if (v == nullptr) return;
    v[0] = V24(x1, y1, c1);
    v[1] = V24(x2, y2, c2);
    v[2] = V24(x3, y3, c3);
  }
}
}  // namespace

void GR_Draw_Triangle(float x1, float y1, float x2, float y2, float x3, float y3, bool outline) {
  Triangle(x1, y1, x2, y2, x3, y3, g_draw.colour, g_draw.colour, g_draw.colour, outline);
}
void GR_Draw_Triangle_Color(float x1, float y1, float x2, float y2, float x3, float y3, uint32_t colour1,
                            uint32_t colour2, uint32_t colour3, bool outline) {
  Triangle(x1, y1, x2, y2, x3, y3, WithAlpha(colour1), WithAlpha(colour2), WithAlpha(colour3), outline);
}

void GR_Draw_Rectangle(float x1, float y1, float x2, float y2, bool outline) {
  OrderCorners(x1, y1, x2, y2);
  const uint32_t c = g_draw.colour;
  if (outline) {
    if (Vertex24* v = Reserve24(kPrimLineStrip, 5)) {
      v[0] = V24(x1, y1, c);
      v[1] = V24(x2, y1, c);
      v[2] = V24(x2, y2, c);
      v[3] = V24(x1, y2, c);
      v[4] = V24(x1, y1, c);
    }
    if (Vertex24* v = Reserve24(kPrimPointList, 4)) {
      v[0] = V24(x1, y1, c);
      v[1] = V24(x2, y1, c);
      v[2] = V24(x2, y2, c);
      v[3] = V24(x1, y2, c);
    }
    return;
  }
  if (Vertex24* v = Reserve24(kPrimTriangleList, 6)) {
    v[0] = V24(x1, y1, c);
    v[1] = V24(x2, y1, c);
    v[2] = V24(x2, y2, c);
    v[3] = V24(x2, y2, c);
    v[4] = V24(x1, y2, c);
    v[5] = V24(x1, y1, c);
  }
}

void GR_Draw_Rectangle_Color(float x1, float y1, float x2, float y2, uint32_t colour1, uint32_t colour2,
                             uint32_t colour3, uint32_t colour4, bool outline) {
  RectangleColours(x1, y1, x2, y2, WithAlpha(colour1), WithAlpha(colour2), WithAlpha(colour3), WithAlpha(colour4),
                   outline);
}

void GR_Draw_Set_Circle_Precision(int32_t precision) {
  precision = std::clamp(precision, 4, 64);
  g_draw.precision = precision & ~3;
  FillCircleTables();
}
int32_t GR_Draw_Get_Circle_Precision() { return g_draw.precision; }

void GR_Draw_Ellipse_Core(float x1, float y1, float x2, float y2, uint32_t centreArgb, uint32_t rimArgb,
                          bool outline) {
  const float cx = (x1 + x2) / 2.0f;
  const float cy = (y1 + y2) / 2.0f;
  const float rx = std::fabs(x1 - x2) / 2.0f;
  const float ry = std::fabs(y1 - y2) / 2.0f;
  const int p = g_draw.precision;
  auto rimX = [&](int i) { return cx + g_draw.cosTable[static_cast<size_t>(i)] * rx; };
  auto rimY = [&](int i) { return cy + g_draw.sinTable[static_cast<size_t>(i)] * ry; };
  if (outline) {
    Vertex24* v = Reserve24(kPrimLineStrip, p + 1);
    if (v == nullptr) return;
    for (int i = 0; i <= p; ++i) v[i] = V24(rimX(i), rimY(i), rimArgb);
    return;
  }
  Vertex24* v = Reserve24(kPrimTriangleList, 3 * p);
  if (v == nullptr) return;
  for (int i = 0; i < p; ++i) {
    v[3 * i] = V24(cx, cy, centreArgb);
    v[3 * i + 1] = V24(rimX(i), rimY(i), rimArgb);
    v[3 * i + 2] = V24(rimX(i + 1), rimY(i + 1), rimArgb);
  }
}

void GR_Draw_Circle(float x, float y, float r, bool outline) {
  GR_Draw_Ellipse_Core(x - r, y - r, x + r, y + r, g_draw.colour, g_draw.colour, outline);
}
void GR_Draw_Circle_Color(float x, float y, float r, uint32_t colour1, uint32_t colour2, bool outline) {
  GR_Draw_Ellipse_Core(x - r, y - r, x + r, y + r, WithAlpha(colour1), WithAlpha(colour2), outline);
}
void GR_Draw_Ellipse(float x1, float y1, float x2, float y2, bool outline) {
  GR_Draw_Ellipse_Core(x1, y1, x2, y2, g_draw.colour, g_draw.colour, outline);
}
void GR_Draw_Ellipse_Color(float x1, float y1, float x2, float y2, uint32_t colour1, uint32_t colour2, bool outline) {
  GR_Draw_Ellipse_Core(x1, y1, x2, y2, WithAlpha(colour1), WithAlpha(colour2), outline);
}

void GR_Draw_Roundrect_Ext(float x1, float y1, float x2, float y2, float cornerWidth, float cornerHeight,
                           uint32_t centreArgb, uint32_t edgeArgb, bool outline) {
  const float w = std::fabs(x2 - x1);
  const float h = std::fabs(y2 - y1);
  const float cw = std::min(cornerWidth, w);
  const float ch = std::min(cornerHeight, h);
  const float cx = (x1 + x2) / 2.0f;
  const float cy = (y1 + y2) / 2.0f;
  const float ox = w / 2.0f - cw / 2.0f;
  const float oy = h / 2.0f - ch / 2.0f;
  const float rx = cw / 2.0f;
  const float ry = ch / 2.0f;
  const int p = g_draw.precision;
  const int q = p / 4;
  const int total = p + 6;
  Vertex24* v = Reserve24(outline ? kPrimLineStrip : kPrimTriangleFan, total);
  if (v == nullptr) return;
  int n = 0;
  v[n++] = V24(cx, cy, centreArgb);
  const float centresX[4] = {cx + ox, cx - ox, cx - ox, cx + ox};
  const float centresY[4] = {cy + oy, cy + oy, cy - oy, cy - oy};
  for (int arc = 0; arc < 4; ++arc) {
    for (int i = arc * q; i <= (arc + 1) * q; ++i) {
      v[n++] = V24(centresX[arc] + g_draw.cosTable[static_cast<size_t>(i)] * rx,
                   centresY[arc] + g_draw.sinTable[static_cast<size_t>(i)] * ry, edgeArgb);
    }
  }
  v[n++] = v[1];
  if (outline) v[0] = v[1];
}

void GR_Draw_Roundrect(float x1, float y1, float x2, float y2, float cornerWidth, float cornerHeight, bool outline) {
  OrderCorners(x1, y1, x2, y2);
  GR_Draw_Roundrect_Ext(x1, y1, x2, y2, cornerWidth, cornerHeight, g_draw.colour, g_draw.colour, outline);
}
void GR_Draw_Roundrect_Color(float x1, float y1, float x2, float y2, float cornerWidth, float cornerHeight,
                             uint32_t colour1, uint32_t colour2, bool outline) {
  OrderCorners(x1, y1, x2, y2);
  GR_Draw_Roundrect_Ext(x1, y1, x2, y2, cornerWidth, cornerHeight, WithAlpha(colour1), WithAlpha(colour2), outline);
}

void GR_Draw_Arrow(float x1, float y1, float x2, float y2, float size) {
  const float dx = x2 - x1;
  const float dy = y2 - y1;
  const float length = std::sqrt(dx * dx + dy * dy);
  if (length == 0.0f) return;
  const float s = std::min(size, length);
  const float ax = s * dx / length;
  const float ay = s * dy / length;
  GR_Draw_Line(x1, y1, x2, y2);
  const float bx = x2 - ax;
  const float by = y2 - ay;
  Vertex24* v = Reserve24(kPrimTriangleList, 3);
  if (v == nullptr) return;
  v[0] = V24(bx - ay / 3.0f, by + ax / 3.0f, g_draw.colour);
  v[1] = V24(x2, y2, g_draw.colour);
  v[2] = V24(bx + ay / 3.0f, by - ax / 3.0f, g_draw.colour);
}

void GR_Draw_Button(float x1, float y1, float x2, float y2, bool up) {
  const uint32_t light = WithAlpha(0xFFFFFFu);
  const uint32_t dark = WithAlpha(0x808080u);
  const uint32_t first = up ? light : dark;
  const uint32_t second = up ? dark : light;
  if (Vertex24* v = Reserve24(kPrimTriangleList, 6)) {
    v[0] = V24(x1, y1, first);
    v[1] = V24(x2, y1, first);
    v[2] = V24(x1, y2, first);
    v[3] = V24(x1, y2, second);
    v[4] = V24(x2, y1, second);
    v[5] = V24(x2, y2, second);
  }
  GR_Draw_Rectangle(x1 + 2.0f, y1 + 2.0f, x2 - 2.0f, y2 - 2.0f, false);
}

void GR_Draw_Healthbar(float x1, float y1, float x2, float y2, float amount, uint32_t backColour,
                       uint32_t minColour, uint32_t midColour, uint32_t maxColour, int32_t direction, bool showBack,
                       bool showBorder) {
  if (showBack) {
    GR_Draw_Rectangle_Color(x1, y1, x2, y2, backColour, backColour, backColour, backColour, false);
    if (showBorder) GR_Draw_Rectangle_Color(x1, y1, x2, y2, 0, 0, 0, 0, true);
  }
  amount = std::clamp(amount, 0.0f, 100.0f);
  float left = x1, top = y1, right = x2, bottom = y2;
  switch (direction) {
    case 1: left = x2 - (x2 - x1) * amount / 100.0f; break;
    case 2: bottom = (y2 - y1) * amount / 100.0f + y1; break;
    case 3: top = y2 - (y2 - y1) * amount / 100.0f; break;
    default: right = (x2 - x1) * amount / 100.0f + x1; break;
  }
  const uint32_t colour = amount <= 50.0f ? GR_Color_Merge(minColour, midColour, amount / 50.0f)
                                          : GR_Color_Merge(midColour, maxColour, (amount - 50.0f) / 50.0f);
  GR_Draw_Rectangle_Color(left, top, right, bottom, colour, colour, colour, colour, false);
  if (showBorder) GR_Draw_Rectangle_Color(left, top, right, bottom, 0, 0, 0, 0, true);
}

void GR_Draw_Primitive_Begin(int32_t kind, int32_t texture) {
  g_builder.count = 0;
  g_builder.kind = kind;
  g_builder.hasEntry = false;
  g_builder.texture = texture;
  if (GR_Texture_Exists(texture) || texture == -1) return;
  const TPageRecord* entry = GR_TPE_FromHandle(texture);
  if (entry == nullptr) {
    g_builder.texture = -1;
    return;
  }
  g_builder.hasEntry = true;
  g_builder.entry = *entry;
  g_builder.texture = GR_TPE_TextureId(*entry);
  const TextureEntry* page = GR_Texture_Entry(g_builder.texture);
  if (page == nullptr || page->width <= 0 || page->height <= 0) {
    g_builder.hasEntry = false;
    return;
  }
  // The page's image may sit in a larger texture: its coordinates scale by the texture.
  g_builder.pageWidth = page->inverseWidth > 0.0f ? 1.0f / page->inverseWidth : static_cast<float>(page->width);
  g_builder.pageHeight = page->inverseHeight > 0.0f ? 1.0f / page->inverseHeight : static_cast<float>(page->height);
}

void GR_Draw_Vertex(float x, float y) { AddVertex(x, y, g_draw.colour, 0.0f, 0.0f); }
void GR_Draw_Vertex_Color(float x, float y, uint32_t colour, float alpha) {
  AddVertex(x, y, GR_Color_To_ARGB(colour, GR_Alpha_To_Byte(alpha)), 0.0f, 0.0f);
}
void GR_Draw_Vertex_Texture(float x, float y, float u, float v) { AddVertex(x, y, g_draw.colour, u, v); }
void GR_Draw_Vertex_Texture_Color(float x, float y, float u, float v, uint32_t colour, float alpha) {
  AddVertex(x, y, GR_Color_To_ARGB(colour, GR_Alpha_To_Byte(alpha)), u, v);
}

void GR_Draw_Primitive_End() {
  if (g_builder.kind < 1 || g_builder.kind > 6 || g_builder.count <= 0) return;
  HardwareTexture* texture = GR_Texture_Exists(g_builder.texture) ? GR_Texture_Get(g_builder.texture) : nullptr;
  auto* v = static_cast<Vertex24*>(GR_D3D_Batch_Reserve(g_builder.kind, texture, 24, g_builder.count));
  if (v == nullptr) return;
  std::memcpy(v, g_builder.vertices.data(), sizeof(Vertex24) * static_cast<size_t>(g_builder.count));
}

int32_t GR_Draw_Primitive_Count() { return g_builder.count; }
