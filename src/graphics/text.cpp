#include "graphics/text.h"

#include <algorithm>
#include <cmath>

#include "graphics/fonts.h"
#include "graphics/primitives.h"
#include "graphics/profiler.h"
#include "platform/conversions.h"
#include "platform/string_helpers.h"
#include "platform/utf8.h"

namespace {

struct TextState {
  int32_t font = -1;
  int32_t halign = 0;
  int32_t valign = 0;
};
TextState g_text;

constexpr char16_t kCR = 13;
constexpr char16_t kLF = 10;
constexpr char16_t kSpace = 32;

int32_t ClampAlign(int32_t align) { return align >= 0 && align <= 2 ? align : 0; }

std::u16string DecodeUtf8(const std::string& text) {
  std::u16string out;
  out.reserve(text.size());
  for (const char* p = text.c_str(); *p != 0;) out.push_back(static_cast<char16_t>(UTF8_GetChar(p)));
  return out;
}

struct Layout {
  CFontKF* font;
  std::vector<std::u16string> lines;
  int32_t step;  // the separation, or the font's line height
};

Layout LayOut(std::string_view text, int32_t separation, int32_t limit) {
  CFontKF& font = GR_Text_Font();
  Layout layout{&font, GR_Text_Split(font, text, limit), separation < 0 ? font.GetHeight() : separation};
  return layout;
}

// Horizontal offset of a line for plain and coloured drawing.
int32_t PlainOffset(int32_t width) {
  switch (g_text.halign) {
    case 1: return -(width / 2);
    case 2: return -width;
    default: return 0;
  }
}

// Where transformed drawing starts and how it steps from line to line.
struct RotatedFrame {
  float s, c;
  float baseX, baseY;
  float stepX, stepY;
};
RotatedFrame Rotate(float x, float y, size_t lines, int32_t step, float yscale, float angle) {
  const auto theta = static_cast<float>(static_cast<double>(angle) * static_cast<double>(3.1415927410125732f) / 180.0);
  RotatedFrame f{};
  f.s = static_cast<float>(std::sin(static_cast<double>(theta)));
  f.c = static_cast<float>(std::cos(static_cast<double>(theta)));
  const double d = step;
  f.stepX = static_cast<float>(f.s * yscale * d);
  f.stepY = static_cast<float>(f.c * yscale * d);
  const double block = static_cast<double>(lines) * static_cast<double>(yscale) * d;
  f.baseX = x;
  f.baseY = y;
  if (g_text.valign == 1) {
    f.baseY -= static_cast<float>(Conv_RoundToInt32(block * f.c * 0.5));
    f.baseX -= static_cast<float>(Conv_RoundToInt32(block * f.s * 0.5));
  } else if (g_text.valign == 2) {
    f.baseY -= static_cast<float>(Conv_RoundToInt32(block * f.c));
    f.baseX -= static_cast<float>(Conv_RoundToInt32(block * f.s));
  }
  return f;
}

float PlainTop(float y, size_t lines, int32_t step) {
  const int64_t block = static_cast<int64_t>(lines) * step;
  if (g_text.valign == 1) return y - static_cast<float>(block / 2);
  if (g_text.valign == 2) return y - static_cast<float>(block);
  return y;
}

}  // namespace

void GR_Text_Set_Font(int32_t index) {
  if (Font_Exists(index)) {
    g_text.font = index;
    return;
  }
  Font_Default();
  g_text.font = -1;
}
int32_t GR_Text_Get_Font() { return g_text.font; }
void GR_Text_Set_Halign(int32_t align) { g_text.halign = ClampAlign(align); }
void GR_Text_Set_Valign(int32_t align) { g_text.valign = ClampAlign(align); }
int32_t GR_Text_Get_Halign() { return g_text.halign; }
int32_t GR_Text_Get_Valign() { return g_text.valign; }
void GR_Text_Reset() { g_text = TextState{}; }

CFontKF& GR_Text_Font() {
  if (CFontKF* font = Font_Data(g_text.font)) return *font;
  return Font_Default();
}

std::vector<std::u16string> GR_Text_Split(const CFontKF& font, std::string_view text, int32_t limit) {
  std::vector<std::u16string> lines;
  if (limit < 0) limit = kTextNoLimit;
  const std::u16string buf = DecodeUtf8(Text_HashToNewline(text));
  const size_t n = buf.size();
  size_t s = 0;
  while (s < n) {
    size_t i = s;
    if (limit == kTextNoLimit) {
      while (i < n && buf[i] != kCR && buf[i] != kLF) ++i;
      lines.emplace_back(buf, s, i - s);
      s = i + 1;
      continue;
    }
    // Leading spaces stay in the line but are not measured.
    while (i < n && buf[i] == kSpace) ++i;
    int64_t width = 0;
    while (i < n && width < limit && buf[i] != kCR) {
      width += font.GetShift(buf[i]);
      ++i;
    }
    if (width > limit) --i;
    if (i >= n || buf[i] != kCR) {
      if (i == s) break;  // not even one character fits: no further lines
      if (i < n && buf[i] != kSpace) {
        size_t space = i;
        while (space > s && buf[space] != kSpace) --space;
        if (space > s) {
          // Break before the run of spaces; a line of nothing but spaces is dropped.
          i = space;
          while (i > s && buf[i - 1] == kSpace) --i;
          if (i == s) {
            s = i + 1;
            continue;
          }
        } else {
          // One word wider than the limit stays whole on its own line.
          while (i < n && buf[i] != kSpace) ++i;
        }
      }
    }
    lines.emplace_back(buf, s, i - s);
    s = i + 1;
  }
  return lines;
}

