// Implements: SetupScreenTriangle's steps for eight triangles at once, each lane doing the
// same integer and floating-point operations in the same order (built with AVX2 and without
// FMA, so no multiply and add is fused), hence the same records.
// Leaves out: perspective and colour planes (the triangles it takes have neither), clipping.
// On the map of docs/reference-device.md: SetupAndBinTriangles' plain triangles, eight at a time.
#include "setup_avx2.h"

#include <algorithm>
#include <cstddef>

#include "avx2_lanes.h"
#include "tuning.h"

#if defined(__AVX2__)
#include <immintrin.h>
#endif

namespace refdevice {

#if !defined(__AVX2__)

unsigned SetupEightTriangles(const ScreenVertex*, const int32_t[3][8], unsigned, CullMode, const ScissorRect&,
                             SetupTriangle[8]) {
  return 0;
}
unsigned SetupEightListedTriangles(const ScreenVertex*, const uint32_t*, uint32_t, uint32_t, CullMode,
                                   const ScissorRect&, SetupTriangle[8]) {
  return 0;
}

#else

namespace {

using Floats = __m256;
using Ints = __m256i;
using Doubles = __m256d;

// One corner of the eight triangles: its position in pixels, depth and texture coordinates.
struct Corner {
  Floats x, y, z, u, v;
};

// Calls visit(lane, slot) for each of eight lanes' slots.
template <typename Visit>
void ForEachSlot(Ints slots, Visit&& visit) {
  alignas(32) int32_t slot[8];
  _mm256_store_si256(reinterpret_cast<Ints*>(slot), slots);
  for (int lane = 0; lane < 8; ++lane) visit(lane, slot[lane]);
}

// The corners at eight slots, read a vertex at a time.
Corner LoadCorner(const ScreenVertex* vertices, Ints slots) {
  static_assert(offsetof(ScreenVertex, y) == offsetof(ScreenVertex, x) + 4 &&
                offsetof(ScreenVertex, z) == offsetof(ScreenVertex, x) + 8);
  const float *positions[8], *texcoords[8];
  ForEachSlot(slots, [&](int lane, int slot) {
    positions[lane] = &vertices[slot].x;
    texcoords[lane] = vertices[slot].texcoord;
  });
  Floats xyzq[4], uv[2];
  avx2::LoadFourColumns(positions, xyzq);
  avx2::LoadTwoColumns(texcoords, uv);
  return {xyzq[0], xyzq[1], xyzq[2], uv[0], uv[1]};
}

// Lanes whose coordinate lies within kLargestCoordinate (NaN does not).
Ints InRange(Floats coordinate) {
  const Floats magnitude = _mm256_and_ps(coordinate, _mm256_castsi256_ps(_mm256_set1_epi32(0x7FFFFFFF)));
  return _mm256_castps_si256(_mm256_cmp_ps(magnitude, _mm256_set1_ps(kLargestCoordinate), _CMP_LT_OQ));
}

// Snap for four lanes: scaled by the subpixel scale in double, half away from zero, truncated.
// A negative zero takes -0.5 where Snap takes +0.5; both truncate to 0.
__m128i SnapFour(__m128 coordinate) {
  const Doubles scaled = _mm256_mul_pd(_mm256_cvtps_pd(coordinate), _mm256_set1_pd(tuning::kSubpixelScale));
  const Doubles half = _mm256_or_pd(_mm256_and_pd(scaled, _mm256_set1_pd(-0.0)), _mm256_set1_pd(0.5));
  return _mm256_cvttpd_epi32(_mm256_add_pd(scaled, half));
}

Ints Snap(Floats coordinate) {
  return _mm256_setr_m128i(SnapFour(_mm256_castps256_ps128(coordinate)),
                           SnapFour(_mm256_extractf128_ps(coordinate, 1)));
}

// 64-bit values of eight lanes: lanes 0 2 4 6 in `even`, 1 3 5 7 in `odd`.
struct Wide {
  Ints even, odd;
};

// Products of signed 32-bit lanes, exact in 64 bits.
Wide Multiply(Ints a, Ints b) {
  return {_mm256_mul_epi32(a, b), _mm256_mul_epi32(_mm256_srli_epi64(a, 32), _mm256_srli_epi64(b, 32))};
}

Wide Subtract(const Wide& a, const Wide& b) {
  return {_mm256_sub_epi64(a.even, b.even), _mm256_sub_epi64(a.odd, b.odd)};
}

// Masks of 64-bit lanes back to eight 32-bit lanes.
Ints Narrow(Ints evenMask, Ints oddMask) { return _mm256_blend_epi32(evenMask, oddMask, 0xAA); }

// A mask of eight 32-bit lanes spread over 64-bit lanes: -1 or 0 in each.
Wide Widen(Ints mask) {
  return {_mm256_shuffle_epi32(mask, _MM_SHUFFLE(2, 2, 0, 0)), _mm256_shuffle_epi32(mask, _MM_SHUFFLE(3, 3, 1, 1))};
}

// MakeEdge for eight edges from p to q.
struct Edges {
  Ints a, b;
  Wide c;
};

Edges MakeEdges(Ints px, Ints py, Ints qx, Ints qy) {
  Edges edge;
  edge.a = _mm256_sub_epi32(py, qy);
  edge.b = _mm256_sub_epi32(qx, px);
  edge.c = Subtract(Multiply(px, qy), Multiply(py, qx));
  const Ints zero = _mm256_setzero_si256();
  const Ints topLeft =
      _mm256_or_si256(_mm256_cmpgt_epi32(edge.a, zero),
                      _mm256_and_si256(_mm256_cmpeq_epi32(edge.a, zero), _mm256_cmpgt_epi32(edge.b, zero)));
  // c - 1 where the edge is neither left nor top: adds the mask's -1.
  const Wide minusOne = Widen(_mm256_andnot_si256(topLeft, _mm256_set1_epi32(-1)));
  edge.c.even = _mm256_add_epi64(edge.c.even, minusOne.even);
  edge.c.odd = _mm256_add_epi64(edge.c.odd, minusOne.odd);
  return edge;
}

// Four lanes of the plane basis of SetupScreenTriangle, in double.
struct Basis {
  Doubles px0, py0, dx1, dy1, dx2, dy2, inverse;
};

__m128i LowHalf(Ints v) { return _mm256_castsi256_si128(v); }
__m128i HighHalf(Ints v) { return _mm256_extracti128_si256(v, 1); }
__m128 LowHalf(Floats v) { return _mm256_castps256_ps128(v); }
__m128 HighHalf(Floats v) { return _mm256_extractf128_ps(v, 1); }

Basis MakeBasis(__m128i x0, __m128i y0, __m128i x1, __m128i y1, __m128i x2, __m128i y2) {
  const Doubles toPixels = _mm256_set1_pd(1.0 / tuning::kSubpixelScale);
  auto pixels = [&](__m128i subpixels) { return _mm256_mul_pd(_mm256_cvtepi32_pd(subpixels), toPixels); };
  Basis basis;
  basis.px0 = pixels(x0);
  basis.py0 = pixels(y0);
  basis.dx1 = _mm256_sub_pd(pixels(x1), basis.px0);
  basis.dy1 = _mm256_sub_pd(pixels(y1), basis.py0);
  basis.dx2 = _mm256_sub_pd(pixels(x2), basis.px0);
  basis.dy2 = _mm256_sub_pd(pixels(y2), basis.py0);
  basis.inverse = _mm256_div_pd(
      _mm256_set1_pd(1.0), _mm256_sub_pd(_mm256_mul_pd(basis.dx1, basis.dy2), _mm256_mul_pd(basis.dx2, basis.dy1)));
  return basis;
}

// MakePlane for four lanes: a, b and c as floats.
struct PlaneFour {
  __m128 a, b, c;
};

PlaneFour MakePlane(__m128 f0In, __m128 f1In, __m128 f2In, const Basis& basis) {
  const Doubles f0 = _mm256_cvtps_pd(f0In);
  const Doubles d1 = _mm256_sub_pd(_mm256_cvtps_pd(f1In), f0), d2 = _mm256_sub_pd(_mm256_cvtps_pd(f2In), f0);
  const Doubles a = _mm256_sub_pd(_mm256_mul_pd(d1, basis.dy2), _mm256_mul_pd(d2, basis.dy1));
  const Doubles b = _mm256_sub_pd(_mm256_mul_pd(d2, basis.dx1), _mm256_mul_pd(d1, basis.dx2));
  return {_mm256_cvtpd_ps(_mm256_mul_pd(a, basis.inverse)), _mm256_cvtpd_ps(_mm256_mul_pd(b, basis.inverse)),
          _mm256_cvtpd_ps(f0)};
}

// Eight lanes' planes, from the two halves.
struct Planes {
  Planes(const PlaneFour& low, const PlaneFour& high)
      : a(_mm256_setr_m128(low.a, high.a)), b(_mm256_setr_m128(low.b, high.b)), c(_mm256_setr_m128(low.c, high.c)) {}
  Floats a, b, c;
};

// The records' run of 4-byte fields from minX to flatDiffuse, in that order in every record.
constexpr int kRunFields = 16;
static_assert(offsetof(SetupTriangle, flatDiffuse) + sizeof(SetupTriangle::flatDiffuse) ==
                  offsetof(SetupTriangle, minX) + kRunFields * 4,
              "the bounds, origin, planes and flat colour lie one after another");
static_assert(kRunFields % 8 == 0, "the run is written eight fields at a time");

// Writes the run of fields of eight records, eight fields at a time: fields[f] holds field f of
// the eight triangles (integers as their bits).
void StoreRunFields(const Floats fields[kRunFields], SetupTriangle out[8]) {
  auto at = [out](int lane, int field) {
    return reinterpret_cast<float*>(reinterpret_cast<char*>(&out[lane]) + offsetof(SetupTriangle, minX)) + field;
  };
  for (int field = 0; field < kRunFields; field += 8) {
    Floats block[8];
    std::copy(fields + field, fields + field + 8, block);
    avx2::Transpose(block);
    for (int lane = 0; lane < 8; ++lane) _mm256_storeu_ps(at(lane, field), block[lane]);
  }
}

// Four registers of four 64-bit lanes turned round: register j then holds lane j of each.
void Transpose(Ints r[4]) {
  const Ints t0 = _mm256_unpacklo_epi64(r[0], r[1]), t1 = _mm256_unpackhi_epi64(r[0], r[1]);
  const Ints t2 = _mm256_unpacklo_epi64(r[2], r[3]), t3 = _mm256_unpackhi_epi64(r[2], r[3]);
  r[0] = _mm256_permute2x128_si256(t0, t2, 0x20);
  r[1] = _mm256_permute2x128_si256(t1, t3, 0x20);
  r[2] = _mm256_permute2x128_si256(t0, t2, 0x31);
  r[3] = _mm256_permute2x128_si256(t1, t3, 0x31);
}

// The 128-bit halves that hold lanes 0 to 3 (kHalf 0) or 4 to 7 (kHalf 1) of 64-bit values
// spread over two registers as lanes 0 1 | 4 5 and 2 3 | 6 7.
template <int kHalf>
Ints HalfOf(Ints lanes0145, Ints lanes2367) {
  return _mm256_permute2x128_si256(lanes0145, lanes2367, kHalf == 0 ? 0x20 : 0x31);
}

// Writes the edge functions of records kHalf * 4 .. kHalf * 4 + 3 of eight: each edge is a
// 64-bit start followed by a and b, which make one 64-bit field.
template <int kHalf>
void StoreEdgesOfFour(const Wide starts[3], const Ints a[3], const Ints b[3], SetupTriangle out[8]) {
  Ints fields[6];
  for (int i = 0; i < 3; ++i) {
    // `even` holds lanes 0 2 4 6 and `odd` 1 3 5 7.
    fields[2 * i] = HalfOf<kHalf>(_mm256_unpacklo_epi64(starts[i].even, starts[i].odd),
                                  _mm256_unpackhi_epi64(starts[i].even, starts[i].odd));
    fields[2 * i + 1] = HalfOf<kHalf>(_mm256_unpacklo_epi32(a[i], b[i]), _mm256_unpackhi_epi32(a[i], b[i]));
  }
  SetupTriangle* records = out + 4 * kHalf;
  Transpose(fields);  // the first four fields: 32 bytes of each record
  for (int lane = 0; lane < 4; ++lane) {
    _mm256_storeu_si256(reinterpret_cast<Ints*>(&records[lane].edges[0]), fields[lane]);
  }
  const Ints lanes02 = _mm256_unpacklo_epi64(fields[4], fields[5]);
  const Ints lanes13 = _mm256_unpackhi_epi64(fields[4], fields[5]);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(&records[0].edges[2]), _mm256_castsi256_si128(lanes02));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(&records[1].edges[2]), _mm256_castsi256_si128(lanes13));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(&records[2].edges[2]), _mm256_extracti128_si256(lanes02, 1));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(&records[3].edges[2]), _mm256_extracti128_si256(lanes13, 1));
}

