// The disc mesh ships as an X file whose bytes are scrambled, so that the resource is not a
// readable text; loading it unscrambles the bytes and hands them to the mesh loader.
#pragma once

#include <cstddef>
#include <cstdint>

#include "d3d9api.h"
#include "gfxsupport/meshes/triangle_mesh.h"
#include "winapi.h"

// Byte j of the output is byte n-1-j of the input (the order is reversed), complemented and
// turned right by 1 + (j mod 7) bits. `destination` has room for `size` bytes and may not
// overlap `source`.
void UnscrambleMeshBytes(const uint8_t* source, size_t size, uint8_t* destination);

// Finds resource `id` of `type` in the program, unscrambles it and loads it as a mesh whose
// vertex and index buffers live in system memory. A missing resource is reported in a message
// box; data that the loader refuses is not. Returns 1 with a new mesh in *mesh, or 0.
int LoadScrambledMesh(IDirect3DDevice9* device, UINT id, LPCSTR type, TriangleMesh** mesh);
