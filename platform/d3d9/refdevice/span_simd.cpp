// Implements: the SSE2 span shader and its copies specialised by addressing, blend and stage.
// Leaves out: mip-mapped sampling, differing min/mag filters and textures with sides or pitch
// not a power of two; those draws take the scalar pipeline.
// On the map of docs/reference-device.md: the four-wide form of ShadeSpans: groups of four
// along a run, scattered pixels for the rest; its arithmetic is span_lanes.h's.
#include "span_simd.h"

#include <cstdint>

#include <new>

#include "common/assertion.h"
#include "depth.h"
#include "span_avx2.h"
#include "span_plans.h"

#if defined(__SSE2__)
#include "lanes_sse2.h"
#include "span_lanes.h"
#endif

namespace refdevice {

namespace {

bool IsPowerOfTwo(int n) { return n > 0 && (n & (n - 1)) == 0; }

}  // namespace

#if !defined(__SSE2__)

bool SimdSpanSupports(const PixelPipeline&) { return false; }
void PrepareSimdSpans(PixelPipeline&, SimdLevel) {}

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

using L = Sse2Lanes;
using namespace lanes;

// What stays the same for every pixel of one call.
using ShadeConstants = DrawConstants<L>;

// Samples four pixels' texels; returns them as 32-bit pixels in 16-bit lanes.
template <AddressPlan kAddress>
inline __attribute__((always_inline)) void SampleFour(const ShadeConstants& texture, __m128 u, __m128 v, __m128i& low,
                                                      __m128i& high) {
  __m128i indexU, weightU, indexV, weightV;
  TexelPositions<kAddress>(u, texture.axisU, texture.linear, indexU, weightU);
  TexelPositions<kAddress>(v, texture.axisV, texture.linear, indexV, weightV);
  AddressedTexels<L> at;
  AddressFirstTexels<kAddress>(texture, indexU, indexV, at);
  const __m128i x0 = at.x0, row0 = at.row0;
  const uint32_t* texels = texture.texels;
  if (!texture.linear) {
    alignas(16) int32_t offset[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(offset), _mm_add_epi32(row0, x0));
    SplitPixels<L>(
        _mm_setr_epi32(int(texels[offset[0]]), int(texels[offset[1]]), int(texels[offset[2]]), int(texels[offset[3]])),
        low, high);
    return;
  }
  const __m128i one = _mm_set1_epi32(1);
  AddressSecondTexels<kAddress>(texture, indexU, indexV, at);
  const __m128i x1 = at.x1, row1 = at.row1;
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
  const SpreadWeights<L> alongU(weightU), alongV(weightV);
  low = Lerp16<L>(Lerp16<L>(L::Low16(a), L::Low16(b), alongU.low), Lerp16<L>(L::Low16(c), L::Low16(d), alongU.low),
                  alongV.low);
  high = Lerp16<L>(Lerp16<L>(L::High16(a), L::High16(b), alongU.high),
                   Lerp16<L>(L::High16(c), L::High16(d), alongU.high), alongV.high);
}

// Lanes to keep from the destination, by the bit mask of lanes written.
alignas(16) const int32_t kKeepLanes[16][4] = {{-1, -1, -1, -1}, {0, -1, -1, -1}, {-1, 0, -1, -1}, {0, 0, -1, -1},
                                               {-1, -1, 0, -1},  {0, -1, 0, -1},  {-1, 0, 0, -1},  {0, 0, 0, -1},
                                               {-1, -1, -1, 0},  {0, -1, -1, 0},  {-1, 0, -1, 0},  {0, 0, -1, 0},
                                               {-1, -1, 0, 0},   {0, -1, 0, 0},   {-1, 0, 0, 0},   {0, 0, 0, 0}};

// Depth test and write for four neighbouring pixels of a row; returns the lanes that pass.
inline unsigned TestDepthRow(const PixelPipeline& pipeline, const ShadeConstants& k, uint16_t* depth, __m128 z) {
  __m128i incoming = DepthToUnorm16<L>(z);
  __m128i stored = _mm_unpacklo_epi16(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(depth)), _mm_setzero_si128());
  __m128i passes = DepthPassMask<L>(k.depth, incoming, stored, k.depth.notGreater);
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

// Texture stage 0's output for four pixels, from their interpolated values: `w` (1 without
// perspective), the texture coordinates and, per channel, colourAt(channel), all before the
// multiplication by w, as the scalar pipeline orders it.
template <AddressPlan kAddress, StagePlan kStage, typename ColorAt>
inline __attribute__((always_inline)) void SourceFour(const PixelPipeline& pipeline, const SetupTriangle& triangle,
                                                      const ShadeConstants& k, __m128 w, __m128 u, __m128 v,
                                                      ColorAt colorAt, __m128i& sourceLow, __m128i& sourceHigh) {
  const __m128i diffuse = triangle.FlatColor() ? _mm_set1_epi32(int(triangle.flatDiffuse))
                                               : DiffuseOf<L>(colorAt, triangle.Perspective(), w);
  __m128i texelLow, texelHigh;
  if (pipeline.readsTexture) {
    if (triangle.Perspective()) {
      u = _mm_mul_ps(u, w);
      v = _mm_mul_ps(v, w);
    }
    SampleFour<kAddress>(k, u, v, texelLow, texelHigh);
    if (k.opaqueTexels) MakeOpaque<L>(texelLow, texelHigh);
  } else {
    OpaqueBlack<L>(texelLow, texelHigh);
  }
  sourceLow = CombineStage16<kStage, L>(pipeline.stage, texelLow, L::Low16(diffuse));
  sourceHigh = CombineStage16<kStage, L>(pipeline.stage, texelHigh, L::High16(diffuse));
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
  ORBELUNE_ASSERT(count > 0 && count + 3 <= ScatteredPixels::kCapacity);
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
      __m128i incoming = DepthToUnorm16<L>(at(triangle.depth));
      __m128i stored = _mm_setr_epi32(*depth[0], *depth[1], *depth[2], *depth[3]);
      __m128i passes = _mm_andnot_si128(_mm_load_si128(reinterpret_cast<const __m128i*>(kKeepLanes[live])),
                                        DepthPassMask<L>(k.depth, incoming, stored, k.depth.notGreater));
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
    __m128i result = BlendPixels<kBlend, L>(pipeline.blend, k, sourceLow, sourceHigh, destination);
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
        live = TestDepthRow(pipeline, k, depthRow + x, depthRowPlane.At(dx));
        if (live == 0) continue;
      }

