#include "platform/ini_file.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "platform/file_locations.h"
#include "platform/random.h"
#include "support/runner_process.h"

namespace {

std::string ReadWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteWhole(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

const char kAwkwardFile[] =
    "; comment before anything\n"
    "stray=ignored before the first section\n"
    "[General]\r\n"
    "  name   =   Kilnforge   ; trailing comment\n"
    "# a comment line = with an equals sign\n"
    "\n"
    "empty=\n"
    "next=1\n"
    "dup=first\n"
    "dup=second\n"
    "\ttabbed\t=\tvalue with  inner  spaces\t \n"
    "eq=a=b\n"
    "bytes=\x01\xFF\xC3\xA9\n"
    "[Second]\n"
    "x=1\n"
    "[General]\n"
    "late=yes";

TEST(IniFile, ParseKeepsNamesAndValuesAndSavesInReverseWithCrLf) {
  IniFile ini;
  ini.Parse(kAwkwardFile);
  EXPECT_EQ(ini.SaveText(),
            "[General]\r\nlate=yes\r\n"
            "[Second]\r\nx=1\r\n"
            "[General]\r\nbytes=\x01\xFF\xC3\xA9\r\neq=a=b\r\n"
            "tabbed=value with  inner  spaces\r\ndup=second\r\ndup=first\r\nnext=1\r\n"
            "name=Kilnforge\r\n");
}

TEST(IniFile, LookupsFindTheLatestOfDuplicates) {
  IniFile ini;
  ini.Parse(kAwkwardFile);
  // The later [General] is the head of the list, so it shadows the first one.
  EXPECT_EQ(ini.ReadString("General", "late", "-"), "yes");
  EXPECT_EQ(ini.FindKey("General", "name"), nullptr);
  ini.DeleteSection("General");
  EXPECT_EQ(ini.ReadString("General", "dup", "-"), "second");
  EXPECT_EQ(ini.ReadString("General", "empty", "dropped"), "dropped");
  EXPECT_EQ(ini.ReadString("General", "stray", "-"), "-");
  EXPECT_EQ(ini.ReadInteger("Second", "x", 0), 1);
  EXPECT_EQ(ini.ReadInteger("Second", "missing", 7), 7);
}

TEST(IniFile, SavingTwiceRestoresTheOrder) {
  IniFile first;
  first.Parse(kAwkwardFile);
  std::string once = first.SaveText();
  IniFile second;
  second.Parse(once);
  std::string twice = second.SaveText();
  EXPECT_NE(once, twice);
  IniFile third;
  third.Parse(twice);
  EXPECT_EQ(third.SaveText(), once);
}

TEST(IniFile, NumbersParseLikeTheCLibrary) {
  IniFile ini;
  ini.Parse("[n]\na= -12abc\nb=99999999999\nc=2.5e1x\nd=text\n");
  EXPECT_EQ(ini.ReadInteger("n", "a", 0), -12);
  EXPECT_EQ(ini.ReadInteger("n", "b", 0), INT32_MAX);
  EXPECT_EQ(ini.ReadFloat("n", "c", 0.0f), 25.0f);
  EXPECT_EQ(ini.ReadInteger("n", "d", 5), 0);
}

struct MalformedCase {
  const char* label;
  std::string text;
  std::string saved;  // what the parse kept, as SaveText gives it
};

std::vector<MalformedCase> MalformedCases() {
  std::string megaLine(1 << 20, 'x');
  return {
      {"no closing bracket", "[unclosed\nk=v\n", "[unclosed\nk=v\n]\r\n"},
      {"line without equals", "[a]\nno equals here\nk=v\n", "[a]\r\nk=v\r\n"},
      {"binary bytes", std::string("[\x01\0b]\n\xFF\0=\x02\0\n", 12),
       std::string("[\x01\0b]\r\n\xFF\0=\x02\0\r\n", 14)},
      {"megabyte line without equals", "[a]\n" + megaLine + "\nk=v", "[a]\r\nk=v\r\n"},
      {"megabyte value", "[a]\nk=" + megaLine, "[a]\r\nk=" + megaLine + "\r\n"},
      {"megabyte section name", "[" + megaLine, "[" + megaLine + "]\r\n"},
      {"only comments", "; one\n# two = 2\n", ""},
      {"no text", "", ""},
      {"brackets only", "[[[[", "[[[[]\r\n"},
      {"empty name", "[a]\n=v\n", "[a]\r\n=v\r\n"},
      {"equals at the very end", "[a]\nk=", "[a]\r\nk=\r\n"},
      {"value on the next line", "[a]\nk=\n  v\n", "[a]\r\n"},
      {"open bracket at the end", "[a]\n[", "[]\r\n[a]\r\n"},
      {"comment inside a name", "[a]\nk ;c=v\n", "[a]\r\nk ;c=v\r\n"},
      {"comment runs to the name's end", "[a]\nk;=v\n", "[a]\r\nk=v\r\n"},
  };
}

TEST(IniFile, MalformedInputsParseWithoutHanging) {
  for (const MalformedCase& c : MalformedCases()) {
    IniFile ini;
    ini.Parse(c.text);
    EXPECT_EQ(ini.SaveText(), c.saved) << c.label;
  }
}

TEST(IniFile, RandomBytesParseWithoutHanging) {
  Random_SetSeed(7);
  const char alphabet[] = "[]=;#\r\n \tab\x00\xFF";
  for (int round = 0; round < 200; ++round) {
    std::string text;
    int length = Random_Below(4000);
    for (int i = 0; i < length; ++i) text += alphabet[Random_Below(sizeof alphabet - 1)];
    IniFile ini;
    ini.Parse(text);
    IniFile again;
    again.Parse(ini.SaveText());  // whatever was kept survives a second pass
    EXPECT_EQ(again.Sections().size(), ini.Sections().size());
  }
}

class IniFileOnDisk : public ::testing::Test {
 protected:
  void SetUp() override {
    FileLocations_Reset();
    FileLocations_SetGameFolder(game.path());
    FileLocations_SetSaveArea(save.path());
  }
  void TearDown() override { FileLocations_Reset(); }
  TempFolder game;
  TempFolder save;
};

TEST_F(IniFileOnDisk, OpenPrefersTheSaveAreaThenTheGameFolder) {
  WriteWhole(game / "options.ini", "[DEFAULT]\nDebug=1\n");
  IniFile ini;
  ASSERT_TRUE(ini.Open("options.ini", false));
  EXPECT_EQ(ini.ReadInteger("DEFAULT", "Debug", 0), 1);

  WriteWhole(save / "options.ini", "[DEFAULT]\nDebug=0\n");
  ASSERT_TRUE(ini.Open("options.ini", false));
  EXPECT_EQ(ini.ReadInteger("DEFAULT", "Debug", 1), 0);

  EXPECT_FALSE(ini.Open("missing.ini", false));
  EXPECT_TRUE(ini.Sections().empty());
}

TEST_F(IniFileOnDisk, WritesGoToTheSaveAreaOnlyWhenChanged) {
  IniFile ini;
  EXPECT_FALSE(ini.Open("sub/new.ini", false));
  EXPECT_TRUE(ini.Save());
  EXPECT_FALSE(std::ifstream(save / "sub/new.ini").good()) << "unchanged: nothing written";

  EXPECT_TRUE(ini.WriteString("A", "x", "1"));
  EXPECT_TRUE(ini.WriteString("B", "y", "2"));
  EXPECT_TRUE(ini.WriteString("A", "x", "3"));
  EXPECT_TRUE(ini.Save());
  EXPECT_FALSE(ini.Changed());
  EXPECT_EQ(ReadWhole(save / "sub/new.ini"), "[B]\r\ny=2\r\n[A]\r\nx=3\r\n");
  EXPECT_FALSE(std::ifstream(game / "sub/new.ini").good());
}

TEST_F(IniFileOnDisk, SystemCommandFlushesOnlyForNow) {
  IniFile ini;
  ini.Open("flush.ini", false);
  ini.WriteString("S", "k", "v");
  EXPECT_TRUE(ini.WriteString("SYSTEM_COMMAND", "INI_FILE_FLUSH", "LATER"));
  EXPECT_FALSE(std::ifstream(save / "flush.ini").good());
  EXPECT_TRUE(ini.Changed());
  EXPECT_TRUE(ini.WriteString("SYSTEM_COMMAND", "INI_FILE_FLUSH", "NOW"));
  EXPECT_EQ(ReadWhole(save / "flush.ini"), "[S]\r\nk=v\r\n");
  EXPECT_EQ(ini.FindSection("SYSTEM_COMMAND"), nullptr);

  EXPECT_FALSE(ini.WriteString(nullptr, "k", "v"));
  EXPECT_FALSE(ini.WriteString("SYSTEM_COMMAND", nullptr, "NOW"));
}

TEST_F(IniFileOnDisk, DeletesReportWhetherSomethingWentAway) {
  IniFile ini;
  ini.Parse("[a]\nk=1\nk=2\n[b]\n");
  EXPECT_TRUE(ini.DeleteKey("a", "k"));
  EXPECT_EQ(ini.ReadString("a", "k", "-"), "1");
  EXPECT_TRUE(ini.DeleteKey("a", "k"));
  EXPECT_FALSE(ini.DeleteKey("a", "k"));
  EXPECT_FALSE(ini.DeleteKey("nope", "k"));
  EXPECT_TRUE(ini.DeleteSection("b"));
  EXPECT_FALSE(ini.DeleteSection("b"));
  EXPECT_EQ(ini.SaveText(), "[a]\r\n");
}

}  // namespace
