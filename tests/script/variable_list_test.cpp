#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "data/game_options.h"
#include "platform/console.h"
#include "script/compiler/user_variables.h"
#include "script/variable_errors.h"
#include "script/variable_list.h"

namespace {

constexpr int32_t kA = 100000;
constexpr int32_t Index(int32_t row, int32_t column) { return row * kArrayRowStride + column; }

struct ReadCase {
  const char* what;
  int32_t index;
  bool ok;
  double value;
  bool arrayError;
};

// a[2,1] = 7 on a fresh variable: rows 0 and 1 stay empty, row 2 gets two items; a, a[0]
// and a[0,0] are the plain value.
TEST(VariableList, ReadsAfterWritingA21) {
  CVariableList list;
  ASSERT_TRUE(list.Set(kA, Index(2, 1), ScriptValue(7.0)));
  const ReadCase cases[] = {
      {"a[2,1]", Index(2, 1), true, 7.0, false},
      {"a[2,0]", Index(2, 0), true, 0.0, false},
      {"a[1,0]", Index(1, 0), false, 0.0, true},
      {"a[0,1]", Index(0, 1), false, 0.0, true},
      {"a[0]", 0, true, 0.0, false},
      {"a", 0, true, 0.0, false},
      {"a[2,2]", Index(2, 2), false, 0.0, true},
      {"a[3,0]", Index(3, 0), false, 0.0, true},
      {"a[-1]", -1, false, 0.0, true},
      {"a[-1,0]", Index(-1, 0), false, 0.0, true},
      {"a[2,-1]", Index(2, -1), false, 0.0, true},
  };
  for (const auto& c : cases) {
    ScriptValue out = ScriptValue::String("stale");
    Variable_ArrayError = !c.arrayError;
    EXPECT_EQ(list.Get(kA, c.index, out), c.ok) << c.what;
    EXPECT_TRUE(out.IsReal()) << c.what;
    EXPECT_EQ(out.real, c.value) << c.what;
    EXPECT_EQ(Variable_ArrayError, c.arrayError) << c.what;
  }
  const VariableNode* node = list.FindNode(kA);
  ASSERT_NE(node, nullptr);
  ASSERT_EQ(node->rows.size(), 3u);
  EXPECT_EQ(node->rows[0].items.size(), 0u);
  EXPECT_EQ(node->rows[1].items.size(), 0u);
  EXPECT_EQ(node->rows[2].items.size(), 2u);
}

// The same reads as the scripts write them: the tree interpreter checks each subscript
// first; the machine builds the index as written and reports what the list refused.
TEST(VariableList, InterpreterMessagesAfterWritingA21) {
  Variable_SetNameFunction([](int32_t) { return std::string("a"); });
  CVariableList list;
  list.Set(kA, Index(2, 1), ScriptValue(7.0));
  struct Case {
    const char* script;
    std::vector<ScriptValue> subscripts;
    const char* treeError;  // a subscript the tree interpreter refuses
    const char* readError;  // the failed read, tree then machine; null when it works
    const char* pushError;
  } cases[] = {
      {"a[2,1]", {ScriptValue(2.0), ScriptValue(1.0)}, nullptr, nullptr, nullptr},
      {"a", {}, nullptr, nullptr, nullptr},
      {"a[0]", {ScriptValue(0.0)}, nullptr, nullptr, nullptr},
      {"a[0,0]", {ScriptValue(0.0), ScriptValue(0.0)}, nullptr, nullptr, nullptr},
      {"a[1,0]", {ScriptValue(1.0), ScriptValue(0.0)}, nullptr,
       "Unknown variable a or array index out of bounds",
       "Push :: Execution Error - Variable Index out of range a"},
      {"a[1.5]", {ScriptValue(1.5)}, nullptr,  // rounds to 2: row 0 is empty
       "Unknown variable a or array index out of bounds",
       "Push :: Execution Error - Variable Index out of range a"},
      {"a[-1]", {ScriptValue(-1.0)}, "Negative array index", nullptr,
       "Push :: Execution Error - Variable Index out of range a"},
      {"a[2,-1]", {ScriptValue(2.0), ScriptValue(-1.0)}, "Negative array index", nullptr,
       "Push :: Execution Error - Variable Index out of range a"},
      {"a[32000]", {ScriptValue(32000.0)}, "Array index >= 32000", nullptr,
       "Push :: Execution Error - Variable Index out of range a"},
      {"a[\"1\"]", {ScriptValue::String("1")}, "Wrong type of array index", nullptr, nullptr},
  };
  for (const auto& c : cases) {
    int32_t index = -99;
    const char* treeError = Variable_BuildArrayIndex(c.subscripts, index);
    EXPECT_STREQ(treeError, c.treeError) << c.script;
    if (treeError == nullptr) {
      ScriptValue out;
      bool ok = list.Get(kA, index, out);
      EXPECT_EQ(ok, c.readError == nullptr) << c.script;
      if (!ok) {
        EXPECT_EQ(Variable_UnknownText(kA, index), c.readError) << c.script;
      }
    }
    if (c.pushError != nullptr || treeError == nullptr) {
      // The machine's index: subscripts truncated as integers, no checks.
      int32_t machineIndex = 0;
      for (const auto& s : c.subscripts) {
        machineIndex = machineIndex * kArrayRowStride + static_cast<int32_t>(s.real);
      }
      ScriptValue out;
      bool ok = list.Get(kA, machineIndex, out);
      EXPECT_EQ(ok, c.pushError == nullptr) << c.script;
      if (!ok) {
        EXPECT_EQ(Variable_PushErrorText(kA), c.pushError) << c.script;
      }
    }
  }
  Variable_SetUnsetVariablesOption(true);
  ScriptValue out;
  EXPECT_FALSE(list.Get(kA + 1, 0, out));
  EXPECT_EQ(Variable_PushErrorText(kA + 1), "Push :: Execution Error - Variable Get a");
  EXPECT_EQ(Variable_UnknownText(kA + 1, 0), "Unknown variable a");
  Variable_SetUnsetVariablesOption(false);

  list.Set(kA, -1, ScriptValue(1.0));
  EXPECT_EQ(Variable_PopErrorText(kA, false),
            "Pop :: Execution Error - Variable index out of range a");
  EXPECT_EQ(Variable_PopErrorText(kA, true), "Pop :: Execution Error - Variable set problem a");
  Variable_SetNameFunction(nullptr);
}

TEST(VariableList, PlainValueIsIndexZero) {
  CVariableList list;
  list.Set(kA, 0, ScriptValue::String("x"));
  ScriptValue out;
  ASSERT_TRUE(list.Get(kA, Index(0, 0), out));
  EXPECT_TRUE(out.IsString());
  EXPECT_EQ(out.Text(), "x");
  EXPECT_EQ(list.FindNode(kA)->rows.size(), 0u);
}

TEST(VariableList, OneDimensionalWriteGrowsRowZeroOnly) {
  CVariableList list;
  list.Set(kA, 3, ScriptValue(9.0));
  const VariableNode* node = list.FindNode(kA);
  ASSERT_EQ(node->rows.size(), 1u);
  ASSERT_EQ(node->rows[0].items.size(), 4u);
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(node->rows[0].items[i].SameAs(ScriptValue(0.0)));
  ScriptValue out;
  EXPECT_TRUE(list.Get(kA, 0, out));
  EXPECT_EQ(out.real, 0.0);
  EXPECT_FALSE(list.Get(kA, 5, out));
  EXPECT_TRUE(Variable_ArrayError);

  // A shorter row keeps its length when a later row grows.
  list.Set(kA, Index(1, 9), ScriptValue(1.0));
  EXPECT_EQ(node->rows[0].items.size(), 4u);
  EXPECT_EQ(node->rows[1].items.size(), 10u);
}

TEST(VariableList, NegativeWriteStoresNothingButKeepsTheGrowth) {
  CVariableList list;
  EXPECT_FALSE(list.Set(kA, -5, ScriptValue(1.0)));
  EXPECT_TRUE(Variable_ArrayError);
  const VariableNode* node = list.FindNode(kA);
  // The variable exists now, with the plain value 0; -5 is row 0, column -5, so row 0 was
  // added (empty) and nothing stored in it.
  ASSERT_NE(node, nullptr);
  EXPECT_TRUE(node->value.SameAs(ScriptValue(0.0)));
  ASSERT_EQ(node->rows.size(), 1u);
  EXPECT_TRUE(node->rows[0].items.empty());

  // A negative row adds nothing.
  EXPECT_FALSE(list.Set(kA + 1, Index(-2, -3), ScriptValue(1.0)));
  EXPECT_TRUE(Variable_ArrayError);
  EXPECT_TRUE(list.FindNode(kA + 1)->rows.empty());
  EXPECT_EQ(list.Count(), 2);

  EXPECT_TRUE(list.Set(kA, Index(1, 0), ScriptValue(2.0)));
  EXPECT_FALSE(Variable_ArrayError);
}

TEST(VariableList, UnknownIdFollowsTheUnsetVariablesOption) {
  CVariableList list;
  ScriptValue out = ScriptValue::String("kept");
  EXPECT_TRUE(list.Get(kA, 0, out));
  EXPECT_TRUE(out.SameAs(ScriptValue(0.0)));

  Option_UnsetVariables = true;  // the game option itself
  out = ScriptValue::String("kept");
  EXPECT_FALSE(list.Get(kA, 0, out));
  EXPECT_EQ(out.Text(), "kept");
  EXPECT_FALSE(Variable_ArrayError);
  Variable_SetUnsetVariablesOption(false);
}

TEST(VariableList, StringItemBecomesReal) {
  CVariableList list;
  list.Set(kA, 2, ScriptValue::String("long enough to be on the heap, surely"));
  list.Set(kA, 2, ScriptValue(4.0));
  ScriptValue out;
  ASSERT_TRUE(list.Get(kA, 2, out));
  EXPECT_TRUE(out.SameAs(ScriptValue(4.0)));
}

TEST(VariableList, IdsSharingABucketStayApart) {
  CVariableList list;
  // Ids 100000, 100064 and a negative id with the same low six bits share one bucket.
  const int32_t ids[] = {kA, kA + 64, -64 + (kA & 63)};
  for (int32_t id : ids) list.Set(id, 0, ScriptValue(static_cast<double>(id)));
  EXPECT_EQ(list.Count(), 3);
  for (int32_t id : ids) {
    ScriptValue out;
    ASSERT_TRUE(list.Get(id, 0, out));
    EXPECT_EQ(out.real, id);
  }
  list.Declare(kA);  // already there: unchanged
  ScriptValue out;
  list.Get(kA, 0, out);
  EXPECT_EQ(out.real, kA);
  list.Declare(kA + 1);
  EXPECT_EQ(list.Count(), 4);
}

TEST(VariableList, ClearedNodesAreReused) {
  CVariableList list;
  for (int32_t i = 0; i < 10; ++i) list.Set(kA + i, 0, ScriptValue(1.0));
  size_t before = Variable_FreeNodeCount();
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
  // The first variable lives in the list itself; the other nine go back to the spare stack.
  EXPECT_EQ(Variable_FreeNodeCount(), before + 9);
  list.Set(kA, 7, ScriptValue::String("s"));
  EXPECT_EQ(Variable_FreeNodeCount(), before + 9);
  list.Set(kA + 1, 0, ScriptValue(2.0));
  EXPECT_EQ(Variable_FreeNodeCount(), before + 8);
  // A reused node starts clean.
  EXPECT_TRUE(list.FindNode(kA + 1)->rows.empty());
}

TEST(VariableList, CopyIsDeepAndKeepsRaggedRows) {
  CVariableList source;
  source.Set(kA, 0, ScriptValue::String("plain"));
  source.Set(kA, Index(2, 1), ScriptValue::String("item"));
  source.Set(kA + 64, 0, ScriptValue(3.0));
  CVariableList copy;
  copy.Set(kA + 5, 0, ScriptValue(1.0));  // dropped by the copy
  copy.CopyFrom(source);
  source.Set(kA, Index(2, 1), ScriptValue(0.0));

  EXPECT_EQ(copy.Count(), 2);
  ScriptValue out;
  ASSERT_TRUE(copy.Get(kA, Index(2, 1), out));
  EXPECT_EQ(out.Text(), "item");
  EXPECT_FALSE(copy.Get(kA, Index(1, 0), out));
  EXPECT_EQ(copy.FindNode(kA + 5), nullptr);
}

std::string NameOf(int32_t id) { return id == kA ? "a" : "v" + std::to_string(id - kA); }

TEST(VariableList, DumpForms) {
  Variable_SetNameFunction(NameOf);
  CVariableList list;
  list.Set(kA, 0, ScriptValue(2.0));
  list.Set(kA + 1, 0, ScriptValue::String("hi"));
  list.Set(kA + 2, 0, ScriptValue(2.5));
  list.Set(kA + 3, 1, ScriptValue(1.0));
  list.Set(kA + 3, Index(2, 0), ScriptValue::String("z"));
  TMemoryConsole console;
  list.Dump(console);
  EXPECT_EQ(console.Text(),
            "a = 2\n"
            "v1 = \"hi\"\n"
            "v2 = 2.500000\n"
            "v3 = { { 0 ,1},  { },  { \"z\"},   }\n");
  Variable_SetNameFunction(nullptr);
}

// The list's own node (its first variable) stands in bucket order among the others, in a
// dump, a copy and a reuse after clearing.
TEST(VariableList, TheFirstVariableKeepsItsPlaceInTheOrder) {
  Variable_SetNameFunction(NameOf);
  CVariableList list;
  EXPECT_EQ(list.FindNode(std::numeric_limits<int32_t>::min()), nullptr);
  list.Set(kA + 31, Index(1, 1), ScriptValue(1.0));  // the last bucket
  list.Set(kA, 0, ScriptValue(2.0));
  list.Set(kA + 64, 0, ScriptValue(3.0));  // kA's bucket, newer
  list.Set(kA - 32, 0, ScriptValue(4.0));  // the first bucket
  const std::string dump =
      "v-32 = 4\n"
      "v64 = 3\n"
      "a = 2\n"
      "v31 = { { },  { 0 ,1},   }\n";
  TMemoryConsole console;
  list.Dump(console);
  EXPECT_EQ(console.Text(), dump);
  CVariableList copy;
  copy.CopyFrom(list);
  TMemoryConsole copied;
  copy.Dump(copied);
  EXPECT_EQ(copied.Text(), dump);
  list.Clear();
  EXPECT_EQ(list.FindNode(kA + 31), nullptr);
  list.Set(kA + 5, 0, ScriptValue(9.0));
  ASSERT_NE(list.FindNode(kA + 5), nullptr);
  EXPECT_TRUE(list.FindNode(kA + 5)->rows.empty());
  TMemoryConsole reused;
  list.Dump(reused);
  EXPECT_EQ(reused.Text(), "v5 = 9\n");
  Variable_SetNameFunction(nullptr);
}

TEST(VariableList, DumpUsesTheCompilersNames) {
  int32_t id = Code_Variable_Find("dump_test_variable");
  CVariableList list;
  list.Set(id, 0, ScriptValue(1.0));
  TMemoryConsole console;
  list.Dump(console);
  EXPECT_EQ(console.Text(), "dump_test_variable = 1\n");
}

TEST(ScriptValue, PrintForms) {
  struct Case {
    ScriptValue value;
    const char* printed;
  } cases[] = {
      {ScriptValue(3.0), "3"},
      {ScriptValue(-0.0), "0"},
      {ScriptValue(-2147483648.0), "-2147483648"},
      {ScriptValue(1e10), "10000000000.000000"},  // integral but beyond int32
      {ScriptValue(0.1), "0.100000"},
      {ScriptValue::String("a b"), "\"a b\""},
      {ScriptValue::String(""), "\"\""},
  };
  for (const auto& c : cases) EXPECT_EQ(ScriptValue_PrintForm(c.value), c.printed);
}

}  // namespace
