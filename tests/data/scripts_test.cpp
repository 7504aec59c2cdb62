#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "data/objects.h"
#include "data/scripts.h"
#include "loaded_game.h"
#include "script/code.h"
#include "script/code_exec.h"
#include "script/compiler/compile_error_sink.h"
#include "script/function_table.h"
#include "script/script_arguments.h"

namespace {

std::string SumOfArguments(int n) {
  std::string text = "return 0";
  for (int i = 0; i < n; ++i) text += " + argument" + std::to_string(i) + " * " + std::to_string(i + 1);
  return text + ";";
}

class ScriptsTest : public LoadedGame {
 protected:
  void LoadScripts() {
    GameDataWriter game;
    game.scripts = {
        {"scr_none", {"return 42;"}},
        {"scr_three", {"return argument0 + argument1 + argument2;"}},
        {"scr_sixteen", {SumOfArguments(16)}},
        {"scr_outer", {"var r; r = scr_inner(argument0 * 10); return argument0 + r;"}},
        {"scr_inner", {"return argument0 * 2;"}},
        {"scr_count", {"return argument_count;"}},
    };
    LoadWithCaller(game);
  }

  // Loads game with one object and makes an instance of it as self.
  void LoadWithCaller(GameDataWriter& game) {
    gamedata::Object caller;
    caller.name = "obj_caller";
    game.objects = {caller};
    ASSERT_TRUE(Load(game)) << log;
    ASSERT_TRUE(Prepare()) << log;
    self = &Make(0);
  }

  // Compiles and runs a program on the machine; its return value.
  ScriptValue Run(const std::string& program) {
    CCode code(program, false);
    EXPECT_TRUE(code.Compile("Test.caller")) << Compiler_LastError().text;
    ScriptValue result;
    Code_Run(self, self, code, result);
    return result;
  }

  CInstance* self = nullptr;
};

TEST_F(ScriptsTest, CalledFromCodeWithZeroThreeAndSixteenArguments) {
  LoadScripts();
  EXPECT_EQ(Run("return scr_none();").real, 42.0);
  const ScriptValue three = Run("return scr_three(\"a\", \"b\", \"c\");");
  ASSERT_TRUE(three.IsString());
  EXPECT_EQ(three.Text(), "abc");
  std::string call = "return scr_sixteen(";
  for (int i = 1; i <= 16; ++i) call += std::to_string(i * 10) + (i < 16 ? ", " : ");");
  // sum of (10 i) * i for i = 1..16
  EXPECT_EQ(Run(call).real, 14960.0);
  EXPECT_EQ(Run("return scr_count(1, 2, 3);").real, 3.0);
  EXPECT_EQ(Run("return scr_outer(1);").real, 21.0);  // the caller's argument0 survives the inner call
  EXPECT_TRUE(MachineErrors().empty());
}

TEST_F(ScriptsTest, PerformTakesArgumentsAndGivesTheCallersSlotsBack) {
  LoadScripts();
  Code_Argument_Set(0, ScriptValue::String("outer"));
  Code_ArgumentCount = 1;

  ScriptValue result;
  EXPECT_TRUE(Script_Perform(Script_Find("scr_none"), self, self, 0, result, nullptr));
  EXPECT_EQ(result.real, 42.0);

  const std::vector<ScriptValue> three = {ScriptValue::String("x"), ScriptValue::String("y"),
                                          ScriptValue::String("z")};
  EXPECT_TRUE(Script_Perform(Script_Find("scr_three"), self, self, 3, result, three.data()));
  EXPECT_EQ(result.Text(), "xyz");

  std::vector<ScriptValue> many;
  for (int i = 1; i <= 17; ++i) many.push_back(ScriptValue::Real(i));
  EXPECT_TRUE(Script_Perform(Script_Find("scr_sixteen"), self, self, 16, result, many.data()));
  EXPECT_EQ(result.real, 1496.0);  // sum of i * i for i = 1..16
  // A seventeenth argument has no slot: it is not taken.
  EXPECT_TRUE(Script_Perform(Script_Find("scr_sixteen"), self, self, 17, result, many.data()));
  EXPECT_EQ(result.real, 1496.0);
  EXPECT_TRUE(Script_Perform(Script_Find("scr_count"), self, self, 17, result, many.data()));
  EXPECT_EQ(result.real, 16.0);

  EXPECT_EQ(Code_Arguments[0].Text(), "outer");
  EXPECT_EQ(Code_ArgumentCount, 1);
  EXPECT_TRUE(MachineErrors().empty());
}

TEST_F(ScriptsTest, LookupsAndEmptySlots) {
  GameDataWriter game;
  game.scripts = {{"scr_a", {"return 1;"}}};
  ASSERT_TRUE(Load(game)) << log;
  ASSERT_TRUE(Prepare()) << log;
  int32_t id = -1;
  EXPECT_TRUE(Function_Find("scr_a", id));
  EXPECT_EQ(id, kScriptFunctionBase);
  EXPECT_EQ(Script_GetName(0), "scr_a");
  EXPECT_EQ(Script_GetName(1), "<undefined>");
  EXPECT_EQ(Script_GetName(-1), "<undefined>");
  EXPECT_EQ(Script_Find("scr_b"), -1);
  ScriptValue result = ScriptValue::Real(7);
  EXPECT_FALSE(Script_Perform(5, nullptr, nullptr, 0, result, nullptr));
  EXPECT_EQ(result.real, 7.0);  // nothing ran
}

TEST_F(ScriptsTest, ARunFailureIsPrefixedWithTheScriptsName) {
  LoadScripts();
  // The tree interpreter reports its errors through the pending error text.
  Code_SetUseVM(false);
  Code_SetTreeExecutor([](const CCode& code, CInstance*, CInstance*, ScriptValue&) {
    Compiler_ReportError(code, 0, "something went wrong");
    return false;
  });
  ScriptValue result;
  const bool ok = Script_Perform(Script_Find("scr_none"), self, self, 0, result, nullptr);
  const std::string text = Compiler_LastError().text;
  Code_SetTreeExecutor(nullptr);
  Code_SetUseVM(true);
  Compiler_ClearError();
  EXPECT_FALSE(ok);
  EXPECT_EQ(result.Text(), "ERROR");
  EXPECT_EQ(text.rfind("In script scr_none:\nError in code at line 1:\n", 0), 0u) << text;
  EXPECT_NE(text.find("something went wrong"), std::string::npos) << text;
}

TEST_F(ScriptsTest, EndlessRecursionOnTheTreeNamesTheScriptOnceAndKeepsTheWholeMessage) {
  GameDataWriter game;
  game.scripts = {{"scr_deep", {"return scr_deep(argument0 + 1) + 1;"}}};
  LoadWithCaller(game);
  ASSERT_NE(self, nullptr);
  Code_SetUseVM(false);
  Code_Exec_Install();
  ScriptValue result;
  const ScriptValue start = ScriptValue::Real(0);
  const bool ok = Script_Perform(Script_Find("scr_deep"), self, self, 1, result, &start);
  const std::string text = Compiler_LastError().text;
  Code_SetTreeExecutor(nullptr);
  Code_SetUseVM(true);
  Compiler_ClearError();
  EXPECT_FALSE(ok);
  // Where the stack runs out (the position) depends on the build's frame sizes.
  const std::string head =
      "In script scr_deep:\nError in code at line 1:\n   return scr_deep(argument0 + 1) + 1;\n\n"
      "at position ";
  const std::string tail = ": Stack overflow...";
  EXPECT_EQ(text.rfind(head, 0), 0u) << text;
  EXPECT_EQ(text.find("In script", 1), std::string::npos) << text;
  ASSERT_GE(text.size(), head.size() + tail.size()) << text;
  EXPECT_EQ(text.substr(text.size() - tail.size()), tail) << text;
}

TEST_F(ScriptsTest, CompileFailureNamesTheScript) {
  GameDataWriter game;
  game.scripts = {{"scr_fine", {"return 1;"}}, {"scr_broken", {"return (;"}}};
  ASSERT_TRUE(Load(game)) << log;
  EXPECT_FALSE(Prepare());
  EXPECT_NE(log.find("ERROR!!! :: COMPILATION ERROR in Script: scr_broken\nError in code at line 1"),
            std::string::npos)
      << log;
}

}  // namespace

