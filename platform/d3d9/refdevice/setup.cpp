// Implements: snapping, culling, edge functions and attribute planes of one triangle.
// Leaves out: flat shading (colours are always interpolated), depth bias.
#include "setup.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "common/assertion.h"
#include "tuning.h"

namespace refdevice {

namespace {

// Rounds half away from zero; |coordinate| is below kLargestCoordinate, so the sum is exact.
int64_t Snap(float coordinate) {
  ORBELUNE_ASSERT(std::fabs(coordinate) < kLargestCoordinate);
  double scaled = static_cast<double>(coordinate) * tuning::kSubpixelScale;
  return static_cast<int64_t>(scaled < 0.0 ? scaled - 0.5 : scaled + 0.5);
}

// Edge from p to q, with its value at the first pixel centre of the bounds. The top-left rule:
// a pixel centre exactly on an edge belongs to the triangle only for a left edge (interior to
// its right, a > 0) or a top edge (horizontal with the interior below, a == 0 and b > 0; y grows
// downwards). Other edges need E > 0, which for integers is E - 1 >= 0.
EdgeFunction MakeEdge(int64_t px, int64_t py, int64_t qx, int64_t qy, int minX, int minY) {
  const int64_t a = py - qy, b = qx - px;
  // Corners within kLargestCoordinate pixels: the coefficients fit the record's 32 bits.
  constexpr int64_t kCoefficientLimit = int64_t(2 * kLargestCoordinate) * tuning::kSubpixelScale;
  ORBELUNE_ASSERT(a > -kCoefficientLimit && a < kCoefficientLimit && b > -kCoefficientLimit && b < kCoefficientLimit);
  int64_t c = px * qy - py * qx;
  bool topLeft = a > 0 || (a == 0 && b > 0);
  if (!topLeft) c -= 1;
  const int64_t firstX = int64_t(minX) * tuning::kSubpixelScale;
  const int64_t firstY = int64_t(minY) * tuning::kSubpixelScale;
  return {a * firstX + b * firstY + c, static_cast<int32_t>(a), static_cast<int32_t>(b)};
}

AttributePlane MakePlane(double f0, double f1, double f2, double dx1, double dy1, double dx2, double dy2,
                         double inverseDeterminant) {
  double d1 = f1 - f0, d2 = f2 - f0;
  AttributePlane plane;
  plane.a = static_cast<float>((d1 * dy2 - d2 * dy1) * inverseDeterminant);
  plane.b = static_cast<float>((d2 * dx1 - d1 * dx2) * inverseDeterminant);
  plane.c = static_cast<float>(f0);
  return plane;
}

uint32_t ColorChannelToByte(float value) {
  if (!(value > 0.0f)) return 0;
  if (value >= 255.0f) return 255;
  return static_cast<uint32_t>(value + 0.5f);
}

// Whether the record's small walk fits (see SetupTriangle::smallWalk).
bool SmallWalkFits(const SetupTriangle& out) {
  const int64_t width = int64_t(out.maxX) - out.minX, height = int64_t(out.maxY) - out.minY;
  if (width >= kSmallWalkExtent || height >= kSmallWalkExtent) return false;
  for (const EdgeFunction& edge : out.edges) {
    if (!FitsSmallWalk(edge, width, height)) return false;
  }
  return true;
}

}  // namespace

uint32_t PackColorChannels(const float color[4]) {
  uint32_t packed = 0;
  for (int i = 0; i < 4; ++i) packed |= ColorChannelToByte(color[i]) << (8 * i);
  return packed;
}

bool SetupScreenTriangle(const ScreenVertex& v0In, const ScreenVertex& v1In, const ScreenVertex& v2In, CullMode cull,
                         const ScissorRect& scissor, SetupTriangle& out, TriangleExtras& extras) {
  for (const ScreenVertex* v : {&v0In, &v1In, &v2In}) {
    if (!(std::fabs(v->x) < kLargestCoordinate) || !(std::fabs(v->y) < kLargestCoordinate)) {
      return false;
    }
  }
  int64_t x0 = Snap(v0In.x), y0 = Snap(v0In.y);
  int64_t x1 = Snap(v1In.x), y1 = Snap(v1In.y);
  int64_t x2 = Snap(v2In.x), y2 = Snap(v2In.y);

  // Positive for corners that run clockwise on the screen (y down).
  int64_t area = (x1 - x0) * (y2 - y0) - (x2 - x0) * (y1 - y0);
  if (area == 0) return false;
  if (cull == CullMode::Clockwise && area > 0) return false;
  if (cull == CullMode::CounterClockwise && area < 0) return false;

  // Edge functions are positive inside for clockwise corners; turn the others round.
  const ScreenVertex* v0 = &v0In;
  const ScreenVertex* v1 = &v1In;
  const ScreenVertex* v2 = &v2In;
  if (area < 0) {
    std::swap(v1, v2);
    std::swap(x1, x2);
    std::swap(y1, y2);
  }

  // Pixel centres inside the corners' bounds: ceil of the minimum, floor of the maximum.
  constexpr int64_t kRoundUp = tuning::kSubpixelScale - 1;
  int64_t minX = (std::min({x0, x1, x2}) + kRoundUp) >> tuning::kSubpixelBits;
  int64_t minY = (std::min({y0, y1, y2}) + kRoundUp) >> tuning::kSubpixelBits;
  int64_t maxX = std::max({x0, x1, x2}) >> tuning::kSubpixelBits;
  int64_t maxY = std::max({y0, y1, y2}) >> tuning::kSubpixelBits;
  out.minX = static_cast<int>(std::max<int64_t>(minX, scissor.minX));
  out.minY = static_cast<int>(std::max<int64_t>(minY, scissor.minY));
  out.maxX = static_cast<int>(std::min<int64_t>(maxX, scissor.maxX));
  out.maxY = static_cast<int>(std::min<int64_t>(maxY, scissor.maxY));
  if (out.minX > out.maxX || out.minY > out.maxY) return false;

  out.edges[0] = MakeEdge(x1, y1, x2, y2, out.minX, out.minY);
  out.edges[1] = MakeEdge(x2, y2, x0, y0, out.minX, out.minY);
  out.edges[2] = MakeEdge(x0, y0, x1, y1, out.minX, out.minY);
  out.smallWalk = SmallWalkFits(out);

  // Planes come from the snapped corners, the same ones coverage uses.
  constexpr double kToPixels = 1.0 / tuning::kSubpixelScale;
  double px0 = x0 * kToPixels, py0 = y0 * kToPixels;
  double dx1 = x1 * kToPixels - px0, dy1 = y1 * kToPixels - py0;
  double dx2 = x2 * kToPixels - px0, dy2 = y2 * kToPixels - py0;
  double inverseDeterminant = 1.0 / (dx1 * dy2 - dx2 * dy1);
  out.originX = static_cast<float>(px0);
  out.originY = static_cast<float>(py0);
  auto plane = [&](double f0, double f1, double f2) {
    return MakePlane(f0, f1, f2, dx1, dy1, dx2, dy2, inverseDeterminant);
  };

  out.depth = plane(v0->z, v1->z, v2->z);
  const bool perspective = !(v0->q == v1->q && v0->q == v2->q);
  double q0 = perspective ? v0->q : 1.0;
  double q1 = perspective ? v1->q : 1.0;
  double q2 = perspective ? v2->q : 1.0;
  for (int i = 0; i < 2; ++i) {
    out.texcoord[i] = plane(v0->texcoord[i] * q0, v1->texcoord[i] * q1, v2->texcoord[i] * q2);
  }
  // Colours come from 8-bit channels, so equal values have equal bits: one comparison each.
  const bool flatColor = std::memcmp(v0->color, v1->color, sizeof v0->color) == 0 &&
                         std::memcmp(v0->color, v2->color, sizeof v0->color) == 0;
  out.flatDiffuse = flatColor ? PackColorChannels(v0->color) : 0;
  out.extras = nullptr;
  if (!perspective && flatColor) return true;

  extras.perspective = perspective;
  extras.flatColor = flatColor;
  extras.q = perspective ? plane(q0, q1, q2) : AttributePlane{0.0f, 0.0f, 1.0f};
  for (int i = 0; i < 4; ++i) {
    extras.color[i] = flatColor ? AttributePlane{} : plane(v0->color[i] * q0, v1->color[i] * q1, v2->color[i] * q2);
  }
  out.extras = &extras;
  return true;
}

}  // namespace refdevice
