#include "platform/files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/random.h"
#include "platform/temp_directory.h"
#include "support/runner_process.h"

namespace {

TEST(Files, PathPartsAcceptEitherSeparator) {
  struct Case {
    const char* path;
    const char* folder;
    const char* name;
    const char* ext;
    const char* drive;
  };
  const Case cases[] = {
      {"C:\\games\\demo\\data.win", "C:\\games\\demo", "data.win", ".win", "C:"},
      {"saves/slot1.sav", "saves", "slot1.sav", ".sav", ""},
      {"mixed/dir\\file.tar.gz", "mixed/dir", "file.tar.gz", ".gz", ""},
      {"/rooted", "", "rooted", "", ""},
      {"plain", "", "plain", "", ""},
      {"dir.d/noext", "dir.d", "noext", "", ""},
      {"", "", "", "", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(File_FilePath(c.path), c.folder) << c.path;
    EXPECT_EQ(File_FileName(c.path), c.name) << c.path;
    EXPECT_EQ(File_FileExt(c.path), c.ext) << c.path;
    EXPECT_EQ(File_FileDrive(c.path), c.drive) << c.path;
  }
  EXPECT_TRUE(File_IsBackslashAt("a\\b", 1));
  EXPECT_FALSE(File_IsBackslashAt("\\b", 0));
  EXPECT_FALSE(File_IsBackslashAt("ab", 5));
  std::string trailing = "dir\\";
  File_TrimTrailingSlash(trailing);
  EXPECT_EQ(trailing, "dir");
}

TEST(Files, NamesResolveCaseInsensitivelyAndWithBackslashes) {
  TempFolder root;
  std::filesystem::create_directories(root / "Data/Levels");
  std::ofstream(root / "Data/Levels/Level1.TXT") << "x";

  EXPECT_EQ(File_ResolvePath(root.path() + "\\data\\LEVELS\\level1.txt"),
            root / "Data/Levels/Level1.TXT");
  EXPECT_TRUE(File_Exists(root.path() + "/DATA/levels/LEVEL1.txt"));
  EXPECT_TRUE(File_DirectoryExists(root.path() + "\\data"));
  EXPECT_FALSE(File_Exists(root / "Data"));  // a folder is not a file
  EXPECT_FALSE(File_Exists("/dev/null"));    // nor is a device
  // A missing component keeps the rest as given.
  EXPECT_EQ(File_ResolvePath(root.path() + "/data/New/File.txt"), root / "Data/New/File.txt");
  EXPECT_FALSE(File_Exists(root / "nothing"));
}

TEST(Files, FoldersAreMadeWithParentsAndDeletedWithContents) {
  TempFolder root;
  EXPECT_TRUE(File_CreateDirectory(root.path() + "\\a\\b\\c\\"));
  EXPECT_TRUE(File_DirectoryExists(root / "a/b/c"));
  File_EnsureDirectory(root / "x/y/file.txt");
  EXPECT_TRUE(File_DirectoryExists(root / "x/y"));
  EXPECT_FALSE(File_Exists(root / "x/y/file.txt"));

  std::ofstream(root / "a/b/c/f.txt") << "x";
  std::filesystem::create_directories(root / "outside");
  std::ofstream(root / "outside/keep.txt") << "x";
  std::filesystem::create_directory_symlink(root / "outside", root / "a/link");
  File_DeleteDirectory(root / "a");
  EXPECT_FALSE(File_DirectoryExists(root / "a"));
  EXPECT_TRUE(File_Exists(root / "outside/keep.txt")) << "links are removed, not followed";
}

TEST(Files, TempFolderLivesUnderTmpdirForTheRun) {
  TempFolder base;
  const char* old = std::getenv("TMPDIR");
  std::string saved = old != nullptr ? old : "";
  setenv("TMPDIR", base.path().c_str(), 1);
  Random_SetSeed(1);
  File_InitTempDirectory();
  std::optional<std::string> folder = File_GetTempDirectory();
  ASSERT_TRUE(folder);
  EXPECT_EQ(*folder, base / "kf_ttt_125");  // the first draw of seed 1
  EXPECT_TRUE(File_DirectoryExists(*folder));
  struct stat info {};
  ASSERT_EQ(stat(folder->c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);

  std::optional<std::string> name = File_MakeTempFileName(".png");
  ASSERT_TRUE(name);
  EXPECT_EQ(File_FilePath(*name), *folder);
  EXPECT_EQ(File_FileExt(*name), ".png");
  std::ofstream(*name) << "x";
  File_ClearTempDirectory();
  EXPECT_FALSE(File_Exists(*name));
  EXPECT_TRUE(File_DirectoryExists(*folder));

  File_RemoveTempDirectory();
  EXPECT_FALSE(File_DirectoryExists(*folder));
  EXPECT_EQ(File_GetTempDirectory(), std::nullopt);
  EXPECT_EQ(File_MakeTempFileName(".x"), std::nullopt);
  if (old != nullptr) {
    setenv("TMPDIR", saved.c_str(), 1);
  } else {
    unsetenv("TMPDIR");
  }
}

}  // namespace
