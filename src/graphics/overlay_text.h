// The debug overlay's text: the built-in sheet's characters 32 to 136 (7 x 12 cells) drawn as
// textured quads through the vertex batch, one reservation per string, in screen space (the
// caller brackets the drawing with the overlay's screen-space switch).
//
// Colours are 0xAABBGGRR, as the game gives them. A tab moves x to the next multiple of 64
// (rounding to nearest); codes below 32 and above 136 advance by the space's width.
#pragma once

#include <cstdint>
#include <string_view>

struct HardwareTexture;

inline constexpr int kOverlayGlyphHeight = 12;
// The x that Overlay_DrawTextWrapped takes as "centre each line".
inline constexpr uint32_t kOverlayCentreLines = 0x81234567u;

// Makes the font texture when it is not made yet; frees it.
void Overlay_InitFont();
void Overlay_FreeFont();
HardwareTexture* Overlay_FontTexture();

// The sum of the glyph widths (a tab counts nothing).
int Overlay_TextWidth(std::string_view text);
// Draws up to maxchars bytes of text (all of it when maxchars is negative) from (x, y).
void Overlay_DrawText(float x, float y, float xscale, float yscale, uint32_t colour, std::string_view text,
                      int maxchars = -1);
void Overlay_Printf(float x, float y, uint32_t colour, const char* format, ...) __attribute__((format(printf, 4, 5)));
// The text in the outline colour at (x - 1, y), (x + 1, y), (x, y - 1) and (x, y + 2), then in
// the text colour at (x, y).
void Overlay_PrintfOutlined(float x, float y, uint32_t outline, uint32_t colour, const char* format, ...)
    __attribute__((format(printf, 5, 6)));
// Centred in a width starting at x 0.
void Overlay_PrintfCentred(float y, int width, uint32_t colour, const char* format, ...)
    __attribute__((format(printf, 4, 5)));
// Outlined and centred on the screen.
void Overlay_DrawTextCentred(float y, uint32_t outline, uint32_t colour, std::string_view text);
// Outlined, word-wrapped to the screen's width less 4 pixels at spaces and line feeds, one line
// every 14 pixels from (x, y); x kOverlayCentreLines centres each line.
void Overlay_DrawTextWrapped(uint32_t x, float y, uint32_t outline, uint32_t colour, const char* format, ...)
    __attribute__((format(printf, 5, 6)));
