// CBitmap32: the runner's own in-memory image, width x height 0xAARRGGBB words, rows top first,
// with the operations that sprites and backgrounds made at run time need, and PNG writing.
//
// An image is valid when it holds pixels. Operations on an invalid image do nothing; those that
// make a new image from a region, a platform bitmap or a size that is not allowed give an
// invalid one.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/colour.h"

class CStream;
class IBitmap;

struct BitmapBounds {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
};

class CBitmap32 {
 public:
  // An empty, invalid image.
  CBitmap32() = default;
  // Width and height at least 1; every pixel 0. Invalid when the size is not allowed.
  CBitmap32(int32_t width, int32_t height);
  // Width and height at least 1; every pixel opaque in the colour (red in its low byte).
  CBitmap32(int32_t width, int32_t height, uint32_t colour);

  static CBitmap32 CreateCopy(const CBitmap32& other) { return other; }
  // Valid only when the source is valid and the region lies inside it with a size of at least
  // 1x1 (negative coordinates are refused, not read).
  static CBitmap32 CreateFromRegion(const CBitmap32& other, int32_t x, int32_t y, int32_t width, int32_t height);
  // Formats 6 and 7 only, pixels made opaque; then the colour key when transparent, and edge
  // smoothing when both flags are set. Other formats give an invalid image.
  static CBitmap32 CreateFromBitmapOpaque(const IBitmap& bitmap, bool transparent, bool smooth);
  // Format 7 only, alpha kept; then the same optional steps.
  static CBitmap32 CreateFromBitmapAlpha(const IBitmap& bitmap, bool transparent, bool smooth);
  // Formats 6 and 7 as CreateFromBitmapOpaque; other formats are converted to 32 bits first.
  static CBitmap32 CreateFromBitmap(const IBitmap& bitmap, bool transparent, bool smooth);
  static CBitmap32 CreateFromBitmapOption(const IBitmap& bitmap, bool transparent, bool smooth, bool keepAlpha);
  // The stream forms: version 540 (i32 540, bool valid, when valid i32 width, i32 height and a
  // compressed block of the pixels) and version 800 (i32 800, i32 width, i32 height, a
  // length-prefixed block of the pixels). Any other version, a size not allowed or a block too
  // short for the pixels gives an invalid image.
  static CBitmap32 CreateFromStream(CStream& stream);
  // Kinds 0-5 (horizontal, vertical, rectangle, ellipse, double horizontal, double vertical);
  // any other kind gives opaque black. Colours have red in the low byte.
  static CBitmap32 CreateGradient(int32_t width, int32_t height, uint32_t colour1, uint32_t colour2, int32_t kind);

  bool IsValid() const { return valid_; }
  int32_t GetWidth() const { return width_; }
  int32_t GetHeight() const { return height_; }
  uint32_t SizeInBytes() const { return static_cast<uint32_t>(pixels_.size() * 4); }
  std::span<const uint32_t> GetData() const { return pixels_; }
  std::span<uint32_t> GetData() { return pixels_; }
  // The pixel at (x, y); 0 outside the image.
  uint32_t Pixel(int32_t x, int32_t y) const;
  void SetPixel(int32_t x, int32_t y, uint32_t argb);

  void Assign(const CBitmap32& other) { *this = other; }
  // The RGB of the bottom-left pixel is the colour key: every pixel of that RGB gets alpha 0;
  // then FillTransparentColours.
  void MakeTransparent();
  // Every pixel of alpha 0 takes the RGB of its first non-transparent neighbour, trying left,
  // right, above and below; its alpha stays 0.
  void FillTransparentColours();
  // Pixels next to transparent ones lose 32 of alpha per transparent neighbour (3x3), in one
  // pass top to bottom, left to right; a pixel that reaches 0 counts as transparent after that.
  void SmoothEdges();
  void SetAlpha(uint8_t alpha);
  // Nearest-pixel resize in place; nothing when the size is unchanged or not allowed.
  void Stretch(int32_t width, int32_t height);
  // The box of the pixels whose alpha is not 0, starting from {width-1, height-1, 0, 0}: an
  // image with no such pixel gives left > right.
  BitmapBounds GetOpaqueBounds() const;
  // Over the region both cover, each alpha becomes min(alpha, (R + G + B) / 3 of other).
  void SetAlphaFromImage(const CBitmap32& other);
  // Writes the version-540 form.
  void WriteToStream(CStream& stream) const;
  // New platform bitmaps of format 6 (alpha dropped) and 7; null when invalid.
  std::unique_ptr<IBitmap> ToBitmap24() const;
  std::unique_ptr<IBitmap> ToBitmap32() const;

  // Writes an 8-bit RGBA PNG file; false, with a "[write_png_file] ..." line on the debug
  // console, when it cannot. A file left half-written is removed.
  bool write_png_file(const std::string& fileName) const;

 private:
  // A valid image of width x height pixels (rows top first), then the colour key and edge
  // smoothing steps the CreateFromBitmap* forms share.
  static CBitmap32 FromPlatformPixels(std::vector<uint32_t> pixels, int32_t width, int32_t height, bool transparent,
                                      bool smooth);

  bool valid_ = false;
  int32_t width_ = 0;
  int32_t height_ = 0;
  std::vector<uint32_t> pixels_;
};

// Per channel round(a * (1 - f) + b * f): the colour merge of colour.h.
inline uint32_t Colour_MergeInt(uint32_t a, uint32_t b, double fraction) { return Colour_Merge(a, b, fraction); }
