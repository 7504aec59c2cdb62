// The arithmetic of the primitives and textured quads where it shows: circle precision,
// vertex counts, the primitive builder's limits, the first tile's column, the cut of a part
// drawn from a cropped page entry, health bars, game pages made on their first draw.
#include "graphics/drawing_fixture.h"

#include <fstream>
#include <iterator>

#include "data/sprite.h"
#include "functions/graphics_functions.h"
#include "graphics/primitives.h"
#include "graphics/texture_table.h"
#include "graphics/textured_quads.h"

namespace {

uint32_t Pixel(const std::vector<uint32_t>& pixels, int x, int y) {
  return pixels[static_cast<size_t>(y) * 64 + static_cast<size_t>(x)] & 0xFFFFFFu;
}

// A frame with the room's projection, the drawing done by draw, and the screen read back.
template <typename Draw>
std::vector<uint32_t> Frame(Draw draw) {
  EXPECT_TRUE(GR_D3D_Start_Frame());
  Graphics::Clear(0, 1.0f, 0, 7);
  GR_Set_Viewport(0, 0, 64, 64);
  GR_Set_View_Projection(0, 0, 64, 64, 0);
  draw();
  GR_D3D_Batch_Flush();
  auto pixels = Graphics_GrabSurfaceRect(Graphics_ScreenTexture(), 0, 0, 64, 64);
  GR_D3D_Finish_Frame(false);
  return pixels;
}

// The first pixel at or after x0 on row y whose colour is not black.
int FirstLit(const std::vector<uint32_t>& pixels, int y, int x0 = 0) {
  for (int x = x0; x < 64; ++x) {
    if (Pixel(pixels, x, y) != 0) return x;
  }
  return -1;
}

}  // namespace

TEST_F(DrawingTest, CirclePrecisionIsClampedToMultiplesOfFour) {
  const std::pair<int, int> cases[] = {{2, 4}, {4, 4}, {30, 28}, {64, 64}, {100, 64}, {-7, 4}};
  for (auto [asked, kept] : cases) {
    GR_Draw_Set_Circle_Precision(asked);
    EXPECT_EQ(GR_Draw_Get_Circle_Precision(), kept) << asked;
  }
}

TEST_F(DrawingTest, VertexCountsOfShapes) {
  GR_Draw_Set_Circle_Precision(24);
  ASSERT_TRUE(GR_D3D_Start_Frame());
  struct Case {
    const char* what;
    void (*draw)();
    int vertices;
  } cases[] = {
      {"filled circle", [] { GR_Draw_Circle(20, 20, 8, false); }, 72},
      {"outlined circle", [] { GR_Draw_Circle(20, 20, 8, true); }, 25},
      {"filled rectangle", [] { GR_Draw_Rectangle(1, 1, 5, 5, false); }, 6},
      {"rounded rectangle", [] { GR_Draw_Roundrect(1, 1, 30, 20, 10, 10, false); }, 24 + 6},
      {"arrow's head (its line went first)", [] { GR_Draw_Arrow(1, 1, 30, 1, 4); }, 3},
      {"zero-length arrow", [] { GR_Draw_Arrow(5, 5, 5, 5, 4); }, 0},
      {"zero-length thick line", [] { GR_Draw_Line_Width(5, 5, 5, 5, 3); }, 0},
  };
  for (const Case& c : cases) {
    GR_D3D_Batch_Flush();
    c.draw();
    const int pending = GR_D3D_Batch_PendingCount();
    GR_D3D_Batch_Flush();
    EXPECT_EQ(pending, c.vertices) << c.what;
  }
  GR_D3D_Finish_Frame(false);
}

