// The disassembler's columns, and the exact instructions the generator emits.
#include <string>

#include "script/code.h"
#include "script/compiler/compile_error_sink.h"
#include "script/vm/vm.h"
#include "vm_fixture.h"

namespace vmtest {
namespace {

std::string Listing(const std::string& program) {
  CCode code(program, false);
  EXPECT_TRUE(code.Compile("Listing")) << Compiler_LastError().text;
  return code.Bytecode() != nullptr ? VM_DisassembleAll(*code.Bytecode()) : std::string();
}

TEST_F(VMTest, DisassemblyColumns) {
  // Offset, bytes, name at column 36, operand at column 46. The variable operand holds the
  // id (self's "a", fixed instance -6, no index); its number depends on the names seen so far.
  std::string listing = Listing("a = 5;");
  EXPECT_EQ(listing.substr(0, 48), "00000000 : 05000fc0                 push.e    5\n");
  EXPECT_EQ(listing.substr(48, 19), "00000004 : faff2541");
  EXPECT_EQ(listing.substr(48 + 36), "pop.v.i   $a$\n");
}

TEST_F(VMTest, ConstantsChooseTheirForm) {
  EXPECT_NE(Listing("a = 40000;").find("push.i    40000\n"), std::string::npos);
  EXPECT_NE(Listing("a = 3000000000;").find("push.l    3000000000\n"), std::string::npos);
  EXPECT_NE(Listing("a = 0.5;").find("push.d    0.500000\n"), std::string::npos);
  EXPECT_NE(Listing("a = \"hi\";").find("push.s    \"hi\"\n"), std::string::npos);
}

TEST_F(VMTest, CallsShowBuiltInNamesAndScriptNumbers) {
  AddScript("helper", "return 1;");
  std::string listing = Listing("rec(1); helper();");
  EXPECT_NE(listing.find("call.i    rec\n"), std::string::npos) << listing;
  EXPECT_NE(listing.find("call.i    1000"), std::string::npos) << listing;
  EXPECT_NE(listing.find("popz.v"), std::string::npos);
}

TEST_F(VMTest, TwoDimensionalIndexAndFixedInstances) {
  std::string listing = Listing("a[2, 3] = 1;");
  EXPECT_NE(listing.find("push.i    32000\n"), std::string::npos) << listing;
  EXPECT_NE(listing.find("mul.i.i"), std::string::npos);
  EXPECT_NE(listing.find("add.i.i"), std::string::npos);
  // An instance id that does not fit the word's 16 bits goes on the stack instead.
  std::string far = Listing("(150000).zz = 1;");
  EXPECT_NE(far.find("push.i    150000\n"), std::string::npos) << far;
  ASSERT_TRUE(Run("(150000).zz = 1;"));  // no instance with that id: nothing written
  EXPECT_TRUE(Errors().empty());
}

TEST_F(VMTest, BreakInWithUsesTheClosingForm) {
  std::string listing = Listing("with (all) { break; }");
  EXPECT_NE(listing.find("0000f0bc"), std::string::npos) << listing;
  EXPECT_EQ(Listing("with (all) { a = 1; }").find("0000f0bc"), std::string::npos);
}

TEST_F(VMTest, TooDeepAnExpressionIsACompileError) {
  // Each call keeps its earlier arguments on the stack while the next one is built.
  std::string expression = "1";
  for (int i = 0; i < 90; ++i)
    expression = "concat(" + expression + ", 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14)";
  CCode code("r = " + expression + ";", false);
  EXPECT_FALSE(code.Compile("Deep"));
  EXPECT_NE(Compiler_LastError().message.find("Expression too complex."), std::string::npos);
}

}  // namespace
}  // namespace vmtest
