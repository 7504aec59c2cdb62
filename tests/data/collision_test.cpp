// Precise collisions between masks placed with scales and angles, and the point, rectangle,
// ellipse and line tests against one mask.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "data/sprite.h"
#include "platform/bitmap.h"

namespace {

// A run-time sprite whose one frame is opaque where a row has '#', loaded from a PNG file with
// its own alpha kept; precise and transparent, so its mask is exactly that pattern.
std::unique_ptr<CSprite> MaskSprite(const std::vector<std::string>& rows, int32_t xOrigin = 0, int32_t yOrigin = 0,
                                    bool precise = true) {
  CBitmap32 image(static_cast<int32_t>(rows[0].size()), static_cast<int32_t>(rows.size()));
  for (size_t y = 0; y < rows.size(); ++y)
    for (size_t x = 0; x < rows[y].size(); ++x)
      if (rows[y][x] == '#') image.SetPixel(int32_t(x), int32_t(y), 0xFFFFFFFF);
  const std::string path =
      (std::filesystem::temp_directory_path() / ("kf_mask_" + std::to_string(getpid()) + ".png")).string();
  EXPECT_TRUE(image.write_png_file(path));
  auto sprite = std::make_unique<CSprite>();
  EXPECT_TRUE(sprite->LoadFromFile(path, 1, precise, true, false, false, xOrigin, yOrigin, true));
  std::remove(path.c_str());
  return sprite;
}

// Boxes wide enough that only the masks decide.
constexpr CollisionBox kWide{-100, -100, 100, 100};

SpritePlacement At(int32_t x, int32_t y, float xscale = 1, float yscale = 1, float angle = 0, int32_t frame = 0) {
  return {frame, kWide, x, y, xscale, yscale, angle};
}

}  // namespace

