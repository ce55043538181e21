// Implements: coverage of a triangle within a rectangle, row by row, walked (four pixels at a
// time in 32 bits where the edge values fit, else one at a time) or solved.
// Leaves out: multisampling, points and lines.
// On the map of docs/reference-device.md: RasterTriangles and RasterRows, between a tile's
// batches of triangles and the span shaders; narrow triangles go straight to the narrow shader.
#include "raster.h"

#include <algorithm>

#include "common/assertion.h"
#include "tuning.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace refdevice {

namespace {

int64_t FloorDivide(int64_t numerator, int64_t denominator) {
  ORBELUNE_ASSERT(denominator > 0);
  int64_t quotient = numerator / denominator;
  return (numerator % denominator != 0 && numerator < 0) ? quotient - 1 : quotient;
}

// Narrows [first, last], columns counted from the triangle's minX, to those where
// a * S * column + rowValue >= 0, rowValue being the edge's value at minX on this row.
// Exact: the same pixels the per-pixel test accepts.
void NarrowToEdge(const EdgeFunction& edge, int64_t rowValue, int64_t& first, int64_t& last) {
  int64_t step = int64_t(edge.a) * tuning::kSubpixelScale;
  if (first > last) return;
  // The edge is linear along the row: where it holds, or fails, at both ends, it does so in
  // between, and no division is needed. Most of a large triangle's edges miss most tiles.
  // No overflow: |a| < 2^29 makes |step| < 2^37, columns lie within the triangle's bounds,
  // less than 2^21 across, so |step * column| < 2^58; and |rowValue| < 2^60.
  ORBELUNE_ASSERT(step > -(int64_t(1) << 37) && step < (int64_t(1) << 37));
  ORBELUNE_ASSERT(first >= 0 && last < (int64_t(1) << 21));
  ORBELUNE_ASSERT(rowValue > -(int64_t(1) << 60) && rowValue < (int64_t(1) << 60));
  const bool holdsAtFirst = step * first + rowValue >= 0, holdsAtLast = step * last + rowValue >= 0;
  if (holdsAtFirst && holdsAtLast) return;
  if (!holdsAtFirst && !holdsAtLast) {
    last = first - 1;
    return;
  }
  // Holding at one end only, the edge is not level: step is not 0.
  if (step > 0) {
    first = std::max(first, -FloorDivide(rowValue, step));  // ceil(-rowValue / step)
  } else {
    last = std::min(last, FloorDivide(rowValue, -step));
  }
}

#if defined(__SSE2__)
// The walk four pixels at a time: each row's covered pixels as bits, whose lowest and highest
// give the run (one run, the triangle being convex), with no branch on where it lies.
// The walk reaches three pixels past maxX (the last group's lanes) and one row past maxY: within
// the triangle's small walk, whose 32-bit values it steps through.
template <typename AddRun>
void WalkFourWide(const SetupTriangle& triangle, int minX, int minY, int maxX, int maxY, AddRun&& add) {
  const int width = maxX - minX + 1;
  ORBELUNE_ASSERT(triangle.smallWalk && width <= tuning::kWalkWidth);
  ORBELUNE_ASSERT(minX - triangle.minX >= 0 && maxX <= triangle.maxX && minY >= triangle.minY && maxY <= triangle.maxY);
  const int32_t columns = minX - triangle.minX, rows = minY - triangle.minY;
  __m128i rowStart[3], laneStep[3], groupStep[3], rowStep[3];
  for (int i = 0; i < 3; ++i) {
    // Products and sums wrap in unsigned arithmetic; the walk's values themselves fit.
    const EdgeFunction& edge = triangle.edges[i];
    const uint32_t stepX = uint32_t(edge.a) << tuning::kSubpixelBits, stepY = uint32_t(edge.b) << tuning::kSubpixelBits;
    const uint32_t start = uint32_t(edge.start) + uint32_t(columns) * stepX + uint32_t(rows) * stepY;
    laneStep[i] = _mm_setr_epi32(0, int(stepX), int(2 * stepX), int(3 * stepX));
    rowStart[i] = _mm_add_epi32(_mm_set1_epi32(int(start)), laneStep[i]);
    groupStep[i] = _mm_set1_epi32(int(4 * stepX));
    rowStep[i] = _mm_set1_epi32(int(stepY));
  }
  const uint32_t inWidth = width >= 32 ? ~0u : (1u << width) - 1;
  for (int y = minY; y <= maxY; ++y) {
    __m128i e0 = rowStart[0], e1 = rowStart[1], e2 = rowStart[2];
    for (int i = 0; i < 3; ++i) rowStart[i] = _mm_add_epi32(rowStart[i], rowStep[i]);
    uint32_t covered = 0;
    for (int group = 0; group * 4 < width; ++group) {
      // A lane is covered when none of its three values has the sign bit.
      unsigned outside = unsigned(_mm_movemask_ps(_mm_castsi128_ps(_mm_or_si128(_mm_or_si128(e0, e1), e2))));
      covered |= (~outside & 0xFu) << (4 * group);
      e0 = _mm_add_epi32(e0, groupStep[0]);
      e1 = _mm_add_epi32(e1, groupStep[1]);
      e2 = _mm_add_epi32(e2, groupStep[2]);
    }
    covered &= inWidth;
    if (covered != 0) {
      int first = __builtin_ctz(covered), last = 31 - __builtin_clz(covered);
      add(y, minX + first, minX + last + 1);
    }
  }
}
#endif

void PrefetchRows(const void* pixels, size_t pitchBytes, size_t bytesPerPixel, const ScissorRect& tile) {
  constexpr size_t kLine = 64;
  for (int y = tile.minY; y <= tile.maxY; ++y) {
    const uint8_t* row = static_cast<const uint8_t*>(pixels) + size_t(y) * pitchBytes;
    const uint8_t* first = row + size_t(tile.minX) * bytesPerPixel;
    const uint8_t* last = row + size_t(tile.maxX) * bytesPerPixel;
    for (const uint8_t* line = first; line < last; line += kLine) __builtin_prefetch(line, 1);
    __builtin_prefetch(last, 1);
  }
}

}  // namespace

