// The per-pixel work for a run of covered pixels on one row: depth test and write, the
// interpolation of 1/w, texture coordinates and colour, sampling, texture stage 0 and the
// blend into the colour target.
#pragma once

#include <cstddef>
#include <cstdint>

#include "refdevice.h"
#include "sampler.h"
#include "setup.h"

namespace refdevice {

// Pixels xBegin .. xEnd - 1 of row y.
struct Span {
  int y, xBegin, xEnd;
};

struct PixelPipeline;
// Pixels from the runs' rows up to areaEndX - 1 belong to the caller's area (its tile): a shader
// may read them and write them back unchanged.
using SpanShader = void (*)(const PixelPipeline&, const SetupTriangle&, const Span* spans, int count, int areaEndX);

// A triangle at most eight pixels wide whose edge values over its rectangle (and one row and
// seven columns past it) fit in 32 bits: edge i is start[i] at (minX, minY) and grows by
// stepX[i] a pixel to the right and stepY[i] a row down; a pixel is covered where all three
// are >= 0.
struct NarrowTriangle {
  int minX, minY, maxX, maxY;
  int32_t start[3], stepX[3], stepY[3];
};
// Finds and shades the covered pixels of a narrow triangle within the caller's area.
using NarrowShader = void (*)(const PixelPipeline&, const SetupTriangle&, const NarrowTriangle&);

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
  bool simd = false;  // the SIMD span shader serves this state
  SpanShader simdShader = nullptr;
  NarrowShader narrowShader = nullptr;  // where the SIMD shader has one
  int textureRowShift = 0;  // log2 of the texture's pitch in texels
  // What the SIMD shader derives from the state once per draw, in the shader's own layout.
  static constexpr size_t kShaderConstantBytes = 640;
  alignas(32) unsigned char shaderConstants[kShaderConstantBytes];
  bool depthAcceptsLess = false, depthAcceptsEqual = false, depthAcceptsGreater = false;
};

PixelPipeline PreparePixelPipeline(const DrawCall& call);

// Shades runs of pixels, all covered by the triangle, with the SIMD span shader where it
// serves the state and the scalar one otherwise.
void ShadeSpans(const PixelPipeline& pipeline, const SetupTriangle& triangle, const Span* spans, int count,
                int areaEndX);

// The scalar pipeline, one pixel at a time: the definition the SIMD shader follows.
void ShadeSpanScalar(const PixelPipeline& pipeline, const SetupTriangle& triangle, int y, int xBegin, int xEnd);

}  // namespace refdevice
