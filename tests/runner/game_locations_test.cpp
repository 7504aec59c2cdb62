#include "runner/game_locations.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "runner/run_options.h"
#include "support/runner_process.h"

namespace {

// Sets an environment variable for the length of a test.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    const char* old = std::getenv(name);
    if (old) saved_ = old;
    hadValue_ = old != nullptr;
    if (value) setenv(name, value, 1); else unsetenv(name);
  }
  ~ScopedEnv() {
    if (hadValue_) setenv(name_, saved_.c_str(), 1); else unsetenv(name_);
  }

 private:
  const char* name_;
  std::string saved_;
  bool hadValue_;
};

class GameLocations : public testing::Test {
 protected:
  void TearDown() override {
    g_RunOptions = RunOptions{};
    Run_SetGameName("");
    GameLocations_Reset();
  }
  std::string GameDirectoryOf(const std::string& file) {
    g_RunOptions.gameFileName = file;
    GameLocations_Reset();
    return GetGameDirectory();
  }
};

TEST_F(GameLocations, GameDirectoryIsTheFolderOfTheGameFile) {
  EXPECT_EQ(GameDirectoryOf("/games/space/data.win"), "/games/space/");
  EXPECT_EQ(GameDirectoryOf("games/data.win"), "games/");
  EXPECT_EQ(GameDirectoryOf("C:\\games\\data.win"), "C:\\games/");
  EXPECT_EQ(GameDirectoryOf("data.win"), "./");
  EXPECT_EQ(GameDirectoryOf("/data.win"), "/");
}

TEST_F(GameLocations, GameDirectoryIsWorkedOutOnce) {
  EXPECT_EQ(GameDirectoryOf("/a/data.win"), "/a/");
  g_RunOptions.gameFileName = "/b/data.win";
  EXPECT_EQ(GetGameDirectory(), "/a/");
}

TEST_F(GameLocations, SaveAreaIsUnderTheDataHomeAndIsCreated) {
  TempFolder temp;
  ScopedEnv xdg("XDG_DATA_HOME", temp.path().c_str());
  Run_SetGameName("Space Rocks");
  const std::string& save = GetSaveDirectory();
  EXPECT_EQ(save, temp.path() + "/Space Rocks/");
  EXPECT_TRUE(std::filesystem::is_directory(save));

  Run_SetGameName("Other");
  EXPECT_EQ(GetSaveDirectory(), temp.path() + "/Other/");
}

TEST_F(GameLocations, SaveAreaFallsBackToHomeWhenTheDataHomeIsUnsetOrRelative) {
  TempFolder temp;
  ScopedEnv home("HOME", temp.path().c_str());
  for (const char* xdg : {static_cast<const char*>(nullptr), "", "relative/path"}) {
    SCOPED_TRACE(xdg ? xdg : "(unset)");
    ScopedEnv data("XDG_DATA_HOME", xdg);
    Run_SetGameName("Game");
    EXPECT_EQ(GetSaveDirectory(), temp.path() + "/.local/share/Game/");
  }
}

TEST_F(GameLocations, SaveAreaIsAbsentWithoutAnyDataFolder) {
  ScopedEnv xdg("XDG_DATA_HOME", nullptr);
  ScopedEnv home("HOME", nullptr);
  Run_SetGameName("Game");
  EXPECT_EQ(GetSaveDirectory(), "");
}

TEST_F(GameLocations, GameNameNeverLeavesTheDataFolder) {
  EXPECT_EQ(SaveFolderNameFor("../../etc"), ".._.._etc");
  EXPECT_EQ(SaveFolderNameFor(".."), "_");
  EXPECT_EQ(SaveFolderNameFor("."), "_");
  EXPECT_EQ(SaveFolderNameFor("a\\b/c"), "a_b_c");
  EXPECT_EQ(SaveFolderNameFor(std::string("a\nb", 3)), "a_b");
  EXPECT_EQ(SaveFolderNameFor(""), "Kilnforge");
  EXPECT_EQ(SaveFolderNameFor("Caf\xc3\xa9"), "Caf\xc3\xa9");

  TempFolder temp;
  ScopedEnv xdg("XDG_DATA_HOME", temp.path().c_str());
  Run_SetGameName("../escape");
  EXPECT_EQ(GetSaveDirectory(), temp.path() + "/.._escape/");
}

TEST_F(GameLocations, ExecutablePathIsThisProcess) {
  const std::string& exe = GetExecutablePath();
  ASSERT_FALSE(exe.empty());
  EXPECT_EQ(exe.front(), '/');
  EXPECT_NE(exe.find("test_runner"), std::string::npos);
}

}  // namespace
