#include "gfxsupport/meshes/mesh_loader.h"

#include <cstring>
#include <new>

#include "gfxsupport/meshes/mesh_adjacency.h"
#include "gfxsupport/meshes/mesh_merge.h"
#include "gfxsupport/meshes/xfile_errors.h"
#include "gfxsupport/meshes/xfile_guids.h"
#include "gfxsupport/meshes/xfile_parser.h"
#include "gfxsupport/meshes/xfile_templates.h"
#include "gfxsupport/read_failure.h"

namespace gfx::meshes {
namespace {

constexpr uint64_t kMost16BitCount = 0xFFFE;

bool IsOfType(const XFileParser& parser, const XDataObject& object, const GUID& guid) {
  const XTemplate& type = parser.TemplateAt(object.templateIndex);
  return type.hasGuid && SameGuid(type.guid, guid);
}

// Walks the frame hierarchy, building each Mesh where it stands and merging it into the first.
class FrameWalk {
 public:
  FrameWalk(const XFileParser& parser, bool wantAdjacency) : parser_(parser), wantAdjacency_(wantAdjacency) {}

  HRESULT Visit(const XDataObject& object, float matrix[16]) {
    if (IsOfType(parser_, object, xfile_guids::kMesh)) return AddMesh(object, matrix);
    if (IsOfType(parser_, object, xfile_guids::kFrameTransformMatrix)) {
      if (object.data.size() < 64) return Refuse("a FrameTransformMatrix ends before its 16 numbers");
      float local[16];
      std::memcpy(local, object.data.data(), sizeof local);
      float product[16];
      for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 4; ++column) {
          float sum = 0;
          for (int k = 0; k < 4; ++k) sum += local[row * 4 + k] * matrix[k * 4 + column];
          product[row * 4 + column] = sum;
        }
      }
      std::memcpy(matrix, product, sizeof product);
      return S_OK;
    }
    if (IsOfType(parser_, object, xfile_guids::kFrame)) {
      float frameMatrix[16];
      std::memcpy(frameMatrix, matrix, sizeof frameMatrix);
      for (const XChild& child : object.children) {
        // A reference names an object visited where it was defined; visiting it again would
        // draw its mesh twice.
        if (child.isReference) continue;
        HRESULT result = Visit(*child.object, frameMatrix);
        if (FAILED(result)) return result;
      }
    }
    return S_OK;
  }

  bool HasMesh() const { return hasMesh_; }
  BuiltMesh& Mesh() { return kept_; }
  std::vector<DWORD>& Adjacency() { return adjacency_; }

 private:
  HRESULT AddMesh(const XDataObject& object, const float matrix[16]) {
    BuiltMesh built;
    HRESULT result = BuildMesh(parser_, object, &built);
    if (result == ErrMeshHasNoData) {
      ClearReadFailure();  // a skipped mesh is no failure of the load
      return S_OK;
    }
    if (FAILED(result)) return result;
    TransformMesh(matrix, &built);
    std::vector<DWORD> adjacency;
    if (wantAdjacency_) adjacency = ComputeAdjacency(built);
    if (!hasMesh_) {
      kept_ = std::move(built);
      adjacency_ = std::move(adjacency);
      hasMesh_ = true;
    } else {
      MergeMesh(std::move(built), std::move(adjacency), &kept_, &adjacency_);
    }
    return S_OK;
  }

  const XFileParser& parser_;
  bool wantAdjacency_;
  bool hasMesh_ = false;
  BuiltMesh kept_;
  std::vector<DWORD> adjacency_;
};

uint32_t PackColor(const float color[4]) {
  auto byte = [](float c) { return uint32_t(c * 255 + 0.5f) & 0xFF; };
  return byte(color[3]) << 24 | byte(color[0]) << 16 | byte(color[1]) << 8 | byte(color[2]);
}

void WriteVertices(const BuiltMesh& built, uint8_t* out) {
  const VertexLayout& layout = built.layout;
  for (size_t v = 0; v < built.vertices.size(); ++v) {
    const LoadVertex& vertex = built.vertices[v];
    uint8_t* target = out + v * layout.size;
    const uint8_t* extra = layout.extraBytes > 0 ? &built.extra[v * layout.extraBytes] : nullptr;
    for (const VertexSegment& segment : layout.segments) {
      uint8_t* at = target + segment.offset;
      switch (segment.source) {
        case VertexSource::Position:
          std::memcpy(at, vertex.position, 12);
          break;
        case VertexSource::Normal:
          std::memcpy(at, vertex.normal, 12);
          break;
        case VertexSource::TexCoord0:
          std::memcpy(at, vertex.texCoord, 8);
          break;
        case VertexSource::Diffuse: {
          uint32_t argb = PackColor(vertex.color);
          std::memcpy(at, &argb, 4);
          break;
        }
        case VertexSource::Extra:
          std::memcpy(at, extra, segment.size);
          extra += segment.size;
          break;
      }
    }
  }
}

