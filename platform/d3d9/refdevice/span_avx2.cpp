// Implements: the AVX2 span shader, its copies specialised by addressing, blend and stage, and
// the run-time check for AVX2. This file alone is built with AVX2 enabled (and without FMA, so
// that no multiply and add is ever fused: the scalar pipeline rounds both).
// Leaves out: what the SSE2 shader leaves out (see span_simd.h).
#include "span_avx2.h"

#include <new>

#include "depth.h"
#include "texel_position.h"
#include "tuning.h"

#if defined(__AVX2__)
#include <immintrin.h>
#endif

namespace refdevice {

#if !defined(__AVX2__)

bool Avx2SpansAvailable() { return false; }
SpanShader PrepareAvx2Shader(PixelPipeline&) { return nullptr; }

#else

bool Avx2SpansAvailable() { return __builtin_cpu_supports("avx2"); }

namespace {

using Floats = __m256;
using Ints = __m256i;

constexpr unsigned kAllLanes = 0xFFu;

// ---- Texel positions, as ToTexelPosition does them ----

inline Ints FloorToInt(Floats s) {
  Ints truncated = _mm256_cvttps_epi32(s);
  // Truncation rounds negative values up; step those back by one.
  Floats roundedUp = _mm256_cmp_ps(_mm256_cvtepi32_ps(truncated), s, _CMP_GT_OQ);
  return _mm256_add_epi32(truncated, _mm256_castps_si256(roundedUp));
}

struct Axis {
  Floats size;
  Ints sizeMinusOne, periodMinusOne, sizeBit;
  Address mode;
};

Axis MakeAxis(int size, Address mode) {
  return {_mm256_set1_ps(static_cast<float>(size)), _mm256_set1_epi32(size - 1), _mm256_set1_epi32(2 * size - 1),
          _mm256_set1_epi32(size), mode};
}

template <AddressPlan kPlan>
inline Address ModeOf(const Axis& axis) {
  if constexpr (kPlan == AddressPlan::Wrap) return Address::Wrap;
  if constexpr (kPlan == AddressPlan::Mirror) return Address::Mirror;
  if constexpr (kPlan == AddressPlan::Clamp) return Address::Clamp;
  return axis.mode;
}

template <AddressPlan kPlan>
inline __attribute__((always_inline)) void TexelPositions(Floats coordinate, const Axis& axis, bool linear,
                                                          Ints& index, Ints& weight) {
  Floats s = _mm256_mul_ps(coordinate, axis.size);
  if (linear) s = _mm256_sub_ps(s, _mm256_set1_ps(0.5f));
  s = _mm256_max_ps(s, _mm256_set1_ps(-kTexelCoordinateLimit));  // a NaN becomes the second operand
  s = _mm256_min_ps(s, _mm256_set1_ps(kTexelCoordinateLimit));
  if (ModeOf<kPlan>(axis) == Address::Clamp) s = _mm256_min_ps(_mm256_max_ps(s, _mm256_set1_ps(-1.0f)), axis.size);
  index = FloorToInt(s);
  Floats fraction = _mm256_sub_ps(s, _mm256_cvtepi32_ps(index));
  weight = _mm256_cvttps_epi32(_mm256_add_ps(
      _mm256_mul_ps(fraction, _mm256_set1_ps(float(1 << tuning::kFilterWeightBits))), _mm256_set1_ps(0.5f)));
}

// ApplyAddressing for power-of-two sizes.
template <AddressPlan kPlan>
inline Ints Address8(Ints index, const Axis& axis) {
  switch (ModeOf<kPlan>(axis)) {
    case Address::Wrap:
      return _mm256_and_si256(index, axis.sizeMinusOne);
    case Address::Mirror: {
      Ints folded = _mm256_and_si256(index, axis.periodMinusOne);
      // In the second half, period - 1 - folded is folded with all its low bits flipped.
      Ints second = _mm256_cmpeq_epi32(_mm256_and_si256(folded, axis.sizeBit), axis.sizeBit);
      return _mm256_xor_si256(folded, _mm256_and_si256(second, axis.periodMinusOne));
    }
    case Address::Clamp:
    default:
      return _mm256_min_epi32(_mm256_max_epi32(index, _mm256_setzero_si256()), axis.sizeMinusOne);
  }
}

// ---- 8-bit channel arithmetic in 16-bit lanes ----
// A register of eight pixels splits into a low half (pixels 0, 1, 4, 5) and a high half
// (pixels 2, 3, 6, 7), b g r a each: AVX2 unpacks within each 128-bit lane, and packing the
// halves back restores the order.

inline Ints Low16(Ints pixels) { return _mm256_unpacklo_epi8(pixels, _mm256_setzero_si256()); }
inline Ints High16(Ints pixels) { return _mm256_unpackhi_epi8(pixels, _mm256_setzero_si256()); }

// Eight 32-bit weights spread over the channels of the low and high halves.
inline void SpreadWeights(Ints weights, Ints& low, Ints& high) {
  Ints packed = _mm256_packs_epi32(weights, weights);
  Ints doubled = _mm256_unpacklo_epi16(packed, packed);
  low = _mm256_unpacklo_epi32(doubled, doubled);
  high = _mm256_unpackhi_epi32(doubled, doubled);
}

// (a * (one - w) + b * w + one / 2) >> bits: at most 255 * 256 + 128, inside 16 bits.
inline Ints Lerp16(Ints a, Ints b, Ints weight) {
  const Ints one = _mm256_set1_epi16(1 << tuning::kFilterWeightBits);
  Ints sum = _mm256_add_epi16(_mm256_mullo_epi16(a, _mm256_sub_epi16(one, weight)), _mm256_mullo_epi16(b, weight));
  sum = _mm256_add_epi16(sum, _mm256_set1_epi16(1 << (tuning::kFilterWeightBits - 1)));
  return _mm256_srli_epi16(sum, tuning::kFilterWeightBits);
}

// round(x / 255) = (x + 127) / 255; x * 0x8081 >> 23 is exact division by 255 over 16 bits.
// Saturation only touches sums whose result is above 255 anyway.
inline Ints DivideBy255(Ints x) {
  Ints biased = _mm256_adds_epu16(x, _mm256_set1_epi16(127));
  return _mm256_srli_epi16(_mm256_mulhi_epu16(biased, _mm256_set1_epi16(static_cast<short>(0x8081))), 7);
}

inline Ints Saturate255(Ints x) { return _mm256_min_epi16(x, _mm256_set1_epi16(255)); }

inline Ints BroadcastAlpha(Ints x) { return _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(x, 0xFF), 0xFF); }

inline Ints Operate(StageOperation operation, Ints first, Ints second, Ints diffuse) {
  switch (operation) {
    case StageOperation::Disable:
      return diffuse;
    case StageOperation::SelectArg1:
      return first;
    case StageOperation::SelectArg2:
      return second;
    case StageOperation::Modulate:
      return DivideBy255(_mm256_mullo_epi16(first, second));
    case StageOperation::Modulate2x: {
      Ints product = _mm256_mullo_epi16(first, second);
      return Saturate255(DivideBy255(_mm256_adds_epu16(product, product)));
    }
    case StageOperation::Modulate4x: {
      Ints product = _mm256_mullo_epi16(first, second);
      Ints doubled = _mm256_adds_epu16(product, product);
      return Saturate255(DivideBy255(_mm256_adds_epu16(doubled, doubled)));
    }
    case StageOperation::Add:
      return Saturate255(_mm256_adds_epu16(first, second));
  }
  return diffuse;
}

inline Ints Argument(StageArgument argument, Ints texel, Ints diffuse) {
  return argument == StageArgument::Texture ? texel : diffuse;
}

// Alpha's 16-bit lanes.
inline Ints AlphaLanes() { return _mm256_set1_epi64x(int64_t(0xFFFF) << 48); }

template <StagePlan kPlan>
inline Ints CombineStage16(const TextureStage& stage, Ints texel, Ints diffuse) {
  if constexpr (kPlan == StagePlan::ModulateWithDoubledAlpha) {
    Ints product = _mm256_mullo_epi16(texel, diffuse);
    Ints color = DivideBy255(product);
    Ints alpha = Saturate255(DivideBy255(_mm256_adds_epu16(product, product)));
    return _mm256_blendv_epi8(color, alpha, AlphaLanes());
  } else {
    if (stage.color.operation == StageOperation::Disable) return diffuse;
    Ints color = Operate(stage.color.operation, Argument(stage.color.argument1, texel, diffuse),
                         Argument(stage.color.argument2, texel, diffuse), diffuse);
    Ints alpha = Operate(stage.alpha.operation, Argument(stage.alpha.argument1, texel, diffuse),
                         Argument(stage.alpha.argument2, texel, diffuse), diffuse);
    return _mm256_blendv_epi8(color, alpha, AlphaLanes());
  }
}

inline Ints BlendFactor16(BlendFactor factor, Ints source, Ints destination) {
  const Ints full = _mm256_set1_epi16(255);
  switch (factor) {
    case BlendFactor::Zero:
      return _mm256_setzero_si256();
    case BlendFactor::One:
      return full;
    case BlendFactor::SourceColor:
      return source;
    case BlendFactor::InverseSourceColor:
      return _mm256_sub_epi16(full, source);
    case BlendFactor::SourceAlpha:
      return BroadcastAlpha(source);
    case BlendFactor::InverseSourceAlpha:
      return _mm256_sub_epi16(full, BroadcastAlpha(source));
    case BlendFactor::DestinationAlpha:
      return BroadcastAlpha(destination);
    case BlendFactor::InverseDestinationAlpha:
      return _mm256_sub_epi16(full, BroadcastAlpha(destination));
    case BlendFactor::DestinationColor:
      return destination;
    case BlendFactor::InverseDestinationColor:
      return _mm256_sub_epi16(full, destination);
  }
  return _mm256_setzero_si256();
}

template <BlendPlan kPlan>
inline Ints Blend16(const BlendState& blend, Ints source, Ints destination) {
  if constexpr (kPlan == BlendPlan::SourceAlphaOver) {
    // source * a + destination * (255 - a) stays within 255 * 255: no saturation needed.
    Ints alpha = BroadcastAlpha(source);
    Ints sum = _mm256_add_epi16(_mm256_mullo_epi16(source, alpha),
                                _mm256_mullo_epi16(destination, _mm256_sub_epi16(_mm256_set1_epi16(255), alpha)));
    return DivideBy255(sum);
  } else {
    Ints sum = _mm256_adds_epu16(_mm256_mullo_epi16(source, BlendFactor16(blend.source, source, destination)),
                                 _mm256_mullo_epi16(destination, BlendFactor16(blend.destination, source, destination)));
    return Saturate255(DivideBy255(sum));
  }
}

// Colour channels from float vectors, rounded as ToChannel does.
inline Ints ToChannels(Floats value) {
  value = _mm256_max_ps(value, _mm256_setzero_ps());  // NaN and negatives become 0
  value = _mm256_min_ps(value, _mm256_set1_ps(255.0f));
  return _mm256_cvttps_epi32(_mm256_add_ps(value, _mm256_set1_ps(0.5f)));
}

// What stays the same for every pixel of one call.
struct ShadeConstants {
  Axis axisU, axisV;
  bool linear;
  const uint32_t* texels;
  __m128i rowShift;  // log2 of the pitch in texels
  Ints rowPitch;     // the pitch in texels
  Ints lastPairU, lastPairV;  // the last index whose neighbour lies inside: size - 2
  bool opaqueTexels;
  Ints targetAlphaMask;
  Ints depthLess, depthEqual, depthGreater;
  bool depthNotGreater;  // accepts exactly less and equal, the usual test: one comparison
};

ShadeConstants MakeShadeConstants(const PixelPipeline& pipeline) {
  ShadeConstants k;
  if (pipeline.readsTexture) {
    const TextureLevel& level = pipeline.sampler.texture->levels[0];
    k.axisU = MakeAxis(level.width, pipeline.sampler.state.addressU);
    k.axisV = MakeAxis(level.height, pipeline.sampler.state.addressV);
    k.linear = pipeline.sampler.state.minFilter == Filter::Linear;
    k.texels = level.texels;
    k.rowShift = _mm_cvtsi32_si128(pipeline.textureRowShift);
    k.rowPitch = _mm256_set1_epi32(1 << pipeline.textureRowShift);
    k.lastPairU = _mm256_set1_epi32(level.width - 2);
    k.lastPairV = _mm256_set1_epi32(level.height - 2);
  } else {
    k.axisU = k.axisV = MakeAxis(1, Address::Wrap);
    k.linear = false;
    k.texels = nullptr;
    k.rowShift = _mm_setzero_si128();
    k.rowPitch = k.lastPairU = k.lastPairV = _mm256_set1_epi32(-1);
  }
  k.opaqueTexels = pipeline.sampler.texture != nullptr && pipeline.sampler.texture->alphaIsOpaque;
  k.targetAlphaMask = _mm256_set1_epi32(pipeline.color.alphaIsOpaque ? int(0xFF000000u) : 0);
  auto mask = [](bool accepted) { return _mm256_set1_epi32(accepted ? -1 : 0); };
  k.depthLess = mask(pipeline.depthAcceptsLess);
  k.depthEqual = mask(pipeline.depthAcceptsEqual);
  k.depthGreater = mask(pipeline.depthAcceptsGreater);
  k.depthNotGreater = pipeline.depthAcceptsLess && pipeline.depthAcceptsEqual && !pipeline.depthAcceptsGreater;
  return k;
}

// ---- Sampling ----

// Each lane's two texels at `offset` and `offset + 1`, as two registers.
inline __attribute__((always_inline)) void LoadPairs(const uint32_t* texels, Ints offsets, Ints& first,
                                                      Ints& second) {
  alignas(32) int32_t o[8];
  _mm256_store_si256(reinterpret_cast<Ints*>(o), offsets);
  auto pair = [texels](int32_t offset) { return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(texels + offset)); };
  auto twoPairs = [&](int lane, int other) { return _mm_unpacklo_epi64(pair(o[lane]), pair(o[other])); };
  // Pixels 0 1 | 4 5 in one register and 2 3 | 6 7 in the other, so that the shuffles below,
  // which work within 128-bit lanes, put the pixels back in order.
  Floats pairs0145 = _mm256_castsi256_ps(_mm256_inserti128_si256(_mm256_castsi128_si256(twoPairs(0, 1)), twoPairs(4, 5), 1));
  Floats pairs2367 = _mm256_castsi256_ps(_mm256_inserti128_si256(_mm256_castsi128_si256(twoPairs(2, 3)), twoPairs(6, 7), 1));
  first = _mm256_castps_si256(_mm256_shuffle_ps(pairs0145, pairs2367, _MM_SHUFFLE(2, 0, 2, 0)));
  second = _mm256_castps_si256(_mm256_shuffle_ps(pairs0145, pairs2367, _MM_SHUFFLE(3, 1, 3, 1)));
}

