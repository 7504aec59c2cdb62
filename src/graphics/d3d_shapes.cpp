#include "graphics/d3d_shapes.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "graphics/batch.h"
#include "graphics/d3d_primitives.h"
#include "graphics/graphics_state.h"
#include "graphics/primitives.h"

namespace {

// pi as a float.
constexpr float kPi = 3.1415927f;

// Flushes around a shape and draws it with texture repeat on, restoring the setting after.
class CShapeFrame {
 public:
  CShapeFrame() : repeat_(GR_Texture_Get_Repeat()) {
    GR_D3D_Batch_Flush();
    GR_Texture_Set_Repeat(true);
  }
  ~CShapeFrame() {
    GR_D3D_Batch_Flush();
    GR_Texture_Set_Repeat(repeat_);
  }
  CShapeFrame(const CShapeFrame&) = delete;
  CShapeFrame& operator=(const CShapeFrame&) = delete;

 private:
  bool repeat_;
};

// cos and sin of 2 pi i / steps for i = 0..steps, steps already clamped.
struct RingTable {
  explicit RingTable(int32_t count) : steps(count) {
    for (int32_t i = 0; i <= steps; ++i) {
      const float angle = 2.0f * kPi * static_cast<float>(i) / static_cast<float>(steps);
      cosines[static_cast<size_t>(i)] = std::cos(angle);
      sines[static_cast<size_t>(i)] = std::sin(angle);
    }
  }
  float Cos(int32_t i) const { return cosines[static_cast<size_t>(i)]; }
  float Sin(int32_t i) const { return sines[static_cast<size_t>(i)]; }
  int32_t steps;
  std::array<float, kShapeMaxSteps + 1> cosines{};
  std::array<float, kShapeMaxSteps + 1> sines{};
};

int32_t ClampSteps(int32_t steps) { return std::clamp(steps, kShapeMinSteps, kShapeMaxSteps); }

struct Box {
  float cx, cy, rx, ry;
  Box(float x1, float y1, float x2, float y2)
      : cx((x1 + x2) / 2.0f), cy((y1 + y2) / 2.0f), rx((x2 - x1) / 2.0f), ry((y2 - y1) / 2.0f) {}
};

void Vertex(float x, float y, float z, float nx, float ny, float nz, float u, float v) {
  GR_3D_Vertex_Normal_Texture(x, y, z, nx, ny, nz, u, v);
}

// One face of a block: corners a, b, c, c, d, a.
struct Corner {
  float x, y, z;
};
void BlockFace(const std::array<Corner, 4>& k, float nx, float ny, float nz, const std::array<float, 8>& uv) {
  const int order[6] = {0, 1, 2, 2, 3, 0};
  const int uvIndex[6] = {0, 1, 2, 2, 3, 0};
  for (int i = 0; i < 6; ++i) {
    const Corner& c = k[static_cast<size_t>(order[i])];
    const auto t = static_cast<size_t>(uvIndex[i]) * 2;
    Vertex(c.x, c.y, c.z, nx, ny, nz, uv[t], uv[t + 1]);
  }
}

// The cap of a cylinder or cone at z, as a fan round its centre: the top cap takes (0, v) at
// every vertex, the bottom cap (0, 0) and walks the rim backwards so that it faces down.
void Cap(const Box& box, const RingTable& ring, float z, int32_t texture, bool top, float vrepeat) {
  GR_3D_Primitive_Begin(kPrimTriangleFan, texture);
  const float nz = top ? 1.0f : -1.0f;
  const float v = top ? vrepeat : 0.0f;
  Vertex(box.cx, box.cy, z, 0, 0, nz, 0, v);
  for (int32_t n = 0; n <= ring.steps; ++n) {
    const int32_t i = top ? n : ring.steps - n;
    Vertex(box.cx + ring.Cos(i) * box.rx, box.cy + ring.Sin(i) * box.ry, z, 0, 0, nz, 0, v);
  }
  GR_3D_Primitive_End();
}

float StepU(int32_t i, float hrepeat, int32_t steps) {
  return static_cast<float>(i) * hrepeat / static_cast<float>(steps);
}

}  // namespace

void GR_3D_Draw_Block(float x1, float y1, float z1, float x2, float y2, float z2, int32_t texture, float hrepeat,
                      float vrepeat) {
  CShapeFrame frame;
  const float h = hrepeat, v = vrepeat;
  const std::array<float, 8> uv = {0, 0, 0, v, h, v, h, 0};
  // The second face runs the other way round: b takes (h, 0) and d (0, v).
  const std::array<float, 8> uvReversed = {0, 0, h, 0, h, v, 0, v};
  GR_3D_Primitive_Begin(kPrimTriangleList, texture);
  BlockFace({{{x1, y1, z1}, {x1, y2, z1}, {x2, y2, z1}, {x2, y1, z1}}}, 0, 0, -1, uv);
  BlockFace({{{x1, y1, z2}, {x2, y1, z2}, {x2, y2, z2}, {x1, y2, z2}}}, 0, 0, 1, uvReversed);
  BlockFace({{{x1, y2, z1}, {x1, y2, z2}, {x2, y2, z2}, {x2, y2, z1}}}, 0, 1, 0, uv);
  BlockFace({{{x2, y2, z1}, {x2, y2, z2}, {x2, y1, z2}, {x2, y1, z1}}}, 1, 0, 0, uv);
  BlockFace({{{x2, y1, z1}, {x2, y1, z2}, {x1, y1, z2}, {x1, y1, z1}}}, 0, -1, 0, uv);
  BlockFace({{{x1, y1, z1}, {x1, y1, z2}, {x1, y2, z2}, {x1, y2, z1}}}, -1, 0, 0, uv);
  GR_3D_Primitive_End();
}

