// The per-pixel work for a run of covered pixels on one row: depth test and write, the
// interpolation of 1/w, texture coordinates and colour, sampling, texture stage 0 and the
// blend into the colour target.
#pragma once

#include "refdevice.h"
#include "sampler.h"
#include "setup.h"

namespace refdevice {

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
};

PixelPipeline PreparePixelPipeline(const DrawCall& call);

// Shades pixels xBegin .. xEnd - 1 of row y, all covered by the triangle.
void ShadeSpan(const PixelPipeline& pipeline, const SetupTriangle& triangle, int y, int xBegin,
               int xEnd);

}  // namespace refdevice
