#include "functions/d3d_model_functions.h"

#include <iterator>
#include <string>

#include "functions/argument_helpers.h"
#include "graphics/graphics_3d_model.h"
#include "platform/console.h"
#include "platform/load_save.h"
#include "script/function_table.h"

namespace {

using Args = ScriptValue*;

// Coordinates, normals, texture coordinates, repeats and alphas are narrowed to single
// precision; model indices, kinds, colours, steps and texture handles are rounded from the full
// double; the closed flag is true from 0.5.
float S(const ScriptValue& v) { return Arg_Single(v); }
int32_t N(const ScriptValue& v) { return Arg_Rounded(v); }
bool B(const ScriptValue& v) { return Arg_Flag(v); }

void F_D3dModelCreate(ScriptValue& r, CInstance*, CInstance*, int, Args) { r.SetReal(GR_3D_Model_Create()); }
void F_D3dModelDestroy(ScriptValue&, CInstance*, CInstance*, int, Args a) { GR_3D_Model_Destroy(N(a[0])); }
void F_D3dModelClear(ScriptValue&, CInstance*, CInstance*, int, Args a) { GR_3D_Model_Clear(N(a[0])); }

// Looks in the save area first, then among the game's own files. 1 when the model was read,
// 0 when the file is missing or refused.
void F_D3dModelLoad(ScriptValue& r, CInstance*, CInstance*, int, Args a) {
  r.SetReal(-1.0);
  if (!a[0].IsReal() || !a[1].IsString()) return;
  const std::string_view name = Arg_String(a[1]);
  const std::string path = LoadSave_ExistingPath(name);
  if (path.empty()) {
    g_DebugConsole->Output("d3d_model_load - unable to find file %s\n", std::string(name).c_str());
    r.SetReal(0.0);
    return;
  }
  r.SetReal(GR_3D_Model_Load(N(a[0]), path) ? 1.0 : 0.0);
}

// Writes into the save area: 1 when written, 0 for no model or a file that cannot be made.
void F_D3dModelSave(ScriptValue& r, CInstance*, CInstance*, int, Args a) {
  r.SetReal(-1.0);
  if (!a[0].IsReal() || !a[1].IsString()) return;
  const std::string path = LoadSave_SavePath(Arg_String(a[1]));
  r.SetReal(!path.empty() && GR_3D_Model_Save(N(a[0]), path) ? 1.0 : 0.0);
}

void F_D3dModelDraw(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  GR_3D_Model_Draw(N(a[0]), S(a[1]), S(a[2]), S(a[3]), N(a[4]));
}
void F_D3dModelPrimitiveBegin(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  GR_3D_Model_Primitive_Begin(N(a[0]), N(a[1]));
}
void F_D3dModelPrimitiveEnd(ScriptValue&, CInstance*, CInstance*, int, Args a) { GR_3D_Model_Primitive_End(N(a[0])); }
void F_D3dModelVertex(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  GR_3D_Model_Vertex(N(a[0]), S(a[1]), S(a[2]), S(a[3]));
}
void F_D3dModelVertexColor(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  GR_3D_Model_Vertex_Color(N(a[0]), S(a[1]), S(a[2]), S(a[3]), N(a[4]), S(a[5]));
}
void F_D3dModelVertexTexture(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  GR_3D_Model_Vertex_Texture(N(a[0]), S(a[1]), S(a[2]), S(a[3]), S(a[4]), S(a[5]));
}
void F_D3dModelVertexTextureColor(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  GR_3D_Model_Vertex_Texture_Color(N(a[0]), S(a[1]), S(a[2]), S(a[3]), S(a[4]), S(a[5]), N(a[6]), S(a[7]));
}
void F_D3dModelVertexNormal(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  GR_3D_Model_Vertex_Normal(N(a[0]), S(a[1]), S(a[2]), S(a[3]), S(a[4]), S(a[5]), S(a[6]));
}
void F_D3dModelVertexNormalColor(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  GR_3D_Model_Vertex_Normal_Color(N(a[0]), S(a[1]), S(a[2]), S(a[3]), S(a[4]), S(a[5]), S(a[6]), N(a[7]), S(a[8]));
}
void F_D3dModelVertexNormalTexture(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  GR_3D_Model_Vertex_Normal_Texture(N(a[0]), S(a[1]), S(a[2]), S(a[3]), S(a[4]), S(a[5]), S(a[6]), S(a[7]),
                                    S(a[8]));
}
void F_D3dModelVertexNormalTextureColor(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  GR_3D_Model_Vertex_Normal_Texture_Color(N(a[0]), S(a[1]), S(a[2]), S(a[3]), S(a[4]), S(a[5]), S(a[6]), S(a[7]),
                                          S(a[8]), N(a[9]), S(a[10]));
}

// Block, wall and floor: a box and two repeats.
template <void (*Shape)(int32_t, float, float, float, float, float, float, float, float)>
void F_BoxShape(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  Shape(N(a[0]), S(a[1]), S(a[2]), S(a[3]), S(a[4]), S(a[5]), S(a[6]), S(a[7]), S(a[8]));
}
// Cylinder and cone: a box, two repeats, closed and steps.
template <void (*Shape)(int32_t, float, float, float, float, float, float, float, float, bool, int32_t)>
void F_RoundShape(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  Shape(N(a[0]), S(a[1]), S(a[2]), S(a[3]), S(a[4]), S(a[5]), S(a[6]), S(a[7]), S(a[8]), B(a[9]), N(a[10]));
}
void F_D3dModelEllipsoid(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  GR_3D_Model_Ellipsoid(N(a[0]), S(a[1]), S(a[2]), S(a[3]), S(a[4]), S(a[5]), S(a[6]), S(a[7]), S(a[8]), N(a[9]));
}

struct Builtin {
  const char* name;
  BuiltinFunction implementation;
  int32_t argc;
};

const Builtin kBuiltins[] = {
    {"d3d_model_create", F_D3dModelCreate, 0},
    {"d3d_model_destroy", F_D3dModelDestroy, 1},
    {"d3d_model_clear", F_D3dModelClear, 1},
    {"d3d_model_load", F_D3dModelLoad, 2},
    {"d3d_model_save", F_D3dModelSave, 2},
    {"d3d_model_draw", F_D3dModelDraw, 5},
    {"d3d_model_primitive_begin", F_D3dModelPrimitiveBegin, 2},
    {"d3d_model_primitive_end", F_D3dModelPrimitiveEnd, 1},
    {"d3d_model_vertex", F_D3dModelVertex, 4},
    {"d3d_model_vertex_color", F_D3dModelVertexColor, 6},
    {"d3d_model_vertex_texture", F_D3dModelVertexTexture, 6},
    {"d3d_model_vertex_texture_color", F_D3dModelVertexTextureColor, 8},
    {"d3d_model_vertex_normal", F_D3dModelVertexNormal, 7},
    {"d3d_model_vertex_normal_color", F_D3dModelVertexNormalColor, 9},
    {"d3d_model_vertex_normal_texture", F_D3dModelVertexNormalTexture, 9},
    {"d3d_model_vertex_normal_texture_color", F_D3dModelVertexNormalTextureColor, 11},
    {"d3d_model_block", F_BoxShape<GR_3D_Model_Block>, 9},
    {"d3d_model_cylinder", F_RoundShape<GR_3D_Model_Cylinder>, 11},
    {"d3d_model_cone", F_RoundShape<GR_3D_Model_Cone>, 11},
    {"d3d_model_ellipsoid", F_D3dModelEllipsoid, 10},
    {"d3d_model_wall", F_BoxShape<GR_3D_Model_Wall>, 9},
    {"d3d_model_floor", F_BoxShape<GR_3D_Model_Floor>, 9},
};
static_assert(std::size(kBuiltins) == 22);

}  // namespace

void InitD3DModelFunctions() {
  for (const Builtin& builtin : kBuiltins) Function_Add(builtin.name, builtin.implementation, builtin.argc);
}
