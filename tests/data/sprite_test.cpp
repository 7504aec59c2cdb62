// Sprites: SPRT records with their entries and masks, damaged records refused, sprites added at
// run time from files and URLs, and the table operations around them.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <thread>

#include "data/resource_textures.h"
#include "data/sprite.h"
#include "platform/bitmap.h"
#include "platform/ds_map.h"
#include "platform/file_locations.h"
#include "platform/http.h"
#include "sprite_records.h"
#include "support/console_capture.h"
#include "support/image_fixtures.h"
#include "support/local_http_server.h"

namespace {

TestPageEntry Entry(int16_t xOffset, int16_t yOffset, int16_t width, int16_t height, int16_t page) {
  TestPageEntry e;
  int16_t fields[11] = {0, 0, width, height, xOffset, yOffset, width, height, 10, 3, page};
  std::copy(fields, fields + 11, e.fields);
  return e;
}

// A game folder of its own, textures counted by a stand-in for the graphics layer.
class SpriteTest : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::temp_directory_path() /
              ("kf_sprite_" + std::to_string(getpid()) + "_" + testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(folder_ / "data");
    std::filesystem::create_directories(folder_ / "save");
    FileLocations_SetGameFolder(folder_.string());
    FileLocations_SetSaveArea((folder_ / "save").string());
    // Pages read back as frames of one colour, opaque with the page number in blue; page 9
    // cannot be read.
    ResourceTextures_Install({[this](const CBitmap32&) { return nextTexture_++; },
                              [this](int32_t id) { preloaded_.push_back(id); },
                              [this](int32_t id) { freed_.push_back(id); },
                              [](const TPageRecord& entry, int32_t width, int32_t height) {
                                if (entry.texture == 9) return CBitmap32();
                                return CBitmap32(width, height, static_cast<uint32_t>(entry.texture) << 16);
                              }});
    Sprite_Clear();
  }
  void TearDown() override {
    Sprite_FreeAll();
    ResourceTextures_Install({});
    FileLocations_Reset();
    std::error_code error;
    std::filesystem::remove_all(folder_, error);
  }
  std::string Path(const std::string& name) const { return (folder_ / name).string(); }
  void WriteFile(const std::string& name, const std::vector<uint8_t>& bytes) const {
    std::filesystem::create_directories(std::filesystem::path(Path(name)).parent_path());
    std::ofstream(Path(name), std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  }

  std::filesystem::path folder_;
  int32_t nextTexture_ = 10;
  std::vector<int32_t> preloaded_, freed_;
};

// Two 4x4 frames side by side: frame 0 opaque at (1,1)-(2,2), frame 1 at (3,3); the rest clear.
CBitmap32 Strip() {
  CBitmap32 image(8, 4);
  for (int y = 1; y <= 2; ++y)
    for (int x = 1; x <= 2; ++x) image.SetPixel(x, y, 0xFF102030);
  image.SetPixel(7, 3, 0x80405060);
  return image;
}

}  // namespace

