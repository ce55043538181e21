#include "gfxsupport/meshes/mesh_vertex_format.h"

namespace gfx::meshes {

namespace {

BYTE TypeForFloats(uint32_t count) {
  static const BYTE kTypes[] = {D3DDECLTYPE_FLOAT1, D3DDECLTYPE_FLOAT2, D3DDECLTYPE_FLOAT3, D3DDECLTYPE_FLOAT4};
  return kTypes[count - 1];
}

class LayoutWriter {
 public:
  explicit LayoutWriter(VertexLayout* layout) : layout_(layout) {}

  void Add(uint32_t size, VertexSource source, BYTE type, BYTE usage, BYTE usageIndex) {
    layout_->segments.push_back({layout_->size, size, source});
    D3DVERTEXELEMENT9 element{};
    element.Stream = 0;
    element.Offset = WORD(layout_->size);
    element.Type = type;
    element.Method = D3DDECLMETHOD_DEFAULT;
    element.Usage = usage;
    element.UsageIndex = usageIndex;
    layout_->declaration.push_back(element);
    layout_->size += size;
    if (source == VertexSource::Extra) layout_->extraBytes += size;
  }

 private:
  VertexLayout* layout_;
};

}  // namespace

uint32_t DeclarationTypeSize(DWORD type) {
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

bool BuildVertexLayout(DWORD fvf, bool hasColors, bool hasTexCoords,
                       const std::vector<D3DVERTEXELEMENT9>& extraElements, VertexLayout* layout) {
  *layout = VertexLayout();
  layout->fvf = fvf;
  LayoutWriter writer(layout);

  writer.Add(12, VertexSource::Position, D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_POSITION, 0);
  switch (fvf & D3DFVF_POSITION_MASK) {
    case D3DFVF_XYZRHW:
    case D3DFVF_XYZW:
      // The fourth component is not in the file's Mesh; it is read with the extra values.
      layout->declaration.back().Type = D3DDECLTYPE_FLOAT4;
      layout->declaration.back().Usage =
          (fvf & D3DFVF_POSITION_MASK) == D3DFVF_XYZRHW ? D3DDECLUSAGE_POSITIONT : D3DDECLUSAGE_POSITION;
      layout->segments.push_back({12, 4, VertexSource::Extra});
      layout->size += 4;
      layout->extraBytes += 4;
      break;
    case D3DFVF_XYZB1:
    case D3DFVF_XYZB2:
    case D3DFVF_XYZB3:
    case D3DFVF_XYZB4:
    case D3DFVF_XYZB5: {
      uint32_t betas = ((fvf & D3DFVF_POSITION_MASK) - D3DFVF_XYZRHW) / 2;
      bool lastIsIndices = (fvf & (D3DFVF_LASTBETA_UBYTE4 | D3DFVF_LASTBETA_D3DCOLOR)) != 0;
      uint32_t weights = lastIsIndices ? betas - 1 : betas;
      if (weights > 4) return false;  // no declaration type holds five weights
      if (weights > 0)
        writer.Add(4 * weights, VertexSource::Extra, TypeForFloats(weights), D3DDECLUSAGE_BLENDWEIGHT, 0);
      if (lastIsIndices) {
        BYTE type = (fvf & D3DFVF_LASTBETA_UBYTE4) ? D3DDECLTYPE_UBYTE4 : D3DDECLTYPE_D3DCOLOR;
        writer.Add(4, VertexSource::Extra, type, D3DDECLUSAGE_BLENDINDICES, 0);
      }
      break;
    }
    default:
      break;
  }
  if (fvf & D3DFVF_NORMAL) writer.Add(12, VertexSource::Normal, D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_NORMAL, 0);
  if (fvf & D3DFVF_PSIZE) writer.Add(4, VertexSource::Extra, D3DDECLTYPE_FLOAT1, D3DDECLUSAGE_PSIZE, 0);
  if (fvf & D3DFVF_DIFFUSE) {
    writer.Add(4, hasColors ? VertexSource::Diffuse : VertexSource::Extra, D3DDECLTYPE_D3DCOLOR, D3DDECLUSAGE_COLOR, 0);
  }
  if (fvf & D3DFVF_SPECULAR) writer.Add(4, VertexSource::Extra, D3DDECLTYPE_D3DCOLOR, D3DDECLUSAGE_COLOR, 1);

  uint32_t textureSets = (fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
  if (textureSets > 8) return false;
  for (uint32_t set = 0; set < textureSets; ++set) {
    // Size codes 0..3 stand for 2, 3, 4 and 1 floats.
    static const uint32_t kFloatsForCode[] = {2, 3, 4, 1};
    uint32_t floats = kFloatsForCode[(fvf >> (16 + 2 * set)) & 3];
    VertexSource source = set == 0 && hasTexCoords ? VertexSource::TexCoord0 : VertexSource::Extra;
    writer.Add(4 * floats, source, TypeForFloats(floats), D3DDECLUSAGE_TEXCOORD, BYTE(set));
  }

  for (const D3DVERTEXELEMENT9& extra : extraElements) {
    uint32_t size = DeclarationTypeSize(extra.Type);
    if (size == 0) continue;
    writer.Add(size, VertexSource::Extra, extra.Type, extra.Usage, extra.UsageIndex);
    layout->declaration.back().Method = extra.Method;
    layout->fvf = 0;  // no FVF code describes elements after the texture sets
  }

  D3DVERTEXELEMENT9 end = D3DDECL_END();
  layout->declaration.push_back(end);
  return true;
}

}  // namespace gfx::meshes
