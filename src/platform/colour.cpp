#include "platform/colour.h"

#include <cmath>

#include "platform/conversions.h"

namespace {
uint8_t Red(uint32_t colour) { return static_cast<uint8_t>(colour & 0xFF); }
uint8_t Green(uint32_t colour) { return static_cast<uint8_t>((colour >> 8) & 0xFF); }
uint8_t Blue(uint32_t colour) { return static_cast<uint8_t>((colour >> 16) & 0xFF); }
uint32_t PackRGB(uint32_t r, uint32_t g, uint32_t b) { return (b << 16) | (g << 8) | r; }
uint8_t ToByte(float channel) { return static_cast<uint8_t>(Conv_TruncToInt32(channel) & 0xFF); }
}  // namespace

ColourRecord Colour_SetRGB(uint8_t r, uint8_t g, uint8_t b) { return {r, g, b}; }
ColourRecord Colour_SetBGR(uint8_t r, uint8_t g, uint8_t b) { return {b, g, r}; }
ColourRecord Colour_Reverse(const ColourRecord& record) { return {record.c2, record.c1, record.c0}; }

uint32_t Colour_Pack(const ColourRecord& record) {
  return static_cast<uint32_t>(record.c0) * 65536u + static_cast<uint32_t>(record.c1) * 256u +
         record.c2;
}

HSVRecord Colour_RGBToHSV(uint8_t red, uint8_t green, uint8_t blue) {
  float r = red / 255.0f, g = green / 255.0f, b = blue / 255.0f;
  float max = std::fmax(r, std::fmax(g, b));
  float min = std::fmin(r, std::fmin(g, b));
  float hue = 0.0f, saturation = 0.0f;
  if (max != 0.0f) {
    float d = max - min;
    saturation = d / max;
    if (saturation != 0.0f) {
      if (r == max) hue = 60.0f * (g - b) / d;
      else if (g == max) hue = 60.0f * (b - r) / d + 120.0f;
      else hue = 60.0f * (r - g) / d + 240.0f;
      if (hue < 0.0f) hue += 360.0f;
    }
  }
  return {ToByte(hue * 255.0f / 360.0f), ToByte(saturation * 255.0f), ToByte(max * 255.0f)};
}

HSVRecord Colour_ToHSV(uint32_t colour) {
  return Colour_RGBToHSV(Red(colour), Green(colour), Blue(colour));
}

ColourRecord Colour_HSVToRGB(const HSVRecord& hsv) {
  float h = hsv.hue * 360.0f / 255.0f;
  if (h >= 360.0f) h = 0.0f;
  float s = hsv.saturation / 255.0f, v = hsv.value / 255.0f;
  float r, g, b;
  if (s == 0.0f) {
    r = g = b = v;
  } else {
    int i = static_cast<int>(std::trunc(h / 60.0f));
    float f = h / 60.0f - static_cast<float>(i);
    float p = v * (1.0f - s), q = v * (1.0f - f * s), t = v * (1.0f - (1.0f - f) * s);
    switch (i) {
      case 0: r = v; g = t; b = p; break;
      case 1: r = q; g = v; b = p; break;
      case 2: r = p; g = v; b = t; break;
      case 3: r = p; g = q; b = v; break;
      case 4: r = t; g = p; b = v; break;
      default: r = v; g = p; b = q; break;
    }
  }
  return {ToByte(r * 255.0f), ToByte(g * 255.0f), ToByte(b * 255.0f)};
}

uint32_t Colour_FromHSV(const HSVRecord& hsv) {
  ColourRecord rgb = Colour_HSVToRGB(hsv);
  return PackRGB(rgb.c0, rgb.c1, rgb.c2);
}

ColourRecord Colour_MergeRecord(uint32_t a, uint32_t b, double fraction) {
  double inverse = static_cast<float>(1.0f - static_cast<float>(fraction));
  auto mix = [&](uint8_t x, uint8_t y) {
    return static_cast<uint8_t>(Conv_RoundToInt32(x * inverse + y * fraction) & 0xFF);
  };
  return {mix(Red(a), Red(b)), mix(Green(a), Green(b)), mix(Blue(a), Blue(b))};
}

uint32_t Colour_Merge(uint32_t a, uint32_t b, double fraction) {
  ColourRecord m = Colour_MergeRecord(a, b, fraction);
  return PackRGB(m.c0, m.c1, m.c2);
}
