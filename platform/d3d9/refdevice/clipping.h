// Clipping of triangles in homogeneous clip space against the near and far planes, the
// guard band around the viewport and the plane just in front of the eye. Attributes are cut
// linearly in clip space, which keeps them perspective-correct after the divide.
// Leaves out: user clip planes.
#pragma once

#include <cstdint>

#include "vertex_processing.h"

namespace refdevice {

// A triangle clipped by all seven planes has at most 3 + 7 corners.
constexpr int kMaxClippedCorners = 3 + 7;

struct ClippedPolygon {
  ClipVertex corners[kMaxClippedCorners];
  int count = 0;
};

// Cuts the triangle by every plane named in `planes` (ClipPlaneBit values). The polygon keeps
// the triangle's winding; it is empty when nothing remains.
void ClipTriangle(const ClipVertex& a, const ClipVertex& b, const ClipVertex& c, uint32_t planes, const GuardBand& band,
                  ClippedPolygon& out);

}  // namespace refdevice
