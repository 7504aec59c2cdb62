#include "functions/d3d_functions.h"

#include <cmath>
#include <iterator>

#include "functions/argument_helpers.h"
#include "graphics/d3d_mode.h"
#include "graphics/d3d_primitives.h"
#include "graphics/d3d_shapes.h"
#include "graphics/graphics_state.h"
#include "graphics/render_state.h"
#include "script/function_table.h"

namespace {

using Args = ScriptValue*;

// Coordinates, normals, texture coordinates, sizes, angles, repeats, ranges and alphas are
// narrowed to single precision; colours, kinds, steps, light indices and texture handles are
// rounded from the full double; flags are true from 0.5.
float S(const ScriptValue& v) { return Arg_Single(v); }
int32_t N(const ScriptValue& v) { return Arg_Rounded(v); }
bool B(const ScriptValue& v) { return Arg_Flag(v); }
void Answer(ScriptValue& r, bool yes) { r.SetReal(yes ? 1.0 : 0.0); }

// ---- mode and render settings ----

void F_D3dStart(ScriptValue& r, CInstance*, CInstance*, int, Args) { Answer(r, GR_3D_SetMode(true)); }
void F_D3dEnd(ScriptValue& r, CInstance*, CInstance*, int, Args) { Answer(r, GR_3D_SetMode(false)); }
void F_D3dSetPerspective(ScriptValue&, CInstance*, CInstance*, int, Args a) { GR_3D_Set_Perspective(B(a[0])); }
void F_D3dSetHidden(ScriptValue&, CInstance*, CInstance*, int, Args a) { GR_3D_Set_Hidden(B(a[0])); }
void F_D3dSetDepth(ScriptValue&, CInstance*, CInstance*, int, Args a) { GR_3D_SetDepth(S(a[0])); }
void F_D3dSetLighting(ScriptValue&, CInstance*, CInstance*, int, Args a) { GR_3D_Set_Lighting(B(a[0])); }
void F_D3dSetShading(ScriptValue&, CInstance*, CInstance*, int, Args a) { GR_3D_Set_Shading(B(a[0])); }
// Fog distances are whole numbers kept to their low 16 bits, as signed values.
int16_t FogDistance(const ScriptValue& v) {
  return static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint32_t>(Arg_Truncated(v)) & 0xFFFFu));
}
void F_D3dSetFog(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  GR_3D_Set_Fog(B(a[0]), static_cast<uint32_t>(N(a[1])), FogDistance(a[2]), FogDistance(a[3]));
}
void F_D3dSetCulling(ScriptValue&, CInstance*, CInstance*, int, Args a) { GR_3D_Set_Culling(B(a[0])); }

// ---- primitives ----

void F_D3dPrimitiveBegin(ScriptValue&, CInstance*, CInstance*, int, Args a) { GR_3D_Primitive_Begin(N(a[0]), -1); }
void F_D3dPrimitiveBeginTexture(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  GR_3D_Primitive_Begin(N(a[0]), N(a[1]));
}
void F_D3dPrimitiveEnd(ScriptValue&, CInstance*, CInstance*, int, Args) { GR_3D_Primitive_End(); }
void F_D3dVertex(ScriptValue&, CInstance*, CInstance*, int, Args a) { GR_3D_Vertex(S(a[0]), S(a[1]), S(a[2])); }
void F_D3dVertexColor(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  GR_3D_Vertex_Color(S(a[0]), S(a[1]), S(a[2]), N(a[3]), S(a[4]));
}
void F_D3dVertexTexture(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  GR_3D_Vertex_Texture(S(a[0]), S(a[1]), S(a[2]), S(a[3]), S(a[4]));
}
void F_D3dVertexTextureColor(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  GR_3D_Vertex_Texture_Color(S(a[0]), S(a[1]), S(a[2]), S(a[3]), S(a[4]), N(a[5]), S(a[6]));
}
void F_D3dVertexNormal(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  GR_3D_Vertex_Normal(S(a[0]), S(a[1]), S(a[2]), S(a[3]), S(a[4]), S(a[5]));
}
void F_D3dVertexNormalColor(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  GR_3D_Vertex_Normal_Color(S(a[0]), S(a[1]), S(a[2]), S(a[3]), S(a[4]), S(a[5]), N(a[6]), S(a[7]));
}
void F_D3dVertexNormalTexture(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  GR_3D_Vertex_Normal_Texture(S(a[0]), S(a[1]), S(a[2]), S(a[3]), S(a[4]), S(a[5]), S(a[6]), S(a[7]));
}
void F_D3dVertexNormalTextureColor(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  GR_3D_Vertex_Normal_Texture_Color(S(a[0]), S(a[1]), S(a[2]), S(a[3]), S(a[4]), S(a[5]), S(a[6]), S(a[7]),
                                    N(a[8]), S(a[9]));
}

// ---- shapes ----

