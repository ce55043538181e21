// Vertex assembly: how the rasterizer reads the vertices of a draw.
// Implements: in-place description and repacking of vertices, with the lighting colours.
// Leaves out: lights and materials.
#include "vertex_assembly.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace d3d9 {

namespace {

struct RepackedVertex {
  float x, y, z, rhw;
  uint32_t diffuse;
  float u, v;
};

float ReadFloat(const uint8_t* at) {
  float value;
  std::memcpy(&value, at, sizeof value);
  return value;
}

uint32_t ReadWord(const uint8_t* at) {
  uint32_t value;
  std::memcpy(&value, at, sizeof value);
  return value;
}

uint32_t ToByte(float value) {
  const float clamped = std::clamp(value, 0.0f, 1.0f);
  return static_cast<uint32_t>(clamped * 255.0f + 0.5f);
}

// An element of one vertex: its bytes, or null when the element does not fit the stream.
const uint8_t* ElementOf(const StreamViews& streams, const D3DVERTEXELEMENT9& element, size_t vertex) {
  const StreamView& stream = streams[element.Stream];
  if (stream.data == nullptr || vertex >= stream.vertexCount) return nullptr;
  if (uint64_t{element.Offset} + DeclarationTypeSize(element.Type) > stream.stride) return nullptr;
  return stream.data + vertex * stream.stride + element.Offset;
}

bool ReadColor(const D3DVERTEXELEMENT9& element, const uint8_t* at, uint32_t& color) {
  switch (element.Type) {
    case D3DDECLTYPE_D3DCOLOR:
      color = ReadWord(at);
      return true;
    case D3DDECLTYPE_UBYTE4N:  // bytes r, g, b, a
      color = (uint32_t{at[3]} << 24) | (uint32_t{at[0]} << 16) | (uint32_t{at[1]} << 8) | at[2];
      return true;
    case D3DDECLTYPE_FLOAT4:
      color = (ToByte(ReadFloat(at + 12)) << 24) | (ToByte(ReadFloat(at)) << 16) | (ToByte(ReadFloat(at + 4)) << 8) |
              ToByte(ReadFloat(at + 8));
      return true;
    default:
      return false;
  }
}

bool ReadTexcoord(const D3DVERTEXELEMENT9& element, const uint8_t* at, float& u, float& v) {
  switch (element.Type) {
    case D3DDECLTYPE_FLOAT1:
      u = ReadFloat(at);
      v = 0.0f;
      return true;
    case D3DDECLTYPE_FLOAT2:
    case D3DDECLTYPE_FLOAT3:
    case D3DDECLTYPE_FLOAT4:
      u = ReadFloat(at);
      v = ReadFloat(at + 4);
      return true;
    default:
      return false;
  }
}

bool IsFloatTexcoord(BYTE type) {
  return type == D3DDECLTYPE_FLOAT2 || type == D3DDECLTYPE_FLOAT3 || type == D3DDECLTYPE_FLOAT4;
}

bool PositionTypeFits(const VertexInputs& inputs) {
  return inputs.position->Type == (inputs.pretransformed ? D3DDECLTYPE_FLOAT4 : D3DDECLTYPE_FLOAT3);
}

// One channel (8 bits at `shift`) of a colour, as 0..1.
float Channel(uint32_t color, int shift) { return static_cast<float>((color >> shift) & 0xFF) / 255.0f; }

// The colour of a material source: the vertex's diffuse (COLOR1) or specular (COLOR2) colour
// where the vertex has it and colour vertex is on, else the material's, which is black.
uint32_t MaterialColor(DWORD source, const LightingInputs& lighting, const std::optional<uint32_t>& diffuse,
                       const std::optional<uint32_t>& specular) {
  if (lighting.colorVertex) {
    if (source == D3DMCS_COLOR1 && diffuse) return *diffuse;
    if (source == D3DMCS_COLOR2 && specular) return *specular;
  }
  return 0;
}

uint32_t LitColor(const LightingInputs& lighting, const std::optional<uint32_t>& diffuse,
                  const std::optional<uint32_t>& specular) {
  const uint32_t ambient = MaterialColor(lighting.ambientSource, lighting, diffuse, specular);
  const uint32_t emissive = MaterialColor(lighting.emissiveSource, lighting, diffuse, specular);
  const uint32_t diffuseMaterial = MaterialColor(lighting.diffuseSource, lighting, diffuse, specular);
  uint32_t color = diffuseMaterial & 0xFF000000u;
  for (int shift = 0; shift <= 16; shift += 8) {
    const float value = Channel(lighting.ambient, shift) * Channel(ambient, shift) + Channel(emissive, shift);
    color |= ToByte(value) << shift;
  }
  return color;
}

}  // namespace

LightingInputs LightingOf(const DeviceState& state, const VertexInputs& inputs,
                          const std::vector<D3DVERTEXELEMENT9>& elements) {
  const auto& rs = state.renderStates;
  LightingInputs lighting;
  // Vertices given in screen space are never lit.
  lighting.enabled = rs[D3DRS_LIGHTING] != FALSE && !inputs.pretransformed;
  lighting.ambient = rs[D3DRS_AMBIENT];
  lighting.colorVertex = rs[D3DRS_COLORVERTEX] != FALSE;
  lighting.diffuseSource = rs[D3DRS_DIFFUSEMATERIALSOURCE];
  lighting.ambientSource = rs[D3DRS_AMBIENTMATERIALSOURCE];
  lighting.emissiveSource = rs[D3DRS_EMISSIVEMATERIALSOURCE];
  for (const D3DVERTEXELEMENT9& element : elements) {
    if (element.Usage == D3DDECLUSAGE_COLOR && element.UsageIndex == 1) lighting.specular = element;
  }
  return lighting;
}

