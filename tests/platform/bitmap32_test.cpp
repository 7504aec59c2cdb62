// CBitmap32: construction, regions, colour keys, edge smoothing, alpha from images, resizing,
// gradients, platform bitmaps and PNG failures.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/bitmap.h"
#include "platform/bitmap32.h"
#include "platform/stream.h"
#include "support/console_capture.h"

namespace {

CBitmap32 FromRows(const std::vector<std::vector<uint32_t>>& rows) {
  CBitmap32 image(static_cast<int32_t>(rows[0].size()), static_cast<int32_t>(rows.size()));
  for (size_t y = 0; y < rows.size(); ++y)
    for (size_t x = 0; x < rows[y].size(); ++x) image.SetPixel(int32_t(x), int32_t(y), rows[y][x]);
  return image;
}

uint32_t Alpha(uint32_t p) { return p >> 24; }

}  // namespace

TEST(Bitmap32, ConstructionAndSizes) {
  CBitmap32 tiny(0, -5);
  EXPECT_TRUE(tiny.IsValid());
  EXPECT_EQ(tiny.GetWidth(), 1);
  EXPECT_EQ(tiny.GetHeight(), 1);
  EXPECT_EQ(tiny.SizeInBytes(), 4u);
  // The colour has red in its low byte; pixels are 0xAARRGGBB.
  EXPECT_EQ(CBitmap32(2, 2, 0x332211).Pixel(1, 1), 0xFF112233u);
  EXPECT_FALSE(CBitmap32(100000, 100000).IsValid());
  EXPECT_FALSE(CBitmap32().IsValid());
}

TEST(Bitmap32, RegionsInsideAreCopiedOthersRefused) {
  CBitmap32 source = FromRows({{1, 2, 3}, {4, 5, 6}});
  CBitmap32 region = CBitmap32::CreateFromRegion(source, 1, 0, 2, 2);
  ASSERT_TRUE(region.IsValid());
  EXPECT_EQ((std::vector<uint32_t>(region.GetData().begin(), region.GetData().end())),
            (std::vector<uint32_t>{2, 3, 5, 6}));
  struct {
    int32_t x, y, w, h;
  } refused[] = {{2, 0, 2, 1}, {0, 1, 1, 2}, {-1, 0, 1, 1}, {0, -1, 1, 1}, {0, 0, 0, 1}, {0, 0, 1, -2},
                 {0x7FFFFFFF, 0, 2, 1}};
  for (auto& r : refused)
    EXPECT_FALSE(CBitmap32::CreateFromRegion(source, r.x, r.y, r.w, r.h).IsValid()) << r.x << "," << r.y;
  EXPECT_FALSE(CBitmap32::CreateFromRegion(CBitmap32(), 0, 0, 1, 1).IsValid());
}

TEST(Bitmap32, ColourKeyFillsFromNeighboursLeftFirst) {
  CBitmap32 one(1, 1, 0x00FF00);
  one.MakeTransparent();
  EXPECT_EQ(Alpha(one.Pixel(0, 0)), 0u);

  // Key: the bottom-left pixel's RGB (alpha ignored). Keyed pixels take a neighbour's RGB, left
  // first, then right, above, below.
  const uint32_t key = 0xFF00FF00, red = 0xFFFF0000, blue = 0xFF0000FF;
  CBitmap32 image = FromRows({{red, key, blue}, {key, key, blue}, {0x1200FF00, key, key}});
  image.MakeTransparent();
  EXPECT_EQ(image.Pixel(1, 0), 0x00FF0000u);  // left neighbour red
  EXPECT_EQ(image.Pixel(0, 1), 0x00FF0000u);  // no left, right is keyed: above is red
  EXPECT_EQ(image.Pixel(1, 1), 0x000000FFu);  // left keyed, right blue
  EXPECT_EQ(image.Pixel(2, 2), 0x000000FFu);  // left keyed, no right: above blue
  EXPECT_EQ(image.Pixel(0, 2), 0x0000FF00u);  // no neighbour opaque: keeps its colour
  EXPECT_EQ(image.Pixel(2, 0), blue);
}

TEST(Bitmap32, SmoothEdgesSoftensNextToTransparentPixels) {
  const uint32_t clear = 0x00000000, solid = 0xFF000000, faint = 0x28000000;  // faint: alpha 40
  CBitmap32 image = FromRows({{solid, solid, solid, solid}, {solid, clear, solid, faint}, {solid, solid, clear, 0x10000000}});
  image.SmoothEdges();
  EXPECT_EQ(Alpha(image.Pixel(0, 0)), 255u - 32);
  EXPECT_EQ(Alpha(image.Pixel(1, 2)), 255u - 64);  // next to both transparent pixels
  EXPECT_EQ(Alpha(image.Pixel(2, 1)), 255u - 64);
  EXPECT_EQ(Alpha(image.Pixel(3, 1)), 8u);   // 40 - 32 once; then below 32 and left alone
  EXPECT_EQ(Alpha(image.Pixel(3, 2)), 16u);  // under 32 from the start
  EXPECT_EQ(Alpha(image.Pixel(3, 0)), 255u);
}