void F_D3dDrawBlock(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  GR_3D_Draw_Block(S(a[0]), S(a[1]), S(a[2]), S(a[3]), S(a[4]), S(a[5]), N(a[6]), S(a[7]), S(a[8]));
}
void F_D3dDrawCylinder(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  GR_3D_Draw_Cylinder(S(a[0]), S(a[1]), S(a[2]), S(a[3]), S(a[4]), S(a[5]), N(a[6]), S(a[7]), S(a[8]), B(a[9]),
                      N(a[10]));
}
void F_D3dDrawCone(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  GR_3D_Draw_Cone(S(a[0]), S(a[1]), S(a[2]), S(a[3]), S(a[4]), S(a[5]), N(a[6]), S(a[7]), S(a[8]), B(a[9]),
                  N(a[10]));
}
void F_D3dDrawEllipsoid(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  GR_3D_Draw_Ellipsoid(S(a[0]), S(a[1]), S(a[2]), S(a[3]), S(a[4]), S(a[5]), N(a[6]), S(a[7]), S(a[8]), N(a[9]));
}
void F_D3dDrawWall(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  GR_3D_Draw_Wall(S(a[0]), S(a[1]), S(a[2]), S(a[3]), S(a[4]), S(a[5]), N(a[6]), S(a[7]), S(a[8]));
}
void F_D3dDrawFloor(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  GR_3D_Draw_Floor(S(a[0]), S(a[1]), S(a[2]), S(a[3]), S(a[4]), S(a[5]), N(a[6]), S(a[7]), S(a[8]));
}

// ---- projections and transforms ----

void F_D3dSetProjection(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  GR_3D_Set_Projection(S(a[0]), S(a[1]), S(a[2]), S(a[3]), S(a[4]), S(a[5]), S(a[6]), S(a[7]), S(a[8]));
}
void F_D3dSetProjectionExt(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  GR_3D_Set_Projection_Ext(S(a[0]), S(a[1]), S(a[2]), S(a[3]), S(a[4]), S(a[5]), S(a[6]), S(a[7]), S(a[8]), S(a[9]),
                           S(a[10]), S(a[11]), S(a[12]));
}
void F_D3dSetProjectionOrtho(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  GR_3D_Set_Projection_Ortho(S(a[0]), S(a[1]), S(a[2]), S(a[3]), S(a[4]));
}
void F_D3dSetProjectionPerspective(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  GR_3D_Set_Projection_Perspective(S(a[0]), S(a[1]), S(a[2]), S(a[3]), S(a[4]));
}

template <void (*Operation)()>
void F_NoArguments(ScriptValue&, CInstance*, CInstance*, int, Args) {
  Operation();
}
template <void (*Operation)(float)>
void F_Angle(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  Operation(S(a[0]));
}
template <void (*Operation)(float, float, float)>
void F_Vector(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  Operation(S(a[0]), S(a[1]), S(a[2]));
}
template <void (*Operation)(float, float, float, float)>
void F_AxisAngle(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  Operation(S(a[0]), S(a[1]), S(a[2]), S(a[3]));
}
template <bool (*Operation)()>
void F_StackOperation(ScriptValue& r, CInstance*, CInstance*, int, Args) {
  Answer(r, Operation());
}

// ---- lights ----

void F_D3dLightDefineAmbient(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  if (a[0].IsReal()) Graphics_SetAmbientLight(static_cast<uint32_t>(Arg_Truncated(a[0])));
}
void F_D3dLightDefineDirection(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  float dx = S(a[1]), dy = S(a[2]), dz = S(a[3]);
  const float length = std::sqrt(dx * dx + dy * dy + dz * dz);
  dx /= length;
  dy /= length;
  dz /= length;
  // A direction of no length (or beyond single precision) has no unit vector: the light keeps
  // its colour and points nowhere, so that it lights nothing, rather than carrying NaN.
  if (!(std::isfinite(dx) && std::isfinite(dy) && std::isfinite(dz))) dx = dy = dz = 0.0f;
  Graphics_DefineDirectionalLight(Arg_Truncated(a[0]), dx, dy, dz, static_cast<uint32_t>(N(a[4])));
}
void F_D3dLightDefinePoint(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  Graphics_DefinePointLight(N(a[0]), S(a[1]), S(a[2]), S(a[3]), S(a[4]), static_cast<uint32_t>(N(a[5])));
}
void F_D3dLightEnable(ScriptValue&, CInstance*, CInstance*, int, Args a) { Graphics_EnableLight(N(a[0]), B(a[1])); }

struct Builtin {
  const char* name;
  BuiltinFunction implementation;
  int32_t argc;
};

