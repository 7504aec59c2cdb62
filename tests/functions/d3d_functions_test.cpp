// The d3d built-ins' own argument rules: fog distances kept to 16 signed bits, flags from
// 0.5, stack answers, and their place in the registration between the graphics and the
// particle families.
#include <gtest/gtest.h>

#include "functions/builtin_call.h"
#include "functions/registry.h"
#include "graphics/d3d_mode.h"
#include "graphics/graphics_state.h"
#include "script/function_table.h"
#include "support/function_table_guard.h"

namespace {

class D3DFunctions : public ::testing::Test {
 protected:
  FunctionTableGuard functions_;  // put back after TearDown
  void SetUp() override {
    Function_FreeAll();
    Functions_RegisterAll();
  }
  void TearDown() override {
    Call("d3d_end", {});
    Call("d3d_set_fog", {R(0), R(0), R(0), R(1)});
  }
  static ScriptValue Call(const char* name, std::vector<ScriptValue> args) {
    int32_t id = -1;
    EXPECT_TRUE(Function_Find(name, id)) << name;
    return id < 0 ? ScriptValue() : CallBuiltin(Function_Get(id)->implementation, std::move(args));
  }
};

TEST_F(D3DFunctions, FogDistancesKeepTheirLow16BitsAsSignedValues) {
  struct Case {
    double start, end;
    float expectedStart, expectedEnd;
  };
  for (const Case& c : {Case{70000, 40000, 4464, -25536}, Case{12.9, -7.9, 12, -7}}) {
    Call("d3d_set_fog", {R(1), R(0xFF), R(c.start), R(c.end)});
    EXPECT_EQ(Graphics_Settings().fogStart, c.expectedStart) << c.start;
    EXPECT_EQ(Graphics_Settings().fogEnd, c.expectedEnd) << c.end;
  }
}

TEST_F(D3DFunctions, FlagsAreTrueFromOneHalfAndTheStackAnswersOneOrZero) {
  Call("d3d_set_hidden", {R(0.5)});
  EXPECT_TRUE(Graphics_Settings().hidden);
  Call("d3d_set_hidden", {R(0.4999)});
  EXPECT_FALSE(Graphics_Settings().hidden);
  EXPECT_EQ(Call("d3d_start", {}).real, 1.0);
  EXPECT_TRUE(GR_3D_Get_Mode());
  EXPECT_EQ(Call("d3d_transform_stack_empty", {}).real, 1.0);
  EXPECT_EQ(Call("d3d_transform_stack_discard", {}).real, 0.0);
  EXPECT_EQ(Call("d3d_transform_stack_push", {}).real, 1.0);
  EXPECT_EQ(Call("d3d_transform_stack_empty", {}).real, 0.0);
  EXPECT_EQ(Call("d3d_transform_stack_discard", {}).real, 1.0);
  // Without a device nothing reaches it, and a string ambient colour is ignored.
  Call("d3d_light_define_ambient", {S("red")});
  EXPECT_EQ(Call("d3d_end", {}).real, 1.0);
  EXPECT_FALSE(GR_3D_Get_Mode());
}

TEST_F(D3DFunctions, RegisteredAfterTheGraphicsFamilyAndBeforeTheParticles) {
  struct Expected {
    const char* name;
    int32_t argc;
  };
  const Expected order[] = {
      {"surface_copy_part", 8}, {"d3d_start", 0}, {"d3d_end", 0}, {"d3d_set_perspective", 1},
      {"d3d_set_hidden", 1}, {"d3d_set_depth", 1}, {"d3d_set_lighting", 1}, {"d3d_set_shading", 1},
      {"d3d_set_fog", 4}, {"d3d_set_culling", 1}, {"d3d_primitive_begin", 1}, {"d3d_primitive_begin_texture", 2},
      {"d3d_primitive_end", 0}, {"d3d_vertex", 3}, {"d3d_vertex_color", 5}, {"d3d_vertex_texture", 5},
      {"d3d_vertex_texture_color", 7}, {"d3d_vertex_normal", 6}, {"d3d_vertex_normal_color", 8},
      {"d3d_vertex_normal_texture", 8}, {"d3d_vertex_normal_texture_color", 10}, {"d3d_draw_block", 9},
      {"d3d_draw_cylinder", 11}, {"d3d_draw_cone", 11}, {"d3d_draw_ellipsoid", 10}, {"d3d_draw_wall", 9},
      {"d3d_draw_floor", 9}, {"d3d_set_projection", 9}, {"d3d_set_projection_ext", 13},
      {"d3d_set_projection_ortho", 5}, {"d3d_set_projection_perspective", 5}, {"d3d_transform_set_identity", 0},
      {"d3d_transform_set_translation", 3}, {"d3d_transform_set_scaling", 3}, {"d3d_transform_set_rotation_x", 1},
      {"d3d_transform_set_rotation_y", 1}, {"d3d_transform_set_rotation_z", 1},
      {"d3d_transform_set_rotation_axis", 4}, {"d3d_transform_add_translation", 3},
      {"d3d_transform_add_scaling", 3}, {"d3d_transform_add_rotation_x", 1}, {"d3d_transform_add_rotation_y", 1},
      {"d3d_transform_add_rotation_z", 1}, {"d3d_transform_add_rotation_axis", 4},
      {"d3d_transform_stack_clear", 0}, {"d3d_transform_stack_empty", 0}, {"d3d_transform_stack_push", 0},
      {"d3d_transform_stack_pop", 0}, {"d3d_transform_stack_top", 0}, {"d3d_transform_stack_discard", 0},
      {"d3d_light_define_ambient", 1}, {"d3d_light_define_direction", 5}, {"d3d_light_define_point", 6},
      {"d3d_light_enable", 2}};
  int32_t first = -1;
  ASSERT_TRUE(Function_Find(order[0].name, first));
  for (size_t i = 0; i < std::size(order); ++i) {
    const BuiltinFunctionEntry* entry = Function_Get(first + static_cast<int32_t>(i));
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->name, order[i].name);
    EXPECT_EQ(entry->argc, order[i].argc) << order[i].name;
  }
  // The model built-ins come next; then the particle family.
  int32_t particles = -1;
  ASSERT_TRUE(Function_Find("part_type_create", particles));
  EXPECT_GT(particles, first + static_cast<int32_t>(std::size(order)) - 1);
  const std::string next = Function_Get(first + static_cast<int32_t>(std::size(order)))->name;
  EXPECT_TRUE(next.starts_with("d3d_model_") || next == "part_type_create") << next;
}

}  // namespace
