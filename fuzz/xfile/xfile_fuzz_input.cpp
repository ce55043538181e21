#include "xfile_fuzz_input.h"

#include <cstdlib>
#include <cstring>
#include <vector>

#include "gfxsupport/meshes/mesh_loader.h"

namespace {

// The header is chosen by the first input byte where the form has variants.
std::vector<uint8_t> WithHeader(XFuzzForm form, const uint8_t* data, size_t size) {
  const char* header = "xof 0303txt 0032";
  if (form != XFuzzForm::Text && size > 0) {
    static const char* const kBinary[] = {"xof 0303bin 0032", "xof 0302bin 0064"};
    static const char* const kCompressed[] = {"xof 0303tzip0032", "xof 0303bzip0032", "xof 0302bzip0064"};
    header = form == XFuzzForm::Binary ? kBinary[data[0] % 2] : kCompressed[data[0] % 3];
    ++data;
    --size;
  }
  std::vector<uint8_t> file(header, header + 16);
  file.insert(file.end(), data, data + size);
  return file;
}

bool IsConsistent(TriangleMesh* mesh) {
  if (mesh->FaceCount() == 0 || mesh->VertexCount() == 0 || !mesh->HasAttributeTable()) return false;
  void* data;
  if (FAILED(mesh->LockIndexBuffer(0, &data))) return false;
  bool ok = true;
  for (size_t i = 0; i < size_t(mesh->FaceCount()) * 3; ++i) {
    uint32_t index = mesh->Has32BitIndices() ? static_cast<uint32_t*>(data)[i] : static_cast<uint16_t*>(data)[i];
    ok = ok && index < mesh->VertexCount();
  }
  mesh->UnlockIndexBuffer();
  DWORD covered = 0;
  for (const AttributeRange& range : mesh->AttributeTable()) {
    ok = ok && range.FaceStart == covered && range.VertexStart + range.VertexCount <= mesh->VertexCount();
    covered += range.FaceCount;
  }
  return ok && covered == mesh->FaceCount();
}

}  // namespace

HRESULT LoadFuzzInput(XFuzzForm form, const uint8_t* data, size_t size) {
  std::vector<uint8_t> file = WithHeader(form, data, size);
  std::vector<DWORD> adjacency;
  std::vector<MeshMaterial> materials;
  std::vector<MeshEffectInstance> effects;
  DWORD materialCount = 0;
  TriangleMesh* mesh = nullptr;
  HRESULT result = LoadMeshFromMemory(file.data(), file.size(), 0x110, nullptr, &adjacency, &materials, &effects,
                                      &materialCount, &mesh);
  if (SUCCEEDED(result)) {
    bool ok = IsConsistent(mesh) && adjacency.size() == size_t(mesh->FaceCount()) * 3 &&
              materials.size() == materialCount && effects.size() == materialCount;
    for (DWORD neighbour : adjacency) ok = ok && (neighbour == 0xFFFFFFFF || neighbour < mesh->FaceCount());
    for (DWORD f = 0; f < mesh->FaceCount(); ++f) ok = ok && mesh->Attributes()[f] < materialCount;
    mesh->Release();
    if (!ok) std::abort();
  }
  return result;
}
