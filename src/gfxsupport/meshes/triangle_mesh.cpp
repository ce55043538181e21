#include "gfxsupport/meshes/triangle_mesh.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <numeric>

namespace {

constexpr DWORD kNoNeighbour = 0xFFFFFFFF;
constexpr DWORD kMost16BitCount = 0xFFFE;

// What the option bits ask of each buffer.
struct BufferChoice {
  DWORD usage = 0;
  D3DPOOL pool = D3DPOOL_DEFAULT;
};

BufferChoice VertexBufferChoice(DWORD options) {
  BufferChoice choice;
  if (options & 0x2) choice.usage |= D3DUSAGE_DONOTCLIP;
  if (options & 0x4) choice.usage |= D3DUSAGE_POINTS;
  if (options & 0x8) choice.usage |= D3DUSAGE_RTPATCHES;
  if (options & 0x4000) choice.usage |= D3DUSAGE_NPATCHES;
  if (options & 0x40) choice.usage |= D3DUSAGE_WRITEONLY;
  if (options & 0x80) choice.usage |= D3DUSAGE_DYNAMIC;
  if (options & 0x8000) choice.usage |= D3DUSAGE_SOFTWAREPROCESSING;
  if (options & 0x10) {
    choice.pool = D3DPOOL_SYSTEMMEM;
  } else if (options & 0x20) {
    choice.pool = D3DPOOL_MANAGED;
  }
  return choice;
}

BufferChoice IndexBufferChoice(DWORD options) {
  BufferChoice choice;
  if (options & 0x2) choice.usage |= D3DUSAGE_DONOTCLIP;
  if (options & 0x4) choice.usage |= D3DUSAGE_POINTS;
  if (options & 0x8) choice.usage |= D3DUSAGE_RTPATCHES;
  if (options & 0x4000) choice.usage |= D3DUSAGE_NPATCHES;
  if (options & 0x400) choice.usage |= D3DUSAGE_WRITEONLY;
  if (options & 0x800) choice.usage |= D3DUSAGE_DYNAMIC;
  if (options & 0x10000) choice.usage |= D3DUSAGE_SOFTWAREPROCESSING;
  if (options & 0x100) {
    choice.pool = D3DPOOL_SYSTEMMEM;
  } else if (options & 0x200) {
    choice.pool = D3DPOOL_MANAGED;
  }
  return choice;
}

template <typename Interface>
void ReleaseAndClear(Interface** slot) {
  if (*slot != nullptr) {
    (*slot)->Release();
    *slot = nullptr;
  }
}

}  // namespace

HRESULT TriangleMesh::Create(IDirect3DDevice9* device, DWORD faceCount, DWORD vertexCount, DWORD options,
                             const D3DVERTEXELEMENT9* declaration, DWORD fvf, DWORD vertexSize, TriangleMesh** mesh) {
  if (mesh == nullptr || declaration == nullptr || faceCount == 0 || vertexCount == 0 || vertexSize == 0 ||
      (options & ~kMeshOptionsValid) != 0) {
    return D3DERR_INVALIDCALL;
  }
  if (!(options & kMesh32BitIndices) && (faceCount > kMost16BitCount || vertexCount > kMost16BitCount)) {
    return D3DERR_INVALIDCALL;
  }
  // Buffer lengths are 32-bit: a mesh whose buffers could not be described is refused.
  const uint64_t indexBytes = uint64_t(faceCount) * 3 * ((options & kMesh32BitIndices) ? 4 : 2);
  if (uint64_t(vertexCount) * vertexSize > 0xFFFFFFFFu || indexBytes > 0xFFFFFFFFu) return E_OUTOFMEMORY;

  TriangleMesh* created = new (std::nothrow) TriangleMesh();
  if (created == nullptr) return E_OUTOFMEMORY;
  created->device_ = device;
  if (device != nullptr) device->AddRef();
  created->options_ = options;
  created->fvf_ = fvf;
  created->vertexSize_ = vertexSize;
  created->vertexCount_ = vertexCount;
  created->faceCount_ = faceCount;
  HRESULT result = created->CreateBuffers(declaration);
  if (FAILED(result)) {
    created->Release();
    return result;
  }
  *mesh = created;
  return S_OK;
}

