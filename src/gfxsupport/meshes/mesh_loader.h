// LoadMeshFromMemory: an X file held in memory, in any of its four forms, becomes one
// TriangleMesh holding every Mesh of the file, placed by the frames around it.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "d3d9api.h"
#include "gfxsupport/meshes/mesh_material.h"
#include "gfxsupport/meshes/triangle_mesh.h"

struct MeshEffectInstance {
  std::string effectFilename;  // empty when the material has no EffectInstance
};

// Loads data (size bytes) with the MeshOptions bits in options. Each of adjacency, materials,
// effectInstances and materialCount may be null; the others receive three neighbour faces per
// face, the materials and effect instances in attribute-id order, and their count. Returns 0
// with a new mesh in *mesh (one reference for the caller), or a failure with *mesh untouched.
// Without a device the mesh keeps its vertices and indices in plain memory.
HRESULT LoadMeshFromMemory(const void* data, size_t size, DWORD options, IDirect3DDevice9* device,
                           std::vector<DWORD>* adjacency, std::vector<MeshMaterial>* materials,
                           std::vector<MeshEffectInstance>* effectInstances, DWORD* materialCount, TriangleMesh** mesh);