TEST_F(SpriteTest, ChunkRecordsGiveFieldsEntriesAndMasks) {
  TestSpriteRecord a;
  a.name = "spr_a";
  a.width = 10, a.height = 3;
  a.left = 1, a.right = 8, a.bottom = 2, a.top = 0;
  a.xOrigin = 5, a.yOrigin = 1;
  a.smooth = 1, a.bboxMode = 2;
  a.frames = {Entry(1, 0, 8, 3, 0), Entry(2, 1, 6, 2, 1)};
  a.masks = {{"#........#", ".#......#.", "##########"}, {"..........", ".........#", "#........."}};
  TestSpriteRecord shared;
  shared.name = "spr_shared";
  shared.frames = {Entry(0, 0, 4, 4, 0), Entry(0, 0, 4, 4, 0), Entry(0, 0, 4, 4, 0), Entry(0, 0, 4, 4, 2)};
  shared.masks = {{"#...", "....", "....", "...#"}};
  TestSpriteRecord bare;
  bare.name = "spr_bare";
  bare.width = 3, bare.height = 4;
  bare.frames = {Entry(0, 0, 3, 4, 0)};
  TestSpriteRecord hole;
  hole.empty = true;

  TestChunkImage chunk = BuildSpriteChunk({a, hole, shared, bare});
  ASSERT_TRUE(Sprite_Load(chunk.image, chunk.bodyOffset, chunk.bodySize));
  ASSERT_EQ(Sprite_GetCount(), 4);
  EXPECT_FALSE(Sprite_Exists(1));
  EXPECT_EQ(Sprite_GetName(1), "<undefined>");
  EXPECT_EQ(Sprite_Find("spr_shared"), 2);
  EXPECT_EQ(Sprite_Find("nothing"), -1);

  const CSprite& sa = *Sprite_Data(0);
  EXPECT_EQ(Sprite_GetName(0), "spr_a");
  EXPECT_EQ(sa.GetWidth(), 10);
  EXPECT_EQ(sa.GetHeight(), 3);
  CollisionBox box = sa.GetBbox();  // stored left, right, bottom, top
  EXPECT_EQ((std::vector<int32_t>{box.left, box.top, box.right, box.bottom}), (std::vector<int32_t>{1, 0, 8, 2}));
  EXPECT_EQ(sa.GetBboxMode(), BBoxMode::Manual);
  EXPECT_TRUE(sa.GetSmooth());
  EXPECT_EQ(sa.GetXOrigin(), 5);
  EXPECT_EQ(sa.GetRadius(), 6);  // farthest corner (5, 2): ceil(sqrt(29))
  EXPECT_EQ(sa.GetFrameCount(), 2);
  EXPECT_EQ(sa.GetTexture(1).pageEntry, sa.PageEntries()[1].offset);
  EXPECT_EQ(sa.GetTexture(1).textureId, -1);
  CollisionBox bounds = sa.GetFrameBounds(1);
  EXPECT_EQ((std::vector<int32_t>{bounds.left, bounds.top, bounds.right, bounds.bottom}),
            (std::vector<int32_t>{2, 1, 8, 3}));
  // Masks: bit 7 of each byte is the leftmost pixel; rows of 10 pixels take two bytes.
  ASSERT_TRUE(sa.MasksValid());
  EXPECT_FALSE(sa.SeparateMasks());
  std::span<const uint8_t> m0 = sa.MaskForFrame(0), m1 = sa.MaskForFrame(1);
  EXPECT_EQ((std::vector<uint8_t>(m0.begin(), m0.begin() + 10)), (std::vector<uint8_t>{1, 0, 0, 0, 0, 0, 0, 0, 0, 1}));
  EXPECT_EQ(m0[11], 1);
  EXPECT_EQ(m0[18], 1);
  EXPECT_EQ(m1[19], 1);
  EXPECT_EQ(m1[20], 1);
  EXPECT_EQ(m1[29], 0);

  // One stored mask serves all four frames; frame -1 is frame 3.
  const CSprite& ss = *Sprite_Data(2);
  EXPECT_TRUE(ss.SeparateMasks());
  EXPECT_EQ(ss.GetMaskCount(), 1);
  EXPECT_EQ(ss.MaskForFrame(3).data(), ss.MaskForFrame(0).data());
  EXPECT_EQ(ss.GetTexture(-1).pageEntry, ss.PageEntries()[3].offset);

  // No stored masks: none valid, and still a radius for the drawing cull.
  const CSprite& sb = *Sprite_Data(3);
  EXPECT_FALSE(sb.MasksValid());
  EXPECT_EQ(sb.GetRadius(), 5);
  EXPECT_TRUE(sb.Collision_Point({}, 100, 100));  // no masks: solid wherever the box says
}