HRESULT TriangleMesh::CreateBuffers(const D3DVERTEXELEMENT9* declaration) {
  try {
    for (const D3DVERTEXELEMENT9* element = declaration;; ++element) {
      declarationElements_.push_back(*element);
      if (element->Stream == 0xFF) break;
    }
    attributes_.assign(faceCount_, 0);
    const UINT vertexBytes = UINT(vertexCount_ * vertexSize_);
    const UINT indexBytes = UINT(faceCount_ * 3 * (Has32BitIndices() ? 4 : 2));
    if (device_ == nullptr) {
      plainVertices_.assign(vertexBytes, 0);
      plainIndices_.assign(indexBytes, 0);
      return S_OK;
    }
    HRESULT result = device_->CreateVertexDeclaration(declaration, &declaration_);
    if (FAILED(result)) return result;
    BufferChoice indexChoice = IndexBufferChoice(options_);
    result =
        device_->CreateIndexBuffer(indexBytes, indexChoice.usage, Has32BitIndices() ? D3DFMT_INDEX32 : D3DFMT_INDEX16,
                                   indexChoice.pool, &indexBuffer_, nullptr);
    if (FAILED(result)) return result;
    BufferChoice vertexChoice = VertexBufferChoice(options_);
    return device_->CreateVertexBuffer(vertexBytes, vertexChoice.usage, fvf_, vertexChoice.pool, &vertexBuffer_,
                                       nullptr);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

TriangleMesh::~TriangleMesh() {
  ReleaseAndClear(&vertexBuffer_);
  ReleaseAndClear(&indexBuffer_);
  ReleaseAndClear(&declaration_);
  ReleaseAndClear(&device_);
}

ULONG TriangleMesh::AddRef() { return ++references_; }

ULONG TriangleMesh::Release() {
  ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

HRESULT TriangleMesh::LockVertexBuffer(DWORD flags, void** data) {
  if (data == nullptr) return D3DERR_INVALIDCALL;
  if (vertexBuffer_ != nullptr) return vertexBuffer_->Lock(0, 0, data, flags);
  *data = plainVertices_.data();
  return S_OK;
}

HRESULT TriangleMesh::UnlockVertexBuffer() { return vertexBuffer_ != nullptr ? vertexBuffer_->Unlock() : S_OK; }

HRESULT TriangleMesh::LockIndexBuffer(DWORD flags, void** data) {
  if (data == nullptr) return D3DERR_INVALIDCALL;
  if (indexBuffer_ != nullptr) return indexBuffer_->Lock(0, 0, data, flags);
  *data = plainIndices_.data();
  return S_OK;
}

HRESULT TriangleMesh::UnlockIndexBuffer() { return indexBuffer_ != nullptr ? indexBuffer_->Unlock() : S_OK; }

uint32_t TriangleMesh::IndexAt(const void* indices, size_t i) const {
  if (Has32BitIndices()) return static_cast<const uint32_t*>(indices)[i];
  return static_cast<const uint16_t*>(indices)[i];
}

void TriangleMesh::SetIndexAt(void* indices, size_t i, uint32_t value) const {
  if (Has32BitIndices()) {
    static_cast<uint32_t*>(indices)[i] = value;
  } else {
    static_cast<uint16_t*>(indices)[i] = uint16_t(value);
  }
}

HRESULT TriangleMesh::SortByAttribute(DWORD* adjacency) {
  if (std::is_sorted(attributes_.begin(), attributes_.end())) return BuildAttributeTable();
  bool locked = false;
  try {
    // A stable order keeps the faces of one attribute in their original order.
    std::vector<DWORD> order(faceCount_);
    std::iota(order.begin(), order.end(), DWORD(0));
    std::stable_sort(order.begin(), order.end(), [this](DWORD a, DWORD b) { return attributes_[a] < attributes_[b]; });

    void* indices;
    HRESULT result = LockIndexBuffer(0, &indices);
    if (FAILED(result)) return result;
    locked = true;
    const size_t indexWidth = Has32BitIndices() ? 4 : 2;
    std::vector<uint8_t> oldIndices(static_cast<uint8_t*>(indices),
                                    static_cast<uint8_t*>(indices) + size_t(faceCount_) * 3 * indexWidth);
    std::vector<DWORD> oldAttributes = attributes_;
    std::vector<DWORD> newPosition(faceCount_);
    for (DWORD face = 0; face < faceCount_; ++face) {
      const DWORD from = order[face];
      newPosition[from] = face;
      std::memcpy(static_cast<uint8_t*>(indices) + size_t(face) * 3 * indexWidth,
                  oldIndices.data() + size_t(from) * 3 * indexWidth, 3 * indexWidth);
      attributes_[face] = oldAttributes[from];
    }

    if (adjacency != nullptr) {
      std::vector<DWORD> oldAdjacency(adjacency, adjacency + size_t(faceCount_) * 3);
      for (DWORD face = 0; face < faceCount_; ++face) {
        for (int edge = 0; edge < 3; ++edge) {
          DWORD neighbour = oldAdjacency[size_t(order[face]) * 3 + edge];
          adjacency[size_t(face) * 3 + edge] = neighbour == kNoNeighbour ? kNoNeighbour : newPosition[neighbour];
        }
      }
    }

    locked = false;
    result = UnlockIndexBuffer();
    if (FAILED(result)) return result;
    return BuildAttributeTable();
  } catch (const std::bad_alloc&) {
    if (locked) UnlockIndexBuffer();
    return E_OUTOFMEMORY;
  }
}

HRESULT TriangleMesh::BuildAttributeTable() {
  void* indices;
  HRESULT result = LockIndexBuffer(D3DLOCK_READONLY, &indices);
  if (FAILED(result)) return result;
  try {
    attributeTable_.clear();
    for (DWORD face = 0; face < faceCount_;) {
      AttributeRange range{attributes_[face], face, 0, 0xFFFFFFFF, 0};
      DWORD highest = 0;
      for (; face < faceCount_ && attributes_[face] == range.AttribId; ++face) {
        ++range.FaceCount;
        for (int corner = 0; corner < 3; ++corner) {
          uint32_t index = IndexAt(indices, size_t(face) * 3 + corner);
          range.VertexStart = std::min<DWORD>(range.VertexStart, index);
          highest = std::max<DWORD>(highest, index);
        }
      }
      range.VertexCount = highest - range.VertexStart + 1;
      attributeTable_.push_back(range);
    }
  } catch (const std::bad_alloc&) {
    UnlockIndexBuffer();
    return E_OUTOFMEMORY;
  }
  tableValid_ = true;
  return UnlockIndexBuffer();
}

HRESULT TriangleMesh::DrawSubset(DWORD attributeId) {
  if (vertexBuffer_ == nullptr) return S_OK;
  HRESULT result = device_->SetVertexDeclaration(declaration_);
  if (FAILED(result)) return result;
  result = device_->SetStreamSource(0, vertexBuffer_, 0, vertexSize_);
  if (FAILED(result)) return result;
  result = device_->SetIndices(indexBuffer_);
  if (FAILED(result)) return result;

  if (tableValid_) {
    const AttributeRange* range = nullptr;
    if (attributeId < attributeTable_.size() && attributeTable_[attributeId].AttribId == attributeId) {
      range = &attributeTable_[attributeId];
    } else {
      for (const AttributeRange& entry : attributeTable_) {
        if (entry.AttribId == attributeId) {
          range = &entry;
          break;
        }
      }
    }
    if (range == nullptr || range->FaceCount == 0) return S_OK;
    return device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, range->VertexStart, range->VertexCount,
                                         range->FaceStart * 3, range->FaceCount);
  }

  for (DWORD face = 0; face < faceCount_;) {
    if (attributes_[face] != attributeId) {
      ++face;
      continue;
    }
    DWORD first = face;
    while (face < faceCount_ && attributes_[face] == attributeId) ++face;
    result = device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, vertexCount_, first * 3, face - first);
    if (FAILED(result)) return result;
  }
  return S_OK;
}
