// The ds_* built-ins called by name: index handling, answers and errors.
#include <gtest/gtest.h>

#include "builtin_call.h"
#include "functions/ds_functions.h"
#include "platform/ds_map.h"
#include "script/error_report.h"
#include "script/function_table.h"

namespace {

class DSBuiltins : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    static bool done = false;
    if (!done) InitDataStructureFunctions();
    done = true;
  }
  void SetUp() override {
    DS_Tables() = DS_ContainerTables{};
    Error_Hooks().showDialog = [](const std::string&, bool) { return false; };
    Error_Last.clear();
  }
  void TearDown() override {
    Error_Hooks().showDialog = nullptr;
    DS_Tables() = DS_ContainerTables{};
  }
  ScriptValue Call(const char* name, std::vector<ScriptValue> args) {
    int32_t id = -1;
    EXPECT_TRUE(Function_Find(name, id)) << name;
    EXPECT_EQ(Function_ArgCount(id), static_cast<int32_t>(args.size())) << name;
    ScriptValue result;
    Function_Call(id, result, nullptr, nullptr, static_cast<int>(args.size()), args.data());
    return result;
  }
  bool Reported() {
    bool reported = Error_Last.find(kDSNoSuchIndex) != std::string::npos;
    Error_Last.clear();
    return reported;
  }
};

TEST_F(DSBuiltins, IndicesReuseTheLowestFreeSlot) {
  EXPECT_EQ(Call("ds_list_create", {}).real, 0);
  EXPECT_EQ(Call("ds_list_create", {}).real, 1);
  EXPECT_EQ(Call("ds_list_create", {}).real, 2);
  Call("ds_list_destroy", {R(1)});
  EXPECT_EQ(Call("ds_list_create", {}).real, 1);
  EXPECT_EQ(DS_Tables().lists.Count(), 3);
  for (int i = 3; i < 17; ++i) EXPECT_EQ(Call("ds_list_create", {}).real, i);
  // Each kind has its own table.
  EXPECT_EQ(Call("ds_grid_create", {R(2), R(3)}).real, 0);
  EXPECT_FALSE(Reported());
}

TEST_F(DSBuiltins, InvalidIndicesReportAndChangeNothing) {
  const double list = Call("ds_list_create", {}).real;
  Call("ds_list_destroy", {R(list)});
  struct Case {
    const char* name;
    std::vector<ScriptValue> args;
  };
  const Case cases[] = {
      {"ds_stack_size", {R(0)}},          {"ds_stack_push", {R(-1), R(1)}},      {"ds_queue_head", {R(3)}},
      {"ds_list_size", {R(list)}},        {"ds_list_find_value", {R(0), R(0)}},  {"ds_map_add", {R(0), S("k"), R(1)}},
      {"ds_priority_find_max", {R(0)}},   {"ds_grid_width", {R(0)}},             {"ds_grid_get", {R(0), R(0), R(0)}},
      {"ds_stack_destroy", {R(0.6e10)}},  {"ds_map_write", {R(0)}},
  };
  for (const Case& c : cases) {
    ScriptValue result = Call(c.name, c.args);
    EXPECT_TRUE(Reported()) << c.name;
    EXPECT_TRUE(result.IsReal() && result.real == 0) << c.name;
  }
  // The copies check both indices; the destination keeps its contents.
  const double a = Call("ds_grid_create", {R(2), R(2)}).real;
  const double b = Call("ds_grid_create", {R(2), R(2)}).real;
  Call("ds_grid_set", {R(a), R(1), R(1), R(7)});
  Call("ds_grid_destroy", {R(b)});
  Call("ds_grid_copy", {R(a), R(b)});
  EXPECT_TRUE(Reported());
  EXPECT_EQ(Call("ds_grid_get", {R(a), R(1), R(1)}).real, 7);
  Call("ds_grid_copy", {R(a), R(a)});
  EXPECT_FALSE(Reported());
  EXPECT_EQ(Call("ds_grid_get", {R(a), R(1), R(1)}).real, 7);
}

