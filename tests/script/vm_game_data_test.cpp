// Stored bytecode written into a game data file (with its string table and its VARI and FUNC
// chains), loaded by the loader and run on the machine, gives what the compiled code gives.
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "data/code_table.h"
#include "data/game_data.h"
#include "data/game_loader.h"
#include "script/code.h"
#include "script/compiler/compile_error_sink.h"
#include "script/function_table.h"
#include "script/vm/vm_opcodes.h"
#include "script/vm/vm_strings.h"
#include "stored_bytecode.h"
#include "support/game_data_writer.h"
#include "vm_fixture.h"

namespace vmtest {
namespace {

TEST_F(VMTest, StoredCodeFromAGameFileRunsLikeCompiledCode) {
  AddScript("twice", "return argument0 * 2;");
  const std::string program =
      "var i; t = \"ab\"; r = 0; for (i = 0; i < 5; i += 1) r += twice(i);"
      "s = t + \"c\"; with (all) w = 1; rec(r, s);";
  CCode compiled(program, false);
  ASSERT_TRUE(compiled.Compile("Compiled")) << Compiler_LastError().text;
  ASSERT_TRUE(Run(program));
  const double r = Var("r").real;
  const std::string s = std::string(Var("s").Text());
  EXPECT_DOUBLE_EQ(r, 20);
  EXPECT_EQ(s, "abc");

  GameDataWriter game = TestGame();
  // The file names the fixture's scripts in their order, so "twice" has the same number there.
  game.scripts.clear();
  for (const std::string& name : TheWorld().scriptNames) game.scripts.push_back({name, {}});
  game.code.push_back(StoredBytecode_FromCode(compiled, game, [](int32_t n) {
    return TheWorld().scriptNames[static_cast<size_t>(n)];
  }));
  ASSERT_EQ(GameData_LoadImage(game.Build()), GameLoadResult::Loaded);
  // Loading installs the game's own tables; point the lookups back at the fixture's world.
  InstallScriptLookups();
  InstallWorldHooks();
  VM_SetFileStrings(StringTable_Count, StringTable_Get);

  const ::StoredCode* loaded = CodeTable_Get(0);
  ASSERT_NE(loaded, nullptr);
  // The loader restored the ids, so the stored words equal the compiled ones again except
  // for the string operands, which now index the file's table.
  ASSERT_EQ(loaded->words.size() * 4, static_cast<size_t>(compiled.Bytecode()->Size()));
  std::span<const uint8_t> bytes(reinterpret_cast<const uint8_t*>(loaded->words.data()),
                                 loaded->words.size() * 4);
  Code_SetStoredTable({StoredCodeEntry{loaded->name, bytes, {}, ""}});
  std::unique_ptr<CCode> stored = CCode::Stored(0, false);

  ASSERT_TRUE(Run("r = -1; s = 0; w = 0;"));
  TheWorld().recorded.clear();
  ScriptValue ignored;
  Code_Run(self, self, *stored, ignored);
  EXPECT_TRUE(Errors().empty()) << (Errors().empty() ? "" : Errors()[0]);
  EXPECT_DOUBLE_EQ(Var("r").real, r);
  EXPECT_EQ(Var("s").Text(), s);
  EXPECT_DOUBLE_EQ(Var("w").real, 1);
  ASSERT_EQ(TheWorld().recorded.size(), 2u);
  EXPECT_EQ(TheWorld().recorded[1].Text(), "abc");

  Code_SetStoredTable({});
  VM_SetFileStrings(nullptr, nullptr);
  CodeTable_Clear();
}

}  // namespace
}  // namespace vmtest