namespace {

// The bytecode the machine's generator makes for a text, as stored code words.
std::vector<uint32_t> StoredWords(const std::string& text) {
  CCode code(text, false);
  EXPECT_TRUE(code.Compile("Test.stored")) << Compiler_LastError().text;
  std::vector<uint32_t> words;
  if (const VMBuffer* bytes = code.Bytecode()) {
    words.resize(static_cast<size_t>(bytes->Size()) / 4);
    std::memcpy(words.data(), bytes->Data(), words.size() * 4);
  }
  return words;
}

TEST_F(ScriptsTest, StoredBytecodeScriptsAndEventsRun) {
  GameDataWriter game;
  game.code.push_back({"gml_Script_scr_seven", StoredWords("return 7;"), {}, {}});
  game.code.push_back({"gml_Object_obj_a_Create_0", StoredWords("return 1;"), {}, {}});
  game.scripts = {{"scr_seven", {"", 0}}};
  gamedata::Object a;
  a.name = "obj_a";
  a.events.push_back({0, 0, {"", 1}});
  game.objects = {a};
  ASSERT_TRUE(Load(game)) << log;
  ASSERT_TRUE(Prepare()) << log;
  ASSERT_NE(Script_Data(0), nullptr);
  EXPECT_EQ(Script_Data(0)->CodeIndex(), 0);
  ScriptValue result;
  EXPECT_TRUE(Script_Perform(0, nullptr, nullptr, 0, result, nullptr));
  EXPECT_EQ(result.real, 7.0);
  const CEvent* create = Object_Data(0)->GetEvent(0, 0);
  ASSERT_NE(create, nullptr);
  EXPECT_TRUE(create->stored);
  EXPECT_EQ(create->code->Name(), "gml_Object_obj_a_Create_0");
  EXPECT_NE(create->code->Bytecode(), nullptr);
}

}  // namespace
