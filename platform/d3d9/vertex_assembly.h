// Vertex assembly: how the rasterizer reads the vertices of a draw.
// Implements: reading vertices in place (one stream, float position and texture coordinates,
// D3DCOLOR diffuse) and, for every other layout, a repacked copy of the vertices the draw
// uses: several streams, other element types, and the colours of the fixed-function lighting
// equation when lighting is on (no lights can be set, so a lit vertex takes the global ambient
// light times its ambient material colour plus its emissive colour, and the alpha of its
// diffuse material colour; the default material is black, as on the real device).
// Leaves out: lights, materials, vertex blending, point sizes, fog coordinates.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "device_state.h"
#include "refdevice/refdevice.h"
#include "vertex_format.h"

namespace d3d9 {

struct StreamView {
  const uint8_t* data = nullptr;  // vertex 0 of the stream; null when nothing is bound
  size_t vertexCount = 0;
  UINT stride = 0;
};
using StreamViews = std::array<StreamView, kMaxStreams>;

// Lighting inputs of a draw; `enabled` false leaves vertex colours as they are.
struct LightingInputs {
  bool enabled = false;
  D3DCOLOR ambient = 0;     // D3DRS_AMBIENT
  bool colorVertex = true;  // D3DRS_COLORVERTEX
  DWORD diffuseSource = D3DMCS_COLOR1;
  DWORD ambientSource = D3DMCS_MATERIAL;
  DWORD emissiveSource = D3DMCS_MATERIAL;
  std::optional<D3DVERTEXELEMENT9> specular;  // COLOR1 of the vertex, a possible material source
};
LightingInputs LightingOf(const DeviceState& state, const VertexInputs& inputs,
                          const std::vector<D3DVERTEXELEMENT9>& elements);

// True when every element the draw reads lies in place in one stream in a form the rasterizer
// reads directly; `out` then describes that stream.
bool DescribeInPlace(const VertexInputs& inputs, const LightingInputs& lighting, const StreamViews& streams,
                     refdevice::VertexStream& out);

// Copies vertices [first, first + count) into `storage` in a form the rasterizer reads; vertex
// `first` becomes vertex 0 of `out`. D3DERR_INVALIDCALL when an element lies outside its
// stream's vertex or the vertices outside the stream, or has a type that cannot be read.
HRESULT RepackVertices(const VertexInputs& inputs, const LightingInputs& lighting, const StreamViews& streams,
                       size_t first, size_t count, std::vector<uint8_t>& storage, refdevice::VertexStream& out);

}  // namespace d3d9
