// Fonts from the FONT chunk (and damaged ones refused), sprite fonts, and text drawn plain,
// aligned, coloured and transformed, compared with golden images.
#include "graphics/drawing_fixture.h"

#include <filesystem>

#include "data/game_loader.h"
#include "graphics/fonts.h"
#include "graphics/text.h"
#include "support/runner_process.h"

namespace {

gamedata::Object DrawingObject(std::string draw, std::string gui) {
  gamedata::Object object;
  object.name = "obj_text";
  if (!draw.empty()) object.events.push_back({8, 0, {std::move(draw)}});
  object.events.push_back({8, 64, {std::move(gui)}});
  return object;
}

uint32_t At(const std::vector<uint32_t>& pixels, int x, int y) {
  return pixels[static_cast<size_t>(y) * 64 + static_cast<size_t>(x)] & 0xFFFFFFu;
}

// A font whose glyphs lie on the base game's sprite entry: "R" the red half, "G" the green.
gamedata::Font PageFont() {
  gamedata::Font font;
  font.name = "fnt_page";
  font.face = "Page";
  font.entry = 0;
  font.firstWord = 71 | (2u << 16) | (4u << 24);
  font.last = 82;
  font.glyphs = {{'G', 4, 0, 4, 4, 5, 0}, {'R', 0, 0, 4, 4, 5, 1}};
  return font;
}

}  // namespace

TEST_F(DrawingTest, FontChunkIsRead) {
  GameDataWriter game = BaseGame();
  game.fonts.push_back(PageFont());
  game.fonts.push_back(PageFont());
  game.fonts[1].name = "fnt_second";
  game.fonts[1].glyphs.clear();
  Load(game);
  ASSERT_EQ(Font_Count(), 2);
  EXPECT_EQ(Font_Find("fnt_second"), 1);
  EXPECT_EQ(Font_Find("fnt_missing"), -1);
  EXPECT_EQ(Font_Name(0), "fnt_page");
  const CFontKF* font = Font_Data(0);
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(font->GetName(), "Page");
  EXPECT_EQ(font->GetFirst(), 71);
  EXPECT_EQ(font->GetLast(), 82);
  EXPECT_EQ(font->attributeA, 2);
  EXPECT_EQ(font->attributeB, 3);
  EXPECT_EQ(font->GetHeight(), 4);
  ASSERT_NE(font->FindGlyph(u'R'), nullptr);
  EXPECT_EQ(font->FindGlyph(u'R')->offset, 1);
  EXPECT_EQ(font->FindGlyph(u'X'), nullptr);
  // A character without a glyph measures as the first glyph.
  EXPECT_EQ(font->TextWidth(u"R?G"), 15);
  EXPECT_EQ(Font_Data(1)->TextWidth(u"RG"), 0);
  // The first font added at run time follows the loaded ones.
  EXPECT_EQ(Font_Add("Sans", 10, false, false, 32, 127), 2);
  EXPECT_EQ(Font_Name(2), "__newfont2");
}

TEST_F(DrawingTest, DamagedFontChunkFailsTheLoad) {
  GameDataWriter game = BaseGame();
  game.fonts.push_back(PageFont());
  const std::vector<uint8_t> good = game.Build();
  const std::vector<ChunkLayoutEntry> layout = ChunkLayout(good);
  const ChunkLayoutEntry* font = FindChunk(layout, "FONT");
  ASSERT_NE(font, nullptr);
  const uint32_t record = ReadU32(good, font->bodyOffset + 4);
  const uint32_t fileEnd = static_cast<uint32_t>(good.size());
  struct Damage {
    const char* what;
    uint32_t at;
    uint32_t value;
  };
  const Damage damages[] = {
      {"font count past the chunk", font->bodyOffset, 5000},
      {"record outside the chunk", font->bodyOffset + 4, fileEnd + 16},
      {"record in the header", font->bodyOffset + 4, 8},
      {"glyph count past the chunk", record + 40, 0x10000000},
      {"negative glyph count", record + 40, 0xFFFFFFFF},
      {"glyph outside the file", record + 44, fileEnd + 100},
      {"glyph outside its chunk", record + 44, 12},
      {"glyph straddling the chunk's end", record + 44, font->bodyOffset + font->length - 4},
      {"page entry outside the file", record + 28, fileEnd - 2},
      {"face name outside the file", record + 4, fileEnd + 1},
  };
  for (const Damage& d : damages) {
    std::vector<uint8_t> image = good;
    WriteU32(image, d.at, d.value);
    EXPECT_EQ(GameData_LoadImage(std::move(image)), GameLoadResult::Failed) << d.what;
    EXPECT_EQ(Font_Count(), 0) << d.what;
  }
  EXPECT_EQ(GameData_LoadImage(good), GameLoadResult::Loaded);
  EXPECT_EQ(Font_Count(), 1);
}

