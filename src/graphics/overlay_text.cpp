#include "graphics/overlay_text.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "graphics/batch.h"
#include "graphics/debug_font_image.h"
#include "graphics/device.h"
#include "graphics/embedded_images.h"
#include "graphics/primitives.h"

namespace {

constexpr int kFormatBuffer = 2048;
constexpr int kWrappedLineStep = kOverlayGlyphHeight + 2;
constexpr float kTextDepth = 0.7f;
// Characters drawn per batch reservation (6 vertices each, within the batch's capacity).
constexpr size_t kCharsPerReservation = kBatchCapacity / 6;

std::unique_ptr<HardwareTexture>& FontTexture() {
  static std::unique_ptr<HardwareTexture> texture;
  return texture;
}

const DebugFontRect* Glyph(unsigned char code) {
  if (code < kOverlayFontFirst || code > kOverlayFontLast) return nullptr;
  return &DebugFont_OverlayRects()[static_cast<size_t>(code - kOverlayFontFirst)];
}

int SpaceWidth() { return Glyph(' ')->width; }

// How far a character moves the pen (a tab excepted).
int Advance(unsigned char code) {
  const DebugFontRect* glyph = Glyph(code);
  return glyph != nullptr ? glyph->width : SpaceWidth();
}

std::string Format(const char* format, va_list args) {
  char buffer[kFormatBuffer];
  const int n = std::vsnprintf(buffer, sizeof buffer, format, args);
  if (n < 0) return {};
  return std::string(buffer, static_cast<size_t>(std::min(n, kFormatBuffer - 1)));
}

void DrawOutlined(float x, float y, uint32_t outline, uint32_t colour, std::string_view text) {
  Overlay_DrawText(x - 1, y, 1, 1, outline, text);
  Overlay_DrawText(x + 1, y, 1, 1, outline, text);
  Overlay_DrawText(x, y - 1, 1, 1, outline, text);
  Overlay_DrawText(x, y + 2, 1, 1, outline, text);
  Overlay_DrawText(x, y, 1, 1, colour, text);
}

// The lines of text broken at line feeds and, at spaces, before a word that would pass width.
std::vector<std::string_view> Wrap(std::string_view text, int width) {
  std::vector<std::string_view> lines;
  size_t lineStart = 0, lastSpace = std::string_view::npos;
  int lineWidth = 0;
  for (size_t i = 0; i <= text.size(); ++i) {
    if (i == text.size() || text[i] == '\n') {
      lines.push_back(text.substr(lineStart, i - lineStart));
      lineStart = i + 1;
      lastSpace = std::string_view::npos;
      lineWidth = 0;
      continue;
    }
    if (text[i] == ' ') lastSpace = i;
    lineWidth += Advance(static_cast<unsigned char>(text[i]));
    if (lineWidth > width && lastSpace != std::string_view::npos) {
      lines.push_back(text.substr(lineStart, lastSpace - lineStart));
      lineStart = lastSpace + 1;
      lastSpace = std::string_view::npos;
      lineWidth = Overlay_TextWidth(text.substr(lineStart, i + 1 - lineStart));
    }
  }
  return lines;
}

}  // namespace

void Overlay_InitFont() {
  if (!FontTexture()) FontTexture() = LoadTextureFromEmbedded(kEmbeddedDebugFont);
}

void Overlay_FreeFont() { FontTexture().reset(); }

HardwareTexture* Overlay_FontTexture() { return FontTexture().get(); }

int Overlay_TextWidth(std::string_view text) {
  int width = 0;
  for (char c : text) {
    if (c != '\t') width += Advance(static_cast<unsigned char>(c));
  }
  return width;
}

