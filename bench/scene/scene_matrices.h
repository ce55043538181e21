// The left-handed row-vector matrices the bench scene is defined with.
#pragma once

#include "refdevice.h"

namespace scene {

refdevice::Matrix Scaling(float sx, float sy, float sz);
refdevice::Matrix RotationZ(float angle);
refdevice::Matrix LookAtLH(const float eye[3], const float at[3], const float up[3]);
refdevice::Matrix OrthoLH(float width, float height, float zn, float zf);
refdevice::Matrix PerspectiveFovLH(float fovY, float aspect, float zn, float zf);

}  // namespace scene
