// Fonts: the game's font resources (FONT chunk), fonts made at run time from a sprite's frames
// or from a face description, and the built-in "debug" font. A font is a glyph table sorted
// by character code plus either a glyph sheet (a texture-page entry or a texture of its own)
// or a sprite whose frames are the glyphs. Line splitting and alignment live in text.h.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data/game_data_reader.h"
#include "data/tpage_record.h"

// One glyph: its rectangle on the sheet (relative to the page entry's rectangle), the advance
// to the next pen position and the distance from the pen to its left edge. In a sprite font
// x and y are 0, width is the frame index and height the sprite's height.
struct FontGlyph {
  char16_t code = 0;
  int16_t x = 0, y = 0, width = 0, height = 0;
  int16_t shift = 0, offset = 0;
};

class CFontKF {
 public:
  CFontKF();
  ~CFontKF();
  CFontKF(const CFontKF&) = delete;
  CFontKF& operator=(const CFontKF&) = delete;

  // Construction state: no glyphs, no sheet, no texture; size 12, range 32..128, scales 1.
  void Reset();

  const FontGlyph* FindGlyph(char16_t c) const;
  // The glyph's advance; a character without a glyph counts the first glyph's (0 when the
  // font has no glyph at all).
  int32_t GetShift(char16_t c) const;
  int32_t TextWidth(std::u16string_view text) const;
  int32_t GetHeight() const { return lineHeight; }

  // Colours are script colours (0xBBGGRR); angles in degrees.
  void Draw(float x, float y, std::u16string_view line, uint32_t colour, float alpha) const;
  void DrawTransformed(float x, float y, std::u16string_view line, float xscale, float yscale, float angle,
                       uint32_t colour, float alpha) const;
  void DrawColor(float x, float y, std::u16string_view line, uint32_t c1, uint32_t c2, uint32_t c3, uint32_t c4,
                 float alpha) const;
  void DrawTransformedColor(float x, float y, std::u16string_view line, float xscale, float yscale, float angle,
                            uint32_t c1, uint32_t c2, uint32_t c3, uint32_t c4, float alpha) const;

  // Makes the texture from the sheet (fonts that own a sheet); FreeTexture lets it go.
  void InitTexture();
  void FreeTexture();

  const std::string& GetName() const { return name; }
  int32_t GetSize() const { return size; }
  bool GetBold() const { return bold; }
  bool GetItalic() const { return italic; }
  int32_t GetFirst() const { return first; }
  int32_t GetLast() const { return last; }
  // Records a glyph, keeping the line height the tallest glyph height; SortGlyphs orders them.
  void AddGlyph(const FontGlyph& glyph);
  void SortGlyphs();
  const std::vector<FontGlyph>& Glyphs() const { return glyphs; }

  std::string name;
  int32_t size = 12;
  bool bold = false, italic = false;
  int32_t attributeA = 0, attributeB = 0;
  int32_t first = 32, last = 128;
  int32_t sprite = -1;
  int32_t sheetWidth = 0, sheetHeight = 0;
  int32_t lineHeight = 0;
  std::vector<uint8_t> sheet;  // one alpha byte per sheet pixel, for fonts that build their texture
  int32_t texture = -1;
  std::optional<TPageRecord> pageEntry;
  float xscale = 1.0f, yscale = 1.0f;

 private:
  bool IsSpriteFont() const { return sprite >= 0; }
  std::vector<FontGlyph> glyphs;  // ascending by code
};

// ---- the font table ------------------------------------------------------------------------

// Reads the FONT chunk. Every offset, count and glyph must lie inside the chunk (the names in
// the file); damaged data throws GameDataError and the load fails.
void Font_Load(const GameDataReader& reader, ChunkSpan body);
void Font_Clear();
bool Font_Exists(int32_t index);
CFontKF* Font_Data(int32_t index);
// The resource name; "<undefined>" when the slot does not exist.
std::string Font_Name(int32_t index);
int32_t Font_Find(std::string_view name);
int32_t Font_Count();
int32_t Font_Add(std::string_view face, int32_t size, bool bold, bool italic, int32_t first, int32_t last);
int32_t Font_AddSprite(int32_t sprite, int32_t first, bool proportional, int32_t separation);
int32_t Font_AddSpriteExt(int32_t sprite, std::string_view map, bool proportional, int32_t separation);
bool Font_Replace(int32_t index, std::string_view face, int32_t size, bool bold, bool italic, int32_t first,
                  int32_t last);
bool Font_ReplaceSprite(int32_t index, int32_t sprite, int32_t first, bool proportional, int32_t separation);
bool Font_ReplaceSpriteExt(int32_t index, int32_t sprite, std::string_view map, bool proportional,
                           int32_t separation);
bool Font_Delete(int32_t index);
void Font_InitTextures();
void Font_FreeTextures();
void Font_Shutdown();

// The built-in font, built on first need (its texture needs the device).
CFontKF& Font_Default();
void Font_Default_Free();
