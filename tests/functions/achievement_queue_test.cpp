#include "functions/achievement_queue.h"
#include "functions/achievement_functions.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <bit>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "functions/builtin_by_name.h"
#include "functions/builtin_call.h"
#include "platform/file_locations.h"
#include "script/function_table.h"
#include "support/function_table_guard.h"

namespace {

namespace fs = std::filesystem;

std::vector<uint8_t> Bytes(std::initializer_list<int> values) { return {values.begin(), values.end()}; }

class AchievementQueue : public ::testing::Test {
 protected:
  FunctionTableGuard functions_;  // put back after TearDown
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("kf_ach_" + std::to_string(::getpid()));
    fs::create_directories(folder_);
    FileLocations_SetGameFolder(folder_.string());
    FileLocations_SetSaveArea(folder_.string());
    Function_FreeAll();
    Achievement_RegisterFunctions();
    Achievement_SetSender(nullptr);
  }
  void TearDown() override {
    Achievement_SetSender(nullptr);
    FileLocations_Reset();
    fs::remove_all(folder_);
  }
  std::vector<uint8_t> CacheFile() const {
    std::ifstream in(folder_ / kAchievementCacheFile, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  void WriteCacheFile(const std::vector<uint8_t>& bytes) const {
    std::ofstream(folder_ / kAchievementCacheFile, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  static ScriptValue Call(const char* name, std::initializer_list<ScriptValue> args) {
    ScriptValue result;
    EXPECT_TRUE(Builtin_CallByName(name, result, nullptr, nullptr, args)) << name;
    return result;
  }
  fs::path folder_;
};

TEST_F(AchievementQueue, PostsWaitInTheCacheFileFieldByFieldLittleEndian) {
  EXPECT_EQ(Call("achievement_available", {}).real, 1.0);
  Call("achievement_post_score", {S("a"), R(5.7)});  // truncated to 5
  Call("Tarn_PostAchievement", {S("b"), R(0.5)});
  EXPECT_EQ(CacheFile(), Bytes({0x01, 0, 0, 0, 'a', 0, 0x05, 0, 0, 0, 0x02, 0, 0, 0, 'b', 0, 0, 0, 0, 0x3F}));
  // The service never answers: the head is sent once and waits, and stays in the file.
  std::vector<std::string> sent;
  Achievement_SetSender([&](const AchievementEntry& entry) { sent.push_back(entry.name); });
  for (int frame = 0; frame < 5; ++frame) Achievement_Update();
  EXPECT_EQ(sent, (std::vector<std::string>{"a"}));
  EXPECT_EQ(Achievement_CurrentState(), AchievementState::Sent);
  EXPECT_EQ(CacheFile().size(), 20u);
  // Reported done: the entry leaves the queue and the file; the next one goes out.
  Achievement_SetState(AchievementState::Done);
  Achievement_Update();
  Achievement_Update();
  EXPECT_EQ(sent, (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(CacheFile(), Bytes({0x02, 0, 0, 0, 'b', 0, 0, 0, 0, 0x3F}));
  // Failed: to the back of the queue, then 600 frames of rest before it is sent again.
  Achievement_SetState(AchievementState::Failed);
  Achievement_Update();
  for (int frame = 0; frame < kAchievementRestFrames; ++frame) Achievement_Update();
  EXPECT_EQ(sent.size(), 2u);
  Achievement_Update();
  EXPECT_EQ(sent, (std::vector<std::string>{"a", "b", "b"}));
  Achievement_SetState(AchievementState::Done);
  Achievement_Update();
  EXPECT_TRUE(CacheFile().empty());  // an empty queue writes an empty file
}

TEST_F(AchievementQueue, WrongArgumentsAreReportedAndPostNothing) {
  ConsoleCapture console;
  Call("achievement_post", {R(1), R(2)});
  Call("achievement_post", {S("a"), S("b")});  // either argument wrong is refused
  EXPECT_NE(console.Text().find("Illegal argument type"), std::string::npos);
  console.Clear();
  Call("achievement_post", {S("a")});
  EXPECT_NE(console.Text().find("Illegal argument count"), std::string::npos);
  EXPECT_TRUE(Achievement_Entries().empty());
}

TEST_F(AchievementQueue, ADamagedCacheFileIsReadWithinItsLength) {
  struct Case {
    const char* what;
    std::vector<uint8_t> file;
    size_t entries;
  };
  const Case cases[] = {
      {"a name without its end", Bytes({1, 0, 0, 0, 'a', 'b', 'c'}), 0},
      {"a kind cut short", Bytes({1, 0}), 0},
      {"a second entry whose value is cut short", Bytes({1, 0, 0, 0, 'a', 0, 5, 0, 0, 0, 2, 0, 0, 0, 'b', 0, 1}), 1},
      {"an unknown kind, kept until its turn", Bytes({7, 0, 0, 0, 0, 9, 0, 0, 0}), 1},
  };
  for (const Case& c : cases) {
    Achievement_Start();
    WriteCacheFile(c.file);
    Achievement_LoadCache();
    EXPECT_EQ(Achievement_Entries().size(), c.entries) << c.what;
    // What was read is written back whole.
    EXPECT_EQ(Achievement_ParseCache(CacheFile()).size(), c.entries) << c.what;
  }
  // The entry of an unknown kind is dropped at its turn and the queue rests.
  Achievement_Update();
  EXPECT_TRUE(Achievement_Entries().empty());
  EXPECT_EQ(Achievement_CurrentState(), AchievementState::Resting);
}

TEST_F(AchievementQueue, LoadingIntoAQueueWithEntriesReadsNothingAndTheQueueStopsAt2049) {
  Achievement_Post(1, "first", 1);
  WriteCacheFile(Achievement_CacheBytes({{1, "x", 1}, {1, "y", 2}}));
  Achievement_LoadCache();
  ASSERT_EQ(Achievement_Entries().size(), 1u);
  for (int i = 0; i < 2100; ++i) Achievement_Enqueue(4, "n", static_cast<uint32_t>(i));
  EXPECT_EQ(Achievement_Entries().size(), static_cast<size_t>(kAchievementQueueLimit + 1));
  EXPECT_EQ(Achievement_ParseCache(CacheFile()).size(), static_cast<size_t>(kAchievementQueueLimit + 1));
}

TEST_F(AchievementQueue, NothingIsSavedBeforeTheCacheWasRead) {
  WriteCacheFile(Achievement_CacheBytes({{1, "kept", 3}}));
  Achievement_SaveCache();  // a run that ends before its first frame
  EXPECT_EQ(Achievement_ParseCache(CacheFile()).size(), 1u);
  Achievement_Update();  // the first frame reads it
  ASSERT_EQ(Achievement_Entries().size(), 1u);
  EXPECT_EQ(Achievement_Entries()[0].name, "kept");
}

}  // namespace
