// Backgrounds: BGND records with their size from the texture-page entry, damaged records,
// backgrounds added from files with their size, copies and the alpha copy.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <functional>

#include "data/background.h"
#include "data/resource_textures.h"
#include "platform/bitmap.h"
#include "platform/file_locations.h"
#include "sprite_records.h"
#include "support/console_capture.h"

namespace {

TestBackgroundRecord Record(const std::string& name, int16_t fullWidth, int16_t fullHeight) {
  TestBackgroundRecord r;
  r.name = name;
  r.transparent = 1;
  r.preload = 1;
  int16_t fields[11] = {4, 8, fullWidth, fullHeight, 0, 0, fullWidth, fullHeight, fullWidth, fullHeight, 1};
  std::copy(fields, fields + 11, r.entry.fields);
  return r;
}

class BackgroundTest : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::temp_directory_path() /
              ("kf_background_" + std::to_string(getpid()) + "_" +
               testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(folder_);
    std::filesystem::create_directories(folder_ / "save");
    FileLocations_SetGameFolder(folder_.string());
    FileLocations_SetSaveArea((folder_ / "save").string());
    ResourceTextures_Install({[this](const CBitmap32&) { return nextTexture_++; }, nullptr,
                              [this](int32_t id) { freed_.push_back(id); }, nullptr});
    Background_Clear();
  }
  void TearDown() override {
    Background_FreeAll();
    ResourceTextures_Install({});
    FileLocations_Reset();
    std::error_code error;
    std::filesystem::remove_all(folder_, error);
  }
  std::string Path(const std::string& name) const { return (folder_ / name).string(); }

  std::filesystem::path folder_;
  int32_t nextTexture_ = 1;
  std::vector<int32_t> freed_;
};

}  // namespace

