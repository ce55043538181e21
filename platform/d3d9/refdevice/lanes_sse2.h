// Four lanes with SSE2: the operations that the span shaders' arithmetic (span_lanes.h) is
// written in, each one instruction or a short sequence where SSE2 has none. Every x86-64
// processor runs them.
#pragma once

#if defined(__SSE2__)
#include <emmintrin.h>

#include <cstdint>

#define ORBELUNE_LANE inline __attribute__((always_inline))

namespace refdevice {

struct Sse2Lanes {
  using F = __m128;   // four floats
  using I = __m128i;  // four 32-bit lanes, eight 16-bit channels or sixteen bytes
  static constexpr int kCount = 4;
  // The movemask bits of the alpha channels' high bytes, pixels in 16-bit channels.
  static constexpr unsigned kAlphaWordBytes = 0xC0C0u;

  // ---- Floats ----
  static ORBELUNE_LANE F Set(float value) { return _mm_set1_ps(value); }
  static ORBELUNE_LANE F ZeroFloats() { return _mm_setzero_ps(); }
  static ORBELUNE_LANE F Add(F a, F b) { return _mm_add_ps(a, b); }
  static ORBELUNE_LANE F Subtract(F a, F b) { return _mm_sub_ps(a, b); }
  static ORBELUNE_LANE F Multiply(F a, F b) { return _mm_mul_ps(a, b); }
  static ORBELUNE_LANE F Divide(F a, F b) { return _mm_div_ps(a, b); }
  // Where either is NaN, the second.
  static ORBELUNE_LANE F Min(F a, F b) { return _mm_min_ps(a, b); }
  static ORBELUNE_LANE F Max(F a, F b) { return _mm_max_ps(a, b); }
  static ORBELUNE_LANE I Truncate(F value) { return _mm_cvttps_epi32(value); }
  static ORBELUNE_LANE F ToFloats(I value) { return _mm_cvtepi32_ps(value); }
  // The floor of each lane, as an integer in `whole` and returned as a float; within +-2^22.
  static ORBELUNE_LANE F Floor(F value, I& whole) {
    const I truncated = _mm_cvttps_epi32(value);
    // Truncation rounds negative values up; step those back by one.
    const __m128 roundedUp = _mm_cmpgt_ps(_mm_cvtepi32_ps(truncated), value);
    whole = _mm_add_epi32(truncated, _mm_castps_si128(roundedUp));
    return _mm_cvtepi32_ps(whole);
  }

  // ---- Bits and 32-bit lanes ----
  static ORBELUNE_LANE I Set32(int32_t value) { return _mm_set1_epi32(value); }
  static ORBELUNE_LANE I Zero() { return _mm_setzero_si128(); }
  static ORBELUNE_LANE I And(I a, I b) { return _mm_and_si128(a, b); }
  static ORBELUNE_LANE I Or(I a, I b) { return _mm_or_si128(a, b); }
  static ORBELUNE_LANE I Xor(I a, I b) { return _mm_xor_si128(a, b); }
  static ORBELUNE_LANE I AndNot(I clear, I value) { return _mm_andnot_si128(clear, value); }
  // The bytes of `whereSet` where `mask` has its top bit, those of `whereClear` elsewhere; the
  // masks here are whole lanes or channels of ones and zeros.
  static ORBELUNE_LANE I Select(I mask, I whereClear, I whereSet) {
    return _mm_or_si128(_mm_andnot_si128(mask, whereClear), _mm_and_si128(mask, whereSet));
  }
  static ORBELUNE_LANE I Add32(I a, I b) { return _mm_add_epi32(a, b); }
  static ORBELUNE_LANE I Equal32(I a, I b) { return _mm_cmpeq_epi32(a, b); }
  static ORBELUNE_LANE I Greater32(I a, I b) { return _mm_cmpgt_epi32(a, b); }
  static ORBELUNE_LANE I ShiftLeft32(I value, int bits) { return _mm_slli_epi32(value, bits); }
  // By the count in the low 64 bits of `bits`.
  static ORBELUNE_LANE I ShiftLeft32(I value, __m128i bits) { return _mm_sll_epi32(value, bits); }
  // Each lane within 0 .. highest.
  static ORBELUNE_LANE I Clamp32(I value, I highest) {
    const I nonNegative = _mm_andnot_si128(_mm_cmplt_epi32(value, _mm_setzero_si128()), value);
    const I over = _mm_cmpgt_epi32(nonNegative, highest);
    return _mm_or_si128(_mm_andnot_si128(over, nonNegative), _mm_and_si128(over, highest));
  }
  // One bit a 32-bit lane, from its top bit.
  static ORBELUNE_LANE unsigned LaneBits(I mask) { return unsigned(_mm_movemask_ps(_mm_castsi128_ps(mask))); }
  // One bit a byte, from its top bit.
  static ORBELUNE_LANE unsigned ByteBits(I mask) { return unsigned(_mm_movemask_epi8(mask)); }

