#include "graphics/fonts.h"

#include <algorithm>
#include <cmath>

#include "data/sprite.h"
#include "graphics/batch.h"
#include "graphics/debug_font_image.h"
#include "graphics/device.h"
#include "graphics/embedded_images.h"
#include "graphics/primitives.h"
#include "graphics/texture_table.h"
#include "graphics/textured_quads.h"
#include "platform/font_glyphs.h"
#include "platform/utf8.h"

namespace {

constexpr size_t kCodePageEntries = 256;
constexpr uint32_t kFontRecordSize = 44;
constexpr uint32_t kGlyphRecordSize = 14;
// Vertices of one reservation: a long line is drawn in pieces so that no reservation passes
// the batch's capacity.
constexpr size_t kGlyphsPerReservation = kBatchCapacity / 6;

struct FontTable {
  std::vector<std::unique_ptr<CFontKF>> fonts;
  std::vector<std::string> names;
  std::vector<uint16_t> codePage;  // from the loaded FONT chunk; empty when none
};
FontTable g_fonts;
std::unique_ptr<CFontKF> g_defaultFont;

uint32_t Merge(uint32_t a, uint32_t b, float f) { return GR_Color_Merge(a, b, f); }

// The texture a texture font samples, and where its glyph rectangles start on it.
struct GlyphSheet {
  TextureEntry* entry = nullptr;
  float originX = 0, originY = 0;
};
GlyphSheet SheetOf(const CFontKF& font) {
  GlyphSheet sheet;
  if (font.pageEntry) {
    sheet.entry = GR_Texture_Entry(GR_TPE_TextureId(*font.pageEntry));
    sheet.originX = static_cast<float>(font.pageEntry->x);
    sheet.originY = static_cast<float>(font.pageEntry->y);
  } else {
    sheet.entry = GR_Texture_Entry(font.texture);
  }
  return sheet;
}

// The texture coordinates of a glyph's rectangle on its sheet.
struct GlyphUV {
  float left, top, right, bottom;
};
GlyphUV UVOf(const GlyphSheet& sheet, const FontGlyph& g) {
  const float iw = sheet.entry->inverseWidth, ih = sheet.entry->inverseHeight;
  return {(sheet.originX + static_cast<float>(g.x)) * iw, (sheet.originY + static_cast<float>(g.y)) * ih,
          (sheet.originX + static_cast<float>(g.x + g.width)) * iw,
          (sheet.originY + static_cast<float>(g.y + g.height)) * ih};
}

// Fractions of the running distance along a line of width w for the corner colours.
float Fraction(float distance, int32_t width) {
  return width != 0 ? distance / static_cast<float>(width) : 0.0f;
}

const CSprite* SpriteOf(int32_t index) { return Sprite_Exists(index) ? Sprite_Data(index) : nullptr; }

// Glyphs from a sprite's frames: character map[i] is frame i.
void BuildSpriteFont(CFontKF& font, int32_t spriteIndex, std::string_view map, bool proportional,
                     int32_t separation) {
  const CSprite* sprite = SpriteOf(spriteIndex);
  if (sprite == nullptr) return;
  font.sprite = spriteIndex;
  std::u16string chars;
  const std::string text(map);
  for (const char* p = text.c_str(); *p != 0;) chars.push_back(static_cast<char16_t>(UTF8_GetChar(p)));
  const bool hasSpace = chars.find(u' ') != std::u16string::npos;
  const int32_t frames = sprite->GetFrameCount();
  if (chars.size() > static_cast<size_t>(std::max(frames, 0))) chars.resize(static_cast<size_t>(std::max(frames, 0)));
  if (!hasSpace) chars.push_back(u' ');
  for (size_t i = 0; i < chars.size(); ++i) {
    FontGlyph glyph;
    glyph.code = chars[i];
    glyph.width = static_cast<int16_t>(i);
    glyph.height = static_cast<int16_t>(sprite->GetHeight());
    if (proportional && static_cast<int32_t>(i) < frames) {
      const CollisionBox bounds = sprite->GetFrameBounds(static_cast<int32_t>(i));
      glyph.offset = static_cast<int16_t>(-bounds.left);
      glyph.shift = static_cast<int16_t>(bounds.right - bounds.left + separation);
    } else {
      glyph.shift = static_cast<int16_t>(sprite->GetWidth() + separation);
    }
    font.AddGlyph(glyph);
  }
  font.SortGlyphs();
  if (!font.Glyphs().empty()) {
    font.first = font.Glyphs().front().code;
    font.last = font.first + static_cast<int32_t>(font.Glyphs().size());
  }
}

std::unique_ptr<CFontKF> DescribedFont(std::string_view face, int32_t size, bool bold, bool italic, int32_t first,
                                       int32_t last) {
  auto font = std::make_unique<CFontKF>();
  font->name.assign(face);
  font->size = size;
  font->bold = bold;
  font->italic = italic;
  font->first = std::max(first, 0);
  font->last = std::min(last, 255);
  font->attributeA = 0;
  font->attributeB = 3;
  // The glyphs of the system face; a face that cannot be rendered leaves the font without
  // glyphs (it measures 0 and draws nothing).
  PlatformGlyphSheet rendered;
  if (PlatformFont_RenderGlyphs(face, size, bold, italic, font->first, font->last, rendered)) {
    for (const PlatformGlyph& g : rendered.glyphs) {
      font->AddGlyph({g.code, g.x, g.y, g.width, g.height, g.shift, g.offset});
    }
    font->SortGlyphs();
    font->sheetWidth = rendered.width;
    font->sheetHeight = rendered.height;
    font->sheet = std::move(rendered.alpha);
  }
  font->InitTexture();
  return font;
}

std::unique_ptr<CFontKF> SpriteFont(int32_t sprite, std::string_view map, bool proportional, int32_t separation) {
  auto font = std::make_unique<CFontKF>();
  BuildSpriteFont(*font, sprite, map, proportional, separation);
  return font;
}

// The map of font_add_sprite: the loaded code-page entry first + i for frame i, or the
// character first + i itself where there is no entry.
std::string CodePageMap(int32_t sprite, int32_t first, bool useTable) {
  const CSprite* s = SpriteOf(sprite);
  std::string map;
  if (s == nullptr) return map;
  for (int32_t i = 0; i < s->GetFrameCount(); ++i) {
    const int64_t at = int64_t{first} + i;
    uint16_t c = static_cast<uint16_t>(at);
    if (useTable && at >= 0 && static_cast<size_t>(at) < g_fonts.codePage.size()) {
      c = g_fonts.codePage[static_cast<size_t>(at)];
    }
    UTF8_PutChar(map, c);
  }
  return map;
}

int32_t AddSlot(std::unique_ptr<CFontKF> font) {
  const auto index = static_cast<int32_t>(g_fonts.fonts.size());
  g_fonts.fonts.push_back(std::move(font));
  g_fonts.names.push_back("__newfont" + std::to_string(index));
  return index;
}

bool ReplaceSlot(int32_t index, std::unique_ptr<CFontKF> font) {
  if (index < 0 || index >= Font_Count()) return false;
  g_fonts.fonts[static_cast<size_t>(index)] = std::move(font);
  return true;
}

// The built-in font's sheet from the embedded image; it needs the device, so a font built
// before the device exists (measuring only) gets its texture on a later call.
void MakeDefaultFontTexture(CFontKF& font) {
  if (Graphics_Device() == nullptr) return;
  SetEmbeddedImageTable();
  const std::span<const uint8_t> image = EmbeddedImage_Data(kEmbeddedDebugFont);
  std::vector<uint8_t> copy(image.begin(), image.end());
  if (copy.empty()) return;
  const int id = GR_Texture_Create_From_Image(copy.data(), copy.size());
  font.texture = GR_Texture_Exists(id) ? id : -1;
}

}  // namespace

