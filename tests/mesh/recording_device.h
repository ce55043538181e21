// A device for mesh tests: its buffers are plain memory, and it records how they were asked
// for and every call that a mesh makes to draw, so tests can check pools, usages and draws.
// Every method a mesh does not use answers E_NOTIMPL.
#pragma once

#include <cstring>
#include <type_traits>
#include <vector>

#include "d3d9api.h"

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

class RecordingDevice final : public IDirect3DDevice9 {
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
  HRESULT CreateVertexDeclaration(const D3DVERTEXELEMENT9* elements, IDirect3DVertexDeclaration9** declaration) override {
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
  HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE type, INT baseVertex, UINT minIndex, UINT vertexCount,
                               UINT startIndex, UINT primitiveCount) override {
    if (type != D3DPT_TRIANGLELIST) return D3DERR_INVALIDCALL;
    draws.push_back({baseVertex, minIndex, vertexCount, startIndex, primitiveCount});
    return drawResult;
  }

  HRESULT TestCooperativeLevel() override { return E_NOTIMPL; }
  UINT GetAvailableTextureMem() override { return 0; }
  HRESULT EvictManagedResources() override { return E_NOTIMPL; }
  HRESULT GetDirect3D(IDirect3D9**) override { return E_NOTIMPL; }
  HRESULT GetDeviceCaps(D3DCAPS9*) override { return E_NOTIMPL; }
  HRESULT GetDisplayMode(UINT, D3DDISPLAYMODE*) override { return E_NOTIMPL; }
  HRESULT GetCreationParameters(D3DDEVICE_CREATION_PARAMETERS*) override { return E_NOTIMPL; }
  HRESULT Reset(D3DPRESENT_PARAMETERS*) override { return E_NOTIMPL; }
  HRESULT Present(const RECT*, const RECT*, HWND, const void*) override { return E_NOTIMPL; }
  HRESULT GetBackBuffer(UINT, UINT, D3DBACKBUFFER_TYPE, IDirect3DSurface9**) override { return E_NOTIMPL; }
  HRESULT GetRasterStatus(UINT, D3DRASTER_STATUS*) override { return E_NOTIMPL; }
  HRESULT CreateTexture(UINT, UINT, UINT, DWORD, D3DFORMAT, D3DPOOL, IDirect3DTexture9**, HANDLE*) override { return E_NOTIMPL; }
  HRESULT CreateRenderTarget(UINT, UINT, D3DFORMAT, D3DMULTISAMPLE_TYPE, DWORD, BOOL, IDirect3DSurface9**, HANDLE*) override { return E_NOTIMPL; }
  HRESULT CreateDepthStencilSurface(UINT, UINT, D3DFORMAT, D3DMULTISAMPLE_TYPE, DWORD, BOOL, IDirect3DSurface9**, HANDLE*) override { return E_NOTIMPL; }
  HRESULT UpdateSurface(IDirect3DSurface9*, const RECT*, IDirect3DSurface9*, const POINT*) override { return E_NOTIMPL; }
  HRESULT UpdateTexture(IDirect3DBaseTexture9*, IDirect3DBaseTexture9*) override { return E_NOTIMPL; }
  HRESULT GetRenderTargetData(IDirect3DSurface9*, IDirect3DSurface9*) override { return E_NOTIMPL; }
  HRESULT GetFrontBufferData(UINT, IDirect3DSurface9*) override { return E_NOTIMPL; }
  HRESULT ColorFill(IDirect3DSurface9*, const RECT*, D3DCOLOR) override { return E_NOTIMPL; }
  HRESULT CreateOffscreenPlainSurface(UINT, UINT, D3DFORMAT, D3DPOOL, IDirect3DSurface9**, HANDLE*) override { return E_NOTIMPL; }
  HRESULT SetRenderTarget(DWORD, IDirect3DSurface9*) override { return E_NOTIMPL; }
  HRESULT GetRenderTarget(DWORD, IDirect3DSurface9**) override { return E_NOTIMPL; }
  HRESULT SetDepthStencilSurface(IDirect3DSurface9*) override { return E_NOTIMPL; }
  HRESULT GetDepthStencilSurface(IDirect3DSurface9**) override { return E_NOTIMPL; }
  HRESULT BeginScene() override { return E_NOTIMPL; }
  HRESULT EndScene() override { return E_NOTIMPL; }
  HRESULT Clear(DWORD, const D3DRECT*, DWORD, D3DCOLOR, float, DWORD) override { return E_NOTIMPL; }
  HRESULT SetTransform(D3DTRANSFORMSTATETYPE, const D3DMATRIX*) override { return E_NOTIMPL; }
  HRESULT GetTransform(D3DTRANSFORMSTATETYPE, D3DMATRIX*) override { return E_NOTIMPL; }
  HRESULT MultiplyTransform(D3DTRANSFORMSTATETYPE, const D3DMATRIX*) override { return E_NOTIMPL; }
  HRESULT SetViewport(const D3DVIEWPORT9*) override { return E_NOTIMPL; }
  HRESULT GetViewport(D3DVIEWPORT9*) override { return E_NOTIMPL; }
  HRESULT SetRenderState(D3DRENDERSTATETYPE, DWORD) override { return E_NOTIMPL; }
  HRESULT GetRenderState(D3DRENDERSTATETYPE, DWORD*) override { return E_NOTIMPL; }
  HRESULT GetTexture(DWORD, IDirect3DBaseTexture9**) override { return E_NOTIMPL; }
  HRESULT SetTexture(DWORD, IDirect3DBaseTexture9*) override { return E_NOTIMPL; }
  HRESULT GetTextureStageState(DWORD, D3DTEXTURESTAGESTATETYPE, DWORD*) override { return E_NOTIMPL; }
  HRESULT SetTextureStageState(DWORD, D3DTEXTURESTAGESTATETYPE, DWORD) override { return E_NOTIMPL; }
  HRESULT GetSamplerState(DWORD, D3DSAMPLERSTATETYPE, DWORD*) override { return E_NOTIMPL; }
  HRESULT SetSamplerState(DWORD, D3DSAMPLERSTATETYPE, DWORD) override { return E_NOTIMPL; }
  HRESULT DrawPrimitive(D3DPRIMITIVETYPE, UINT, UINT) override { return E_NOTIMPL; }
  HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE, UINT, const void*, UINT) override { return E_NOTIMPL; }
  HRESULT DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE, UINT, UINT, UINT, const void*, D3DFORMAT, const void*, UINT) override { return E_NOTIMPL; }
  HRESULT GetVertexDeclaration(IDirect3DVertexDeclaration9**) override { return E_NOTIMPL; }
  HRESULT SetFVF(DWORD) override { return E_NOTIMPL; }
  HRESULT GetFVF(DWORD*) override { return E_NOTIMPL; }
  HRESULT GetStreamSource(UINT, IDirect3DVertexBuffer9**, UINT*, UINT*) override { return E_NOTIMPL; }
  HRESULT GetIndices(IDirect3DIndexBuffer9**) override { return E_NOTIMPL; }

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
