// Implements: the SSE2 span shader and its copies specialised by addressing, blend and stage.
// Leaves out: mip-mapped sampling, differing min/mag filters and textures with sides or pitch
// not a power of two; those draws take the scalar pipeline.
#include "span_simd.h"

#include <cstdint>

#include <new>

#include "depth.h"
#include "span_avx2.h"
#include "span_plans.h"
#include "texel_position.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace refdevice {

namespace {

bool IsPowerOfTwo(int n) { return n > 0 && (n & (n - 1)) == 0; }

}  // namespace

#if !defined(__SSE2__)

bool SimdSpanSupports(const PixelPipeline&) { return false; }
SimdWidth WidestSimd() { return SimdWidth::Four; }
void PrepareSimdSpans(PixelPipeline&, SimdWidth) {}

#else

// Whether a target's pixels can be numbered y * pitch + x in 32 bits.
bool FitsPixelOffsets(size_t pitchBytes, size_t bytesPerPixel, int height) {
  return pitchBytes % bytesPerPixel == 0 && pitchBytes / bytesPerPixel * size_t(height) <= size_t(INT32_MAX);
}

bool SimdSpanSupports(const PixelPipeline& pipeline) {
  if (!FitsPixelOffsets(pipeline.color.pitchBytes, 4, pipeline.color.height)) return false;
  if (pipeline.depthActive && !FitsPixelOffsets(pipeline.depth.pitchBytes, 2, pipeline.depth.height)) return false;
  if (!pipeline.readsTexture) return true;
  if (pipeline.sampler.usesLevelOfDetail) return false;
  const TextureLevel& level = pipeline.sampler.texture->levels[0];
  // Texel offsets are computed as (y << shift) + x.
  return IsPowerOfTwo(level.width) && IsPowerOfTwo(level.height) && level.pitchBytes % 4 == 0 &&
         level.pitchBytes / 4 <= (size_t(1) << 24) && IsPowerOfTwo(int(level.pitchBytes / 4));
}

