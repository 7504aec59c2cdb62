#include "platform/bitmap.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_image.h>

#include <cstring>
#include <fstream>

#include "platform/image_surface.h"
#include "platform/stream.h"

namespace {

uint16_t LE16(std::span<const uint8_t> b, size_t at) {
  return static_cast<uint16_t>(b[at] | b[at + 1] << 8);
}
uint32_t LE32(std::span<const uint8_t> b, size_t at) {
  return uint32_t{b[at]} | uint32_t{b[at + 1]} << 8 | uint32_t{b[at + 2]} << 16 |
         uint32_t{b[at + 3]} << 24;
}
uint16_t BE16(std::span<const uint8_t> b, size_t at) {
  return static_cast<uint16_t>(b[at] << 8 | b[at + 1]);
}
uint32_t BE32(std::span<const uint8_t> b, size_t at) {
  return uint32_t{b[at]} << 24 | uint32_t{b[at + 1]} << 16 | uint32_t{b[at + 2]} << 8 |
         uint32_t{b[at + 3]};
}
void PutLE16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
void PutLE32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

bool ReadBmpHeader(std::span<const uint8_t> b, ImageHeader& h) {
  // "BM", u32 file size, u32 reserved, u32 data offset, then the info header.
  if (b.size() < 18) return false;
  uint32_t dataOffset = LE32(b, 10);
  uint32_t infoSize = LE32(b, 14);
  int64_t width = 0, height = 0;
  uint16_t planes = 0, bits = 0;
  uint32_t compression = 0;
  if (infoSize == 12) {  // the old core header: 16-bit sizes
    if (b.size() < 26) return false;
    width = LE16(b, 18);
    height = LE16(b, 20);
    planes = LE16(b, 22);
    bits = LE16(b, 24);
  } else if (infoSize >= 40 && infoSize <= 124) {
    if (b.size() < 14 + uint64_t{infoSize}) return false;
    width = static_cast<int32_t>(LE32(b, 18));
    height = static_cast<int32_t>(LE32(b, 22));
    planes = LE16(b, 26);
    bits = LE16(b, 28);
    compression = LE32(b, 30);
  } else {
    return false;
  }
  h.kind = ImageKind::Bmp;
  h.topDown = height < 0;
  if (height < 0) height = -height;
  if (planes != 1 || !Bitmap_SizeAllowed(width, height)) return false;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return false;
  switch (compression) {
    case 0: break;
    case 1: if (bits != 8 || h.topDown) return false; break;  // RLE8
    case 2: if (bits != 4 || h.topDown) return false; break;  // RLE4
    case 3: if (bits != 16 && bits != 32) return false; break;  // bit fields
    default: return false;
  }
  if (dataOffset < 14 + uint64_t{infoSize} || dataOffset >= b.size()) return false;
  if (compression == 0 || compression == 3) {
    uint64_t stride = (uint64_t(width) * bits + 31) / 32 * 4;
    if (dataOffset + stride * uint64_t(height) > b.size()) return false;
  }
  h.width = static_cast<int32_t>(width);
  h.height = static_cast<int32_t>(height);
  h.dataOffset = dataOffset;
  h.bitsPerPixel = bits;
  h.compression = compression;
  return true;
}

bool ReadJpegHeader(std::span<const uint8_t> b, ImageHeader& h) {
  size_t pos = 2;
  while (pos + 4 <= b.size()) {
    if (b[pos] != 0xFF) return false;
    uint8_t marker = b[pos + 1];
    if (marker == 0xFF) {  // fill byte
      ++pos;
      continue;
    }
    if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8)) {  // no length
      pos += 2;
      continue;
    }
    if (marker == 0xD9 || marker == 0xDA) return false;  // image data before any frame header
    uint16_t length = BE16(b, pos + 2);
    if (length < 2) return false;
    bool frameHeader = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 &&
                       marker != 0xCC;
    if (frameHeader) {
      if (length < 8 || pos + 9 > b.size()) return false;
      h.kind = ImageKind::Jpeg;
      h.height = BE16(b, pos + 5);
      h.width = BE16(b, pos + 7);
      return Bitmap_SizeAllowed(h.width, h.height);
    }
    pos += 2 + size_t{length};
  }
  return false;
}

