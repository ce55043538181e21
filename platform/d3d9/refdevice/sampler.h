// Texture sampling: point and bilinear filters with texel centres at (k + 0.5) / N, wrap,
// mirror and clamp addressing, and mip level selection (none, nearest, linear between two).
// Leaves out: anisotropic filtering, border colour, LOD bias and clamps, volume and cube maps.
#pragma once

#include <cstdint>

#include "refdevice.h"

namespace refdevice {

// A texture and its sampler state, checked once per draw.
struct BoundSampler {
  const Texture* texture = nullptr;
  SamplerState state;
  // The level of detail changes the result only when the filters differ or mip levels are
  // read; otherwise it is never computed.
  bool usesLevelOfDetail = false;
};

BoundSampler BindSampler(const Texture* texture, const SamplerState& state);

// `levelOfDetail` is log2 of the level-0 texels per pixel (<= 0: magnified). Returns
// 0xAARRGGBB; opaque black without a texture.
uint32_t SampleTexture(const BoundSampler& sampler, float u, float v, float levelOfDetail);

// One level with one filter; exposed for tests of the weights and addressing.
uint32_t SampleLevel(const TextureLevel& level, Filter filter, Address addressU, Address addressV, float u, float v);

// Texel index after addressing, for an integer index that may lie outside 0..size-1.
int ApplyAddressing(int64_t index, int size, Address mode);

}  // namespace refdevice
