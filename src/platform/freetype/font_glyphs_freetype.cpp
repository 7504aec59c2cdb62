// PlatformFont_RenderGlyphs over fontconfig (finding the face file) and FreeType (rendering).
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>
#include <string>

#include "platform/font_glyphs.h"

namespace {

constexpr int32_t kDotsPerInch = 96;
constexpr int32_t kDefaultSize = 12;
constexpr int32_t kLargestSize = 512;
// Glyph cells are packed in rows of this width (wider only for a cell that does not fit).
constexpr int32_t kSheetRowWidth = 512;
constexpr int32_t kCellGap = 1;
// The slant given to an upright face asked for in italic.
constexpr double kObliqueShear = 0.2;

struct FoundFace {
  std::string file;
  int index = 0;
  bool bold = false;    // the file's own weight is bold or heavier
  bool italic = false;  // the file's own slant is italic or oblique
};

// fontconfig's best match for the description; nullopt when it finds no file at all.
std::optional<FoundFace> FindFace(std::string_view name, bool bold, bool italic) {
  std::unique_ptr<FcConfig, decltype(&FcConfigDestroy)> config(FcInitLoadConfigAndFonts(), FcConfigDestroy);
  if (config == nullptr) return std::nullopt;
  std::unique_ptr<FcPattern, decltype(&FcPatternDestroy)> pattern(FcPatternCreate(), FcPatternDestroy);
  if (pattern == nullptr) return std::nullopt;
  const std::string family(name);
  if (!family.empty()) FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  FcPatternAddInteger(pattern.get(), FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern.get(), FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddBool(pattern.get(), FC_SCALABLE, FcTrue);
  FcConfigSubstitute(config.get(), pattern.get(), FcMatchPattern);
  FcDefaultSubstitute(pattern.get());
  FcResult result = FcResultNoMatch;
  std::unique_ptr<FcPattern, decltype(&FcPatternDestroy)> match(FcFontMatch(config.get(), pattern.get(), &result),
                                                               FcPatternDestroy);
  if (match == nullptr) return std::nullopt;
  FcChar8* file = nullptr;
  if (FcPatternGetString(match.get(), FC_FILE, 0, &file) != FcResultMatch || file == nullptr) return std::nullopt;
  FoundFace found;
  found.file = reinterpret_cast<const char*>(file);
  FcPatternGetInteger(match.get(), FC_INDEX, 0, &found.index);
  int weight = FC_WEIGHT_REGULAR, slant = FC_SLANT_ROMAN;
  FcPatternGetInteger(match.get(), FC_WEIGHT, 0, &weight);
  FcPatternGetInteger(match.get(), FC_SLANT, 0, &slant);
  found.bold = weight >= FC_WEIGHT_BOLD;
  found.italic = slant != FC_SLANT_ROMAN;
  return found;
}

struct FreeTypeLibrary {
  FT_Library library = nullptr;
  FreeTypeLibrary() {
    if (FT_Init_FreeType(&library) != 0) library = nullptr;
  }
  ~FreeTypeLibrary() {
    if (library != nullptr) FT_Done_FreeType(library);
  }
};

struct FreeTypeFace {
  FT_Face face = nullptr;
  ~FreeTypeFace() {
    if (face != nullptr) FT_Done_Face(face);
  }
};

int32_t Pixels(FT_Pos value26_6) { return static_cast<int32_t>((value26_6 + 32) >> 6); }

// One rendered glyph before it is placed on the sheet.
struct Rendered {
  char16_t code = 0;
  int32_t cellWidth = 0;
  int32_t offset = 0;  // cell left edge from the pen
  int32_t shift = 0;
  int32_t bitmapLeft = 0, bitmapTop = 0;  // bitmap position in the cell (top from the cell top)
  int32_t bitmapWidth = 0, bitmapRows = 0;
  std::vector<uint8_t> bitmap;
};

}  // namespace

bool PlatformFont_RenderGlyphs(std::string_view name, int32_t size, bool bold, bool italic, int32_t first,
                               int32_t last, PlatformGlyphSheet& sheet) {
  sheet = {};
  const std::optional<FoundFace> found = FindFace(name, bold, italic);
  if (!found) return false;
  FreeTypeLibrary ft;
  if (ft.library == nullptr) return false;
  FreeTypeFace face;
  if (FT_New_Face(ft.library, found->file.c_str(), found->index, &face.face) != 0) return false;
  // Through 64 bits: the size of a huge or NaN argument arrives as INT32_MIN, which has no 32-bit magnitude.
  const int64_t points = size == 0 ? kDefaultSize : std::min<int64_t>(std::abs(int64_t{size}), kLargestSize);
  if (FT_Set_Char_Size(face.face, 0, static_cast<FT_F26Dot6>(points) * 64, kDotsPerInch, kDotsPerInch) != 0) {
    return false;
  }
  const bool embolden = bold && !found->bold;
  if (italic && !found->italic) {
    FT_Matrix shear{0x10000, static_cast<FT_Fixed>(kObliqueShear * 0x10000), 0, 0x10000};
    FT_Set_Transform(face.face, &shear, nullptr);
  }
  const int32_t ascender = Pixels(face.face->size->metrics.ascender);
  const int32_t lineHeight = std::max(1, ascender - Pixels(face.face->size->metrics.descender));

  std::vector<Rendered> rendered;
  for (int32_t c = std::max(first, 32); c <= last && c <= 0xFFFF; ++c) {
    const FT_UInt index = FT_Get_Char_Index(face.face, static_cast<FT_ULong>(c));
    if (index == 0 && c != 32) continue;
    if (FT_Load_Glyph(face.face, index, FT_LOAD_DEFAULT) != 0) continue;
    FT_GlyphSlot slot = face.face->glyph;
    if (embolden && slot->format == FT_GLYPH_FORMAT_OUTLINE) {
      FT_Outline_Embolden(&slot->outline, face.face->size->metrics.x_ppem * 3);
    }
    if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0) continue;
    Rendered r;
    r.code = static_cast<char16_t>(c);
    r.shift = Pixels(slot->advance.x) + (embolden ? 1 : 0);
    r.bitmapWidth = static_cast<int32_t>(slot->bitmap.width);
    r.bitmapRows = static_cast<int32_t>(slot->bitmap.rows);
    r.offset = std::min(0, slot->bitmap_left);
    r.bitmapLeft = slot->bitmap_left - r.offset;
    r.bitmapTop = ascender - slot->bitmap_top;
    r.cellWidth = std::max(r.shift - r.offset, r.bitmapLeft + r.bitmapWidth);
    r.cellWidth = std::max(r.cellWidth, 1);
    r.bitmap.resize(static_cast<size_t>(r.bitmapWidth) * static_cast<size_t>(r.bitmapRows));
    for (int32_t row = 0; row < r.bitmapRows; ++row) {
      const uint8_t* from = slot->bitmap.buffer + static_cast<ptrdiff_t>(row) * slot->bitmap.pitch;
      std::copy_n(from, r.bitmapWidth, r.bitmap.begin() + static_cast<ptrdiff_t>(row) * r.bitmapWidth);
    }
    rendered.push_back(std::move(r));
  }
  if (rendered.empty()) return false;