// Walks a GIF's blocks: every image's data must be complete (its sub-blocks ended by a zero
// length) before the trailer or the end of the file, and all frames together must stay within
// twice the largest single image.
bool CheckGifBlocks(std::span<const uint8_t> b, ImageHeader& h) {
  size_t pos = 13;
  uint8_t flags = b[10];
  if (flags & 0x80) pos += size_t{3} << ((flags & 7) + 1);
  auto skipSubBlocks = [&]() {
    while (pos < b.size()) {
      uint8_t length = b[pos++];
      if (length == 0) return true;
      pos += length;
    }
    return false;
  };
  int64_t images = 0;
  while (pos < b.size()) {
    uint8_t kind = b[pos++];
    if (kind == 0x3B) break;
    if (kind == 0x21) {
      if (pos >= b.size()) return false;
      ++pos;  // label
      if (!skipSubBlocks()) return false;
    } else if (kind == 0x2C) {
      if (pos + 9 > b.size()) return false;
      uint8_t imageFlags = b[pos + 8];
      pos += 9;
      if (imageFlags & 0x80) pos += size_t{3} << ((imageFlags & 7) + 1);
      if (pos >= b.size()) return false;
      uint8_t codeSize = b[pos++];
      if (codeSize < 1 || codeSize > 11) return false;
      if (!skipSubBlocks()) return false;
      ++images;
    } else {
      return false;
    }
  }
  if (pos > b.size() || images == 0) return false;
  return images * h.width * h.height <= kBitmapMaxPixels * 2;
}

}  // namespace

int32_t Bitmap_BitsOfFormat(int32_t format) {
  switch (format) {
    case 1: return 1;
    case 2: return 4;
    case 3: return 8;
    case 4: return 15;
    case 5: return 16;
    case 6: return 24;
    default: return 32;
  }
}

int32_t Bitmap_FormatOfBits(int32_t bits) {
  switch (bits) {
    case 1: return 1;
    case 4: return 2;
    case 8: return 3;
    case 15: return 4;
    case 16: return 5;
    case 24: return 6;
    default: return 7;
  }
}

bool Bitmap_SizeAllowed(int64_t width, int64_t height) {
  return width >= 1 && height >= 1 && width <= kBitmapMaxSide && height <= kBitmapMaxSide &&
         width * height <= kBitmapMaxPixels;
}

bool ImageHeader_Read(std::span<const uint8_t> b, ImageHeader& h) {
  h = ImageHeader{};
  static constexpr uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  if (b.size() >= 8 && std::memcmp(b.data(), kPngSignature, 8) == 0) {
    // The first chunk must be IHDR: u32 length 13, "IHDR", u32 width, u32 height (big-endian).
    if (b.size() < 33 || BE32(b, 8) != 13 || std::memcmp(b.data() + 12, "IHDR", 4) != 0) return false;
    uint32_t width = BE32(b, 16), height = BE32(b, 20);
    h.kind = ImageKind::Png;
    if (!Bitmap_SizeAllowed(width, height)) return false;
    h.width = static_cast<int32_t>(width);
    h.height = static_cast<int32_t>(height);
    return true;
  }
  if (b.size() >= 6 && (std::memcmp(b.data(), "GIF87a", 6) == 0 || std::memcmp(b.data(), "GIF89a", 6) == 0)) {
    // Logical screen: u16 width, u16 height, flags, background, aspect.
    if (b.size() < 13) return false;
    h.kind = ImageKind::Gif;
    h.width = LE16(b, 6);
    h.height = LE16(b, 8);
    return Bitmap_SizeAllowed(h.width, h.height) && CheckGifBlocks(b, h);
  }
  if (b.size() >= 2 && b[0] == 'B' && b[1] == 'M') return ReadBmpHeader(b, h);
  if (b.size() >= 3 && b[0] == 0xFF && b[1] == 0xD8 && b[2] == 0xFF) return ReadJpegHeader(b, h);
  return false;
}

