// The whole registration: every name once, and the instance, room, game and event built-ins
// with their argument counts.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "functions/registry.h"
#include "script/function_table.h"
#include "support/function_table_guard.h"

namespace {

TEST(Registry, NamesAreUniqueAndTheGameFamiliesAreThere) {
  FunctionTableGuard functions;
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
                            {"ds_set_precision", 1}, {"ds_grid_read", 2}, {"file_bin_open", 2},
                            {"environment_get_variable", 1}, {"ini_section_delete", 1}, {"json_decode", 1},
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
}

TEST(Registry, TextureAndTextBuiltInsFollowTheTextureQueriesInTheirOrder) {
  FunctionTableGuard functions;
  Function_FreeAll();
  Functions_RegisterAll();
  struct Expected {
    const char* name;
    int32_t argc;
  };
  const Expected order[] = {{"background_get_texture", 1}, {"texture_exists", 1}, {"texture_get_width", 1},
                            {"texture_get_height", 1}, {"texture_set_interpolation", 1},
                            {"texture_set_blending", 1}, {"texture_set_repeat", 1}, {"texture_preload", 1},
                            {"texture_set_priority", 2}, {"draw_set_font", 1}, {"draw_set_halign", 1},
                            {"draw_set_valign", 1}, {"string_width", 1}, {"string_height", 1},
                            {"string_width_ext", 3}, {"string_height_ext", 3}, {"draw_text", 3},
                            {"draw_text_ext", 5}, {"draw_text_transformed", 6}, {"draw_text_ext_transformed", 8},
                            {"draw_text_color", 8}, {"draw_text_ext_color", 10}, {"draw_text_transformed_color", 11},
                            {"draw_text_ext_transformed_color", 13}, {"draw_self", 0}};
  int32_t previous = -1;
  for (const Expected& e : order) {
    int32_t id = -1;
    ASSERT_TRUE(Function_Find(e.name, id)) << e.name;
    EXPECT_EQ(Function_ArgCount(id), e.argc) << e.name;
    if (previous >= 0) EXPECT_EQ(id, previous + 1) << e.name;
    previous = id;
  }
}

TEST(Registry, DialogFamilyStandsInItsOrderBeforeTheInputFamily) {
  FunctionTableGuard functions;
  Function_FreeAll();
  Functions_RegisterAll();
  struct Expected {
    const char* name;
    int32_t argc;
  };
  const Expected order[] = {
      {"show_message", 1}, {"show_question", 1}, {"show_error", 2}, {"show_info", 0}, {"load_info", 1},
      {"get_string", 2}, {"get_integer", 2}, {"get_login_async", 2}, {"get_open_filename", 2},
      {"get_save_filename", 2}, {"get_open_filename_ext", 4}, {"get_save_filename_ext", 4},
      {"show_message_ext", 4}, {"show_menu", 2}, {"show_menu_pos", 4}, {"get_color", 1}, {"get_directory", 1},
      {"get_directory_alt", 2}, {"message_background", 1}, {"message_button", 1}, {"message_text_font", 4},
      {"message_button_font", 4}, {"message_input_font", 4}, {"message_alpha", 1}, {"message_mouse_color", 1},
      {"message_input_color", 1}, {"message_position", 2}, {"message_size", 2}, {"message_caption", 2},
      {"splash_set_caption", 1}, {"splash_set_fullscreen", 1}, {"splash_set_size", 2}, {"splash_set_adapt", 1},
      {"splash_set_border", 1}, {"splash_set_top", 1}, {"splash_set_color", 1}, {"splash_set_main", 1},
      {"splash_set_scale", 1}, {"splash_set_cursor", 1}, {"splash_set_interrupt", 1}, {"splash_set_stop_key", 1},
      {"splash_set_stop_mouse", 1}, {"splash_show_video", 2}, {"splash_show_image", 2}, {"splash_show_text", 2},
      {"show_video", 3}, {"show_image", 3}, {"show_text", 4}, {"highscore_show", 1}, {"highscore_show_ext", 7},
      {"highscore_set_background", 1}, {"highscore_set_border", 1}, {"highscore_set_colors", 3},
      {"highscore_set_font", 3}, {"highscore_set_strings", 3}, {"highscore_clear", 0}, {"highscore_add", 2},
      {"highscore_add_current", 0}, {"highscore_value", 1}, {"highscore_name", 1}, {"draw_highscore", 4},
      {"keyboard_check", 1}};
  int32_t first = -1;
  ASSERT_TRUE(Function_Find("show_message", first));
  for (size_t i = 0; i < std::size(order); ++i) {
    const BuiltinFunctionEntry* entry = Function_Get(first + static_cast<int32_t>(i));
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->name, order[i].name);
    EXPECT_EQ(Function_ArgCount(first + static_cast<int32_t>(i)), order[i].argc) << order[i].name;
  }
}