const Builtin kBuiltins[] = {
    {"d3d_start", F_D3dStart, 0},
    {"d3d_end", F_D3dEnd, 0},
    {"d3d_set_perspective", F_D3dSetPerspective, 1},
    {"d3d_set_hidden", F_D3dSetHidden, 1},
    {"d3d_set_depth", F_D3dSetDepth, 1},
    {"d3d_set_lighting", F_D3dSetLighting, 1},
    {"d3d_set_shading", F_D3dSetShading, 1},
    {"d3d_set_fog", F_D3dSetFog, 4},
    {"d3d_set_culling", F_D3dSetCulling, 1},
    {"d3d_primitive_begin", F_D3dPrimitiveBegin, 1},
    {"d3d_primitive_begin_texture", F_D3dPrimitiveBeginTexture, 2},
    {"d3d_primitive_end", F_D3dPrimitiveEnd, 0},
    {"d3d_vertex", F_D3dVertex, 3},
    {"d3d_vertex_color", F_D3dVertexColor, 5},
    {"d3d_vertex_texture", F_D3dVertexTexture, 5},
    {"d3d_vertex_texture_color", F_D3dVertexTextureColor, 7},
    {"d3d_vertex_normal", F_D3dVertexNormal, 6},
    {"d3d_vertex_normal_color", F_D3dVertexNormalColor, 8},
    {"d3d_vertex_normal_texture", F_D3dVertexNormalTexture, 8},
    {"d3d_vertex_normal_texture_color", F_D3dVertexNormalTextureColor, 10},
    {"d3d_draw_block", F_D3dDrawBlock, 9},
    {"d3d_draw_cylinder", F_D3dDrawCylinder, 11},
    {"d3d_draw_cone", F_D3dDrawCone, 11},
    {"d3d_draw_ellipsoid", F_D3dDrawEllipsoid, 10},
    {"d3d_draw_wall", F_D3dDrawWall, 9},
    {"d3d_draw_floor", F_D3dDrawFloor, 9},
    {"d3d_set_projection", F_D3dSetProjection, 9},
    {"d3d_set_projection_ext", F_D3dSetProjectionExt, 13},
    {"d3d_set_projection_ortho", F_D3dSetProjectionOrtho, 5},
    {"d3d_set_projection_perspective", F_D3dSetProjectionPerspective, 5},
    {"d3d_transform_set_identity", F_NoArguments<GR_3D_Transform_Set_Identity>, 0},
    {"d3d_transform_set_translation", F_Vector<GR_3D_Transform_Set_Translation>, 3},
    {"d3d_transform_set_scaling", F_Vector<GR_3D_Transform_Set_Scaling>, 3},
    {"d3d_transform_set_rotation_x", F_Angle<GR_3D_Transform_Set_Rotation_X>, 1},
    {"d3d_transform_set_rotation_y", F_Angle<GR_3D_Transform_Set_Rotation_Y>, 1},
    {"d3d_transform_set_rotation_z", F_Angle<GR_3D_Transform_Set_Rotation_Z>, 1},
    {"d3d_transform_set_rotation_axis", F_AxisAngle<GR_3D_Transform_Set_Rotation_Axis>, 4},
    {"d3d_transform_add_translation", F_Vector<GR_3D_Transform_Add_Translation>, 3},
    {"d3d_transform_add_scaling", F_Vector<GR_3D_Transform_Add_Scaling>, 3},
    {"d3d_transform_add_rotation_x", F_Angle<GR_3D_Transform_Add_Rotation_X>, 1},
    {"d3d_transform_add_rotation_y", F_Angle<GR_3D_Transform_Add_Rotation_Y>, 1},
    {"d3d_transform_add_rotation_z", F_Angle<GR_3D_Transform_Add_Rotation_Z>, 1},
    {"d3d_transform_add_rotation_axis", F_AxisAngle<GR_3D_Transform_Add_Rotation_Axis>, 4},
    {"d3d_transform_stack_clear", F_NoArguments<GR_3D_Transform_Stack_Clear>, 0},
    {"d3d_transform_stack_empty", F_StackOperation<GR_3D_Transform_Stack_Empty>, 0},
    {"d3d_transform_stack_push", F_StackOperation<GR_3D_Transform_Stack_Push>, 0},
    {"d3d_transform_stack_pop", F_StackOperation<GR_3D_Transform_Stack_Pop>, 0},
    {"d3d_transform_stack_top", F_StackOperation<GR_3D_Transform_Stack_Top>, 0},
    {"d3d_transform_stack_discard", F_StackOperation<GR_3D_Transform_Stack_Discard>, 0},
    {"d3d_light_define_ambient", F_D3dLightDefineAmbient, 1},
    {"d3d_light_define_direction", F_D3dLightDefineDirection, 5},
    {"d3d_light_define_point", F_D3dLightDefinePoint, 6},
    {"d3d_light_enable", F_D3dLightEnable, 2},
};
static_assert(std::size(kBuiltins) == 53);

}  // namespace

void InitD3DFunctions() {
  for (const Builtin& builtin : kBuiltins) Function_Add(builtin.name, builtin.implementation, builtin.argc);
}
