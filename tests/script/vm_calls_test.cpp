// Calls the generated code makes rarely or never: extension functions, scripts without
// bytecode, more than 16 arguments from stored code; and errors while watches are evaluated.
#include <vector>

#include "script/compile_error.h"
#include "script/error_report.h"
#include "script/function_table.h"
#include "script/script_arguments.h"
#include "script/vm/vm_opcodes.h"
#include "vm_fixture.h"

namespace vmtest {
namespace {

std::vector<int32_t> g_ExtensionCalls;

bool Extension(int32_t number, int argc, ScriptValue* args, ScriptValue& result) {
  g_ExtensionCalls.push_back(number);
  result.SetReal(argc > 0 ? args[0].real * 10 : -1);
  return true;
}

VMBuffer Code(std::initializer_list<uint32_t> words) {
  std::vector<uint8_t> bytes;
  for (uint32_t w : words) {
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<uint8_t>(w >> (8 * i)));
  }
  return VMBuffer(std::move(bytes));
}

TEST_F(VMTest, ExtensionIdsCallTheExtensionHook) {
  g_ExtensionCalls.clear();
  VM_SetExtensionCall(Extension);
  // call.i 500000 with one argument (the real 4), then return the result.
  VMBuffer code = Code({VM_Word(VMOpcode::Push, 0x0F, 4), VM_Word(VMOpcode::Conv, 0x52),
                        VM_Word(VMOpcode::Call, 0x02, 1), 500000u, VM_Word(VMOpcode::Ret, 0x05)});
  ScriptValue result;
  VM_Exec("ext", self, self, code, &result, nullptr, "");
  VM_SetExtensionCall(nullptr);
  EXPECT_EQ(g_ExtensionCalls, std::vector<int32_t>{0});
  EXPECT_DOUBLE_EQ(result.real, 40);
}

TEST_F(VMTest, ScriptWithoutBytecodeGivesZero) {
  AddScript("empty_script", "");
  ASSERT_TRUE(Run("r = 5; r = empty_script(1, \"two\");"));
  EXPECT_TRUE(Errors().empty());
  EXPECT_DOUBLE_EQ(Var("r").real, 0);
}

TEST_F(VMTest, MoreThanSixteenArgumentsFromStoredCodeAreDropped) {
  AddScript("count_them", "return argument_count * 100 + argument15;");
  int32_t id = -1;
  ASSERT_TRUE(Function_Find("count_them", id));
  std::vector<uint32_t> words;
  for (int i = 20; i > 0; --i) {
    words.push_back(VM_Word(VMOpcode::Push, 0x0F, static_cast<uint32_t>(i)));
    words.push_back(VM_Word(VMOpcode::Conv, 0x52));
  }
  words.push_back(VM_Word(VMOpcode::Call, 0x02, 20));
  words.push_back(static_cast<uint32_t>(id));
  words.push_back(VM_Word(VMOpcode::Ret, 0x05));
  std::vector<uint8_t> bytes;
  for (uint32_t w : words) {
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<uint8_t>(w >> (8 * i)));
  }
  VMBuffer code(std::move(bytes));
  ScriptValue result;
  VM_Exec("many", self, self, code, &result, nullptr, "");
  EXPECT_TRUE(Errors().empty());
  EXPECT_DOUBLE_EQ(result.real, 1616);
}

TEST_F(VMTest, ErrorsWhileEvaluatingWatchesOnlyLeaveAPendingError) {
  Code_PendingError = false;
  Debug_EvaluatingWatches = true;
  ASSERT_TRUE(Run("a = 1; b = 0; r = a / b; after = 1;"));
  Debug_EvaluatingWatches = false;
  EXPECT_TRUE(Code_PendingError);
  EXPECT_TRUE(Errors().empty());    // no report
  EXPECT_NE(Var("after").real, 1);  // the evaluation was abandoned, not continued
  Code_PendingError = false;
}

}  // namespace
}  // namespace vmtest

namespace vmtest {
namespace {

TEST_F(VMTest, ReturningFromInsideWithAndRepeatRestoresTheCaller) {
  AddInstance(100002, 1);
  AddInstance(100003, 1);
  AddScript("find_last", "with (all) { repeat (3) { switch (id) { case 100003: return id; } } } return -1;");
  ASSERT_TRUE(Run("r = find_last(); me = id; n = 0; with (all) n += 1;"));
  EXPECT_TRUE(Errors().empty()) << (Errors().empty() ? "" : Errors()[0]);
  EXPECT_DOUBLE_EQ(Var("r").real, 100003);
  EXPECT_DOUBLE_EQ(Var("me").real, 100001);  // self came back with the frame
}

}  // namespace
}  // namespace vmtest
