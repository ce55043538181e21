// Eight lanes with AVX2: the operations of lanes_sse2.h, for the files built with AVX2. Where
// AVX2 has an instruction for what SSE2 does in a sequence (floor, blend by mask, 32-bit minimum
// and maximum), it takes it; results are the same. The two files mirror each other name for name
// on purpose: they are where the widths differ, so that span_lanes.h need not.
#pragma once

#if defined(__AVX2__)
#include <immintrin.h>

#include <array>
#include <cstddef>
#include <cstdint>

#define ORBELUNE_LANE inline __attribute__((always_inline))

namespace refdevice {

// A value in every lane, read from memory. The pixel loops need more constants than there are
// registers, and the compiler rebuilds one it cannot keep from an immediate each time it is
// used (three instructions), where one read from memory is just an operand. The empty asm hides
// which array the address points into: knowing it, the compiler would fold the read back into
// an immediate.
template <typename Lane, Lane kValue>
struct Splat {
  static constexpr size_t kCount = 32 / sizeof(Lane);  // lanes in a register
  alignas(32) static constexpr std::array<Lane, kCount> kLanes = [] {
    std::array<Lane, kCount> lanes{};
    lanes.fill(kValue);
    return lanes;
  }();
  static ORBELUNE_LANE __m256i Read() {
    const __m256i* address = reinterpret_cast<const __m256i*>(kLanes.data());
    __asm__("" : "+r"(address));
    return _mm256_load_si256(address);
  }
};

struct Avx2Lanes {
  using F = __m256;
  using I = __m256i;
  static constexpr int kCount = 8;
  static constexpr unsigned kAlphaWordBytes = 0xC0C0C0C0u;

  // ---- Floats ----
  static ORBELUNE_LANE F Set(float value) { return _mm256_set1_ps(value); }
  static ORBELUNE_LANE F ZeroFloats() { return _mm256_setzero_ps(); }
  static ORBELUNE_LANE F Add(F a, F b) { return _mm256_add_ps(a, b); }
  static ORBELUNE_LANE F Subtract(F a, F b) { return _mm256_sub_ps(a, b); }
  static ORBELUNE_LANE F Multiply(F a, F b) { return _mm256_mul_ps(a, b); }
  static ORBELUNE_LANE F Divide(F a, F b) { return _mm256_div_ps(a, b); }
  static ORBELUNE_LANE F Min(F a, F b) { return _mm256_min_ps(a, b); }
  static ORBELUNE_LANE F Max(F a, F b) { return _mm256_max_ps(a, b); }
  static ORBELUNE_LANE I Truncate(F value) { return _mm256_cvttps_epi32(value); }
  static ORBELUNE_LANE F ToFloats(I value) { return _mm256_cvtepi32_ps(value); }
  // Within +-2^22 a float's floor converts exactly.
  static ORBELUNE_LANE F Floor(F value, I& whole) {
    const F floor = _mm256_floor_ps(value);
    whole = _mm256_cvttps_epi32(floor);
    return floor;
  }

  // ---- Bits and 32-bit lanes ----
  static ORBELUNE_LANE I Set32(int32_t value) { return _mm256_set1_epi32(value); }
  static ORBELUNE_LANE I Zero() { return _mm256_setzero_si256(); }
  static ORBELUNE_LANE I And(I a, I b) { return _mm256_and_si256(a, b); }
  static ORBELUNE_LANE I Or(I a, I b) { return _mm256_or_si256(a, b); }
  static ORBELUNE_LANE I Xor(I a, I b) { return _mm256_xor_si256(a, b); }
  static ORBELUNE_LANE I AndNot(I clear, I value) { return _mm256_andnot_si256(clear, value); }
  static ORBELUNE_LANE I Select(I mask, I whereClear, I whereSet) {
    return _mm256_blendv_epi8(whereClear, whereSet, mask);
  }
  static ORBELUNE_LANE I Add32(I a, I b) { return _mm256_add_epi32(a, b); }
  static ORBELUNE_LANE I Equal32(I a, I b) { return _mm256_cmpeq_epi32(a, b); }
  static ORBELUNE_LANE I Greater32(I a, I b) { return _mm256_cmpgt_epi32(a, b); }
  static ORBELUNE_LANE I ShiftLeft32(I value, int bits) { return _mm256_slli_epi32(value, bits); }
  static ORBELUNE_LANE I ShiftLeft32(I value, __m128i bits) { return _mm256_sll_epi32(value, bits); }
  static ORBELUNE_LANE I Clamp32(I value, I highest) {
    return _mm256_min_epi32(_mm256_max_epi32(value, _mm256_setzero_si256()), highest);
  }
  static ORBELUNE_LANE unsigned LaneBits(I mask) { return unsigned(_mm256_movemask_ps(_mm256_castsi256_ps(mask))); }
  static ORBELUNE_LANE unsigned ByteBits(I mask) { return unsigned(_mm256_movemask_epi8(mask)); }
  template <int32_t kValue>
  static ORBELUNE_LANE I Dwords() {
    return Splat<int32_t, kValue>::Read();
  }

  // ---- 16-bit channels ----
  // A register of eight pixels splits into a low half (pixels 0, 1, 4, 5) and a high half
  // (pixels 2, 3, 6, 7): AVX2 unpacks within each 128-bit lane, and packing the halves back
  // restores the order.
  template <int16_t kValue>
  static ORBELUNE_LANE I Words() {
    return Splat<int16_t, kValue>::Read();
  }
  static ORBELUNE_LANE I AlphaWords() { return Splat<int64_t, int64_t(0xFFFF) << 48>::Read(); }
  static ORBELUNE_LANE I Low16(I pixels) { return _mm256_unpacklo_epi8(pixels, _mm256_setzero_si256()); }
  static ORBELUNE_LANE I High16(I pixels) { return _mm256_unpackhi_epi8(pixels, _mm256_setzero_si256()); }
  static ORBELUNE_LANE I Pack16(I low, I high) { return _mm256_packus_epi16(low, high); }
  static ORBELUNE_LANE I PackSigned32(I a, I b) { return _mm256_packs_epi32(a, b); }
  static ORBELUNE_LANE I InterleaveLow16(I a, I b) { return _mm256_unpacklo_epi16(a, b); }
  static ORBELUNE_LANE I InterleaveLow32(I a, I b) { return _mm256_unpacklo_epi32(a, b); }
  static ORBELUNE_LANE I InterleaveHigh32(I a, I b) { return _mm256_unpackhi_epi32(a, b); }
  static ORBELUNE_LANE I Add16(I a, I b) { return _mm256_add_epi16(a, b); }
  static ORBELUNE_LANE I AddSaturated16(I a, I b) { return _mm256_adds_epu16(a, b); }
  static ORBELUNE_LANE I Subtract16(I a, I b) { return _mm256_sub_epi16(a, b); }
  static ORBELUNE_LANE I MultiplyLow16(I a, I b) { return _mm256_mullo_epi16(a, b); }
  static ORBELUNE_LANE I MultiplyHigh16(I a, I b) { return _mm256_mulhi_epu16(a, b); }
  static ORBELUNE_LANE I ShiftRight16(I value, int bits) { return _mm256_srli_epi16(value, bits); }
  static ORBELUNE_LANE I Min16(I a, I b) { return _mm256_min_epi16(a, b); }
  static ORBELUNE_LANE I Equal16(I a, I b) { return _mm256_cmpeq_epi16(a, b); }
  static ORBELUNE_LANE I BroadcastAlpha16(I x) { return _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(x, 0xFF), 0xFF); }
};

}  // namespace refdevice

#undef ORBELUNE_LANE

#endif
