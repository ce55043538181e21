// A surface over plain memory, for feeding the surface operations without a device: it keeps
// its pixels in a vector, hands out locks over any rectangle and records what was asked of it.
#pragma once

#include <cstring>
#include <vector>

#include "d3d9api.h"
#include "gfxsupport/pixel_format_table.h"

class MemorySurface final : public IDirect3DSurface9 {
 public:
  MemorySurface(D3DFORMAT format, UINT width, UINT height)
      : format_(format), width_(width), height_(height) {
    const PixelFormatDescriptor* descriptor = FindPixelFormat(format);
    bytesPerPixel_ = descriptor != nullptr ? descriptor->BytesPerPixel() : 4;
    // Rows padded beyond the pixels, as a device may lay them out.
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

 private:
  D3DFORMAT format_;
  UINT width_, height_;
  UINT bytesPerPixel_;
  UINT pitch_;
  std::vector<BYTE> pixels_;
  bool locked_ = false;
  int lockCount_ = 0;
};