// ---- CFontKF -------------------------------------------------------------------------------

CFontKF::CFontKF() { Reset(); }

CFontKF::~CFontKF() { FreeTexture(); }

void CFontKF::Reset() {
  FreeTexture();
  name.clear();
  sheet.clear();
  glyphs.clear();
  pageEntry.reset();
  size = 12;
  bold = italic = false;
  first = 32;
  last = 128;
  sprite = -1;
  xscale = yscale = 1.0f;
  lineHeight = 0;
  sheetWidth = sheetHeight = 0;
}

void CFontKF::AddGlyph(const FontGlyph& glyph) {
  glyphs.push_back(glyph);
  lineHeight = std::max<int32_t>(lineHeight, glyph.height);
}

void CFontKF::SortGlyphs() {
  std::stable_sort(glyphs.begin(), glyphs.end(), [](const FontGlyph& a, const FontGlyph& b) { return a.code < b.code; });
}

const FontGlyph* CFontKF::FindGlyph(char16_t c) const {
  int lo = 0, hi = static_cast<int>(glyphs.size()) - 1;
  while (lo <= hi) {
    const int mid = lo + (hi - lo) / 2;
    const char16_t code = glyphs[static_cast<size_t>(mid)].code;
    if (code == c) return &glyphs[static_cast<size_t>(mid)];
    if (c < code) hi = mid - 1;
    else lo = mid + 1;
  }
  return nullptr;
}

