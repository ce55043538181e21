// A Direct3D 9 device on which every operation answers E_NOTIMPL. Test fakes derive from it and
// give real answers only for the operations the code under test calls, so that a call nobody
// expected fails loudly instead of passing silently. Reference counting is left to the fake.
#pragma once

#include "d3d9api.h"

class UnimplementedDevice : public IDirect3DDevice9 {
 public:
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
  HRESULT CreateTexture(UINT, UINT, UINT, DWORD, D3DFORMAT, D3DPOOL, IDirect3DTexture9**, HANDLE*) override {
    return E_NOTIMPL;
  }
  HRESULT CreateVertexBuffer(UINT, DWORD, DWORD, D3DPOOL, IDirect3DVertexBuffer9**, HANDLE*) override {
    return E_NOTIMPL;
  }
  HRESULT CreateIndexBuffer(UINT, DWORD, D3DFORMAT, D3DPOOL, IDirect3DIndexBuffer9**, HANDLE*) override {
    return E_NOTIMPL;
  }
  HRESULT CreateRenderTarget(UINT, UINT, D3DFORMAT, D3DMULTISAMPLE_TYPE, DWORD, BOOL, IDirect3DSurface9**,
                             HANDLE*) override {
    return E_NOTIMPL;
  }
  HRESULT CreateDepthStencilSurface(UINT, UINT, D3DFORMAT, D3DMULTISAMPLE_TYPE, DWORD, BOOL, IDirect3DSurface9**,
                                    HANDLE*) override {
    return E_NOTIMPL;
  }
  HRESULT UpdateSurface(IDirect3DSurface9*, const RECT*, IDirect3DSurface9*, const POINT*) override {
    return E_NOTIMPL;
  }
  HRESULT UpdateTexture(IDirect3DBaseTexture9*, IDirect3DBaseTexture9*) override { return E_NOTIMPL; }
  HRESULT GetRenderTargetData(IDirect3DSurface9*, IDirect3DSurface9*) override { return E_NOTIMPL; }
  HRESULT GetFrontBufferData(UINT, IDirect3DSurface9*) override { return E_NOTIMPL; }
  HRESULT ColorFill(IDirect3DSurface9*, const RECT*, D3DCOLOR) override { return E_NOTIMPL; }
  HRESULT CreateOffscreenPlainSurface(UINT, UINT, D3DFORMAT, D3DPOOL, IDirect3DSurface9**, HANDLE*) override {
    return E_NOTIMPL;
  }
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
  HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE, INT, UINT, UINT, UINT, UINT) override { return E_NOTIMPL; }
  HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE, UINT, const void*, UINT) override { return E_NOTIMPL; }
  HRESULT DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE, UINT, UINT, UINT, const void*, D3DFORMAT, const void*,
                                 UINT) override {
    return E_NOTIMPL;
  }
  HRESULT CreateVertexDeclaration(const D3DVERTEXELEMENT9*, IDirect3DVertexDeclaration9**) override {
    return E_NOTIMPL;
  }
  HRESULT SetVertexDeclaration(IDirect3DVertexDeclaration9*) override { return E_NOTIMPL; }
  HRESULT GetVertexDeclaration(IDirect3DVertexDeclaration9**) override { return E_NOTIMPL; }
  HRESULT SetFVF(DWORD) override { return E_NOTIMPL; }
  HRESULT GetFVF(DWORD*) override { return E_NOTIMPL; }
  HRESULT SetStreamSource(UINT, IDirect3DVertexBuffer9*, UINT, UINT) override { return E_NOTIMPL; }
  HRESULT GetStreamSource(UINT, IDirect3DVertexBuffer9**, UINT*, UINT*) override { return E_NOTIMPL; }
  HRESULT SetIndices(IDirect3DIndexBuffer9*) override { return E_NOTIMPL; }
  HRESULT GetIndices(IDirect3DIndexBuffer9**) override { return E_NOTIMPL; }

 protected:
  ~UnimplementedDevice() = default;
};