  // Rows of cells, left to right.
  int32_t sheetWidth = kSheetRowWidth;
  for (const Rendered& r : rendered) sheetWidth = std::max(sheetWidth, r.cellWidth + kCellGap);
  int32_t penX = 0, penY = 0;
  for (const Rendered& r : rendered) {
    if (penX + r.cellWidth > sheetWidth) {
      penX = 0;
      penY += lineHeight + kCellGap;
    }
    PlatformGlyph glyph;
    glyph.code = r.code;
    glyph.x = static_cast<int16_t>(penX);
    glyph.y = static_cast<int16_t>(penY);
    glyph.width = static_cast<int16_t>(r.cellWidth);
    glyph.height = static_cast<int16_t>(lineHeight);
    glyph.shift = static_cast<int16_t>(r.shift);
    glyph.offset = static_cast<int16_t>(r.offset);
    sheet.glyphs.push_back(glyph);
    penX += r.cellWidth + kCellGap;
  }
  sheet.width = sheetWidth;
  sheet.height = penY + lineHeight;
  if (sheet.height > INT16_MAX) {
    sheet = {};
    return false;
  }
  sheet.alpha.assign(static_cast<size_t>(sheet.width) * static_cast<size_t>(sheet.height), 0);
  for (size_t i = 0; i < rendered.size(); ++i) {
    const Rendered& r = rendered[i];
    const PlatformGlyph& g = sheet.glyphs[i];
    for (int32_t row = 0; row < r.bitmapRows; ++row) {
      const int32_t y = g.y + r.bitmapTop + row;
      if (y < g.y || y >= g.y + lineHeight) continue;
      for (int32_t col = 0; col < r.bitmapWidth; ++col) {
        const int32_t x = g.x + r.bitmapLeft + col;
        if (x >= g.x + g.width) break;
        sheet.alpha[static_cast<size_t>(y) * static_cast<size_t>(sheet.width) + static_cast<size_t>(x)] =
            r.bitmap[static_cast<size_t>(row) * static_cast<size_t>(r.bitmapWidth) + static_cast<size_t>(col)];
      }
    }
  }
  return true;
}
