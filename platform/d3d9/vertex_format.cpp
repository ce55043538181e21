// Vertex layouts: FVF codes and vertex declarations.
// Implements: FVF element lists, declaration checks, input lookup.
// Leaves out: tessellation methods.
#include "vertex_format.h"

namespace d3d9 {

namespace {

D3DVERTEXELEMENT9 Element(WORD offset, D3DDECLTYPE type, D3DDECLUSAGE usage, BYTE usageIndex) {
  return D3DVERTEXELEMENT9{0,         offset, static_cast<BYTE>(type), D3DDECLMETHOD_DEFAULT, static_cast<BYTE>(usage),
                           usageIndex};
}

// Declaration type of the blend weights of XYZBn: n floats.
D3DDECLTYPE FloatType(UINT count) {
  switch (count) {
    case 1:
      return D3DDECLTYPE_FLOAT1;
    case 2:
      return D3DDECLTYPE_FLOAT2;
    case 3:
      return D3DDECLTYPE_FLOAT3;
    default:
      return D3DDECLTYPE_FLOAT4;
  }
}

// Texture set sizes are coded in two bits per set from bit 16: 0 = 2 floats, 1 = 3, 2 = 4, 3 = 1.
D3DDECLTYPE TexcoordType(DWORD fvf, UINT set) {
  switch ((fvf >> (16 + 2 * set)) & 3) {
    case D3DFVF_TEXTUREFORMAT1:
      return D3DDECLTYPE_FLOAT1;
    case D3DFVF_TEXTUREFORMAT3:
      return D3DDECLTYPE_FLOAT3;
    case D3DFVF_TEXTUREFORMAT4:
      return D3DDECLTYPE_FLOAT4;
    default:
      return D3DDECLTYPE_FLOAT2;
  }
}

}  // namespace

UINT DeclarationTypeSize(BYTE type) {
  switch (type) {
    case D3DDECLTYPE_FLOAT1:
    case D3DDECLTYPE_D3DCOLOR:
    case D3DDECLTYPE_UBYTE4:
    case D3DDECLTYPE_SHORT2:
    case D3DDECLTYPE_UBYTE4N:
    case D3DDECLTYPE_SHORT2N:
    case D3DDECLTYPE_USHORT2N:
    case D3DDECLTYPE_UDEC3:
    case D3DDECLTYPE_DEC3N:
    case D3DDECLTYPE_FLOAT16_2:
      return 4;
    case D3DDECLTYPE_FLOAT2:
    case D3DDECLTYPE_SHORT4:
    case D3DDECLTYPE_SHORT4N:
    case D3DDECLTYPE_USHORT4N:
    case D3DDECLTYPE_FLOAT16_4:
      return 8;
    case D3DDECLTYPE_FLOAT3:
      return 12;
    case D3DDECLTYPE_FLOAT4:
      return 16;
    default:
      return 0;
  }
}

std::optional<std::vector<D3DVERTEXELEMENT9>> ElementsOfFvf(DWORD fvf) {
  // Bit 0x4000 belongs to D3DFVF_XYZW (checked with the position below); 0x2000 and bit 0 are
  // reserved.
  if ((fvf & D3DFVF_RESERVED0) != 0 || (fvf & 0x2000) != 0) return std::nullopt;
  const UINT textureSets = (fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
  if (textureSets > 8) return std::nullopt;

  std::vector<D3DVERTEXELEMENT9> elements;
  WORD offset = 0;
  auto add = [&](D3DDECLTYPE type, D3DDECLUSAGE usage, BYTE index) {
    elements.push_back(Element(offset, type, usage, index));
    offset = static_cast<WORD>(offset + DeclarationTypeSize(static_cast<BYTE>(type)));
  };

  const DWORD position = fvf & D3DFVF_POSITION_MASK;
  switch (position) {
    case D3DFVF_XYZ:
      add(D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_POSITION, 0);
      break;
    case D3DFVF_XYZRHW:
      add(D3DDECLTYPE_FLOAT4, D3DDECLUSAGE_POSITIONT, 0);
      break;
    case D3DFVF_XYZW:
      add(D3DDECLTYPE_FLOAT4, D3DDECLUSAGE_POSITION, 0);
      break;
    case D3DFVF_XYZB1:
    case D3DFVF_XYZB2:
    case D3DFVF_XYZB3:
    case D3DFVF_XYZB4:
    case D3DFVF_XYZB5: {
      add(D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_POSITION, 0);
      UINT betas = (position - D3DFVF_XYZRHW) / 2;  // XYZB1 (6) has one, XYZB5 (14) five
      const bool lastBetaIsIndices = (fvf & (D3DFVF_LASTBETA_UBYTE4 | D3DFVF_LASTBETA_D3DCOLOR)) != 0;
      if (lastBetaIsIndices) --betas;
      if (betas > 0) add(FloatType(betas), D3DDECLUSAGE_BLENDWEIGHT, 0);
      if ((fvf & D3DFVF_LASTBETA_UBYTE4) != 0) add(D3DDECLTYPE_UBYTE4, D3DDECLUSAGE_BLENDINDICES, 0);
      if ((fvf & D3DFVF_LASTBETA_D3DCOLOR) != 0) add(D3DDECLTYPE_D3DCOLOR, D3DDECLUSAGE_BLENDINDICES, 0);
      break;
    }
    default:
      return std::nullopt;  // no position
  }
  if ((fvf & D3DFVF_NORMAL) != 0) add(D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_NORMAL, 0);
  if ((fvf & D3DFVF_PSIZE) != 0) add(D3DDECLTYPE_FLOAT1, D3DDECLUSAGE_PSIZE, 0);
  if ((fvf & D3DFVF_DIFFUSE) != 0) add(D3DDECLTYPE_D3DCOLOR, D3DDECLUSAGE_COLOR, 0);
  if ((fvf & D3DFVF_SPECULAR) != 0) add(D3DDECLTYPE_D3DCOLOR, D3DDECLUSAGE_COLOR, 1);
  for (UINT set = 0; set < textureSets; ++set) {
    add(TexcoordType(fvf, set), D3DDECLUSAGE_TEXCOORD, static_cast<BYTE>(set));
  }
  return elements;
}

UINT FvfVertexSize(DWORD fvf) {
  const std::optional<std::vector<D3DVERTEXELEMENT9>> elements = ElementsOfFvf(fvf);
  if (!elements || elements->empty()) return 0;
  const D3DVERTEXELEMENT9& last = elements->back();
  return last.Offset + DeclarationTypeSize(last.Type);
}

std::optional<std::vector<D3DVERTEXELEMENT9>> ValidatedDeclaration(const D3DVERTEXELEMENT9* elements) {
  if (elements == nullptr) return std::nullopt;
  std::vector<D3DVERTEXELEMENT9> result;
  for (UINT i = 0; i <= MAXD3DDECLLENGTH; ++i) {
    const D3DVERTEXELEMENT9& element = elements[i];
    if (element.Stream == 0xFF) {
      if (element.Type != D3DDECLTYPE_UNUSED) return std::nullopt;
      return result;
    }
    if (i == MAXD3DDECLLENGTH) break;
    if (element.Stream >= kMaxStreams || element.Type >= D3DDECLTYPE_UNUSED || element.Method > D3DDECLMETHOD_DEFAULT ||
        element.Usage > D3DDECLUSAGE_SAMPLE || element.UsageIndex > MAXD3DDECLUSAGEINDEX || element.Offset % 4 != 0) {
      return std::nullopt;
    }
    for (const D3DVERTEXELEMENT9& earlier : result) {
      if (earlier.Usage == element.Usage && earlier.UsageIndex == element.UsageIndex) return std::nullopt;
    }
    result.push_back(element);
  }
  return std::nullopt;  // no end marker
}

VertexInputs FindInputs(const std::vector<D3DVERTEXELEMENT9>& elements, UINT texcoordSet) {
  VertexInputs inputs;
  for (const D3DVERTEXELEMENT9& element : elements) {
    switch (element.Usage) {
      case D3DDECLUSAGE_POSITION:
        if (element.UsageIndex == 0 && !inputs.position) inputs.position = element;
        break;
      case D3DDECLUSAGE_POSITIONT:
        if (element.UsageIndex == 0) {
          inputs.position = element;
          inputs.pretransformed = true;
        }
        break;
      case D3DDECLUSAGE_NORMAL:
        if (element.UsageIndex == 0) inputs.normal = element;
        break;
      case D3DDECLUSAGE_COLOR:
        if (element.UsageIndex == 0) inputs.diffuse = element;
        break;
      case D3DDECLUSAGE_TEXCOORD:
        if (element.UsageIndex == texcoordSet) inputs.texcoord = element;
        break;
      default:
        break;
    }
  }
  return inputs;
}

}  // namespace d3d9
