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
#include "support/game_data_writer.h"
#include "vm_fixture.h"

namespace vmtest {
namespace {

// Turns compiled code into a stored entry as a game file holds it: string operands become
// indices into the file's string table, and every variable and call records where it is used
// (the writer replaces their ids by the chains the loader follows).
gamedata::StoredCode ToStored(const std::string& name, const VMBuffer& code, GameDataWriter& game) {
  gamedata::StoredCode stored;
  stored.name = name;
  stored.words.resize(static_cast<size_t>(code.Size()) / 4);
  std::memcpy(stored.words.data(), code.Data(), static_cast<size_t>(code.Size()));
  std::map<std::string, std::vector<uint32_t>> variables, functions;
  for (size_t at = 0; at < stored.words.size();) {
    const uint32_t word = stored.words[at];
    const uint32_t op = word >> 24, type = (word >> 16) & 0x0F;
    const size_t operandWords = (op & 0x40) != 0 ? VM_GetOperandSize(type) / 4 : 0;
    const auto offset = static_cast<uint32_t>(at * 4);
    if (operandWords == 1) {
      uint32_t& operand = stored.words[at + 1];
      if (op == static_cast<uint32_t>(VMOpcode::Push) && type == 6) {
        std::string_view text;
        EXPECT_TRUE(VM_String(operand, text));
        operand = game.AddString(std::string(text));
      } else if (op == static_cast<uint32_t>(VMOpcode::Call)) {
        const auto id = static_cast<int32_t>(operand);
        const std::string function = id >= kScriptFunctionBase
                                         ? TheWorld().scriptNames[static_cast<size_t>(id - kScriptFunctionBase)]
                                         : Function_Get(id)->name;
        functions[function].push_back(offset);
      } else if (type == 5) {
        variables[Code_Variable_Name(static_cast<int32_t>(operand & kVMVarIdMask))].push_back(offset);
      }
    }
    at += 1 + operandWords;
  }
  stored.variableUses.assign(variables.begin(), variables.end());
  stored.functionUses.assign(functions.begin(), functions.end());
  return stored;
}

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
  // The file names its scripts: "twice" is script 0 there as in the fixture.
  game.scripts.insert(game.scripts.begin(), {"twice", {"return argument0 * 2;", -1}});
  game.code.push_back(ToStored("Stored.program", *compiled.Bytecode(), game));
  ASSERT_EQ(GameData_LoadImage(game.Build()), GameLoadResult::Loaded);
  // Loading installs the game's own tables; point the lookups back at the fixture's world
  // (script 0 of the file is the fixture's "twice").
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