TEST_F(DrawingTest, PrimitiveBuilderKeepsAThousandAndOneVertices) {
  ASSERT_TRUE(GR_D3D_Start_Frame());
  GR_Draw_Primitive_Begin(kPrimPointList, -1);
  for (int i = 0; i < 1002; ++i) GR_Draw_Vertex(static_cast<float>(i % 64), 1.0f);
  EXPECT_EQ(GR_Draw_Primitive_Count(), kPrimitiveBuilderCapacity);
  GR_D3D_Batch_Flush();
  GR_Draw_Primitive_End();
  EXPECT_EQ(GR_D3D_Batch_PendingCount(), kPrimitiveBuilderCapacity);
  GR_D3D_Batch_Flush();
  GR_Draw_Primitive_Begin(7, -1);
  GR_Draw_Vertex(1, 1);
  GR_Draw_Primitive_End();
  EXPECT_EQ(GR_D3D_Batch_PendingCount(), 0);
  GR_D3D_Finish_Frame(false);
}

TEST_F(DrawingTest, FirstTiledColumnCoversTheRegionsLeftEdge) {
  // A 32 x 2 texture whose first column is red and the rest white.
  std::vector<uint32_t> texels(64, 0xFFFFFFFFu);
  texels[0] = texels[32] = 0xFFFF0000u;
  const int id = GR_Texture_Create_From_Pixels(32, 2, reinterpret_cast<uint8_t*>(texels.data()), 64 * 4);
  ASSERT_GE(id, 0);
  GR_Texture_Set_Interpolation(false);
  auto pixels = Frame([id] {
    GR_Draw_Texture_Tiled(id, 0, 0, 10, 0, 1, 1, true, false, 0, 0, 64, 64, 0xFFFFFF, 1);
  });
  // Columns at -22, 10 and 42, each half a pixel up and left, so that their first texel
  // lands on pixels 9 and 41.
  EXPECT_EQ(Pixel(pixels, 8, 0), 0xFFFFFFu);
  EXPECT_EQ(Pixel(pixels, 9, 0), 0xFF0000u);
  EXPECT_EQ(Pixel(pixels, 41, 0), 0xFF0000u);
  EXPECT_EQ(Pixel(pixels, 0, 0), 0xFFFFFFu);
  EXPECT_EQ(Pixel(pixels, 9, 3), 0u);  // no tiling downwards
}

TEST_F(DrawingTest, PartOfACroppedEntryMovesByTheCut) {
  std::vector<uint32_t> texels(64 * 4, 0xFFFFFFFFu);
  const int id = GR_Texture_Create_From_Pixels(64, 4, reinterpret_cast<uint8_t*>(texels.data()), texels.size() * 4);
  ASSERT_GE(id, 0);
  GR_Texture_Pages_Set(&id, 1);
  // An 8 x 4 rectangle that sits 3 pixels into an 11 x 4 frame.
  TPageRecord entry;
  entry.offset = 1;
  entry.width = entry.cropWidth = 8;
  entry.height = entry.cropHeight = entry.fullHeight = 4;
  entry.fullWidth = 11;
  entry.xOffset = 3;
  auto ext = Frame([&] { GR_Draw_TPE_Part_Ext(entry, 0, 0, 11, 4, 10, 10, 2, 1, 0, 0xFFFFFF, 1); });
  EXPECT_EQ(FirstLit(ext, 11), 16);       // moved by the cut times the scale
  EXPECT_EQ(FirstLit(ext, 11, 16 + 16), -1);  // 8 source pixels, doubled
  EXPECT_EQ(Pixel(ext, 31, 11), 0xFFFFFFu);
  auto general = Frame([&] {
    GR_Draw_TPE_General(entry, 0, 0, 11, 4, 10, 10, 2, 1, 0, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 1);
  });
  EXPECT_EQ(FirstLit(general, 11), 13);  // moved by the cut alone
  EXPECT_EQ(Pixel(general, 28, 11), 0xFFFFFFu);
  EXPECT_EQ(Pixel(general, 29, 11), 0u);
}

