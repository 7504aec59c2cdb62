// Stored bytecode: the code table's own copy gets the variable and function ids patched in
// along the reference chains; the file image stays as it was.
#include <gtest/gtest.h>

#include <cstring>

#include "data/code_table.h"
#include "data/game_data.h"
#include "data/game_loader.h"
#include "script/compiler/user_variables.h"
#include "script/function_table.h"
#include "support/game_data_writer.h"
#include "support/runner_process.h"

namespace {

constexpr uint32_t Instruction(uint32_t opcode, uint32_t type, uint32_t low = 0) {
  return opcode << 24 | type << 16 | (low & 0xFFFF);
}
constexpr uint32_t kPushSelf = Instruction(0xC0, 0x05, 0xFFFF);
constexpr uint32_t kPopSelf = Instruction(0x41, 0x55, 0xFFFF);
constexpr uint32_t kCall = Instruction(0xDA, 0x02, 0);

// Registers the built-in names the tests call, once.
void RegisterTestFunctions() {
  static const bool done = [] {
    Function_Add("kf_test_alpha", nullptr, 0);
    Function_Add("kf_test_beta", nullptr, 0);
    return true;
  }();
  (void)done;
}

int32_t FunctionId(const char* name) {
  int32_t id = -1;
  Function_Find(name, id);
  return id;
}

// Two entries; "x" is used in both (a chain across entries), "score" once; alpha is called twice.
GameDataWriter BytecodeGame() {
  GameDataWriter game = TestGame();
  gamedata::StoredCode a;
  a.name = "first";
  a.words = {kPushSelf, 0xA0000000, kPopSelf, 0xE0000000, kCall, 0, Instruction(0xC0, 0x06), 0};
  a.words[7] = game.AddString("text operand");
  a.variableUses = {{"x", {0}}, {"score", {8}}};
  a.functionUses = {{"kf_test_alpha", {16}}};
  gamedata::StoredCode b;
  b.name = "second";
  b.words = {Instruction(0xC0, 0x00), 0, 0x40000000, kPopSelf, 0x80000000, kCall, 0, kCall, 0};
  b.variableUses = {{"x", {12}}};
  b.functionUses = {{"kf_test_alpha", {20}}, {"kf_test_beta", {28}}};
  game.code = {a, b};
  game.scripts[0].code.stored = 1;
  game.objects[0].events[0].code.stored = 0;
  return game;
}

// Variable names resolve through the compiler's one name table: "x" is a built-in variable,
// "score" a user variable, with the ids code compiled in this process gets for them.
class StoredCode : public ::testing::Test {
 protected:
  void SetUp() override { RegisterTestFunctions(); }
  const uint32_t x = static_cast<uint32_t>(Code_Variable_Find("x"));
  const uint32_t score = static_cast<uint32_t>(Code_Variable_Find("score"));
};

TEST_F(StoredCode, ChainsArePatchedIntoTheTablesCopyNotTheImage) {
  const auto image = BytecodeGame().Build();
  ConsoleCapture console;
  ASSERT_EQ(GameData_LoadImage(image), GameLoadResult::Loaded) << console.Text();
  EXPECT_TRUE(console.Contains("Code_Load()\nVARI_Load()\n")) << console.Text();
  ASSERT_TRUE(CodeTable_Active());
  ASSERT_EQ(CodeTable_Count(), 2u);
  const auto& a = CodeTable_Get(0)->words;
  const auto& b = CodeTable_Get(1)->words;
  EXPECT_EQ(CodeTable_Get(0)->name, "first");
  EXPECT_EQ(a[0], kPushSelf);
  ASSERT_LT(x, 10000u);
  ASSERT_GE(score, 100000u);
  EXPECT_EQ(a[1], 0xA0000000u | x);         // flags kept, id of x
  EXPECT_EQ(a[3], 0xE0000000u | score);     // flags kept, id of score
  EXPECT_EQ(a[5], static_cast<uint32_t>(FunctionId("kf_test_alpha")));
  EXPECT_EQ(StringTable_Get(a[7]), "text operand");  // string operands stay indices
  EXPECT_EQ(b[1], 0u);                       // the double constant is untouched
  EXPECT_EQ(b[2], 0x40000000u);
  EXPECT_EQ(b[4], 0x80000000u | x);
  EXPECT_EQ(b[6], static_cast<uint32_t>(FunctionId("kf_test_alpha")));
  EXPECT_EQ(b[8], static_cast<uint32_t>(FunctionId("kf_test_beta")));

  // The loaded image still holds the chains as written.
  const auto start = CodeTable_Get(0)->fileOffset;
  EXPECT_EQ(std::memcmp(GameData_Reader().Image().data(), image.data(), image.size()), 0);
  const uint32_t chainInFile = ReadU32(image, start + 4) & 0x1FFFFFFF;
  EXPECT_EQ(start + chainInFile, CodeTable_Get(1)->fileOffset + 12);
}

TEST_F(StoredCode, VariableChainMayRunBackwards) {
  auto image = BytecodeGame().Build();
  ConsoleCapture console;
  ASSERT_EQ(GameData_LoadImage(image), GameLoadResult::Loaded);
  const uint32_t first = CodeTable_Get(0)->fileOffset;
  const uint32_t second = CodeTable_Get(1)->fileOffset + 12;
  // Rewrite x's record to start at the later use and step back to the earlier one.
  const auto layout = ChunkLayout(image);
  const auto* vari = FindChunk(layout, "VARI");
  ASSERT_NE(vari, nullptr);
  WriteU32(image, vari->bodyOffset + 8, second);
  const int32_t back = static_cast<int32_t>(first) - static_cast<int32_t>(second);
  WriteU32(image, second + 4, 0x80000000u | (static_cast<uint32_t>(back) & 0x1FFFFFFF));
  WriteU32(image, first + 4, 0xA0000000u | 0x1FFFFFFF);  // the last use: anything
  ASSERT_EQ(GameData_LoadImage(image), GameLoadResult::Loaded) << console.Text();
  EXPECT_EQ(CodeTable_Get(0)->words[1], 0xA0000000u | x);
  EXPECT_EQ(CodeTable_Get(1)->words[4], 0x80000000u | x);
}

// Every variable name resolves (a new one becomes a user variable); a function name that is
// neither a script, an extension function nor a built-in ends the load.
TEST_F(StoredCode, UnresolvableFunctionNamesEndWithErrorOnLoad) {
  GameDataWriter game = BytecodeGame();
  game.code[1].functionUses[1].first = "kf_no_such_function";
  ConsoleCapture console;
  EXPECT_EQ(GameData_LoadImage(game.Build()), GameLoadResult::UnresolvedName);
  EXPECT_TRUE(console.Contains("ERROR!!! :: Error on load\nUnable to find function kf_no_such_function\n"))
      << console.Text();
  EXPECT_FALSE(console.Contains("Failed to load the game"));
}

TEST_F(StoredCode, DamagedCodeAndReferencesFailTheLoad) {
  const auto image = BytecodeGame().Build();
  const auto layout = ChunkLayout(image);
  const uint32_t code = FindChunk(layout, "CODE")->bodyOffset;
  const uint32_t vari = FindChunk(layout, "VARI")->bodyOffset;
  const uint32_t func = FindChunk(layout, "FUNC")->bodyOffset;
  const uint32_t entry = ReadU32(image, code + 4);
  const uint32_t second = ReadU32(image, code + 8) + 8;  // where the second entry's words start
  const uint32_t size = static_cast<uint32_t>(image.size());
  struct Case {
    const char* what;
    uint32_t offset;
    uint32_t value;
  };
  const Case cases[] = {
      {"code length past the end", entry + 4, 0x7FFFFFFC},
      {"code length not whole words", entry + 4, 30},
      {"code count of 2^31", code, 0x80000000u},
      {"code entry past the end", code + 4, size + 4},
      {"first variable use past the end", vari + 8, size + 64},
      {"first variable use inside a chunk header", vari + 8, vari - 8},
      {"variable use between instructions", vari + 8, entry + 10},
      {"variable use inside an instruction's operand", vari + 8, second + 4},
      {"variable use at a call", vari + 8, entry + 8 + 16},
      {"function use at a variable access", func + 8, entry + 8},
      {"function chain into an operand", entry + 8 + 20, (second + 4) - (entry + 8 + 16)},
      {"variable use count of 2^31", vari + 4, 0x80000000u},
      {"variable chain leaving the code", entry + 8 + 4, 0xA0000000u | 0x0FFFFFFF},
      {"variable chain stepping before the file", entry + 8 + 4, 0xA0000000u | 0x10000000},
      {"function call count of 2^31", func + 4, 0x80000000u},
      {"function call site past the end", func + 8, 0xFFFFFFFFu},
      {"string operand outside the table", entry + 8 + 28, 100000},
      {"operand cut off at the end of its code", entry + 8 + 24, Instruction(0xC0, 0x00)},
  };
  for (const Case& c : cases) {
    auto bad = image;
    WriteU32(bad, c.offset, c.value);
    ConsoleCapture console;
    EXPECT_EQ(GameData_LoadImage(bad), GameLoadResult::Failed) << c.what << "\n" << console.Text();
  }
  auto bad = image;
  bad.resize(bad.size() + 1);  // a reference chunk that is not whole records
  WriteU32(bad, vari - 4, ReadU32(bad, vari - 4) + 1);
  ConsoleCapture console;
  EXPECT_NE(GameData_LoadImage(bad), GameLoadResult::Loaded);
}

TEST(StoredCodeBinary, UnresolvableFunctionExitsWithCodeOne) {
  GameDataWriter game = TestGame();
  gamedata::StoredCode c;
  c.name = "calls";
  c.words = {kCall, 0};
  c.functionUses = {{"kf_nowhere", {0}}};
  game.code = {c};
  TempFolder folder;
  ASSERT_TRUE(game.WriteFile(folder / "game.win"));
  const RunnerResult r = RunRunner({"-game", folder / "game.win"});
  EXPECT_EQ(r.exitCode, 1) << r.output;
  EXPECT_NE(r.output.find("Error on load\nUnable to find function kf_nowhere\n"), std::string::npos) << r.output;
}

// The compiler never writes a call with fewer arguments than a built-in takes, but a stored
// game can hold one: the built-in reads the missing arguments as 0, never the memory past the
// pushed values (the sanitizer build reports any such read), and the game plays on.
TEST(StoredCodeBinary, BuiltInCalledWithTooFewArgumentsReadsZeros) {
  GameDataWriter game = TestGame();
  gamedata::StoredCode c;
  c.name = "short_calls";
  constexpr uint32_t kPopz = Instruction(0x9F, 0x05);
  c.words = {kCall, 0, kPopz, kCall, 0, kPopz, kCall, 0, kPopz};
  // A stored game holds all its code as bytecode: this entry ends the game itself.
  c.functionUses = {{"draw_sprite_general", {0}}, {"room_set_view", {12}}, {"game_end", {24}}};
  game.code = {c};
  game.objects[0].events[0].code.stored = 0;
  TempFolder folder;
  ASSERT_TRUE(game.WriteFile(folder / "game.win"));
  const RunnerResult r = RunRunner({"-game", folder / "game.win"});
  EXPECT_EQ(r.exitCode, 0) << r.output;
  EXPECT_EQ(r.output.find("Sanitizer"), std::string::npos) << r.output;
}

}  // namespace
