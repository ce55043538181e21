// Reading what a frame drew: the back buffer copied into memory, and comparing pictures with
// reference pictures kept as PPM files beside the tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "d3d9api.h"

struct Picture {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;  // 0x00RRGGBB, rows from the top

  uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
  bool operator==(const Picture&) const = default;
};

// The device's current render target, read back; empty when it cannot be read.
Picture ReadRenderTarget(IDirect3DDevice9* device);

// Fills the current render target with one colour, leaving the depth surface alone.
void FillRenderTarget(IDirect3DDevice9* device, D3DCOLOR colour);

// Pixels of two pictures of one size where some channel differs by more than `levels`.
int PixelsDifferingBy(const Picture& a, const Picture& b, int levels);

// True when every pixel of the picture has this colour.
bool IsUniform(const Picture& picture, uint32_t rgb);

bool WritePpm(const std::string& path, const Picture& picture);
Picture ReadPpm(const std::string& path);
