// Triangle setup: snaps the corners to the subpixel grid, culls by winding, builds the three
// edge functions with the top-left fill rule folded in, and the planes along which depth,
// 1/w, colour and texture coordinates are interpolated.
#pragma once

#include <algorithm>
#include <cstdint>

#include "common/assertion.h"
#include "refdevice.h"
#include "tuning.h"
#include "vertex_processing.h"

namespace refdevice {

// E = a * X + b * Y + c over subpixel coordinates (X = x * kSubpixelScale); a pixel centre is
// covered when all three are >= 0. Exact integers: shared edges are decided the same way for
// both triangles. A record keeps E's value at the first pixel centre of the triangle's bounds,
// (minX, minY), from which the others follow: E(x, y) = start + a * S * (x - minX) +
// b * S * (y - minY), S the subpixel scale. |a| and |b| are below 2^29 (corners lie within
// kLargestCoordinate).
struct EdgeFunction {
  int64_t start;
  int32_t a, b;
  // E at pixel centre (x, y).
  int64_t At(int64_t x, int64_t y, int minX, int minY) const {
    constexpr int64_t kScale = tuning::kSubpixelScale;
    return start + int64_t(a) * kScale * (x - minX) + int64_t(b) * kScale * (y - minY);
  }
};

// value(x, y) = a * (x - originX) + b * (y - originY) + c, at pixel centres.
struct AttributePlane {
  float a, b, c;
  float At(float dx, float dy) const { return a * dx + b * dy + c; }
};

// What a triangle with perspective, or with colours of its own, adds to its record.
struct TriangleExtras {
  // With perspective, q = 1/w and texcoord/colour hold attribute * q; otherwise q is constant
  // and texcoord/colour hold the attributes themselves.
  AttributePlane q;
  AttributePlane color[4];  // where the corners' colours differ; zero otherwise
  bool perspective;
  bool flatColor;  // all three corners have the same colour: the record's flatDiffuse
};

// A record is written whole by setup and read by every tile the triangle touches: its size is
// much of the memory a frame moves, and it fills two cache lines exactly.
struct alignas(64) SetupTriangle {
  EdgeFunction edges[3];
  int minX, minY, maxX, maxY;  // covered pixels lie within, bounds inclusive
  float originX, originY;
  AttributePlane depth;
  AttributePlane texcoord[2];  // see TriangleExtras::q
  uint32_t flatDiffuse;        // where FlatColor(): the colour packed as 0xAARRGGBB
  // Every edge value over columns minX - 7 .. maxX + 7 and rows minY .. maxY + 1 fits in 32
  // bits, so a walk that starts at most seven columns left of the triangle and steps one row
  // past it, adding a * S and b * S in 32-bit arithmetic to the low halves of the starts,
  // meets only exact values (see FitsSmallWalk).
  bool smallWalk;
  // Null for the usual triangle of a mesh: no perspective (q = 1) and one colour.
  const TriangleExtras* extras;

  bool Perspective() const { return extras != nullptr && extras->perspective; }
  bool FlatColor() const { return extras == nullptr || extras->flatColor; }
};
static_assert(sizeof(SetupTriangle) == 128);

// Pixel rectangle that drawing may touch (viewport within the target), bounds inclusive.
struct ScissorRect {
  int minX, minY, maxX, maxY;
  bool Empty() const { return minX > maxX || minY > maxY; }
};

// The pixels two rectangles share; empty where they miss each other.
inline ScissorRect Intersection(const ScissorRect& a, const ScissorRect& b) {
  return {std::max(a.minX, b.minX), std::max(a.minY, b.minY), std::min(a.maxX, b.maxX), std::min(a.maxY, b.maxY)};
}

// The part of a triangle's bounds within `area`.
inline ScissorRect BoundsWithin(const SetupTriangle& triangle, const ScissorRect& area) {
  return Intersection({triangle.minX, triangle.minY, triangle.maxX, triangle.maxY}, area);
}

// Coordinates beyond this many pixels are outside what the guard band lets through; anything
// past it (only possible for pretransformed input) is refused rather than overflowed.
constexpr float kLargestCoordinate = 1 << 20;

// Setup checks the small walk only of triangles whose bounds are narrower and shorter than
// this: larger ones are never walked a few pixels at a time, and within it the check's
// products fit in 64 bits.
constexpr int kSmallWalkExtent = 1 << 10;

// Whether an edge stays within 32 bits over the small walk's rectangle: from its start it
// moves away by at most |a| * S * (width + 7) along a row and |b| * S * (height + 1) down the
// rows, S the subpixel scale, width and height the bounds' (maxX - minX, maxY - minY, each
// below kSmallWalkExtent).
inline bool FitsSmallWalk(const EdgeFunction& edge, int64_t width, int64_t height) {
  // Within the extent, with |a| and |b| below 2^29, the products below fit in 64 bits.
  ORBELUNE_ASSERT(width >= 0 && width < kSmallWalkExtent && height >= 0 && height < kSmallWalkExtent);
  auto magnitude = [](int64_t value) { return value < 0 ? -value : value; };
  const int64_t reach = magnitude(edge.start) + magnitude(edge.a) * (width + 7) * tuning::kSubpixelScale +
                        magnitude(edge.b) * (height + 1) * tuning::kSubpixelScale;
  return reach < (int64_t(1) << 31);
}

// Colour channels on the 0..255 scale as 0xAARRGGBB: 0 for NaN and values up to 0, 255 from
// 255 on, else rounded half up.
uint32_t PackColorChannels(const float color[4]);

// Fills `out` and returns true when the triangle may cover a pixel: not culled, not
// degenerate, within the scissor rectangle and within the fixed-point range. Where the
// triangle has perspective or colours of its own, they go into `extras`, and out.extras points
// there: whoever keeps the record keeps them too.
bool SetupScreenTriangle(const ScreenVertex& v0, const ScreenVertex& v1, const ScreenVertex& v2, CullMode cull,
                         const ScissorRect& scissor, SetupTriangle& out, TriangleExtras& extras);

}  // namespace refdevice
