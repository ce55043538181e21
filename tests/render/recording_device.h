// Direct3D objects for tests of the frame around the picture: they draw nothing, write down
// each call they receive in one shared log, and fail any call named in the log's failure set.
// Calls that the frame is not expected to make are logged too, prefixed "unexpected ".
#pragma once

#include "d3d9api.h"

#include <set>
#include <string>
#include <vector>

struct CallLog {
  std::vector<std::string> calls;
  std::set<std::string> failing;

  HRESULT Record(const std::string& name) {
    calls.push_back(name);
    return failing.count(name) != 0 ? E_FAIL : S_OK;
  }
};

#define RECORDING_UNEXPECTED(name)   \
  {                                  \
    log.Record("unexpected " #name); \
    return D3DERR_INVALIDCALL;       \
  }

// A scratch surface handed out by CreateOffscreenPlainSurface; logs its final Release.
class RecordingSurface final : public IDirect3DSurface9 {
 public:
  explicit RecordingSurface(CallLog& callLog) : log(callLog) {}
  HRESULT QueryInterface(REFIID, void**) override RECORDING_UNEXPECTED(QueryInterface) ULONG AddRef() override {
    return ++references;
  }
  ULONG Release() override {
    const ULONG left = --references;
    if (left == 0) {
      log.Record("Surface::Release");
      delete this;
    }
    return left;
  }
  HRESULT GetDevice(IDirect3DDevice9**) override RECORDING_UNEXPECTED(GetDevice) DWORD SetPriority(DWORD) override {
    return 0;
  }
  DWORD GetPriority() override { return 0; }
  void PreLoad() override {}
  D3DRESOURCETYPE GetType() override { return D3DRTYPE_SURFACE; }
  HRESULT GetContainer(REFIID, void**) override RECORDING_UNEXPECTED(GetContainer)
      // The file writer's business, not the frame's: refused without a log entry, so that
      // saving stops before any file is made.
      HRESULT GetDesc(D3DSURFACE_DESC*) override {
    return D3DERR_INVALIDCALL;
  }
  HRESULT LockRect(D3DLOCKED_RECT*, const RECT*, DWORD) override { return D3DERR_INVALIDCALL; }
  HRESULT UnlockRect() override { return D3DERR_INVALIDCALL; }

 private:
  CallLog& log;
  ULONG references = 1;
};

class RecordingDirect3D final : public IDirect3D9 {
 public:
  explicit RecordingDirect3D(CallLog& callLog) : log(callLog) {}
  D3DDISPLAYMODE displayMode = {1024, 768, 60, D3DFMT_X8R8G8B8};

  HRESULT QueryInterface(REFIID, void**) override RECORDING_UNEXPECTED(QueryInterface) ULONG AddRef() override {
    return 2;
  }
  ULONG Release() override {
    log.Record("Direct3D::Release");
    return 1;
  }
  UINT GetAdapterCount() override { return 1; }
  HRESULT GetAdapterDisplayMode(UINT, D3DDISPLAYMODE* mode) override {
    const HRESULT result = log.Record("GetAdapterDisplayMode");
    if (SUCCEEDED(result)) *mode = displayMode;
    return result;
  }
  HRESULT CheckDeviceType(UINT, D3DDEVTYPE, D3DFORMAT, D3DFORMAT, BOOL) override
      RECORDING_UNEXPECTED(CheckDeviceType) HRESULT
      CheckDeviceFormat(UINT, D3DDEVTYPE, D3DFORMAT, DWORD, D3DRESOURCETYPE, D3DFORMAT) override
      RECORDING_UNEXPECTED(CheckDeviceFormat) HRESULT
      CheckDepthStencilMatch(UINT, D3DDEVTYPE, D3DFORMAT, D3DFORMAT, D3DFORMAT) override
      RECORDING_UNEXPECTED(CheckDepthStencilMatch) HRESULT GetDeviceCaps(UINT, D3DDEVTYPE, D3DCAPS9*) override
      RECORDING_UNEXPECTED(GetDeviceCaps) HRESULT
      CreateDevice(UINT, D3DDEVTYPE, HWND, DWORD, D3DPRESENT_PARAMETERS*, IDirect3DDevice9**) override
      RECORDING_UNEXPECTED(CreateDevice)

          private : CallLog& log;
};

class RecordingDevice final : public IDirect3DDevice9 {
 public:
  explicit RecordingDevice(CallLog& callLog) : log(callLog) {}

  // Arguments worth checking, from the latest call of each kind.
  DWORD clearFlags = 0;
  D3DCOLOR clearColor = 0;
  float clearDepth = -1.0f;
  const D3DPRESENT_PARAMETERS* resetParams = nullptr;
  UINT surfaceWidth = 0, surfaceHeight = 0;
  D3DFORMAT surfaceFormat = D3DFMT_UNKNOWN;
  D3DPOOL surfacePool = D3DPOOL_DEFAULT;
  IDirect3DSurface9* frontBufferTarget = nullptr;

  HRESULT QueryInterface(REFIID, void**) override RECORDING_UNEXPECTED(QueryInterface) ULONG AddRef() override {
    return 2;
  }
  ULONG Release() override {
    log.Record("Device::Release");
    return 1;
  }
  HRESULT TestCooperativeLevel() override RECORDING_UNEXPECTED(TestCooperativeLevel) UINT
      GetAvailableTextureMem() override {
    return 0;
  }
  HRESULT EvictManagedResources() override RECORDING_UNEXPECTED(EvictManagedResources) HRESULT
      GetDirect3D(IDirect3D9**) override RECORDING_UNEXPECTED(GetDirect3D) HRESULT GetDeviceCaps(D3DCAPS9*) override
      RECORDING_UNEXPECTED(GetDeviceCaps) HRESULT GetDisplayMode(UINT, D3DDISPLAYMODE*) override
      RECORDING_UNEXPECTED(GetDisplayMode) HRESULT GetCreationParameters(D3DDEVICE_CREATION_PARAMETERS*) override
      RECORDING_UNEXPECTED(GetCreationParameters) HRESULT Reset(D3DPRESENT_PARAMETERS* params) override {
    resetParams = params;
    return log.Record("Reset");
  }
  HRESULT Present(const RECT* source, const RECT* destination, HWND window, const void* dirty) override {
    const bool plain = source == nullptr && destination == nullptr && window == nullptr && dirty == nullptr;
    return log.Record(plain ? "Present" : "Present with arguments");
  }
  HRESULT GetBackBuffer(UINT, UINT, D3DBACKBUFFER_TYPE, IDirect3DSurface9**) override
      RECORDING_UNEXPECTED(GetBackBuffer) HRESULT GetRasterStatus(UINT, D3DRASTER_STATUS*) override
      RECORDING_UNEXPECTED(GetRasterStatus) HRESULT
      CreateTexture(UINT, UINT, UINT, DWORD, D3DFORMAT, D3DPOOL, IDirect3DTexture9**, HANDLE*) override
      RECORDING_UNEXPECTED(CreateTexture) HRESULT
      CreateVertexBuffer(UINT, DWORD, DWORD, D3DPOOL, IDirect3DVertexBuffer9**, HANDLE*) override
      RECORDING_UNEXPECTED(CreateVertexBuffer) HRESULT
      CreateIndexBuffer(UINT, DWORD, D3DFORMAT, D3DPOOL, IDirect3DIndexBuffer9**, HANDLE*) override
      RECORDING_UNEXPECTED(CreateIndexBuffer) HRESULT
      CreateRenderTarget(UINT, UINT, D3DFORMAT, D3DMULTISAMPLE_TYPE, DWORD, BOOL, IDirect3DSurface9**, HANDLE*) override
      RECORDING_UNEXPECTED(CreateRenderTarget) HRESULT
      CreateDepthStencilSurface(UINT, UINT, D3DFORMAT, D3DMULTISAMPLE_TYPE, DWORD, BOOL, IDirect3DSurface9**,
                                HANDLE*) override RECORDING_UNEXPECTED(CreateDepthStencilSurface) HRESULT
      UpdateSurface(IDirect3DSurface9*, const RECT*, IDirect3DSurface9*, const POINT*) override
      RECORDING_UNEXPECTED(UpdateSurface) HRESULT UpdateTexture(IDirect3DBaseTexture9*, IDirect3DBaseTexture9*) override
      RECORDING_UNEXPECTED(UpdateTexture) HRESULT GetRenderTargetData(IDirect3DSurface9*, IDirect3DSurface9*) override
      RECORDING_UNEXPECTED(GetRenderTargetData) HRESULT
      GetFrontBufferData(UINT swapChain, IDirect3DSurface9* surface) override {
    frontBufferTarget = surface;
    return log.Record(swapChain == 0 ? "GetFrontBufferData" : "GetFrontBufferData of another chain");
  }
  HRESULT ColorFill(IDirect3DSurface9*, const RECT*, D3DCOLOR) override RECORDING_UNEXPECTED(ColorFill) HRESULT
      CreateOffscreenPlainSurface(UINT width, UINT height, D3DFORMAT format, D3DPOOL pool, IDirect3DSurface9** surface,
                                  HANDLE*) override {
    surfaceWidth = width;
    surfaceHeight = height;
    surfaceFormat = format;
    surfacePool = pool;
    const HRESULT result = log.Record("CreateOffscreenPlainSurface");
    if (SUCCEEDED(result)) *surface = new RecordingSurface(log);
    return result;
  }
  HRESULT SetRenderTarget(DWORD, IDirect3DSurface9*) override RECORDING_UNEXPECTED(SetRenderTarget) HRESULT
      GetRenderTarget(DWORD, IDirect3DSurface9**) override RECORDING_UNEXPECTED(GetRenderTarget) HRESULT
      SetDepthStencilSurface(IDirect3DSurface9*) override RECORDING_UNEXPECTED(SetDepthStencilSurface) HRESULT
      GetDepthStencilSurface(IDirect3DSurface9**) override RECORDING_UNEXPECTED(GetDepthStencilSurface) HRESULT
      BeginScene() override {
    return log.Record("BeginScene");
  }
  HRESULT EndScene() override { return log.Record("EndScene"); }
  HRESULT Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z, DWORD stencil) override {
    clearFlags = flags;
    clearColor = color;
    clearDepth = z;
    const bool whole = count == 0 && rects == nullptr && stencil == 0;
    return log.Record(whole ? "Clear" : "Clear with rectangles or stencil");
  }
  HRESULT SetTransform(D3DTRANSFORMSTATETYPE, const D3DMATRIX*) override RECORDING_UNEXPECTED(SetTransform) HRESULT
      GetTransform(D3DTRANSFORMSTATETYPE, D3DMATRIX*) override RECORDING_UNEXPECTED(GetTransform) HRESULT
      MultiplyTransform(D3DTRANSFORMSTATETYPE, const D3DMATRIX*) override
      RECORDING_UNEXPECTED(MultiplyTransform) HRESULT SetViewport(const D3DVIEWPORT9*) override
      RECORDING_UNEXPECTED(SetViewport) HRESULT GetViewport(D3DVIEWPORT9*) override
      RECORDING_UNEXPECTED(GetViewport) HRESULT SetRenderState(D3DRENDERSTATETYPE, DWORD) override
      RECORDING_UNEXPECTED(SetRenderState) HRESULT GetRenderState(D3DRENDERSTATETYPE, DWORD*) override
      RECORDING_UNEXPECTED(GetRenderState) HRESULT GetTexture(DWORD, IDirect3DBaseTexture9**) override
      RECORDING_UNEXPECTED(GetTexture) HRESULT SetTexture(DWORD, IDirect3DBaseTexture9*) override
      RECORDING_UNEXPECTED(SetTexture) HRESULT GetTextureStageState(DWORD, D3DTEXTURESTAGESTATETYPE, DWORD*) override
      RECORDING_UNEXPECTED(GetTextureStageState) HRESULT
      SetTextureStageState(DWORD, D3DTEXTURESTAGESTATETYPE, DWORD) override
      RECORDING_UNEXPECTED(SetTextureStageState) HRESULT GetSamplerState(DWORD, D3DSAMPLERSTATETYPE, DWORD*) override
      RECORDING_UNEXPECTED(GetSamplerState) HRESULT SetSamplerState(DWORD, D3DSAMPLERSTATETYPE, DWORD) override
      RECORDING_UNEXPECTED(SetSamplerState) HRESULT DrawPrimitive(D3DPRIMITIVETYPE, UINT, UINT) override
      RECORDING_UNEXPECTED(DrawPrimitive) HRESULT
      DrawIndexedPrimitive(D3DPRIMITIVETYPE, INT, UINT, UINT, UINT, UINT) override
      RECORDING_UNEXPECTED(DrawIndexedPrimitive) HRESULT
      DrawPrimitiveUP(D3DPRIMITIVETYPE, UINT, const void*, UINT) override RECORDING_UNEXPECTED(DrawPrimitiveUP) HRESULT
      DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE, UINT, UINT, UINT, const void*, D3DFORMAT, const void*, UINT) override
      RECORDING_UNEXPECTED(DrawIndexedPrimitiveUP) HRESULT
      CreateVertexDeclaration(const D3DVERTEXELEMENT9*, IDirect3DVertexDeclaration9**) override
      RECORDING_UNEXPECTED(CreateVertexDeclaration) HRESULT SetVertexDeclaration(IDirect3DVertexDeclaration9*) override
      RECORDING_UNEXPECTED(SetVertexDeclaration) HRESULT GetVertexDeclaration(IDirect3DVertexDeclaration9**) override
      RECORDING_UNEXPECTED(GetVertexDeclaration) HRESULT SetFVF(DWORD) override RECORDING_UNEXPECTED(SetFVF) HRESULT
      GetFVF(DWORD*) override RECORDING_UNEXPECTED(GetFVF) HRESULT
      SetStreamSource(UINT, IDirect3DVertexBuffer9*, UINT, UINT) override RECORDING_UNEXPECTED(SetStreamSource) HRESULT
      GetStreamSource(UINT, IDirect3DVertexBuffer9**, UINT*, UINT*) override
      RECORDING_UNEXPECTED(GetStreamSource) HRESULT SetIndices(IDirect3DIndexBuffer9*) override
      RECORDING_UNEXPECTED(SetIndices) HRESULT GetIndices(IDirect3DIndexBuffer9**) override
      RECORDING_UNEXPECTED(GetIndices)

          private : CallLog& log;
};

#undef RECORDING_UNEXPECTED
