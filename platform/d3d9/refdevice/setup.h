// Triangle setup: snaps the corners to the subpixel grid, culls by winding, builds the three
// edge functions with the top-left fill rule folded in, and the planes along which depth,
// 1/w, colour and texture coordinates are interpolated.
#pragma once

#include <cstdint>

#include "refdevice.h"
#include "vertex_processing.h"

namespace refdevice {

// E(X, Y) = a * X + b * Y + c over subpixel coordinates (X = x * kSubpixelScale); a pixel
// centre is covered when all three are >= 0. Exact integers: shared edges are decided the same
// way for both triangles.
struct EdgeFunction {
  int64_t a, b, c;
};

// value(x, y) = a * (x - originX) + b * (y - originY) + c, at pixel centres.
struct AttributePlane {
  float a, b, c;
  float At(float dx, float dy) const { return a * dx + b * dy + c; }
};

struct SetupTriangle {
  EdgeFunction edges[3];
  int minX, minY, maxX, maxY;  // covered pixels lie within, bounds inclusive
  float originX, originY;
  AttributePlane depth;
  // With perspective, q = 1/w and texcoord/colour hold attribute * q; otherwise q is constant
  // and texcoord/colour hold the attributes themselves.
  AttributePlane q;
  AttributePlane texcoord[2];
  AttributePlane color[4];
  bool perspective;
  bool flatColor;        // all three corners have the same colour: color[i].c is it
  uint32_t flatDiffuse;  // that colour packed as 0xAARRGGBB, when flat
};

// Pixel rectangle that drawing may touch (viewport within the target), bounds inclusive.
struct ScissorRect {
  int minX, minY, maxX, maxY;
};

// Coordinates beyond this many pixels are outside what the guard band lets through; anything
// past it (only possible for pretransformed input) is refused rather than overflowed.
constexpr float kLargestCoordinate = 1 << 20;

// Fills `out` and returns true when the triangle may cover a pixel: not culled, not
// degenerate, within the scissor rectangle and within the fixed-point range.
bool SetupScreenTriangle(const ScreenVertex& v0, const ScreenVertex& v1, const ScreenVertex& v2, CullMode cull,
                         const ScissorRect& scissor, SetupTriangle& out);

}  // namespace refdevice
