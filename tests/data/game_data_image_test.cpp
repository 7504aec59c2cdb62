#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "data/game_data_image.h"
#include "support/runner_process.h"

namespace {

std::vector<uint8_t> Pattern(size_t size) {
  std::vector<uint8_t> bytes(size);
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(i * 31 + i / 251);
  return bytes;
}

void Write(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                              static_cast<std::streamsize>(bytes.size()));
}

std::vector<uint8_t> Bytes(const GameDataImage& image) { return {image.Bytes().begin(), image.Bytes().end()}; }

TEST(GameDataImage, ReadsFilesOfAnySizeWhole) {
  TempFolder folder;
  for (size_t size : {size_t{0}, size_t{1}, size_t{4095}, size_t{4096}, size_t{3 << 20}}) {
    const std::vector<uint8_t> bytes = Pattern(size);
    Write(folder / "game.win", bytes);
    GameDataImage image;
    ASSERT_TRUE(GameDataImage::ReadFile(folder / "game.win", image)) << size;
    EXPECT_EQ(Bytes(image), bytes) << size;
    // Moved, the bytes go with it and stay readable.
    GameDataImage moved = std::move(image);
    EXPECT_EQ(Bytes(moved), bytes) << size;
    EXPECT_EQ(image.Size(), 0u);
  }
}

TEST(GameDataImage, BytesHandedBackAreReadAgainWhenAskedFor) {
  TempFolder folder;
  const std::vector<uint8_t> bytes = Pattern(5 << 20);
  Write(folder / "game.win", bytes);
  GameDataImage image;
  ASSERT_TRUE(GameDataImage::ReadFile(folder / "game.win", image));
  EXPECT_EQ(Bytes(image), bytes);  // every page read once
  // Ranges that start and end inside pages, the whole image, and past its end.
  for (auto [offset, length] : {std::pair<uint64_t, uint64_t>{100, 3 << 20}, {4095, 8194}, {0, 5 << 20},
                                {(5 << 20) - 10, 1000}, {6 << 20, 10}}) {
    image.DropPages(offset, length);
    ASSERT_EQ(Bytes(image), bytes) << offset << " " << length;
  }
  // An image built in memory keeps its bytes.
  GameDataImage built(Pattern(100000));
  built.DropPages(0, 100000);
  EXPECT_EQ(Bytes(built), Pattern(100000));
}

TEST(GameDataImage, ReadsAPipeAndRefusesWhatIsNoFile) {
  TempFolder folder;
  GameDataImage image;
  EXPECT_FALSE(GameDataImage::ReadFile(folder / "absent.win", image));
  EXPECT_FALSE(GameDataImage::ReadFile(folder.path(), image));  // a folder
  EXPECT_EQ(image.Size(), 0u);

  // A pipe has no size to read up front: its bytes come in as they are written.
  const std::string fifo = folder / "game.fifo";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::vector<uint8_t> bytes = Pattern(200000);
  std::thread writer([&] { Write(fifo, bytes); });
  ASSERT_TRUE(GameDataImage::ReadFile(fifo, image));
  writer.join();
  EXPECT_EQ(Bytes(image), bytes);
}

}  // namespace
