#include "graphics/graphics_recorder.h"

#include <cstring>

#include "graphics/d3d_numbering.h"
#include "graphics/device.h"
#include "graphics/graphics_state.h"
#include "graphics/render_state.h"
#include "graphics/texture_table.h"
#include "platform/matrix.h"

namespace {

constexpr int kWorldMatrix = 2;
constexpr uint32_t kStride = sizeof(Vertex36);

void Append(std::vector<Vertex36>& list, std::span<const Vertex36> vertices) {
  list.insert(list.end(), vertices.begin(), vertices.end());
}

}  // namespace

GraphicsRecorder::GraphicsRecorder(uint32_t keyColour, int32_t textureId)
    : keyColour_(keyColour), textureId_(textureId) {}

GraphicsRecorder::~GraphicsRecorder() { ReleaseBuffers(); }

void GraphicsRecorder::AddPrimitive(int32_t type, std::span<const Vertex36> p) {
  const size_t n = p.size();
  switch (type) {
    case 2:  // line list
      Append(lists_[kLines].vertices, p);
      return;
    case 3: {  // line strip: each consecutive pair
      std::vector<Vertex36>& lines = lists_[kLines].vertices;
      for (size_t i = 0; i + 1 < n; ++i) {
        lines.push_back(p[i]);
        lines.push_back(p[i + 1]);
      }
      return;
    }
    case 4:  // triangle list
      Append(lists_[kTriangles].vertices, p);
      return;
    case 5: {  // triangle strip: every other triangle turned round to keep the winding
      std::vector<Vertex36>& triangles = lists_[kTriangles].vertices;
      for (size_t i = 0; i + 2 < n; ++i) {
        if (i % 2 == 0) {
          triangles.insert(triangles.end(), {p[i], p[i + 1], p[i + 2]});
        } else {
          triangles.insert(triangles.end(), {p[i + 2], p[i + 1], p[i]});
        }
      }
      return;
    }
    case 6: {  // triangle fan round the first vertex
      std::vector<Vertex36>& triangles = lists_[kTriangles].vertices;
      for (size_t i = 0; i + 2 < n; ++i) triangles.insert(triangles.end(), {p[0], p[i + 1], p[i + 2]});
      return;
    }
    default:
      Append(lists_[kPoints].vertices, p);
      return;
  }
}

void GraphicsRecorder::ReplaceColor(uint32_t colour) {
  if ((keyColour_ & 1u) != 0) return;
  const uint32_t replacement = colour & ~1u;
  for (VertexList& list : lists_) {
    for (Vertex36& vertex : list.vertices) {
      if (vertex.colour == keyColour_) vertex.colour = replacement;
    }
  }
  ReleaseBuffers();
  keyColour_ = replacement;
}

void GraphicsRecorder::Release(VertexList& list) {
  gfx::CGLDevice* device = Graphics_Device();
  // A buffer of a device that has gone went with it.
  if (device != nullptr && list.buffer != 0 && device->Serial() == list.deviceSerial) {
    device->DestroyVertexBuffer(list.buffer);
  }
  list.buffer = 0;
  list.deviceSerial = 0;
}

void GraphicsRecorder::ReleaseBuffers() {
  for (VertexList& list : lists_) Release(list);
}

void GraphicsRecorder::Draw(float x, float y, float z) {
  GR_D3D_Batch_Flush();
  gfx::CGLDevice* device = Graphics_Device();
  if (device == nullptr) return;

  Matrix4 saved;
  Graphics_GetMatrix(kWorldMatrix, saved.m);
  Matrix4 moved = Matrix4::Identity();
  moved.at(3, 0) = x;
  moved.at(3, 1) = y;
  moved.at(3, 2) = z;
  Matrix4 world;
  Matrix_Multiply(world, moved, saved);
  Graphics_SetMatrix(kWorldMatrix, world.m);
  const bool repeat = GR_Texture_Get_Repeat();
  GR_Texture_Set_Repeat(true);
  HardwareTexture* texture = GR_Texture_Get(textureId_);
  if (texture != nullptr) {
    Graphics_SetSampler(0, 2, 0);
    Graphics_SetSampler(0, 3, 0);
  }
  Graphics_SetTexture(0, texture);
  device->SetFVF(d3d::kFvfXyzNormalDiffuseTex1);

  struct Kind {
    size_t list;
    d3d::PrimitiveType type;
    uint32_t verticesPerPrimitive;
  };
  constexpr Kind kKinds[] = {{kTriangles, d3d::PrimitiveType::TriangleList, 3},
                             {kLines, d3d::PrimitiveType::LineList, 2},
                             {kPoints, d3d::PrimitiveType::PointList, 1}};
  for (const Kind& kind : kKinds) {
    VertexList& list = lists_[kind.list];
    if (list.vertices.empty()) continue;
    if (list.buffer != 0 && list.deviceSerial != device->Serial()) {
      list.buffer = 0;  // made by a device that has since been replaced
    }
    if (list.buffer == 0) {
      list.vertices.shrink_to_fit();
      list.buffer = device->CreateVertexBuffer(list.vertices.data(),
                                               static_cast<uint32_t>(list.vertices.size()) * kStride);
      list.deviceSerial = device->Serial();
    }
    device->DrawPrimitive(kind.type, list.buffer, static_cast<uint32_t>(list.vertices.size()) / kind.verticesPerPrimitive,
                          kStride);
  }

  // The batch sets its vertex format again at its next draw.
  GR_D3D_Batch_NoteFVF(0);
  GR_Texture_Set_Repeat(repeat);
  Graphics_RestoreMatrix(kWorldMatrix, saved.m);
}