inline Ints Gather(const uint32_t* texels, Ints offsets) {
  return _mm256_i32gather_epi32(reinterpret_cast<const int*>(texels), offsets, 4);
}

// Whether every pixel's first texel lies inside the texture with room for its neighbours to
// the right and below.
inline bool InsideForPairs(const ShadeConstants& k, Ints indexU, Ints indexV) {
  const Ints zero = _mm256_setzero_si256();
  Ints outside = _mm256_or_si256(_mm256_or_si256(_mm256_cmpgt_epi32(zero, indexU), _mm256_cmpgt_epi32(indexU, k.lastPairU)),
                                 _mm256_or_si256(_mm256_cmpgt_epi32(zero, indexV), _mm256_cmpgt_epi32(indexV, k.lastPairV)));
  return _mm256_testz_si256(outside, outside) != 0;
}

// Samples eight pixels' texels; returns them as 32-bit pixels in 16-bit lanes.
template <AddressPlan kAddress>
inline __attribute__((always_inline)) void SampleEight(const ShadeConstants& k, Floats u, Floats v, Ints& low,
                                                       Ints& high) {
  Ints indexU, weightU, indexV, weightV;
  TexelPositions<kAddress>(u, k.axisU, k.linear, indexU, weightU);
  TexelPositions<kAddress>(v, k.axisV, k.linear, indexV, weightV);
  Ints a, b, c, d;
  if (k.linear && InsideForPairs(k, indexU, indexV)) {
    // Inside the texture, short of its last row and column, every address mode leaves the
    // indices as they are and each row's two texels are neighbours in memory.
    Ints row0 = _mm256_sll_epi32(indexV, k.rowShift);
    LoadPairs(k.texels, _mm256_add_epi32(row0, indexU), a, b);
    LoadPairs(k.texels, _mm256_add_epi32(_mm256_add_epi32(row0, k.rowPitch), indexU), c, d);
  } else {
    Ints x0 = Address8<kAddress>(indexU, k.axisU);
    Ints row0 = _mm256_sll_epi32(Address8<kAddress>(indexV, k.axisV), k.rowShift);
    if (!k.linear) {
      Ints fetched = Gather(k.texels, _mm256_add_epi32(row0, x0));
      low = Low16(fetched);
      high = High16(fetched);
      return;
    }
    const Ints one = _mm256_set1_epi32(1);
    Ints x1 = Address8<kAddress>(_mm256_add_epi32(indexU, one), k.axisU);
    Ints row1 = _mm256_sll_epi32(Address8<kAddress>(_mm256_add_epi32(indexV, one), k.axisV), k.rowShift);
    // Where a row's two texels are neighbours in memory, one 64-bit load fetches both: in
    // order, or (mirrored) the other way round.
    Ints forward = _mm256_cmpeq_epi32(x1, _mm256_add_epi32(x0, one));
    Ints backward = _mm256_cmpeq_epi32(x0, _mm256_add_epi32(x1, one));
    if (_mm256_movemask_epi8(_mm256_or_si256(forward, backward)) == -1) {
      Ints left = _mm256_blendv_epi8(x0, x1, backward);
      Ints lowerLeft, lowerRight, upperLeft, upperRight;
      LoadPairs(k.texels, _mm256_add_epi32(row0, left), upperLeft, upperRight);
      LoadPairs(k.texels, _mm256_add_epi32(row1, left), lowerLeft, lowerRight);
      a = _mm256_blendv_epi8(upperLeft, upperRight, backward);
      b = _mm256_blendv_epi8(upperRight, upperLeft, backward);
      c = _mm256_blendv_epi8(lowerLeft, lowerRight, backward);
      d = _mm256_blendv_epi8(lowerRight, lowerLeft, backward);
    } else {
      a = Gather(k.texels, _mm256_add_epi32(row0, x0));
      b = Gather(k.texels, _mm256_add_epi32(row0, x1));
      c = Gather(k.texels, _mm256_add_epi32(row1, x0));
      d = Gather(k.texels, _mm256_add_epi32(row1, x1));
    }
  }
  Ints weightULow, weightUHigh, weightVLow, weightVHigh;
  SpreadWeights(weightU, weightULow, weightUHigh);
  SpreadWeights(weightV, weightVLow, weightVHigh);
  low = Lerp16(Lerp16(Low16(a), Low16(b), weightULow), Lerp16(Low16(c), Low16(d), weightULow), weightVLow);
  high = Lerp16(Lerp16(High16(a), High16(b), weightUHigh), Lerp16(High16(c), High16(d), weightUHigh), weightVHigh);
}

