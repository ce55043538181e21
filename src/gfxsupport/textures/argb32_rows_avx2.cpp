// The AVX2 row functions. Only the functions marked for AVX2 use its instructions, so the
// rest of the program runs on any x86-64 processor; the callers check ProcessorHasAvx2.
// AVX2 does not bring fused multiply-add (a separate extension, never enabled here), so every
// product is rounded before it is added, as in the SSE2 and plain forms.
#include "gfxsupport/textures/argb32_rows_avx2.h"

#if (defined(__x86_64__) || defined(__i386__)) && defined(__GNUC__)

#include <immintrin.h>

namespace gfx::textures {

#define ORBELUNE_AVX2 __attribute__((target("avx2")))

namespace {

// Two pixels' bytes (the low eight) to floats: channel / 255, an exact division, as the byte
// table of the codecs.
ORBELUNE_AVX2 inline void StorePair(__m128i bytes, FloatBgra* out) {
  const __m256 channels = _mm256_cvtepi32_ps(_mm256_cvtepu8_epi32(bytes));
  _mm256_storeu_ps(&out->b, _mm256_div_ps(channels, _mm256_set1_ps(255.0f)));
}

// Pixels (b, g, r, a) to their bytes as 32-bit lanes: truncate(value * 255 + offset),
// clamped to 0..255 with not-a-number giving 0.
ORBELUNE_AVX2 inline __m256i QuantisePair(__m256 value, __m256 offset) {
  value = _mm256_add_ps(_mm256_mul_ps(value, _mm256_set1_ps(255.0f)), offset);
  value = _mm256_min_ps(_mm256_max_ps(value, _mm256_setzero_ps()), _mm256_set1_ps(255.0f));
  return _mm256_cvttps_epi32(value);
}

ORBELUNE_AVX2 inline __m256 BlendPair(const FloatBgra* a, __m256 first, const FloatBgra* b, __m256 second) {
  return _mm256_add_ps(_mm256_mul_ps(first, _mm256_loadu_ps(&a->b)), _mm256_mul_ps(second, _mm256_loadu_ps(&b->b)));
}

ORBELUNE_AVX2 inline __m256 LoadTwoQuads(const float* low, const float* high) {
  return _mm256_insertf128_ps(_mm256_castps128_ps256(_mm_loadu_ps(low)), _mm_loadu_ps(high), 1);
}

}  // namespace

ORBELUNE_AVX2 uint32_t ConvertArgb32RowAsBitsAvx2(const uint8_t* from, uint32_t count, uint32_t setBits, Argb32Key key,
                                                  uint32_t keyedPixel, uint8_t* to) {
  // A mask of 0 with bits of 1 never matches.
  const __m256i keyMask = _mm256_set1_epi32(key.active ? static_cast<int>(key.mask) : 0);
  const __m256i keyBits = _mm256_set1_epi32(key.active ? static_cast<int>(key.bits) : 1);
  const __m256i set = _mm256_set1_epi32(static_cast<int>(setBits));
  const __m256i keyed = _mm256_set1_epi32(static_cast<int>(keyedPixel));
  uint32_t i = 0;
  for (; i + 8 <= count; i += 8) {
    const __m256i pixels = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(from + 4 * i));
    const __m256i hits = _mm256_cmpeq_epi32(_mm256_and_si256(pixels, keyMask), keyBits);
    const __m256i converted =
        _mm256_or_si256(_mm256_and_si256(hits, keyed), _mm256_andnot_si256(hits, _mm256_or_si256(pixels, set)));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(to + 4 * i), converted);
  }
  return i;
}

ORBELUNE_AVX2 uint32_t ReadBgraRowAvx2(const uint8_t* row, uint32_t count, bool opaque, Argb32Key key, FloatBgra* out) {
  // A mask of 0 with bits of 1 never matches.
  const __m256i keyMask = _mm256_set1_epi32(key.active ? static_cast<int>(key.mask) : 0);
  const __m256i keyBits = _mm256_set1_epi32(key.active ? static_cast<int>(key.bits) : 1);
  const __m256i alphaBits = _mm256_set1_epi32(opaque ? static_cast<int>(0xFF000000u) : 0);
  uint32_t i = 0;
  for (; i + 8 <= count; i += 8) {
    const __m256i pixels = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(row + 4 * i));
    const __m256i hits = _mm256_cmpeq_epi32(_mm256_and_si256(pixels, keyMask), keyBits);
    // Settled on the bytes: a keyed pixel reads as 0 in every channel, an opaque source's
    // alpha as 255 / 255, exactly 1.
    const __m256i bytes = _mm256_andnot_si256(hits, _mm256_or_si256(pixels, alphaBits));
    const __m128i low = _mm256_castsi256_si128(bytes);
    const __m128i high = _mm256_extracti128_si256(bytes, 1);
    StorePair(low, out + i);
    StorePair(_mm_unpackhi_epi64(low, low), out + i + 2);
    StorePair(high, out + i + 4);
    StorePair(_mm_unpackhi_epi64(high, high), out + i + 6);
  }
  return i;
}

