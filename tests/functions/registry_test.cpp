// The whole registration: every name once, and the instance, room, game and event built-ins
// with their argument counts.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "functions/registry.h"
#include "script/function_table.h"

namespace {

TEST(Registry, NamesAreUniqueAndTheGameFamiliesAreThere) {
  Function_FreeAll();
  Functions_RegisterAll();
  std::set<std::string> names;
  for (int32_t id = 0; id < Function_Count(); ++id) {
    const BuiltinFunctionEntry* entry = Function_Get(id);
    ASSERT_NE(entry, nullptr);
    EXPECT_TRUE(names.insert(entry->name).second) << entry->name << " is registered twice";
  }
  struct Expected {
    const char* name;
    int32_t argc;
  };
  for (const Expected& e : {Expected{"instance_number", 1}, {"instance_exists", 1}, {"instance_create", 3},
                            {"instance_destroy", 0}, {"room_goto", 1}, {"room_goto_previous", 0},
                            {"room_goto_next", 0}, {"room_restart", 0}, {"game_end", 0}, {"game_restart", 0},
                            {"event_user", 1}, {"event_inherited", 0}, {"show_debug_message", 1},
                            {"move_bounce", 1}, {"mp_grid_path", 7}, {"mp_potential_path_object", 6},
                            {"collision_line", 7}, {"instance_deactivate_region", 6}, {"sleep", 1}}) {
    int32_t id = -1;
    ASSERT_TRUE(Function_Find(e.name, id)) << e.name;
    EXPECT_EQ(Function_ArgCount(id), e.argc) << e.name;
  }
  // The game family comes first among the families: its motion built-ins, then the others,
  // 81 names with the move_bounce alias.
  EXPECT_EQ(Function_Get(0)->name, "move_random");
  EXPECT_EQ(Function_Get(40)->name, "mp_grid_draw");
  EXPECT_EQ(Function_Get(41)->name, "collision_point");
  EXPECT_EQ(Function_Get(80)->name, "sleep");
  Function_FreeAll();
}

}  // namespace