void GR_3D_Draw_Cylinder(float x1, float y1, float z1, float x2, float y2, float z2, int32_t texture, float hrepeat,
                         float vrepeat, bool closed, int32_t steps) {
  CShapeFrame frame;
  const RingTable ring(ClampSteps(steps));
  const Box box(x1, y1, x2, y2);
  if (closed) Cap(box, ring, z2, texture, true, vrepeat);
  GR_3D_Primitive_Begin(kPrimTriangleStrip, texture);
  for (int32_t i = 0; i <= ring.steps; ++i) {
    const float u = StepU(i, hrepeat, ring.steps);
    const float x = box.cx + ring.Cos(i) * box.rx, y = box.cy + ring.Sin(i) * box.ry;
    Vertex(x, y, z2, ring.Cos(i), ring.Sin(i), 0, u, vrepeat);
    Vertex(x, y, z1, ring.Cos(i), ring.Sin(i), 0, u, 0);
  }
  GR_3D_Primitive_End();
  if (closed) Cap(box, ring, z1, texture, false, vrepeat);
}

void GR_3D_Draw_Cone(float x1, float y1, float z1, float x2, float y2, float z2, int32_t texture, float hrepeat,
                     float vrepeat, bool closed, int32_t steps) {
  CShapeFrame frame;
  const RingTable ring(ClampSteps(steps));
  const Box box(x1, y1, x2, y2);
  GR_3D_Primitive_Begin(kPrimTriangleStrip, texture);
  for (int32_t i = 0; i <= ring.steps; ++i) {
    const float u = StepU(i, hrepeat, ring.steps);
    Vertex(box.cx, box.cy, z2, 0, 0, 1, u, vrepeat);
    Vertex(box.cx + ring.Cos(i) * box.rx, box.cy + ring.Sin(i) * box.ry, z1, ring.Cos(i), ring.Sin(i), 0, u, 0);
  }
  GR_3D_Primitive_End();
  if (closed) Cap(box, ring, z1, texture, false, vrepeat);
}

void GR_3D_Draw_Ellipsoid(float x1, float y1, float z1, float x2, float y2, float z2, int32_t texture, float hrepeat,
                          float vrepeat, int32_t steps) {
  CShapeFrame frame;
  const RingTable ring(ClampSteps(steps));
  const Box box(x1, y1, x2, y2);
  const float cz = (z1 + z2) / 2.0f, rz = (z2 - z1) / 2.0f;
  const int32_t rings = (ring.steps + 1) / 2;
  auto point = [&](int32_t i, float polar, float u, float v) {
    const float s = std::sin(polar), c = std::cos(polar);
    const float nx = s * ring.Cos(i), ny = s * ring.Sin(i);
    Vertex(box.cx + nx * box.rx, box.cy + ny * box.ry, cz + c * rz, nx, ny, c, u, v);
  };
  for (int32_t j = 0; j < rings; ++j) {
    const float a = static_cast<float>(j) * kPi / static_cast<float>(rings);
    const float b = static_cast<float>(j + 1) * kPi / static_cast<float>(rings);
    const float va = static_cast<float>(j) * vrepeat / static_cast<float>(rings);
    const float vb = static_cast<float>(j + 1) * vrepeat / static_cast<float>(rings);
    GR_3D_Primitive_Begin(kPrimTriangleStrip, texture);
    for (int32_t i = 0; i <= ring.steps; ++i) {
      const float u = StepU(i, hrepeat, ring.steps);
      point(i, a, u, va);
      point(i, b, u, vb);
    }
    GR_3D_Primitive_End();
  }
}

void GR_3D_Draw_Wall(float x1, float y1, float z1, float x2, float y2, float z2, int32_t texture, float hrepeat,
                     float vrepeat) {
  const float dx = x2 - x1, dy = y2 - y1;
  const float length = std::sqrt(dx * dx + dy * dy);
  if (length == 0.0f) return;
  CShapeFrame frame;
  const float nx = dy / length, ny = -dx / length;
  GR_3D_Primitive_Begin(kPrimTriangleFan, texture);
  Vertex(x1, y1, z1, nx, ny, 0, 0, 0);
  Vertex(x2, y2, z1, nx, ny, 0, hrepeat, 0);
  Vertex(x2, y2, z2, nx, ny, 0, hrepeat, vrepeat);
  Vertex(x1, y1, z2, nx, ny, 0, 0, vrepeat);
  GR_3D_Primitive_End();
}

void GR_3D_Draw_Floor(float x1, float y1, float z1, float x2, float y2, float z2, int32_t texture, float hrepeat,
                      float vrepeat) {
  CShapeFrame frame;
  GR_3D_Primitive_Begin(kPrimTriangleFan, texture);
  Vertex(x1, y1, z1, 0, 0, 1, 0, 0);
  Vertex(x1, y2, z1, 0, 0, 1, 0, vrepeat);
  Vertex(x2, y2, z2, 0, 0, 1, hrepeat, vrepeat);
  Vertex(x2, y1, z2, 0, 0, 1, hrepeat, 0);
  GR_3D_Primitive_End();
}
