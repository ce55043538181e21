// A device for mesh tests: its buffers are plain memory, and it records how they were asked
// for and every call that a mesh makes to draw, so tests can check pools, usages and draws.
// Every method a mesh does not use answers E_NOTIMPL.
#pragma once

#include <cstring>
#include <type_traits>
#include <vector>

#include "d3d9api.h"
#include "../support/unimplemented_device.h"

struct RecordedDraw {
  INT baseVertex;
  UINT minIndex;
  UINT vertexCount;
  UINT startIndex;
  UINT primitiveCount;
  bool operator==(const RecordedDraw&) const = default;
};

struct RecordedBuffer {
  UINT length;
  DWORD usage;
  D3DPOOL pool;
  DWORD fvf;         // vertex buffers
  D3DFORMAT format;  // index buffers
};

class RecordingDevice;

// Reference counting shared by the fake objects; each deletes itself at zero.
template <typename Interface>
class Counted : public Interface {
 public:
  HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
  ULONG AddRef() override { return ++references_; }
  ULONG Release() override {
    ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }
  virtual ~Counted() = default;

 private:
  ULONG references_ = 1;
};

template <typename Interface>
class MemoryBuffer final : public Counted<Interface> {
 public:
  MemoryBuffer(UINT length, int* live) : bytes_(length), live_(live) { ++*live_; }
  ~MemoryBuffer() override { --*live_; }
  HRESULT GetDevice(IDirect3DDevice9**) override { return E_NOTIMPL; }
  DWORD SetPriority(DWORD) override { return 0; }
  DWORD GetPriority() override { return 0; }
  void PreLoad() override {}
  D3DRESOURCETYPE GetType() override { return D3DRTYPE_VERTEXBUFFER; }
  HRESULT Lock(UINT offset, UINT, void** data, DWORD) override {
    if (locked_) return D3DERR_INVALIDCALL;
    locked_ = true;
    *data = bytes_.data() + offset;
    return S_OK;
  }
  HRESULT Unlock() override {
    if (!locked_) return D3DERR_INVALIDCALL;
    locked_ = false;
    return S_OK;
  }
  HRESULT GetDesc(std::conditional_t<std::is_same_v<Interface, IDirect3DVertexBuffer9>, D3DVERTEXBUFFER_DESC,
                                     D3DINDEXBUFFER_DESC>*) override {
    return E_NOTIMPL;
  }
  const std::vector<uint8_t>& Bytes() const { return bytes_; }
  bool Locked() const { return locked_; }

 private:
  std::vector<uint8_t> bytes_;
  bool locked_ = false;
  int* live_;
};

class MemoryDeclaration final : public Counted<IDirect3DVertexDeclaration9> {
 public:
  MemoryDeclaration(const D3DVERTEXELEMENT9* elements, int* live) : live_(live) {
    ++*live_;
    for (;; ++elements) {
      elements_.push_back(*elements);
      if (elements->Stream == 0xFF) break;
    }
  }
  ~MemoryDeclaration() override { --*live_; }
  HRESULT GetDevice(IDirect3DDevice9**) override { return E_NOTIMPL; }
  HRESULT GetDeclaration(D3DVERTEXELEMENT9* out, UINT* count) override {
    *count = UINT(elements_.size());
    if (out != nullptr) std::memcpy(out, elements_.data(), elements_.size() * sizeof *out);
    return S_OK;
  }

 private:
  std::vector<D3DVERTEXELEMENT9> elements_;
  int* live_;
};

class RecordingDevice final : public UnimplementedDevice {
 public:
  HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
  ULONG AddRef() override { return ++references; }
  ULONG Release() override { return --references; }  // lives on the test's stack

  HRESULT CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool, IDirect3DVertexBuffer9** buffer,
                             HANDLE*) override {
    if (failVertexBuffer != S_OK) return failVertexBuffer;
    vertexBuffers.push_back({length, usage, pool, fvf, D3DFMT_UNKNOWN});
    lastVertexBuffer = new MemoryBuffer<IDirect3DVertexBuffer9>(length, &liveObjects);
    *buffer = lastVertexBuffer;
    return S_OK;
  }
  HRESULT CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool, IDirect3DIndexBuffer9** buffer,
                            HANDLE*) override {
    indexBuffers.push_back({length, usage, pool, 0, format});
    lastIndexBuffer = new MemoryBuffer<IDirect3DIndexBuffer9>(length, &liveObjects);
    *buffer = lastIndexBuffer;
    return S_OK;
  }
  HRESULT CreateVertexDeclaration(const D3DVERTEXELEMENT9* elements,
                                  IDirect3DVertexDeclaration9** declaration) override {
    *declaration = new MemoryDeclaration(elements, &liveObjects);
    return S_OK;
  }
  HRESULT SetVertexDeclaration(IDirect3DVertexDeclaration9* declaration) override {
    boundDeclaration = declaration;
    return S_OK;
  }
  HRESULT SetStreamSource(UINT stream, IDirect3DVertexBuffer9* buffer, UINT offset, UINT stride) override {
    boundStream = stream;
    boundVertexBuffer = buffer;
    boundOffset = offset;
    boundStride = stride;
    return S_OK;
  }
  HRESULT SetIndices(IDirect3DIndexBuffer9* buffer) override {
    boundIndexBuffer = buffer;
    return S_OK;
  }
  HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE type, INT baseVertex, UINT minIndex, UINT vertexCount, UINT startIndex,
                               UINT primitiveCount) override {
    if (type != D3DPT_TRIANGLELIST) return D3DERR_INVALIDCALL;
    draws.push_back({baseVertex, minIndex, vertexCount, startIndex, primitiveCount});
    return drawResult;
  }

  ULONG references = 1;
  int liveObjects = 0;  // buffers and declarations not yet released
  HRESULT failVertexBuffer = S_OK;
  HRESULT drawResult = S_OK;
  std::vector<RecordedBuffer> vertexBuffers;
  std::vector<RecordedBuffer> indexBuffers;
  std::vector<RecordedDraw> draws;
  MemoryBuffer<IDirect3DVertexBuffer9>* lastVertexBuffer = nullptr;
  MemoryBuffer<IDirect3DIndexBuffer9>* lastIndexBuffer = nullptr;
  IDirect3DVertexDeclaration9* boundDeclaration = nullptr;
  IDirect3DVertexBuffer9* boundVertexBuffer = nullptr;
  IDirect3DIndexBuffer9* boundIndexBuffer = nullptr;
  UINT boundStream = 99, boundOffset = 99, boundStride = 0;
};