TEST_F(DrawingTest, BuiltInFontPlainAndAligned) {
  GameDataWriter game = BaseGame();
  game.objects.push_back(DrawingObject(
      "draw_set_color(c_white); draw_text(2, 2, \"Hi#42\");"
      "draw_set_halign(fa_center); draw_set_color(c_yellow); draw_text(32, 27, 7);"
      "draw_set_halign(fa_right); draw_set_valign(fa_bottom); draw_set_color(c_aqua);"
      "draw_text_ext(62, 62, \"ab cd\", 10, 20);"
      "draw_set_halign(fa_left); draw_set_valign(fa_top);",
      "screen_save(\"text_plain.png\");"));
  Load(game);
  Add(0, 0, 0);
  DrawRoomFrame();
  int w = 0, h = 0;
  auto pixels = SavedPng("text_plain.png", w, h);
  ASSERT_EQ(w, 64);
  EXPECT_EQ(At(pixels, 3, 4), 0xFFFFFFu);   // the stem of "H": cell x + 1, row 2
  EXPECT_EQ(At(pixels, 3, 16), 0x000000u);  // "4" on the second line has no pixel there
  EXPECT_EQ(At(pixels, 6, 16), 0xFFFFFFu);  // the stem of "4"
  // "7" centred on 32: an odd width 7 moves left by 3.
  EXPECT_EQ(At(pixels, 30, 29), 0xFFFF00u);
  EXPECT_EQ(At(pixels, 34, 29), 0xFFFF00u);
  // Two lines 10 apart, right-aligned to 62 and bottom-aligned to 62 (start 62 - 20).
  EXPECT_EQ(At(pixels, 60, 54), 0x00FFFFu);  // "d": its right stem on the second line, at 48 + 7 + 5
  ExpectSavedGolden("text_plain");
}

TEST_F(DrawingTest, ColouredAndTransformedText) {
  GameDataWriter game = BaseGame();
  game.objects.push_back(DrawingObject(
      "draw_text_color(4, 2, \"MMMMMMMM\", c_red, c_blue, c_blue, c_red, 1);"
      "draw_set_color(c_lime); draw_text_transformed(20, 20, \"AB\", 2, 2, 0);"
      "draw_text_transformed(8, 60, \"Up\", 1, 1, 90);"
      "draw_set_halign(fa_center);"
      "draw_text_transformed_color(44, 50, \"XY\", 1, 1, 180, c_white, c_white, c_fuchsia, c_fuchsia, 0.5);"
      "draw_set_halign(fa_left);",
      "screen_save(\"text_transformed.png\");"));
  Load(game);
  Add(0, 0, 0);
  DrawRoomFrame();
  int w = 0, h = 0;
  auto pixels = SavedPng("text_transformed.png", w, h);
  ASSERT_EQ(w, 64);
  // The left stem of the first "M" is red, the right stem of the last one blue. Coloured
  // glyphs of a font without a page entry sit half a pixel up and left, as every general
  // quad of a texture does: one pixel here.
  EXPECT_GT(At(pixels, 4, 5) >> 16, 0xE0u);
  EXPECT_GT(At(pixels, 57, 5) & 0xFFu, 0xE0u);
  EXPECT_EQ(At(pixels, 5, 5), 0u);
  // "A" at twice the size: its top row (0x0E) covers x 24..29 at y 24..25.
  EXPECT_EQ(At(pixels, 25, 24), 0x00FF00u);
  EXPECT_EQ(At(pixels, 25, 26), 0x000000u);
  ExpectSavedGolden("text_transformed");
}