// ---- Depth ----

inline Ints DepthToUnorm16Eight(Floats z) {
  z = _mm256_min_ps(_mm256_max_ps(z, _mm256_setzero_ps()), _mm256_set1_ps(1.0f));
  return _mm256_cvttps_epi32(_mm256_add_ps(_mm256_mul_ps(z, _mm256_set1_ps(65535.0f)), _mm256_set1_ps(0.5f)));
}

inline Ints DepthPassMask(const ShadeConstants& k, Ints incoming, Ints stored) {
  Ints greater = _mm256_cmpgt_epi32(incoming, stored);
  if (k.depthNotGreater) return _mm256_xor_si256(greater, _mm256_set1_epi32(-1));
  Ints less = _mm256_cmpgt_epi32(stored, incoming);
  Ints equal = _mm256_cmpeq_epi32(incoming, stored);
  return _mm256_or_si256(_mm256_or_si256(_mm256_and_si256(k.depthLess, less), _mm256_and_si256(k.depthEqual, equal)),
                         _mm256_and_si256(k.depthGreater, greater));
}

// Lanes set in a bit mask, as a register of all-ones lanes.
inline Ints LaneMask(unsigned bits) {
  const Ints laneBits = _mm256_setr_epi32(1, 2, 4, 8, 16, 32, 64, 128);
  return _mm256_cmpeq_epi32(_mm256_and_si256(_mm256_set1_epi32(int(bits)), laneBits), laneBits);
}

