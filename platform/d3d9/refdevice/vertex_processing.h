// Vertex processing: fetches positions, diffuse colours and texture coordinates from the raw
// stream and transforms them to clip space (row vectors: v * world * view * projection), then
// to the screen for the vertices that need no clipping.
// Leaves out: lighting, normals (carried in the stream, never read), specular, fog, vertex
// blending, more than one set of texture coordinates.
#pragma once

#include <cstdint>

#include "refdevice.h"

namespace refdevice {

struct ClipVertex {
  float position[4];  // x, y, z, w in clip space
  float color[4];     // b, g, r, a on the 0..255 scale
  float texcoord[2];
};

// A vertex in pixels: (x, y) with pixel centres on integers, depth z in the viewport's range,
// q = 1 / w. Colour and texture coordinates are not yet divided by w.
struct ScreenVertex {
  float x, y, z, q;
  float color[4];
  float texcoord[2];
};

// Clip planes a vertex lies outside of, one bit each.
enum ClipPlaneBit : uint32_t {
  kClipNear = 1u << 0,
  kClipFar = 1u << 1,
  kClipLeft = 1u << 2,
  kClipRight = 1u << 3,
  kClipBottom = 1u << 4,
  kClipTop = 1u << 5,
  kClipBehindEye = 1u << 6,
  kClipNotFinite = 1u << 7,  // never drawn
};
constexpr int kClipPlaneCount = 7;

// Guard-band extent in clip units: |x| <= guardX * w keeps a vertex within the band.
struct GuardBand {
  float x, y;
};
GuardBand ComputeGuardBand(const Viewport& viewport);

Matrix Multiply(const Matrix& left, const Matrix& right);

// Reads vertex `index` of the stream as the pipeline's input. For pretransformed layouts the
// position is (x, y, z, rhw) in pixels and is returned unchanged.
ClipVertex FetchVertex(const VertexStream& stream, size_t index, const Matrix& worldViewProjection);

uint32_t ComputeOutcode(const ClipVertex& vertex, const GuardBand& band);

ScreenVertex ProjectToScreen(const ClipVertex& vertex, const Viewport& viewport);

// Pretransformed input: the position is already in pixels and rhw is 1 / w.
ScreenVertex PretransformedToScreen(const ClipVertex& vertex);

}  // namespace refdevice
