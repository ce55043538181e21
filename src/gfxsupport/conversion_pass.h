// One conversion under way: the two blocks, their codecs and the filter options, with row
// access shared by the resampling strategies.
#pragma once

#include <vector>

#include "gfxsupport/pixel_block.h"
#include "gfxsupport/pixel_codec.h"
#include "gfxsupport/texture_filter.h"

struct ConversionPass {
  const SourceBlock& source;
  const DestinationBlock& destination;
  PixelCodec& reader;
  PixelCodec& writer;
  FilterOptions options;

  const BYTE* SourceRow(uint32_t z, uint32_t y) const {
    return source.data + z * source.slicePitch + y * source.rowPitch;
  }
  BYTE* DestinationRow(uint32_t z, uint32_t y) const {
    return destination.data + z * destination.slicePitch + y * destination.rowPitch;
  }
  // The row itself when the source already holds FloatColour values that need no key or
  // sRGB treatment; none otherwise (read it with ReadSourceRow).
  const FloatColour* SourceRowInPlace(uint32_t z, uint32_t y) const {
    if (source.format != D3DFMT_A32B32G32R32F || reader.HasColourKey() ||
        reader.SrgbConversion())
      return nullptr;
    const BYTE* row = SourceRow(z, y);
    if (reinterpret_cast<uintptr_t>(row) % alignof(FloatColour) != 0) return nullptr;
    return reinterpret_cast<const FloatColour*>(row);
  }
  void ReadSourceRow(uint32_t z, uint32_t y, FloatColour* out) const {
    reader.ReadRow(SourceRow(z, y), source.width, out);
  }
  // `values` holds destination.width colours; they may be changed by the writer.
  void WriteDestinationRow(uint32_t z, uint32_t y, FloatColour* values) const {
    writer.WriteRow(values, destination.width, DestinationRow(z, y), destination.x,
                    destination.y + y);
  }
};

// Source index for each destination index of one axis, for a source of n and a destination
// of m pixels, with its weight.
struct FilterTap {
  uint32_t index;
  float weight;
};

// Strategies; each converts the whole pass.
void CopyRows(const ConversionPass& pass);
void ConvertSameSize(const ConversionPass& pass);
void ConvertOverlap(const ConversionPass& pass);
void ResamplePoint(const ConversionPass& pass);
bool IsHalving(const ConversionPass& pass);
void ResampleBoxHalf(const ConversionPass& pass);
void ResampleBilinear(const ConversionPass& pass);
void ResampleTrilinear(const ConversionPass& pass);
void ResampleGeneral(const ConversionPass& pass);
// The general resampler keeps every source row resampled across while that fits in
// `memoryLimit` bytes (kGeneralResamplerMemory normally); beyond, it resamples rows as they
// are needed. Both give the same pixels.
inline constexpr size_t kGeneralResamplerMemory = size_t{64} << 20;
void ResampleGeneralWithin(const ConversionPass& pass, size_t memoryLimit);

// The two bilinear taps of each destination index: weights w0 for tap j - 1, 1 - w0 for j.
// Taps outside wrap to the other edge, or clamp when `clampEdges`.
struct BilinearTaps {
  uint32_t first, second;
  float firstWeight, secondWeight;
};
std::vector<BilinearTaps> MakeBilinearTaps(uint32_t sourceSize, uint32_t destinationSize,
                                           bool clampEdges);
