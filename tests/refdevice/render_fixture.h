// Small render targets and draw descriptions for the reference device's tests.
#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

#include "refdevice.h"

namespace refdevice::testing {

// A colour target with its depth target, owned.
struct Canvas {
  Canvas(int width, int height, uint32_t clearColor = 0xFF000000u)
      : width(width),
        height(height),
        pixels(size_t(width) * height, clearColor),
        depth(size_t(width) * height, 0xFFFF) {}

  ColorTarget Color() { return {pixels.data(), width, height, size_t(width) * 4, false}; }
  DepthTarget Depth() { return {depth.data(), width, height, size_t(width) * 2}; }
  uint32_t At(int x, int y) const { return pixels[size_t(y) * width + x]; }

  int width, height;
  std::vector<uint32_t> pixels;
  std::vector<uint16_t> depth;
};

// Vertex with position, diffuse and texture coordinates, 24 bytes.
struct ColorTexVertex {
  float x, y, z;
  uint32_t diffuse;
  float u, v;
};

// Pretransformed vertex: screen pixels, depth, rhw; diffuse and texture coordinates.
struct ScreenSpaceVertex {
  float x, y, z, rhw;
  uint32_t diffuse;
  float u, v;
};

inline VertexStream StreamOf(const std::vector<ColorTexVertex>& vertices) {
  VertexStream stream;
  stream.data = reinterpret_cast<const uint8_t*>(vertices.data());
  stream.vertexCount = vertices.size();
  stream.layout = {sizeof(ColorTexVertex), 0, false, kAbsent, 12, 16};
  return stream;
}

inline VertexStream StreamOf(const std::vector<ScreenSpaceVertex>& vertices) {
  VertexStream stream;
  stream.data = reinterpret_cast<const uint8_t*>(vertices.data());
  stream.vertexCount = vertices.size();
  stream.layout = {sizeof(ScreenSpaceVertex), 0, true, kAbsent, 16, 20};
  return stream;
}

// A draw into the canvas: whole-target viewport, no culling, no depth, colour = diffuse.
inline DrawCall BasicDraw(Canvas& canvas) {
  DrawCall call;
  call.color = canvas.Color();
  call.depth = canvas.Depth();
  call.viewport = {0, 0, canvas.width, canvas.height, 0.0f, 1.0f};
  call.cull = CullMode::None;
  call.stage.color = {StageOperation::SelectArg1, StageArgument::Diffuse, StageArgument::Texture};
  call.stage.alpha = {StageOperation::SelectArg1, StageArgument::Diffuse, StageArgument::Texture};
  return call;
}

inline void SetTriangleList(DrawCall& call, unsigned triangles) {
  call.range.type = PrimitiveType::TriangleList;
  call.range.primitiveCount = triangles;
}

// Additive blending: overlapping coverage shows as summed colour.
inline BlendState AddBlend() { return {true, BlendFactor::One, BlendFactor::One}; }

// A one-level texture over caller-owned texels.
inline Texture TextureOf(const std::vector<uint32_t>& texels, int width, int height) {
  Texture texture;
  texture.levels[0] = {texels.data(), width, height, size_t(width) * 4};
  texture.levelCount = 1;
  return texture;
}

// Row-vector matrices of the left-handed conventions.
inline Matrix PerspectiveFov(float fovY, float aspect, float zn, float zf) {
  Matrix m;
  float ys = 1.0f / std::tan(fovY / 2);
  m.m[0][0] = ys / aspect;
  m.m[1][1] = ys;
  m.m[2][2] = zf / (zf - zn);
  m.m[2][3] = 1.0f;
  m.m[3][2] = -zn * zf / (zf - zn);
  m.m[3][3] = 0.0f;
  return m;
}

inline Matrix Translation(float x, float y, float z) {
  Matrix m;
  m.m[3][0] = x, m.m[3][1] = y, m.m[3][2] = z;
  return m;
}

}  // namespace refdevice::testing