int32_t CFontKF::GetShift(char16_t c) const {
  if (const FontGlyph* g = FindGlyph(c)) return g->shift;
  return glyphs.empty() ? 0 : glyphs.front().shift;
}

int32_t CFontKF::TextWidth(std::u16string_view text) const {
  int32_t width = 0;
  for (char16_t c : text) width += GetShift(c);
  return width;
}

void CFontKF::Draw(float x, float y, std::u16string_view line, uint32_t colour, float alpha) const {
  if (line.empty()) return;
  float pen = x;
  if (IsSpriteFont()) {
    const CSprite* spr = SpriteOf(sprite);
    if (spr == nullptr) return;
    for (char16_t c : line) {
      const FontGlyph* g = FindGlyph(c);
      if (g == nullptr) continue;
      if (c != u' ') spr->Draw(g->width, pen + static_cast<float>(g->offset) * xscale, y, xscale, yscale, 0.0f, colour, alpha);
      pen += static_cast<float>(g->shift) * xscale;
    }
    return;
  }
  const GlyphSheet sheet = SheetOf(*this);
  if (sheet.entry == nullptr || !sheet.entry->texture) return;
  const uint32_t argb = GR_Color_Alpha_To_ARGB(colour, alpha);
  const float z = GR_Draw_Vertex_Z();
  for (size_t start = 0; start < line.size(); start += kGlyphsPerReservation) {
    const size_t count = std::min(kGlyphsPerReservation, line.size() - start);
    auto* v = static_cast<Vertex24*>(
        GR_D3D_Batch_Reserve(kPrimTriangleList, sheet.entry->texture.get(), 24, static_cast<int>(count * 6)));
    if (v == nullptr) return;
    for (size_t i = 0; i < count; ++i, v += 6) {
      const FontGlyph* g = FindGlyph(line[start + i]);
      if (g == nullptr) {
        for (int k = 0; k < 6; ++k) v[k] = {0.0f, 0.0f, z, argb, 0.0f, 0.0f};
        continue;
      }
      const float left = pen + static_cast<float>(g->offset) * xscale;
      const float right = left + static_cast<float>(g->width) * xscale;
      const float bottom = y + static_cast<float>(g->height) * yscale;
      const GlyphUV uv = UVOf(sheet, *g);
      const float uL = uv.left, vT = uv.top, uR = uv.right, vB = uv.bottom;
      v[0] = {left, y, z, argb, uL, vT};
      v[1] = {right, y, z, argb, uR, vT};
      v[2] = {right, bottom, z, argb, uR, vB};
      v[3] = v[2];
      v[4] = {left, bottom, z, argb, uL, vB};
      v[5] = v[0];
      pen += static_cast<float>(g->shift) * xscale;
    }
  }
}

