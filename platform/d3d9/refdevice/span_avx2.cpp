// Implements: the AVX2 span shader and its copies specialised by addressing, blend and stage.
// Built with AVX2 enabled (and without FMA, so that no multiply and add is ever fused: the
// scalar pipeline rounds both); run only where the device's SIMD level is Avx2.
// Leaves out: what the SSE2 shader leaves out (see span_simd.h).
// On the map of docs/reference-device.md: the eight-wide form of ShadeSpans, the narrow shader
// and the shading of pixels set aside; its arithmetic is span_lanes.h's, and what is written here
// alone is what eight lanes earn: pairs and stretches of texels, gathers, quads drawn straight on.
#include "span_avx2.h"

#include <algorithm>
#include <array>
#include <new>

#include "common/assertion.h"
#include "depth.h"
#include "texel_position.h"
#include "tuning.h"

#if defined(__AVX2__)
#include <immintrin.h>

#include "lanes_avx2.h"
#include "span_lanes.h"
#endif

namespace refdevice {

#if !defined(__AVX2__)

SpanShader PrepareAvx2Shader(PixelPipeline&) { return nullptr; }

#else

namespace {

using L = Avx2Lanes;
using namespace lanes;
using Floats = L::F;
using Ints = L::I;

constexpr unsigned kAllLanes = 0xFFu;

// What stays the same for every pixel of one call: the draw's constants, and what the sampling
// written for eight lanes takes besides.
struct ShadeConstants : DrawConstants<L> {
  Ints rowPitch;              // the pitch in texels
  Ints lastPairU, lastPairV;  // the last index whose neighbour lies inside: size - 2
  int lastStretch;            // the last offset from which eight texels and the eight below lie inside
  // Texture stage 0's colour is the texel's: texel times a white diffuse colour, which
  // ModulateWithDoubledAlpha gives exactly. Its alpha is never seen: nothing blends, and the
  // target keeps no alpha.
  bool texelIsSource;
};

void FillShadeConstants(const PixelPipeline& pipeline, ShadeConstants& k) {
  FillDrawConstants(pipeline, k);
  if (pipeline.readsTexture) {
    const TextureLevel& level = pipeline.sampler.texture->levels[0];
    k.rowPitch = _mm256_set1_epi32(1 << pipeline.textureRowShift);
    k.lastPairU = _mm256_set1_epi32(level.width - 2);
    k.lastPairV = _mm256_set1_epi32(level.height - 2);
    k.lastStretch = (level.height - 2) * (1 << pipeline.textureRowShift) + level.width - 8;
  } else {
    k.rowPitch = k.lastPairU = k.lastPairV = _mm256_set1_epi32(-1);
    k.lastStretch = -1;
  }
  k.texelIsSource =
      pipeline.readsTexture && pipeline.whiteDiffuse && !pipeline.blend.enable && pipeline.color.alphaIsOpaque;
}

inline const ShadeConstants& ConstantsOf(const PixelPipeline& pipeline) {
  return *std::launder(reinterpret_cast<const ShadeConstants*>(pipeline.shaderConstants));
}

// What the pixel loops test of the draw, copied out of the pipeline: the stores into the
// targets and planes could otherwise be taken to change it, and it would be read again for
// every group.
struct DrawFlags {
  explicit DrawFlags(const PixelPipeline& pipeline)
      : testsDepth(pipeline.depthActive),
        writesDepth(testsDepth && pipeline.depthState.writeEnable),
        readsTexture(pipeline.readsTexture),
        depthNotGreater(pipeline.depthAcceptsLess && pipeline.depthAcceptsEqual && !pipeline.depthAcceptsGreater) {}
  // A textured draw without a depth test, or with the usual one (less or equal) and depth writes.
  bool Usual() const { return readsTexture && (!testsDepth || (writesDepth && depthNotGreater)); }
  bool testsDepth, writesDepth, readsTexture;
  bool depthNotGreater;  // accepts exactly less and equal, the usual test: one comparison
};

// DrawFlags of a usual draw, known when compiling: the loops then test none of them.
template <bool kTestsDepth>
struct UsualDrawFlags {
  static constexpr bool testsDepth = kTestsDepth, writesDepth = kTestsDepth, readsTexture = true,
                        depthNotGreater = true;
};

// Returns run(flags) with the draw's flags, known when compiling where the draw is usual.
template <typename Run>
inline auto WithDrawFlags(const PixelPipeline& pipeline, Run&& run) {
  const DrawFlags flags(pipeline);
  if (!flags.Usual()) return run(flags);
  return flags.testsDepth ? run(UsualDrawFlags<true>{}) : run(UsualDrawFlags<false>{});
}

// ---- Sampling ----

// Each lane's two texels at `offset` and `offset + 1`, as two registers.
inline __attribute__((always_inline)) void LoadPairs(const uint32_t* texels, Ints offsets, Ints& first, Ints& second) {
  // Offsets are never negative: as unsigned values they index without being widened first.
  alignas(32) uint32_t o[8];
  _mm256_store_si256(reinterpret_cast<Ints*>(o), offsets);
  auto pair = [texels](uint32_t offset) { return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(texels + offset)); };
  auto twoPairs = [&](int lane, int other) { return _mm_unpacklo_epi64(pair(o[lane]), pair(o[other])); };
  // Pixels 0 1 | 4 5 in one register and 2 3 | 6 7 in the other, so that the shuffles below,
  // which work within 128-bit lanes, put the pixels back in order.
  Floats pairs0145 =
      _mm256_castsi256_ps(_mm256_inserti128_si256(_mm256_castsi128_si256(twoPairs(0, 1)), twoPairs(4, 5), 1));
  Floats pairs2367 =
      _mm256_castsi256_ps(_mm256_inserti128_si256(_mm256_castsi128_si256(twoPairs(2, 3)), twoPairs(6, 7), 1));
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
  Ints outside =
      _mm256_or_si256(_mm256_or_si256(_mm256_cmpgt_epi32(zero, indexU), _mm256_cmpgt_epi32(indexU, k.lastPairU)),
                      _mm256_or_si256(_mm256_cmpgt_epi32(zero, indexV), _mm256_cmpgt_epi32(indexV, k.lastPairV)));
  return _mm256_testz_si256(outside, outside) != 0;
}

// Where eight pixels sample the texture: along each axis, the first texel's index (before
// addressing) and the filter's weight of the next one.
struct SamplePoints {
  Ints indexU, weightU, indexV, weightV;
};

// One axis of SamplePoints.
struct AxisPositions {
  Ints index, weight;
};

template <AddressPlan kAddress>
inline __attribute__((always_inline)) SamplePoints SamplePointsOf(const ShadeConstants& k, Floats u, Floats v) {
  SamplePoints points;
  TexelPositions<kAddress>(u, k.axisU, k.linear, points.indexU, points.weightU);
  TexelPositions<kAddress>(v, k.axisV, k.linear, points.indexV, points.weightV);
  return points;
}

// How the texels of eight pixels were found.
enum class Stretch {
  None,     // not from one stretch: nothing loaded
  Loaded,   // a, b, c and d hold each pixel's four texels
  Uniform,  // every texel is one value, held in every lane of a
};

// Where the eight pixels' first texels lie within seven texels of each other in memory, as
// they do where a texture is magnified, the texels and their right-hand neighbours are among
// eight in a row, and those below among the eight one row down: two loads and a shuffle per
// texel instead of one load per pixel. The first texels are inside (see InsideForPairs).
// Where all sixteen texels loaded are one value (a flat part of a magnified texture), the
// filter would give that value for every weight: it is all there is to know.
// The stretch begins at offset `first`, each pixel's first texel `lane` texels into it.
inline __attribute__((always_inline)) Stretch LoadStretch(const ShadeConstants& k, int first, Ints lane, Ints& a,
                                                          Ints& b, Ints& c, Ints& d) {
  const Ints stretch = _mm256_loadu_si256(reinterpret_cast<const Ints*>(k.texels + first));
  const Ints below =
      _mm256_loadu_si256(reinterpret_cast<const Ints*>(k.texels + first + _mm256_cvtsi256_si32(k.rowPitch)));
  a = _mm256_broadcastd_epi32(_mm256_castsi256_si128(stretch));
  const Ints same = _mm256_and_si256(_mm256_cmpeq_epi32(stretch, a), _mm256_cmpeq_epi32(below, a));
  if (_mm256_testc_si256(same, L::Dwords<-1>())) {
    return Stretch::Uniform;
  }
  const Ints next = _mm256_add_epi32(lane, L::Dwords<1>());
  a = _mm256_permutevar8x32_epi32(stretch, lane);
  b = _mm256_permutevar8x32_epi32(stretch, next);
  c = _mm256_permutevar8x32_epi32(below, lane);
  d = _mm256_permutevar8x32_epi32(below, next);
  return Stretch::Loaded;
}

// The lowest of eight lanes, in every lane.
inline __attribute__((always_inline)) Ints LowestLane(Ints values) {
  values = _mm256_min_epi32(values, _mm256_permute2x128_si256(values, values, 1));
  values = _mm256_min_epi32(values, _mm256_shuffle_epi32(values, _MM_SHUFFLE(1, 0, 3, 2)));
  return _mm256_min_epi32(values, _mm256_shuffle_epi32(values, _MM_SHUFFLE(2, 3, 0, 1)));
}

// Whether eight offsets lie within seven texels of each other: `lane` then holds each one's
// distance from the lowest.
inline __attribute__((always_inline)) bool WithinStretch(Ints offsets, Ints& lowest, Ints& lane) {
  lowest = LowestLane(offsets);
  lane = _mm256_sub_epi32(offsets, lowest);
  return _mm256_testz_si256(_mm256_cmpgt_epi32(lane, L::Dwords<6>()), L::Dwords<-1>());
}

// LoadStretch for eight pixels whose first texels are at `offsets`, where they make a stretch.
inline __attribute__((always_inline)) Stretch LoadFromStretch(const ShadeConstants& k, Ints offsets, Ints& a, Ints& b,
                                                              Ints& c, Ints& d) {
  Ints lowest, lane;
  if (!WithinStretch(offsets, lowest, lane)) return Stretch::None;
  const int first = _mm256_cvtsi256_si32(lowest);
  // The eight texels one row down from the last stretch must still lie inside the texture.
  if (first > k.lastStretch) return Stretch::None;
  return LoadStretch(k, first, lane, a, b, c, d);
}

// One texel row of eight pixels filtered along u, in low and high halves.
struct FilteredRow {
  Ints low, high;
};

inline __attribute__((always_inline)) FilteredRow FilterAlongU(Ints left, Ints right, const SpreadWeights<L>& weightU) {
  return {Lerp16(L::Low16(left), L::Low16(right), weightU.low),
          Lerp16(L::High16(left), L::High16(right), weightU.high)};
}

inline __attribute__((always_inline)) void FilterAlongV(const FilteredRow& upper, const FilteredRow& lower,
                                                        const SpreadWeights<L>& weightV, Ints& low, Ints& high) {
  low = Lerp16(upper.low, lower.low, weightV.low);
  high = Lerp16(upper.high, lower.high, weightV.high);
}

// The bilinear filter over each pixel's four texels: a and b along u, c and d below them.
inline __attribute__((always_inline)) void Bilinear(Ints a, Ints b, Ints c, Ints d, const SpreadWeights<L>& weightU,
                                                    const SpreadWeights<L>& weightV, Ints& low, Ints& high) {
  FilterAlongV(FilterAlongU(a, b, weightU), FilterAlongU(c, d, weightU), weightV, low, high);
}

// Samples eight pixels' texels; returns them as 32-bit pixels in 16-bit lanes.
template <AddressPlan kAddress>
inline __attribute__((always_inline)) void SampleEight(const ShadeConstants& k, const SamplePoints& points, Ints& low,
                                                       Ints& high) {
  const Ints indexU = points.indexU, weightU = points.weightU, indexV = points.indexV, weightV = points.weightV;
  Ints a, b, c, d;
  if (k.linear && InsideForPairs(k, indexU, indexV)) {
    // Inside the texture, short of its last row and column, every address mode leaves the
    // indices as they are and each row's two texels are neighbours in memory.
    Ints offsets = _mm256_add_epi32(_mm256_sll_epi32(indexV, k.rowShift), indexU);
    switch (LoadFromStretch(k, offsets, a, b, c, d)) {
      case Stretch::Uniform:
        low = L::Low16(a);
        high = L::High16(a);
        return;
      case Stretch::None:
        LoadPairs(k.texels, offsets, a, b);
        LoadPairs(k.texels, _mm256_add_epi32(offsets, k.rowPitch), c, d);
        break;
      case Stretch::Loaded:
        break;
    }
  } else {
    AddressedTexels<L> at;
    AddressFirstTexels<kAddress>(k, indexU, indexV, at);
    const Ints x0 = at.x0, row0 = at.row0;
    if (!k.linear) {
      SplitPixels<L>(Gather(k.texels, _mm256_add_epi32(row0, x0)), low, high);
      return;
    }
    const Ints one = _mm256_set1_epi32(1);
    AddressSecondTexels<kAddress>(k, indexU, indexV, at);
    const Ints x1 = at.x1, row1 = at.row1;
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
  Bilinear(a, b, c, d, SpreadWeights<L>(weightU), SpreadWeights<L>(weightV), low, high);
}

// ---- A quad drawn straight on ----
// Where u changes only along the rows and v only down the columns, every row of a tile reads the
// same texel columns with the same weights, and every pixel of a row the same texel rows: the
// columns are worked out once for a tile's rows, the rows once a row.

// Where eight columns sample the texture along u.
struct ColumnTexels {
  AxisPositions positions;
  SpreadWeights<L> weights;  // positions.weight, for the filter
  Ints lane;                 // within the stretch: each first texel's distance from the lowest
  int lowest;                // the lowest first texel
  bool inside;               // the columns' first texels and their neighbours all lie inside, within a stretch
  // The texel rows last sampled from a stretch, filtered along u: a magnified texture's next
  // rows of pixels mostly read the same ones. `filteredRow` is their offset (-1 for none).
  // Where all their texels are one value (`uniform`), `upper` holds it: the filter gives it
  // whatever the weights.
  int filteredRow = -1;
  bool uniform = false;
  FilteredRow upper, lower;
};

template <AddressPlan kAddress>
inline ColumnTexels ColumnTexelsOf(const ShadeConstants& k, Floats u) {
  ColumnTexels column;
  TexelPositions<kAddress>(u, k.axisU, true, column.positions.index, column.positions.weight);
  const Ints index = column.positions.index;
  const Ints outside =
      _mm256_or_si256(_mm256_cmpgt_epi32(_mm256_setzero_si256(), index), _mm256_cmpgt_epi32(index, k.lastPairU));
  Ints lowest;
  column.inside = WithinStretch(index, lowest, column.lane) && _mm256_testz_si256(outside, outside);
  column.lowest = _mm256_cvtsi256_si32(lowest);
  column.weights = SpreadWeights<L>(column.positions.weight);
  return column;
}

// Where a row samples the texture along v, for rows along which v does not change.
struct RowTexels {
  AxisPositions positions;
  SpreadWeights<L> weights;  // positions.weight, for the filter
  int offset;                // of the upper texel row, in texels, where inside
  bool inside;               // both texel rows lie inside
};

template <AddressPlan kAddress>
inline RowTexels RowTexelsOf(const ShadeConstants& k, Floats v) {
  RowTexels row;
  TexelPositions<kAddress>(v, k.axisV, k.linear, row.positions.index, row.positions.weight);
  const int index = _mm256_cvtsi256_si32(row.positions.index);
  row.inside = index >= 0 && index <= _mm256_cvtsi256_si32(k.lastPairV);
  row.offset = index << _mm_cvtsi128_si32(k.rowShift);
  row.weights = SpreadWeights<L>(row.positions.weight);
  return row;
}

// SampleEight for a group of columns in a row.
template <AddressPlan kAddress>
inline __attribute__((always_inline)) void SampleColumnsOfRow(const ShadeConstants& k, ColumnTexels& column,
                                                              const RowTexels& row, Ints& low, Ints& high) {
  const int first = row.offset + column.lowest;
  if (column.inside && row.inside && first <= k.lastStretch) {
    if (column.filteredRow != row.offset) {
      Ints a, b, c, d;
      column.uniform = LoadStretch(k, first, column.lane, a, b, c, d) == Stretch::Uniform;
      if (column.uniform) {
        column.upper = {L::Low16(a), L::High16(a)};
      } else {
        column.upper = FilterAlongU(a, b, column.weights);
        column.lower = FilterAlongU(c, d, column.weights);
      }
      column.filteredRow = row.offset;
    }
    if (column.uniform) {
      low = column.upper.low;
      high = column.upper.high;
    } else {
      FilterAlongV(column.upper, column.lower, row.weights, low, high);
    }
    return;
  }
  const SamplePoints points{column.positions.index, column.positions.weight, row.positions.index, row.positions.weight};
  SampleEight<kAddress>(k, points, low, high);
}

// ---- Depth ----

// Lanes set in a bit mask, as a register of all-ones lanes.
inline Ints LaneMask(unsigned bits) {
  const Ints laneBits = _mm256_setr_epi32(1, 2, 4, 8, 16, 32, 64, 128);
  return _mm256_cmpeq_epi32(_mm256_and_si256(_mm256_set1_epi32(int(bits)), laneBits), laneBits);
}

// The depth test of eight incoming depths against the stored ones: returns the lanes of
// `live` that pass, and the depths to store where writes are on.
inline unsigned CompareDepths(const ShadeConstants& k, bool notGreater, Ints incoming, Ints stored, unsigned live,
                              Ints& merged) {
  Ints passes = DepthPassMask<L>(k.depth, incoming, stored, notGreater);
  if (live != kAllLanes) passes = _mm256_and_si256(passes, LaneMask(live));
  merged = _mm256_blendv_epi8(stored, incoming, passes);
  return unsigned(_mm256_movemask_ps(_mm256_castsi256_ps(passes)));
}

// Eight depths of 0..65535 as 16-bit values: the unsigned saturating pack keeps them; the
// permute undoes the pack's interleaving of 128-bit lanes.
inline __m128i PackDepths(Ints depths) {
  return _mm256_castsi256_si128(_mm256_permute4x64_epi64(_mm256_packus_epi32(depths, depths), _MM_SHUFFLE(3, 1, 2, 0)));
}

// Depth test and write for eight consecutive depths (as 16-bit values); returns the lanes of
// `live` that pass.
template <typename Flags>
inline unsigned TestDepth(const Flags& flags, const ShadeConstants& k, uint16_t* depth, Ints incoming, unsigned live) {
  Ints stored = _mm256_cvtepu16_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(depth)));
  Ints merged;
  live = CompareDepths(k, flags.depthNotGreater, incoming, stored, live, merged);
  if (live != 0 && flags.writesDepth) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(depth), PackDepths(merged));
  }
  return live;
}