namespace {

// ---- Texel positions, as ToTexelPosition does them ----

inline __m128i FloorToInt(__m128 s) {
  __m128i truncated = _mm_cvttps_epi32(s);
  // Truncation rounds negative values up; step those back by one.
  __m128 roundedUp = _mm_cmpgt_ps(_mm_cvtepi32_ps(truncated), s);
  return _mm_add_epi32(truncated, _mm_castps_si128(roundedUp));
}

struct Axis {
  __m128 size;
  __m128i sizeMinusOne, periodMinusOne, sizeBit;
  Address mode;
};

Axis MakeAxis(int size, Address mode) {
  Axis axis;
  axis.size = _mm_set1_ps(static_cast<float>(size));
  axis.sizeMinusOne = _mm_set1_epi32(size - 1);
  axis.periodMinusOne = _mm_set1_epi32(2 * size - 1);
  axis.sizeBit = _mm_set1_epi32(size);
  axis.mode = mode;
  return axis;
}

template <AddressPlan kPlan>
inline Address ModeOf(const Axis& axis) {
  if constexpr (kPlan == AddressPlan::Wrap) return Address::Wrap;
  if constexpr (kPlan == AddressPlan::Mirror) return Address::Mirror;
  if constexpr (kPlan == AddressPlan::Clamp) return Address::Clamp;
  return axis.mode;
}

template <AddressPlan kPlan>
inline __attribute__((always_inline)) void TexelPositions(__m128 coordinate, const Axis& axis, bool linear,
                                                          __m128i& index, __m128i& weight) {
  __m128 s = _mm_mul_ps(coordinate, axis.size);
  if (linear) s = _mm_sub_ps(s, _mm_set1_ps(0.5f));
  s = _mm_max_ps(s, _mm_set1_ps(-kTexelCoordinateLimit));  // a NaN becomes the second operand
  s = _mm_min_ps(s, _mm_set1_ps(kTexelCoordinateLimit));
  if (ModeOf<kPlan>(axis) == Address::Clamp) s = _mm_min_ps(_mm_max_ps(s, _mm_set1_ps(-1.0f)), axis.size);
  index = FloorToInt(s);
  __m128 fraction = _mm_sub_ps(s, _mm_cvtepi32_ps(index));
  weight = _mm_cvttps_epi32(
      _mm_add_ps(_mm_mul_ps(fraction, _mm_set1_ps(float(1 << tuning::kFilterWeightBits))), _mm_set1_ps(0.5f)));
}

// ApplyAddressing for power-of-two sizes.
template <AddressPlan kPlan>
inline __m128i Address4(__m128i index, const Axis& axis) {
  switch (ModeOf<kPlan>(axis)) {
    case Address::Wrap:
      return _mm_and_si128(index, axis.sizeMinusOne);
    case Address::Mirror: {
      __m128i folded = _mm_and_si128(index, axis.periodMinusOne);
      // In the second half, period - 1 - folded is folded with all its low bits flipped.
      __m128i second = _mm_cmpeq_epi32(_mm_and_si128(folded, axis.sizeBit), axis.sizeBit);
      return _mm_xor_si128(folded, _mm_and_si128(second, axis.periodMinusOne));
    }
    case Address::Clamp:
    default: {
      __m128i nonNegative = _mm_andnot_si128(_mm_cmplt_epi32(index, _mm_setzero_si128()), index);
      __m128i over = _mm_cmpgt_epi32(nonNegative, axis.sizeMinusOne);
      return _mm_or_si128(_mm_andnot_si128(over, nonNegative), _mm_and_si128(over, axis.sizeMinusOne));
    }
  }
}

// ---- 8-bit channel arithmetic in 16-bit lanes: two pixels a register, b g r a each ----

inline __m128i Low16(__m128i pixels) { return _mm_unpacklo_epi8(pixels, _mm_setzero_si128()); }
inline __m128i High16(__m128i pixels) { return _mm_unpackhi_epi8(pixels, _mm_setzero_si128()); }

// Four 32-bit weights spread over the channels of pixels 0-1 (low) and 2-3 (high).
inline void SpreadWeights(__m128i weights, __m128i& low, __m128i& high) {
  __m128i packed = _mm_packs_epi32(weights, weights);
  __m128i doubled = _mm_unpacklo_epi16(packed, packed);
  low = _mm_unpacklo_epi32(doubled, doubled);
  high = _mm_unpackhi_epi32(doubled, doubled);
}

// (a * (one - w) + b * w + one / 2) >> bits: at most 255 * 256 + 128, inside 16 bits.
inline __m128i Lerp16(__m128i a, __m128i b, __m128i weight) {
  const __m128i one = _mm_set1_epi16(1 << tuning::kFilterWeightBits);
  __m128i sum = _mm_add_epi16(_mm_mullo_epi16(a, _mm_sub_epi16(one, weight)), _mm_mullo_epi16(b, weight));
  sum = _mm_add_epi16(sum, _mm_set1_epi16(1 << (tuning::kFilterWeightBits - 1)));
  return _mm_srli_epi16(sum, tuning::kFilterWeightBits);
}

// round(x / 255) = (x + 127) / 255; x * 0x8081 >> 23 is exact division by 255 over 16 bits.
// Saturation only touches sums whose result is above 255 anyway.
inline __m128i DivideBy255(__m128i x) {
  __m128i biased = _mm_adds_epu16(x, _mm_set1_epi16(127));
  return _mm_srli_epi16(_mm_mulhi_epu16(biased, _mm_set1_epi16(static_cast<short>(0x8081))), 7);
}

inline __m128i Saturate255(__m128i x) { return _mm_min_epi16(x, _mm_set1_epi16(255)); }

inline __m128i BroadcastAlpha(__m128i x) { return _mm_shufflehi_epi16(_mm_shufflelo_epi16(x, 0xFF), 0xFF); }

inline __m128i Operate(StageOperation operation, __m128i first, __m128i second, __m128i diffuse) {
  switch (operation) {
    case StageOperation::Disable:
      return diffuse;
    case StageOperation::SelectArg1:
      return first;
    case StageOperation::SelectArg2:
      return second;
    case StageOperation::Modulate:
      return DivideBy255(_mm_mullo_epi16(first, second));
    case StageOperation::Modulate2x: {
      __m128i product = _mm_mullo_epi16(first, second);
      return Saturate255(DivideBy255(_mm_adds_epu16(product, product)));
    }
    case StageOperation::Modulate4x: {
      __m128i product = _mm_mullo_epi16(first, second);
      __m128i doubled = _mm_adds_epu16(product, product);
      return Saturate255(DivideBy255(_mm_adds_epu16(doubled, doubled)));
    }
    case StageOperation::Add:
      return Saturate255(_mm_adds_epu16(first, second));
  }
  return diffuse;
}

inline __m128i Argument(StageArgument argument, __m128i texel, __m128i diffuse) {
  return argument == StageArgument::Texture ? texel : diffuse;
}

const __m128i kAlphaLanes16 = _mm_setr_epi16(0, 0, 0, -1, 0, 0, 0, -1);

template <StagePlan kPlan>
inline __m128i CombineStage16(const TextureStage& stage, __m128i texel, __m128i diffuse) {
  if constexpr (kPlan == StagePlan::ModulateWithDoubledAlpha) {
    // The alpha product doubled (saturating) and every channel divided once: the colour's
    // quotients are at most 255, which the saturation leaves as they are.
    const __m128i product = _mm_mullo_epi16(texel, diffuse);
    const __m128i doubled = _mm_adds_epu16(product, _mm_and_si128(product, kAlphaLanes16));
    return Saturate255(DivideBy255(doubled));
  } else {
    if (stage.color.operation == StageOperation::Disable) return diffuse;
    __m128i color = Operate(stage.color.operation, Argument(stage.color.argument1, texel, diffuse),
                            Argument(stage.color.argument2, texel, diffuse), diffuse);
    __m128i alpha = Operate(stage.alpha.operation, Argument(stage.alpha.argument1, texel, diffuse),
                            Argument(stage.alpha.argument2, texel, diffuse), diffuse);
    return _mm_or_si128(_mm_andnot_si128(kAlphaLanes16, color), _mm_and_si128(kAlphaLanes16, alpha));
  }
}

inline __m128i BlendFactor16(BlendFactor factor, __m128i source, __m128i destination) {
  const __m128i full = _mm_set1_epi16(255);
  switch (factor) {
    case BlendFactor::Zero:
      return _mm_setzero_si128();
    case BlendFactor::One:
      return full;
    case BlendFactor::SourceColor:
      return source;
    case BlendFactor::InverseSourceColor:
      return _mm_sub_epi16(full, source);
    case BlendFactor::SourceAlpha:
      return BroadcastAlpha(source);
    case BlendFactor::InverseSourceAlpha:
      return _mm_sub_epi16(full, BroadcastAlpha(source));
    case BlendFactor::DestinationAlpha:
      return BroadcastAlpha(destination);
    case BlendFactor::InverseDestinationAlpha:
      return _mm_sub_epi16(full, BroadcastAlpha(destination));
    case BlendFactor::DestinationColor:
      return destination;
    case BlendFactor::InverseDestinationColor:
      return _mm_sub_epi16(full, destination);
  }
  return _mm_setzero_si128();
}

template <BlendPlan kPlan>
inline __m128i Blend16(const BlendState& blend, __m128i source, __m128i destination) {
  if constexpr (kPlan == BlendPlan::SourceAlphaOver) {
    // source * a + destination * (255 - a) stays within 255 * 255: no saturation needed.
    __m128i alpha = BroadcastAlpha(source);
    __m128i sum = _mm_add_epi16(_mm_mullo_epi16(source, alpha),
                                _mm_mullo_epi16(destination, _mm_sub_epi16(_mm_set1_epi16(255), alpha)));
    return DivideBy255(sum);
  } else {
    __m128i sum = _mm_adds_epu16(_mm_mullo_epi16(source, BlendFactor16(blend.source, source, destination)),
                                 _mm_mullo_epi16(destination, BlendFactor16(blend.destination, source, destination)));
    return Saturate255(DivideBy255(sum));
  }
}

// Colour channels from float vectors, rounded as PackColorChannels does.
inline __m128i ToChannels(__m128 value) {
  value = _mm_max_ps(value, _mm_setzero_ps());  // NaN and negatives become 0
  value = _mm_min_ps(value, _mm_set1_ps(255.0f));
  return _mm_cvttps_epi32(_mm_add_ps(value, _mm_set1_ps(0.5f)));
}

struct SpanTexture {
  Axis axisU, axisV;
  bool linear;
  const uint32_t* texels;
  __m128i rowShift;  // log2 of the pitch in texels
};

// Samples four pixels' texels; returns them as 32-bit pixels in 16-bit lanes.
template <AddressPlan kAddress>
inline __attribute__((always_inline)) void SampleFour(const SpanTexture& texture, __m128 u, __m128 v, __m128i& low,
                                                      __m128i& high) {
  __m128i indexU, weightU, indexV, weightV;
  TexelPositions<kAddress>(u, texture.axisU, texture.linear, indexU, weightU);
  TexelPositions<kAddress>(v, texture.axisV, texture.linear, indexV, weightV);
  __m128i x0 = Address4<kAddress>(indexU, texture.axisU);
  __m128i row0 = _mm_sll_epi32(Address4<kAddress>(indexV, texture.axisV), texture.rowShift);
  const uint32_t* texels = texture.texels;
  if (!texture.linear) {
    alignas(16) int32_t offset[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(offset), _mm_add_epi32(row0, x0));
    __m128i fetched =
        _mm_setr_epi32(int(texels[offset[0]]), int(texels[offset[1]]), int(texels[offset[2]]), int(texels[offset[3]]));
    low = Low16(fetched);
    high = High16(fetched);
    return;
  }
  const __m128i one = _mm_set1_epi32(1);
  __m128i x1 = Address4<kAddress>(_mm_add_epi32(indexU, one), texture.axisU);
  __m128i row1 = _mm_sll_epi32(Address4<kAddress>(_mm_add_epi32(indexV, one), texture.axisV), texture.rowShift);
  __m128i a, b, c, d;
  __m128i offset00 = _mm_add_epi32(row0, x0), offset01 = _mm_add_epi32(row1, x0);
  if (_mm_movemask_epi8(_mm_cmpeq_epi32(x1, _mm_add_epi32(x0, one))) == 0xFFFF) {
    // Every pixel's two texels of a row are neighbours in memory: one 64-bit load fetches both.
    alignas(16) int32_t o00[4], o01[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(o00), offset00);
    _mm_store_si128(reinterpret_cast<__m128i*>(o01), offset01);
    auto pair = [texels](int32_t offset) { return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(texels + offset)); };
    auto split = [](__m128i pixels01, __m128i pixels23, __m128i& first, __m128i& second) {
      __m128 low = _mm_castsi128_ps(pixels01), high = _mm_castsi128_ps(pixels23);
      first = _mm_castps_si128(_mm_shuffle_ps(low, high, _MM_SHUFFLE(2, 0, 2, 0)));
      second = _mm_castps_si128(_mm_shuffle_ps(low, high, _MM_SHUFFLE(3, 1, 3, 1)));
    };
    split(_mm_unpacklo_epi64(pair(o00[0]), pair(o00[1])), _mm_unpacklo_epi64(pair(o00[2]), pair(o00[3])), a, b);
    split(_mm_unpacklo_epi64(pair(o01[0]), pair(o01[1])), _mm_unpacklo_epi64(pair(o01[2]), pair(o01[3])), c, d);
  } else {
    alignas(16) int32_t o00[4], o10[4], o01[4], o11[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(o00), offset00);
    _mm_store_si128(reinterpret_cast<__m128i*>(o10), _mm_add_epi32(row0, x1));
    _mm_store_si128(reinterpret_cast<__m128i*>(o01), offset01);
    _mm_store_si128(reinterpret_cast<__m128i*>(o11), _mm_add_epi32(row1, x1));
    a = _mm_setr_epi32(int(texels[o00[0]]), int(texels[o00[1]]), int(texels[o00[2]]), int(texels[o00[3]]));
    b = _mm_setr_epi32(int(texels[o10[0]]), int(texels[o10[1]]), int(texels[o10[2]]), int(texels[o10[3]]));
    c = _mm_setr_epi32(int(texels[o01[0]]), int(texels[o01[1]]), int(texels[o01[2]]), int(texels[o01[3]]));
    d = _mm_setr_epi32(int(texels[o11[0]]), int(texels[o11[1]]), int(texels[o11[2]]), int(texels[o11[3]]));
  }
  __m128i weightULow, weightUHigh, weightVLow, weightVHigh;
  SpreadWeights(weightU, weightULow, weightUHigh);
  SpreadWeights(weightV, weightVLow, weightVHigh);
  low = Lerp16(Lerp16(Low16(a), Low16(b), weightULow), Lerp16(Low16(c), Low16(d), weightULow), weightVLow);
  high = Lerp16(Lerp16(High16(a), High16(b), weightUHigh), Lerp16(High16(c), High16(d), weightUHigh), weightVHigh);
}