TEST_F(DSBuiltins, StacksQueuesAndLists) {
  const double s = Call("ds_stack_create", {}).real;
  EXPECT_EQ(Call("ds_stack_pop", {R(s)}).real, 0);
  Call("ds_stack_push", {R(s), R(1)});
  Call("ds_stack_push", {R(s), S("two")});
  EXPECT_EQ(Call("ds_stack_top", {R(s)}).Text(), "two");
  EXPECT_EQ(Call("ds_stack_pop", {R(s)}).Text(), "two");
  EXPECT_EQ(Call("ds_stack_size", {R(s)}).real, 1);

  const double q = Call("ds_queue_create", {}).real;
  Call("ds_queue_enqueue", {R(q), R(1)});
  Call("ds_queue_enqueue", {R(q), R(2)});
  EXPECT_EQ(Call("ds_queue_tail", {R(q)}).real, 2);
  EXPECT_EQ(Call("ds_queue_dequeue", {R(q)}).real, 1);
  const double q2 = Call("ds_queue_create", {}).real;
  Call("ds_queue_read", {R(q2), Call("ds_queue_write", {R(q)})});
  EXPECT_EQ(Call("ds_queue_head", {R(q2)}).real, 2);

  const double l = Call("ds_list_create", {}).real;
  EXPECT_EQ(Call("ds_list_find_value", {R(l), R(0)}).real, 0);
  for (double v : {3.0, 1.0, 2.0}) Call("ds_list_add", {R(l), R(v)});
  Call("ds_list_insert", {R(l), R(9), R(5)});  // outside: nothing
  EXPECT_EQ(Call("ds_list_size", {R(l)}).real, 3);
  Call("ds_list_sort", {R(l), R(0.5)});
  EXPECT_EQ(Call("ds_list_find_value", {R(l), R(0)}).real, 1);
  Call("ds_list_sort", {R(l), R(0.49)});
  EXPECT_EQ(Call("ds_list_find_value", {R(l), R(0)}).real, 3);
  EXPECT_EQ(Call("ds_list_find_index", {R(l), R(2)}).real, 1);
  EXPECT_EQ(Call("ds_list_find_index", {R(l), S("2")}).real, -1);
  EXPECT_EQ(Call("ds_list_empty", {R(l)}).real, 0);
  EXPECT_FALSE(Reported());
}

TEST_F(DSBuiltins, MapsAddReplaceAndIterate) {
  const double m = Call("ds_map_create", {}).real;
  EXPECT_EQ(Call("ds_map_add", {R(m), S("k"), R(1)}).real, 1);
  EXPECT_EQ(Call("ds_map_add", {R(m), S("k"), R(2)}).real, 0);
  EXPECT_EQ(Call("ds_map_find_value", {R(m), S("k")}).real, 1);
  EXPECT_EQ(Call("ds_map_replace", {R(m), S("new"), S("v")}).real, 0);
  EXPECT_EQ(Call("ds_map_replace", {R(m), S("new"), S("w")}).real, 1);
  EXPECT_EQ(Call("ds_map_find_value", {R(m), S("new")}).Text(), "w");
  EXPECT_EQ(Call("ds_map_find_value", {R(m), S("missing")}).real, 0);
  EXPECT_EQ(Call("ds_map_size", {R(m)}).real, 2);
  ScriptValue key = Call("ds_map_find_first", {R(m)});
  ScriptValue next = Call("ds_map_find_next", {R(m), key});
  EXPECT_TRUE(next.IsString());
  EXPECT_NE(next.Text(), key.Text());
  EXPECT_EQ(Call("ds_map_find_next", {R(m), next}).real, 0);
  EXPECT_EQ(Call("ds_map_find_last", {R(m)}).Text(), next.Text());
  Call("ds_map_delete", {R(m), S("k")});
  EXPECT_EQ(Call("ds_map_exists", {R(m), S("k")}).real, 0);
  EXPECT_FALSE(Reported());
}

