// Implements: scalar sampling with point and bilinear filters and mip selection.
// Leaves out: what sampler.h lists.
#include "sampler.h"

#include <algorithm>
#include <cmath>

#include "color.h"
#include "common/assertion.h"
#include "texel_position.h"
#include "tuning.h"

namespace refdevice {

namespace {

constexpr uint32_t kOpaqueBlack = 0xFF000000u;
constexpr int kWeightOne = 1 << tuning::kFilterWeightBits;

bool IsPowerOfTwo(int n) { return (n & (n - 1)) == 0; }

uint32_t Fetch(const TextureLevel& level, int x, int y) {
  // Addressing leaves every index inside the level.
  ORBELUNE_ASSERT(x >= 0 && x < level.width && y >= 0 && y < level.height);
  const uint8_t* row = reinterpret_cast<const uint8_t*>(level.texels) + y * level.pitchBytes;
  return reinterpret_cast<const uint32_t*>(row)[x];
}

// Per channel: (a * (one - w) + b * w), with rounding, for w in 0..one.
uint32_t LerpTexels(uint32_t a, uint32_t b, int weight) {
  ORBELUNE_ASSERT(weight >= 0 && weight <= kWeightOne);
  uint32_t result = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    uint32_t ca = (a >> shift) & 0xFFu, cb = (b >> shift) & 0xFFu;
    uint32_t mixed = (ca * (kWeightOne - weight) + cb * weight + kWeightOne / 2) >> tuning::kFilterWeightBits;
    result |= mixed << shift;
  }
  return result;
}

}  // namespace

int ApplyAddressing(int64_t index, int size, Address mode) {
  switch (mode) {
    case Address::Clamp:
      return static_cast<int>(std::clamp<int64_t>(index, 0, size - 1));
    case Address::Mirror: {
      int64_t period = 2 * static_cast<int64_t>(size);
      int64_t folded = IsPowerOfTwo(size) ? (index & (period - 1)) : ((index % period) + period) % period;
      return static_cast<int>(folded < size ? folded : period - 1 - folded);
    }
    case Address::Wrap:
    default:
      return static_cast<int>(IsPowerOfTwo(size) ? (index & (size - 1)) : ((index % size) + size) % size);
  }
}

uint32_t SampleLevel(const TextureLevel& level, Filter filter, Address addressU, Address addressV, float u, float v) {
  TexelPosition x = ToTexelPosition(u, level.width, addressU, filter);
  TexelPosition y = ToTexelPosition(v, level.height, addressV, filter);
  if (filter == Filter::Point) {
    return Fetch(level, ApplyAddressing(x.index, level.width, addressU),
                 ApplyAddressing(y.index, level.height, addressV));
  }
  int x0 = ApplyAddressing(x.index, level.width, addressU);
  int x1 = ApplyAddressing(x.index + 1, level.width, addressU);
  int y0 = ApplyAddressing(y.index, level.height, addressV);
  int y1 = ApplyAddressing(y.index + 1, level.height, addressV);
  uint32_t top = LerpTexels(Fetch(level, x0, y0), Fetch(level, x1, y0), x.weight);
  uint32_t bottom = LerpTexels(Fetch(level, x0, y1), Fetch(level, x1, y1), x.weight);
  return LerpTexels(top, bottom, y.weight);
}

BoundSampler BindSampler(const Texture* texture, const SamplerState& state) {
  BoundSampler bound;
  if (texture == nullptr || texture->levelCount <= 0) return bound;
  bound.texture = texture;
  bound.state = state;
  bool readsMips = state.mipFilter != MipFilter::None && texture->levelCount > 1;
  bound.usesLevelOfDetail = readsMips || state.minFilter != state.magFilter;
  return bound;
}

uint32_t SampleTexture(const BoundSampler& sampler, float u, float v, float levelOfDetail) {
  if (sampler.texture == nullptr) return kOpaqueBlack;
  const Texture& texture = *sampler.texture;
  const SamplerState& state = sampler.state;
  uint32_t opaqueMask = texture.alphaIsOpaque ? 0xFF000000u : 0u;

  if (!sampler.usesLevelOfDetail || !(levelOfDetail > 0.0f)) {
    Filter filter = sampler.usesLevelOfDetail ? state.magFilter : state.minFilter;
    return SampleLevel(texture.levels[0], filter, state.addressU, state.addressV, u, v) | opaqueMask;
  }

  int lastLevel = texture.levelCount - 1;
  auto sampleAt = [&](int level) {
    return SampleLevel(texture.levels[std::min(level, lastLevel)], state.minFilter, state.addressU, state.addressV, u,
                       v);
  };
  // Capped so the conversions below stay in range whatever the derivatives were.
  float lod = std::min(levelOfDetail, static_cast<float>(kMaxTextureLevels));
  switch (state.mipFilter) {
    case MipFilter::None:
      return sampleAt(0) | opaqueMask;
    case MipFilter::Point:
      return sampleAt(static_cast<int>(std::floor(lod + 0.5f))) | opaqueMask;
    case MipFilter::Linear:
    default: {
      int level = static_cast<int>(std::floor(lod));
      if (level >= lastLevel) return sampleAt(lastLevel) | opaqueMask;
      int weight = static_cast<int>((lod - level) * kWeightOne + 0.5f);
      return LerpTexels(sampleAt(level), sampleAt(level + 1), weight) | opaqueMask;
    }
  }
}

}  // namespace refdevice