// A comparison as the outcomes it accepts: less, equal, greater.
struct DepthTest {
  __m128i less, equal, greater;
  bool notGreater;  // accepts exactly less and equal, the usual test: one comparison
};

DepthTest MakeDepthTest(const PixelPipeline& pipeline) {
  auto mask = [](bool accepted) { return _mm_set1_epi32(accepted ? -1 : 0); };
  return {mask(pipeline.depthAcceptsLess), mask(pipeline.depthAcceptsEqual), mask(pipeline.depthAcceptsGreater),
          pipeline.depthAcceptsLess && pipeline.depthAcceptsEqual && !pipeline.depthAcceptsGreater};
}

inline __m128i DepthPassMask(const DepthTest& test, __m128i incoming, __m128i stored) {
  if (test.notGreater) return _mm_xor_si128(_mm_cmpgt_epi32(incoming, stored), _mm_set1_epi32(-1));
  return _mm_or_si128(_mm_or_si128(_mm_and_si128(test.less, _mm_cmplt_epi32(incoming, stored)),
                                   _mm_and_si128(test.equal, _mm_cmpeq_epi32(incoming, stored))),
                      _mm_and_si128(test.greater, _mm_cmpgt_epi32(incoming, stored)));
}

// Lanes to keep from the destination, by the bit mask of lanes written.
alignas(16) const int32_t kKeepLanes[16][4] = {{-1, -1, -1, -1}, {0, -1, -1, -1}, {-1, 0, -1, -1}, {0, 0, -1, -1},
                                               {-1, -1, 0, -1},  {0, -1, 0, -1},  {-1, 0, 0, -1},  {0, 0, 0, -1},
                                               {-1, -1, -1, 0},  {0, -1, -1, 0},  {-1, 0, -1, 0},  {0, 0, -1, 0},
                                               {-1, -1, 0, 0},   {0, -1, 0, 0},   {-1, 0, 0, 0},   {0, 0, 0, 0}};

