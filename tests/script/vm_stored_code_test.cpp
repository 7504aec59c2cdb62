// Bytecode held as stored code (a view over memory the loader keeps) runs on the same
// machine as compiled code, and its line table names lines in reports, traces and
// breakpoints.
#include <cstring>
#include <string>
#include <vector>

#include "script/code.h"
#include "script/compiler/compile_error_sink.h"
#include "script/vm/vm.h"
#include "support/console_capture.h"
#include "vm_fixture.h"

namespace vmtest {
namespace {

std::vector<uint8_t> Compiled(const std::string& program) {
  CCode code(program, false);
  EXPECT_TRUE(code.Compile("Source")) << Compiler_LastError().text;
  const VMBuffer* bytes = code.Bytecode();
  return bytes != nullptr ? std::vector<uint8_t>(bytes->Data(), bytes->Data() + bytes->Size())
                          : std::vector<uint8_t>();
}

std::vector<uint8_t> LineTable(std::initializer_list<std::pair<int32_t, int32_t>> records) {
  std::vector<uint8_t> table;
  for (auto [offset, position] : records) {
    uint8_t b[8];
    std::memcpy(b, &offset, 4);
    std::memcpy(b + 4, &position, 4);
    table.insert(table.end(), b, b + 8);
  }
  return table;
}

class VMStoredCode : public VMTest {
 protected:
  void TearDown() override {
    Code_SetStoredTable({});
    VMTest::TearDown();
  }
};

TEST_F(VMStoredCode, StoredAndCompiledCodeGiveTheSameResults) {
  const std::string program =
      "r = 0; for (i = 0; i < 10; i += 1) { switch (i mod 3) { case 0: r += i; break; default: r "
      "-= 1; } }"
      "s = \"x\"; repeat (3) s += \"y\";";
  std::vector<uint8_t> bytes = Compiled(program);
  ASSERT_TRUE(Run(program));
  const double compiledR = Var("r").real;
  const std::string compiledS = std::string(Var("s").Text());

  Code_SetStoredTable({StoredCodeEntry{"Stored.program", bytes, {}, ""}});
  std::unique_ptr<CCode> stored = CCode::Stored(0, false);
  ASSERT_NE(stored->Bytecode(), nullptr);
  EXPECT_FALSE(stored->Bytecode()->Owned());  // a view, not a copy
  ScriptValue ignored;
  Run("r = -1; s = \"\";");
  Code_Run(self, self, *stored, ignored);
  EXPECT_TRUE(Errors().empty());
  EXPECT_DOUBLE_EQ(Var("r").real, compiledR);
  EXPECT_EQ(Var("s").Text(), compiledS);
  EXPECT_EQ(compiledS, "xyyy");
}

TEST_F(VMStoredCode, ReportsNameTheLineOfTheFailingInstruction) {
  const std::string source = "a = 1;\nb = 0;\nc = a / b;\n";
  std::vector<uint8_t> bytes = Compiled(source);
  // One record per statement: the division's statement starts at byte 14 of the text.
  std::vector<uint8_t> lines = LineTable({{0, 0}, {12, 7}, {24, 14}});
  std::string report;
  VM_SetErrorHandler([&report](const std::string&, const std::string& text) { report = text; });
  Code_SetStoredTable({StoredCodeEntry{"Stored.lines", bytes, lines, source}});
  std::unique_ptr<CCode> stored = CCode::Stored(0, false);
  ScriptValue ignored;
  Code_Run(self, self, *stored, ignored);
  EXPECT_NE(report.find(" at Stored.lines (line 2) - c = a / b;\n"), std::string::npos) << report;
}

// The debugger's stop: once when the machine comes to the line (not once per instruction of
// it), with the call stack from the innermost code; a step stops again at the next line.
TEST_F(VMStoredCode, BreakpointStopsInTheDebuggerOnceALineAndStepsLineByLine) {
  const std::string source = "a = 1;\nb = 2;\nc = 3;\n";
  std::vector<uint8_t> bytes = Compiled(source);
  std::vector<uint8_t> lines = LineTable({{0, 0}, {12, 7}, {24, 14}});
  AddScript("stepper", "");  // the name; its code is the stored entry
  Code_SetStoredTable({StoredCodeEntry{"Script.stepper", bytes, lines, source}});
  TheWorld().scripts.back() = CCode::Stored(0, false);
  std::vector<VMBreak> stops;
  VM_SetBreakHandler([&stops](const VMBreak& place) {
    stops.push_back(place);
    return stops.size() == 1 ? VMBreakResume::StepLine : VMBreakResume::Run;
  });
  VM_Breakpoint_Add("Script.stepper", 2);
  ASSERT_TRUE(Run("stepper();\nstepper();"));
  VM_SetBreakHandler(nullptr);
  VM_Breakpoint_Clear();
  EXPECT_TRUE(Errors().empty());
  EXPECT_DOUBLE_EQ(Var("c").real, 3);
  ASSERT_EQ(stops.size(), 3u);
  EXPECT_EQ(stops[0].line, 1);
  EXPECT_EQ(stops[0].lineText, "b = 2;");
  EXPECT_EQ(stops[0].callStack, (std::vector<std::string>{"Script.stepper (line 2) - b = 2;",
                                                          "Test.program (line -1) - <unknown source line>"}));
  EXPECT_EQ(stops[0].self, self);
  EXPECT_FALSE(stops[0].step);
  EXPECT_EQ(stops[1].line, 2);  // the step
  EXPECT_EQ(stops[1].lineText, "c = 3;");
  EXPECT_TRUE(stops[1].step);
  EXPECT_EQ(stops[2].line, 1);  // the second call
  EXPECT_FALSE(stops[2].step);
}

TEST(VMDebugInfo, LinesAndTexts) {
  const std::string source = "first\r\nsecond\nthird";
  std::vector<uint8_t> table = LineTable({{0, 0}, {8, 8}, {16, 16}});
  VMBuffer info = VMBuffer::View(table);
  VMDebugRecord r;
  ASSERT_TRUE(VM_DebugInfo_Find(&info, 12, r));
  EXPECT_EQ(r.codeOffset, 8);
  EXPECT_EQ(VM_DebugInfo_Line(&r, source), 1);
  EXPECT_EQ(VM_DebugInfo_Text(&r, source), "second");  // ends at the line feed
  ASSERT_TRUE(VM_DebugInfo_Find(&info, 100, r));
  EXPECT_EQ(VM_DebugInfo_Text(&r, source), "third");
  ASSERT_TRUE(VM_DebugInfo_Find(&info, 3, r));
  EXPECT_EQ(VM_DebugInfo_Text(&r, source), "first");  // ends at the carriage return
  EXPECT_FALSE(VM_DebugInfo_Find(nullptr, 0, r));
  EXPECT_EQ(VM_DebugInfo_Line(nullptr, source), -1);
  EXPECT_EQ(VM_DebugInfo_Text(nullptr, source), "<unknown source line>");
}

TEST_F(VMTest, TraceWritesTheInstructionsAndScriptCalls) {
  AddScript("traced", "return argument0;");
  ConsoleCapture console;
  VM_SetTrace(true);
  VM_ScriptTrace = true;
  Run("rec(4); r = traced(4);");
  VM_SetTrace(false);
  VM_ScriptTrace = false;
  const std::string& text = console.Text();
  EXPECT_NE(text.find("script = Test.program\n"), std::string::npos) << text;
  EXPECT_NE(text.find("func call = rec\n"), std::string::npos);
  EXPECT_NE(text.find("script call = Script.traced\n"), std::string::npos);
  EXPECT_NE(text.find("000186a1(000186a1) # Test.program@-1("), std::string::npos);
  EXPECT_NE(text.find("call.i    rec\n"), std::string::npos);
  EXPECT_NE(text.find("r == 4.000000\n"), std::string::npos);
  EXPECT_DOUBLE_EQ(Var("r").real, 4);
}

TEST_F(VMTest, BreakpointsAreCappedAndDoNotStopWithoutADebugger) {
  VM_Breakpoint_Clear();
  for (int i = 1; i <= 11; ++i) VM_Breakpoint_Add("Test.program", i);
  EXPECT_EQ(VM_Breakpoint_Count(), 10);  // the eleventh is dropped
  ASSERT_TRUE(Run("r = 5;"));            // runs on: no native debugger is attached
  EXPECT_DOUBLE_EQ(Var("r").real, 5);
  VM_Breakpoint_Clear();
  EXPECT_FALSE(VM_BreakpointsSet);
}

}  // namespace
}  // namespace vmtest