bool Bitmap_ReadFile(const std::string& name, std::vector<uint8_t>& bytes) {
  bytes.clear();
  std::ifstream in(name, std::ios::binary | std::ios::ate);
  if (!in) return false;
  std::streamoff size = in.tellg();
  if (size < 0 || size > (std::streamoff{1} << 30)) return false;
  bytes.resize(static_cast<size_t>(size));
  in.seekg(0);
  if (size > 0 && !in.read(reinterpret_cast<char*>(bytes.data()), size)) {
    bytes.clear();
    return false;
  }
  return true;
}

// ---- TBitmap ----------------------------------------------------------------

bool IBitmap::LoadFromStream(const CStream& stream) {
  const int64_t position = stream.GetPosition(), size = stream.GetSize();
  if (position < 0 || position >= size || !stream.GetBuffer()) return LoadFromStream(std::span<const uint8_t>());
  return LoadFromStream(std::span<const uint8_t>(stream.GetBuffer() + position, size_t(size - position)));
}

int64_t TBitmap::StrideOf(int32_t width, int32_t format) {
  if (width <= 0) return 0;
  if (format == static_cast<int32_t>(BitmapFormat::Argb32) || Bitmap_BitsOfFormat(format) == 32)
    return int64_t{width} * 4;
  return (int64_t{width} * Bitmap_BitsOfFormat(format) + 31) / 32 * 4;
}

std::vector<uint8_t> TBitmap::MakeBlock(int32_t width, int32_t height, int32_t format) {
  if (!Bitmap_SizeAllowed(width, height)) return {};
  int64_t stride = StrideOf(width, format);
  uint64_t pixelBytes = uint64_t(stride) * uint64_t(height);
  std::vector<uint8_t> block(kBitmapHeaderSize + pixelBytes, 0);
  uint8_t* p = block.data();
  PutLE32(p + 0, static_cast<uint32_t>(block.size() + 2));  // counts the "BM" a file would have
  PutLE32(p + 4, 0);
  PutLE32(p + 8, kBitmapHeaderSize);
  PutLE32(p + 12, 40);
  PutLE32(p + 16, static_cast<uint32_t>(width));
  PutLE32(p + 20, static_cast<uint32_t>(height));
  PutLE16(p + 24, 1);
  PutLE16(p + 26, static_cast<uint16_t>(Bitmap_BitsOfFormat(format)));
  PutLE32(p + 28, 0);
  PutLE32(p + 32, static_cast<uint32_t>(pixelBytes));
  return block;
}

std::unique_ptr<TBitmap> TBitmap_Create() { return std::make_unique<TBitmap>(); }

void TBitmap::Reallocate() {
  block_ = MakeBlock(width_, height_, format_);
  stride_ = block_.empty() ? 0 : static_cast<int32_t>(StrideOf(width_, format_));
}

void TBitmap::SetWidth(int32_t width) {
  width_ = width;
  Reallocate();
}

void TBitmap::SetHeight(int32_t height) {
  height_ = height;
  Reallocate();
}

void TBitmap::SetPixelFormat(int32_t format) {
  format_ = format;
  Reallocate();
}

uint8_t* TBitmap::LockBits(int32_t* stride, uint32_t* size) {
  if (stride) *stride = stride_;
  if (size) *size = block_.empty() ? 0 : static_cast<uint32_t>(block_.size() - kBitmapHeaderSize);
  return block_.empty() ? nullptr : block_.data() + kBitmapHeaderSize;
}

