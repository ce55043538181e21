// A device over plain memory for texture-creation tests: configurable caps and supported
// formats, textures whose levels are MemorySurfaces, counted references, and a record of the
// textures created and copied. Methods that texture creation never calls answer E_NOTIMPL.
#pragma once

#include <algorithm>
#include <bit>
#include <cstring>
#include <memory>
#include <vector>

#include "d3d9api.h"
#include "../support/unimplemented_device.h"
#include "tool/memory_surface.h"

class MemoryTexture final : public IDirect3DTexture9 {
 public:
  MemoryTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool, int* liveObjects)
      : usage_(usage), pool_(pool), liveObjects_(liveObjects) {
    if (levels == 0) levels = static_cast<UINT>(std::bit_width(std::max(width, height)));
    for (UINT i = 0; i < levels; ++i) {
      levels_.push_back(std::make_unique<MemorySurface>(format, std::max(width >> i, 1u), std::max(height >> i, 1u)));
    }
    ++*liveObjects_;
  }

  MemorySurface& Level(UINT i) { return *levels_[i]; }
  D3DPOOL Pool() const { return pool_; }
  DWORD Usage() const { return usage_; }

  HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
  ULONG AddRef() override { return ++references_; }
  ULONG Release() override {
    const ULONG left = --references_;
    if (left == 0) {
      --*liveObjects_;
      delete this;
    }
    return left;
  }
  HRESULT GetDevice(IDirect3DDevice9**) override { return E_NOTIMPL; }
  DWORD SetPriority(DWORD) override { return 0; }
  DWORD GetPriority() override { return 0; }
  void PreLoad() override {}
  D3DRESOURCETYPE GetType() override { return D3DRTYPE_TEXTURE; }
  DWORD SetLOD(DWORD) override { return 0; }
  DWORD GetLOD() override { return 0; }
  DWORD GetLevelCount() override { return static_cast<DWORD>(levels_.size()); }
  HRESULT SetAutoGenFilterType(D3DTEXTUREFILTERTYPE) override { return E_NOTIMPL; }
  D3DTEXTUREFILTERTYPE GetAutoGenFilterType() override { return D3DTEXF_LINEAR; }
  void GenerateMipSubLevels() override {}
  HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* description) override {
    if (level >= levels_.size()) return D3DERR_INVALIDCALL;
    return levels_[level]->GetDesc(description);
  }
  // The level surfaces live as long as the texture; their references are not counted.
  HRESULT GetSurfaceLevel(UINT level, IDirect3DSurface9** surface) override {
    if (level >= levels_.size()) return D3DERR_INVALIDCALL;
    *surface = levels_[level].get();
    return D3D_OK;
  }
  HRESULT LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override {
    if (level >= levels_.size()) return D3DERR_INVALIDCALL;
    return levels_[level]->LockRect(locked, rect, flags);
  }
  HRESULT UnlockRect(UINT level) override {
    if (level >= levels_.size()) return D3DERR_INVALIDCALL;
    return levels_[level]->UnlockRect();
  }
  HRESULT AddDirtyRect(const RECT*) override { return D3D_OK; }

 private:
  ~MemoryTexture() = default;
  std::vector<std::unique_ptr<MemorySurface>> levels_;
  DWORD usage_;
  D3DPOOL pool_;
  int* liveObjects_;
  ULONG references_ = 1;
};

class MemoryDevice final : public UnimplementedDevice, public IDirect3D9 {
 public:
  MemoryDevice() {
    caps.TextureCaps = D3DPTEXTURECAPS_MIPMAP | D3DPTEXTURECAPS_POW2;
    caps.MaxTextureWidth = caps.MaxTextureHeight = 4096;
  }

  D3DCAPS9 caps{};
  std::vector<D3DFORMAT> supportedFormats{D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8};
  std::vector<MemoryTexture*> created;  // every texture made, in order (not owned: may be gone)
  std::vector<D3DPOOL> createdPools;    // the pool each was made in, readable after release
  int updates = 0;
  int liveObjects = 0;

  // IUnknown, shared by both faces.
  HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
  ULONG AddRef() override { return 1; }
  ULONG Release() override { return 1; }

  // IDirect3D9.
  UINT GetAdapterCount() override { return 1; }
  HRESULT GetAdapterDisplayMode(UINT, D3DDISPLAYMODE* mode) override { return GetDisplayMode(0, mode); }
  HRESULT CheckDeviceType(UINT, D3DDEVTYPE, D3DFORMAT, D3DFORMAT, BOOL) override { return D3D_OK; }
  HRESULT CheckDeviceFormat(UINT, D3DDEVTYPE, D3DFORMAT, DWORD, D3DRESOURCETYPE type, D3DFORMAT format) override {
    const bool known = std::find(supportedFormats.begin(), supportedFormats.end(), format) != supportedFormats.end();
    return type == D3DRTYPE_TEXTURE && known ? D3D_OK : D3DERR_NOTAVAILABLE;
  }
  HRESULT CheckDepthStencilMatch(UINT, D3DDEVTYPE, D3DFORMAT, D3DFORMAT, D3DFORMAT) override { return E_NOTIMPL; }
  HRESULT GetDeviceCaps(UINT, D3DDEVTYPE, D3DCAPS9* out) override { return GetDeviceCaps(out); }
  HRESULT CreateDevice(UINT, D3DDEVTYPE, HWND, DWORD, D3DPRESENT_PARAMETERS*, IDirect3DDevice9**) override {
    return E_NOTIMPL;
  }

  // IDirect3DDevice9: what texture creation uses.
  HRESULT GetDirect3D(IDirect3D9** direct3d) override {
    *direct3d = this;
    return D3D_OK;
  }
  HRESULT GetDeviceCaps(D3DCAPS9* out) override {
    *out = caps;
    return D3D_OK;
  }
  HRESULT GetDisplayMode(UINT, D3DDISPLAYMODE* mode) override {
    *mode = {};
    mode->Width = 1024;
    mode->Height = 768;
    mode->Format = D3DFMT_X8R8G8B8;
    return D3D_OK;
  }
  HRESULT GetCreationParameters(D3DDEVICE_CREATION_PARAMETERS* parameters) override {
    *parameters = {};
    parameters->DeviceType = D3DDEVTYPE_REF;
    return D3D_OK;
  }
  HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                        IDirect3DTexture9** texture, HANDLE*) override {
    if (width == 0 || height == 0) return D3DERR_INVALIDCALL;
    auto* made = new MemoryTexture(width, height, levels, usage, format, pool, &liveObjects);
    created.push_back(made);
    createdPools.push_back(pool);
    *texture = made;
    return D3D_OK;
  }
  HRESULT UpdateTexture(IDirect3DBaseTexture9* source, IDirect3DBaseTexture9* destination) override {
    auto* from = static_cast<MemoryTexture*>(static_cast<IDirect3DTexture9*>(source));
    auto* to = static_cast<MemoryTexture*>(static_cast<IDirect3DTexture9*>(destination));
    for (UINT level = 0; level < to->GetLevelCount(); ++level) {
      MemorySurface& a = from->Level(level);
      MemorySurface& b = to->Level(level);
      D3DSURFACE_DESC description;
      b.GetDesc(&description);
      for (UINT y = 0; y < description.Height; ++y) std::memcpy(b.Row(y), a.Row(y), b.Pitch());
    }
    ++updates;
    return D3D_OK;
  }
};