// ---- One group of eight pixels ----

// The pixel centres of a group, relative to the triangle's origin, and what the planes give
// there: a * dx + b * dy + c, the scalar pipeline's order of operations.
struct GroupPosition {
  Floats dx, dy;
  Floats At(const AttributePlane& p) const {
    return _mm256_add_ps(_mm256_add_ps(_mm256_mul_ps(_mm256_set1_ps(p.a), dx), _mm256_mul_ps(_mm256_set1_ps(p.b), dy)),
                         _mm256_set1_ps(p.c));
  }
};

// What the depth test and texture stage 0 take from a triangle at eight pixel centres.
struct PixelValues {
  Floats depth;
  Floats u, v;  // the texture coordinates, divided by q where there is perspective
  Ints diffuse;
  // Where depth is the same along the whole row: its 16-bit value in every lane, which `depth`
  // then leaves out.
  const Ints* rowDepth = nullptr;
  // Where v is the same along the whole row: where the row samples the texture, which `v` then
  // leaves out; and where u changes only from column to column too, where the group's columns
  // sample it, which `u` then leaves out.
  const RowTexels* row = nullptr;
  ColumnTexels* column = nullptr;  // keeps what it filters for the rows after this one
};

inline __attribute__((always_inline)) PixelValues Evaluate(const PixelPipeline& pipeline, const SetupTriangle& triangle,
                                                           const GroupPosition& at) {
  PixelValues values;
  values.depth = at.At(triangle.depth);
  Floats w = _mm256_set1_ps(1.0f);
  if (triangle.Perspective()) w = _mm256_div_ps(_mm256_set1_ps(1.0f), at.At(triangle.extras->q));
  if (triangle.FlatColor()) {
    values.diffuse = _mm256_set1_epi32(int(triangle.flatDiffuse));
  } else {
    values.diffuse =
        DiffuseOf<L>([&](int channel) { return at.At(triangle.extras->color[channel]); }, triangle.Perspective(), w);
  }
  values.u = values.v = _mm256_setzero_ps();
  if (pipeline.readsTexture) {
    values.u = at.At(triangle.texcoord[0]);
    values.v = at.At(triangle.texcoord[1]);
    if (triangle.Perspective()) {
      values.u = _mm256_mul_ps(values.u, w);
      values.v = _mm256_mul_ps(values.v, w);
    }
  }
  return values;
}

