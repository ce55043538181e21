// A Direct3D 9 device on which every operation answers E_NOTIMPL. Test fakes derive from it and
// give real answers only for the operations the code under test calls, so that a call nobody
// expected fails loudly instead of passing silently; a fake that keeps a log of calls overrides
// Unimplemented to write the stray call down. Reference counting is left to the fake.
#pragma once

#include "d3d9api.h"

class UnimplementedDevice : public IDirect3DDevice9 {
 public:
  HRESULT TestCooperativeLevel() override { return Unimplemented(__func__); }
  UINT GetAvailableTextureMem() override { return 0; }
  HRESULT EvictManagedResources() override { return Unimplemented(__func__); }
  HRESULT GetDirect3D(IDirect3D9**) override { return Unimplemented(__func__); }
  HRESULT GetDeviceCaps(D3DCAPS9*) override { return Unimplemented(__func__); }
  HRESULT GetDisplayMode(UINT, D3DDISPLAYMODE*) override { return Unimplemented(__func__); }
  HRESULT GetCreationParameters(D3DDEVICE_CREATION_PARAMETERS*) override { return Unimplemented(__func__); }
  HRESULT Reset(D3DPRESENT_PARAMETERS*) override { return Unimplemented(__func__); }
  HRESULT Present(const RECT*, const RECT*, HWND, const void*) override { return Unimplemented(__func__); }
  HRESULT GetBackBuffer(UINT, UINT, D3DBACKBUFFER_TYPE, IDirect3DSurface9**) override {
    return Unimplemented(__func__);
  }
  HRESULT GetRasterStatus(UINT, D3DRASTER_STATUS*) override { return Unimplemented(__func__); }
  HRESULT CreateTexture(UINT, UINT, UINT, DWORD, D3DFORMAT, D3DPOOL, IDirect3DTexture9**, HANDLE*) override {
    return Unimplemented(__func__);
  }
  HRESULT CreateVertexBuffer(UINT, DWORD, DWORD, D3DPOOL, IDirect3DVertexBuffer9**, HANDLE*) override {
    return Unimplemented(__func__);
  }
  HRESULT CreateIndexBuffer(UINT, DWORD, D3DFORMAT, D3DPOOL, IDirect3DIndexBuffer9**, HANDLE*) override {
    return Unimplemented(__func__);
  }
  HRESULT CreateRenderTarget(UINT, UINT, D3DFORMAT, D3DMULTISAMPLE_TYPE, DWORD, BOOL, IDirect3DSurface9**,
                             HANDLE*) override {
    return Unimplemented(__func__);
  }
  HRESULT CreateDepthStencilSurface(UINT, UINT, D3DFORMAT, D3DMULTISAMPLE_TYPE, DWORD, BOOL, IDirect3DSurface9**,
                                    HANDLE*) override {
    return Unimplemented(__func__);
  }
  HRESULT UpdateSurface(IDirect3DSurface9*, const RECT*, IDirect3DSurface9*, const POINT*) override {
    return Unimplemented(__func__);
  }
  HRESULT UpdateTexture(IDirect3DBaseTexture9*, IDirect3DBaseTexture9*) override { return Unimplemented(__func__); }
  HRESULT GetRenderTargetData(IDirect3DSurface9*, IDirect3DSurface9*) override { return Unimplemented(__func__); }
  HRESULT GetFrontBufferData(UINT, IDirect3DSurface9*) override { return Unimplemented(__func__); }
  HRESULT ColorFill(IDirect3DSurface9*, const RECT*, D3DCOLOR) override { return Unimplemented(__func__); }
  HRESULT CreateOffscreenPlainSurface(UINT, UINT, D3DFORMAT, D3DPOOL, IDirect3DSurface9**, HANDLE*) override {
    return Unimplemented(__func__);
  }
  HRESULT SetRenderTarget(DWORD, IDirect3DSurface9*) override { return Unimplemented(__func__); }
  HRESULT GetRenderTarget(DWORD, IDirect3DSurface9**) override { return Unimplemented(__func__); }
  HRESULT SetDepthStencilSurface(IDirect3DSurface9*) override { return Unimplemented(__func__); }
  HRESULT GetDepthStencilSurface(IDirect3DSurface9**) override { return Unimplemented(__func__); }
  HRESULT BeginScene() override { return Unimplemented(__func__); }
  HRESULT EndScene() override { return Unimplemented(__func__); }
  HRESULT Clear(DWORD, const D3DRECT*, DWORD, D3DCOLOR, float, DWORD) override { return Unimplemented(__func__); }
  HRESULT SetTransform(D3DTRANSFORMSTATETYPE, const D3DMATRIX*) override { return Unimplemented(__func__); }
  HRESULT GetTransform(D3DTRANSFORMSTATETYPE, D3DMATRIX*) override { return Unimplemented(__func__); }
  HRESULT MultiplyTransform(D3DTRANSFORMSTATETYPE, const D3DMATRIX*) override { return Unimplemented(__func__); }
  HRESULT SetViewport(const D3DVIEWPORT9*) override { return Unimplemented(__func__); }
  HRESULT GetViewport(D3DVIEWPORT9*) override { return Unimplemented(__func__); }
  HRESULT SetRenderState(D3DRENDERSTATETYPE, DWORD) override { return Unimplemented(__func__); }
  HRESULT GetRenderState(D3DRENDERSTATETYPE, DWORD*) override { return Unimplemented(__func__); }
  HRESULT GetTexture(DWORD, IDirect3DBaseTexture9**) override { return Unimplemented(__func__); }
  HRESULT SetTexture(DWORD, IDirect3DBaseTexture9*) override { return Unimplemented(__func__); }
  HRESULT GetTextureStageState(DWORD, D3DTEXTURESTAGESTATETYPE, DWORD*) override { return Unimplemented(__func__); }
  HRESULT SetTextureStageState(DWORD, D3DTEXTURESTAGESTATETYPE, DWORD) override { return Unimplemented(__func__); }
  HRESULT GetSamplerState(DWORD, D3DSAMPLERSTATETYPE, DWORD*) override { return Unimplemented(__func__); }
  HRESULT SetSamplerState(DWORD, D3DSAMPLERSTATETYPE, DWORD) override { return Unimplemented(__func__); }
  HRESULT DrawPrimitive(D3DPRIMITIVETYPE, UINT, UINT) override { return Unimplemented(__func__); }
  HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE, INT, UINT, UINT, UINT, UINT) override {
    return Unimplemented(__func__);
  }
  HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE, UINT, const void*, UINT) override { return Unimplemented(__func__); }
  HRESULT DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE, UINT, UINT, UINT, const void*, D3DFORMAT, const void*,
                                 UINT) override {
    return Unimplemented(__func__);
  }
  HRESULT CreateVertexDeclaration(const D3DVERTEXELEMENT9*, IDirect3DVertexDeclaration9**) override {
    return Unimplemented(__func__);
  }
  HRESULT SetVertexDeclaration(IDirect3DVertexDeclaration9*) override { return Unimplemented(__func__); }
  HRESULT GetVertexDeclaration(IDirect3DVertexDeclaration9**) override { return Unimplemented(__func__); }
  HRESULT SetFVF(DWORD) override { return Unimplemented(__func__); }
  HRESULT GetFVF(DWORD*) override { return Unimplemented(__func__); }
  HRESULT SetStreamSource(UINT, IDirect3DVertexBuffer9*, UINT, UINT) override { return Unimplemented(__func__); }
  HRESULT GetStreamSource(UINT, IDirect3DVertexBuffer9**, UINT*, UINT*) override { return Unimplemented(__func__); }
  HRESULT SetIndices(IDirect3DIndexBuffer9*) override { return Unimplemented(__func__); }
  HRESULT GetIndices(IDirect3DIndexBuffer9**) override { return Unimplemented(__func__); }

 protected:
  ~UnimplementedDevice() = default;
  virtual HRESULT Unimplemented(const char* /*operation*/) { return E_NOTIMPL; }
};
