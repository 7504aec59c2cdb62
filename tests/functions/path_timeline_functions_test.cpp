// Path and time-line built-ins called by name as game code calls them.
#include <gtest/gtest.h>

#include "builtin_call.h"
#include "data/paths.h"
#include "data/timelines.h"
#include "functions/resource_functions.h"
#include "script/error_report.h"
#include "script/function_table.h"

namespace {

class PathBuiltins : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    static bool done = false;
    if (!done) InitResourceFunctions();
    done = true;
  }
  void SetUp() override {
    Path_Clear();
    TimeLine_Clear();
    Error_Hooks().showDialog = [](const std::string&, bool) { return false; };
    Error_Last.clear();
  }
  void TearDown() override { Error_Hooks().showDialog = nullptr; }

  ScriptValue Call(const char* name, std::vector<ScriptValue> args) {
    int32_t id = -1;
    EXPECT_TRUE(Function_Find(name, id)) << name;
    EXPECT_EQ(Function_ArgCount(id), static_cast<int32_t>(args.size())) << name;
    ScriptValue result;
    Function_Call(id, result, nullptr, nullptr, static_cast<int>(args.size()), args.data());
    return result;
  }
};

TEST_F(PathBuiltins, BuildAndReadAPath) {
  const double p = Call("path_add", {}).real;
  EXPECT_EQ(Call("path_get_name", {R(p)}).Text(), "__newpath0");
  Call("path_set_closed", {R(p), R(0)});
  Call("path_add_point", {R(p), R(0), R(0), R(100)});
  Call("path_add_point", {R(p), R(10), R(0), R(50)});
  Call("path_insert_point", {R(p), R(1), R(5), R(0), R(100)});
  EXPECT_EQ(Call("path_get_number", {R(p)}).real, 3);
  EXPECT_FLOAT_EQ(Call("path_get_length", {R(p)}).real, 10);
  EXPECT_DOUBLE_EQ(Call("path_get_x", {R(p), R(0.75)}).real, 7.5);
  EXPECT_DOUBLE_EQ(Call("path_get_speed", {R(p), R(0.75)}).real, 75);
  EXPECT_DOUBLE_EQ(Call("path_get_point_x", {R(p), R(-1)}).real, 0);
  EXPECT_DOUBLE_EQ(Call("path_get_point_speed", {R(p), R(9)}).real, 1);
  Call("path_set_kind", {R(p), R(5)});
  EXPECT_EQ(Call("path_get_kind", {R(p)}).real, 0);
  Call("path_shift", {R(p), R(1), R(2)});
  EXPECT_DOUBLE_EQ(Call("path_get_point_y", {R(p), R(0)}).real, 2);
  EXPECT_EQ(Call("path_get_length", {R(7)}).real, -1);
  EXPECT_EQ(Call("path_get_point_x", {R(7), R(0)}).real, -1);
}

TEST_F(PathBuiltins, TableMessages) {
  const double p = Call("path_add", {}).real;
  EXPECT_EQ(Call("path_duplicate", {R(9)}).real, 0);
  EXPECT_NE(Error_Last.find("Trying to duplicate non-existing path."), std::string::npos);
  Call("path_assign", {R(p), R(p)});
  EXPECT_NE(Error_Last.find("Error assigning a path."), std::string::npos);
  Call("path_append", {R(9), R(p)});
  EXPECT_NE(Error_Last.find("Appending to non-existing path."), std::string::npos);
  Call("path_append", {R(p), R(9)});
  EXPECT_NE(Error_Last.find("Appending a non-existing path."), std::string::npos);
  EXPECT_EQ(Call("path_delete", {R(p)}).real, 1);
  EXPECT_EQ(Call("path_delete", {R(p)}).real, 0);
  EXPECT_NE(Error_Last.find("Trying to delete non-existing path."), std::string::npos);
  Call("path_add_point", {R(p), R(1), R(1), R(100)});  // a missing path: nothing, no report
}

TEST_F(PathBuiltins, TimeLines) {
  EXPECT_EQ(Call("timeline_add", {}).real, -1);
  EXPECT_EQ(TimeLine_GetCount(), 0);
  EXPECT_EQ(Call("timeline_exists", {R(0)}).real, 0);
  EXPECT_EQ(Call("timeline_get_name", {R(0)}).Text(), "<undefined>");
  EXPECT_EQ(Call("timeline_delete", {R(0)}).real, 0);
  EXPECT_NE(Error_Last.find("Trying to delete non-existing timeline."), std::string::npos);
  ConsoleCapture console;
  Call("timeline_moment_add", {R(0), R(3), S("x = 1;")});
  EXPECT_EQ(console.Text(), "timeline_moment_add :: deprecated function\n");
}

}  // namespace
