// The graphics recorder's lists: strips and fans turned into lists as they are recorded, and
// the recolouring of the vertices that follow the drawing colour.
#include <gtest/gtest.h>

#include <vector>

#include "graphics/graphics_recorder.h"

namespace {

// Vertex i sits at x = i, with the given colour.
std::vector<Vertex36> Numbered(int count, uint32_t colour = 0xFF000000u) {
  std::vector<Vertex36> vertices;
  for (int i = 0; i < count; ++i) vertices.push_back({static_cast<float>(i), 0, 0, 0, 0, 0, colour, 0, 0});
  return vertices;
}

std::vector<int> Order(std::span<const Vertex36> vertices) {
  std::vector<int> order;
  for (const Vertex36& v : vertices) order.push_back(static_cast<int>(v.x));
  return order;
}

TEST(GraphicsRecorder, PrimitivesOfEveryTypeBecomeLists) {
  struct Case {
    int32_t type;
    int count;
    std::vector<int> triangles, lines, points;
  };
  const Case cases[] = {
      // A strip turns every other triangle round: (0,1,2), then (3,2,1).
      {5, 4, {0, 1, 2, 3, 2, 1}, {}, {}},
      // A fan of 5 is three triangles round its first vertex: 9 vertices.
      {6, 5, {0, 1, 2, 0, 2, 3, 0, 3, 4}, {}, {}},
      {4, 3, {0, 1, 2}, {}, {}},
      {3, 3, {}, {0, 1, 1, 2}, {}},
      {2, 4, {}, {0, 1, 2, 3}, {}},
      {1, 2, {}, {}, {0, 1}},
      {7, 2, {}, {}, {0, 1}},
      // Too short to make a triangle or a line: nothing.
      {5, 2, {}, {}, {}},
      {6, 1, {}, {}, {}},
      {3, 1, {}, {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "type " << c.type << " of " << c.count);
    GraphicsRecorder recorder(0xFF000000u, -1);
    const std::vector<Vertex36> vertices = Numbered(c.count);
    recorder.AddPrimitive(c.type, vertices);
    EXPECT_EQ(Order(recorder.Triangles()), c.triangles);
    EXPECT_EQ(Order(recorder.Lines()), c.lines);
    EXPECT_EQ(Order(recorder.Points()), c.points);
  }
}

TEST(GraphicsRecorder, PrimitivesAppendToTheirList) {
  GraphicsRecorder recorder(0xFF000000u, -1);
  const std::vector<Vertex36> three = Numbered(3);
  recorder.AddPrimitive(4, three);
  recorder.AddPrimitive(6, Numbered(4));
  EXPECT_EQ(Order(recorder.Triangles()), (std::vector<int>{0, 1, 2, 0, 1, 2, 0, 2, 3}));
}

TEST(GraphicsRecorder, ReplaceColorRecoloursOnlyTheKeyColourAndOnlyWhenThereIsOne) {
  const uint32_t key = 0xFFFFFFFEu;       // white, bit 0 clear: the drawing colour
  const uint32_t own = 0xFF0000FFu | 1u;  // a vertex's own colour
  GraphicsRecorder recorder(key, -1);
  std::vector<Vertex36> mixed = Numbered(3, key);
  mixed[1].colour = own;
  recorder.AddPrimitive(4, mixed);
  recorder.AddPrimitive(2, Numbered(2, key));
  recorder.AddPrimitive(1, Numbered(1, key));

  recorder.ReplaceColor(0xFF00FF01u);  // the new colour loses bit 0
  EXPECT_EQ(recorder.KeyColour(), 0xFF00FF00u);
  EXPECT_EQ(recorder.Triangles()[0].colour, 0xFF00FF00u);
  EXPECT_EQ(recorder.Triangles()[1].colour, own);
  EXPECT_EQ(recorder.Triangles()[2].colour, 0xFF00FF00u);
  EXPECT_EQ(recorder.Lines()[1].colour, 0xFF00FF00u);
  EXPECT_EQ(recorder.Points()[0].colour, 0xFF00FF00u);

  // A key with bit 0 set means no vertex follows the drawing colour: nothing changes.
  GraphicsRecorder fixed(own, -1);
  fixed.AddPrimitive(4, Numbered(3, own));
  fixed.ReplaceColor(0xFF00FF00u);
  EXPECT_EQ(fixed.KeyColour(), own);
  EXPECT_EQ(fixed.Triangles()[0].colour, own);
}

}  // namespace