TEST_F(SpriteTest, DamagedRecordsAreRefused) {
  TestSpriteRecord s;
  s.name = "spr";
  s.width = 10, s.height = 3;
  s.frames = {Entry(0, 0, 10, 3, 0)};
  s.masks = {{"##########", "..........", "##########"}};
  const TestChunkImage good = BuildSpriteChunk({s});
  const uint32_t record = good.recordOffsets[0];
  auto word = [&](int index) { return record + 4 * uint32_t(index); };
  const uint32_t size = static_cast<uint32_t>(good.image.size());

  struct Case {
    const char* name;
    std::function<void(TestChunkImage&)> damage;
  } cases[] = {
      {"body one byte short of its mask", [](TestChunkImage& c) { c.bodySize -= 1; }},
      {"body past the file", [](TestChunkImage& c) { c.bodySize += 100; }},
      {"list count past the body", [](TestChunkImage& c) { PutWord(c.image, 8, 0x10000000); }},
      {"record outside the chunk", [&](TestChunkImage& c) { PutWord(c.image, 12, size - 8); }},
      {"frame count past the chunk", [&](TestChunkImage& c) { PutWord(c.image, word(14), 0x40000000); }},
      {"two masks stored as one", [&](TestChunkImage& c) { PutWord(c.image, word(16), 2); }},
      {"mask count wraps", [&](TestChunkImage& c) { PutWord(c.image, word(16), 0xFFFFFFFF); }},
      {"width beyond the mask bytes", [&](TestChunkImage& c) { PutWord(c.image, word(1), 100000); }},
      {"negative height", [&](TestChunkImage& c) { PutWord(c.image, word(2), uint32_t(-3)); }},
      {"zero width with a mask", [&](TestChunkImage& c) { PutWord(c.image, word(1), 0); }},
      {"bbox mode 7", [&](TestChunkImage& c) { PutWord(c.image, word(10), 7); }},
      {"name past the file", [&](TestChunkImage& c) { PutWord(c.image, word(0), size + 4); }},
      {"name without its end", [&](TestChunkImage& c) {
         c.image.back() = 'x';
         PutWord(c.image, word(0), size - 1);
       }},
      {"entry running off the file", [&](TestChunkImage& c) { PutWord(c.image, word(15), size - 10); }},
  };
  // A table loaded before stays as it was.
  ASSERT_TRUE(Sprite_Load(good.image, good.bodyOffset, good.bodySize));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestChunkImage damaged = good;
    c.damage(damaged);
    EXPECT_FALSE(Sprite_Load(damaged.image, damaged.bodyOffset, damaged.bodySize));
    EXPECT_EQ(Sprite_GetCount(), 1);
    EXPECT_EQ(Sprite_GetName(0), "spr");
  }
}

