// Implements: coverage of a triangle within a rectangle, row by row, walked or solved.
// Leaves out: multisampling, points and lines.
#include "raster.h"

#include <algorithm>

#include "tuning.h"

namespace refdevice {

namespace {

int64_t FloorDivide(int64_t numerator, int64_t denominator) {  // denominator > 0
  int64_t quotient = numerator / denominator;
  return (numerator % denominator != 0 && numerator < 0) ? quotient - 1 : quotient;
}

// Narrows [first, last] to the pixels where a * X + rowValue >= 0, X = x * kSubpixelScale.
// Exact: the same pixels the per-pixel test accepts.
void NarrowToEdge(const EdgeFunction& edge, int64_t rowValue, int64_t& first, int64_t& last) {
  int64_t step = edge.a * tuning::kSubpixelScale;
  if (step > 0) {
    first = std::max(first, -FloorDivide(rowValue, step));  // ceil(-rowValue / step)
  } else if (step < 0) {
    last = std::min(last, FloorDivide(rowValue, -step));
  } else if (rowValue < 0) {
    last = first - 1;
  }
}

}  // namespace

void RasterTriangle(const PixelPipeline& pipeline, const SetupTriangle& triangle, const ScissorRect& area) {
  int minX = std::max(triangle.minX, area.minX);
  int maxX = std::min(triangle.maxX, area.maxX);
  int minY = std::max(triangle.minY, area.minY);
  int maxY = std::min(triangle.maxY, area.maxY);
  if (minX > maxX || minY > maxY) return;

  // Runs are gathered for the whole rectangle and shaded together, so the shader prepares the
  // triangle once rather than once a row.
  Span spans[tuning::kTileSize];
  int spanCount = 0;
  auto flush = [&] {
    if (spanCount > 0) ShadeSpans(pipeline, triangle, spans, spanCount, area.maxX + 1);
    spanCount = 0;
  };
  auto add = [&](int y, int xBegin, int xEnd) {
    spans[spanCount++] = {y, xBegin, xEnd};
    if (spanCount == tuning::kTileSize) flush();
  };

  const EdgeFunction* edges = triangle.edges;
  if (maxX - minX >= tuning::kWalkWidth) {
    for (int y = minY; y <= maxY; ++y) {
      int64_t rowY = static_cast<int64_t>(y) * tuning::kSubpixelScale;
      int64_t first = minX, last = maxX;
      for (int i = 0; i < 3; ++i) NarrowToEdge(edges[i], edges[i].b * rowY + edges[i].c, first, last);
      if (first <= last) add(y, static_cast<int>(first), static_cast<int>(last) + 1);
    }
    flush();
    return;
  }

  int64_t stepX[3];
  for (int i = 0; i < 3; ++i) stepX[i] = edges[i].a * tuning::kSubpixelScale;
  // Each row's values at minX, stepped from the first row's: exact integers, so the same as
  // evaluating the edge functions afresh.
  int64_t startX = static_cast<int64_t>(minX) * tuning::kSubpixelScale;
  int64_t firstRowY = static_cast<int64_t>(minY) * tuning::kSubpixelScale;
  int64_t rowStart[3], stepY[3];
  for (int i = 0; i < 3; ++i) {
    rowStart[i] = edges[i].a * startX + edges[i].b * firstRowY + edges[i].c;
    stepY[i] = edges[i].b * tuning::kSubpixelScale;
  }
  for (int y = minY; y <= maxY; ++y) {
    int64_t e0 = rowStart[0], e1 = rowStart[1], e2 = rowStart[2];
    for (int i = 0; i < 3; ++i) rowStart[i] += stepY[i];
    int x = minX;
    // All three are >= 0 exactly when their bitwise or has no sign bit.
    while (x <= maxX && (e0 | e1 | e2) < 0) {
      e0 += stepX[0];
      e1 += stepX[1];
      e2 += stepX[2];
      ++x;
    }
    int runBegin = x;
    while (x <= maxX && (e0 | e1 | e2) >= 0) {
      e0 += stepX[0];
      e1 += stepX[1];
      e2 += stepX[2];
      ++x;
    }
    if (x > runBegin) add(y, runBegin, x);
  }
  flush();
}

}  // namespace refdevice