void PrefetchTargets(const PixelPipeline& pipeline, const ScissorRect& tile) {
  if (pipeline.depthActive) PrefetchRows(pipeline.depth.depth, pipeline.depth.pitchBytes, 2, tile);
  PrefetchRows(pipeline.color.pixels, pipeline.color.pitchBytes, 4, tile);
}

namespace {

// The rows of the triangle's pixels within `rect` (within `area`), walked or solved, their runs
// handed to the span shader. Kept out of line: the usual small triangle, which the narrow
// shader takes, needs none of its room.
__attribute__((noinline)) void RasterRows(const PixelPipeline& pipeline, const SetupTriangle& triangle,
                                          const ScissorRect& rect, const ScissorRect& area, PendingPixels& pending) {
  const int minX = rect.minX, minY = rect.minY, maxX = rect.maxX, maxY = rect.maxY;
  // Runs are gathered for the whole rectangle and shaded together, so the shader prepares the
  // triangle once rather than once a row.
  Span spans[tuning::kTileSize];
  int spanCount = 0;
  auto flush = [&] {
    if (spanCount > 0) ShadeSpans(pipeline, triangle, spans, spanCount, area.maxX + 1, pending);
    spanCount = 0;
  };
  auto add = [&](int y, int xBegin, int xEnd) {
    spans[spanCount++] = {y, xBegin, xEnd};
    if (spanCount == tuning::kTileSize) flush();
  };

  const EdgeFunction* edges = triangle.edges;
  if (maxX - minX >= tuning::kWalkWidth) {
    // An edge is linear: where it holds at the rectangle's four corners, it holds all over it
    // and narrows no row; where it fails at all four, nothing here is covered.
    int crossing[3], crossingCount = 0;
    for (int i = 0; i < 3; ++i) {
      auto holds = [&](int x, int y) { return edges[i].At(x, y, triangle.minX, triangle.minY) >= 0; };
      const int holding = holds(minX, minY) + holds(maxX, minY) + holds(minX, maxY) + holds(maxX, maxY);
      if (holding == 0) return;
      if (holding < 4) crossing[crossingCount++] = i;
    }
    for (int y = minY; y <= maxY; ++y) {
      int64_t first = minX - triangle.minX, last = maxX - triangle.minX;
      for (int c = 0; c < crossingCount; ++c) {
        const EdgeFunction& edge = edges[crossing[c]];
        NarrowToEdge(edge, edge.At(triangle.minX, y, triangle.minX, triangle.minY), first, last);
      }
      if (first <= last) add(y, triangle.minX + static_cast<int>(first), triangle.minX + static_cast<int>(last) + 1);
    }
    flush();
    return;
  }

#if defined(__SSE2__)
  if (triangle.smallWalk) {
    WalkFourWide(triangle, minX, minY, maxX, maxY, add);
    flush();
    return;
  }
#endif
  // Each row's values at minX, stepped from the first row's: exact integers, so the same as
  // evaluating the edge functions afresh.
  int64_t rowStart[3], stepX[3], stepY[3];
  for (int i = 0; i < 3; ++i) {
    rowStart[i] = edges[i].At(minX, minY, triangle.minX, triangle.minY);
    stepX[i] = int64_t(edges[i].a) * tuning::kSubpixelScale;
    stepY[i] = int64_t(edges[i].b) * tuning::kSubpixelScale;
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

}  // namespace

void RasterTriangles(const PixelPipeline& pipeline, const SetupTriangle* const* triangles, int count,
                     const ScissorRect& area, PendingPixels& pending) {
  const bool narrowShader = pipeline.simd && pipeline.narrowShader != nullptr;
  for (int i = 0; i < count; ++i) {
    if (narrowShader) {
      i += pipeline.narrowShader(pipeline, triangles + i, count - i, area, pending);
      if (i == count) return;
    }
    const ScissorRect rect = BoundsWithin(*triangles[i], area);
    if (!rect.Empty()) RasterRows(pipeline, *triangles[i], rect, area, pending);
  }
}

}  // namespace refdevice
