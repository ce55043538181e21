// TriangleMesh: a vertex buffer, an index buffer of triangles and one attribute id per
// triangle, grouped by an attribute table so that each attribute draws with one call.
#pragma once

#include <cstdint>
#include <vector>

#include "d3d9api.h"

// MeshOptions bits. Anything outside kMeshOptionsValid is refused.
constexpr DWORD kMesh32BitIndices = 0x1;
constexpr DWORD kMeshOptionsValid = 0x1CFFF;

struct AttributeRange {
  DWORD AttribId;
  DWORD FaceStart;
  DWORD FaceCount;
  DWORD VertexStart;
  DWORD VertexCount;
};

class TriangleMesh {
 public:
  // Creates an empty mesh of faceCount triangles and vertexCount vertices laid out as the
  // declaration says (vertexSize bytes each; fvf is the equivalent FVF code or 0). Without a
  // device the buffers are kept in plain memory: such a mesh can be read but draws nothing.
  static HRESULT Create(IDirect3DDevice9* device, DWORD faceCount, DWORD vertexCount, DWORD options,
                        const D3DVERTEXELEMENT9* declaration, DWORD fvf, DWORD vertexSize, TriangleMesh** mesh);

  ULONG AddRef();
  ULONG Release();

  // Draws the faces whose attribute id is attributeId. Returns 0 or the device's result.
  HRESULT DrawSubset(DWORD attributeId);

  // Reorders the faces so that equal attribute ids are contiguous and increasing, remaps the
  // index buffer, the attribute buffer and adjacency (three entries per face, may be null),
  // and builds the attribute table.
  HRESULT SortByAttribute(DWORD* adjacency);

  HRESULT LockVertexBuffer(DWORD flags, void** data);
  HRESULT UnlockVertexBuffer();
  HRESULT LockIndexBuffer(DWORD flags, void** data);
  HRESULT UnlockIndexBuffer();
  DWORD* Attributes() { return attributes_.data(); }

  DWORD Options() const { return options_; }
  DWORD Fvf() const { return fvf_; }
  DWORD VertexSize() const { return vertexSize_; }
  DWORD VertexCount() const { return vertexCount_; }
  DWORD FaceCount() const { return faceCount_; }
  bool Has32BitIndices() const { return (options_ & kMesh32BitIndices) != 0; }
  const std::vector<D3DVERTEXELEMENT9>& Declaration() const { return declarationElements_; }
  bool HasAttributeTable() const { return tableValid_; }
  const std::vector<AttributeRange>& AttributeTable() const { return attributeTable_; }
  IDirect3DVertexBuffer9* VertexBuffer() const { return vertexBuffer_; }
  IDirect3DIndexBuffer9* IndexBuffer() const { return indexBuffer_; }

  TriangleMesh(const TriangleMesh&) = delete;
  TriangleMesh& operator=(const TriangleMesh&) = delete;

 private:
  TriangleMesh() = default;
  ~TriangleMesh();
  HRESULT CreateBuffers(const D3DVERTEXELEMENT9* declaration);
  HRESULT BuildAttributeTable();
  // The index of triangle corner i, whatever the index width.
  uint32_t IndexAt(const void* indices, size_t i) const;
  void SetIndexAt(void* indices, size_t i, uint32_t value) const;

  ULONG references_ = 1;
  IDirect3DDevice9* device_ = nullptr;
  DWORD options_ = 0;
  DWORD fvf_ = 0;
  DWORD vertexSize_ = 0;
  DWORD vertexCount_ = 0;
  DWORD faceCount_ = 0;
  std::vector<D3DVERTEXELEMENT9> declarationElements_;
  IDirect3DVertexDeclaration9* declaration_ = nullptr;
  IDirect3DVertexBuffer9* vertexBuffer_ = nullptr;
  IDirect3DIndexBuffer9* indexBuffer_ = nullptr;
  // Without a device the vertices and indices live here instead.
  std::vector<uint8_t> plainVertices_;
  std::vector<uint8_t> plainIndices_;
  std::vector<DWORD> attributes_;
  std::vector<AttributeRange> attributeTable_;
  bool tableValid_ = false;
};
