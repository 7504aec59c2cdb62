// The 3D drawing state and geometry on a device without a window: the primitive buffer's
// limit and kinds, vertex colours, the tessellation of the six shapes (caught by a primitive
// sink as a model recording would catch them), the texture-repeat frame around a shape, the
// drawing depth, 3D mode switching and the world transform stack.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "functions/builtin_call.h"
#include "functions/registry.h"
#include "graphics/d3d_mode.h"
#include "graphics/d3d_primitives.h"
#include "graphics/d3d_shapes.h"
#include "graphics/graphics_fixture.h"
#include "graphics/primitives.h"
#include "platform/matrix.h"
#include "script/function_table.h"
#include "support/function_table_guard.h"

namespace {

struct Caught {
  int32_t kind;
  size_t count;
};

class D3DDrawing : public GraphicsTest {
 protected:
  void SetUp() override {
    GraphicsTest::SetUp();
    GR_3D_Set_Primitive_Sink([this](int32_t kind, int32_t, std::span<const GR_3D_Vertex_Record> vertices) {
      caught.push_back({kind, vertices.size()});
    });
  }
  void TearDown() override {
    GR_3D_Set_Primitive_Sink({});
    GR_3D_SetMode(false);
    GR_3D_Transform_Stack_Clear();
    GR_3D_Transform_Set_Identity();
    GR_Texture_Set_Repeat(false);
    GraphicsTest::TearDown();
  }
  std::vector<Caught> caught;
};

bool operator==(const Caught& a, const Caught& b) { return a.kind == b.kind && a.count == b.count; }
void PrintTo(const Caught& c, std::ostream* out) { *out << "{kind " << c.kind << ", " << c.count << "}"; }

TEST_F(D3DDrawing, APrimitiveKeepsItsFirst1001VerticesAndOnlyKindsOneToSixDraw) {
  GR_3D_Primitive_Begin(kPrimTriangleList, -1);
  for (int i = 0; i < 1002; ++i) GR_3D_Vertex(static_cast<float>(i), 0, 0);
  EXPECT_EQ(GR_3D_Primitive_Count(), 1001);
  EXPECT_EQ(GR_3D_Primitive_Vertices().back().x, 1000.0f);
  GR_3D_Primitive_End();
  for (const int32_t kind : {0, 7}) {
    GR_3D_Primitive_Begin(kind, -1);
    GR_3D_Vertex(0, 0, 0);
    GR_3D_Primitive_End();
    EXPECT_EQ(GR_3D_Primitive_Count(), 1);
  }
  EXPECT_EQ(caught, (std::vector<Caught>{{kPrimTriangleList, 1001}}));
}

// A vertex that follows the drawing colour has bit 0 of its colour clear; one with its own
// colour has it set. An unknown texture handle draws untextured.
TEST_F(D3DDrawing, VertexColoursMarkWhetherTheyFollowTheDrawingColour) {
  GR_Draw_Set_Color(0x0000FF);  // red, in the game's colour order
  GR_3D_Primitive_Begin(kPrimPointList, 123456789);
  EXPECT_EQ(GR_3D_Primitive_Texture(), -1);
  GR_3D_Vertex(0, 0, 0);
  GR_3D_Vertex_Color(0, 0, 0, 0x00FF00, 0.5f);
  GR_3D_Vertex_Normal_Texture(1, 2, 3, 0, 0, 1, 0.25f, 0.75f);
  const auto v = GR_3D_Primitive_Vertices();
  ASSERT_EQ(v.size(), 3u);
  EXPECT_EQ(v[0].colour, 0xFFFF0000u);
  EXPECT_EQ(v[1].colour, 0x7F00FF01u);
  EXPECT_EQ(v[2].colour, 0xFFFF0000u);
  EXPECT_EQ(v[2].nz, 1.0f);
  EXPECT_EQ(v[2].u, 0.25f);
  EXPECT_EQ(v[2].v, 0.75f);
  GR_Draw_Set_Color(0);
}

TEST_F(D3DDrawing, ShapesAreTessellatedWithClampedSteps) {
  struct Case {
    const char* shape;
    void (*draw)();
    std::vector<Caught> expected;
  };
  const Case cases[] = {
      {"block", [] { GR_3D_Draw_Block(0, 0, 0, 1, 1, 1, -1, 1, 1); }, {{kPrimTriangleList, 36}}},
      {"closed cylinder, 2 steps as 3",
       [] { GR_3D_Draw_Cylinder(0, 0, 0, 1, 1, 1, -1, 1, 1, true, 2); },
       {{kPrimTriangleFan, 5}, {kPrimTriangleStrip, 8}, {kPrimTriangleFan, 5}}},
      {"open cylinder, 500 steps as 128",
       [] { GR_3D_Draw_Cylinder(0, 0, 0, 1, 1, 1, -1, 1, 1, false, 500); },
       {{kPrimTriangleStrip, 258}}},
      {"closed cone", [] { GR_3D_Draw_Cone(0, 0, 0, 1, 1, 1, -1, 1, 1, true, 8); },
       {{kPrimTriangleStrip, 18}, {kPrimTriangleFan, 10}}},
      {"floor", [] { GR_3D_Draw_Floor(0, 0, 0, 1, 1, 1, -1, 1, 1); }, {{kPrimTriangleFan, 4}}},
      {"wall", [] { GR_3D_Draw_Wall(0, 0, 0, 1, 1, 1, -1, 1, 1); }, {{kPrimTriangleFan, 4}}},
      {"wall without length", [] { GR_3D_Draw_Wall(5, 5, 0, 5, 5, 1, -1, 1, 1); }, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.shape);
    caught.clear();
    c.draw();
    EXPECT_EQ(caught, c.expected);
  }
  // An ellipsoid of 24 steps: 12 rings, each a strip of 50 vertices.
  caught.clear();
  GR_3D_Draw_Ellipsoid(0, 0, 0, 1, 1, 1, -1, 1, 1, 24);
  EXPECT_EQ(caught, std::vector<Caught>(12, Caught{kPrimTriangleStrip, 50}));
}

// The block's faces: the first at z1 facing -z with the texture repeated as asked, the second
// at z2 facing +z wound the other way.
TEST_F(D3DDrawing, BlockFacesCarryTheirNormalsAndRepeats) {
  std::vector<GR_3D_Vertex_Record> block;
  GR_3D_Set_Primitive_Sink([&](int32_t, int32_t, std::span<const GR_3D_Vertex_Record> v) {
    block.assign(v.begin(), v.end());
  });
  GR_3D_Draw_Block(1, 2, 3, 4, 5, 6, -1, 2, 3);
  ASSERT_EQ(block.size(), 36u);
  EXPECT_EQ(block[2].x, 4.0f);
  EXPECT_EQ(block[2].y, 5.0f);
  EXPECT_EQ(block[2].z, 3.0f);
  EXPECT_EQ(block[2].nz, -1.0f);
  EXPECT_EQ(block[2].u, 2.0f);
  EXPECT_EQ(block[2].v, 3.0f);
  EXPECT_EQ(block[7].x, 4.0f);  // second face, corner b at (x2, y1) with (hrepeat, 0)
  EXPECT_EQ(block[7].y, 2.0f);
  EXPECT_EQ(block[7].u, 2.0f);
  EXPECT_EQ(block[7].v, 0.0f);
  EXPECT_EQ(block[7].nz, 1.0f);
  EXPECT_EQ(block[35].nx, -1.0f);
}

TEST_F(D3DDrawing, ShapesDrawWithRepeatOnAndRestoreTheSetting) {
  bool repeatWhileDrawing = false;
  GR_3D_Set_Primitive_Sink([&](int32_t, int32_t, std::span<const GR_3D_Vertex_Record>) {
    repeatWhileDrawing = GR_Texture_Get_Repeat();
  });
  GR_Texture_Set_Repeat(false);
  GR_3D_Draw_Floor(0, 0, 0, 1, 1, 1, -1, 1, 1);
  EXPECT_TRUE(repeatWhileDrawing);
  EXPECT_FALSE(GR_Texture_Get_Repeat());
  GR_3D_Draw_Wall(1, 1, 0, 1, 1, 5, -1, 1, 1);
  EXPECT_FALSE(GR_Texture_Get_Repeat());
}

TEST_F(D3DDrawing, DepthTakesEffectOnlyInThreeDModeWithinItsLimit) {
  GR_3D_SetDepth(20000);
  EXPECT_EQ(GR_Draw_Vertex_Z(), 0.0f);
  GR_3D_SetMode(true);
  EXPECT_TRUE(Graphics_DepthTestEnabled());
  GR_3D_SetDepth(20000);
  EXPECT_EQ(GR_Draw_Vertex_Z(), 16000.0f);
  GR_3D_SetDepth(-20000);
  EXPECT_EQ(GR_Draw_Vertex_Z(), -16000.0f);
  // A second start changes nothing: hidden-surface removal stays as the game left it.
  GR_3D_Set_Hidden(false);
  GR_3D_SetMode(true);
  EXPECT_FALSE(Graphics_DepthTestEnabled());
  GR_3D_SetMode(false);
  EXPECT_FALSE(Graphics_Settings().perspective);
  EXPECT_EQ(GR_Draw_Vertex_Z(), 0.0f);
}

TEST_F(D3DDrawing, TransformStackHolds51MatricesAndRefusesBeyond) {
  EXPECT_TRUE(GR_3D_Transform_Stack_Empty());
  EXPECT_FALSE(GR_3D_Transform_Stack_Pop());
  EXPECT_FALSE(GR_3D_Transform_Stack_Top());
  EXPECT_FALSE(GR_3D_Transform_Stack_Discard());
  for (int i = 0; i < 51; ++i) {
    GR_3D_Transform_Set_Translation(static_cast<float>(i), 0, 0);
    EXPECT_TRUE(GR_3D_Transform_Stack_Push()) << i;
  }
  EXPECT_FALSE(GR_3D_Transform_Stack_Push());
  GR_3D_Transform_Set_Identity();
  Matrix4 world;
  for (int i = 0; i < 2; ++i) EXPECT_TRUE(GR_3D_Transform_Stack_Top());
  Graphics_GetMatrix(2, world.m);
  EXPECT_EQ(world.at(3, 0), 50.0f);
  for (int i = 50; i >= 0; --i) {
    EXPECT_TRUE(GR_3D_Transform_Stack_Pop());
    Graphics_GetMatrix(2, world.m);
    EXPECT_EQ(world.at(3, 0), static_cast<float>(i));
  }
  EXPECT_FALSE(GR_3D_Transform_Stack_Pop());
}

// An added transform applies after the current one: a translation added to a rotation moves
// along the unrotated x axis.
TEST_F(D3DDrawing, AddedTransformsApplyAfterTheWorld) {
  GR_3D_Transform_Set_Rotation_Z(90);
  GR_3D_Transform_Add_Translation(10, 0, 0);
  Matrix4 world;
  Graphics_GetMatrix(2, world.m);
  const Vector3 moved = Vector3_Transform({0, 0, 0}, world);
  EXPECT_FLOAT_EQ(moved.x, 10.0f);
  EXPECT_NEAR(moved.y, 0.0f, 1e-5f);
}

// d3d_light_define_direction gives the device a unit direction; one of no length, or beyond
// single precision, reaches it as no direction at all rather than as NaN.
TEST_F(D3DDrawing, LightDirectionsReachTheDeviceAsUnitVectorsOrNone) {
  FunctionTableGuard functions;
  Function_FreeAll();
  Functions_RegisterAll();
  int32_t id = -1;
  ASSERT_TRUE(Function_Find("d3d_light_define_direction", id));
  const BuiltinFunction define = Function_Get(id)->implementation;
  struct Case {
    double index, dx, dy, dz;
    std::array<float, 3> expected;
  };
  for (const Case& c : {Case{0.9, 3, 0, 4, {0.6f, 0, 0.8f}}, Case{1, 0, 0, 0, {0, 0, 0}},
                        Case{2, 1e39, 0, 0, {0, 0, 0}}, Case{3, 0, -1e-30, 0, {0, 0, 0}}}) {
    CallBuiltin(define, {R(c.index), R(c.dx), R(c.dy), R(c.dz), R(0xFF)});
    const d3d::Light& light = Graphics_Device()->GetLight(static_cast<int>(c.index));
    for (size_t axis = 0; axis < 3; ++axis) {
      EXPECT_FLOAT_EQ(light.direction[axis], c.expected[axis]) << "light " << c.index << " axis " << axis;
    }
    EXPECT_EQ(light.diffuse.r, 1.0f);
  }
}

}  // namespace
