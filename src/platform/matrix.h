// Single-precision 3-vectors and 4x4 matrices in the left-handed, row-vector convention:
// a point is a row vector multiplied on the left, translations sit in the last row,
// the view looks down +z.
#pragma once

struct Vector3 {
  float x = 0, y = 0, z = 0;
};

struct Matrix4 {
  float m[16] = {};  // element [r][c] at 4r + c
  float& at(int r, int c) { return m[4 * r + c]; }
  float at(int r, int c) const { return m[4 * r + c]; }
  static Matrix4 Identity();
};

inline constexpr float kDegreesToRadians = 0.0174532924f;

void Vector3_Sub(Vector3& out, const Vector3& a, const Vector3& b);
float Vector3_Dot(const Vector3& a, const Vector3& b);
void Vector3_Cross(const Vector3& a, const Vector3& b, Vector3& out);
void Vector3_Normalise(Vector3& v);
void Vector3_NormaliseTo(const Vector3& v, Vector3& out);
// The row vector v times the matrix (w taken as 1), for checks and transforms.
Vector3 Vector3_Transform(const Vector3& v, const Matrix4& m);

void Matrix_Multiply(Matrix4& out, const Matrix4& a, const Matrix4& b);
// The axis is normalised in place first.
void Matrix_RotationAxis(Matrix4& out, Vector3& axis, float degrees);
void Matrix_RotationX(Matrix4& out, float degrees);
void Matrix_RotationY(Matrix4& out, float degrees);
void Matrix_RotationZ(Matrix4& out, float degrees);
void Matrix_LookAt(Matrix4& out, const Vector3& eye, const Vector3& target, const Vector3& up);
void Matrix_PerspectiveFov(Matrix4& out, float fov, float aspect, float nearZ, float farZ);
void Matrix_Perspective(Matrix4& out, float width, float height, float nearZ, float farZ);
void Matrix_Ortho(Matrix4& out, float width, float height, float nearZ, float farZ);
