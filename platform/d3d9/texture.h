// IDirect3DTexture9 of the stand-in: a chain of mip levels, each a Surface.
// Implements: GetLevelCount, GetLevelDesc, GetSurfaceLevel (the level's references are the
// texture's), LockRect/UnlockRect per level, the level of detail, and render-target textures
// (their level 0 can be bound with SetRenderTarget and sampled after it).
// Leaves out: automatic mipmap generation (CheckDeviceFormat answers D3DOK_NOAUTOGEN, and such
// a texture has one level, as on devices without it), dirty-rectangle tracking (UpdateTexture
// copies whole levels).
#pragma once

#include <memory>
#include <vector>

#include "surface.h"

namespace refdevice {
struct Texture;
}

namespace d3d9 {

class Texture final : public ResourceInterface<IDirect3DTexture9> {
 public:
  // levels must already be the final count (1 or more). Null when memory runs out.
  static Texture* Create(Device* device, UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                         D3DPOOL pool);
  ~Texture() override;

  HRESULT QueryInterface(REFIID riid, void** ppvObject) override;
  D3DRESOURCETYPE GetType() override { return D3DRTYPE_TEXTURE; }

  DWORD SetLOD(DWORD LODNew) override;
  DWORD GetLOD() override;
  DWORD GetLevelCount() override { return static_cast<DWORD>(levels_.size()); }
  HRESULT SetAutoGenFilterType(D3DTEXTUREFILTERTYPE FilterType) override;
  D3DTEXTUREFILTERTYPE GetAutoGenFilterType() override { return autoGenFilter_; }
  void GenerateMipSubLevels() override {}

  HRESULT GetLevelDesc(UINT Level, D3DSURFACE_DESC* pDesc) override;
  HRESULT GetSurfaceLevel(UINT Level, IDirect3DSurface9** ppSurfaceLevel) override;
  HRESULT LockRect(UINT Level, D3DLOCKED_RECT* pLockedRect, const RECT* pRect, DWORD Flags) override;
  HRESULT UnlockRect(UINT Level) override;
  HRESULT AddDirtyRect(const RECT* pDirtyRect) override;

  // For the device.
  Surface& Level(UINT level) { return *levels_[level]; }
  D3DFORMAT Format() const { return format_; }
  // The levels as the rasterizer samples them, from the level of detail down.
  void DescribeForSampling(refdevice::Texture& out, DWORD maxMipLevel) const;
  // The largest level that sampling reads, from D3DSAMP_MAXMIPLEVEL and the level of detail.
  UINT FirstSampledLevel(DWORD maxMipLevel) const;

 private:
  Texture(Device* device, DWORD usage, D3DFORMAT format, D3DPOOL pool);

  D3DFORMAT format_;
  std::vector<std::unique_ptr<Surface>> levels_;
  DWORD lod_ = 0;
  D3DTEXTUREFILTERTYPE autoGenFilter_ = D3DTEXF_LINEAR;
};

}  // namespace d3d9
