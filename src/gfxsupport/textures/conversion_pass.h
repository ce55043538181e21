// One conversion under way: the two blocks, their codecs and the filter options, with row
// access shared by the resampling strategies.
#pragma once

#include <vector>

#include "gfxsupport/textures/argb32_rows.h"
#include "gfxsupport/textures/pixel_block.h"
#include "gfxsupport/textures/pixel_codec.h"
#include "gfxsupport/textures/texture_filter.h"

namespace gfx::textures {

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
    if (source.format != D3DFMT_A32B32G32R32F || reader.HasColourKey() || reader.SrgbConversion()) return nullptr;
    const BYTE* row = SourceRow(z, y);
    if (reinterpret_cast<uintptr_t>(row) % alignof(FloatColour) != 0) return nullptr;
    return reinterpret_cast<const FloatColour*>(row);
  }
  void ReadSourceRow(uint32_t z, uint32_t y, FloatColour* out) const {
    reader.ReadRow(SourceRow(z, y), source.width, out);
  }
  // `values` holds destination.width colours; they may be changed by the writer.
  void WriteDestinationRow(uint32_t z, uint32_t y, FloatColour* values) const {
    writer.WriteRow(values, destination.width, DestinationRow(z, y), destination.x, destination.y + y);
  }
};

inline bool IsArgb32(D3DFORMAT format) { return format == D3DFMT_A8R8G8B8 || format == D3DFMT_X8R8G8B8; }

// Between the 32-bit ARGB formats, without sRGB or error diffusion, with any key compared on
// the bits: the case of the shortcuts, which give the general path's pixels.
inline bool Argb32ToArgb32(const ConversionPass& pass) {
  return IsArgb32(pass.source.format) && IsArgb32(pass.destination.format) && !pass.reader.SrgbConversion() &&
         !pass.writer.SrgbConversion() && pass.writer.Dither() != DitherMode::Diffusion &&
         (!pass.reader.HasColourKey() || pass.reader.KeyComparesBits());
}

// The source's colour key as bits, for the 32-bit ARGB shortcuts (see KeyComparesBits).
inline Argb32Key SourceKeyBits(const ConversionPass& pass) {
  Argb32Key key;
  key.active = pass.reader.HasColourKey();
  key.bits = pass.reader.KeyBits();
  key.mask = pass.reader.KeyBitsMask();
  return key;
}

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
std::vector<BilinearTaps> MakeBilinearTaps(uint32_t sourceSize, uint32_t destinationSize, bool clampEdges);
// One row of colours, four floats each (FloatColour or FloatBgra), resampled across:
// out[x] = firstWeight * row[first] + secondWeight * row[second], channel by channel.
void ResampleQuadsAcross(const float* row, const BilinearTaps* taps, size_t count, float* out);

// The taps of one axis split where the edges wrap or clamp: in [begin, end) every tap's
// second index is its first plus one, which ResampleQuadsAcross does faster when told.
struct NeighbourTaps {
  size_t begin = 0, end = 0;
  // For each tap in [begin, end): where its two source colours start in the row, in floats.
  std::vector<uint32_t> firstFloats;
};
NeighbourTaps FindNeighbourTaps(const std::vector<BilinearTaps>& taps);
void ResampleQuadsAcross(const float* row, const std::vector<BilinearTaps>& taps, const NeighbourTaps& neighbours,
                         float* out);

// Bilinear resampling between the 32-bit ARGB formats, without sRGB or error diffusion,
// kept in the bytes' own channel order: the same pixels as ResampleBilinear's general path.
bool ResamplesArgb32Directly(const ConversionPass& pass);
void ResampleBilinearArgb32(const ConversionPass& pass);

}  // namespace gfx::textures