// The resource family in its order: sprites and backgrounds (format 800 layouts), sounds,
// fonts, paths, scripts, time lines, objects and rooms; 61 + 72 + 42 names, one after another.
TEST(Registry, ResourceBuiltInsAreRegisteredInTheirOrderWithTheirArgumentCounts) {
  FunctionTableGuard functions;
  Function_FreeAll();
  Functions_RegisterAll();
  struct Expected {
    const char* name;
    int32_t argc;
  };
  const Expected first[] = {{"sprite_exists", 1}, {"sprite_name", 1}, {"sprite_get_name", 1}};
  const Expected sprites[] = {{"background_get_preload", 1}, {"sprite_set_offset", 3}, {"sprite_set_bbox_mode", 2},
                              {"sprite_set_bbox", 5}, {"sprite_set_precise", 2}, {"sprite_set_alpha_from_sprite", 2},
                              {"sprite_collision_mask", 9}, {"background_set_alpha_from_background", 2},
                              {"sprite_add", 6}, {"sprite_replace", 7}, {"sprite_create_from_screen", 8},
                              {"sprite_create_from_surface", 9}, {"sprite_add_from_screen", 7},
                              {"sprite_add_from_surface", 8}, {"sprite_duplicate", 1}, {"sprite_assign", 2},
                              {"sprite_merge", 2}, {"sprite_delete", 1}, {"background_add", 3},
                              {"background_replace", 4}, {"background_create_color", 3},
                              {"background_create_gradient", 5}, {"background_create_from_screen", 6},
                              {"background_create_from_surface", 7}, {"background_duplicate", 1},
                              {"background_assign", 2}, {"background_delete", 1}, {"sprite_save", 3},
                              {"sprite_save_strip", 2}, {"background_save", 2}, {"sprite_add_sprite", 1},
                              {"sprite_replace_sprite", 2}, {"background_add_background", 1},
                              {"background_replace_background", 2}, {"sprite_set_cache_size", 2},
                              {"sprite_set_cache_size_ext", 3}, {"sprite_get_tpe", 2}, {"font_set_cache_size", 2},
                              {"sound_exists", 1}};
  const Expected others[] = {{"sound_delete", 1}, {"font_exists", 1}, {"font_add", 6}, {"font_replace_sprite_ext", 5},
                             {"font_delete", 1}, {"path_exists", 1}};
  const Expected scripts[] = {{"path_shift", 3}, {"script_exists", 1}, {"script_name", 1}, {"script_get_name", 1},
                              {"script_get_text", 1}, {"script_execute", -1}, {"timeline_exists", 1}};
  const Expected rooms[] = {{"timeline_moment_add", 3}, {"object_exists", 1}, {"object_event_add", 4},
                            {"room_exists", 1}, {"room_set_background", 12}, {"room_set_view", 16},
                            {"room_instance_add", 4}, {"room_tile_add", 9}, {"room_tile_add_ext", 12},
                            {"room_tile_clear", 1}};
  auto id_of = [](const char* name) {
    int32_t id = -1;
    EXPECT_TRUE(Function_Find(name, id)) << name;
    return id;
  };
  const int32_t start = id_of("sprite_exists");
  EXPECT_EQ(id_of("room_tile_clear") - start + 1, 61 + 72 + 42);
  EXPECT_EQ(id_of("sound_exists") - start, 61 + 1);  // font_set_cache_size stands among the sprite rows
  EXPECT_EQ(id_of("object_exists") - start, 61 + 72);
  auto check_run = [&](const Expected* begin, const Expected* end, bool consecutive) {
    int32_t previous = -1;
    for (const Expected* e = begin; e != end; ++e) {
      const int32_t id = id_of(e->name);
      EXPECT_EQ(Function_ArgCount(id), e->argc) << e->name;
      if (consecutive && previous >= 0) EXPECT_EQ(id, previous + 1) << e->name;
      previous = id;
    }
  };
  check_run(std::begin(first), std::end(first), true);
  check_run(std::begin(sprites), std::end(sprites), true);
  check_run(std::begin(scripts), std::end(scripts), true);
  check_run(std::begin(others), std::end(others), false);
  check_run(std::begin(rooms), std::end(rooms), false);
  // The format-700 rows are not there in a format-800 game.
  int32_t id = -1;
  EXPECT_FALSE(Function_Find("sprite_add_alpha", id));
  EXPECT_FALSE(Function_Find("background_replace_alpha", id));
}