// Depth test and write for eight consecutive depths; returns the lanes of `live` that pass.
inline unsigned TestDepth(const PixelPipeline& pipeline, const ShadeConstants& k, uint16_t* depth, Floats z,
                          unsigned live) {
  Ints incoming = DepthToUnorm16Eight(z);
  Ints stored = _mm256_cvtepu16_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(depth)));
  Ints passes = DepthPassMask(k, incoming, stored);
  if (live != kAllLanes) passes = _mm256_and_si256(passes, LaneMask(live));
  live = unsigned(_mm256_movemask_ps(_mm256_castsi256_ps(passes)));
  if (live != 0 && pipeline.depthState.writeEnable) {
    Ints merged = _mm256_blendv_epi8(stored, incoming, passes);
    // Values are 0..65535: the unsigned saturating pack keeps them; the permute undoes the
    // pack's interleaving of 128-bit lanes.
    Ints packed = _mm256_permute4x64_epi64(_mm256_packus_epi32(merged, merged), _MM_SHUFFLE(3, 1, 2, 0));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(depth), _mm256_castsi256_si128(packed));
  }
  return live;
}

// ---- One group of eight pixels ----

// An attribute plane with its coefficients in every lane.
struct PlaneVector {
  explicit PlaneVector(const AttributePlane& p)
      : a(_mm256_set1_ps(p.a)), b(_mm256_set1_ps(p.b)), c(_mm256_set1_ps(p.c)) {}
  Floats a, b, c;
};

