#include "raster.h"

#include <algorithm>

#include "tuning.h"

namespace refdevice {

void RasterTriangle(const PixelPipeline& pipeline, const SetupTriangle& triangle, const ScissorRect& area) {
  int minX = std::max(triangle.minX, area.minX);
  int maxX = std::min(triangle.maxX, area.maxX);
  int minY = std::max(triangle.minY, area.minY);
  int maxY = std::min(triangle.maxY, area.maxY);
  if (minX > maxX || minY > maxY) return;

  const EdgeFunction* edges = triangle.edges;
  int64_t stepX[3];
  for (int i = 0; i < 3; ++i) stepX[i] = edges[i].a * tuning::kSubpixelScale;
  int64_t startX = static_cast<int64_t>(minX) * tuning::kSubpixelScale;

  for (int y = minY; y <= maxY; ++y) {
    int64_t rowY = static_cast<int64_t>(y) * tuning::kSubpixelScale;
    int64_t e0 = edges[0].a * startX + edges[0].b * rowY + edges[0].c;
    int64_t e1 = edges[1].a * startX + edges[1].b * rowY + edges[1].c;
    int64_t e2 = edges[2].a * startX + edges[2].b * rowY + edges[2].c;
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
    if (x > runBegin) ShadeSpan(pipeline, triangle, y, runBegin, x);
  }
}

}  // namespace refdevice