bool DescribeInPlace(const VertexInputs& inputs, const LightingInputs& lighting, const StreamViews& streams,
                     refdevice::VertexStream& out) {
  if (lighting.enabled || !inputs.position || !PositionTypeFits(inputs)) return false;
  const WORD stream = inputs.position->Stream;
  const StreamView& view = streams[stream];
  if (view.data == nullptr) return false;
  auto fits = [&](const std::optional<D3DVERTEXELEMENT9>& element) {
    return !element ||
           (element->Stream == stream && uint64_t{element->Offset} + DeclarationTypeSize(element->Type) <= view.stride);
  };
  if (!fits(inputs.position) || !fits(inputs.diffuse) || !fits(inputs.texcoord)) return false;
  if (inputs.diffuse && inputs.diffuse->Type != D3DDECLTYPE_D3DCOLOR) return false;
  if (inputs.texcoord && !IsFloatTexcoord(inputs.texcoord->Type)) return false;

  out.data = view.data;
  out.vertexCount = view.vertexCount;
  out.layout = refdevice::VertexLayout{};
  out.layout.strideBytes = view.stride;
  out.layout.positionOffset = inputs.position->Offset;
  out.layout.pretransformed = inputs.pretransformed;
  if (inputs.normal && inputs.normal->Stream == stream && inputs.normal->Type == D3DDECLTYPE_FLOAT3 &&
      uint64_t{inputs.normal->Offset} + 12 <= view.stride) {
    out.layout.normalOffset = inputs.normal->Offset;
  }
  out.layout.diffuseOffset = inputs.diffuse ? inputs.diffuse->Offset : refdevice::kAbsent;
  out.layout.texcoordOffset = inputs.texcoord ? inputs.texcoord->Offset : refdevice::kAbsent;
  return true;
}

HRESULT RepackVertices(const VertexInputs& inputs, const LightingInputs& lighting, const StreamViews& streams,
                       size_t first, size_t count, std::vector<uint8_t>& storage, refdevice::VertexStream& out) {
  if (!inputs.position || !PositionTypeFits(inputs)) return D3DERR_INVALIDCALL;
  // Checked before allocating: the count comes from the caller.
  const StreamView& positions = streams[inputs.position->Stream];
  if (first > positions.vertexCount || count > positions.vertexCount - first) return D3DERR_INVALIDCALL;
  storage.resize(count * sizeof(RepackedVertex));
  for (size_t i = 0; i < count; ++i) {
    const size_t vertex = first + i;
    RepackedVertex repacked{0.0f, 0.0f, 0.0f, 1.0f, 0xFFFFFFFFu, 0.0f, 0.0f};

    const uint8_t* position = ElementOf(streams, *inputs.position, vertex);
    if (position == nullptr) return D3DERR_INVALIDCALL;
    repacked.x = ReadFloat(position);
    repacked.y = ReadFloat(position + 4);
    repacked.z = ReadFloat(position + 8);
    if (inputs.pretransformed) repacked.rhw = ReadFloat(position + 12);

    std::optional<uint32_t> diffuse;
    if (inputs.diffuse) {
      const uint8_t* at = ElementOf(streams, *inputs.diffuse, vertex);
      uint32_t color = 0;
      if (at == nullptr || !ReadColor(*inputs.diffuse, at, color)) return D3DERR_INVALIDCALL;
      diffuse = color;
    }
    if (lighting.enabled) {
      std::optional<uint32_t> specular;
      if (lighting.specular) {
        const uint8_t* at = ElementOf(streams, *lighting.specular, vertex);
        uint32_t color = 0;
        if (at == nullptr || !ReadColor(*lighting.specular, at, color)) return D3DERR_INVALIDCALL;
        specular = color;
      }
      repacked.diffuse = LitColor(lighting, diffuse, specular);
    } else if (diffuse) {
      repacked.diffuse = *diffuse;
    }

    if (inputs.texcoord) {
      const uint8_t* at = ElementOf(streams, *inputs.texcoord, vertex);
      if (at == nullptr || !ReadTexcoord(*inputs.texcoord, at, repacked.u, repacked.v)) return D3DERR_INVALIDCALL;
    }
    std::memcpy(storage.data() + i * sizeof(RepackedVertex), &repacked, sizeof repacked);
  }

  out.data = storage.data();
  out.vertexCount = count;
  out.layout = refdevice::VertexLayout{};
  out.layout.strideBytes = sizeof(RepackedVertex);
  out.layout.positionOffset = offsetof(RepackedVertex, x);
  out.layout.pretransformed = inputs.pretransformed;
  out.layout.diffuseOffset = offsetof(RepackedVertex, diffuse);
  out.layout.texcoordOffset = inputs.texcoord ? static_cast<int>(offsetof(RepackedVertex, u)) : refdevice::kAbsent;
  return D3D_OK;
}

}  // namespace d3d9