// The planes that every pixel of a triangle reads, spread over the lanes once per call.
struct TrianglePlanes {
  explicit TrianglePlanes(const SetupTriangle& triangle)
      : depth(triangle.depth), q(triangle.q), u(triangle.texcoord[0]), v(triangle.texcoord[1]) {}
  PlaneVector depth, q, u, v;
};

// The pixel centres of a group, relative to the triangle's origin, and what the planes give
// there: a * dx + b * dy + c, the scalar pipeline's order of operations.
struct GroupPosition {
  Floats dx, dy;
  Floats At(const PlaneVector& p) const {
    return _mm256_add_ps(_mm256_add_ps(_mm256_mul_ps(p.a, dx), _mm256_mul_ps(p.b, dy)), p.c);
  }
  Floats At(const AttributePlane& p) const { return At(PlaneVector(p)); }
};

// Texture stage 0's output for eight pixels, in low and high halves.
template <AddressPlan kAddress, StagePlan kStage>
inline __attribute__((always_inline)) void SourceEight(const PixelPipeline& pipeline, const SetupTriangle& triangle,
                                                       const ShadeConstants& k, const TrianglePlanes& planes,
                                                       const GroupPosition& at, Ints& sourceLow, Ints& sourceHigh) {
  Floats w = _mm256_set1_ps(1.0f);
  if (triangle.perspective) w = _mm256_div_ps(_mm256_set1_ps(1.0f), at.At(planes.q));
  Ints diffuse;
  if (triangle.flatColor) {
    diffuse = _mm256_set1_epi32(int(triangle.flatDiffuse));
  } else {
    Ints channels[4];
    for (int channel = 0; channel < 4; ++channel) {
      Floats value = at.At(triangle.color[channel]);
      if (triangle.perspective) value = _mm256_mul_ps(value, w);
      channels[channel] = ToChannels(value);
    }
    diffuse = _mm256_or_si256(_mm256_or_si256(channels[0], _mm256_slli_epi32(channels[1], 8)),
                              _mm256_or_si256(_mm256_slli_epi32(channels[2], 16), _mm256_slli_epi32(channels[3], 24)));
  }

  Ints texelLow, texelHigh;
  if (pipeline.readsTexture) {
    Floats u = at.At(planes.u), v = at.At(planes.v);
    if (triangle.perspective) {
      u = _mm256_mul_ps(u, w);
      v = _mm256_mul_ps(v, w);
    }
    SampleEight<kAddress>(k, u, v, texelLow, texelHigh);
    if (k.opaqueTexels) {
      Ints texels = _mm256_or_si256(_mm256_packus_epi16(texelLow, texelHigh), _mm256_set1_epi32(int(0xFF000000u)));
      texelLow = Low16(texels);
      texelHigh = High16(texels);
    }
  } else {
    Ints black = _mm256_set1_epi32(int(0xFF000000u));
    texelLow = Low16(black);
    texelHigh = High16(black);
  }
  sourceLow = CombineStage16<kStage>(pipeline.stage, texelLow, Low16(diffuse));
  sourceHigh = CombineStage16<kStage>(pipeline.stage, texelHigh, High16(diffuse));
}

