// Reads a loaded mesh back into plain arrays for comparison.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "gfxsupport/meshes/mesh_loader.h"

struct MeshContents {
  DWORD fvf = 0;
  DWORD vertexSize = 0;
  DWORD vertexCount = 0;
  DWORD faceCount = 0;
  bool index32 = false;
  std::vector<uint8_t> vertices;
  std::vector<uint32_t> indices;
  std::vector<DWORD> attributes;

  // Float number component of vertex v's bytes at byteOffset.
  float FloatAt(size_t v, size_t byteOffset) const;
  uint32_t DwordAt(size_t v, size_t byteOffset) const;
  // The position of vertex v.
  std::vector<float> Position(size_t v) const { return {FloatAt(v, 0), FloatAt(v, 4), FloatAt(v, 8)}; }
  // The three indices of face f.
  std::vector<uint32_t> Face(size_t f) const { return {indices[3 * f], indices[3 * f + 1], indices[3 * f + 2]}; }
};

MeshContents ReadContents(TriangleMesh* mesh);

// Loads data without a device (plain-memory buffers) and returns the result code.
HRESULT LoadPlain(const std::vector<uint8_t>& data, TriangleMesh** mesh, DWORD options = 0x110);
HRESULT LoadPlainText(const std::string& text, TriangleMesh** mesh, DWORD options = 0x110);