// Writes the edge functions of eight records, four at a time.
void StoreEdges(const Wide starts[3], const Ints a[3], const Ints b[3], SetupTriangle out[8]) {
  static_assert(sizeof(EdgeFunction) == 2 * sizeof(int64_t) && offsetof(SetupTriangle, edges) == 0 &&
                offsetof(EdgeFunction, a) == sizeof(int64_t) &&
                offsetof(EdgeFunction, b) == offsetof(EdgeFunction, a) + 4);
  StoreEdgesOfFour<0>(starts, a, b, out);
  StoreEdgesOfFour<1>(starts, a, b, out);
}

// Exchanges the lanes of `first` and `second` that `mask` selects.
void SwapWhere(Ints mask, Ints& first, Ints& second) {
  const Ints newFirst = _mm256_blendv_epi8(first, second, mask);
  second = _mm256_blendv_epi8(second, first, mask);
  first = newFirst;
}

void SwapWhere(Ints mask, Floats& first, Floats& second) {
  const Floats newFirst = _mm256_blendv_ps(first, second, _mm256_castsi256_ps(mask));
  second = _mm256_blendv_ps(second, first, _mm256_castsi256_ps(mask));
  first = newFirst;
}

Ints Min3(Ints a, Ints b, Ints c) { return _mm256_min_epi32(_mm256_min_epi32(a, b), c); }
Ints Max3(Ints a, Ints b, Ints c) { return _mm256_max_epi32(_mm256_max_epi32(a, b), c); }