// The eight pixels to write: the source blended over `destination` where blending is on.
template <BlendPlan kBlend>
inline __attribute__((always_inline)) Ints BlendEight(const PixelPipeline& pipeline, const ShadeConstants& k,
                                                      Ints sourceLow, Ints sourceHigh, Ints destination) {
  Ints result;
  if constexpr (kBlend == BlendPlan::Off) {
    result = _mm256_packus_epi16(sourceLow, sourceHigh);
  } else {
    if constexpr (kBlend == BlendPlan::SourceAlphaOver) {
      // Fully opaque sources replace the destination exactly, (s * 255 + 127) / 255 = s, and
      // fully transparent ones leave it as it was, (d * 255 + 127) / 255 = d.
      constexpr unsigned kAlphaBytes = 0xC0C0C0C0u;
      Ints bothOpaque = _mm256_cmpeq_epi16(_mm256_and_si256(sourceLow, sourceHigh), _mm256_set1_epi16(255));
      if ((unsigned(_mm256_movemask_epi8(bothOpaque)) & kAlphaBytes) == kAlphaBytes) {
        return _mm256_or_si256(_mm256_packus_epi16(sourceLow, sourceHigh), k.targetAlphaMask);
      }
      Ints bothClear = _mm256_cmpeq_epi16(_mm256_or_si256(sourceLow, sourceHigh), _mm256_setzero_si256());
      if ((unsigned(_mm256_movemask_epi8(bothClear)) & kAlphaBytes) == kAlphaBytes) {
        return _mm256_or_si256(destination, k.targetAlphaMask);
      }
    }
    Ints readDestination = _mm256_or_si256(destination, k.targetAlphaMask);
    result = _mm256_packus_epi16(Blend16<kBlend>(pipeline.blend, sourceLow, Low16(readDestination)),
                                 Blend16<kBlend>(pipeline.blend, sourceHigh, High16(readDestination)));
  }
  return _mm256_or_si256(result, k.targetAlphaMask);
}

// Shades the lanes of `live` among eight consecutive colours and depths (in the targets, or
// in a buffer of gathered pixels); the other lanes keep their values. Returns the lanes
// written. Without blending, a colour is only read where a lane must keep it.
template <AddressPlan kAddress, BlendPlan kBlend, StagePlan kStage>
inline __attribute__((always_inline)) unsigned ShadeGroup(const PixelPipeline& pipeline, const SetupTriangle& triangle,
                                                          const ShadeConstants& k, const TrianglePlanes& planes,
                                                          const GroupPosition& at, uint32_t* color, uint16_t* depth,
                                                          unsigned live) {
  if (depth != nullptr) {
    live = TestDepth(pipeline, k, depth, at.At(planes.depth), live);
    if (live == 0) return 0;
  }
  Ints sourceLow, sourceHigh;
  SourceEight<kAddress, kStage>(pipeline, triangle, k, planes, at, sourceLow, sourceHigh);
  Ints result;
  if (kBlend == BlendPlan::Off && live == kAllLanes) {
    result = BlendEight<kBlend>(pipeline, k, sourceLow, sourceHigh, _mm256_setzero_si256());
  } else {
    Ints destination = _mm256_loadu_si256(reinterpret_cast<const Ints*>(color));
    result = BlendEight<kBlend>(pipeline, k, sourceLow, sourceHigh, destination);
    if (live != kAllLanes) result = _mm256_blendv_epi8(destination, result, LaneMask(live));
  }
  _mm256_storeu_si256(reinterpret_cast<Ints*>(color), result);
  return live;
}