inline __m128i DepthToUnorm16Four(__m128 z) {
  z = _mm_min_ps(_mm_max_ps(z, _mm_setzero_ps()), _mm_set1_ps(1.0f));
  return _mm_cvttps_epi32(_mm_add_ps(_mm_mul_ps(z, _mm_set1_ps(65535.0f)), _mm_set1_ps(0.5f)));
}

// Depth test and write for four neighbouring pixels of a row; returns the lanes that pass.
inline unsigned TestDepthRow(const PixelPipeline& pipeline, const DepthTest& test, uint16_t* depth, __m128 z) {
  __m128i incoming = DepthToUnorm16Four(z);
  __m128i stored = _mm_unpacklo_epi16(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(depth)), _mm_setzero_si128());
  __m128i passes = DepthPassMask(test, incoming, stored);
  unsigned live = unsigned(_mm_movemask_ps(_mm_castsi128_ps(passes)));
  if (live != 0 && pipeline.depthState.writeEnable) {
    __m128i merged = _mm_or_si128(_mm_and_si128(passes, incoming), _mm_andnot_si128(passes, stored));
    // Pack 0..65535 through the signed saturating pack by moving it to -32768..32767.
    const __m128i bias = _mm_set1_epi32(32768);
    __m128i packed = _mm_packs_epi32(_mm_sub_epi32(merged, bias), _mm_sub_epi32(merged, bias));
    packed = _mm_xor_si128(packed, _mm_set1_epi16(static_cast<short>(0x8000)));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(depth), packed);
  }
  return live;
}

