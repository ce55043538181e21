#include "render/matrix_helpers.h"

#include <cmath>
#include <cstring>

namespace {

constexpr float kUnitLengthTolerance = 1.1920929e-07f;
constexpr float kSmallestNormalFloat = 1.1754944e-38f;

void Clear(Matrix4* out) { std::memset(out, 0, sizeof(*out)); }

Vector3 Difference(const Vector3& a, const Vector3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }

Vector3 Cross(const Vector3& a, const Vector3& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

float Dot(const Vector3& a, const Vector3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

}  // namespace

void MakeScaling(Matrix4* out, float sx, float sy, float sz) {
  Clear(out);
  out->_11 = sx;
  out->_22 = sy;
  out->_33 = sz;
  out->_44 = 1.0f;
}

void MakeRotationZ(Matrix4* out, float angle) {
  Clear(out);
  const float c = std::cos(angle);
  const float s = std::sin(angle);
  out->_11 = c;
  out->_12 = s;
  out->_21 = -s;
  out->_22 = c;
  out->_33 = 1.0f;
  out->_44 = 1.0f;
}

void Normalize(Vector3* out, const Vector3& v) {
  const float lengthSquared = Dot(v, v);
  if (std::fabs(lengthSquared - 1.0f) <= kUnitLengthTolerance) {
    *out = v;
  } else if (lengthSquared <= kSmallestNormalFloat) {
    *out = {0.0f, 0.0f, 0.0f};
  } else {
    const float scale = 1.0f / std::sqrt(lengthSquared);
    *out = {v.x * scale, v.y * scale, v.z * scale};
  }
}

void MakeLookAtLeftHanded(Matrix4* out, const Vector3& eye, const Vector3& at, const Vector3& up) {
  Vector3 zAxis;
  Normalize(&zAxis, Difference(at, eye));
  Vector3 xAxis;
  Normalize(&xAxis, Cross(up, zAxis));
  const Vector3 yAxis = Cross(zAxis, xAxis);

  out->_11 = xAxis.x;
  out->_12 = yAxis.x;
  out->_13 = zAxis.x;
  out->_14 = 0.0f;
  out->_21 = xAxis.y;
  out->_22 = yAxis.y;
  out->_23 = zAxis.y;
  out->_24 = 0.0f;
  out->_31 = xAxis.z;
  out->_32 = yAxis.z;
  out->_33 = zAxis.z;
  out->_34 = 0.0f;
  out->_41 = -Dot(xAxis, eye);
  out->_42 = -Dot(yAxis, eye);
  out->_43 = -Dot(zAxis, eye);
  out->_44 = 1.0f;
}

void MakeOrthoLeftHanded(Matrix4* out, float width, float height, float zNear, float zFar) {
  Clear(out);
  out->_11 = 2.0f / width;
  out->_22 = 2.0f / height;
  out->_33 = 1.0f / (zFar - zNear);
  out->_43 = -zNear / (zFar - zNear);
  out->_44 = 1.0f;
}

void MakePerspectiveFovLeftHanded(Matrix4* out, float fovY, float aspect, float zNear, float zFar) {
  Clear(out);
  const float yScale = std::cos(fovY / 2.0f) / std::sin(fovY / 2.0f);
  out->_11 = yScale / aspect;
  out->_22 = yScale;
  out->_33 = zFar / (zFar - zNear);
  out->_34 = 1.0f;
  out->_43 = -zNear * zFar / (zFar - zNear);
  out->_44 = 0.0f;
}