HRESULT CreateMesh(BuiltMesh& built, DWORD options, IDirect3DDevice9* device, DWORD* adjacency, TriangleMesh** mesh) {
  const uint64_t faces = built.TriangleCount();
  const uint64_t vertices = built.vertices.size();
  if (faces > kMost16BitCount || vertices > kMost16BitCount || built.progressiveFaces > kMost16BitCount ||
      built.progressiveVertices > kMost16BitCount) {
    options |= kMesh32BitIndices;
  }
  if (faces > 0xFFFFFFFFu || vertices > 0xFFFFFFFFu) return E_OUTOFMEMORY;

  TriangleMesh* created = nullptr;
  HRESULT result = TriangleMesh::Create(device, DWORD(faces), DWORD(vertices), options, built.layout.declaration.data(),
                                        built.layout.fvf, built.layout.size, &created);
  if (FAILED(result)) return result;

  void* target;
  result = created->LockVertexBuffer(0, &target);
  if (SUCCEEDED(result)) {
    WriteVertices(built, static_cast<uint8_t*>(target));
    result = created->UnlockVertexBuffer();
  }
  if (SUCCEEDED(result)) result = created->LockIndexBuffer(0, &target);
  if (SUCCEEDED(result)) {
    if (created->Has32BitIndices()) {
      std::memcpy(target, built.indices.data(), built.indices.size() * 4);
    } else {
      uint16_t* narrow = static_cast<uint16_t*>(target);
      for (size_t i = 0; i < built.indices.size(); ++i) narrow[i] = uint16_t(built.indices[i]);
    }
    result = created->UnlockIndexBuffer();
  }
  if (SUCCEEDED(result)) {
    std::memcpy(created->Attributes(), built.attributes.data(), built.attributes.size() * sizeof(DWORD));
    // The working copies are done with; giving them back first keeps the sort's own copies
    // from adding to them.
    built.vertices = {};
    built.extra = {};
    built.indices = {};
    built.attributes = {};
    result = created->SortByAttribute(adjacency);
  }
  if (FAILED(result)) {
    created->Release();
    return result;
  }
  *mesh = created;
  return S_OK;
}

HRESULT Load(const void* data, size_t size, DWORD options, IDirect3DDevice9* device, std::vector<DWORD>* adjacency,
             std::vector<MeshMaterial>* materials, std::vector<MeshEffectInstance>* effectInstances,
             DWORD* materialCount, TriangleMesh** mesh) {
  // The three template blocks are registered once; every load starts from a copy of that
  // registry, so templates a file declares never leak into the next load.
  static XFileParser registered;
  static const HRESULT registration = RegisterLoaderTemplates(&registered);
  if (FAILED(registration)) return registration;
  XFileParser parser = registered;
  XFileDocument document;
  HRESULT result;
  result = parser.Parse(data, size, &document);
  if (FAILED(result)) return result;

  FrameWalk walk(parser, adjacency != nullptr);
  float matrix[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  for (const XDataObject* object : document.topLevel) {
    result = walk.Visit(*object, matrix);
    if (FAILED(result)) return result;
  }
  if (!walk.HasMesh()) return Refuse("the file holds no Mesh with triangles");
  document = XFileDocument();  // the file's objects are not needed for the buffers

  BuiltMesh& built = walk.Mesh();
  std::vector<DWORD>& builtAdjacency = walk.Adjacency();
  TriangleMesh* created = nullptr;
  result = CreateMesh(built, options, device, adjacency != nullptr ? builtAdjacency.data() : nullptr, &created);
  if (FAILED(result)) return result;

  if (adjacency != nullptr) *adjacency = std::move(builtAdjacency);
  if (effectInstances != nullptr) {
    effectInstances->clear();
    for (const MeshMaterial& material : built.materials) effectInstances->push_back({material.effectFilename});
  }
  if (materialCount != nullptr) *materialCount = DWORD(built.materials.size());
  if (materials != nullptr) *materials = std::move(built.materials);
  *mesh = created;
  return S_OK;
}

}  // namespace
}  // namespace gfx::meshes

HRESULT LoadMeshFromMemory(const void* data, size_t size, DWORD options, IDirect3DDevice9* device,
                           std::vector<DWORD>* adjacency, std::vector<MeshMaterial>* materials,
                           std::vector<MeshEffectInstance>* effectInstances, DWORD* materialCount,
                           TriangleMesh** mesh) {
  if (data == nullptr || mesh == nullptr || size == 0 || (options & ~kMeshOptionsValid) != 0) {
    return gfx::RefuseWith(D3DERR_INVALIDCALL, "no data, nowhere to put the mesh, or unknown options");
  }
  gfx::ClearReadFailure();
  HRESULT result;
  try {
    result = gfx::meshes::Load(data, size, options, device, adjacency, materials, effectInstances, materialCount, mesh);
  } catch (const std::bad_alloc&) {
    result = gfx::RefuseWith(E_OUTOFMEMORY, "out of memory");
  }
  if (SUCCEEDED(result)) {
    gfx::ClearReadFailure();
  } else if (gfx::HasReadFailure()) {
    // The readers say what is wrong; the prefix says with what, as the image readers' reasons do.
    const std::string reason = LastReadFailure();
    gfx::RefuseWith(result, "X file: %s", reason.c_str());
  }
  return result;
}
