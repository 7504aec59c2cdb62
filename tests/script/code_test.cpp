#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "compiler_fixture.h"
#include "support/console_capture.h"

namespace {

class CodeObjects : public ::testing::Test {
 protected:
  void SetUp() override { CompilerFixture_Init(); }
  void TearDown() override {
    Code_SetUseVM(true);
    Code_SetGenerator(nullptr);
    Code_SetVMExecutor(nullptr);
    Code_SetTreeExecutor(nullptr);
    Code_SetStoredTable({});
  }
};

TEST_F(CodeObjects, NameFormats) {
  EXPECT_EQ(Code_NameObjectEvent("obj_a", "Step", 2), "Object.obj_a.Step.2");
  EXPECT_EQ(Code_NameScript("scr"), "Script.scr");
  EXPECT_EQ(Code_NameRoom("rm"), "Room.rm");
  EXPECT_EQ(Code_NameInstance("rm", 100004), "Instance.rm.100004");
  EXPECT_EQ(Code_NameLibrary(3), "Library.3");
  EXPECT_EQ(Code_NameConstant(0), "Constant.0");
  EXPECT_EQ(Code_NameTrigger("t"), "Trigger.t");
  EXPECT_EQ(Code_NameExecute(7), "Execute.7");
  EXPECT_EQ(Code_NameExtension("pkg", "fn"), "Extension.pkg.fn");
}

TEST_F(CodeObjects, CompileOnceWithBlanksInTheNameReplaced) {
  CCode code("x = 1", false);
  ASSERT_TRUE(code.Compile("my script\tnumber\n2"));
  EXPECT_EQ(code.Name(), "my_script_number_2");
  EXPECT_TRUE(code.IsCompiled());
  EXPECT_FALSE(code.Compile("again"));
  EXPECT_EQ(Compiler_LastError().message, "Internal Error: Recompiling compiled code.");
  EXPECT_EQ(Compiler_LastError().position, 0);
  EXPECT_EQ(code.Name(), "again");
}

TEST_F(CodeObjects, FailedCompileStaysNotCompiled) {
  CCode code("x = (", false);
  EXPECT_FALSE(code.Compile("bad"));
  EXPECT_FALSE(code.IsCompiled());
  EXPECT_EQ(code.Kind(), CodeKind::Program);
}

TEST_F(CodeObjects, ConstantExpressionsNeedNoBytecodeAndRunUnderBothExecutors) {
  int generated = 0;
  Code_SetGenerator([&](CCode&) {
    ++generated;
    return true;
  });
  CCode number("42", true);
  ASSERT_TRUE(number.Compile("n"));
  EXPECT_EQ(number.Kind(), CodeKind::Constant);
  EXPECT_EQ(number.Bytecode(), nullptr);
  EXPECT_EQ(generated, 0);
  for (bool vm : {true, false}) {
    Code_SetUseVM(vm);
    ScriptValue result;
    EXPECT_TRUE(Code_Execute_Value(nullptr, nullptr, number, result));
    EXPECT_TRUE(result.IsReal());
    EXPECT_EQ(result.real, 42);
  }
  CCode empty("\"\"", true);
  ASSERT_TRUE(empty.Compile("e"));
  ScriptValue result(5.0);
  EXPECT_TRUE(Code_Execute_Value(nullptr, nullptr, empty, result));
  EXPECT_TRUE(result.IsString());
  EXPECT_EQ(result.Text(), "");
}

TEST_F(CodeObjects, GeneratorMakesTheBytecodeAndCanFailTheCompile) {
  Code_SetGenerator([](CCode& code) {
    code.SetBytecode(VMBuffer(std::vector<uint8_t>{0x05, 0x00, 0x0f, 0xc0}), VMBuffer());
    return code.Name() != "refused";
  });
  int runs = 0;
  Code_SetVMExecutor([&](const CCode& code, CInstance*, CInstance*, ScriptValue& result) {
    ++runs;
    result.SetReal(code.Bytecode()->Size());
  });
  CCode program("x = y", false);
  ASSERT_TRUE(program.Compile("ok"));
  ASSERT_NE(program.Bytecode(), nullptr);
  EXPECT_EQ(program.SourceCopy(), "x = y");
  ScriptValue result;
  EXPECT_TRUE(Code_Execute(nullptr, nullptr, program, result));
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(result.real, 4);
  CCode refused("x = y", false);
  EXPECT_FALSE(refused.Compile("refused"));
  EXPECT_FALSE(refused.IsCompiled());
}

TEST_F(CodeObjects, TreesAreDroppedOnceBytecodeIsMadeOnlyWhenAsked) {
  Code_SetGenerator([](CCode& code) {
    code.SetBytecode(VMBuffer(std::vector<uint8_t>{0x05, 0x00, 0x0f, 0xc0}), VMBuffer());
    return true;
  });
  CCode kept("x = y; z = 1", false);
  ASSERT_TRUE(kept.Compile("kept"));
  EXPECT_FALSE(kept.Root().children.empty());
  Code_SetKeepTrees(false);
  CCode dropped("x = y; z = 1", false), constant("2 + 3", true);
  const bool compiled = dropped.Compile("dropped") && constant.Compile("constant");
  // Without the virtual machine the tree is what runs: it stays.
  Code_SetUseVM(false);
  CCode walked("x = y; z = 1", false);
  const bool walkedCompiled = walked.Compile("walked");
  Code_SetKeepTrees(true);
  ASSERT_TRUE(compiled && walkedCompiled);
  EXPECT_TRUE(dropped.Root().children.empty());
  EXPECT_NE(dropped.Bytecode(), nullptr);
  EXPECT_EQ(dropped.SourceCopy(), "x = y; z = 1");
  EXPECT_EQ(constant.Kind(), CodeKind::Constant);
  EXPECT_EQ(constant.Constant().real, 5);
  EXPECT_FALSE(walked.Root().children.empty());
}

TEST_F(CodeObjects, StoredCodeViewsTheLoadersBytes) {
  static const std::vector<uint8_t> bytes = {1, 2, 3, 4, 5, 6, 7, 8};
  static const std::vector<uint8_t> lines = {0, 0, 0, 0, 9, 0, 0, 0};
  std::vector<StoredCodeEntry> table(2);
  table[0].name = "Object.a.Create.0";
  table[1].name = "Script.b";
  table[1].bytecode = bytes;
  table[1].lineTable = lines;
  table[1].source = "return 1";
  Code_SetStoredTable(std::move(table));

  auto stored = CCode::Stored(1, false);
  EXPECT_TRUE(stored->IsCompiled());
  EXPECT_EQ(stored->Name(), "Script.b");
  ASSERT_NE(stored->Bytecode(), nullptr);
  EXPECT_EQ(stored->Bytecode()->Data(), bytes.data());
  EXPECT_EQ(stored->Bytecode()->Size(), 8);
  ASSERT_NE(stored->DebugInfo(), nullptr);
  EXPECT_EQ(stored->DebugInfo()->Size(), 8);
  EXPECT_EQ(stored->GetText(), "return 1");
  EXPECT_EQ(stored->SourceCopy(), "return 1");
  EXPECT_FALSE(stored->Compile("again"));

  int runs = 0;
  Code_SetVMExecutor([&](const CCode&, CInstance*, CInstance*, ScriptValue&) { ++runs; });
  ScriptValue result;
  EXPECT_TRUE(Code_Run(nullptr, nullptr, *stored, result));
  EXPECT_EQ(runs, 1);

  for (int32_t n : {-1, 2, 1000000}) {
    auto missing = CCode::Stored(n, true);
    EXPECT_TRUE(missing->IsCompiled());
    EXPECT_EQ(missing->Name(), "");
    EXPECT_EQ(missing->GetText(), "");
    EXPECT_EQ(missing->Bytecode(), nullptr);
    EXPECT_TRUE(Code_Run(nullptr, nullptr, *missing, result));
  }
  EXPECT_EQ(runs, 1);
}

TEST_F(CodeObjects, TreeInterpreterRefusesNilInstanceAndNonCompiledCode) {
  Code_SetUseVM(false);
  CCode program("x = y", false);
  ScriptValue result;
  EXPECT_FALSE(Code_Run(nullptr, nullptr, program, result));
  EXPECT_EQ(Compiler_LastError().message, "Internal Error: Executing non-compiled code->");

  ASSERT_TRUE(program.Compile("p"));
  EXPECT_FALSE(Code_Execute_Value(nullptr, nullptr, program, result));
  EXPECT_TRUE(result.IsString());
  EXPECT_EQ(result.Text(), "ERROR");
  EXPECT_TRUE(Compiler_LastError().pending);
  EXPECT_EQ(Compiler_LastError().message, "Internal Error: Executing code for nil instance.");
  EXPECT_EQ(Compiler_LastError().text,
            "Error in code at line 1:\n   x = y\n\nat position 1: "
            "Internal Error: Executing code for nil instance.");
}

TEST_F(CodeObjects, ExecuteShowsTheErrorAndClearsIt) {
  Code_SetUseVM(false);
  ConsoleCapture console;
  CCode program("x = y", false);
  ASSERT_TRUE(program.Compile("p"));
  ScriptValue result;
  EXPECT_FALSE(Code_Execute(nullptr, nullptr, program, result));
  EXPECT_NE(console.Text().find("Internal Error: Executing code for nil instance."),
            std::string::npos);
  EXPECT_FALSE(Compiler_LastError().pending);
}

TEST_F(CodeObjects, TreeExecutorRunsCompiledTrees) {
  Code_SetUseVM(false);
  Code_SetTreeExecutor([](const CCode& code, CInstance*, CInstance*, ScriptValue& result) {
    result.SetReal(static_cast<double>(code.Root().children.size()));
    return true;
  });
  CCode program("a = 1; b = 2", false);
  ASSERT_TRUE(program.Compile("p"));
  int instance = 0;
  CInstance* self = reinterpret_cast<CInstance*>(&instance);
  ScriptValue result;
  EXPECT_TRUE(Code_Execute(self, self, program, result));
  EXPECT_EQ(result.real, 2);
}

}  // namespace
