// Damaged game data files: every one fails the load cleanly with "Failed to load the game"
// (run under the sanitizers, a read outside the image would be reported).
#include <gtest/gtest.h>

#include <functional>

#include "data/game_data.h"
#include "data/game_loader.h"
#include "support/game_data_writer.h"
#include "support/runner_process.h"

namespace {

std::vector<uint8_t> Written() { return TestGame().Build(); }

void ExpectFails(const std::vector<uint8_t>& image, const std::string& what) {
  ConsoleCapture console;
  EXPECT_EQ(GameData_LoadImage(image), GameLoadResult::Failed) << what << "\n" << console.Text();
  EXPECT_TRUE(console.Text().ends_with("Failed to load the game\n")) << what << "\n" << console.Text();
}

void SetSizeWord(std::vector<uint8_t>& image) { WriteU32(image, 4, static_cast<uint32_t>(image.size() - 8)); }

// The offset of the first word of a record in a chunk's counted list.
uint32_t FirstRecord(const std::vector<uint8_t>& image, const char* chunk) {
  const auto layout = ChunkLayout(image);
  return ReadU32(image, FindChunk(layout, chunk)->bodyOffset + 4);
}

TEST(DamagedFile, TruncatedAtEveryChunkBoundary) {
  const auto image = Written();
  for (const auto& chunk : ChunkLayout(image)) {
    for (uint32_t cut : {chunk.headerOffset, chunk.headerOffset + 4, chunk.bodyOffset,
                         chunk.bodyOffset + chunk.length - 1}) {
      std::vector<uint8_t> cutImage(image.begin(), image.begin() + cut);
      ExpectFails(cutImage, chunk.id + " cut at " + std::to_string(cut));
      // With a size word that matches, the walk itself meets the cut.
      if (cutImage.size() > 8) {
        SetSizeWord(cutImage);
        ExpectFails(cutImage, chunk.id + " cut at " + std::to_string(cut) + ", size word fixed");
      }
    }
  }
}

TEST(DamagedFile, SizeWordsOffByOne) {
  const auto image = Written();
  for (int delta : {-1, 1}) {
    auto bad = image;
    WriteU32(bad, 4, static_cast<uint32_t>(bad.size() - 8 + delta));
    ExpectFails(bad, "file size word " + std::to_string(delta));
  }
  for (const auto& chunk : ChunkLayout(image)) {
    for (int delta : {-1, 1}) {
      auto bad = image;
      WriteU32(bad, chunk.headerOffset + 4, chunk.length + delta);
      ExpectFails(bad, chunk.id + " length " + std::to_string(delta));
    }
  }
}

TEST(DamagedFile, TableOfDamage) {
  const auto image = Written();
  const auto layout = ChunkLayout(image);
  const auto at = [&layout](const char* id) { return FindChunk(layout, id)->bodyOffset; };
  const uint32_t size = static_cast<uint32_t>(image.size());

  struct Case {
    const char* what;
    std::function<void(std::vector<uint8_t>&)> damage;
  };
  const Case cases[] = {
      {"string table entry past the end", [&](auto& f) { WriteU32(f, at("STRG") + 4, size + 100); }},
      {"string table entry at the very end", [&](auto& f) { WriteU32(f, at("STRG") + 4, size - 2); }},
      {"string length past the end", [&](auto& f) { WriteU32(f, FirstRecord(f, "STRG"), 0x7FFFFFFF); }},
      {"string without its terminating zero", [&](auto& f) { f.back() = 'x'; }},
      {"string count of 2^31", [&](auto& f) { WriteU32(f, at("STRG"), 0x80000000u); }},
      {"string count of 2^32-1", [&](auto& f) { WriteU32(f, at("STRG"), 0xFFFFFFFFu); }},
      {"header name past the end", [&](auto& f) { WriteU32(f, at("GEN8") + 4, size); }},
      {"header game name past the end", [&](auto& f) { WriteU32(f, at("GEN8") + 40, 0xFFFFFFF0u); }},
      {"header room count of 2^31", [&](auto& f) { WriteU32(f, at("GEN8") + 100, 0x80000000u); }},
      {"data version 7", [&](auto& f) { f[at("GEN8") + 1] = 7; }},
      {"data version 0", [&](auto& f) { f[at("GEN8") + 1] = 0; }},
      {"header of length 0 (no header)", [&](auto& f) { WriteU32(f, at("GEN8") - 4, 0); }},
      {"header renamed (no header)", [&](auto& f) { f[at("GEN8") - 8 + 3] = '9'; }},
      {"option constant count of 2^31", [&](auto& f) { WriteU32(f, at("OPTN") + 35 * 4, 0x80000000u); }},
      {"option constant name past the end", [&](auto& f) { WriteU32(f, at("OPTN") + 36 * 4, size + 8); }},
      {"splash entry past the end", [&](auto& f) { WriteU32(f, at("OPTN") + 26 * 4, size - 4); }},
      {"object count of 2^31", [&](auto& f) { WriteU32(f, at("OBJT"), 0x80000000u); }},
      {"object list entry past the end", [&](auto& f) { WriteU32(f, at("OBJT") + 4, size); }},
      {"room count larger than its chunk", [&](auto& f) { WriteU32(f, at("ROOM"), 60); }},
      {"unknown chunk id", [&](auto& f) { f[at("OPTN") - 8] = 'Q'; }},
      {"magic but nothing else", [&](auto& f) { f.resize(8); SetSizeWord(f); }},
      {"empty file", [&](auto& f) { f.clear(); }},
      {"trailing bytes shorter than a chunk header", [&](auto& f) { f.resize(f.size() + 5); SetSizeWord(f); }},
  };
  for (const Case& c : cases) {
    auto bad = image;
    c.damage(bad);
    ExpectFails(bad, c.what);
  }
}

TEST(DamagedFile, FileWithoutHeaderChunk) {
  DataFileBuilder b;
  b.StringIndex("lonely");
  b.StringTableChunk();
  ConsoleCapture console;
  EXPECT_EQ(GameData_LoadImage(b.Finish()), GameLoadResult::Failed);
  EXPECT_TRUE(console.Contains("no header")) << console.Text();
}

TEST(DamagedFile, ZeroLengthChunksArePassedOver) {
  GameDataWriter game = TestGame();
  game.rawChunks.push_back({"OBJT", {}});
  game.rawChunks.push_back({"\x01\x02\x03\x04", {}});
  ConsoleCapture console;
  EXPECT_EQ(GameData_LoadImage(game.Build()), GameLoadResult::Loaded) << console.Text();
  EXPECT_FALSE(console.Contains("unknown Chunk"));
}

TEST(DamagedFile, RunnerBinaryEndsWithFailedToLoadAndANonZeroExit) {
  TempFolder folder;
  auto image = Written();
  auto truncated = image;
  truncated.resize(image.size() / 2);
  auto unknown = image;
  const auto layout = ChunkLayout(image);
  unknown[FindChunk(layout, "ROOM")->headerOffset] = 'X';
  for (const auto& [name, bytes] : {std::pair{"truncated.win", truncated}, std::pair{"unknown.win", unknown}}) {
    ASSERT_TRUE(WriteBytes(folder / name, bytes));
    const RunnerResult r = RunRunner({"-game", folder / name});
    EXPECT_FALSE(r.timedOut) << name;
    EXPECT_NE(r.exitCode, 0) << name << "\n" << r.output;
    EXPECT_NE(r.output.find("Failed to load the game\n"), std::string::npos) << name << "\n" << r.output;
    EXPECT_EQ(r.output.find("runtime error"), std::string::npos) << r.output;
    EXPECT_EQ(r.output.find("AddressSanitizer"), std::string::npos) << r.output;
  }
}

}  // namespace
