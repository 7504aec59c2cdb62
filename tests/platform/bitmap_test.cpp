// Image decoding and platform bitmaps: every kind of file decodes to the pixels it holds, an
// animated GIF gives every frame, and damaged or lying files are refused.
#include <SDL2/SDL.h>
#include <SDL2/SDL_image.h>
#include <gtest/gtest.h>
#include <png.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/image_fixtures.h"
#include "platform/bitmap.h"
#include "platform/bitmap32.h"
#include "platform/bitmap_loader.h"
#include "platform/stream.h"

namespace {

using Bytes = std::vector<uint8_t>;

// The ARGB words of frame i of a loader.
std::vector<uint32_t> FramePixels(IBitmapLoader& loader, int32_t index) {
  std::unique_ptr<IBitmap> frame = loader.GetFrame(index);
  if (!frame) return {};
  CBitmap32 image = CBitmap32::CreateFromBitmapAlpha(*frame, false, false);
  return {image.GetData().begin(), image.GetData().end()};
}

std::vector<uint32_t> Decode(const Bytes& bytes, int32_t expectWidth, int32_t expectHeight) {
  auto loader = BitmapLoader_FromMemory(bytes);
  if (!loader) return {};
  EXPECT_EQ(loader->GetFrameCount(), 1);
  std::unique_ptr<IBitmap> frame = loader->GetFrame(0);
  EXPECT_EQ(frame->GetWidth(), expectWidth);
  EXPECT_EQ(frame->GetHeight(), expectHeight);
  EXPECT_EQ(frame->GetPixelFormat(), 7);
  return FramePixels(*loader, 0);
}

std::string TempPath(const std::string& name) {
  return (std::filesystem::temp_directory_path() / ("kf_bitmap_" + name)).string();
}

}  // namespace

TEST(ImageDecoding, PngWrittenWithLibpngKeepsPixelsAndChannelOrder) {
  CBitmap32 image(3, 2);
  const uint32_t pixels[6] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0x80123456, 0x00ABCDEF, 0xFFFFFFFF};
  for (int i = 0; i < 6; ++i) image.SetPixel(i % 3, i / 3, pixels[i]);
  std::string path = TempPath("roundtrip.png");
  ASSERT_TRUE(image.write_png_file(path));

  // Read back with libpng itself: the samples are red, green, blue, alpha.
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  ASSERT_TRUE(png_image_begin_read_from_file(&png, path.c_str()));
  EXPECT_EQ(png.format & PNG_FORMAT_FLAG_ALPHA, PNG_FORMAT_FLAG_ALPHA);
  png.format = PNG_FORMAT_RGBA;
  std::vector<uint8_t> rgba(PNG_IMAGE_SIZE(png));
  ASSERT_TRUE(png_image_finish_read(&png, nullptr, rgba.data(), 0, nullptr));
  EXPECT_EQ((std::vector<uint8_t>{rgba.begin(), rgba.begin() + 4}), (std::vector<uint8_t>{255, 0, 0, 255}));
  EXPECT_EQ((std::vector<uint8_t>{rgba.begin() + 12, rgba.begin() + 16}), (std::vector<uint8_t>{0x12, 0x34, 0x56, 0x80}));

  // And through the runner's own loader: the same words.
  auto loader = BitmapLoader_FromFile(path);
  ASSERT_TRUE(loader);
  EXPECT_EQ(FramePixels(*loader, 0), std::vector<uint32_t>(pixels, pixels + 6));
  std::remove(path.c_str());
}

