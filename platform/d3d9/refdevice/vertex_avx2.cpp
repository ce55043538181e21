// Implements: vertex fetch, transform, outcodes and viewport mapping for eight vertices at once.
// Leaves out: pretransformed layouts and layouts not made of whole floats (the scalar steps
// take those).
// On the map of docs/reference-device.md: ProcessVertices, eight vertices at a time.
#include "vertex_avx2.h"

#include <cstddef>
#include <limits>

#include "avx2_lanes.h"
#include "tuning.h"

#if defined(__AVX2__)
#include <immintrin.h>
#endif

namespace refdevice {

#if !defined(__AVX2__)

size_t ProcessVerticesEightWide(const VertexStream&, size_t, size_t, const Matrix&, const GuardBand&, const Viewport&,
                                uint32_t*, ScreenVertex*) {
  return 0;
}

#else

namespace {

using Floats = __m256;
using Ints = __m256i;

bool WholeFloats(const VertexLayout& layout) {
  auto whole = [](long offset) { return offset == kAbsent || offset % 4 == 0; };
  return layout.strideBytes % 4 == 0 && layout.strideBytes / 4 <= (size_t(1) << 24) && whole(layout.positionOffset) &&
         whole(layout.diffuseOffset) && whole(layout.texcoordOffset);
}

// The eight vertices' fields, one register a field.
struct EightVertices {
  Floats position[4], color[4], texcoord[2];
  Ints outcode;
  Floats screen[4];  // x, y, z, q
};

// !isfinite: NaN and infinities fail |v| < infinity.
Ints NotFinite(Floats v) {
  const Floats magnitude = _mm256_and_ps(v, _mm256_castsi256_ps(_mm256_set1_epi32(0x7FFFFFFF)));
  return _mm256_castps_si256(
      _mm256_cmp_ps(magnitude, _mm256_set1_ps(std::numeric_limits<float>::infinity()), _CMP_NLT_UQ));
}

Ints BitWhere(Floats mask, uint32_t bit) {
  return _mm256_and_si256(_mm256_castps_si256(mask), _mm256_set1_epi32(int(bit)));
}

// ComputeOutcode's tests, lane by lane.
Ints Outcodes(const Floats p[4], const GuardBand& band) {
  const Floats x = p[0], y = p[1], z = p[2], w = p[3];
  const Ints notFinite =
      _mm256_or_si256(_mm256_or_si256(NotFinite(x), NotFinite(y)), _mm256_or_si256(NotFinite(z), NotFinite(w)));
  Ints code = BitWhere(_mm256_cmp_ps(z, _mm256_setzero_ps(), _CMP_LT_OQ), kClipNear);
  code = _mm256_or_si256(code, BitWhere(_mm256_cmp_ps(z, w, _CMP_GT_OQ), kClipFar));
  code = _mm256_or_si256(code,
                         BitWhere(_mm256_cmp_ps(x, _mm256_mul_ps(_mm256_set1_ps(-band.x), w), _CMP_LT_OQ), kClipLeft));
  code = _mm256_or_si256(code,
                         BitWhere(_mm256_cmp_ps(x, _mm256_mul_ps(_mm256_set1_ps(band.x), w), _CMP_GT_OQ), kClipRight));
  code = _mm256_or_si256(
      code, BitWhere(_mm256_cmp_ps(y, _mm256_mul_ps(_mm256_set1_ps(-band.y), w), _CMP_LT_OQ), kClipBottom));
  code =
      _mm256_or_si256(code, BitWhere(_mm256_cmp_ps(y, _mm256_mul_ps(_mm256_set1_ps(band.y), w), _CMP_GT_OQ), kClipTop));
  code =
      _mm256_or_si256(code, BitWhere(_mm256_cmp_ps(w, _mm256_set1_ps(tuning::kMinimumW), _CMP_LT_OQ), kClipBehindEye));
  return _mm256_blendv_epi8(code, _mm256_set1_epi32(int(kClipNotFinite)), notFinite);
}

EightVertices ProcessEight(const uint8_t* data, const VertexLayout& layout, const Matrix& m, const GuardBand& band,
                           const Viewport& viewport) {
  const Ints index =
      _mm256_mullo_epi32(_mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7), _mm256_set1_epi32(int(layout.strideBytes / 4)));
  const float* floats = reinterpret_cast<const float*>(data);
  // Each vertex's floats from `offset` on.
  auto records = [&](int offset, const float* out[8]) {
    for (int lane = 0; lane < 8; ++lane) out[lane] = floats + (lane * layout.strideBytes + offset) / 4;
  };
  EightVertices v;
  Floats fetched[4];
  if (size_t(layout.positionOffset) + 4 * sizeof(float) <= layout.strideBytes) {
    // Four floats from the position on stay within the vertex.
    const float* positions[8];
    records(layout.positionOffset, positions);
    avx2::LoadFourColumns(positions, fetched);
  } else {
    auto field = [&](int offset) { return _mm256_i32gather_ps(floats + offset / 4, index, 4); };
    fetched[0] = field(layout.positionOffset);
    fetched[1] = field(layout.positionOffset + 4);
    fetched[2] = field(layout.positionOffset + 8);
  }
  const Floats x = fetched[0], y = fetched[1], z = fetched[2];
  for (int column = 0; column < 4; ++column) {
    // x * m0 + y * m1 + z * m2 + m3, left to right.
    const Floats xy = _mm256_add_ps(_mm256_mul_ps(x, _mm256_set1_ps(m.m[0][column])),
                                    _mm256_mul_ps(y, _mm256_set1_ps(m.m[1][column])));
    v.position[column] = _mm256_add_ps(_mm256_add_ps(xy, _mm256_mul_ps(z, _mm256_set1_ps(m.m[2][column]))),
                                       _mm256_set1_ps(m.m[3][column]));
  }
  const Ints diffuse =
      layout.diffuseOffset == kAbsent
          ? _mm256_set1_epi32(-1)
          : _mm256_i32gather_epi32(reinterpret_cast<const int*>(floats + layout.diffuseOffset / 4), index, 4);
  for (int channel = 0; channel < 4; ++channel) {
    v.color[channel] =
        _mm256_cvtepi32_ps(_mm256_and_si256(_mm256_srli_epi32(diffuse, 8 * channel), _mm256_set1_epi32(0xFF)));
  }
  if (layout.texcoordOffset == kAbsent) {
    v.texcoord[0] = v.texcoord[1] = _mm256_setzero_ps();
  } else {
    const float* texcoords[8];
    records(layout.texcoordOffset, texcoords);
    avx2::LoadTwoColumns(texcoords, v.texcoord);
  }
  v.outcode = Outcodes(v.position, band);

