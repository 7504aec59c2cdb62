// Every machine error: its message, and the activation ending without harm when a handler
// takes the error; the default ends the process with status 255 after the report.
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/console.h"
#include "script/error_report.h"
#include "script/vm/vm_opcodes.h"
#include "script/vm/vm_strings.h"
#include "vm_fixture.h"

namespace vmtest {
namespace {

struct ErrorCase {
  const char* program;
  const char* message;
};

class VMSourceError : public VMTest, public ::testing::WithParamInterface<ErrorCase> {};

TEST_P(VMSourceError, StopsWithTheMessage) {
  ASSERT_TRUE(Run(GetParam().program));
  ASSERT_EQ(Errors().size(), 1u) << GetParam().program;
  EXPECT_EQ(Errors()[0], GetParam().message);
  EXPECT_NE(Var("after").real, 1) << "the code went on after the error";
}

const ErrorCase kSourceErrors[] = {
    {"s = \"ab\"; n = 3; r = s * n; after = 1;", "DoMul :: Execution Error"},
    {"s = \"ab\"; r = s - 1; after = 1;",
     "DoSub :: Execution Engine - Cannot operate on string type"},
    {"s = \"ab\"; r = s + 1; after = 1;", "DoAdd :: Execution Error"},
    {"var a, b; a = 2; b = \"q\"; a += b; after = 1;", "DoAdd :: Execution Error"},
    {"var a, b; a = 2; b = \"q\"; if (a < b) after = 1;", "DoSet :: Invalid comparison type"},
    {"s = \"ab\"; r = s / 2; after = 1;",
     "DoDiv :: Execution Engine - Cannot operate on string type"},
    {"s = \"ab\"; r = s div 2; after = 1;",
     "DoRem :: Execution Engine - Cannot operate on string type"},
    {"s = \"ab\"; r = s mod 2; after = 1;",
     "DoMod :: Execution Engine - Cannot operate on string type"},
    {"s = \"ab\"; r = -s; after = 1;", "DoNeg :: Execution Engine - Cannot operate on string type"},
    {"a = 1; b = 0; r = a / b; after = 1;", "DoDiv :: Divide by zero"},
    {"a = 1; b = 0; r = a div b; after = 1;", "DoRem :: Divide by zero"},
    {"s = \"1\"; r = (s == 1); after = 1;", "DoSet :: Invalid comparison type"},
    {"a = 1; r = ((a < 2) == a); after = 1;", "DoSet :: Invalid comparison type"},
    {"switch (1) { case \"a\": r = 1; } after = 1;", "DoSet :: Invalid comparison type"},
    {"with (global) { r = 1; } after = 1;", "Cannot use global in with statement"},
    {"r = (55).zz; after = 1;", "Push :: Execution Error - Variable Get zz"},
    {"a = 1; r = a[3]; after = 1;", "Push :: Execution Error - Variable Index out of range a"},
    {"a[-1] = 1; after = 1;", "Pop :: Execution Error - Variable index out of range a"},
    {"i = -1; global.ga[i] = 1; after = 1;", "Pop :: Execution Error - Variable index out of range ga"},
    {"var la; i = -2; la[i] = 1; after = 1;", "Pop :: Execution Error - Variable index out of range la"},
    {"noone.zz = 1; self.y = \"text\"; after = 1;",
     "Pop :: Execution Error - Variable set problem y"},
};

INSTANTIATE_TEST_SUITE_P(Messages, VMSourceError, ::testing::ValuesIn(kSourceErrors));

TEST_F(VMTest, EndlessRecursionOverflowsTheStackAtTheLimit) {
  AddScript("down", "return down(argument0 + 1);");
  ASSERT_TRUE(Run("r = down(0); after = 1;"));
  ASSERT_EQ(Errors().size(), 1u);
  EXPECT_EQ(Errors()[0], "Stack overflow...");
  EXPECT_NE(Var("after").real, 1);
  // Growth stopped at 131072 bytes of the original slot sizes: the stack was given up
  // with fewer than 1024 bytes left.
  EXPECT_GT(VM_MaxStackUse(), 131072 - 1024);
  EXPECT_LE(VM_MaxStackUse(), 131072);
  EXPECT_EQ(Code_ArgumentCount, 0);  // the frames were unwound
  // The machine is usable again afterwards.
  ASSERT_TRUE(Run("r = 2 + 3;"));
  EXPECT_DOUBLE_EQ(Var("r").real, 5);
}

// Hand-written bytecode for the errors that generated code never makes.
constexpr uint32_t W(VMOpcode op, uint32_t typeByte, uint32_t low = 0) {
  return VM_Word(op, typeByte, low);
}

struct BytecodeCase {
  const char* title;
  std::vector<uint32_t> words;
  const char* message;
};

TEST_F(VMTest, BytecodeOnlyErrors) {
  const uint32_t s = VM_InternString("ab");
  const uint32_t pushS = W(VMOpcode::Push, 0x06), pushE1 = W(VMOpcode::Push, 0x0F, 1);
  const std::vector<BytecodeCase> cases = {
      {"not of a string",
       {pushS, s, W(VMOpcode::Not, 0x06)},
       "DoNot :: Execution Engine - Cannot operate on string type"},
      {"and with a string",
       {pushS, s, pushE1, W(VMOpcode::And, 0x62)},
       "DoAnd :: Execution Engine - Cannot operate on string type"},
      {"or with a string",
       {pushS, s, pushE1, W(VMOpcode::Or, 0x62)},
       "DoOr :: Execution Engine - Cannot operate on string type"},
      {"xor with a string",
       {pushS, s, pushE1, W(VMOpcode::Xor, 0x62)},
       "DoXor :: Execution Engine - Cannot operate on string type"},
      {"shl with a string",
       {pushS, s, pushE1, W(VMOpcode::Shl, 0x62)},
       "DoShl :: Execution Engine - Cannot operate on string type"},
      {"shr with a string",
       {pushS, s, pushE1, W(VMOpcode::Shr, 0x62)},
       "DoShr :: Execution Engine - Cannot operate on string type"},
      {"sub of booleans", {pushE1, pushE1, W(VMOpcode::Sub, 0x44)}, "DoSub:: Execution Error"},
      {"and of a boolean and an integer",
       {pushE1, pushE1, W(VMOpcode::And, 0x42)},
       "DoAnd :: Execution Error"},
      {"conversion to itself", {pushE1, W(VMOpcode::Conv, 0x22)}, "DoConv :: Execution Error"},
      {"call typed .d", {W(VMOpcode::Call, 0x00), 0, 0}, "DoCall :: Execution Engine type error"},
      {"pop not typed .v",
       {pushE1, W(VMOpcode::Pop, 0x22, 0xFFFF), 0xA0000000u | 100000},
       "Pop :: Execution Error - Instruction malformed"},
      {"pop of an immediate type",
       {pushE1, W(VMOpcode::Pop, 0xF5, 0xFFFF), 0xA0000000u | 100000},
       "Pop :: Execution Engine"},
      {"with on local",
       {W(VMOpcode::Push, 0x0F, 0xFFF9), W(VMOpcode::PushEnv, 0, 1)},
       "Cannot use local in with statement"},
      // Damaged code fails cleanly instead of reading outside the code or the stack.
      {"pop from an empty stack",
       {W(VMOpcode::Popz, 0x05), W(VMOpcode::Popz, 0x05), W(VMOpcode::Add, 0x55)},
       "Execution Error - stack underflow"},
      {"branch out of the code",
       {W(VMOpcode::B, 0, 0x800000)},
       "Execution Error - branch outside the code"},
      {"operand past the end",
       {W(VMOpcode::Push, 0x00), 0},
       "Execution Error - instruction runs past the end of the code"},
      {"popenv without pushenv",
       {W(VMOpcode::PopEnv, 0)},
       "Execution Error - no with environment to close"},
      {"call with more arguments than the stack holds",
       {W(VMOpcode::Call, 0x02, 5), 0},
       "Execution Error - stack underflow"},
  };
  for (const BytecodeCase& c : cases) {
    TheWorld().errors.clear();
    std::vector<uint8_t> bytes;
    for (uint32_t w : c.words) {
      for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<uint8_t>(w >> (8 * i)));
    }
    VMBuffer buffer(std::move(bytes));
    ScriptValue result;
    VM_Exec("hand", self, self, buffer, &result, nullptr, "");
    ASSERT_EQ(Errors().size(), 1u) << c.title;
    EXPECT_EQ(Errors()[0], c.message) << c.title;
  }
}

TEST_F(VMTest, ReportNamesThePlaceAndTheVariables) {
  std::string report;
  VM_SetErrorHandler([&report](const std::string&, const std::string& text) { report = text; });
  AddScript("fail_inside", "var loc; loc = 5; return argument0 / 0;");
  ASSERT_TRUE(Run("mine = 3; r = fail_inside(1);"));
  const std::string rule(92, '#');
  const std::string head = rule + "\nVMError!! Occurred - DoDiv :: Divide by zero\n" +
                           " at Script.fail_inside (line -1) - <unknown source line>\n" + rule +
                           "\n";
  EXPECT_EQ(report.rfind(head, 0), 0u) << report;
  EXPECT_NE(report.find("Local Variables : \n"), std::string::npos);
  EXPECT_NE(report.find("Self Variables : \n"), std::string::npos);
  EXPECT_NE(report.find("stack frame is\nScript.fail_inside (line -1)\n"), std::string::npos);
  EXPECT_NE(report.find("called from - Test.program (line -1) - <unknown source line>\n"),
            std::string::npos);
}

// Writes the debug console to standard error, where the death test looks.
class StderrConsole final : public tagIConsole {
 public:
  void Output(const char* format, ...) override {
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
  }
};

TEST_F(VMTest, DefaultHandlingShowsTheFatalErrorAndEndsTheProcess) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        static StderrConsole console;
        g_DebugConsole = &console;
        Error_Options.showErrors = false;
        VM_SetErrorHandler(nullptr);
        Run("a = 1; b = 0; r = a / b;");
      },
      ::testing::ExitedWithCode(255),
      "ERROR!!! :: FATAL ERROR.*VMError!! Occurred - DoDiv :: Divide by zero");
}

}  // namespace
}  // namespace vmtest