// What stays the same for every pixel of one call.
struct ShadeConstants {
  SpanTexture texture;
  bool opaqueTexels;
  __m128i targetAlphaMask;
  DepthTest depthTest;
};

ShadeConstants MakeShadeConstants(const PixelPipeline& pipeline) {
  ShadeConstants k;
  SpanTexture& texture = k.texture;
  if (pipeline.readsTexture) {
    const TextureLevel& level = pipeline.sampler.texture->levels[0];
    texture.axisU = MakeAxis(level.width, pipeline.sampler.state.addressU);
    texture.axisV = MakeAxis(level.height, pipeline.sampler.state.addressV);
    texture.linear = pipeline.sampler.state.minFilter == Filter::Linear;
    texture.texels = level.texels;
    texture.rowShift = _mm_cvtsi32_si128(pipeline.textureRowShift);
  } else {
    texture.axisU = texture.axisV = MakeAxis(1, Address::Wrap);
    texture.linear = false;
    texture.texels = nullptr;
    texture.rowShift = _mm_setzero_si128();
  }
  k.opaqueTexels = pipeline.sampler.texture != nullptr && pipeline.sampler.texture->alphaIsOpaque;
  k.targetAlphaMask = _mm_set1_epi32(pipeline.color.alphaIsOpaque ? int(0xFF000000u) : 0);
  k.depthTest = MakeDepthTest(pipeline);
  return k;
}

// Texture stage 0's output for four pixels, from their interpolated values: `w` (1 without
// perspective), the texture coordinates and, per channel, colourAt(channel), all before the
// multiplication by w, as the scalar pipeline orders it.
template <AddressPlan kAddress, StagePlan kStage, typename ColorAt>
inline __attribute__((always_inline)) void SourceFour(const PixelPipeline& pipeline, const SetupTriangle& triangle,
                                                      const ShadeConstants& k, __m128 w, __m128 u, __m128 v,
                                                      ColorAt colorAt, __m128i& sourceLow, __m128i& sourceHigh) {
  __m128i diffuseLow, diffuseHigh;
  if (triangle.FlatColor()) {
    __m128i diffuse = _mm_set1_epi32(int(triangle.flatDiffuse));
    diffuseLow = Low16(diffuse);
    diffuseHigh = High16(diffuse);
  } else {
    __m128i channels[4];
    for (int channel = 0; channel < 4; ++channel) {
      __m128 value = colorAt(channel);
      if (triangle.Perspective()) value = _mm_mul_ps(value, w);
      channels[channel] = ToChannels(value);
    }
    __m128i packed = _mm_or_si128(_mm_or_si128(channels[0], _mm_slli_epi32(channels[1], 8)),
                                  _mm_or_si128(_mm_slli_epi32(channels[2], 16), _mm_slli_epi32(channels[3], 24)));
    diffuseLow = Low16(packed);
    diffuseHigh = High16(packed);
  }

  __m128i texelLow, texelHigh;
  if (pipeline.readsTexture) {
    if (triangle.Perspective()) {
      u = _mm_mul_ps(u, w);
      v = _mm_mul_ps(v, w);
    }
    SampleFour<kAddress>(k.texture, u, v, texelLow, texelHigh);
    if (k.opaqueTexels) {
      __m128i texels = _mm_or_si128(_mm_packus_epi16(texelLow, texelHigh), _mm_set1_epi32(int(0xFF000000u)));
      texelLow = Low16(texels);
      texelHigh = High16(texels);
    }
  } else {
    __m128i black = _mm_set1_epi32(int(0xFF000000u));
    texelLow = Low16(black);
    texelHigh = High16(black);
  }
  sourceLow = CombineStage16<kStage>(pipeline.stage, texelLow, diffuseLow);
  sourceHigh = CombineStage16<kStage>(pipeline.stage, texelHigh, diffuseHigh);
}