inline uint32_t* ColorRow(const PixelPipeline& pipeline, int y) {
  return reinterpret_cast<uint32_t*>(reinterpret_cast<uint8_t*>(pipeline.color.pixels) +
                                     size_t(y) * pipeline.color.pitchBytes);
}

// Null when the draw neither tests nor writes depth.
inline uint16_t* DepthRow(const PixelPipeline& pipeline, int y) {
  if (!pipeline.depthActive) return nullptr;
  return reinterpret_cast<uint16_t*>(reinterpret_cast<uint8_t*>(pipeline.depth.depth) +
                                     size_t(y) * pipeline.depth.pitchBytes);
}

// Pixels left over from runs after their whole groups of eight, which for small triangles is
// nearly every pixel: gathered from several rows into groups of their own.
class GatheredPixels {
 public:
  static constexpr int kGroup = 8;

  bool Full() const { return count_ == kGroup; }
  bool Empty() const { return count_ == 0; }

  // Without blending the colour is never read: only the pixels shaded are written back.
  template <BlendPlan kBlend>
  void Add(int x, int y, uint32_t* color, uint16_t* depth) {
    x_[count_] = x;
    y_[count_] = y;
    colorAt_[count_] = color;
    depthAt_[count_] = depth;
    if constexpr (kBlend != BlendPlan::Off) colors_[count_] = *color;
    if (depth != nullptr) depths_[count_] = *depth;
    ++count_;
  }

  // Shades the gathered pixels and writes them back.
  template <AddressPlan kAddress, BlendPlan kBlend, StagePlan kStage>
  void Shade(const PixelPipeline& pipeline, const SetupTriangle& triangle, const ShadeConstants& k,
             const TrianglePlanes& planes) {
    GroupPosition at;
    Ints xs = _mm256_load_si256(reinterpret_cast<const Ints*>(x_));
    Ints ys = _mm256_load_si256(reinterpret_cast<const Ints*>(y_));
    // (float)x - originX and (float)y - originY per lane, as the scalar pipeline computes them.
    at.dx = _mm256_sub_ps(_mm256_cvtepi32_ps(xs), _mm256_set1_ps(triangle.originX));
    at.dy = _mm256_sub_ps(_mm256_cvtepi32_ps(ys), _mm256_set1_ps(triangle.originY));
    bool withDepth = depthAt_[0] != nullptr;
    unsigned written = ShadeGroup<kAddress, kBlend, kStage>(pipeline, triangle, k, planes, at, colors_,
                                                            withDepth ? depths_ : nullptr, (1u << count_) - 1);
    for (; written != 0; written &= written - 1) {
      const int i = __builtin_ctz(written);
      *colorAt_[i] = colors_[i];
      if (withDepth) *depthAt_[i] = depths_[i];
    }
    count_ = 0;
  }

 private:
  int count_ = 0;
  alignas(32) int32_t x_[kGroup] = {};
  alignas(32) int32_t y_[kGroup] = {};
  alignas(32) uint32_t colors_[kGroup] = {};
  alignas(16) uint16_t depths_[kGroup] = {};
  uint32_t* colorAt_[kGroup];
  uint16_t* depthAt_[kGroup];
};