      __m128 w = _mm_set1_ps(1.0f);
      if (triangle.Perspective()) w = _mm_div_ps(_mm_set1_ps(1.0f), qRow.At(dx));
      __m128i sourceLow, sourceHigh;
      SourceFour<kAddress, kStage>(
          pipeline, triangle, k, w, uRow.At(dx), vRow.At(dx),
          [&](int channel) { return rowOf(triangle.extras->color[channel]).At(dx); }, sourceLow, sourceHigh);

      __m128i destination = _mm_loadu_si128(reinterpret_cast<const __m128i*>(colorRow + x));
      __m128i result = BlendPixels<kBlend, L>(pipeline.blend, k, sourceLow, sourceHigh, destination);
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

void PrepareSimdSpans(PixelPipeline& pipeline, SimdLevel level) {
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
  if (level == SimdLevel::Avx2) {
    pipeline.simdShader = PrepareAvx2Shader(pipeline);
    return;
  }
  static_assert(sizeof(ShadeConstants) <= PixelPipeline::kShaderConstantBytes);
  FillDrawConstants(pipeline, *new (pipeline.shaderConstants) ShadeConstants);
  pipeline.simdShader = SpecialisedShader<FourWideShader>(PlanShader(pipeline));
}

#endif

}  // namespace refdevice