void CFontKF::DrawTransformed(float x, float y, std::u16string_view line, float sx, float sy, float angle,
                              uint32_t colour, float alpha) const {
  if (line.empty()) return;
  const double theta = static_cast<double>(angle) * kDegreesToRadians;
  const float s = static_cast<float>(std::sin(theta));
  const float c = static_cast<float>(std::cos(theta));
  float penX = x, penY = y;
  if (IsSpriteFont()) {
    const CSprite* spr = SpriteOf(sprite);
    if (spr == nullptr) return;
    for (char16_t ch : line) {
      const FontGlyph* g = FindGlyph(ch);
      if (g == nullptr) continue;
      if (ch == u' ') {
        penX += static_cast<float>(g->shift) * xscale;
        continue;
      }
      const float off = static_cast<float>(g->offset) * sx;
      spr->Draw(g->width, penX + c * off, penY - s * off, sx, sy, angle, colour, alpha);
      penX += c * sx * static_cast<float>(g->shift);
      penY -= s * sx * static_cast<float>(g->shift);
    }
    return;
  }
  const GlyphSheet sheet = SheetOf(*this);
  if (sheet.entry == nullptr || !sheet.entry->texture) return;
  const uint32_t argb = GR_Color_Alpha_To_ARGB(colour, alpha);
  const float z = GR_Draw_Vertex_Z();
  for (size_t start = 0; start < line.size(); start += kGlyphsPerReservation) {
    const size_t count = std::min(kGlyphsPerReservation, line.size() - start);
    auto* v = static_cast<Vertex24*>(
        GR_D3D_Batch_Reserve(kPrimTriangleList, sheet.entry->texture.get(), 24, static_cast<int>(count * 6)));
    if (v == nullptr) return;
    int unused = 0;
    for (size_t i = 0; i < count; ++i) {
      const FontGlyph* g = FindGlyph(line[start + i]);
      if (g == nullptr) {
        ++unused;
        continue;
      }
      const float off = static_cast<float>(g->offset) * sx;
      const float w = static_cast<float>(g->width) * sx;
      const float h = static_cast<float>(g->height) * sy;
      const float x0 = penX + c * off, y0 = penY - s * off;
      const float x1 = x0 + c * w, y1 = y0 - s * w;
      const float x2 = x1 + s * h, y2 = y1 + c * h;
      const float x3 = x0 + s * h, y3 = y0 + c * h;
      const GlyphUV uv = UVOf(sheet, *g);
      const float uL = uv.left, vT = uv.top, uR = uv.right, vB = uv.bottom;
      v[0] = {x0, y0, z, argb, uL, vT};
      v[1] = {x1, y1, z, argb, uR, vT};
      v[2] = {x2, y2, z, argb, uR, vB};
      v[3] = v[2];
      v[4] = {x3, y3, z, argb, uL, vB};
      v[5] = v[0];
      v += 6;
      penX += c * sx * static_cast<float>(g->shift);
      penY -= s * sx * static_cast<float>(g->shift);
    }
    if (unused > 0) GR_D3D_Batch_Unreserve(unused * 6);
  }
}

