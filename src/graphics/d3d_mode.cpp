#include "graphics/d3d_mode.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "graphics/graphics_state.h"
#include "graphics/primitives.h"
#include "graphics/render_state.h"
#include "platform/matrix.h"

namespace {

constexpr int kMatrixView = 0;
constexpr int kMatrixProjection = 1;
constexpr int kMatrixWorld = 2;
// pi/180 as a float, widened.
constexpr double kRadiansPerDegree = 0.01745329238474369;

struct TransformStack {
  std::array<Matrix4, kTransformStackSize> slots{};
  int32_t top = -1;
};
TransformStack g_stack;
bool g_noViewCull = false;

Matrix4 CurrentWorld() {
  Matrix4 world;
  Graphics_GetMatrix(kMatrixWorld, world.m);
  return world;
}

void SetWorld(const Matrix4& world) { Graphics_SetMatrix(kMatrixWorld, world.m); }

// The new transform applies after the current world.
void AddToWorld(const Matrix4& transform) {
  Matrix4 result;
  Matrix_Multiply(result, CurrentWorld(), transform);
  SetWorld(result);
}

Matrix4 Translation(float x, float y, float z) {
  Matrix4 m = Matrix4::Identity();
  m.at(3, 0) = x;
  m.at(3, 1) = y;
  m.at(3, 2) = z;
  return m;
}

Matrix4 Scaling(float x, float y, float z) {
  Matrix4 m = Matrix4::Identity();
  m.at(0, 0) = x;
  m.at(1, 1) = y;
  m.at(2, 2) = z;
  return m;
}

Matrix4 RotationX(float angle) {
  Matrix4 m;
  Matrix_RotationX(m, angle);
  return m;
}
Matrix4 RotationY(float angle) {
  Matrix4 m;
  Matrix_RotationY(m, angle);
  return m;
}
Matrix4 RotationZ(float angle) {
  Matrix4 m;
  Matrix_RotationZ(m, angle);
  return m;
}
// About the axis by minus the angle.
Matrix4 RotationAxis(float x, float y, float z, float angle) {
  Matrix4 m;
  Vector3 axis{x, y, z};
  Matrix_RotationAxis(m, axis, -angle);
  return m;
}

void SetView(const Vector3& eye, const Vector3& target, const Vector3& up) {
  Matrix4 view;
  Matrix_LookAt(view, eye, target, up);
  Graphics_SetMatrix(kMatrixView, view.m);
}

void SetProjection(const Matrix4& projection) { Graphics_SetMatrix(kMatrixProjection, projection.m); }

// The up vector of a region turned by angle degrees.
Vector3 RegionUp(float angle) {
  const auto a = static_cast<float>(-static_cast<double>(angle) * kRadiansPerDegree);
  return {std::sin(a), std::cos(a), 0.0f};
}

}  // namespace

bool GR_3D_SetMode(bool on) {
  GraphicsSettings& settings = Graphics_Settings();
  if (on == settings.mode3D) return true;
  settings.mode3D = on;
  if (!on) GR_Draw_Set_Depth(0.0f);
  GR_3D_Set_Perspective(on);
  GR_3D_Set_Hidden(on);
  return true;
}

bool GR_3D_Get_Mode() { return Graphics_Settings().mode3D; }

void GR_3D_Clear_Depth() { Graphics::Clear(0, 1.0f, 0, 6); }

void GR_3D_SetDepth(float depth) {
  GR_Draw_Set_Depth(Graphics_Settings().mode3D ? std::clamp(depth, -kDepthLimit, kDepthLimit) : 0.0f);
}

bool GR_No_View_Cull() { return g_noViewCull; }
void GR_Set_No_View_Cull(bool on) { g_noViewCull = on; }

void GR_3D_Set_Projection(float xfrom, float yfrom, float zfrom, float xto, float yto, float zto, float xup,
                          float yup, float zup) {
  SetView({xfrom, yfrom, zfrom}, {xto, yto, zto}, {xup, yup, zup});
}