// The first corners' colours packed as PackColorChannels packs them: 0 for NaN and values up to
// 0, 255 from 255 on, else rounded half up.
Ints LoadFlatDiffuse(const ScreenVertex* vertices, Ints slots) {
  const float* colors[8];
  ForEachSlot(slots, [&](int lane, int slot) { colors[lane] = vertices[slot].color; });
  Floats channels[4];
  avx2::LoadFourColumns(colors, channels);
  Ints packed = _mm256_setzero_si256();
  for (int i = 0; i < 4; ++i) {
    const Floats channel = channels[i];
    Floats clamped = _mm256_min_ps(_mm256_max_ps(channel, _mm256_setzero_ps()), _mm256_set1_ps(255.0f));
    Ints byte = _mm256_cvttps_epi32(_mm256_add_ps(clamped, _mm256_set1_ps(0.5f)));
    packed = _mm256_or_si256(packed, _mm256_slli_epi32(byte, 8 * i));
  }
  return packed;
}

unsigned LanesOf(Ints mask) { return unsigned(_mm256_movemask_ps(_mm256_castsi256_ps(mask))); }

Wide Add(const Wide& a, const Wide& b) { return {_mm256_add_epi64(a.even, b.even), _mm256_add_epi64(a.odd, b.odd)}; }

