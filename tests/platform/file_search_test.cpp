#include "platform/file_search.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/runner_process.h"

namespace {

TEST(FileWildcard, MatchesIgnoringCase) {
  struct Case {
    const char* pattern;
    const char* name;
    bool matches;
  };
  const Case cases[] = {
      {"*", "anything.txt", true},         {"*", ".hidden", true},
      {"*.txt", "Notes.TXT", true},        {"*.TXT", "notes.txt", true},
      {"*.txt", "notes.txt.bak", false},   {"*.txt", "txt", false},
      {"level?.dat", "Level3.dat", true},  {"level?.dat", "level10.dat", false},
      {"a*b*c", "aXXbYYc", true},          {"a*b*c", "aXXbYY", false},
      {"*.*", "README", true},             {"*.*", "a.b", true},
      {"save.*", "save", true},            {"save.*", "saves", false},
      {"", "a", false},                    {"abc", "ABC", true},
      {"**x", "x", true},                  {"?", "", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(File_WildcardMatch(c.pattern, c.name), c.matches) << c.pattern << " / " << c.name;
  }
}

TEST(FileWildcard, FindsInSeveralFoldersOnceEach) {
  TempFolder first, second;
  for (const char* name : {"B.txt", "a.TXT", ".hidden.txt", "c.dat"}) std::ofstream(first / name) << "x";
  std::filesystem::create_directory(first / "Sub.txt");
  for (const char* name : {"b.TXT", "d.txt"}) std::ofstream(second / name) << "x";
  const std::vector<std::string> found = File_FindInFolders({first.path() + "/", second.path() + "/", "/no/such/"}, "*.txt");
  EXPECT_EQ(found, (std::vector<std::string>{".hidden.txt", "a.TXT", "B.txt", "d.txt", "Sub.txt"}));
  EXPECT_TRUE(File_FindInFolders({first.path() + "/"}, "").empty());
}

}  // namespace