TEST_F(SpriteTest, AddedFromAStripWithAlphaBoxAndMasks) {
  std::filesystem::create_directories(folder_ / "sub");
  ASSERT_TRUE(Strip().write_png_file(Path("sub/strip.png")));
  int32_t index = Sprite_Add("sub\\strip.png", 2, true, true, false, true, 2, 1);
  ASSERT_EQ(index, 0);
  EXPECT_EQ(Sprite_GetName(index), "__newsprite0");
  const CSprite& s = *Sprite_Data(index);
  EXPECT_EQ(s.GetFrameCount(), 2);
  EXPECT_EQ(s.GetWidth(), 4);
  EXPECT_EQ(s.GetHeight(), 4);
  EXPECT_EQ(s.GetYOrigin(), 1);
  EXPECT_EQ(s.FrameImages()[1].Pixel(3, 3), 0x80405060u);  // the file's own alpha kept
  CollisionBox box = s.GetBbox();  // union of both frames' opaque pixels
  EXPECT_EQ((std::vector<int32_t>{box.left, box.top, box.right, box.bottom}), (std::vector<int32_t>{1, 1, 3, 3}));
  ASSERT_TRUE(s.MasksValid());
  EXPECT_EQ(s.MaskForFrame(0)[1 * 4 + 1], 1);
  EXPECT_EQ(s.MaskForFrame(0)[0], 0);
  EXPECT_EQ(s.MaskForFrame(1)[15], 1);
  EXPECT_EQ(s.TextureIds(), (std::vector<int32_t>{10, 11}));
  EXPECT_EQ(preloaded_, (std::vector<int32_t>{10, 11}));
  EXPECT_EQ(s.GetTexture(-1).textureId, 11);
  auto saved = s.CreateFrameBitmap(1);
  ASSERT_TRUE(saved);
  EXPECT_EQ(CBitmap32::CreateFromBitmapAlpha(*saved, false, false).Pixel(3, 3), 0x80405060u);
  EXPECT_EQ(s.CreateFrameBitmap(2), nullptr);

  // Missing and undecodable files leave the table as it was.
  WriteFile("broken.png", {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0});
  EXPECT_EQ(Sprite_Add("missing.png", 1, true, true, false, true, 0, 0), -1);
  EXPECT_EQ(Sprite_Add("broken.png", 1, true, true, false, true, 0, 0), -1);
  EXPECT_EQ(Sprite_GetCount(), 1);

  // A file in the save area is found when the game folder lacks it.
  ASSERT_TRUE(Strip().write_png_file(FileLocations_SaveArea() + "saved.png"));
  EXPECT_EQ(Sprite_Add("saved.png", 1, false, true, false, false, 0, 0), 1);
  EXPECT_EQ(Sprite_Data(1)->GetWidth(), 8);
  EXPECT_FALSE(Sprite_Data(1)->MasksValid());  // not precise: no masks

  // Deleting frees the textures and leaves an empty slot.
  EXPECT_TRUE(Sprite_Delete(0));
  EXPECT_EQ(freed_, (std::vector<int32_t>{10, 11}));
  EXPECT_FALSE(Sprite_Delete(0));
  EXPECT_EQ(Sprite_GetName(0), "<undefined>");
}

TEST_F(SpriteTest, AnimatedGifGivesOneFramePerImage) {
  WriteFile("anim.gif", Fixture_Gif({{0, 1, 2, 3}, {1, 1, 1, 1}, {0, 0, 0, 3}}));
  int32_t index = Sprite_Add("anim.gif", 1, true, false, false, true, 0, 0);
  ASSERT_GE(index, 0);
  const CSprite& s = *Sprite_Data(index);
  EXPECT_EQ(s.GetFrameCount(), 3);
  EXPECT_EQ(s.GetWidth(), 2);
  EXPECT_EQ(s.FrameImages()[2].Pixel(1, 1), 0xFF0000FFu);
}

TEST_F(SpriteTest, ReplaceWithoutAlphaTakesTheColourKey) {
  CBitmap32 keyed(3, 2, 0xFF00FF);  // magenta, the bottom-left pixel is the key
  keyed.SetPixel(1, 0, 0xFF00FF00);
  ASSERT_TRUE(keyed.write_png_file(Path("keyed.png")));
  EXPECT_EQ(Sprite_AddNew(), 0);
  EXPECT_TRUE(Sprite_Replace(0, "keyed.png", 1, true, true, false, true, 0, 0));
  const CSprite& s = *Sprite_Data(0);
  EXPECT_EQ(s.FrameImages()[0].Pixel(0, 0) >> 24, 0u);
  EXPECT_EQ(s.FrameImages()[0].Pixel(1, 0), 0xFF00FF00u);
  CollisionBox box = s.GetBbox();
  EXPECT_EQ((std::vector<int32_t>{box.left, box.top, box.right, box.bottom}), (std::vector<int32_t>{1, 0, 1, 0}));
  EXPECT_FALSE(Sprite_Replace(5, "keyed.png", 1, true, true, false, true, 0, 0));
  EXPECT_FALSE(Sprite_Replace(0, "absent.png", 1, true, true, false, true, 0, 0));
}

