#include "platform/matrix.h"

#include <cmath>

Matrix4 Matrix4::Identity() {
  Matrix4 i;
  i.m[0] = i.m[5] = i.m[10] = i.m[15] = 1.0f;
  return i;
}

void Vector3_Sub(Vector3& out, const Vector3& a, const Vector3& b) {
  out = {a.x - b.x, a.y - b.y, a.z - b.z};
}

float Vector3_Dot(const Vector3& a, const Vector3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

void Vector3_Cross(const Vector3& a, const Vector3& b, Vector3& out) {
  out = {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

void Vector3_Normalise(Vector3& v) {
  float inverse = 1.0f / std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
  v = {v.x * inverse, v.y * inverse, v.z * inverse};
}

void Vector3_NormaliseTo(const Vector3& v, Vector3& out) {
  out = v;
  Vector3_Normalise(out);
}

Vector3 Vector3_Transform(const Vector3& v, const Matrix4& m) {
  return {v.x * m.at(0, 0) + v.y * m.at(1, 0) + v.z * m.at(2, 0) + m.at(3, 0),
          v.x * m.at(0, 1) + v.y * m.at(1, 1) + v.z * m.at(2, 1) + m.at(3, 1),
          v.x * m.at(0, 2) + v.y * m.at(1, 2) + v.z * m.at(2, 2) + m.at(3, 2)};
}

void Matrix_Multiply(Matrix4& out, const Matrix4& a, const Matrix4& b) {
  Matrix4 r;
  for (int row = 0; row < 4; ++row)
    for (int col = 0; col < 4; ++col) {
      float sum = 0.0f;
      for (int k = 0; k < 4; ++k) sum += a.at(row, k) * b.at(k, col);
      r.at(row, col) = sum;
    }
  out = r;  // out may alias a or b
}

void Matrix_RotationAxis(Matrix4& out, Vector3& axis, float degrees) {
  Vector3_Normalise(axis);
  float angle = degrees * kDegreesToRadians;
  float c = std::cos(angle), s = std::sin(angle), t = 1.0f - c;
  float x = axis.x, y = axis.y, z = axis.z;
  out = Matrix4::Identity();
  out.at(0, 0) = x * x * t + c;     out.at(0, 1) = x * y * t + z * s; out.at(0, 2) = x * z * t - y * s;
  out.at(1, 0) = x * y * t - z * s; out.at(1, 1) = y * y * t + c;     out.at(1, 2) = y * z * t + x * s;
  out.at(2, 0) = x * z * t + y * s; out.at(2, 1) = y * z * t - x * s; out.at(2, 2) = z * z * t + c;
}

void Matrix_RotationZ(Matrix4& out, float degrees) {
  float a = degrees * kDegreesToRadians, c = std::cos(a), s = std::sin(a);
  out = Matrix4::Identity();
  out.at(0, 0) = c; out.at(0, 1) = -s;
  out.at(1, 0) = s; out.at(1, 1) = c;
}

void Matrix_RotationY(Matrix4& out, float degrees) {
  float a = degrees * kDegreesToRadians, c = std::cos(a), s = std::sin(a);
  out = Matrix4::Identity();
  out.at(0, 0) = c;  out.at(0, 2) = s;
  out.at(2, 0) = -s; out.at(2, 2) = c;
}

void Matrix_RotationX(Matrix4& out, float degrees) {
  float a = degrees * kDegreesToRadians, c = std::cos(a), s = std::sin(a);
  out = Matrix4::Identity();
  out.at(1, 1) = c; out.at(1, 2) = -s;
  out.at(2, 1) = s; out.at(2, 2) = c;
}

void Matrix_LookAt(Matrix4& out, const Vector3& eye, const Vector3& target, const Vector3& up) {
  Vector3 z, x, y, upN;
  Vector3_Sub(z, target, eye);
  Vector3_Normalise(z);
  Vector3_NormaliseTo(up, upN);
  Vector3_Cross(upN, z, x);
  Vector3_Normalise(x);
  Vector3_Cross(z, x, y);
  Vector3_Normalise(y);
  out = Matrix4();
  out.at(0, 0) = x.x; out.at(0, 1) = y.x; out.at(0, 2) = z.x;
  out.at(1, 0) = x.y; out.at(1, 1) = y.y; out.at(1, 2) = z.y;
  out.at(2, 0) = x.z; out.at(2, 1) = y.z; out.at(2, 2) = z.z;
  out.at(3, 0) = -Vector3_Dot(x, eye);
  out.at(3, 1) = -Vector3_Dot(y, eye);
  out.at(3, 2) = -Vector3_Dot(z, eye);
  out.at(3, 3) = 1.0f;
}

void Matrix_PerspectiveFov(Matrix4& out, float fov, float aspect, float nearZ, float farZ) {
  float h = 1.0f / std::tan(fov / 2.0f), w = h / aspect;
  out = Matrix4();
  out.at(0, 0) = w;
  out.at(1, 1) = h;
  out.at(2, 2) = farZ / (farZ - nearZ);
  out.at(2, 3) = 1.0f;
  out.at(3, 2) = -nearZ * farZ / (farZ - nearZ);
}

void Matrix_Perspective(Matrix4& out, float width, float height, float nearZ, float farZ) {
  out = Matrix4();
  out.at(0, 0) = 2.0f * nearZ / width;
  out.at(1, 1) = 2.0f * nearZ / height;
  out.at(2, 2) = farZ / (farZ - nearZ);
  out.at(2, 3) = 1.0f;
  out.at(3, 2) = -nearZ * farZ / (farZ - nearZ);
}

void Matrix_Ortho(Matrix4& out, float width, float height, float nearZ, float farZ) {
  out = Matrix4();
  out.at(0, 0) = 2.0f / width;
  out.at(1, 1) = 2.0f / height;
  out.at(2, 2) = 1.0f / (farZ - nearZ);
  out.at(3, 2) = nearZ / (nearZ - farZ);
  out.at(3, 3) = 1.0f;
}
