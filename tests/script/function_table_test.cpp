#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "script/function_table.h"
#include "script/script_arguments.h"
#include "support/function_table_guard.h"

namespace {

void ReturnArgCount(ScriptValue& result, CInstance*, CInstance*, int argc, ScriptValue*) {
  result.real += argc;  // result arrives as the real 0
}
void Nothing(ScriptValue&, CInstance*, CInstance*, int, ScriptValue*) {}

bool FindScript(const char* name, int32_t& number) {
  if (std::strcmp(name, "shadowed") == 0) return (number = 4), true;
  if (std::strcmp(name, "both") == 0) return (number = 0), true;
  return false;
}
bool FindExtension(const char* name, int32_t& number) {
  if (std::strcmp(name, "ext_call") == 0 || std::strcmp(name, "both") == 0) {
    return (number = 2), true;
  }
  return false;
}
int32_t ExtensionArgCount(int32_t number) { return number == 2 ? 3 : kNoSuchFunction; }

class FunctionTable : public ::testing::Test {
 protected:
  FunctionTableGuard functions_;  // put back after TearDown
  void SetUp() override {
    Function_FreeAll();
    Function_Add("shadowed", Nothing, 1);
    Function_Add("count_args", ReturnArgCount, -1);
    Function_Add("Count_Args", Nothing, 2);
    Function_Add("count_args", Nothing, 0);  // a second registration: never found
    Function_SetScriptLookup(FindScript);
    Function_SetExtensionLookup(FindExtension, ExtensionArgCount);
  }
};

TEST_F(FunctionTable, FindOrder) {
  struct Case {
    const char* name;
    bool found;
    int32_t id;
  } cases[] = {
      {"shadowed", true, 100004},  // a script hides the built-in
      {"both", true, 100000},      // scripts before extension functions
      {"ext_call", true, 500002},
      {"count_args", true, 1},     // first registration wins
      {"Count_Args", true, 2},     // case counts
      {"COUNT_ARGS", false, -1},
      {"count_arg", false, -1},
      {"", false, -1},
  };
  for (const auto& c : cases) {
    int32_t id = 77;
    EXPECT_EQ(Function_Find(c.name, id), c.found) << c.name;
    EXPECT_EQ(id, c.id) << c.name;
  }
  int32_t id = 77;
  EXPECT_FALSE(Function_Find(nullptr, id));
  EXPECT_EQ(id, -1);
}

TEST_F(FunctionTable, ArgCounts) {
  struct Case {
    int32_t id;
    int32_t argc;
  } cases[] = {
      {0, 1},           {1, -1},          {2, 2},
      {4, -100},        {-1, -100},       {100000, -1},
      {100004, -1},     {499999, -1},     {500002, 3},
      {500000, -100},
  };
  for (const auto& c : cases) EXPECT_EQ(Function_ArgCount(c.id), c.argc) << c.id;
  Function_SetExtensionLookup(nullptr, nullptr);
  EXPECT_EQ(Function_ArgCount(500002), -100);
}

TEST_F(FunctionTable, CallResetsTheResult) {
  ScriptValue result = ScriptValue::String("stale");
  ScriptValue args[2];
  ASSERT_TRUE(Function_Call(1, result, nullptr, nullptr, 2, args));
  EXPECT_TRUE(result.SameAs(ScriptValue(2.0)));
  EXPECT_FALSE(Function_Call(4, result, nullptr, nullptr, 0, nullptr));
  EXPECT_FALSE(Function_Call(100000, result, nullptr, nullptr, 0, nullptr));
}

TEST_F(FunctionTable, GrowsByFiveHundredKeepingIndices) {
  for (int i = Function_Count(); i < 500; ++i) {
    Function_Add(("f" + std::to_string(i)).c_str(), Nothing, 0);
  }
  EXPECT_EQ(Function_Capacity(), 500);
  Function_Add("f500", Nothing, 0);
  EXPECT_EQ(Function_Capacity(), 1000);
  EXPECT_EQ(Function_Count(), 501);
  EXPECT_EQ(Function_Get(0)->name, "shadowed");
  int32_t id = -1;
  ASSERT_TRUE(Function_Find("f500", id));
  EXPECT_EQ(id, 500);
  ASSERT_TRUE(Function_Find("f499", id));
  EXPECT_EQ(id, 499);
  EXPECT_EQ(Function_ArgCount(501), -100);
}

TEST(ScriptArguments, SlotsTakeOwnCopies) {
  std::string text = "first";
  Code_Argument_Set(0, ValueKind::String, 0.0, text.c_str());
  text = "changed";
  EXPECT_EQ(Code_Arguments[0].Text(), "first");
  Code_Argument_Set(0, ValueKind::Real, 2.0, nullptr);
  EXPECT_TRUE(Code_Arguments[0].SameAs(ScriptValue(2.0)));
  Code_Argument_Set(15, ScriptValue::String("last"));
  EXPECT_EQ(Code_Arguments[15].Text(), "last");

  Action_Relative = true;
  Code_Argument_Set(16, ValueKind::Real, 9.0, nullptr);
  Code_Argument_Set(-1, ValueKind::Real, 9.0, nullptr);
  EXPECT_TRUE(Action_Relative);
  for (int32_t k = 0; k < kArgumentSlotCount; ++k) EXPECT_NE(Code_Arguments[k].real, 9.0);
  Action_Relative = false;
  Code_Arguments_Free();
  EXPECT_TRUE(Code_Arguments[15].SameAs(ScriptValue()));
}

}  // namespace
