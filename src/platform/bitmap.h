// Platform bitmaps: an image held as a BMP-style block (header, then pixel rows top first).
//
// `IBitmap` is what the rest of the runner sees; `TBitmap` keeps the pixels in one owned block:
// u32 file size, u32 reserved, u32 offset of the pixel data, the 40-byte BITMAPINFOHEADER, then
// the rows, the first row the top one. Every header field is written and read one little-endian
// field at a time; no structure is ever laid over the bytes.
//
// Images that arrive as files are checked here before any decoder sees them (ImageHeader_Read):
// a file that is truncated, names a size it cannot hold, or is of no known kind is refused.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

// Pixel-format codes and the bit counts they stand for.
enum class BitmapFormat : int32_t {
  Bits1 = 1,
  Bits4 = 2,
  Palette8 = 3,
  Bits15 = 4,
  Bits16 = 5,
  Rgb24 = 6,   // three bytes per pixel: blue, green, red
  Argb32 = 7,  // one 0xAARRGGBB word per pixel
};

// Any code outside 1..7 (0 included) stands for 32 bits.
int32_t Bitmap_BitsOfFormat(int32_t format);
// Any bit count other than 1, 4, 8, 15, 16 and 24 gives 7.
int32_t Bitmap_FormatOfBits(int32_t bits);

// Bytes from the start of a block to its pixels, for the blocks made here.
inline constexpr uint32_t kBitmapHeaderSize = 52;

// The largest image the runner decodes or makes: each side at most 16384 pixels and at most
// 2^26 pixels in all (256 MB of 32-bit pixels).
inline constexpr int32_t kBitmapMaxSide = 16384;
inline constexpr int64_t kBitmapMaxPixels = int64_t{1} << 26;
bool Bitmap_SizeAllowed(int64_t width, int64_t height);

class CStream;

class IBitmap {
 public:
  virtual ~IBitmap() = default;
  // Reads the file and decodes it as a BMP file; false when it cannot be read or decoded.
  virtual bool LoadFromFile(const std::string& name) = 0;
  // Frees the pixels; bytes that start with "BM" are decoded as a BMP file, anything else
  // leaves the bitmap empty (other kinds of image go through IBitmapLoader).
  virtual bool LoadFromStream(std::span<const uint8_t> bytes) = 0;
  // The stream's bytes from its position to its end.
  bool LoadFromStream(const CStream& stream);
  virtual void SetWidth(int32_t width) = 0;
  virtual int32_t GetWidth() const = 0;
  virtual void SetHeight(int32_t height) = 0;
  virtual int32_t GetHeight() const = 0;
  virtual void SetPixelFormat(int32_t format) = 0;
  virtual int32_t GetPixelFormat() const = 0;
  // The first pixel row (null when there are no pixels); stride and size when asked.
  virtual uint8_t* LockBits(int32_t* stride, uint32_t* size) = 0;
  virtual const uint8_t* LockBits(int32_t* stride, uint32_t* size) const = 0;
  virtual void UnlockBits() = 0;
  // Becomes a copy of other.
  virtual void Assign(const IBitmap& other) = 0;
  virtual void FreePixels() = 0;
  // Takes over a header+pixel block (the layout above); width and height from its header,
  // format 7, stride width * 4. False, leaving the bitmap empty, when the block cannot hold
  // what its header says.
  virtual bool AttachPixels(std::vector<uint8_t> block, uint8_t flag) = 0;
};

class TBitmap final : public IBitmap {
 public:
  TBitmap() = default;

  bool LoadFromFile(const std::string& name) override;
  bool LoadFromStream(std::span<const uint8_t> bytes) override;
  using IBitmap::LoadFromStream;
  void SetWidth(int32_t width) override;
  int32_t GetWidth() const override { return width_; }
  void SetHeight(int32_t height) override;
  int32_t GetHeight() const override { return height_; }
  void SetPixelFormat(int32_t format) override;
  int32_t GetPixelFormat() const override { return format_; }
  uint8_t* LockBits(int32_t* stride, uint32_t* size) override;
  const uint8_t* LockBits(int32_t* stride, uint32_t* size) const override;
  void UnlockBits() override {}
  void Assign(const IBitmap& other) override;
  void FreePixels() override;
  bool AttachPixels(std::vector<uint8_t> block, uint8_t flag) override;

  int32_t GetStride() const { return stride_; }
  int32_t ChangeCount() const { return changes_; }
  uint32_t BlockSize() const { return static_cast<uint32_t>(block_.size()); }

  // A block of the layout above holding width x height pixels of the format, zero-filled;
  // empty when the size is not allowed.
  static std::vector<uint8_t> MakeBlock(int32_t width, int32_t height, int32_t format);
  // Bytes per row of a format at a width (rows padded to whole 32-bit words).
  static int64_t StrideOf(int32_t width, int32_t format);

 private:
  // Re-makes the block for the current width, height and format.
  void Reallocate();

  std::vector<uint8_t> block_;
  int32_t format_ = static_cast<int32_t>(BitmapFormat::Argb32);
  int32_t width_ = 0;
  int32_t height_ = 0;
  int32_t stride_ = 0;
  uint8_t flag_ = 0;
  int32_t changes_ = 0;
};

// An empty bitmap of format 7.
std::unique_ptr<TBitmap> TBitmap_Create();

// ---- image files -----------------------------------------------------------

enum class ImageKind { Unknown, Png, Bmp, Gif, Jpeg };

struct ImageHeader {
  ImageKind kind = ImageKind::Unknown;
  int32_t width = 0;
  int32_t height = 0;  // always positive (a BMP stored top first says so with topDown)
  // BMP only.
  uint32_t dataOffset = 0;
  uint16_t bitsPerPixel = 0;
  uint32_t compression = 0;
  bool topDown = false;
};

// Reads the header of a PNG, BMP, GIF or JPEG file from its bytes and checks it against them:
// the kind is recognised, the size is allowed, and for BMP the data offset, bit count and
// compression are ones a BMP file can have and the uncompressed rows fit in the file. False for
// anything else (the file is refused before a decoder sees it).
bool ImageHeader_Read(std::span<const uint8_t> bytes, ImageHeader& header);

// The whole file; false when it cannot be read or is larger than 1 GiB.
bool Bitmap_ReadFile(const std::string& name, std::vector<uint8_t>& bytes);
