#include "platform/load_save.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/file_locations.h"
#include "platform/files.h"
#include "support/runner_process.h"

namespace {

// Runs with the current directory at the game folder, as the runner does.
class LoadSaveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    previous = std::filesystem::current_path();
    std::filesystem::current_path(game.path());
    FileLocations_Reset();
    FileLocations_SetGameFolder(game.path());
    FileLocations_SetSaveArea(save.path());
  }
  void TearDown() override {
    std::filesystem::current_path(previous);
    FileLocations_Reset();
  }
  TempFolder game;
  TempFolder save;
  TempFolder elsewhere;
  std::filesystem::path previous;
};

TEST_F(LoadSaveTest, NamesAreReRootedIntoTheGameFolderOrTheSaveArea) {
  struct Case {
    std::string name;
    std::string bundle;  // expected LoadSave_BundlePath
    std::string saved;   // expected LoadSave_SavePath
  };
  const Case cases[] = {
      {"a.txt", game / "a.txt", save / "a.txt"},
      {"sub\\b.txt", game / "sub/b.txt", save / "sub/b.txt"},
      {"./sub/../c.txt", game / "c.txt", save / "c.txt"},
      {game / "d.txt", game / "d.txt", save / "d.txt"},
      {save / "e.txt", "", save / "e.txt"},
      {elsewhere / "f.txt", "", ""},
      {"../escape.txt", "", ""},
      {"/etc/passwd", "", ""},
      {"", "", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(LoadSave_BundlePath(c.name), c.bundle) << c.name;
    EXPECT_EQ(LoadSave_SavePath(c.name), c.saved) << c.name;
  }
}

TEST_F(LoadSaveTest, ASaveAreaInsideTheGameFolderKeepsItsOwnPaths) {
  FileLocations_SetSaveArea(game / "saves/");
  EXPECT_EQ(LoadSave_SavePath(game / "saves/slot.sav"), game / "saves/slot.sav");
  EXPECT_EQ(LoadSave_SavePath("slot.sav"), game / "saves/slot.sav");
}

TEST_F(LoadSaveTest, DialogPathsOutsideTheFoldersAreAllowed) {
  std::string picked = elsewhere / "Picked.txt";
  FileLocations_AddOpenDialogPath(picked);
  FileLocations_AddSaveDialogPath(elsewhere / "out.txt");
  EXPECT_EQ(LoadSave_BundlePath(elsewhere / "picked.TXT"), elsewhere / "picked.TXT");
  EXPECT_EQ(LoadSave_SavePath(picked), "");
  EXPECT_EQ(LoadSave_SavePath(elsewhere / "out.txt"), elsewhere / "out.txt");
}

TEST_F(LoadSaveTest, ReadsTryTheGameFolderThenTheSaveArea) {
  std::ofstream(game / "Shipped.dat") << "game";
  ASSERT_TRUE(LoadSave_WriteFile("saved.dat", "save", 4));
  ASSERT_TRUE(LoadSave_WriteFile("deep/er/w.dat", "w", 1));
  EXPECT_TRUE(File_Exists(save / "deep/er/w.dat"));
  EXPECT_FALSE(LoadSave_WriteFile(elsewhere / "x.dat", "x", 1));

  std::unique_ptr<LoadSaveBuffer> shipped = LoadSave_ReadFile("shipped.DAT");
  ASSERT_NE(shipped, nullptr);
  EXPECT_EQ(std::string(shipped->data.begin(), shipped->data.end()), "game");
  std::unique_ptr<LoadSaveBuffer> saved = LoadSave_ReadFile("saved.dat");
  ASSERT_NE(saved, nullptr);
  EXPECT_EQ(saved->size, 4);
  EXPECT_EQ(LoadSave_ReadFile("absent.dat"), nullptr);

  EXPECT_TRUE(LoadSave_BundleFileExists("shipped.dat"));
  EXPECT_FALSE(LoadSave_SaveFileExists("shipped.dat"));
  EXPECT_TRUE(LoadSave_SaveFileExists("saved.dat"));

  std::ofstream(game / "empty.dat");
  std::unique_ptr<LoadSaveBuffer> empty = LoadSave_ReadFile("empty.dat");
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(empty->size, 0);
  EXPECT_TRUE(LoadSave_Eof(*empty));
}

TEST(LoadSaveBuffer, ReadsNeverLeaveTheData) {
  LoadSaveBuffer b;
  std::string text = "  12.5e1xyz\t-3 ";
  b.data.assign(text.begin(), text.end());
  b.size = static_cast<int32_t>(text.size());

  EXPECT_EQ(LoadSave_ReadReal(b), 125.0);
  EXPECT_EQ(LoadSave_Tell(b), 8);
  EXPECT_EQ(LoadSave_GetChar(b), 'x');
  LoadSave_Seek(b, 3, 1);
  EXPECT_EQ(LoadSave_ReadReal(b), -3.0);

  LoadSave_Seek(b, 0, 2);
  EXPECT_TRUE(LoadSave_Eof(b));
  EXPECT_EQ(LoadSave_GetChar(b), -1);
  EXPECT_EQ(LoadSave_Tell(b), b.size + 1) << "the position advances even past the end";

  char out[64];
  LoadSave_Seek(b, b.size - 4, 0);
  EXPECT_EQ(LoadSave_Read(out, 2, 10, b), 4);
  EXPECT_EQ(LoadSave_Read(out, 1, 1, b), 0);
  LoadSave_Seek(b, -10, 0);
  EXPECT_EQ(LoadSave_GetChar(b), -1);
  EXPECT_EQ(LoadSave_Read(out, 1, 4, b), 0);
  EXPECT_EQ(LoadSave_Read(out, -1, 4, b), 0);
  LoadSave_Seek(b, 5, 9);  // an unknown mode does nothing
  EXPECT_EQ(LoadSave_Tell(b), -9);
  LoadSave_Seek(b, INT32_MAX, 1);
  LoadSave_Seek(b, INT32_MAX, 1);
  EXPECT_EQ(LoadSave_Tell(b), INT32_MAX);
  EXPECT_EQ(LoadSave_GetChar(b), -1);

  LoadSaveBuffer digits;
  std::string number = "123456";  // no terminator after the digits: the read stops at the end
  digits.data.assign(number.begin(), number.end());
  digits.size = 6;
  EXPECT_EQ(LoadSave_ReadReal(digits), 123456.0);
  EXPECT_TRUE(LoadSave_Eof(digits));
}

}  // namespace