TEST_F(SpriteTest, BoundingBoxModesDuplicateAndAssign) {
  ASSERT_TRUE(Strip().write_png_file(Path("strip.png")));
  int32_t index = Sprite_Add("strip.png", 2, true, true, false, false, 1, 2);
  CSprite& s = *Sprite_Data(index);
  s.SetBbox(0, 0, 1, 1);  // ignored unless the mode is manual
  EXPECT_EQ(s.GetBbox().left, 1);
  s.SetBboxMode(1);
  EXPECT_EQ(s.GetBbox().right, 3);
  EXPECT_EQ(s.GetBbox().left, 0);
  s.SetBboxMode(5);
  EXPECT_EQ(s.GetBboxMode(), BBoxMode::FullImage);
  s.SetBboxMode(2);
  s.SetBbox(0, 1, 2, 3);
  EXPECT_EQ(s.GetBbox().top, 1);

  int32_t copy = Sprite_Duplicate(index);
  ASSERT_EQ(copy, 1);
  EXPECT_EQ(Sprite_GetName(copy), "__newsprite1");
  const CSprite& d = *Sprite_Data(copy);
  EXPECT_EQ(d.GetFrameCount(), 2);
  EXPECT_EQ(d.GetXOrigin(), 1);
  EXPECT_EQ(d.GetYOrigin(), 2);
  EXPECT_EQ(d.GetBbox().bottom, 3);
  EXPECT_EQ(d.GetBboxMode(), BBoxMode::Manual);
  EXPECT_TRUE(d.MasksValid());
  EXPECT_NE(d.TextureIds(), s.TextureIds());  // textures of its own
  EXPECT_EQ(Sprite_Duplicate(7), -1);
  EXPECT_FALSE(Sprite_Assign(9, index));
  EXPECT_TRUE(Sprite_Assign(copy, copy));

  // A game-file sprite copied keeps its entries and its stored masks.
  TestSpriteRecord r;
  r.name = "spr_file";
  r.frames = {Entry(0, 0, 4, 4, 0)};
  r.masks = {{"#...", "....", "....", "...."}};
  TestChunkImage chunk = BuildSpriteChunk({r});
  CSprite fromFile;
  std::string name;
  ASSERT_TRUE(fromFile.LoadFromChunk(chunk.image, chunk.recordOffsets[0], chunk.bodyOffset + chunk.bodySize, name));
  CSprite copied;
  copied.Assign(fromFile);
  EXPECT_EQ(copied.GetTexture(0), fromFile.GetTexture(0));
  ASSERT_TRUE(copied.MasksValid());
  EXPECT_EQ(copied.MaskForFrame(0)[0], 1);
  EXPECT_FALSE(copied.Collision_Point({0, {0, 0, 3, 3}, 0, 0, 1, 1, 0}, 1, 0));
  // Turning precise checking off and on again keeps the stored masks too.
  copied.SetPrecise(false);
  copied.SetPrecise(true);
  EXPECT_TRUE(copied.MasksValid());
}

TEST_F(SpriteTest, FromBitmapLogsItsSteps) {
  ConsoleCapture console;
  CSprite s;
  auto bitmap = Strip().ToBitmap32();
  s.CreateFromBitmap(*bitmap, true, true, false, true, 0, 0, true);
  EXPECT_EQ(console.Text(), "Init Texture\nCompute Bounding Box\nCreate Mask\n");
  EXPECT_EQ(s.GetWidth(), 8);
  EXPECT_TRUE(s.MasksValid());

  // Frames added later are resized to the first; merging appends the other's frames.
  CBitmap32 big(16, 8, 0x0000FF);
  s.AddFrameFromBitmap(*big.ToBitmap32(), true);
  EXPECT_EQ(s.GetFrameCount(), 2);
  EXPECT_EQ(s.FrameImages()[1].GetWidth(), 8);
  CSprite other;
  other.Merge(s);
  EXPECT_EQ(other.GetFrameCount(), 2);
  EXPECT_EQ(other.GetWidth(), 8);
  // Alpha from another sprite: a black frame makes everything transparent.
  CSprite black;
  black.CreateFromBitmap(*CBitmap32(8, 4, 0).ToBitmap32(), false, false, false, false, 0, 0, true);
  other.SetAlphaFromSprite(black);
  EXPECT_EQ(other.FrameImages()[1].Pixel(0, 0) >> 24, 0u);
}

