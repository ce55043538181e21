// The matrices of the frame: row vectors (p' = p x M), the translation in the fourth row,
// left-handed coordinates (through the disc camera x points right, y up, z away). Every
// helper writes all sixteen elements of its destination; angles are in radians.
#pragma once

#include "d3d9api.h"

using Matrix4 = D3DMATRIX;
using Vector3 = D3DVECTOR;

void MakeScaling(Matrix4* out, float sx, float sy, float sz);

// A positive angle turns +x towards +y, which the disc camera shows as counter-clockwise.
void MakeRotationZ(Matrix4* out, float angle);

// Scales to unit length. A vector already within one float epsilon of unit length is copied
// unchanged, and one too short to scale (length squared at most the smallest normal float)
// becomes the zero vector. `out` may be `v`.
void Normalize(Vector3* out, const Vector3& v);

void MakeLookAtLeftHanded(Matrix4* out, const Vector3& eye, const Vector3& at, const Vector3& up);
void MakeOrthoLeftHanded(Matrix4* out, float width, float height, float zNear, float zFar);
void MakePerspectiveFovLeftHanded(Matrix4* out, float fovY, float aspect, float zNear, float zFar);