TEST_F(DrawingTest, ChunkAndSpriteFontsDraw) {
  GameDataWriter game = BaseGame();
  game.fonts.push_back(PageFont());
  game.objects.push_back(DrawingObject(
      "draw_set_color(c_white); draw_set_font(fnt_page); draw_text(10, 10, \"RGR\"); draw_text(40, 10, \"R?G\");"
      "draw_text_ext_color(10, 20, \"R G#GR\", -1, -1, c_white, c_white, c_gray, c_gray, 1);"
      "draw_set_font(1); draw_text(10, 40, \"A A\"); draw_text_transformed(40, 40, \"AA\", 1, 2, 0);"
      "draw_set_font(-1);",
      "screen_save(\"text_fonts.png\");"));
  Load(game);
  // A sprite font of the one-frame sprite: "A" and an appended space, 8 + 2 apart.
  ASSERT_EQ(Font_AddSpriteExt(0, "ABC", false, 2), 1);
  const CFontKF* sprites = Font_Data(1);
  ASSERT_EQ(sprites->Glyphs().size(), 2u);
  EXPECT_EQ(sprites->TextWidth(u"A A"), 30);
  EXPECT_EQ(sprites->GetHeight(), 4);
  Add(0, 0, 0);
  DrawRoomFrame();
  int w = 0, h = 0;
  auto pixels = SavedPng("text_fonts.png", w, h);
  ASSERT_EQ(w, 64);
  EXPECT_EQ(At(pixels, 11, 10), 0xFF0000u);  // R (offset 1) at 11..14
  EXPECT_EQ(At(pixels, 15, 10), 0x00FF00u);  // G at pen 15
  EXPECT_EQ(At(pixels, 21, 10), 0xFF0000u);  // R again at 21
  // A character without a glyph draws nothing and does not move the pen.
  EXPECT_EQ(At(pixels, 45, 10), 0x00FF00u);
  ExpectSavedGolden("text_fonts");
}

TEST_F(DrawingTest, LongLineDrawsInPieces) {
  // More glyphs than one batch reservation holds.
  GameDataWriter game = BaseGame();
  game.objects.push_back(DrawingObject("draw_set_color(c_white); draw_text(0, 0, string_repeat(\"i\", 7000));"
                                       "draw_text_transformed(0, 20, string_repeat(\"i\", 7000), 1, 1, 0);",
                                       "screen_save(\"long.png\");"));
  Load(game);
  Add(0, 0, 0);
  DrawRoomFrame();
  int w = 0, h = 0;
  auto pixels = SavedPng("long.png", w, h);
  ASSERT_EQ(w, 64);
  EXPECT_EQ(At(pixels, 3, 2), 0xFFFFFFu);  // the dot of the first "i"
  EXPECT_EQ(At(pixels, 3, 3), 0x000000u);
  EXPECT_EQ(At(pixels, 59, 22), 0xFFFFFFu);  // the dot of the ninth "i" of the second line
}

namespace {

class FontTextGame : public DrawingGameTest {};

TEST_P(FontTextGame, RunnerBinaryDrawsTextInBothFonts) {
  // Start-up builds the built-in font on first need and shut-down frees it after the table.
  GameDataWriter game = BaseGame();
  game.fonts.push_back(PageFont());
  gamedata::Object writer;
  writer.name = "obj_writer";
  writer.events.push_back({8, 64,
                           {"draw_set_color(c_white); draw_set_font(-1); draw_text(2, 2, \"Kiln#\" + string(string_width(\"ab\")));"
                            "draw_set_font(fnt_page); draw_text(2, 40, \"RGR\");"
                            "screen_save(\"runner_text.png\"); game_end();"}});
  game.objects.push_back(writer);
  gamedata::Room room;
  room.name = "rm_text";
  room.width = room.height = 64;
  room.colour = 0x000000;
  room.instances.push_back({0, 0, 0, 100001, {""}});
  game.rooms.push_back(room);
  game.header.lastInstanceId = 100100;

  const RunnerResult run = RunGameSaving(game, {"runner_text.png"}, {"-inawindow", "-noaudio"});
  ASSERT_EQ(run.exitCode, 0) << run.output;
  ASSERT_TRUE(std::filesystem::exists(saveArea->path() + "/runner_text.png")) << run.output;
  ExpectSavedGolden("runner_text");
}

INSTANTIATE_GAME_FORMS(FontTextGame);

}  // namespace