// A sprite of the game file that gains frames (added or merged, from itself too) first takes
// its own back from the texture pages and becomes a sprite with frame images and masks made
// from them; when a page cannot be read nothing changes and the call answers false.
TEST_F(SpriteTest, GameFileSpriteTakesItsFramesBackFromThePagesToGrow) {
  TestSpriteRecord r;
  r.name = "spr_file";
  r.frames = {Entry(0, 0, 4, 4, 1), Entry(0, 0, 4, 4, 2)};
  r.masks = {{"#...", "....", "....", "...."}};
  TestSpriteRecord unreadable = r;
  unreadable.frames = {Entry(0, 0, 4, 4, 9)};
  TestChunkImage chunk = BuildSpriteChunk({r, unreadable});
  CSprite s, broken;
  std::string name;
  const uint64_t end = uint64_t{chunk.bodyOffset} + chunk.bodySize;
  ASSERT_TRUE(s.LoadFromChunk(chunk.image, chunk.recordOffsets[0], end, name));
  ASSERT_TRUE(broken.LoadFromChunk(chunk.image, chunk.recordOffsets[1], end, name));
  auto colours = [](const CSprite& sprite) {
    std::vector<uint32_t> out;
    for (const CBitmap32& frame : sprite.FrameImages()) out.push_back(frame.Pixel(3, 3));
    return out;
  };

  ASSERT_TRUE(s.Merge(s));
  EXPECT_FALSE(s.HasPageEntries());
  EXPECT_EQ(s.GetFrameCount(), 4);
  EXPECT_EQ(colours(s), (std::vector<uint32_t>{0xFF000001u, 0xFF000002u, 0xFF000001u, 0xFF000002u}));
  EXPECT_EQ(s.TextureIds().size(), 4u);
  ASSERT_EQ(s.GetMaskCount(), 4);  // made from the opaque frames, no longer the stored one
  EXPECT_EQ(s.MaskForFrame(3)[15], 1);
  ASSERT_TRUE(s.AddFrameFromBitmap(*CBitmap32(8, 8, 0x0000FF).ToBitmap32(), false));
  EXPECT_EQ(s.GetFrameCount(), 5);
  EXPECT_EQ(s.FrameImages()[4].GetWidth(), 4);

  CSprite target;
  target.CreateFromBitmap(*CBitmap32(4, 4, 0x00FF00).ToBitmap32(), true, true, false, true, 0, 0, false);
  EXPECT_FALSE(target.Merge(broken));
  EXPECT_FALSE(broken.Merge(target));
  EXPECT_FALSE(broken.AddFrameFromBitmap(*CBitmap32(4, 4, 0).ToBitmap32(), false));
  EXPECT_EQ(target.GetFrameCount(), 1);
  EXPECT_EQ(broken.GetFrameCount(), 1);
  EXPECT_TRUE(broken.HasPageEntries());
  EXPECT_TRUE(broken.MasksValid());
}

// ---- sprites from URLs -----------------------------------------------------------------------

namespace {

struct ImageEvent {
  int32_t event = 0;
  std::string filename;
  double id = -1, status = 99;
};

}  // namespace

