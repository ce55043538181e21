#include "gfxsupport/meshes/mesh_merge.h"

#include "gfxsupport/meshes/mesh_adjacency.h"

namespace gfx::meshes {

namespace {

bool SameLayout(const VertexLayout& a, const VertexLayout& b) {
  if (a.fvf != b.fvf || a.size != b.size || a.segments.size() != b.segments.size()) return false;
  for (size_t i = 0; i < a.segments.size(); ++i) {
    const VertexSegment& x = a.segments[i];
    const VertexSegment& y = b.segments[i];
    if (x.offset != y.offset || x.size != y.size || x.source != y.source) return false;
  }
  for (size_t i = 0; i < a.declaration.size() && i < b.declaration.size(); ++i) {
    if (a.declaration[i].Type != b.declaration[i].Type || a.declaration[i].Usage != b.declaration[i].Usage ||
        a.declaration[i].UsageIndex != b.declaration[i].UsageIndex) {
      return false;
    }
  }
  return a.declaration.size() == b.declaration.size();
}

}  // namespace

void MergeMesh(BuiltMesh&& next, std::vector<DWORD>&& nextAdjacency, BuiltMesh* kept,
               std::vector<DWORD>* keptAdjacency) {
  const uint32_t vertexOffset = uint32_t(kept->vertices.size());
  const DWORD materialOffset = DWORD(kept->materials.size());
  const DWORD faceOffset = DWORD(kept->TriangleCount());

  if (!SameLayout(kept->layout, next.layout)) {
    kept->hasNormals = kept->hasNormals || next.hasNormals;
    kept->hasColors = kept->hasColors || next.hasColors;
    kept->hasTexCoords = kept->hasTexCoords || next.hasTexCoords;
    DWORD fvf = D3DFVF_XYZ;
    if (kept->hasNormals) fvf |= D3DFVF_NORMAL;
    if (kept->hasColors) fvf |= D3DFVF_DIFFUSE;
    if (kept->hasTexCoords) fvf |= D3DFVF_TEX1;
    BuildVertexLayout(fvf, kept->hasColors, kept->hasTexCoords, {}, &kept->layout);
    kept->extra.clear();
    next.extra.clear();
  }

  kept->vertices.insert(kept->vertices.end(), next.vertices.begin(), next.vertices.end());
  kept->extra.insert(kept->extra.end(), next.extra.begin(), next.extra.end());
  kept->indices.reserve(kept->indices.size() + next.indices.size());
  for (uint32_t index : next.indices) kept->indices.push_back(index + vertexOffset);
  kept->attributes.reserve(kept->attributes.size() + next.attributes.size());
  for (DWORD attribute : next.attributes) kept->attributes.push_back(attribute + materialOffset);
  for (DWORD neighbour : nextAdjacency) {
    keptAdjacency->push_back(neighbour == kNoNeighbourFace ? neighbour : neighbour + faceOffset);
  }
  for (MeshMaterial& material : next.materials) kept->materials.push_back(std::move(material));
  kept->hasMaterialList = kept->hasMaterialList || next.hasMaterialList;
  kept->progressiveFaces += next.progressiveFaces;
  kept->progressiveVertices += next.progressiveVertices;
}

}  // namespace gfx::meshes