// The four pixels to write: the source blended over `destination` where blending is on.
template <BlendPlan kBlend>
inline __attribute__((always_inline)) __m128i BlendFour(const PixelPipeline& pipeline, const ShadeConstants& k,
                                                        __m128i sourceLow, __m128i sourceHigh, __m128i destination) {
  __m128i result;
  if constexpr (kBlend == BlendPlan::Off) {
    result = _mm_packus_epi16(sourceLow, sourceHigh);
  } else {
    if constexpr (kBlend == BlendPlan::SourceAlphaOver) {
      // Fully opaque sources replace the destination exactly, (s * 255 + 127) / 255 = s, and
      // fully transparent ones leave it as it was, (d * 255 + 127) / 255 = d.
      constexpr int kAlphaBytes = 0xC0C0;
      __m128i bothOpaque = _mm_cmpeq_epi16(_mm_and_si128(sourceLow, sourceHigh), _mm_set1_epi16(255));
      if ((_mm_movemask_epi8(bothOpaque) & kAlphaBytes) == kAlphaBytes) {
        return _mm_or_si128(_mm_packus_epi16(sourceLow, sourceHigh), k.targetAlphaMask);
      }
      __m128i bothClear = _mm_cmpeq_epi16(_mm_or_si128(sourceLow, sourceHigh), _mm_setzero_si128());
      if ((_mm_movemask_epi8(bothClear) & kAlphaBytes) == kAlphaBytes)
        return _mm_or_si128(destination, k.targetAlphaMask);
    }
    __m128i readDestination = _mm_or_si128(destination, k.targetAlphaMask);
    result = _mm_packus_epi16(Blend16<kBlend>(pipeline.blend, sourceLow, Low16(readDestination)),
                              Blend16<kBlend>(pipeline.blend, sourceHigh, High16(readDestination)));
  }
  return _mm_or_si128(result, k.targetAlphaMask);
}

// Pixels gathered from several rows, shaded four at a time: what is left of the runs after
// their whole groups of four, which for small triangles is nearly every pixel. Each pixel's
// colour and depth are found at its byte offsets from the targets' first pixel.
struct ScatteredPixels {
  static constexpr int kCapacity = 3 * tuning::kTileSize + 4;
  int count = 0;
  alignas(16) int32_t x[kCapacity];
  alignas(16) int32_t y[kCapacity];
  size_t colorOffset[kCapacity];
  size_t depthOffset[kCapacity];
};