// Texture stage 0's output for eight pixels, in low and high halves.
template <AddressPlan kAddress, BlendPlan kBlend, StagePlan kStage, typename Flags>
inline __attribute__((always_inline)) void SourceEight(const PixelPipeline& pipeline, const Flags& flags,
                                                       const ShadeConstants& k, const PixelValues& values,
                                                       Ints& sourceLow, Ints& sourceHigh) {
  Ints texelLow, texelHigh;
  if (flags.readsTexture) {
    if (values.column != nullptr) {
      SampleColumnsOfRow<kAddress>(k, *values.column, *values.row, texelLow, texelHigh);
    } else {
      SamplePoints points;
      if (values.row != nullptr) {
        TexelPositions<kAddress>(values.u, k.axisU, k.linear, points.indexU, points.weightU);
        points.indexV = values.row->positions.index;
        points.weightV = values.row->positions.weight;
      } else {
        points = SamplePointsOf<kAddress>(k, values.u, values.v);
      }
      SampleEight<kAddress>(k, points, texelLow, texelHigh);
    }
    if (k.opaqueTexels) MakeOpaque<L>(texelLow, texelHigh);
  } else {
    OpaqueBlack<L>(texelLow, texelHigh);
  }
  if constexpr (kStage == StagePlan::ModulateWithDoubledAlpha && kBlend == BlendPlan::Off) {
    if (k.texelIsSource) {
      sourceLow = texelLow;
      sourceHigh = texelHigh;
      return;
    }
  }
  sourceLow = CombineStage16<kStage, L>(pipeline.stage, texelLow, L::Low16(values.diffuse));
  sourceHigh = CombineStage16<kStage, L>(pipeline.stage, texelHigh, L::High16(values.diffuse));
}