ORBELUNE_AVX2 size_t ResampleQuadsAcrossAvx2(const float* row, const BilinearTaps* taps, size_t count, float* out) {
  size_t x = 0;
  for (; x + 2 <= count; x += 2) {
    const BilinearTaps& left = taps[x];
    const BilinearTaps& right = taps[x + 1];
    // Both taps' records (first, second, firstWeight, secondWeight): the weights spread over
    // their pixel's half.
    const __m256 records = _mm256_loadu_ps(reinterpret_cast<const float*>(&left));
    const __m256 firstWeights = _mm256_shuffle_ps(records, records, _MM_SHUFFLE(2, 2, 2, 2));
    const __m256 secondWeights = _mm256_shuffle_ps(records, records, _MM_SHUFFLE(3, 3, 3, 3));
    const __m256 p0 = LoadTwoQuads(row + 4 * size_t{left.first}, row + 4 * size_t{right.first});
    const __m256 p1 = LoadTwoQuads(row + 4 * size_t{left.second}, row + 4 * size_t{right.second});
    _mm256_storeu_ps(out + 4 * x, _mm256_add_ps(_mm256_mul_ps(firstWeights, p0), _mm256_mul_ps(secondWeights, p1)));
  }
  return x;
}

namespace {

// Two neighbouring taps' results from their records and their two source pixel pairs
// (P[first], P[first + 1]) as loaded.
ORBELUNE_AVX2 inline __m256 ResampleNeighbourPair(__m256 records, __m256 left, __m256 right) {
  const __m256 firstWeights = _mm256_shuffle_ps(records, records, _MM_SHUFFLE(2, 2, 2, 2));
  const __m256 secondWeights = _mm256_shuffle_ps(records, records, _MM_SHUFFLE(3, 3, 3, 3));
  const __m256 p0 = _mm256_permute2f128_ps(left, right, 0x20);
  const __m256 p1 = _mm256_permute2f128_ps(left, right, 0x31);
  return _mm256_add_ps(_mm256_mul_ps(firstWeights, p0), _mm256_mul_ps(secondWeights, p1));
}

}  // namespace

ORBELUNE_AVX2 size_t ResampleNeighbourQuadsAcrossAvx2(const float* row, const uint32_t* firstFloats,
                                                      const BilinearTaps* taps, size_t count, float* out) {
  size_t x = 0;
  for (; x + 4 <= count; x += 4) {
    const __m256 a = _mm256_loadu_ps(row + firstFloats[x]);
    const __m256 b = _mm256_loadu_ps(row + firstFloats[x + 1]);
    const __m256 c = _mm256_loadu_ps(row + firstFloats[x + 2]);
    const __m256 d = _mm256_loadu_ps(row + firstFloats[x + 3]);
    const __m256 records01 = _mm256_loadu_ps(reinterpret_cast<const float*>(&taps[x]));
    const __m256 records23 = _mm256_loadu_ps(reinterpret_cast<const float*>(&taps[x + 2]));
    _mm256_storeu_ps(out + 4 * x, ResampleNeighbourPair(records01, a, b));
    _mm256_storeu_ps(out + 4 * x + 8, ResampleNeighbourPair(records23, c, d));
  }
  return x;
}

ORBELUNE_AVX2 uint32_t BlendBgraToArgb32RowAvx2(const FloatBgra* a, float w0, const FloatBgra* b, float w1,
                                                uint32_t count, uint8_t* row, bool opaque, const float* ditherRow,
                                                uint32_t x) {
  const __m256 first = _mm256_set1_ps(w0);
  const __m256 second = _mm256_set1_ps(w1);
  // Offsets of the pixel pairs at x, x + 2 (x + 4 repeats x): the dither pattern has period 4.
  __m256 offsets[2];
  for (uint32_t k = 0; k < 2; ++k) {
    const float left = ditherRow != nullptr ? ditherRow[(x + 2 * k) & 3] : 0.5f;
    const float right = ditherRow != nullptr ? ditherRow[(x + 2 * k + 1) & 3] : 0.5f;
    offsets[k] = _mm256_setr_ps(left, left, left, left, right, right, right, right);
  }
  const __m256i alphaBits = _mm256_set1_epi32(opaque ? static_cast<int>(0xFF000000u) : 0);
  // packs and packus work within each 128-bit half: the pixels come out as 0, 2, 4, 6, 1, 3,
  // 5, 7 and are put back in order.
  const __m256i order = _mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7);
  uint32_t i = 0;
  for (; i + 8 <= count; i += 8) {
    const __m256i q0 = QuantisePair(BlendPair(a + i, first, b + i, second), offsets[0]);
    const __m256i q1 = QuantisePair(BlendPair(a + i + 2, first, b + i + 2, second), offsets[1]);
    const __m256i q2 = QuantisePair(BlendPair(a + i + 4, first, b + i + 4, second), offsets[0]);
    const __m256i q3 = QuantisePair(BlendPair(a + i + 6, first, b + i + 6, second), offsets[1]);
    const __m256i bytes = _mm256_packus_epi16(_mm256_packs_epi32(q0, q1), _mm256_packs_epi32(q2, q3));
    const __m256i pixels = _mm256_or_si256(_mm256_permutevar8x32_epi32(bytes, order), alphaBits);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(row + 4 * i), pixels);
  }
  return i;
}

#else

uint32_t ConvertArgb32RowAsBitsAvx2(const uint8_t*, uint32_t, uint32_t, Argb32Key, uint32_t, uint8_t*) { return 0; }

uint32_t ReadBgraRowAvx2(const uint8_t*, uint32_t, bool, Argb32Key, FloatBgra*) { return 0; }

size_t ResampleQuadsAcrossAvx2(const float*, const BilinearTaps*, size_t, float*) { return 0; }

size_t ResampleNeighbourQuadsAcrossAvx2(const float*, const uint32_t*, const BilinearTaps*, size_t, float*) {
  return 0;
}

uint32_t BlendBgraToArgb32RowAvx2(const FloatBgra*, float, const FloatBgra*, float, uint32_t, uint8_t*, bool,
                                  const float*, uint32_t) {
  return 0;
}

#endif

}  // namespace gfx::textures