TEST(Bitmap32, AlphaFromImageBoundsAndStretch) {
  CBitmap32 image(3, 2, 0x123456);
  CBitmap32 white(2, 2, 0xFFFFFF), black(2, 1, 0);
  image.SetAlphaFromImage(white);
  EXPECT_EQ(Alpha(image.Pixel(0, 0)), 255u);
  image.SetAlphaFromImage(black);  // only the region both cover
  EXPECT_EQ(image.Pixel(1, 0), 0x00563412u);
  EXPECT_EQ(Alpha(image.Pixel(2, 0)), 255u);
  EXPECT_EQ(Alpha(image.Pixel(1, 1)), 255u);
  image.SetAlphaFromImage(CBitmap32(1, 1, 0x030609));  // brightness (9 + 6 + 3) / 3 = 6
  EXPECT_EQ(Alpha(image.Pixel(0, 0)), 0u);
  image.SetAlpha(200);
  image.SetAlphaFromImage(CBitmap32(1, 1, 0x030609));
  EXPECT_EQ(Alpha(image.Pixel(0, 0)), 6u);

  BitmapBounds none = CBitmap32(4, 3).GetOpaqueBounds();
  EXPECT_GT(none.left, none.right);
  CBitmap32 dots(5, 4);
  dots.SetPixel(1, 2, 0x01000000);
  dots.SetPixel(3, 1, 0xFF000000);
  BitmapBounds b = dots.GetOpaqueBounds();
  EXPECT_EQ((std::vector<int32_t>{b.left, b.top, b.right, b.bottom}), (std::vector<int32_t>{1, 1, 3, 2}));

  CBitmap32 small = FromRows({{1, 2}, {3, 4}});
  small.Stretch(4, 1);  // source x = 2 * x / 4, source y = 0
  EXPECT_EQ((std::vector<uint32_t>(small.GetData().begin(), small.GetData().end())), (std::vector<uint32_t>{1, 1, 2, 2}));
  small.Stretch(0, 5);  // refused
  EXPECT_EQ(small.GetWidth(), 4);
}

TEST(Bitmap32, GradientKinds) {
  const uint32_t c1 = 0x000000FF, c2 = 0x00FF0000;  // red to blue (red in the low byte)
  const uint32_t red = 0xFFFF0000;
  CBitmap32 h = CBitmap32::CreateGradient(4, 2, c1, c2, 0);
  EXPECT_EQ(h.Pixel(0, 1), red);
  EXPECT_EQ(h.Pixel(2, 0), 0xFF800080u);  // f = 2/4: 127.5 rounds to even 128
  CBitmap32 v = CBitmap32::CreateGradient(1, 4, c1, c2, 1);
  EXPECT_EQ(v.Pixel(0, 0), red);
  EXPECT_EQ(v.Pixel(0, 3), 0xFF4000BFu);  // f = 3/4
  CBitmap32 rect = CBitmap32::CreateGradient(5, 5, c1, c2, 2);
  EXPECT_EQ(rect.Pixel(0, 2), red);
  EXPECT_EQ(rect.Pixel(2, 2), 0xFF3300CCu);  // d = 2 of 2.5
  CBitmap32 ellipse = CBitmap32::CreateGradient(6, 6, c1, c2, 3);
  EXPECT_EQ(ellipse.Pixel(0, 0), red);       // outside every ring
  EXPECT_EQ(ellipse.Pixel(3, 3), 0xFF5500AAu);  // ring 2 of 3
  CBitmap32 doubleH = CBitmap32::CreateGradient(4, 1, c1, c2, 4);
  EXPECT_EQ(doubleH.Pixel(0, 0), doubleH.Pixel(3, 0));
  EXPECT_EQ(doubleH.Pixel(1, 0), 0xFF800080u);
  CBitmap32 doubleV = CBitmap32::CreateGradient(1, 6, c1, c2, 5);
  EXPECT_EQ(doubleV.Pixel(0, 2), 0xFF5500AAu);  // f = 2 / 3
  EXPECT_EQ(CBitmap32::CreateGradient(2, 2, c1, c2, 9).Pixel(1, 1), 0xFF000000u);
  EXPECT_EQ(CBitmap32::CreateGradient(0, 0, c1, c2, 0).GetWidth(), 1);
}