void CFontKF::DrawColor(float x, float y, std::u16string_view line, uint32_t c1, uint32_t c2, uint32_t c3,
                        uint32_t c4, float alpha) const {
  if (line.empty()) return;
  const int32_t width = TextWidth(line);
  float pen = x;
  float d = 0;
  if (IsSpriteFont()) {
    const CSprite* spr = SpriteOf(sprite);
    if (spr == nullptr) return;
    for (char16_t ch : line) {
      const FontGlyph* g = FindGlyph(ch);
      if (g == nullptr) continue;
      const float shift = static_cast<float>(g->shift);
      if (ch == u' ') {
        pen += shift * xscale;
        d += shift * xscale;
        continue;
      }
      const float fl = Fraction(d, width), fr = Fraction(d + shift, width);
      spr->DrawGeneral(g->width, 0.0f, 0.0f, static_cast<float>(spr->GetWidth()), static_cast<float>(spr->GetHeight()),
                       pen + static_cast<float>(g->offset) * xscale, y, xscale, yscale, 0.0f, Merge(c1, c2, fl),
                       Merge(c1, c2, fr), Merge(c4, c3, fr), Merge(c4, c3, fl), alpha);
      pen += shift * xscale;
      d += shift;
    }
    return;
  }
  for (char16_t ch : line) {
    const FontGlyph* g = FindGlyph(ch);
    if (g == nullptr) continue;
    const float shift = static_cast<float>(g->shift);
    const float fl = Fraction(d, width), fr = Fraction(d + shift, width);
    const float gx = pen + static_cast<float>(g->offset);
    if (pageEntry) {
      GR_Draw_TPE_General(*pageEntry, g->x, g->y, g->width, g->height, gx, y, xscale, yscale, 0.0f,
                          Merge(c1, c2, fl), Merge(c1, c2, fr), Merge(c4, c3, fr), Merge(c4, c3, fl), alpha);
    } else {
      GR_Draw_Texture_General(texture, g->x, g->y, g->width, g->height, gx, y, 1.0f, 1.0f, 0.0f, Merge(c1, c2, fl),
                              Merge(c1, c2, fr), Merge(c4, c3, fr), Merge(c4, c3, fl), alpha);
    }
    pen += shift;
    d += shift;
  }
}

void CFontKF::DrawTransformedColor(float x, float y, std::u16string_view line, float sx, float sy, float angle,
                                   uint32_t c1, uint32_t c2, uint32_t c3, uint32_t c4, float alpha) const {
  if (line.empty()) return;
  const int32_t width = TextWidth(line);
  const float theta = static_cast<float>(static_cast<double>(angle) * static_cast<double>(3.1415927410125732f) / 180.0);
  const float s = static_cast<float>(std::sin(static_cast<double>(theta)));
  const float c = static_cast<float>(std::cos(static_cast<double>(theta)));
  float penX = x, penY = y, d = 0;
  const CSprite* spr = IsSpriteFont() ? SpriteOf(sprite) : nullptr;
  if (IsSpriteFont() && spr == nullptr) return;
  for (char16_t ch : line) {
    const FontGlyph* g = FindGlyph(ch);
    if (g == nullptr) continue;
    const float shift = static_cast<float>(g->shift);
    if (spr != nullptr && ch == u' ') {
      penX += shift * xscale * sx;
      continue;
    }
    const float fl = Fraction(d, width), fr = Fraction(d + shift, width);
    const uint32_t k1 = Merge(c1, c2, fl), k2 = Merge(c1, c2, fr), k3 = Merge(c4, c3, fr), k4 = Merge(c4, c3, fl);
    const float off = static_cast<float>(g->offset);
    const float gx = penX + c * off * sx, gy = penY - s * off * sx;
    if (spr != nullptr) {
      spr->DrawGeneral(g->width, 0.0f, 0.0f, static_cast<float>(spr->GetWidth()), static_cast<float>(spr->GetHeight()),
                       gx, gy, xscale * sx, yscale * sy, angle, k1, k2, k3, k4, alpha);
    } else {
      const auto radians = static_cast<float>(static_cast<double>(angle) * kDegreesToRadians);
      if (pageEntry) {
        GR_Draw_TPE_General(*pageEntry, g->x, g->y, g->width, g->height, gx, gy, sx, sy, radians, k1, k2, k3, k4,
                            alpha);
      } else {
        GR_Draw_Texture_General(texture, g->x, g->y, g->width, g->height, gx, gy, sx, sy, radians, k1, k2, k3, k4,
                                alpha);
      }
    }
    penX += c * shift * sx;
    penY -= s * shift * sx;
    d += shift;
  }
}

void CFontKF::InitTexture() {
  FreeTexture();
  if (IsSpriteFont() || name.empty() || sheet.empty() || sheetWidth <= 0 || sheetHeight <= 0) return;
  if (sheet.size() < static_cast<size_t>(sheetWidth) * static_cast<size_t>(sheetHeight)) return;
  texture = GR_Texture_From_Alpha_Map(sheetWidth, sheetHeight, sheet.data());
}

void CFontKF::FreeTexture() {
  if (texture >= 0 && GR_Texture_Exists(texture)) GR_Texture_Free(texture);
  texture = -1;
}