void GR_3D_Set_Projection_Ext(float xfrom, float yfrom, float zfrom, float xto, float yto, float zto, float xup,
                              float yup, float zup, float angle, float aspect, float znear, float zfar) {
  SetView({xfrom, yfrom, zfrom}, {xto, yto, zto}, {xup, yup, zup});
  Matrix4 projection;
  Matrix_PerspectiveFov(projection, static_cast<float>(static_cast<double>(angle) * kRadiansPerDegree), aspect,
                        znear, zfar);
  SetProjection(projection);
  g_noViewCull = false;
}

void GR_3D_Set_Projection_Ortho(float x, float y, float w, float h, float angle) {
  const float cx = w * 0.5f + x, cy = h * 0.5f + y;
  SetView({cx, cy, -16000.0f}, {cx, cy, 0.0f}, RegionUp(angle));
  Matrix4 projection;
  Matrix_Ortho(projection, w, -h, 1.0f, 32000.0f);
  SetProjection(projection);
  g_noViewCull = true;
}

void GR_3D_Set_Projection_Perspective(float x, float y, float w, float h, float angle) {
  const float cx = w * 0.5f + x, cy = h * 0.5f + y;
  SetView({cx, cy, -w}, {cx, cy, 0.0f}, RegionUp(angle));
  Matrix4 projection;
  Matrix_Perspective(projection, w / w, h / w, 1.0f, 32000.0f);
  SetProjection(projection);
  g_noViewCull = false;
}

void GR_3D_Transform_Set_Identity() { SetWorld(Matrix4::Identity()); }
void GR_3D_Transform_Set_Translation(float x, float y, float z) { SetWorld(Translation(x, y, z)); }
void GR_3D_Transform_Set_Scaling(float x, float y, float z) { SetWorld(Scaling(x, y, z)); }
void GR_3D_Transform_Set_Rotation_X(float angle) { SetWorld(RotationX(angle)); }
void GR_3D_Transform_Set_Rotation_Y(float angle) { SetWorld(RotationY(angle)); }
void GR_3D_Transform_Set_Rotation_Z(float angle) { SetWorld(RotationZ(angle)); }
void GR_3D_Transform_Set_Rotation_Axis(float x, float y, float z, float angle) {
  SetWorld(RotationAxis(x, y, z, angle));
}

void GR_3D_Transform_Add_Translation(float x, float y, float z) { AddToWorld(Translation(x, y, z)); }
void GR_3D_Transform_Add_Scaling(float x, float y, float z) { AddToWorld(Scaling(x, y, z)); }
void GR_3D_Transform_Add_Rotation_X(float angle) { AddToWorld(RotationX(angle)); }
void GR_3D_Transform_Add_Rotation_Y(float angle) { AddToWorld(RotationY(angle)); }
void GR_3D_Transform_Add_Rotation_Z(float angle) { AddToWorld(RotationZ(angle)); }
void GR_3D_Transform_Add_Rotation_Axis(float x, float y, float z, float angle) {
  AddToWorld(RotationAxis(x, y, z, angle));
}

void GR_3D_Transform_Stack_Clear() { g_stack.top = -1; }
bool GR_3D_Transform_Stack_Empty() { return g_stack.top < 0; }

bool GR_3D_Transform_Stack_Push() {
  if (g_stack.top >= kTransformStackSize - 1) return false;
  ++g_stack.top;
  g_stack.slots[static_cast<size_t>(g_stack.top)] = CurrentWorld();
  return true;
}

bool GR_3D_Transform_Stack_Pop() {
  if (g_stack.top < 0) return false;
  SetWorld(g_stack.slots[static_cast<size_t>(g_stack.top)]);
  --g_stack.top;
  return true;
}

bool GR_3D_Transform_Stack_Top() {
  if (g_stack.top < 0) return false;
  SetWorld(g_stack.slots[static_cast<size_t>(g_stack.top)]);
  return true;
}

bool GR_3D_Transform_Stack_Discard() {
  if (g_stack.top < 0) return false;
  --g_stack.top;
  return true;
}
