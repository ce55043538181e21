// Implements: the scalar pixel pipeline and the choice between it and the SIMD span shader.
// Leaves out: alpha test, fog, specular (see refdevice.h).
// On the map of docs/reference-device.md: ShadeSpans' choice of form, and the scalar pipeline.
#include "pixel_pipeline.h"

#include <algorithm>
#include <cmath>

#include "blend.h"
#include "color.h"
#include "depth.h"
#include "span_simd.h"
#include "texture_stage.h"

namespace refdevice {

namespace {

// log2 of the level-0 texels that one pixel step crosses, along the steeper screen axis.
float LevelOfDetail(const SetupTriangle& triangle, const Texture& texture, float u, float v, float w) {
  float dudx = triangle.texcoord[0].a, dudy = triangle.texcoord[0].b;
  float dvdx = triangle.texcoord[1].a, dvdy = triangle.texcoord[1].b;
  if (triangle.Perspective()) {
    // d(U/Q) = (dU - u dQ) / Q, with U = u * q interpolated linearly.
    const AttributePlane& q = triangle.extras->q;
    dudx = (dudx - u * q.a) * w;
    dudy = (dudy - u * q.b) * w;
    dvdx = (dvdx - v * q.a) * w;
    dvdy = (dvdy - v * q.b) * w;
  }
  float width = static_cast<float>(texture.levels[0].width);
  float height = static_cast<float>(texture.levels[0].height);
  float alongX = (dudx * width) * (dudx * width) + (dvdx * height) * (dvdx * height);
  float alongY = (dudy * width) * (dudy * width) + (dvdy * height) * (dvdy * height);
  return 0.5f * std::log2(std::max(alongX, alongY));
}

}  // namespace

PixelPipeline PreparePixelPipeline(const DrawCall& call, SimdLevel level, bool whiteDiffuse) {
  PixelPipeline pipeline;
  pipeline.whiteDiffuse = whiteDiffuse;
  pipeline.color = call.color;
  pipeline.depth = call.depth;
  pipeline.depthState = call.depthState;
  pipeline.depthActive = call.depthState.testEnable && call.depth.depth != nullptr;
  pipeline.blend = call.blend;
  pipeline.stage = call.stage;
  pipeline.readsTexture = StageReadsTexture(call.stage);
  pipeline.sampler = BindSampler(call.stage.texture, call.stage.sampler);
  pipeline.simd = level != SimdLevel::Scalar && SimdSpanSupports(pipeline);
  if (pipeline.simd) PrepareSimdSpans(pipeline, level);
  return pipeline;
}

void ShadeSpans(const PixelPipeline& pipeline, const SetupTriangle& triangle, const Span* spans, int count,
                int areaEndX, PendingPixels& pending) {
  if (pipeline.simd) {
    pipeline.simdShader(pipeline, triangle, spans, count, areaEndX, pending);
    return;
  }
  for (int i = 0; i < count; ++i) ShadeSpanScalar(pipeline, triangle, spans[i].y, spans[i].xBegin, spans[i].xEnd);
}

void FinishPendingPixels(const PixelPipeline& pipeline, PendingPixels& pending) {
  if (!pending.Empty()) pipeline.pendingShader(pipeline, pending);
}

void ShadeSpanScalar(const PixelPipeline& pipeline, const SetupTriangle& triangle, int y, int xBegin, int xEnd) {
  uint32_t* colorRow =
      reinterpret_cast<uint32_t*>(reinterpret_cast<uint8_t*>(pipeline.color.pixels) + y * pipeline.color.pitchBytes);
  uint16_t* depthRow = nullptr;
  if (pipeline.depthActive) {
    depthRow =
        reinterpret_cast<uint16_t*>(reinterpret_cast<uint8_t*>(pipeline.depth.depth) + y * pipeline.depth.pitchBytes);
  }
  float dy = static_cast<float>(y) - triangle.originY;
  bool targetAlphaOpaque = pipeline.color.alphaIsOpaque;

  for (int x = xBegin; x < xEnd; ++x) {
    float dx = static_cast<float>(x) - triangle.originX;
    if (depthRow != nullptr) {
      uint16_t incoming = DepthToUnorm16(triangle.depth.At(dx, dy));
      if (!DepthPasses(pipeline.depthState.compare, incoming, depthRow[x])) continue;
      if (pipeline.depthState.writeEnable) depthRow[x] = incoming;
    }

    float w = triangle.Perspective() ? 1.0f / triangle.extras->q.At(dx, dy) : 1.0f;
    uint32_t diffuse = triangle.flatDiffuse;
    if (!triangle.FlatColor()) {
      float color[4];
      for (int channel = 0; channel < 4; ++channel) color[channel] = triangle.extras->color[channel].At(dx, dy) * w;
      diffuse = PackColorChannels(color);
    }

    uint32_t texel = 0xFF000000u;
    if (pipeline.readsTexture) {
      float u = triangle.texcoord[0].At(dx, dy) * w;
      float v = triangle.texcoord[1].At(dx, dy) * w;
      float lod = 0.0f;
      if (pipeline.sampler.usesLevelOfDetail) lod = LevelOfDetail(triangle, *pipeline.sampler.texture, u, v, w);
      texel = SampleTexture(pipeline.sampler, u, v, lod);
    }
    uint32_t source = CombineStage(pipeline.stage, texel, diffuse);

    uint32_t result = source;
    if (pipeline.blend.enable) {
      uint32_t destination = colorRow[x];
      if (targetAlphaOpaque) destination |= 0xFF000000u;
      result = Blend(pipeline.blend, source, destination);
    }
    if (targetAlphaOpaque) result |= 0xFF000000u;
    colorRow[x] = result;
  }
}

}  // namespace refdevice