// The colours to write for the lanes of `live` among eight: the other lanes keep their
// values in `kept`, which without blending and with every lane live is not read at all.
template <AddressPlan kAddress, BlendPlan kBlend, StagePlan kStage, typename Flags>
inline __attribute__((always_inline)) Ints ShadeColors(const PixelPipeline& pipeline, const Flags& flags,
                                                       const ShadeConstants& k, const PixelValues& values, Ints kept,
                                                       unsigned live) {
  Ints sourceLow, sourceHigh;
  SourceEight<kAddress, kBlend, kStage>(pipeline, flags, k, values, sourceLow, sourceHigh);
  Ints result = BlendPixels<kBlend, L>(pipeline.blend, k, sourceLow, sourceHigh, kept);
  if (live != kAllLanes) result = _mm256_blendv_epi8(kept, result, LaneMask(live));
  return result;
}

// Shades the lanes of `live` among eight consecutive pixels of the targets; returns the lanes
// written. Without blending, the colours are only read where a lane must keep its own. `depth`
// is null where the draw tests no depth or the pixels' test is done.
template <AddressPlan kAddress, BlendPlan kBlend, StagePlan kStage, typename Flags>
inline __attribute__((always_inline)) unsigned ShadeGroup(const PixelPipeline& pipeline, const Flags& flags,
                                                          const ShadeConstants& k, const PixelValues& values,
                                                          uint32_t* color, uint16_t* depth, unsigned live) {
  if (flags.testsDepth && depth != nullptr) {
    const Ints incoming = values.rowDepth != nullptr ? *values.rowDepth : DepthToUnorm16<L>(values.depth);
    live = TestDepth(flags, k, depth, incoming, live);
    if (live == 0) return 0;
  }
  const bool readsColor = kBlend != BlendPlan::Off || live != kAllLanes;
  const Ints kept = readsColor ? _mm256_loadu_si256(reinterpret_cast<const Ints*>(color)) : _mm256_setzero_si256();
  _mm256_storeu_si256(reinterpret_cast<Ints*>(color),
                      ShadeColors<kAddress, kBlend, kStage>(pipeline, flags, k, values, kept, live));
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

// Eight consecutive columns from xFirst on.
inline Ints ColumnsFrom(int xFirst) {
  return _mm256_add_epi32(_mm256_set1_epi32(xFirst), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
}

// Eight pixel centres of row y from column xFirst on.
inline GroupPosition PositionOf(const SetupTriangle& triangle, int xFirst, int y) {
  // (float)x - originX and (float)y - originY per lane, as the scalar pipeline computes them.
  return {_mm256_sub_ps(_mm256_cvtepi32_ps(ColumnsFrom(xFirst)), _mm256_set1_ps(triangle.originX)),
          _mm256_set1_ps(static_cast<float>(y) - triangle.originY)};
}

// ---- Pixels set aside ----
// Narrow triangles' pixels, and runs' last pixels after their whole groups of eight, wait in
// the tile's PendingPixels until the tile's draw ends, and are then shaded eight neighbours at
// a time. The order of writes is kept: depth is tested as pixels are set aside, a run's groups
// written straight to the targets first send any waiting pixels among them there, and so does
// a waiting pixel covered again where blending reads what it left.

inline size_t PlaneIndex(int row, int column) { return size_t(row) * PendingPixels::kSize + size_t(column); }

// The lanes of `live` (not empty) keep their values; the others take the first live lane's,
// which stands in for a pixel whose plane values were never written.
inline Ints FillFromFirstLive(Ints values, unsigned live) {
  const Ints first = _mm256_set1_epi32(__builtin_ctz(live));
  return _mm256_blendv_epi8(_mm256_permutevar8x32_epi32(values, first), values, LaneMask(live));
}

inline Ints LoadPlane(const void* plane, size_t at) {
  return _mm256_loadu_si256(reinterpret_cast<const Ints*>(static_cast<const uint32_t*>(plane) + at));
}

// Shades every waiting pixel and leaves none waiting.
template <AddressPlan kAddress, BlendPlan kBlend, StagePlan kStage>
void ShadeAllWaiting(const PixelPipeline& pipeline, const ShadeConstants& k, PendingPixels& pending) {
  const DrawFlags flags(pipeline);
  const int lastGroup = pending.area.maxX - pending.area.minX - 7;  // the last column a group may start at
  for (int row = pending.firstRow; row <= pending.lastRow; ++row) {
    uint64_t waiting = pending.waiting[row];
    pending.waiting[row] = 0;
    uint32_t* colorRow = ColorRow(pipeline, pending.area.minY + row) + pending.area.minX;
    while (waiting != 0) {
      // The group from the first waiting pixel on, moved left where it would pass the area.
      const int column = std::min(__builtin_ctzll(waiting), lastGroup);
      const unsigned live = unsigned(waiting >> column) & kAllLanes;
      waiting &= ~(uint64_t(kAllLanes) << column);
      const size_t at = PlaneIndex(row, column);
      Ints u = LoadPlane(pending.u, at), v = LoadPlane(pending.v, at), diffuse = LoadPlane(pending.diffuse, at);
      if (live != kAllLanes) {
        u = FillFromFirstLive(u, live);
        v = FillFromFirstLive(v, live);
        diffuse = FillFromFirstLive(diffuse, live);
      }
      const PixelValues values{_mm256_setzero_ps(), _mm256_castsi256_ps(u), _mm256_castsi256_ps(v), diffuse};
      ShadeGroup<kAddress, kBlend, kStage>(pipeline, flags, k, values, colorRow + column, nullptr,
                                           live);  // depth is done
    }
  }
  pending.firstRow = PendingPixels::kSize;
  pending.lastRow = -1;
}

// Whether a pixel among the `groups` groups of eight of row y from column x on is waiting
// (`groups` from 1 to 8, within the area).
inline bool WaitingAmong(const PendingPixels& pending, int x, int y, int groups) {
  if (pending.Empty()) return false;
  ORBELUNE_ASSERT(groups >= 1 && groups <= PendingPixels::kSize / 8);
  const uint64_t columns = ~uint64_t(0) >> (64 - 8 * groups);
  return ((pending.waiting[y - pending.area.minY] >> (x - pending.area.minX)) & columns) != 0;
}

// Tests the depths of the `covered` lanes among eight pixels of a row and sets aside those that
// pass. `depth` holds the row's depths from the first of the eight (null without a depth test),
// `at` is their place in the planes, and `column` the first one's bit in `waiting`, the row's
// waiting pixels.
template <AddressPlan kAddress, BlendPlan kBlend, StagePlan kStage, typename Flags>
inline __attribute__((always_inline)) void SetAsideEight(const PixelPipeline& pipeline, const ShadeConstants& k,
                                                         const Flags& flags, PendingPixels& pending, uint16_t* depth,
                                                         size_t at, uint64_t& waiting, int column,
                                                         const PixelValues& values, unsigned covered) {
  Ints lanes = LaneMask(covered);
  if (flags.testsDepth) {
    const Ints stored = _mm256_cvtepu16_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(depth)));
    const Ints incoming = DepthToUnorm16<L>(values.depth);
    lanes = _mm256_and_si256(DepthPassMask<L>(k.depth, incoming, stored, flags.depthNotGreater), lanes);
    covered = unsigned(_mm256_movemask_ps(_mm256_castsi256_ps(lanes)));
    if (covered == 0) return;
    if (flags.writesDepth) {
      _mm_storeu_si128(reinterpret_cast<__m128i*>(depth), PackDepths(_mm256_blendv_epi8(stored, incoming, lanes)));
    }
  }
  const uint64_t bits = uint64_t(covered) << column;
  if constexpr (kBlend != BlendPlan::Off) {
    // Blending over a waiting pixel reads the colour it is yet to leave.
    if ((waiting & bits) != 0) ShadeAllWaiting<kAddress, kBlend, kStage>(pipeline, k, pending);
  }
  auto store = [at, lanes](void* plane, Ints value) {
    Ints* place = reinterpret_cast<Ints*>(static_cast<uint32_t*>(plane) + at);
    _mm256_storeu_si256(place, _mm256_blendv_epi8(_mm256_loadu_si256(place), value, lanes));
  };
  if (flags.readsTexture) {
    store(pending.u, _mm256_castps_si256(values.u));
    store(pending.v, _mm256_castps_si256(values.v));
  }
  store(pending.diffuse, values.diffuse);
  waiting |= bits;
}