Ints Magnitude64(Ints value) {
  const Ints negative = _mm256_cmpgt_epi64(_mm256_setzero_si256(), value);
  return _mm256_sub_epi64(_mm256_xor_si256(value, negative), negative);
}

// The records' edge starts, each edge's value at (minX, minY), and the lanes whose small walk
// fits (SmallWalkFits, FitsSmallWalk's sum in the same 64-bit integers).
struct EdgeStarts {
  Wide start[3];
  Ints smallWalk;
};

EdgeStarts MakeEdgeStarts(const Edges edges[3], Ints minX, Ints minY, Ints maxX, Ints maxY) {
  EdgeStarts starts;
  const Ints width = _mm256_sub_epi32(maxX, minX), height = _mm256_sub_epi32(maxY, minY);
  const Ints extent = _mm256_set1_epi32(kSmallWalkExtent);
  starts.smallWalk = _mm256_and_si256(_mm256_cmpgt_epi32(extent, width), _mm256_cmpgt_epi32(extent, height));
  const Ints firstX = _mm256_slli_epi32(minX, tuning::kSubpixelBits);
  const Ints firstY = _mm256_slli_epi32(minY, tuning::kSubpixelBits);
  // Where the bounds fit the extent, these are small: the products below are exact.
  const Ints across = _mm256_slli_epi32(_mm256_add_epi32(width, _mm256_set1_epi32(7)), tuning::kSubpixelBits);
  const Ints down = _mm256_slli_epi32(_mm256_add_epi32(height, _mm256_set1_epi32(1)), tuning::kSubpixelBits);
  const Ints limit = _mm256_set1_epi64x(int64_t(1) << 31);
  for (int i = 0; i < 3; ++i) {
    const Edges& edge = edges[i];
    const Wide start = Add(Add(Multiply(edge.a, firstX), Multiply(edge.b, firstY)), edge.c);
    const Wide spread = Add(Multiply(_mm256_abs_epi32(edge.a), across), Multiply(_mm256_abs_epi32(edge.b), down));
    const Ints fitsEven = _mm256_cmpgt_epi64(limit, _mm256_add_epi64(Magnitude64(start.even), spread.even));
    const Ints fitsOdd = _mm256_cmpgt_epi64(limit, _mm256_add_epi64(Magnitude64(start.odd), spread.odd));
    starts.smallWalk = _mm256_and_si256(starts.smallWalk, Narrow(fitsEven, fitsOdd));
    starts.start[i] = start;
  }
  return starts;
}

