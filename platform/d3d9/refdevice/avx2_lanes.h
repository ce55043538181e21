// Moving floats between records and lanes, for the files built with AVX2: eight records' fields
// loaded a record at a time and turned round into one register a field, and back. Eight loads
// and a few shuffles cost this processor less than a gather of eight lanes.
#pragma once

#if defined(__AVX2__)
#include <immintrin.h>

namespace refdevice::avx2 {

// Four consecutive floats of eight records: columns[j] holds float j of record i in lane i.
inline void LoadFourColumns(const float* const records[8], __m256 columns[4]) {
  // Records 0 and 4, 1 and 5, ... share a register: the unpacks and shuffles below work within
  // 128-bit lanes.
  auto pair = [records](int low) {
    return _mm256_setr_m128(_mm_loadu_ps(records[low]), _mm_loadu_ps(records[low + 4]));
  };
  const __m256 r04 = pair(0), r15 = pair(1), r26 = pair(2), r37 = pair(3);
  const __m256 first01 = _mm256_unpacklo_ps(r04, r15), second01 = _mm256_unpackhi_ps(r04, r15);
  const __m256 first23 = _mm256_unpacklo_ps(r26, r37), second23 = _mm256_unpackhi_ps(r26, r37);
  columns[0] = _mm256_shuffle_ps(first01, first23, _MM_SHUFFLE(1, 0, 1, 0));
  columns[1] = _mm256_shuffle_ps(first01, first23, _MM_SHUFFLE(3, 2, 3, 2));
  columns[2] = _mm256_shuffle_ps(second01, second23, _MM_SHUFFLE(1, 0, 1, 0));
  columns[3] = _mm256_shuffle_ps(second01, second23, _MM_SHUFFLE(3, 2, 3, 2));
}

// Two consecutive floats of eight records, likewise.
inline void LoadTwoColumns(const float* const records[8], __m256 columns[2]) {
  auto two = [records](int first, int second) {
    const __m128 low = _mm_castpd_ps(_mm_load_sd(reinterpret_cast<const double*>(records[first])));
    return _mm_loadh_pi(low, reinterpret_cast<const __m64*>(records[second]));
  };
  const __m256 r0145 = _mm256_setr_m128(two(0, 1), two(4, 5)), r2367 = _mm256_setr_m128(two(2, 3), two(6, 7));
  columns[0] = _mm256_shuffle_ps(r0145, r2367, _MM_SHUFFLE(2, 0, 2, 0));
  columns[1] = _mm256_shuffle_ps(r0145, r2367, _MM_SHUFFLE(3, 1, 3, 1));
}

// Eight registers of eight lanes turned round: register j then holds lane j of each.
inline void Transpose(__m256 r[8]) {
  __m256 t[8], u[8];
  for (int i = 0; i < 8; i += 2) {
    t[i] = _mm256_unpacklo_ps(r[i], r[i + 1]);
    t[i + 1] = _mm256_unpackhi_ps(r[i], r[i + 1]);
  }
  for (int i = 0; i < 8; i += 4) {
    u[i] = _mm256_shuffle_ps(t[i], t[i + 2], _MM_SHUFFLE(1, 0, 1, 0));
    u[i + 1] = _mm256_shuffle_ps(t[i], t[i + 2], _MM_SHUFFLE(3, 2, 3, 2));
    u[i + 2] = _mm256_shuffle_ps(t[i + 1], t[i + 3], _MM_SHUFFLE(1, 0, 1, 0));
    u[i + 3] = _mm256_shuffle_ps(t[i + 1], t[i + 3], _MM_SHUFFLE(3, 2, 3, 2));
  }
  for (int i = 0; i < 4; ++i) {
    r[i] = _mm256_permute2f128_ps(u[i], u[i + 4], 0x20);
    r[i + 4] = _mm256_permute2f128_ps(u[i], u[i + 4], 0x31);
  }
}

// Two registers of eight lanes stored as two consecutive floats of eight records: lane i of
// first and second to records[i].
inline void StoreTwoColumns(__m256 first, __m256 second, float* const records[8]) {
  const __m256 r0145 = _mm256_unpacklo_ps(first, second), r2367 = _mm256_unpackhi_ps(first, second);
  auto store = [records](__m128 pairs, int low, int high) {
    _mm_storel_pi(reinterpret_cast<__m64*>(records[low]), pairs);
    _mm_storeh_pi(reinterpret_cast<__m64*>(records[high]), pairs);
  };
  store(_mm256_castps256_ps128(r0145), 0, 1);
  store(_mm256_extractf128_ps(r0145, 1), 4, 5);
  store(_mm256_castps256_ps128(r2367), 2, 3);
  store(_mm256_extractf128_ps(r2367, 1), 6, 7);
}

}  // namespace refdevice::avx2

#endif