// SetAsideEight for the `live` lanes among the eight pixels of row y from column x on (all
// within the area).
template <AddressPlan kAddress, BlendPlan kBlend, StagePlan kStage, typename Flags>
inline __attribute__((always_inline)) void SetAside(const PixelPipeline& pipeline, const Flags& flags,
                                                    const ShadeConstants& k, PendingPixels& pending, int x, int y,
                                                    const PixelValues& values, unsigned live) {
  const int row = y - pending.area.minY, column = x - pending.area.minX;
  // The eight pixels lie within the area, which is at least eight pixels wide.
  ORBELUNE_ASSERT(row >= 0 && y <= pending.area.maxY && column >= 0 && x + 7 <= pending.area.maxX);
  uint16_t* depth = flags.testsDepth ? DepthRow(pipeline, y) + x : nullptr;
  SetAsideEight<kAddress, kBlend, kStage>(pipeline, k, flags, pending, depth, PlaneIndex(row, column),
                                          pending.waiting[row], column, values, live);
  pending.firstRow = std::min(pending.firstRow, row);
  pending.lastRow = std::max(pending.lastRow, row);
}

// A plane's values eight columns at a time, row by row: b * dy is the same for a whole row.
struct PlaneAlongRows {
  explicit PlaneAlongRows(const AttributePlane& plane)
      : a(_mm256_set1_ps(plane.a)), c(_mm256_set1_ps(plane.c)), b(plane.b) {}
  Floats Row(float dy) const { return _mm256_set1_ps(b * dy); }
  // The order of GroupPosition::At, with `row` from Row().
  Floats At(Floats dx, Floats row) const { return _mm256_add_ps(_mm256_add_ps(_mm256_mul_ps(a, dx), row), c); }
  Floats a, c;
  float b;
};