// ---- the font table --------------------------------------------------------------------------

void Font_Load(const GameDataReader& reader, ChunkSpan body) {
  Font_Clear();
  const auto inside = [&body](uint64_t offset, uint64_t length) {
    return offset >= body.offset && offset <= body.End() && length <= body.End() - offset;
  };
  if (!inside(body.offset, 4)) throw GameDataError("the FONT chunk has no count");
  const uint32_t count = reader.U32(body.offset);
  const uint64_t listEnd = uint64_t{body.offset} + 4 + uint64_t{count} * 4;
  if (listEnd + 2 * kCodePageEntries > body.End()) throw GameDataError("the FONT chunk is too short for its fonts");
  const uint64_t tableAt = body.End() - 2 * kCodePageEntries;

  FontTable table;
  table.fonts.resize(count);
  table.names.resize(count);
  for (uint32_t i = 0; i < count; ++i) {
    const uint32_t at = reader.U32(uint64_t{body.offset} + 4 + uint64_t{i} * 4);
    if (at == 0) continue;
    if (!inside(at, kFontRecordSize)) throw GameDataError("a font record lies outside its chunk");
    auto font = std::make_unique<CFontKF>();
    const std::string_view name = reader.TextRef(reader.U32(at));
    font->name.assign(reader.TextRef(reader.U32(at + 4)));
    font->size = reader.I32(at + 8);
    font->bold = reader.I32(at + 12) != 0;
    font->italic = reader.I32(at + 16) != 0;
    const uint32_t firstWord = reader.U32(at + 20);
    font->first = static_cast<int32_t>(firstWord & 0xFFFF);
    if (((firstWord >> 16) & 0xFF) != 0) font->attributeA = static_cast<int32_t>((firstWord >> 16) & 0xFF);
    if ((firstWord >> 24) != 0) font->attributeB = static_cast<int32_t>(firstWord >> 24) - 1;
    font->last = reader.I32(at + 24);
    const uint32_t entryAt = reader.U32(at + 28);
    if (entryAt != 0) {
      TPageRecord entry;
      if (!TPageRecord_Read(reader.Image(), entryAt, entry)) throw GameDataError("a font's page entry lies outside the file");
      font->pageEntry = entry;
      font->sheetWidth = entry.width;
      font->sheetHeight = entry.height;
    }
    font->xscale = reader.F32(at + 32);
    font->yscale = reader.F32(at + 36);
    const int32_t glyphCount = reader.I32(at + 40);
    if (glyphCount < 0 || !inside(uint64_t{at} + kFontRecordSize, uint64_t(glyphCount) * 4)) {
      throw GameDataError("a font's glyph list runs past its chunk");
    }
    for (int32_t g = 0; g < glyphCount; ++g) {
      const uint32_t glyphAt = reader.U32(uint64_t{at} + kFontRecordSize + uint64_t(g) * 4);
      if (glyphAt == 0 || !inside(glyphAt, kGlyphRecordSize)) throw GameDataError("a glyph lies outside its chunk");
      FontGlyph glyph;
      glyph.code = static_cast<char16_t>(static_cast<uint16_t>(reader.I16(glyphAt)));
      glyph.x = reader.I16(glyphAt + 2);
      glyph.y = reader.I16(glyphAt + 4);
      glyph.width = reader.I16(glyphAt + 6);
      glyph.height = reader.I16(glyphAt + 8);
      glyph.shift = reader.I16(glyphAt + 10);
      glyph.offset = reader.I16(glyphAt + 12);
      font->AddGlyph(glyph);
    }
    // The file keeps them in ascending order; a damaged order must not defeat the search.
    font->SortGlyphs();
    table.names[i].assign(name);
    table.fonts[i] = std::move(font);
  }
  table.codePage.resize(kCodePageEntries);
  for (size_t c = 0; c < kCodePageEntries; ++c) {
    table.codePage[c] = static_cast<uint16_t>(reader.I16(tableAt + 2 * c));
  }
  g_fonts = std::move(table);
}

