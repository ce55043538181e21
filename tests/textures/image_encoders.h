// Small PNG and JPEG files made in memory with libpng and libjpeg, as fixtures.
#pragma once

#include <cstdint>
#include <vector>

// 8-bit samples, rows top-down, `channels` per pixel: 1 grey, 2 grey+alpha, 3 RGB, 4 RGBA.
std::vector<uint8_t> EncodePng(uint32_t width, uint32_t height, int channels, const std::vector<uint8_t>& samples);
// A palette PNG: one index per pixel, entries as RGB triples, optional alpha per entry.
std::vector<uint8_t> EncodePalettePng(uint32_t width, uint32_t height, const std::vector<uint8_t>& indices,
                                      const std::vector<uint8_t>& paletteRgb, const std::vector<uint8_t>& paletteAlpha);
// Baseline JPEG, 3 (RGB) or 1 (grey) channels, quality 100 without chroma subsampling.
std::vector<uint8_t> EncodeJpeg(uint32_t width, uint32_t height, int channels, const std::vector<uint8_t>& samples);
