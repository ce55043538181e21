// The matrix helpers at the values the frame uses.
#include "render/matrix_helpers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

struct Expected {
  float m[4][4];
};

void ExpectMatrix(const Matrix4& actual, const Expected& expected, float tolerance) {
  for (int row = 0; row < 4; ++row) {
    for (int column = 0; column < 4; ++column) {
      EXPECT_NEAR(actual.m[row][column], expected.m[row][column], tolerance) << "element _" << row + 1 << column + 1;
    }
  }
}

Matrix4 LookAt(Vector3 eye, Vector3 at, Vector3 up) {
  Matrix4 m;
  MakeLookAtLeftHanded(&m, eye, at, up);
  return m;
}

TEST(MatrixHelpers, FrameMatricesAtStatedValues) {
  Matrix4 orthographic, perspective, quarterTurn, scaling;
  MakeOrthoLeftHanded(&orthographic, 1.0f, 1.0f, 0.0f, 1000.0f);
  MakePerspectiveFovLeftHanded(&perspective, 0.08726646f, 800.0f / 600.0f, 1.0f, 1000.0f);
  MakeRotationZ(&quarterTurn, 90.0f * 0.017453292f);
  MakeScaling(&scaling, 10.0f, 10.0f, 1.0f);
  const float angle = 90.0f * 0.017453292f;
  const Vector3 spunUp = {static_cast<float>(std::sin(angle)), static_cast<float>(std::cos(angle)), 0.0f};

  const struct {
    const char* name;
    Matrix4 actual;
    Expected expected;
    float tolerance;
  } cases[] = {
      {"object projection", orthographic, {{{2, 0, 0, 0}, {0, 2, 0, 0}, {0, 0, 0.001f, 0}, {0, 0, 0, 1}}}, 0},
      {"disc projection at 800 x 600",
       perspective,
       {{{17.1778f, 0, 0, 0}, {0, 22.9038f, 0, 0}, {0, 0, 1.001001f, 1}, {0, 0, -1.001001f, 0}}},
       1e-3f},
      {"disc camera at 25",
       LookAt({0, 0, -25}, {0, 0, 0}, {0, 1, 1}),
       {{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 25, 1}}},
       1e-6f},
      {"disc camera at 80",
       LookAt({0, 0, -80}, {0, 0, 0}, {0, 1, 1}),
       {{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 80, 1}}},
       1e-5f},
      {"object camera at rest",
       LookAt({0, 0, -5}, {0, 0, 0}, {0, 1, 0}),
       {{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 5, 1}}},
       0},
      // The picture turned a quarter turn counter-clockwise in the offscreen image.
      {"object camera spun 90 degrees",
       LookAt({0, 0, -5}, {0, 0, 0}, spunUp),
       {{{0, 1, 0, 0}, {-1, 0, 0, 0}, {0, 0, 1, 0}, {0, 0, 5, 1}}},
       1e-6f},
      {"object camera swayed",
       LookAt({0.25f, -0.5f, -5}, {0.25f, -0.5f, 0}, {0, 1, 0}),
       {{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {-0.25f, 0.5f, 5, 1}}},
       1e-6f},
      {"disc turned 90 degrees", quarterTurn, {{{0, 1, 0, 0}, {-1, 0, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}}, 1e-6f},
      {"object scale at distance 50", scaling, {{{10, 0, 0, 0}, {0, 10, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}}, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ExpectMatrix(c.actual, c.expected, c.tolerance);
  }
}

TEST(MatrixHelpers, NormalizeKeepsNearUnitVectorsAndZeroesTinyOnes) {
  const struct {
    const char* name;
    Vector3 in, out;
  } cases[] = {
      {"unit, copied", {0, 1, 0}, {0, 1, 0}},
      // Within one float epsilon of unit length: copied unchanged, not rescaled.
      {"nearly unit, copied", {0.6f, 0.8f, 0}, {0.6f, 0.8f, 0}},
      {"scaled", {3, 0, 4}, {0.6f, 0, 0.8f}},
      {"too short to scale", {1e-20f, 0, 0}, {0, 0, 0}},
      {"zero", {0, 0, 0}, {0, 0, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Vector3 v = c.in;
    Normalize(&v, v);  // in place, as the helper allows
    EXPECT_FLOAT_EQ(v.x, c.out.x);
    EXPECT_FLOAT_EQ(v.y, c.out.y);
    EXPECT_FLOAT_EQ(v.z, c.out.z);
  }
}

}  // namespace
