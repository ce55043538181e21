// Implements: Sutherland-Hodgman clipping against the planes named by the outcodes.
// Leaves out: user clip planes.
#include "clipping.h"

#include <utility>

#include "tuning.h"

namespace refdevice {

namespace {

// Signed distance of a vertex to a plane, positive inside.
float PlaneDistance(const ClipVertex& v, int plane, const GuardBand& band) {
  float x = v.position[0], y = v.position[1], z = v.position[2], w = v.position[3];
  switch (plane) {
    case 0:
      return z;
    case 1:
      return w - z;
    case 2:
      return x + band.x * w;
    case 3:
      return band.x * w - x;
    case 4:
      return y + band.y * w;
    case 5:
      return band.y * w - y;
    default:
      return w - tuning::kMinimumW;
  }
}

ClipVertex Lerp(const ClipVertex& from, const ClipVertex& to, float t) {
  ClipVertex out;
  for (int i = 0; i < 4; ++i) out.position[i] = from.position[i] + t * (to.position[i] - from.position[i]);
  for (int i = 0; i < 4; ++i) out.color[i] = from.color[i] + t * (to.color[i] - from.color[i]);
  for (int i = 0; i < 2; ++i) out.texcoord[i] = from.texcoord[i] + t * (to.texcoord[i] - from.texcoord[i]);
  return out;
}

// The crossing point of an edge always starts from its inside end, so that two triangles that
// share the edge get the very same new vertex and no crack opens between them.
ClipVertex Intersect(const ClipVertex& inside, float insideDistance, const ClipVertex& outside, float outsideDistance) {
  float t = insideDistance / (insideDistance - outsideDistance);
  return Lerp(inside, outside, t);
}

}  // namespace

void ClipTriangle(const ClipVertex& a, const ClipVertex& b, const ClipVertex& c, uint32_t planes, const GuardBand& band,
                  ClippedPolygon& out) {
  ClippedPolygon scratch;
  ClippedPolygon* current = &out;
  ClippedPolygon* next = &scratch;
  current->corners[0] = a;
  current->corners[1] = b;
  current->corners[2] = c;
  current->count = 3;

  for (int plane = 0; plane < kClipPlaneCount; ++plane) {
    if (!(planes & (1u << plane))) continue;
    next->count = 0;
    for (int i = 0; i < current->count; ++i) {
      const ClipVertex& from = current->corners[i];
      const ClipVertex& to = current->corners[(i + 1) % current->count];
      float fromDistance = PlaneDistance(from, plane, band);
      float toDistance = PlaneDistance(to, plane, band);
      bool fromInside = fromDistance >= 0.0f;
      bool toInside = toDistance >= 0.0f;
      if (fromInside) next->corners[next->count++] = from;
      if (fromInside != toInside) {
        next->corners[next->count++] =
            fromInside ? Intersect(from, fromDistance, to, toDistance) : Intersect(to, toDistance, from, fromDistance);
      }
    }
    std::swap(current, next);
    if (current->count < 3) {
      out.count = 0;
      return;
    }
  }
  if (current != &out) out = *current;
}

}  // namespace refdevice