  // ProjectToScreen, in its order of operations.
  const Floats q = _mm256_div_ps(_mm256_set1_ps(1.0f), v.position[3]);
  const Floats one = _mm256_set1_ps(1.0f);
  v.screen[0] = _mm256_add_ps(
      _mm256_set1_ps(float(viewport.x)),
      _mm256_mul_ps(_mm256_add_ps(_mm256_mul_ps(v.position[0], q), one), _mm256_set1_ps(viewport.width * 0.5f)));
  v.screen[1] = _mm256_add_ps(
      _mm256_set1_ps(float(viewport.y)),
      _mm256_mul_ps(_mm256_sub_ps(one, _mm256_mul_ps(v.position[1], q)), _mm256_set1_ps(viewport.height * 0.5f)));
  v.screen[2] =
      _mm256_add_ps(_mm256_set1_ps(viewport.minZ),
                    _mm256_mul_ps(_mm256_mul_ps(v.position[2], q), _mm256_set1_ps(viewport.maxZ - viewport.minZ)));
  v.screen[3] = q;
  return v;
}

// The vertices into the arrays' records. Vertices outside the guard band get their screen
// records too, though nothing reads them: writing all eight is cheaper than choosing.
void StoreEight(const EightVertices& v, uint32_t* outcodes, ScreenVertex* screen) {
  static_assert(offsetof(ScreenVertex, color) == 4 * sizeof(float) && sizeof(ScreenVertex::color) == 4 * sizeof(float),
                "x, y, z, q and the colour fill a vertex's first 32 bytes");
  _mm256_storeu_si256(reinterpret_cast<Ints*>(outcodes), v.outcode);
  Floats head[8] = {v.screen[0], v.screen[1], v.screen[2], v.screen[3], v.color[0], v.color[1], v.color[2], v.color[3]};
  avx2::Transpose(head);
  float* texcoords[8];
  for (int lane = 0; lane < 8; ++lane) {
    _mm256_storeu_ps(&screen[lane].x, head[lane]);
    texcoords[lane] = screen[lane].texcoord;
  }
  avx2::StoreTwoColumns(v.texcoord[0], v.texcoord[1], texcoords);
}

}  // namespace

size_t ProcessVerticesEightWide(const VertexStream& stream, size_t first, size_t count,
                                const Matrix& worldViewProjection, const GuardBand& band, const Viewport& viewport,
                                uint32_t* outcodes, ScreenVertex* screen) {
  const VertexLayout& layout = stream.layout;
  if (layout.pretransformed || !WholeFloats(layout)) return 0;
  size_t done = 0;
  for (; done + 8 <= count; done += 8) {
    const uint8_t* data = stream.data + (first + done) * layout.strideBytes;
    StoreEight(ProcessEight(data, layout, worldViewProjection, band, viewport), outcodes + done, screen + done);
  }
  return done;
}

#endif

}  // namespace refdevice