template <AddressPlan kAddress, BlendPlan kBlend, StagePlan kStage>
void ShadeSpansEightWide(const PixelPipeline& pipeline, const SetupTriangle& triangle, const Span* spans, int count,
                         int /*areaEndX*/) {
  const ShadeConstants& k = *std::launder(reinterpret_cast<const ShadeConstants*>(pipeline.shaderConstants));
  const TrianglePlanes planes(triangle);
  const Floats laneOffsets = _mm256_setr_ps(0.0f, 1.0f, 2.0f, 3.0f, 4.0f, 5.0f, 6.0f, 7.0f);
  const Floats originX = _mm256_set1_ps(triangle.originX);
  GatheredPixels gathered;
  for (const Span* span = spans; span != spans + count; ++span) {
    const int y = span->y;
    uint32_t* colorRow = ColorRow(pipeline, y);
    uint16_t* depthRow = DepthRow(pipeline, y);
    GroupPosition at;
    at.dy = _mm256_set1_ps(static_cast<float>(y) - triangle.originY);
    int x = span->xBegin;
    for (; x + 8 <= span->xEnd; x += 8) {
      // (float)x - originX per lane, as the scalar pipeline computes it.
      at.dx = _mm256_sub_ps(_mm256_add_ps(_mm256_set1_ps(static_cast<float>(x)), laneOffsets), originX);
      ShadeGroup<kAddress, kBlend, kStage>(pipeline, triangle, k, planes, at, colorRow + x,
                                           depthRow != nullptr ? depthRow + x : nullptr, kAllLanes);
    }
    for (; x < span->xEnd; ++x) {
      gathered.Add<kBlend>(x, y, colorRow + x, depthRow != nullptr ? depthRow + x : nullptr);
      if (gathered.Full()) gathered.Shade<kAddress, kBlend, kStage>(pipeline, triangle, k, planes);
    }
  }
  if (!gathered.Empty()) gathered.Shade<kAddress, kBlend, kStage>(pipeline, triangle, k, planes);
}

// A narrow triangle walked a row at a time, the edge functions at eight pixel centres at once;
// its covered pixels go straight to the gathered groups, with no runs to build for a triangle
// a few pixels across.
template <AddressPlan kAddress, BlendPlan kBlend, StagePlan kStage>
void ShadeNarrowTriangle(const PixelPipeline& pipeline, const SetupTriangle& triangle, const NarrowTriangle& narrow) {
  const ShadeConstants& k = *std::launder(reinterpret_cast<const ShadeConstants*>(pipeline.shaderConstants));
  const TrianglePlanes planes(triangle);
  const Ints lanes = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
  Ints edge[3], rowStep[3];
  for (int i = 0; i < 3; ++i) {
    edge[i] = _mm256_add_epi32(_mm256_set1_epi32(narrow.start[i]),
                               _mm256_mullo_epi32(lanes, _mm256_set1_epi32(narrow.stepX[i])));
    rowStep[i] = _mm256_set1_epi32(narrow.stepY[i]);
  }
  const unsigned inWidth = (1u << (narrow.maxX - narrow.minX + 1)) - 1;
  GatheredPixels gathered;
  for (int y = narrow.minY; y <= narrow.maxY; ++y) {
    // A pixel is covered when none of its three values has the sign bit.
    Ints anyNegative = _mm256_or_si256(_mm256_or_si256(edge[0], edge[1]), edge[2]);
    unsigned covered = ~unsigned(_mm256_movemask_ps(_mm256_castsi256_ps(anyNegative))) & inWidth;
    for (int i = 0; i < 3; ++i) edge[i] = _mm256_add_epi32(edge[i], rowStep[i]);
    if (covered == 0) continue;
    uint32_t* colorRow = ColorRow(pipeline, y);
    uint16_t* depthRow = DepthRow(pipeline, y);
    do {
      const int x = narrow.minX + __builtin_ctz(covered);
      gathered.Add<kBlend>(x, y, colorRow + x, depthRow != nullptr ? depthRow + x : nullptr);
      if (gathered.Full()) gathered.Shade<kAddress, kBlend, kStage>(pipeline, triangle, k, planes);
      covered &= covered - 1;
    } while (covered != 0);
  }
  if (!gathered.Empty()) gathered.Shade<kAddress, kBlend, kStage>(pipeline, triangle, k, planes);
}

template <AddressPlan kAddress, BlendPlan kBlend, StagePlan kStage>
struct NarrowTriangleShader {
  static void Shade(const PixelPipeline& pipeline, const SetupTriangle& triangle, const NarrowTriangle& narrow) {
    ShadeNarrowTriangle<kAddress, kBlend, kStage>(pipeline, triangle, narrow);
  }
};

template <AddressPlan kAddress, BlendPlan kBlend, StagePlan kStage>
struct EightWideShader {
  static void Shade(const PixelPipeline& pipeline, const SetupTriangle& triangle, const Span* spans, int count,
                    int areaEndX) {
    ShadeSpansEightWide<kAddress, kBlend, kStage>(pipeline, triangle, spans, count, areaEndX);
  }
};

}  // namespace

SpanShader PrepareAvx2Shader(PixelPipeline& pipeline) {
  static_assert(sizeof(ShadeConstants) <= PixelPipeline::kShaderConstantBytes);
  new (pipeline.shaderConstants) ShadeConstants(MakeShadeConstants(pipeline));
  const ShaderPlan plan = PlanShader(pipeline);
  pipeline.narrowShader = SpecialisedShader<NarrowTriangleShader>(plan);
  return SpecialisedShader<EightWideShader>(plan);
}

#endif

}  // namespace refdevice
