// Builds the triangles and vertices of one Mesh data object in plain memory: fan
// triangulation, the child objects that add texture coordinates, colours, normals, materials
// and extra vertex values, corner splitting and computed normals.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "gfxsupport/meshes/mesh_material.h"
#include "gfxsupport/meshes/mesh_vertex_format.h"
#include "winapi.h"

namespace gfx::meshes {

struct XDataObject;
class XFileParser;

// The loader's working vertex: one per output vertex.
struct LoadVertex {
  float position[3];
  float color[4];
  float texCoord[2];
  float normal[3];
  uint32_t fileIndex;  // the file vertex it came from
  uint32_t nextCopy;   // next vertex in the ring of copies of that file vertex
  bool colorSet;
  bool normalSet;        // normal and texture coordinate fixed by a corner
  uint32_t normalCount;  // face normals summed into it when normals are computed
};

struct BuiltMesh {
  VertexLayout layout;
  bool hasNormals = false;    // the layout has a normal (given or computed)
  bool hasColors = false;     // MeshVertexColors was read
  bool hasTexCoords = false;  // MeshTextureCoords was read
  std::vector<LoadVertex> vertices;
  std::vector<uint8_t> extra;           // layout.extraBytes per vertex: FVFData and DeclData values
  std::vector<uint32_t> indices;        // three per triangle
  std::vector<DWORD> attributes;        // one per triangle
  std::vector<MeshMaterial> materials;  // one default material when there is no list
  bool hasMaterialList = false;
  // Sums of the maximum face and vertex counts of a PMInfo object, 0 without one.
  uint64_t progressiveFaces = 0;
  uint64_t progressiveVertices = 0;

  size_t TriangleCount() const { return attributes.size(); }
};

// Builds mesh. Returns S_OK, ErrMeshHasNoData when no triangle or no vertex is left, E_FAIL
// for short or inconsistent data, D3DERR_INVALIDCALL for a format with texture coordinates
// and eight texture sets already, E_OUTOFMEMORY.
HRESULT BuildMesh(const XFileParser& parser, const XDataObject& mesh, BuiltMesh* built);

// Moves positions as points and normals as directions (renormalised) by a row-vector matrix.
void TransformMesh(const float matrix[16], BuiltMesh* built);

}  // namespace gfx::meshes
