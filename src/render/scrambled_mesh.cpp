#include "render/scrambled_mesh.h"

#include <new>

#include "gfxsupport/meshes/mesh_loader.h"
#include "render/scene_messages.h"

namespace {

// Vertex and index buffers in system memory.
constexpr DWORD kMeshLoadOptions = 0x110;

uint8_t RotateRight(uint8_t value, unsigned bits) {
  return static_cast<uint8_t>((value >> bits) | (value << (8 - bits)));
}

}  // namespace

void UnscrambleMeshBytes(const uint8_t* source, size_t size, uint8_t* destination) {
  for (size_t j = 0; j < size; ++j) {
    const uint8_t complemented = static_cast<uint8_t>(0xFF - source[size - 1 - j]);
    destination[j] = RotateRight(complemented, 1 + static_cast<unsigned>(j % 7));
  }
}

int LoadScrambledMesh(IDirect3DDevice9* device, UINT id, LPCSTR type, TriangleMesh** mesh) {
  const HMODULE program = GetModuleHandleA(nullptr);
  const HRSRC resource = FindResourceA(program, MAKEINTRESOURCEA(id), type);
  if (resource == nullptr) {
    MessageBoxA(nullptr, kMeshResourceMissingText, kMeshResourceMissingCaption, MB_OK);
    return 0;
  }
  const DWORD size = SizeofResource(program, resource);
  const HGLOBAL loaded = LoadResource(program, resource);
  const auto* bytes = static_cast<const uint8_t*>(loaded != nullptr ? LockResource(loaded) : nullptr);
  if (bytes == nullptr || size == 0) return 0;

  uint8_t* plain = new (std::nothrow) uint8_t[size];
  if (plain == nullptr) return 0;
  UnscrambleMeshBytes(bytes, size, plain);
  const HRESULT result =
      LoadMeshFromMemory(plain, size, kMeshLoadOptions, device, nullptr, nullptr, nullptr, nullptr, mesh);
  delete[] plain;
  return SUCCEEDED(result) ? 1 : 0;
}
