// Decoding image files (PNG, BMP including RLE, GIF with every frame, JPEG) into platform
// bitmaps, frame by frame.
//
// Every frame is given as a 32-bit ARGB bitmap (format 7) at the image's full size, whatever
// the file stores: paletted, grey and 24-bit images get alpha 255. This lets images kept with
// their own alpha (sprite_add, background_add) load from every kind of file.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/bitmap.h"

class IBitmapLoader {
 public:
  virtual ~IBitmapLoader() = default;
  // True when the image has more than one frame.
  virtual bool IsMultiFrame() = 0;
  virtual int32_t GetFrameCount() = 0;
  // A new bitmap with a copy of frame i; null when i is not a frame.
  virtual std::unique_ptr<IBitmap> GetFrame(int32_t index) = 0;
};

class BitmapLoader final : public IBitmapLoader {
 public:
  explicit BitmapLoader(std::vector<TBitmap> frames) : frames_(std::move(frames)) {}
  bool IsMultiFrame() override { return frames_.size() > 1; }
  int32_t GetFrameCount() override { return static_cast<int32_t>(frames_.size()); }
  std::unique_ptr<IBitmap> GetFrame(int32_t index) override;

 private:
  std::vector<TBitmap> frames_;
};

// Null when the file cannot be read, is not a PNG, BMP, GIF or JPEG file, says more than its
// bytes hold, or cannot be decoded.
std::unique_ptr<IBitmapLoader> BitmapLoader_FromFile(const std::string& name);
std::unique_ptr<IBitmapLoader> BitmapLoader_FromMemory(std::span<const uint8_t> bytes);
// One frame of width x height 0xAARRGGBB pixels (rows top first); null for a size not allowed
// or too few pixels.
std::unique_ptr<IBitmapLoader> BitmapLoader_FromPixels(std::span<const uint32_t> pixels, int32_t width,
                                                       int32_t height);
