#include <gtest/gtest.h>

#include "platform/colour.h"
#include "platform/matrix.h"

namespace {

TEST(Colour, HSVOfPrimariesAndGrey) {
  struct Case {
    uint32_t colour;
    int hue, saturation, value;
  } cases[] = {
      {0x0000FF, 0, 255, 255},    // red
      {0xFF0000, 170, 255, 255},  // blue: 240 degrees
      {0x00FF00, 85, 255, 255},   // green: 120 degrees
      {0x808080, 0, 0, 128},      // grey
      {0x000000, 0, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.colour);
    HSVRecord hsv = Colour_ToHSV(c.colour);
    EXPECT_EQ(hsv.hue, c.hue);
    EXPECT_EQ(hsv.saturation, c.saturation);
    EXPECT_EQ(hsv.value, c.value);
  }
}

TEST(Colour, HueWrapsAndRoundTrips) {
  EXPECT_EQ(Colour_FromHSV({255, 255, 255}), Colour_FromHSV({0, 255, 255}));
  EXPECT_EQ(Colour_FromHSV({0, 255, 255}), 0x0000FFu);
  EXPECT_EQ(Colour_FromHSV({0, 0, 128}), 0x808080u);
}

TEST(Colour, MergeRoundsHalvesToEven) {
  EXPECT_EQ(Colour_Merge(0x000000, 0xFFFFFF, 0.5), 0x808080u);
  EXPECT_EQ(Colour_Merge(0x0000FF, 0xFF0000, 0.0), 0x0000FFu);
  EXPECT_EQ(Colour_Merge(0x0000FF, 0xFF0000, 1.0), 0xFF0000u);
}

TEST(Colour, RecordPackingOrder) {
  EXPECT_EQ(Colour_Pack(Colour_SetRGB(1, 2, 3)), 0x010203u);
  EXPECT_EQ(Colour_Pack(Colour_SetBGR(1, 2, 3)), 0x030201u);
  EXPECT_EQ(Colour_Pack(Colour_Reverse(Colour_SetRGB(1, 2, 3))), 0x030201u);
}

void ExpectNear(const Vector3& v, float x, float y, float z) {
  EXPECT_NEAR(v.x, x, 1e-6);
  EXPECT_NEAR(v.y, y, 1e-6);
  EXPECT_NEAR(v.z, z, 1e-6);
}

TEST(Matrix, LookAtFromBehindIsATranslation) {
  Matrix4 m;
  Matrix_LookAt(m, {0, 0, -10}, {0, 0, 0}, {0, 1, 0});
  Matrix4 expected = Matrix4::Identity();
  expected.at(3, 2) = 10.0f;
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(m.m[i], expected.m[i], 1e-6) << i;
}

TEST(Matrix, RotationsTurnOppositeWays) {
  Matrix4 z;
  Matrix_RotationZ(z, 90.0f);
  ExpectNear(Vector3_Transform({1, 0, 0}, z), 0, -1, 0);
  Matrix4 axis;
  Vector3 zAxis{0, 0, 2};
  Matrix_RotationAxis(axis, zAxis, 90.0f);
  ExpectNear(Vector3_Transform({1, 0, 0}, axis), 0, 1, 0);
  ExpectNear(zAxis, 0, 0, 1);  // the caller's axis is normalised in place
}

TEST(Matrix, MultiplyMayAliasItsOutput) {
  Matrix4 a, b;
  Matrix_RotationZ(a, 30.0f);
  Matrix_RotationZ(b, 60.0f);
  Matrix_Multiply(a, a, b);
  ExpectNear(Vector3_Transform({1, 0, 0}, a), 0, -1, 0);
}

TEST(Matrix, ProjectionsPlaceTheirTerms) {
  Matrix4 m;
  Matrix_Ortho(m, 200, 100, 1, 11);
  EXPECT_FLOAT_EQ(m.at(0, 0), 0.01f);
  EXPECT_FLOAT_EQ(m.at(1, 1), 0.02f);
  EXPECT_FLOAT_EQ(m.at(2, 2), 0.1f);
  EXPECT_FLOAT_EQ(m.at(3, 2), -0.1f);
  Matrix_PerspectiveFov(m, 1.5707964f, 2.0f, 1.0f, 3.0f);
  EXPECT_NEAR(m.at(1, 1), 1.0f, 1e-6);
  EXPECT_NEAR(m.at(0, 0), 0.5f, 1e-6);
  EXPECT_FLOAT_EQ(m.at(2, 3), 1.0f);
  EXPECT_FLOAT_EQ(m.at(3, 2), -1.5f);
}

}  // namespace
