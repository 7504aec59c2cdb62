// A graphics recorder records primitives once and draws them many times. Whatever their type,
// primitives are kept as three lists of 36-byte vertices: triangles, lines and points (strips
// and fans become lists as they are recorded). At its first draw a list is put into a static
// vertex buffer on the device, which is kept until the list is recoloured or the buffers are
// released: vertices added after a list's first draw are not drawn until then.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "graphics/batch.h"

class GraphicsRecorder {
 public:
  // keyColour is the colour the vertices that follow the drawing colour were recorded with (its
  // bit 0 set: there are none); textureId is the texture drawn with (-1 none).
  GraphicsRecorder(uint32_t keyColour, int32_t textureId);
  ~GraphicsRecorder();
  GraphicsRecorder(const GraphicsRecorder&) = delete;
  GraphicsRecorder& operator=(const GraphicsRecorder&) = delete;

  // Appends a primitive of a Direct3D primitive type: line lists and strips go to the lines,
  // triangle lists, strips and fans to the triangles, anything else to the points. Strips and
  // fans too short to make a line or a triangle add nothing.
  void AddPrimitive(int32_t type, std::span<const Vertex36> vertices);
  // Gives the vertices of the key colour the new colour (bit 0 cleared), which becomes the key.
  // Nothing happens when the key has bit 0 set.
  void ReplaceColor(uint32_t colour);
  // Draws the lists moved by (x, y, z) before the current world transform, with texture repeat.
  void Draw(float x, float y, float z);
  void ReleaseBuffers();

  uint32_t KeyColour() const { return keyColour_; }
  void SetKeyColour(uint32_t colour) { keyColour_ = colour; }
  int32_t TextureId() const { return textureId_; }
  std::span<const Vertex36> Triangles() const { return lists_[kTriangles].vertices; }
  std::span<const Vertex36> Lines() const { return lists_[kLines].vertices; }
  std::span<const Vertex36> Points() const { return lists_[kPoints].vertices; }
  // Whether the list has a vertex buffer on the device (tests look at the caching).
  bool HasBuffer(size_t list) const { return lists_[list].buffer != 0; }

  static constexpr size_t kTriangles = 0, kLines = 1, kPoints = 2;

 private:
  struct VertexList {
    std::vector<Vertex36> vertices;
    uint32_t buffer = 0;        // the device's vertex buffer, 0 none
    uint64_t deviceSerial = 0;  // the device that made it
  };
  void Release(VertexList& list);

  uint32_t keyColour_;
  int32_t textureId_;
  std::array<VertexList, 3> lists_;
};
