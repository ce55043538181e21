#include "scene_matrices.h"

#include <cmath>

namespace scene {

using refdevice::Matrix;

namespace {

Matrix Zero() {
  Matrix m;
  for (auto& row : m.m) {
    for (float& value : row) value = 0.0f;
  }
  return m;
}

void Normalize(float v[3]) {
  float length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
  for (int i = 0; i < 3; ++i) v[i] /= length;
}

void Cross(const float a[3], const float b[3], float out[3]) {
  out[0] = a[1] * b[2] - a[2] * b[1];
  out[1] = a[2] * b[0] - a[0] * b[2];
  out[2] = a[0] * b[1] - a[1] * b[0];
}

float Dot(const float a[3], const float b[3]) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

}  // namespace

Matrix Scaling(float sx, float sy, float sz) {
  Matrix m = Zero();
  m.m[0][0] = sx, m.m[1][1] = sy, m.m[2][2] = sz, m.m[3][3] = 1.0f;
  return m;
}

Matrix RotationZ(float angle) {
  Matrix m = Zero();
  m.m[0][0] = std::cos(angle), m.m[0][1] = std::sin(angle);
  m.m[1][0] = -std::sin(angle), m.m[1][1] = std::cos(angle);
  m.m[2][2] = 1.0f, m.m[3][3] = 1.0f;
  return m;
}

Matrix LookAtLH(const float eye[3], const float at[3], const float up[3]) {
  float z[3] = {at[0] - eye[0], at[1] - eye[1], at[2] - eye[2]};
  Normalize(z);
  float x[3];
  Cross(up, z, x);
  Normalize(x);
  float y[3];
  Cross(z, x, y);
  Matrix m = Zero();
  for (int i = 0; i < 3; ++i) {
    m.m[i][0] = x[i];
    m.m[i][1] = y[i];
    m.m[i][2] = z[i];
  }
  m.m[3][0] = -Dot(x, eye);
  m.m[3][1] = -Dot(y, eye);
  m.m[3][2] = -Dot(z, eye);
  m.m[3][3] = 1.0f;
  return m;
}

Matrix OrthoLH(float width, float height, float zn, float zf) {
  Matrix m = Zero();
  m.m[0][0] = 2.0f / width;
  m.m[1][1] = 2.0f / height;
  m.m[2][2] = 1.0f / (zf - zn);
  m.m[3][2] = -zn / (zf - zn);
  m.m[3][3] = 1.0f;
  return m;
}

Matrix PerspectiveFovLH(float fovY, float aspect, float zn, float zf) {
  Matrix m = Zero();
  float ys = 1.0f / std::tan(fovY / 2.0f);
  m.m[0][0] = ys / aspect;
  m.m[1][1] = ys;
  m.m[2][2] = zf / (zf - zn);
  m.m[2][3] = 1.0f;
  m.m[3][2] = -zn * zf / (zf - zn);
  return m;
}

}  // namespace scene