TEST(Bitmap32, PlatformBitmapsBothWays) {
  CBitmap32 image = FromRows({{0x80112233, 0xFF445566}});
  std::unique_ptr<IBitmap> b24 = image.ToBitmap24();
  ASSERT_TRUE(b24);
  EXPECT_EQ(b24->GetPixelFormat(), 6);
  EXPECT_EQ(CBitmap32::CreateFromBitmapOpaque(*b24, false, false).Pixel(0, 0), 0xFF112233u);
  EXPECT_FALSE(CBitmap32::CreateFromBitmapAlpha(*b24, false, false).IsValid());  // format 7 only
  std::unique_ptr<IBitmap> b32 = image.ToBitmap32();
  EXPECT_EQ(b32->GetPixelFormat(), 7);
  EXPECT_EQ(CBitmap32::CreateFromBitmapOption(*b32, false, false, true).Pixel(0, 0), 0x80112233u);
  EXPECT_EQ(CBitmap32::CreateFromBitmapOption(*b32, false, false, false).Pixel(0, 0), 0xFF112233u);
  EXPECT_EQ(CBitmap32().ToBitmap24(), nullptr);
  EXPECT_EQ(CBitmap32().ToBitmap32(), nullptr);
  TBitmap paletted;
  paletted.SetPixelFormat(3);
  paletted.SetWidth(2);
  paletted.SetHeight(2);
  EXPECT_FALSE(CBitmap32::CreateFromBitmap(paletted, false, false).IsValid());
}

TEST(Bitmap32, PngFailuresAreReported) {
  ConsoleCapture console;
  std::string folder = (std::filesystem::temp_directory_path() / "kf_no_such_folder" / "x.png").string();
  EXPECT_FALSE(CBitmap32(1, 1).write_png_file(folder));
  std::string path = (std::filesystem::temp_directory_path() / "kf_invalid.png").string();
  EXPECT_FALSE(CBitmap32().write_png_file(path));
  EXPECT_EQ(console.Text(), "[write_png_file] File " + folder + " could not be opened for writing\n" +
                                "[write_png_file] Error during writing header\n");
  EXPECT_FALSE(std::filesystem::exists(path));  // nothing half-written is left
}

TEST(Bitmap32, StreamFormsRoundTripAndRefuseDamage) {
  ConsoleCapture console;  // the block reader logs its steps
  CBitmap32 image = FromRows({{0x80112233, 0xFF445566, 0x00000001}, {7, 8, 9}});
  CStream stream;
  image.WriteToStream(stream);
  stream.SetPosition(0);
  CBitmap32 back = CBitmap32::CreateFromStream(stream);
  ASSERT_TRUE(back.IsValid());
  EXPECT_EQ(back.GetWidth(), 3);
  EXPECT_EQ((std::vector<uint32_t>(back.GetData().begin(), back.GetData().end())),
            (std::vector<uint32_t>(image.GetData().begin(), image.GetData().end())));

  CStream invalid;
  CBitmap32().WriteToStream(invalid);
  invalid.SetPosition(0);
  EXPECT_FALSE(CBitmap32::CreateFromStream(invalid).IsValid());

  // Version 800: width, height and a length-prefixed block of the pixels.
  auto form800 = [](int32_t width, int32_t height, int32_t blockBytes) {
    auto s = std::make_unique<CStream>();
    s->WriteInteger(800);
    s->WriteInteger(width);
    s->WriteInteger(height);
    s->WriteInteger(blockBytes);
    std::vector<uint8_t> pixels(size_t(blockBytes > 0 ? blockBytes : 0), 0xAB);
    s->WriteBuffer(pixels.data(), blockBytes);
    s->SetPosition(0);
    return s;
  };
  CBitmap32 v800 = CBitmap32::CreateFromStream(*form800(2, 1, 8));
  ASSERT_TRUE(v800.IsValid());
  EXPECT_EQ(v800.Pixel(1, 0), 0xABABABABu);
  EXPECT_FALSE(CBitmap32::CreateFromStream(*form800(2, 2, 8)).IsValid());        // block too short
  EXPECT_FALSE(CBitmap32::CreateFromStream(*form800(-2, 1, 8)).IsValid());       // lying size
  EXPECT_FALSE(CBitmap32::CreateFromStream(*form800(70000, 70000, 8)).IsValid());

  CStream v700;
  v700.WriteInteger(700);
  v700.WriteInteger(1);
  v700.WriteInteger(1);
  v700.SetPosition(0);
  EXPECT_FALSE(CBitmap32::CreateFromStream(v700).IsValid());

  // A 540 form cut inside its compressed block.
  CStream cut;
  cut.Assign(stream.GetBuffer(), stream.GetPosition() - 6);
  cut.SetPosition(0);
  EXPECT_FALSE(CBitmap32::CreateFromStream(cut).IsValid());
}