// SetupEightTriangles with each corner's slots in a register.
unsigned SetupEight(const ScreenVertex* screenVertices, const Ints corners[3], Ints diffuse, unsigned lanes,
                    CullMode cull, const ScissorRect& scissor, SetupTriangle out[8]) {
  Corner c0 = LoadCorner(screenVertices, corners[0]);
  Corner c1 = LoadCorner(screenVertices, corners[1]);
  Corner c2 = LoadCorner(screenVertices, corners[2]);
  Ints kept = _mm256_and_si256(
      _mm256_and_si256(InRange(c0.x), InRange(c0.y)),
      _mm256_and_si256(_mm256_and_si256(InRange(c1.x), InRange(c1.y)), _mm256_and_si256(InRange(c2.x), InRange(c2.y))));
  Ints x0 = Snap(c0.x), y0 = Snap(c0.y), x1 = Snap(c1.x), y1 = Snap(c1.y), x2 = Snap(c2.x), y2 = Snap(c2.y);

  // Positive for corners that run clockwise on the screen (y down).
  const Wide area = Subtract(Multiply(_mm256_sub_epi32(x1, x0), _mm256_sub_epi32(y2, y0)),
                             Multiply(_mm256_sub_epi32(x2, x0), _mm256_sub_epi32(y1, y0)));
  const Ints zero = _mm256_setzero_si256();
  const Ints positive = Narrow(_mm256_cmpgt_epi64(area.even, zero), _mm256_cmpgt_epi64(area.odd, zero));
  const Ints negative = Narrow(_mm256_cmpgt_epi64(zero, area.even), _mm256_cmpgt_epi64(zero, area.odd));
  kept = _mm256_and_si256(kept, _mm256_or_si256(positive, negative));
  if (cull == CullMode::Clockwise) kept = _mm256_andnot_si256(positive, kept);
  if (cull == CullMode::CounterClockwise) kept = _mm256_andnot_si256(negative, kept);

  // Edge functions are positive inside for clockwise corners; turn the others round.
  SwapWhere(negative, x1, x2);
  SwapWhere(negative, y1, y2);
  SwapWhere(negative, c1.z, c2.z);
  SwapWhere(negative, c1.u, c2.u);
  SwapWhere(negative, c1.v, c2.v);

  // Pixel centres inside the corners' bounds: ceil of the minimum, floor of the maximum.
  const Ints roundUp = _mm256_set1_epi32(tuning::kSubpixelScale - 1);
  const Ints minX =
      _mm256_max_epi32(_mm256_srai_epi32(_mm256_add_epi32(Min3(x0, x1, x2), roundUp), tuning::kSubpixelBits),
                       _mm256_set1_epi32(scissor.minX));
  const Ints minY =
      _mm256_max_epi32(_mm256_srai_epi32(_mm256_add_epi32(Min3(y0, y1, y2), roundUp), tuning::kSubpixelBits),
                       _mm256_set1_epi32(scissor.minY));
  const Ints maxX =
      _mm256_min_epi32(_mm256_srai_epi32(Max3(x0, x1, x2), tuning::kSubpixelBits), _mm256_set1_epi32(scissor.maxX));
  const Ints maxY =
      _mm256_min_epi32(_mm256_srai_epi32(Max3(y0, y1, y2), tuning::kSubpixelBits), _mm256_set1_epi32(scissor.maxY));
  kept = _mm256_andnot_si256(_mm256_or_si256(_mm256_cmpgt_epi32(minX, maxX), _mm256_cmpgt_epi32(minY, maxY)), kept);
  unsigned keptLanes = LanesOf(kept) & lanes;
  if (keptLanes == 0) return 0;

  const Edges edges[3] = {MakeEdges(x1, y1, x2, y2), MakeEdges(x2, y2, x0, y0), MakeEdges(x0, y0, x1, y1)};

  // Planes come from the snapped corners, the same ones coverage uses.
  const Basis low = MakeBasis(LowHalf(x0), LowHalf(y0), LowHalf(x1), LowHalf(y1), LowHalf(x2), LowHalf(y2));
  const Basis high = MakeBasis(HighHalf(x0), HighHalf(y0), HighHalf(x1), HighHalf(y1), HighHalf(x2), HighHalf(y2));
  const Planes depth(MakePlane(LowHalf(c0.z), LowHalf(c1.z), LowHalf(c2.z), low),
                     MakePlane(HighHalf(c0.z), HighHalf(c1.z), HighHalf(c2.z), high));
  const Planes u(MakePlane(LowHalf(c0.u), LowHalf(c1.u), LowHalf(c2.u), low),
                 MakePlane(HighHalf(c0.u), HighHalf(c1.u), HighHalf(c2.u), high));
  const Planes v(MakePlane(LowHalf(c0.v), LowHalf(c1.v), LowHalf(c2.v), low),
                 MakePlane(HighHalf(c0.v), HighHalf(c1.v), HighHalf(c2.v), high));

  const EdgeStarts starts = MakeEdgeStarts(edges, minX, minY, maxX, maxY);
  const unsigned smallWalkLanes = LanesOf(starts.smallWalk);

  auto bits = [](Ints value) { return _mm256_castsi256_ps(value); };
  const Floats fields[kRunFields] = {bits(minX),
                                     bits(minY),
                                     bits(maxX),
                                     bits(maxY),
                                     _mm256_setr_m128(_mm256_cvtpd_ps(low.px0), _mm256_cvtpd_ps(high.px0)),
                                     _mm256_setr_m128(_mm256_cvtpd_ps(low.py0), _mm256_cvtpd_ps(high.py0)),
                                     depth.a,
                                     depth.b,
                                     depth.c,
                                     u.a,
                                     u.b,
                                     u.c,
                                     v.a,
                                     v.b,
                                     v.c,
                                     bits(diffuse)};
  StoreRunFields(fields, out);
  const Ints a[3] = {edges[0].a, edges[1].a, edges[2].a}, b[3] = {edges[0].b, edges[1].b, edges[2].b};
  StoreEdges(starts.start, a, b, out);
  for (int lane = 0; lane < 8; ++lane) {
    out[lane].smallWalk = (smallWalkLanes >> lane) & 1;
    out[lane].extras = nullptr;  // no perspective and one colour
  }
  return keptLanes;
}