TEST_F(SpriteTest, AddedFromUrlsRaiseTheImageLoadedEvent) {
  ASSERT_TRUE(Strip().write_png_file(Path("strip.png")));
  std::vector<uint8_t> png;
  ASSERT_TRUE(Bitmap_ReadFile(Path("strip.png"), png));
  LocalHttpServer server(
      LocalHttpServer::Bodies({{"/strip.png", std::string(png.begin(), png.end())}, {"/text", "just some text"}}));

  const std::string good = server.Url("/strip.png"), text = server.Url("/text"), missing = server.Url("/none.png");
  int32_t a = Sprite_Add(good, 2, true, true, false, true, 0, 0);
  int32_t b = Sprite_Add(text, 1, true, true, false, true, 0, 0);
  int32_t c = Sprite_Add(missing, 1, true, true, false, true, 0, 0);
  EXPECT_EQ((std::vector<int32_t>{a, b, c}), (std::vector<int32_t>{0, 1, 2}));
  EXPECT_EQ(Sprite_Data(a)->GetFrameCount(), 0);  // empty until the download completes

  std::map<int32_t, ImageEvent> events;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (events.size() < 3 && std::chrono::steady_clock::now() < deadline) {
    HTTP_ProcessFinished([&](int32_t event, int32_t asyncMap) {
      const CDS_Map* map = DS_Tables().maps.Get(asyncMap);
      ASSERT_NE(map, nullptr);
      ImageEvent e;
      e.event = event;
      e.filename = map->Find(ScriptValue::String("filename"))->value.Text();
      e.id = map->Find(ScriptValue::String("id"))->value.real;
      e.status = map->Find(ScriptValue::String("status"))->value.real;
      events[int32_t(e.id)] = e;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ASSERT_EQ(events.size(), 3u);
  EXPECT_EQ(events[a].event, kAsyncEventImageLoaded);
  EXPECT_EQ(events[a].filename, good);
  EXPECT_EQ(events[a].status, 0);
  EXPECT_EQ(Sprite_Data(a)->GetFrameCount(), 2);
  EXPECT_EQ(Sprite_Data(a)->GetWidth(), 4);
  // Bytes that are not an image, and an error page, are failures.
  EXPECT_EQ(events[b].status, -1);
  EXPECT_EQ(events[c].status, -1);
  EXPECT_EQ(Sprite_Data(b)->GetFrameCount(), 0);
}

TEST_F(SpriteTest, RandomlyDamagedChunksLoadOrAreRefusedSafely) {
  TestSpriteRecord s;
  s.name = "spr";
  s.width = 9, s.height = 2;
  s.frames = {Entry(0, 0, 9, 2, 0), Entry(1, 1, 8, 1, 1)};
  s.masks = {{"#.......#", ".#######."}, {"#########", "........."}};
  TestSpriteRecord t = s;
  t.masks.resize(1);
  const TestChunkImage good = BuildSpriteChunk({s, t});
  uint32_t seed = 99;
  auto next = [&seed]() {
    seed = seed * 1103515245u + 12345u;
    return seed >> 8;
  };
  for (int round = 0; round < 2000; ++round) {
    TestChunkImage damaged = good;
    uint32_t word = 8 + 4 * (next() % ((damaged.image.size() - 8) / 4));
    const uint32_t values[] = {0, 1, 0xFFFFFFFF, 0x7FFFFFFF, next(), uint32_t(damaged.image.size()), next() % 64};
    PutWord(damaged.image, word, values[next() % 7]);
    if (Sprite_Load(damaged.image, damaged.bodyOffset, damaged.bodySize)) {
      for (int32_t i = 0; i < Sprite_GetCount(); ++i) {
        const CSprite* sprite = Sprite_Data(i);
        if (!sprite || !sprite->MasksValid()) continue;
        EXPECT_EQ(sprite->MaskForFrame(i).size(), size_t(sprite->GetWidth()) * size_t(sprite->GetHeight()));
        sprite->Collision_Point({0, {0, 0, 8, 1}, 0, 0, 1, 1, 0}, 3, 1);
      }
    }
  }
}

TEST(SpriteCulling, ReachDecidesWhetherADrawIsSkipped) {
  const ViewRect view{100, 50, 420, 290};
  struct Case {
    float x, y, reachX, reachY;
    bool outside;
  } cases[] = {
      {100 - 21, 60, 20, 20, true},   // radius 20 at left - 21: not drawn
      {100 - 20, 60, 20, 20, false},  // at left - 20: drawn
      {420 + 20, 60, 20, 20, false},
      {420 + 20.5f, 60, 20, 20, true},
      {200, 50 - 30, 20, 30, false},  // the vertical reach is its own
      {200, 50 - 31, 20, 30, true},
      {200, 290 + 31, 40, 30, true},
  };
  for (const Case& c : cases) EXPECT_EQ(Sprite_OutsideView(c.x, c.y, c.reachX, c.reachY, view), c.outside) << c.x << "," << c.y;
}