template <AddressPlan kAddress, BlendPlan kBlend, StagePlan kStage, typename Flags>
void ShadeSpansEightWide(const PixelPipeline& pipeline, const Flags& flags, const SetupTriangle& triangle,
                         const Span* spans, int count, PendingPixels& pending) {
  const ShadeConstants& k = ConstantsOf(pipeline);
  const bool setsAside = pending.CanHold();
  // The usual triangle, without extras: what its planes take from a row is worked out once a row.
  const PlaneAlongRows depth(triangle.depth), u(triangle.texcoord[0]), v(triangle.texcoord[1]);
  // As in a quad drawn straight on: v changes only from row to row, and depth too where the quad
  // faces the eye.
  const bool vAlongRows = flags.readsTexture && triangle.texcoord[1].a == 0.0f;
  const bool depthAlongRows = flags.testsDepth && triangle.depth.a == 0.0f;
  // And u only from column to column, filtered: the columns' texels are kept from the span that
  // worked them out for the spans after it that start at the same column.
  const bool uAlongColumns = vAlongRows && k.linear && triangle.texcoord[0].b == 0.0f;
  constexpr int kMostGroups = PendingPixels::kSize / 8;
  ColumnTexels columns[kMostGroups];
  int columnsFrom = 0, columnGroups = 0;
  const Ints diffuse = _mm256_set1_epi32(int(triangle.flatDiffuse));
  const Floats originX = _mm256_set1_ps(triangle.originX);
  for (const Span* span = spans; span != spans + count; ++span) {
    const int y = span->y;
    uint32_t* colorRow = ColorRow(pipeline, y);
    uint16_t* depthRow = flags.testsDepth ? DepthRow(pipeline, y) : nullptr;
    int x = span->xBegin;
    // Kept apart from the span, which the colour stores could otherwise change as far as the
    // compiler knows, so that each group does not read it again.
    const int xEnd = span->xEnd;
    const int groups = (xEnd - x) / 8;  // whole groups of eight from x on
    auto wholeGroups = [&](auto&& valuesAt) __attribute__((always_inline)) {
      if (groups == 0) return;
      // Waiting pixels among the groups are shaded first. The groups before the first of them
      // write other pixels, so they may as well come after, and the loop tests nothing more.
      if (WaitingAmong(pending, x, y, groups)) ShadeAllWaiting<kAddress, kBlend, kStage>(pipeline, k, pending);
      for (; x + 8 <= xEnd; x += 8) {
        ShadeGroup<kAddress, kBlend, kStage>(pipeline, flags, k, valuesAt(x), colorRow + x,
                                             depthRow != nullptr ? depthRow + x : nullptr, kAllLanes);
      }
    };
    if (triangle.extras != nullptr) {
      wholeGroups([&](int column) { return Evaluate(pipeline, triangle, PositionOf(triangle, column, y)); });
    } else {
      const float dy = static_cast<float>(y) - triangle.originY;
      const Floats rowDepth = depth.Row(dy), rowU = u.Row(dy), rowV = v.Row(dy);
      auto dxFrom = [&](int column) { return _mm256_sub_ps(_mm256_cvtepi32_ps(ColumnsFrom(column)), originX); };
      // 0 * dx adds nothing (a zero's sign is lost in the sum, or changes no texel position nor
      // depth): a plane with a = 0 gives the row's value in every lane and every group.
      Ints depthOfRow;
      if (depthAlongRows) depthOfRow = DepthToUnorm16<L>(depth.At(dxFrom(x), rowDepth));
      const Ints* sameDepth = depthAlongRows ? &depthOfRow : nullptr;
      auto depthAt = [&](Floats dx) { return depthAlongRows ? _mm256_setzero_ps() : depth.At(dx, rowDepth); };
      if (vAlongRows) {
        const RowTexels row = RowTexelsOf<kAddress>(k, v.At(dxFrom(x), rowV));
        const Floats unused = _mm256_setzero_ps();
        if (uAlongColumns && groups <= kMostGroups) {
          // b * dy is a zero in u: its sign is lost in the sum or changes no texel position.
          if (x != columnsFrom || groups > columnGroups) {
            for (int group = 0; group < groups; ++group) {
              columns[group] = ColumnTexelsOf<kAddress>(k, u.At(dxFrom(x + 8 * group), rowU));
            }
            columnsFrom = x;
            columnGroups = groups;
          }
          wholeGroups([&](int column) {
            ColumnTexels* texels = &columns[unsigned(column - columnsFrom) / 8];  // column >= columnsFrom
            return PixelValues{depthAt(dxFrom(column)), unused, unused, diffuse, sameDepth, &row, texels};
          });
        } else {
          wholeGroups([&](int column) {
            const Floats dx = dxFrom(column);
            return PixelValues{depthAt(dx), u.At(dx, rowU), unused, diffuse, sameDepth, &row};
          });
        }
      } else {
        wholeGroups([&](int column) {
          const Floats dx = dxFrom(column);
          return PixelValues{depthAt(dx), u.At(dx, rowU), v.At(dx, rowV), diffuse, sameDepth};
        });
      }
    }
    if (x == xEnd) continue;
    if (!setsAside) {
      ShadeSpanScalar(pipeline, triangle, y, x, xEnd);
      continue;
    }
    // The last pixels, in a group moved left where it would pass the area.
    const int first = std::min(x, pending.area.maxX - 7);
    const unsigned live = ((1u << (xEnd - x)) - 1) << (x - first);
    SetAside<kAddress, kBlend, kStage>(pipeline, flags, k, pending, first, y,
                                       Evaluate(pipeline, triangle, PositionOf(triangle, first, y)), live);
  }
}

