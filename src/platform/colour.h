// Colour conversions: packed 0xBBGGRR values, RGB records and HSV records (0-255 scales).
#pragma once

#include <cstdint>

struct ColourRecord {
  uint8_t c0 = 0, c1 = 0, c2 = 0;  // channels in the order the caller stored them
};

struct HSVRecord {
  uint8_t hue = 0;         // 255 stands for 360 degrees
  uint8_t saturation = 0;
  uint8_t value = 0;
};

ColourRecord Colour_SetRGB(uint8_t r, uint8_t g, uint8_t b);
ColourRecord Colour_SetBGR(uint8_t r, uint8_t g, uint8_t b);
ColourRecord Colour_Reverse(const ColourRecord& record);
// byte0 * 65536 + byte1 * 256 + byte2
uint32_t Colour_Pack(const ColourRecord& record);

HSVRecord Colour_RGBToHSV(uint8_t red, uint8_t green, uint8_t blue);
HSVRecord Colour_ToHSV(uint32_t colour);
ColourRecord Colour_HSVToRGB(const HSVRecord& hsv);  // {red, green, blue}
uint32_t Colour_FromHSV(const HSVRecord& hsv);        // red in the low byte

// Per channel round(a * (1 - f) + b * f), halves to even, 1 - f in single precision.
uint32_t Colour_Merge(uint32_t a, uint32_t b, double fraction);
ColourRecord Colour_MergeRecord(uint32_t a, uint32_t b, double fraction);
