// The per-pixel work for a run of covered pixels on one row: depth test and write, the
// interpolation of 1/w, texture coordinates and colour, sampling, texture stage 0 and the
// blend into the colour target.
// On the map of docs/reference-device.md: the door from the rasterizer to the pixel forms
// (ShadeSpans, FinishPendingPixels) and the tile's pixels set aside (PendingPixels).
#pragma once

#include <cstddef>
#include <cstdint>

#include "refdevice.h"
#include "sampler.h"
#include "setup.h"
#include "tuning.h"

namespace refdevice {

// Pixels xBegin .. xEnd - 1 of row y.
struct Span {
  int y, xBegin, xEnd;
};

// Pixels of one tile that a shader has set aside, to shade them later together with other
// triangles' pixels of the tile, eight neighbours at a time: a small triangle covers only a few
// pixels of a row. Their depth is tested and written when they are set aside, so each holds
// only what texture stage 0 takes: where it samples the texture and its diffuse colour. A pixel
// covered again replaces what it held. Shaders set pixels aside only in areas at least eight
// pixels wide and at most a tile in each direction.
struct PendingPixels {
  static constexpr int kSize = tuning::kTileSize;
  static_assert(kSize <= 64, "a row's waiting pixels are the bits of one 64-bit word");

  explicit PendingPixels(const ScissorRect& tile) : area(tile), canHold(Fits(tile)) {}
  bool CanHold() const { return canHold; }
  bool Empty() const { return firstRow > lastRow; }

  static bool Fits(const ScissorRect& area) {
    const int width = area.maxX - area.minX + 1, height = area.maxY - area.minY + 1;
    return width >= 8 && width <= kSize && height >= 1 && height <= kSize;
  }

  const ScissorRect area;
  const bool canHold;
  // Rows firstRow .. lastRow may hold waiting pixels: bit i of waiting[r] is the pixel at
  // (area.minX + i, area.minY + r). Its values lie at r * kSize + i in the planes.
  int firstRow = kSize, lastRow = -1;
  uint64_t waiting[kSize] = {};
  alignas(32) float u[kSize * kSize];
  alignas(32) float v[kSize * kSize];
  alignas(32) uint32_t diffuse[kSize * kSize];
};

struct PixelPipeline;
// Pixels from the runs' rows up to areaEndX - 1 belong to the caller's area (its tile): a shader
// may read them and write them back unchanged. It may set pixels aside in `pending`.
using SpanShader = void (*)(const PixelPipeline&, const SetupTriangle&, const Span* spans, int count, int areaEndX,
                            PendingPixels& pending);

// Finds and shades, in order, the covered pixels within `area` (the area of `pending`) of the
// triangles from the first on, as long as each is at most eight pixels wide there and has a
// small walk (see SetupTriangle::smallWalk); returns how many it drew. A triangle that misses
// the area counts as drawn.
using NarrowShader = int (*)(const PixelPipeline&, const SetupTriangle* const* triangles, int count,
                             const ScissorRect& area, PendingPixels&);
// Shades and writes every pixel set aside.
using PendingShader = void (*)(const PixelPipeline&, PendingPixels&);

// A draw's state, checked and resolved once per draw.
struct PixelPipeline {
  ColorTarget color;
  DepthTarget depth;
  DepthState depthState;
  bool depthActive = false;
  BlendState blend;
  TextureStage stage;
  BoundSampler sampler;
  bool readsTexture = false;
  // Every pixel's diffuse colour has red, green and blue of 255.
  bool whiteDiffuse = false;
  bool simd = false;  // the SIMD span shader serves this state
  SpanShader simdShader = nullptr;
  NarrowShader narrowShader = nullptr;    // where the SIMD shader has one
  PendingShader pendingShader = nullptr;  // where the SIMD shader sets pixels aside
  int textureRowShift = 0;                // log2 of the texture's pitch in texels
  // What the SIMD shader derives from the state once per draw, in the shader's own layout.
  static constexpr size_t kShaderConstantBytes = 704;
  alignas(32) unsigned char shaderConstants[kShaderConstantBytes];
  bool depthAcceptsLess = false, depthAcceptsEqual = false, depthAcceptsGreater = false;
};

// `level`: the widest span shader to take (one the processor runs), the scalar pipeline for
// Scalar. `whiteDiffuse`: every triangle of the draw is known to have one colour, with red,
// green and blue of 255 (see PixelPipeline::whiteDiffuse).
PixelPipeline PreparePixelPipeline(const DrawCall& call, SimdLevel level, bool whiteDiffuse = false);

// Shades runs of pixels, all covered by the triangle, with the SIMD span shader where it
// serves the state and the scalar one otherwise.
void ShadeSpans(const PixelPipeline& pipeline, const SetupTriangle& triangle, const Span* spans, int count,
                int areaEndX, PendingPixels& pending);

// Shades the pixels set aside; the targets hold every pixel drawn once it returns.
void FinishPendingPixels(const PixelPipeline& pipeline, PendingPixels& pending);

// The scalar pipeline, one pixel at a time: the definition the SIMD shader follows.
void ShadeSpanScalar(const PixelPipeline& pipeline, const SetupTriangle& triangle, int y, int xBegin, int xEnd);

}  // namespace refdevice