TEST_F(DSBuiltins, PrioritiesAndGrids) {
  const double p = Call("ds_priority_create", {}).real;
  Call("ds_priority_add", {R(p), S("low"), R(1)});
  Call("ds_priority_add", {R(p), S("high"), R(9)});
  Call("ds_priority_change_priority", {R(p), S("low"), R(10)});
  EXPECT_EQ(Call("ds_priority_find_priority", {R(p), S("low")}).real, 10);
  EXPECT_EQ(Call("ds_priority_delete_max", {R(p)}).Text(), "low");
  EXPECT_EQ(Call("ds_priority_find_min", {R(p)}).Text(), "high");

  const double g = Call("ds_grid_create", {R(3), R(2)}).real;
  EXPECT_EQ(Call("ds_grid_width", {R(g)}).real, 3);
  Call("ds_grid_set_region", {R(g), R(2), R(1), R(0), R(0), R(2)});
  Call("ds_grid_add", {R(g), R(1), R(1), R(3)});
  Call("ds_grid_multiply_disk", {R(g), R(0), R(0), R(0.5), R(10)});
  EXPECT_EQ(Call("ds_grid_get", {R(g), R(0), R(0)}).real, 20);
  EXPECT_EQ(Call("ds_grid_get_sum", {R(g), R(0), R(0), R(2), R(1)}).real, 33);
  EXPECT_EQ(Call("ds_grid_get_max", {R(g), R(0), R(0), R(2), R(1)}).real, 20);
  EXPECT_EQ(Call("ds_grid_value_x", {R(g), R(0), R(0), R(2), R(1), R(5)}).real, 1);
  EXPECT_EQ(Call("ds_grid_value_y", {R(g), R(0), R(0), R(2), R(1), R(5)}).real, 1);
  EXPECT_EQ(Call("ds_grid_get", {R(g), R(5), R(0)}).real, 0);
  const double h = Call("ds_grid_create", {R(1), R(1)}).real;
  Call("ds_grid_set_grid_region", {R(h), R(g), R(1), R(1), R(1), R(1), R(0), R(0)});
  EXPECT_EQ(Call("ds_grid_get", {R(h), R(0), R(0)}).real, 5);
  EXPECT_FALSE(Reported());
  // A grid too large to allocate answers its index with nothing in it; a resize that large is refused.
  const double huge = Call("ds_grid_create", {R(1e6), R(1e6)}).real;
  EXPECT_EQ(Call("ds_grid_width", {R(huge)}).real, 0);
  EXPECT_TRUE(Reported());
  EXPECT_EQ(Call("ds_grid_create", {R(1), R(1)}).real, huge);
  Call("ds_grid_resize", {R(g), R(1e6), R(1e6)});
  EXPECT_EQ(Call("ds_grid_width", {R(g)}).real, 3);
}

TEST_F(DSBuiltins, MarkedValuesReachGameCodeAsPlainReals) {
  const double l = Call("ds_list_create", {}).real;
  DS_Tables().lists.Get(int32_t(l))->Add(DS_MarkedIndex(kDSMarkMap, 4));
  ScriptValue v = Call("ds_list_find_value", {R(l), R(0)});
  EXPECT_TRUE(v.IsReal());
  EXPECT_EQ(v.real, 4);
  // The text form keeps the mark, so a written and read list still nests.
  const double copy = Call("ds_list_create", {}).real;
  Call("ds_list_read", {R(copy), Call("ds_list_write", {R(l)})});
  ASSERT_EQ(Call("ds_list_size", {R(copy)}).real, 1);
  EXPECT_EQ(DS_Tables().lists.Get(int32_t(copy))->FindValue(0)->Kind(), kDSMarkMap);
}

}  // namespace