const uint8_t* TBitmap::LockBits(int32_t* stride, uint32_t* size) const {
  return const_cast<TBitmap*>(this)->LockBits(stride, size);
}

void TBitmap::FreePixels() {
  block_.clear();
  block_.shrink_to_fit();
  stride_ = 0;
}

void TBitmap::Assign(const IBitmap& other) {
  FreePixels();
  width_ = other.GetWidth();
  height_ = other.GetHeight();
  format_ = other.GetPixelFormat();
  int32_t stride = 0;
  uint32_t size = 0;
  const uint8_t* pixels = other.LockBits(&stride, &size);
  if (pixels && size > 0) {
    Reallocate();
    if (!block_.empty() && stride == stride_ && size == block_.size() - kBitmapHeaderSize)
      std::memcpy(block_.data() + kBitmapHeaderSize, pixels, size);
  }
  ++changes_;
}

bool TBitmap::AttachPixels(std::vector<uint8_t> block, uint8_t flag) {
  FreePixels();
  width_ = height_ = 0;
  format_ = static_cast<int32_t>(BitmapFormat::Argb32);
  flag_ = flag;
  if (block.size() < kBitmapHeaderSize) return false;
  std::span<const uint8_t> b(block);
  uint32_t dataOffset = LE32(b, 8);
  int32_t width = static_cast<int32_t>(LE32(b, 16));
  int32_t height = static_cast<int32_t>(LE32(b, 20));
  if (dataOffset != kBitmapHeaderSize || !Bitmap_SizeAllowed(width, height)) return false;
  if (block.size() < kBitmapHeaderSize + uint64_t(width) * uint64_t(height) * 4) return false;
  width_ = width;
  height_ = height;
  stride_ = width * 4;
  block_ = std::move(block);
  return true;
}

bool TBitmap::LoadFromFile(const std::string& name) {
  std::vector<uint8_t> bytes;
  if (!Bitmap_ReadFile(name, bytes)) return false;
  return LoadFromStream(bytes);
}

bool TBitmap::LoadFromStream(std::span<const uint8_t> bytes) {
  FreePixels();
  width_ = height_ = 0;
  if (bytes.size() < 2 || bytes[0] != 'B' || bytes[1] != 'M') return false;
  ImageHeader header;
  if (!ImageHeader_Read(bytes, header)) return false;
  // 24-bit images stay three bytes a pixel; every other kind becomes 32-bit (palettes resolved,
  // alpha 255 where the file has none).
  int32_t format = header.bitsPerPixel == 24 ? static_cast<int32_t>(BitmapFormat::Rgb24)
                                             : static_cast<int32_t>(BitmapFormat::Argb32);
  SurfacePtr surface = ImageSurface_DecodeBmp(bytes);
  if (!surface) return false;
  SurfacePtr converted(SDL_ConvertSurfaceFormat(surface.get(), SDL_PIXELFORMAT_ARGB8888, 0));
  if (!converted || converted->w != header.width || converted->h != header.height) return false;
  width_ = header.width;
  height_ = header.height;
  format_ = format;
  Reallocate();
  if (block_.empty()) return false;
  if (SDL_LockSurface(converted.get()) != 0) return false;
  for (int32_t y = 0; y < height_; ++y) {
    const auto* src = reinterpret_cast<const uint8_t*>(converted->pixels) + size_t(y) * size_t(converted->pitch);
    uint8_t* dst = block_.data() + kBitmapHeaderSize + size_t(y) * size_t(stride_);
    if (format == static_cast<int32_t>(BitmapFormat::Rgb24)) {
      for (int32_t x = 0; x < width_; ++x) std::memcpy(dst + x * 3, src + x * 4, 3);
    } else {
      std::memcpy(dst, src, size_t(width_) * 4);
    }
  }
  SDL_UnlockSurface(converted.get());
  return true;
}
