// Bilinear (and, with depth, trilinear) resampling. Per axis, for a source of n and a
// destination of m pixels: s = n / m; for destination index i, l = (i + 0.5) * s + 0.5 and
// j = truncate(l); taps j - 1 with weight w0 = (j + 1) - l and j with weight 1 - w0. All in
// 32-bit floats, so that results do not depend on the compiler's choice of precision.
#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "gfxsupport/textures/argb32_rows.h"
#include "gfxsupport/textures/argb32_rows_avx2.h"
#include "gfxsupport/textures/conversion_pass.h"
#include "gfxsupport/images/processor_features.h"

namespace gfx::textures {

std::vector<BilinearTaps> MakeBilinearTaps(uint32_t sourceSize, uint32_t destinationSize, bool clampEdges) {
  std::vector<BilinearTaps> taps(destinationSize);
  const float scale = static_cast<float>(sourceSize) / static_cast<float>(destinationSize);
  const int64_t n = sourceSize;
  auto place = [&](int64_t index) -> uint32_t {
    if (index < 0) return static_cast<uint32_t>(clampEdges ? 0 : n - 1);
    if (index >= n) return static_cast<uint32_t>(clampEdges ? n - 1 : 0);
    return static_cast<uint32_t>(index);
  };
  for (uint32_t i = 0; i < destinationSize; ++i) {
    const float l = (static_cast<float>(i) + 0.5f) * scale + 0.5f;
    const int64_t j = static_cast<int64_t>(l);
    const float w0 = static_cast<float>(j + 1) - l;
    taps[i] = {place(j - 1), place(j), w0, 1.0f - w0};
  }
  return taps;
}

void ResampleQuadsAcross(const float* sourceRow, const BilinearTaps* taps, size_t count, float* out) {
#if defined(__SSE2__)
  // The same products and sums, four channels at a time (eight with AVX2).
  size_t x = ProcessorHasAvx2() ? ResampleQuadsAcrossAvx2(sourceRow, taps, count, out) : 0;
  for (; x < count; ++x) {
    const BilinearTaps& tap = taps[x];
    const __m128 p0 = _mm_loadu_ps(sourceRow + 4 * size_t{tap.first});
    const __m128 p1 = _mm_loadu_ps(sourceRow + 4 * size_t{tap.second});
    _mm_storeu_ps(out + 4 * x, _mm_add_ps(_mm_mul_ps(_mm_set1_ps(tap.firstWeight), p0),
                                          _mm_mul_ps(_mm_set1_ps(tap.secondWeight), p1)));
  }
#else
  for (size_t x = 0; x < count; ++x) {
    const BilinearTaps& tap = taps[x];
    const float* p0 = sourceRow + 4 * size_t{tap.first};
    const float* p1 = sourceRow + 4 * size_t{tap.second};
    for (int c = 0; c < 4; ++c) out[4 * x + c] = tap.firstWeight * p0[c] + tap.secondWeight * p1[c];
  }
#endif
}

NeighbourTaps FindNeighbourTaps(const std::vector<BilinearTaps>& taps) {
  auto neighbours = [](const BilinearTaps& tap) { return tap.second == tap.first + 1; };
  NeighbourTaps found;
  found.begin = std::find_if(taps.begin(), taps.end(), neighbours) - taps.begin();
  found.end = found.begin;
  while (found.end < taps.size() && neighbours(taps[found.end])) ++found.end;
  // Float positions must fit in 32 bits; the image size limits keep rows far shorter.
  if (taps.size() > UINT32_MAX / 4) found.end = found.begin;
  for (size_t x = found.begin; x < found.end; ++x) found.firstFloats.push_back(4 * taps[x].first);
  return found;
}

void ResampleQuadsAcross(const float* row, const std::vector<BilinearTaps>& taps, const NeighbourTaps& neighbours,
                         float* out) {
  size_t x = neighbours.begin;
  if (ProcessorHasAvx2()) {
    x += ResampleNeighbourQuadsAcrossAvx2(row, neighbours.firstFloats.data(), taps.data() + x, neighbours.end - x,
                                          out + 4 * x);
  }
  ResampleQuadsAcross(row, taps.data(), neighbours.begin, out);
  ResampleQuadsAcross(row, taps.data() + x, taps.size() - x, out + 4 * x);
}

namespace {

// One source row resampled across: w0 * P[first] + w1 * P[second] for every column.
void ResampleAcross(const FloatColour* sourceRow, const std::vector<BilinearTaps>& columns, FloatColour* out) {
  ResampleQuadsAcross(&sourceRow->r, columns.data(), columns.size(), &out->r);
}

void Blend(const FloatColour* top, float topWeight, const FloatColour* bottom, float bottomWeight, size_t count,
           FloatColour* out) {
  BlendRows(top, topWeight, bottom, bottomWeight, static_cast<uint32_t>(count), out);
}

// Source rows of one slice, resampled across, two kept at a time: each destination row needs
// two neighbouring source rows, and the next destination row usually reuses one of them.
class AcrossRowCache {
 public:
  AcrossRowCache(const ConversionPass& pass, const std::vector<BilinearTaps>& columns, uint32_t slice)
      : pass_(pass), columns_(columns), slice_(slice), sourceRow_(pass.source.width) {
    for (auto& row : rows_) row.resize(columns.size());
  }