// The walk's start, eight pixel centres of a row at once: each edge's values at columns
// first .. first + 7 of row y, and its step a row down, in 32-bit arithmetic from the low half
// of its start (the triangle's smallWalk holds: every value the walk meets is exact).
inline __attribute__((always_inline)) void StartSmallWalk(const SetupTriangle& triangle, int first, int y, Ints edge[3],
                                                          Ints rowStep[3]) {
  const Ints columns =
      _mm256_add_epi32(_mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7), _mm256_set1_epi32(first - triangle.minX));
  const Ints rows = _mm256_set1_epi32(y - triangle.minY);
  for (int i = 0; i < 3; ++i) {
    const EdgeFunction& function = triangle.edges[i];
    rowStep[i] = _mm256_slli_epi32(_mm256_set1_epi32(function.b), tuning::kSubpixelBits);
    const Ints stepX = _mm256_slli_epi32(_mm256_set1_epi32(function.a), tuning::kSubpixelBits);
    edge[i] = _mm256_add_epi32(
        _mm256_add_epi32(_mm256_set1_epi32(static_cast<int32_t>(function.start)), _mm256_mullo_epi32(columns, stepX)),
        _mm256_mullo_epi32(rows, rowStep[i]));
  }
}

// A plane's values at eight columns, row after row: a * dx stays the same down a column.
struct PlaneDownColumns {
  PlaneDownColumns(const AttributePlane& plane, Floats dx)
      : ax(_mm256_mul_ps(_mm256_set1_ps(plane.a), dx)), b(_mm256_set1_ps(plane.b)), c(_mm256_set1_ps(plane.c)) {}
  // The order of GroupPosition::At.
  Floats At(Floats dy) const { return _mm256_add_ps(_mm256_add_ps(ax, _mm256_mul_ps(b, dy)), c); }
  Floats ax, b, c;
};