template <AddressPlan kAddress, BlendPlan kBlend, StagePlan kStage>
void ShadeScattered(const PixelPipeline& pipeline, const SetupTriangle& triangle, const ShadeConstants& k,
                    ScatteredPixels& pixels) {
  // Pad the last group with copies of its last pixel. Lanes are written back from the last to
  // the first, each either shaded or as it was read, so the real lane's value is what stays.
  const int count = pixels.count;
  for (int i = count; i < count + 3; ++i) {
    pixels.x[i] = pixels.x[count - 1];
    pixels.y[i] = pixels.y[count - 1];
    pixels.colorOffset[i] = pixels.colorOffset[count - 1];
    pixels.depthOffset[i] = pixels.depthOffset[count - 1];
  }
  const __m128 originX = _mm_set1_ps(triangle.originX), originY = _mm_set1_ps(triangle.originY);
  uint8_t* const colorBase = reinterpret_cast<uint8_t*>(pipeline.color.pixels);
  uint8_t* const depthBase = reinterpret_cast<uint8_t*>(pipeline.depth.depth);

  for (int first = 0; first < count; first += 4) {
    const __m128i xs = _mm_load_si128(reinterpret_cast<const __m128i*>(pixels.x + first));
    const __m128i ys = _mm_load_si128(reinterpret_cast<const __m128i*>(pixels.y + first));
    // (float)x - originX and (float)y - originY per lane, as the scalar pipeline computes them.
    const __m128 dx = _mm_sub_ps(_mm_cvtepi32_ps(xs), originX);
    const __m128 dy = _mm_sub_ps(_mm_cvtepi32_ps(ys), originY);
    auto at = [dx, dy](const AttributePlane& p) {
      return _mm_add_ps(_mm_add_ps(_mm_mul_ps(_mm_set1_ps(p.a), dx), _mm_mul_ps(_mm_set1_ps(p.b), dy)),
                        _mm_set1_ps(p.c));
    };
    const int lanes = count - first < 4 ? count - first : 4;
    unsigned live = (1u << lanes) - 1;
    uint32_t* color[4];
    for (int lane = 0; lane < 4; ++lane) {
      color[lane] = reinterpret_cast<uint32_t*>(colorBase + pixels.colorOffset[first + lane]);
    }
    if (pipeline.depthActive) {
      uint16_t* depth[4];
      for (int lane = 0; lane < 4; ++lane) {
        depth[lane] = reinterpret_cast<uint16_t*>(depthBase + pixels.depthOffset[first + lane]);
      }
      __m128i incoming = DepthToUnorm16Four(at(triangle.depth));
      __m128i stored = _mm_setr_epi32(*depth[0], *depth[1], *depth[2], *depth[3]);
      __m128i passes = _mm_andnot_si128(_mm_load_si128(reinterpret_cast<const __m128i*>(kKeepLanes[live])),
                                        DepthPassMask(k.depthTest, incoming, stored));
      live = unsigned(_mm_movemask_ps(_mm_castsi128_ps(passes)));
      if (live == 0) continue;
      if (pipeline.depthState.writeEnable) {
        alignas(16) int32_t merged[4];
        _mm_store_si128(reinterpret_cast<__m128i*>(merged),
                        _mm_or_si128(_mm_and_si128(passes, incoming), _mm_andnot_si128(passes, stored)));
        for (int lane = 3; lane >= 0; --lane) *depth[lane] = static_cast<uint16_t>(merged[lane]);
      }
    }

    __m128 w = _mm_set1_ps(1.0f);
    if (triangle.Perspective()) w = _mm_div_ps(_mm_set1_ps(1.0f), at(triangle.extras->q));
    __m128i sourceLow, sourceHigh;
    SourceFour<kAddress, kStage>(
        pipeline, triangle, k, w, at(triangle.texcoord[0]), at(triangle.texcoord[1]),
        [&](int channel) { return at(triangle.extras->color[channel]); }, sourceLow, sourceHigh);

    const __m128i destination = _mm_setr_epi32(int(*color[0]), int(*color[1]), int(*color[2]), int(*color[3]));
    __m128i result = BlendFour<kBlend>(pipeline, k, sourceLow, sourceHigh, destination);
    __m128i keep = _mm_load_si128(reinterpret_cast<const __m128i*>(kKeepLanes[live]));
    alignas(16) uint32_t merged[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(merged),
                    _mm_or_si128(_mm_and_si128(keep, destination), _mm_andnot_si128(keep, result)));
    for (int lane = 3; lane >= 0; --lane) *color[lane] = merged[lane];
  }
}