TEST(ImageDecoding, PalettedPngWithTransparencyGivesAlpha) {
  // Index 0 a transparent red, index 1 an opaque green (tRNS), written with libpng.
  std::string path = TempPath("paletted.png");
  FILE* file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_init_io(png, file);
  png_set_IHDR(png, info, 2, 1, 8, PNG_COLOR_TYPE_PALETTE, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_color palette[2] = {{255, 0, 0}, {0, 255, 0}};
  png_set_PLTE(png, info, palette, 2);
  png_byte alpha[1] = {0};
  png_set_tRNS(png, info, alpha, 1, nullptr);
  png_write_info(png, info);
  png_byte row[2] = {0, 1};
  png_write_row(png, row);
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  std::fclose(file);
  Bytes bytes;
  ASSERT_TRUE(Bitmap_ReadFile(path, bytes));
  std::remove(path.c_str());
  EXPECT_EQ(Decode(bytes, 2, 1), (std::vector<uint32_t>{0x00FF0000, 0xFF00FF00}));
}

TEST(ImageDecoding, BmpOfEveryStoredForm) {
  // Rows stored bottom first; the top row is red, blue; the bottom row green, white.
  const std::vector<uint32_t> expected = {0xFFFF0000, 0xFF0000FF, 0xFF00FF00, 0xFFFFFFFF};
  struct Case {
    const char* name;
    Bytes file;
  } cases[] = {
      {"24-bit", Fixture_Bmp24()},
      {"8-bit palette", Fixture_Bmp8(false)},
      {"8-bit RLE", Fixture_Bmp8(true)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Decode(c.file, 2, 2), expected);
  }
}

TEST(ImageDecoding, PlatformBitmapDecodesOnlyBmpStreams) {
  TBitmap bitmap;
  ASSERT_TRUE(bitmap.LoadFromStream(Fixture_Bmp24()));
  EXPECT_EQ(bitmap.GetPixelFormat(), 6);  // 24-bit stays three bytes a pixel
  EXPECT_EQ(bitmap.GetStride(), 8);
  CBitmap32 image = CBitmap32::CreateFromBitmapOpaque(bitmap, false, false);
  EXPECT_EQ(image.Pixel(0, 0), 0xFFFF0000u);
  EXPECT_EQ(image.Pixel(1, 1), 0xFFFFFFFFu);

  Bytes paletted = Fixture_Bmp8(false);
  CStream stream;
  stream.WriteInteger(7);  // read from the stream's position on
  stream.WriteBuffer(paletted.data(), int64_t(paletted.size()));
  stream.SetPosition(4);
  ASSERT_TRUE(bitmap.LoadFromStream(stream));
  EXPECT_EQ(bitmap.GetPixelFormat(), 7);  // palettes become 32-bit

  CBitmap32 red(1, 1, 0x0000FF);
  std::string path = TempPath("stream.png");
  ASSERT_TRUE(red.write_png_file(path));
  Bytes png;
  ASSERT_TRUE(Bitmap_ReadFile(path, png));
  EXPECT_FALSE(bitmap.LoadFromStream(png));
  EXPECT_EQ(bitmap.LockBits(nullptr, nullptr), nullptr);
  std::remove(path.c_str());
}

TEST(ImageDecoding, AnimatedGifGivesEveryFrame) {
  auto loader = BitmapLoader_FromMemory(Fixture_Gif({{0, 1, 2, 3}, {3, 2, 1, 0}, {1, 1, 1, 1}}));
  ASSERT_TRUE(loader);
  EXPECT_TRUE(loader->IsMultiFrame());
  ASSERT_EQ(loader->GetFrameCount(), 3);
  // Palette: 0 black, 1 red, 2 green, 3 blue.
  EXPECT_EQ(FramePixels(*loader, 0), (std::vector<uint32_t>{0xFF000000, 0xFFFF0000, 0xFF00FF00, 0xFF0000FF}));
  EXPECT_EQ(FramePixels(*loader, 1), (std::vector<uint32_t>{0xFF0000FF, 0xFF00FF00, 0xFFFF0000, 0xFF000000}));
  EXPECT_EQ(FramePixels(*loader, 2), std::vector<uint32_t>(4, 0xFFFF0000));
  EXPECT_EQ(loader->GetFrame(3), nullptr);
  EXPECT_EQ(loader->GetFrame(-1), nullptr);
}

TEST(ImageDecoding, SingleFrameGifIsNotMultiFrame) {
  auto loader = BitmapLoader_FromMemory(Fixture_Gif({{2, 2, 2, 2}}));
  ASSERT_TRUE(loader);
  EXPECT_FALSE(loader->IsMultiFrame());
  EXPECT_EQ(FramePixels(*loader, 0), std::vector<uint32_t>(4, 0xFF00FF00));
}

TEST(ImageDecoding, JpegDecodesCloseToItsColour) {
  Bytes jpeg = Fixture_Jpeg(16, 8, 0xC8, 0x32, 0x64);
  ASSERT_FALSE(jpeg.empty());
  std::vector<uint32_t> pixels = Decode(jpeg, 16, 8);
  ASSERT_EQ(pixels.size(), 128u);
  for (uint32_t p : pixels) {  // lossy: a few steps either way
    EXPECT_EQ(p >> 24, 0xFFu);
    EXPECT_NEAR(int((p >> 16) & 0xFF), 0xC8, 4);
    EXPECT_NEAR(int((p >> 8) & 0xFF), 0x32, 4);
    EXPECT_NEAR(int(p & 0xFF), 0x64, 4);
  }
}

TEST(ImageDecoding, DamagedOrLyingFilesAreRefused) {
  CBitmap32 image(8, 8, 0x00FF00);
  std::string path = TempPath("damaged.png");
  ASSERT_TRUE(image.write_png_file(path));
  Bytes png;
  ASSERT_TRUE(Bitmap_ReadFile(path, png));
  std::remove(path.c_str());

  Bytes bmp = Fixture_Bmp24();
  Bytes bmpHuge = bmp;  // says 10000 x 2: far more rows than the file holds
  bmpHuge[18] = 0x10, bmpHuge[19] = 0x27;
  Bytes bmpLongRows = bmp;  // 3 x 2 at 24 bits needs 12-byte rows, the file has 8
  bmpLongRows[18] = 3;
  Bytes bmpOffset = bmp;  // pixel data said to start past the end
  bmpOffset[10] = 0xF0;
  Bytes bmpBits = bmp;  // 7 bits a pixel
  bmpBits[28] = 7;
  Bytes rle = Fixture_Bmp8(true);
  Bytes pngHuge = png;  // IHDR says 1,000,000 wide
  pngHuge[16] = 0x00, pngHuge[17] = 0x0F, pngHuge[18] = 0x42, pngHuge[19] = 0x40;
  Bytes gif = Fixture_Gif({{0, 1, 2, 3}});
  Bytes jpeg = Fixture_Jpeg(16, 16, 10, 20, 30);

  struct Case {
    const char* name;
    Bytes file;
  } cases[] = {
      {"empty", {}},
      {"garbage", Bytes{'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd'}},
      {"png cut in its data", Bytes(png.begin(), png.begin() + png.size() / 2)},
      {"png cut in its header", Bytes(png.begin(), png.begin() + 20)},
      {"png too wide", pngHuge},
      {"bmp cut in its rows", Bytes(bmp.begin(), bmp.end() - 4)},
      {"bmp cut in its header", Bytes(bmp.begin(), bmp.begin() + 20)},
      {"bmp lying width", bmpHuge},
      {"bmp rows past the end", bmpLongRows},
      {"bmp data offset past the end", bmpOffset},
      {"bmp odd bit count", bmpBits},
      {"bmp rle cut", Bytes(rle.begin(), rle.end() - 6)},
      {"gif cut in its frame", Bytes(gif.begin(), gif.begin() + gif.size() - 6)},
      {"gif header only", Bytes(gif.begin(), gif.begin() + 10)},
      {"jpeg cut in its scan", Bytes(jpeg.begin(), jpeg.begin() + jpeg.size() / 2)},
      {"jpeg markers only", Bytes{0xFF, 0xD8, 0xFF, 0xD9}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(BitmapLoader_FromMemory(c.file), nullptr);
    TBitmap bitmap;
    EXPECT_FALSE(bitmap.LoadFromStream(c.file));
    EXPECT_EQ(bitmap.LockBits(nullptr, nullptr), nullptr);
  }
  EXPECT_EQ(BitmapLoader_FromFile(TempPath("no-such-file.png")), nullptr);
}

TEST(PlatformBitmap, FormatCodesAndBlocks) {
  struct {
    int32_t bits, format;
  } table[] = {{1, 1}, {4, 2}, {8, 3}, {15, 4}, {16, 5}, {24, 6}, {32, 7}, {12, 7}};
  for (auto& row : table) EXPECT_EQ(Bitmap_FormatOfBits(row.bits), row.format) << row.bits;
  EXPECT_EQ(Bitmap_BitsOfFormat(0), 32);
  EXPECT_EQ(Bitmap_BitsOfFormat(9), 32);

  std::vector<uint32_t> pixels = {0x11223344, 0x55667788};
  auto loader = BitmapLoader_FromPixels(pixels, 2, 1);
  ASSERT_TRUE(loader);
  std::unique_ptr<IBitmap> frame = loader->GetFrame(0);
  int32_t stride = 0;
  uint32_t size = 0;
  const uint8_t* bits = frame->LockBits(&stride, &size);
  EXPECT_EQ(stride, 8);
  EXPECT_EQ(size, 8u);
  EXPECT_EQ(bits[0], 0x44);  // blue first
  EXPECT_EQ(BitmapLoader_FromPixels(pixels, 2, 2), nullptr);  // too few pixels

  TBitmap copy;
  copy.Assign(*frame);
  EXPECT_EQ(copy.GetWidth(), 2);
  EXPECT_EQ(copy.ChangeCount(), 1);
  EXPECT_EQ(CBitmap32::CreateFromBitmapAlpha(copy, false, false).Pixel(1, 0), 0x55667788u);

  // A block whose header promises more pixels than it holds is not taken.
  std::vector<uint8_t> block = TBitmap::MakeBlock(4, 4, 7);
  block.resize(block.size() - 1);
  TBitmap attached;
  EXPECT_FALSE(attached.AttachPixels(block, 0));
  EXPECT_EQ(attached.GetWidth(), 0);
}

// Every prefix of every kind of file, and files with bytes changed at random, are either
// decoded to an image of the stated size or refused; nothing reads outside the bytes.
TEST(ImageDecoding, EveryTruncationAndRandomDamageIsSafe) {
  CBitmap32 image(5, 3, 0x336699);
  image.SetPixel(1, 1, 0x80FFFFFF);
  std::string path = TempPath("prefix.png");
  ASSERT_TRUE(image.write_png_file(path));
  Bytes png;
  ASSERT_TRUE(Bitmap_ReadFile(path, png));
  std::remove(path.c_str());
  const Bytes files[] = {png, Fixture_Bmp24(), Fixture_Bmp8(false), Fixture_Bmp8(true),
                         Fixture_Gif({{0, 1, 2, 3}, {3, 3, 0, 0}}), Fixture_Jpeg(8, 8, 1, 2, 3)};
  auto check = [](const Bytes& bytes) {
    auto loader = BitmapLoader_FromMemory(bytes);
    if (loader) {
      for (int32_t i = 0; i < loader->GetFrameCount(); ++i) {
        std::unique_ptr<IBitmap> frame = loader->GetFrame(i);
        ASSERT_TRUE(frame);
        EXPECT_TRUE(Bitmap_SizeAllowed(frame->GetWidth(), frame->GetHeight()));
      }
    }
    TBitmap bitmap;
    bitmap.LoadFromStream(bytes);
  };
  uint32_t seed = 12345;
  auto next = [&seed]() {
    seed = seed * 1103515245u + 12345u;
    return seed >> 8;
  };
  for (const Bytes& file : files) {
    for (size_t length = 0; length < file.size(); ++length) check(Bytes(file.begin(), file.begin() + length));
    for (int round = 0; round < 200; ++round) {
      Bytes damaged = file;
      for (int changes = 1 + next() % 4; changes > 0; --changes) damaged[next() % damaged.size()] = uint8_t(next());
      check(damaged);
    }
  }
}
