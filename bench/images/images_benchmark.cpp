// The textures the scene makes at start, each timed by itself and together, and a plain
// libjpeg decode of the same photograph as the yardstick: the whole of texture creation should
// stay under three times the plain decode.
//
// Textures are made on the memory device of the tests (plain memory levels), so that the
// figures are those of decoding, conversion and resampling, not of a device.
#include <benchmark/benchmark.h>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

#include <jpeglib.h>

#include "gfxsupport/textures/texture_loading.h"
#include "image_encoders.h"
#include "memory_device.h"

namespace {

// A soft-edged disc mask like the saver's: transparent inside, opaque background outside,
// a glowing ring between.
const std::vector<uint8_t>& MaskPng() {
  static const std::vector<uint8_t> png = [] {
    const int size = 512;
    std::vector<uint8_t> rgba(size * size * 4);
    for (int y = 0; y < size; ++y) {
      for (int x = 0; x < size; ++x) {
        const double dx = x - 255.5, dy = y - 255.5;
        const double r = std::sqrt(dx * dx + dy * dy) / 256.0;
        const double alpha = std::clamp((r - 0.9) * 10.0, 0.0, 1.0);
        uint8_t* p = &rgba[(y * size + x) * 4];
        p[0] = p[1] = p[2] = static_cast<uint8_t>(255 * std::clamp(1.0 - std::fabs(r - 0.95) * 20, 0.0, 1.0));
        p[3] = static_cast<uint8_t>(255 * alpha);
      }
    }
    return EncodePng(size, size, 4, rgba);
  }();
  return png;
}

// A photograph-like 640 by 480 colour picture: smooth shapes with fine texture.
const std::vector<uint8_t>& PhotoJpeg() {
  static const std::vector<uint8_t> jpeg = [] {
    const int width = 640, height = 480;
    std::vector<uint8_t> rgb(width * height * 3);
    uint32_t noise = 12345;
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        noise = noise * 1664525u + 1013904223u;
        const int grain = static_cast<int>(noise >> 28) - 8;
        uint8_t* p = &rgb[(y * width + x) * 3];
        p[0] = static_cast<uint8_t>(std::clamp(128 + 100 * std::sin(x * 0.02) + grain, 0.0, 255.0));
        p[1] = static_cast<uint8_t>(std::clamp(128 + 100 * std::cos(y * 0.03) + grain, 0.0, 255.0));
        p[2] = static_cast<uint8_t>(std::clamp(128 + 90 * std::sin((x + y) * 0.01) + grain, 0.0, 255.0));
      }
    }
    return EncodeJpeg(width, height, 3, rgb);
  }();
  return jpeg;
}

void CreateSceneTexture(benchmark::State& state, MemoryDevice& device, const std::vector<uint8_t>& file) {
  IDirect3DTexture9* texture = nullptr;
  const HRESULT result =
      CreateTextureFromMemory(&device, file.data(), static_cast<UINT>(file.size()), 0, 0, 0, 0, D3DFMT_A8R8G8B8,
                              D3DPOOL_MANAGED, FilterLinear, FilterLinear, 0xFF000000, nullptr, nullptr, &texture);
  if (FAILED(result)) {
    state.SkipWithError("texture creation failed");
    return;
  }
  texture->Release();
}

void MaskTexture(benchmark::State& state) {
  MemoryDevice device;
  for (auto _ : state) CreateSceneTexture(state, device, MaskPng());
}
BENCHMARK(MaskTexture)->Unit(benchmark::kMillisecond);

void PhotoTexture(benchmark::State& state) {
  MemoryDevice device;
  for (auto _ : state) CreateSceneTexture(state, device, PhotoJpeg());
}
BENCHMARK(PhotoTexture)->Unit(benchmark::kMillisecond);

// Everything the scene makes from images at start.
void SceneTextures(benchmark::State& state) {
  MemoryDevice device;
  for (auto _ : state) {
    CreateSceneTexture(state, device, MaskPng());
    CreateSceneTexture(state, device, PhotoJpeg());
  }
}
BENCHMARK(SceneTextures)->Unit(benchmark::kMillisecond);

// The decoding part of SceneTextures alone: what texture creation adds is the difference.
void DecodeSceneImages(benchmark::State& state) {
  for (auto _ : state) {
    for (const std::vector<uint8_t>* file : {&MaskPng(), &PhotoJpeg()}) {
      DecodedImage image = EmptyDecodedImage();
      if (FAILED(DecodeImage(file->data(), static_cast<UINT>(file->size()), &image, nullptr))) {
        state.SkipWithError("decoding failed");
        return;
      }
      FreeDecodedImage(&image);
    }
  }
}
BENCHMARK(DecodeSceneImages)->Unit(benchmark::kMillisecond);

// The yardstick: libjpeg decoding the same file to RGB rows, nothing more.
void PlainJpegDecode(benchmark::State& state) {
  const std::vector<uint8_t>& jpeg = PhotoJpeg();
  std::vector<uint8_t> row;
  for (auto _ : state) {
    jpeg_decompress_struct decompressor;
    jpeg_error_mgr errors;
    decompressor.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&decompressor);
    jpeg_mem_src(&decompressor, jpeg.data(), jpeg.size());
    jpeg_read_header(&decompressor, TRUE);
    jpeg_start_decompress(&decompressor);
    row.resize(size_t{decompressor.output_width} * decompressor.output_components);
    while (decompressor.output_scanline < decompressor.output_height) {
      JSAMPROW rows[1] = {row.data()};
      jpeg_read_scanlines(&decompressor, rows, 1);
    }
    jpeg_finish_decompress(&decompressor);
    jpeg_destroy_decompress(&decompressor);
    benchmark::DoNotOptimize(row.data());
  }
}
BENCHMARK(PlainJpegDecode)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
#if defined(__GLIBC__)
  // Every iteration frees and asks again for the same blocks of a megabyte or more. glibc
  // either keeps them in its heap or hands them back to the kernel and faults them in afresh
  // each time, depending on the largest block freed so far; fixed thresholds keep them in
  // the heap, so that the figures measure the code and not that history.
  mallopt(M_MMAP_THRESHOLD, 256 << 20);
  mallopt(M_TRIM_THRESHOLD, 512 << 20);
#endif
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
