#include "mesh_contents.h"

#include <cstring>

float MeshContents::FloatAt(size_t v, size_t byteOffset) const {
  float value;
  std::memcpy(&value, vertices.data() + v * vertexSize + byteOffset, 4);
  return value;
}

uint32_t MeshContents::DwordAt(size_t v, size_t byteOffset) const {
  uint32_t value;
  std::memcpy(&value, vertices.data() + v * vertexSize + byteOffset, 4);
  return value;
}

MeshContents ReadContents(TriangleMesh* mesh) {
  MeshContents contents;
  contents.fvf = mesh->Fvf();
  contents.vertexSize = mesh->VertexSize();
  contents.vertexCount = mesh->VertexCount();
  contents.faceCount = mesh->FaceCount();
  contents.index32 = mesh->Has32BitIndices();
  void* data;
  if (SUCCEEDED(mesh->LockVertexBuffer(0, &data))) {
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    contents.vertices.assign(bytes, bytes + size_t(contents.vertexCount) * contents.vertexSize);
    mesh->UnlockVertexBuffer();
  }
  if (SUCCEEDED(mesh->LockIndexBuffer(0, &data))) {
    for (size_t i = 0; i < size_t(contents.faceCount) * 3; ++i) {
      contents.indices.push_back(contents.index32 ? static_cast<const uint32_t*>(data)[i]
                                                  : static_cast<const uint16_t*>(data)[i]);
    }
    mesh->UnlockIndexBuffer();
  }
  contents.attributes.assign(mesh->Attributes(), mesh->Attributes() + contents.faceCount);
  return contents;
}

HRESULT LoadPlain(const std::vector<uint8_t>& data, TriangleMesh** mesh, DWORD options) {
  return LoadMeshFromMemory(data.data(), data.size(), options, nullptr, nullptr, nullptr, nullptr, nullptr, mesh);
}

HRESULT LoadPlainText(const std::string& text, TriangleMesh** mesh, DWORD options) {
  return LoadMeshFromMemory(text.data(), text.size(), options, nullptr, nullptr, nullptr, nullptr, nullptr, mesh);
}
