// Platform fonts: the glyphs of a system font face, found by its name, size, bold and italic,
// rendered into one glyph sheet (one alpha byte per pixel) with a rectangle, advance and offset
// for each character. The face is looked up through fontconfig and rendered with FreeType
// (src/platform/freetype); a name that is not installed gets fontconfig's nearest match.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

struct PlatformGlyph {
  char16_t code = 0;
  int16_t x = 0, y = 0, width = 0, height = 0;  // the glyph's cell on the sheet
  int16_t shift = 0;                            // advance to the next pen position
  int16_t offset = 0;                           // from the pen to the cell's left edge
};

struct PlatformGlyphSheet {
  int32_t width = 0, height = 0;
  std::vector<uint8_t> alpha;  // width * height bytes, rows top first
  std::vector<PlatformGlyph> glyphs;  // ascending by code; every cell is one line high
};

// Renders the characters first..last (character codes as Unicode code points; the control
// characters below 32 are left out, as are characters the face has no glyph for, the space
// aside). Size is in points at 96 pixels per inch. False, with the sheet left empty, when no
// face can be found or rendered.
bool PlatformFont_RenderGlyphs(std::string_view face, int32_t size, bool bold, bool italic, int32_t first,
                               int32_t last, PlatformGlyphSheet& sheet);
