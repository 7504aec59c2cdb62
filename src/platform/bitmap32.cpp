#include "platform/bitmap32.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "platform/bitmap.h"
#include "platform/stream.h"

namespace {

constexpr uint32_t kAlphaMask = 0xFF000000u;
constexpr uint32_t kRgbMask = 0x00FFFFFFu;

uint32_t OpaqueFromColour(uint32_t colour) {
  uint32_t red = colour & 0xFF, green = (colour >> 8) & 0xFF, blue = (colour >> 16) & 0xFF;
  return kAlphaMask | red << 16 | green << 8 | blue;
}

// Pixels of a format-6 or format-7 platform bitmap, alpha kept (format 6 gives 255).
bool ReadPlatformPixels(const IBitmap& bitmap, std::vector<uint32_t>& out, int32_t& width, int32_t& height) {
  int32_t format = bitmap.GetPixelFormat();
  if (format != static_cast<int32_t>(BitmapFormat::Rgb24) && format != static_cast<int32_t>(BitmapFormat::Argb32))
    return false;
  width = bitmap.GetWidth();
  height = bitmap.GetHeight();
  if (!Bitmap_SizeAllowed(width, height)) return false;
  int32_t stride = 0;
  uint32_t size = 0;
  const uint8_t* pixels = bitmap.LockBits(&stride, &size);
  int64_t rowBytes = int64_t{width} * (format == static_cast<int32_t>(BitmapFormat::Rgb24) ? 3 : 4);
  if (!pixels || stride < rowBytes || uint64_t(stride) * uint64_t(height - 1) + uint64_t(rowBytes) > size)
    return false;
  out.assign(size_t(width) * size_t(height), 0);
  for (int32_t y = 0; y < height; ++y) {
    const uint8_t* row = pixels + size_t(y) * size_t(stride);
    uint32_t* dst = out.data() + size_t(y) * size_t(width);
    if (format == static_cast<int32_t>(BitmapFormat::Rgb24)) {
      for (int32_t x = 0; x < width; ++x) {
        const uint8_t* p = row + x * 3;  // blue, green, red
        dst[x] = kAlphaMask | uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | p[0];
      }
    } else {
      for (int32_t x = 0; x < width; ++x) {
        const uint8_t* p = row + x * 4;  // blue, green, red, alpha
        dst[x] = uint32_t{p[3]} << 24 | uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | p[0];
      }
    }
  }
  return true;
}

}  // namespace

CBitmap32::CBitmap32(int32_t width, int32_t height) {
  width = std::max(width, 1);
  height = std::max(height, 1);
  if (!Bitmap_SizeAllowed(width, height)) return;
  width_ = width;
  height_ = height;
  pixels_.assign(size_t(width) * size_t(height), 0);
  valid_ = true;
}

CBitmap32::CBitmap32(int32_t width, int32_t height, uint32_t colour) : CBitmap32(width, height) {
  std::fill(pixels_.begin(), pixels_.end(), OpaqueFromColour(colour));
}

