#include "gfxsupport/textures/argb32_rows.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>

#include "gfxsupport/textures/argb32_rows_avx2.h"
#include "gfxsupport/images/processor_features.h"

namespace gfx::textures {

#endif

#if defined(__SSE2__)

void ReadArgb32Row(const uint8_t* row, uint32_t count, bool opaque, FloatColour* out) {
  const __m128i zero = _mm_setzero_si128();
  const __m128 scale = _mm_set1_ps(255.0f);
  for (uint32_t i = 0; i < count; ++i) {
    int32_t pixel;
    std::memcpy(&pixel, row + 4 * i, 4);
    const __m128i bytes = _mm_cvtsi32_si128(pixel);
    const __m128i words = _mm_unpacklo_epi8(bytes, zero);
    const __m128i lanes = _mm_unpacklo_epi16(words, zero);  // b, g, r, a
    __m128 value = _mm_div_ps(_mm_cvtepi32_ps(lanes), scale);
    value = _mm_shuffle_ps(value, value, _MM_SHUFFLE(3, 0, 1, 2));  // r, g, b, a
    _mm_storeu_ps(&out[i].r, value);
    if (opaque) out[i].a = 1.0f;
  }
}

void ReadKeyedArgb32Row(const uint8_t* row, uint32_t count, bool opaque, uint32_t keyBits, uint32_t keyMask,
                        FloatColour* out) {
  const __m128i zero = _mm_setzero_si128();
  const __m128 scale = _mm_set1_ps(255.0f);
  for (uint32_t i = 0; i < count; ++i) {
    uint32_t pixel;
    std::memcpy(&pixel, row + 4 * i, 4);
    if ((pixel & keyMask) == keyBits) {
      _mm_storeu_ps(&out[i].r, _mm_setzero_ps());
      continue;
    }
    const __m128i lanes = _mm_unpacklo_epi16(_mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(pixel)), zero), zero);
    __m128 value = _mm_div_ps(_mm_cvtepi32_ps(lanes), scale);
    value = _mm_shuffle_ps(value, value, _MM_SHUFFLE(3, 0, 1, 2));
    _mm_storeu_ps(&out[i].r, value);
    if (opaque) out[i].a = 1.0f;
  }
}

namespace {

// (r, g, b, a) to (b, g, r, a) and back.
inline __m128 SwapRedBlue(__m128 value) { return _mm_shuffle_ps(value, value, _MM_SHUFFLE(3, 0, 1, 2)); }

// One pixel (b, g, r, a) to its four bytes as 32-bit lanes.
inline __m128i QuantisePixel(__m128 value, float offset) {
  value = _mm_add_ps(_mm_mul_ps(value, _mm_set1_ps(255.0f)), _mm_set1_ps(offset));
  value = _mm_min_ps(_mm_max_ps(value, _mm_setzero_ps()), _mm_set1_ps(255.0f));  // NaN: 0
  return _mm_cvttps_epi32(value);
}

// Writes `count` pixels, each made by `pixelAt(i)` in byte order (b, g, r, a), four at a
// time where it can.
template <typename PixelAt>
void StoreArgb32Row(uint32_t count, uint8_t* row, bool opaque, const float* ditherRow, uint32_t x, PixelAt pixelAt) {
  const __m128i alphaBits = _mm_set1_epi32(opaque ? static_cast<int>(0xFF000000u) : 0);
  auto quantise = [&](uint32_t i) {
    return QuantisePixel(pixelAt(i), ditherRow != nullptr ? ditherRow[(x + i) & 3] : 0.5f);
  };
  uint32_t i = 0;
  for (; i + 4 <= count; i += 4) {
    const __m128i low = _mm_packs_epi32(quantise(i), quantise(i + 1));
    const __m128i high = _mm_packs_epi32(quantise(i + 2), quantise(i + 3));
    const __m128i bytes = _mm_or_si128(_mm_packus_epi16(low, high), alphaBits);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(row + 4 * i), bytes);
  }
  for (; i < count; ++i) {
    const __m128i lanes = quantise(i);
    const __m128i words = _mm_packs_epi32(lanes, lanes);
    const __m128i bytes = _mm_or_si128(_mm_packus_epi16(words, words), alphaBits);
    const int32_t pixel = _mm_cvtsi128_si32(bytes);
    std::memcpy(row + 4 * i, &pixel, 4);
  }
}

}  // namespace