// Eight triangles' corners from a list's 24 indices: lane t takes indices 3t, 3t + 1 and 3t + 2.
// Each corner's indices are spread over the three registers read; a blend gathers them into
// one, and a permutation puts them in lane order.
template <int kFromSecond, int kFromThird>
Ints ListCorner(Ints first, Ints second, Ints third, Ints order) {
  const Ints gathered = _mm256_blend_epi32(_mm256_blend_epi32(first, second, kFromSecond), third, kFromThird);
  return _mm256_permutevar8x32_epi32(gathered, order);
}

void ListCorners(const uint32_t* indices, Ints corners[3]) {
  const Ints first = _mm256_loadu_si256(reinterpret_cast<const Ints*>(indices));
  const Ints second = _mm256_loadu_si256(reinterpret_cast<const Ints*>(indices + 8));
  const Ints third = _mm256_loadu_si256(reinterpret_cast<const Ints*>(indices + 16));
  // Index 3t + i lies in register (3t + i) / 8, at (3t + i) % 8.
  corners[0] = ListCorner<0x92, 0x24>(first, second, third, _mm256_setr_epi32(0, 3, 6, 1, 4, 7, 2, 5));
  corners[1] = ListCorner<0x24, 0x49>(first, second, third, _mm256_setr_epi32(1, 4, 7, 2, 5, 0, 3, 6));
  corners[2] = ListCorner<0x49, 0x92>(first, second, third, _mm256_setr_epi32(2, 5, 0, 3, 6, 1, 4, 7));
}

}  // namespace

unsigned SetupEightTriangles(const ScreenVertex* screenVertices, const int32_t corners[3][8], unsigned lanes,
                             CullMode cull, const ScissorRect& scissor, SetupTriangle out[8]) {
  Ints slots[3];
  for (int i = 0; i < 3; ++i) slots[i] = _mm256_loadu_si256(reinterpret_cast<const Ints*>(corners[i]));
  // One colour, the first corner's.
  return SetupEight(screenVertices, slots, LoadFlatDiffuse(screenVertices, slots[0]), lanes, cull, scissor, out);
}

unsigned SetupEightListedTriangles(const ScreenVertex* screenVertices, const uint32_t* indices, uint32_t bias,
                                   uint32_t diffuse, CullMode cull, const ScissorRect& scissor, SetupTriangle out[8]) {
  Ints slots[3];
  ListCorners(indices, slots);
  for (Ints& corner : slots) corner = _mm256_add_epi32(corner, _mm256_set1_epi32(int(bias)));
  return SetupEight(screenVertices, slots, _mm256_set1_epi32(int(diffuse)), kAllEight, cull, scissor, out);
}

#endif

}  // namespace refdevice