uint32_t CBitmap32::Pixel(int32_t x, int32_t y) const {
  if (!valid_ || x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
  return pixels_[size_t(y) * size_t(width_) + size_t(x)];
}

void CBitmap32::SetPixel(int32_t x, int32_t y, uint32_t argb) {
  if (!valid_ || x < 0 || y < 0 || x >= width_ || y >= height_) return;
  pixels_[size_t(y) * size_t(width_) + size_t(x)] = argb;
}

CBitmap32 CBitmap32::CreateFromRegion(const CBitmap32& other, int32_t x, int32_t y, int32_t width, int32_t height) {
  CBitmap32 result;
  if (!other.valid_ || x < 0 || y < 0 || width < 1 || height < 1) return result;
  if (int64_t{x} + width > other.width_ || int64_t{y} + height > other.height_) return result;
  result = CBitmap32(width, height);
  for (int32_t row = 0; row < height; ++row) {
    const uint32_t* src = other.pixels_.data() + size_t(y + row) * size_t(other.width_) + size_t(x);
    std::copy(src, src + width, result.pixels_.data() + size_t(row) * size_t(width));
  }
  return result;
}

CBitmap32 CBitmap32::FromPlatformPixels(std::vector<uint32_t> pixels, int32_t width, int32_t height, bool transparent,
                                        bool smooth) {
  CBitmap32 result;
  result.valid_ = true;
  result.width_ = width;
  result.height_ = height;
  result.pixels_ = std::move(pixels);
  if (transparent) {
    result.MakeTransparent();
    if (smooth) result.SmoothEdges();
  }
  return result;
}

CBitmap32 CBitmap32::CreateFromBitmapOpaque(const IBitmap& bitmap, bool transparent, bool smooth) {
  std::vector<uint32_t> pixels;
  int32_t width = 0, height = 0;
  if (!ReadPlatformPixels(bitmap, pixels, width, height)) return CBitmap32();
  for (uint32_t& p : pixels) p |= kAlphaMask;
  return FromPlatformPixels(std::move(pixels), width, height, transparent, smooth);
}

CBitmap32 CBitmap32::CreateFromBitmapAlpha(const IBitmap& bitmap, bool transparent, bool smooth) {
  if (bitmap.GetPixelFormat() != static_cast<int32_t>(BitmapFormat::Argb32)) return CBitmap32();
  std::vector<uint32_t> pixels;
  int32_t width = 0, height = 0;
  if (!ReadPlatformPixels(bitmap, pixels, width, height)) return CBitmap32();
  return FromPlatformPixels(std::move(pixels), width, height, transparent, smooth);
}

CBitmap32 CBitmap32::CreateFromBitmap(const IBitmap& bitmap, bool transparent, bool smooth) {
  // The platform bitmaps made here are all of format 6 or 7; the lower formats carry no palette
  // to convert from, so they give an invalid image as a mismatched format does.
  return CreateFromBitmapOpaque(bitmap, transparent, smooth);
}

CBitmap32 CBitmap32::CreateFromBitmapOption(const IBitmap& bitmap, bool transparent, bool smooth, bool keepAlpha) {
  return keepAlpha ? CreateFromBitmapAlpha(bitmap, transparent, smooth) : CreateFromBitmap(bitmap, transparent, smooth);
}

CBitmap32 CBitmap32::CreateGradient(int32_t width, int32_t height, uint32_t colour1, uint32_t colour2, int32_t kind) {
  width = std::max(width, 1);
  height = std::max(height, 1);
  CBitmap32 result(width, height, 0);  // opaque black
  if (!result.valid_) return result;
  const double w = width, h = height;
  const double half = std::min(w, h) * 0.5;
  auto merge = [&](double f) { return OpaqueFromColour(Colour_MergeInt(colour1, colour2, f)); };
  auto put = [&](int32_t x, int32_t y, uint32_t argb) { result.pixels_[size_t(y) * size_t(width) + size_t(x)] = argb; };
  switch (kind) {
    case 0:
      for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) put(x, y, merge(x / w));
      break;
    case 1:
      for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) put(x, y, merge(y / h));
      break;
    case 2:
      for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
          int32_t d = std::min(std::min(x, width - 1 - x), std::min(y, height - 1 - y));
          put(x, y, merge(d / half));
        }
      break;
    case 3: {
      std::fill(result.pixels_.begin(), result.pixels_.end(), OpaqueFromColour(colour1));
      for (int32_t i = 0; i < half; ++i) {
        const double rx = (w - 2.0 * i) / 2.0, ry = (h - 2.0 * i) / 2.0;
        const uint32_t colour = merge(i / half);
        for (int32_t y = i; y < height - i; ++y)
          for (int32_t x = i; x < width - i; ++x) {
            double ex = (x - w / 2.0) / rx, ey = (y - h / 2.0) / ry;
            if (ex * ex + ey * ey <= 1.0) put(x, y, colour);
          }
      }
      break;
    }
    case 4:
      for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) put(x, y, merge(std::min(x, width - 1 - x) / (w * 0.5)));
      break;
    case 5:
      for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) put(x, y, merge(std::min(y, height - 1 - y) / (h * 0.5)));
      break;
    default:
      break;
  }
  return result;
}