void Overlay_DrawText(float x, float y, float xscale, float yscale, uint32_t colour, std::string_view text,
                      int maxchars) {
  if (maxchars >= 0 && static_cast<size_t>(maxchars) < text.size()) text = text.substr(0, static_cast<size_t>(maxchars));
  HardwareTexture* texture = FontTexture().get();
  if (texture == nullptr || text.empty()) return;
  const uint32_t vertexColour = GR_Color_Swap_RB(colour);
  x = std::nearbyint(x);
  y = std::nearbyint(y);
  constexpr float kSheetWidth = kDebugFontSheetWidth, kSheetHeight = kDebugFontSheetHeight;
  while (!text.empty()) {
    const std::string_view part = text.substr(0, std::min(text.size(), kCharsPerReservation));
    text.remove_prefix(part.size());
    const int reserved = static_cast<int>(part.size()) * 6;
    auto* v = static_cast<Vertex24*>(GR_D3D_Batch_Reserve(4, texture, 24, reserved));
    if (v == nullptr) return;
    int used = 0;
    for (char c : part) {
      const auto code = static_cast<unsigned char>(c);
      if (code == '\t') {
        x = 64.0f * std::nearbyint((x + 63.0f) / 64.0f);
        continue;
      }
      const DebugFontRect* glyph = Glyph(code);
      if (glyph == nullptr || code == ' ') {
        x += static_cast<float>(Advance(code)) * xscale;
        continue;
      }
      const float x2 = x + static_cast<float>(glyph->width) * xscale;
      const float y2 = y + static_cast<float>(glyph->height) * yscale;
      const float u1 = glyph->x / kSheetWidth, v1 = glyph->y / kSheetHeight;
      const float u2 = (glyph->x + glyph->width) / kSheetWidth, v2 = (glyph->y + glyph->height) / kSheetHeight;
      v[used++] = {x, y, kTextDepth, vertexColour, u1, v1};
      v[used++] = {x2, y, kTextDepth, vertexColour, u2, v1};
      v[used++] = {x2, y2, kTextDepth, vertexColour, u2, v2};
      v[used++] = {x2, y2, kTextDepth, vertexColour, u2, v2};
      v[used++] = {x, y2, kTextDepth, vertexColour, u1, v2};
      v[used++] = {x, y, kTextDepth, vertexColour, u1, v1};
      x = x2;
    }
    GR_D3D_Batch_Unreserve(reserved - used);
  }
}

void Overlay_Printf(float x, float y, uint32_t colour, const char* format, ...) {
  va_list args;
  va_start(args, format);
  const std::string text = Format(format, args);
  va_end(args);
  Overlay_DrawText(x, y, 1, 1, colour, text);
}

void Overlay_PrintfOutlined(float x, float y, uint32_t outline, uint32_t colour, const char* format, ...) {
  va_list args;
  va_start(args, format);
  const std::string text = Format(format, args);
  va_end(args);
  DrawOutlined(x, y, outline, colour, text);
}

void Overlay_PrintfCentred(float y, int width, uint32_t colour, const char* format, ...) {
  va_list args;
  va_start(args, format);
  const std::string text = Format(format, args);
  va_end(args);
  Overlay_DrawText(static_cast<float>((width + 1 - Overlay_TextWidth(text)) / 2), y, 1, 1, colour, text);
}

void Overlay_DrawTextCentred(float y, uint32_t outline, uint32_t colour, std::string_view text) {
  const int x = (Graphics_Sizes().screenWidth - Overlay_TextWidth(text) + 1) / 2;
  DrawOutlined(static_cast<float>(x), y, outline, colour, text);
}

void Overlay_DrawTextWrapped(uint32_t x, float y, uint32_t outline, uint32_t colour, const char* format, ...) {
  va_list args;
  va_start(args, format);
  const std::string text = Format(format, args);
  va_end(args);
  const int screenWidth = Graphics_Sizes().screenWidth;
  for (std::string_view line : Wrap(text, screenWidth - 4)) {
    if (x == kOverlayCentreLines) {
      Overlay_DrawTextCentred(y, outline, colour, line);
    } else {
      DrawOutlined(static_cast<float>(static_cast<int32_t>(x)), y, outline, colour, line);
    }
    y += kWrappedLineStep;
  }
}