TEST(PreciseCollision, MaskPairsTouchOrMissByOnePixel) {
  // A: a solid 4x4 square at (0, 0), covering room pixels 0..3 on both axes.
  auto square = MaskSprite({"####", "####", "####", "####"});
  auto small = MaskSprite({"##", "##"});
  auto big = MaskSprite(std::vector<std::string>(8, "########"));
  auto rightColumn = MaskSprite({"...#", "...#", "...#", "...#"});
  auto bottomRow = MaskSprite({"....", "....", "....", "####"});
  auto vertical = MaskSprite({"#", "#", "#", "#"});  // 1x4, pointing down

  struct Case {
    const char* name;
    const CSprite* other;
    SpritePlacement placed;
    bool hit;
  } cases[] = {
      // Unscaled, unrotated: integer offsets.
      {"square beside, touching column 3", square.get(), At(3, 0), true},
      {"square beside, one column apart", square.get(), At(4, 0), false},
      {"square below, touching row 3", square.get(), At(2, 3), true},
      {"square below, one row apart", square.get(), At(2, 4), false},
      // Scaled by 2: mapped columns are truncated, so -0.5 lands on column 0 and a 2x2 mask at
      // x covers room columns x-1 .. x+3.
      {"2x2 scaled 2 covering column 3", small.get(), At(4, 0, 2, 2), true},
      {"2x2 scaled 2 starting at column 4", small.get(), At(5, 0, 2, 2), false},
      // Scaled by 0.5: an 8x8 mask covers x .. x+3.
      {"8x8 scaled 0.5 touching", big.get(), At(3, 1, 0.5f, 0.5f), true},
      {"8x8 scaled 0.5 one apart", big.get(), At(4, 1, 0.5f, 0.5f), false},
      {"8x8 scaled 0.5 above, touching", big.get(), At(1, -3, 0.5f, 0.5f), true},
      {"8x8 scaled 0.5 above, one apart", big.get(), At(1, -4, 0.5f, 0.5f), false},
      // Mirrored: the right column of a mask at x with xscale -1 lies at room column x-3.
      {"mirrored right column touching", rightColumn.get(), At(6, 0, -1, 1), true},
      {"mirrored right column one apart", rightColumn.get(), At(7, 0, -1, 1), false},
      {"same unmirrored is far away", rightColumn.get(), At(6, 0), false},
      {"flipped bottom row touching", bottomRow.get(), At(0, 6, 1, -1), true},
      {"flipped bottom row one apart", bottomRow.get(), At(0, 7, 1, -1), false},
      // Rotated 90 degrees (counter-clockwise on screen): the downward 1x4 bar points right and
      // covers x .. x+3 on row y.
      {"bar rotated 90 touching on the right", vertical.get(), At(3, 2, 1, 1, 90), true},
      {"bar rotated 90 one column apart", vertical.get(), At(4, 2, 1, 1, 90), false},
      {"bar rotated 90 touching from above", vertical.get(), At(-2, 0, 1, 1, 90), true},
      {"bar rotated 90 one row above", vertical.get(), At(-2, -1, 1, 1, 90), false},
      {"bar unrotated below, one apart", vertical.get(), At(1, 4), false},
      // Rotated 45 degrees: the bar becomes a diagonal band whose leftmost pixel lies one column
      // left of its origin (a mapped -0.7 truncates to column 0).
      {"bar rotated 45 touching", vertical.get(), At(4, 1, 1, 1, 45), true},
      {"bar rotated 45 one apart", vertical.get(), At(5, 1, 1, 1, 45), false},
      {"bar rotated 45 under the square", vertical.get(), At(1, 4, 1, 1, 45), true},
      {"bar rotated 45 one row further", vertical.get(), At(1, 5, 1, 1, 45), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(square->Collision_Sprite(At(0, 0), *c.other, c.placed), c.hit);
    // The test is symmetric in its two sprites.
    EXPECT_EQ(c.other->Collision_Sprite(c.placed, *square, At(0, 0)), c.hit);
  }
}

TEST(PreciseCollision, BoxesLimitTheScanAndFramesPickMasks) {
  auto square = MaskSprite({"####", "####", "####", "####"});
  // Overlapping masks, but boxes that do not overlap: nothing is scanned.
  SpritePlacement a{0, {0, 0, 3, 3}, 0, 0, 1, 1, 0};
  SpritePlacement b{0, {4, 0, 7, 3}, 2, 0, 1, 1, 0};
  EXPECT_FALSE(square->Collision_Sprite(a, *square, b));
  b.box = {2, 0, 5, 3};
  EXPECT_TRUE(square->Collision_Sprite(a, *square, b));

  // A sprite without frames never collides; one without masks is solid in its frame.
  CSprite empty;
  EXPECT_FALSE(square->Collision_Sprite(At(0, 0), empty, At(0, 0)));
  auto opaque = MaskSprite({"#...", "....", "....", "...."}, 0, 0, false);
  EXPECT_FALSE(opaque->MasksValid());
  EXPECT_TRUE(square->Collision_Sprite(At(0, 0), *opaque, At(3, 3)));
  EXPECT_FALSE(square->Collision_Sprite(At(0, 0), *opaque, At(4, 3)));  // still only inside its frame
}

TEST(PreciseCollision, PointTest) {
  // Origin (1, 1); solid only at frame pixel (2, 1) and the bottom-right corner.
  auto s = MaskSprite({"....", "..#.", "....", "...#"}, 1, 1);
  struct Case {
    const char* name;
    SpritePlacement p;
    int32_t px, py;
    bool hit;
  } cases[] = {
      {"the solid pixel", At(10, 10), 11, 10, true},
      {"its empty neighbour", At(10, 10), 10, 10, false},
      {"past the right edge: mx = width", At(10, 10), 13, 12, false},
      {"the corner pixel", At(10, 10), 12, 12, true},
      // Scaled: mapped = dx / xs + origin, rounded down.
      {"scaled 2, covers two pixels (a)", At(10, 10, 2, 2), 12, 10, true},
      {"scaled 2, covers two pixels (b)", At(10, 10, 2, 2), 13, 11, true},
      {"scaled 2, next pixel", At(10, 10, 2, 2), 14, 10, false},
      // Mirrored: x scale -1 maps dx to -dx.
      {"mirrored solid pixel", At(10, 10, -1, 1), 9, 10, true},
      {"mirrored original spot", At(10, 10, -1, 1), 11, 10, false},
      // Rotated 90 (counter-clockwise): frame (2, 1) lies at room (x, y - 1).
      {"rotated 90", At(10, 10, 1, 1, 90), 10, 9, true},
      {"rotated 90, unrotated spot", At(10, 10, 1, 1, 90), 11, 10, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(s->Collision_Point(c.p, c.px, c.py), c.hit);
  }
  // A point mapping to -0.5 is outside here, while the sprite test truncates it to column 0.
  auto solid = MaskSprite({"##", "##"});
  EXPECT_FALSE(solid->Collision_Point(At(4, 0, 2, 2), 3, 0));
  EXPECT_TRUE(solid->Collision_Sprite(At(4, 0, 2, 2), *MaskSprite({"#"}), At(3, 0)));
  // Precise but not transparent: no masks, so the point collides wherever the box said.
  auto opaque = MaskSprite({"#..", "..."}, 0, 0, true);
  CBitmap32 image(3, 2);
  CSprite notTransparent;
  notTransparent.CreateFromBitmap(*image.ToBitmap32(), true, false, false, false, 0, 0, true);
  EXPECT_FALSE(notTransparent.MasksValid());
  EXPECT_TRUE(notTransparent.Collision_Point(At(0, 0), 2, 1));
  EXPECT_FALSE(opaque->Collision_Point(At(0, 0), 2, 1));
}

TEST(PreciseCollision, RectangleEllipseAndLine) {
  // One solid pixel at frame (3, 3) of a 7x7 frame whose origin is its centre.
  auto dot = MaskSprite({".......", ".......", ".......", "...#...", ".......", ".......", "......."}, 3, 3);
  const SpritePlacement p{0, {17, 17, 23, 23}, 20, 20, 1, 1, 0};  // the dot is at room (20, 20)

  EXPECT_TRUE(dot->Collision_Rectangle(p, {20, 20, 20, 20}));
  EXPECT_FALSE(dot->Collision_Rectangle(p, {21, 15, 30, 30}));
  EXPECT_TRUE(dot->Collision_Rectangle(p, {0, 0, 20, 20}));
  EXPECT_FALSE(dot->Collision_Rectangle(p, {30, 30, 40, 40}));  // no intersection with the box
  // Scaled 3: mapped columns are rounded down, so the dot covers 20..22.
  SpritePlacement scaled = p;
  scaled.xscale = scaled.yscale = 3;
  scaled.box = {11, 11, 31, 31};
  EXPECT_TRUE(dot->Collision_Rectangle(scaled, {21, 21, 25, 25}));
  EXPECT_TRUE(dot->Collision_Rectangle(scaled, {22, 0, 25, 40}));
  EXPECT_FALSE(dot->Collision_Rectangle(scaled, {23, 0, 25, 40}));
  EXPECT_FALSE(dot->Collision_Rectangle(scaled, {0, 0, 19, 40}));

  // Ellipse inscribed in the rect: its corner pixels are outside.
  EXPECT_FALSE(dot->Collision_Ellipse(p, {20, 20, 26, 26}));
  EXPECT_TRUE(dot->Collision_Ellipse(p, {17, 17, 23, 23}));
  EXPECT_TRUE(dot->Collision_Ellipse(p, {14, 17, 26, 23}));
  // A rect of width 0 tests only its centre column.
  EXPECT_TRUE(dot->Collision_Ellipse(p, {20, 15, 20, 25}));
  EXPECT_FALSE(dot->Collision_Ellipse(p, {21, 15, 21, 25}));
  EXPECT_TRUE(dot->Collision_Ellipse(p, {15, 20, 25, 20}));

  // Lines: horizontal and vertical ones are rectangles; others step along their longer axis.
  EXPECT_TRUE(dot->Collision_Line(p, 10, 20, 30, 20));
  EXPECT_FALSE(dot->Collision_Line(p, 10, 21, 30, 21));
  EXPECT_TRUE(dot->Collision_Line(p, 20, 30, 20, 10));
  EXPECT_TRUE(dot->Collision_Line(p, 15, 15, 25, 25));  // through (20, 20)
  EXPECT_FALSE(dot->Collision_Line(p, 16, 15, 26, 25));  // one column right of it
  EXPECT_TRUE(dot->Collision_Line(p, 30, 0, 10, 40));    // steep, through (20, 20)
  EXPECT_FALSE(dot->Collision_Line(p, 31, 0, 11, 40));
}

TEST(PreciseCollision, FramesChooseTheirMasksModuloTheCount) {
  // Two frames cut from one strip, one mask each.
  CBitmap32 strip(4, 2);
  strip.SetPixel(0, 0, 0xFFFFFFFF);
  strip.SetPixel(3, 1, 0xFFFFFFFF);
  CSprite s;
  s.CreateFromBitmap(*CBitmap32::CreateFromRegion(strip, 0, 0, 2, 2).ToBitmap32(), true, true, false, false, 0, 0, true);
  s.AddFrameFromBitmap(*CBitmap32::CreateFromRegion(strip, 2, 0, 2, 2).ToBitmap32(), true);
  ASSERT_EQ(s.GetMaskCount(), 2);
  EXPECT_TRUE(s.Collision_Point(At(0, 0, 1, 1, 0, 0), 0, 0));
  EXPECT_FALSE(s.Collision_Point(At(0, 0, 1, 1, 0, 1), 0, 0));
  EXPECT_TRUE(s.Collision_Point(At(0, 0, 1, 1, 0, 1), 1, 1));
  EXPECT_TRUE(s.Collision_Point(At(0, 0, 1, 1, 0, -1), 1, 1));  // frame -1 is frame 1
  EXPECT_TRUE(s.Collision_Point(At(0, 0, 1, 1, 0, 2), 0, 0));   // frame 2 is frame 0
}

TEST(PreciseCollision, DegenerateScalesNeverCollideOrCrash) {
  auto square = MaskSprite({"##", "##"});
  // Scale 0 and tiny scales map everything off the mask (infinite or huge coordinates are never
  // converted to integers); a huge scale maps every pixel near the origin.
  for (float scale : {0.0f, -0.0f, 1e-30f, 1e30f}) {
    SCOPED_TRACE(scale);
    EXPECT_EQ(square->Collision_Point(At(0, 0, scale, scale), 5, 5), scale == 1e30f);
    square->Collision_Sprite(At(0, 0, scale, scale), *square, At(0, 0));
    square->Collision_Rectangle(At(0, 0, scale, scale), {-3, -3, 3, 3});
    square->Collision_Line(At(0, 0, scale, scale, 30), -3, -2, 3, 3);
  }
}
