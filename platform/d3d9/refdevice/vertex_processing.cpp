// Implements: vertex fetch, the combined transform, outcodes and the viewport mapping.
// Leaves out: what vertex_processing.h lists.
#include "vertex_processing.h"

#include <cmath>
#include <cstring>

#include "tuning.h"

namespace refdevice {

GuardBand ComputeGuardBand(const Viewport& viewport) {
  float halfWidth = viewport.width * 0.5f;
  float halfHeight = viewport.height * 0.5f;
  return {1.0f + tuning::kGuardBandPixels / halfWidth, 1.0f + tuning::kGuardBandPixels / halfHeight};
}

Matrix Multiply(const Matrix& left, const Matrix& right) {
  Matrix product;
  for (int row = 0; row < 4; ++row) {
    for (int column = 0; column < 4; ++column) {
      float sum = 0.0f;
      for (int k = 0; k < 4; ++k) sum += left.m[row][k] * right.m[k][column];
      product.m[row][column] = sum;
    }
  }
  return product;
}

namespace {

float ReadFloat(const uint8_t* at) {
  float value;
  std::memcpy(&value, at, sizeof value);
  return value;
}

}  // namespace

ClipVertex FetchVertex(const VertexStream& stream, size_t index, const Matrix& m) {
  const VertexLayout& layout = stream.layout;
  const uint8_t* vertex = stream.data + index * layout.strideBytes;
  ClipVertex out;

  const uint8_t* position = vertex + layout.positionOffset;
  float x = ReadFloat(position), y = ReadFloat(position + 4), z = ReadFloat(position + 8);
  if (layout.pretransformed) {
    out.position[0] = x;
    out.position[1] = y;
    out.position[2] = z;
    out.position[3] = ReadFloat(position + 12);
  } else {
    for (int column = 0; column < 4; ++column) {
      out.position[column] = x * m.m[0][column] + y * m.m[1][column] + z * m.m[2][column] + m.m[3][column];
    }
  }

  uint32_t diffuse = 0xFFFFFFFFu;
  if (layout.diffuseOffset != kAbsent) std::memcpy(&diffuse, vertex + layout.diffuseOffset, 4);
  for (int channel = 0; channel < 4; ++channel) {
    out.color[channel] = static_cast<float>((diffuse >> (8 * channel)) & 0xFFu);
  }

  if (layout.texcoordOffset != kAbsent) {
    out.texcoord[0] = ReadFloat(vertex + layout.texcoordOffset);
    out.texcoord[1] = ReadFloat(vertex + layout.texcoordOffset + 4);
  } else {
    out.texcoord[0] = out.texcoord[1] = 0.0f;
  }
  return out;
}

uint32_t ComputeOutcode(const ClipVertex& vertex, const GuardBand& band) {
  float x = vertex.position[0], y = vertex.position[1], z = vertex.position[2];
  float w = vertex.position[3];
  if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(z) || !std::isfinite(w)) {
    return kClipNotFinite;
  }
  uint32_t code = 0;
  if (z < 0.0f) code |= kClipNear;
  if (z > w) code |= kClipFar;
  if (x < -band.x * w) code |= kClipLeft;
  if (x > band.x * w) code |= kClipRight;
  if (y < -band.y * w) code |= kClipBottom;
  if (y > band.y * w) code |= kClipTop;
  if (w < tuning::kMinimumW) code |= kClipBehindEye;
  return code;
}

ScreenVertex ProjectToScreen(const ClipVertex& vertex, const Viewport& viewport) {
  float q = 1.0f / vertex.position[3];
  ScreenVertex out;
  out.x = viewport.x + (vertex.position[0] * q + 1.0f) * (viewport.width * 0.5f);
  out.y = viewport.y + (1.0f - vertex.position[1] * q) * (viewport.height * 0.5f);
  out.z = viewport.minZ + vertex.position[2] * q * (viewport.maxZ - viewport.minZ);
  out.q = q;
  for (int channel = 0; channel < 4; ++channel) out.color[channel] = vertex.color[channel];
  out.texcoord[0] = vertex.texcoord[0];
  out.texcoord[1] = vertex.texcoord[1];
  return out;
}

ScreenVertex PretransformedToScreen(const ClipVertex& vertex) {
  ScreenVertex out;
  out.x = vertex.position[0];
  out.y = vertex.position[1];
  out.z = vertex.position[2];
  out.q = vertex.position[3];
  for (int channel = 0; channel < 4; ++channel) out.color[channel] = vertex.color[channel];
  out.texcoord[0] = vertex.texcoord[0];
  out.texcoord[1] = vertex.texcoord[1];
  return out;
}

}  // namespace refdevice