void WriteArgb32Row(const FloatColour* values, uint32_t count, uint8_t* row, bool opaque, const float* ditherRow,
                    uint32_t x) {
  StoreArgb32Row(count, row, opaque, ditherRow, x,
                 [values](uint32_t i) { return SwapRedBlue(_mm_loadu_ps(&values[i].r)); });
}

void BlendToArgb32Row(const FloatColour* a, float w0, const FloatColour* b, float w1, uint32_t count, uint8_t* row,
                      bool opaque, const float* ditherRow, uint32_t x) {
  const __m128 first = _mm_set1_ps(w0);
  const __m128 second = _mm_set1_ps(w1);
  StoreArgb32Row(count, row, opaque, ditherRow, x, [&](uint32_t i) {
    return SwapRedBlue(_mm_add_ps(_mm_mul_ps(first, _mm_loadu_ps(&a[i].r)), _mm_mul_ps(second, _mm_loadu_ps(&b[i].r))));
  });
}

void BlendBgraToArgb32Row(const FloatBgra* a, float w0, const FloatBgra* b, float w1, uint32_t count, uint8_t* row,
                          bool opaque, const float* ditherRow, uint32_t x) {
  const uint32_t done =
      ProcessorHasAvx2() ? BlendBgraToArgb32RowAvx2(a, w0, b, w1, count, row, opaque, ditherRow, x) : 0;
  const __m128 first = _mm_set1_ps(w0);
  const __m128 second = _mm_set1_ps(w1);
  StoreArgb32Row(count - done, row + 4 * done, opaque, ditherRow, x + done, [&](uint32_t i) {
    return _mm_add_ps(_mm_mul_ps(first, _mm_loadu_ps(&a[done + i].b)),
                      _mm_mul_ps(second, _mm_loadu_ps(&b[done + i].b)));
  });
}

namespace {

// One pixel's channels, widened to 32-bit lanes, to floats: channel / 255, an exact division,
// as the byte table of the codecs.
inline void StoreBgraPixel(__m128i lanes, FloatBgra* out) {
  _mm_storeu_ps(&out->b, _mm_div_ps(_mm_cvtepi32_ps(lanes), _mm_set1_ps(255.0f)));
}

}  // namespace

void ReadBgraRow(const uint8_t* row, uint32_t count, bool opaque, Argb32Key key, FloatBgra* out) {
  // A mask of 0 with bits of 1 never matches.
  const __m128i keyMask = _mm_set1_epi32(key.active ? static_cast<int>(key.mask) : 0);
  const __m128i keyBits = _mm_set1_epi32(key.active ? static_cast<int>(key.bits) : 1);
  const __m128i alphaBits = _mm_set1_epi32(opaque ? static_cast<int>(0xFF000000u) : 0);
  // Settled on the bytes: a keyed pixel reads as 0 in every channel, an opaque source's alpha
  // as 255 / 255, exactly 1.
  auto settle = [&](__m128i pixels) {
    const __m128i hits = _mm_cmpeq_epi32(_mm_and_si128(pixels, keyMask), keyBits);
    return _mm_andnot_si128(hits, _mm_or_si128(pixels, alphaBits));
  };
  const __m128i zero = _mm_setzero_si128();
  uint32_t i = ProcessorHasAvx2() ? ReadBgraRowAvx2(row, count, opaque, key, out) : 0;
  for (; i + 4 <= count; i += 4) {
    const __m128i bytes = settle(_mm_loadu_si128(reinterpret_cast<const __m128i*>(row + 4 * i)));
    const __m128i low = _mm_unpacklo_epi8(bytes, zero);
    const __m128i high = _mm_unpackhi_epi8(bytes, zero);
    StoreBgraPixel(_mm_unpacklo_epi16(low, zero), out + i);
    StoreBgraPixel(_mm_unpackhi_epi16(low, zero), out + i + 1);
    StoreBgraPixel(_mm_unpacklo_epi16(high, zero), out + i + 2);
    StoreBgraPixel(_mm_unpackhi_epi16(high, zero), out + i + 3);
  }
  for (; i < count; ++i) {
    int32_t pixel;
    std::memcpy(&pixel, row + 4 * i, 4);
    const __m128i bytes = settle(_mm_cvtsi32_si128(pixel));
    StoreBgraPixel(_mm_unpacklo_epi16(_mm_unpacklo_epi8(bytes, zero), zero), out + i);
  }
}