TEST_F(BackgroundTest, ChunkRecordsTakeTheirSizeFromTheEntry) {
  TestBackgroundRecord hole;
  hole.empty = true;
  TestChunkImage chunk = BuildBackgroundChunk({Record("bg_sky", 320, 200), hole, Record("bg_tiles", 64, 32)});
  ASSERT_TRUE(Background_Load(chunk.image, chunk.bodyOffset, chunk.bodySize));
  ASSERT_EQ(Background_GetCount(), 3);
  EXPECT_EQ(Background_Name(1), "<undefined>");
  EXPECT_EQ(Background_Find("bg_tiles"), 2);
  const CBackground& sky = *Background_Data(0);
  EXPECT_EQ(sky.GetWidth(), 320);
  EXPECT_EQ(sky.GetHeight(), 200);
  EXPECT_TRUE(sky.GetTransparent());
  EXPECT_FALSE(sky.GetSmooth());
  EXPECT_TRUE(sky.GetPreload());
  EXPECT_EQ(sky.PageEntry().x, 4);
  EXPECT_NE(sky.GetTexture().pageEntry, 0u);
  EXPECT_EQ(sky.Image(), nullptr);

  // A game-file background's copy draws from the same entry.
  int32_t copy = Background_Duplicate(0);
  EXPECT_EQ(Background_Name(copy), "__newbackground3");
  EXPECT_EQ(Background_Data(copy)->GetTexture(), sky.GetTexture());
  EXPECT_EQ(Background_Data(copy)->GetWidth(), 320);

  // Damage: each refused, the table kept.
  const uint32_t record = chunk.recordOffsets[0], size = static_cast<uint32_t>(chunk.image.size());
  struct Case {
    const char* name;
    std::function<void(TestChunkImage&)> damage;
  } cases[] = {
      {"record cut by the chunk end", [&](TestChunkImage& c) { c.bodySize = record + 12 - c.bodyOffset; }},
      {"entry past the file", [&](TestChunkImage& c) { PutWord(c.image, record + 16, size - 4); }},
      {"name past the file", [&](TestChunkImage& c) { PutWord(c.image, record, size + 40); }},
      {"record before the chunk", [&](TestChunkImage& c) { PutWord(c.image, 12, 4); }},
      {"count past the body", [&](TestChunkImage& c) { PutWord(c.image, 8, 1000); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestChunkImage damaged = chunk;
    c.damage(damaged);
    EXPECT_FALSE(Background_Load(damaged.image, damaged.bodyOffset, damaged.bodySize));
    EXPECT_EQ(Background_GetCount(), 4);
  }
}

TEST_F(BackgroundTest, AddedFromFilesWithTheirSize) {
  CBitmap32 picture(5, 3, 0x0000FF);
  picture.SetPixel(2, 1, 0xFF00FF00);
  ASSERT_TRUE(picture.write_png_file(Path("bg.png")));

  int32_t a = Background_Add("bg.png", true, false, false);
  ASSERT_EQ(a, 0);
  EXPECT_EQ(Background_Name(a), "__newbackground0");
  const CBackground& bg = *Background_Data(a);
  EXPECT_EQ(bg.GetWidth(), 5);
  EXPECT_EQ(bg.GetHeight(), 3);
  ASSERT_NE(bg.Image(), nullptr);
  EXPECT_EQ(bg.Image()->Pixel(0, 0) >> 24, 0u);  // the colour key (bottom-left red) applied
  EXPECT_EQ(bg.Image()->Pixel(2, 1), 0xFF00FF00u);
  EXPECT_EQ(bg.GetTexture().textureId, 1);
  EXPECT_EQ(bg.GetTexture().pageEntry, 0u);

  int32_t alpha = Background_AddAlpha("bg.png", true);
  EXPECT_EQ(Background_Data(alpha)->Image()->Pixel(0, 0), 0xFFFF0000u);  // own alpha kept

  EXPECT_EQ(Background_Add("missing.png", false, false, false), -1);
  EXPECT_EQ(Background_GetCount(), 2);
  EXPECT_FALSE(Background_Replace(7, "bg.png", false, false, false));
  EXPECT_FALSE(Background_Replace(0, "missing.png", false, false, false));

  // Replacing keeps the slot's name and releases the old texture.
  CBitmap32(2, 9, 0).write_png_file(Path("tall.png"));
  EXPECT_TRUE(Background_Replace(a, "tall.png", false, false, false));
  EXPECT_EQ(Background_Data(a)->GetHeight(), 9);
  EXPECT_EQ(Background_Name(a), "__newbackground0");
  EXPECT_EQ(freed_, (std::vector<int32_t>{1}));

  EXPECT_TRUE(Background_Delete(a));
  EXPECT_FALSE(Background_Exists(a));
  EXPECT_FALSE(Background_Delete(a));
  EXPECT_FALSE(Background_Assign(a, 9));
  EXPECT_TRUE(Background_Assign(a, alpha));
  EXPECT_EQ(Background_Data(a)->GetWidth(), 5);
}

TEST_F(BackgroundTest, ColourGradientAndAlphaCopy) {
  CBackground colour;
  colour.CreateColor(4, 2, 0x102030, false);
  EXPECT_EQ(colour.GetWidth(), 4);
  EXPECT_EQ(colour.Image()->Pixel(3, 1), 0xFF302010u);
  CBackground gradient;
  gradient.CreateGradient(4, 4, 0xFFFFFF, 0, 1, false);
  EXPECT_EQ(gradient.Image()->Pixel(0, 0), 0xFFFFFFFFu);

  colour.SetAlphaFromBackground(gradient);
  EXPECT_EQ(colour.Image()->Pixel(0, 0) >> 24, 255u);
  EXPECT_EQ(colour.Image()->Pixel(0, 1) >> 24, 191u);  // row 1 of 4: brightness 191

  // A game-file background has no image: only the console line.
  TestChunkImage chunk = BuildBackgroundChunk({Record("bg_file", 8, 8)});
  CBackground fromFile;
  std::string name;
  ASSERT_TRUE(fromFile.LoadFromChunk(chunk.image, chunk.recordOffsets[0], chunk.bodyOffset + chunk.bodySize, name));
  ConsoleCapture console;
  colour.SetAlphaFromBackground(fromFile);
  fromFile.SetAlphaFromBackground(colour);
  EXPECT_EQ(console.Text(), "Both bitmaps need to be duplicated first\nBoth bitmaps need to be duplicated first\n");
  EXPECT_EQ(colour.Image()->Pixel(0, 1) >> 24, 191u);

  auto saved = colour.CreateBitmap();
  ASSERT_TRUE(saved);
  EXPECT_EQ(saved->GetWidth(), 4);
  EXPECT_EQ(fromFile.CreateBitmap(), nullptr);
}
