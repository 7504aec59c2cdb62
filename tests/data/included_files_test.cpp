#include "data/included_files.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "platform/files.h"
#include "platform/stream.h"
#include "platform/temp_directory.h"
#include "support/runner_process.h"

namespace {

std::string Contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::unique_ptr<CDataFile> Carried(const std::string& name, DataFileExport mode, const std::string& text) {
  auto file = std::make_unique<CDataFile>();
  file->name = name;
  file->storedInGame = true;
  file->heldInMemory = true;
  file->exportMode = mode;
  file->data = std::make_unique<CStream>();
  file->data->Assign(text.data(), static_cast<int64_t>(text.size()));
  return file;
}

class IncludedFiles : public testing::Test {
 protected:
  void TearDown() override { DataFile_Clear(); }
  TempFolder folder;
};

TEST_F(IncludedFiles, ExportWritesWhereTheModeSaysAndRemoveDeletesIt) {
  File_InitTempDirectory();
  ASSERT_TRUE(File_GetTempDirectory().has_value());
  auto toFolder = Carried("level.dat", DataFileExport::ExportFolder, "level");
  toFolder->exportFolder = folder / "deep\\er";
  auto toTemp = Carried("t.dat", DataFileExport::TempFolder, "temp");
  auto asNamed = Carried(folder / "named.dat", DataFileExport::AsNamed, "named");
  auto none = Carried("none.dat", DataFileExport::None, "none");
  EXPECT_TRUE(toFolder->Export());
  EXPECT_TRUE(toTemp->Export());
  EXPECT_TRUE(asNamed->Export());
  EXPECT_TRUE(none->Export());
  EXPECT_EQ(Contents(folder / "deep/er/level.dat"), "level");
  EXPECT_EQ(Contents(*File_GetTempDirectory() + "/t.dat"), "temp");
  EXPECT_EQ(Contents(folder / "named.dat"), "named");
  EXPECT_TRUE(toFolder->Remove());
  EXPECT_FALSE(File_Exists(folder / "deep/er/level.dat"));
  EXPECT_FALSE(toFolder->Remove());  // nothing left to delete
  EXPECT_TRUE(none->Remove());
  File_RemoveTempDirectory();
}

TEST_F(IncludedFiles, OverwriteFreeingAndDataNotHeld) {
  std::ofstream(folder / "kept.dat") << "old";
  auto file = Carried(folder / "kept.dat", DataFileExport::AsNamed, "new");
  EXPECT_FALSE(file->Export());  // the file is there and overwriting is off
  EXPECT_EQ(Contents(folder / "kept.dat"), "old");
  file->overwrite = true;
  file->freeAfterExport = true;
  EXPECT_TRUE(file->Export());
  EXPECT_EQ(Contents(folder / "kept.dat"), "new");
  EXPECT_FALSE(file->heldInMemory);
  EXPECT_FALSE(file->Export());  // the data went with the first export
  EXPECT_FALSE(file->WriteTo(folder / "again.dat"));
  auto notStored = Carried("x", DataFileExport::None, "x");
  notStored->storedInGame = false;
  EXPECT_FALSE(notStored->WriteTo(folder / "x.dat"));
}

TEST_F(IncludedFiles, TheTableFindsByExactNameAndRemovesOnlyMarkedExports) {
  EXPECT_EQ(DataFile_Find("anything"), -1);
  EXPECT_EQ(DataFile_Get(0), nullptr);
  EXPECT_TRUE(DataFile_Prepare());
  EXPECT_TRUE(DataFile_RemoveAll());
  auto marked = Carried(folder / "marked.dat", DataFileExport::AsNamed, "m");
  marked->removeAtEnd = true;
  const int32_t first = DataFile_Add(std::move(marked));
  DataFile_Add(Carried(folder / "kept.dat", DataFileExport::AsNamed, "k"));
  EXPECT_EQ(DataFile_Find(folder / "marked.dat"), first);
  EXPECT_EQ(DataFile_Find(folder / "MARKED.dat"), -1);
  EXPECT_EQ(DataFile_Get(-1), nullptr);
  EXPECT_TRUE(DataFile_Prepare());
  EXPECT_TRUE(File_Exists(folder / "marked.dat"));
  EXPECT_TRUE(DataFile_RemoveAll());
  EXPECT_FALSE(File_Exists(folder / "marked.dat"));
  EXPECT_TRUE(File_Exists(folder / "kept.dat"));
}

}  // namespace