TEST_F(DrawingTest, HealthBarColoursAndAmounts) {
  // Back black, min red, mid blue, max lime; bars from the left over 40 pixels.
  struct Case {
    float amount;
    int lastLit;  // the last column of the bar, -1 for none
    uint32_t colour;
  } cases[] = {{150, 49, 0x00FF00u}, {50, 29, 0x0000FFu}, {-5, -1, 0u}, {25, 19, 0x800080u}};
  for (const Case& c : cases) {
    auto pixels = Frame([&] {
      GR_Draw_Healthbar(10, 10, 50, 20, c.amount, 0x000000, 0x0000FF, 0xFF0000, 0x00FF00, 0, false, false);
    });
    if (c.lastLit < 0) {
      EXPECT_EQ(FirstLit(pixels, 15), -1) << c.amount;
      continue;
    }
    EXPECT_EQ(FirstLit(pixels, 15), 10) << c.amount;
    EXPECT_NE(Pixel(pixels, c.lastLit, 15), 0u) << c.amount;
    EXPECT_EQ(Pixel(pixels, c.lastLit + 1, 15), 0u) << c.amount;
    const uint32_t got = Pixel(pixels, 12, 15);
    for (int shift : {0, 8, 16}) {
      EXPECT_NEAR(static_cast<int>((got >> shift) & 0xFF), static_cast<int>((c.colour >> shift) & 0xFF), 2)
          << c.amount;
    }
  }
}
TEST_F(DrawingTest, LaterFramesDrawLikeTheFirst) {
  // The end of a frame puts the world transform back as it found it: the second and third
  // frames must show what they draw.
  for (int i = 0; i < 3; ++i) {
    auto pixels = Frame([i] {
      GR_Draw_Set_Color(0xFFFFFF);
      GR_Draw_Rectangle(static_cast<float>(10 + i * 20), 10, static_cast<float>(20 + i * 20), 20, false);
    });
    EXPECT_EQ(Pixel(pixels, 15 + i * 20, 15), 0xFFFFFFu) << "frame " << i;
  }
}

TEST_F(DrawingTest, SubImageRuleOfTheSpriteBuiltins) {
  Load(BaseGame());
  CInstance& self = Add(0, 0, 0);
  self.image_index = 2.7f;
  struct Case {
    BuiltinFunction fn;
    double sprite, subimg;
    uint32_t colour;
  } cases[] = {
      {F_DrawSprite, 1, 0, 0xFF0000u},       {F_DrawSprite, 1, -1, 0x0000FFu},  // image_index 2.7: frame 2
      {F_DrawSprite, 1, 9, 0x00FF00u},       {F_DrawSprite, 1, 3.9999, 0xFFFFFFu},
      {F_DrawSprite, 1.9, 1, 0x00FF00u},  // the sprite is truncated
  };
  for (const Case& c : cases) {
    auto pixels = Frame([&] {
      std::vector<ScriptValue> args = {ScriptValue::Real(c.sprite), ScriptValue::Real(c.subimg),
                                       ScriptValue::Real(10), ScriptValue::Real(10)};
      ScriptValue result;
      c.fn(result, &self, &self, 4, args.data());
    });
    EXPECT_EQ(Pixel(pixels, 10, 10), c.colour) << c.sprite << ", " << c.subimg;
  }
  // draw_sprite_pos takes -1 as it is: the last frame, not image_index.
  auto pixels = Frame([&] {
    std::vector<ScriptValue> args;
    for (double v : {1.0, -1.0, 10.0, 10.0, 20.0, 10.0, 20.0, 20.0, 10.0, 20.0, 1.0}) args.push_back(ScriptValue::Real(v));
    ScriptValue result;
    F_DrawSpritePos(result, &self, &self, 11, args.data());
  });
  EXPECT_EQ(Pixel(pixels, 15, 15), 0xFFFFFFu);
}