void ConvertArgb32RowAsBits(const uint8_t* from, uint32_t count, uint32_t setBits, Argb32Key key, uint32_t keyedPixel,
                            uint8_t* to) {
  // A mask of 0 with bits of 1 never matches.
  const __m128i keyMask = _mm_set1_epi32(key.active ? static_cast<int>(key.mask) : 0);
  const __m128i keyBits = _mm_set1_epi32(key.active ? static_cast<int>(key.bits) : 1);
  const __m128i set = _mm_set1_epi32(static_cast<int>(setBits));
  const __m128i keyed = _mm_set1_epi32(static_cast<int>(keyedPixel));
  auto convert = [&](__m128i pixels) {
    const __m128i hits = _mm_cmpeq_epi32(_mm_and_si128(pixels, keyMask), keyBits);
    return _mm_or_si128(_mm_and_si128(hits, keyed), _mm_andnot_si128(hits, _mm_or_si128(pixels, set)));
  };
  uint32_t i = ProcessorHasAvx2() ? ConvertArgb32RowAsBitsAvx2(from, count, setBits, key, keyedPixel, to) : 0;
  for (; i + 4 <= count; i += 4) {
    const __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + 4 * i));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(to + 4 * i), convert(pixels));
  }
  for (; i < count; ++i) {
    int32_t pixel;
    std::memcpy(&pixel, from + 4 * i, 4);
    pixel = _mm_cvtsi128_si32(convert(_mm_cvtsi32_si128(pixel)));
    std::memcpy(to + 4 * i, &pixel, 4);
  }
}

void BlendRows(const FloatColour* a, float w0, const FloatColour* b, float w1, uint32_t count, FloatColour* out) {
  const __m128 first = _mm_set1_ps(w0);
  const __m128 second = _mm_set1_ps(w1);
  for (uint32_t i = 0; i < count; ++i) {
    const __m128 value =
        _mm_add_ps(_mm_mul_ps(first, _mm_loadu_ps(&a[i].r)), _mm_mul_ps(second, _mm_loadu_ps(&b[i].r)));
    _mm_storeu_ps(&out[i].r, value);
  }
}

#else

namespace {

uint8_t QuantiseByte(float value, float offset) {
  const float scaled = value * 255.0f + offset;
  if (!(scaled > 0.0f)) return 0;
  if (scaled >= 255.0f) return 255;
  return static_cast<uint8_t>(scaled);
}

}  // namespace

void ReadArgb32Row(const uint8_t* row, uint32_t count, bool opaque, FloatColour* out) {
  for (uint32_t i = 0; i < count; ++i, row += 4) {
    out[i] = {row[2] / 255.0f, row[1] / 255.0f, row[0] / 255.0f, opaque ? 1.0f : row[3] / 255.0f};
  }
}