void Font_Clear() { g_fonts = FontTable{}; }

int32_t Font_Count() { return static_cast<int32_t>(g_fonts.fonts.size()); }

bool Font_Exists(int32_t index) {
  return index >= 0 && index < Font_Count() && g_fonts.fonts[static_cast<size_t>(index)] != nullptr;
}

CFontKF* Font_Data(int32_t index) { return Font_Exists(index) ? g_fonts.fonts[static_cast<size_t>(index)].get() : nullptr; }

std::string Font_Name(int32_t index) {
  return Font_Exists(index) ? g_fonts.names[static_cast<size_t>(index)] : std::string("<undefined>");
}

int32_t Font_Find(std::string_view name) {
  for (int32_t i = 0; i < Font_Count(); ++i) {
    if (Font_Exists(i) && g_fonts.names[static_cast<size_t>(i)] == name) return i;
  }
  return -1;
}

int32_t Font_Add(std::string_view face, int32_t size, bool bold, bool italic, int32_t first, int32_t last) {
  return AddSlot(DescribedFont(face, size, bold, italic, first, last));
}

int32_t Font_AddSprite(int32_t sprite, int32_t first, bool proportional, int32_t separation) {
  return AddSlot(SpriteFont(sprite, CodePageMap(sprite, first, true), proportional, separation));
}

int32_t Font_AddSpriteExt(int32_t sprite, std::string_view map, bool proportional, int32_t separation) {
  return AddSlot(SpriteFont(sprite, map, proportional, separation));
}

bool Font_Replace(int32_t index, std::string_view face, int32_t size, bool bold, bool italic, int32_t first,
                  int32_t last) {
  if (index < 0 || index >= Font_Count()) return false;
  return ReplaceSlot(index, DescribedFont(face, size, bold, italic, first, last));
}

bool Font_ReplaceSprite(int32_t index, int32_t sprite, int32_t first, bool proportional, int32_t separation) {
  if (index < 0 || index >= Font_Count()) return false;
  return ReplaceSlot(index, SpriteFont(sprite, CodePageMap(sprite, first, false), proportional, separation));
}

bool Font_ReplaceSpriteExt(int32_t index, int32_t sprite, std::string_view map, bool proportional,
                           int32_t separation) {
  if (index < 0 || index >= Font_Count()) return false;
  return ReplaceSlot(index, SpriteFont(sprite, map, proportional, separation));
}

bool Font_Delete(int32_t index) {
  if (!Font_Exists(index)) return false;
  g_fonts.fonts[static_cast<size_t>(index)].reset();
  g_fonts.names[static_cast<size_t>(index)].clear();
  return true;
}

void Font_InitTextures() {
  for (auto& font : g_fonts.fonts) {
    if (font) font->InitTexture();
  }
}

void Font_FreeTextures() {
  for (auto& font : g_fonts.fonts) {
    if (font) font->FreeTexture();
  }
}

void Font_Shutdown() {
  Font_FreeTextures();
  Font_Clear();
}

CFontKF& Font_Default() {
  if (g_defaultFont) {
    if (g_defaultFont->texture < 0) MakeDefaultFontTexture(*g_defaultFont);
    return *g_defaultFont;
  }
  auto font = std::make_unique<CFontKF>();
  MakeDefaultFontTexture(*font);
  font->name = "debug";
  font->size = 10;
  font->first = kDebugFontFirst;
  font->last = kDebugFontFirst + kDebugFontGlyphCount - 1;
  font->sheetWidth = kDebugFontSheetWidth;
  font->sheetHeight = kDebugFontSheetHeight;
  const auto& rects = DebugFont_Rects();
  for (int i = 0; i < kDebugFontGlyphCount; ++i) {
    const DebugFontRect& r = rects[static_cast<size_t>(i)];
    font->AddGlyph({static_cast<char16_t>(kDebugFontFirst + i), r.x, r.y, r.width, r.height,
                    static_cast<int16_t>(r.width), 0});
  }
  g_defaultFont = std::move(font);
  return *g_defaultFont;
}

void Font_Default_Free() { g_defaultFont.reset(); }