TEST_F(DrawingTest, ScreenSavePartClipsToTheWindowAndWritesBmpForOtherNames) {
  auto call = [](BuiltinFunction fn, std::vector<ScriptValue> args) {
    ScriptValue result;
    fn(result, nullptr, nullptr, static_cast<int>(args.size()), args.data());
  };
  ASSERT_TRUE(GR_D3D_Start_Frame());
  GR_Set_Viewport(0, 0, 64, 64);
  GR_Set_View_Projection(0, 0, 64, 64, 0);
  GR_Draw_Clear(0xFF0000FFu);  // red
  call(F_ScreenSavePart, {ScriptValue::String("part.png"), ScriptValue::Real(-10), ScriptValue::Real(0),
                          ScriptValue::Real(30), ScriptValue::Real(5)});
  call(F_ScreenSavePart, {ScriptValue::String("edge.png"), ScriptValue::Real(60), ScriptValue::Real(62),
                          ScriptValue::Real(30), ScriptValue::Real(30)});
  call(F_ScreenSave, {ScriptValue::String("whole.bmp")});
  call(F_ScreenSavePart, {ScriptValue::String("none.png"), ScriptValue::Real(64), ScriptValue::Real(0),
                          ScriptValue::Real(5), ScriptValue::Real(5)});
  GR_D3D_Finish_Frame(false);
  int w = 0, h = 0;
  auto part = SavedPng("part.png", w, h);
  EXPECT_EQ(w, 20);
  EXPECT_EQ(h, 5);
  ASSERT_FALSE(part.empty());
  EXPECT_EQ(part[0] & 0xFFFFFFu, 0xFF0000u);
  SavedPng("edge.png", w, h);
  EXPECT_EQ(w, 4);
  EXPECT_EQ(h, 2);
  EXPECT_FALSE(std::ifstream(saveArea->path() + "/none.png"));
  std::ifstream bmp(saveArea->path() + "/whole.bmp", std::ios::binary);
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(bmp)), std::istreambuf_iterator<char>());
  ASSERT_EQ(bytes.size(), 54u + 64u * 64u * 3u);
  EXPECT_EQ(bytes[0], 'B');
  EXPECT_EQ(bytes[1], 'M');
  EXPECT_EQ(bytes[18], 64);              // width
  EXPECT_EQ(bytes[28], 24);              // bits per pixel
  EXPECT_EQ(bytes[54 + 2], 0xFF);        // red, stored B G R
  EXPECT_EQ(bytes[54 + 0], 0x00);
}

TEST_F(DrawingTest, GamePagesBecomeTexturesWhenFirstDrawnFromInTheirOwnColours) {
  // Two 64 x 64 pages (a size that needs no rounding, so the page goes to the device straight
  // from the file): the first red on its left half and blue on its right, the second never
  // drawn from.
  GameDataWriter game;
  std::vector<uint8_t> page(64 * 64 * 4);
  for (size_t i = 0; i < 64 * 64; ++i) {
    const bool left = i % 64 < 32;
    page[i * 4] = left ? 0xFF : 0x00;
    page[i * 4 + 2] = left ? 0x00 : 0xFF;
    page[i * 4 + 3] = 0xFF;
  }
  game.textures.push_back(gamedata::RawImage(64, 64, page));
  game.textures.push_back(gamedata::RawImage(64, 64, std::vector<uint8_t>(64 * 64 * 4, 0xFF)));
  game.texturePageEntries.push_back({0, 0, 64, 64, 0, 0, 64, 64, 64, 64, 0});
  game.texturePageEntries.push_back({0, 0, 64, 64, 0, 0, 64, 64, 64, 64, 1});
  for (int32_t s = 0; s < 2; ++s) {
    gamedata::Sprite sprite;
    sprite.name = "spr_page" + std::to_string(s);
    sprite.width = sprite.height = 64;
    sprite.bboxRight = sprite.bboxBottom = 63;
    sprite.frames = {s};
    game.sprites.push_back(sprite);
  }
  Load(game);
  const int loaded = GR_Texture_Count();
  const TPageRecord entry = Sprite_Data(0)->PageEntries()[0];
  GR_Texture_Set_Interpolation(false);
  const auto draw = [&] { GR_Draw_TPE_Part_Ext(entry, 0, 0, 64, 64, 0, 0, 1, 1, 0, 0xFFFFFF, 1); };
  auto pixels = Frame(draw);
  EXPECT_EQ(Pixel(pixels, 10, 10), 0xFF0000u);
  EXPECT_EQ(Pixel(pixels, 50, 10), 0x0000FFu);
  pixels = Frame(draw);
  EXPECT_EQ(Pixel(pixels, 50, 50), 0x0000FFu);
  EXPECT_EQ(GR_Texture_Count(), loaded + 1);  // the first page, made once; the second never
}