int32_t GR_Text_Width(std::string_view text, int32_t separation, int32_t limit) {
  (void)separation;
  CFontKF& font = GR_Text_Font();
  int32_t width = 1;
  for (const std::u16string& line : GR_Text_Split(font, text, limit)) width = std::max(width, font.TextWidth(line));
  return width;
}

int32_t GR_Text_Height(std::string_view text, int32_t separation, int32_t limit) {
  const Layout layout = LayOut(text, separation, limit);
  if (layout.lines.empty()) return 1;
  return layout.font->GetHeight() + static_cast<int32_t>(layout.lines.size() - 1) * layout.step;
}

void GR_Text_Draw(float x, float y, std::string_view text, int32_t separation, int32_t limit) {
  const CProfilerSection section(kProfilerTextColour, "Text");
  const Layout layout = LayOut(text, separation, limit);
  float top = PlainTop(y, layout.lines.size(), layout.step);
  const uint32_t colour = GR_Draw_Get_Color();
  const float alpha = GR_Draw_Get_Alpha();
  for (const std::u16string& line : layout.lines) {
    if (!line.empty()) {
      const int32_t offset = PlainOffset(layout.font->TextWidth(line));
      layout.font->Draw(x + static_cast<float>(offset), top, line, colour, alpha);
    }
    top += static_cast<float>(layout.step);
  }
}

void GR_Text_Draw_Color(float x, float y, std::string_view text, int32_t separation, int32_t limit, uint32_t c1,
                        uint32_t c2, uint32_t c3, uint32_t c4, float alpha) {
  const Layout layout = LayOut(text, separation, limit);
  float top = PlainTop(y, layout.lines.size(), layout.step);
  for (const std::u16string& line : layout.lines) {
    if (!line.empty()) {
      const int32_t offset = PlainOffset(layout.font->TextWidth(line));
      layout.font->DrawColor(x + static_cast<float>(offset), top, line, c1, c2, c3, c4, alpha);
    }
    top += static_cast<float>(layout.step);
  }
}

void GR_Text_Draw_Transformed(float x, float y, std::string_view text, int32_t separation, int32_t limit,
                              float xscale, float yscale, float angle) {
  const CProfilerSection section(kProfilerTextColour, "Text");
  const Layout layout = LayOut(text, separation, limit);
  RotatedFrame f = Rotate(x, y, layout.lines.size(), layout.step, yscale, angle);
  const uint32_t colour = GR_Draw_Get_Color();
  const float alpha = GR_Draw_Get_Alpha();
  for (const std::u16string& line : layout.lines) {
    if (!line.empty()) {
      const float w = static_cast<float>(layout.font->TextWidth(line));
      float offset = 0;
      if (g_text.halign == 1) offset = static_cast<float>(Conv_TruncToInt32(static_cast<double>(w * xscale * -0.5f)));
      else if (g_text.halign == 2) offset = -static_cast<float>(Conv_TruncToInt32(static_cast<double>(w * xscale)));
      layout.font->DrawTransformed(f.baseX + offset * f.c, f.baseY - offset * f.s, line, xscale, yscale, angle, colour,
                                   alpha);
    }
    f.baseX += f.stepX;
    f.baseY += f.stepY;
  }
}

void GR_Text_Draw_Transformed_Color(float x, float y, std::string_view text, int32_t separation, int32_t limit,
                                    float xscale, float yscale, float angle, uint32_t c1, uint32_t c2, uint32_t c3,
                                    uint32_t c4, float alpha) {
  const Layout layout = LayOut(text, separation, limit);
  RotatedFrame f = Rotate(x, y, layout.lines.size(), layout.step, yscale, angle);
  for (const std::u16string& line : layout.lines) {
    if (!line.empty()) {
      const float w = static_cast<float>(layout.font->TextWidth(line));
      float offset = 0;
      if (g_text.halign == 1) offset = -static_cast<float>(Conv_RoundToInt32(static_cast<double>(w * xscale * 0.5f)));
      else if (g_text.halign == 2) offset = -static_cast<float>(Conv_RoundToInt32(static_cast<double>(w * xscale)));
      layout.font->DrawTransformedColor(f.baseX + offset * f.c, f.baseY - offset * f.s, line, xscale, yscale, angle, c1,
                                        c2, c3, c4, alpha);
    }
    f.baseX += f.stepX;
    f.baseY += f.stepY;
  }
}

int32_t UTF16_Length(const char16_t* text) {
  if (text == nullptr) return 0;
  int32_t n = 0;
  while (text[n] != 0) ++n;
  return n;
}