// A narrow triangle (its pixels within `rect`, at most eight columns, and a small walk) walked
// a row at a time, the edge functions at eight pixel centres at once; its covered pixels are
// set aside, with no runs to build for a triangle a few pixels across, and what stays the same
// from row to row worked out once.
template <AddressPlan kAddress, BlendPlan kBlend, StagePlan kStage, typename Flags>
inline __attribute__((always_inline)) void ShadeNarrowTriangle(const PixelPipeline& pipeline, const ShadeConstants& k,
                                                               const Flags& flags, const SetupTriangle& triangle,
                                                               const ScissorRect& rect, PendingPixels& pending) {
  // The walk's eight columns: from the triangle's first, moved left where they would pass the
  // area (at most seven columns left of the triangle).
  const int first = std::min(rect.minX, pending.area.maxX - 7);
  // At most seven columns left of the triangle, as its small walk allows, and inside the area.
  ORBELUNE_ASSERT(triangle.smallWalk && rect.maxX - rect.minX < 8 && first >= pending.area.minX &&
                  first >= triangle.minX - 7);
  Ints edge[3], rowStep[3];
  StartSmallWalk(triangle, first, rect.minY, edge, rowStep);
  const unsigned inWidth = ((1u << (rect.maxX - first + 1)) - 1) & ~((1u << (rect.minX - first)) - 1);
  const size_t depthPitch = flags.testsDepth ? pipeline.depth.pitchBytes : 0;
  uint8_t* depthRow = flags.testsDepth ? reinterpret_cast<uint8_t*>(DepthRow(pipeline, rect.minY) + first) : nullptr;
  const int firstRow = rect.minY - pending.area.minY, column = first - pending.area.minX;
  uint64_t* waiting = pending.waiting + firstRow;
  size_t at = PlaneIndex(firstRow, column);
  // Copied out, as the draw's flags are: the stores into the planes could be taken to change them.
  const int top = rect.minY, bottom = rect.maxY;
  const float originY = triangle.originY;

  auto walk = [&](auto&& valuesAt) {
    for (int y = top; y <= bottom; ++y, ++waiting, at += PendingPixels::kSize, depthRow += depthPitch) {
      // A pixel is covered when none of its three values has the sign bit.
      Ints anyNegative = _mm256_or_si256(_mm256_or_si256(edge[0], edge[1]), edge[2]);
      unsigned covered = ~unsigned(_mm256_movemask_ps(_mm256_castsi256_ps(anyNegative))) & inWidth;
      for (int i = 0; i < 3; ++i) edge[i] = _mm256_add_epi32(edge[i], rowStep[i]);
      if (covered == 0) continue;
      SetAsideEight<kAddress, kBlend, kStage>(pipeline, k, flags, pending, reinterpret_cast<uint16_t*>(depthRow), at,
                                              *waiting, column, valuesAt(y), covered);
    }
  };
  if (triangle.Perspective() || !triangle.FlatColor()) {
    walk([&](int y) { return Evaluate(pipeline, triangle, PositionOf(triangle, first, y)); });
  } else {
    // The usual triangle of a mesh: a * dx of each plane is the same on every row.
    const Floats dx = PositionOf(triangle, first, 0).dx;
    const PlaneDownColumns depth(triangle.depth, dx), u(triangle.texcoord[0], dx), v(triangle.texcoord[1], dx);
    const Ints diffuse = _mm256_set1_epi32(int(triangle.flatDiffuse));
    walk([&](int y) {
      const Floats dy = _mm256_set1_ps(static_cast<float>(y) - originY);
      return PixelValues{depth.At(dy), u.At(dy), v.At(dy), diffuse};
    });
  }
  // A flush above empties the rows; rows where nothing was set aside cost the final shading a look.
  pending.firstRow = std::min(pending.firstRow, firstRow);
  pending.lastRow = std::max(pending.lastRow, bottom - pending.area.minY);
}

// The narrow triangles from the first on, one after another: a mesh's triangles mostly are.
template <AddressPlan kAddress, BlendPlan kBlend, StagePlan kStage, typename Flags>
int ShadeNarrowTriangles(const PixelPipeline& pipeline, const Flags& flags, const SetupTriangle* const* triangles,
                         int count, const ScissorRect& area, PendingPixels& pending) {
  const ShadeConstants& k = ConstantsOf(pipeline);
  for (int i = 0; i < count; ++i) {
    const SetupTriangle& triangle = *triangles[i];
    const ScissorRect rect = BoundsWithin(triangle, area);
    if (rect.Empty()) continue;
    if (rect.maxX - rect.minX >= 8 || !triangle.smallWalk) return i;
    ShadeNarrowTriangle<kAddress, kBlend, kStage>(pipeline, k, flags, triangle, rect, pending);
  }
  return count;
}

template <AddressPlan kAddress, BlendPlan kBlend, StagePlan kStage>
struct NarrowTriangleShader {
  static int Shade(const PixelPipeline& pipeline, const SetupTriangle* const* triangles, int count,
                   const ScissorRect& area, PendingPixels& pending) {
    if (!pending.CanHold()) return 0;
    return WithDrawFlags(pipeline, [&](const auto& flags) {
      return ShadeNarrowTriangles<kAddress, kBlend, kStage>(pipeline, flags, triangles, count, area, pending);
    });
  }
};

template <AddressPlan kAddress, BlendPlan kBlend, StagePlan kStage>
struct EightWideShader {
  static void Shade(const PixelPipeline& pipeline, const SetupTriangle& triangle, const Span* spans, int count,
                    int /*areaEndX*/, PendingPixels& pending) {
    WithDrawFlags(pipeline, [&](const auto& flags) {
      ShadeSpansEightWide<kAddress, kBlend, kStage>(pipeline, flags, triangle, spans, count, pending);
    });
  }
};

template <AddressPlan kAddress, BlendPlan kBlend, StagePlan kStage>
struct WaitingShader {
  static void Shade(const PixelPipeline& pipeline, PendingPixels& pending) {
    ShadeAllWaiting<kAddress, kBlend, kStage>(pipeline, ConstantsOf(pipeline), pending);
  }
};

}  // namespace

SpanShader PrepareAvx2Shader(PixelPipeline& pipeline) {
  static_assert(sizeof(ShadeConstants) <= PixelPipeline::kShaderConstantBytes);
  FillShadeConstants(pipeline, *new (pipeline.shaderConstants) ShadeConstants);
  const ShaderPlan plan = PlanShader(pipeline);
  pipeline.narrowShader = SpecialisedShader<NarrowTriangleShader>(plan);
  pipeline.pendingShader = SpecialisedShader<WaitingShader>(plan);
  return SpecialisedShader<EightWideShader>(plan);
}

#endif

}  // namespace refdevice