void CBitmap32::MakeTransparent() {
  if (!valid_) return;
  const uint32_t key = pixels_[size_t(height_ - 1) * size_t(width_)] & kRgbMask;
  for (uint32_t& p : pixels_)
    if ((p & kRgbMask) == key) p &= kRgbMask;
  FillTransparentColours();
}

void CBitmap32::FillTransparentColours() {
  if (!valid_) return;
  auto opaque = [&](int32_t x, int32_t y) {
    return x >= 0 && y >= 0 && x < width_ && y < height_ && (Pixel(x, y) & kAlphaMask) != 0;
  };
  static constexpr int32_t kNeighbours[4][2] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}};
  for (int32_t y = 0; y < height_; ++y)
    for (int32_t x = 0; x < width_; ++x) {
      uint32_t& p = pixels_[size_t(y) * size_t(width_) + size_t(x)];
      if ((p & kAlphaMask) != 0) continue;
      for (const auto& n : kNeighbours) {
        if (opaque(x + n[0], y + n[1])) {
          p = Pixel(x + n[0], y + n[1]) & kRgbMask;
          break;
        }
      }
    }
}

void CBitmap32::SmoothEdges() {
  if (!valid_) return;
  for (int32_t y = 0; y < height_; ++y)
    for (int32_t x = 0; x < width_; ++x) {
      if ((Pixel(x, y) & kAlphaMask) != 0) continue;
      for (int32_t ny = std::max(y - 1, 0); ny <= std::min(y + 1, height_ - 1); ++ny)
        for (int32_t nx = std::max(x - 1, 0); nx <= std::min(x + 1, width_ - 1); ++nx) {
          uint32_t& p = pixels_[size_t(ny) * size_t(width_) + size_t(nx)];
          uint32_t alpha = p >> 24;
          if (alpha >= 32) p = (p & kRgbMask) | (alpha - 32) << 24;
        }
    }
}

void CBitmap32::SetAlpha(uint8_t alpha) {
  for (uint32_t& p : pixels_) p = (p & kRgbMask) | uint32_t{alpha} << 24;
}

void CBitmap32::Stretch(int32_t width, int32_t height) {
  if (!valid_ || (width == width_ && height == height_) || !Bitmap_SizeAllowed(width, height)) return;
  std::vector<uint32_t> stretched(size_t(width) * size_t(height));
  for (int32_t y = 0; y < height; ++y) {
    int32_t sy = static_cast<int32_t>(int64_t{height_} * y / height);
    for (int32_t x = 0; x < width; ++x) {
      int32_t sx = static_cast<int32_t>(int64_t{width_} * x / width);
      stretched[size_t(y) * size_t(width) + size_t(x)] = pixels_[size_t(sy) * size_t(width_) + size_t(sx)];
    }
  }
  pixels_ = std::move(stretched);
  width_ = width;
  height_ = height;
}

BitmapBounds CBitmap32::GetOpaqueBounds() const {
  BitmapBounds b{width_ - 1, height_ - 1, 0, 0};
  for (int32_t y = 0; y < height_; ++y)
    for (int32_t x = 0; x < width_; ++x) {
      if ((pixels_[size_t(y) * size_t(width_) + size_t(x)] & kAlphaMask) == 0) continue;
      b.left = std::min(b.left, x);
      b.top = std::min(b.top, y);
      b.right = std::max(b.right, x);
      b.bottom = std::max(b.bottom, y);
    }
  return b;
}

