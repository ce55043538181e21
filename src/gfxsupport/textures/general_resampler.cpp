// The general resampler: separable weights per axis, a triangle (tent) for FilterTriangle and
// the covered area for FilterBox at ratios other than one half. When shrinking, the kernel
// widens with the ratio so that every source pixel contributes. Edges wrap, or reflect on an
// axis whose mirror flag is set.
#include <algorithm>
#include <cmath>
#include <vector>

#include "gfxsupport/textures/conversion_pass.h"

namespace gfx::textures {

namespace {

uint32_t PlaceTap(int64_t index, int64_t size, bool mirror) {
  if (mirror) {
    const int64_t period = 2 * size;
    int64_t folded = ((index % period) + period) % period;
    if (folded >= size) folded = period - 1 - folded;
    return static_cast<uint32_t>(folded);
  }
  return static_cast<uint32_t>(((index % size) + size) % size);
}

// Taps of every destination index along one axis, weights summing to 1.
std::vector<std::vector<FilterTap>> MakeAxisTaps(uint32_t sourceSize, uint32_t destinationSize, DWORD code,
                                                 bool mirror) {
  std::vector<std::vector<FilterTap>> axis(destinationSize);
  const double scale = static_cast<double>(sourceSize) / destinationSize;
  for (uint32_t i = 0; i < destinationSize; ++i) {
    std::vector<FilterTap>& taps = axis[i];
    if (code == FilterBox) {
      // Area of source pixel k inside the destination pixel's footprint [i*s, (i+1)*s); when
      // enlarging, the footprint is widened to one source pixel around its centre.
      const double centre = (i + 0.5) * scale;
      const double half = std::max(scale, 1.0) / 2;
      const double low = centre - half, high = centre + half;
      for (int64_t k = static_cast<int64_t>(std::floor(low)); k < high; ++k) {
        const double overlap = std::min<double>(high, k + 1) - std::max<double>(low, k);
        if (overlap > 1e-9) taps.push_back({PlaceTap(k, sourceSize, mirror), float(overlap)});
      }
    } else {
      const double centre = (i + 0.5) * scale - 0.5;
      const double radius = std::max(scale, 1.0);
      for (int64_t k = static_cast<int64_t>(std::ceil(centre - radius));
           k <= static_cast<int64_t>(std::floor(centre + radius)); ++k) {
        const double weight = 1.0 - std::fabs(k - centre) / radius;
        if (weight > 1e-9) taps.push_back({PlaceTap(k, sourceSize, mirror), float(weight)});
      }
    }
    float sum = 0;
    for (const FilterTap& tap : taps) sum += tap.weight;
    for (FilterTap& tap : taps) tap.weight /= sum;
  }
  return axis;
}

void AddScaled(FloatColour& sum, const FloatColour& value, float weight) {
  sum.r += value.r * weight;
  sum.g += value.g * weight;
  sum.b += value.b * weight;
  sum.a += value.a * weight;
}

}  // namespace

void ResampleGeneral(const ConversionPass& pass) { ResampleGeneralWithin(pass, kGeneralResamplerMemory); }

void ResampleGeneralWithin(const ConversionPass& pass, size_t memoryLimit) {
  const SourceBlock& source = pass.source;
  const DestinationBlock& destination = pass.destination;
  const DWORD code = pass.options.code;
  const auto columns = MakeAxisTaps(source.width, destination.width, code, pass.options.mirrorU);
  const auto rows = MakeAxisTaps(source.height, destination.height, code, pass.options.mirrorV);
  const auto slices = MakeAxisTaps(source.depth, destination.depth, code, pass.options.mirrorW);
  const size_t width = destination.width;
  std::vector<FloatColour> sourceRow(source.width);

  auto resampleAcross = [&](uint32_t z, uint32_t y, FloatColour* out) {
    pass.ReadSourceRow(z, y, sourceRow.data());
    for (size_t x = 0; x < width; ++x) {
      FloatColour sum{};
      for (const FilterTap& tap : columns[x]) AddScaled(sum, sourceRow[tap.index], tap.weight);
      out[x] = sum;
    }
  };

  // Every source row resampled across once, then combined down and through the slices; when
  // that would take too much memory, each source row is resampled across where it is needed.
  const size_t acrossRows = size_t{source.depth} * source.height;
  const bool keepAll = acrossRows * width * sizeof(FloatColour) <= memoryLimit;
  std::vector<FloatColour> across(keepAll ? acrossRows * width : width);
  if (keepAll) {
    for (uint32_t z = 0; z < source.depth; ++z) {
      for (uint32_t y = 0; y < source.height; ++y)
        resampleAcross(z, y, &across[(size_t{z} * source.height + y) * width]);
    }
  }
  std::vector<FloatColour> row(width);
  for (uint32_t z = 0; z < destination.depth; ++z) {
    pass.writer.BeginSlice();
    for (uint32_t y = 0; y < destination.height; ++y) {
      std::fill(row.begin(), row.end(), FloatColour{});
      for (const FilterTap& sliceTap : slices[z]) {
        for (const FilterTap& rowTap : rows[y]) {
          const float weight = sliceTap.weight * rowTap.weight;
          const FloatColour* in = across.data();
          if (keepAll) {
            in += (size_t{sliceTap.index} * source.height + rowTap.index) * width;
          } else {
            resampleAcross(sliceTap.index, rowTap.index, across.data());
          }
          for (size_t x = 0; x < width; ++x) AddScaled(row[x], in[x], weight);
        }
      }
      pass.WriteDestinationRow(z, y, row.data());
    }
  }
}

}  // namespace gfx::textures
