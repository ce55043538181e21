// A surface over plain memory, for the surface operations without a device: the conversion
// target of `orbelune-tool image --out`, so that checking a file needs no device and no
// display, and the tests' surface. It keeps its pixels in a vector with rows padded beyond the
// pixels, as a device may lay them out; fresh pixels read 0xCD, so that a conversion that
// skips some shows. It hands out one lock at a time over any rectangle and counts the locks.
#pragma once

#include <vector>

#include "d3d9api.h"
#include "gfxsupport/textures/pixel_format_table.h"

class MemorySurface final : public IDirect3DSurface9 {
 public:
  MemorySurface(D3DFORMAT format, UINT width, UINT height) : format_(format), width_(width), height_(height) {
    const PixelFormatDescriptor* descriptor = FindPixelFormat(format);
    bytesPerPixel_ = descriptor != nullptr ? descriptor->BytesPerPixel() : 4;
    pitch_ = width * bytesPerPixel_ + 16;
    pixels_.assign(size_t{pitch_} * height, 0xCD);
  }

  BYTE* Row(UINT y) { return pixels_.data() + size_t{y} * pitch_; }
  const BYTE* Row(UINT y) const { return pixels_.data() + size_t{y} * pitch_; }
  UINT Pitch() const { return pitch_; }
  int LockCount() const { return lockCount_; }
  bool Locked() const { return locked_; }

  HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
  ULONG AddRef() override { return 1; }
  ULONG Release() override { return 1; }
  HRESULT GetDevice(IDirect3DDevice9**) override { return D3DERR_INVALIDCALL; }
  DWORD SetPriority(DWORD) override { return 0; }
  DWORD GetPriority() override { return 0; }
  void PreLoad() override {}
  D3DRESOURCETYPE GetType() override { return D3DRTYPE_SURFACE; }
  HRESULT GetContainer(REFIID, void**) override { return E_NOINTERFACE; }
  HRESULT GetDesc(D3DSURFACE_DESC* description) override {
    *description = {};
    description->Format = format_;
    description->Type = D3DRTYPE_SURFACE;
    description->Pool = D3DPOOL_SCRATCH;
    description->Width = width_;
    description->Height = height_;
    return D3D_OK;
  }
  HRESULT LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD) override {
    if (locked_) return D3DERR_INVALIDCALL;
    const LONG left = rect != nullptr ? rect->left : 0;
    const LONG top = rect != nullptr ? rect->top : 0;
    locked->Pitch = static_cast<INT>(pitch_);
    locked->pBits = Row(static_cast<UINT>(top)) + size_t(left) * bytesPerPixel_;
    locked_ = true;
    ++lockCount_;
    return D3D_OK;
  }
  HRESULT UnlockRect() override {
    if (!locked_) return D3DERR_INVALIDCALL;
    locked_ = false;
    return D3D_OK;
  }
  // The rest of the full Windows interface (private data, device contexts), which nothing
  // here calls; the stand-in interface leaves them out.
  HRESULT SetPrivateData(REFGUID, const void*, DWORD, DWORD) { return E_NOTIMPL; }
  HRESULT GetPrivateData(REFGUID, void*, DWORD*) { return E_NOTIMPL; }
  HRESULT FreePrivateData(REFGUID) { return E_NOTIMPL; }
  HRESULT GetDC(HDC*) { return E_NOTIMPL; }
  HRESULT ReleaseDC(HDC) { return E_NOTIMPL; }

 private:
  D3DFORMAT format_;
  UINT width_, height_;
  UINT bytesPerPixel_;
  UINT pitch_;
  std::vector<BYTE> pixels_;
  bool locked_ = false;
  int lockCount_ = 0;
};