void CBitmap32::SetAlphaFromImage(const CBitmap32& other) {
  if (!valid_ || !other.valid_) return;
  const int32_t width = std::min(width_, other.width_), height = std::min(height_, other.height_);
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x) {
      uint32_t o = other.Pixel(x, y);
      uint32_t brightness = (((o >> 16) & 0xFF) + ((o >> 8) & 0xFF) + (o & 0xFF)) / 3;
      uint32_t& p = pixels_[size_t(y) * size_t(width_) + size_t(x)];
      uint32_t alpha = std::min(p >> 24, brightness);
      p = (p & kRgbMask) | alpha << 24;
    }
}

std::unique_ptr<IBitmap> CBitmap32::ToBitmap24() const {
  if (!valid_) return nullptr;
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetPixelFormat(static_cast<int32_t>(BitmapFormat::Rgb24));
  bitmap->SetWidth(width_);
  bitmap->SetHeight(height_);
  int32_t stride = 0;
  uint8_t* dst = bitmap->LockBits(&stride, nullptr);
  if (!dst) return nullptr;
  for (int32_t y = 0; y < height_; ++y)
    for (int32_t x = 0; x < width_; ++x) {
      uint32_t p = Pixel(x, y);
      uint8_t* q = dst + size_t(y) * size_t(stride) + size_t(x) * 3;
      q[0] = static_cast<uint8_t>(p);
      q[1] = static_cast<uint8_t>(p >> 8);
      q[2] = static_cast<uint8_t>(p >> 16);
    }
  return bitmap;
}

std::unique_ptr<IBitmap> CBitmap32::ToBitmap32() const {
  if (!valid_) return nullptr;
  std::vector<uint8_t> block = TBitmap::MakeBlock(width_, height_, static_cast<int32_t>(BitmapFormat::Argb32));
  uint8_t* dst = block.data() + kBitmapHeaderSize;
  for (uint32_t p : pixels_) {
    dst[0] = static_cast<uint8_t>(p);
    dst[1] = static_cast<uint8_t>(p >> 8);
    dst[2] = static_cast<uint8_t>(p >> 16);
    dst[3] = static_cast<uint8_t>(p >> 24);
    dst += 4;
  }
  auto bitmap = std::make_unique<TBitmap>();
  if (!bitmap->AttachPixels(std::move(block), 0)) return nullptr;
  return bitmap;
}

CBitmap32 CBitmap32::CreateFromStream(CStream& stream) {
  CBitmap32 result;
  const int32_t version = stream.ReadInteger();
  int32_t width = 0, height = 0;
  std::unique_ptr<CStream> block;
  if (version == 540) {
    if (!stream.ReadBoolean()) return result;
    width = stream.ReadInteger();
    height = stream.ReadInteger();
    if (!Bitmap_SizeAllowed(width, height)) return result;
    block = ZDecompressStream(stream);
  } else if (version == 800) {
    width = stream.ReadInteger();
    height = stream.ReadInteger();
    if (!Bitmap_SizeAllowed(width, height)) return result;
    block = stream.ReadStream();
  } else {
    return result;
  }
  const size_t bytes = size_t(width) * size_t(height) * 4;
  if (stream.Overrun() || !block || block->GetSize() < int64_t(bytes)) return result;
  result = CBitmap32(width, height);
  const uint8_t* p = block->GetBuffer();
  for (uint32_t& pixel : result.pixels_) {
    pixel = uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
    p += 4;
  }
  return result;
}

void CBitmap32::WriteToStream(CStream& stream) const {
  stream.WriteInteger(540);
  stream.WriteBoolean(valid_);
  if (!valid_) return;
  stream.WriteInteger(width_);
  stream.WriteInteger(height_);
  std::vector<uint8_t> bytes(pixels_.size() * 4);
  for (size_t i = 0; i < pixels_.size(); ++i)
    for (int b = 0; b < 4; ++b) bytes[i * 4 + size_t(b)] = static_cast<uint8_t>(pixels_[i] >> (8 * b));
  CStream block;
  block.Assign(bytes.data(), static_cast<int64_t>(bytes.size()));
  ZCompressStream(stream, block);
}