void ReadKeyedArgb32Row(const uint8_t* row, uint32_t count, bool opaque, uint32_t keyBits, uint32_t keyMask,
                        FloatColour* out) {
  ReadArgb32Row(row, count, opaque, out);
  for (uint32_t i = 0; i < count; ++i, row += 4) {
    uint32_t pixel;
    std::memcpy(&pixel, row, 4);
    if ((pixel & keyMask) == keyBits) out[i] = {0.0f, 0.0f, 0.0f, 0.0f};
  }
}

void WriteArgb32Row(const FloatColour* values, uint32_t count, uint8_t* row, bool opaque, const float* ditherRow,
                    uint32_t x) {
  for (uint32_t i = 0; i < count; ++i, row += 4) {
    const float offset = ditherRow != nullptr ? ditherRow[(x + i) & 3] : 0.5f;
    const FloatColour& v = values[i];
    row[0] = QuantiseByte(v.b, offset);
    row[1] = QuantiseByte(v.g, offset);
    row[2] = QuantiseByte(v.r, offset);
    row[3] = opaque ? 0xFF : QuantiseByte(v.a, offset);
  }
}

void BlendToArgb32Row(const FloatColour* a, float w0, const FloatColour* b, float w1, uint32_t count, uint8_t* row,
                      bool opaque, const float* ditherRow, uint32_t x) {
  FloatColour blended[64];
  for (uint32_t start = 0; start < count; start += 64) {
    const uint32_t part = std::min<uint32_t>(64, count - start);
    BlendRows(a + start, w0, b + start, w1, part, blended);
    WriteArgb32Row(blended, part, row + 4 * start, opaque, ditherRow, x + start);
  }
}

void ReadBgraRow(const uint8_t* row, uint32_t count, bool opaque, Argb32Key key, FloatBgra* out) {
  for (uint32_t i = 0; i < count; ++i, row += 4) {
    FloatColour value;
    if (key.active) {
      ReadKeyedArgb32Row(row, 1, opaque, key.bits, key.mask, &value);
    } else {
      ReadArgb32Row(row, 1, opaque, &value);
    }
    out[i] = {value.b, value.g, value.r, value.a};
  }
}

void BlendBgraToArgb32Row(const FloatBgra* a, float w0, const FloatBgra* b, float w1, uint32_t count, uint8_t* row,
                          bool opaque, const float* ditherRow, uint32_t x) {
  FloatColour first[64], second[64];
  for (uint32_t start = 0; start < count; start += 64) {
    const uint32_t part = std::min<uint32_t>(64, count - start);
    for (uint32_t i = 0; i < part; ++i) {
      const FloatBgra& p = a[start + i];
      const FloatBgra& q = b[start + i];
      first[i] = {p.r, p.g, p.b, p.a};
      second[i] = {q.r, q.g, q.b, q.a};
    }
    BlendToArgb32Row(first, w0, second, w1, part, row + 4 * start, opaque, ditherRow, x + start);
  }
}

void ConvertArgb32RowAsBits(const uint8_t* from, uint32_t count, uint32_t setBits, Argb32Key key, uint32_t keyedPixel,
                            uint8_t* to) {
  for (uint32_t i = 0; i < count; ++i) {
    uint32_t pixel;
    std::memcpy(&pixel, from + 4 * i, 4);
    pixel = key.active && (pixel & key.mask) == key.bits ? keyedPixel : pixel | setBits;
    std::memcpy(to + 4 * i, &pixel, 4);
  }
}

void BlendRows(const FloatColour* a, float w0, const FloatColour* b, float w1, uint32_t count, FloatColour* out) {
  for (uint32_t i = 0; i < count; ++i) {
    out[i] = {w0 * a[i].r + w1 * b[i].r, w0 * a[i].g + w1 * b[i].g, w0 * a[i].b + w1 * b[i].b,
              w0 * a[i].a + w1 * b[i].a};
  }
}

#endif

}  // namespace gfx::textures
