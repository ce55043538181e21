// The layout of a mesh vertex: which bytes hold what, for an FVF code plus the extra elements
// of a DeclData object, and the vertex declaration that describes the same layout.
#pragma once

#include <cstdint>
#include <vector>

#include "d3d9api.h"

namespace gfx::meshes {

// Where the bytes of one vertex element come from when a mesh vertex is written.
enum class VertexSource : uint8_t {
  Position,   // the file vertex's position, 3 floats
  Normal,     // the corner's normal (given or computed), 3 floats
  Diffuse,    // the vertex colour as 32-bit ARGB
  TexCoord0,  // the file vertex's texture coordinate, 2 floats
  Extra,      // the next bytes of the vertex's FVFData or DeclData values
};

struct VertexSegment {
  uint32_t offset;
  uint32_t size;
  VertexSource source;
};

struct VertexLayout {
  DWORD fvf = 0;            // 0 when extra declaration elements make the layout FVF-less
  uint32_t size = 0;        // bytes per vertex
  uint32_t extraBytes = 0;  // bytes per vertex taken from FVFData and DeclData values
  std::vector<VertexSegment> segments;
  std::vector<D3DVERTEXELEMENT9> declaration;  // ends with the D3DDECL_END element
};

// The FVF bits that a mesh may carry; anything else in a file's FVFData is dropped.
constexpr DWORD kMeshFvfBits = D3DFVF_POSITION_MASK | D3DFVF_NORMAL | D3DFVF_PSIZE | D3DFVF_DIFFUSE | D3DFVF_SPECULAR |
                               D3DFVF_TEXCOUNT_MASK | D3DFVF_LASTBETA_UBYTE4 | D3DFVF_LASTBETA_D3DCOLOR | 0xFFFF0000u;

// Bytes of a declaration type (D3DDECLTYPE), 0 for one that holds no data or is unknown.
// The Linux Direct3D stand-in has its own copy: on Windows this library runs on the system's
// Direct3D, where the stand-in is not built.
uint32_t DeclarationTypeSize(DWORD type);

// Lays out fvf, followed by the given extra elements (their offsets are assigned here).
// The normal always comes from the mesh (given or computed); hasColors and hasTexCoords say
// whether the diffuse colour and texture set 0 do too. Every other element is read from the
// extra values. False for an FVF with more than 8 texture sets or five blend
// weights, which no declaration can describe.
bool BuildVertexLayout(DWORD fvf, bool hasColors, bool hasTexCoords,
                       const std::vector<D3DVERTEXELEMENT9>& extraElements, VertexLayout* layout);

}  // namespace gfx::meshes