  // Both rows, valid until the next call.
  std::pair<const FloatColour*, const FloatColour*> Get(uint32_t first, uint32_t second) {
    const FloatColour* a = Fetch(first, second);
    const FloatColour* b = Fetch(second, first);
    return {a, b};
  }

 private:
  const FloatColour* Fetch(uint32_t wanted, uint32_t keep) {
    for (int slot = 0; slot < 2; ++slot) {
      if (held_[slot] == wanted) return rows_[slot].data();
    }
    const int slot = held_[0] == keep ? 1 : 0;
    const FloatColour* source = pass_.SourceRowInPlace(slice_, wanted);
    if (source == nullptr) {
      pass_.ReadSourceRow(slice_, wanted, sourceRow_.data());
      source = sourceRow_.data();
    }
    ResampleAcross(source, columns_, rows_[slot].data());
    held_[slot] = wanted;
    return rows_[slot].data();
  }

  const ConversionPass& pass_;
  const std::vector<BilinearTaps>& columns_;
  uint32_t slice_;
  std::vector<FloatColour> sourceRow_;
  std::vector<FloatColour> rows_[2];
  int64_t held_[2] = {-1, -1};
};

void ResampleSlice(const ConversionPass& pass, const std::vector<BilinearTaps>& columns,
                   const std::vector<BilinearTaps>& rows, uint32_t sourceSlice, uint32_t destinationSlice,
                   std::vector<FloatColour>& out) {
  AcrossRowCache cache(pass, columns, sourceSlice);
  const D3DFORMAT format = pass.destination.format;
  // Into 32-bit ARGB without sRGB or diffusion, blending and writing go in one pass.
  const bool argb32 = (format == D3DFMT_A8R8G8B8 || format == D3DFMT_X8R8G8B8) && !pass.writer.SrgbConversion() &&
                      pass.writer.Dither() != DitherMode::Diffusion;
  const bool ordered = pass.writer.Dither() == DitherMode::Ordered;
  for (uint32_t y = 0; y < pass.destination.height; ++y) {
    const BilinearTaps& tap = rows[y];
    auto [top, bottom] = cache.Get(tap.first, tap.second);
    if (argb32) {
      BlendToArgb32Row(top, tap.firstWeight, bottom, tap.secondWeight, static_cast<uint32_t>(columns.size()),
                       pass.DestinationRow(destinationSlice, y), format == D3DFMT_X8R8G8B8,
                       ordered ? kOrderedDither[(pass.destination.y + y) & 3] : nullptr, pass.destination.x);
      continue;
    }
    Blend(top, tap.firstWeight, bottom, tap.secondWeight, columns.size(), out.data());
    pass.WriteDestinationRow(destinationSlice, y, out.data());
  }
}

}  // namespace

void ResampleBilinear(const ConversionPass& pass) {
  if (ResamplesArgb32Directly(pass)) {
    ResampleBilinearArgb32(pass);
    return;
  }
  const auto columns = MakeBilinearTaps(pass.source.width, pass.destination.width, pass.options.mirrorU);
  const auto rows = MakeBilinearTaps(pass.source.height, pass.destination.height, pass.options.mirrorV);
  std::vector<FloatColour> out(pass.destination.width);
  pass.writer.BeginSlice();
  ResampleSlice(pass, columns, rows, 0, 0, out);
}

void ResampleTrilinear(const ConversionPass& pass) {
  const auto columns = MakeBilinearTaps(pass.source.width, pass.destination.width, pass.options.mirrorU);
  const auto rows = MakeBilinearTaps(pass.source.height, pass.destination.height, pass.options.mirrorV);
  const auto slices = MakeBilinearTaps(pass.source.depth, pass.destination.depth, pass.options.mirrorW);
  const size_t width = pass.destination.width;
  std::vector<FloatColour> front(width), back(width), out(width);
  for (uint32_t z = 0; z < pass.destination.depth; ++z) {
    const BilinearTaps& sliceTap = slices[z];
    AcrossRowCache frontCache(pass, columns, sliceTap.first);
    AcrossRowCache backCache(pass, columns, sliceTap.second);
    pass.writer.BeginSlice();
    for (uint32_t y = 0; y < pass.destination.height; ++y) {
      const BilinearTaps& tap = rows[y];
      auto [frontTop, frontBottom] = frontCache.Get(tap.first, tap.second);
      Blend(frontTop, tap.firstWeight, frontBottom, tap.secondWeight, width, front.data());
      auto [backTop, backBottom] = backCache.Get(tap.first, tap.second);
      Blend(backTop, tap.firstWeight, backBottom, tap.secondWeight, width, back.data());
      Blend(front.data(), sliceTap.firstWeight, back.data(), sliceTap.secondWeight, width, out.data());
      pass.WriteDestinationRow(z, y, out.data());
    }
  }
}

}  // namespace gfx::textures