// The physics family stands between the multiplayer family and the platform services, its 39
// names one after another.
TEST(Registry, PhysicsFamilyFollowsTheMultiplayerFamily) {
  FunctionTableGuard functions;
  Function_FreeAll();
  Functions_RegisterAll();
  struct Expected {
    const char* name;
    int32_t argc;
  };
  const Expected order[] = {
      {"mplay_ipaddress", 0}, {"physics_world_create", 1}, {"physics_world_gravity", 2},
      {"physics_world_update_speed", 1}, {"physics_world_update_iterations", 1}, {"physics_world_draw_debug", 1},
      {"physics_pause_enable", 1}, {"physics_fixture_create", 0}, {"physics_fixture_set_kinematic", 1},
      {"physics_fixture_set_awake", 2}, {"physics_fixture_set_density", 2}, {"physics_fixture_set_restitution", 2},
      {"physics_fixture_set_friction", 2}, {"physics_fixture_set_collision_group", 2},
      {"physics_fixture_set_sensor", 2}, {"physics_fixture_set_linear_damping", 2},
      {"physics_fixture_set_angular_damping", 2}, {"physics_fixture_set_circle_shape", 2},
      {"physics_fixture_set_box_shape", 3}, {"physics_fixture_set_polygon_shape", 1},
      {"physics_fixture_add_point", 3}, {"physics_fixture_bind", 2}, {"physics_fixture_delete", 1},
      {"physics_apply_force", 4}, {"physics_apply_impulse", 4}, {"physics_apply_local_force", 4},
      {"physics_apply_local_impulse", 4}, {"physics_apply_torque", 1}, {"physics_mass_properties", 4},
      {"physics_draw_debug", 0}, {"physics_test_overlap", 4}, {"physics_joint_distance_create", 7},
      {"physics_joint_revolute_create", 11}, {"physics_joint_prismatic_create", 13},
      {"physics_joint_pulley_create", 14}, {"physics_joint_gear_create", 5}, {"physics_joint_enable_motor", 2},
      {"physics_joint_get_value", 2}, {"physics_joint_set_value", 3}, {"physics_joint_delete", 1},
      {"url_open", 1}};
  int32_t first = -1;
  ASSERT_TRUE(Function_Find("mplay_ipaddress", first));
  for (size_t i = 0; i < std::size(order); ++i) {
    const BuiltinFunctionEntry* entry = Function_Get(first + static_cast<int32_t>(i));
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->name, order[i].name);
    EXPECT_EQ(Function_ArgCount(first + static_cast<int32_t>(i)), order[i].argc) << order[i].name;
  }
}

}  // namespace
