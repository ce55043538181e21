// IDirect3DSurface9 of the stand-in: a rectangle of pixels in memory.
// Implements: stand-alone surfaces (offscreen plain, render targets, depth-stencil), texture
// levels (whose references are the texture's), and the device's own back buffer and automatic
// depth surface; GetDesc, GetContainer, LockRect/UnlockRect with the real rules on what may be
// locked (depth, render targets and default-pool textures without D3DUSAGE_DYNAMIC may not,
// a locked surface may not be locked again, rectangles must lie inside the surface and on
// block boundaries for DXT formats).
// Leaves out: GetDC/ReleaseDC, multisampling.
#pragma once

#include <cstdint>
#include <memory>

#include "format_info.h"
#include "resource.h"

namespace d3d9 {

class Texture;

class Surface final : public ResourceInterface<IDirect3DSurface9> {
 public:
  struct Description {
    UINT width = 0;
    UINT height = 0;
    D3DFORMAT format = D3DFMT_UNKNOWN;
    D3DPOOL pool = D3DPOOL_DEFAULT;
    DWORD usage = 0;
    bool lockable = true;
  };

  // Allocates zeroed pixels; null when the size overflows or memory runs out.
  static Surface* Create(Device* device, const Description& description, Membership membership,
                         Texture* container = nullptr);
  ~Surface() override;

  // IUnknown; a texture level counts on its texture.
  HRESULT QueryInterface(REFIID riid, void** ppvObject) override;
  ULONG AddRef() override;
  ULONG Release() override;

  D3DRESOURCETYPE GetType() override { return D3DRTYPE_SURFACE; }
  HRESULT GetContainer(REFIID riid, void** ppContainer) override;
  HRESULT GetDesc(D3DSURFACE_DESC* pDesc) override;
  HRESULT LockRect(D3DLOCKED_RECT* pLockedRect, const RECT* pRect, DWORD Flags) override;
  HRESULT UnlockRect() override;

  // For the device.
  const Description& Describe() const { return description_; }
  uint8_t* Bits() { return bits_.get(); }
  const uint8_t* Bits() const { return bits_.get(); }
  size_t PitchBytes() const { return size_.pitchBytes; }
  size_t TotalBytes() const { return size_.totalBytes; }
  Texture* Container() const { return container_; }
  // The object whose counts keep this surface alive: the texture for a level, else itself.
  Lifetime& LifetimeRoot();
  bool IsLocked() const { return locked_; }

 protected:
  void Unused() override;

 private:
  Surface(Device* device, const Description& description, Membership membership, Texture* container,
          const ImageSize& size, std::unique_ptr<uint8_t[]> bits);

  Description description_;
  Texture* container_;
  ImageSize size_;
  std::unique_ptr<uint8_t[]> bits_;
  bool locked_ = false;
  bool readOnlyLock_ = false;
};

}  // namespace d3d9