template <AddressPlan kAddress, BlendPlan kBlend, StagePlan kStage>
void ShadeSpanPlanned(const PixelPipeline& pipeline, const SetupTriangle& triangle, const Span* spans, int count,
                      int /*areaEndX*/) {
  const ShadeConstants& k = *std::launder(reinterpret_cast<const ShadeConstants*>(pipeline.shaderConstants));

  // Each attribute as a * dx + (b * dy) + c, the scalar pipeline's order of operations.
  struct Plane {
    __m128 a, c;
    float b;
  };
  struct Row {
    __m128 a, bdy, c;
    __m128 At(__m128 dx) const { return _mm_add_ps(_mm_add_ps(_mm_mul_ps(a, dx), bdy), c); }
  };
  auto plane = [](const AttributePlane& p) { return Plane{_mm_set1_ps(p.a), _mm_set1_ps(p.c), p.b}; };
  const Plane depthPlane = plane(triangle.depth);
  const Plane qPlane = plane(triangle.Perspective() ? triangle.extras->q : AttributePlane{0.0f, 0.0f, 1.0f});
  const Plane uPlane = plane(triangle.texcoord[0]), vPlane = plane(triangle.texcoord[1]);
  const __m128 laneOffsets = _mm_setr_ps(0.0f, 1.0f, 2.0f, 3.0f);
  const __m128 originX = _mm_set1_ps(triangle.originX);

  ScatteredPixels scattered;
  for (const Span* span = spans; span != spans + count; ++span) {
    const int y = span->y, xBegin = span->xBegin, xEnd = span->xEnd;
    // Whole groups of four are shaded along the row; the rest joins the scattered pixels.
    const int groupsEnd = xBegin + ((xEnd - xBegin) & ~3);
    const size_t colorRowOffset = size_t(y) * pipeline.color.pitchBytes;
    const size_t depthRowOffset = size_t(y) * pipeline.depth.pitchBytes;
    // Always three entries (there is room past the count), of which the leftover ones count:
    // no branch on the run's length.
    for (int j = 0; j < 3; ++j) {
      const int i = scattered.count + j, x = groupsEnd + j;
      scattered.x[i] = x;
      scattered.y[i] = y;
      scattered.colorOffset[i] = colorRowOffset + size_t(x) * 4;
      scattered.depthOffset[i] = depthRowOffset + size_t(x) * 2;
    }
    scattered.count += xEnd - groupsEnd;
    // Callers may pass any number of runs: shade what is gathered before the room runs out.
    if (scattered.count > ScatteredPixels::kCapacity - 8) {
      ShadeScattered<kAddress, kBlend, kStage>(pipeline, triangle, k, scattered);
      scattered.count = 0;
    }
    if (groupsEnd == xBegin) continue;

    uint32_t* colorRow = reinterpret_cast<uint32_t*>(reinterpret_cast<uint8_t*>(pipeline.color.pixels) +
                                                     size_t(y) * pipeline.color.pitchBytes);
    uint16_t* depthRow = nullptr;
    if (pipeline.depthActive) {
      depthRow = reinterpret_cast<uint16_t*>(reinterpret_cast<uint8_t*>(pipeline.depth.depth) +
                                             size_t(y) * pipeline.depth.pitchBytes);
    }
    const float dy = static_cast<float>(y) - triangle.originY;
    auto row = [dy](const Plane& p) { return Row{p.a, _mm_set1_ps(p.b * dy), p.c}; };
    auto rowOf = [dy](const AttributePlane& p) {
      return Row{_mm_set1_ps(p.a), _mm_set1_ps(p.b * dy), _mm_set1_ps(p.c)};
    };
    const Row depthRowPlane = row(depthPlane), qRow = row(qPlane), uRow = row(uPlane), vRow = row(vPlane);

    for (int x = xBegin; x < groupsEnd; x += 4) {
      // (float)x - originX per lane, as the scalar pipeline computes it.
      const __m128 dx = _mm_sub_ps(_mm_add_ps(_mm_set1_ps(static_cast<float>(x)), laneOffsets), originX);
      unsigned live = 0xFu;
      if (depthRow != nullptr) {
        live = TestDepthRow(pipeline, k.depthTest, depthRow + x, depthRowPlane.At(dx));
        if (live == 0) continue;
      }

      __m128 w = _mm_set1_ps(1.0f);
      if (triangle.Perspective()) w = _mm_div_ps(_mm_set1_ps(1.0f), qRow.At(dx));
      __m128i sourceLow, sourceHigh;
      SourceFour<kAddress, kStage>(
          pipeline, triangle, k, w, uRow.At(dx), vRow.At(dx),
          [&](int channel) { return rowOf(triangle.extras->color[channel]).At(dx); }, sourceLow, sourceHigh);

      __m128i destination = _mm_loadu_si128(reinterpret_cast<const __m128i*>(colorRow + x));
      __m128i result = BlendFour<kBlend>(pipeline, k, sourceLow, sourceHigh, destination);
      if (live != 0xFu) {
        __m128i keep = _mm_load_si128(reinterpret_cast<const __m128i*>(kKeepLanes[live]));
        result = _mm_or_si128(_mm_and_si128(keep, destination), _mm_andnot_si128(keep, result));
      }
      _mm_storeu_si128(reinterpret_cast<__m128i*>(colorRow + x), result);
    }
  }
  if (scattered.count > 0) ShadeScattered<kAddress, kBlend, kStage>(pipeline, triangle, k, scattered);
}

template <AddressPlan kAddress, BlendPlan kBlend, StagePlan kStage>
struct FourWideShader {
  // Sets nothing aside: every pixel is shaded within the call.
  static void Shade(const PixelPipeline& pipeline, const SetupTriangle& triangle, const Span* spans, int count,
                    int areaEndX, PendingPixels&) {
    ShadeSpanPlanned<kAddress, kBlend, kStage>(pipeline, triangle, spans, count, areaEndX);
  }
};

}  // namespace

SimdWidth WidestSimd() {
  static const SimdWidth widest = Avx2SpansAvailable() ? SimdWidth::Eight : SimdWidth::Four;
  return widest;
}

void PrepareSimdSpans(PixelPipeline& pipeline, SimdWidth width) {
  // The depth comparison and row shift go into the shaders' per-draw values: settle them first.
  CompareFunction compare = pipeline.depthState.compare;
  pipeline.depthAcceptsLess = DepthPasses(compare, 0, 1);
  pipeline.depthAcceptsEqual = DepthPasses(compare, 1, 1);
  pipeline.depthAcceptsGreater = DepthPasses(compare, 1, 0);
  if (pipeline.readsTexture) {
    size_t pitchTexels = pipeline.sampler.texture->levels[0].pitchBytes / 4;
    while ((size_t(1) << pipeline.textureRowShift) < pitchTexels) ++pipeline.textureRowShift;
  }
  pipeline.narrowShader = nullptr;
  pipeline.pendingShader = nullptr;
  if (width == SimdWidth::Eight) {
    pipeline.simdShader = PrepareAvx2Shader(pipeline);
    return;
  }
  static_assert(sizeof(ShadeConstants) <= PixelPipeline::kShaderConstantBytes);
  new (pipeline.shaderConstants) ShadeConstants(MakeShadeConstants(pipeline));
  pipeline.simdShader = SpecialisedShader<FourWideShader>(PlanShader(pipeline));
}

#endif

}  // namespace refdevice