  // ---- 16-bit channels ----
  template <int16_t kValue>
  static ORBELUNE_LANE I Words() {
    return _mm_set1_epi16(kValue);
  }
  // Alpha's 16-bit channels of pixels in 16-bit channels.
  static ORBELUNE_LANE I AlphaWords() { return _mm_setr_epi16(0, 0, 0, -1, 0, 0, 0, -1); }
  // The pixels' bytes as 16-bit channels: pixels 0 and 1 (Low16), 2 and 3 (High16).
  static ORBELUNE_LANE I Low16(I pixels) { return _mm_unpacklo_epi8(pixels, _mm_setzero_si128()); }
  static ORBELUNE_LANE I High16(I pixels) { return _mm_unpackhi_epi8(pixels, _mm_setzero_si128()); }
  // Back to bytes, saturated: the inverse of Low16 and High16.
  static ORBELUNE_LANE I Pack16(I low, I high) { return _mm_packus_epi16(low, high); }
  // 32-bit lanes to 16-bit ones, saturated, pairs of lanes interleaved as Low16 and High16 split.
  static ORBELUNE_LANE I PackSigned32(I a, I b) { return _mm_packs_epi32(a, b); }
  static ORBELUNE_LANE I InterleaveLow16(I a, I b) { return _mm_unpacklo_epi16(a, b); }
  static ORBELUNE_LANE I InterleaveLow32(I a, I b) { return _mm_unpacklo_epi32(a, b); }
  static ORBELUNE_LANE I InterleaveHigh32(I a, I b) { return _mm_unpackhi_epi32(a, b); }
  static ORBELUNE_LANE I Add16(I a, I b) { return _mm_add_epi16(a, b); }
  static ORBELUNE_LANE I AddSaturated16(I a, I b) { return _mm_adds_epu16(a, b); }
  static ORBELUNE_LANE I Subtract16(I a, I b) { return _mm_sub_epi16(a, b); }
  static ORBELUNE_LANE I MultiplyLow16(I a, I b) { return _mm_mullo_epi16(a, b); }
  static ORBELUNE_LANE I MultiplyHigh16(I a, I b) { return _mm_mulhi_epu16(a, b); }
  static ORBELUNE_LANE I ShiftRight16(I value, int bits) { return _mm_srli_epi16(value, bits); }
  static ORBELUNE_LANE I Min16(I a, I b) { return _mm_min_epi16(a, b); }
  static ORBELUNE_LANE I Equal16(I a, I b) { return _mm_cmpeq_epi16(a, b); }
  // Each pixel's alpha channel in its four channels.
  static ORBELUNE_LANE I BroadcastAlpha16(I x) { return _mm_shufflehi_epi16(_mm_shufflelo_epi16(x, 0xFF), 0xFF); }
};

}  // namespace refdevice

#undef ORBELUNE_LANE

#endif
